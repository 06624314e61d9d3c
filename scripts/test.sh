#!/usr/bin/env bash
# Sets everything up, builds into build/ (the tests and the benchmarks too) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DINCUBATOR_WERROR=ON \
    -DBUILD_TESTING=ON -DINCUBATOR_BENCH=ON >/dev/null
cmake --build build -j "$(nproc)"
ctest --test-dir build --output-on-failure -j "$(nproc)"
