// The result sinks of a test: every registered sink hears the test start, each stored reading,
// each saved step and the end, in order, after the journal; a sink that fails is logged once
// and stops neither the other sinks nor the test.

#include "SimulatedProgram.h"

#include "core/SessionSinks.h"
#include "platform/Files.h"
#include "platform/TextFile.h"
#include "support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>

namespace dilato {
namespace {

struct RecordingSink final : ResultSink {
    explicit RecordingSink(const Folders& f) : folders(f) {}
    [[nodiscard]] std::string sinkName() const override { return "recording"; }
    void TestStarted(const TestOpening& t) override {
        events.push_back("started");
        opening = t;
        journalFirst = IsFile(JournalPath(folders));
    }
    void TestResumed(const TestResumption& r) override {
        events.push_back(std::string(r.goesOn ? "resumed " : "closing ") +
                         std::to_string(r.stepsSaved));
        opening = r.test;
    }
    void ReadingStored(int step, const Reading&, const QDateTime& at) override {
        if (events.back() != "reading " + std::to_string(step))
            events.push_back("reading " + std::to_string(step));
        ++readings.at(static_cast<size_t>(step));
        timesValid = timesValid && at.isValid();
    }
    void StepSaved(const StepSaving& s) override {
        events.push_back("saved " + std::to_string(s.step));
        lastFiles = s.files;
        lastCte = s.results.at(1, result::Cte);
        evidenceSteps = s.evidence.size();
    }
    void TestEnded(const TestEnding& e) override { events.push_back("ended " + e.how); }

    const Folders& folders;
    std::vector<std::string> events;
    TestOpening opening;
    bool journalFirst = false;
    bool timesValid = true;
    std::array<int, 11> readings{};
    std::vector<std::string> lastFiles;
    float lastCte = 0;
    size_t evidenceSteps = 0;
};

struct FailingSink final : ResultSink {
    [[nodiscard]] std::string sinkName() const override { return "failing"; }
    void TestStarted(const TestOpening&) override { Fail(); }
    void TestResumed(const TestResumption&) override { Fail(); }
    void ReadingStored(int, const Reading&, const QDateTime&) override { Fail(); }
    void StepSaved(const StepSaving&) override { Fail(); }
    void TestEnded(const TestEnding&) override { Fail(); }
    void Fail() {
        ++calls;
        throw std::runtime_error("the disk is gone");
    }
    int calls = 0;
};

TEST(ResultSinks, EverySinkHearsTheWholeTestAfterTheJournalAndAFailingOneStopsNothing) {
    test::SimulatedProgram p{sim::BenchParams{}, "20/50/0/0/0/0/0/0/0", 2};
    FailingSink failing;
    RecordingSink recording(p.program.folders);
    p.program.session.sinks.add(failing); // registered first: its failure must not stop the next
    p.program.session.sinks.add(recording);
    p.RunTest();

    const TestRun& run = p.program.session.run;
    ASSERT_EQ(run.StepsSaved, 2) << "the test completed";
    EXPECT_EQ(recording.events, (std::vector<std::string>{"started", "reading 1", "saved 1",
                                                          "reading 2", "saved 2",
                                                          "ended completed"}));
    EXPECT_TRUE(recording.journalFirst) << "the journal was written before the other sinks heard";
    for (int s = 1; s <= 2; ++s)
        EXPECT_EQ(recording.readings.at(static_cast<size_t>(s)), run.stepData.readingCount(s))
            << "every stored reading of step " << s;
    EXPECT_TRUE(recording.timesValid);

    EXPECT_EQ(recording.opening.testName, "Sample1");
    EXPECT_EQ(recording.opening.dataFolder, "Demo");
    EXPECT_EQ(recording.opening.setPoints, (std::vector<double>{20, 50}));
    EXPECT_FLOAT_EQ(recording.opening.sampleLength, run.SampleLength);
    EXPECT_FLOAT_EQ(recording.lastCte, run.results.at(1, result::Cte));
    EXPECT_EQ(recording.evidenceSteps, 2u);
    const std::string data = p.program.folders.DataPath;
    EXPECT_EQ(recording.lastFiles,
              (std::vector<std::string>{data + "Sample1_CTE.dat", data + "Sample1_CTE.txt"}));

    const int events = 1 + recording.readings[1] + recording.readings[2] + 2 + 1;
    EXPECT_EQ(failing.calls, events)
        << "the failing sink is told every event, not dropped after its first failure";
    const auto log = ReadTextLines(p.program.logs.ErrorLogFile());
    ASSERT_TRUE(log.has_value());
    size_t reported = 0;
    for (const auto& line : *log)
        if (line.find("in result sink failing.") != std::string::npos) ++reported;
    EXPECT_EQ(reported, 1u) << "its failure is logged once for the test, not at every reading";
    EXPECT_TRUE(p.op.messages.empty()) << "the operator is not troubled by a sink's failure";
}

// Writes "<name> <event>" into a log shared by several sinks.
struct OrderSink final : ResultSink {
    OrderSink(std::string n, std::vector<std::string>& l) : name(std::move(n)), log(l) {}
    [[nodiscard]] std::string sinkName() const override { return name; }
    void TestStarted(const TestOpening&) override { log.push_back(name + " started"); }
    void TestResumed(const TestResumption&) override { log.push_back(name + " resumed"); }
    void ReadingStored(int, const Reading&, const QDateTime&) override {
        log.push_back(name + " reading");
    }
    void StepSaved(const StepSaving&) override { log.push_back(name + " saved"); }
    void TestEnded(const TestEnding&) override { log.push_back(name + " ended"); }
    std::string name;
    std::vector<std::string>& log;
};

TEST(ResultSinks, EachPlaceIsToldInItsFixedOrderWhateverTheOrderOfRegistration) {
    test::SimulatedProgram p{sim::BenchParams{}, "20/50/0/0/0/0/0/0/0", 2};
    std::vector<std::string> log;
    // Registered back to front; told front to back.
    const std::vector<std::pair<std::string, SinkPlace>> places{
        {"store", SinkPlace::Registered},
        {"plots", SinkPlace::Plots},
        {"report", SinkPlace::Report},
        {"copies", SinkPlace::RemoteCopies}};
    std::vector<std::unique_ptr<OrderSink>> sinks;
    for (const auto& [name, place] : places) {
        sinks.push_back(std::make_unique<OrderSink>(name, log));
        p.program.session.sinks.add(*sinks.back(), place);
    }
    OrderSink late("export", log); // registered after the store: told after it
    p.program.session.sinks.add(late);
    p.RunTest();

    ASSERT_EQ(p.program.session.run.StepsSaved, 2);
    ASSERT_FALSE(log.empty());
    ASSERT_EQ(log.size() % 5, 0u);
    const std::vector<std::string> order{"copies", "report", "plots", "store", "export"};
    for (size_t i = 0; i < log.size(); i += 5) {
        const std::string event = log[i].substr(log[i].find(' '));
        for (size_t k = 0; k < order.size(); ++k)
            ASSERT_EQ(log[i + k], order[k] + event) << "event " << i / 5;
    }
    EXPECT_EQ(log.front(), "copies started");
    EXPECT_EQ(log.back(), "export ended");

    p.program.session.sinks.remove(late);
    const size_t before = log.size();
    p.program.session.sinks.TestEnded("stopped");
    EXPECT_EQ(log.size(), before + 4) << "a removed sink hears nothing more";
}

TEST(ResultSinks, AJournalThatCannotBeWrittenKeepsItsRuleAndTheOtherSinksHearEveryReading) {
    test::SimulatedProgram p{sim::BenchParams{}, "20/50/0/0/0/0/0/0/0", 2};
    RecordingSink recording(p.program.folders);
    p.program.session.sinks.add(recording);
    p.program.StartInstruments();
    p.program.session.start.StartPressed();
    const TestRun& run = p.program.session.run;
    ASSERT_TRUE(test::RunUntil(
        p.clock, [&] { p.clock.advance(1.0); },
        [&] { return run.stepData.stepCount() > 0 && run.stepData.readingCount(1) >= 10; },
        3600.0));
    const std::string journal = JournalPath(p.program.folders);
    {
        test::FileSizeLimit full(std::filesystem::file_size(journal) + 10);
        for (int s = 0; s < 120; ++s) p.clock.advance(1.0);
        ASSERT_GT(p.program.session.journal.pending(), 0u) << "the journal could not be written";
    }
    ASSERT_EQ(p.op.notices.size(), 1u) << "the journal's own rule: the operator told once";
    EXPECT_EQ(p.op.notices[0].title, kJournalErrorTitle);
    EXPECT_EQ(recording.readings[1], run.stepData.readingCount(1))
        << "the sinks after the journal heard every reading while it failed";
    EXPECT_NE(run.testState, state::Idle) << "the test goes on";
}

} // namespace
} // namespace dilato
