#include "results/Export.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlRecord>

#include <cmath>

namespace dilato::results {

namespace {

// A column of an export: its name in the store, its header, and how its value is scaled.
struct Column {
    const char* sql;
    const char* header;
    double scale = 0; // 0: written as stored; else a number times this
};

// Columns named for a joined query ("r.result_no") as a query of their own table names them.
std::vector<Column> OfOwnTable(std::vector<Column> columns) {
    for (Column& c : columns)
        c.sql += 2; // past the table's letter and its dot
    return columns;
}

const std::vector<Column> kTestColumns{
    {"t.test_uid", "test_uid"},
    {"t.test_name", "test_name"},
    {"t.sample_id", "sample_id"},
    {"t.material", "material"},
    {"t.system_folder", "system_folder"},
    {"t.data_folder", "data_folder"},
    {"t.operator_login", "operator"},
    {"t.pc_name", "pc"},
    {"t.instrument_serial", "instrument_serial"},
    {"t.program_version", "program_version"},
    {"t.sample_length_in", "sample_length (in)", 1},
    {"t.started_at", "started_at"},
    {"t.ended_at", "ended_at"},
    {"t.ending", "ending"}};

// The test's system correction and reference run, later additions to the store: in CSV they
// close each line, so that the columns before them keep their places for existing readers.
const std::vector<Column> kTestCorrectionColumns{
    {"t.system_correction", "system_correction"},
    {"t.reference_material", "reference_material"},
    {"t.reference_out_of_control", "reference_out_of_control"}};

const std::vector<Column> kResultColumns{{"r.result_no", "result_no"},
                                         {"r.from_step", "from_step"},
                                         {"r.to_step", "to_step"},
                                         {"r.from_temp_c", "from_temp (\xC2\xB0" "C)", 1},
                                         {"r.to_temp_c", "to_temp (\xC2\xB0" "C)", 1},
                                         {"r.cte_per_c", "cte (1e-6/\xC2\xB0" "C)", 1},
                                         {"r.accuracy", "accuracy (%)", 100},
                                         {"r.expanded_u", "expanded_u (1e-6/\xC2\xB0" "C)", 1},
                                         {"r.flags", "flags"}};

const std::vector<Column> kReadingColumns{
    {"d.step", "step"},
    {"d.reading_no", "reading_no"},
    {"d.elapsed_min", "elapsed (min)", 1},
    {"d.indicator_in", "indicator (in)", 1},
    {"d.temp_c", "temperature (\xC2\xB0" "C)", 1},
    {"d.live_slope", "live_slope (\xC2\xB5in/10 min)", 1},
    {"d.projected_in", "projected_indicator (in)", 1},
    {"d.stored_at", "stored_at"}};

const std::vector<Column> kStepColumns{{"step", "step"},
                                       {"set_point_c", "set_point (\xC2\xB0" "C)", 1},
                                       {"end_temp_c", "end_temp (\xC2\xB0" "C)", 1},
                                       {"end_indicator_in", "end_indicator (in)", 1},
                                       {"ending", "ending"},
                                       {"step_minutes", "step_minutes (min)", 1},
                                       {"hold_minutes", "hold_minutes (min)", 1},
                                       {"average_drift", "average_drift (\xC2\xB5in/10 min)", 1},
                                       {"live_drift", "live_drift (\xC2\xB5in/10 min)", 1},
                                       {"drift_threshold", "drift_threshold (\xC2\xB5in/10 min)", 1},
                                       {"saved_at", "saved_at"}};

const std::vector<Column> kFileColumns{
    {"kind", "kind"}, {"path", "path"}, {"sha256", "sha256"}, {"size_bytes", "size_bytes"}, {"written_at", "written_at"}};

QString Csv(const QString& text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString Text(const QVariant& v, double scale) {
    if (v.isNull()) return {};
    if (scale == 0) return v.toString();
    return ExportNumber(v.toDouble() * scale);
}

QJsonValue Json(const QVariant& v, double scale) {
    if (v.isNull()) return QJsonValue::Null;
    if (scale != 0) return ExportNumber(v.toDouble() * scale).toDouble();
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int) return v.toLongLong();
    return v.toString();
}

QString Select(const std::vector<Column>& columns) {
    QStringList list;
    for (const Column& c : columns) list << QLatin1String(c.sql);
    return list.join(u',');
}

// The JSON key of a column: its header without the unit.
QString Key(const Column& c) {
    QString header = QString::fromUtf8(c.header);
    const auto space = header.indexOf(QStringLiteral(" ("));
    return space < 0 ? header : header.left(space);
}

QSqlQuery Query(StoreConnection& store, const QString& sql, const std::vector<QVariant>& values) {
    QSqlQuery q = store.Prepare(sql);
    for (const QVariant& v : values) q.addBindValue(v);
    store.Run(q);
    return q;
}

QJsonArray Objects(StoreConnection& store, const std::vector<Column>& columns, const char* table,
                   const QString& uid, const char* order) {
    QSqlQuery q = Query(store,
                        QStringLiteral("SELECT %1 FROM %2 WHERE test_uid = ? ORDER BY %3")
                            .arg(Select(columns), QLatin1String(table), QLatin1String(order)),
                        {uid});
    QJsonArray array;
    while (q.next()) {
        QJsonObject o;
        for (size_t i = 0; i < columns.size(); ++i)
            o.insert(Key(columns[i]), Json(q.value(static_cast<int>(i)), columns[i].scale));
        array.append(o);
    }
    return array;
}

} // namespace

QString ExportNumber(double value) {
    if (!std::isfinite(value)) return {};
    return QString::number(value, 'g', 7);
}

std::string ExportCsv(StoreConnection& store, const TestFilter& filter, ExportRows rows) {
    const auto& detail = rows == ExportRows::Results ? kResultColumns : kReadingColumns;
    std::vector<Column> columns = kTestColumns;
    columns.insert(columns.end(), detail.begin(), detail.end());
    columns.insert(columns.end(), kTestCorrectionColumns.begin(), kTestCorrectionColumns.end());
    const WhereClause where = FilterClause(filter);
    const QString join = rows == ExportRows::Results
                             ? QStringLiteral("JOIN results r ON r.test_uid = t.test_uid")
                             : QStringLiteral("JOIN readings d ON d.test_uid = t.test_uid");
    const QString order = rows == ExportRows::Results ? QStringLiteral("r.result_no")
                                                      : QStringLiteral("d.step, d.reading_no");
    QSqlQuery q = Query(store,
                        QStringLiteral("SELECT %1 FROM tests t %2 WHERE %3 ORDER BY "
                                       "COALESCE(t.started_at, t.ended_at), t.test_uid, %4")
                            .arg(Select(columns), join, where.sql, order),
                        where.values);
    QStringList header;
    for (const Column& c : columns) header << QString::fromUtf8(c.header);
    QString out = header.join(u',') + QStringLiteral("\r\n");
    while (q.next()) {
        QStringList line;
        for (size_t i = 0; i < columns.size(); ++i)
            line << Csv(Text(q.value(static_cast<int>(i)), columns[i].scale));
        out += line.join(u',') + QStringLiteral("\r\n");
    }
    return out.toStdString();
}

std::string ExportJson(StoreConnection& store, const TestFilter& filter, bool readings) {
    const WhereClause where = FilterClause(filter);
    std::vector<Column> columns = kTestColumns;
    columns.insert(columns.end(), kTestCorrectionColumns.begin(), kTestCorrectionColumns.end());
    QSqlQuery q = Query(store,
                        QStringLiteral("SELECT %1 FROM tests t WHERE %2 ORDER BY "
                                       "COALESCE(t.started_at, t.ended_at), t.test_uid")
                            .arg(Select(columns), where.sql),
                        where.values);
    QJsonArray tests;
    while (q.next()) {
        QJsonObject test;
        for (size_t i = 0; i < columns.size(); ++i)
            test.insert(Key(columns[i]), Json(q.value(static_cast<int>(i)), columns[i].scale));
        const QString uid = q.value(0).toString();
        test.insert(QStringLiteral("steps"), Objects(store, kStepColumns, "steps", uid, "step"));
        test.insert(QStringLiteral("results"),
                    Objects(store, OfOwnTable(kResultColumns), "results", uid, "result_no"));
        test.insert(QStringLiteral("files"), Objects(store, kFileColumns, "files", uid, "kind"));
        if (readings)
            test.insert(QStringLiteral("readings"), Objects(store, OfOwnTable(kReadingColumns),
                                                            "readings", uid, "step, reading_no"));
        tests.append(test);
    }
    QJsonObject units{{"sample_length", "in"},
                      {"temperature", QString::fromUtf8("\xC2\xB0" "C")},
                      {"cte", QString::fromUtf8("1e-6/\xC2\xB0" "C")},
                      {"accuracy", "%"},
                      {"expanded_u", QString::fromUtf8("1e-6/\xC2\xB0" "C")},
                      {"indicator", "in"},
                      {"drift", QString::fromUtf8("\xC2\xB5in/10 min")},
                      {"elapsed", "min"}};
    QJsonObject root{{"schema", "dilato-results-export"},
                     {"version", kExportSchemaVersion},
                     {"units", units},
                     {"tests", tests}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

} // namespace dilato::results
