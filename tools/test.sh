#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test under Wine in a rig of its own.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/tools/build.sh"
# The rig makes a Japanese locale from Debian's locale sources for the test of a double-byte code page.
if [[ $(dpkg-query -W -f='${Status}' locales 2>/dev/null) != 'install ok installed' ]]; then
    sudo=; [[ $EUID -eq 0 ]] || sudo=sudo
    $sudo apt-get update -o DPkg::Lock::Timeout=300
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
        -o DPkg::Lock::Timeout=300 locales
fi
# ctest stops the rig itself after the last test; this covers an interrupted run.
trap '"$root/tests/rig/stop.sh" "$root/build" >/dev/null 2>&1 || true' EXIT
ctest --test-dir "$root/build" --output-on-failure
