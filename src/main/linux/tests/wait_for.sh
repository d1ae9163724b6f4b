# Sourced by the network test scripts.
wait_for() { # file pattern -> the line's last field
    for _ in $(seq 1200); do # up to 60 s on a loaded machine
        line=$(grep -m1 "$2" "$1" 2>/dev/null) && { echo "${line##* }"; return 0; }
        sleep 0.05
    done
    return 1
}
