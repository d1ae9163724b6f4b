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
source "$(dirname "$0")/net_match_steps.sh"

start_server 2 20
LOSS="--drop 0.05 --duplicate 0.02 --reorder 0.05 --delay-min 0 --delay-max 0.010 --corrupt 0.01"
start_relay relay1 --seed 21 $LOSS
start_relay relay2 --seed 22 $LOSS
start_client client1 $relay1_PORT --record "$WORK/client1.rec"
sleep 5
start_client client2 $relay2_PORT
finish "client1 client2" "relay1 relay2"
check_hashes client1 client2
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
    "$DISPLAY_RUN" "$MATCH" --play "$WORK/$copy.rec" --log "$WORK/$copy.log" >"$WORK/$copy.out" 2>"$WORK/$copy.err"
    status=$?
    echo "== play $copy"; cat "$WORK/$copy.out" "$WORK/$copy.err"
    [ $status -eq 0 ] || { echo "playback of the $copy copy exited with $status"; fail=1; }
    [ "$(tail -n1 "$WORK/$copy.out")" = "Playback finished." ] || { echo "the $copy copy did not finish"; fail=1; }
    grep -q "Playback of .*$copy.rec ends at byte" "$WORK/$copy.log" || { echo "no log line for the $copy copy"; fail=1; }
done
grep -q '^hash ' "$WORK/cut.out" && { echo "the cut copy reached the end call"; fail=1; }
exit $fail
