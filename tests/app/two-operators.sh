#!/usr/bin/env bash
# Two operators of one PC (two user ids in one group) run tests one after the other on one
# shared system folder, laid out as the installation lays out /var/lib/dilato (group-owned,
# setgid, mode 2775) and with the operators' umask 002. Nothing may be refused for want of
# permission, and the folder keeps one parameter file (one calibration) and one hour meter.
#   two-operators.sh DILATO_RUN
set -euo pipefail
run=$1
if [ "$(id -u)" != 0 ] || ! command -v setpriv >/dev/null; then
  echo "skipped: acting as two operators needs root and setpriv (util-linux)"
  exit 77
fi
group=$(getent group dilato | cut -d: -f3 || true)
group=${group:-4300}
top=$(mktemp -d)
trap 'rm -rf "$top"' EXIT
chmod 755 "$top"
shared=$top/dilato
install -d -m 2775 -g "$group" "$shared"
# A remote store that cannot be made gives every run an error-log entry: the second
# operator appends to the log the first one started.
printf '[General]\r\nRemoteStore1=%s\r\n' "$top/no/remote" >"$shared/Dilato.ini"
chgrp "$group" "$shared/Dilato.ini" && chmod 664 "$shared/Dilato.ini"

operator() { # uid test-name log
  setpriv --reuid="$1" --regid="$1" --groups="$group" --inh-caps=-all \
    env HOME="$top" bash -c 'umask 002; exec "$@"' _ \
    "$run" --simulate --system-folder "$shared" --folder Shared --length 2.0 --test "$2" >"$3" 2>&1
}

started=$(date +%s%N)
for turn in 4301:First 4302:Second 4301:Third 4302:Fourth; do
  uid=${turn%%:*} name=${turn#*:}
  if ! operator "$uid" "$name" "$top/$name.log"; then
    echo "operator $uid could not run test $name:"; cat "$top/$name.log"; exit 1
  fi
done
elapsed_ms=$(( ($(date +%s%N) - started) / 1000000 ))

fail() { echo "FAILED: $*"; exit 1; }
if grep -i "permission denied\|cannot open" "$top"/*.log; then fail "a permission error"; fi
[ "$(grep -c "WriteRemoteDataFile" "$shared/LogFiles/ErrorLog.txt")" -ge 4 ] ||
  fail "the error log lost entries"
params=$(find "$shared" -maxdepth 1 -iname 'CTESysParam*.dat' | wc -l)
[ "$params" = 1 ] || fail "$params parameter files"
meters=$(find "$shared/LogFiles" -name 'HobbsMeter*.dat' | wc -l)
[ "$meters" = 1 ] || fail "$meters hour meters"
hours=$(sed -n 2p "$shared"/LogFiles/HobbsMeter*.dat | tr -d '\r')
for name in First Second Third Fourth; do
  [ -f "$shared/Data/Shared/${name}_CTE.txt" ] || fail "no summary of $name"
done
[ "$(stat -c %g "$shared/CTESysParam.dat")" = "$group" ] || fail "the parameter file left the group"
[ "$(find "$shared" -newer "$top/First.log" ! -group "$group" | wc -l)" = 0 ] ||
  fail "files outside the group: $(find "$shared" ! -group "$group")"
owners=$(find "$shared" -type f -printf '%u\n' | sort | uniq -c | tr -s ' \n' ' ')
echo "two operators (uids 4301, 4302, group $group), four tests in turn in ${elapsed_ms} ms:" \
  "no permission error, $params parameter file, $meters hour meter at $hours h; file owners:$owners"
