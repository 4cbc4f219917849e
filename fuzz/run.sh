#!/usr/bin/env bash
# Usage: fuzz/run.sh BUILD_DIR [SECONDS] [TARGET...]
# Runs each fuzz target for SECONDS (default 60) on its own corpus in BUILD_DIR/corpus;
# FUZZ_ARGS adds libFuzzer options (e.g. "-len_control=0 -max_len=20000" for long lines).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$(cd "$1" && pwd); shift
seconds=${1:-60}; shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(cp1251 mask_edit olvin4_status selta_frames olvin3m_frames engine_rx)
fi
export LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp"
export QT_QPA_PLATFORM=offscreen
status=0
for t in "${targets[@]}"; do
  # Qt fills its font and style caches lazily, so a leak check after every
  # input would scan the heap each time; the widget targets run without it.
  leaks=0
  [ "$t" = cp1251 ] && leaks=1
  mkdir -p "$dir/corpus/$t" "$dir/findings/$t"
  "$dir/fuzz/fuzz_$t" -max_total_time="$seconds" -max_len=8192 -print_final_stats=1 -detect_leaks=$leaks ${FUZZ_ARGS:-} \
    -artifact_prefix="$dir/findings/$t/" "$dir/corpus/$t" >"$dir/findings/$t.log" 2>&1 || status=1
  echo "== $t"
  grep -E "^stat::number_of_executed_units|^Done|ERROR|property failed|SUMMARY" "$dir/findings/$t.log"
done
exit $status
