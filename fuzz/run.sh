#!/usr/bin/env bash
# Usage: fuzz/run.sh [SECONDS] [TARGET...]
# Builds the libFuzzer targets with clang, ASan and UBSan into build/fuzz (FUZZ_BUILD
# to change it) and runs each for SECONDS (default 60) on its working corpus,
# seeded from fuzz/corpus/TARGET. FUZZ_ARGS adds libFuzzer options.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${FUZZ_BUILD:-$root/build/fuzz}
seconds=${1:-60}; shift || true
ZORVEX_FUZZ=1 "$root/scripts/setup.sh" || exit 1
mkdir -p "$dir"
cmake -S "$root" -B "$dir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZORVEX_FUZZ=ON -DZORVEX_SANITIZE=ON -DZORVEX_TESTS=OFF -DZORVEX_WERROR=${ZORVEX_WERROR:-OFF} >/dev/null || exit 1
if ! cmake --build "$dir" -j "$(nproc)" >"$dir/build.log" 2>&1; then
  tail -n 40 "$dir/build.log"
  exit 1
fi
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for exe in "$dir"/fuzz/fuzz_*; do
    [ -f "$exe" ] && [ -x "$exe" ] && targets+=("$(basename "$exe" | sed 's/^fuzz_//')")
  done
fi
# The longest input a target needs: a frame and what a technician types fit in
# 512 bytes; the engine's receive buffer (4096) and the mask edit's three texts
# need more. Shorter inputs are faster to run, so more of them are tried.
max_len() { case "$1" in engine_rx|mask_edit) echo 8192 ;; *) echo 512 ;; esac; }
# Allocation stacks are not recorded: that took a sixth of each run. To see
# them for a finding, run its target on the artifact alone.
export ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=0}
status=0
total=0
for t in "${targets[@]}"; do
  mkdir -p "$dir/corpus/$t" "$dir/findings/$t"
  seeds=()
  [ -d "$root/fuzz/corpus/$t" ] && seeds=("$root/fuzz/corpus/$t")
  "$dir/fuzz/fuzz_$t" -max_total_time="$seconds" -max_len="$(max_len "$t")" -print_final_stats=1 ${FUZZ_ARGS:-} \
    -artifact_prefix="$dir/findings/$t/" "$dir/corpus/$t" "${seeds[@]}" >"$dir/findings/$t.log" 2>&1 || status=1
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/findings/$t.log" | tail -n 1)
  total=$((total + ${runs:-0}))
  echo "== $t: ${runs:-0} executions in $seconds s ($(( ${runs:-0} / (seconds > 0 ? seconds : 1) )) per second)"
  grep -E "ERROR|property failed|SUMMARY" "$dir/findings/$t.log"
done
echo "fuzz: $total executions in all, $([ $status = 0 ] && echo "no finding" || echo "FINDINGS in $dir/findings")"
exit $status
