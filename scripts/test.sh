#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the full build (windows on the
# offscreen platform, the player and end-to-end tests under Xvfb), the registry and settings
# tests again as an ordinary user, then one clang build with AddressSanitizer and
# UndefinedBehaviorSanitizer: the core tests again, the fuzz targets' corpora replayed, and
# a short fuzzing of each (scripts/fuzz.sh alone fuzzes longer).
set -euo pipefail
cd "$(dirname "$0")/.."
# Each step says when it ended, so a slow step shows in the log.
step() { echo "== ${SECONDS}s: $*"; }
./scripts/install-deps.sh
step "packages installed"

werror=()
[ "${CI:-}" = "true" ] && werror=(-DQUORVEL_WERROR=ON)

# What the tests run is built first. Most tests wait on players, servers and windows, so the
# sanitizer build and the benchmarks are built meanwhile, in the background, each in a session
# of its own (a failure stops them) and in the idle scheduling class, so they take the
# processor time the tests leave.
cmake --preset default "${werror[@]}" >/dev/null
cmake --build build --target src/all resources/all tests/all -j "$(nproc)"
step "built what the tests run"
logs=$(mktemp -d)
idle=(chrt --idle 0)
"${idle[@]}" true 2>/dev/null || idle=(nice -n 19)  # where the idle class is not allowed
setsid "${idle[@]}" ./scripts/build.sh fuzz >"$logs/fuzz" 2>&1 &
fuzz_build=$!
setsid "${idle[@]}" cmake --build --preset default -j "$(nproc)" >"$logs/bench" 2>&1 &
bench_build=$!
# The program builds with gcc above and with clang too (the windows and the player parsed by
# clang; the sanitizer build compiles the core with it).
setsid "${idle[@]}" ./scripts/clang-syntax.sh build >"$logs/clang" 2>&1 &
clang_check=$!
trap 'kill -- -"$fuzz_build" -"$bench_build" -"$clang_check" 2>/dev/null || true; rm -rf "$logs"' EXIT
# Waits for a background build; on failure shows its end and stops.
finish() {
  wait "$1" && return 0
  tail -n 100 "$2"
  exit 1
}

ctest --test-dir build --output-on-failure -j 2
./scripts/test-unprivileged.sh build
step "tests passed"

finish "$clang_check" "$logs/clang"
step "clang accepts the program"
finish "$fuzz_build" "$logs/fuzz"
step "sanitizer build built"
# The fuzz build (clang, AddressSanitizer and UndefinedBehaviorSanitizer) runs the core tests
# and replays the fuzz corpora. clang may warn where gcc does not; its warnings do not fail it.
# Fuzzing runs for a fixed time, so it goes on beside these tests, a step lower in priority. A
# fixed seed: the same inputs on every machine, so a failure here fails the same way there.
FUZZ_SECONDS=${FUZZ_SECONDS:-10} FUZZ_SEED=${FUZZ_SEED:-1} FUZZ_BUILT=1 \
  setsid nice -n 10 ./scripts/fuzz.sh >"$logs/fuzzing" 2>&1 &
fuzzing=$!
trap 'kill -- -"$bench_build" -"$fuzzing" 2>/dev/null || true; rm -rf "$logs"' EXIT
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-fuzz --output-on-failure -j 2
step "sanitized tests passed"
fuzzed=0
wait "$fuzzing" || fuzzed=$?
cat "$logs/fuzzing"
[ "$fuzzed" -eq 0 ] || exit 1
step "fuzzed"
finish "$bench_build" "$logs/bench"
step "benchmarks built"
