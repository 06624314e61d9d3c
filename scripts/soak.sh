#!/usr/bin/env bash
# A long run of the monitor on the simulator (not part of CI).
#
#   bash scripts/soak.sh [MINUTES [RATE]]     (default 30 minutes, 50 packets a second)
#
# The simulator sends RATE packets a second, in writes of 1 to 3 packets, on a pseudo-terminal;
# the monitor (a copy in build/soak/<phase>/ with its own configuration, autosave every minute)
# reads it on the offscreen platform. 30 minutes at 50 a second (or 10 at 150) cross the
# 87,000 lines after which the monitor saves and empties its display (unless the date
# changes meanwhile: the first autosave of a day empties the display too).
#
#   clean   MINUTES long: every packet the simulator sent is in the daily files once, in
#           order, and nothing else is.
#   faulty  MINUTES/5 long (at least 1): bytes left out, packets without their first bytes
#           among runs of identical ones, bad checksums and silences longer than the no-data
#           watchdog; the monitor must not crash, and every line in the files must be made of
#           bytes the simulator sent. At two fifths of it the simulator hangs
#           up its pseudo-terminal (an adapter pulled out) and makes a new one behind the same
#           symbolic link, the monitor's port: the monitor must open it again and keep
#           receiving.
#
# Meanwhile the monitor's resident memory and CPU time are read from /proc every 10 seconds.
# The last line sums it up; the exit status is 0 when both phases passed.
set -euo pipefail
cd "$(dirname "$0")/.."

minutes=${1:-30}
rate=${2:-50}
if ! [[ $minutes =~ ^[0-9]+$ && $rate =~ ^[0-9]+$ ]] || [ "$minutes" -lt 1 ] || [ "$rate" -lt 1 ]; then
    echo "Usage: bash scripts/soak.sh [MINUTES [RATE]]   (whole minutes, packets a second)" >&2
    exit 2
fi
faulty_minutes=$((minutes / 5 > 0 ? minutes / 5 : 1))

bash scripts/setup-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DINCUBATOR_WERROR=ON \
    -DBUILD_TESTING=ON >/dev/null  # the checker is part of the test rig
cmake --build build -j "$(nproc)" --target incubator-monitor incubator-sim incubator-e2e-check

work=build/soak
rm -rf "$work"
mkdir -p "$work"
ticks_per_second=$(getconf CLK_TCK)

sim_pid=""
monitor_pid=""
stop_children() {
    local pid
    for pid in $monitor_pid $sim_pid; do kill "$pid" 2>/dev/null || true; done
}
trap stop_children EXIT

# Waits up to $2 seconds for process $1 to end; false when it still runs.
wait_gone() {
    local i
    for ((i = 0; i < $2 * 10; i++)); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}

# Resident memory (KiB) and CPU time (clock ticks, user + system) of a process.
proc_sample() {
    local rss stat
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null) || return 1
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    stat=${stat##*) }  # the fields after the program's name
    awk -v rss="$rss" '{ print rss, $12 + $13 }' <<<"$stat"
}

count_lines() { if [ -f "$1" ]; then wc -l <"$1"; else echo 0; fi; }

# [hang_up=yes] phase NAME SECONDS SEED CHECK-OPTION [SIMULATOR OPTIONS...]
# Leaves its results in $work/NAME: the check's line in check.txt, samples in samples.tsv
# (seconds, packets sent, RSS KiB, CPU ticks) and the monitor's end in ending.txt. With
# hang_up=yes the monitor's port is a link that the simulator keeps, and the simulator hangs up
# once; the line about it is in reconnect.txt.
phase() {
    local name=$1 seconds=$2 seed=$3 check_option=$4
    shift 4
    local dir=$work/$name count=$((rate * seconds))
    mkdir -p "$dir"
    cp build/app/incubator-monitor "$dir/"
    local link_option=()
    [ "${hang_up:-}" = yes ] && link_option=(--link "$PWD/$dir/port")

    build/tools/incubator-sim --rate "$rate" --burst 3 --count "$count" --seed "$seed" \
        --log "$dir/sim.log" "${link_option[@]}" "$@" >"$dir/sim.out" 2>"$dir/sim.err" &
    sim_pid=$!
    local pty="" i
    for ((i = 0; i < 100; i++)); do
        pty=$(head -n 1 "$dir/sim.out" 2>/dev/null || true)
        [ -n "$pty" ] && break
        sleep 0.1
    done
    if [ -z "$pty" ]; then
        echo "$name: the simulator did not start: $(cat "$dir/sim.err")" >&2
        exit 1
    fi
    [ "${hang_up:-}" = yes ] && pty=$PWD/$dir/port
    printf '[ComPort1]\nPort=%s\nOpenStart=1\nSignalOffData=1\n[LogFile]\nTime=1\n' \
        "$pty" >"$dir/incubator-monitor.ini"
    printf '[Programm]\nSHT10=0\n[Temperature]\nOkruglenie=1\n' >>"$dir/incubator-monitor.ini"

    # Today's daily file exists already, so the first autosave does not empty the display: it
    # then holds every line received and reaches 87,000 lines at the 87,000th packet.
    mkdir -p "$dir/log"
    : >"$dir/log/$(date +%Y-%m-%d).txt"

    QT_QPA_PLATFORM=offscreen "$dir/incubator-monitor" --echo >"$dir/echo.txt" \
        2>"$dir/monitor.err" &
    monitor_pid=$!
    echo "$name: $count packets over $((seconds / 60)) min on $pty (simulator ${*:-clean})"

    local start now elapsed sent sample next_sample=0 next_report=60 ending=""
    local deadline=$((seconds * 3 / 2 + 120))
    # The hang-up: when it is made, and the packets sent and lines echoed once the reader is
    # back.
    local hang_up_at=-1 hung_up=no back_sent="" back_lines=""
    [ "${hang_up:-}" = yes ] && hang_up_at=$((seconds * 2 / 5))
    start=$(date +%s)
    : >"$dir/samples.tsv"
    while true; do
        now=$(date +%s)
        elapsed=$((now - start))
        sent=$(count_lines "$dir/sim.log")
        if ! kill -0 "$monitor_pid" 2>/dev/null; then
            ending="the monitor ended by itself after ${elapsed} s"
            break
        fi
        if [ "$elapsed" -ge "$next_sample" ] && sample=$(proc_sample "$monitor_pid"); then
            echo "$elapsed $sent $sample" >>"$dir/samples.tsv"
            next_sample=$((next_sample + 10))
        fi
        if [ "$elapsed" -ge "$next_report" ]; then
            echo "  $name: ${elapsed} s, $sent packets sent, $(count_lines "$dir/echo.txt") lines" \
                "received, RSS $(tail -n 1 "$dir/samples.tsv" | awk '{ print $3 }') KiB"
            next_report=$((next_report + 60))
        fi
        if [ "$hang_up_at" -ge 0 ] && [ "$hung_up" = no ] && [ "$elapsed" -ge "$hang_up_at" ]; then
            kill -USR1 "$sim_pid"
            hung_up=yes
            echo "  $name: hang-up at ${elapsed} s"
        fi
        if [ "$hung_up" = yes ] && [ -z "$back_sent" ] &&
            grep -q 'reader back' "$dir/sim.err" 2>/dev/null; then
            back_sent=$sent
            back_lines=$(count_lines "$dir/echo.txt")
        fi
        [ "$sent" -ge "$count" ] && break
        if [ "$elapsed" -ge "$deadline" ]; then
            ending="the simulator had sent only $sent of $count packets after ${elapsed} s"
            break
        fi
        sleep 1
    done
    if [ -z "$ending" ]; then
        sleep 2  # the last packets on their way
        sample=$(proc_sample "$monitor_pid") &&
            echo "$(($(date +%s) - start)) $(count_lines "$dir/sim.log") $sample" >>"$dir/samples.tsv"
        kill -TERM "$monitor_pid"
        if wait_gone "$monitor_pid" 60; then
            local status=0
            wait "$monitor_pid" || status=$?
            if [ "$status" -eq 0 ]; then ending=ok; else ending="exit status $status after SIGTERM"; fi
        else
            kill -KILL "$monitor_pid" 2>/dev/null || true
            ending="did not end within 60 s of SIGTERM"
        fi
    else
        wait "$monitor_pid" 2>/dev/null || ending="$ending (status $?)"
    fi
    monitor_pid=""
    wait_gone "$sim_pid" 10 || kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=""
    echo "$ending" >"$dir/ending.txt"

    local result=passed
    build/testing/incubator-e2e-check --sim-log "$dir/sim.log" --log-folder "$dir/log" \
        --echo "$dir/echo.txt" --layout 8 --rounding 1 $check_option >"$dir/check.txt" ||
        result=failed
    [ "$ending" = ok ] || result=failed
    if [ "$hang_up_at" -ge 0 ]; then
        # Reopened, and at least half of what was sent afterwards arrived (the faults cost some).
        local back after_sent=0 after_lines=0
        back=$(sed -n 's/.*reader back after \([0-9.]*\) s.*/\1/p' "$dir/sim.err" | head -n 1)
        if [ -n "$back_sent" ]; then
            after_sent=$(($(count_lines "$dir/sim.log") - back_sent))
            after_lines=$(($(count_lines "$dir/echo.txt") - back_lines))
        fi
        echo "hang-ups=$([ "$hung_up" = yes ] && echo 1 || echo 0) reopened_after_s=${back:-never}" \
            "sent_after=$after_sent lines_after=$after_lines" >"$dir/reconnect.txt"
        if [ -z "$back" ] || [ "$after_lines" -le 0 ] || [ $((after_lines * 2)) -lt "$after_sent" ]; then
            result=failed
        fi
        echo "$name: reconnect: $(cat "$dir/reconnect.txt")"
    fi
    echo "$result" >>"$dir/ending.txt"
    echo "$name: $result; monitor: $ending; $(cat "$dir/check.txt")"
}

# The partial packets the monitor of phase $1 counted at its end (0 when it named none).
cut_packets() {
    sed -n 's/.*Неполных пакетов отброшено за время работы: \([0-9]*\).*/\1/p' \
        "$work/$1/monitor.err" | tail -n 1 | grep . || echo 0
}

# The value of key=value word KEY in the check line of phase $1.
check_value() { tr ' ' '\n' <"$work/$1/check.txt" | awk -F= -v k="$2" '$1 == k { print $2 }'; }

phase clean $((minutes * 60)) 1 --clean
hang_up=yes phase faulty $((faulty_minutes * 60)) 2 "" --drop 0.1 --lose-head 0.5 --repeat 4 \
    --bad-checksum 1 --silence-every 30 --silence 4 --alarms

# Memory growth: from the sample at 5 minutes (half the phase when it is shorter than 10
# minutes) to the last one; the display holds up to 87,000 lines, so the peak (just before it
# is emptied) is reported too. CPU: per packet sent between the first sample after 10 s and
# the last one.
read -r growth baseline_at baseline peak last cpu_us < <(awk -v hz="$ticks_per_second" '
    { t[NR] = $1; sent[NR] = $2; rss[NR] = $3; cpu[NR] = $4; if ($3 > peak) peak = $3 }
    END {
        at = t[NR] >= 600 ? 300 : int(t[NR] / 2)
        for (b = 1; b < NR && t[b] < at; b++) {}
        for (c = 1; c < NR && t[c] < 10; c++) {}
        packets = sent[NR] - sent[c]
        us = packets > 0 ? (cpu[NR] - cpu[c]) / hz * 1e6 / packets : 0
        printf "%+d %d %d %d %d %.0f\n", rss[NR] - rss[b], t[b], rss[b], peak, rss[NR], us
    }' "$work/clean/samples.tsv")

rollover="display emptied at 87,000 lines"
[ "$(check_value clean lines)" -ge 87000 ] || rollover="display never full (87,000 lines)"
clean_ok=$(tail -n 1 "$work/clean/ending.txt")
faulty_ok=$(tail -n 1 "$work/faulty/ending.txt")
overall=PASS
[ "$clean_ok" = passed ] && [ "$faulty_ok" = passed ] || overall=FAIL
echo "soak $minutes+$faulty_minutes min at $rate/s: packets sent $(check_value clean sent) clean +" \
    "$(check_value faulty sent) faulty; lines in the files $(check_value clean lines) +" \
    "$(check_value faulty lines); missing $(check_value clean missing) (clean);" \
    "extra $(check_value clean extra) (clean), $(check_value faulty foreign) not sent +" \
    "$(check_value faulty misframed) misframed (faulty); partial packets dropped" \
    "$(cut_packets clean) (clean), $(cut_packets faulty) (faulty); RSS growth after ${baseline_at} s" \
    "$growth KiB ($baseline KiB then, peak $peak, last $last); CPU $cpu_us us/packet;" \
    "$rollover; $overall"
[ "$overall" = PASS ]
