#!/usr/bin/env bash
# SIGTERM and SIGINT end each network tool in order, mid-match or joining: its end line,
# status 0; a stopped client's recording plays whole, a stopped server's other client is told.
# A net-match still starting (held at a stopped X server) ends at once, its folders gone.
# A second signal while a tool stops ends it at once. A client nobody answers says so; one
# accepted but never taken (net-match and net-peer) says that, never that it is connected
# or disconnected, and gives up so in its own words, the engine's log kept out of them.
MATCH=$1 RELAY=$2 PEER=$3 FLOOD=$4 W=$(mktemp -d) fail=0
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$W"' EXIT
source "$(dirname "$0")/wait_for.sh"
run() { "${@:2}" >"$W/$1.out" 2>"$W/$1.err" & eval "$1=$!"; }
stop() { # name signal (0: none) end-line [status [stream]]; 30 s at most
    kill -$2 ${!1} 2>/dev/null
    for _ in $(seq 600); do kill -0 ${!1} 2>/dev/null && sleep 0.05; done
    kill -9 ${!1} 2>/dev/null && echo "$1 still ran 30 s after SIG$2"
    wait ${!1}
    [ $? = "${4:-0}" ] && grep -q "$3" "$W/$1.${5:-out}" || { echo "$1, SIG$2: no orderly end"; cat "$W/$1".*; fail=1; }
}
Xvfb -displayfd 3 -nolisten tcp -noreset 3>"$W/display" 2>/dev/null &
xvfb=$!
wait_for "$W/display" . >/dev/null && kill -STOP $xvfb && mkdir "$W/tmp"
DISPLAY=:$(<"$W/display") TMPDIR=$W/tmp run held "$MATCH" --server 127.0.0.1:0
# Signalled once it runs with SIGTERM (bit 14 of SigCgt) caught, as it does before it starts.
for _ in $(seq 2400); do
    [ /proc/$held/exe -ef "$MATCH" ] && ((0x$(awk '/^SigCgt/{print $2}' /proc/$held/status) >> 14 & 1)) && break
    sleep 0.05
done
stop held TERM "^User requested exit"
grep "^listening" "$W/held.out" || ls -A "$W/tmp" | grep . && { echo "held: reached the match or left a folder"; fail=1; }
kill -CONT $xvfb
kill $xvfb
run server "$MATCH" --server 127.0.0.1:0 --clients 3 --seconds 600
PORT=$(wait_for "$W/server.out" "^listening on port") || exit 1
run relay "$RELAY" --listen 0 --to 127.0.0.1:$PORT --drop 1
RPORT=$(wait_for "$W/relay.out" "^relay on port") || exit 1
run withheld "$RELAY" --listen 0 --to 127.0.0.1:$PORT --drop-first-answers 8 --drop-confirms 1000000000
WPORT=$(wait_for "$W/withheld.out" "^relay on port") || exit 1
run flood "$FLOOD" --to 127.0.0.1:$RPORT --rate 100 --seconds 600 --via sockets
run peer "$PEER" --client 127.0.0.1:$RPORT --timeout 600 --tick-ms 60000
run joining "$MATCH" --client 127.0.0.1:$RPORT
run untaken "$MATCH" --client 127.0.0.1:$WPORT
run untakenpeer "$PEER" --client 127.0.0.1:$WPORT --timeout 600
run told "$MATCH" --client 127.0.0.1:$PORT --log "$W/told.log"
run recorder "$MATCH" --client 127.0.0.1:$PORT --record "$W/rec"
for c in told recorder; do wait_for "$W/$c.out" "^connected after" >/dev/null || exit 1; done
sleep 3
wait_for "$W/joining.err" "^net-match: no answer yet from 127.0.0.1:$RPORT after 5 s; still trying$" >/dev/null ||
    { echo "joining: no line while it waits"; fail=1; }
# Their accepts come after about 2 s (later while the other's prompts spend their address's answers),
# and they give up 5 s after that, in words of their own last.
stop untaken 0 "^net-match: accepted by 127.0.0.1:$WPORT but not taken yet after [0-9]* s; still confirming$" 4 err
stop untakenpeer 0 "^accepted 127.0.0.1:$WPORT (ServerPlayer) after [0-9]* requests$" 4
for t in untaken:net-match untakenpeer:net-peer; do
    tail -n1 "$W/${t%:*}.err" | grep -qx "${t#*:}: accepted by 127.0.0.1:$WPORT but never taken; gave up after [0-9]* s" &&
        ! grep -q "onnected\|NetHost" "$W/${t%:*}".* || { echo "${t%:*}: connected or not in its words"; cat "$W/${t%:*}".*; fail=1; }
done
stop recorder TERM "^User requested exit"
stop joining TERM "^User requested exit"
stop server INT "^User requested exit"
stop told 0 "^Disconnected from server" 1
[ -s "$W/told.log" ] && ! grep ': dropped ' "$W/told.log" || { echo "the other client was not told, or kept no log"; fail=1; }
run player "$MATCH" --play "$W/rec" --window
sleep 1
stop player TERM "^User requested exit"
"$MATCH" --play "$W/rec" | tail -n1 | grep -q "^Playback finished" || { echo "the recording is cut"; fail=1; }
# Its stop held up writing its end line into a full pipe: SIGINT after SIGTERM ends it by the signal.
mkfifo "$W/pipe" && exec 5<>"$W/pipe"
"$FLOOD" --to 127.0.0.1:$RPORT --rate 10 --seconds 600 >"$W/pipe" &
stuck=$!
read -t 120 -u 5 && dd if=/dev/zero of="$W/pipe" bs=4k count=64 oflag=nonblock 2>/dev/null
kill -TERM $stuck
for _ in $(seq 600); do ((0x$(awk '/^SigCgt/{print $2}' /proc/$stuck/status) >> 14 & 1)) || break; sleep 0.05; done
kill -INT $stuck
for _ in $(seq 600); do kill -0 $stuck 2>/dev/null && sleep 0.05; done
kill -9 $stuck 2>/dev/null
wait $stuck
[ $? = 130 ] || { echo "SIGINT after SIGTERM did not end the stopping tool at once"; fail=1; }
stop relay TERM "^relay forwarded"
stop withheld TERM "^relay forwarded"
stop flood INT "^flood sent"
stop peer INT "^done sent=0"
exit $fail
