// The live plot of a whole simulated test: once the operator looks at it, every reading the
// sequencer stores is on the plot at the end of the same tick; the new test's raw data file
// becomes the file plotted.

#include "PlotFakes.h"
#include "core/SimulatedProgram.h"
#include "ui/plot/PlotRules.h"
#include "ui/plot/PlotSink.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

size_t StoredReadings(const StepData& data) {
    size_t n = 0;
    for (int s = 1; s <= data.stepCount(); ++s)
        for (const Reading& r : data.readings(s)) n += r.elapsedMinutes > 0.001f;
    return n;
}

TEST(LivePlot, EveryStoredReadingIsDrawnWithinItsTick) {
    test::SimulatedProgram p{sim::BenchParams{}};
    Program& program = p.program;
    TestRun& run = program.session.run;
    test::RecordingCanvas canvas;
    test::ScriptedSaveDialog dialog;
    FileLists lists{program.folders, p.op};
    PlottingModel model{PlottingServices{run, program.params, program.folders,
                                         program.session.files, lists, p.op, canvas, dialog}};
    program.session.window.setLivePlotRefresh([&] { model.EnterPlotting(); });
    PlotSink plotSink(model);
    program.session.sinks.add(plotSink, SinkPlace::Plots);

    int ticksChecked = 0;
    bool looked = false;
    p.RunTest([&] {
        if (!looked && run.StepIndex == 1 && run.testState >= state::Settling) {
            looked = true; // the operator turns to the Plotting tab during step 2
            run.LivePlot = true;
            model.EnterPlotting();
        }
        if (!run.LivePlot) return;
        ASSERT_FALSE(canvas.figures.empty());
        EXPECT_EQ(canvas.figures.back().series.at(0).x.size(), StoredReadings(run.stepData))
            << "tick " << ticksChecked;
        ++ticksChecked;
    });
    EXPECT_TRUE(looked);
    EXPECT_GT(ticksChecked, 100);
    EXPECT_LE(OptionIndex(model.GraphType), OptionIndex(GraphKind::TemperatureTime));
    EXPECT_TRUE(p.op.messages.empty()) << p.op.last().text;
    ASSERT_EQ(model.SelectedFiles.size(), 1u);
    EXPECT_EQ(model.SelectedFiles[0], program.folders.DataRoot() + "Demo/Sample1_CTE.dat");
}

} // namespace
} // namespace dilato
