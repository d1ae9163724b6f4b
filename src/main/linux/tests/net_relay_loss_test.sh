#!/usr/bin/env bash
# net-peer pairs at the replication role's 50 ms cadence through udp-relay.
# Heavy loss (20% dropped, with duplicates, reordering, damage and delay), three
# seeds at once, and 30% dropped with 40 ms of delay: every packet arrives and
# neither side drops the other while data still flows. A lost accept: a later
# connect request of the client (the same, sent again every 0.25 s) is answered,
# so it joins after two requests or more, and the server keeps one peer.
#   net_relay_loss_test.sh NET_PEER UDP_RELAY
set -u
PEER=$1
RELAY=$2
WORK=$(mktemp -d)
PIDS=""
trap 'for p in $PIDS; do kill $p 2>/dev/null; done; rm -rf "$WORK"' EXIT

source "$(dirname "$0")/wait_for.sh"

# run NAME SEED RELAY_ARGUMENTS...: a server, its relay and a client; the
# exit statuses go to NAME.status.
run() {
    local name=$1 seed=$2
    shift 2
    "$PEER" --server 0 --tick-ms 50 --random 6 --seed $((seed * 2)) --timeout 30 \
        >"$WORK/$name.server.out" 2>"$WORK/$name.server.err" &
    local server=$!
    local port relay relayPort
    port=$(wait_for "$WORK/$name.server.out" "^listening on port") || { echo "$name: no server"; return; }
    "$RELAY" --listen 0 --to 127.0.0.1:$port --seed $seed "$@" >"$WORK/$name.relay.out" 2>&1 &
    relay=$!
    relayPort=$(wait_for "$WORK/$name.relay.out" "^relay on port") || { echo "$name: no relay"; return; }
    "$PEER" --client 127.0.0.1:$relayPort --tick-ms 50 --random 6 --seed $((seed * 2 + 1)) --timeout 30 \
        >"$WORK/$name.client.out" 2>"$WORK/$name.client.err"
    local clientStatus=$?
    wait $server
    echo "$clientStatus $?" >"$WORK/$name.status"
    kill -TERM $relay
    wait $relay
}

LOSS="--drop 0.20 --duplicate 0.02 --reorder 0.05 --corrupt 0.05 --delay-min 0 --delay-max 0.020"
for seed in 1 2 6; do
    run loss$seed $seed $LOSS &
    PIDS="$PIDS $!"
done
# 30% lost both ways, the rest 40 ms late: neither side may take the other for
# one that stopped acknowledging.
run heavy 3 --drop 0.30 --delay-min 0.040 --delay-max 0.040 &
PIDS="$PIDS $!"
run accept 1 --drop-first-answers 1 &
PIDS="$PIDS $!"
wait

fail=0
for name in loss1 loss2 loss6 heavy accept; do
    echo "== $name"
    cat "$WORK/$name.relay.out" "$WORK/$name.server.err" "$WORK/$name.client.err" 2>/dev/null
    grep -h '^connected\|^disconnected\|^stats\|^done' "$WORK/$name.server.out" "$WORK/$name.client.out"
    [ "$(cat "$WORK/$name.status" 2>/dev/null)" = "0 0" ] ||
        { echo "$name: exit statuses $(cat "$WORK/$name.status" 2>/dev/null) (client server)"; fail=1; }
    for pair in "server client" "client server"; do
        set -- $pair
        if ! diff <(grep '^sent' "$WORK/$name.$1.out" | sed 's/^sent/recv/') \
            <(grep '^recv' "$WORK/$name.$2.out") >/dev/null; then
            echo "$name: what the $2 received differs from what the $1 sent"; fail=1
        fi
    done
    n=$(grep -c '^connected' "$WORK/$name.server.out")
    [ "$n" -eq 1 ] || { echo "$name: the server accepted $n connections"; fail=1; }
done
requests=$(sed -n 's/^connected .* after \([0-9]*\) requests$/\1/p' "$WORK/accept.client.out")
[ "${requests:-0}" -ge 2 ] ||
    { echo "the client whose accept was lost joined after ${requests:-no} request(s), not a later one"; fail=1; }
exit $fail
