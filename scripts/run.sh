#!/usr/bin/env bash
# Installs what is needed, builds the program (not its tests) and starts Quorvel with its
# sample catalogue.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build build --target src/all resources/all -j "$(nproc)"
exec ./build/bin/quorvel "$@"
