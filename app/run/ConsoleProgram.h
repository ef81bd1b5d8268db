#pragma once
// The program as a headless run builds it, the same for a test and for a calibration: the
// system folder held by this run, the clock (a virtual one for simulated instruments without a
// time scale, which jumps to each deadline; else the wall clock at the time scale), the three
// serial ports, the console's operator and windows, and the program with its files loaded.

#include "ConsoleAdapters.h"
#include "ProgramPorts.h"
#include "RunFolder.h"
#include "RunOptions.h"

#include "core/Program.h"
#include "platform/VirtualClock.h"

#include <iosfwd>
#include <memory>

namespace dilato::run {

// What the console answers for the operator, from the run's options.

struct ConsoleProgram {
    // The program ready to run; nullptr, the reason printed, when the run cannot start.
    // `lengthInches`: the sample length the run will enter (0: none, as for a calibration).
    [[nodiscard]] static std::unique_ptr<ConsoleProgram>
    Open(const RunOptions& o, std::ostream& out, double lengthInches, ConsoleAnswers answers);

    ConsoleProgram(RunFolder folder, const RunOptions& o, std::ostream& out, double lengthInches,
                   ConsoleAnswers answers);
    ConsoleProgram(const ConsoleProgram&) = delete;
    ConsoleProgram& operator=(const ConsoleProgram&) = delete;

    RunFolder folder;
    std::unique_ptr<VirtualClock> virtualClock; // nullptr on the wall clock
    std::unique_ptr<Clock> wallClock;
    Clock& clock; // the one of the two in use
    std::unique_ptr<app::ProgramPorts> ports;
    ConsoleOperator op;
    ConsoleTermination termination;
    ConsoleComDialog comDialog;
    Program program;
};

} // namespace dilato::run
