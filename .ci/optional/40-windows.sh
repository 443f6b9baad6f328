#!/usr/bin/env bash
# The Windows build: everything without Qt (the number conversions, the file helpers, the
# quorvel model and run layers, tessaline's core) cross-compiled with MinGW-w64 in
# build-mingw, with GoogleTest built from Debian's sources by the same compiler, and every
# test run under Wine. This runs the Windows branches for real: "C:" defaults, wide-character
# file names, CR LF.
set -euo pipefail
cd "$(dirname "$0")/../.."  # run as .ci/optional/40-windows.sh
source .ci/lib.sh
need_packages g++-mingw-w64-x86-64-posix mingw-w64 wine64 googletest cmake ninja-build

root=$PWD/build-mingw
gtest=$root/googletest
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
toolchain=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release)

print_load
if [ ! -f "$gtest/prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
  step "configure GoogleTest" cmake -S /usr/src/googletest -B "$gtest/build" -G Ninja \
    "${toolchain[@]}" -DCMAKE_INSTALL_PREFIX="$gtest/prefix" -DBUILD_GMOCK=OFF >/dev/null
  step "build GoogleTest" nice cmake --build "$gtest/build" -j2
  cmake --install "$gtest/build" >/dev/null
fi
step "configure build-mingw" cmake -S . -B "$root" -G Ninja "${toolchain[@]}" "${launcher[@]}" \
  -DWITH_QT=OFF -DWITH_BENCHMARKS=OFF -DGTest_DIR="$gtest/prefix/lib/cmake/GTest" >/dev/null
step "build build-mingw" nice cmake --build "$root" -j2

# A Wine of its own in a scratch folder, without a display and without the installers of
# Mono and Gecko, which the tests do not need.
export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/wine-check.XXXXXX)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
step "start Wine" /usr/lib/wine/wine64 wineboot --init
step "tests under Wine" ctest --test-dir "$root" -j2 --output-on-failure
print_load
