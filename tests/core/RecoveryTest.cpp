// A test interrupted by a crash, in-process on the virtual clock: the program that ran it
// simply stops (nothing of it runs again, as after a power cut) and a second program on
// the same system folder finds the test by its journal, resumes it or closes it, and no
// stored reading is lost.

#include "CopperRecord.h"
#include "CoreFakes.h"
#include "app/KillHarness.h"
#include "SimulatedProgram.h"

#include "core/TestRecovery.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/LeadingNumber.h"
#include "platform/TextFile.h"
#include "results/StoreAddress.h"
#include "results/StoreConnection.h"
#include "storage/EvidenceSection.h"
#include "storage/ExistingTest.h"
#include "support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace dilato {
namespace {

using test::SimulatedProgram;

sim::BenchParams Copper() {
    sim::BenchParams bench;
    bench.sample.expansion = sim::ExpansionCurve::Named("copper");
    return bench;
}

// Starts the test and runs it until `crash` holds; then the program is left for dead.
void RunUntilCrash(SimulatedProgram& p, const std::function<bool(const TestRun&)>& crash) {
    p.program.StartInstruments();
    p.program.session.start.StartPressed();
    ASSERT_TRUE(test::RunUntil(
        p.clock, [&] { p.clock.advance(1.0); }, [&] { return crash(p.program.session.run); },
        6 * 3600.0));
}

int ReadingsOf(const TestRun& run, int step) {
    return run.stepData.stepCount() >= step ? run.stepData.readingCount(step) : 0;
}

std::string Demo(const SimulatedProgram& p) {
    return p.program.folders.DataRoot() + "Demo/";
}

std::vector<std::string> StepLines(const std::string& file, int step) {
    return test::StepReadingLines(file, step);
}

// The program that starts after the crash, on the same system folder.
struct Restart {
    explicit Restart(SimulatedProgram& crashed)
        : p(Copper(), "20/50/80/0/0/0/0/0/0", 3, {}, crashed.program.folders.SysFolder) {
        p.program.StartInstruments();
        tests = FindInterruptedTests(p.program.folders);
    }
    void RunToTheEnd() {
        test::RunUntilTestEnds(p.program, [&] { p.clock.advance(1.0); }, 12 * 3600.0, p.clock);
    }
    SimulatedProgram p;
    std::vector<InterruptedTest> tests;
};

TEST(Recovery, AResumedTestKeepsEveryReadingAndMeasuresAsAnUninterruptedOne) {
    SimulatedProgram first(Copper());
    const auto inStep2 = [](const TestRun& run) {
        return run.StepsSaved == 1 && ReadingsOf(run, 2) >= 30;
    };
    RunUntilCrash(first, inStep2);
    const std::vector<Reading> step1(first.program.session.run.stepData.readings(1).begin(),
                                     first.program.session.run.stepData.readings(1).end());
    const auto step2 = first.program.session.run.stepData.readings(2);
    const std::vector<std::string> savedStep1 = StepLines(Demo(first) + "Sample1_CTE.dat", 1);
    ASSERT_LT(first.program.session.run.testState, state::Hold);
    const Projection carried = first.program.session.run.projection; // from step 1 on
    ASSERT_GE(first.program.session.run.evidence.size(), 1u);
    TestEvidence before;
    before.steps = {first.program.session.run.evidence[0]};
    const EvidenceKeys step1Evidence = EvidenceSectionKeys(before);

    Restart again(first);
    ASSERT_EQ(again.tests.size(), 1u);
    const InterruptedTest& t = again.tests[0];
    EXPECT_TRUE(t.problem.empty()) << t.problem;
    EXPECT_EQ(t.step, 2);
    EXPECT_EQ(t.steps, 3);
    EXPECT_EQ(t.content.stepReadings(2).size(), step2.size()) << "every stored reading";
    const std::string text = InterruptedTestText(t);
    EXPECT_NE(text.find("\"Sample1\" in the data folder Demo was interrupted in step 2 of 3 (50 "),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(t.content.lastTime), std::string::npos) << "when it stopped";

    ASSERT_TRUE(again.p.program.recovery.Resume(t));
    EXPECT_EQ(again.p.program.session.run.testState, state::StepStart);
    EXPECT_EQ(again.p.program.session.run.SetPointTemp, 50) << "back to the step's set point";
    // The drift threshold and projected CTE go on from the step before, as without the crash.
    EXPECT_EQ(again.p.program.session.run.projection.stabilityThreshold,
              carried.stabilityThreshold);
    EXPECT_EQ(again.p.program.session.run.projection.projectedCte, carried.projectedCte);
    again.RunToTheEnd();
    const TestRun& run = again.p.program.session.run;
    EXPECT_EQ(run.StepsSaved, 3) << (again.p.op.messages.empty() ? "" : again.p.op.last().text);

    // The completed step is the one measured before the crash, reading for reading.
    ASSERT_EQ(run.stepData.readingCount(1), static_cast<int>(step1.size()));
    for (size_t r = 0; r < step1.size(); ++r)
        EXPECT_EQ(run.stepData.readings(1)[r].indicator, step1[r].indicator) << r;
    EXPECT_EQ(StepLines(Demo(first) + "Sample1_CTE.dat", 1), savedStep1);
    // The interrupted attempt of step 2 is kept in a file of its own.
    EXPECT_EQ(StepLines(Demo(first) + "Sample1_Interrupted.txt", 2).size(), step2.size());
    EXPECT_FALSE(IsFile(Demo(first) + "Sample1_CTE.jnl")) << "a test that ended keeps none";

    // Its results are within their accuracy estimates of the simulated truth.
    const auto& alpha = again.p.instruments.bench.params().sample.expansion;
    for (int k = 1; k <= 3; ++k) {
        const std::string line =
            ReadIniValue(again.p.program.folders.SummaryFileName, "CTE Test Summary #",
                         "CTE " + std::to_string(k) + ":");
        ASSERT_FALSE(line.empty()) << k;
        const int row = k;
        const double truth = alpha.meanAlpha(run.results.at(row, result::StartTemp),
                                             run.results.at(row, result::EndTemp));
        EXPECT_NEAR(run.results.at(row, result::Cte), truth,
                    truth * run.results.at(row, result::Accuracy))
            << line;
    }

    // Its evidence is that of a test never interrupted: the step measured before the crash
    // shows what it showed then, and every result has its uncertainty.
    const std::string summary = again.p.program.folders.SummaryFileName;
    ASSERT_EQ(step1Evidence.size(), 5u);
    for (const auto& [key, value] : step1Evidence)
        EXPECT_EQ(" " + ReadIniValue(summary, "CTE Test Evidence #", key), value) << key;
    for (int k = 1; k <= 3; ++k) {
        const std::string u =
            ReadIniValue(summary, "CTE Test Evidence #", "CTE " + std::to_string(k) + " Uncertainty");
        EXPECT_EQ(u.rfind("U = ", 0), 0u) << k << ": " << u;
    }
}

TEST(Recovery, AResumedTestKeepsTheMaterialClassItWasStartedWith) {
    SimulatedProgram first(Copper());
    first.program.session.window.view().materialClass = "metal";
    RunUntilCrash(first, [](const TestRun& run) { return ReadingsOf(run, 1) >= 10; });
    ASSERT_EQ(first.program.session.run.equilibrium.kind, MaterialClass::Metal);

    Restart again(first);
    ASSERT_EQ(again.tests.size(), 1u);
    EXPECT_EQ(again.tests[0].content.start->materialClass, MaterialClass::Metal);
    ASSERT_TRUE(again.p.program.recovery.Resume(again.tests[0]));
    EXPECT_EQ(again.p.program.session.run.equilibrium.kind, MaterialClass::Metal)
        << "its steps still end at equilibrium";
    EXPECT_EQ(again.p.program.session.window.view().materialClass, "metal");
}

TEST(Recovery, ASavedStepKeepsItsEndValueAtEquilibriumAfterAResume) {
    SimulatedProgram first(Copper());
    first.program.session.window.view().materialClass = "metal";
    RunUntilCrash(first, [](const TestRun& run) {
        return run.StepsSaved == 1 && ReadingsOf(run, 2) >= 10;
    });
    const TestRun& before = first.program.session.run;
    ASSERT_TRUE(before.evidence.at(0).equilibrium.has_value());

    Restart again(first);
    ASSERT_EQ(again.tests.size(), 1u);
    ASSERT_TRUE(again.p.program.recovery.Resume(again.tests[0]));
    const TestRun& after = again.p.program.session.run;
    ASSERT_TRUE(after.evidence.at(0).equilibrium.has_value())
        << "the step's results would fall back to its last reading";
    const StepEquilibrium& was = *before.evidence[0].equilibrium;
    const StepEquilibrium& is = *after.evidence[0].equilibrium;
    EXPECT_DOUBLE_EQ(is.fit.endValue, was.fit.endValue);
    EXPECT_EQ(is.reached, was.reached);
    EXPECT_EQ(after.evidence[0].resultIndicator(), before.evidence[0].resultIndicator());
}

TEST(Recovery, ClosingAsIncompleteKeepsTheCompletedStepsAsAFinishedTest) {
    struct Case {
        int saved;
        std::string rawName; // "" none
        bool summary;
    };
    for (const Case& c : {Case{2, "Sample1", true}, Case{1, "Sample1-x1", false}, Case{0, "", false}}) {
        SCOPED_TRACE(c.saved);
        SimulatedProgram first(Copper());
        RunUntilCrash(first, [&c](const TestRun& run) {
            return run.StepsSaved == c.saved && ReadingsOf(run, c.saved + 1) >= 20;
        });
        const int partial = ReadingsOf(first.program.session.run, c.saved + 1);
        Restart again(first);
        ASSERT_EQ(again.tests.size(), 1u);
        std::vector<std::string> kept;
        ASSERT_TRUE(again.p.program.recovery.CloseIncomplete(again.tests[0], kept));
        const std::string demo = Demo(first);
        if (c.rawName.empty()) {
            EXPECT_FALSE(IsFile(demo + "Sample1_CTE.dat"));
        } else {
            const auto raw = ReadTextLines(demo + c.rawName + "_CTE.dat");
            ASSERT_TRUE(raw);
            int headers = 0;
            for (const auto& line : *raw) headers += line.rfind("Test #", 0) == 0;
            EXPECT_EQ(headers, c.saved) << "a test of that many steps";
        }
        if (c.saved == 1) {
            EXPECT_FALSE(IsFile(demo + "Sample1_CTE.dat")) << "renamed, not copied";
        }
        EXPECT_EQ(IsFile(demo + "Sample1_CTE.txt"), c.summary);
        if (c.summary) {
            EXPECT_FALSE(ReadIniValue(demo + "Sample1_CTE.txt", "CTE Test Summary #", "CTE 1:")
                             .empty());
            EXPECT_TRUE(ReadIniValue(demo + "Sample1_CTE.txt", "CTE Test Summary #", "CTE 2:")
                            .empty());
        }
        const std::string name = c.rawName.empty() ? "Sample1" : c.rawName;
        EXPECT_EQ(StepLines(demo + name + "_Interrupted.txt", c.saved + 1).size(),
                  static_cast<size_t>(partial));
        EXPECT_FALSE(IsFile(demo + "Sample1_CTE.jnl"));
        EXPECT_EQ(again.p.program.params.SysParam(slot::NumberOfBatchTests).number(), 3)
            << "the plan is the operator's again";
    }
}

// A correction record of the program's stage, made the day before the virtual clock starts:
// the column's change at 20, 50 and 80 degrees scaled by `slope` (inches per degree).
int WriteCorrection(SimulatedProgram& p, double slope, int hoursBefore) {
    CorrectionRecordData r =
        test::CopperRecord(QDateTime(QDate(2026, 1, 5), QTime(9, 0)).addSecs(-3600 * hoursBefore),
                           p.program.params,
                           {{20, 0, 1e-7}, {50, 30 * slope, 1e-7}, {80, 60 * slope, 1e-7}});
    (void)WriteCorrectionRecord(p.program.session.reference.RecordFolder(), r);
    return r.number;
}

// A test taken up after a restart keeps the system correction it started with, though a
// newer record has been written meanwhile: closed as incomplete, its result and summary are
// those the running test had; resumed, it goes on with the same correction.
TEST(Recovery, ATestTakenUpAgainKeepsTheCorrectionItStartedWith) {
    SimulatedProgram first(Copper());
    ASSERT_EQ(WriteCorrection(first, -5e-7, 24), 1);
    RunUntilCrash(first, [](const TestRun& run) {
        return run.StepsSaved == 2 && ReadingsOf(run, 3) >= 20;
    });
    const TestRun& before = first.program.session.run;
    ASSERT_EQ(before.correction.record, 1);
    const float cte = before.results.at(1, result::Cte);
    ASSERT_EQ(WriteCorrection(first, +5e-7, 12), 2) << "the record a new test would take";

    for (const bool resume : {true, false}) {
        SCOPED_TRACE(resume ? "resumed" : "closed");
        Restart again(first);
        ASSERT_EQ(again.tests.size(), 1u);
        EXPECT_EQ(again.tests[0].content.start->correctionRecord, 1);
        if (resume) {
            ASSERT_TRUE(again.p.program.recovery.Resume(again.tests[0]));
            EXPECT_EQ(again.p.program.session.run.correction.record, 1);
            EXPECT_TRUE(again.p.program.session.run.correction.warnings.empty());
            continue; // the journal stays: the same test is closed next
        }
        std::vector<std::string> kept;
        ASSERT_TRUE(again.p.program.recovery.CloseIncomplete(again.tests[0], kept));
        const std::string summary = Demo(first) + "Sample1_CTE.txt";
        EXPECT_EQ(ReadIniValue(summary, "CTE Test Evidence #", "System Correction")
                      .rfind("correction record 1 of ", 0),
                  0u)
            << ReadIniValue(summary, "CTE Test Evidence #", "System Correction");
        EXPECT_FLOAT_EQ(again.p.program.session.run.results.at(1, result::Cte), cte);
    }
}

// The results store follows a test the recovery takes up: a resumed one goes on under the
// row it had to its end; one closed as incomplete ends "closed" under its -x name.
TEST(Recovery, TheResultsStoreFollowsAResumedOrAClosedTest) {
    for (const bool resume : {true, false}) {
        SCOPED_TRACE(resume ? "resumed" : "closed");
        SimulatedProgram first(Copper());
        ASSERT_TRUE(first.program.OpenResultsStore(std::nullopt)) << first.op.last().text;
        RunUntilCrash(first, [](const TestRun& run) {
            return run.StepsSaved == 1 && ReadingsOf(run, 2) >= 30;
        });
        const int step1 = ReadingsOf(first.program.session.run, 1);
        Restart again(first);
        ASSERT_TRUE(again.p.program.OpenResultsStore(std::nullopt));
        ASSERT_EQ(again.tests.size(), 1u);
        if (resume) {
            ASSERT_TRUE(again.p.program.recovery.Resume(again.tests[0]));
            again.RunToTheEnd();
            ASSERT_EQ(again.p.program.session.run.StepsSaved, 3);
        } else {
            std::vector<std::string> kept;
            ASSERT_TRUE(again.p.program.recovery.CloseIncomplete(again.tests[0], kept));
        }
        results::StoreConnection c(results::LocalStoreAddress(first.program.folders.SysFolder));
        const auto value = [&c](const char* sql) { return c.Value(QString::fromLatin1(sql)); };
        EXPECT_EQ(value("SELECT COUNT(*) FROM tests").toInt(), 1) << "the interrupted test's row";
        EXPECT_EQ(value("SELECT ending FROM tests").toString(), resume ? "completed" : "closed");
        EXPECT_EQ(value("SELECT test_name FROM tests").toString(),
                  resume ? "Sample1" : "Sample1-x1");
        const TestRun& run = again.p.program.session.run;
        int readings = step1;
        if (resume) readings = ReadingsOf(run, 1) + ReadingsOf(run, 2) + ReadingsOf(run, 3);
        EXPECT_EQ(value(resume ? "SELECT COUNT(*) FROM readings"
                               : "SELECT COUNT(*) FROM readings WHERE step = 1")
                      .toInt(),
                  readings);
        EXPECT_EQ(value("SELECT COUNT(*) FROM steps WHERE ending IS NOT NULL").toInt(),
                  resume ? 3 : 1);
    }
}

TEST(Recovery, TheStartUpQuestionAndTheJournalsThatCannotBeUsed) {
    SimulatedProgram first(Copper());
    RunUntilCrash(first, [](const TestRun& run) { return ReadingsOf(run, 1) >= 10; });
    const std::string demo = Demo(first);
    const std::string journal = demo + "Sample1_CTE.jnl";

    // No new test of that name while it waits for an answer, even with "Yes" to replace.
    {
        test::RecordingOperator op;
        op.queueAnswer(MessageAnswer::Yes);
        EXPECT_FALSE(ConfirmTestOverwrite(first.program.folders, op));
        EXPECT_TRUE(IsFile(journal));
    }
    // The question: "Close as incomplete" must be confirmed; not confirmed, it is asked again.
    {
        Restart again(first);
        again.p.op.queueAnswer(MessageAnswer::No);  // close as incomplete
        again.p.op.queueAnswer(MessageAnswer::No);  // ... not sure
        again.p.op.queueAnswer(MessageAnswer::Yes); // resume
        EXPECT_TRUE(again.p.program.recovery.AskAndRecover(again.tests));
        ASSERT_GE(again.p.op.messages.size(), 3u);
        EXPECT_EQ(again.p.op.messages[0].captions,
                  (std::vector<std::string>{"Resume", "Close as incomplete"}));
        EXPECT_EQ(again.p.op.messages[2].title, kInterruptedTitle);
        EXPECT_EQ(again.p.program.session.run.testState, state::StepStart);
    }
    // Resumed then interrupted again: both attempts of step 1 are kept.
    {
        Restart third(first);
        ASSERT_EQ(third.tests.size(), 1u);
        EXPECT_EQ(third.tests[0].content.abandoned.size(), 1u);
    }

    // A raw data file of another sample beside the journal: it is not this test's.
    SimulatedProgram other(Copper());
    RunUntilCrash(other, [](const TestRun& run) { return run.StepsSaved == 1; });
    const std::string raw = Demo(other) + "Sample1_CTE.dat";
    auto lines = *ReadTextLines(raw);
    lines[0] = "Sample Length = 1.500";
    WriteTextLinesAtomic(raw, lines);
    Restart mismatched(other);
    ASSERT_EQ(mismatched.tests.size(), 1u);
    EXPECT_NE(mismatched.tests[0].problem.find("1.500"), std::string::npos)
        << mismatched.tests[0].problem;
    EXPECT_FALSE(mismatched.p.program.recovery.Resume(mismatched.tests[0]));
    EXPECT_EQ(mismatched.p.program.session.run.testState, state::Idle);
    EXPECT_TRUE(IsFile(Demo(other) + "Sample1_CTE.jnl")) << "left for the operator";

    // A journal whose first line was torn holds no test: it goes, and nothing is asked.
    test::TempFolder dir;
    dir.write("Data/Demo/Torn_CTE.jnl", "S\t12-09-2026 10:00:00\tDe");
    EXPECT_FALSE(FindInterruptedTest(dir.file("Data/Demo/Torn_CTE.jnl")));
    EXPECT_FALSE(IsFile(dir.file("Data/Demo/Torn_CTE.jnl")));
    // A test folder deleted with its journal leaves nothing to find.
    std::filesystem::remove_all(Demo(other));
    Restart deleted(other);
    EXPECT_TRUE(deleted.tests.empty());
}

// The journal's bytes with `count` bytes from `offset` on set to zero.
std::string Zeroed(std::string bytes, size_t offset, size_t count) {
    for (size_t i = offset; i < offset + count && i < bytes.size(); ++i) bytes[i] = '\0';
    return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    WriteFileAtomic(path, bytes);
}

TEST(Recovery, AJournalThatCannotBeUsedIsReportedAndKeptNeverRemoved) {
    SimulatedProgram first(Copper());
    RunUntilCrash(first, [](const TestRun& run) {
        return run.StepsSaved == 1 && ReadingsOf(run, 2) >= 30;
    });
    const std::string journal = Demo(first) + "Sample1_CTE.jnl";
    const std::string good = *ReadFileBytes(journal);
    std::string crOnly, noLineEnd;
    for (const char ch : good) {
        if (ch != '\n') crOnly += ch;
        noLineEnd += ch == '\r' || ch == '\n' ? 'x' : ch;
    }
    struct Case {
        const char* what;
        std::string bytes;
        bool usable;
    };
    for (const Case& c : {Case{"all zero", std::string(good.size(), '\0'), false},
                          Case{"CR line ends", crOnly, true},
                          Case{"no line end", noLineEnd, false}}) {
        SCOPED_TRACE(c.what);
        WriteBytes(journal, c.bytes);
        const auto found = FindInterruptedTest(journal);
        ASSERT_TRUE(found) << "reported";
        EXPECT_EQ(found->problem.empty(), c.usable) << found->problem;
        if (c.usable) {
            EXPECT_EQ(found->step, 2);
            EXPECT_GE(found->content.stepReadings(2).size(), 30u) << "read in full";
        } else {
            Restart again(first);
            EXPECT_FALSE(again.p.program.recovery.Resume(found.value()));
            EXPECT_NE(again.p.op.last().text.find("cannot be resumed or closed"),
                      std::string::npos);
        }
        EXPECT_EQ(*ReadFileBytes(journal), c.bytes) << "kept as it was";
    }
}

TEST(Recovery, ADamagedJournalIsFilledFromTheRawDataFile) {
    SimulatedProgram first(Copper());
    RunUntilCrash(first, [](const TestRun& run) {
        return run.StepsSaved == 1 && ReadingsOf(run, 2) >= 30;
    });
    const std::string journal = Demo(first) + "Sample1_CTE.jnl";
    const std::string raw = Demo(first) + "Sample1_CTE.dat";
    const std::vector<std::string> savedStep1 = StepLines(raw, 1);
    const std::string good = *ReadFileBytes(journal);

    // 2,000 bytes zeroed inside step 1's readings: the raw data file holds them all.
    WriteBytes(journal, Zeroed(good, good.find("\nR\t") + 500, 2000));
    {
        Restart again(first);
        ASSERT_EQ(again.tests.size(), 1u);
        const InterruptedTest& t = again.tests[0];
        EXPECT_EQ(t.step, 2);
        EXPECT_EQ(t.completed.fromRawFile, std::vector<int>{1});
        EXPECT_EQ(t.completed.stepReadings(1).size(), savedStep1.size());
        const std::string text = InterruptedTestText(t);
        EXPECT_NE(text.find(" of its journal was left out"), std::string::npos)
            << text;
        EXPECT_NE(text.find("step 1 is taken from the raw data file"), std::string::npos) << text;
        ASSERT_TRUE(again.p.program.recovery.Resume(t));
        again.RunToTheEnd();
        EXPECT_EQ(again.p.program.session.run.StepsSaved, 3);
        EXPECT_EQ(StepLines(raw, 1), savedStep1) << "no reading of step 1 lost";
    }

    // The save record of step 1 zeroed: the readings of step 2 show that step 1 was
    // completed, and the interrupted step keeps its readings.
    SimulatedProgram second(Copper());
    RunUntilCrash(second, [](const TestRun& run) {
        return run.StepsSaved == 1 && ReadingsOf(run, 2) >= 30;
    });
    const std::string journal2 = Demo(second) + "Sample1_CTE.jnl";
    const std::string bytes = *ReadFileBytes(journal2);
    const size_t save = bytes.find("\nW\t") + 1;
    WriteBytes(journal2, Zeroed(bytes, save, bytes.find('\r', save) - save));
    const auto t = FindInterruptedTest(journal2);
    ASSERT_TRUE(t);
    EXPECT_TRUE(t->problem.empty()) << t->problem;
    EXPECT_EQ(t->step, 2) << "step 1 is not measured again";
    EXPECT_EQ(t->content.stepReadings(2).size(),
              second.program.session.run.stepData.readings(2).size());
}

TEST(Recovery, AFullDiskIsToldOnceAndTheJournalCatchesUpWithoutAGap) {
    SimulatedProgram p(Copper());
    RunUntilCrash(p, [](const TestRun& run) { return ReadingsOf(run, 1) >= 10; });
    const std::string journal = Demo(p) + "Sample1_CTE.jnl";
    {
        test::FileSizeLimit full(std::filesystem::file_size(journal) + 10);
        for (int s = 0; s < 120; ++s) p.clock.advance(1.0);
    }
    EXPECT_EQ(p.op.messages.size(), 1u);
    EXPECT_EQ(p.op.last().title, kJournalErrorTitle);
    EXPECT_NE(p.op.last().text.find("They are held in memory"), std::string::npos);
    EXPECT_GT(p.program.session.journal.pending(), 10u);
    for (int s = 0; s < 12; ++s) p.clock.advance(1.0);
    EXPECT_EQ(p.program.session.journal.pending(), 0u);
    const auto content = ReadJournal(journal);
    ASSERT_TRUE(content);
    const auto& stored = p.program.session.run.stepData.readings(1);
    ASSERT_EQ(content->stepReadings(1).size(), stored.size()) << "no gap";
    for (size_t r = 0; r < stored.size(); ++r)
        EXPECT_EQ(content->stepReadings(1)[r].elapsedMinutes, stored[r].elapsedMinutes);
}

TEST(Recovery, ADataFolderThatVanishesMidStepLosesNoReadingTheMessageSaysWhereTheyWent) {
    SimulatedProgram p(Copper());
    RunUntilCrash(p, [](const TestRun& run) { return ReadingsOf(run, 1) >= 10; });
    std::filesystem::remove_all(Demo(p)); // moved away by someone, journal and all
    ASSERT_TRUE(test::RunUntil(
        p.clock, [&] { p.clock.advance(1.0); },
        [&] { return p.program.session.run.testState == state::Idle; }, 3 * 3600.0));
    const TestRun& run = p.program.session.run;
    EXPECT_EQ(run.StepsSaved, 0);
    ASSERT_GE(p.op.messages.size(), 3u);
    ASSERT_EQ(p.op.notices.size(), 1u) << "told at once, once, without holding up the test";
    EXPECT_EQ(p.op.notices[0].title, kJournalErrorTitle);
    const std::string& saveText = p.op.messages[p.op.messages.size() - 2].text;
    EXPECT_EQ(saveText.rfind("Error saving file in okSaveDatFile: ", 0), 0u) << saveText;
    EXPECT_EQ(p.op.last().text, "Data-to-file Save was Unsuccessful");
    const std::string recovered = p.program.folders.SysFolder + "Recovered/";
    const auto kept = saveText.find("The test's readings are kept in " + recovered);
    ASSERT_NE(kept, std::string::npos) << saveText;
    const std::string file =
        saveText.substr(kept + 32, saveText.size() - kept - 33); // up to the final "."
    EXPECT_EQ(StepLines(file, 1).size(), RawFileReadings(run.stepData.readings(1)).size())
        << file;
    EXPECT_GE(StepLines(file, 1).size(), 100u) << "the whole step";
}

TEST(Recovery, AResumptionWhoseStageDoesNotAnswerKeepsTheTestForTheNextStart) {
    SimulatedProgram first(Copper());
    RunUntilCrash(first, [](const TestRun& run) { return run.StepsSaved == 1; });
    Restart again(first);
    again.p.instruments.controller.inject(sim::Fault::Silence);
    EXPECT_FALSE(again.p.program.recovery.Resume(again.tests[0]));
    EXPECT_EQ(again.p.program.session.run.testState, state::Idle);
    bool told = false;
    for (const auto& m : again.p.op.messages)
        told = told || m.text.find("No data received from the TE controller") != std::string::npos;
    EXPECT_TRUE(told) << (again.p.op.messages.empty() ? "" : again.p.op.last().text);
    const auto still = FindInterruptedTest(Demo(first) + "Sample1_CTE.jnl");
    ASSERT_TRUE(still);
    EXPECT_EQ(still->step, 2);
}

} // namespace
} // namespace dilato
