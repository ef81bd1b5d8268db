// Pictures of the plots for the documentation: a simulated 3-step test (copper, 20/50/80 °C)
// plotted live during its last step and from its raw data file afterwards, and the Plotting
// Setup tab. Writes PNG files into the folder given and prints the CTE labels of the
// displacement-vs-temperature plot beside the summary's lines.
//   plot_screenshots docs

#include "core/SimulatedProgram.h"
#include "platform/TextFile.h"
#include "ui/plot/PlotSink.h"
#include "ui/plot/PlotTabs.h"

#include <QApplication>
#include <QPixmap>

#include <cstdio>

using namespace dilato;

namespace {

void Grab(QWidget& w, const std::string& path) {
    w.grab().save(QString::fromStdString(path));
    std::printf("wrote %s\n", path.c_str());
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const std::string out = argc > 1 ? std::string(argv[1]) + "/" : std::string("./");
    test::SimulatedProgram p{sim::BenchParams{}};
    Program& program = p.program;
    TestRun& run = program.session.run;
    PlotTabs tabs(PlotTabServices{run, program.params, program.folders, program.session.files,
                                  p.op},
                  nullptr);
    tabs.plottingPage().resize(1000, 700);
    tabs.plottingSetupPage().resize(1000, 700);
    program.session.window.setLivePlotRefresh([&] { tabs.EnterPlotting(); });
    PlotSink plotSink(tabs.model());
    program.session.sinks.add(plotSink, SinkPlace::Plots);

    bool live = false;
    p.RunTest([&] {
        if (live || run.StepIndex != 2 || run.stepData.readingCount(3) < 60) return;
        live = true; // the last step under way
        run.LivePlot = true;
        tabs.model().GraphType = GraphKind::DisplacementTime;
        tabs.EnterPlotting();
        Grab(tabs.plottingPage(), out + "plot-live-disp-time.png");
        tabs.model().RotateGraph();
        tabs.plottingPage().Refresh();
        Grab(tabs.plottingPage(), out + "plot-live-temp-time.png");
        run.LivePlot = false;
    });

    const char* names[] = {"plot-stored-disp-time.png", "plot-stored-temp-time.png",
                           "plot-stored-disp-temp.png"};
    for (const GraphKind type : kGraphKinds) {
        tabs.model().GraphType = type;
        tabs.model().PlotTitleText.clear();
        tabs.EnterPlotting();
        Grab(tabs.plottingPage(), out + names[OptionIndex(type)]);
    }
    std::printf("plot labels:\n");
    for (const std::string& label : tabs.graph().Annotations()) std::printf("  %s\n", label.c_str());
    std::printf("summary:\n");
    const auto summary = ReadTextLines(program.folders.DataRoot() + "Demo/Sample1_CTE.txt");
    for (const std::string& line : summary.value_or(std::vector<std::string>{}))
        if (line.rfind("CTE", 0) == 0) std::printf("  %s\n", line.c_str());

    tabs.model().ResetPlotFileLists();
    tabs.EnterPlottingSetup();
    tabs.model().ChooseDirFile(0);
    tabs.model().TransferRight();
    tabs.model().ChoosePlotType(GraphKind::DisplacementTemperature);
    tabs.plottingSetupPage().Refresh();
    Grab(tabs.plottingSetupPage(), out + "plotting-setup-tab.png");
    std::printf("messages: %zu\n", p.op.messages.size());
    return 0;
}
