// The reference runs' correction records: the text written reads back the same, anything
// else is refused (a record's folder is shared by every operator), numbers are never reused
// and no file is ever replaced; and the control chart's rules over the records.

#include "calibration/ControlChart.h"
#include "calibration/CorrectionRecord.h"

#include "platform/TextFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace dilato {
namespace {

namespace fs = std::filesystem;

const QDateTime kMade(QDate(2026, 3, 2), QTime(15, 4, 5));

CorrectionRecordData Record(int number = 1, int used = 0) {
    CorrectionRecordData r;
    r.number = number;
    r.made = kMade;
    r.serial = "1234";
    r.reference = "SRM736";
    r.certificate = "NIST SRM 736";
    r.test = "Ref-1";
    r.sampleLength = 2.0;
    r.alphaUncertainty = 0.014;
    r.scales = {1.0f, 0.2f, 1.0f, -0.2f};
    r.points = {{20.1, 0.0, 1e-7}, {50.0, -1.5312e-5, 1.2e-7}, {80.2, -3.0871e-5, 1.1e-7}};
    r.fromTemp = 20.1;
    r.toTemp = 80.2;
    r.measuredCte = 16.93;
    r.measuredU = 0.05;
    r.certifiedCte = 16.911;
    r.certifiedU = 0.028;
    r.usedRecord = used;
    return r;
}

TEST(CorrectionRecord, ReadsBackWhatWasWritten) {
    const CorrectionRecordData r = Record(3, 2);
    std::string error;
    const auto back = ParseCorrectionRecord(CorrectionRecordLines(r), error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->number, 3);
    EXPECT_EQ(back->made, kMade);
    EXPECT_EQ(back->reference, "SRM736");
    EXPECT_EQ(back->test, "Ref-1");
    EXPECT_EQ(back->scales, r.scales);
    ASSERT_EQ(back->points.size(), 3u);
    EXPECT_NEAR(back->points[1].column, -1.5312e-5, 1e-12);
    EXPECT_NEAR(back->measuredCte, 16.93, 1e-9);
    EXPECT_EQ(back->usedRecord, 2);
    EXPECT_NEAR(back->curve()->at(80.2), -3.0871e-5, 1e-11);
}

TEST(CorrectionRecord, RefusesAnythingThatIsNotExactlyARecord) {
    const std::vector<std::string> good = CorrectionRecordLines(Record(3, 2));
    const auto replaced = [&](const std::string& start, const std::string& with) {
        std::vector<std::string> lines = good;
        for (auto& l : lines)
            if (l.rfind(start, 0) == 0) {
                l = with;
                break;
            }
        return lines;
    };
    auto withoutEnd = good;
    withoutEnd.pop_back();
    auto extra = good;
    extra.emplace_back("Point: 90 0 0");
    auto onePoint = good;
    onePoint.erase(onePoint.begin() + 12, onePoint.begin() + 14);
    const struct {
        std::vector<std::string> lines;
        const char* why;
    } cases[] = {
        {withoutEnd, "a record cut short"},
        {extra, "lines after its end"},
        {onePoint, "one point only"},
        {replaced("Reference run", "Some other file"), "no header"},
        {replaced("Record:", "Record: 3.5"), "a record number that is no whole number"},
        {replaced("Date:", "Date: 2026-02-30T10:00:00"), "a date that is no date"},
        {replaced("Sample Length:", "Sample Length: 2.0 in"), "a length with text"},
        {replaced("Stage Scales:", "Stage Scales: 1 0.2 1"), "three scales"},
        {replaced("Point: 50", "Point: 50 -0.0000153 nan"), "a point that is not a number"},
        {replaced("Point: 50", "Point: 50.000 5.0 0.0000001"), "a column change of inches"},
        {replaced("Point: 50", "Point: 20.1 -0.0000153 0.0000001"), "two points at one temperature"},
        {replaced("Measured CTE:", "Measured CTE: 16.9"), "a check without its uncertainty"},
        {replaced("Used Correction:", "Used Correction: 3"), "a correction not made before it"},
        {replaced("Test:", std::string("Test: a\x01" "b")), "a control character"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseCorrectionRecord(c.lines, error)) << c.why;
        EXPECT_FALSE(error.empty()) << c.why;
    }
}

TEST(CorrectionRecord, TakesTheNextNumberAndNeverReplacesAFile) {
    test::TempFolder dir;
    const std::string folder = dir.path() + "Calib-1234";
    CorrectionRecordData r = Record();
    EXPECT_EQ(WriteCorrectionRecord(folder, r), folder + "/Corr_1.txt");
    EXPECT_EQ(r.number, 1);
    // Someone's file where record 2 would go, and a link where record 3 would: both stay.
    WriteFileAtomic(folder + "/Corr_2.txt", "not mine");
    fs::create_symlink(dir.path() + "elsewhere.txt", folder + "/Corr_3.txt");
    EXPECT_EQ(WriteCorrectionRecord(folder, r), folder + "/Corr_4.txt");
    EXPECT_EQ(r.number, 4);
    EXPECT_EQ(ReadFileBytes(folder + "/Corr_2.txt"), "not mine");
    EXPECT_FALSE(fs::exists(dir.path() + "elsewhere.txt")) << "no file made through the link";

    // Reading them back: the foreign file and the link are refused, the others read.
    const auto stored = ReadCorrectionRecords(folder, kMade.addSecs(60));
    ASSERT_EQ(stored.size(), 4u);
    EXPECT_TRUE(stored[0].record && stored[3].record);
    EXPECT_NE(stored[1].refused.find("damaged"), std::string::npos) << stored[1].refused;
    EXPECT_NE(stored[2].refused.find("not a plain file"), std::string::npos) << stored[2].refused;
    // Dated after the clock: refused.
    const auto early = ReadCorrectionRecords(folder, kMade.addSecs(-60));
    EXPECT_NE(early[3].refused.find("future"), std::string::npos) << early[3].refused;
    // A record copied under another number: refused.
    fs::copy_file(folder + "/Corr_1.txt", folder + "/Corr_5.txt");
    EXPECT_NE(ReadCorrectionRecords(folder, kMade.addSecs(60)).back().refused.find("calls itself"),
              std::string::npos);
}

// The chart of a first run followed by checks whose measured values are `values`.
ChartState ChartOf(const std::vector<double>& values, const ChartSettings& settings = {}) {
    std::vector<CorrectionRecordData> records{Record(1, 0)};
    for (size_t i = 0; i < values.size(); ++i) {
        CorrectionRecordData r = Record(static_cast<int>(i) + 2, static_cast<int>(i) + 1);
        r.measuredCte = values[i];
        records.push_back(r);
    }
    return EvaluateChart(records, settings);
}

TEST(ControlChart, AppliesTheCertificateAndTheLabsRules) {
    // Certified 16.911, U_combined = hypot(0.05, 0.028) = 0.0573.
    const std::vector<double> baseline{16.910, 16.913, 16.908, 16.912, 16.909, 16.911, 16.910};
    const struct {
        std::vector<double> after;
        ChartRule rule;
        const char* why;
    } cases[] = {
        {{}, ChartRule::None, "the baseline itself"},
        {{16.911}, ChartRule::None, "a check at the mean"},
        {{16.918}, ChartRule::Beyond3s, "one check beyond 3 s (not 4 s)"},
        {{16.915, 16.915}, ChartRule::TwoOfThree2s, "two checks in a row beyond 2 s"},
        {{16.915, 16.911, 16.915}, ChartRule::TwoOfThree2s, "two of three beyond 2 s"},
        {{16.915, 16.906}, ChartRule::None, "beyond 2 s on opposite sides"},
        {{16.980}, ChartRule::Certificate, "E_n beyond 1"},
    };
    for (const auto& c : cases) {
        std::vector<double> values = baseline;
        values.insert(values.end(), c.after.begin(), c.after.end());
        const ChartState chart = ChartOf(values);
        ASSERT_EQ(chart.points.size(), values.size() + 1) << c.why;
        EXPECT_FALSE(chart.points.front().check) << "the first run checks nothing";
        EXPECT_EQ(chart.points.back().broken, c.rule) << c.why;
        EXPECT_EQ(chart.outOfControl, c.rule != ChartRule::None) << c.why;
        EXPECT_EQ(chart.warning.empty(), c.rule == ChartRule::None) << c.why;
    }
    // Before there are enough checks only the certificate judges.
    EXPECT_FALSE(ChartOf({16.910, 16.930}).outOfControl);
    EXPECT_TRUE(ChartOf({16.910, 16.990}).outOfControl);
    // A new check in control clears it, and the broken check stays out of the limits.
    std::vector<double> cleared = baseline;
    cleared.push_back(16.920);
    cleared.push_back(16.911);
    const ChartState chart = ChartOf(cleared);
    EXPECT_FALSE(chart.outOfControl);
    EXPECT_NEAR(chart.mean, 16.9105, 0.0005) << "the limits leave the broken check out";
}

TEST(ControlChart, ASteadyDriftBreaksTheRulesWhenTheyPredict) {
    // A sensor whose gain drifts by g per interval between checks shows, in each check of a
    // correction learnt one interval before, an offset of g times the CTE. Against limits of
    // about s = 0.002: beyond 3 s the first check breaks; between 2 s and 3 s the second
    // (two of three); below 2 s the rules never fire.
    const std::vector<double> baseline{16.910, 16.913, 16.908, 16.912, 16.909, 16.911, 16.910};
    const struct {
        double gainPerInterval;
        int predicted; // 1-based check after the drift began; 0: never in six checks
    } cases[] = {{0.00042, 1}, {0.00031, 2}, {0.00018, 0}};
    for (const auto& c : cases) {
        const double offset = c.gainPerInterval * 16.911;
        std::vector<double> values = baseline;
        int broke = 0;
        for (int k = 1; k <= 6 && broke == 0; ++k) {
            values.push_back(16.9104 + offset);
            if (ChartOf(values).outOfControl) broke = k;
        }
        EXPECT_EQ(broke, c.predicted) << "gain drift " << c.gainPerInterval << " per interval";
    }
}

} // namespace
} // namespace dilato
