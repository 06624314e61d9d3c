#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the monitor need, and the ones named
# as arguments (what a script needs beyond them). Quick and silent when everything is there;
# runs apt-get update once only when something is missing.
#   bash scripts/setup-deps.sh [PACKAGE...]
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev qt6-qpa-plugins libqcustomplot-dev libcanberra-dev
    libqt6svg6 qt6-translations-l10n fonts-dejavu-core dbus-daemon desktop-file-utils
    libmosquitto-dev mosquitto mosquitto-clients openssl nlohmann-json3-dev python3-jinja2
    libsystemd-dev
    "$@"
)

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
