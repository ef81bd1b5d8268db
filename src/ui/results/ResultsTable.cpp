#include "ui/results/ResultsTable.h"

#include <QKeyEvent>
#include <QTableView>

namespace dilato {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Space on the table ticks or unticks the current row, wherever its cell is.
class SpaceTicks final : public QObject {
  public:
    SpaceTicks(QTableView& table, ResultsTableModel& model) : QObject(&table), table_(table), model_(model) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
            const QModelIndex current = table_.currentIndex();
            if (current.isValid()) {
                const QModelIndex tick = model_.index(current.row(), column::Tick);
                const bool on = model_.data(tick, Qt::CheckStateRole).toInt() == Qt::Checked;
                model_.setData(tick, on ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
            }
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QTableView& table_;
    ResultsTableModel& model_;
};

} // namespace

void InstallSpaceTicks(QTableView& table, ResultsTableModel& model) {
    table.installEventFilter(new SpaceTicks(table, model));
}

int ResultsTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : model_.rows();
}

int ResultsTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : column::Count;
}

QVariant ResultsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= model_.rows()) return {};
    if (role == Qt::CheckStateRole && index.column() == column::Tick)
        return model_.ticked(index.row()) ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::DisplayRole) return Q(model_.Cell(index.row(), index.column()));
    if (role == Qt::TextAlignmentRole &&
        (index.column() == column::Cte || index.column() == column::U))
        return static_cast<int>(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant ResultsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QString::fromUtf8(ColumnTitle(section));
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole && section == column::Tick)
        return QStringLiteral("Ticked tests are laid over each other (Space ticks the current row)");
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ResultsTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == column::Tick) f |= Qt::ItemIsUserCheckable;
    return f;
}

bool ResultsTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != column::Tick) return false;
    model_.Tick(index.row(), value.toInt() == Qt::Checked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    if (ticksChanged) ticksChanged();
    return true;
}

void ResultsTableModel::sort(int c, Qt::SortOrder order) {
    emit layoutAboutToBeChanged();
    model_.SortBy(c, order == Qt::AscendingOrder);
    emit layoutChanged();
}

void ResultsTableModel::Reset() {
    beginResetModel();
    endResetModel();
}

} // namespace dilato
