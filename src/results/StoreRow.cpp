#include "results/StoreRow.h"

#include <QSqlRecord>

namespace dilato::results {

namespace {

QString UpsertSql(const StoreRow& row) {
    QStringList names, marks, updates;
    for (const auto& [name, value] : row.columns) {
        const QString n = QString::fromStdString(name);
        names << n;
        marks << QStringLiteral("?");
        if (n != QLatin1String("row_key")) updates << n + QStringLiteral(" = excluded.") + n;
    }
    QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT (row_key) DO ")
                      .arg(QString::fromStdString(row.table), names.join(u','), marks.join(u','));
    sql += updates.isEmpty() ? QStringLiteral("NOTHING")
                             : QStringLiteral("UPDATE SET ") + updates.join(u',');
    return sql;
}

} // namespace

void UpsertRow(StoreConnection& store, const StoreRow& row) {
    QSqlQuery& q = store.Prepared(UpsertSql(row));
    for (size_t i = 0; i < row.columns.size(); ++i)
        q.bindValue(static_cast<int>(i), row.columns[i].second);
    store.Run(q);
}

StoreRow ReadRow(StoreConnection& store, const std::string& table, const QString& key) {
    QSqlQuery q = store.Prepare(QStringLiteral("SELECT * FROM %1 WHERE row_key = ?")
                                    .arg(QString::fromStdString(table)));
    q.addBindValue(key);
    store.Run(q);
    StoreRow row{table, {}};
    if (!q.next()) return row;
    const QSqlRecord record = q.record();
    for (int i = 0; i < record.count(); ++i)
        row.columns.emplace_back(record.fieldName(i).toStdString(), q.value(i));
    return row;
}

} // namespace dilato::results
