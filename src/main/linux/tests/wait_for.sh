# Sourced by the network test scripts.
wait_for() { # file pattern -> the line's last field
    local line end=$((SECONDS + 120)) # the tests' one deadline, which a machine ten times slower meets
    until line=$(grep -m1 "$2" "$1" 2>/dev/null); do
        [ $SECONDS -lt $end ] || return 1
        sleep 0.05
    done
    echo "${line##* }"
}
