#!/usr/bin/env bash
# Builds the fuzz preset and fuzzes each target for a while (FUZZ_SECONDS, 60 by default),
# starting from its seed corpus in tests/fuzz/corpus/, as many at once as there are
# processors (FUZZ_JOBS). Fails on any crash, leak or timeout; the input that showed it is
# kept in build-fuzz/artifacts/. FUZZ_SEED fixes the random seed, so a run that failed
# elsewhere walks the same inputs here.
# scripts/fuzz.sh [catalogue|playlist|regfile|regtext|midi|m3u|banner|recordingname|userplaylist|guide ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
seed=()
[ -n "${FUZZ_SEED:-}" ] && seed=(-seed="$FUZZ_SEED")
parallel=${FUZZ_JOBS:-$(nproc)}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(catalogue playlist regfile regtext midi m3u banner recordingname userplaylist guide)

# FUZZ_BUILT=1: the build is known to be current (the test command builds it first).
[ "${FUZZ_BUILT:-}" = 1 ] || ./scripts/build.sh fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p build-fuzz/artifacts

# Runs one target; its exit status goes to a file, so a failure never ends the script early.
fuzz_one() {
  local t=$1
  # New inputs go to a scratch folder, so the seeds stay as they are.
  mkdir -p "$work/$t"
  local status=0
  LC_ALL=C.UTF-8 "build-fuzz/bin/fuzz_$t" -max_total_time="$seconds" -timeout=25 \
    -rss_limit_mb=2048 -print_final_stats=1 "${seed[@]}" -artifact_prefix="build-fuzz/artifacts/$t-" \
    "$work/$t" "tests/fuzz/corpus/$t" >"$work/$t.log" 2>&1 || status=$?
  echo "$status" >"$work/$t.status"
}

for t in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do
    wait -n || true
  done
  fuzz_one "$t" &
done
wait

status=0
for t in "${targets[@]}"; do
  log="$work/$t.log"
  if [ "$(cat "$work/$t.status" 2>/dev/null)" = 0 ]; then
    runs=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
    speed=$(awk '/stat::average_exec_per_sec/ {print $2}' "$log")
    cover=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)
    echo "fuzz_$t: ${seconds} s, $runs runs, $speed runs/s, $cover, nothing found"
  else
    echo "fuzz_$t: FAILED"
    tail -n 80 "$log"
    status=1
  fi
done
exit $status
