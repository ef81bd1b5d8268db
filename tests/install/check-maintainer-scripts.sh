#!/usr/bin/env bash
# The package's postinst and postrm as they run on a machine: the real getent, groupadd and
# folders, in a mount namespace of their own where /etc is a copy and /var/lib and /var/log
# are empty, so that this machine's group and common folder are never touched.
#   check-maintainer-scripts.sh postinst|postrm PACKAGING_DIR     (needs root; 77 skips)
set -euo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }
check=$1
packaging=$(cd "$2" && pwd)

if [ -z "${DILATO_MAINTAINER_CHECK_ISOLATED:-}" ]; then
    [ "$(id -u)" -eq 0 ] || { echo "SKIP: needs root to make groups and give folders to them"; exit 77; }
    unshare --mount --propagation private true 2>/dev/null ||
        { echo "SKIP: no mount namespace here (unshare)"; exit 77; }
    DILATO_MAINTAINER_CHECK_ISOLATED=1 exec unshare --mount --propagation private bash "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -a /etc/. "$work/etc"
mount --bind "$work/etc" /etc
mount -t tmpfs tmpfs /var/lib
mount -t tmpfs tmpfs /var/log
# A machine that has never seen Dilato (this one may have).
groupdel dilato 2>/dev/null || true

dir=/var/lib/dilato
state() { stat -c '%a %U %G' "$1"; }
groups_named_dilato() { grep -c '^dilato:' /etc/group || true; }

case "$check" in
postinst)
    postinst=$packaging/postinst

    # A new machine: a system group and the folder, setgid and writable by the group.
    sh "$postinst" configure || fail "postinst failed on a new machine"
    gid=$(getent group dilato | cut -d: -f3)
    [ -n "$gid" ] && [ "$gid" -lt 1000 ] || fail "no system group dilato ($gid)"
    [ "$(state $dir)" = "2775 root dilato" ] || fail "new $dir is $(state $dir)"

    # An upgrade: the administrator narrowed the folder to 2770 and operators' files are in
    # it; neither the folder nor anything in it changes, and the group is not made again.
    chmod 2770 $dir
    mkdir $dir/Data
    echo reading >$dir/Data/T1.txt
    chmod 600 $dir/Data/T1.txt
    before=$(find $dir -printf '%p %m %u %g\n')
    for pass in 1 2; do
        sh "$postinst" configure || fail "postinst failed on upgrade (pass $pass)"
    done
    [ "$(find $dir -printf '%p %m %u %g\n')" = "$before" ] ||
        fail "an upgrade changed the folder: $(find $dir -printf '%p %m %u %g\n')"
    [ "$(groups_named_dilato)" -eq 1 ] || fail "group dilato made more than once"

    # A group that comes from a directory service: getent knows it, /etc/group does not;
    # groupadd must not be run (it would make a second group of that name).
    groupdel dilato
    rm -rf $dir
    mkdir "$work/bin"
    printf '#!/bin/sh\n[ "$1 $2" = "group dilato" ] && echo dilato:x:4321: && exit 0\nexit 2\n' \
        >"$work/bin/getent"
    chmod +x "$work/bin/getent"
    PATH="$work/bin:$PATH" sh "$postinst" configure || fail "postinst failed with a directory group"
    [ "$(groups_named_dilato)" -eq 0 ] || fail "groupadd ran for a group that getent knew"
    [ "$(stat -c '%a %g' $dir)" = "2775 4321" ] || fail "folder with a directory group: $(stat -c '%a %g' $dir)"
    rm -rf $dir

    # A folder made before the group existed (a run as root): left as it was, pointing to
    # the one-time command for the administrator in README.Debian (the README has the same),
    # which hands it over without following a link.
    mkdir -p $dir/Data
    echo old >$dir/Data/old.txt
    chmod 755 $dir $dir/Data
    chmod 644 $dir/Data/old.txt
    ln -s /etc/shadow $dir/Data/link
    shadow=$(state /etc/shadow)
    message=$(sh "$postinst" configure 2>&1) || fail "postinst failed on a folder of group root"
    [ "$(state $dir)" = "755 root root" ] || fail "postinst changed the old folder: $(state $dir)"
    [ "$(state $dir/Data/old.txt)" = "644 root root" ] || fail "postinst walked into the old folder"
    echo "$message" | grep -q 'README.Debian' || fail "the administrator is not told where to look: $message"
    commands=$(sed -En 's/^    ((find|chgrp) .*\/var\/lib\/dilato.*)/\1/p' "$packaging/README.Debian")
    [ "$(echo "$commands" | grep -c .)" -eq 3 ] || fail "no one-time command in README.Debian"
    [ "$(grep -E '^(find|chgrp) .*/var/lib/dilato' "$packaging/../README.md")" = "$commands" ] ||
        fail "README.md and README.Debian give different commands"
    sh -e -c "$commands" || fail "the one-time command failed: $commands"
    [ "$(state $dir)" = "2775 root dilato" ] || fail "the command left $dir $(state $dir)"
    [ "$(state $dir/Data)" = "2775 root dilato" ] || fail "the command left Data $(state $dir/Data)"
    [ "$(state $dir/Data/old.txt)" = "664 root dilato" ] || fail "the command left old.txt $(state $dir/Data/old.txt)"
    [ "$(state /etc/shadow)" = "$shadow" ] || fail "the command followed a link to /etc/shadow"
    rm -rf $dir

    # Something else in the folder's place is the administrator's: left alone, said so.
    ln -s /nowhere $dir
    message=$(sh "$postinst" configure 2>&1) || fail "postinst failed on a dangling link"
    [ -L $dir ] || fail "postinst replaced a link"
    echo "$message" | grep -q 'not a folder' || fail "nothing said of the link: $message"
    rm $dir

    # Any other action leaves the machine alone.
    for action in abort-upgrade abort-remove abort-deconfigure; do
        sh "$postinst" $action || fail "postinst $action failed"
        [ ! -e $dir ] || fail "postinst $action made $dir"
    done
    ;;
postrm)
    postrm=$packaging/postrm
    groupadd --system dilato
    mkdir -m 2775 $dir
    echo reading >$dir/T1.txt
    echo "== update" >/var/log/dilato-update.log
    mkdir -p /var/lib/dilato-update && echo "installed" >/var/lib/dilato-update/last-update

    for action in remove upgrade; do
        sh "$postrm" $action >/dev/null || fail "postrm $action failed"
        [ -e /var/log/dilato-update.log ] || fail "postrm $action removed the update log"
        [ -e /var/lib/dilato-update/last-update ] || fail "postrm $action removed the update record"
    done
    said=$(sh "$postrm" purge) || fail "postrm purge failed"
    [ ! -e /var/log/dilato-update.log ] || fail "purge left the update log"
    [ ! -e /var/lib/dilato-update ] || fail "purge left the update record"
    echo "$said" | grep -q 'removed /var/lib/dilato-update' || fail "purge did not say it removed the update record: $said"
    echo "$said" | grep -q 'removed /var/log/dilato-update.log' || fail "purge did not say what it removed: $said"
    echo "$said" | grep -q 'kept /var/lib/dilato' || fail "purge did not say what it kept: $said"
    [ "$(cat $dir/T1.txt)" = reading ] || fail "purge touched the operators' data"
    getent group dilato >/dev/null || fail "purge removed the group"
    sh "$postrm" purge >/dev/null || fail "a second purge failed"
    ;;
*) fail "unknown check $check" ;;
esac
echo "OK: $check"
