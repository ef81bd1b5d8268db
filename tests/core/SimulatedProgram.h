#pragma once
// A whole program against the simulated instruments, in-process on the virtual clock: the
// program's real instrument links talk to the simulated Temp-Stage controller, displacement
// sensor and calibrator, and the Test tab is filled in for the test "Sample1" in "Demo".

#include "CoreFakes.h"
#include "SimulatedSetup.h"

#include "core/Program.h"
#include "platform/VirtualClock.h"
#include "sim/SimInstruments.h"
#include "sim/SimSerialPort.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace dilato::test {

// A whole program with its instrument links plugged into the simulated instruments, its folders
// in a temporary folder of its own unless others are given.
struct PluggedProgram {
    // `start`: when the program's clock starts (the virtual clock's own moment when invalid);
    // the bench starts with it, so that its ageing counts from there.
    explicit PluggedProgram(sim::BenchParams bench, std::string programFolder = {},
                            std::string systemFolder = {}, const QDateTime& start = {})
        : clock(start.isValid() ? VirtualClock(start) : VirtualClock()),
          instruments(clock, std::move(bench)), p1(board, clock), p2(board, clock),
          p3(board, clock),
          program(ProgramAdapters{clock,
                                  op,
                                  termination,
                                  comDialog,
                                  p1,
                                  p2,
                                  p3,
                                  programFolder.empty() ? dir.path() + "app/" : programFolder,
                                  systemFolder.empty() ? dir.path() + "sys/" : systemFolder,
                                  {}}) {
        board.plug(1, instruments.sensor);
        board.plug(2, instruments.controller);
        board.plug(3, instruments.calibrator);
    }

    TempFolder dir;
    VirtualClock clock;
    RecordingOperator op;
    RecordingTermination termination;
    NoComDialog comDialog;
    sim::SimInstruments instruments;
    sim::SimPortBoard board;
    sim::SimSerialPort p1, p2, p3;
    Program program;
};

struct SimulatedProgram : PluggedProgram {
    // `systemFolder`: another's (a restart after a crash); empty: a fresh one of its own.
    explicit SimulatedProgram(sim::BenchParams bench, std::string plan = "20/50/80/0/0/0/0/0/0",
                              int steps = 3, std::string programFolder = {},
                              std::string systemFolder = {}, const QDateTime& start = {})
        : PluggedProgram(std::move(bench), std::move(programFolder), std::move(systemFolder),
                         start) {
        EXPECT_TRUE(PrepareSimulatedTest(program, op, "Sample1", plan, steps));
    }

    // Runs one test from the Test tab; returns the simulated minutes it took.
    // `afterTick`, when given, runs after every simulated second; `maxHours` bounds the run.
    double RunTest(const std::function<void()>& afterTick = {}, double maxHours = 12.0) {
        program.StartInstruments();
        program.session.start.StartPressed();
        const double started = clock.elapsedSeconds();
        RunUntilTestEnds(
            program,
            [&] {
                clock.advance(1.0);
                if (afterTick) afterTick();
            },
            maxHours * 3600.0, clock);
        return (clock.elapsedSeconds() - started) / 60.0;
    }
};

} // namespace dilato::test
