// A whole test through the real serial adapter: the simulated instruments sit behind
// pseudo-terminals on a thread of their own, the program opens them as serial devices, and the
// clock runs a hundred times faster than the wall.

#include "CoreFakes.h"
#include "SimulatedSetup.h"

#include "core/Program.h"
#include "instrument/QtSerialPort.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "sim/PtyHost.h"
#include "sim/SimInstruments.h"
#include "storage/Provisioning.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace dilato {
namespace {

// The program and the simulated bench on pseudo-terminals, the clock a hundred times faster
// than the wall.
struct PtyProgram {
    static sim::BenchParams Bench() {
        sim::BenchParams bench;
        bench.stage.tauSeconds = 40;
        bench.sample.lagSeconds = 40;
        return bench;
    }
    PtyProgram()
        : app(argc, argv), clock(MakeWallClock(100.0)), instruments(*clock, Bench()),
          host(*clock, dir.path() + "dev"), p1(map), p2(map), p3(map),
          p(ProgramAdapters{*clock,
                            op,
                            termination,
                            comDialog,
                            p1,
                            p2,
                            p3,
                            dir.path() + "app/",
                            dir.path() + "sys/",
                            {}}) {
        map.set(1, host.add(instruments.sensor, "COM1"));
        map.set(2, host.add(instruments.controller, "COM2"));
        map.set(3, host.add(instruments.calibrator, "COM3"));
        host.start();
    }
    ~PtyProgram() {
        p.links.OpenCommPort(false, link::All);
        host.stop();
    }
    void Idle() { clock->idle(0.05); }

    int argc = 1;
    char name[5] = "test";
    char* argv[2] = {name, nullptr};
    QCoreApplication app;
    test::TempFolder dir;
    std::unique_ptr<Clock> clock;
    sim::SimInstruments instruments;
    sim::PtyHost host;
    PortMap map;
    QtSerialPort p1, p2, p3;
    test::RecordingOperator op;
    test::RecordingTermination termination;
    test::NoComDialog comDialog;
    Program p;
};

TEST(PtyEndToEnd, ATwoStepTestRunsThroughTheRealSerialAdapter) {
    PtyProgram t;
    Program& p = t.p;
    ASSERT_TRUE(test::PrepareSimulatedTest(p, t.op, "Pty1")); // the factory plan: 20 and 50 °C
    p.StartInstruments();
    p.session.start.StartButtonHit();
    test::RunUntilTestEnds(
        p, [&] { t.Idle(); }, 3 * 3600.0, *t.clock);

    EXPECT_EQ(p.session.run.StepsSaved, 2) << (t.op.messages.empty() ? "" : t.op.last().text);
    EXPECT_EQ(t.comDialog.shown, 0);
    const std::string summary = p.folders.DataRoot() + "Demo/Pty1_CTE.txt";
    ASSERT_TRUE(IsFile(summary));
    const double truth = t.instruments.bench.params().sample.expansion.meanAlpha(
        p.session.run.results.at(1, result::StartTemp),
        p.session.run.results.at(1, result::EndTemp));
    const float measured = p.session.run.results.at(1, result::Cte);
    const float accuracy = p.session.run.results.at(1, result::Accuracy);
    EXPECT_NEAR(measured, truth, accuracy * truth)
        << "measured " << measured << ", truth " << truth;
}

TEST(PtyEndToEnd, AControllerThatFallsSilentAtTheNextSetPointStopsTheTest) {
    PtyProgram t;
    ASSERT_TRUE(test::PrepareSimulatedTest(t.p, t.op, "Silent"));
    test::ExpectAbortKeepsTheFirstStep(
        t.p, t.op, *t.clock, [&] { t.Idle(); },
        [&] { t.host.withLock([&] { t.instruments.controller.inject(sim::Fault::Silence); }); });
}

} // namespace
} // namespace dilato
