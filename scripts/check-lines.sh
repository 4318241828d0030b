# Sourced by the scripts that report their checks one per line
# (scripts/check-win32.sh, zoneinf's end-to-end test under Wine):
#   check NAME COMMAND...  runs the command; prints "ok      NAME" or
#                          "FAILED  NAME" and counts it
#   skip_check NAME WHY    prints "skipped NAME (WHY)" and counts it
#   report_checks          prints "N passed, M failed" (and ", K skipped");
#                          fails if any failed, else returns 77 (CTest's
#                          SKIP_RETURN_CODE where a test sets it) if any
#                          was skipped
passed=0
failed=0
skipped=0

check() {
    local name=$1
    shift
    if "$@"; then
        echo "ok      $name"
        passed=$((passed + 1))
    else
        echo "FAILED  $name"
        failed=$((failed + 1))
    fi
}

skip_check() {
    echo "skipped $1 ($2)"
    skipped=$((skipped + 1))
}

report_checks() {
    if [ "$skipped" -gt 0 ]; then
        echo "$passed passed, $failed failed, $skipped skipped"
    else
        echo "$passed passed, $failed failed"
    fi
    [ "$failed" -eq 0 ] || return 1
    [ "$skipped" -eq 0 ] || return 77
}
