#!/usr/bin/env bash
# Builds the release packages of the native and the Windows build (reusing their build trees),
# unpacks each into an empty folder and checks what a user receives: exactly the expected files,
# the plug-in library without debug sections beside a debug file that holds them, the unpacked
# probe importing the example project as its reviewed trace with nothing else of the build tree,
# and one version in the project, the package name, the probe and the DLL's version information.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=${JOBS:-2}
wine=/usr/lib/wine/wine64
example=$root/examples/survey-day

fail() {
    echo "check-packages: $*" >&2
    exit 1
}

version=$(sed -n 's/^project(HexagonLandXML VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "no project version in CMakeLists.txt"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A path as a Windows program under Wine takes it.
windows_path() {
    echo "Z:${1//\//\\}"
}

# check_package preset package library probe objdump
check_package() {
    local preset=$1 package=$2 library=$3 probe=$4 objdump=$5
    echo "== $preset: package"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs" --target package
    local archive=build/$preset/packages/$package
    [ -f "$archive" ] || fail "$archive was not made"

    echo "== $preset: unpacked files"
    local unpacked=$work/$preset
    mkdir "$unpacked"
    (cd "$unpacked" && cmake -E tar xf "$root/$archive")
    local folder=${package%.zip}
    folder=${folder%.tar.gz}
    local expected actual
    expected=$(printf '%s\n' "$folder" "$folder/CHANGELOG.md" "$folder/LICENSE" "$folder/README.md" \
        "$folder/$library" "$folder/$library.debug" "$folder/$probe" | sort)
    actual=$(cd "$unpacked" && find . -mindepth 1 | sed 's|^\./||' | sort)
    [ "$actual" = "$expected" ] || fail "$archive holds:"$'\n'"$actual"$'\n'"expected:"$'\n'"$expected"
    local dir=$unpacked/$folder

    echo "== $preset: debug sections only in the debug file"
    local sections debugSections
    sections=$("$objdump" -h "$dir/$library")
    debugSections=$("$objdump" -h "$dir/$library.debug")
    if grep -q ' \.debug_' <<<"$sections"; then
        fail "$library carries debug sections"
    fi
    grep -q ' \.gnu_debuglink' <<<"$sections" || fail "$library does not name its debug file"
    grep -q ' \.debug_info' <<<"$debugSections" || fail "$library.debug holds no debug information"

    echo "== $preset: the unpacked probe imports the example"
    local output=$work/$preset.trace
    if [ "$preset" = windows ]; then
        LC_ALL=ru_RU.UTF-8 WINEDEBUG=-all "$wine" "$dir/$probe" \
            --relative-to "$(windows_path "$example")" --output "$(windows_path "$output")" \
            "$(windows_path "$example/survey-day.xml")"
    else
        "$dir/$probe" --relative-to "$example" --output "$output" "$example/survey-day.xml"
    fi
    diff -u "$example/survey-day.trace" "$output" ||
        fail "the unpacked $probe imports the example differently from survey-day.trace"
}

check_package native "HexagonLandXML-$version-linux-x86_64.tar.gz" libHexagonLandXML.so \
    landxml-probe objdump
scripts/windows-dependencies.sh
check_package windows "HexagonLandXML-$version-win64.zip" HexagonLandXML.dll \
    landxml-probe.exe x86_64-w64-mingw32-objdump

echo "== one version: project $version"
native_probe=$work/native/HexagonLandXML-$version-linux-x86_64/landxml-probe
windows_dir=$work/windows/HexagonLandXML-$version-win64
# The resource compiler writes the version texts as UTF-16; each follows its name.
for name in FileVersion ProductVersion; do
    text=$(strings -e l "$windows_dir/HexagonLandXML.dll")
    text=$(grep -x -A1 "$name" <<<"$text" | sed -n 2p)
    [ "$text" = "$version.0" ] || fail "the DLL's $name is '$text', expected $version.0"
done
for probe in native windows; do
    if [ "$probe" = windows ]; then
        said=$(WINEDEBUG=-all "$wine" "$windows_dir/landxml-probe.exe" --version) ||
            fail "the $probe probe's --version failed"
        said=${said%$'\r'}
    else
        said=$("$native_probe" --version) || fail "the $probe probe's --version failed"
    fi
    [ "$said" = "landxml-probe $version" ] ||
        fail "the $probe probe's --version says '$said', expected 'landxml-probe $version'"
done
echo "== both packages checked"
