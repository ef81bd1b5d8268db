// The summary's evidence section: written after the results section, whose lines stay exactly
// as they were, and anew at every save.
#include "storage/EvidenceSection.h"
#include "storage/DataFiles.h"

#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/TextFile.h"
#include "platform/VirtualClock.h"
#include "support/MemoryLog.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace dilato {
namespace {

// A finished batch of `plan` whose sample grows by `cte` per °C, with the evidence of
// every step (ended by the drift criteria after a hold of 6 minutes).
struct Batch {
    Batch(std::vector<int> plan, double cte, bool roundTrip = false, float noise = 1e-6f)
        : folders(dir.path() + "app/", dir.path() + "sys/") {
        folders.DataPath = folders.DataRoot() + "Folder/";
        folders.DataFileName = "Bar";
        folders.SummaryFileName = folders.DataPath + "Bar_CTE.txt";
        std::filesystem::create_directories(folders.DataPath);
        params.SysParam(slot::SerialNumber) = 1234;
        params.SysParam(slot::AccuracyOption) = 1;
        const int batch = static_cast<int>(plan.size()) - (roundTrip ? 1 : 0);
        params.SysParam(slot::NumberOfBatchTests) = batch;
        params.SysParam(slot::AddRoundTripTests) = roundTrip ? 1 : 0;
        for (size_t i = 0; i < plan.size(); ++i)
            params.SysParam(slot::FirstBatchTemp + static_cast<int>(i)) = std::to_string(plan[i]);
        data.reset(static_cast<int>(plan.size()), 1);
        for (size_t s = 0; s < plan.size(); ++s) {
            const int step = static_cast<int>(s) + 1;
            const float t = static_cast<float>(plan[s]);
            for (int r = 1; r <= 60; ++r) {
                const float wobble = r % 2 == 0 ? noise : -noise;
                data.append(step,
                            Reading{0.1f * static_cast<float>(r),
                                    0.1f +
                                        static_cast<float>((2.0 * cte - 5.2) * 1e-6) * (t - 20.0f) +
                                        wobble,
                                    t + (r % 2 == 0 ? 0.01f : -0.01f), 3.0f, 0.0f});
            }
            HoldFacts facts{plan[s], 20.0, 14.0, 2.0f, 1.5f, 8.0f, 10, StepEnding::DriftCriteria};
            evidence.push_back(GatherStepEvidence(data, step, facts));
        }
    }
    TestRecord record(bool withEvidence = true) {
        TestRecord r{data, results, 2.0f, "Cu"};
        if (withEvidence) r.evidence = &evidence;
        r.materialClass = materialClass;
        return r;
    }
    [[nodiscard]] std::vector<std::string> SummaryLines() const {
        return ReadTextLines(folders.SummaryFileName).value_or(std::vector<std::string>{});
    }
    [[nodiscard]] std::string Evidence(const std::string& key) const {
        return ReadIniValue(folders.SummaryFileName, "CTE Test Evidence #", key);
    }

    test::TempFolder dir;
    Folders folders;
    SystemParameters params;
    VirtualClock clock{QDateTime(QDate(2026, 3, 7), QTime(14, 5, 9))};
    test::RecordingOperator op;
    test::MemoryLog log;
    StepData data;
    ResultTable results;
    std::vector<StepEvidence> evidence;
    MaterialClass materialClass = MaterialClass::Unknown;
    DataFiles files{folders, params, clock, op, log};
};

// The way back of a round trip finds 12 % more expansion than the way out.
void ExpandMoreOnTheWayBack(Batch& trip) {
    for (int r = 1; r <= 60; ++r)
        trip.data.reading(3, r).indicator -= 2.0f * 2.0f * 30e-6f;
    trip.evidence[2] = GatherStepEvidence(trip.data, 3, trip.evidence[2].facts);
}

TEST(EvidenceSection, TheResultsSectionKeepsEveryLineAndTheEvidenceFollowsIt) {
    Batch before({20, 50, 80}, 16.0), after({20, 50, 80}, 16.0);
    ASSERT_TRUE(before.files.WriteDataToFile(before.record(false), 2));
    ASSERT_TRUE(after.files.WriteDataToFile(after.record(), 2));
    EXPECT_FALSE(before.files.lastEvidence().has_value());
    const auto old = before.SummaryLines();
    const auto now = after.SummaryLines();
    ASSERT_EQ(old.size(), 9u);
    ASSERT_GT(now.size(), old.size());
    EXPECT_EQ(std::vector<std::string>(now.begin(), now.begin() + 9), old)
        << "the results section, byte for byte as without the evidence";
    EXPECT_EQ(now[9], "[CTE Test Evidence #]");
    EXPECT_EQ(ReadIniValue(after.folders.SummaryFileName, "CTE Test Summary #", "CTE 3:"),
              ReadIniValue(before.folders.SummaryFileName, "CTE Test Summary #", "CTE 3:"));

    EXPECT_EQ(after.Evidence("Step 2"),
              "50 \xC2\xB0"
              "C: ended by the drift criteria after 20.0 min, hold 6.0 min");
    EXPECT_EQ(after.Evidence("Step 2 Drift"),
              "average 2.0, live 1.5, threshold 8.0 \xC2\xB5in/10 min; steady ticks 10");
    EXPECT_EQ(after.Evidence("Step 3 Temperature"), "80.01 \xC2\xB0"
                                                    "C at the end; spread 0.02 \xC2\xB0"
                                                    "C, s.d. 0.010 \xC2\xB0"
                                                    "C over 30 readings");
    EXPECT_NE(after.Evidence("Step 1 Indicator").find("noise s.d. 1.0 \xC2\xB5in over 50"),
              std::string::npos)
        << after.Evidence("Step 1 Indicator");
    EXPECT_EQ(after.Evidence("CTE 3 Uncertainty").substr(0, 4), "U = ");
    EXPECT_NE(after.Evidence("CTE 3 Uncertainty").find("k = 2; steps 1 to 3"), std::string::npos);
    EXPECT_NE(after.Evidence("CTE 1 u Indicator Noise"), "");
    EXPECT_EQ(after.Evidence("CTE 2 Flag"), "none");
    EXPECT_EQ(after.Evidence("Round Trip"), "") << "no round trip in this plan";
    ASSERT_TRUE(after.files.lastEvidence().has_value());
    EXPECT_EQ(after.files.lastEvidence()->results.size(), 3u);
}

TEST(EvidenceSection, ASmallCteAndARoundTripThatDisagreesAreMarked) {
    Batch silica({20, 50, 80}, 0.55);
    ASSERT_TRUE(silica.files.WriteDataToFile(silica.record(), 2));
    EXPECT_EQ(silica.Evidence("CTE 1 Flag"),
              "below the range of the method (under 1 \xC2\xB5/\xC2\xB0"
              "C)");

    Batch trip({20, 50, 20}, 16.0, true);
    ExpandMoreOnTheWayBack(trip);
    ASSERT_TRUE(trip.files.WriteDataToFile(trip.record(), 2));
    const std::string text = trip.Evidence("Round Trip");
    EXPECT_EQ(text.substr(0, 15), "heating 16.00, ") << text;
    EXPECT_NE(text.find("more than 10% (marked)"), std::string::npos) << text;
    EXPECT_EQ(trip.Evidence("CTE 2 Flag"), "none");
}

TEST(EvidenceSection, TheMethodFollowedIsNamedByTheSamplesClassAndThePlan) {
    struct Case {
        std::vector<int> plan;
        MaterialClass kind;
        std::string method;
    } const cases[] = {
        {{-20, 20}, MaterialClass::Polymer,
         "ASTM D696: CTE of a plastic between -30 and 30 \xC2\xB0"
         "C"},
        {{20, 50, 80}, MaterialClass::Polymer,
         "ASTM E228 / E831: mean CTE of a solid between two temperatures (a plastic outside -30 "
         "to 30 \xC2\xB0"
         "C)"},
        {{-20, 20}, MaterialClass::Metal,
         "ASTM E228 / E831: mean CTE of a solid between two temperatures"},
        {{-20, 20}, MaterialClass::Unknown,
         "ASTM E228 / E831: mean CTE of a solid between two temperatures (material class not "
         "named)"},
    };
    for (const Case& c : cases) {
        Batch b(c.plan, 70.0);
        b.materialClass = c.kind;
        ASSERT_TRUE(b.files.WriteDataToFile(b.record(), static_cast<int>(c.plan.size()) - 1));
        EXPECT_EQ(b.Evidence("Method"), c.method);
        bool onPage = false;
        for (const EvidenceGroup& g : EvidencePageGroups(*b.files.lastEvidence()))
            for (const std::string& line : g.lines) onPage |= line == "Method followed: " + c.method;
        EXPECT_TRUE(onPage) << c.method;
    }
}

TEST(EvidenceSection, AnExpansionTheNoiseHidesAndResultsThatShareAStepAreNamed) {
    // Fused silica on a noisy indicator (4 µin): 33 µin over 30 °C is under ten times that,
    // 66 µin over 60 °C is not.
    Batch silica({20, 50, 80}, 0.55, false, 4e-6f);
    ASSERT_TRUE(silica.files.WriteDataToFile(silica.record(), 2));
    const std::string flag = silica.Evidence("CTE 1 Expansion Flag");
    EXPECT_EQ(flag.substr(0, 54), "below the range of the method: 33.0 \xC2\xB5in of expansion,")
        << flag;
    EXPECT_NE(flag.find("under 10 times the noise (4."), std::string::npos) << flag;
    EXPECT_EQ(silica.Evidence("CTE 3 Expansion Flag"), "none");
    // Every result shares a step with the other two.
    const std::string correlation = silica.Evidence("CTE 1 Correlation");
    EXPECT_EQ(correlation.substr(0, 7), "CTE 2 +") << correlation;
    EXPECT_NE(correlation.find(", CTE 3 +"), std::string::npos) << correlation;

    Batch trip({20, 50, 20}, 16.0, true);
    ExpandMoreOnTheWayBack(trip);
    ASSERT_TRUE(trip.files.WriteDataToFile(trip.record(), 2));
    const std::string u = trip.Evidence("Round Trip Uncertainty");
    EXPECT_EQ(u.substr(0, 23), "U of the difference 0.0") << u;
    EXPECT_NE(u.find("(k = 2; the legs share step 2): the legs differ by more"), std::string::npos)
        << u;
}

TEST(EvidenceSection, ASaveWritesTheSectionAnewAndKeepsItAfterItsResults) {
    Batch b({20, 50, 80}, 16.0);
    ASSERT_TRUE(b.files.WriteDataToFile(b.record(), 2));
    ASSERT_NE(b.Evidence("Step 3"), "");
    b.evidence.pop_back(); // the same test saved again, its last step without evidence
    ASSERT_TRUE(b.files.WriteDataToFile(b.record(), 2));
    EXPECT_EQ(b.Evidence("Step 3"), "") << "nothing of the earlier save stays behind";
    EXPECT_EQ(b.Evidence("CTE 3 Uncertainty"), "no evidence of its steps");
    EXPECT_NE(b.Evidence("CTE 1 Uncertainty"), "no evidence of its steps");
    const auto lines = b.SummaryLines();
    size_t results = lines.size(), evidence = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == "[CTE Test Summary #]") results = i;
        if (lines[i] == "[CTE Test Evidence #]") evidence = i;
    }
    EXPECT_LT(results, evidence);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "[CTE Test Evidence #]"), 1);
}

} // namespace
} // namespace dilato
