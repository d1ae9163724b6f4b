#!/usr/bin/env bash
# A net-match server and two clients, each on its own X server, the clients
# talking to the server through udp-relay (dropped, duplicated, reordered and
# corrupted datagrams), the second client 5 s after the first; 20 s of match.
# Every side must print the same world hash once. The first client records:
# its file replays to the same hash and ends with "Playback finished.", and a
# cut copy and one with a damaged header end cleanly too.
#   net_match_test.sh NET_MATCH UDP_RELAY TEST_DISPLAY
set -u
MATCH=$1
RELAY=$2
DISPLAY_RUN=$3
WORK=$(mktemp -d)
PIDS=""
trap 'for p in $PIDS; do kill $p 2>/dev/null; done; rm -rf "$WORK"' EXIT

wait_for() { # file pattern -> the line's last field
    for _ in $(seq 1200); do # up to 60 s on a loaded machine
        line=$(grep -m1 "$2" "$1" 2>/dev/null) && { echo "${line##* }"; return 0; }
        sleep 0.05
    done
    return 1
}

"$DISPLAY_RUN" "$MATCH" --server 127.0.0.1:0 --clients 2 --seconds 20 >"$WORK/server.out" 2>"$WORK/server.err" &
SERVER=$!
PIDS="$SERVER"
PORT=$(wait_for "$WORK/server.out" "^listening on port") || { echo "server did not start"; cat "$WORK/server.err"; exit 1; }
relay() { # name seed
    "$RELAY" --listen 0 --to 127.0.0.1:$PORT --seed $2 --drop 0.05 --duplicate 0.02 --reorder 0.05 \
        --delay-min 0 --delay-max 0.010 --corrupt 0.01 >"$WORK/$1.out" 2>&1 &
    PIDS="$PIDS $!"
    eval "${1}_PID=$!"
}
relay relay1 21
relay relay2 22
R1=$(wait_for "$WORK/relay1.out" "^relay on port") || { echo "relay did not start"; exit 1; }
R2=$(wait_for "$WORK/relay2.out" "^relay on port") || { echo "relay did not start"; exit 1; }

"$DISPLAY_RUN" "$MATCH" --client 127.0.0.1:$R1 --record "$WORK/client1.rec" >"$WORK/client1.out" 2>"$WORK/client1.err" &
CLIENT1=$!
PIDS="$PIDS $CLIENT1"
sleep 5
"$DISPLAY_RUN" "$MATCH" --client 127.0.0.1:$R2 >"$WORK/client2.out" 2>"$WORK/client2.err" &
CLIENT2=$!
PIDS="$PIDS $CLIENT2"

fail=0
for side in server:$SERVER client1:$CLIENT1 client2:$CLIENT2; do
    wait ${side#*:}
    status=$?
    [ $status -eq 0 ] || { echo "${side%%:*} exited with $status"; fail=1; }
done
kill -TERM $relay1_PID $relay2_PID
wait $relay1_PID $relay2_PID
for f in server client1 client2; do echo "== $f"; cat "$WORK/$f.out" "$WORK/$f.err"; done
cat "$WORK/relay1.out" "$WORK/relay2.out"

HASH=$(grep '^hash ' "$WORK/server.out")
[ -n "$HASH" ] || { echo "the server printed no hash"; fail=1; }
for f in server client1 client2; do
    n=$(grep -c '^hash ' "$WORK/$f.out")
    [ "$n" -eq 1 ] || { echo "$f printed $n hashes"; fail=1; }
    [ "$(grep '^hash ' "$WORK/$f.out")" = "$HASH" ] || { echo "$f's hash differs from the server's"; fail=1; }
done
for kind in dropped duplicated reordered corrupted; do
    n=$(cat "$WORK/relay1.out" "$WORK/relay2.out" | grep -o "$kind=[0-9]*" | cut -d= -f2 | awk '{s += $1} END {print s + 0}')
    [ "${n:-0}" -gt 0 ] || { echo "the relays never $kind a datagram"; fail=1; }
done

# The first client's recording replays the match.
REC="$WORK/client1.rec"
"$DISPLAY_RUN" "$MATCH" --play "$REC" >"$WORK/play.out" 2>"$WORK/play.err"
status=$?
echo "== play"; cat "$WORK/play.out" "$WORK/play.err"
[ $status -eq 0 ] || { echo "playback exited with $status"; fail=1; }
[ "$(grep '^hash ' "$WORK/play.out")" = "$HASH" ] || { echo "the playback's hash differs"; fail=1; }
[ "$(tail -n1 "$WORK/play.out")" = "Playback finished." ] || { echo "the playback did not finish"; fail=1; }

# A copy cut inside a record and one with a damaged name end cleanly.
SIZE=$(stat -c %s "$REC")
head -c $((SIZE / 2 + 7)) "$REC" >"$WORK/cut.rec"
cp "$REC" "$WORK/flipped.rec"
printf '\x01' | dd of="$WORK/flipped.rec" bs=1 seek=4 conv=notrunc 2>/dev/null
for copy in cut flipped; do
    "$DISPLAY_RUN" "$MATCH" --play "$WORK/$copy.rec" >"$WORK/$copy.out" 2>"$WORK/$copy.err"
    status=$?
    echo "== play $copy"; cat "$WORK/$copy.out" "$WORK/$copy.err"
    [ $status -eq 0 ] || { echo "playback of the $copy copy exited with $status"; fail=1; }
    [ "$(tail -n1 "$WORK/$copy.out")" = "Playback finished." ] || { echo "the $copy copy did not finish"; fail=1; }
    grep -q "Playback of .*$copy.rec ends at byte" "$WORK/$copy.err" || { echo "no log line for the $copy copy"; fail=1; }
done
grep -q '^hash ' "$WORK/cut.out" && { echo "the cut copy reached the end call"; fail=1; }
exit $fail
