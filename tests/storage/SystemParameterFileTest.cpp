#include "storage/SystemParameterFile.h"
#include "storage/SystemParameterRig.h"

#include "platform/TextFile.h"
#include "support/FileSizeLimit.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace dilato {
namespace {

using namespace std::string_literals;

using test::Crlf;
using test::kFieldFile;
using test::Rig;

const std::string kFactoryFile = Crlf({
    "[SysParams]",
    "TesterModel=",
    "SerialNumber=",
    "CalibrationDate=",
    "Units=0",
    "Password=",
    "PDFdataWrite=0",
    "AccuracyOption=1",
    "OptimumTempOrdering=1",
    "AddRoundTripTests=0",
    "TestEndTempOption=",
    "NumberOfBatchTests=2",
    "Batch=20/50/0/0/0/0/0/0/0",
    "[ScaleData]",
    "Scale1=1.00000000000 : Slope relating actual stage temp(X) to commanded temp(Y)",
    "Scale2=0.00000000000 : Offset relating actual(TC) stage temp(X) to commanded temp(Y)",
    "Scale3=1.00000000000 : Slope relating thermistor reported temp(X) to actual temp(Y)",
    "Scale4=0.00000000000 : Offset relating thermistor reported temp(X) to actual temp(Y)",
});

TEST(SystemParameterFile, ResetWritesTheFactoryFileByteForByte) {
    Rig r;
    r.params.SysParam(slot::SerialNumber) = 99;
    r.params.Scale(1) = 7.0f;
    // reset turns a load into a save, of a file that did not exist yet
    ASSERT_TRUE(r.file.ReadWriteSysFile(SysFileAccess::Load, true, SysFileCopy::Main));
    EXPECT_EQ(r.dir.read("CTESysParam.dat"), kFactoryFile);
    EXPECT_TRUE(r.params.SysParam(slot::SerialNumber).isEmpty());
    EXPECT_EQ(r.params.Scale(1), 1.0f);

    ASSERT_TRUE(r.load());
    EXPECT_EQ(r.params.SysParam(slot::TestEndTempOption).number(), 0.0) << "empty reads as 0";
    EXPECT_EQ(r.params.SysParam(slot::NumberOfBatchTests).number(), 2.0);
    EXPECT_EQ(r.params.SysParam(slot::FirstBatchTemp + 1).number(), 50.0);
    EXPECT_TRUE(r.op.messages.empty());
}

TEST(SystemParameterFile, LoadThenSaveKeepsAFieldFileByteForByte) {
    Rig r;
    r.dir.write("CTESysParam.dat", kFieldFile);
    ASSERT_TRUE(r.load());
    EXPECT_EQ(r.params.SysParam(slot::TesterModel), ParamValue(2));
    EXPECT_EQ(r.params.SysParam(slot::CalibrationDate), ParamValue("03-07-2026"));
    EXPECT_EQ(r.params.SysParam(slot::NumberOfBatchTests), ParamValue(4));
    EXPECT_EQ(r.params.SysParam(slot::FirstBatchTemp + 3), ParamValue("-10"));
    EXPECT_FLOAT_EQ(r.params.Scale(1), 1.002346f);
    EXPECT_FLOAT_EQ(r.params.Scale(2), -0.125f);
    ASSERT_TRUE(r.save());
    EXPECT_EQ(r.dir.read("CTESysParam.dat"), kFieldFile);
    EXPECT_TRUE(r.op.messages.empty());
}

TEST(SystemParameterFile, LoadAdjustsOptionsAndReadsTheLeadingNumber) {
    Rig r;
    const auto loadWith = [&](const std::string& sysParams, const std::string& scale2) {
        r.dir.write("CTESysParam.dat", "[SysParams]\r\n" + sysParams +
                                           "\r\n[ScaleData]\r\nScale1=1\r\nScale2=" + scale2 +
                                           "\r\nScale3=1\r\n");
        return r.load();
    };
    ASSERT_TRUE(loadWith("AccuracyOption=0\r\nNumberOfBatchTests=5\r\nAddRoundTripTests=1\r\n"
                         "Batch=0/0/0/0/0/0/0/0/0\r\nPassword=  secret \r\nUnits=1 kg",
                         "-0.125"));
    EXPECT_EQ(r.params.SysParam(slot::AccuracyOption).number(), 1);
    EXPECT_EQ(r.params.SysParam(slot::NumberOfBatchTests).number(), 2) << "all-zero plan";
    EXPECT_EQ(r.params.SysParam(slot::AddRoundTripTests).number(), 0);
    EXPECT_EQ(r.params.SysParam(slot::FirstBatchTemp).text(), "20");
    EXPECT_EQ(r.params.SysParam(slot::FirstBatchTemp + 1).text(), "50");
    EXPECT_EQ(r.params.SysParam(slot::LastBatchTemp).text(), "0");
    EXPECT_EQ(r.params.SysParam(slot::Password).text(), "secret");
    EXPECT_EQ(r.params.SysParam(slot::Units).number(), 1);
    EXPECT_EQ(r.params.Scale(2), -0.125f) << "no description behind the value";
    EXPECT_EQ(r.params.Scale(4), 0.0f) << "a missing constant becomes 0";

    ASSERT_TRUE(loadWith("AccuracyOption=3\r\nNumberOfBatchTests=0\r\nTesterModel=COM4\r\n"
                         "Batch=5/6/7/8/9/10/11/12/13/14/15",
                         "-0.12500000000 : Offset"));
    EXPECT_EQ(r.params.SysParam(slot::AccuracyOption).number(), 1);
    EXPECT_EQ(r.params.SysParam(slot::NumberOfBatchTests).number(), 2);
    EXPECT_EQ(r.params.SysParam(slot::TesterModel).number(), 0) << "no number gives 0";
    EXPECT_EQ(r.params.SysParam(slot::LastBatchTemp).text(), "13") << "tenth field ignored";
    EXPECT_EQ(r.params.Scale(2), -0.125f);

    ASSERT_TRUE(loadWith("AccuracyOption=2\r\nBatch=1/2/3/4/5/6/7/8/9", "0"));
    EXPECT_EQ(r.params.SysParam(slot::AccuracyOption).number(), 2);
    EXPECT_TRUE(r.op.messages.empty());
}

TEST(SystemParameterFile, BadFilesFailTheLoadWithTheirMessages) {
    Rig r;
    r.params.SysParam(slot::TesterModel) = 7;
    EXPECT_FALSE(r.load());
    EXPECT_EQ(r.op.last().text, "Missing Application File:  " + r.dir.path() + "CTESysParam.dat");
    EXPECT_EQ(r.params.SysParam(slot::TesterModel).number(), 7) << "tables keep their content";

    std::filesystem::create_directory(r.dir.path() + "CTESysParam.dat");
    EXPECT_FALSE(r.load()) << "a folder is no parameter file";
    EXPECT_EQ(r.op.last().text, "Missing Application File:  " + r.dir.path() + "CTESysParam.dat");
    std::filesystem::remove(r.dir.path() + "CTESysParam.dat");

    const std::string failure =
        "Error in modFileUtils.ReadWriteSysFile: \n Reading file: Subscript out of range";
    r.dir.write("CTESysParam.dat", "");
    EXPECT_FALSE(r.load()) << "an empty file has no \"Batch\"";
    EXPECT_EQ(r.op.last().text, failure);
    EXPECT_EQ(r.op.last().icon, MessageIcon::Critical);
    EXPECT_EQ(r.params.SysParam(slot::AccuracyOption).number(), 1) << "keys before stay loaded";
    EXPECT_TRUE(r.params.SysParam(slot::TesterModel).number() == 0) << "the load cleared first";

    r.dir.write("CTESysParam.dat", "[SysParams]\r\nSerialNumber=12\r\nBatch=20/30/40/50/60\r\n");
    EXPECT_FALSE(r.load());
    EXPECT_EQ(r.op.last().text, failure);
    EXPECT_EQ(r.params.SysParam(slot::SerialNumber).number(), 12);
    EXPECT_EQ(r.params.SysParam(slot::FirstBatchTemp + 4).text(), "60");

    r.dir.write(
        "CTESysParam.dat",
        "\x00\xFF\xFE[SysParams\x01]\n\x80=\x81\n"s +
            "[SysParams]\nBatch=1/2/3/4/5/6/7/8/9\n[ScaleData]\nScale1=1\nScale3=1\n\xFF\xFE");
    EXPECT_TRUE(r.load()) << "junk around a readable plan";

    r.dir.write("CTESysParam.dat", "[SysParams]\r\nPassword=" + std::string(120, 'p') +
                                       "\r\nBatch=1/2/3/4/5/6/7/8/9\r\n[ScaleData]\r\n"
                                       "Scale1=1e40 : too large for a single");
    EXPECT_FALSE(r.load());
    EXPECT_EQ(r.params.SysParam(slot::Password).text(), std::string(120, 'p'));
    EXPECT_EQ(r.op.last().text,
              "Error in modFileUtils.ReadWriteSysFile: \n Reading file: Overflow");
}

TEST(SystemParameterFile, APlanOfMoreThanNineTemperaturesIsRefused) {
    Rig r;
    const auto loadWith = [&](const std::string& count) {
        r.dir.write("CTESysParam.dat", "[SysParams]\r\nNumberOfBatchTests=" + count +
                                           "\r\nBatch=10/20/30/40/50/60/70/80/90\r\n"
                                           "[ScaleData]\r\nScale1=1\r\nScale3=1\r\n");
        return r.load();
    };
    EXPECT_TRUE(loadWith("9"));
    EXPECT_TRUE(r.op.messages.empty());
    for (const std::string bad : {"10", "-1", "32767"}) {
        EXPECT_FALSE(loadWith(bad)) << bad;
        EXPECT_EQ(r.op.last().text, "Error in modFileUtils.ReadWriteSysFile: \n Reading file: "
                                    "NumberOfBatchTests=" +
                                        bad + " is outside 0 to 9");
    }
}

TEST(SystemParameterFile, SaveKeepsOtherLinesAndAFailedSaveLeavesTheFileWhole) {
    Rig r;
    r.dir.write("CTESysParam.dat", kFieldFile);
    ASSERT_TRUE(r.load());
    r.params.SysParam(slot::NumberOfBatchTests) = 0;
    r.params.Scale(1) = 1.0f;
    ASSERT_TRUE(r.save());
    const std::string saved = r.dir.read("CTESysParam.dat");
    EXPECT_NE(saved.find("NumberOfBatchTests=0\r\n"), std::string::npos) << "the file has the 0";
    EXPECT_EQ(r.params.SysParam(slot::NumberOfBatchTests).number(), 2) << "memory has 2";
    EXPECT_NE(saved.find("Scale1=1.00000000000 : Slope relating actual stage temp(X) to "
                         "commanded temp(Y)\r\n"),
              std::string::npos);
    EXPECT_NE(saved.find("[Service]\r\nEngineer=J. Doe\r\n"), std::string::npos);

    r.params.SysParam(slot::TesterModel) = 5;
    {
        test::FileSizeLimit full(16); // the disk fills half-way
        EXPECT_FALSE(r.save());
    }
    EXPECT_EQ(r.dir.read("CTESysParam.dat"), saved);
    EXPECT_EQ(
        r.op.last().text.rfind("Error in modFileUtils.ReadWriteSysFile: \n Writing file: ", 0), 0u)
        << r.op.last().text;

    r.params.SysParam(slot::NumberOfBatchTests) = "four";
    EXPECT_FALSE(r.save()) << "a word as batch count cannot be checked against 0";
    EXPECT_EQ(r.dir.read("CTESysParam.dat"), saved) << "nothing of the failed save is written";
}

TEST(SystemParameterFile, BackupCopiesAreNamedBySerialNumber) {
    Rig r;
    r.dir.write("CTESysParam.dat", kFieldFile);
    ASSERT_TRUE(r.load());
    EXPECT_EQ(r.file.BackupFileName(), r.dir.path() + "CTESysParam1234.bak");
    EXPECT_FALSE(r.file.BackupChoiceNeeded());
    // shutdown: the main file, then the backup
    ASSERT_TRUE(r.save());
    ASSERT_TRUE(r.save(SysFileCopy::Backup));
    // a new file: both sections, keys in processing order
    EXPECT_EQ(
        r.dir.read("CTESysParam1234.bak"),
        Crlf({"[SysParams]", "TesterModel=2", "SerialNumber=1234", "CalibrationDate=03-07-2026",
              "Units=1", "Password=abc", "PDFdataWrite=1", "AccuracyOption=2",
              "OptimumTempOrdering=0", "AddRoundTripTests=1", "TestEndTempOption=2",
              "NumberOfBatchTests=4", "Batch=20/50/80/-10/0/0/0/0/0", "[ScaleData]",
              "Scale1=1.00234600000 : Slope relating actual stage temp(X) to commanded "
              "temp(Y)",
              "Scale2=-0.12500000000 : Offset relating actual(TC) stage temp(X) to "
              "commanded temp(Y)",
              "Scale3=0.99800000000 : Slope relating thermistor reported temp(X) to "
              "actual temp(Y)",
              "Scale4=0.25000000000 : Offset relating thermistor reported temp(X) to "
              "actual temp(Y)"}));
    EXPECT_EQ(r.file.BackupSerials(), std::vector<std::string>{"1234"});

    r.params.SysParam(slot::SerialNumber) = 0;
    EXPECT_EQ(r.file.BackupFileName(), r.dir.path() + "CTESysParam.bak") << "0 formats empty";
    r.params.SysParam(slot::SerialNumber) = "0042";
    EXPECT_EQ(SerialText(r.params), "42");
    r.params.SysParam(slot::SerialNumber) = "  A7";
    EXPECT_EQ(SerialText(r.params), "A7");

    r.dir.write("CTESysParam5678.bak", "");
    r.dir.write("OtherParam1.bak", "");
    r.dir.write("CTESysParam9.BAK", "");
    EXPECT_EQ(r.file.BackupSerials(), (std::vector<std::string>{"1234", "5678"}));
    EXPECT_TRUE(r.file.BackupChoiceNeeded());
}

TEST(SystemParameterFile, ZeroSlopesAreRefusedAndValuesThatDidNotLoadAreNeverSaved) {
    Rig r;
    r.dir.write("CTESysParam.dat", kFieldFile);
    ASSERT_TRUE(r.load());
    ASSERT_TRUE(r.save(SysFileCopy::Backup));
    const std::string goodBackup = r.dir.read("CTESysParam1234.bak");

    // The calibration section lost: its slopes would read as 0.
    std::string noScale = kFieldFile;
    noScale.erase(noScale.find("[ScaleData]"),
                  noScale.find("[Service]") - noScale.find("[ScaleData]"));
    r.dir.write("CTESysParam.dat", noScale);
    EXPECT_FALSE(r.load());
    EXPECT_NE(r.op.last().text.find("Scale1 (Slope relating actual stage temp(X) to commanded "
                                    "temp(Y)) is 0"),
              std::string::npos)
        << r.op.last().text;
    // The shutdown's two saves: neither writes the values that did not load.
    EXPECT_FALSE(r.save());
    EXPECT_FALSE(r.save(SysFileCopy::Backup));
    EXPECT_EQ(r.dir.read("CTESysParam1234.bak"), goodBackup);
    EXPECT_EQ(r.dir.read("CTESysParam.dat"), noScale);

    std::string thermistor = kFieldFile;
    thermistor.replace(thermistor.find("Scale3=0.998"), 12, "Scale3=0.000");
    r.dir.write("CTESysParam.dat", thermistor);
    EXPECT_FALSE(r.load());
    EXPECT_NE(r.op.last().text.find("Scale3"), std::string::npos);

    // Constants no calibration gives are refused too, and never reach the backup.
    for (const auto& [key, value] : std::vector<std::pair<std::string, std::string>>{
             {"Scale3=0.99800000000", "Scale3=1e30"}, {"Scale1=1.00234600000", "Scale1=0.4"},
             {"Scale4=0.25000000000", "Scale4=-30.0"}}) {
        std::string wild = kFieldFile;
        wild.replace(wild.find(key), key.size(), value);
        r.dir.write("CTESysParam.dat", wild);
        EXPECT_FALSE(r.load()) << value;
        EXPECT_NE(r.op.last().text.find(value.substr(0, 6) + " ("), std::string::npos)
            << r.op.last().text;
        EXPECT_NE(r.op.last().text.find("outside what a calibration gives"), std::string::npos);
        EXPECT_FALSE(r.save(SysFileCopy::Backup));
        EXPECT_EQ(r.dir.read("CTESysParam1234.bak"), goodBackup);
    }

    // A good load trusts the values again.
    r.dir.write("CTESysParam.dat", kFieldFile);
    ASSERT_TRUE(r.load());
    EXPECT_TRUE(r.save(SysFileCopy::Backup));
}

TEST(SystemParameterFile, BadBatchValuesNameTheFileAndTheKey) {
    Rig r;
    const auto withBatch = [&](const std::string& batch) {
        std::string text = kFieldFile;
        text.replace(text.find("Batch=20/50/80/-10/0/0/0/0/0"), 28, "Batch=" + batch);
        return text;
    };
    const std::string where = r.dir.path() + "CTESysParam.dat, key Batch, temperature ";
    r.dir.write("CTESysParam.dat", withBatch("20/5O/80/-10/0/0/0/0/0"));
    EXPECT_FALSE(r.load());
    EXPECT_NE(r.op.last().text.find("Type mismatch in " + where + "2: \"5O\""), std::string::npos)
        << r.op.last().text;
    r.dir.write("CTESysParam.dat", withBatch("20/50/1e300/-10/0/0/0/0/0"));
    EXPECT_FALSE(r.load()) << "never run as 0 \xC2\xB0"
                              "C";
    EXPECT_NE(r.op.last().text.find("Out of range in " + where + "3"), std::string::npos);
    r.dir.write("CTESysParam.dat", withBatch("20/50/80/1e999/0/0/0/0/0"));
    EXPECT_FALSE(r.load());
    EXPECT_NE(r.op.last().text.find("Overflow in " + where + "4"), std::string::npos);
    r.dir.write("CTESysParam.dat", withBatch("20/50/80//0/0/0/0/0"));
    EXPECT_FALSE(r.load()) << "four temperatures are in use";
    r.dir.write("CTESysParam.dat", withBatch("20/50/80/-10/////"));
    EXPECT_TRUE(r.load()) << "unused places may be empty";

    std::string units = kFieldFile;
    units.replace(units.find("Units=1"), 7, "Units=1e999");
    r.dir.write("CTESysParam.dat", units);
    EXPECT_FALSE(r.load());
    EXPECT_EQ(r.op.last().text,
              "Error in modFileUtils.ReadWriteSysFile: \n Reading file: Overflow");

    // A file from another system: byte-order mark, other letter case, a link.
    r.dir.write("real/ctesysparam.DAT", "\xEF\xBB\xBF" + kFieldFile);
    std::filesystem::create_symlink(r.dir.path() + "real/ctesysparam.DAT",
                                    r.dir.path() + "CTESYSPARAM.dat");
    std::filesystem::remove(r.dir.path() + "CTESysParam.dat");
    EXPECT_EQ(r.file.MainFileName(), r.dir.path() + "CTESYSPARAM.dat");
    ASSERT_TRUE(r.load()) << r.op.last().text;
    EXPECT_EQ(r.params.SysParam(slot::SerialNumber).number(), 1234);
    ASSERT_TRUE(r.save());
    EXPECT_TRUE(std::filesystem::is_symlink(r.dir.path() + "CTESYSPARAM.dat"));
    EXPECT_EQ(r.dir.read("real/ctesysparam.DAT"), kFieldFile) << "the linked file is replaced";
}

TEST(SystemParameterFile, AnUnusableFileOffersTheSerialsBackup) {
    Rig r;
    r.dir.write("CTESysParam.dat", kFieldFile);
    ASSERT_TRUE(r.load());
    ASSERT_TRUE(r.save(SysFileCopy::Backup));
    // Damaged: lines that are no key at the top, and no "Batch".
    const std::string damaged = "\xFF\xFE junk\r\nnot a key\r\n[SysParams]\r\nUnits=0\r\n";
    r.dir.write("CTESysParam.dat", damaged);

    r.op.queueAnswer(MessageAnswer::No);
    EXPECT_FALSE(r.file.LoadMainOrOfferBackup());
    EXPECT_EQ(r.op.last().title, "Invalid System Parameter File");
    EXPECT_NE(r.op.last().text.find("CTESysParam1234.bak"), std::string::npos);
    EXPECT_EQ(r.dir.read("CTESysParam.dat"), damaged) << "No: nothing is written";

    r.op.queueAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(r.file.LoadMainOrOfferBackup());
    EXPECT_EQ(r.params.SysParam(slot::NumberOfBatchTests).number(), 4);
    EXPECT_EQ(r.dir.read("CTESysParam.dat"), r.dir.read("CTESysParam1234.bak"))
        << "the backup whole, none of the damaged file's lines";

    std::filesystem::remove(r.dir.path() + "CTESysParam.dat");
    const size_t shown = r.op.messages.size();
    EXPECT_FALSE(r.file.LoadMainOrOfferBackup()) << "a missing file is no damaged file";
    EXPECT_EQ(r.op.messages.size(), shown + 1) << "only \"Missing Application File\"";
}

} // namespace
} // namespace dilato
