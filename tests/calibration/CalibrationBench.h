#pragma once
// A whole program with its calibration on the simulated instruments, in-process on the
// virtual clock: sensor on COM1, stage controller on COM2, calibrator on COM3.

#include "ScriptedDialogs.h"

#include "core/CalibrationSession.h"
#include "core/Program.h"
#include "platform/IniFile.h"
#include "platform/VirtualClock.h"
#include "sim/SimInstruments.h"
#include "sim/SimSerialPort.h"
#include "storage/Provisioning.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include "../core/CoreFakes.h"
#include "../core/SimulatedSetup.h"

#include <gtest/gtest.h>

namespace dilato::test {

// A stage with known errors of its own in both relations, a quick response so that the
// stable points lie close to where the stage settles, and an exact reference.
inline sim::BenchParams MiscalibratedStage() {
    sim::BenchParams b;
    b.stage.thermistorSlope = 1.02;
    b.stage.thermistorOffset = -0.8;
    b.stage.commandSlope = 0.99;
    b.stage.commandOffset = 0.6;
    b.stage.tauSeconds = 20.0;
    b.calibrator.errorDegrees = 0.0;
    return b;
}

struct CalibrationBench {
    explicit CalibrationBench(sim::BenchParams bench = MiscalibratedStage())
        : instruments(clock, std::move(bench)), p1(board, clock), p2(board, clock),
          p3(board, clock),
          program(ProgramAdapters{clock, op, termination, comDialog, p1, p2, p3,
                                  dir.path() + "app/", dir.path() + "sys/", {}}),
          cal(program, dialogs, [this](const std::string& f) { opened.push_back(f); }) {
        board.plug(1, instruments.sensor);
        board.plug(2, instruments.controller);
        board.plug(3, instruments.calibrator);
        EXPECT_TRUE(PrepareSimulatedTest(program, op, "AfterCal", "20/50/80/0/0/0/0/0/0", 3));
        // As at start-up: the ports are listed before the instruments' links open.
        EXPECT_TRUE(program.discovery.EnumComPorts());
        program.StartInstruments();
    }

    // Enters the tab, presses CAL and lets the ticks run until the calibration has ended.
    CalOutcome Calibrate(double maxSeconds = 4 * 3600.0) {
        cal.tab.EnterInstCalib();
        cal.tab.Cal();
        const double start = clock.elapsedSeconds();
        while (cal.calibration.outcome == CalOutcome::None &&
               cal.calibration.CalRunState == calrun::Running &&
               clock.elapsedSeconds() - start < maxSeconds)
            clock.advance(1.0);
        calibrationSeconds = clock.elapsedSeconds() - start;
        return cal.calibration.outcome;
    }

    [[nodiscard]] std::string ParamValue(const std::string& section, const std::string& key) const {
        return ReadIniValue(program.paramFile.MainFileName(), section, key);
    }

    TempFolder dir;
    VirtualClock clock;
    RecordingOperator op;
    RecordingTermination termination;
    NoComDialog comDialog;
    ScriptedDialogs dialogs;
    sim::SimInstruments instruments;
    sim::SimPortBoard board;
    sim::SimSerialPort p1, p2, p3;
    Program program;
    CalibrationSession cal;
    std::vector<std::string> opened;
    double calibrationSeconds = 0;
};

} // namespace dilato::test
