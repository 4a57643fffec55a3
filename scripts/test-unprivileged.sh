#!/usr/bin/env bash
# Runs the registry and settings tests, the favorites tests and the live cache folder's tests
# as an ordinary user (nobody), since CI runs as root and root passes every permission check:
# a copy of the test programs in a folder that user can read, with a home and a temporary
# folder of its own. Needs root; skipped otherwise.
# scripts/test-unprivileged.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if [ "$(id -u)" -ne 0 ]; then
  echo "test-unprivileged: not root, so the normal run was unprivileged already; skipped"
  exit 0
fi

place=$(mktemp -d /tmp/quorvel-unprivileged.XXXXXX)
trap 'rm -rf "$place"' EXIT
mkdir "$place/home"
# program and the tests of it to run
runs=("registry_tests *" "settings_tests *" "catalogue_tests Favorites.*" "playback_tests TimeshiftStore.*")
for run in "${runs[@]}"; do
  cp "$build/bin/${run%% *}" "$place/"
done
chmod 755 "$place" "$place"/*_tests
chown 65534:65534 "$place/home"

status=0
for run in "${runs[@]}"; do
  t=${run%% *}
  echo "== $t as nobody"
  setpriv --reuid=65534 --regid=65534 --clear-groups \
    env -i PATH=/usr/bin:/bin HOME="$place/home" XDG_CONFIG_HOME="$place/home/.config" \
    TMPDIR="$place/home" LC_ALL=C.UTF-8 "$place/$t" --gtest_brief=1 \
    "--gtest_filter=${run#* }" || status=1
done
exit $status
