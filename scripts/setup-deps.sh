#!/usr/bin/env bash
# Installs the Debian packages the build, the programs and the tests need, and the ones named
# as arguments (what a script needs beyond them). Quick and silent when everything is there;
# runs apt-get update once only when something is missing.
#   bash scripts/setup-deps.sh [--programs-only] [PACKAGE...]
# --programs-only leaves out what only the tests and benchmarks need (a build with
# -DBUILD_TESTING=OFF).
set -euo pipefail

programs=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-qpa-plugins libcanberra-dev
    libqt6svg6 qt6-translations-l10n fonts-dejavu-core
    libmosquitto-dev libsystemd-dev
)
tests=(
    libgtest-dev libgmock-dev libbenchmark-dev libqcustomplot-dev
    dbus-daemon desktop-file-utils
    mosquitto mosquitto-clients openssl nlohmann-json3-dev python3-jinja2
)

if [ "${1:-}" = "--programs-only" ]; then
    shift
    tests=()
fi
packages=("${programs[@]}" "${tests[@]}" "$@")

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
