// A whole test through the real serial adapter: the simulated instruments sit behind
// pseudo-terminals on a thread of their own, the program opens them as serial devices, and the
// clock runs a hundred times faster than the wall.

#include "PtyProgram.h"

#include "platform/Files.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

sim::BenchParams QuickBench() {
    sim::BenchParams bench;
    bench.stage.tauSeconds = 40;
    bench.sample.contactSeconds = 30;
    return bench;
}

TEST(PtyEndToEnd, ATwoStepTestRunsThroughTheRealSerialAdapter) {
    test::PtyProgram f(QuickBench());
    Program& p = f.program;
    ASSERT_TRUE(test::PrepareSimulatedTest(p, f.op, "Pty1")); // the factory plan: 20 and 50 °C
    p.StartInstruments();
    p.session.start.StartPressed();
    f.runFor(3 * 3600.0);

    EXPECT_EQ(p.session.run.StepsSaved, 2) << (f.op.messages.empty() ? "" : f.op.last().text);
    EXPECT_EQ(f.comDialog.shown, 0);
    const std::string summary = p.folders.DataRoot() + "Demo/Pty1_CTE.txt";
    ASSERT_TRUE(IsFile(summary));
    const double truth = f.instruments.bench.params().sample.expansion.meanAlpha(
        p.session.run.results.at(1, result::StartTemp),
        p.session.run.results.at(1, result::EndTemp));
    const float measured = p.session.run.results.at(1, result::Cte);
    const float accuracy = p.session.run.results.at(1, result::Accuracy);
    EXPECT_NEAR(measured, truth, accuracy * truth)
        << "measured " << measured << ", truth " << truth;
}

TEST(PtyEndToEnd, AControllerThatFallsSilentAtTheNextSetPointStopsTheTest) {
    test::PtyProgram f(QuickBench());
    ASSERT_TRUE(test::PrepareSimulatedTest(f.program, f.op, "Silent"));
    test::ExpectAbortKeepsTheFirstStep(
        f.program, f.op, *f.clock, [&] { f.clock->idle(0.05); },
        [&] { f.host.withLock([&] { f.instruments.controller.inject(sim::Fault::Silence); }); });
}

} // namespace
} // namespace dilato
