# Steps the net-match tests share; sourced by them with MATCH, RELAY and
# DISPLAY_RUN set. Everything goes to a temporary folder, WORK, and every
# process started is ended on exit.
WORK=$(mktemp -d)
PIDS=""
fail=0
trap 'for p in $PIDS; do kill $p 2>/dev/null; done; rm -rf "$WORK"' EXIT

source "$(dirname "$0")/wait_for.sh"

start_server() { # clients seconds -> SERVER (its process), PORT
    "$DISPLAY_RUN" "$MATCH" --server 127.0.0.1:0 --clients $1 --seconds $2 --log "$WORK/server.log" >"$WORK/server.out" 2>"$WORK/server.err" &
    SERVER=$!
    PIDS="$PIDS $SERVER"
    PORT=$(wait_for "$WORK/server.out" "^listening on port") || { echo "server did not start"; cat "$WORK/server.err"; exit 1; }
}

start_relay() { # name, then relay arguments -> NAME_PID, NAME_PORT
    local name=$1 port
    shift
    "$RELAY" --listen 0 --to 127.0.0.1:$PORT "$@" >"$WORK/$name.out" 2>&1 &
    PIDS="$PIDS $!"
    eval "${name}_PID=$!"
    port=$(wait_for "$WORK/$name.out" "^relay on port") || { echo "relay did not start"; exit 1; }
    eval "${name}_PORT=$port"
}

start_client() { # name relay-port, then more arguments -> NAME_PID
    local name=$1 port=$2
    shift 2
    "$DISPLAY_RUN" "$MATCH" --client 127.0.0.1:$port --log "$WORK/$name.log" "$@" >"$WORK/$name.out" 2>"$WORK/$name.err" &
    PIDS="$PIDS $!"
    eval "${name}_PID=$!"
}

# Waits for the server and the clients, stops the relays and shows every output.
finish() { # "clients..." "relays..."
    local side pid status
    for side in server $1; do
        [ $side = server ] && pid=$SERVER || eval "pid=\$${side}_PID"
        wait $pid
        status=$?
        [ $status -eq 0 ] || { echo "$side exited with $status"; fail=1; }
    done
    for side in $2; do eval "kill -TERM \$${side}_PID; wait \$${side}_PID"; done
    for side in server $1 $2; do echo "== $side"; cat "$WORK/$side.out" "$WORK/$side.err" 2>/dev/null; done
}

check_hashes() { # sides -> HASH, the server's: each side printed it once
    local f n
    HASH=$(grep '^hash ' "$WORK/server.out")
    [ -n "$HASH" ] || { echo "the server printed no hash"; fail=1; }
    for f in server "$@"; do
        n=$(grep -c '^hash ' "$WORK/$f.out")
        [ "$n" -eq 1 ] || { echo "$f printed $n hashes"; fail=1; }
        [ "$(grep '^hash ' "$WORK/$f.out")" = "$HASH" ] || { echo "$f's hash differs from the server's"; fail=1; }
    done
}
