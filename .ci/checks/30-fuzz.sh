#!/usr/bin/env bash
# Fuzzing with libFuzzer (clang): each target in build-fuzz runs for FUZZ_SECONDS (60 by
# default) from its seed corpus in the repository, under AddressSanitizer and
# UndefinedBehaviorSanitizer. A crash, a hang, a leak or a broken property fails the check;
# the input that did it is left in build-fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/../.."
source .ci/lib.sh
need_packages clang-14 libfuzzer-14-dev cmake ninja-build qt6-base-dev libgtest-dev locales
seconds=${FUZZ_SECONDS:-60}

# The number conversions are checked under a comma-decimal locale.
if ! locale -a | grep -qi '^de_DE\.utf-\?8$'; then
  localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
print_load
step "configure build-fuzz" cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 \
  "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
  -DCMAKE_CXX_FLAGS="$flags" -DWITH_FUZZERS=ON -DWITH_BENCHMARKS=OFF >/dev/null
step "build fuzzers" nice cmake --build build-fuzz -j2 --target fuzzers

mkdir -p build-fuzz/artifacts
for corpus in fuzz/corpus/*/; do
  corpus=${corpus%/}
  name=$(basename "$corpus")
  target=$(find build-fuzz -type f -name "${name}_fuzz" -perm -u+x | head -n1)
  [ -n "$target" ] || { echo "no fuzz target ${name}_fuzz for $corpus" >&2; exit 1; }
  # New inputs go to a scratch corpus, so the repository's seeds stay as they are.
  work=build-fuzz/corpus/$name
  mkdir -p "$work"
  echo "--- fuzzing $name for $seconds s (seeds: $corpus)"
  start=$SECONDS
  "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix=build-fuzz/artifacts/"$name"- "$work" "$corpus" 2>build-fuzz/"$name".log ||
    { tail -n 60 build-fuzz/"$name".log >&2; echo "fuzz target $name FAILED" >&2; exit 1; }
  grep -E '^#[0-9]+.*DONE' build-fuzz/"$name".log | tail -n1
  grep -E 'stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb' \
    build-fuzz/"$name".log
  echo "--- $name: $((SECONDS - start)) s"
done
print_load
