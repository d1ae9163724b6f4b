#!/usr/bin/env python3
"""First-time joins to a flooded server held to a fraction of a core.

    bench/net_flood_joins.py [--build DIR] [--server-build DIR] [--mixes fresh+fixed:1,...]
        [--rate 50000] [--quota 0.25] [--clients 20] [--interval S] [--runs 1]
        [--server-cores 4,5] [--flood-cores 3,5] [--match-clients N]

For each mix of floods: a net-match server (in a CPU cgroup of its own, held
to QUOTA of one core), one udp-flood of RATE forged connect requests a second
per flood of the mix, each on a core of its own, and a second later
`net_flood_bench dial`: CLIENTS honest clients, one every 0.5 s, each from its
own address, asking every INTERVAL s (the game's own unless given) until the
server takes them; then, with --match-clients, N net-match clients one after
another (each printing "connected after S s"). A flood is "fresh" (a fresh address and port each),
"fixed:N" (N fixed addresses, 127.1.0.1 and up) or "ports" (fresh ports of
127.0.0.2); "none" is no flood. While the clients join, what the server sends
toward one flooding address (127.1.0.1, or 127.0.0.2) is counted on the
loopback interface. Prints each mix's joins (taken, median, longest, gave up)
and the datagrams and bytes a second toward that address. --server-build
takes the server from another build (the clients and floods stay this
build's). Needs root (raw sockets, the packet socket, the cgroup); cgroup v1's
cpu controller at /sys/fs/cgroup/cpu.
"""
import argparse
import os
import re
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import net_flood_matches as matches  # noqa: E402

FIXED_FIRST = "127.1.0.1"
PORTS_OF = "127.0.0.2"
HEAD_START = 1.0
SERVER_SECONDS = 900
FLOOD_SECONDS = 600
SLOW_JOIN = 1.0
# A net-match client's own time-out, and its start.
MATCH_PATIENCE = 40.0


def ip_value(text):
    a, b, c, d = (int(x) for x in text.split("."))
    return a << 24 | b << 16 | c << 8 | d


def flood_command(build, port, rate, flood):
    command = [os.path.join(build, "udp-flood"), "--to", "127.0.0.1:%d" % port, "--rate", str(rate),
               "--seconds", str(FLOOD_SECONDS), "--kind", "connect"]
    if flood.startswith("fixed:"):
        return command + ["--sources", flood.split(":")[1]], FIXED_FIRST
    if flood == "ports":
        return command + ["--ports-of", PORTS_OF], PORTS_OF
    if flood == "fresh":
        return command, None
    sys.exit("unknown flood " + flood)


def run_mix(args, mix):
    run = matches.Run(args, mix, 0)
    floods = []
    try:
        run.make_cgroup()
        server_cores = ["taskset", "-c", args.server_cores]
        run.start("server", server_cores + [os.path.join(args.server_build, "net-match"), "--server", "127.0.0.1:0",
                                            "--clients", "64", "--seconds", str(SERVER_SECONDS)], run.cgroup)
        found = run.wait_for("server", r"^listening on port (\d+)", 30)
        if not found:
            return {"error": "server did not start"}
        port = int(found.group(1))
        victim = None
        cores = args.flood_cores.split(",")
        for i, flood in enumerate(f for f in mix.split("+") if f != "none"):
            command, target = flood_command(args.build, port, args.rate, flood)
            victim = target or victim
            floods.append(subprocess.Popen(["taskset", "-c", cores[i % len(cores)]] + command,
                                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True))
        watch = None
        if victim:
            watch = matches.Watch(matches.LOOPBACK_IP, ip_value(victim), src_port=port)
            watch.start()
        time.sleep(HEAD_START)
        start = time.monotonic()
        dial = [os.path.join(args.build, "bench", "net_flood_bench"), "dial", "127.0.0.1:%d" % port,
                "--clients", str(args.clients)]
        if args.interval:
            dial += ["--interval", str(args.interval)]
        out = subprocess.run(server_cores + dial, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True).stdout
        end = time.monotonic()
        result = {"victim": victim, "log": out}
        if watch:
            watch.stop()
            result["toward"] = watch.rate(start, end)
        summary = re.search(r"taken (\d+) of (\d+); median ([\d.]+) s, longest ([\d.]+) s; gave up (\d+), refused (\d+)",
                            out)
        if not summary:
            result["error"] = out.strip()[-300:]
            return result
        result["matches"] = [match_join(run, args, port, i) for i in range(args.match_clients)]
        result["sent"] = stop_floods(floods)
        result.update(taken=int(summary.group(1)), clients=int(summary.group(2)), median=float(summary.group(3)),
                      longest=float(summary.group(4)), gave_up=int(summary.group(5)), refused=int(summary.group(6)),
                      throttled=run.cpu_throttled().get("nr_throttled"))
        return result
    finally:
        stop_floods(floods)
        run.close()


def match_join(run, args, port, index):
    """How long a net-match client took to join (its own words), or None."""
    name = "match%d" % index
    client = run.start(name, ["taskset", "-c", args.server_cores, os.path.join(args.build, "net-match"), "--client",
                              "127.0.0.1:%d" % port])
    found = run.wait_for(name, r"^connected after ([\d.]+) s", MATCH_PATIENCE)
    client.terminate()
    client.wait()
    return float(found.group(1)) if found else None


def stop_floods(floods):
    """Ends the floods; the rate each one kept, a second."""
    rates = []
    for f in floods:
        if f.poll() is None:
            f.send_signal(signal.SIGTERM)
            sent = re.search(r"flood sent=(\d+) seconds=([\d.]+)", f.communicate()[0])
            rates.append(int(sent.group(1)) / float(sent.group(2)) if sent else 0.0)
    return rates


def main():
    parser = argparse.ArgumentParser()
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--build", default=os.path.join(here, "..", "build"))
    parser.add_argument("--server-build", default=None)
    parser.add_argument("--mixes", default="fresh+fixed:1,fresh+fixed:10,fresh+fixed:100,fresh+ports")
    parser.add_argument("--rate", type=int, default=50000)
    parser.add_argument("--quota", type=float, default=0.25)
    parser.add_argument("--clients", type=int, default=20)
    parser.add_argument("--interval", type=float, default=None)
    parser.add_argument("--runs", type=int, default=1)
    parser.add_argument("--server-cores", default="4,5")
    parser.add_argument("--flood-cores", default="3,5")
    parser.add_argument("--match-clients", type=int, default=0)
    args = parser.parse_args()
    args.server_build = args.server_build or args.build
    if os.geteuid() != 0 or not os.path.isdir(matches.CGROUP_ROOT):
        sys.exit("needs root and cgroup v1's cpu controller at " + matches.CGROUP_ROOT)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    print("server (%s) held to %.2f of a core on cores %s; each flood %d forged connects a second on cores %s; "
          "%d clients" % (args.server_build, args.quota, args.server_cores, args.rate, args.flood_cores, args.clients))
    rows = []
    for mix in args.mixes.split(","):
        for i in range(args.runs):
            r = run_mix(args, mix)
            if "error" in r:
                print("%-18s run %d: %s" % (mix, i + 1, r["error"]), flush=True)
                continue
            datagrams, payload = r.get("toward", (0.0, 0.0))
            rows.append((mix, r))
            slow = re.findall(r"^join (\d+): ([\d.]+) s, (\d+) requests$", r["log"], re.M)
            slow = ["%s after %s s (%s requests)" % (n, t, k) for n, t, k in slow if float(t) > SLOW_JOIN]
            print("%-18s run %d: taken %d of %d; median %.3f s, longest %.3f s; gave up %d, refused %d; toward %s "
                  "%.1f datagrams %.0f bytes a second; floods kept %s a second; throttled %s; joins over %.0f s: %s"
                  % (mix, i + 1, r["taken"], r["clients"], r["median"], r["longest"], r["gave_up"], r["refused"],
                     r["victim"] or "-", datagrams, payload, ", ".join("%.0f" % x for x in r["sent"]) or "-",
                     r["throttled"], SLOW_JOIN, ", ".join(slow) or "none"), flush=True)
            if r["matches"]:
                print("%-18s run %d: net-match clients joined after %s" % (mix, i + 1, ", ".join(
                    "%.2f s" % t if t is not None else "never" for t in r["matches"])), flush=True)
    print("%-18s %8s %9s %9s %8s %22s" % ("floods", "taken", "median", "longest", "gave up", "toward one address/s"))
    for mix, r in rows:
        datagrams, payload = r.get("toward", (0.0, 0.0))
        print("%-18s %5d/%-2d %8.3fs %8.3fs %8d %10.1f dg %7.0f B" % (mix, r["taken"], r["clients"], r["median"],
                                                                    r["longest"], r["gave_up"], datagrams, payload))


if __name__ == "__main__":
    main()
