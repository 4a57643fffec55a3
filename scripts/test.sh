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
# benchmarks and the sanitizer build are built meanwhile, at the lowest priority, on the
# processor time the tests leave.
cmake --preset default "${werror[@]}" >/dev/null
cmake --build build --target src/all resources/all tests/all -j "$(nproc)"
step "built what the tests run"
later=$(mktemp)
# A session of its own, so a failing test stops the whole build behind it.
setsid bash -c 'nice -n 19 cmake --build --preset default -j "$1" &&
  nice -n 19 ./scripts/build.sh fuzz' _ "$(nproc)" >"$later" 2>&1 &
builder=$!
trap 'kill -- -"$builder" 2>/dev/null || true; rm -f "$later"' EXIT

ctest --test-dir build --output-on-failure -j 2
./scripts/test-unprivileged.sh build
step "tests passed"

if ! wait "$builder"; then
  tail -n 100 "$later"
  exit 1
fi
step "benchmarks and the sanitizer build built"
# The fuzz build (clang, AddressSanitizer and UndefinedBehaviorSanitizer) runs the core tests
# and replays the fuzz corpora. clang may warn where gcc does not; its warnings do not fail it.
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-fuzz --output-on-failure -j 2
step "sanitized tests passed"
# A fixed seed: the same inputs on every machine, so a failure here fails the same way there.
FUZZ_SECONDS=${FUZZ_SECONDS:-10} FUZZ_SEED=${FUZZ_SEED:-1} ./scripts/fuzz.sh
step "fuzzed"
