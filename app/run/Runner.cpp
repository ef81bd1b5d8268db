#include "Runner.h"

#include "CalibrationRun.h"

#include "ConsoleAdapters.h"
#include "ConsoleProgram.h"
#include "core/Program.h"
#include "core/TestPlan.h"
#include "platform/Files.h"
#include "platform/Format.h"
#include "platform/IniFile.h"
#include "platform/LeadingNumber.h"
#include "platform/ProgramEnd.h"
#include "platform/SystemFolder.h"
#include "platform/TextFile.h"
#include "platform/Version.h"
#include "platform/VirtualClock.h"
#include "sim/SimInstruments.h"
#include "sim/Truth.h"
#include "storage/EvidenceSection.h"
#include "storage/ExistingTest.h"

#include <cmath>

#include <memory>
#include <ostream>

namespace dilato::run {

namespace {

constexpr double kLongestTestSeconds = 8 * 86400.0; // the hold limits end any batch before

void SetPlan(SystemParameters& params, const std::vector<int>& plan) {
    params.SysParam(slot::NumberOfBatchTests) = static_cast<int>(plan.size());
    for (int i = 0; i < 9; ++i)
        params.SysParam(slot::FirstBatchTemp + i) =
            std::to_string(i < static_cast<int>(plan.size()) ? plan[static_cast<size_t>(i)] : 0);
}

std::string PlanText(const SystemParameters& params) {
    std::string text;
    for (int s = 0; s < NumberOfSteps(params); ++s)
        text += (s ? "/" : "") + FormatNumber(StepSetPoint(params, s), "0");
    return text;
}

// The minutes of the step's end reading from the step's start: the file's column starts
// again at 0 every 24 hours, the step's own clock (kept with its evidence) does not.
double StepEndMinutes(const TestRun& run, int step, const Reading& end) {
    const size_t at = static_cast<size_t>(step - 1);
    const double column = end.elapsedMinutes;
    if (at >= run.evidence.size() || run.evidence[at].step != step) return column;
    const double wraps = std::floor((run.evidence[at].facts.stepMinutes - column) / 1440.0 + 0.5);
    return column + 1440.0 * std::max(0.0, wraps);
}

void PrintStep(std::ostream& out, const TestRun& run, int step, int steps) {
    const int end = EndOfStep(run.stepData, step);
    const Reading& r = run.stepData.reading(step, end);
    out << "Step " << step << " of " << steps
        << " saved: " << FormatNumber(StepEndMinutes(run, step, r), "0.0")
        << " min, sample " << FormatSingle(r.temperature, "0.00")
        << " \xC2\xB0"
           "C, indicator "
        << FormatSingle(r.indicator, "0.000000") << " in" << std::endl;
}

// The class of a test run without --material-class: the one its sample ID was last tested
// as by this operator, else unknown.
std::string SampleClassFor(Program& p, const std::string& sampleId, std::ostream& out) {
    const auto kept = p.session.start.sampleClasses.Recall(sampleId);
    if (!kept) return MaterialClassName(MaterialClass::Unknown);
    out << "Material class " << MaterialClassName(*kept) << ", as sample " << sampleId
        << " was last tested" << std::endl;
    return MaterialClassName(*kept);
}

// Which system correction the results used, what to mind about it, and the record a
// reference run wrote.
void PrintCorrection(std::ostream& out, const Program& p, const TestEvidence& evidence) {
    out << "System correction: " << evidence.correctionText << std::endl;
    for (const std::string& w : evidence.correctionWarnings)
        out << "WARNING: " << w << std::endl;
    const ReferenceRuns& reference = p.session.reference;
    if (reference.lastRecord()) {
        const CorrectionRecordData& r = *reference.lastRecord();
        out << "Reference run: " << r.reference << " measured " << FormatNumber(r.measuredCte, "0.000")
            << " against " << FormatNumber(r.certifiedCte, "0.000") << " \xC2\xB5/\xC2\xB0"
            << "C certified over " << FormatNumber(r.fromTemp, "0.0") << " to "
            << FormatNumber(r.toTemp, "0.0") << "; correction record " << r.number << ": "
            << reference.lastRecordPath() << std::endl;
        const ChartState chart = reference.Chart();
        out << "Control chart: "
            << (chart.outOfControl ? chart.warning
                                   : std::string(r.usedRecord > 0 ? "the check is in control"
                                                                  : "first run, no check yet"))
            << std::endl;
    }
}

// The summary's CTE lines of this test, with the simulated truth beside them.
void PrintResults(std::ostream& out, Program& p, const app::ProgramPorts& ports) {
    const std::string section =
        "CTE Test Summary #" + FormatNumber(p.session.files.incompleteTestCounter(), "#");
    const int steps = NumberOfSteps(p.params);
    const int first = steps == 2 ? 2 : 1;
    const ResultTable& results = p.session.run.results;
    for (int k = 1;; ++k) {
        const std::string line =
            ReadIniValue(p.folders.SummaryFileName, section, "CTE " + std::to_string(k) + ":");
        if (line.empty()) break;
        out << "CTE " << k << ": " << line;
        if (ports.simulated) {
            const int m = steps == 2 ? 1 : first + k - 1;
            const double truth =
                sim::SampleTruth(ports.simulated->bench.params())
                    .meanAlpha(results.at(m, result::StartTemp), results.at(m, result::EndTemp));
            out << "   (simulated truth " << FormatNumber(truth, "0.00")
                << " \xC2\xB5/\xC2\xB0"
                   "C)";
        }
        out << std::endl;
    }
    // Results whose steps did not end at equilibrium carry no accuracy claim.
    const auto& evidence = p.session.files.lastEvidence();
    if (!evidence) return;
    PrintCorrection(out, p, *evidence);
    for (const ResultEvidence& r : evidence->results) {
        if (r.belowMethodRange) out << "CTE " << r.key << ": " << ResultFlagText(r) << std::endl;
        if (r.belowNoiseRange) out << "CTE " << r.key << ": " << ExpansionFlagText(r) << std::endl;
        if (!r.atEquilibrium) out << "CTE " << r.key << ": " << EquilibriumFlagText(r) << std::endl;
    }
    out << "Method: " << MethodText(*evidence) << std::endl;
}

// A test that ended without completing keeps its journal when a failure (not the operator)
// ended it: the test can go on from its interrupted step.
void TellKeptJournal(std::ostream& out, const Program& p, const RunOptions& o) {
    const std::string journal = JournalPath(p.folders);
    if (!IsFile(journal) || FindInterruptedTest(journal) == std::nullopt) return;
    out << "The test's journal " << journal << " is kept: run dilato-run again with --resume "
        << "(the same system folder, --folder " << o.folder << " and --test " << o.test
        << ") to go on with its interrupted step, or with --close-incomplete to close it"
        << std::endl;
}

constexpr int kResume = -1;

// What the run does with the interrupted test of its name: kResume to go on with it, else
// the exit status (closed, or refused with the reason printed).
int AnswerInterrupted(Program& p, const InterruptedTest& test, const RunOptions& o,
                      std::ostream& out) {
    out << "[" << kInterruptedTitle << "] " << OneLineText(InterruptedTestText(test))
        << std::endl;
    if (!test.problem.empty()) return kNotCompleted;
    if (o.closeIncomplete) {
        std::vector<std::string> kept;
        if (!p.recovery.CloseIncomplete(test, kept)) return kNotCompleted;
        out << "Closed as incomplete with " << test.completed.saved
            << " of " << test.steps << " steps" << std::endl;
        for (const auto& file : kept) out << "Kept: " << file << std::endl;
        p.ShutDown(!o.simulate);
        return kCompleted;
    }
    if (!o.resume) {
        out << "give --resume to go on with it or --close-incomplete to close it; no new test "
               "of this name starts"
            << std::endl;
        return kNotCompleted;
    }
    const double typed = LeadingNumber(o.length);
    const double inches = o.millimetres ? typed / 25.4 : typed;
    const float journalled = test.content.start->sampleLength;
    if (std::fabs(inches - journalled) > 0.0006) {
        out << "The interrupted test was started with a sample length of "
            << FormatSingle(journalled, "0.000") << " in, not " << FormatNumber(inches, "0.000")
            << " in: resume it with the same sample" << std::endl;
        return kNotCompleted;
    }
    return kResume;
}

} // namespace

int RunTest(const RunOptions& o, std::ostream& out, const std::atomic<bool>& stop) {
    if (o.calibrate) return RunCalibration(o, out, stop);
    const double typed = LeadingNumber(o.length);
    const auto console = ConsoleProgram::Open(o, out, o.millimetres ? typed / 25.4 : typed,
                                          ConsoleAnswers{o.yes, o.overwrite, o.useBackup});
    if (!console) return kCannotStart;
    Program& p = console->program;
    Clock& clock = console->clock;
    VirtualClock* virtualClock = console->virtualClock.get();
    const auto& ports = console->ports;
    ConsoleComDialog& comDialog = console->comDialog;
    console->termination.setAnswerYes([&p] { p.session.sequencer.TerminationYes(); });
    if (o.plan) SetPlan(p.params, *o.plan);
    p.session.run.UnitsInches = !o.millimetres;
    p.folders.DataPath = p.folders.DataRoot() + o.folder + "/";
    TestTabView& view = p.session.window.view();
    view.dataFolder = o.folder;
    view.dataFile = o.test;
    view.sampleId = o.sampleId;
    view.sampleLength = o.length;
    view.materialClass = o.materialClass.empty() ? SampleClassFor(p, o.sampleId, out)
                                                 : o.materialClass;
    view.referenceMaterial = o.reference;
    p.session.run.equilibrium.waitForEquilibrium = o.waitForEquilibrium;
    if (o.contactSeconds) p.session.run.equilibrium.contactSeconds = *o.contactSeconds;
    p.folders.DataFileName = o.test;
    p.session.journal.setKeepEndedJournals(o.keepJournal);
    const auto interrupted = FindInterruptedTest(JournalPath(p.folders));
    if (interrupted) {
        const int answered = AnswerInterrupted(p, *interrupted, o, out);
        if (answered != kResume) return answered;
    } else if (o.closeIncomplete) {
        out << "[" << kInterruptedTitle << "] no interrupted test " << o.test << " in "
            << p.folders.DataPath << " to close" << std::endl;
        return kNotCompleted;
    } else if (!o.overwrite && !ExistingTestFiles(p.folders).empty()) {
        out << "[" << kExistingTestTitle << "] test " << o.test << " already has data in "
            << p.folders.DataPath << ": give --overwrite to replace it" << std::endl;
        return kNotCompleted;
    }

    out << "Dilato V" << kVersionText << ": test " << o.test << " in " << p.folders.DataPath
        << ", plan " << PlanText(p.params)
        << " \xC2\xB0"
           "C";
    if (ports->simulated)
        out << ", simulated " << ports->simulated->bench.params().sample.expansion.name()
            << " sample of "
            << FormatNumber(ports->simulated->bench.params().sample.lengthInches, "0.000") << " in";
    out << (virtualClock ? " (virtual clock)" : "") << std::endl;

    p.StartInstruments();
    TestRun& run = p.session.run;
    if (!interrupted)
        p.session.start.StartPressed();
    else if (p.recovery.Resume(*interrupted))
        out << "Resumed at step " << interrupted->step << " of " << interrupted->steps
            << std::endl;
    const QDateTime started = clock.now();
    bool stopAsked = false;
    int printed = run.StepsSaved;
    std::string resultsStatus; // the status bar's word on the lab's results server
    // Once the test measures, an instrument that stops answering is the reading watch's to
    // judge (3 minutes without a reading end the test): an outage that clears in time loses
    // only its readings. Failed link checks end the run only while it has no link at all.
    bool measuring = false;
    for (;;) {
        if (virtualClock)
            virtualClock->advance(1.0);
        else
            clock.idle(0.05);
        if (const std::string now = p.ResultsStatusText(); now != resultsStatus) {
            out << "Results store: " << (now.empty() ? "results server online" : now) << std::endl;
            resultsStatus = now;
        }
        for (; printed < run.StepsSaved; ++printed)
            PrintStep(out, run, printed + 1, NumberOfSteps(p.params));
        measuring = measuring || run.testState >= state::StepStart;
        if (!run.StartRequested && run.testState == state::Idle) break;
        if (comDialog.gaveUp() && !measuring) break;
        if (stop && !stopAsked) {
            stopAsked = true;
            run.StopRequested = true;
        }
        if (started.secsTo(clock.now()) > kLongestTestSeconds) break;
    }
    if (comDialog.gaveUp() && !measuring) {
        out << "dilato-run gives up: " << comDialog.failedInARow()
            << " link checks in a row found an instrument that does not answer (see the COM "
               "errors above); the test is not completed"
            << std::endl;
        TellKeptJournal(out, p, o);
        p.ShutDown(!o.simulate);
        return kInstrumentsLost;
    }
    const bool completed = run.StepsSaved == NumberOfSteps(p.params) && run.StepsSaved > 0;
    out << (completed ? "Test completed" : "Test not completed") << " after "
        << FormatNumber(started.secsTo(clock.now()) / 60.0, "0.0") << " min" << std::endl;
    if (completed && IsFile(p.folders.SummaryFileName)) {
        PrintResults(out, p, *ports);
        out << "Files: " << p.folders.DataPath + p.folders.DataFileName + "_CTE.dat"
            << ", " << p.folders.SummaryFileName << std::endl;
    } else if (run.StepsSaved > 0) {
        out << "Raw data: " << p.folders.DataPath + p.folders.DataFileName + "_CTE.dat"
            << std::endl;
    }
    if (!completed) TellKeptJournal(out, p, o);

    // A simulated run never changes the PC's settings (its COM ports were set for the run).
    p.ShutDown(!o.simulate);
    return completed ? kCompleted : kNotCompleted;
}

} // namespace dilato::run
