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

TEST(PtyEndToEnd, ATwoStepTestRunsThroughTheRealSerialAdapter) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    test::TempFolder dir;
    auto clock = MakeWallClock(100.0);
    sim::BenchParams bench;
    bench.stage.tauSeconds = 40;
    bench.sample.lagSeconds = 40;
    sim::SimInstruments instruments(*clock, bench);
    sim::PtyHost host(*clock, dir.path() + "dev");
    PortMap map;
    map.set(1, host.add(instruments.sensor, "COM1"));
    map.set(2, host.add(instruments.controller, "COM2"));
    map.set(3, host.add(instruments.calibrator, "COM3"));
    host.start();
    QtSerialPort p1(map), p2(map), p3(map);
    test::RecordingOperator op;
    test::RecordingTermination termination;
    test::NoComDialog comDialog;
    Program p(ProgramAdapters{*clock,
                              op,
                              termination,
                              comDialog,
                              p1,
                              p2,
                              p3,
                              dir.path() + "app/",
                              dir.path() + "sys/",
                              {}});
    ASSERT_TRUE(test::PrepareSimulatedTest(p, op, "Pty1")); // the factory plan: 20 and 50 °C
    p.StartInstruments();
    p.session.start.StartButtonHit();
    test::RunUntilTestEnds(
        p, [&] { clock->idle(0.05); }, 3 * 3600.0, *clock);
    p.links.OpenCommPort(false, link::All);
    host.stop();

    EXPECT_EQ(p.session.run.StepsSaved, 2) << (op.messages.empty() ? "" : op.last().text);
    EXPECT_EQ(comDialog.shown, 0);
    const std::string summary = p.folders.DataRoot() + "Demo/Pty1_CTE.txt";
    ASSERT_TRUE(IsFile(summary));
    const double truth = instruments.bench.params().sample.expansion.meanAlpha(
        p.session.run.results.at(1, result::StartTemp),
        p.session.run.results.at(1, result::EndTemp));
    const float measured = p.session.run.results.at(1, result::Cte);
    const float accuracy = p.session.run.results.at(1, result::Accuracy);
    EXPECT_NEAR(measured, truth, accuracy * truth)
        << "measured " << measured << ", truth " << truth;
}

} // namespace
} // namespace dilato
