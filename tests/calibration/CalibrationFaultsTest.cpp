// Calibrations that must not change the instrument: an unplugged thermocouple, a reference
// reading of zero far from the stage, rejected lines (also when only the set-point line is
// rejected), a stage that stops answering at a stable point, and the operator's Stop. None
// of them changes a constant or the calibration date or writes a record, and each leaves the
// stage at 20 °C uncalibrated with its test mode off.

#include "CalibrationBench.h"

#include "platform/Files.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace dilato {
namespace {

using test::CalibrationBench;

constexpr const char* kAdvice =
    "Calibration Aborted: Check thermocouple cable from Tc Calibrator to Tester rear panel.";

void ExpectNothingChanged(CalibrationBench& b, const std::string& dateBefore) {
    const SystemParameters& p = b.program.params;
    EXPECT_EQ(p.Scale(1), 1.0f);
    EXPECT_EQ(p.Scale(2), 0.0f);
    EXPECT_EQ(p.Scale(3), 1.0f);
    EXPECT_EQ(p.Scale(4), 0.0f);
    EXPECT_EQ(p.SysParam(slot::CalibrationDate).text(), dateBefore);
    EXPECT_EQ(b.ParamValue("SysParams", "CalibrationDate"), dateBefore);
    EXPECT_FALSE(IsDirectory(b.program.folders.SysFolder + "Calib-1234")) << "no record";
    EXPECT_EQ(b.dialogs.identificationAsked, 0);
    EXPECT_EQ(b.program.links.CommandedTemp(), 20);
    EXPECT_FALSE(b.program.links.TestModeOn());
    EXPECT_FALSE(b.cal.calibration.CalDone);
    EXPECT_EQ(b.cal.calibration.CalRunState, calrun::Idle);
    EXPECT_EQ(b.cal.view.cal.caption, "CAL");
}

struct Faults : ::testing::Test {
    std::string DateBefore(CalibrationBench& b) {
        b.program.params.SysParam(slot::CalibrationDate) = "06-01-2025";
        EXPECT_TRUE(b.program.paramFile.ReadWriteSysFile(SysFileAccess::Save, false,
                                                         SysFileCopy::Main));
        return "06-01-2025";
    }
};

TEST_F(Faults, AnUnpluggedThermocoupleAbortsWithItsMessage) {
    CalibrationBench b;
    const std::string date = DateBefore(b);
    b.clock.startTimer(300.0, [&b] { b.instruments.calibrator.thermocoupleConnected = false; });
    EXPECT_EQ(b.Calibrate(), CalOutcome::Aborted);
    EXPECT_EQ(b.cal.view.messageText,
              std::string("Error: Thermocouple disconnected\r\n") + kAdvice);
    EXPECT_EQ(b.cal.calibration.CalPhase, calphase::Ended);
    EXPECT_EQ(b.program.session.window.view().statusText[1], "Calibration Ended");
    ExpectNothingChanged(b, date);
}

TEST_F(Faults, AZeroReferenceFarFromTheStageAbortsButNotNearIt) {
    sim::BenchParams far = test::MiscalibratedStage();
    far.calibrator.errorDegrees = -12.0; // reads 0 when the stage is at 12 °C
    CalibrationBench b(far);
    const std::string date = DateBefore(b);
    EXPECT_EQ(b.Calibrate(), CalOutcome::Aborted);
    EXPECT_EQ(b.cal.view.messageText.rfind("TC Calibrator temperature-read successful: ", 0), 0u);
    EXPECT_NE(b.cal.view.messageText.find(std::string("\r\n") + kAdvice), std::string::npos);
    ExpectNothingChanged(b, date);

    sim::BenchParams near = test::MiscalibratedStage();
    near.calibrator.errorDegrees = -3.0; // reads 0 when the stage is at 3 °C
    CalibrationBench c(near);
    EXPECT_EQ(c.Calibrate(), CalOutcome::Succeeded) << c.cal.view.messageText;
}

TEST_F(Faults, AnExcessiveThermistorLineIsRejectedAndChangesNothing) {
    sim::BenchParams bad = test::MiscalibratedStage();
    bad.stage.thermistorSlope = 0.85; // the fitted slope 1/0.85 is beyond 1.1
    CalibrationBench b(bad);
    const std::string date = DateBefore(b);
    EXPECT_EQ(b.Calibrate(), CalOutcome::Rejected);
    ASSERT_FALSE(b.op.messages.empty());
    EXPECT_EQ(b.op.last().text, "Thermocouple parameter adjustment is excessive and aborted.");
    EXPECT_EQ(b.op.last().title, "Tc Parameter Error");
    EXPECT_EQ(b.cal.view.messageText, "   ... Calibration unsuccessful ...");
    ExpectNothingChanged(b, date);
}

TEST_F(Faults, AnAcceptedThermistorLineWithARejectedSetPointLineIsAFailure) {
    sim::BenchParams half = test::MiscalibratedStage();
    half.stage.commandSlope = 0.85; // thermistor line fine, set-point slope 1.2
    CalibrationBench b(half);
    const std::string date = DateBefore(b);
    EXPECT_EQ(b.Calibrate(), CalOutcome::Rejected);
    EXPECT_EQ(b.op.last().text, "Thermocouple parameter adjustment is excessive and aborted.");
    ExpectNothingChanged(b, date);
}

TEST_F(Faults, AStageReadFailureAtAStablePointAbortsTheCalibrationNotTheProgram) {
    CalibrationBench b;
    const std::string date = DateBefore(b);
    b.dialogs.type = tccal::Manual;
    // The four read attempts after the operator's entry go unanswered.
    b.dialogs.onReading = [&b] { b.instruments.controller.inject(sim::Fault::Silence, 4); };
    b.dialogs.readings = {"-9.5"};
    EXPECT_EQ(b.Calibrate(), CalOutcome::Aborted);
    EXPECT_TRUE(b.op.sawText("Failure in oKReadTcTemp in CalTcOk"));
    EXPECT_EQ(b.cal.view.messageText, "Failure in oKReadTcTemp in CalTcOk\r\nCalibration Aborted: "
                                      "Check the Temp-Stage controller's power and serial cable.");
    ExpectNothingChanged(b, date);
}

TEST_F(Faults, ConstantsThatCannotBeSavedAreNotKeptNorRecorded) {
    CalibrationBench b;
    const std::string date = DateBefore(b);
    const std::string file = b.program.paramFile.MainFileName();
    // The parameter file turns into a folder while the calibration runs.
    b.clock.startTimer(300.0, [&file] {
        if (!std::filesystem::is_directory(file)) {
            std::filesystem::remove(file);
            std::filesystem::create_directory(file);
        }
    });
    EXPECT_EQ(b.Calibrate(), CalOutcome::Rejected);
    EXPECT_EQ(b.cal.view.messageText, "   ... Calibration unsuccessful ...");
    std::filesystem::remove(file);
    ASSERT_TRUE(b.program.paramFile.ReadWriteSysFile(SysFileAccess::Save, false, SysFileCopy::Main));
    ExpectNothingChanged(b, date);
}

TEST_F(Faults, StopHalfWayAsksAndYesLeavesTheStageSafe) {
    CalibrationBench b;
    const std::string date = DateBefore(b);
    b.dialogs.type = tccal::Manual;
    b.cal.tab.EnterInstCalib();
    b.cal.tab.Cal();
    b.clock.advance(120.0);
    ASSERT_EQ(b.cal.calibration.CalRunState, calrun::Running);

    b.op.queueAnswer(MessageAnswer::No);
    b.cal.tab.Stop();
    EXPECT_EQ(b.op.last().title, "Incomplete Calibration Alert");
    EXPECT_FALSE(b.program.session.run.StopRequested);
    EXPECT_TRUE(b.program.session.ticks.TicksActive()) << "No goes on calibrating";
    EXPECT_EQ(b.cal.calibration.CalRunState, calrun::Running);

    b.op.queueAnswer(MessageAnswer::Yes);
    b.cal.tab.Stop();
    EXPECT_FALSE(b.cal.view.stopEnabled);
    EXPECT_TRUE(b.cal.view.helpEnabled);
    EXPECT_FALSE(b.program.session.run.StopRequested);
    b.clock.advance(60.0);
    ExpectNothingChanged(b, date);
}

} // namespace
} // namespace dilato
