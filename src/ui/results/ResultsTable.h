#pragma once
// The table of tests as Qt shows it, over the Results tab's model: its rows and columns, the
// first column's ticks, sorting by a column. The space bar ticks the current row.

#include "ui/results/ResultsTabModel.h"

#include <QAbstractTableModel>

#include <functional>

class QTableView;

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

// Lets the space bar tick or untick the table's current row, wherever its cell is.
void InstallSpaceTicks(QTableView& table, ResultsTableModel& model);

} // namespace dilato
