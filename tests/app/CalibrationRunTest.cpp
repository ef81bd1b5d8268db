// The headless stage calibration: its options, a simulated calibration with each calibrator,
// and the exit status of one that cannot succeed.

#include "Runner.h"
#include "RunOptions.h"

#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/TextFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace dilato::run {
namespace {

constexpr const char* kStage =
    "--simulate=thermistor-slope=1.02,thermistor-offset=-0.8,command-slope=0.99,"
    "command-offset=0.6,tau=20";

TEST(CalibrationRunOptions, CalibrateNeedsNoTestAndTakesTheDialogsAnswers) {
    const auto o = ParseRunOptions({"--calibrate", kStage, "--manual-entries", "-9.5,15,40.2",
                                    "--calibrator-serial", "S 1", "--calibrator-cert", "C2"});
    EXPECT_TRUE(o.calibrate);
    EXPECT_EQ(o.manualEntries, (std::vector<std::string>{"-9.5", "15", "40.2"}));
    EXPECT_EQ(o.calibratorSerial, "S 1");
    EXPECT_EQ(o.calibratorCert, "C2");
    ASSERT_TRUE(o.simulate.has_value());
    EXPECT_EQ(o.simulate->thermistorSlope, 1.02);
    EXPECT_EQ(o.simulate->commandOffset, 0.6);
    EXPECT_EQ(o.simulate->tau, 20.0);
    EXPECT_THROW((void)ParseRunOptions({"--manual-entries", "1", "--test", "a", "--length", "2"}),
                 std::invalid_argument);
}

TEST(CalibrationRun, ASimulatedCalibrationPrintsTheConstantsAndExitsZero) {
    test::TempFolder dir;
    std::atomic<bool> stop{false};
    std::ostringstream out;
    const std::string sys = dir.path() + "x";
    EXPECT_EQ(RunTest(ParseRunOptions({"--calibrate", kStage, "--system-folder", sys,
                                       "--calibrator-serial", "SN-1"}),
                      out, stop),
              kCompleted)
        << out.str();
    for (const char* part : {"Old constants: Scale1 1.00000000000", "New constants: Scale1 1.03",
                             "Simulated truth: Scale1 1.03030303030", "'As Left' Temperature Data:",
                             "Calibration succeeded"})
        EXPECT_NE(out.str().find(part), std::string::npos) << part << "\n" << out.str();
    const auto record = ReadTextLines(sys + "/Calib-0/Cal_1.txt");
    ASSERT_TRUE(record.has_value()) << out.str();
    EXPECT_NE(std::find(record->begin(), record->end(), "    Tc Calibrator Serial #: SN-1"),
              record->end());
    EXPECT_NE(std::find(record->begin(), record->end(),
                        "    Tc Calibrator Cert. #:  - not available - "),
              record->end());
    EXPECT_NE(ReadIniValue(sys + "/CTESysParam.dat", "ScaleData", "Scale1").rfind("1.03", 0),
              std::string::npos);
}

TEST(CalibrationRun, TooFewManualEntriesOrAnExcessiveLineExitOne) {
    test::TempFolder dir;
    std::atomic<bool> stop{false};
    std::ostringstream out;
    EXPECT_EQ(RunTest(ParseRunOptions({"--calibrate", kStage, "--system-folder", dir.path() + "a",
                                       "--manual-entries", "-9.5,15.2"}),
                      out, stop),
              kNotCompleted);
    EXPECT_NE(out.str().find("no reading left in --manual-entries"), std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("Constants unchanged: Scale1 1.00000000000"), std::string::npos);

    std::ostringstream rejected;
    EXPECT_EQ(RunTest(ParseRunOptions({"--calibrate", "--simulate=thermistor-slope=0.85,tau=20",
                                       "--system-folder", dir.path() + "b"}),
                      rejected, stop),
              kNotCompleted);
    EXPECT_NE(rejected.str().find("Thermocouple parameter adjustment is excessive and aborted."),
              std::string::npos)
        << rejected.str();
    EXPECT_FALSE(IsDirectory(dir.path() + "b/Calib-"));
}

} // namespace
} // namespace dilato::run
