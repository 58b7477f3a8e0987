#!/usr/bin/env bash
# The folders depend on each other one way only: nothing of the product (plugin, resources,
# document, import, platform) includes anything of tools/, and tests/ and fuzz/ include nothing
# of each other (both use the host, tools/host). Lists every include that breaks this.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
# forbid folders... pattern: the includes that files under the folders may not have
forbid() {
    local pattern=$1
    shift
    if git grep -nE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]($pattern)" -- "$@"; then
        status=1
    fi
}
forbid 'tools/' plugin resources document import platform
forbid 'fuzz/' tests
forbid 'tests/' fuzz
if [ $status -ne 0 ]; then
    echo "check-includes: the includes above cross the project's layout" >&2
    exit 1
fi
echo "== no include crosses the layout"
