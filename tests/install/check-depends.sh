#!/usr/bin/env bash
# Every program that Dilato runs comes with its package: the package that gives the program is
# in the Depends of the control file (or every alternative of a Depends entry gives it).
#   check-depends.sh DEB|CPACKCONFIG [SOURCE_DIR]
# The programs are found in the sources: literal program names handed to QProcess, a sound
# player command, exec*() or an absolute /bin or /usr/bin path in the C++ code, the desktop's
# opener behind QDesktopServices, and the commands of the package's own scripts and of the
# update's installer script.
set -euo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }
control=$1
src=${2:-$(cd "$(dirname "$0")/../.." && pwd)}

# program | the Debian packages that give it, any one will do ("-": an Essential package, on
# every Debian system) | more packages it needs beside ("|" between alternatives)
programs='
pkexec   | pkexec                                  | polkitd
xdg-open | xdg-utils                               |
pw-play  | pipewire-bin pulseaudio-utils alsa-utils |
paplay   | pipewire-bin pulseaudio-utils alsa-utils |
aplay    | pipewire-bin pulseaudio-utils alsa-utils |
apt-get  | apt                                     |
groupadd | passwd                                  |
dpkg-deb   | -                                     |
dpkg-query | -                                     |
getent   | -                                       |
'

case "$control" in
*.deb) depends=$(dpkg-deb --field "$control" Depends) ;;
*) depends=$(sed -n 's/^set(CPACK_DEBIAN_PACKAGE_DEPENDS "\(.*\)")$/\1/p' "$control") ;;
esac
[ -n "$depends" ] || fail "no Depends in $control"
# One entry a line, its alternatives as bare package names.
entries=$(echo "$depends" | tr ',' '\n' | sed -e 's/([^)]*)//g' -e 's/:[a-z0-9]*//g' -e 's/ //g')

# An entry of Depends whose every alternative is one of the given packages.
covered_by() {
    local wanted=" $* " entry alt ok
    while read -r entry; do
        [ -n "$entry" ] || continue
        ok=1
        for alt in ${entry//|/ }; do
            [[ "$wanted" == *" $alt "* ]] || ok=0
        done
        [ $ok -eq 1 ] && return 0
    done <<<"$entries"
    return 1
}

# The programs the code runs, "name<TAB>where" a line.
found=$(
    cd "$src"
    find src app sim -name '*.cpp' -o -name '*.h' | sort | xargs perl -0777 -ne '
        while (/(?:startDetached|execute|\.start)\(\s*(?:QStringLiteral\()?"([^"]+)"
                |PlayerCommand\{\s*"([^"]+)"
                |\bexec(?:l|lp|le|v|vp|ve|vpe)\(\s*"([^"]+)"
                |"((?:\/usr)?\/s?bin\/[^" ]+)"/gx) {
            my ($program, $at) = ($1 // $2 // $3 // $4, $-[0]);
            $program =~ s|.*/||;
            my $line = 1 + (substr($_, 0, $at) =~ tr/\n//);
            print "$program\t$ARGV:$line\n";
        }
        print "xdg-open\t$ARGV\n" if /QDesktopServices::openUrl/;'
    for script in packaging/postinst packaging/postrm scripts/update/Setup.sh; do
        [ -f "$script" ] || continue
        for program in $(echo "$programs" | cut -d'|' -f1); do
            grep -v '^\s*#' "$script" | grep -qE "(^|[;&|(!]|then|do|else)\s*(/[a-z/]*/)?$program\b" &&
                printf '%s\t%s\n' "$program" "$script"
        done
    done
    true
)
[ -n "$found" ] || fail "found no program that the code runs: the search no longer sees them"

status=0
while IFS=$'\t' read -r program where; do
    row=$(echo "$programs" | awk -F'|' -v p="$program" '{ gsub(/ +/, " ") } $1 == p" " { print }')
    if [ -z "$row" ]; then
        echo "FAIL: $where runs $program, which is not in the table of this check: add it with the" \
            "package that gives it, and that package to the Depends in cmake/Install.cmake" >&2
        status=1
        continue
    fi
    givers=$(echo "$row" | cut -d'|' -f2)
    [ "$(echo $givers)" = "-" ] && continue
    covered_by $givers || {
        echo "FAIL: $where runs $program, but no Depends entry is only of ($(echo $givers)): $depends" >&2
        status=1
    }
    for also in $(echo "$row" | cut -d'|' -f3); do
        covered_by ${also//|/ } || {
            echo "FAIL: $program needs $also beside it, not in Depends: $depends" >&2
            status=1
        }
    done
done < <(echo "$found" | sort -u -t$'\t' -k1,1)

# A program of the table that the code no longer runs is a Depends too many, or a search gone blind.
for program in $(echo "$programs" | cut -d'|' -f1); do
    echo "$found" | cut -f1 | grep -qx "$program" ||
        { echo "FAIL: the table names $program, but nothing runs it any more" >&2; status=1; }
done
[ $status -eq 0 ] || exit 1
echo "OK: Depends give every program run: $(echo "$found" | cut -f1 | sort -u | tr '\n' ' ')"
