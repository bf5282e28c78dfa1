# wine-session.sh - sourced by the Wine tests: the session that
# session-start.sh created (a fresh prefix in a temporary folder, HOME inside
# it, an Xvfb display) and small helpers. The test sets KIT_WINE_STATE (the
# session's file), KIT_WINE (the Wine loader of the programs' architecture).

# shellcheck source=/dev/null
source "$KIT_WINE_STATE"

# The Windows form of a Unix path: Wine maps Z: onto /.
winpath() {
    local path
    path=$(realpath -m "$1")
    printf 'Z:%s' "${path//\//\\}"
}

# Runs a Windows program under Wine, its output into the file $log (Wine
# children must not hold the test's own output open); returns its exit code.
log=/dev/null
run_wine() {
    "$KIT_WINE" "$@" >>"$log" 2>&1 </dev/null
}

# Waits up to 20 s for a file to exist and to stop growing.
wait_for_file() {
    local i
    for i in $(seq 200); do
        if [ -s "$1" ]; then
            sleep 0.5
            return 0
        fi
        sleep 0.1
    done
    return 1
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
