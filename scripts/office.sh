#!/bin/sh
# Starts and stops a headless LibreOffice that Korvex (and its host tests) can reach.
#
#   scripts/office.sh start [PIPE] [PROFILE_DIR]   start, then wait until it accepts
#   scripts/office.sh stop [PIPE]                  end it (cleanly, else by force)
#   scripts/office.sh status [PIPE]                exit 0 when it is running
#
# PIPE defaults to "korvex" (the pipe Korvex connects to unless KORVEX_OFFICE says
# otherwise); PROFILE_DIR to a private profile under ${TMPDIR:-/tmp}, so a user's own
# LibreOffice profile is never touched. The office's process id and log are kept in
# ${TMPDIR:-/tmp}/korvex-office-PIPE.pid and .log.
#
# Waiting and clean stopping use the program korvex_officeprobe from a build tree
# ($KORVEX_OFFICE_PROBE, else build*/tests/support/ beside this script; "none" for
# none). Without it,
# start waits for the office's pipe to appear, and stop ends the office by signals.
# Environment: KORVEX_SOFFICE (the office program, default soffice),
# KORVEX_OFFICE_TIMEOUT (seconds to wait for the office to accept, default 120).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
state=${TMPDIR:-/tmp}
soffice=${KORVEX_SOFFICE:-soffice}
timeout=${KORVEX_OFFICE_TIMEOUT:-120}

command=${1:-}
pipe=${2:-korvex}
case $pipe in
    *[!A-Za-z0-9_.-]*|'') echo "office.sh: bad pipe name '$pipe'" >&2; exit 2 ;;
esac
pidfile="$state/korvex-office-$pipe.pid"
logfile="$state/korvex-office-$pipe.log"
socket="/tmp/OSL_PIPE_$(id -u)_$pipe"

find_probe() {
    case ${KORVEX_OFFICE_PROBE:-} in
        none) return ;;
        ?*) echo "$KORVEX_OFFICE_PROBE"; return ;;
    esac
    for candidate in "$root/build/tests/support/korvex_officeprobe" "$root"/build*/tests/support/korvex_officeprobe; do
        if [ -x "$candidate" ]; then
            echo "$candidate"
            return
        fi
    done
}

running_pid() {
    [ -f "$pidfile" ] || return 1
    pid=$(cat "$pidfile")
    case $pid in *[!0-9]*|'') return 1 ;; esac
    kill -0 "$pid" 2>/dev/null || return 1
    # A process id from an old file may belong to another program by now.
    if [ -r "/proc/$pid/cmdline" ]; then
        tr '\0' ' ' < "/proc/$pid/cmdline" | grep -q -- "--accept=pipe,name=$pipe;" || return 1
    fi
    echo "$pid"
}

# Whether the office answers: through the probe, or by its pipe appearing after
# the marker file was made (an older pipe file may be left from a killed office).
accepting() {
    if [ -n "$probe" ]; then
        "$probe" "pipe,name=$pipe" >/dev/null 2>&1
    else
        [ -S "$socket" ] && [ -n "$(find "$socket" -newer "$marker" 2>/dev/null)" ]
    fi
}

start() {
    profile=${3:-"$state/korvex-office-profile-$pipe"}
    if pid=$(running_pid); then
        echo "office.sh: LibreOffice already runs on pipe $pipe (pid $pid)"
        return 0
    fi
    command -v "$soffice" >/dev/null || { echo "office.sh: $soffice not found (apt-get install libreoffice-calc-nogui)" >&2; return 1; }
    mkdir -p "$profile"
    profile=$(cd "$profile" && pwd)
    probe=$(find_probe)
    marker="$state/korvex-office-$pipe.starting"
    : > "$marker"
    [ -n "$probe" ] || sleep 1  # the pipe must be measurably newer than the marker

    # Its own session and process group: stop can end the launcher and soffice.bin together.
    setsid "$soffice" --headless --invisible --norestore --nologo --nodefault --nolockcheck \
        "-env:UserInstallation=file://$profile" \
        "--accept=pipe,name=$pipe;urp;StarOffice.ComponentContext" </dev/null >"$logfile" 2>&1 &
    pid=$!
    echo "$pid" > "$pidfile"

    waited=0
    while ! accepting; do
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "office.sh: LibreOffice ended while starting; its log:" >&2
            cat "$logfile" >&2
            rm -f "$pidfile" "$marker"
            return 1
        fi
        if [ "$waited" -ge "$((timeout * 10))" ]; then
            echo "office.sh: LibreOffice does not accept on pipe $pipe after ${timeout}s" >&2
            rm -f "$marker"
            stop
            return 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    rm -f "$marker"
    echo "office.sh: LibreOffice accepts on pipe $pipe (pid $pid, profile $profile)"
}

# Waits up to $1 tenths of a second for the process to end.
wait_gone() {
    n=0
    while kill -0 "$pid" 2>/dev/null && [ "$n" -lt "$1" ]; do
        sleep 0.1
        n=$((n + 1))
    done
    ! kill -0 "$pid" 2>/dev/null
}

stop() {
    if ! pid=$(running_pid); then
        echo "office.sh: no LibreOffice of ours runs on pipe $pipe"
        rm -f "$pidfile"
        return 0
    fi
    probe=${probe-$(find_probe)}
    # Cleanly first: the office removes its pipe and lock files only when it ends itself.
    if [ -n "$probe" ] && "$probe" --terminate "pipe,name=$pipe" >/dev/null 2>&1 && wait_gone 300; then
        :
    else
        kill -TERM "-$pid" 2>/dev/null || true
        if ! wait_gone 100; then
            kill -KILL "-$pid" 2>/dev/null || true
            wait_gone 50 || { echo "office.sh: LibreOffice (pid $pid) does not end" >&2; return 1; }
        fi
        rm -f "$socket"
    fi
    rm -f "$pidfile"
    echo "office.sh: LibreOffice on pipe $pipe stopped"
}

case $command in
    start) start "$@" ;;
    stop) stop ;;
    status)
        if pid=$(running_pid); then echo "office.sh: running on pipe $pipe (pid $pid)"; else echo "office.sh: not running"; exit 1; fi ;;
    *) echo "usage: $0 start [PIPE] [PROFILE_DIR] | stop [PIPE] | status [PIPE]" >&2; exit 2 ;;
esac
