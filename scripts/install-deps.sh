#!/usr/bin/env bash
# Installs every Debian package needed to build, run, test and benchmark the
# project. Does nothing (and needs no network) when all are already present.
set -euo pipefail

packages=(
    cmake g++ ninja-build pkg-config git
    qt6-base-dev qt6-declarative-dev qt6-webengine-dev
    libcurl4-openssl-dev libsqlite3-dev libpcre2-dev libicu-dev libcpp-httplib-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth fonts-noto-cjk clang-format
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
