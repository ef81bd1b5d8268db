#!/usr/bin/env bash
# Checks of an installed Dilato.
#   check-install.sh tree BUILD       cmake --install into a temporary root
#   check-install.sh package BUILD    cpack's Debian package, checked by lintian, unpacked with dpkg -x
set -euo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The installed tree under ROOT/usr: the program folder, the links, the desktop files, and a
# simulated test run from the installed program, reading its installed resources.
check_tree() {
    local root=$1 usr=$1/usr lib=$1/usr/lib/dilato
    for program in dilato-run dilato-results dilato-sim; do
        [ -x "$lib/$program" ] || fail "$lib/$program missing"
        [ -L "$usr/bin/$program" ] || fail "$usr/bin/$program is not a link"
        [ "$(readlink -f "$usr/bin/$program")" = "$(readlink -f "$lib/$program")" ] ||
            fail "$usr/bin/$program does not lead to $lib/$program"
    done
    if [ -e "$lib/dilato" ]; then
        [ -L "$usr/bin/dilato" ] || fail "the window program has no link in bin"
    fi
    for sound in TurnON TestFinished Attention Shutdown Boing; do
        [ -s "$lib/Sounds/$sound.wav" ] || fail "Sounds/$sound.wav missing"
    done
    [ "$(ls "$lib/Fonts"/*.afm | wc -l)" -eq 14 ] || fail "not the 14 font metric files"
    [ -s "$lib/Fonts/Helvetica.afm" ] || fail "Fonts/Helvetica.afm missing"
    [ -s "$lib/SystemSeed/Logosml.jpg" ] || fail "the report logo is missing"
    [ -s "$lib/Help/index.html" ] || fail "the manual is missing"
    [ "$(ls "$lib/Help"/*.html | wc -l)" -ge 10 ] || fail "manual pages missing"
    [ -s "$usr/share/applications/com.norvane.Dilato.desktop" ] || fail "desktop entry missing"
    [ -s "$usr/share/icons/hicolor/scalable/apps/com.norvane.Dilato.svg" ] || fail "icon missing"
    [ -s "$usr/share/metainfo/com.norvane.Dilato.metainfo.xml" ] || fail "metainfo missing"
    [ -s "$usr/share/doc/dilato/copyright" ] || fail "copyright missing"
    [ -s "$usr/share/doc/dilato/changelog.gz" ] || fail "changelog missing"
    gzip -dc "$usr/share/doc/dilato/changelog.gz" | head -1 | grep -q '^dilato (' ||
        fail "the changelog is not a Debian changelog"
    for program in dilato dilato-run dilato-results dilato-sim; do
        [ -e "$usr/bin/$program" ] || continue
        local page="$usr/share/man/man1/$program.1.gz"
        [ -s "$page" ] || fail "no manual page for $program"
        gzip -dc "$page" | grep -q '^\.SH EXAMPLES' || fail "the manual page of $program has no examples"
    done
    # The update hand-over: the helper pkexec starts by the path its polkit action names, and
    # the administrator's settings file.
    [ -x "$lib/dilato-update-helper" ] || fail "the update helper is missing"
    local policy="$usr/share/polkit-1/actions/com.norvane.Dilato.update.policy"
    [ -s "$policy" ] || fail "the update helper's polkit action is missing"
    grep -q '<annotate key="org.freedesktop.policykit.exec.path">/usr/lib/dilato/dilato-update-helper</annotate>' \
        "$policy" || fail "the polkit action does not name the installed helper"
    [ -s "$root/etc/dilato/dilato.conf" ] || fail "/etc/dilato/dilato.conf missing"
    desktop-file-validate "$usr/share/applications/com.norvane.Dilato.desktop"
    appstreamcli validate --no-net "$usr/share/metainfo/com.norvane.Dilato.metainfo.xml" >/dev/null ||
        fail "installed metainfo does not validate"
    [ ! -e "$root/var/lib/dilato" ] || fail "the staging root got /var/lib/dilato"

    # The installed runner finds its fonts and logo through the link: a whole simulated test,
    # then one with PDF reports on, the report measured with the installed font metrics.
    local sys="$work/system"
    for test in T1 T2; do
        "$usr/bin/dilato-run" --simulate --system-folder "$sys" --folder Inst --test $test \
            --sample-id Cu --length 2.0 >"$work/run.log" 2>&1 ||
            { cat "$work/run.log"; fail "installed dilato-run failed"; }
        [ -s "$sys/Data/Inst/${test}_CTE.txt" ] || fail "no summary from the installed runner"
        sed -i 's/^PDFdataWrite=0/PDFdataWrite=1/' "$sys/CTESysParam.dat"
    done
    [ -s "$sys/Data/Inst/T2.pdf" ] || fail "no report from the installed runner"
}

case "$1" in
tree)
    build=$2
    DESTDIR="$work/root" cmake --install "$build" --prefix /usr >"$work/install.log" ||
        { cat "$work/install.log"; fail "cmake --install failed"; }
    check_tree "$work/root"
    ;;
package)
    build=$2
    cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
        { cat "$work/cpack.log"; fail "cpack failed"; }
    deb=$(ls "$work/out"/dilato_*.deb)
    [ -f "$deb" ] || fail "no dilato_*.deb"
    info=$(dpkg-deb --info "$deb")
    echo "$info" | grep -q '^ Package: dilato$' || fail "package name"
    depends=$(echo "$info" | sed -n 's/^ Depends: //p')
    for dep in libqt6core6 libqt6serialport6 passwd fonts-crosextra-caladea; do
        echo "$depends" | grep -q "$dep" || fail "Depends lacks $dep: $depends"
    done
    if dpkg-deb --contents "$deb" | grep -q ' ./usr/lib/dilato/dilato$'; then
        echo "$depends" | grep -q libqt6widgets6 || fail "Depends lacks the window's libqt6widgets6"
    fi
    for script in postinst postrm; do
        # The listing first: grep -q stops reading early, and tar must not die of it.
        controls=$(dpkg-deb --ctrl-tarfile "$deb" | tar -tvf -)
        echo "$controls" | grep -q "^-rwxr-xr-x .*$script\$" ||
            fail "no executable $script"
    done
    dpkg-deb --ctrl-tarfile "$deb" | tar -xOf - ./postinst | grep -q 'chmod 2775' ||
        fail "postinst does not make the common folder"
    dpkg-deb --ctrl-tarfile "$deb" | tar -xOf - ./conffiles | grep -qx /etc/dilato/dilato.conf ||
        fail "/etc/dilato/dilato.conf is not a configuration file of the package"
    # Debian's own checker: no error and no warning (scripts/package runs it on the release).
    command -v lintian >/dev/null || fail "lintian is missing (scripts/deps installs it)"
    lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 ||
        { cat "$work/lintian.log"; fail "lintian finds errors or warnings in the package"; }
    dpkg -x "$deb" "$work/root"
    check_tree "$work/root"
    ;;
*) fail "unknown check $1" ;;
esac
echo "OK: $1"
