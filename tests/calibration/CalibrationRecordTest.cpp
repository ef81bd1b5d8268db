// The calibration records: numbering, folders per serial number, the header, and the
// identification asked once per record after the calibration is done.

#include "calibration/CalibrationRecord.h"

#include "platform/Files.h"
#include "platform/TextFile.h"
#include "platform/VirtualClock.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

struct RecordFixture {
    RecordFixture() {
        params.SysParam(slot::SerialNumber) = 1234;
        record.setCalDone([this] { return done; });
        record.setIdentification([this] {
            ++asked;
            for (const auto& line : IdentificationLines("   SN 9", ""))
                record.WriteCalFile(line);
        });
    }
    test::TempFolder dir;
    std::string sys = dir.path();
    SystemParameters params;
    VirtualClock clock{QDateTime(QDate(2024, 3, 15), QTime(14, 5, 9))};
    test::RecordingOperator op;
    CalibrationRecord record{sys, params, clock, op};
    bool done = false;
    int asked = 0;
};

TEST(CalibrationRecord, TheFirstFreeNumberIsTakenAndNoRecordIsOverwritten) {
    RecordFixture f;
    const std::string folder = f.sys + "Calib-1234/";
    EXPECT_EQ(f.record.Folder(), folder);
    f.record.WriteCalFile(" ");
    f.record.StartRecord(false);
    ASSERT_TRUE(IsFile(folder + "Cal_1.txt"));
    WriteFileAtomic(folder + "Cal_3.txt", "kept\r\n");
    f.record.WriteCalFile(" ");
    f.record.WriteCalFile("second");
    EXPECT_EQ(f.record.RecordName(), folder + "Cal_2.txt") << "Cal_2 between Cal_1 and Cal_3";
    f.record.StartRecord(false);
    f.record.WriteCalFile(" ");
    EXPECT_EQ(f.record.RecordName(), folder + "Cal_4.txt");
    EXPECT_EQ(ReadFileBytes(folder + "Cal_3.txt"), "kept\r\n");
}

TEST(CalibrationRecord, ClearingTwiceMakesNoFileAndANewSerialHasItsOwnFolder) {
    RecordFixture f;
    f.record.StartRecord(false);
    f.record.StartRecord(false);
    EXPECT_FALSE(IsDirectory(f.sys + "Calib-1234"));
    f.params.SysParam(slot::SerialNumber) = 77;
    f.record.WriteCalFile(" ");
    EXPECT_TRUE(IsFile(f.sys + "Calib-77/Cal_1.txt"));
}

TEST(CalibrationRecord, HeaderAndUnderlineReplaceTheFirstLineAndIdentificationIsAskedOnce) {
    RecordFixture f;
    f.record.WriteCalFile("the header takes this line's place");
    f.record.WriteCalFile("body");
    EXPECT_EQ(f.asked, 0) << "not before the calibration is done";
    f.done = true;
    f.record.WriteCalFile(" ");
    f.record.WriteCalFile("after");
    EXPECT_EQ(f.asked, 1) << "once per record";
    const std::string header = "Calibration of CTE Tester  serial #: 1234  03-15-2024  14:05:09";
    std::string expected = header + "\r\n" + std::string(header.size(), '-') + "\r\nbody\r\n \r\n" +
                           "    Tc Calibrator Serial #: SN 9\r\n" +
                           "    Tc Calibrator Cert. #:  - not available - \r\n";
    for (int i = 0; i < 5; ++i)
        expected += " \r\n";
    expected += "Calibration Performed by: ______________________________\r\nafter\r\n";
    EXPECT_EQ(ReadFileBytes(f.sys + "Calib-1234/Cal_1.txt"), expected);

    f.record.StartRecord(false); // the next calibration's record asks again
    f.record.WriteCalFile(" ");
    f.record.WriteCalFile(" ");
    EXPECT_EQ(f.asked, 2);
}

TEST(CalibrationRecord, ASerialNumberNeverSetHasAFolderOfItsOwnAndTheHeaderSaysSo) {
    RecordFixture f;
    f.params.SysParam(slot::SerialNumber) = 0;
    f.record.WriteCalFile(" ");
    EXPECT_EQ(f.record.RecordName(), f.sys + "Calib-0/Cal_1.txt");
    EXPECT_EQ(CalibrationRecordFolder(f.sys, f.params), f.sys + "Calib-0");
    const auto lines = ReadTextLines(f.record.RecordName());
    ASSERT_TRUE(lines && !lines->empty());
    EXPECT_EQ(lines->front(), "Calibration of CTE Tester  serial #: not set  03-15-2024  14:05:09");
}

TEST(CalibrationRecord, AFolderThatCannotBeMadeIsReportedAsAWriteFailure) {
    RecordFixture f;
    WriteFileAtomic(f.sys + "Calib-1234", "a file where the folder should be");
    f.record.WriteCalFile(" ");
    ASSERT_FALSE(f.op.messages.empty());
    EXPECT_NE(f.op.last().text.find("Error in modFileUtils.WriteCalFile: "), std::string::npos);
}

} // namespace
} // namespace dilato
