#!/usr/bin/env bash
# Builds and runs every test: native, under AddressSanitizer + UndefinedBehaviorSanitizer and
# LeakSanitizer, and the Windows DLL's tests under Wine. Stops at the first failing suite.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}

run_suite() {
    local preset=$1
    echo "== $preset: build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    echo "== $preset: tests"
    ctest --preset "$preset" -j "$jobs"
}

run_suite native

echo "== native: the library exports CreatePlugin and nothing else"
exports=$(nm -D --defined-only build/native/libHexagonLandXML.so | awk '{print $3}')
if [ "$exports" != "CreatePlugin" ]; then
    echo "unexpected exports:"; echo "$exports"; exit 1
fi

run_suite asan
run_suite lsan

echo "== windows: the DLL exports CreatePlugin and needs no MinGW runtime DLL"
scripts/windows-dependencies.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
dll=build/windows/HexagonLandXML.dll
x86_64-w64-mingw32-objdump -p "$dll" > build/windows/dll-headers.txt
if grep -Eiq 'DLL Name: (libstdc\+\+|libgcc|libwinpthread)' build/windows/dll-headers.txt; then
    echo "the DLL depends on a MinGW runtime DLL"; exit 1
fi
sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' build/windows/dll-headers.txt | grep -q CreatePlugin
# Wine creates its prefix on first start (about 15 s) before the first test.
ctest --preset windows
echo "== all suites passed"
