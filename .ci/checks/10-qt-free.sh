#!/usr/bin/env bash
# The simulation layers stay plain C++: no Qt header below the windows, so that the
# models build, test and run headless and on toolchains without Qt. The Qt-free folders are
# those that the build without Qt enters; each is searched whole, its tests and benchmarks
# included.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=$root/build-qt-free

cmake -S . -B "$build" -G Ninja -DWITH_QT=OFF -DWITH_BENCHMARKS=OFF >/dev/null
folders=()
while read -r source; do
  folder=${source#"$root"}
  folder=${folder#/}
  [ -n "$folder" ] && folders+=("$folder")
done < <(find "$build" -name CTestTestfile.cmake -exec sed -n 's/^# Source directory: //p' {} + | sort)
echo "Qt-free folders: ${folders[*]}"

files=()
for folder in "${folders[@]}"; do
  while IFS= read -r -d '' file; do files+=("$file"); done < <(
    find "$folder" -maxdepth 1 -type f -print0
    for sub in tests bench; do [ -d "$folder/$sub" ] && find "$folder/$sub" -type f -print0; done)
done
if grep -nE '^\s*#\s*include\s*[<"](Q[A-Za-z]+|qt[a-z]*/)' "${files[@]}"; then
  echo "Qt included in a Qt-free layer (lines above)" >&2
  exit 1
fi
echo "no Qt include found in ${#files[@]} files"
