#!/usr/bin/env bash
# The optimised build under a memory limit (sanitizers reserve more address
# space than any limit allows): a file far too big for the limit fails by its
# escaped name, and the files around it are still checked.
# Usage: memory_limit_test.sh ZONEINF WORK_DIR
set -u
zoneinf=$1 work=$2
rm -rf "$work" && mkdir -p "$work" || exit 1
"$zoneinf" Europe/Paris -o "$work/clean.inf" || exit 1
heavy=$work/heavy$'\e'.inf
# 15 MiB of line ends after an INF's head: some 700 MB once split into the
# lines the INF reader keeps (an export's reader keeps none of them).
{ echo "[Version]"; head -c 15728640 /dev/zero | tr '\0' '\n'; } >"$heavy"
status=0
(ulimit -v 400000 && LC_ALL=C exec "$zoneinf" --check "$work/clean.inf" "$heavy" "$work/clean.inf") \
    >"$work/out" 2>"$work/err" || status=$?
failed=0
expect() {
    if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failed=1; fi
}
expect "status 3 (got $status)" test "$status" = 3
expect "the heavy file named, escaped" grep -qxF "zoneinf: $work/heavy\\x1b.inf: not enough memory to check it" "$work/err"
expect "the two others checked" grep -q "^3 files: 2 checked, 1 unreadable, " "$work/out"
[ $failed = 0 ] || { echo "--- stderr"; cat "$work/err"; }
exit $failed
