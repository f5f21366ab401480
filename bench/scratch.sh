# Sourced by the benches that write: makes work= (a scratch folder in memory where the machine has it,
# since the disk's write-back would time itself, not the work), removed on exit with any rig started
# in it. Needs root= (the source tree).
scratch=/dev/shm; [[ -d $scratch && -w $scratch ]] || scratch=/tmp
work=$(mktemp -d "$scratch/korvadel-bench.XXXXXX")
cleanup() {
    "$root/tests/rig/stop.sh" "$work" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
