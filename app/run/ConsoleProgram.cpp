#include "ConsoleProgram.h"

#include "platform/SystemFolder.h"

#include <QDateTime>

namespace dilato::run {

namespace {

std::unique_ptr<VirtualClock> VirtualClockFor(const RunOptions& o) {
    if (o.simulate && !o.timeScale)
        return std::make_unique<VirtualClock>(QDateTime::currentDateTime());
    return nullptr;
}

} // namespace

ConsoleProgram::ConsoleProgram(RunFolder runFolder, const RunOptions& o, std::ostream& out,
                               double lengthInches, ConsoleAnswers answers)
    : folder(std::move(runFolder)), virtualClock(VirtualClockFor(o)),
      wallClock(virtualClock ? nullptr : MakeWallClock(o.timeScale.value_or(1.0))),
      clock(virtualClock ? static_cast<Clock&>(*virtualClock) : *wallClock),
      ports(app::MakePorts(o, clock, folder.choice.path, lengthInches,
                           app::SimulatedLine::InProcess)),
      op(out, answers), termination(out, clock),
      comDialog(out, clock),
      program(ProgramAdapters{clock,
                              op,
                              termination,
                              comDialog,
                              *ports->displacement,
                              *ports->tempStage,
                              *ports->calibrator,
                              ProgramFolder(),
                              folder.choice.path,
                              {}}) {}

std::unique_ptr<ConsoleProgram> ConsoleProgram::Open(const RunOptions& o, std::ostream& out,
                                                     double lengthInches,
                                                     ConsoleAnswers answers) {
    auto folder = OpenRunFolder(o.systemFolder, o.simulate.has_value(), out);
    if (!folder) return nullptr;
    auto run = std::make_unique<ConsoleProgram>(std::move(*folder), o, out, lengthInches, answers);
    if (!PrepareAndLoad(run->program, run->op, out)) return nullptr;
    run->program.session.start.sampleClasses = SampleClassMemory(OperatorSampleClassesPath());
    if (run->program.OpenResultsStore(o.resultsDb))
        out << "Results store: " << run->program.ResultsStoreText() << std::endl;
    if (o.simulate) {
        // The simulated instruments answer on their own ports; the PC's settings stay.
        run->program.settings.displacementComPort = app::kSimulatedSensorPort;
        run->program.settings.tempStageComPort = app::kSimulatedStagePort;
    }
    return run;
}

} // namespace dilato::run
