#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that the desktop finds the program:
# the program itself, its menu entry (which must validate) and its icon, and the documents
# the about window links to.
# Usage: install_test.sh <cmake> <build folder>
set -euo pipefail
cmake=$1
build=$2

prefix=$(mktemp -d "${TMPDIR:-/tmp}/incubator-install-XXXXXX")
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

"$cmake" --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || {
    cat "$prefix.log"
    rm -f "$prefix.log"
    echo "FAIL: cmake --install"
    exit 1
}
rm -f "$prefix.log"

program=$prefix/bin/incubator-monitor
entry=$prefix/share/applications/incubator-monitor.desktop
icon=$prefix/share/icons/hicolor/scalable/apps/incubator-monitor.svg
docs=$prefix/share/doc/incubator-monitor

[ -x "$program" ] || fail "no executable $program"
[ -f "$entry" ] || fail "no menu entry $entry"
[ -f "$icon" ] || fail "no icon $icon"
[ -f "$docs/README.md" ] || fail "no README in $docs"
for component in chart serial tray; do
    [ -n "$(find "$docs/$component" -name '*.h' 2>/dev/null)" ] ||
        fail "no interface of the $component component in $docs/$component"
done

# The installed program runs without the build folder.
if [ -x "$program" ]; then
    usage=$("$program" --help 2>&1) || fail "the installed program's --help failed"
    grep -q '^Usage: incubator-monitor' <<<"$usage" || fail "unexpected --help output: $usage"
fi

[ ! -f "$icon" ] || grep -q '<svg' "$icon" || fail "the icon is no SVG image"

if [ -f "$entry" ]; then
    for line in '[Desktop Entry]' 'Type=Application' 'Exec=incubator-monitor' \
        'Icon=incubator-monitor' 'Name[ru]=Монитор инкубатора'; do
        grep -qxF "$line" "$entry" || fail "the entry has no line '$line'"
    done
    for key in Name Comment Categories; do
        grep -q "^$key=." "$entry" || fail "the entry has no $key"
    done
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi

if ! command -v desktop-file-validate >/dev/null; then
    echo "SKIP: desktop-file-validate (package desktop-file-utils) is missing; the entry was not validated"
    exit 77
fi
if ! report=$(desktop-file-validate "$entry" 2>&1) || [ -n "$report" ]; then
    echo "FAIL: desktop-file-validate: $report"
    exit 1
fi
echo "installed layout and desktop entry: OK"
