#!/usr/bin/env bash
# CI's benchmark step: builds the benchmark with the bench preset, runs the generator's tests
# and the small benchmark. The benchmark prints figures only; it fails when an import's host
# calls differ from what the generated document asks for.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench -j"${JOBS:-2}" --target landxml-benchmark synthetic_landxml_test
build/bench/benchmarks/synthetic_landxml_test
build/bench/benchmarks/landxml-benchmark --small
