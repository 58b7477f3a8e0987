#!/usr/bin/env bash
# The plug-in library alone needs RapidXML and nothing else, found the way a vendor's package
# manager provides it: in a clean build folder, with the tests and tools off and CLI11,
# nlohmann_json and GoogleTest kept from being found, a folder holding only
# include/rapidxml/rapidxml.hpp named in CMAKE_PREFIX_PATH must be reported as the RapidXML the
# build uses, and the library must build. Natively, and with the Windows toolchain file, where
# the same folder given as CMAKE_FIND_ROOT_PATH must join the toolchain's roots (were it
# replaced by them, RapidXML would not be found there).
#   RAPIDXML_HEADER: the header copied into that folder (default Debian's)
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}
header=${RAPIDXML_HEADER:-/usr/include/rapidxml/rapidxml.hpp}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
deps=$work/rapidxml-only
mkdir -p "$deps/include/rapidxml"
cp "$header" "$deps/include/rapidxml/rapidxml.hpp"

fail() {
    echo "check-configure: $*" >&2
    exit 1
}

# check name library [cmake options...]
check() {
    local name=$1 library=$2
    shift 2
    local out=$work/$name
    echo "== $name: the library alone, RapidXML from $deps"
    cmake -S . -B "$out" -DHEXAGON_LANDXML_BUILD_TESTS=OFF -DHEXAGON_LANDXML_BUILD_TOOLS=OFF \
        -DCMAKE_DISABLE_FIND_PACKAGE_CLI11=ON -DCMAKE_DISABLE_FIND_PACKAGE_nlohmann_json=ON \
        -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_PREFIX_PATH="$deps" "$@" >"$work/$name.log" 2>&1 ||
        { cat "$work/$name.log"; fail "$name: the configure failed"; }
    grep -x -- "-- RapidXML: .*" "$work/$name.log"
    grep -qx -- "-- RapidXML: $deps/include" "$work/$name.log" ||
        fail "$name: RapidXML was not taken from $deps"
    cmake --build "$out" -j "$jobs" --target HexagonLandXML >"$work/$name.build.log" ||
        { tail -n 40 "$work/$name.build.log"; fail "$name: the library did not build"; }
    [ -f "$out/$library" ] || fail "$name: $library was not made"
    echo "   built $library"
}

check native libHexagonLandXML.so
check windows HexagonLandXML.dll --toolchain cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_FIND_ROOT_PATH="$deps"
echo "== the library configures and builds with RapidXML alone"
