// Whole calibrations against the simulated stage with known errors, on the virtual clock:
// with the serial calibrator and with manual entry, the constants found make the stage
// exact over the calibrated range, the record and the parameter file hold what they must,
// and a CTE test on the recalibrated stage measures within its accuracy estimate.

#include "CalibrationBench.h"

#include "platform/Files.h"
#include "platform/Format.h"
#include "platform/LeadingNumber.h"
#include "platform/TextFile.h"
#include "sim/Bench.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace dilato {
namespace {

using test::CalibrationBench;

// Over -10..90 °C: the thermistor reading corrected by Scale 3 and 4 gives the actual
// temperature, and the set point from Scale 1 and 2 brings the stage to the wanted one.
void ExpectStageRecovered(const SystemParameters& p, const sim::StageParams& stage) {
    double worstReading = 0, worstSetPoint = 0;
    for (double t = -10; t <= 90; t += 5) {
        const double raw = t * stage.thermistorSlope + stage.thermistorOffset;
        worstReading = std::max(worstReading, std::fabs(raw * p.Scale(3) + p.Scale(4) - t));
        const double reached = sim::SettledStageTemp(stage, t * p.Scale(1) + p.Scale(2));
        worstSetPoint = std::max(worstSetPoint, std::fabs(reached - t));
    }
    EXPECT_LT(worstReading, 0.05) << "corrected thermistor reading";
    EXPECT_LT(worstSetPoint, 0.05) << "calibrated set point";
    const sim::StageTruth truth = sim::CalibrationTruth(stage);
    std::printf("Scale 1..4 fitted %.5f %.4f %.5f %.4f, truth %.5f %.4f %.5f %.4f; worst reading "
                "error %.3f °C, worst set point error %.3f °C\n",
                p.Scale(1), p.Scale(2), p.Scale(3), p.Scale(4), truth.scale1, truth.scale2,
                truth.scale3, truth.scale4, worstReading, worstSetPoint);
}

// One field of the record written independently of the program's formatter.
std::string Field(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", std::round(v * 10.0) / 10.0 + 0.0);
    std::string s = std::string(text) + "\xB0" "C";
    if (s == "-0.0\xB0" "C") s = "0.0\xB0" "C";
    return std::string(8 - (s.size() < 8 ? s.size() : 8), ' ') + s;
}

// The record's bytes as they must be, from the readings the calibration stored.
std::string ExpectedRecord(const CalibrationBench& b, const std::string& header) {
    const auto& cal = b.cal.calibration;
    const std::string gap(13, ' ');
    std::string r = header + "\r\n" + std::string(header.size(), '-') + "\r\n";
    const auto line = [&r](const std::string& text) { r += text + "\r\n"; };
    line("Thermistor calibrations adjusted.");
    line("(Deviation Limit: +/- .5 deg C)");
    line(" ");
    line("Uncalibrated Temperature Data:");
    line("Thermistor         Thermocouple");
    line("----------         ------------");
    for (const auto& row : cal.CalData)
        line(Field(row[0]) + gap + Field(row[1]));
    const auto table = [&](const char* title, const ScaleSet& k) {
        line(" ");
        line(title);
        line("Thermistor         Thermocouple          Deviation");
        line("----------         ------------         ------------");
        for (const auto& row : cal.CalData) {
            const float t = (row[1] * k[0] + k[1]) * k[2] + k[3];
            line(Field(t) + gap + Field(row[1]) + gap + Field(t - row[1]));
        }
    };
    table("'As Found' Temperature Data:", cal.scaleBefore);
    table("'As Left' Temperature Data:", cal.CurrentScale());
    line(" ");
    line(" ");
    line("    Tc Calibrator Serial #: SN-4711");
    line("    Tc Calibrator Cert. #: C-2026-118");
    for (int i = 0; i < 5; ++i)
        line(" ");
    line("Calibration Performed by: ______________________________");
    return r;
}

void ExpectRecordAndParameters(CalibrationBench& b) {
    const std::string folder = b.program.folders.SysFolder + "Calib-1234/";
    const auto bytes = ReadFileBytes(folder + "Cal_1.txt");
    ASSERT_TRUE(bytes.has_value()) << "record Cal_1.txt";
    const QDateTime now = b.clock.now();
    const std::string header = "Calibration of CTE Tester  serial #: 1234  " +
                               FormatDateMDY(now.date()) + "  ";
    ASSERT_EQ(bytes->substr(0, header.size()), header);
    const std::string fullHeader = bytes->substr(0, bytes->find("\r\n"));
    EXPECT_EQ(fullHeader.size(), header.size() + 8) << "hh:mm:ss after the date";
    EXPECT_EQ(*bytes, ExpectedRecord(b, fullHeader));
    EXPECT_EQ(b.dialogs.identificationAsked, 1);

    EXPECT_EQ(b.ParamValue("SysParams", "CalibrationDate"), FormatDateMDY(now.date()));
    for (int n = 1; n <= 4; ++n) {
        const std::string stored = b.ParamValue("ScaleData", "Scale" + std::to_string(n));
        EXPECT_EQ(stored.substr(0, stored.find(" : ")),
                  FormatSingle(b.program.params.Scale(n), "0.00000000000"))
            << "Scale" << n;
    }
}

// After calibrating, a CTE test from the Test tab on the recalibrated stage.
void ExpectCteTestWithinAccuracy(CalibrationBench& b) {
    ASSERT_TRUE(b.cal.tab.LeaveInstCalib());
    b.program.session.EnterTest();
    b.program.session.start.StartPressed();
    test::RunUntilTestEnds(
        b.program, [&b] { b.clock.advance(1.0); }, 12 * 3600.0, b.clock);
    const ResultTable& r = b.program.session.run.results;
    ASSERT_EQ(b.program.session.run.StepsSaved, 3);
    const auto& curve = b.instruments.bench.params().sample.expansion;
    for (int k = 1; k <= 3; ++k) {
        const double truth = curve.meanAlpha(r.at(k, result::StartTemp), r.at(k, result::EndTemp));
        EXPECT_NEAR(r.at(k, result::Cte), truth, r.at(k, result::Accuracy) * truth) << "CTE " << k;
    }
}

TEST(CalibrationEndToEnd, SerialCalibratorFindsTheStageErrorsAndARecalibratedTestMeasuresTrue) {
    CalibrationBench b;
    const QDateTime wallStart = QDateTime::currentDateTime();
    ASSERT_EQ(b.Calibrate(), CalOutcome::Succeeded)
        << b.cal.view.messageText << " / " << b.cal.testUtility.TextStatus;
    const double wallMs = wallStart.msecsTo(QDateTime::currentDateTime());
    std::printf("five points in %.1f simulated minutes, %.0f ms wall time\n",
                b.calibrationSeconds / 60.0, wallMs);
    for (const auto& row : b.cal.calibration.DeviationRows(b.cal.calibration.CurrentScale()))
        std::printf("As Left %7.2f %7.2f %6.3f\n", row[0], row[1], row[2]);
    ASSERT_EQ(b.op.messages.size(), 1u) << b.op.last().text;
    EXPECT_EQ(b.op.messages[0].text, "Do you really want to change the Tc Calibrator Type?")
        << "the settings file held no type yet";
    EXPECT_TRUE(b.instruments.calibrator.configuredForTypeT());
    EXPECT_EQ(b.program.settings.calibratorType, tccal::Martel8010);
    ExpectStageRecovered(b.program.params, b.instruments.bench.params().stage);
    ExpectRecordAndParameters(b);
    EXPECT_EQ(b.cal.view.cal.caption, "DONE");
    EXPECT_FALSE(b.cal.view.cal.enabled);
    EXPECT_EQ(b.cal.view.messageText,
              "Calibration complete!!\r\nThe certficate is stored in 'Calib' "
              "within the Dilato Data Folder.  ");
    EXPECT_EQ(b.program.links.CommandedTemp(), 20) << "the stage returns to 20 °C";
    EXPECT_FALSE(b.program.links.TestModeOn());
    ExpectCteTestWithinAccuracy(b);
}

TEST(CalibrationEndToEnd, ManualCalibratorWithTheOperatorsReadingsFindsTheStageErrors) {
    CalibrationBench b;
    b.dialogs.type = tccal::Manual;
    const sim::StageParams stage = b.instruments.bench.params().stage;
    for (const int setPoint : {-10, 15, 40, 65, 90})
        b.dialogs.readings.push_back(FormatNumber(sim::SettledStageTemp(stage, setPoint), "0.00"));
    ASSERT_EQ(b.Calibrate(), CalOutcome::Succeeded) << b.cal.view.messageText;
    std::printf("manual: five points in %.1f simulated minutes\n", b.calibrationSeconds / 60.0);
    EXPECT_EQ(b.dialogs.askedAt, (std::vector<int>{-10, 15, 40, 65, 90}));
    EXPECT_EQ(b.dialogs.utilityShown, 0) << "no serial search for the manual calibrator";
    EXPECT_FALSE(b.instruments.calibrator.configuredForTypeT());
    ExpectStageRecovered(b.program.params, stage);
    ExpectRecordAndParameters(b);
    ExpectCteTestWithinAccuracy(b);
}

} // namespace
} // namespace dilato
