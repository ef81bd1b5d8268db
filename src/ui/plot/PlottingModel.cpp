#include "ui/plot/PlottingModel.h"

#include "ui/plot/PlotRules.h"

#include <exception>

namespace dilato {

void PlottingModel::EnterPlotting() {
    view_.saveEnabled = s_.run.testState == state::Idle;
    if (s_.run.LivePlot && GraphType == GraphKind::DisplacementTemperature) {
        GraphType = GraphKind::TemperatureTime;
        // A title the program gave names the type shown; one the operator typed stays.
        if (IsDefaultTitle(PlotTitleText)) {
            PlotTitleText = DefaultTitle(GraphType);
            view_.plotTitle = PlotTitleText;
        }
    }
    s_.op.setBusyPointer(false);
    if (!DrawGraph(4) && drawFailed_) drawFailed_();
}

void PlottingModel::LeavePlotting() {
    try {
        s_.run.UnitsInches = s_.params.SysParam(slot::Units).number() == 0;
    } catch (const std::exception&) {
        s_.run.UnitsInches = true; // a units slot that is no number counts as inches
    }
}

bool PlottingModel::DrawGraph(int colorScheme) {
    if (drawGuard_) return false;
    drawGuard_ = true;
    try {
        s_.canvas.SetupGraph(
            GraphSetup{GraphType, {}, PlotTitleText, colorScheme, s_.run.UnitsInches});
        const bool live = s_.run.LivePlot;
        if ((!live && SelectedFiles.empty()) || !IsKnown(GraphType)) {
            drawGuard_ = false;
            return false;
        }
        const std::string file = live ? std::string() : SelectedFiles.front();
        PlotPoints points;
        const Stored<void> loaded =
            LoadStoredPoints(s_.files, file, live ? &s_.run.stepData : nullptr, GraphType,
                             s_.run.testState != state::Idle, points);
        // A running test without a reading past its first moments has nothing to show yet;
        // that is no failure and asks the operator nothing.
        const bool read = loaded.ok() || (live && points.x.empty());
        if (!read)
            ShowMessage(s_.op, "Data File Read failed: " + file + ", " + loaded.error().message,
                        kProgramTitle, MessageIcon::Exclamation);
        PlotInput input{std::move(points.x), std::move(points.y), std::move(points.stepEnds),
                        live ? s_.run.SampleLength : points.sampleLength,
                        read && !live ? SeriesName(file) : std::string()};
        try {
            s_.canvas.Plot(BuildPlot(s_.op, input, GraphType, s_.run.UnitsInches));
        } catch (const std::exception& e) {
            ShowMessage(s_.op, std::string("Error in Plot: ") + e.what());
        }
        drawGuard_ = false;
        return read;
    } catch (const std::exception& e) {
        drawGuard_ = false;
        ShowMessage(s_.op, std::string("Error in okDrawGraph: ") + e.what());
        return false;
    }
}

void PlottingModel::RotateGraph() {
    GraphType = RotateGraphType(GraphType, s_.run.LivePlot);
    PlotTitleText = DefaultTitle(GraphType);
    view_.plotTitle = PlotTitleText;
    EnterPlotting();
}

void PlottingModel::Save() {
    const GraphSaveOptions& choice = s_.saveDialog.Show(ProposedExportName(SelectedFiles));
    if (choice.Canceled) return;
    s_.op.setBusyPointer(true);
    const std::string written = SaveGraphImage(choice.ImgType, choice.FileName, choice.UseNegImage);
    view_.savedTo = written.empty() ? std::string() : "Graph saved to " + written;
    s_.op.setBusyPointer(false);
}

std::string PlottingModel::SaveGraphImage(int imgType, const std::string& fileName,
                                          bool negative) {
    const bool fromTestTab = plotFromTestTab_ ? plotFromTestTab_() : PlotFromTestTab;
    // The running test's plot goes to the test's folder; a stored test's plot to the folder
    // of the test plotted (a test just run is plotted from its own folder).
    std::string folder = view_.folderCombo.text;
    if ((fromTestTab || s_.run.LivePlot) && testTabFolder_)
        folder = testTabFolder_();
    else if (const std::string plotted = PlottedFolder(); !plotted.empty())
        folder = plotted;
    const std::string path =
        GraphImagePath(s_.folders.SysFolder, folder, fileName, GraphType, imgType);
    if (negative) s_.canvas.SetGradient(false);
    (void)DrawGraph(negative ? 5 : 4);
    std::string error;
    const bool written = (imgType == 0 || imgType == 1) && s_.canvas.ExportImage(path, imgType, error);
    if (negative) {
        s_.canvas.SetGradient(true);
        (void)DrawGraph(4);
    }
    if (!error.empty())
        ShowMessage(s_.op, error, "File Saving Error", MessageIcon::Exclamation);
    if (!written) return {};
    s_.files.WriteRemoteDataFile(path);
    return path;
}

std::string PlottingModel::PlottedFolder() const {
    if (SelectedFiles.empty()) return {};
    const std::string root = s_.folders.DataRoot();
    const std::string& file = SelectedFiles.front();
    const size_t slash = file.rfind('/');
    if (file.rfind(root, 0) != 0 || slash == std::string::npos || slash <= root.size()) return {};
    return file.substr(root.size(), slash - root.size());
}

void PlottingModel::RefreshTitle() {
    view_.plotTitle = PlotTitleText.empty() ? DefaultTitle(GraphType) : PlotTitleText;
}

void PlottingModel::EnterPlottingSetup() {
    view_.xferEnabled =
        s_.lists.PlotFileList(view_.folderCombo, view_.dirFiles, view_.selFiles.items.size());
    view_.plotTypeOption = IsKnown(GraphType) ? GraphType : GraphKind::DisplacementTime;
    RefreshTitle();
    s_.op.setBusyPointer(false);
}

void PlottingModel::LeavePlottingSetup() {
    SelectedFiles.clear();
    const ChoiceList& sel = view_.selFiles;
    for (size_t i = 0; i < sel.items.size(); ++i) {
        const int folderIndex = i < sel.itemData.size() ? sel.itemData[i] : -1;
        const auto& folders = view_.folderCombo.items;
        const std::string folder =
            folderIndex >= 0 && static_cast<size_t>(folderIndex) < folders.size()
                ? folders[static_cast<size_t>(folderIndex)]
                : view_.folderCombo.text;
        SelectedFiles.push_back(s_.folders.DataRoot() + folder + "/" + sel.items[i] +
                                kRawDataEnding);
    }
    PlotTitleText = view_.plotTitle;
    GraphType = view_.plotTypeOption;
    RefreshTitle();
}

void PlottingModel::ChooseFolder(int index) {
    view_.folderCombo.select(index);
    FileLists::FolderFileList(view_.dirFiles,
                              s_.folders.DataRoot() + view_.folderCombo.text + "/",
                              kRawDataEnding, view_.folderCombo.selected);
    view_.xferEnabled = !view_.dirFiles.items.empty();
}

void PlottingModel::UpdateClearAndTransfer() {
    view_.clearEnabled = !view_.selFiles.items.empty();
    // One file is plotted at a time.
    view_.xferEnabled = !view_.dirFiles.items.empty() && view_.selFiles.items.size() != 1;
}

void PlottingModel::TransferRight() {
    ChoiceList& dir = view_.dirFiles;
    if (dir.selected >= 0 && static_cast<size_t>(dir.selected) < dir.items.size()) {
        const size_t i = static_cast<size_t>(dir.selected);
        const std::string name = dir.items[i];
        dir.selected = -1;
        ChoiceList& sel = view_.selFiles;
        bool present = false;
        for (const std::string& item : sel.items) present = present || item == name;
        if (!present) {
            sel.items.push_back(name);
            sel.itemData.push_back(i < dir.itemData.size() ? dir.itemData[i]
                                                           : view_.folderCombo.selected);
        }
    }
    UpdateClearAndTransfer();
}

void PlottingModel::ClearSelection() {
    view_.selFiles.clear();
    view_.clearEnabled = false;
    view_.xferEnabled = true;
    view_.focusOnDirFiles = true;
}

void PlottingModel::RemoveSelectedFile() {
    ChoiceList& sel = view_.selFiles;
    if (sel.selected >= 0 && static_cast<size_t>(sel.selected) < sel.items.size()) {
        const auto at = static_cast<long>(sel.selected);
        sel.items.erase(sel.items.begin() + at);
        if (static_cast<size_t>(at) < sel.itemData.size()) sel.itemData.erase(sel.itemData.begin() + at);
        sel.selected = -1;
    }
    UpdateClearAndTransfer();
}

void PlottingModel::ChoosePlotType(GraphKind kind) {
    GraphType = kind;
    view_.plotTypeOption = kind;
    PlotTitleText = DefaultTitle(kind);
    view_.plotTitle = PlotTitleText;
}

void PlottingModel::ResetPlotFileLists() {
    s_.lists.RefreshDataFolderComboList(view_.folderCombo);
    view_.dirFiles.clear();
    view_.selFiles.clear();
    view_.xferEnabled = true;
    view_.clearEnabled = true;
}

void PlottingModel::SetFirstSelectedFile(const std::string& fname) {
    if (SelectedFiles.empty())
        SelectedFiles.push_back(fname);
    else
        SelectedFiles.front() = fname;
}

} // namespace dilato
