#!/usr/bin/env bash
# CI's benchmark step: builds the benchmark with the bench preset, runs the generator's tests and
# the small benchmark; then, where Wine is installed (WINE, default /usr/lib/wine/wine64), the
# same small run for the Windows DLL (bench-windows preset). The benchmark prints figures only;
# it fails when an import's host calls differ from what the generated document asks for.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}
cmake --preset bench >/dev/null
cmake --build --preset bench -j"$jobs" --target landxml-benchmark synthetic_landxml_test
build/bench/benchmarks/synthetic_landxml_test
build/bench/benchmarks/landxml-benchmark --small

wine=${WINE:-/usr/lib/wine/wine64}
if [ -x "$wine" ]; then
    scripts/windows-dependencies.sh
    cmake --preset bench-windows >/dev/null
    cmake --build --preset bench-windows -j"$jobs" --target landxml-benchmark
    LC_ALL=ru_RU.UTF-8 WINEDEBUG=-all "$wine" build/bench-windows/benchmarks/landxml-benchmark.exe --small
fi
