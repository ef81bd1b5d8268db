#!/bin/sh
# Setup.sh: the installer inside a Dilato update archive (Linux), kept only for copies of
# Dilato made before the signed release manifest. Current copies never run anything from an
# archive: they hand over to /usr/lib/dilato/dilato-update-helper, which verifies and installs
# the package itself. Those older copies of Dilato check the archive's signature, unpacks it flat into its work folder
# (<system folder>/LiveUpdate/), starts this script through the desktop's administrator
# prompt and ends:
#     pkexec /bin/sh <work folder>/Setup.sh <work folder>
# The script installs the one Debian package dilato_*.deb that came beside it with apt-get,
# which also brings in any new dependency, and logs to /var/log/dilato-update.log. The next
# start of Dilato removes the unpacked files from the work folder.
set -eu

folder=$(cd "${1:-$(dirname "$0")}" && pwd)
log=/var/log/dilato-update.log
exec >>"$log" 2>&1
echo "== $(date '+%Y-%m-%d %H:%M:%S') Dilato update from $folder"

packages=$(find "$folder" -maxdepth 1 -type f -name 'dilato_*.deb')
count=$(printf '%s' "$packages" | grep -c . || true)
if [ "$count" -ne 1 ]; then
    echo "expected one dilato_*.deb in $folder, found $count"
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get install -y --no-install-recommends "$packages"
echo "== done"
