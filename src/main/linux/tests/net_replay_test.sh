#!/usr/bin/env bash
# A hostile sender on the same machine replays recorded datagrams from other
# ports. A net-match server (two slots) and two clients, each client through
# its own udp-relay; once both have joined, the first relay replays what it
# forwarded to the server (the first client's datagrams, its connect request
# among them) at the server, the second what it forwarded to the second client
# at that client, at up to 2,000 a second for 10 s from eight other ports, every
# other one forged instead (a disconnect, an empty piece far ahead), as many
# as it kept at least; the first also sends the server connect requests from
# fresh ports of another address all along.
# Nobody may be cut off, every side prints the same hash, no data goes to a
# replaying port, the only peers the server drops are the phantoms of
# connect requests, for never using their identifier, and its memory stays flat.
#   net_replay_test.sh NET_MATCH UDP_RELAY TEST_DISPLAY
set -u
MATCH=$1
RELAY=$2
DISPLAY_RUN=$3
RATE=2000
SECONDS_REPLAYED=10
FLOOD_RATE=200
GROWTH_KB=4096
source "$(dirname "$0")/net_match_steps.sh"

start_server 2 24
# The server's resident memory, sampled while it runs.
MATCH_PID=$(pgrep -P $SERVER -x "$(basename "$MATCH")" || echo $SERVER)
while kill -0 $MATCH_PID 2>/dev/null; do
    awk '/^VmRSS/ { print $2 }' /proc/$MATCH_PID/status 2>/dev/null >>"$WORK/rss"
    sleep 0.2
done &
PIDS="$PIDS $!"
REPLAY="--replay-rate $RATE --replay-seconds $SECONDS_REPLAYED --forge 1"
start_relay relay1 --replay-toward target $REPLAY --flood-rate $FLOOD_RATE --flood-from 127.0.0.2
start_relay relay2 --replay-toward client $REPLAY
start_client client1 $relay1_PORT
start_client client2 $relay2_PORT
for c in client1 client2; do
    wait_for "$WORK/$c.out" "^connected after" >/dev/null || { echo "$c did not join"; fail=1; }
done
joinedAt=$(wc -l <"$WORK/rss")
kill -USR1 $relay1_PID $relay2_PID
finish "client1 client2" "relay1 relay2"
check_hashes client1 client2
for f in client1 client2; do
    grep -q "Disconnected" "$WORK/$f.out" && { echo "$f was cut off"; fail=1; }
done
for r in relay1 relay2; do
    line=$(grep '^replay ' "$WORK/$r.out")
    field() { echo "$line" | grep -o "$1=[0-9]*" | cut -d= -f2; }
    sent=$(field sent) forged=$(field forged) kept=$(field kept)
    [ "${kept:-0}" -gt 0 ] && [ $((${sent:-0} - ${forged:-0})) -ge "$kept" ] && [ "${forged:-0}" -gt 0 ] ||
        { echo "$r kept nothing or replayed less than it kept: $line"; fail=1; }
    [ "$(field data)" -eq 0 ] || { echo "$r's replaying ports were sent data: $line"; fail=1; }
done
joined=$(sed -n "${joinedAt}p" "$WORK/rss")
peak=$(tail -n +"$joinedAt" "$WORK/rss" | sort -n | tail -1)
echo "server resident memory: $joined kB when both had joined, at most $peak kB after"
[ -n "$joined" ] && [ $((peak - joined)) -le $GROWTH_KB ] || { echo "the server's memory grew"; fail=1; }
[ -s "$WORK/server.log" ] || { echo "the server kept no log"; fail=1; }
if grep ': dropped ' "$WORK/server.log" | grep -v 'no data with its identifier' | grep -q .; then
    echo "the server dropped a real client"; fail=1
fi
exit $fail
