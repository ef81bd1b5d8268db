#include "storage/Logs.h"

#include "platform/TextFile.h"
#include "platform/Version.h"
#include "platform/VirtualClock.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace dilato {
namespace {

class ProgressWindow final : public MainWindowPort {
  public:
    void RefreshDataFolderList() override {}
    std::string CurrentProgressText() const override { return progress; }
    std::string progress;
};

struct LogRig {
    test::TempFolder dir;
    test::RecordingOperator op;
    VirtualClock clock; // 01-05-2026 09:00:00
    ProgressWindow window;
    Folders folders{dir.path() + "program", dir.path()};
    SystemParameters params;
    bool calibrating = false;
    int step = 0;
    Logs logs{folders,
              params,
              clock,
              op,
              window,
              LogInputs{[this] { return calibrating; }, [] { return std::string("12.5"); },
                        [this] { return step; }}};

    std::string testLog(int n = 0) {
        return dir.read(n ? "LogFiles/TestLog" + std::to_string(n) + ".txt"
                          : "LogFiles/TestLog.txt");
    }
};

TEST(Logs, TheErrorLogAppendsOneLineAndNeedsItsFolder) {
    LogRig r;
    r.folders.DataFileName = "run1";
    r.logs.ErrorLog("Remote copy failed ");
    EXPECT_EQ(r.op.last().text.rfind("Error in ErrorLog: \n", 0), 0u) << "no log folder yet";
    std::filesystem::create_directory(r.folders.LogFolder);
    r.logs.ErrorLog("Remote copy failed ");
    r.clock.advance(61);
    r.logs.ErrorLog("again");
    EXPECT_EQ(r.dir.read("LogFiles/ErrorLog.txt"),
              "Remote copy failed " + r.dir.path() + "Data/ run1 01-05-2026 09:00:00\r\nagain" +
                  r.dir.path() + "Data/ run1 01-05-2026 09:01:01\r\n");
}

TEST(Logs, ALaunchRotatesTheTwentyKeptLogs) {
    LogRig r;
    r.dir.write("LogFiles/TestLog.txt", "current\r\n");
    for (int n = 1; n <= kKeptTestLogs; ++n)
        r.dir.write("LogFiles/TestLog" + std::to_string(n) + ".txt", std::to_string(n) + "\r\n");
    r.logs.TestLog("", TestLogKind::Launch);
    EXPECT_EQ(r.testLog(),
              std::string("Dilato  V") + kVersionText + " Launched: 01-05-2026  09:00:00\r\n");
    EXPECT_EQ(r.testLog(1), "current\r\n");
    EXPECT_EQ(r.testLog(2), "1\r\n");
    EXPECT_EQ(r.testLog(20), "19\r\n") << "the old number 20 is gone";
    EXPECT_FALSE(std::filesystem::exists(r.dir.path() + "LogFiles/TestLog21.txt"));
    EXPECT_TRUE(r.op.messages.empty());

    LogRig fresh; // no log folder at all: the launch makes it
    fresh.logs.TestLog("ignored", TestLogKind::Launch);
    EXPECT_EQ(fresh.testLog().substr(0, 9), "Dilato  V");
    EXPECT_FALSE(std::filesystem::exists(fresh.dir.path() + "LogFiles/TestLog1.txt"));
}

TEST(Logs, StatusAbortAndCalibratorEntries) {
    LogRig r;
    r.logs.TestLog("", TestLogKind::Launch);
    const size_t launch = r.testLog().size();
    r.logs.TestLog("Link OK", TestLogKind::Status);
    r.logs.TestLog("Link OK", TestLogKind::Status);
    r.logs.TestLog(std::string(40, 'x'), TestLogKind::Status);
    r.logs.TestLog("Sensor silent", TestLogKind::InstrumentAbort);
    r.logs.TestLog("Calibrator found", TestLogKind::Calibrator);
    r.logs.TestLog("nothing", static_cast<TestLogKind>(3));
    r.calibrating = true;
    r.logs.TestLog("Link OK", TestLogKind::Status);
    EXPECT_EQ(r.testLog().substr(launch), "Status: Link OK                         at 09:00:00\r\n"
                                          "Status: Link OK                         at 09:00:00\r\n"
                                          "Status: " +
                                              std::string(32, 'x') +
                                              "at 09:00:00\r\n"
                                              "Sensor silent   @ Elapsed 12.5 min\r\n"
                                              "Calibrator found  09:00:00\r\n");
    EXPECT_TRUE(r.op.messages.empty());
}

TEST(Logs, StepStartsAreFilteredByTimeAndProgressText) {
    LogRig r;
    r.params.SysParam(slot::FirstBatchTemp) = "20";
    r.params.SysParam(slot::FirstBatchTemp + 1) = "50";
    r.logs.TestLog("", TestLogKind::Launch);
    const size_t launch = r.testLog().size();
    r.clock.advance(10);
    r.logs.TestLog(" run1", TestLogKind::StepStart);
    EXPECT_EQ(r.testLog().size(), launch) << "less than 15 s after the launch";

    r.clock.advance(10);
    r.window.progress = "Step 1 of 2";
    r.logs.TestLog(" run1", TestLogKind::StepStart);
    const std::string first = "==============================\r\n"
                              "Starting Test run1       09:00:20\r\n"
                              "------------------------------\r\n"
                              "     Batch T = 20\xB0"
                              "C\r\n";
    EXPECT_EQ(r.testLog().substr(launch), first);

    r.clock.advance(60);
    r.logs.TestLog(" run1", TestLogKind::StepStart);
    EXPECT_EQ(r.testLog().substr(launch), first) << "same progress text as last time";

    r.window.progress = "Step 2 of 2";
    r.step = 1;
    r.logs.TestLog(" a very long test name indeed", TestLogKind::StepStart);
    EXPECT_NE(r.testLog().find("Starting Test a very long09:01:20\r\n"), std::string::npos);
    EXPECT_NE(r.testLog().find("Batch T = 50\xB0"), std::string::npos);

    // across midnight the stamp still counts forward
    r.clock.setNow(QDateTime(QDate(2026, 1, 5), QTime(23, 59, 50)));
    r.logs.TestLog("", TestLogKind::Launch);
    r.clock.setNow(QDateTime(QDate(2026, 1, 6), QTime(0, 0, 10)));
    r.window.progress = "Step 1 of 2";
    r.step = 0;
    r.logs.TestLog(" night", TestLogKind::StepStart);
    EXPECT_NE(r.testLog().find("Starting Test night      00:00:10"), std::string::npos);

    r.step = 12; // beyond the plan: reported, not thrown
    r.clock.advance(30);
    r.window.progress = "other";
    r.logs.TestLog(" x", TestLogKind::StepStart);
    EXPECT_EQ(r.op.last().text, "Error in TestLog, RecCode=15: \nSubscript out of range");
}

TEST(Logs, TheHourMeterAddsMinutesAndKeepsItsStartDate) {
    LogRig r;
    r.params.SysParam(slot::SerialNumber) = 1234;
    const std::string meter = "LogFiles/HobbsMeter 1234.dat";
    EXPECT_EQ(r.logs.HobbsMeterUpdate("0.00"), "");
    EXPECT_FALSE(std::filesystem::exists(r.dir.path() + meter)) << "reading creates no meter";
    EXPECT_TRUE(std::filesystem::is_directory(r.folders.LogFolder));

    EXPECT_EQ(r.logs.HobbsMeterUpdate("90"), "") << "the meter starts now";
    EXPECT_EQ(r.dir.read(meter), "01-05-2026\r\n1.50\r\n");
    r.clock.advance(86400 * 3);
    EXPECT_EQ(r.logs.HobbsMeterUpdate("0"), "1.50");
    EXPECT_FLOAT_EQ(r.logs.meterValue(), 1.5f);
    EXPECT_EQ(r.logs.HobbsMeterUpdate("30 min"), "2.00");
    EXPECT_EQ(r.dir.read(meter), "01-05-2026\r\n2.00\r\n");

    r.dir.write(meter, "01-05-2026\r\n");
    EXPECT_EQ(r.logs.HobbsMeterUpdate("60"), "");
    EXPECT_EQ(r.op.last().text.rfind("Error in HobbsMeterUpdate: \n", 0), 0u);
    EXPECT_EQ(r.dir.read(meter), "01-05-2026\r\n") << "a damaged meter is left for service";
}

TEST(Logs, TheHourMeterCountsConnectedTimeFromItsStart) {
    LogRig r;
    r.params.SysParam(slot::SerialNumber) = 1234;
    const std::string meter = "LogFiles/HobbsMeter 1234.dat";
    r.clock.advance(3600);
    r.logs.CountUsage();
    EXPECT_FALSE(std::filesystem::exists(r.dir.path() + meter)) << "not started: no instruments";

    r.logs.StartUsage();
    r.clock.advance(45 * 60);
    r.logs.CountUsage(); // a step's end
    EXPECT_EQ(r.dir.read(meter), "01-05-2026\r\n0.75\r\n");
    r.logs.CountUsage(); // nothing has passed
    r.clock.advance(75 * 60);
    r.logs.CountUsage(); // the shutdown
    EXPECT_EQ(r.dir.read(meter), "01-05-2026\r\n2.00\r\n") << "each minute counted once";
}

} // namespace
} // namespace dilato
