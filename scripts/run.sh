#!/usr/bin/env bash
# Sets everything up, builds and runs the monitor.
#
#   bash scripts/run.sh           the demo: the controller simulator on a pseudo-terminal and a
#                                 copy of the monitor in build/demo/ reading it (its own
#                                 configuration and daily files, so a real setup is never touched)
#   bash scripts/run.sh --real    the monitor in build/app/ for a real controller, with its own
#                                 configuration build/app/incubator-monitor.ini
#   bash scripts/run.sh --service the demo with incubator-monitord, the monitor without a window:
#                                 build/demo-service/incubator.ini, its statistics in log/ beside
#
# Further arguments go to the monitor (--echo prints every record line). Without a display
# (no DISPLAY, no WAYLAND_DISPLAY) the monitor runs on a virtual one and echoes its lines here.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=demo
case "${1:-}" in
    --real) mode=real; shift ;;
    --demo) shift ;;
    --service) mode=service; shift ;;
    --help | -h)
        sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'
        exit 0
        ;;
esac

bash scripts/setup-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DINCUBATOR_WERROR=ON >/dev/null
cmake --build build -j "$(nproc)" --target incubator-monitor incubator-monitord \
    incubator-sim

# How the monitor is started: on the desktop, or on a virtual display with its lines echoed.
virtual_display=no
monitor_args=("$@")
if [ "$mode" != service ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    bash scripts/setup-deps.sh xvfb xauth
    echo "No display here (neither DISPLAY nor WAYLAND_DISPLAY is set): the monitor runs on a"
    echo "virtual display, and each record line it adds is printed below. Ctrl+C ends it (it"
    echo "saves its statistics and settings first)."
    virtual_display=yes
    case " ${monitor_args[*]-} " in *" --echo "*) ;; *) monitor_args+=(--echo) ;; esac
fi

# Runs the monitor (program and arguments) until it ends; returns its exit status.
run_monitor() {
    if [ "$virtual_display" = no ]; then
        "$@"
        return
    fi
    # The virtual display runs in a session of its own: an X server ends on Ctrl+C, and the
    # monitor would lose its display before it has saved anything. The interrupt goes to the
    # monitor alone, which saves and ends; the display goes with it.
    local pid_file runner_pid status runtime_dir=""
    pid_file=$(mktemp)
    # A login session's folder for sockets: Qt asks for one.
    if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
        runtime_dir=$(mktemp -d)
        export XDG_RUNTIME_DIR=$runtime_dir
    fi
    setsid -w xvfb-run -a -s "-screen 0 1280x1024x24" \
        sh -c 'echo $$ >"$0"; exec "$@"' "$pid_file" "$@" &
    runner_pid=$!
    trap 'kill -INT "$(cat "$pid_file")" 2>/dev/null || true' INT TERM HUP
    while true; do
        wait "$runner_pid" && status=0 || status=$?
        kill -0 "$runner_pid" 2>/dev/null || break
    done
    trap - INT TERM HUP
    rm -f "$pid_file"
    [ -z "$runtime_dir" ] || rm -rf "$runtime_dir"
    return "$status"
}

if [ "$mode" = real ]; then
    ini=build/app/incubator-monitor.ini
    echo "The monitor for a real controller: settings in $ini, daily statistics in build/app/log/."
    if [ -f "$ini" ] && grep -qi '^ *Port *=' "$ini"; then
        echo "Its port: $(grep -i -m1 '^ *Port *=' "$ini" | sed 's/^[^=]*= *//')"
    else
        echo "No port chosen yet: choose it under \"Настройки\" → \"Ком порт\" and press \"Старт\","
        echo "or set Port=/dev/ttyUSB0 (and OpenStart=1 to open it at start) in section"
        echo "[ComPort1] of $ini."
    fi
    run_monitor build/app/incubator-monitor "${monitor_args[@]}"
    exit
fi

# Sets key=value in [section] of an INI file, keeping every other line; names match without
# letter case. A missing key goes at the end of its section, a missing section at the end.
set_ini_key() {
    local file=$1 section=$2 key=$3 value=$4 tmp
    tmp=$(mktemp "$file.XXXXXX")
    awk -v section="$section" -v key="$key" -v value="$value" '
        function trim(s) { gsub(/^[ \t]+|[ \t\r]+$/, "", s); return s }
        BEGIN { section = tolower(section); key = tolower(key) }
        {
            cr = /\r$/ ? "\r" : ""
            if ($0 ~ /^[ \t]*\[/) {
                if (inside && !done) { print key_line cr; done = 1 }
                printf "%s", blanks; blanks = ""
                name = $0; sub(/^[ \t]*\[/, "", name); sub(/\].*/, "", name)
                inside = tolower(trim(name)) == section
            } else if (inside && !done && trim($0) == "") {
                blanks = blanks $0 "\n"; next  # the new key goes before them
            } else if (inside && !done && index($0, "=") > 0 &&
                       tolower(trim(substr($0, 1, index($0, "=") - 1))) == key) {
                printf "%s", blanks; blanks = ""
                print key_line cr; done = 1; next
            }
            printf "%s", blanks; blanks = ""
            print
        }
        END {
            if (!done && !inside) print "[" orig_section "]"
            if (!done) print key_line
            printf "%s", blanks
        }' key_line="$key=$value" orig_section="$section" "$file" >"$tmp"
    cat "$tmp" >"$file"  # keeps the file's own mode
    rm -f "$tmp"
}

if [ "$mode" = service ]; then
    demo=build/demo-service
    mkdir -p "$demo"
    ini=$demo/incubator.ini
else
    demo=build/demo
    mkdir -p "$demo"
    # A copy, not a link: the program finds its configuration beside its own resolved path.
    cp build/app/incubator-monitor "$demo/.incubator-monitor.new"
    mv -f "$demo/.incubator-monitor.new" "$demo/incubator-monitor"
    ini=$demo/incubator-monitor.ini
fi
[ -f "$ini" ] || printf '[LogFile]\nTime=1\n' >"$ini"

# The simulator sends the layout the demo's settings expect.
layout=8
if awk '/^[ \t]*\[/ { inside = tolower($0) ~ /\[ *programm *\]/ }
        inside && tolower($0) ~ /^ *sht10 *= *[1-9]/ { found = 1 }
        END { exit !found }' "$ini"; then
    layout=9
fi

build/tools/incubator-sim --layout "$layout" >"$demo/sim.out" 2>"$demo/sim.err" &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true' EXIT
pty=""
for _ in $(seq 100); do
    pty=$(head -n 1 "$demo/sim.out" 2>/dev/null || true)
    [ -n "$pty" ] && break
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$pty" ]; then
    echo "The simulator did not start:" >&2
    cat "$demo/sim.err" >&2
    exit 1
fi
set_ini_key "$ini" ComPort1 Port "$pty"
set_ini_key "$ini" ComPort1 OpenStart 1

status=0
if [ "$mode" = service ]; then
    echo "Demo: the simulator sends one ${layout}-byte packet a second on $pty to"
    echo "incubator-monitord (settings $ini, daily statistics $demo/log/, saved every minute);"
    echo "its record lines below, its warnings on standard error. Ctrl+C saves and ends it."
    build/service/incubator-monitord --config "$ini" --echo "$@" || status=$?
    echo "The service has ended (status $status); the simulator is stopped."
    exit "$status"
fi
echo "Demo: the simulator sends one ${layout}-byte packet a second on $pty to the monitor in"
echo "$demo/ (settings $ini, daily statistics $demo/log/, saved every minute)."
run_monitor "$demo/incubator-monitor" "${monitor_args[@]}" || status=$?
echo "The monitor has ended (status $status); the simulator is stopped."
exit "$status"
