// The cost of the plots, offscreen: drawing each plot type of a stored test of 20,000
// readings (reading the raw data file, building the plot, drawing it); adding one reading to
// the live plot and redrawing at 5,000 and 20,000 readings (what the sequencer does after
// each stored reading); and the peak memory of a live plot of a day-long test.

#include "ui/PlotFakes.h"
#include "ui/plot/Graph.h"
#include "ui/plot/PlotRules.h"

#include <QApplication>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace dilato {
namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench-plot";
    static char* argv[] = {name, nullptr};
    // Left to the end of the process: destroying it among the other statics at exit crashes.
    static auto* app = new QApplication(argc, argv);
    return *app;
}

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The plotting tabs over a real chart of 1000 x 700 pixels.
struct Bench {
    Bench() {
        graph.ChartWidget()->resize(1000, 700);
        std::filesystem::create_directories(folders.DataRoot());
    }
    QApplication& app = App(); // before any widget
    test::TempFolder dir;
    Folders folders{dir.path() + "app/", dir.path() + "sys/"};
    SystemParameters params;
    VirtualClock clock;
    test::RecordingOperator op;
    test::MemoryLog log;
    DataFiles files{folders, params, clock, op, log};
    FileLists lists{folders, op};
    TestRun run;
    Graph graph;
    test::ScriptedSaveDialog dialog;
    PlottingModel model{PlottingServices{run, params, folders, files, lists, op, graph, dialog}};
};

// 20,000 readings over three steps, one every 0.1 minute.
StepData StoredTest(int readings) {
    return test::TestReadings({20, 50, 80}, readings / 3);
}

void BM_DrawStoredTest(benchmark::State& state) {
    Bench b;
    const std::string path = b.folders.DataRoot() + "F/Big_CTE.dat";
    std::filesystem::create_directories(b.folders.DataRoot() + "F");
    WriteTextLinesAtomic(path, RawDataLines(StoredTest(20000), 3, 2.0f, 1));
    b.model.SelectedFiles = {path};
    b.model.GraphType = GraphKindAt(static_cast<int>(state.range(0))).value();
    for (auto _ : state) benchmark::DoNotOptimize(b.model.DrawGraph(4));
    state.SetLabel(DefaultTitle(b.model.GraphType) + ", file read included");
}
BENCHMARK(BM_DrawStoredTest)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// The drawing alone: the points already read, the plot built and drawn.
void BM_DrawPoints(benchmark::State& state) {
    Bench b;
    const GraphKind type = GraphKindAt(static_cast<int>(state.range(0))).value();
    const StepData data = StoredTest(20000);
    PlotPoints points = StoredPoints(data, type);
    const PlotInput input{points.x, points.y, StepEnds(data), 2.0f, "Big_CTE."};
    for (auto _ : state) {
        b.graph.SetupGraph(GraphSetup{type, "", "", 4, true});
        b.graph.Plot(BuildPlot(b.op, input, type, true));
    }
    state.SetLabel(DefaultTitle(type));
}
BENCHMARK(BM_DrawPoints)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_LiveReadingAndRedraw(benchmark::State& state) {
    Bench b;
    const int readings = static_cast<int>(state.range(0));
    b.run.stepData = test::TestReadings({20, 50, 80}, readings / 3);
    b.run.LivePlot = true;
    b.run.testState = state::Hold;
    b.run.SampleLength = 2.0f;
    b.model.GraphType = GraphKindAt(static_cast<int>(state.range(1))).value();
    float elapsed = b.run.stepData.readings(3).back().elapsedMinutes;
    for (auto _ : state) {
        elapsed += 0.1f;
        b.run.stepData.append(3, Reading{elapsed, 0.1016f, 80.0f, 0.0f, 0.0f});
        b.model.EnterPlotting();
    }
    state.SetLabel(DefaultTitle(b.model.GraphType));
}
BENCHMARK(BM_LiveReadingAndRedraw)
    ->ArgsProduct({{5000, 20000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// A day-long hold at every step of a test of 3 or 10 steps, 14,400 readings each, plotted
// live: the peak resident memory of the process before and after (run each on its own).
void BM_LivePlotOfADayLongTest(benchmark::State& state) {
    Bench b;
    const long before = PeakKiB();
    std::vector<float> plan;
    for (int s = 0; s < state.range(0); ++s) plan.push_back(20.0f + 10.0f * static_cast<float>(s));
    b.run.stepData = test::TestReadings(plan, 14400);
    b.run.LivePlot = true;
    b.run.testState = state::Hold;
    b.run.SampleLength = 2.0f;
    for (auto _ : state) {
        b.model.GraphType = GraphKind::DisplacementTime;
        b.model.EnterPlotting();
        b.model.RotateGraph();
    }
    state.counters["peak_MiB"] = static_cast<double>(PeakKiB()) / 1024.0;
    state.counters["added_MiB"] = static_cast<double>(PeakKiB() - before) / 1024.0;
}
BENCHMARK(BM_LivePlotOfADayLongTest)->Arg(3)->Arg(10)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace dilato
