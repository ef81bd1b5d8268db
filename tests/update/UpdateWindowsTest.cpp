// The update dialogs show their models' state and forward the operator's clicks.

#include "UpdateTestKit.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"
#include "platform/Files.h"
#include "ui/update/InstallDialog.h"
#include "ui/update/LiveUpdateDialog.h"
#include "ui/update/ReminderDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <gtest/gtest.h>

namespace dilato {
namespace {

class UpdateWindows : public ::testing::Test {
  protected:
    int argc_ = 1;
    char arg0_[8] = "test";
    char* argv_[1] = {arg0_};
    QApplication app_{argc_, argv_};
    test::TempFolder folder;
};

TEST_F(UpdateWindows, ControlPanelShowsTheCheckAndItsAnswer) {
    test::ScriptedFetcher fetcher;
    const test::TestSigningKey key;
    const test::TestRelease same = test::MakeRelease(key, "1.3.7", {{"dilato_1.3.7_all.deb", "x"}});
    LiveUpdateSettings settings{folder.path(), "https://example.invalid", "1.3.7", key.publicKey()};
    settings.today = "2026-12-09";
    LiveUpdateModel model(settings, fetcher);
    LiveUpdateDialog dialog(model);
    EXPECT_EQ(dialog.windowTitle(), "Norvane  Live Update");
    EXPECT_EQ(dialog.currentVersionField()->text(), "1.3.7");
    EXPECT_EQ(dialog.updateVersionField()->text(), "--");
    EXPECT_EQ(dialog.modeButton()->text(), "Check for Update!");
    EXPECT_EQ(dialog.statusPanel()->text(), "Status: Idle");

    dialog.show();
    dialog.modeButton()->click();
    EXPECT_FALSE(dialog.modeButton()->isEnabled());
    ASSERT_EQ(fetcher.urls.size(), 1u);
    EXPECT_EQ(fetcher.urls[0], "https://example.invalid/wp-content/versions/Dilato_Version.htm");
    // The status panel follows the state with the one-second timer.
    ASSERT_TRUE(test::RunUntil([&] { return dialog.statusPanel()->text() == "Status: Checking for updates..."; }, 3000));

    ASSERT_TRUE(fetcher.finish(true, same.manifestBytes));
    ASSERT_EQ(fetcher.urls.size(), 2u);
    EXPECT_EQ(fetcher.urls[1], "https://example.invalid/wp-content/versions/Dilato_Version.htm.sig");
    ASSERT_TRUE(fetcher.finish(true, same.signature));
    EXPECT_EQ(dialog.updateVersionField()->text(), "1.3.7");
    EXPECT_EQ(dialog.messageLabel()->text().toStdString(), liveupdate::kMostRecent);
    EXPECT_EQ(dialog.modeButton()->text(), "OK");
    EXPECT_TRUE(dialog.modeButton()->isEnabled());
    EXPECT_FALSE(dialog.cancelButton()->isEnabled());
    dialog.modeButton()->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(UpdateWindows, ControlPanelCountsDownloadSecondsAndClosingAbandonsTheTransfer) {
    test::ScriptedFetcher fetcher;
    const test::TestSigningKey key;
    const test::TestRelease newer = test::MakeRelease(key, "1.4.0", {{"dilato_1.4.0_all.deb", "x"}});
    LiveUpdateSettings settings{folder.path(), "https://example.invalid", "1.3.7", key.publicKey()};
    settings.today = "2026-12-09";
    LiveUpdateModel model(settings, fetcher);
    LiveUpdateDialog dialog(model);
    dialog.show();
    dialog.modeButton()->click();
    ASSERT_TRUE(fetcher.finish(true, newer.manifestBytes));
    ASSERT_TRUE(fetcher.finish(true, newer.signature));
    EXPECT_EQ(dialog.modeButton()->text(), "Download!");
    dialog.modeButton()->click();
    EXPECT_FALSE(dialog.cancelButton()->isEnabled());
    ASSERT_TRUE(test::RunUntil([&] { return dialog.timePanel()->text() == "Download Time:1 Secs"; }, 3000));
    dialog.close(); // the window's own close
    EXPECT_EQ(fetcher.cancels, 1);
    EXPECT_FALSE(fetcher.busy());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

// The one-second refreshes and long texts never widen the panel (its buttons stay on screen).
TEST_F(UpdateWindows, ControlPanelKeepsItsSizeWhileItRefreshes) {
    test::ScriptedFetcher fetcher;
    LiveUpdateSettings settings{folder.path(), "https://example.invalid", "1.3.7", std::nullopt};
    LiveUpdateModel model(settings, fetcher);
    LiveUpdateDialog dialog(model);
    dialog.show();
    ASSERT_TRUE(test::RunUntil([&] { return dialog.isVisible(); }, 2000));
    const QSize opened = dialog.size();
    dialog.modeButton()->click(); // no key: a long message
    EXPECT_EQ(dialog.messageLabel()->text().toStdString(), liveupdate::kUpdatesDisabled);
    for (int tick = 0; tick < 5; ++tick) {
        model.statusTimerTick();
        dialog.refresh();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(dialog.size(), opened);
    EXPECT_LE(dialog.statusPanel()->width() + dialog.timePanel()->width(), dialog.width());
}

TEST_F(UpdateWindows, ReminderBoxMirrorsTheProperty) {
    ReminderModel model{true};
    ReminderDialog dialog(model);
    EXPECT_EQ(dialog.windowTitle(), "Check for Software Update");
    EXPECT_TRUE(dialog.remindBox()->isChecked());
    dialog.remindBox()->click();
    EXPECT_FALSE(model.UpdateReminder);
    EXPECT_FALSE(dialog.remindBox()->isChecked());
    dialog.yesButton()->click();
    EXPECT_TRUE(model.openControlPanel);
}

TEST_F(UpdateWindows, InstallConfirmationGreysBothButtonsOnYesAndCloseDiscards) {
    test::RecordingOperator op;
    folder.write("Dilato140.zip", "not signed");
    folder.write("Dilato_Version.htm", "Ver. 1.4.0\r\n");
    folder.write("keep.txt", "x");
    {
        InstallModel model(folder.path(), std::nullopt, op);
        InstallDialog dialog(model);
        EXPECT_EQ(dialog.windowTitle(), "Software Update Confirmation");
        EXPECT_FALSE(dialog.bannerLabel()->isVisibleTo(&dialog));
        dialog.show();
        dialog.yesButton()->click();
        EXPECT_FALSE(dialog.yesButton()->isEnabled());
        EXPECT_FALSE(dialog.closeButton()->isEnabled());
        EXPECT_TRUE(dialog.bannerLabel()->isVisibleTo(&dialog));
        // The unpacking runs next: the unsigned archive is refused and the dialog closes.
        ASSERT_TRUE(test::RunUntil([&] { return !dialog.isVisible(); }, 3000));
        EXPECT_FALSE(model.Updating);
        EXPECT_EQ(op.messages.size(), 1u);
    }
    folder.write("Dilato140.zip", "x");
    folder.write("Dilato_Version.htm", "x");
    InstallModel model(folder.path(), std::nullopt, op);
    InstallDialog dialog(model);
    dialog.show();
    dialog.closeButton()->click();
    EXPECT_EQ(ListFiles(folder.path()), (std::vector<std::string>{"keep.txt"}));
}

} // namespace
} // namespace dilato
