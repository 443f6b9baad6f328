#!/usr/bin/env bash
# The example workflow runs a sharded N sweep with `snakemake -j2` and its merged reports
# are byte for byte those of the same sweep run unsharded.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=build-snakemake

if ! command -v snakemake >/dev/null; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends snakemake
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWITH_BENCHMARKS=OFF \
  "${launcher[@]}" >/dev/null
cmake --build "$build" --target quorvel-batch >/dev/null
batch=$root/$build/quorvel/batch/quorvel-batch

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp examples/snakemake/Snakefile examples/snakemake/params.toml "$work/"
cd "$work"
snakemake -j2 --quiet --config batch="$batch" shards=3 seed=99 out=results >snakemake.log 2>&1 ||
  { cat snakemake.log >&2; exit 1; }
"$batch" n-sweep --params params.toml --seed 99 --quiet --out whole
for f in ReportFile2.txt ReportFile3.txt; do
  cmp "results/$f" "whole/$f"
done
echo "sharded workflow: $(ls results/shards | wc -l) shards merged, reports identical to the unsharded run"
