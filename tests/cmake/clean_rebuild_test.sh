#!/bin/sh
# Configures the small project in PROJECT_FOLDER (which embeds a drawn
# picture in every scale and a plain file the way the program's resources
# do), builds it, builds it again with --clean-first, and runs what it built:
# it must find every embedded form.
#
#   clean_rebuild_test.sh CMAKE SOURCE_ROOT PROJECT_FOLDER BUILD_FOLDER CXX
cmake=$1 root=$2 project=$3 build=$4 cxx=$5
if [ ! -x "$cmake" ] || [ ! -d "$root" ] || [ ! -d "$project" ] || [ -z "$build" ] || [ -z "$cxx" ]; then
    echo "usage: $0 CMAKE SOURCE_ROOT PROJECT_FOLDER BUILD_FOLDER CXX" >&2
    exit 2
fi
generator=
command -v ninja >/dev/null 2>&1 && generator="-G Ninja"
rm -rf "$build"
launcher=
command -v ccache >/dev/null 2>&1 && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
# shellcheck disable=SC2086
"$cmake" -S "$project" -B "$build" $generator $launcher -DCMAKE_CXX_COMPILER="$cxx" -DTRELWIN_ROOT="$root" \
    >"$build.log" 2>&1 || { cat "$build.log"; echo "FAIL: the project does not configure"; exit 1; }
"$cmake" --build "$build" >>"$build.log" 2>&1 || { cat "$build.log"; echo "FAIL: the first build failed"; exit 1; }
"$build/embedded" || { echo "FAIL: the first build lacks a resource"; exit 1; }
"$cmake" --build "$build" --clean-first >>"$build.log" 2>&1 ||
    { cat "$build.log"; echo "FAIL: the build after a clean failed"; exit 1; }
"$build/embedded" || { echo "FAIL: the build after a clean lacks a resource"; exit 1; }
echo "PASS: built, cleaned and built again, every resource embedded"
