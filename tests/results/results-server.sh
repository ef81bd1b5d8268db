#!/usr/bin/env bash
# Two PCs and one lab server: two dilato-run with system folders of their own write to one
# PostgreSQL server at once, and every test, result and reading arrives once. Then the server
# is stopped in the middle of a test and started again: the test goes on, and the server
# ends with exactly what the PC's own store holds.
#   results-server.sh DILATO_RUN TEST_POSTGRES_CTL   (DILATO_TEST_POSTGRES: the test server)
set -euo pipefail
run=$1 ctl=$2
if [ -z "${DILATO_TEST_POSTGRES:-}" ]; then
  echo "skipped: no test PostgreSQL server (scripts/test starts one)"
  exit 77
fi
top=$(mktemp -d)
chmod 755 "$top"
server=$top/server
trap '"$ctl" remove "$server" >/dev/null 2>&1 || true; rm -rf "$top"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

# Counts in the PC's own store and on the server must agree row for row.
compare() { # sqlite-file server-uri
  python3 - "$1" "$2" <<'PY'
import sqlite3, subprocess, sys
local = sqlite3.connect(sys.argv[1])
for table in ("tests", "steps", "results", "readings", "files", "calibrations"):
    mine = local.execute(f"SELECT COUNT(*), COUNT(DISTINCT row_key) FROM {table}").fetchone()
    theirs = subprocess.run(["psql", "-tA", "-F", " ", sys.argv[2], "-c",
                             f"SELECT COUNT(*), COUNT(DISTINCT row_key) FROM {table}"],
                            check=True, capture_output=True, text=True).stdout.split()
    assert [str(x) for x in mine] == theirs, f"{table}: local {mine}, server {theirs}"
assert local.execute("SELECT COUNT(*) FROM outbox").fetchone()[0] == 0, "rows still waiting"
PY
}

# Two PCs at once, one server database.
db=two$$
psql -q "$DILATO_TEST_POSTGRES" -c "CREATE DATABASE $db"
lab=${DILATO_TEST_POSTGRES%/*}/$db
for pc in 1 2; do
  "$run" --simulate --system-folder "$top/pc$pc" --folder Lab --test "T$pc" --length 2.0 \
    --plan 20,50,80 --results-db "$lab" >"$top/pc$pc.log" 2>&1 &
done
wait %1 || { cat "$top/pc1.log"; fail "pc1"; }
wait %2 || { cat "$top/pc2.log"; fail "pc2"; }
[ "$(psql -tA "$lab" -c 'SELECT COUNT(*) FROM tests')" = 2 ] || fail "two tests on the server"
[ "$(psql -tA "$lab" -c 'SELECT COUNT(*) FROM results')" = 6 ] || fail "six results on the server"
python3 - "$top/pc1/results.sqlite" "$top/pc2/results.sqlite" "$lab" <<'PY'
import sqlite3, subprocess, sys
for table in ("tests", "steps", "results", "readings", "files"):
    local = sum(sqlite3.connect(f).execute(f"SELECT COUNT(*) FROM {table}").fetchone()[0] for f in sys.argv[1:3])
    server = int(subprocess.run(["psql", "-tA", sys.argv[3], "-c", f"SELECT COUNT(*) FROM {table}"],
                                check=True, capture_output=True, text=True).stdout)
    assert local == server, f"{table}: the two PCs hold {local}, the server {server}"
PY
psql -q "$DILATO_TEST_POSTGRES" -c "DROP DATABASE $db WITH (FORCE)"

# A server of this test's own, stopped in the middle of a test and started again.
own=$("$ctl" start "$server")
"$run" --simulate --system-folder "$top/pc3" --folder Lab --test Outage --length 2.0 \
  --plan 20,50 --time-scale 240 --results-db "$own" >"$top/pc3.log" 2>&1 &
pid=$!
for _ in $(seq 600); do grep -q "^Step 1 of 2 saved" "$top/pc3.log" && break; sleep 0.1; done
grep -q "^Step 1 of 2 saved" "$top/pc3.log" || { cat "$top/pc3.log"; fail "the first step was not saved"; }
"$ctl" stop "$server"
sleep 3
"$ctl" start "$server" >/dev/null
wait $pid || { cat "$top/pc3.log"; fail "the test with the server stopped did not complete"; }
grep -q "^Test completed" "$top/pc3.log" || fail "test not completed"
grep -q "^Results store: results server offline ([1-9][0-9]* waiting)" "$top/pc3.log" ||
  { cat "$top/pc3.log"; fail "the run did not see the server away while it tested"; }
compare "$top/pc3/results.sqlite" "$own"
echo "results server: two PCs at once and an outage, every row once"
