#include "Runner.h"
#include "RunOptions.h"

#include "platform/Files.h"
#include "platform/SystemFolderLock.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace dilato::run {
namespace {

TEST(RunOptions, ReadsTheOperatorsEntriesAndRefusesWhatItCannotUse) {
    const auto o = ParseRunOptions({"--simulate=material=pmma,length=1.9,seed=7", "--system-folder",
                                    "/tmp/s", "--folder=Demo", "--test", "T1", "--length", "48",
                                    "--mm", "--yes", "--plan", "20,60", "--sample-id", "P"});
    ASSERT_TRUE(o.simulate.has_value());
    EXPECT_EQ(o.simulate->material, "pmma");
    EXPECT_EQ(o.simulate->lengthInches, 1.9);
    EXPECT_EQ(o.simulate->seed, 7u);
    EXPECT_EQ(o.systemFolder, "/tmp/s");
    EXPECT_EQ(o.folder, "Demo");
    EXPECT_TRUE(o.millimetres && o.yes);
    EXPECT_EQ(o.plan, (std::vector<int>{20, 60}));
    EXPECT_EQ(
        ParseRunOptions({"--simulate=cte=12.5", "--test", "a", "--length", "2"}).simulate->cte,
        12.5);

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--length", "2"},
          {"--test", "a"},
          {"--test", "a", "--length", "2", "--time-scale", "0"},
          {"--test", "a", "--length", "2", "--simulate=colour=red"},
          {"--test", "a", "--length", "2", "--simulate", "--port", "COM1=/dev/null"},
          {"--test", "a", "--length", "2", "--plan", "20,x"},
          {"--test", "a", "--length", "2", "--plan", "20,50,50"},
          {"--test", "a", "--length", "2", "--plan", "20,24"},
          {"--test", "a", "--length", "2", "--simulate=outage=sensor:600"},
          {"--bogus"}})
        EXPECT_THROW((void)ParseRunOptions(bad), std::invalid_argument) << bad.front();
    EXPECT_TRUE(ParseRunOptions({"--help"}).help);
    const auto outage =
        ParseRunOptions({"--simulate=outage=controller:600:150", "--test", "a", "--length", "2"})
            .simulate->outages;
    ASSERT_EQ(outage.size(), 1u);
    EXPECT_EQ(outage[0].device, "controller");
    EXPECT_EQ(outage[0].at, 600.0);
    EXPECT_EQ(outage[0].seconds, 150.0);
}

TEST(Runner, ACompleteSimulatedTestOnAFreshSystemFolder) {
    test::TempFolder dir;
    RunOptions o =
        ParseRunOptions({"--simulate", "--system-folder", dir.path() + "x", "--folder", "Demo",
                         "--test", "Copper1", "--sample-id", "Cu", "--length", "2.0"});
    std::ostringstream out;
    std::atomic<bool> stop{false};
    EXPECT_EQ(RunTest(o, out, stop), kCompleted) << out.str();
    EXPECT_TRUE(IsFile(dir.path() + "x/Data/Demo/Copper1_CTE.dat"));
    EXPECT_TRUE(IsFile(dir.path() + "x/Data/Demo/Copper1_CTE.txt"));
    EXPECT_NE(out.str().find("provisioned"), std::string::npos);
    EXPECT_NE(out.str().find("Step 2 of 2 saved"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("CTE 1: 20.0\xC2\xB0"
                             "C to  50.0\xC2\xB0"
                             "C: 16."),
              std::string::npos)
        << out.str();

    // A length outside the range without --yes: the question is answered No, no test.
    o.length = "3.0";
    o.test = "Long";
    std::ostringstream refused;
    EXPECT_EQ(RunTest(o, refused, stop), kNotCompleted);
    EXPECT_NE(refused.str().find("[Sample Length Out-of-Range]"), std::string::npos);
    EXPECT_NE(refused.str().find("-> No"), std::string::npos);
    EXPECT_FALSE(IsFile(dir.path() + "x/Data/Demo/Long_CTE.dat"));
}

TEST(Runner, WithoutAClassTheSampleRunsAsItWasLastTestedAndTheMethodIsNamed) {
    test::TempFolder dir;
    // The operator's own settings, for this test alone.
    const char* before = std::getenv("XDG_CONFIG_HOME");
    const std::string kept = before ? before : "";
    ::setenv("XDG_CONFIG_HOME", (dir.path() + "config").c_str(), 1);
    std::atomic<bool> stop{false};
    std::ostringstream first, second;
    EXPECT_EQ(RunTest(ParseRunOptions({"--simulate", "--system-folder", dir.path() + "x",
                                       "--test", "Cu1", "--sample-id", "Cu-memory", "--length",
                                       "2.0", "--material-class", "metal"}),
                      first, stop),
              kCompleted)
        << first.str();
    EXPECT_NE(first.str().find("Method: ASTM E228 / E831: mean CTE of a solid between two "
                               "temperatures\n"),
              std::string::npos)
        << first.str();
    EXPECT_EQ(first.str().find("Material class"), std::string::npos) << "it was given";
    EXPECT_EQ(RunTest(ParseRunOptions({"--simulate", "--system-folder", dir.path() + "x",
                                       "--test", "Cu2", "--sample-id", "Cu-memory", "--length",
                                       "2.0"}),
                      second, stop),
              kCompleted)
        << second.str();
    EXPECT_NE(second.str().find("Material class metal, as sample Cu-memory was last tested"),
              std::string::npos)
        << second.str();
    if (before)
        ::setenv("XDG_CONFIG_HOME", kept.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

TEST(Runner, AStopRequestEndsTheTestAfterTheQuestion) {
    test::TempFolder dir;
    const RunOptions o = ParseRunOptions(
        {"--simulate", "--system-folder", dir.path() + "x", "--test", "Stopped", "--length", "2"});
    std::ostringstream out;
    std::atomic<bool> stop{true};
    EXPECT_EQ(RunTest(o, out, stop), kNotCompleted);
    EXPECT_NE(out.str().find("[Test-Termination Request] Do you want to end this test? "
                             "(Premature termination ... no data saved)"),
              std::string::npos)
        << out.str();
}

// Whether `text` holds `part`, for the output checks below.
bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

int RunWith(const std::vector<std::string>& args, std::string& printed) {
    std::ostringstream out;
    std::atomic<bool> stop{false};
    const int status = RunTest(ParseRunOptions(args), out, stop);
    printed = out.str();
    return status;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST(Runner, ATestNameWithDataIsRefusedUnlessOverwriteAndARerunIsOneRun) {
    test::TempFolder dir;
    const std::vector<std::string> args{"--simulate",
                                        "--system-folder",
                                        dir.path() + "x",
                                        "--folder",
                                        "Demo",
                                        "--test",
                                        "Cu",
                                        "--length",
                                        "2.0"};
    std::string out;
    ASSERT_EQ(RunWith(args, out), kCompleted) << out;
    EXPECT_NE(out.find("System folder: " + dir.path() + "x/ (given by --system-folder)"),
              std::string::npos);
    const std::string summary = dir.read("x/Data/Demo/Cu_CTE.txt");
    const std::string raw = dir.read("x/Data/Demo/Cu_CTE.dat");

    EXPECT_EQ(RunWith(args, out), kNotCompleted);
    EXPECT_NE(out.find("give --overwrite"), std::string::npos) << out;
    EXPECT_EQ(dir.read("x/Data/Demo/Cu_CTE.txt"), summary) << "nothing of the test is touched";
    EXPECT_EQ(dir.read("x/Data/Demo/Cu_CTE.dat"), raw);

    auto again = args;
    again.push_back("--overwrite");
    ASSERT_EQ(RunWith(again, out), kCompleted) << out;
    EXPECT_NE(out.find("[Test Name Already Used]"), std::string::npos);
    const std::string rerun = dir.read("x/Data/Demo/Cu_CTE.txt");
    EXPECT_EQ(Count(rerun, "[CTE Test Summary"), 1u);
    EXPECT_EQ(Count(rerun, "\n=="), 1u) << "one rule line, as one run leaves";
    EXPECT_EQ(Count(rerun, "\n"), Count(summary, "\n")) << rerun;
}

TEST(Runner, OneRunPerSystemFolderAndNoFactoryValuesOverAUsedOne) {
    test::TempFolder dir;
    const std::string folder = dir.path() + "x";
    const std::vector<std::string> args{"--simulate", "--system-folder", folder, "--test",
                                        "T",          "--length",        "2"};
    std::string out;
    ASSERT_EQ(RunWith(args, out), kCompleted) << out;
    const std::string meter = dir.read("x/LogFiles/HobbsMeter .dat");
    EXPECT_NE(meter.find("\r\n0."), std::string::npos) << "the run's connected time: " << meter;
    EXPECT_NE(meter, "") << "the hour meter counts a run with instruments";

    {
        std::string problem;
        const auto held = SystemFolderLock::Acquire(folder, problem);
        ASSERT_TRUE(held) << problem;
        auto other = args;
        other[4] = "T2";
        EXPECT_EQ(RunWith(other, out), kCannotStart);
        EXPECT_NE(out.find("[Multiple Dilato Instance Warning] Error: Only one Dilato session "
                           "allowed!"),
                  std::string::npos)
            << out;
        EXPECT_FALSE(IsFile(folder + "/Data/Tests/T2_CTE.dat"));
    }

    std::filesystem::remove(folder + "/CTESysParam.dat");
    auto third = args;
    third[4] = "T3";
    EXPECT_EQ(RunWith(third, out), kCannotStart);
    EXPECT_NE(out.find("Missing Application File:  " + folder + "/CTESysParam.dat"),
              std::string::npos)
        << out;
    EXPECT_FALSE(IsFile(folder + "/CTESysParam.dat")) << "not provisioned again";
}

// A simulated run in a fresh system folder below `dir`; its printed lines in `out`.
int RunSimulated(const test::TempFolder& dir, const std::string& simulate, const std::string& name,
                 std::string& out) {
    return RunWith({"--simulate=" + simulate, "--system-folder", dir.path() + "x", "--test", name,
                    "--length", "2"},
                   out);
}

TEST(Runner, ASilentSensorEndsTheRunAfterFiveFailedLinkChecks) {
    test::TempFolder dir;
    std::string out;
    EXPECT_EQ(RunSimulated(dir, "silent=sensor", "Lost", out), kInstrumentsLost) << out;
    EXPECT_EQ(Count(out, "[COM Port Configuration]"), 5u) << out;
    EXPECT_TRUE(Has(out, "dilato-run gives up: 5 link checks in a row found an instrument "
                         "that does not answer"))
        << out;
}

TEST(Runner, AnOutageUnderThreeMinutesLosesOnlyItsReadingsALongerOneEndsWithTheJournalKept) {
    struct Case {
        std::string outage;
        int status;
        const char* says;
    };
    for (const Case& c :
         {Case{"outage=sensor:600:150", kCompleted, "Test completed"},
          Case{"outage=controller:600:150", kCompleted, "Test completed"},
          Case{"outage=sensor:600:400", kNotCompleted,
               "[Displacement Sensor Error] No data received from the displacement sensor..."}}) {
        SCOPED_TRACE(c.outage);
        test::TempFolder dir;
        std::string out;
        EXPECT_EQ(RunSimulated(dir, c.outage, "Gap", out), c.status) << out;
        EXPECT_TRUE(Has(out, "[COM Port Configuration]")) << "the outage happened: " << out;
        EXPECT_TRUE(Has(out, c.says)) << out;
        EXPECT_FALSE(Has(out, "gives up")) << out;
        EXPECT_EQ(Has(out, "is kept: run dilato-run again with --resume"),
                  c.status != kCompleted)
            << out;
    }
}

TEST(Runner, ADamagedParameterFileRunsOnItsBackupOnlyWhenTold) {
    test::TempFolder dir;
    std::string out;
    ASSERT_EQ(RunSimulated(dir, "cte=12.5", "First", out), kCompleted) << out;
    ASSERT_FALSE(ListFiles(dir.path() + "x/", ".bak").empty()) << "the shutdown's backup";
    const std::string damaged = "junk that is no key\r\n[SysParams]\r\nUnits=0\r\n";
    dir.write("x/CTESysParam.dat", damaged);

    EXPECT_EQ(RunSimulated(dir, "cte=12.5", "Second", out), kCannotStart) << out;
    EXPECT_TRUE(Has(out, "-> No")) << out;
    EXPECT_TRUE(Has(out, "give --use-backup")) << out;
    EXPECT_EQ(dir.read("x/CTESysParam.dat"), damaged) << "left for the operator";

    EXPECT_EQ(RunWith({"--simulate=cte=12.5", "--system-folder", dir.path() + "x", "--test",
                       "Second", "--length", "2", "--use-backup"},
                      out),
              kCompleted)
        << out;
    EXPECT_FALSE(Has(dir.read("x/CTESysParam.dat"), "junk")) << "no line it could not read";
}

TEST(Runner, ASilentControllerStopsTheTestAtItsStart) {
    test::TempFolder dir;
    std::string out;
    EXPECT_EQ(RunSimulated(dir, "silent=controller", "Mute", out), kNotCompleted) << out;
    EXPECT_TRUE(Has(out, "[Temp-Stage Controller Error] No data received from the TE "
                         "controller on Send..."))
        << out;
    EXPECT_TRUE(Has(out, "Test not completed")) << out;
    EXPECT_FALSE(Has(out, "Subscript out of range")) << out;
    EXPECT_FALSE(IsFile(dir.path() + "x/Data/Tests/Mute_CTE.dat"));
}

TEST(Runner, ASampleThatKeepsDriftingCompletesThroughTheHoldLimit) {
    test::TempFolder dir;
    std::string out;
    EXPECT_EQ(RunSimulated(dir, "cte=12.5,drift=0.5", "Drift", out), kCompleted) << out;
    EXPECT_TRUE(Has(out, "Step 2 of 2 saved")) << out;
    EXPECT_TRUE(IsFile(dir.path() + "x/Data/Tests/Drift_CTE.txt"));
}

TEST(Runner, TheJournalOfATestThatEndedIsRemovedOrKeptForAudit) {
    test::TempFolder dir;
    const std::vector<std::string> args{"--simulate", "--system-folder", dir.path() + "x",
                                        "--test",     "J",               "--length",
                                        "2"};
    std::string out;
    ASSERT_EQ(RunWith(args, out), kCompleted) << out;
    EXPECT_FALSE(IsFile(dir.path() + "x/Data/Tests/J_CTE.jnl"));

    auto keep = args;
    keep.insert(keep.end(), {"--keep-journal", "--overwrite"});
    ASSERT_EQ(RunWith(keep, out), kCompleted) << out;
    const std::string journal = dir.read("x/Data/Tests/J_CTE.jnl");
    EXPECT_NE(journal.find("\nE\t"), std::string::npos) << "it ends with the end record";
    EXPECT_EQ(Count(journal, "\nR\t"), Count(dir.read("x/Data/Tests/J_CTE.dat"), ",     ") / 4)
        << "a line per stored reading";

    // A kept journal is no interrupted test: a new test of the name needs --overwrite, which
    // removes the journal with the other files.
    EXPECT_EQ(RunWith(args, out), kNotCompleted);
    EXPECT_FALSE(Has(out, "[Interrupted Test]")) << out;
    EXPECT_TRUE(Has(out, "give --overwrite")) << out;
    auto overwrite = args;
    overwrite.push_back("--overwrite");
    ASSERT_EQ(RunWith(overwrite, out), kCompleted) << out;
    EXPECT_FALSE(IsFile(dir.path() + "x/Data/Tests/J_CTE.jnl"));
}

TEST(RunOptions, SimulatedFaultsAreNamed) {
    EXPECT_EQ(ParseRunOptions(
                  {"--simulate=silent=sensor,silent=controller", "--test", "a", "--length", "2"})
                  .simulate->silent,
              (std::vector<std::string>{"sensor", "controller"}));
    EXPECT_THROW((void)ParseRunOptions({"--simulate=silent=cable", "--test", "a", "--length", "2"}),
                 std::invalid_argument);
    EXPECT_EQ(ParseRunOptions({"--simulate=drift=0.5", "--test", "a", "--length", "2"})
                  .simulate->driftMicronsPerMinute,
              0.5);
    EXPECT_THROW((void)ParseRunOptions({"--simulate=drift=x", "--test", "a", "--length", "2"}),
                 std::invalid_argument);
}

} // namespace
} // namespace dilato::run
