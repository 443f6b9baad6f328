#!/usr/bin/env bash
# The simulation layers stay plain C++: no Qt header below the windows, so that the
# models build, test and run headless and on toolchains without Qt.
set -euo pipefail
cd "$(dirname "$0")/../.."

folders=(common quorvel/model quorvel/params quorvel/run tessaline/core tessaline/batch)
existing=()
for f in "${folders[@]}"; do [ -d "$f" ] && existing+=("$f"); done
echo "Qt-free folders: ${existing[*]} and platform/files.*"
if grep -rnE '^\s*#\s*include\s*[<"](Q[A-Za-z]+|qt[a-z]*/)' \
     "${existing[@]}" platform/files.h platform/files.cpp; then
  echo "Qt included in a Qt-free layer (lines above)" >&2
  exit 1
fi
echo "no Qt include found"
