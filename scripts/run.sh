#!/usr/bin/env bash
# Installs what is needed, builds, and starts Quorvel with its sample catalogue.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh default
exec ./build/bin/quorvel "$@"
