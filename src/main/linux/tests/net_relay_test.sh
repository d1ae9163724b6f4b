#!/usr/bin/env bash
# Two net-peer processes, a server and a client, talk through udp-relay, which
# drops, duplicates, reorders, delays and corrupts their datagrams. Every packet
# must arrive once, in order and byte-exact, both ways, and the relay must have
# done every kind of damage. A busy machine makes the peers slow, not gone: they
# give each other 30 s (the game 5 s) and say why they gave up, if they do.
#   net_relay_test.sh NET_PEER UDP_RELAY
set -u
PEER=$1
RELAY=$2
WORK=$(mktemp -d)
SERVER= RELAYPID=
trap 'kill $SERVER $RELAYPID 2>/dev/null; rm -rf "$WORK"' EXIT
FIXED=0,1,511,512,513,1000,1024,65536

source "$(dirname "$0")/wait_for.sh"

# A value the relay cannot take whole is a usage error, not a zero or a prefix.
for bad in "--drop 0.1x" "--drop 1.5" "--listen 70000" "--seed -1" "--keep-order yes" \
    "--delay-min 0.02 --delay-max 0.01" "--replay-toward target --replay-ports 0" "--duration"; do
    "$RELAY" --listen 0 --to 127.0.0.1:9 --duration 0.1 $bad >/dev/null 2>&1
    status=$?
    [ $status -eq 2 ] || { echo "udp-relay $bad: status $status, not a usage error"; exit 1; }
done

"$PEER" --server 0 --send $FIXED --random 200 --seed 11 --timeout 90 --link-timeout 30 >"$WORK/server.out" 2>"$WORK/server.err" &
SERVER=$!
PORT=$(wait_for "$WORK/server.out" "^listening on port") || { echo "server did not start"; exit 1; }
"$RELAY" --listen 0 --to 127.0.0.1:$PORT --seed 5 --drop 0.10 --duplicate 0.05 --reorder 0.05 \
    --delay-min 0 --delay-max 0.020 --corrupt 0.01 >"$WORK/relay.out" 2>&1 &
RELAYPID=$!
RPORT=$(wait_for "$WORK/relay.out" "^relay on port") || { echo "relay did not start"; exit 1; }

"$PEER" --client 127.0.0.1:$RPORT --send $FIXED --random 200 --seed 12 --timeout 90 --link-timeout 30 \
    >"$WORK/client.out" 2>"$WORK/client.err"
CLIENT_STATUS=$?
wait $SERVER
SERVER_STATUS=$?
kill -TERM $RELAYPID
wait $RELAYPID
cat "$WORK/relay.out" "$WORK/server.err" "$WORK/client.err"
grep -h '^connected\|^disconnected\|^stats\|^done' "$WORK/server.out" "$WORK/client.out"

fail=0
[ $SERVER_STATUS -eq 0 ] || { echo "server exited with $SERVER_STATUS"; fail=1; }
[ $CLIENT_STATUS -eq 0 ] || { echo "client exited with $CLIENT_STATUS"; fail=1; }
for pair in "server client" "client server"; do
    set -- $pair
    sent=$(grep -c '^sent' "$WORK/$1.out")
    [ "$sent" -eq 208 ] || { echo "$1 sent $sent packets"; fail=1; }
    if ! diff <(grep '^sent' "$WORK/$1.out" | sed 's/^sent/recv/') <(grep '^recv' "$WORK/$2.out") >/dev/null; then
        echo "what $2 received differs from what $1 sent"; fail=1
    fi
done
for kind in dropped duplicated reordered delayed corrupted; do
    n=$(grep -o "$kind=[0-9]*" "$WORK/relay.out" | cut -d= -f2)
    [ "${n:-0}" -gt 0 ] || { echo "the relay never $kind a datagram"; fail=1; }
done
exit $fail
