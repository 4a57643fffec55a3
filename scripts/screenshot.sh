#!/usr/bin/env bash
# Remakes docs/screenshot.png: the end-to-end test plays a channel in the main window under
# the test Xvfb and saves what the window shows.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh default
QUORVEL_SCREENSHOT="$PWD/docs/screenshot.png" \
  ctest --test-dir build --output-on-failure -R 'xvfb_|ScreenshotOfAChannelPlaying'
