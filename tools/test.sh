#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test under Wine in a rig of its own.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/tools/build.sh"
# ctest stops the rig itself after the last test; this covers an interrupted run.
trap '"$root/tests/rig/stop.sh" "$root/build" >/dev/null 2>&1 || true' EXIT
ctest --test-dir "$root/build" --output-on-failure
