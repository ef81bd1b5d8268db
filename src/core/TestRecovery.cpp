#include "core/TestRecovery.h"

#include "core/TestPlan.h"
#include "platform/Files.h"
#include "platform/Format.h"
#include "platform/LeadingNumber.h"
#include "platform/TextFile.h"
#include "storage/RawDataFile.h"

#include <algorithm>
#include <array>
#include <filesystem>

namespace dilato {

namespace fs = std::filesystem;

namespace {

std::string LengthText(float inches) {
    return FormatSingle(inches, "0.000");
}

// The sample length line of the raw data file beside the journal, when there is one.
std::optional<std::string> RawFileLength(const std::string& rawFile) {
    const auto lines = ReadTextLines(rawFile);
    if (!lines) return std::nullopt;
    for (const auto& line : *lines)
        if (line.rfind("Sample Length = ", 0) == 0) return line.substr(16);
    return std::string();
}

// Why the journal cannot carry the test on; empty when it can.
std::string Problem(const InterruptedTest& t) {
    const JournalContent& c = t.content;
    if (!c.start) return "its journal holds no readable start of the test";
    if (t.steps < 1 || t.steps > StepData::kMaxSteps)
        return "its journal names " + std::to_string(t.steps) + " steps";
    if (c.stepsSaved() > t.steps) return "its journal has more saved steps than the test";
    const std::string raw = t.dataPath + t.testName + "_CTE.dat";
    if (t.completed.saved > 0) {
        const auto length = RawFileLength(raw);
        if (length && *length != LengthText(c.start->sampleLength))
            return "its raw data file " + raw + " is of a sample of " + *length +
                   " in, the journal of one of " + LengthText(c.start->sampleLength) + " in";
    }
    return {};
}

// The journal holds the beginning of its start record and nothing else: a program that died
// while writing its very first line. Anything else (no line end in a long file, bytes that
// no record starts with) is damage the operator must see.
bool TornFirstRecord(const std::string& path) {
    const auto bytes = ReadFileBytes(path);
    if (!bytes || bytes->size() > 2000 || bytes->rfind("S\t", 0) != 0) return false;
    return std::none_of(bytes->begin(), bytes->end(), [](char ch) {
        return ch == '\r' || ch == '\n' || ch == '\0';
    });
}

std::string PluralSteps(int n) {
    return std::to_string(n) + (n == 1 ? " step" : " steps");
}

} // namespace

std::string InterruptedTest::setPoint() const {
    if (!content.start || step < 1 || step > static_cast<int>(content.start->plan.size()))
        return "?";
    return FormatNumber(LeadingNumber(content.start->plan[static_cast<size_t>(step - 1)]), "0");
}

std::optional<InterruptedTest> FindInterruptedTest(const std::string& path) {
    if (!IsFile(path)) return std::nullopt;
    InterruptedTest t;
    t.journal = path;
    const fs::path p(path);
    t.dataPath = p.parent_path().string() + "/";
    const std::string name = p.filename().string();
    t.testName = name.substr(0, name.size() - std::string(kJournalEnding).size());
    auto content = ReadJournal(path);
    if (!content) {
        t.problem = "its journal cannot be read";
        return t;
    }
    t.content = std::move(*content);
    if (!t.content.endedHow.empty()) return std::nullopt;
    if (t.content.goodLines == 0 && TornFirstRecord(path)) {
        // Killed in the middle of the journal's first line: nothing of the test was stored.
        std::error_code ec;
        fs::remove(path, ec);
        return std::nullopt;
    }
    if (t.content.start)
        t.steps = t.content.start->batchTests + t.content.start->roundTrip;
    if (t.steps >= 1 && t.steps <= StepData::kMaxSteps)
        t.completed = RecoverCompletedSteps(
            t.content, ReadRawFileForRecovery(t.dataPath + t.testName + "_CTE.dat"), t.steps);
    t.step = t.completed.saved + 1;
    t.problem = Problem(t);
    return t;
}

std::vector<InterruptedTest> FindInterruptedTests(const Folders& folders) {
    std::vector<InterruptedTest> found;
    for (const auto& folder : ListFolders(folders.DataRoot()))
        for (const auto& file : ListFiles(folders.DataRoot() + folder, kJournalEnding))
            if (auto t = FindInterruptedTest(folders.DataRoot() + folder + "/" + file))
                found.push_back(std::move(*t));
    return found;
}

std::string InterruptedTestText(const InterruptedTest& t) {
    const std::string folder = fs::path(t.dataPath).parent_path().filename().string();
    std::string text = "The test \"" + t.testName + "\" in the data folder " + folder;
    if (!t.problem.empty())
        return text + " was interrupted, but it cannot be resumed or closed: " + t.problem +
               ".\nIts files are left as they are: " + t.journal;
    const JournalContent& c = t.content;
    const int readings = static_cast<int>(c.stepReadings(t.step).size());
    std::string damage;
    if (c.badLines > 0)
        damage = "\n" + std::to_string(c.badLines) + " damaged line" +
                 (c.badLines == 1 ? " of its journal was" : "s of its journal were") +
                 " left out";
    for (const int step : t.completed.fromRawFile)
        damage += (damage.empty() ? "\n" : "; ") + std::string("step ") + std::to_string(step) +
                  " is taken from the raw data file, which holds more of its readings";
    if (!damage.empty()) damage += ".";
    if (t.allSaved())
        return text + " was interrupted at " + c.lastTime + " after its last step (" +
               PluralSteps(t.steps) + ") was saved." + damage;
    text += " was interrupted in step " + std::to_string(t.step) + " of " +
            std::to_string(t.steps) + " (" + t.setPoint() +
            " \xC2\xB0"
            "C) at " +
            c.lastTime + ".\n" + PluralSteps(t.completed.saved) + " completed; " +
            std::to_string(readings) + " readings of step " + std::to_string(t.step) +
            " stored." + damage;
    return text;
}

void TestRecovery::ApplyStart(const InterruptedTest& t) {
    const JournalStart& s = *t.content.start;
    params_.SysParam(slot::AccuracyOption) = s.accuracyOption;
    params_.SysParam(slot::NumberOfBatchTests) = s.batchTests;
    params_.SysParam(slot::AddRoundTripTests) = s.roundTrip;
    for (size_t i = 0; i < s.plan.size(); ++i)
        params_.SysParam(slot::FirstBatchTemp + static_cast<int>(i)) =
            s.plan[i].empty() ? ParamValue() : ParamValue(LeadingNumber(s.plan[i]));
    folders_.DataPath = t.dataPath;
    folders_.DataFileName = t.testName;
    folders_.SummaryFileName = t.dataPath + t.testName + "_CTE.txt";
    TestTabView& view = s_.window.view();
    view.dataFolder = fs::path(t.dataPath).parent_path().filename().string();
    view.dataFile = t.testName;
    view.sampleId = s.sampleId;
    view.sampleLength = s.lengthBox;
    s_.run.SampleLength = s.sampleLength;
    s_.run.UnitsInches = s.unitsInches;
    s_.run.equilibrium.kind = s.materialClass;
    view.materialClass = MaterialClassName(s.materialClass);
    // The results go on with the system correction the test started with; the test is an
    // ordinary one (an interrupted reference run is run again from its start).
    s_.RestoreCorrection(s);
}

void TestRecovery::RebuildReadings(const InterruptedTest& t, int steps, int saved) {
    TestRun& run = s_.run;
    run.stepData.reset(steps, 1);
    run.stats = StepStats{};
    for (int step = 1; step <= saved; ++step) {
        for (const Reading& r : t.completed.stepReadings(step)) {
            const int n = run.stepData.append(step, r);
            run.stats.readingCount.at(static_cast<size_t>(step - 1)) = n;
            run.stats.largestCount = std::max(run.stats.largestCount, n);
        }
    }
    run.StepTemps.clear();
    run.initial = t.content.start->initial;
    // The drift threshold goes on from the last step whose save record is readable.
    const auto& saves = t.content.saves;
    run.projection = saved > 0 && !saves.empty()
                         ? saves.at(static_cast<size_t>(std::min<int>(saved, saves.size()) - 1))
                               .projection
                         : Projection{};
    run.StepsSaved = saved;
    run.StepIndex = std::min(saved, steps - 1);
    RebuildEvidence(t, saved);
}

void TestRecovery::RebuildEvidence(const InterruptedTest& t, int saved) {
    std::vector<StepEvidence>& evidence = s_.run.evidence;
    evidence.assign(static_cast<size_t>(saved), StepEvidence{});
    for (int step = 1; step <= saved; ++step) {
        const auto facts = t.content.holdFacts(step);
        if (!facts) continue; // a journal of an older program: the step keeps no evidence
        try {
            StepEvidence& e = evidence[static_cast<size_t>(step - 1)];
            e = GatherStepEvidence(s_.run.stepData, step, *facts);
            // The step's end value at equilibrium is fitted again from its readings as they
            // stood when it ended, so a resumed test's results are those it would have had.
            if (s_.run.equilibrium.active() && facts->holdStartMinutes >= 0)
                e.equilibrium = s_.sequencer.JudgeEquilibriumOf(step - 1, facts->stepMinutes,
                                                                facts->holdStartMinutes);
        } catch (const std::out_of_range&) {
            // a step without an end reading has no results to give evidence for
        }
    }
}

bool TestRecovery::WriteInterruptedReadings(const InterruptedTest& t,
                                            const std::string& testName) {
    const JournalContent& c = t.content;
    std::vector<std::pair<int, std::vector<Reading>>> attempts = c.abandoned;
    if (!t.allSaved() && !c.stepReadings(t.step).empty())
        attempts.emplace_back(t.step, c.stepReadings(t.step));
    if (attempts.empty()) return true;
    std::vector<std::string> lines{"Sample Length = " + LengthText(c.start->sampleLength),
                                   "Accuracy Option = " +
                                       FormatNumber(c.start->accuracyOption, "0")};
    for (const auto& [step, readings] : attempts) {
        lines.push_back("Test #" + FormatNumber(step, "0"));
        lines.push_back(kRawColumnTitles);
        // Every reading, also one at 0.0 minutes (a step's clock wraps after 24 hours).
        for (const Reading& r : readings) lines.push_back(RawReadingLine(r));
    }
    const std::string file = t.dataPath + testName + kInterruptedEnding;
    try {
        WriteTextLinesAtomic(file, lines);
        return true;
    } catch (const std::exception& e) {
        ShowMessage(op_, "The readings of the interrupted step cannot be kept in " + file + ":\n" +
                             e.what(),
                    kInterruptedTitle, MessageIcon::Exclamation);
        return false;
    }
}

bool TestRecovery::Resume(const InterruptedTest& t) {
    if (!t.problem.empty()) {
        ShowMessage(op_, InterruptedTestText(t), kInterruptedTitle, MessageIcon::Exclamation);
        return false;
    }
    ApplyStart(t);
    RebuildReadings(t, t.steps, t.completed.saved);
    if (!WriteInterruptedReadings(t, t.testName)) return false;
    TestRun& run = s_.run;
    if (t.allSaved()) {
        // Only the end was not recorded: the files already hold the whole test.
        TellResumed(t, t.completed.saved, false);
        s_.sinks.TestEnded("completed");
        run.TestFinished = true;
        return true;
    }
    TellResumed(t, t.completed.saved, true);
    run.TestFinished = false;
    run.StopRequested = false;
    run.StartRequested = false;
    run.testState = state::StepStart;
    TestTabView& view = s_.window.view();
    s_.window.ButtonsForRunningTest();
    s_.window.EnableFileFields(false);
    run.StepIndex = t.step - 1; // the window's file fields start a test at its first step
    view.sampleLengthEnabled = false;
    view.browseDataEnabled = false;
    instruments_.SetStageTestMode(true, true);
    // A controller that did not answer has stopped the test (and said why).
    if (run.testState != state::StepStart) return false;
    s_.sequencer.LoadStepSetPoint();
    s_.window.UpdateTestStatus(run.testState);
    s_.sequencer.UpdateElapsed(true);
    return true;
}

bool TestRecovery::CloseIncomplete(const InterruptedTest& t, std::vector<std::string>& kept) {
    if (!t.problem.empty()) {
        ShowMessage(op_, InterruptedTestText(t), kInterruptedTitle, MessageIcon::Exclamation);
        return false;
    }
    const int saved = t.completed.saved;
    // The plan of the run as it was; put back afterwards, as the test's own plan is over.
    std::vector<ParamValue> before;
    for (int slotIndex = 1; slotIndex <= kPlanSlots; ++slotIndex)
        before.push_back(params_.SysParam(slotIndex));
    const auto restorePlan = [&] {
        for (int slotIndex = 1; slotIndex <= kPlanSlots; ++slotIndex)
            params_.SysParam(slotIndex) = before[static_cast<size_t>(slotIndex - 1)];
        s_.run.StepIndex = 0;
    };
    if (t.allSaved()) {
        // Only the end was not recorded. The sinks hear the test as it was; the Test tab and
        // the folders stay as they are.
        const std::array<std::string, 3> names{folders_.DataPath, folders_.DataFileName,
                                               folders_.SummaryFileName};
        const TestTabView view = s_.window.view();
        const float length = s_.run.SampleLength;
        const bool inches = s_.run.UnitsInches;
        ApplyStart(t);
        RebuildReadings(t, t.steps, saved);
        TellResumed(t, saved, false);
        s_.sinks.TestEnded("completed");
        restorePlan();
        folders_.DataPath = names[0];
        folders_.DataFileName = names[1];
        folders_.SummaryFileName = names[2];
        s_.window.view() = view;
        s_.run.SampleLength = length;
        s_.run.UnitsInches = inches;
        return true;
    }
    ApplyStart(t);
    bool ok = true;
    std::string name = t.testName;
    if (saved == 0) TellResumed(t, 0, false);
    if (saved > 0) {
        // A finished test of `saved` steps: the data files' own rules decide its results,
        // its summary and, without a pair of steps, its incomplete test's name.
        params_.SysParam(slot::NumberOfBatchTests) = saved;
        params_.SysParam(slot::AddRoundTripTests) = 0;
        RebuildReadings(t, saved, saved);
        TellResumed(t, saved, false);
        const std::string oldRaw = t.dataPath + t.testName + "_CTE.dat";
        ok = s_.files.WriteDataToFile(TestRecord{s_.run.stepData, s_.run.results,
                                                 s_.run.SampleLength, s_.window.view().sampleId,
                                                 &s_.run.evidence, s_.run.equilibrium.kind,
                                                 &s_.run.correction},
                                      saved - 1);
        if (ok) s_.sinks.StepSaved(saved);
        name = folders_.DataFileName;
        if (ok && name != t.testName) {
            std::error_code ec;
            fs::remove(oldRaw, ec); // its steps are in the renamed file now
        }
        if (ok) kept.push_back(t.dataPath + name + "_CTE.dat");
        if (ok && IsFile(folders_.SummaryFileName) && saved >= 2)
            kept.push_back(folders_.SummaryFileName);
    }
    if (ok) ok = WriteInterruptedReadings(t, name);
    if (ok && IsFile(t.dataPath + name + kInterruptedEnding))
        kept.push_back(t.dataPath + name + kInterruptedEnding);
    if (ok && name != t.testName) {
        std::error_code ec;
        fs::remove(t.dataPath + t.testName + kInterruptedEnding, ec);
    }
    restorePlan();
    if (ok) s_.sinks.TestEnded("closed");
    return ok;
}

void TestRecovery::TellResumed(const InterruptedTest& t, int saved, bool goesOn) {
    const QDateTime started =
        QDateTime::fromString(QString::fromStdString(t.content.start->time), kJournalTimeFormat);
    s_.sinks.TestResumed(t.journal, started, saved, goesOn, t.step);
}

bool TestRecovery::AskAndRecover(const std::vector<InterruptedTest>& tests) {
    bool resumed = false;
    for (const InterruptedTest& t : tests) {
        if (!t.problem.empty()) {
            ShowMessage(op_, InterruptedTestText(t), kInterruptedTitle, MessageIcon::Exclamation);
            continue;
        }
        // One test can run at a time: the others are asked again at the next start.
        if (resumed) continue;
        for (;;) {
            const MessageAnswer answer = op_.show(Message{
                InterruptedTestText(t) +
                    "\n\nResume: the stage returns to the step's set point and the step starts "
                    "again; the completed steps are kept.\nClose as incomplete: the completed "
                    "steps are kept as a finished test.\nThe stored readings of the "
                    "interrupted step are kept either way.",
                kInterruptedTitle, MessageIcon::Question, MessageButtons::YesNo, 0,
                {kResumeCaption, kCloseIncompleteCaption}});
            if (answer == MessageAnswer::Yes) {
                resumed = Resume(t);
                break;
            }
            const MessageAnswer sure = op_.show(
                Message{"Close the test \"" + t.testName +
                            "\" as incomplete? It cannot be resumed afterwards.",
                        kInterruptedTitle, MessageIcon::Question, MessageButtons::YesNo, 1});
            if (sure != MessageAnswer::Yes) continue;
            std::vector<std::string> kept;
            if (CloseIncomplete(t, kept)) {
                std::string text = "The test \"" + t.testName + "\" was closed as incomplete.";
                for (const auto& f : kept) text += "\n" + f;
                ShowMessage(op_, text, kInterruptedTitle, MessageIcon::Information);
            }
            break;
        }
    }
    return resumed;
}

} // namespace dilato
