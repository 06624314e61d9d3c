#!/usr/bin/env bash
# The monitor on a real X desktop, checked from the outside as a user sees it: a virtual
# screen of 1280 x 800 (Xvfb) with the openbox window manager, the trayer notification area
# and the dunst notification service on a D-Bus session of its own; the monitor, a copy with a
# fresh configuration, reads a simulated controller (incubator-sim).
#
#   bash scripts/desktop-test.sh [--screenshot FILE] [--monitor PROGRAM]
#
#   --screenshot FILE   also picture the window at its default size with every curve on the
#                       chart over a full window of 160 samples, one a second as the controller
#                       sends them (for docs/screenshot.png; about three minutes more)
#   --monitor PROGRAM   test this build of the monitor instead of build/app/incubator-monitor
#
# With the notification area: the window lies whole in the screen's free area, frame
# included; new readings show; minimised, it goes into the tray and leaves no window behind;
# a double click on its tray icon brings it back with its content; it can be made as small as
# it allows. Without the notification area: two alarms that stay raised for 20 s keep one
# notification on the desktop, each replacing the one before. Pictures and logs stay in
# build/desktop-test/. Everything it starts, it ends.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=$root/build/desktop-test

if [ "${1:-}" != --in-session ]; then
    for arg in "$@"; do
        case $arg in --help | -h)
            sed -n '2,19p' "$0" | sed 's/^# \{0,1\}//'
            exit 0
            ;;
        esac
    done
    # No dbus-x11: with it a program that finds no session bus starts one of its own, which
    # outlives the test.
    bash scripts/setup-deps.sh xvfb openbox trayer dunst dbus-bin dbus-daemon xdotool x11-utils \
        imagemagick
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DINCUBATOR_WERROR=ON >/dev/null
    cmake --build build -j "$(nproc)" --target incubator-monitor incubator-sim >/dev/null
    rm -rf "$out"
    mkdir -p "$out"
    exec dbus-run-session -- bash "$0" --in-session "$@" 2> >(grep -v '^dbus-daemon\[' >&2)
fi
shift

monitor_program=$root/build/app/incubator-monitor
docs_picture=""
while [ $# -gt 0 ]; do
    case $1 in
        --screenshot) docs_picture=$(realpath -m "$2"); shift 2 ;;
        --monitor) monitor_program=$(realpath "$2"); shift 2 ;;
        *) echo "desktop-test: unknown argument $1" >&2; exit 2 ;;
    esac
done
sim=$root/build/tools/incubator-sim
title="Монитор инкубатора"
started=$SECONDS

# Everything started here, ended in the reverse order.
pids=()
runtime_dir=$(mktemp -d)
export XDG_RUNTIME_DIR=$runtime_dir
cleanup() {
    local i pid
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        pid=${pids[i]}
        kill -TERM "$pid" 2>/dev/null || continue
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$runtime_dir"
}
trap cleanup EXIT
trap 'echo "desktop-test: interrupted" >&2; exit 1' TERM INT
# Whatever hangs, the test ends within two minutes (the README's picture takes longer).
limit=110
[ -z "$docs_picture" ] || limit=$((limit + 200))
(
    sleep "$limit" &
    sleeper=$!
    trap 'kill "$sleeper" 2>/dev/null; exit 0' TERM
    wait "$sleeper" && echo "desktop-test: no end after $limit s" >&2 && kill -TERM $$
) &
pids+=($!)

passed=0
failed=0
ok() { echo "ok: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }

# Runs the command every 0.1 s until it succeeds; false after SECONDS.
wait_for() {
    local seconds=$1 i
    shift
    for ((i = 0; i < seconds * 10; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    "$@"
}

stop() {  # pid: ends it and waits
    local pid=$1
    kill -TERM "$pid" 2>/dev/null || return 0
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

# --- the desktop ------------------------------------------------------------------------------

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$out/display" 2>"$out/xvfb.log" &
pids+=($!)
wait_for 10 test -s "$out/display" || { echo "Xvfb did not start:" >&2; cat "$out/xvfb.log" >&2; exit 1; }
export DISPLAY=:$(cat "$out/display")

openbox --sm-disable >"$out/openbox.log" 2>&1 &
pids+=($!)
wait_for 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
    { echo "openbox did not start" >&2; exit 1; }

dunst >"$out/dunst.log" 2>&1 &
pids+=($!)
has_notifications() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.freedesktop.Notifications 2>/dev/null |
        grep -q 'boolean true'
}
wait_for 10 has_notifications || { echo "dunst did not start" >&2; exit 1; }

# trayer's panel window (instance "panel", class "trayer").
tray_panel() {
    local id
    for id in $(xdotool search --classname '^panel$' 2>/dev/null); do
        xprop -id "$id" WM_CLASS 2>/dev/null | grep -q '"trayer"' && { echo "$id"; return 0; }
    done
    return 1
}
# The free area of the screen (_NET_WORKAREA of the first desktop): x y width height.
work_area() {
    xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g' | awk '{ print $1, $2, $3, $4 }'
}
strip_reserved() { [ "$(work_area | awk '{ print $4 }')" -lt 800 ]; }

trayer --SetDockType true --SetPartialStrut true --edge bottom --height 24 \
    >"$out/trayer.log" 2>&1 &
trayer_pid=$!
pids+=($trayer_pid)
wait_for 10 tray_panel >/dev/null && wait_for 5 strip_reserved ||
    { echo "trayer did not start" >&2; exit 1; }

# --- the monitor ------------------------------------------------------------------------------

# start_monitor NAME [SIMULATOR OPTIONS] -- [CONFIGURATION LINES]: a simulator and a copy of the
# monitor in $out/NAME reading it, with a fresh configuration (the simulator's port, opened at
# start, and the given lines). Sets monitor_pid, sim_pid and window (its main window).
start_monitor() {
    local dir=$out/$1 pty="" sim_options=() lines=()
    shift
    while [ $# -gt 0 ] && [ "$1" != -- ]; do sim_options+=("$1"); shift; done
    [ $# -eq 0 ] || shift
    lines=("$@")
    mkdir -p "$dir"
    cp "$monitor_program" "$dir/incubator-monitor"
    "$sim" "${sim_options[@]}" >"$dir/sim.out" 2>"$dir/sim.err" &
    sim_pid=$!
    pids+=($sim_pid)
    wait_for 10 test -s "$dir/sim.out" || { echo "incubator-sim did not start" >&2; exit 1; }
    pty=$(head -n 1 "$dir/sim.out")
    {
        printf '[ComPort1]\nPort=%s\nOpenStart=1\n' "$pty"
        [ ${#lines[@]} -eq 0 ] || printf '%s\n' "${lines[@]}"
    } >"$dir/incubator-monitor.ini"
    (cd "$dir" && exec ./incubator-monitor --echo >monitor.out 2>monitor.err) &
    monitor_pid=$!
    pids+=($monitor_pid)
    window=""
    wait_for 15 find_main_window || { echo "the monitor's window did not appear" >&2; exit 1; }
}

# The monitor's main window (by its title), viewable or not; sets window.
find_main_window() {
    local id
    for id in $(xdotool search --pid "$monitor_pid" 2>/dev/null); do
        if xprop -id "$id" _NET_WM_NAME 2>/dev/null | grep -qF "\"$title\""; then
            window=$id
            viewable "$window"
            return
        fi
    done
    return 1
}
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
# The window's ancestor that is a child of the root window: its frame under the window manager.
top_level() {
    local id=$1 parent
    while true; do
        parent=$(xwininfo -id "$id" -tree | awk '/Parent window id:/ { print $4 }')
        [ -n "$parent" ] || return 1
        if xwininfo -id "$parent" | grep -q '(the root window)'; then
            echo "$id"
            return
        fi
        id=$parent
    done
}
# Absolute geometry of a window: x y width height.
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
        /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }'
}
# The frame lies whole in the free area.
frame_in_work_area() {
    local frame fx fy fw fh ax ay aw ah
    frame=$(top_level "$window") || return 1
    read -r fx fy fw fh < <(geometry "$frame")
    read -r ax ay aw ah < <(work_area)
    frame_text="frame ${fw}x${fh}+${fx}+${fy}, free area ${aw}x${ah}+${ax}+${ay}"
    [ "$fx" -ge "$ax" ] && [ "$fy" -ge "$ay" ] &&
        [ $((fx + fw)) -le $((ax + aw)) ] && [ $((fy + fh)) -le $((ay + ah)) ]
}
colours() { convert "$1" -format '%k' info:; }
# The program's windows that are shown on the desktop, the tray icon in trayer's panel left
# out.
shown_windows() {
    local id top panel
    panel=$(tray_panel 2>/dev/null || true)
    for id in $(xdotool search --pid "$monitor_pid" 2>/dev/null); do
        viewable "$id" || continue
        top=$(top_level "$id") || continue
        [ -n "$panel" ] && [ "$(top_level "$panel")" = "$top" ] && continue
        echo "$id"
    done
}
no_window_shown() { [ -z "$(shown_windows)" ]; }
lines_echoed() { [ "$(wc -l <"$out/$1/monitor.out")" -ge "$2" ]; }
# The tray icon: a small window in trayer's panel. Sets icon_x and icon_y to its centre.
find_tray_icon() {
    local panel
    panel=$(tray_panel) || return 1
    read -r icon_x icon_y < <(xwininfo -id "$panel" -tree | awk '
        $0 ~ /[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+ +\+-?[0-9]+\+-?[0-9]+$/ {
            split($(NF - 1), size, "[x+]"); split($NF, at, "+")
            if (size[1] >= 8 && size[1] <= 64 && size[2] >= 8 && size[2] <= 64) {
                print at[2] + int(size[1] / 2), at[3] + int(size[2] / 2); exit
            }
        }')
    [ -n "${icon_x:-}" ]
}

# --- with the notification area ---------------------------------------------------------------

start_monitor tray -- '[Form]' 'MinToTrey=1'
frame_text=""
if wait_for 3 viewable "$window" && wait_for 3 frame_in_work_area; then
    ok "the window lies whole in the free area of the screen ($frame_text)"
else
    fail "the window is not whole in the free area of the screen ($frame_text)"
fi

wait_for 10 lines_echoed tray 2 || true
frame=$(top_level "$window")
import -window "$frame" "$out/default.png"
sleep 2
import -window "$frame" "$out/default-later.png"
changed=$(compare -metric AE "$out/default.png" "$out/default-later.png" null: 2>&1 || true)
if lines_echoed tray 3 && [ "${changed%% *}" != 0 ]; then
    ok "new readings show ($(wc -l <"$out/tray/monitor.out") record lines, $changed pixels changed in 2 s)"
else
    fail "no new readings show ($(wc -l <"$out/tray/monitor.out") record lines, $changed pixels changed in 2 s)"
fi
[ "$(colours "$out/default.png")" -gt 16 ] && ok "the window at its default size is drawn" ||
    fail "the window at its default size is one colour"

xdotool windowminimize "$window"
if wait_for 5 no_window_shown && sleep 1 && no_window_shown; then
    ok "minimised into the tray, no window of the program is left on the desktop"
else
    fail "minimised into the tray, windows of the program are left on the desktop:" \
        "$(for id in $(shown_windows); do printf '0x%x ' "$id"; done)"
fi
import -window root "$out/minimised.png"

if wait_for 5 find_tray_icon; then
    xdotool mousemove --sync "$icon_x" "$icon_y" click --repeat 2 --delay 100 1
    if wait_for 5 viewable "$window"; then
        sleep 0.5
        import -window "$(top_level "$window")" "$out/restored.png"
        if [ "$(colours "$out/restored.png")" -gt 16 ]; then
            ok "a double click on the tray icon brings the window back with its content"
        else
            fail "the window came back from the tray empty (one colour)"
        fi
    else
        fail "a double click on the tray icon did not bring the window back"
    fi
else
    fail "no tray icon in the notification area"
fi

# As small as the window allows (the window manager holds it to its minimum size).
read -r min_w min_h < <(xprop -id "$window" WM_NORMAL_HINTS |
    awk '/minimum size:/ { print $(NF - 2), $NF }')
xdotool windowsize "$window" 1 1
window_at_minimum() {
    local x y w h
    read -r x y w h < <(geometry "$window")
    [ "$w" -eq "$min_w" ] && [ "$h" -eq "$min_h" ]
}
if wait_for 5 window_at_minimum; then
    sleep 0.5
    import -window "$(top_level "$window")" "$out/minimum.png"
    [ "$(colours "$out/minimum.png")" -gt 16 ] && ok "the window at its minimum size ${min_w}x${min_h}" ||
        fail "the window at its minimum size is one colour"
else
    fail "the window does not take its minimum size ${min_w}x${min_h} ($(geometry "$window"))"
fi
stop "$monitor_pid"
stop "$sim_pid"

# --- without the notification area ------------------------------------------------------------

stop "$trayer_pid"
dbus-monitor --session \
    "type='method_call',interface='org.freedesktop.Notifications',member='Notify'" \
    "type='method_return'" >"$out/notifications.log" 2>&1 &
pids+=($!)
wait_for 5 test -s "$out/notifications.log"
# T1 and T2 above their upper limits of 30,0 °C from the first sample on.
start_monitor alarms -- '[Alarm]' 'T1_HI=300' 'T2_HI=300'
sleep 20
stop "$monitor_pid"
stop "$sim_pid"
# Each Notify call with the id it asks to replace and the id the service answered.
read -r calls replacing < <(awk '
    /^method call .*member=Notify/ { match($0, /serial=[0-9]+/); serial = substr($0, RSTART + 7, RLENGTH - 7)
                                     order[++n] = serial; args = 0; in_call = 1; next }
    /^method return / { in_call = 0; match($0, /reply_serial=[0-9]+/)
                        reply = substr($0, RSTART + 13, RLENGTH - 13); next }
    /^(method|signal|error)/ { in_call = 0; reply = ""; next }
    in_call && ++args == 2 { replaces[order[n]] = $2; next }
    reply != "" && $1 == "uint32" { id[reply] = $2; reply = ""; next }
    END {
        good = (n > 0 && replaces[order[1]] == 0) ? 1 : 0
        for (i = 2; i <= n; i++)
            if (replaces[order[i]] != id[order[i - 1]] || replaces[order[i]] == 0) good = 0
        print n, good
    }' "$out/notifications.log")
if [ "$calls" -ge 2 ] && [ "$replacing" -eq 1 ]; then
    ok "two alarms for 20 s: $calls notifications, each after the first replacing the one before"
else
    fail "two alarms for 20 s: $calls notifications, not each replacing the one before"
fi

# --- the picture for the README ---------------------------------------------------------------

if [ -n "$docs_picture" ]; then
    # The chart from 25 to 75: both temperatures, the humidity and the heater curve.
    start_monitor docs -- '[Form]' 'ChBoxGrafNagrev=1' '[ScrollBar]' 'GainY=0' 'PosY=250'
    wait_for 190 lines_echoed docs 160 || true
    sleep 0.5
    import -window "$(top_level "$window")" "$docs_picture"
    echo "the window after $(wc -l <"$out/docs/monitor.out") samples: $docs_picture"
    stop "$monitor_pid"
    stop "$sim_pid"
fi

echo "Pictures and logs in $out ($((SECONDS - started)) s)."
echo "desktop-test: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
