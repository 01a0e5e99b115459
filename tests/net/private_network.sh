#!/bin/bash
# A small private network for the discovery tests: a namespace for the
# program and a namespace for stand-in devices, joined by a veth pair. The
# root namespace's interfaces and routes are never touched: both ends of the
# pair are made inside the namespaces.
#
#   program namespace  <name>-p   veth-prog 10.213.0.1/16
#   device namespace   <name>-d   veth-dev  10.213.0.2/16, and the device
#                                 addresses 10.213.1.1 .. 10.213.1.N
#
# Usage:
#   private_network.sh run [--devices N] -- COMMAND [ARGS...]
#       makes a network named after this script's process id, runs the
#       command inside the program namespace and removes the network
#       afterwards, also when the command fails or the script is stopped.
#       Exits with the command's status, or 77 (skipped) when network
#       namespaces cannot be made here (no root, no ip).
#   private_network.sh up NAME [--devices N]    make a network by hand
#   private_network.sh exec NAME program|device -- COMMAND [ARGS...]
#   private_network.sh down NAME                remove it (and what runs in it)
#
# The command gets, in its environment: TRELWIN_NET_PRIVATE=1,
# TRELWIN_NET_PROGRAM_NS, TRELWIN_NET_DEVICE_NS, TRELWIN_NET_PROGRAM_ADDRESS,
# TRELWIN_NET_DEVICE_PREFIX (10.213.1.) and TRELWIN_NET_DEVICE_COUNT.
set -u

SKIP=77
PROGRAM_ADDRESS=10.213.0.1
DEVICE_GATEWAY=10.213.0.2
DEVICE_PREFIX=10.213.1.
PREFIX_LENGTH=16
MAX_DEVICES=254

die() { echo "private_network.sh: $*" >&2; exit 2; }

check_devices() {
    case "$1" in
        ''|*[!0-9]*) die "--devices needs a number from 1 to $MAX_DEVICES, not '$1'" ;;
    esac
    [ "$1" -ge 1 ] && [ "$1" -le "$MAX_DEVICES" ] || die "--devices needs a number from 1 to $MAX_DEVICES, not '$1'"
}

check_name() {
    case "$1" in
        ''|*[!A-Za-z0-9_-]*) die "a network name is letters, digits, '-' and '_', not '$1'" ;;
    esac
    [ ${#1} -le 24 ] || die "the network name '$1' is too long (24 characters at most)"
}

# Whether this machine lets us make network namespaces at all.
can_make_namespaces() {
    command -v ip >/dev/null 2>&1 || return 1
    local probe="trelwin-probe-$$"
    ip netns add "$probe" >/dev/null 2>&1 || return 1
    ip netns del "$probe" >/dev/null 2>&1
    return 0
}

up() {
    local name=$1 count=$2
    local p="$name-p" d="$name-d"
    ip netns add "$p" || return 1
    ip netns add "$d" || { ip netns del "$p"; return 1; }
    ip -n "$p" link set lo up &&
    ip -n "$d" link set lo up &&
    ip -n "$p" link add veth-prog type veth peer name veth-dev netns "$d" &&
    ip -n "$p" addr add "$PROGRAM_ADDRESS/$PREFIX_LENGTH" brd + dev veth-prog &&
    ip -n "$d" addr add "$DEVICE_GATEWAY/$PREFIX_LENGTH" brd + dev veth-dev &&
    {
        local i
        for ((i = 1; i <= count; i++)); do
            echo "addr add $DEVICE_PREFIX$i/$PREFIX_LENGTH brd + dev veth-dev"
        done
    } | ip -n "$d" -batch - &&
    ip -n "$p" link set veth-prog up &&
    ip -n "$d" link set veth-dev up || { down "$name"; return 1; }
    # The device addresses need no duplicate-address wait (IPv4), but the
    # link takes a moment to carry traffic.
    local tries
    for ((tries = 0; tries < 50; tries++)); do
        ip -n "$p" link show veth-prog | grep -q 'state UP' && break
        sleep 0.1
    done
    return 0
}

down() {
    local name=$1 ns pid
    for ns in "$name-p" "$name-d"; do
        if ip netns list | grep -qw "^$ns"; then
            # Whatever still runs in the namespace was started for it.
            for pid in $(ip netns pids "$ns" 2>/dev/null); do
                kill -TERM "$pid" 2>/dev/null
            done
            sleep 0.2
            for pid in $(ip netns pids "$ns" 2>/dev/null); do
                kill -KILL "$pid" 2>/dev/null
            done
            ip netns del "$ns" 2>/dev/null
        fi
    done
}

# Networks of earlier runs whose script was killed outright (a test time-out
# may do that, and then no trap runs): their names carry the process id.
remove_orphans() {
    local ns pid
    # Either namespace may be the one left over.
    for pid in $(ip netns list 2>/dev/null | sed -n 's/^trelwin-t\([0-9]*\)-[pd]\b.*/\1/p' | sort -u); do
        kill -0 "$pid" 2>/dev/null || down "trelwin-t$pid"
    done
}

# A watcher outside this script's process tree, so that a test runner that
# kills the tree on a time-out (no trap runs then) does not reach it: it
# removes the network once the script is gone. Its output goes nowhere, so
# that nobody waits for it to close.
watch_owner() {
    local name=$1 owner=$2 script
    script=$(readlink -f "$0")
    (
        setsid bash -c 'while kill -0 "$1" 2>/dev/null; do sleep 1; done; bash "$2" down "$3"' \
            watcher "$owner" "$script" "$name" </dev/null >/dev/null 2>&1 &
    )
}

run_in() {
    local name=$1 side=$2 count=$3
    shift 3
    local ns
    case "$side" in
        program) ns="$name-p" ;;
        device) ns="$name-d" ;;
        *) die "exec needs 'program' or 'device', not '$side'" ;;
    esac
    ip netns exec "$ns" env TRELWIN_NET_PRIVATE=1 TRELWIN_NET_PROGRAM_NS="$name-p" TRELWIN_NET_DEVICE_NS="$name-d" \
        TRELWIN_NET_PROGRAM_ADDRESS="$PROGRAM_ADDRESS" TRELWIN_NET_DEVICE_PREFIX="$DEVICE_PREFIX" \
        TRELWIN_NET_DEVICE_COUNT="$count" "$@"
}

command=${1:-}
[ -n "$command" ] || die "usage: private_network.sh run [--devices N] -- COMMAND... | up NAME | exec NAME program|device -- COMMAND... | down NAME"
shift

case "$command" in
    run)
        count=16
        while [ $# -gt 0 ] && [ "$1" != "--" ]; do
            case "$1" in
                --devices) [ $# -ge 2 ] || die "--devices needs a number"; check_devices "$2"; count=$2; shift 2 ;;
                *) die "unknown option '$1'" ;;
            esac
        done
        [ "${1:-}" = "--" ] && shift
        [ $# -gt 0 ] || die "run needs a command after --"
        if ! can_make_namespaces; then
            echo "SKIP: network namespaces cannot be made here (needs root and 'ip netns'); the broadcast tests run only inside a private network" >&2
            exit $SKIP
        fi
        remove_orphans
        name="trelwin-t$$"
        trap 'down "$name"' EXIT
        trap 'exit 130' INT
        trap 'exit 143' TERM
        trap 'exit 129' HUP
        watch_owner "$name" $$
        up "$name" "$count" || { echo "private_network.sh: the private network could not be made" >&2; exit 1; }
        # In the background: a signal must end the wait at once, so that the
        # network goes with the command still running (the shell runs traps
        # only between commands).
        run_in "$name" program "$count" "$@" &
        wait $!
        exit $?
        ;;
    up)
        [ $# -ge 1 ] || die "up needs a name"
        check_name "$1"
        name=$1; shift
        count=16
        if [ "${1:-}" = "--devices" ]; then
            [ $# -ge 2 ] || die "--devices needs a number"
            check_devices "$2"; count=$2
        fi
        can_make_namespaces || { echo "SKIP: network namespaces cannot be made here" >&2; exit $SKIP; }
        up "$name" "$count" || exit 1
        echo "program namespace $name-p ($PROGRAM_ADDRESS), device namespace $name-d (${DEVICE_PREFIX}1 .. $DEVICE_PREFIX$count)"
        ;;
    exec)
        [ $# -ge 2 ] || die "exec needs a name and program or device"
        check_name "$1"
        name=$1; side=$2; shift 2
        [ "${1:-}" = "--" ] && shift
        [ $# -gt 0 ] || die "exec needs a command after --"
        count=$(ip -n "$name-d" -4 addr show dev veth-dev 2>/dev/null | grep -c "inet ${DEVICE_PREFIX//./\\.}")
        run_in "$name" "$side" "$count" "$@"
        ;;
    down)
        [ $# -ge 1 ] || die "down needs a name"
        check_name "$1"
        down "$1"
        ;;
    *)
        die "unknown command '$command'"
        ;;
esac
