#pragma once
// A test bench for the plotting tabs: a system folder with stored tests, the real data files
// and file lists, a canvas that records what it was asked to draw and a scripted save dialog.

#include "core/TestRun.h"
#include "platform/TextFile.h"
#include "platform/VirtualClock.h"
#include "storage/DataFiles.h"
#include "storage/FileLists.h"
#include "support/MemoryLog.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"
#include "ui/plot/PlottingModel.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>

namespace dilato::test {

class RecordingCanvas final : public PlotCanvas {
  public:
    void SetupGraph(const GraphSetup& setup) override {
        if (failSetup) throw std::runtime_error("chart gone");
        setups.push_back(setup);
    }
    void Plot(const PlotFigure& figure) override {
        figures.push_back(figure);
        if (duringPlot) duringPlot();
        if (failPlot) throw std::runtime_error("no room");
    }
    void SetGradient(bool on) override { gradient.push_back(on); }
    bool ExportImage(const std::string& path, int imgType, std::string& error) override {
        exports.push_back({path, imgType, setups.empty() ? 0 : setups.back().colorScheme});
        std::ofstream out(path, std::ios::binary);
        out << "image";
        if (!out) error = "The image could not be written to " + path;
        return static_cast<bool>(out);
    }

    struct Export {
        std::string path;
        int imgType;
        int scheme; // the colour scheme of the drawing exported
    };
    std::vector<GraphSetup> setups;
    std::vector<PlotFigure> figures;
    std::vector<bool> gradient;
    std::vector<Export> exports;
    std::function<void()> duringPlot;
    bool failSetup = false, failPlot = false;
};

class ScriptedSaveDialog final : public GraphSaveDialog {
  public:
    const GraphSaveOptions& Show(const std::string& fileName) override {
        proposed.push_back(fileName);
        return answer;
    }
    GraphSaveOptions answer;
    std::vector<std::string> proposed;
};

// The readings of a stored test: `perStep` readings a step, every 0.5 minute, the temperature
// at the set point and the sample growing 16 µ/°C.
inline StepData TestReadings(const std::vector<float>& plan, int perStep) {
    StepData data;
    data.reset(static_cast<int>(plan.size()), 1);
    for (size_t s = 0; s < plan.size(); ++s)
        for (int r = 1; r <= perStep; ++r)
            data.append(static_cast<int>(s) + 1,
                        Reading{0.5f * static_cast<float>(r),
                                0.1f + 2.0f * 13.4e-6f * (plan[s] - 20.0f), plan[s], 0.0f, 0.0f});
    return data;
}

struct PlotBench {
    PlotBench() {
        std::filesystem::create_directories(folders.DataRoot());
        model.setDrawFailed([this] { ++drawFailed; });
    }

    // Writes sys/Data/<folder>/<name>_CTE.dat and returns its path.
    std::string Store(const std::string& folder, const std::string& name, const StepData& data) {
        const std::string path = folders.DataRoot() + folder + "/" + name + "_CTE.dat";
        std::filesystem::create_directories(folders.DataRoot() + folder);
        WriteTextLinesAtomic(path, RawDataLines(data, data.stepCount(), 2.0f, 1));
        return path;
    }

    TempFolder dir;
    Folders folders{dir.path() + "app/", dir.path() + "sys/"};
    SystemParameters params;
    VirtualClock clock{QDateTime(QDate(2026, 3, 7), QTime(14, 5, 9))};
    RecordingOperator op;
    MemoryLog log;
    DataFiles files{folders, params, clock, op, log};
    FileLists lists{folders, op};
    TestRun run;
    RecordingCanvas canvas;
    ScriptedSaveDialog dialog;
    PlottingModel model{PlottingServices{run, params, folders, files, lists, op, canvas, dialog}};
    int drawFailed = 0;
};

} // namespace dilato::test
