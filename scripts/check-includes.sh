#!/usr/bin/env bash
# The folders depend on each other one way only. The product's folders point down:
#   plugin -> import -> document -> platform
# each including its own folder and those below it; resources/ holds the string table that the
# Windows resource script and the Linux platform layer read. plugin/HostInterfaces.h, the host's
# contract, may be included from anywhere. ParseDocument and ToWide are operations of the
# importer that live in document/: those two files include the importer's declaration, the one
# class they belong to. Nothing of the product includes anything around it (tools/, tests/,
# fuzz/, benchmarks/), and tests/ and fuzz/ include nothing of each other (both use the host,
# tools/host). Lists every include that breaks this.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0

# The quoted includes of the files under a folder that name none of the allowed prefixes.
# allow folder prefix...: prefixes are paths from the root ("import/", "plugin/HostInterfaces.h").
allow() {
    local folder=$1
    shift
    local allowed
    allowed=$(printf '%s|' "$@")
    allowed=${allowed%|}
    local found
    found=$(git grep --untracked -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' -- "$folder" |
        grep -vE "#[[:space:]]*include[[:space:]]*\"($allowed)" || true)
    if [ -n "$found" ]; then
        echo "$found"
        status=1
    fi
}

contract='plugin/HostInterfaces\.h'
allow plugin 'plugin/' 'import/' 'document/' 'platform/'
allow import 'import/' 'document/' 'platform/' "$contract"
allow platform 'platform/' "$contract" 'resources/StringTable\.def'
allow resources 'StringTable\.def'
# document/ looks down only; its two operations of the importer also include its declaration.
found=$(git grep --untracked -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' -- document |
    grep -vE '#[[:space:]]*include[[:space:]]*"(document/|platform/|plugin/HostInterfaces\.h)' |
    grep -vE '^document/(ParseDocument|ToWide)\.cpp:[0-9]+:#include "import/LandXMLImporter\.h"' ||
    true)
if [ -n "$found" ]; then
    echo "$found"
    status=1
fi

# Around the product: tests/ and fuzz/ apart from each other.
forbid() {
    local pattern=$1
    shift
    if git grep --untracked -nE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]($pattern)" -- "$@"; then
        status=1
    fi
}
forbid 'fuzz/' tests
forbid 'tests/' fuzz

if [ $status -ne 0 ]; then
    echo "check-includes: the includes above go against the folders' direction" >&2
    exit 1
fi
echo "== every include follows the folders' direction"
