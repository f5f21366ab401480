#!/bin/bash
# Stops the rig that start.sh made for a build tree; does nothing when none runs.
# Usage: stop.sh BUILD_DIR
set -uo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
env_file=$1/rig/env
[ -f "$env_file" ] || exit 0

WINEPREFIX=
KORVADEL_RIG_XVFB_PID=
KORVADEL_RIG_XVFB_STARTED=
# shellcheck source=/dev/null
. "$env_file"

# PIDs wrap round within minutes when Wine runs, and other build trees run rigs of their own: the PID
# is ours only if it still names the process started then. A zombie has ended already.
is_ours() {
    local state
    state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
    [[ $state != Z* && "$(ps -o lstart= -p "$1")" == "$2" ]]
}

# Killing the server ends every process of the prefix with it, the desktop's explorer included.
if [ -n "$WINEPREFIX" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
fi

if [ -n "$KORVADEL_RIG_XVFB_PID" ] && is_ours "$KORVADEL_RIG_XVFB_PID" "$KORVADEL_RIG_XVFB_STARTED"; then
    kill "$KORVADEL_RIG_XVFB_PID" 2>/dev/null
    for _ in $(seq 50); do
        is_ours "$KORVADEL_RIG_XVFB_PID" "$KORVADEL_RIG_XVFB_STARTED" || break
        sleep 0.1
    done
    if is_ours "$KORVADEL_RIG_XVFB_PID" "$KORVADEL_RIG_XVFB_STARTED"; then
        kill -KILL "$KORVADEL_RIG_XVFB_PID" 2>/dev/null
    fi
fi
rm -f "$env_file"
exit 0
