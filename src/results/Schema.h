#pragma once
// The store's tables, the same for SQLite and PostgreSQL, built by numbered migrations that
// every program applies when it opens a store. A store that a newer program has migrated
// further than this one knows is refused, never written.
//
//   tests         one row per test: where, what sample, who, which PC and instrument, when,
//                 how it ended
//   steps         one row per saved step: set point, end temperature and indicator, how the
//                 step ended, its evidence figures
//   results       one row per reported CTE: interval, CTE, accuracy estimate, U, flags
//   readings      every stored reading
//   calibrations  the stage calibration in force during the test
//   files         every file of the test with its SHA-256 as it was written
//   outbox        (the local store only) rows still to be forwarded to the lab's server
//
// Every row has a text key `row_key` made from the test's identity, so that writing a row
// twice (a forward repeated after a lost answer) leaves one row.

#include "results/StoreConnection.h"

namespace dilato::results {

// The newest migration this program knows.
[[nodiscard]] int SchemaVersion();

// Applies the migrations the store lacks, each in its own transaction (two programs starting
// at once apply each one once). Throws StoreError when the store is newer than the program
// ("... was written by a newer Dilato ...") or a migration fails.
void MigrateStore(StoreConnection& store);

// The store's migration level (0 for an empty store).
[[nodiscard]] int StoreVersion(StoreConnection& store);

} // namespace dilato::results
