#pragma once
// The Plotting and Plotting Setup tabs as plain state: which test is plotted (the running one
// or a stored file), the graph type and title, the folder and file lists of the setup tab, the
// draw guard, and the Save button's export. The Qt tabs show this state and forward the
// operator's clicks; tests drive it with a recording canvas.

#include "core/TestRun.h"
#include "platform/Operator.h"
#include "storage/DataFiles.h"
#include "storage/FileLists.h"
#include "storage/Folders.h"
#include "storage/SystemParameters.h"
#include "ui/plot/GraphSaveOptions.h"
#include "ui/plot/PlotCanvas.h"

#include <functional>
#include <string>
#include <vector>

namespace dilato {

struct PlottingServices {
    TestRun& run; // testState, LivePlot, the readings, SampleLength, UnitsInches
    const SystemParameters& params;
    Folders& folders;
    DataFiles& files;
    FileLists& lists;
    Operator& op;
    PlotCanvas& canvas;
    GraphSaveDialog& saveDialog;
};

// What the two tabs show.
struct PlottingView {
    bool saveEnabled = true; // Plotting tab
    ChoiceList folderCombo;  // `cbDataFolder`
    ChoiceList dirFiles;     // `LstBoxDirFiles` (item data: the folder's position)
    ChoiceList selFiles;     // `LstBoxSelFiles` (item data: the folder's position)
    bool xferEnabled = true; // ">>"
    bool clearEnabled = true;
    bool focusOnDirFiles = false;
    std::string plotTitle; // `PlotTitle`
    GraphKind plotTypeOption = GraphKind::DisplacementTime; // `OptXAxisData`
    std::string savedTo;    // where the last Save wrote the graph ("Graph saved to ...")
};

class PlottingModel {
  public:
    explicit PlottingModel(const PlottingServices& services) : s_(services) {}

    // Run when drawing fails on entering the Plotting tab (the main window's `EnterTest`).
    void setDrawFailed(std::function<void()> f) { drawFailed_ = std::move(f); }
    // The Test tab's data folder, for images saved of a plot entered from the Test tab.
    void setTestTabFolder(std::function<std::string()> f) { testTabFolder_ = std::move(f); }
    // Where `PlotFromTestTab` is kept when the tab switch owns it.
    void setPlotFromTestTab(std::function<bool()> f) { plotFromTestTab_ = std::move(f); }

    // Tab steps.
    void EnterPlotting();
    void LeavePlotting();
    void EnterPlottingSetup();
    void LeavePlottingSetup();

    // Redraws the chart; false when no file is chosen, the read failed or a draw is running.
    bool DrawGraph(int colorScheme);

    // Plotting tab.
    void RotateGraph(); // ">"
    void Save();
    // Writes the chart to SysFolder/Data/<folder>/<name><suffix>.bmp or .jpg and copies it to
    // the remote stores; returns the path written (empty when nothing was).
    std::string SaveGraphImage(int imgType, const std::string& fileName, bool negative);

    // Plotting Setup tab.
    void ChooseFolder(int index);
    void ChooseDirFile(int index) { view_.dirFiles.select(index); }
    void ChooseSelectedFile(int index) { view_.selFiles.select(index); }
    void TransferRight(); // ">>"
    void ClearSelection();
    void RemoveSelectedFile();
    void ChoosePlotType(GraphKind kind);
    void SetPlotTitleText(const std::string& text) { view_.plotTitle = text; }
    void ResetPlotFileLists();

    // Makes `fname` the file plotted (entry 0 of SelectedFiles).
    void SetFirstSelectedFile(const std::string& fname);

    [[nodiscard]] const PlottingView& view() const { return view_; }

    GraphKind GraphType = GraphKind::DisplacementTime;
    std::string PlotTitleText;
    std::vector<std::string> SelectedFiles;
    bool PlotFromTestTab = false;
    [[nodiscard]] bool drawing() const { return drawGuard_; }

  private:
    void RefreshTitle();
    void UpdateClearAndTransfer();
    // The data sub-folder of the file plotted; empty when none is plotted or it lies elsewhere.
    [[nodiscard]] std::string PlottedFolder() const;

    PlottingServices s_;
    PlottingView view_;
    bool drawGuard_ = false;
    std::function<void()> drawFailed_;
    std::function<std::string()> testTabFolder_;
    std::function<bool()> plotFromTestTab_;
};

} // namespace dilato
