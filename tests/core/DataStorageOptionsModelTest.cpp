// The remote data stores dialog's rows: filled in order, OK stores them, Cancel does not.

#include "core/DataStorageOptionsModel.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace dilato {
namespace {

TEST(DataStorageOptionsModel, RowsFillInOrderAndOkStoresThem) {
    test::TempFolder dir;
    Folders folders(dir.path(), dir.path());
    int saves = 0;
    DataStorageOptionsModel dialog(folders, [&] { ++saves; });

    folders.RemoteStore = {"", "/mnt/b", "/mnt/c", ""};
    dialog.Activate();
    EXPECT_EQ(dialog.row(0).label, "Remote Data Store #1:");
    EXPECT_FALSE(dialog.row(0).textEnabled);
    EXPECT_FALSE(dialog.row(0).clearEnabled);
    EXPECT_TRUE(dialog.row(1).clearEnabled);
    EXPECT_TRUE(dialog.row(1).textEnabled);
    // two rows filled: browse on rows 0 to 2
    EXPECT_TRUE(dialog.row(0).browseEnabled);
    EXPECT_TRUE(dialog.row(2).browseEnabled);
    EXPECT_FALSE(dialog.row(3).browseEnabled);

    dialog.Browse(0, "");
    EXPECT_EQ(dialog.row(0).text, "") << "a cancelled browser changes nothing";
    dialog.Browse(3, "/mnt/d");
    EXPECT_EQ(dialog.focusedRow(), 3);
    EXPECT_TRUE(dialog.row(3).clearEnabled);
    dialog.Cancel();
    EXPECT_EQ(folders.RemoteStore[3], "") << "Cancel stores nothing";
    EXPECT_EQ(saves, 0);

    folders.RemoteStore = {"/mnt/a", "/mnt/b", "/mnt/c", "/mnt/d"};
    dialog.Activate(); // all four filled: no fifth row to open
    for (int i = 0; i < kRemoteStores; ++i)
        EXPECT_TRUE(dialog.row(i).browseEnabled) << i;
    EXPECT_EQ(dialog.BrowseStartFolder(), "/mnt/a");
    dialog.Clear(0);
    EXPECT_FALSE(dialog.row(0).textEnabled);
    EXPECT_FALSE(dialog.row(1).browseEnabled);
    EXPECT_TRUE(dialog.row(0).browseEnabled);
    dialog.Clear(3);
    dialog.Ok();
    EXPECT_EQ(folders.RemoteStore, (std::array<std::string, 4>{"", "/mnt/b", "/mnt/c", ""}))
        << "an empty first row: no remote copies until it is filled again";
    EXPECT_EQ(saves, 1);

    dialog.Browse(0, "/mnt/new");
    EXPECT_TRUE(dialog.row(1).browseEnabled);
    dialog.Edit(2, "/mnt/typed");
    dialog.Ok();
    EXPECT_EQ(folders.RemoteStore[0], "/mnt/new");
    EXPECT_EQ(folders.RemoteStore[2], "/mnt/typed");
}

} // namespace
} // namespace dilato
