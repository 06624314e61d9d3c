#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that the desktop finds the program:
# the program itself, its menu entry (which must validate) and its icon, and the documents
# the about window links to; and the service with its systemd user unit template.
# Usage: install_test.sh <cmake> <build folder> [service-only]
set -euo pipefail
cmake=$1
build=$2
window=yes
[ "${3:-}" = service-only ] && window=no

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

if [ "$window" = yes ]; then
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
fi

[ -f "$prefix/share/doc/incubator-monitor/LICENSE" ] || fail "no LICENSE in share/doc"

# The service and its unit template: one instance per configuration file, restarted after any
# end but a stop without ever giving up, telling its readiness and pinging its watchdog, in a
# sandbox that a user manager can set up.
service=$prefix/bin/incubator-monitord
unit=$prefix/lib/systemd/user/incubator-monitord@.service
[ -x "$service" ] || fail "no executable $service"
if [ -x "$service" ]; then
    usage=$("$service" --help 2>&1) || fail "the installed service's --help failed"
    grep -q '^Usage: incubator-monitord --config FILE' <<<"$usage" ||
        fail "unexpected --help output of the service: $usage"
    if ldd "$service" | grep -q 'libQt'; then fail "the service links Qt: $(ldd "$service")"; fi
fi
if [ -f "$unit" ]; then
    for line in '[Unit]' '[Service]' '[Install]' 'StartLimitIntervalSec=0' 'Restart=always' \
        'RestartSec=5' 'Type=notify' 'WatchdogSec=60' 'PrivateUsers=yes' \
        "ExecStart=$service --config %E/incubator-monitor/%i.ini" 'WantedBy=default.target'; do
        grep -qxF "$line" "$unit" || fail "the unit has no line '$line'"
    done
    # StartLimitIntervalSec belongs to [Unit]: in [Service] it is ignored.
    awk '/^\[/{section=$0} /^StartLimitIntervalSec=/{print section}' "$unit" | grep -qxF '[Unit]' ||
        fail "StartLimitIntervalSec is not in [Unit]"
    if command -v systemd-analyze >/dev/null; then
        # A template is verified as one of its instances.
        units=$(mktemp -d "${TMPDIR:-/tmp}/incubator-units-XXXXXX")
        cp "$unit" "$units/incubator-monitord@test.service"
        # Without a session (a build machine) the user manager wants a runtime folder.
        if ! report=$(XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$units} systemd-analyze verify --user \
            "$units/incubator-monitord@test.service" 2>&1); then
            fail "systemd-analyze verify: $report"
        elif grep -qi 'incubator-monitord' <<<"$report"; then
            fail "systemd-analyze verify: $report"
        fi
        # The sandbox as systemd rates it (9.8 without one); systemd before 252 cannot rate a
        # unit file by its path.
        if report=$(XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$units} systemd-analyze security \
            --offline=true --user "$units/incubator-monitord@test.service" 2>&1); then
            exposure=$(sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p' <<<"$report")
            awk -v e="${exposure:-10}" 'BEGIN { exit !(e <= 5.0) }' ||
                fail "systemd-analyze security rates the unit ${exposure:-?}, more than 5.0"
        fi
        rm -rf "$units"
    fi
else
    fail "no unit template $unit"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi

if [ "$window" = no ]; then
    echo "installed service and unit: OK"
    exit 0
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
