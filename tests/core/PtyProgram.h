#pragma once
// A whole program on the real serial adapter: the simulated instruments sit behind
// pseudo-terminals on a thread of their own (sensor COM1, stage COM2, calibrator COM3), the
// program opens them as serial devices, and the clock runs a hundred times faster than the
// wall. Tests run one at a time in it (it holds the process's Qt application).

#include "CoreFakes.h"
#include "SimulatedSetup.h"

#include "core/Program.h"
#include "instrument/QtSerialPort.h"
#include "sim/PtyHost.h"
#include "sim/SimInstruments.h"
#include "support/EventLoop.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <QCoreApplication>

#include <memory>

namespace dilato::test {

using QtApplication = EventLoop;

struct PtyProgram {
    explicit PtyProgram(const sim::BenchParams& bench)
        : clock(MakeWallClock(100.0)), instruments(*clock, bench), host(*clock, dir.path() + "dev"),
          map(Ports(host, instruments)), p1(map), p2(map), p3(map),
          program(ProgramAdapters{*clock, op, termination, comDialog, p1, p2, p3,
                                  dir.path() + "app/", dir.path() + "sys/", {}}) {
        host.start();
    }
    ~PtyProgram() {
        program.links.OpenCommPort(false, Link::All);
        host.stop();
    }

    // Lets the program run until the test ends or `seconds` of its clock have passed.
    void runFor(double seconds) {
        const TestRun& run = program.session.run;
        const QDateTime from = clock->now();
        while ((run.StartRequested || run.testState != state::Idle) &&
               from.msecsTo(clock->now()) < seconds * 1000.0)
            clock->idle(0.05);
    }

    QtApplication qt;
    TempFolder dir;
    std::unique_ptr<Clock> clock;
    sim::SimInstruments instruments;
    sim::PtyHost host;
    PortMap map;
    QtSerialPort p1, p2, p3;
    RecordingOperator op;
    RecordingTermination termination;
    NoComDialog comDialog;
    Program program;

  private:
    static PortMap Ports(sim::PtyHost& host, sim::SimInstruments& instruments) {
        PortMap m;
        m.set(1, host.add(instruments.sensor, "COM1"));
        m.set(2, host.add(instruments.controller, "COM2"));
        m.set(3, host.add(instruments.calibrator, "COM3"));
        return m;
    }
};

} // namespace dilato::test
