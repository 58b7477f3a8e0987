#!/usr/bin/env bash
# Builds both builds from this tree: the native Linux library, tests and reference host, and the
# Windows x64 DLL with its tests and reference host (MinGW-w64), whose libraries
# scripts/windows-dependencies.sh provides.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
scripts/windows-dependencies.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
