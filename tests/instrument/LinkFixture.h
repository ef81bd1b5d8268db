#pragma once
// A program's instrument links wired to the simulated instruments in-process, on the virtual
// clock: link 1 on COM1 (displacement sensor), link 2 on COM2 (Temp-Stage controller), the
// calibrator on COM3. The host records the tick controls, aborts and the initialising display.

#include "instrument/ComDiscovery.h"
#include "instrument/InstrumentLinks.h"
#include "platform/VirtualClock.h"
#include "sim/SimInstruments.h"
#include "sim/SimSerialPort.h"
#include "support/MemoryLog.h"
#include "support/RecordingOperator.h"

#include <string>
#include <utility>
#include <vector>

namespace dilato::test {

class FakePorts final : public ComPortSettings {
  public:
    int DisplacementComPort() const override { return keyence; }
    int TempStageComPort() const override { return te; }
    void setDisplacementComPort(int p) override { keyence = p; }
    void setTempStageComPort(int p) override { te = p; }
    void SaveSettings() override { ++saves; }
    int keyence = 1, te = 2, saves = 0;
};

class FakeHost final : public LinkHost {
  public:
    void SuspendTicks() override {
        active = false;
        ++suspends;
    }
    void EnableTicks() override {
        active = true;
        ++enables;
    }
    bool TicksActive() const override { return active; }
    void AbortErrors(int failureKind) override { aborts.push_back(failureKind); }
    void ShowStageInitializing() override { ++initialisingShown; }
    bool active = false;
    int suspends = 0, enables = 0, initialisingShown = 0;
    std::vector<int> aborts;
};

struct LinkFixture {
    explicit LinkFixture(sim::BenchParams params = Quiet())
        : sim(clock, std::move(params)), p1(board, clock), p2(board, clock), p3(board, clock),
          links(LinkServices{clock, op, log, parameters, ports, host,
                             [this](double s) {
                                 stalls.push_back(s);
                                 clock.advance(s);
                             }},
                p1, p2, p3) {
        board.plug(1, sim.sensor);
        board.plug(2, sim.controller);
        board.plug(3, sim.calibrator);
    }

    // A bench without noise, so that readings can be compared exactly.
    static sim::BenchParams Quiet() {
        sim::BenchParams p;
        p.stage.noiseSigma = 0;
        p.sample.noiseMicrons = 0;
        p.calibrator.noiseSigma = 0;
        return p;
    }

    VirtualClock clock;
    RecordingOperator op;
    MemoryLog log;
    SystemParameters parameters;
    FakePorts ports;
    FakeHost host;
    std::vector<double> stalls;
    sim::SimInstruments sim;
    sim::SimPortBoard board;
    sim::SimSerialPort p1, p2, p3;
    InstrumentLinks links;
};

} // namespace dilato::test
