#!/usr/bin/env bash
# Makes the folder in which the windows presets find their libraries (CMAKE_PREFIX_PATH and
# CMAKE_FIND_ROOT_PATH name it): GoogleTest built from Debian's sources with the MinGW-w64
# toolchain, and the header-only libraries RapidXML, CLI11 and nlohmann_json with their CMake
# package files, as Debian's packages install them (scripts/install-dependencies.sh). A vendor's
# toolchain and package manager bring their own instead. Made once: an existing folder is kept.
#   scripts/windows-dependencies.sh [folder]   (default build/windows-deps)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
prefix=${1:-build/windows-deps}
jobs=${JOBS:-2}
if [ -f "$prefix/.complete" ]; then
    exit 0
fi
echo "== windows: the libraries of the Windows build, in $prefix"
rm -rf "$prefix"
mkdir -p "$prefix"
prefix=$(cd "$prefix" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# GoogleTest as static libraries with Win32 threads: no runtime DLL beside the tests.
cmake -S /usr/src/googletest -B "$work/googletest" -G Ninja \
    --toolchain "$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=ON >/dev/null
cmake --build "$work/googletest" -j "$jobs" >/dev/null
cmake --install "$work/googletest" >/dev/null

mkdir -p "$prefix/include" "$prefix/share/cmake"
cp -R /usr/include/rapidxml /usr/include/CLI /usr/include/nlohmann "$prefix/include/"
cp -R /usr/share/cmake/CLI11 /usr/share/cmake/nlohmann_json "$prefix/share/cmake/"
touch "$prefix/.complete"
