#include "storage/Provisioning.h"
#include "storage/SystemParameterFile.h"

#include "platform/Files.h"
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

TEST(Provisioning, OnlyANewFolderIsProvisionedAndTheParameterFileComesLast) {
    test::TempFolder dir;
    test::RecordingOperator op;
    dir.write("program/SystemSeed/Logosml.jpg", "\xFF\xD8jpeg");
    Folders folders(dir.path() + "program", dir.path() + "sys");
    const auto created = ProvisionSystemFolder(folders, op);
    ASSERT_FALSE(created.empty());
    EXPECT_EQ(created.back(), dir.path() + "sys/CTESysParam.dat")
        << "a kill before it leaves a folder that is still new";

    // Interrupted before the parameter file: still new, completed at the next start.
    std::filesystem::remove(dir.path() + "sys/CTESysParam.dat");
    dir.write("sys/Dilato.lock", "123\n");
    dir.write("sys/Dilato.ini", "[General]\r\nKeyence_Comport=3\r\n");
    EXPECT_TRUE(IsNewSystemFolder(folders));
    auto prepared = PrepareSystemFolder(folders, op);
    EXPECT_TRUE(prepared.ok);
    EXPECT_EQ(prepared.created, std::vector<std::string>{dir.path() + "sys/CTESysParam.dat"});

    // A folder that holds an instrument's records: never factory values again.
    for (const char* record : {"sys/Data/Demo/Bar_CTE.dat", "sys/LogFiles/TestLog.txt",
                               "sys/CTESysParam1234.bak"}) {
        test::TempFolder used;
        Folders f(dir.path() + "program", used.path());
        used.write(record + 4, "kept");
        EXPECT_FALSE(IsNewSystemFolder(f)) << record;
        const auto refused = PrepareSystemFolder(f, op);
        EXPECT_FALSE(refused.ok);
        EXPECT_EQ(op.last().text, "Missing Application File:  " + used.path() + "CTESysParam.dat");
        EXPECT_FALSE(IsFile(used.path() + "CTESysParam.dat")) << record;
        EXPECT_FALSE(IsFile(used.path() + "Logosml.jpg")) << "nothing is made";
    }
}

TEST(Provisioning, AStartRestoresTheLogoRemovesTemporariesAndFindsAnyCase) {
    test::TempFolder dir;
    test::RecordingOperator op;
    dir.write("program/SystemSeed/Logosml.jpg", "\xFF\xD8jpeg");
    Folders folders(dir.path() + "program", dir.path() + "sys");
    (void)ProvisionSystemFolder(folders, op);
    std::filesystem::rename(dir.path() + "sys/CTESysParam.dat", dir.path() + "sys/ctesysparam.DAT");
    std::filesystem::remove(dir.path() + "sys/Logosml.jpg");
    dir.write("sys/Data/Demo/Bar_CTE.dat", "kept");
    dir.write("sys/Data/Demo/Bar_CTE.dat.4d2-0.new", "half");
    dir.write("sys/Dilato.ini.1-1.new", "half");

    const auto prepared = PrepareSystemFolder(folders, op);
    EXPECT_TRUE(prepared.ok);
    EXPECT_EQ(prepared.created, std::vector<std::string>{dir.path() + "sys/Logosml.jpg"});
    EXPECT_EQ(dir.read("sys/Logosml.jpg"), "\xFF\xD8jpeg");
    EXPECT_EQ(prepared.removedTemporaries.size(), 2u);
    EXPECT_FALSE(IsFile(dir.path() + "sys/CTESysParam.dat")) << "the operator's file is used";
    EXPECT_EQ(dir.read("sys/Data/Demo/Bar_CTE.dat"), "kept");
    EXPECT_TRUE(op.messages.empty());
}

} // namespace
} // namespace dilato
