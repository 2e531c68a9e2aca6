#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the local Firebird server need.
# Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(g++ cmake make pkg-config qt6-base-dev qt6-translations-l10n libgl-dev firebird-dev firebird3.0-utils
          firebird3.0-examples libgtest-dev xvfb xauth fonts-dejavu-core)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "${missing[@]}" >/dev/null
fi
