#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the full build (windows on the
# offscreen platform, the player and end-to-end tests under Xvfb), the registry and settings
# tests again as an ordinary user, the core tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the fuzz targets: their corpora replayed, and a short
# fuzzing of each (scripts/fuzz.sh alone fuzzes longer).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

werror=()
[ "${CI:-}" = "true" ] && werror=(-DQUORVEL_WERROR=ON)

./scripts/build.sh default "${werror[@]}"
ctest --test-dir build --output-on-failure -j 2
./scripts/test-unprivileged.sh build

./scripts/build.sh asan "${werror[@]}"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j 2

# clang may warn where gcc does not; its warnings do not fail the fuzz build.
./scripts/build.sh fuzz
ctest --test-dir build-fuzz --output-on-failure -j 2
# A fixed seed: the same inputs on every machine, so a failure here fails the same way there.
FUZZ_SECONDS=${FUZZ_SECONDS:-12} FUZZ_SEED=${FUZZ_SEED:-1} ./scripts/fuzz.sh
