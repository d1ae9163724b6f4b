#!/usr/bin/env bash
# A hostile sender on the same machine replays recorded datagrams from other
# ports. A net-match server (three slots) and two clients, each client through
# its own udp-relay; once both have joined, the first relay replays what it
# forwarded to the server (the first client's datagrams, its connect request
# among them) at the server, the second what it forwarded to the second client
# at that client, each 2,000 a second for 10 s from eight other ports.
# Nobody may be cut off, every side prints the same hash, no data goes to a
# replaying port, and the only peers the server drops are the phantoms of
# replayed connect requests, for never using their identifier.
#   net_replay_test.sh NET_MATCH UDP_RELAY TEST_DISPLAY
set -u
MATCH=$1
RELAY=$2
DISPLAY_RUN=$3
WORK=$(mktemp -d)
PIDS=""
trap 'for p in $PIDS; do kill $p 2>/dev/null; done; rm -rf "$WORK"' EXIT
RATE=2000
SECONDS_REPLAYED=10

wait_for() { # file pattern -> the line's last field
    for _ in $(seq 1200); do # up to 60 s on a loaded machine
        line=$(grep -m1 "$2" "$1" 2>/dev/null) && { echo "${line##* }"; return 0; }
        sleep 0.05
    done
    return 1
}

"$DISPLAY_RUN" "$MATCH" --server 127.0.0.1:0 --clients 3 --seconds 24 >"$WORK/server.out" 2>"$WORK/server.err" &
PIDS="$!"
SERVER=$!
PORT=$(wait_for "$WORK/server.out" "^listening on port") || { echo "server did not start"; cat "$WORK/server.err"; exit 1; }
relay() { # name toward
    "$RELAY" --listen 0 --to 127.0.0.1:$PORT --replay-toward $2 --replay-rate $RATE \
        --replay-seconds $SECONDS_REPLAYED >"$WORK/$1.out" 2>&1 &
    PIDS="$PIDS $!"
    eval "${1}_PID=$!"
}
relay relay1 target
relay relay2 client
R1=$(wait_for "$WORK/relay1.out" "^relay on port") || { echo "relay did not start"; exit 1; }
R2=$(wait_for "$WORK/relay2.out" "^relay on port") || { echo "relay did not start"; exit 1; }
"$DISPLAY_RUN" "$MATCH" --client 127.0.0.1:$R1 >"$WORK/client1.out" 2>"$WORK/client1.err" &
CLIENT1=$!
"$DISPLAY_RUN" "$MATCH" --client 127.0.0.1:$R2 >"$WORK/client2.out" 2>"$WORK/client2.err" &
CLIENT2=$!
PIDS="$PIDS $CLIENT1 $CLIENT2"
fail=0
for c in client1 client2; do
    wait_for "$WORK/$c.out" "^connected after" >/dev/null || { echo "$c did not join"; fail=1; }
done
kill -USR1 $relay1_PID $relay2_PID

for side in server:$SERVER client1:$CLIENT1 client2:$CLIENT2; do
    wait ${side#*:}
    status=$?
    [ $status -eq 0 ] || { echo "${side%%:*} exited with $status"; fail=1; }
done
kill -TERM $relay1_PID $relay2_PID
wait $relay1_PID $relay2_PID
for f in server client1 client2 relay1 relay2; do echo "== $f"; cat "$WORK/$f.out" "$WORK/$f.err" 2>/dev/null; done

HASH=$(grep '^hash ' "$WORK/server.out")
[ -n "$HASH" ] || { echo "the server printed no hash"; fail=1; }
for f in server client1 client2; do
    n=$(grep -c '^hash ' "$WORK/$f.out")
    [ "$n" -eq 1 ] || { echo "$f printed $n hashes"; fail=1; }
    [ "$(grep '^hash ' "$WORK/$f.out")" = "$HASH" ] || { echo "$f's hash differs from the server's"; fail=1; }
    grep -q "Disconnected" "$WORK/$f.out" && { echo "$f was cut off"; fail=1; }
done
for r in relay1 relay2; do
    line=$(grep '^replay ' "$WORK/$r.out")
    field() { echo "$line" | grep -o "$1=[0-9]*" | cut -d= -f2; }
    [ "$(field sent)" -ge $((RATE * SECONDS_REPLAYED * 95 / 100)) ] || { echo "$r replayed too little: $line"; fail=1; }
    [ "$(field data)" -eq 0 ] || { echo "$r's replaying ports were sent data: $line"; fail=1; }
done
if grep ': dropped ' "$WORK/server.err" | grep -v 'no data with its identifier' | grep -q .; then
    echo "the server dropped a real client"; fail=1
fi
exit $fail
