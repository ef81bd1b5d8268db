#include "core/SettingsFile.h"

#include "platform/IniFile.h"
#include "platform/TextFile.h"
#include "platform/VirtualClock.h"
#include "support/FileSizeLimit.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace dilato {
namespace {

struct Rig {
    test::TempFolder dir;
    test::RecordingOperator op;
    VirtualClock clock; // 01-05-2026
    Folders folders{dir.path() + "program", dir.path()};
    SettingsFile settings{folders, clock, op};

    void file(const std::string& general) { dir.write("Dilato.ini", "[General]\r\n" + general); }
};

const std::string kFullFile = "[General]\r\n"
                              "Keyence_Comport=3\r\n"
                              "TE_Comport=4\r\n"
                              "TipsStatus=False\r\n"
                              "LastTip=7\r\n"
                              "BackupStatus=True\r\n"
                              "BackupDate=12-24-2025\r\n"
                              "UpdateStatus=False\r\n"
                              "UpdateDate=11-30-2025\r\n"
                              "SystemWarnings=True\r\n"
                              "RemoteStore1=/mnt/lab/cte\r\n"
                              "RemoteStore2=\\\\server\\share\\\r\n"
                              "RemoteStore3=\r\n"
                              "RemoteStore4=\r\n"
                              "TcCalType=1\r\n"
                              "PdfViewerPrompt=False\r\n";

TEST(SettingsFile, AFileWithOneKeyReadsTheDefaultsForTheRest) {
    Rig r;
    r.file("Keyence_Comport=3\r\n");
    r.settings.LoadSettings();
    EXPECT_EQ(r.settings.displacementComPort, 3);
    EXPECT_EQ(r.settings.tempStageComPort, 0);
    EXPECT_TRUE(r.settings.showTips);
    EXPECT_EQ(r.settings.lastTip, 1);
    EXPECT_TRUE(r.settings.backupReminderOn);
    EXPECT_EQ(r.settings.backupReminderDate, "01-05-2026");
    EXPECT_TRUE(r.settings.updateReminderOn);
    EXPECT_EQ(r.settings.updateReminderDate, "01-05-2026");
    EXPECT_TRUE(r.settings.showSystemWarnings);
    EXPECT_EQ(r.folders.RemoteStore, (std::array<std::string, 4>{}));
    EXPECT_EQ(r.settings.calibratorType, 0);
    EXPECT_TRUE(r.settings.promptForPdfViewer);
    EXPECT_TRUE(r.op.messages.empty());
}

TEST(SettingsFile, NumbersAndBooleansConvertByTheReadingRules) {
    using namespace settings;
    EXPECT_EQ(ToInt16("4.6", 0), 5);
    EXPECT_EQ(ToInt16("COM4", 9), 0) << "no leading number";
    EXPECT_EQ(ToInt16("", 9), 9);
    EXPECT_EQ(ToInt16(" 1 2", 0), 12);
    EXPECT_EQ(ToInt16("2.5", 0), 2);
    EXPECT_EQ(ToInt16("-3.5", 0), -4);
    EXPECT_THROW((void)ToInt16("40000", 0), std::overflow_error);
    EXPECT_FALSE(ToBoolean("0", true));
    EXPECT_FALSE(ToBoolean("false", true));
    EXPECT_TRUE(ToBoolean("TRUE", false));
    EXPECT_TRUE(ToBoolean("-1", false));
    EXPECT_TRUE(ToBoolean("", true));
    EXPECT_THROW((void)ToBoolean("no", true), std::runtime_error);
    EXPECT_THROW((void)ToBoolean("Yes", true), std::runtime_error);
    EXPECT_THROW((void)ToBoolean("1x", true), std::runtime_error);
}

TEST(SettingsFile, AValueThatCannotBeReadAffectsItsOwnKeyOnly) {
    Rig r;
    r.folders.RemoteStore[0] = "/earlier";
    r.settings.calibratorType = 2;
    r.file("UpdateStatus=false\r\nSystemWarnings=no\r\nRemoteStore1=/new\r\nTcCalType=1\r\n"
           "TE_Comport=COM4\r\n");
    r.settings.LoadSettings();
    EXPECT_EQ(r.op.messages.size(), 1u);
    EXPECT_EQ(r.op.last().text, "Error in modIO.ReadDilatoIni: \nType mismatch (SystemWarnings=no in " +
                                    r.settings.FileName() + ")");
    EXPECT_EQ(r.op.last().icon, MessageIcon::Critical);
    EXPECT_FALSE(r.settings.updateReminderOn);
    EXPECT_EQ(r.settings.tempStageComPort, 0);
    EXPECT_FALSE(r.settings.showSystemWarnings) << "the failing key keeps its earlier value";
    EXPECT_EQ(r.folders.RemoteStore[0], "/new") << "the keys after it are read all the same";
    EXPECT_EQ(r.settings.calibratorType, 1);

    // The next save keeps every key that was read.
    r.settings.SaveSettings();
    EXPECT_EQ(ReadIniValue(r.settings.FileName(), "General", "RemoteStore1"), "/new");
    EXPECT_EQ(ReadIniValue(r.settings.FileName(), "General", "TcCalType"), "1");

    r.file("SystemWarnings=0\r\nLastTip=99999\r\nTcCalType=1e999\r\n");
    r.settings.lastTip = 4;
    r.settings.LoadSettings();
    EXPECT_EQ(r.settings.lastTip, 4) << "an overflowing value keeps the earlier one";
    EXPECT_EQ(r.settings.calibratorType, 1) << "1e999 is an overflow, not 0";
    EXPECT_FALSE(r.settings.showSystemWarnings) << "the keys around them are read";
    EXPECT_EQ(r.op.last().text.rfind("Error in modIO.ReadDilatoIni: \nOverflow (TcCalType=1e999", 0),
              0u);
}

TEST(SettingsFile, RoundTripsByteForByteAndWritesAllKeysIntoAnEmptyFile) {
    Rig r;
    r.dir.write("Dilato.ini", kFullFile);
    r.settings.LoadSettings();
    EXPECT_EQ(r.settings.tempStageComPort, 4);
    EXPECT_EQ(r.folders.RemoteStore[1], "\\\\server\\share\\");
    std::filesystem::remove(r.dir.path() + "Dilato.ini");
    r.settings.SaveSettings();
    EXPECT_EQ(r.dir.read("Dilato.ini"), kFullFile) << "written in the order read";

    Rig empty;
    empty.dir.write("Dilato.ini", "");
    empty.settings.LoadSettings();
    empty.settings.SaveSettings();
    EXPECT_EQ(empty.dir.read("Dilato.ini"), "[General]\r\n"
                                            "Keyence_Comport=0\r\n"
                                            "TE_Comport=0\r\n"
                                            "TipsStatus=True\r\n"
                                            "LastTip=1\r\n"
                                            "BackupStatus=True\r\n"
                                            "BackupDate=01-05-2026\r\n"
                                            "UpdateStatus=True\r\n"
                                            "UpdateDate=01-05-2026\r\n"
                                            "SystemWarnings=True\r\n"
                                            "RemoteStore1=\r\n"
                                            "RemoteStore2=\r\n"
                                            "RemoteStore3=\r\n"
                                            "RemoteStore4=\r\n"
                                            "TcCalType=0\r\n"
                                            "PdfViewerPrompt=True\r\n");
    EXPECT_TRUE(empty.op.messages.empty());
}

TEST(SettingsFile, LongValuesJunkAndOtherSectionsSurvive) {
    Rig r;
    r.dir.write("Dilato.ini", "; written by hand\r\n[Other]\r\nx=1\r\n[general]\r\nremotestore1=" +
                                  std::string(120, 'r') + "\r\n\x01\xFF junk line\r\n");
    r.settings.LoadSettings();
    EXPECT_EQ(r.folders.RemoteStore[0], std::string(120, 'r')) << "a long folder read whole";
    r.settings.SaveSettings();
    const std::string written = r.dir.read("Dilato.ini");
    EXPECT_EQ(written.rfind("; written by hand\r\n[Other]\r\nx=1\r\n[general]\r\nRemoteStore1=" +
                                std::string(120, 'r') +
                                "\r\n\x01\xFF junk line\r\nKeyence_Comport=0",
                            0),
              0u)
        << written;
    EXPECT_TRUE(r.op.messages.empty());
}

TEST(SettingsFile, AFailedWriteLeavesTheFileWhole) {
    Rig r;
    r.dir.write("Dilato.ini", kFullFile);
    r.settings.LoadSettings();
    r.settings.displacementComPort = 8;
    {
        test::FileSizeLimit full(16); // the disk fills half-way
        r.settings.SaveSettings();
    }
    EXPECT_EQ(r.op.last().text.rfind("Error in modIO.WriteDilatoIni: \n", 0), 0u);
    EXPECT_EQ(r.dir.read("Dilato.ini"), kFullFile);

    Rig folder; // a folder where the file should be: defaults, and the write is refused
    std::filesystem::create_directory(folder.settings.FileName());
    folder.settings.LoadSettings();
    EXPECT_TRUE(folder.settings.showSystemWarnings);
    EXPECT_TRUE(folder.op.messages.empty());
    folder.settings.SaveSettings();
    EXPECT_EQ(folder.op.last().text.rfind("Error in modIO.WriteDilatoIni: \n", 0), 0u);
}

} // namespace
} // namespace dilato
