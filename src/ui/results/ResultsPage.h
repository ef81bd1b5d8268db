#pragma once
// The widgets of the Results tab over its model: the filter fields, the table of tests, and
// beside it the selected test's details, the overlay, α(T) and the batch statistics. The
// widgets forward what the operator types and clicks to the model and show its state.

#include "ui/results/ResultsChart.h"
#include "ui/results/ResultsTabModel.h"

#include <QAbstractTableModel>
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

// The table of tests as Qt shows it: rows and columns of the model, the first column ticks.
class ResultsTableModel final : public QAbstractTableModel {
  public:
    explicit ResultsTableModel(ResultsTabModel& model, QObject* parent = nullptr)
        : QAbstractTableModel(parent), model_(model) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    void sort(int column, Qt::SortOrder order) override;
    // The model's rows changed (filter, store read again).
    void Reset();
    std::function<void()> ticksChanged;

  private:
    ResultsTabModel& model_;
};

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
