#include "storage/Provisioning.h"
#include "storage/SystemParameterFile.h"

#include "platform/TextFile.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace dilato {
namespace {

TEST(Provisioning, MakesANewSystemFolderAndNeverOverwrites) {
    test::TempFolder dir;
    test::RecordingOperator op;
    dir.write("program/SystemSeed/Logosml.jpg", "\xFF\xD8jpeg");
    dir.write("program/SystemSeed/Templates/a.txt", "a");
    Folders folders(dir.path() + "program", dir.path() + "sys/Dilato");

    const auto created = ProvisionSystemFolder(folders, op);
    EXPECT_EQ(created.size(), 7u);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "sys/Dilato/Data"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "sys/Dilato/LogFiles"));
    EXPECT_EQ(dir.read("sys/Dilato/Logosml.jpg"), "\xFF\xD8jpeg");
    EXPECT_EQ(dir.read("sys/Dilato/Templates/a.txt"), "a");

    SystemParameters params;
    SystemParameterFile file(params, folders, op);
    ASSERT_TRUE(file.ReadWriteSysFile(SysFileAccess::Load, false, SysFileCopy::Main));
    EXPECT_EQ(params.SysParam(slot::NumberOfBatchTests).number(), 2);
    EXPECT_EQ(params.SysParam(slot::FirstBatchTemp + 1).number(), 50);
    EXPECT_TRUE(op.messages.empty());

    dir.write("sys/Dilato/CTESysParam.dat", "instrument's own");
    dir.write("sys/Dilato/Logosml.jpg", "changed");
    EXPECT_TRUE(ProvisionSystemFolder(folders, op).empty());
    EXPECT_EQ(dir.read("sys/Dilato/CTESysParam.dat"), "instrument's own");
    EXPECT_EQ(dir.read("sys/Dilato/Logosml.jpg"), "changed");

    dir.write("blocked", "a file where the system folder should be");
    Folders blocked(dir.path() + "program", dir.path() + "blocked/Dilato");
    EXPECT_THROW(ProvisionSystemFolder(blocked, op), FileError);
}

} // namespace
} // namespace dilato
