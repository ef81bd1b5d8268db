#include "results/Query.h"

namespace dilato::results {

namespace {

constexpr const char* kTestTime = "COALESCE(t.started_at, t.ended_at)";
constexpr const char* kFlagged =
    "(SELECT COUNT(*) FROM results r WHERE r.test_uid = t.test_uid AND r.flags IS NOT NULL AND "
    "r.flags <> 'none')";

} // namespace

WhereClause FilterClause(const TestFilter& f) {
    WhereClause w;
    QStringList parts{QStringLiteral("1 = 1")};
    auto add = [&](const QString& sql, const QVariant& value) {
        parts << sql;
        w.values.push_back(value);
    };
    if (!f.sample.empty()) add(QStringLiteral("t.sample_id LIKE ?"), QString::fromStdString(f.sample));
    if (!f.material.empty()) add(QStringLiteral("t.material = ?"), QString::fromStdString(f.material));
    if (!f.operatorLogin.empty())
        add(QStringLiteral("t.operator_login = ?"), QString::fromStdString(f.operatorLogin));
    if (!f.dataFolder.empty())
        add(QStringLiteral("t.data_folder = ?"), QString::fromStdString(f.dataFolder));
    if (!f.testUid.empty()) add(QStringLiteral("t.test_uid = ?"), QString::fromStdString(f.testUid));
    // Times are ISO-8601 texts: a date range is a range of texts.
    if (f.from)
        add(QStringLiteral("%1 >= ?").arg(QLatin1String(kTestTime)), f.from->toString(Qt::ISODate));
    if (f.to)
        add(QStringLiteral("%1 < ?").arg(QLatin1String(kTestTime)),
            f.to->addDays(1).toString(Qt::ISODate));
    if (f.flaggedOnly)
        parts << QStringLiteral("EXISTS (SELECT 1 FROM results r WHERE r.test_uid = t.test_uid "
                                "AND r.flags IS NOT NULL AND r.flags <> 'none')");
    if (f.notAtEquilibriumOnly)
        parts << QStringLiteral("EXISTS (SELECT 1 FROM results r WHERE r.test_uid = t.test_uid "
                                "AND r.at_equilibrium = 0)");
    w.sql = parts.join(QStringLiteral(" AND "));
    return w;
}

std::vector<FoundTest> FindTests(StoreConnection& store, const TestFilter& filter) {
    const WhereClause where = FilterClause(filter);
    QSqlQuery q = store.Prepare(
        QStringLiteral("SELECT t.test_uid, t.test_name, t.sample_id, t.material, t.data_folder, "
                       "t.operator_login, t.pc_name, t.started_at, t.ended_at, t.ending, "
                       "(SELECT COUNT(*) FROM results r WHERE r.test_uid = t.test_uid), %1 "
                       "FROM tests t WHERE %2 ORDER BY %3, t.test_uid")
            .arg(QLatin1String(kFlagged), where.sql, QLatin1String(kTestTime)));
    q.setForwardOnly(true);
    for (const QVariant& v : where.values) q.addBindValue(v);
    store.Run(q);
    std::vector<FoundTest> found;
    while (q.next()) {
        FoundTest t;
        t.uid = q.value(0).toString();
        t.testName = q.value(1).toString();
        t.sampleId = q.value(2).toString();
        t.material = q.value(3).toString();
        t.dataFolder = q.value(4).toString();
        t.operatorLogin = q.value(5).toString();
        t.pcName = q.value(6).toString();
        t.started = q.value(7).toString();
        t.ended = q.value(8).toString();
        t.ending = q.value(9).toString();
        t.results = q.value(10).toInt();
        t.flagged = q.value(11).toInt();
        found.push_back(std::move(t));
    }
    return found;
}

} // namespace dilato::results
