#!/usr/bin/env bash
# Sets everything up, builds and runs the monitor.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DINCUBATOR_WERROR=ON >/dev/null
cmake --build build -j "$(nproc)"
if [ ! -x build/app/incubator-monitor ]; then
    echo "The monitor's window is not built yet: so far the project holds its decoding core"
    echo "and its components, which scripts/test.sh exercises."
    exit 0
fi
exec build/app/incubator-monitor "$@"
