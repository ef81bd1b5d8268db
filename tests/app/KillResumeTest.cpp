// A simulated 3-step test run by a real dilato-run child on the virtual clock, killed with
// SIGKILL at chosen moments (in the middle of a journal write, before, inside and after a
// step's save), then run again with --resume: no journalled reading is lost, the files are
// whole and the results are within their accuracy estimates.

#include "KillHarness.h"

#include "platform/Files.h"
#include "storage/TestJournal.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace dilato::test {
namespace {

constexpr int kSteps = 3;

std::vector<std::string> Args(const std::string& system, std::vector<std::string> more = {}) {
    std::vector<std::string> args{"--simulate",  "--system-folder", system, "--folder", "Demo",
                                  "--test",      "Bar",             "--length", "2",
                                  "--plan",      "20,50,80"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

using Killed = KillOutcome;

// One run killed at `killAt` (or after `killAfter` seconds), then resumed to its end.
Killed Kill(const TempFolder& dir, const std::string& killAt, std::optional<double> killAfter = {},
            const std::vector<std::string>& more = {}) {
    const std::string system = dir.path() + "sys";
    return KillAndResume(DILATO_RUN_BINARY, Args(system, more), Args(system, {"--resume"}),
                         system + "/Data/Demo/", "Bar", kSteps, killAt, killAfter);
}

std::string Notes(const Killed& k) {
    std::string text = "killed run:\n" + k.first.out + "\nresumed run:\n" + k.resumed.out;
    for (const auto& n : k.verdict.notes) text += "\n" + n;
    return text;
}

void ExpectNothingLost(const Killed& k, int minimumReadings) {
    EXPECT_TRUE(k.first.killed) << k.first.out;
    EXPECT_TRUE(k.resumedRun) << Notes(k);
    EXPECT_EQ(k.resumed.status, 0) << Notes(k);
    EXPECT_GE(k.verdict.readings, minimumReadings) << Notes(k);
    EXPECT_EQ(k.verdict.lost, 0) << Notes(k);
    EXPECT_EQ(k.verdict.damaged, 0) << Notes(k);
    EXPECT_EQ(k.verdict.outsideAccuracy, 0) << Notes(k);
    EXPECT_EQ(k.verdict.withoutUncertainty, 0) << Notes(k);
}

TEST(KillResume, KilledInTheMiddleOfAJournalWriteTheTornLineIsIgnored) {
    TempFolder dir;
    const Killed k = Kill(dir, "journal-write:150");
    ExpectNothingLost(k, 140);
    EXPECT_NE(k.resumed.out.find("[Interrupted Test] The test \"Bar\" in the data folder Demo "
                                 "was interrupted in step "),
              std::string::npos)
        << k.resumed.out;
    EXPECT_NE(k.resumed.out.find("Resumed at step "), std::string::npos) << k.resumed.out;
}

TEST(KillResume, KilledBeforeInsideAndAfterAStepSave) {
    // Before the second save; after the raw data file of the second, before its results;
    // between the second step's saved files and their journal record.
    for (const std::string point : {"step-save:2", "raw-data-saved:2", "step-saved:2"}) {
        SCOPED_TRACE(point);
        TempFolder dir;
        const Killed k = Kill(dir, point);
        ExpectNothingLost(k, 20);
    }
}

TEST(KillResume, WithoutAnAnswerAnInterruptedTestIsReportedAndNoNewTestOfItsNameStarts) {
    TempFolder dir;
    const std::string system = dir.path() + "sys";
    const ChildRun killed = RunChild(DILATO_RUN_BINARY, Args(system), "step-saved:1");
    ASSERT_TRUE(killed.killed) << killed.out;
    const std::string journal = system + "/Data/Demo/Bar_CTE.jnl";
    const std::string raw = system + "/Data/Demo/Bar_CTE.dat";
    ASSERT_TRUE(IsFile(journal));
    for (const std::vector<std::string>& answer :
         {std::vector<std::string>{}, std::vector<std::string>{"--overwrite"}}) {
        const ChildRun refused = RunChild(DILATO_RUN_BINARY, Args(system, answer));
        EXPECT_EQ(refused.status, 1) << refused.out;
        EXPECT_NE(refused.out.find("was interrupted in step 1 of 3"), std::string::npos)
            << refused.out;
        EXPECT_NE(refused.out.find("give --resume to go on with it or --close-incomplete"),
                  std::string::npos)
            << refused.out;
        EXPECT_TRUE(IsFile(journal));
    }
    // Another sample length: not the sample of the interrupted test.
    auto longer = Args(system, {"--resume"});
    longer[8] = "1.5";
    const ChildRun other = RunChild(DILATO_RUN_BINARY, longer);
    EXPECT_EQ(other.status, 1);
    EXPECT_NE(other.out.find("sample length of 2.000 in, not 1.500 in"), std::string::npos)
        << other.out;

    // Closed as incomplete: the first step was saved but its journal record was not, so the
    // test has no completed step; all its readings are kept.
    const auto before = JournalledReadings(journal);
    const ChildRun closed = RunChild(DILATO_RUN_BINARY, Args(system, {"--close-incomplete"}));
    EXPECT_EQ(closed.status, 0) << closed.out;
    EXPECT_NE(closed.out.find("Closed as incomplete with 0 of 3 steps"), std::string::npos)
        << closed.out;
    EXPECT_FALSE(IsFile(journal));
    EXPECT_EQ(StepReadingLines(system + "/Data/Demo/Bar_Interrupted.txt", 1).size(),
              before.size());

    // The kept readings are the test's files: a new test of the name must replace them.
    const ChildRun again = RunChild(DILATO_RUN_BINARY, Args(system));
    EXPECT_EQ(again.status, 1) << again.out;
    EXPECT_NE(again.out.find("give --overwrite"), std::string::npos) << again.out;
    const ChildRun replaced = RunChild(DILATO_RUN_BINARY, Args(system, {"--overwrite"}));
    EXPECT_EQ(replaced.status, 0) << replaced.out;
    EXPECT_FALSE(IsFile(system + "/Data/Demo/Bar_Interrupted.txt"));
}

TEST(KillResume, AJournalWhoseTestFolderWasDeletedLeavesNothingToResume) {
    TempFolder dir;
    const std::string system = dir.path() + "sys";
    const ChildRun killed = RunChild(DILATO_RUN_BINARY, Args(system), "journal-write:40");
    ASSERT_TRUE(killed.killed) << killed.out;
    std::filesystem::remove_all(system + "/Data/Demo");
    const ChildRun fresh = RunChild(DILATO_RUN_BINARY, Args(system, {"--resume"}));
    EXPECT_EQ(fresh.status, 0) << fresh.out;
    EXPECT_EQ(fresh.out.find("[Interrupted Test]"), std::string::npos) << fresh.out;
    EXPECT_NE(fresh.out.find("Test completed"), std::string::npos) << fresh.out;
}

TEST(KillResume, KilledFromOutsideAtATimeScale) {
    // A wall-clock run: two seconds into a test running 1000 times faster than the wall
    // (about four seconds long).
    TempFolder dir;
    const Killed k = Kill(dir, {}, 2.0, {"--time-scale", "1000"});
    if (!k.first.killed) GTEST_SKIP() << "the run ended before the kill: " << k.first.out;
    ExpectNothingLost(k, 1);
}

} // namespace
} // namespace dilato::test
