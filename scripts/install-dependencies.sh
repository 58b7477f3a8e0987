#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need (run as root on a fresh machine).
set -euo pipefail
packages=(
    cmake ninja-build g++ clang-14 libclang-rt-14-dev clang-format
    librapidxml-dev libcli11-dev nlohmann-json3-dev
    libgtest-dev googletest
    g++-mingw-w64-x86-64-posix mingw-w64-tools wine64
    locales binutils ccache
    librsvg2-bin libxml2-utils
    clang-tools-14 lld llvm
)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
fi
# Wine takes the thread's ANSI code page from the Russian locale: 1251.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
    sed -i 's/^# *\(ru_RU.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen
fi
