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

// Everything the tabs use but the chart and the dialog, which they make themselves.
struct PlotTabServices {
    TestRun& run;
    const SystemParameters& params;
    Folders& folders;
    DataFiles& files;
    FileLists& lists;
    Operator& op;
};

class PlottingTab final : public QWidget {
  public:
    PlottingTab(clsGraph& graph, QWidget* parent = nullptr);
    void Bind(PlottingModel& model);
    void Refresh();
    std::function<void()> helpRequested;

    QPushButton* SonicClickRotateGrRight;
    QPushButton* SonicClickSaveBtn;
    QPushButton* SonicClickPlottingTabHelpBtn;

  private:
    PlottingModel* model_ = nullptr;
    QLabel* graphTypeName_;
};

class PlottingSetupTab final : public QWidget {
  public:
    PlottingSetupTab(PlottingModel& model, QWidget* parent = nullptr);
    void Refresh();
    std::function<void()> helpRequested;

    QLineEdit* PlotTitle;
    QButtonGroup* OptXAxisData;
    QComboBox* cbDataFolder;
    QListWidget* LstBoxDirFiles;
    QListWidget* LstBoxSelFiles;
    QPushButton* SonicClickXferRightBtn;
    QPushButton* SonicClickClearBtn;
    QPushButton* SonicClickPlottingSetupTabHelpBtn;

  private:
    PlottingModel& model_;
};

class PlotTabs {
  public:
    PlotTabs(const PlotTabServices& services, QWidget* window);
    ~PlotTabs();

    [[nodiscard]] PlottingTab& plottingTab() { return *plotting_; }
    [[nodiscard]] PlottingSetupTab& plottingSetupTab() { return *setup_; }
    [[nodiscard]] PlottingModel& model() { return *model_; }
    [[nodiscard]] clsGraph& graph() { return *graph_; }
    [[nodiscard]] frmGrSimpleSaveOptions& saveDialog() { return *dialog_; }

    // The tab steps, with the widgets brought up to date.
    void EnterPlotting();
    void LeavePlotting();
    void EnterPlottingSetup();
    void LeavePlottingSetup();

  private:
    // The widgets belong to the window once it hosts them; without one, to this object.
    QPointer<PlottingTab> plotting_;
    std::unique_ptr<clsGraph> graph_;
    QPointer<frmGrSimpleSaveOptions> dialog_;
    std::unique_ptr<PlottingModel> model_;
    QPointer<PlottingSetupTab> setup_;
};

} // namespace dilato
