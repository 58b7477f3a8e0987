#!/usr/bin/env bash
# Fails when a C++ source of the project differs from what clang-format makes of it with the
# project's .clang-format; lists the differences. Fix them with clang-format -i on the files.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
echo "== every C++ source is formatted"
