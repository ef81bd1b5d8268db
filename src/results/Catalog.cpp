#include "results/Catalog.h"

#include <QHash>

#include <cmath>

namespace dilato::results {

namespace {

std::string S(const QVariant& v) { return v.toString().toStdString(); }

std::optional<double> OptionalNumber(const QVariant& v) {
    if (v.isNull() || !v.isValid()) return std::nullopt;
    return v.toDouble();
}

QSqlQuery Run(StoreConnection& store, const QString& sql, const std::vector<QVariant>& values = {}) {
    QSqlQuery q = store.Prepare(sql);
    q.setForwardOnly(true);
    for (const QVariant& v : values)
        q.addBindValue(v);
    store.Run(q);
    return q;
}

} // namespace

std::string CatalogTest::day() const {
    const std::string& time = started.empty() ? ended : started;
    return time.substr(0, 10);
}

std::string CatalogDetail::file(const std::string& kind) const {
    for (const CatalogFile& f : files)
        if (f.kind == kind) return f.path;
    return {};
}

std::vector<CatalogTest> LoadCatalog(StoreConnection& store) {
    std::vector<CatalogTest> tests;
    QHash<QString, size_t> index;
    QSqlQuery t =
        Run(store, QStringLiteral("SELECT test_uid, test_name, sample_id, material, data_folder, "
                                  "operator_login, pc_name, system_folder, started_at, ended_at, "
                                  "ending, sample_length_in, reference_material, "
                                  "reference_out_of_control, system_correction, instrument_serial "
                                  "FROM tests "
                                  "ORDER BY COALESCE(started_at, ended_at), test_uid"));
    while (t.next()) {
        CatalogTest c;
        c.uid = S(t.value(0));
        c.testName = S(t.value(1));
        c.sampleId = S(t.value(2));
        c.material = S(t.value(3));
        c.dataFolder = S(t.value(4));
        c.operatorLogin = S(t.value(5));
        c.pcName = S(t.value(6));
        c.systemFolder = S(t.value(7));
        c.started = S(t.value(8));
        c.ended = S(t.value(9));
        c.ending = S(t.value(10));
        c.sampleLength = t.value(11).toDouble();
        c.referenceMaterial = S(t.value(12));
        if (t.value(13).toInt() == 1) c.marks |= mark::OutOfControlReference;
        c.systemCorrection = S(t.value(14));
        c.instrumentSerial = S(t.value(15));
        index.insert(t.value(0).toString(), tests.size());
        tests.push_back(std::move(c));
    }

    QSqlQuery s = Run(store, QStringLiteral(
                                 "SELECT test_uid, COUNT(*), SUM(CASE WHEN ending = 'time limit' "
                                 "THEN 1 ELSE 0 END) FROM steps GROUP BY test_uid"));
    while (s.next()) {
        const auto it = index.constFind(s.value(0).toString());
        if (it == index.constEnd()) continue;
        CatalogTest& c = tests[*it];
        c.steps = s.value(1).toInt();
        if (s.value(2).toInt() > 0) c.marks |= mark::NotAtEquilibrium;
    }

    QSqlQuery r = Run(store, QStringLiteral("SELECT test_uid, from_temp_c, to_temp_c, cte_per_c, "
                                            "expanded_u, flags FROM results"));
    std::vector<double> widest(tests.size(), -1.0);
    while (r.next()) {
        const auto it = index.constFind(r.value(0).toString());
        if (it == index.constEnd()) continue;
        CatalogTest& c = tests[*it];
        ++c.results;
        const QString flags = r.value(5).toString();
        if (!flags.isEmpty() && flags != QLatin1String("none")) c.marks |= mark::BelowMethodRange;
        const double span = std::fabs(r.value(2).toDouble() - r.value(1).toDouble());
        if (span > widest[*it]) {
            widest[*it] = span;
            c.rangeCte = r.value(3).toDouble();
            c.rangeU = OptionalNumber(r.value(4));
        }
    }
    return tests;
}

CatalogDetail LoadDetail(StoreConnection& store, const std::string& uid) {
    CatalogDetail d;
    const std::vector<QVariant> key{QString::fromStdString(uid)};
    QSqlQuery s = Run(store,
                      QStringLiteral("SELECT step, set_point_c, end_temp_c, end_indicator_in, "
                                     "ending, step_minutes, hold_minutes, temp_sigma_c, "
                                     "indicator_sigma_in, remaining_drift_in FROM steps WHERE "
                                     "test_uid = ? ORDER BY step"),
                      key);
    while (s.next()) {
        CatalogStep c;
        c.step = s.value(0).toInt();
        c.setPoint = OptionalNumber(s.value(1));
        c.endTemp = OptionalNumber(s.value(2));
        c.endIndicator = OptionalNumber(s.value(3));
        c.ending = S(s.value(4));
        c.stepMinutes = s.value(5).toDouble();
        c.holdMinutes = s.value(6).toDouble();
        c.tempSigma = s.value(7).toDouble();
        c.indicatorSigma = s.value(8).toDouble();
        c.remainingDrift = s.value(9).toDouble();
        d.steps.push_back(std::move(c));
    }
    QSqlQuery r = Run(store,
                      QStringLiteral("SELECT result_no, from_step, to_step, from_temp_c, "
                                     "to_temp_c, cte_per_c, accuracy, expanded_u, flags FROM "
                                     "results WHERE test_uid = ? ORDER BY result_no"),
                      key);
    while (r.next()) {
        CatalogResult c;
        c.number = r.value(0).toInt();
        c.fromStep = r.value(1).toInt();
        c.toStep = r.value(2).toInt();
        c.fromTemp = r.value(3).toDouble();
        c.toTemp = r.value(4).toDouble();
        c.cte = r.value(5).toDouble();
        c.accuracy = r.value(6).toDouble();
        c.expandedU = OptionalNumber(r.value(7));
        c.flags = S(r.value(8));
        d.results.push_back(std::move(c));
    }
    QSqlQuery f = Run(store,
                      QStringLiteral("SELECT kind, path FROM files WHERE test_uid = ? ORDER BY kind"),
                      key);
    while (f.next())
        d.files.push_back({S(f.value(0)), S(f.value(1))});
    return d;
}

std::vector<CatalogReading> LoadReadings(StoreConnection& store, const std::string& uid) {
    std::vector<CatalogReading> readings;
    QSqlQuery q = Run(store,
                      QStringLiteral("SELECT step, temp_c, indicator_in FROM readings WHERE "
                                     "test_uid = ? ORDER BY step, reading_no"),
                      {QString::fromStdString(uid)});
    while (q.next())
        readings.push_back({q.value(0).toInt(), q.value(1).toDouble(), q.value(2).toDouble()});
    return readings;
}

} // namespace dilato::results
