#!/usr/bin/env bash
# Installs what is missing, builds, and then opens a program, runs the tests or the
# benchmarks.
#   ./setup.sh run tessaline|quorvel   build and open the program
#   ./setup.sh test                    build and run every test
#   ./setup.sh bench                   build and run the benchmarks
#   ./setup.sh build                   only install and build
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev libgtest-dev libbenchmark-dev
          fonts-dejavu-core)
BUILD_DIR=${BUILD_DIR:-build}

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
  cmake --build "$BUILD_DIR"
}

mode=${1:-build}
install_missing
build
case "$mode" in
  run)
    program=${2:-tessaline}
    exe="$BUILD_DIR/$program/$program"
    [ "$program" = quorvel ] && exe="$BUILD_DIR/quorvel/window/quorvel"
    exec "$exe"
    ;;
  test)
    cd "$BUILD_DIR"
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
    ;;
  bench)
    find "$BUILD_DIR" -type f -name "*_bench" -perm -u+x | sort | while read -r b; do "$b"; done
    ;;
  build) ;;
  *) echo "usage: $0 run tessaline|quorvel | test | bench | build" >&2; exit 2 ;;
esac
