#include "results/Schema.h"

#include "platform/Version.h"

#include <QDateTime>

#include <vector>

namespace dilato::results {

namespace {

struct Migration {
    int version;
    std::vector<std::string> statements;      // both engines
    std::vector<std::string> sqliteOnly;      // the local store's own tables
    std::vector<std::string> postgresOnly;
};

const std::vector<Migration>& Migrations() {
    static const std::vector<Migration> migrations{
        {1,
         {
             "CREATE TABLE tests (row_key TEXT PRIMARY KEY, test_uid TEXT NOT NULL, "
             "system_folder TEXT, data_folder TEXT, test_name TEXT, sample_id TEXT, material "
             "TEXT, sample_length_in DOUBLE PRECISION, length_units TEXT, operator_login TEXT, "
             "pc_name TEXT, instrument_serial TEXT, program_version TEXT, accuracy_option "
             "INTEGER, set_points TEXT, initial_indicator_in DOUBLE PRECISION, initial_temp_c "
             "DOUBLE PRECISION, started_at TEXT, ended_at TEXT, ending TEXT, origin TEXT)",
             "CREATE TABLE steps (row_key TEXT PRIMARY KEY, test_uid TEXT NOT NULL, step "
             "INTEGER NOT NULL, set_point_c DOUBLE PRECISION, end_temp_c DOUBLE PRECISION, "
             "end_indicator_in DOUBLE PRECISION, ending TEXT, step_minutes DOUBLE PRECISION, "
             "hold_minutes DOUBLE PRECISION, average_drift DOUBLE PRECISION, live_drift DOUBLE "
             "PRECISION, drift_threshold DOUBLE PRECISION, temp_sigma_c DOUBLE PRECISION, "
             "indicator_sigma_in DOUBLE PRECISION, remaining_drift_in DOUBLE PRECISION, "
             "saved_at TEXT)",
             "CREATE TABLE results (row_key TEXT PRIMARY KEY, test_uid TEXT NOT NULL, result_no "
             "INTEGER NOT NULL, from_step INTEGER, to_step INTEGER, from_temp_c DOUBLE "
             "PRECISION, to_temp_c DOUBLE PRECISION, cte_per_c DOUBLE PRECISION, accuracy "
             "DOUBLE PRECISION, expanded_u DOUBLE PRECISION, flags TEXT)",
             "CREATE TABLE readings (row_key TEXT PRIMARY KEY, test_uid TEXT NOT NULL, step "
             "INTEGER NOT NULL, reading_no INTEGER NOT NULL, elapsed_min DOUBLE PRECISION, "
             "indicator_in DOUBLE PRECISION, temp_c DOUBLE PRECISION, live_slope DOUBLE "
             "PRECISION, projected_in DOUBLE PRECISION, stored_at TEXT)",
             "CREATE TABLE calibrations (row_key TEXT PRIMARY KEY, test_uid TEXT NOT NULL, "
             "calibration_date TEXT, constant_1 DOUBLE PRECISION, constant_2 DOUBLE PRECISION, "
             "constant_3 DOUBLE PRECISION, constant_4 DOUBLE PRECISION)",
             "CREATE TABLE files (row_key TEXT PRIMARY KEY, test_uid TEXT NOT NULL, kind TEXT, "
             "path TEXT, sha256 TEXT, size_bytes BIGINT, written_at TEXT)",
             "CREATE INDEX tests_sample ON tests (sample_id)",
             "CREATE INDEX tests_material ON tests (material)",
             "CREATE INDEX tests_started ON tests (started_at)",
             "CREATE INDEX tests_operator ON tests (operator_login)",
             "CREATE INDEX tests_folder ON tests (data_folder)",
             "CREATE INDEX steps_test ON steps (test_uid)",
             "CREATE INDEX results_test ON results (test_uid)",
             "CREATE INDEX readings_test ON readings (test_uid, step, reading_no)",
             "CREATE INDEX files_test ON files (test_uid)",
             "CREATE INDEX files_hash ON files (sha256)",
         },
         {"CREATE TABLE outbox (seq INTEGER PRIMARY KEY AUTOINCREMENT, table_name TEXT NOT "
          "NULL, row_key TEXT NOT NULL)"},
         {}},
        // Whether a result's two steps ended at equilibrium (1), did not (0: it carries no
        // accuracy claim), or nobody knows (empty: no evidence of its steps).
        {2, {"ALTER TABLE results ADD COLUMN at_equilibrium INTEGER"}, {}, {}},
        // Which system correction a test's results use (its words as the summary gives them),
        // the reference material of a reference run, and whether the reference checks were
        // out of control when the test started (empty: not known, as for an older test).
        {3,
         {"ALTER TABLE tests ADD COLUMN system_correction TEXT",
          "ALTER TABLE tests ADD COLUMN reference_material TEXT",
          "ALTER TABLE tests ADD COLUMN reference_out_of_control INTEGER"},
         {},
         {}},
    };
    return migrations;
}

bool HasMigrationTable(StoreConnection& store) {
    const QString sql =
        store.engine() == StoreEngine::Sqlite
            ? QStringLiteral(
                  "SELECT COUNT(*) FROM sqlite_master WHERE name = 'store_migrations'")
            : QStringLiteral("SELECT COUNT(*) FROM information_schema.tables WHERE table_name "
                             "= 'store_migrations' AND table_schema = current_schema()");
    return store.Value(sql).toInt() > 0;
}

int ReadVersion(StoreConnection& store) {
    if (!HasMigrationTable(store)) return 0;
    return store.Value(QStringLiteral("SELECT MAX(version) FROM store_migrations")).toInt();
}

} // namespace

int SchemaVersion() {
    return Migrations().back().version;
}

int StoreVersion(StoreConnection& store) {
    return ReadVersion(store);
}

void MigrateStore(StoreConnection& store) {
    const bool postgres = store.engine() == StoreEngine::Postgres;
    store.InTransaction([&] {
        // Two programs that open a new server store at once: the second waits here and
        // then finds the tables made.
        if (postgres) store.Exec("SELECT pg_advisory_xact_lock(7264950)");
        if (!HasMigrationTable(store))
            store.Exec("CREATE TABLE store_migrations (version INTEGER PRIMARY KEY, "
                       "applied_at TEXT NOT NULL, program_version TEXT NOT NULL)");
        const int have = ReadVersion(store);
        if (have > SchemaVersion())
            throw StoreError("The results store " + store.address().text() +
                             " was written by a newer Dilato (store version " +
                             std::to_string(have) + "; this program knows up to " +
                             std::to_string(SchemaVersion()) +
                             "). Update Dilato on this PC; the store was not changed.");
        for (const Migration& m : Migrations()) {
            if (m.version <= have) continue;
            for (const auto& sql : m.statements) store.Exec(sql);
            for (const auto& sql : postgres ? m.postgresOnly : m.sqliteOnly) store.Exec(sql);
            QSqlQuery q = store.Prepare(QStringLiteral(
                "INSERT INTO store_migrations (version, applied_at, program_version) VALUES "
                "(?, ?, ?)"));
            q.addBindValue(m.version);
            q.addBindValue(QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
            q.addBindValue(QString::fromLatin1(kVersionText));
            store.Run(q);
        }
    });
}

} // namespace dilato::results
