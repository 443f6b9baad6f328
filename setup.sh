#!/usr/bin/env bash
# Installs what is missing, builds, and then opens a program, runs the tests or the
# benchmarks.
#   ./setup.sh run tessaline|quorvel   build and open the program
#   ./setup.sh test                    build and run every test
#   ./setup.sh bench                   build and run the benchmarks
#   ./setup.sh build                   only install and build
#   ./setup.sh check [WORD]            run the heavy checks in .ci/checks (those whose
#                                      name contains WORD); each builds in its own folder
#   ./setup.sh package                 build the Debian package into build/package
# With CI set (as the CI run does), every compile warning is an error.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-svg-dev libgtest-dev fonts-dejavu-core
          libcli11-dev libtomlplusplus-dev nlohmann-json3-dev)
# Only the benchmarks need Google Benchmark.
BENCH_PACKAGES=(libbenchmark-dev)
# Only the package mode needs these: dpkg-shlibdeps finds the package's dependencies,
# help2man makes the manual pages from the programs' --help.
PACKAGE_TOOLS=(dpkg-dev file help2man)
# Only the tests need these: the README's and the guide's examples run as pasted (one of
# them with Snakemake), the guide's pandas lines load the tables, and the guide's window
# is tried on a real X server without a window manager.
TEST_PACKAGES=(python3 python3-pandas snakemake xvfb xauth)
BUILD_DIR=${BUILD_DIR:-build}

# The same package helper as the heavy checks use.
source .ci/lib.sh

build() {
  local options=()
  command -v ccache >/dev/null && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  case "${CI:-}" in
    "" | false | 0) options+=(-DWERROR=OFF) ;;
    *) options+=(-DWERROR=ON) ;;
  esac
  if [ "$mode" = bench ]; then
    options+=(-DWITH_BENCHMARKS=ON)
  else
    options+=(-DWITH_BENCHMARKS=AUTO)
  fi
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
  cmake --build "$BUILD_DIR"
}

# Runs every executable .ci/checks/*.sh in name order (or those whose name contains
# the filter), times each, and reports every failure at the end rather than stopping at
# the first, so one run shows all that is wrong.
run_checks() {
  local filter=${1:-} passed=0 failed=0 failures=() start total_start=$SECONDS
  for script in .ci/checks/*.sh; do
    [ -x "$script" ] || continue
    local name
    name=$(basename "$script" .sh)
    [[ -z "$filter" || "$name" == *"$filter"* ]] || continue
    echo "=== check $name"
    start=$SECONDS
    if "$script"; then
      echo "=== check $name passed in $((SECONDS - start)) s"
      passed=$((passed + 1))
    else
      echo "=== check $name FAILED after $((SECONDS - start)) s" >&2
      failed=$((failed + 1))
      failures+=("$name")
    fi
  done
  echo "=== checks took $((SECONDS - total_start)) s"
  [ $failed -eq 0 ] || echo "FAILED checks: ${failures[*]}" >&2
  echo "checks: $passed passed, $failed failed"
  [ $failed -eq 0 ]
}

mode=${1:-build}
need_packages "${PACKAGES[@]}"
if [ "$mode" = package ]; then need_packages "${PACKAGE_TOOLS[@]}"; fi
if [ "$mode" = bench ]; then need_packages "${BENCH_PACKAGES[@]}"; fi
if [ "$mode" = test ]; then need_packages "${TEST_PACKAGES[@]}"; fi
[ "$mode" = check ] || build
case "$mode" in
  run)
    program=${2:-tessaline}
    exe="$BUILD_DIR/$program/window/$program"
    exec "$exe"
    ;;
  test)
    cd "$BUILD_DIR"
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
    ;;
  bench)
    find "$BUILD_DIR" -type f -name "*_bench" -perm -u+x | sort | while read -r b; do "$b"; done
    ;;
  check)
    run_checks "${2:-}"
    ;;
  package)
    (cd "$BUILD_DIR" && cpack --config CPackConfig.cmake)
    ;;
  build) ;;
  *) echo "usage: $0 run tessaline|quorvel | test | bench | build | check [WORD] | package" >&2; exit 2 ;;
esac
