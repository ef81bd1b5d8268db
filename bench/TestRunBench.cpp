// The cost of running tests: a whole simulated 3-step test on the virtual clock, against the
// simulated instruments through the program's own links; and one stored reading late in a
// day-long hold (14,400 readings in the step), with the peak memory of such a run.

#include "core/Program.h"
#include "core/SessionBench.h"
#include "core/SimulatedSetup.h"
#include "platform/IniFile.h"
#include "sim/SimInstruments.h"
#include "sim/SimSerialPort.h"
#include "storage/Provisioning.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace dilato {
namespace {

void BM_Simulated3StepTest(benchmark::State& state) {
    double simulatedMinutes = 0;
    for (auto _ : state) {
        test::TempFolder dir;
        VirtualClock clock;
        test::RecordingOperator op;
        test::RecordingTermination termination;
        test::NoComDialog comDialog;
        sim::SimInstruments instruments(clock, sim::BenchParams{});
        sim::SimPortBoard board;
        sim::SimSerialPort p1(board, clock), p2(board, clock), p3(board, clock);
        board.plug(1, instruments.sensor);
        board.plug(2, instruments.controller);
        board.plug(3, instruments.calibrator);
        Program p(ProgramAdapters{clock,
                                  op,
                                  termination,
                                  comDialog,
                                  p1,
                                  p2,
                                  p3,
                                  dir.path() + "app/",
                                  dir.path() + "sys/",
                                  {}});
        if (!test::PrepareSimulatedTest(p, op, "Run", "20/50/80/0/0/0/0/0/0", 3))
            state.SkipWithError("parameter file");
        p.StartInstruments();
        p.session.start.StartPressed();
        const double start = clock.elapsedSeconds();
        test::RunUntilTestEnds(
            p, [&] { clock.advance(1.0); }, 86400.0, clock);
        if (p.session.run.StepsSaved != 3) state.SkipWithError("the test did not complete");
        simulatedMinutes = (clock.elapsedSeconds() - start) / 60.0;
    }
    state.counters["simulated_min"] = simulatedMinutes;
}
BENCHMARK(BM_Simulated3StepTest)->Unit(benchmark::kMillisecond)->Iterations(5);

// A hold that never settles (the sample keeps drifting), so the step grows to 14,400 stored
// readings (24 hours at one reading per 6 s); then the cost of each further stored reading.
void BM_StoredReadingInADayLongHold(benchmark::State& state) {
    test::SessionBench b({20, 50});
    b.instruments.driftPerMinute = 2e-6; // 20 µin per 10 minutes: above every threshold
    b.Start();
    const int readings = static_cast<int>(state.range(0));
    while (b.run().stepData.stepCount() == 0 || b.run().stepData.readingCount(1) < readings)
        b.clock.advance(1.0);
    Sequencer& sequencer = b.session->sequencer;
    for (auto _ : state) {
        b.clock.advance(6.0); // the next reading is due
        sequencer.StoreReading(false);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["readings_in_step"] = b.run().stepData.readingCount(1);
    state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_StoredReadingInADayLongHold)
    ->Arg(14400)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(2000);

} // namespace
} // namespace dilato
