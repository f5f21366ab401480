#!/bin/bash
# Starts the rig the tests of one build tree run in: a fresh Wine prefix, one Xvfb, a persistent
# wineserver and a 1024x768 virtual desktop. Usage: start.sh BUILD_DIR
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
rig=$build/rig
env_file=$rig/env

fail() {
    echo "rig: $*" >&2
    "$here/stop.sh" "$build" || true
    exit 1
}

"$here/stop.sh" "$build"
rm -rf "$rig"
mkdir -p "$rig"
trap 'fail "the step at line $LINENO of $0 failed"' ERR

# The daemons started here outlive this script: none may hold ctest's pipes, or ctest waits for them.
exec </dev/null

cat >"$env_file" <<END
export WINEPREFIX='$rig/prefix'
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml='
END
if [ -n "${KORVADEL_RIG_DISPLAY:-}" ]; then
    # A person watching: the rig runs on their display and starts no Xvfb.
    echo "export DISPLAY=$KORVADEL_RIG_DISPLAY" >>"$env_file"
else
    # Xvfb picks a free display itself, so that several build trees can each have a rig.
    mkfifo "$rig/display.fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$rig/display.fifo" \
        >"$rig/xvfb.log" 2>&1 &
    xvfb_pid=$!
    display=
    read -r -t 30 display <"$rig/display.fifo" || true
    rm -f "$rig/display.fifo"
    echo "KORVADEL_RIG_XVFB_PID=$xvfb_pid" >>"$env_file"
    echo "KORVADEL_RIG_XVFB_STARTED='$(ps -o lstart= -p "$xvfb_pid")'" >>"$env_file"
    [ -n "$display" ] || fail "Xvfb did not report a display; see $rig/xvfb.log"
    echo "export DISPLAY=:$display" >>"$env_file"
fi

# shellcheck source=/dev/null
. "$env_file"

# Wine takes each process's ANSI code page from its Unix locale, which must exist: a test of a
# double-byte code page runs in this one (LOCPATH, see tests/installation/tests.cmake). Made here from
# Debian's locale sources, so that no test needs the system's locales changed; without them that test
# alone fails, saying so.
mkdir -p "$rig/locales"
localedef -i ja_JP -f UTF-8 "$rig/locales/ja_JP.UTF-8" >"$rig/localedef.log" 2>&1 ||
    echo "rig: no Japanese locale (is Debian's locales package installed?); see $rig/localedef.log" >&2

wineboot -i >"$rig/wineboot.log" 2>&1 || fail "wineboot -i failed; see $rig/wineboot.log"
# The settings must be in place before any process asks for a desktop: the first one to do so
# creates the desktop for all the others, as the registry says at that moment.
reg_file=$here/rig.reg
wine regedit /S "Z:${reg_file//\//\\}" >"$rig/regedit.log" 2>&1 ||
    fail "regedit failed; see $rig/regedit.log"
# Until the persistent server runs, 'wineserver -w' can tell when the prefix is written out.
wineserver -w

# A fresh prefix knows only the system's fontconfig faces; the programs under test ask for the
# classic Windows faces, which Wine ships as files of its own.
cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"

wineserver -p >"$rig/wineserver.log" 2>&1

# Wine closes a desktop a second after the last program on it ends, and the next program would
# wait for a new one. A command interpreter reading a pipe that it holds open itself stays on the
# desktop until the server is killed. An explorer started with /desktop cannot do this: its own
# launcher creates the desktop first, and an explorer finding the desktop taken quits.
mkfifo "$rig/keepalive.fifo"
wine cmd /q <>"$rig/keepalive.fifo" >"$rig/keepalive.log" 2>&1 &

# Its size comes from rig.reg: seeing it proves the import too, which regedit does not report.
for _ in $(seq 150); do
    if xwininfo -display "$DISPLAY" -root -children 2>/dev/null |
        grep -q '"Default - Wine desktop".* 1024x768+'; then
        exit 0
    fi
    sleep 0.1
done
fail "no 1024x768 Wine desktop appeared on $DISPLAY"
