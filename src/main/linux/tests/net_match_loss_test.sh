#!/usr/bin/env bash
# Four clients through four relays that each lose 40% of the datagrams each way
# and hold the rest 40 ms: the match holds for every client (each exits 0
# with the server's hash), however the losses fall.
#   net_match_loss_test.sh NET_MATCH UDP_RELAY TEST_DISPLAY
set -u
MATCH=$1
RELAY=$2
DISPLAY_RUN=$3
source "$(dirname "$0")/net_match_steps.sh"

SEEDS="3 8 13 18"
start_server 4 25
for seed in $SEEDS; do
    start_relay relay$seed --seed $seed --drop 0.4 --delay-min 0.040 --delay-max 0.040
    eval "start_client client$seed \$relay${seed}_PORT"
done
finish "$(printf 'client%s ' $SEEDS)" "$(printf 'relay%s ' $SEEDS)"
check_hashes $(printf 'client%s ' $SEEDS)
exit $fail
