#!/usr/bin/env bash
# What a batch command meets on a cluster or a full disk: killed outright (SIGKILL, as a
# scheduler ends a job) at random moments in every mode, stopped by SIGINT, SIGTERM and
# SIGHUP, a file-size limit, hand-edited shards, and names that are not regular files (a
# FIFO, a symbolic link, a device when run as root). Every final name must then be as it was
# before the command or complete, and a run.json must describe the reports beside it.
# Bounded in time: KILLS (default 50) kills of well under a second each.
set -euo pipefail
cd "$(dirname "$0")/../.."  # run as .ci/checks/35-faults.sh
source .ci/lib.sh
need_packages cmake ninja-build g++ libgtest-dev libcli11-dev libtomlplusplus-dev \
  nlohmann-json3-dev

# FAULTS_BUILD names a build folder whose programs are taken as they are.
root=${FAULTS_BUILD:-$PWD/build-faults}
print_load
if [ -z "${FAULTS_BUILD:-}" ]; then
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  step "configure build-faults" cmake -S . -B "$root" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    "${launcher[@]}" -DWITH_QT=OFF -DWITH_BENCHMARKS=OFF >/dev/null
  step "build the batch programs" nice cmake --build "$root" -j2 --target quorvel-batch \
    tessaline-batch
fi
qb=$root/quorvel/batch/quorvel-batch
tb=$root/tessaline/batch/tessaline-batch
kills=${KILLS:-50}

work=$(mktemp -d /tmp/faults.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAULT: $*" >&2
  failures=$((failures + 1))
}

# The commands, each with an older version (other values) whose files stand in the folder
# before the command runs. Their run.json files differ in the "u" or the "seed" line.
declare -A new old
new[single]="single --set maxgen=10000 --set u=0.00005 --seed 1"
old[single]="single --set maxgen=200 --set u=0.00006 --seed 1"
new[single-finite]="single-finite --set maxgen=3000 --set log10n=3 --seed 2"
old[single-finite]="single-finite --set maxgen=100 --set log10n=3 --seed 3"
new[sk-sweep]="sk-sweep --set maxgen=300 --set u=0.00005 --threads 2 --seed 1"
old[sk-sweep]="sk-sweep --set maxgen=100 --set u=0.00006 --threads 2 --seed 1"
new[n-sweep]="n-sweep --set from=2 --set to=3 --set iterations=60 --set maxgen=300 --seed 4"
old[n-sweep]="n-sweep --set from=2 --set to=3 --set iterations=60 --set maxgen=100 --seed 5"
modes=(single single-finite sk-sweep n-sweep)

# The run.json line that tells the versions apart.
marker() { grep -E '"(u|seed)":' "$1" | tr -d ' \n'; }

reference() {
  local mode=$1
  # shellcheck disable=SC2086
  "$qb" ${new[$mode]} --quiet --out "$work/new-$mode" 2>/dev/null
  # shellcheck disable=SC2086
  "$qb" ${old[$mode]} --quiet --out "$work/old-$mode" 2>/dev/null
}

# Every name in `dir` is the old version's file or the new one's, nothing else lies there,
# and run.json describes the reports beside it.
check_folder() {
  local mode=$1 dir=$2 what=$3 name kind json=""
  for f in "$dir"/* "$dir"/.[!.]*; do
    [ -e "$f" ] || continue
    name=$(basename "$f")
    case "$name" in
      .quorvel-batch.*.part) continue ;;  # a killed command's temporary, cleared next time
    esac
    if [ ! -f "$work/new-$mode/$name" ] && [ ! -f "$work/old-$mode/$name" ]; then
      fail "$what: unexpected $name"
      continue
    fi
    if [ "$name" = run.json ]; then
      if [ "$(marker "$f")" = "$(marker "$work/new-$mode/run.json")" ]; then
        json=new
      elif [ "$(marker "$f")" = "$(marker "$work/old-$mode/run.json")" ]; then
        json=old
      else
        fail "$what: run.json is neither version"
      fi
    fi
  done
  for f in "$dir"/ReportFile*.txt; do
    [ -e "$f" ] || continue
    name=$(basename "$f")
    kind=cut
    cmp -s "$f" "$work/old-$mode/$name" && kind=old
    cmp -s "$f" "$work/new-$mode/$name" && kind=new
    [ "$kind" = cut ] && fail "$what: $name is cut"
    [ -n "$json" ] && [ "$kind" != "$json" ] && fail "$what: $json run.json beside a $kind $name"
  done
  return 0
}

for mode in "${modes[@]}"; do reference "$mode"; done

# Random SIGKILLs, spread over the modes; each lands somewhere between the start and a bit
# past the end of the reference run.
echo "--- SIGKILL at random moments"
for ((i = 0; i < kills; i++)); do
  mode=${modes[$((i % ${#modes[@]}))]}
  dir=$work/kill-$i
  cp -r "$work/old-$mode" "$dir"
  delay=$(printf "0.%03d" $((RANDOM % 400)))
  # shellcheck disable=SC2086
  "$qb" ${new[$mode]} --quiet --out "$dir" 2>/dev/null &
  pid=$!
  sleep "$delay"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  check_folder "$mode" "$dir" "SIGKILL $i ($mode after $delay s)"
  # The next command clears what the killed one left and writes the new version.
  # shellcheck disable=SC2086
  "$qb" ${new[$mode]} --quiet --out "$dir" 2>/dev/null || fail "rerun $i ($mode)"
  check_folder "$mode" "$dir" "rerun $i ($mode)"
  if ls -A "$dir" | grep -q '\.part$'; then fail "rerun $i ($mode) left a temporary"; fi
  rm -rf "$dir"
done

echo "--- stop signals end with whole files"
for signal in INT TERM HUP; do
  dir=$work/signal-$signal
  # An N sweep of 200 finite runs per point lasts tens of seconds; a single run is over
  # before the signal comes.
  "$qb" n-sweep --set from=5 --set to=6 --set iterations=200 --set maxgen=10000 \
    --set demes=20 --set loci=3 --seed 1 --quiet --out "$dir" 2>/dev/null &
  pid=$!
  sleep 0.3
  kill -"$signal" "$pid" || fail "SIG$signal: the run had ended already"
  status=0
  wait "$pid" || status=$?
  [ "$status" = 130 ] || fail "SIG$signal: status $status"
  grep -q '"interrupted"' "$dir/run.json" || fail "SIG$signal: run.json does not say interrupted"
  for report in "$dir"/ReportFile2.txt "$dir"/ReportFile3.txt "$dir"/runs.csv; do
    [ "$(tail -c 2 "$report" | od -An -c | tr -d ' ')" = '\r\n' ] ||
      fail "SIG$signal: $(basename "$report") does not end at a whole line"
  done
done

echo "--- a file-size limit"
dir=$work/limit
cp -r "$work/old-sk-sweep" "$dir"
status=0
(ulimit -f 4 && exec "$qb" ${new[sk-sweep]} --quiet --out "$dir" 2>/dev/null) || status=$?
[ "$status" = 1 ] || fail "file-size limit: status $status"
diff -r "$work/old-sk-sweep" "$dir" >/dev/null || fail "file-size limit: the old files changed"
echo "old" >"$work/limit.txt"
status=0
(ulimit -f 1 && exec "$tb" --sim velocity --out "$work/limit.txt" 2>/dev/null) || status=$?
[ "$status" = 1 ] || fail "tessaline-batch file-size limit: status $status"
[ "$(cat "$work/limit.txt")" = old ] || fail "tessaline-batch file-size limit: old file changed"

echo "--- hand-edited shards"
for i in 1 2; do
  "$qb" n-sweep --set iterations=3 --set maxgen=50 --seed 9 --shard $i/2 --quiet \
    --out "$work/shards" 2>/dev/null
done
# The first row of runs.csv the shard holds, with a cell that is no number.
sed -E '0,/^( *)"([0-9]+),/s//\1"\2junk,/' "$work/shards/shard-2-of-2.json" >"$work/junk.json"
sed -E 's/"extinct_runs": 0/"extinct_runs": -5/' "$work/shards/shard-2-of-2.json" \
  >"$work/negative.json"
for edited in junk negative; do
  status=0
  "$qb" merge "$work/shards/shard-1-of-2.json" "$work/$edited.json" --out "$work/merged" \
    2>/dev/null || status=$?
  [ "$status" = 2 ] || fail "merge of a $edited shard: status $status"
  [ ! -e "$work/merged" ] || fail "merge of a $edited shard wrote files"
done

echo "--- names that are not regular files"
mkfifo "$work/fifo"
ln -s "$work/fifo" "$work/to-fifo"
for target in "$work/fifo" "$work/to-fifo"; do
  status=0
  timeout 10 "$qb" single --set maxgen=10 --write-params "$target" --out "$work/f" 2>/dev/null ||
    status=$?
  [ "$status" = 2 ] || fail "--write-params $target: status $status"
  status=0
  timeout 10 "$qb" single --params "$target" --out "$work/f" 2>/dev/null || status=$?
  [ "$status" = 2 ] || fail "--params $target: status $status"
  status=0
  timeout 10 "$tb" --sim velocity --out "$target" 2>/dev/null || status=$?
  [ "$status" = 2 ] || fail "tessaline-batch --out $target: status $status"
done
[ -p "$work/fifo" ] || fail "the FIFO was replaced"
mkdir -p "$work/links"
echo old >"$work/links/real.toml"
ln -s real.toml "$work/links/link.toml"
"$qb" single --set maxgen=10 --write-params "$work/links/link.toml" --out "$work/l" 2>/dev/null ||
  fail "--write-params through a link failed"
[ -L "$work/links/link.toml" ] || fail "the link was replaced"
grep -q 'mode = "single"' "$work/links/real.toml" || fail "the link's target was not written"
echo old >"$work/links/real.json"
ln -s "$work/links/real.json" "$work/links/run.json"
"$qb" single --set maxgen=10 --out "$work/links" 2>/dev/null || fail "run.json through a link failed"
[ -L "$work/links/run.json" ] || fail "the link run.json was replaced"
grep -q '"complete"' "$work/links/real.json" || fail "the target of run.json was not written"
if [ "$(id -u)" = 0 ]; then
  mknod "$work/null" c 1 3
  status=0
  "$qb" single --set maxgen=10 --write-params "$work/null" --out "$work/d" 2>/dev/null ||
    status=$?
  [ "$status" = 2 ] || fail "--write-params on a device: status $status"
  [ -c "$work/null" ] || fail "the device was replaced"
else
  echo "not root: the device case is skipped"
fi

echo "faults: $kills kills, $failures failures"
[ "$failures" = 0 ]
