#pragma once
// The widgets of the Results tab over its model: the filter fields, the table of tests, and
// beside it the selected test's details, the overlay, α(T) and the batch statistics. The
// widgets forward what the operator types and clicks to the model and show its state.

#include "ui/results/ResultsChart.h"
#include "ui/results/ResultsTabModel.h"
#include "ui/results/ResultsTable.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTableWidget;
class QTabWidget;

namespace dilato {

class ResultsPage final : public QWidget {
  public:
    ResultsPage(ResultsTabModel& model, ResultsChart& overlay, ResultsChart& alpha,
                QWidget* parent = nullptr);

    // The entry step's look: the table again, with the selection kept.
    void Enter();
    void Refresh();
    std::function<void()> helpRequested;

    QLineEdit* sampleFilter;
    QComboBox* materialFilter;
    QLineEdit* fromDate;
    QLineEdit* toDate;
    QLineEdit* operatorFilter;
    QLineEdit* folderFilter;
    QCheckBox* notAtEquilibrium;
    QCheckBox* belowRange;
    QCheckBox* outOfControl;
    QPushButton* clearFilter;
    QTableView* table;
    QTabWidget* views;
    QPlainTextEdit* details;
    QPushButton* openReport;
    QPushButton* openFolder;
    QPushButton* openPlot;
    QComboBox* imageFormat;
    QPushButton* overlayImage;
    QPushButton* overlayCsv;
    QPushButton* alphaImage;
    QPushButton* alphaCsv;
    QLabel* batchCaption;
    QTableWidget* batchTable;
    QPushButton* batchCsv;
    QPushButton* batchPrint;
    QPushButton* help;
    QLabel* counts;
    QLabel* exported;

  private:
    void FilterEdited();
    void CurrentRowChanged();
    void ShowView();
    void ShowDetails();
    void ShowBatch();
    void ShowMaterials();
    void Exported(const std::string& path);
    [[nodiscard]] ImageFormat Format() const;

    ResultsTabModel& model_;
    ResultsChart& overlay_;
    ResultsChart& alpha_;
    ResultsTableModel* tableModel_;
    bool resetting_ = false;
};

} // namespace dilato
