# Sourced by the scripts that report their checks one per line
# (scripts/check-win32.sh, zoneinf's end-to-end test under Wine):
#   check NAME COMMAND...  runs the command; prints "ok      NAME" or
#                          "FAILED  NAME" and counts it
#   report_checks          prints "N passed, M failed"; fails if any failed
passed=0
failed=0

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

report_checks() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
