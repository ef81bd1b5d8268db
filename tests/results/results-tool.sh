#!/usr/bin/env bash
# dilato-results on the files of real dilato-run tests: the store a run leaves exports to CSV
# and JSON that python3's csv and json modules read with the summary's units and values; an
# import of the folder into a new store takes each test once, skips it the second time and
# reports a damaged file without storing any of it; verify finds a changed and a missing file.
#   results-tool.sh DILATO_RUN DILATO_RESULTS
set -euo pipefail
run=$1 tool=$2
top=$(mktemp -d)
trap 'rm -rf "$top"' EXIT
sys=$top/sys
fail() { echo "FAILED: $*"; exit 1; }

# Seeds of their own: two runs with the same noise would write the same raw data file, which
# an import rightly takes as one test.
seed=0
for t in Alpha Beta; do
  seed=$((seed + 1))
  "$run" --simulate=seed=$seed --system-folder "$sys" --folder Lab --test "$t" --sample-id "Cu-$t" \
    --length 2.0 --plan 20,50,80 >"$top/$t.log" 2>&1 || { cat "$top/$t.log"; fail "run $t"; }
done
grep -q "^Results store: sqlite:$sys/results.sqlite" "$top/Alpha.log" || fail "the run names its store"
store=(--results-db "sqlite:$sys/results.sqlite")

"$tool" "${store[@]}" export --format csv --output "$top/results.csv"
"$tool" "${store[@]}" export --format csv --rows readings --output "$top/readings.csv"
"$tool" "${store[@]}" export --format json --readings --output "$top/results.json"
python3 - "$top" "$sys/Data/Lab" <<'PY'
import csv, json, re, sys
top, data = sys.argv[1], sys.argv[2]
line = re.compile(r"^\s*(-?[\d.]+)°C to\s*(-?[\d.]+)°C: (-?[\d.]+) µ/°C \+/- ([\d.]+)%$")
def summary(test):
    values = {}
    with open(f"{data}/{test}_CTE.txt", encoding="cp1252", newline="") as f:
        for raw in f.read().split("\r\n"):
            k, _, v = raw.partition("=")
            m = re.fullmatch(r"CTE (\d+):", k)
            if m:
                values[int(m.group(1))] = [float(x) for x in line.match(v).groups()]
    return values
with open(f"{top}/results.csv", encoding="utf-8", newline="") as f:
    rows = list(csv.DictReader(f))
assert len(rows) == 6, f"3 results of 2 tests, not {len(rows)}"
for r in rows:
    start, end, cte, acc = summary(r["test_name"])[int(r["result_no"])]
    assert abs(float(r["from_temp (°C)"]) - start) < 0.051, r
    assert abs(float(r["to_temp (°C)"]) - end) < 0.051, r
    assert abs(float(r["cte (1e-6/°C)"]) - cte) < 0.051, r
    assert abs(float(r["accuracy (%)"]) - acc) < 0.051, r
    assert r["sample_length (in)"] == "2", r
    assert re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d(Z|[+-]\d\d:\d\d)", r["started_at"]), r
    assert r["sample_id"] == "Cu-" + r["test_name"], r
# The system correction and reference run close each line, behind the columns older readers know.
with open(f"{top}/results.csv", encoding="utf-8", newline="") as f:
    header = next(csv.reader(f))
assert header[-3:] == ["system_correction", "reference_material", "reference_out_of_control"], header
assert header.index("ending") + 1 == header.index("result_no"), header
for r in rows:
    assert r["system_correction"] == "fixed fixture correction", r
    assert r["reference_material"] == "", r
with open(f"{top}/readings.csv", encoding="utf-8", newline="") as f:
    readings = list(csv.DictReader(f))
assert "temperature (°C)" in readings[0] and "indicator (in)" in readings[0]
with open(f"{top}/results.json", encoding="utf-8") as f:
    doc = json.load(f)
assert doc["schema"] == "dilato-results-export" and doc["version"] == 1
assert doc["units"]["cte"] == "1e-6/°C" and doc["units"]["accuracy"] == "%"
assert len(doc["tests"]) == 2
for t in doc["tests"]:
    values = summary(t["test_name"])
    assert len(t["results"]) == len(values) == 3
    for r in t["results"]:
        assert abs(r["cte"] - values[r["result_no"]][2]) < 0.051, r
    assert {f["kind"] for f in t["files"]} == {"raw", "summary"}
    assert len(t["steps"]) == 3
    assert t["system_correction"] == "fixed fixture correction" and t["reference_material"] is None, t
assert sum(len(t["readings"]) for t in doc["tests"]) == len(readings)
PY

# Import into a new store: each test once, then skipped; a damaged file skipped whole.
printf 'Sample Length = 2.000\r\nAccuracy Option = 0\r\nTest #1\r\n1.0, x\r\n' >"$top/Broken_CTE.dat"
mkdir -p "$top/old/Data/Lab" && cp "$sys/Data/Lab/"*_CTE.* "$top/Broken_CTE.dat" "$top/old/Data/Lab/"
fresh=(--results-db "sqlite:$top/fresh.sqlite")
set +e
"$tool" "${fresh[@]}" import "$top/old" >"$top/import1.log"; first=$?
"$tool" "${fresh[@]}" import "$top/old" >"$top/import2.log"; second=$?
set -e
[ $first = 1 ] || fail "a damaged file makes the import's status 1, not $first"
grep -q "2 imported, 0 already stored, 1 damaged" "$top/import1.log" || { cat "$top/import1.log"; fail "first import"; }
grep -q "0 imported, 2 already stored, 1 damaged" "$top/import2.log" || { cat "$top/import2.log"; fail "second import"; }
grep -q "damaged, skipped .*Broken_CTE.dat" "$top/import1.log" || fail "the damaged file is named"
python3 - "$top/fresh.sqlite" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
assert db.execute("SELECT COUNT(*) FROM tests").fetchone()[0] == 2
assert db.execute("SELECT COUNT(*) FROM tests WHERE test_name = 'Broken'").fetchone()[0] == 0
assert db.execute("SELECT COUNT(*) FROM readings WHERE test_uid NOT IN (SELECT test_uid FROM tests)").fetchone()[0] == 0
assert db.execute("SELECT COUNT(*) FROM results").fetchone()[0] == 6
PY
"$tool" "${store[@]}" query --sample 'Cu-A%' | grep -q "^1 tests" || fail "query by sample"
"$tool" "${store[@]}" query --folder Lab --from 2000-01-01 | grep -q "^2 tests" || fail "query by folder and date"
"$tool" "${store[@]}" query --to 2000-01-01 | grep -q "^0 tests" || fail "query by date"

# Verify: unchanged, then one file changed and one gone.
"$tool" "${store[@]}" verify | grep -q "4 files checked, 0 changed or missing" || fail "verify clean"
printf ' ' >>"$sys/Data/Lab/Alpha_CTE.dat"
rm "$sys/Data/Lab/Beta_CTE.txt"
set +e
"$tool" "${store[@]}" verify >"$top/verify.log"; status=$?
set -e
[ $status = 1 ] || fail "verify's status is 1 when files changed, not $status"
grep -q "^changed	$sys/Data/Lab/Alpha_CTE.dat" "$top/verify.log" || { cat "$top/verify.log"; fail "changed file"; }
grep -q "^missing	$sys/Data/Lab/Beta_CTE.txt" "$top/verify.log" || { cat "$top/verify.log"; fail "missing file"; }
echo "results tool: export, import and verify as expected"
