#!/usr/bin/env bash
# The Windows build: everything without Qt (the number conversions, the file helpers, the
# quorvel model and run layers, tessaline's core and both batch programs) cross-compiled with
# MinGW-w64 in build-mingw, with GoogleTest built from Debian's sources by the same compiler,
# and every test run under Wine. This runs the Windows branches for real: "C:" defaults,
# wide-character file names, CR LF.
set -euo pipefail
cd "$(dirname "$0")/../.."  # run as .ci/checks/40-windows.sh
source .ci/lib.sh
need_packages g++-mingw-w64-x86-64-posix mingw-w64 wine64 googletest cmake ninja-build \
  libcli11-dev libtomlplusplus-dev nlohmann-json3-dev

root=$PWD/build-mingw
gtest=$root/googletest
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# -O2 as in the Linux build: it compiles faster than Release's -O3.
toolchain=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release
           -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG")

print_load
if [ ! -f "$gtest/prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
  step "configure GoogleTest" cmake -S /usr/src/googletest -B "$gtest/build" -G Ninja \
    "${toolchain[@]}" "${launcher[@]}" -DCMAKE_INSTALL_PREFIX="$gtest/prefix" -DBUILD_GMOCK=OFF \
    >/dev/null
  step "build GoogleTest" nice cmake --build "$gtest/build" -j2
  cmake --install "$gtest/build" >/dev/null
fi
# Every compile warning is an error here too.
step "configure build-mingw" cmake -S . -B "$root" -G Ninja "${toolchain[@]}" "${launcher[@]}" \
  -DWITH_QT=OFF -DWITH_BENCHMARKS=OFF -DWERROR=ON -DGTest_DIR="$gtest/prefix/lib/cmake/GTest" \
  >/dev/null
step "build build-mingw" nice cmake --build "$root" -j2

# A Wine of its own in a scratch folder, without a display and without the installers of
# Mono and Gecko, which the tests do not need.
export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/wine-check.XXXXXX)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
log=$root/wine-tests.log
cleanup() {
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
# One Wine server for all the tests: left to itself it stops a moment after its last program,
# and a test starting just then loses its connection ("recvmsg: Connection reset by peer").
/usr/lib/wine/wineserver -p
step "start Wine" /usr/lib/wine/wine64 wineboot --init
echo "--- tests under Wine"
start=$SECONDS status=0
nice ctest --test-dir "$root" -j2 --output-on-failure 2>&1 | tee "$log" || status=$?
echo "--- tests under Wine: $((SECONDS - start)) s"
total=$(grep -cE "^ *[0-9]+/[0-9]+ Test +#" "$log" || true)
skipped=$(grep -cE "^ *[0-9]+/[0-9]+ Test +#.*Skipped" "$log" || true)
failed=$(grep -E "^ *[0-9]+/[0-9]+ Test +#.*\*\*\*" "$log" | grep -vc Skipped || true)
echo "--- Wine tests: $((total - skipped - failed)) passed, $skipped skipped, $failed failed"
print_load
exit $status
