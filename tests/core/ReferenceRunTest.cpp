// Reference runs end to end on the simulated bench: a copper reference run writes its
// correction record and later tests use it (and say so); a correction that is no longer
// valid falls back to the fixed one with the reason; a sensor that drifts puts the control
// chart out of control, which start-up and every report then tell, until a reference run in
// control clears it.

#include "CopperRecord.h"
#include "SeededRun.h"

#include "core/ReferenceRuns.h"
#include "platform/TextFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace dilato::test {
namespace {

const QDateTime kDay(QDate(2026, 1, 5), QTime(9, 0));

SeededTest CopperRun(const std::string& plan, int temperatures, uint64_t seed) {
    SeededTest t;
    t.material = "copper";
    t.plan = plan;
    t.temperatures = temperatures;
    t.seed = seed;
    t.materialClass = "metal";
    return t;
}

bool Told(const SeededRun& run, const std::string& words) {
    for (const std::string& m : run.messages)
        if (m.find(words) != std::string::npos) return true;
    return false;
}

TEST(ReferenceRun, LearnsTheColumnAndLaterTestsUseItsCorrection) {
    TempFolder kept;
    SeededTest reference = CopperRun("20/50/80/0/0/0/0/0/0", 3, 7);
    reference.reference = "SRM736";
    reference.keepRecordsIn = kept.path() + "records";
    const SeededRun ref = RunSeededTest(reference);
    ASSERT_TRUE(ref.completed);
    ASSERT_TRUE(ref.record);
    EXPECT_EQ(ref.record->number, 1);
    EXPECT_EQ(ref.record->usedRecord, 0) << "the first run checks nothing";
    EXPECT_EQ(ref.correctionText, "fixed fixture correction");
    EXPECT_NEAR(ref.record->certifiedCte, 16.91, 0.02);
    ASSERT_TRUE(IsFile(kept.path() + "records/Corr_1.txt"));

    // An aluminium test the next day: the fixed correction leaves the frame's curvature in
    // the upper interval, the measured one takes it out.
    SeededTest test = CopperRun("20/50/80/0/0/0/0/0/0", 3, 8);
    test.material = "aluminium";
    const SeededRun fixed = RunSeededTest(test);
    test.recordsFrom = kept.path() + "records";
    test.start = kDay.addDays(1);
    const SeededRun corrected = RunSeededTest(test);
    ASSERT_TRUE(fixed.completed && corrected.completed);
    EXPECT_EQ(corrected.correctionText.rfind("correction record 1 of 01-05-2026 from SRM736", 0),
              0u)
        << corrected.correctionText;
    EXPECT_TRUE(corrected.correctionWarnings.empty());
    ASSERT_EQ(corrected.results.size(), 3u);
    const MeasuredResult& upper = corrected.results[1];
    EXPECT_LT(std::fabs(upper.error()), 0.003 * upper.truth) << upper.cte << " " << upper.truth;
    EXPECT_LT(std::fabs(upper.error()), std::fabs(fixed.results[1].error()) / 2);
    // The budget takes the correction's uncertainty, far below the fixed correction's.
    EXPECT_LT(upper.combined, fixed.results[1].combined);
}

// Records for the choice of a correction: one written at `made` with the stage's constants.
struct Folder {
    TempFolder dir;
    std::string path = dir.path() + "Calib-1234";
    SystemParameters params;
    int write(const QDateTime& made, double low = 20, double high = 80) {
        CorrectionRecordData r = CopperRecord(
            made, params,
            {{low, 0, 1e-7}, {(low + high) / 2, -1.6e-5, 1e-7}, {high, -3.2e-5, 1e-7}});
        (void)WriteCorrectionRecord(path, r);
        return r.number;
    }
};

TEST(ReferenceRun, ACorrectionOutsideItsValidityFallsBackToTheFixedOneAndSaysWhy) {
    const ReferenceSettings settings; // valid for 90 days
    const struct {
        const char* why;
        std::function<void(Folder&)> arrange;
        double low, high; // the plan
        const char* warning; // empty: the record is used
    } cases[] = {
        {"no record", [](Folder&) {}, 20, 80, ""},
        {"a recent record", [](Folder& f) { f.write(kDay.addDays(-10)); }, 20, 80, ""},
        {"the latest of two", [](Folder& f) { f.write(kDay.addDays(-200)); f.write(kDay.addDays(-1)); },
         20, 80, ""},
        {"too old", [](Folder& f) { f.write(kDay.addDays(-91)); }, 20, 80, "91 days old"},
        {"recalibrated", [](Folder& f) { f.write(kDay.addDays(-1)); f.params.Scale(4) = -0.3f; },
         20, 80, "calibrated again"},
        {"outside its range", [](Folder& f) { f.write(kDay.addDays(-1)); }, -20, 80,
         "is outside the correction record"},
        {"future-dated", [](Folder& f) { f.write(kDay.addDays(2)); }, 20, 80, "in the future"},
        {"damaged", [](Folder& f) {
             f.write(kDay.addDays(-20));
             const int n = f.write(kDay.addDays(-1));
             const std::string file = f.path + "/Corr_" + std::to_string(n) + ".txt";
             std::string bytes = *ReadFileBytes(file);
             bytes.replace(bytes.find("Point: 50.000"), 13, "Point: fifty");
             std::filesystem::remove(file);
             WriteFileAtomic(file, bytes);
         },
         20, 80, "is refused, it is damaged"},
    };
    for (const auto& c : cases) {
        Folder f;
        c.arrange(f);
        const CorrectionInUse use = ChooseCorrection(f.path, kDay, f.params, c.low, c.high, settings);
        const std::string expected = c.warning;
        if (expected.empty()) {
            EXPECT_TRUE(use.warnings.empty()) << c.why << ": " << use.warnings.front();
            EXPECT_EQ(use.curve.has_value(), std::string(c.why) != "no record") << c.why;
        } else {
            EXPECT_FALSE(use.curve) << c.why;
            EXPECT_EQ(use.text, "fixed fixture correction") << c.why;
            ASSERT_EQ(use.warnings.size(), 1u) << c.why;
            EXPECT_NE(use.warnings[0].find(expected), std::string::npos)
                << c.why << ": " << use.warnings[0];
            EXPECT_NE(use.warnings[0].find("the fixed fixture correction is used"),
                      std::string::npos);
        }
    }
}

TEST(ReferenceRun, ATestTakenUpAgainKeepsItsRecordOrSaysWhyItCannot) {
    Folder f;
    f.write(kDay.addDays(-200)); // long expired: a test that started with it still uses it
    f.write(kDay.addDays(-1));
    const std::vector<std::string> started{"out of control"};
    const struct {
        int number;
        const char* warning; // empty: the record is used
    } cases[] = {{1, ""}, {2, ""}, {0, ""}, {3, "is gone"}};
    for (const auto& c : cases) {
        const CorrectionInUse use = CorrectionOfRecord(f.path, kDay, c.number, started, true);
        EXPECT_EQ(use.record, c.number > 0 && !*c.warning ? c.number : 0) << c.number;
        EXPECT_EQ(use.curve.has_value(), use.record > 0) << c.number;
        ASSERT_EQ(use.warnings.size(), *c.warning ? 2u : 1u) << c.number;
        EXPECT_EQ(use.warnings[0], "out of control") << "the warnings it started with";
        EXPECT_TRUE(use.outOfControl);
        if (*c.warning) {
            EXPECT_NE(use.warnings[1].find(c.warning), std::string::npos) << use.warnings[1];
            EXPECT_EQ(use.text, "fixed fixture correction");
        }
    }
    // A record damaged since: refused, with the reason.
    const std::string file = f.path + "/Corr_2.txt";
    std::string bytes = *ReadFileBytes(file);
    bytes.replace(bytes.find("Point: 50.000"), 13, "Point: fifty");
    std::filesystem::remove(file);
    WriteFileAtomic(file, bytes);
    const CorrectionInUse damaged = CorrectionOfRecord(f.path, kDay, 2, {}, false);
    EXPECT_FALSE(damaged.curve);
    ASSERT_EQ(damaged.warnings.size(), 1u);
    EXPECT_NE(damaged.warnings[0].find("is refused, it is damaged"), std::string::npos)
        << damaged.warnings[0];
}

TEST(ReferenceRun, AStoredTestFindsTheRecordItsResultsUsedByItsWordsAndSerial) {
    Folder f;
    f.write(kDay.addDays(-200), 20, 80);
    f.write(kDay.addDays(-1), -20, 100);
    const std::string sys = f.dir.path();
    const struct {
        const char* serial;
        const char* text;
        double high; // of the record found; 0: none
    } cases[] = {
        {"1234", "correction record 1 of 06-19-2025 from SRM736 over 20 °C to 80 °C", 80},
        {"1234", "correction record 2 of 01-04-2026 from SRM736 over -20 °C to 100 °C", 100},
        {"1234", "fixed fixture correction", 0},
        {"1234", "correction record 3 of 01-04-2026 from SRM736", 0}, // no such record
        {"1234", "correction record x2 of", 0},
        {"1234", "correction record 2", 0},
        {"99", "correction record 1 of 06-19-2025 from SRM736", 0}, // another instrument's
        {"1234/../Calib-1234", "correction record 1 of 06-19-2025 from SRM736", 0},
        {"", "correction record 1 of 06-19-2025 from SRM736", 0},
    };
    for (const auto& c : cases) {
        const auto curve = StoredTestCorrection(sys, c.serial, c.text, kDay);
        EXPECT_EQ(curve.has_value(), c.high > 0) << c.serial << " " << c.text;
        if (curve && c.high > 0) EXPECT_DOUBLE_EQ(curve->highTemp(), c.high) << c.text;
    }
}

TEST(ReferenceRun, DriftPutsTheChartOutOfControlUntilARunInControl) {
    TempFolder kept;
    const std::string records = kept.path() + "records";
    const std::string plan = "20/50/0/0/0/0/0/0/0";
    int month = 0;
    const auto referenceRun = [&](double gain, double driftPerMonth, double agedDays) {
        SeededTest t = CopperRun(plan, 2, 100 + static_cast<uint64_t>(month));
        t.reference = "SRM736";
        t.recordsFrom = month > 0 ? records : std::string();
        t.keepRecordsIn = records;
        t.start = kDay.addDays(30 * month++);
        sim::BenchParams bench = sim::SimulatedSampleBench({"copper", 2.0, t.seed});
        bench.sample.sensorGain = gain;
        bench.sample.gainDriftPerMonth = driftPerMonth;
        bench.sample.driftDays = agedDays;
        t.bench = bench;
        return RunSeededTest(t);
    };
    const SeededRun first = referenceRun(1.0, 0, 0);
    const SeededRun steady = referenceRun(1.0, 0, 0);
    ASSERT_TRUE(first.completed && steady.completed);
    ASSERT_TRUE(steady.record);
    EXPECT_EQ(steady.record->usedRecord, 1) << "a check of the first run's correction";
    EXPECT_FALSE(Told(steady, "out of control"));

    // The sensor's gain has aged 1 % in the month since: the rules predict the first
    // check after it breaks (E_n far beyond 1 for a copper check good to about 0.3 %).
    const SeededRun drifted = referenceRun(1.0, 0.01, 30);
    ASSERT_TRUE(drifted.completed && drifted.record);
    EXPECT_GT(std::fabs(drifted.record->measuredCte - drifted.record->certifiedCte), 0.1);
    ChartState chart = ReferenceChart(records, kDay.addYears(1), {});
    ASSERT_EQ(chart.points.size(), 3u);
    EXPECT_TRUE(chart.outOfControl);
    EXPECT_EQ(chart.points.back().broken, ChartRule::Certificate);

    // A test meanwhile: told at start-up, and its report carries the warning.
    SeededTest test = CopperRun(plan, 2, 999);
    test.recordsFrom = records;
    test.start = kDay.addDays(30 * month - 29);
    const SeededRun meanwhile = RunSeededTest(test);
    ASSERT_TRUE(meanwhile.completed);
    EXPECT_TRUE(Told(meanwhile, "The instrument is out of control"));
    bool reported = false;
    for (const std::string& w : meanwhile.correctionWarnings)
        reported = reported || w.find("out of control") != std::string::npos;
    EXPECT_TRUE(reported) << "the report's warning";

    // The gain stays where it went: a new reference run, checked against the drifted run's
    // correction, is in control and clears the warning.
    const SeededRun cleared = referenceRun(1.0 + 0.01 * 30 / 30.44, 0, 0);
    ASSERT_TRUE(cleared.completed && cleared.record);
    EXPECT_TRUE(Told(cleared, "out of control")) << "told at its own start-up";
    chart = ReferenceChart(records, kDay.addYears(1), {});
    EXPECT_FALSE(chart.outOfControl) << chart.warning;
    EXPECT_EQ(chart.points.back().broken, ChartRule::None);
}

} // namespace
} // namespace dilato::test
