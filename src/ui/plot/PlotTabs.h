#pragma once
// The Plotting and Plotting Setup tabs of the main window: two widgets over one PlottingModel,
// with the graph object and the "Graph Save Options" dialog. The main window hosts the two
// widgets in its tab control and runs the tab steps of the model on its tab switch.

#include "ui/plot/Graph.h"
#include "ui/plot/PlottingModel.h"
#include "ui/plot/SaveOptionsDialog.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace dilato {

// The colour scheme of the plots on screen (a white background is scheme 5, for export).
inline constexpr int kScreenScheme = 4;

// Everything the tabs use but the chart and the dialog, which they make themselves.
struct PlotTabServices {
    TestRun& run;
    const SystemParameters& params;
    Folders& folders;
    DataFiles& files;
    Operator& op;
};

class PlottingPage final : public QWidget {
  public:
    PlottingPage(Graph& graph, QWidget* parent = nullptr);
    void Bind(PlottingModel& model);
    void Refresh();
    std::function<void()> helpRequested;

    QPushButton* nextGraphButton;
    QPushButton* saveButton;
    QPushButton* helpButton;

  private:
    PlottingModel* model_ = nullptr;
    QLabel* graphTypeName_;
    QLabel* savedTo_; // where the last Save wrote the graph
};

class PlottingSetupPage final : public QWidget {
  public:
    PlottingSetupPage(PlottingModel& model, QWidget* parent = nullptr);
    void Refresh();
    std::function<void()> helpRequested;

    QLineEdit* titleBox;
    QButtonGroup* xAxisChoice;
    QComboBox* dataFolderBox;
    QListWidget* folderFilesList;
    QListWidget* selectedFilesList;
    QPushButton* addFilesButton;
    QPushButton* clearButton;
    QPushButton* setupHelpButton;

  private:
    PlottingModel& model_;
};

class PlotTabs {
  public:
    PlotTabs(const PlotTabServices& services, QWidget* window);
    ~PlotTabs();

    [[nodiscard]] PlottingPage& plottingPage() { return *plotting_; }
    [[nodiscard]] PlottingSetupPage& plottingSetupPage() { return *setup_; }
    [[nodiscard]] PlottingModel& model() { return *model_; }
    [[nodiscard]] Graph& graph() { return *graph_; }
    [[nodiscard]] GraphSaveOptionsDialog& saveDialog() { return *dialog_; }

    // The tab steps, with the widgets brought up to date.
    void EnterPlotting();
    void LeavePlotting();
    void EnterPlottingSetup();
    void LeavePlottingSetup();

  private:
    FileLists lists_;
    // The widgets belong to the window once it hosts them; without one, to this object.
    QPointer<PlottingPage> plotting_;
    std::unique_ptr<Graph> graph_;
    QPointer<GraphSaveOptionsDialog> dialog_;
    std::unique_ptr<PlottingModel> model_;
    QPointer<PlottingSetupPage> setup_;
};

} // namespace dilato
