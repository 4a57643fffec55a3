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

./scripts/build.sh default "${werror[@]}"
step "built"
ctest --test-dir build --output-on-failure -j 2
./scripts/test-unprivileged.sh build
step "tests passed"

# The fuzz build (clang, AddressSanitizer and UndefinedBehaviorSanitizer) runs the core tests
# and replays the fuzz corpora. clang may warn where gcc does not; its warnings do not fail it.
./scripts/build.sh fuzz
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-fuzz --output-on-failure -j 2
step "sanitized tests passed"
# A fixed seed: the same inputs on every machine, so a failure here fails the same way there.
FUZZ_SECONDS=${FUZZ_SECONDS:-10} FUZZ_SEED=${FUZZ_SEED:-1} ./scripts/fuzz.sh
step "fuzzed"

