#include "storage/TestJournal.h"

#include "platform/Files.h"
#include "platform/TextFile.h"
#include "support/FileSizeLimit.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace dilato {
namespace {

Reading MakeReading(float elapsed, float indicator) {
    return Reading{elapsed, indicator, 20.0f + elapsed / 7.0f, -3.0f, indicator + 1e-7f};
}

JournalStart MakeStart() {
    JournalStart s;
    s.time = "12-09-2026 10:00:00";
    s.dataFolder = "Demo";
    s.testName = "Bar";
    s.sampleId = "Cu \xC2\xB5 tab\there"; // a tab must not split the record
    s.lengthBox = "2.000";
    s.sampleLength = 2.0f;
    s.accuracyOption = 1;
    s.batchTests = 3;
    s.roundTrip = 1;
    s.plan = {"20", "50", "80", "", "", "", "", "", ""};
    s.initial = InitialReading{36000, 2.0f, 0.0123457f, 21.37f};
    return s;
}

bool SameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(TestJournal, AStepsHoldFactsAndALostSaveRecordReadBack) {
    HoldFacts h;
    h.setPoint = 50;
    h.stepMinutes = 1806.3;
    h.holdStartMinutes = 1700.1;
    h.averageSlope = 0.1f + 1e-8f;
    h.liveSlope = -2.5f;
    h.threshold = 7.5f;
    h.steadyTicks = 10;
    h.ending = StepEnding::TimeLimit;
    const std::vector<std::string> lines{
        JournalStartLine(MakeStart()), JournalHoldLine("t1", 1, h),
        // the save record of step 1 is lost; that of step 2 is there
        JournalSaveLine(JournalStepSave{2, "t2", Projection{0.0125f, 16.4f, 7.5f}})};
    const JournalContent c = ParseJournal(lines);
    EXPECT_EQ(c.badLines, 0);
    const auto read = c.holdFacts(1);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->setPoint, 50);
    EXPECT_EQ(read->stepMinutes, 1806.3);
    EXPECT_EQ(read->holdStartMinutes, 1700.1);
    EXPECT_TRUE(SameBits(read->averageSlope, 0.1f + 1e-8f));
    EXPECT_EQ(read->steadyTicks, 10);
    EXPECT_EQ(read->ending, StepEnding::TimeLimit);
    EXPECT_FALSE(c.holdFacts(2));
    EXPECT_EQ(c.stepsSaved(), 2) << "step 2's save shows that step 1 was saved";

    // Line ends of any kind separate the records.
    std::string crOnly, mixed;
    for (const auto& line : lines) crOnly += line + "\r";
    mixed = lines[0] + "\n" + lines[1] + "\r\n\r\n" + lines[2];
    EXPECT_EQ(SplitJournalLines(crOnly), lines);
    EXPECT_EQ(SplitJournalLines(mixed), lines);
}

// A start record as an older program wrote it: its first `fields` fields (the kind letter
// counted), sealed again.
std::string FirstFields(const std::string& line, size_t fields) {
    size_t end = 0;
    for (size_t i = 0; i < fields; ++i) end = line.find('\t', end + 1);
    const std::string older = line.substr(0, end);
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(Crc32(older)));
    return older + "\t" + crc;
}
// Before the material class, and before the system correction.
constexpr size_t kFieldsBeforeClass = 24;
constexpr size_t kFieldsBeforeCorrection = 25;

TEST(TestJournal, TheMaterialClassReadsBackAndAnOlderStartRecordGivesUnknown) {
    for (const MaterialClass kind :
         {MaterialClass::Polymer, MaterialClass::Glass, MaterialClass::Metal, MaterialClass::Unknown}) {
        JournalStart s = MakeStart();
        s.materialClass = kind;
        const JournalContent c = ParseJournal({JournalStartLine(s)});
        ASSERT_TRUE(c.start);
        EXPECT_EQ(c.start->materialClass, kind) << MaterialClassName(kind);

        const JournalContent old =
            ParseJournal({FirstFields(JournalStartLine(s), kFieldsBeforeClass)});
        ASSERT_TRUE(old.start) << "an older journal still resumes";
        EXPECT_EQ(old.badLines, 0);
        EXPECT_EQ(old.start->materialClass, MaterialClass::Unknown);
        EXPECT_TRUE(SameBits(old.start->initial.sampleTemp, 21.37f));
    }
}

TEST(TestJournal, TheSystemCorrectionReadsBackAndAnOlderStartRecordDoesNotSay) {
    JournalStart s = MakeStart();
    s.materialClass = MaterialClass::Metal;
    const std::vector<std::pair<int, std::vector<std::string>>> cases{
        {0, {}}, {3, {}}, {0, {"Correction record 4 is refused, it is damaged", "out\tof control"}}};
    for (const auto& [record, warnings] : cases) {
        s.correctionRecord = record;
        s.correctionWarnings = warnings;
        s.correctionOutOfControl = !warnings.empty();
        const JournalContent c = ParseJournal({JournalStartLine(s)});
        ASSERT_TRUE(c.start);
        EXPECT_EQ(c.start->correctionRecord, record);
        ASSERT_EQ(c.start->correctionWarnings.size(), warnings.size());
        EXPECT_EQ(c.start->correctionOutOfControl, !warnings.empty());
        if (!warnings.empty()) {
            EXPECT_EQ(c.start->correctionWarnings[1], "out of control") << "a tab splits nothing";
        }
    }
    const JournalContent old =
        ParseJournal({FirstFields(JournalStartLine(s), kFieldsBeforeCorrection)});
    ASSERT_TRUE(old.start);
    EXPECT_EQ(old.start->materialClass, MaterialClass::Metal);
    EXPECT_EQ(old.start->correctionRecord, -1);
    EXPECT_TRUE(old.start->correctionWarnings.empty());
    EXPECT_FALSE(old.start->correctionOutOfControl);
}

TEST(TestJournal, RecordsReadBackExactlyWithStepsSavesResumptionsAndTheEnd) {
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u) << "the common CRC-32";
    const float awkward = 0.1f + 1e-8f; // a float that a short decimal format would round
    std::vector<std::string> lines{JournalStartLine(MakeStart())};
    lines.push_back(JournalReadingLine("t1", 1, MakeReading(0.0f, awkward)));
    lines.push_back(JournalReadingLine("t2", 1, MakeReading(0.1f, 0.0124f)));
    lines.push_back(JournalResultLine("t3", 1, {20.0f, 50.0f, 16.5f, 0.015f, 0.0124f}));
    lines.push_back(JournalSaveLine(JournalStepSave{1, "t3", Projection{0.0125f, 16.4f, 7.5f}}));
    lines.push_back(JournalReadingLine("t4", 2, MakeReading(0.1f, 0.02f)));
    lines.push_back(JournalReadingLine("t5", 2, MakeReading(0.2f, 0.021f)));
    lines.push_back(JournalResumeLine("t6", 2)); // the step starts again after a restart
    lines.push_back(JournalReadingLine("t7", 2, MakeReading(0.1f, 0.03f)));

    const JournalContent c = ParseJournal(lines);
    ASSERT_TRUE(c.start);
    EXPECT_EQ(c.start->sampleId, "Cu \xC2\xB5 tab here");
    EXPECT_EQ(c.start->plan[2], "80");
    EXPECT_EQ(c.start->batchTests + c.start->roundTrip, 4);
    EXPECT_TRUE(SameBits(c.start->initial.indicator, 0.0123457f));
    EXPECT_EQ(c.start->initial.time, 36000);
    ASSERT_EQ(c.stepReadings(1).size(), 2u);
    EXPECT_TRUE(SameBits(c.stepReadings(1)[0].indicator, awkward));
    EXPECT_EQ(c.stepReadings(1)[0].elapsedMinutes, 0.0f) << "a reading at 0.0 minutes is kept";
    EXPECT_TRUE(SameBits(c.stepReadings(1)[1].projectedIndicator, 0.0124f + 1e-7f));
    ASSERT_EQ(c.stepsSaved(), 1);
    EXPECT_EQ(c.saves[0].projection.stabilityThreshold, 7.5f);
    ASSERT_EQ(c.stepReadings(2).size(), 1u) << "the attempt after the resumption";
    EXPECT_EQ(c.stepReadings(2)[0].indicator, 0.03f);
    ASSERT_EQ(c.abandoned.size(), 1u);
    EXPECT_EQ(c.abandoned[0].first, 2);
    EXPECT_EQ(c.abandoned[0].second.size(), 2u);
    EXPECT_EQ(c.lastTime, "t7");
    EXPECT_TRUE(c.endedHow.empty());
    EXPECT_EQ(c.badLines, 0);

    lines.push_back(JournalEndLine("t8", "completed"));
    EXPECT_EQ(ParseJournal(lines).endedHow, "completed");

    // A step's save journalled twice (a crash between the save and its record, then the
    // save again) counts once.
    lines.insert(lines.begin() + 5, lines[4]);
    EXPECT_EQ(ParseJournal(lines).stepsSaved(), 1);
}

TEST(TestJournal, TornAndDamagedLinesAreIgnoredAndNothingElse) {
    std::vector<std::string> lines{JournalStartLine(MakeStart())};
    for (int r = 1; r <= 4; ++r)
        lines.push_back(JournalReadingLine("t", 1, MakeReading(0.1f * r, 0.01f * r)));
    std::string torn = JournalReadingLine("t", 1, MakeReading(0.5f, 0.05f));
    for (size_t cut : {size_t{1}, torn.size() / 2, torn.size() - 1}) {
        auto withTorn = lines;
        withTorn.push_back(torn.substr(0, cut));
        const JournalContent c = ParseJournal(withTorn);
        EXPECT_EQ(c.stepReadings(1).size(), 4u) << "cut at " << cut;
        EXPECT_EQ(c.badLines, 1);
    }
    // One changed digit in the middle of the file: that reading goes, the rest stays.
    auto damaged = lines;
    damaged[2][4] = damaged[2][4] == '1' ? '2' : '1';
    const JournalContent c = ParseJournal(damaged);
    EXPECT_EQ(c.stepReadings(1).size(), 3u);
    EXPECT_EQ(c.badLines, 1);
    // Records without a start belong to no test.
    EXPECT_EQ(ParseJournal({lines.begin() + 1, lines.end()}).goodLines, 0);
}

TEST(TestJournal, TheFileIsAppendedBehindATornLineAndFailedAppendsLeaveNoHalfRecord) {
    test::TempFolder dir;
    const std::string path = dir.file("Bar_CTE.jnl");
    {
        JournalFile file(path);
        file.append(JournalStartLine(MakeStart()));
        file.append(JournalReadingLine("t", 1, MakeReading(0.1f, 0.01f)));
    }
    // The power failed in the middle of the next write.
    const std::string torn = JournalReadingLine("t", 1, MakeReading(0.2f, 0.02f));
    dir.write("Bar_CTE.jnl", dir.read("Bar_CTE.jnl") + torn.substr(0, 20));
    {
        JournalFile restarted(path);
        restarted.append(JournalResumeLine("t", 1));
        restarted.append(JournalReadingLine("t", 1, MakeReading(0.1f, 0.03f)));
    }
    auto c = ReadJournal(path);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->badLines, 1);
    EXPECT_EQ(c->resumptions, 1) << "the record after the torn line is a line of its own";
    ASSERT_EQ(c->stepReadings(1).size(), 1u);
    EXPECT_EQ(c->stepReadings(1)[0].indicator, 0.03f);

    // A full disk: the record that did not fit leaves nothing of itself behind, waits, and
    // goes first once there is room again, so the journal has no gap.
    const std::string before = dir.read("Bar_CTE.jnl");
    JournalFile file(path);
    {
        test::FileSizeLimit full(before.size() + 30);
        EXPECT_THROW(file.append(JournalReadingLine("t", 1, MakeReading(0.2f, 0.04f))),
                     FileError);
        EXPECT_THROW(file.append(JournalReadingLine("t", 1, MakeReading(0.3f, 0.05f))),
                     FileError);
        EXPECT_EQ(dir.read("Bar_CTE.jnl"), before) << "no half record";
        EXPECT_EQ(file.pending(), 2u);
    }
    file.append(JournalReadingLine("t", 1, MakeReading(0.4f, 0.06f)));
    EXPECT_EQ(file.pending(), 0u);
    c = ReadJournal(path);
    ASSERT_EQ(c->stepReadings(1).size(), 4u);
    EXPECT_EQ(c->stepReadings(1)[1].indicator, 0.04f);
    EXPECT_EQ(c->stepReadings(1)[3].indicator, 0.06f);

    // A data folder that was removed: the append fails and says so.
    JournalFile gone(dir.file("Removed/Bar_CTE.jnl"));
    EXPECT_THROW(gone.append(JournalStartLine(MakeStart())), FileError);
}

} // namespace
} // namespace dilato
