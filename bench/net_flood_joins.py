#!/usr/bin/env python3
"""First-time joins to a flooded server held to a fraction of a core.

    bench/net_flood_joins.py [--build DIR] [--server-build DIR] [--mixes none,fresh,fixed:1,...]
        [--rate 50000] [--quota 0.25] [--clients 20] [--spacing 0.5] [--from ADDRESS] [--interval S]
        [--head-start 1] [--runs 1] [--server-cores 4,5] [--flood-cores 3,5] [--match-clients N]

For each mix of floods: a net-match server (in a CPU cgroup of its own, held
to QUOTA of one core), one udp-flood per flood of the mix, each on a core of
its own, and --head-start seconds later `net_flood_bench dial`: CLIENTS honest
clients, one every SPACING s, each from its own address (or all from FROM's),
asking every INTERVAL s (the game's own unless given) until the server takes
them; then, with --match-clients, N net-match clients one after another (each
printing "connected after S s"). A flood sends RATE forged connect requests a
second: "fresh" (a fresh address and port each), "fixed:N" (N fixed addresses,
127.1.0.1 and up, in turn) or "ports" (fresh ports of 127.0.0.2); "own:R"
sends R a second from fresh ports of the players' own address (127.0.0.3), and
then the clients join from it one after another; "none" is no flood. The mixes
default to the table of the README. While the clients join, what the server
sends toward one flooding address (127.1.0.1, 127.0.0.2 or the players') is
counted on the loopback interface, and so is all it sends (its answers
to the floods, nearly all of it), and the share of the floods the kernel
dropped at its socket (the drops of /proc/net/udp over the datagrams sent).
Prints each run's joins (taken, median, longest, gave up), the datagrams and
bytes a second toward that address, the datagrams a second in all, the rate
each flood kept and the share dropped, then each mix's range over its runs.
--server-build takes the server from another build (the clients and floods
stay this build's). Needs root (raw
sockets, the packet socket, the cgroup); cgroup v1's cpu controller at
/sys/fs/cgroup/cpu.
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
# The first dialling client's address; with an "own" flood, every client's.
PLAYER = "127.0.0.3"
SERVER_SECONDS = 1500
FLOOD_SECONDS = 1200
SLOW_JOIN = 1.0
# A net-match client's own time-out, and its start.
MATCH_PATIENCE = 40.0
# Where the budget's limits lie: few addresses, many each under their own
# allowance, every repeating flood with fresh addresses beside it, and
# forgeries in the players' own address.
TABLE = ("none,fresh,fixed:1,fixed:10,fixed:100,fixed:250,fixed:1000,fixed:2000,fixed:5000,fixed:10000,"
         "fixed:70000,ports,fresh+fixed:1,fresh+fixed:10,fresh+fixed:100,fresh+fixed:250,fresh+fixed:500,"
         "fresh+fixed:750,fresh+fixed:1000,fresh+fixed:2000,fresh+fixed:5000,fresh+ports,own:100,own:1000,"
         "own:50000")


def ip_value(text):
    a, b, c, d = (int(x) for x in text.split("."))
    return a << 24 | b << 16 | c << 8 | d


def flood_command(build, port, rate, flood):
    """The udp-flood command of one flood and the address it floods from (None: fresh ones)."""
    kind, _, count = flood.partition(":")
    if kind == "own":
        rate = count
    command = [os.path.join(build, "udp-flood"), "--to", "127.0.0.1:%d" % port, "--rate", str(rate),
               "--seconds", str(FLOOD_SECONDS), "--kind", "connect"]
    if kind == "fixed":
        return command + ["--sources", count], FIXED_FIRST
    if kind == "ports":
        return command + ["--ports-of", PORTS_OF], PORTS_OF
    if kind == "own":
        return command + ["--ports-of", PLAYER], PLAYER
    if kind == "fresh":
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
        sends = matches.Watch(matches.LOOPBACK_IP, None, src_port=port)
        sends.start()
        queue = matches.QueueWatch(port)
        queue.start()
        time.sleep(args.head_start)
        start = time.monotonic()
        drops0 = queue.drops
        out = dial(args, port, "own:" in mix)
        end = time.monotonic()
        drops = queue.drops - drops0
        queue.stop()
        sends.stop()
        result = {"victim": victim, "log": out, "all": sends.rate(start, end)[0]}
        if watch:
            watch.stop()
            result["toward"] = watch.rate(start, end)
        summary = joins(out, args.clients)
        if not summary:
            result["error"] = out.strip()[-300:]
            return result
        result.update(summary)
        result["matches"] = [match_join(run, args, port, i) for i in range(args.match_clients)]
        result["sent"] = stop_floods(floods)
        flooded = sum(result["sent"]) * (end - start)
        result["dropped"] = drops / flooded if flooded else 0.0
        result["throttled"] = run.cpu_throttled().get("nr_throttled")
        return result
    finally:
        stop_floods(floods)
        run.close()


def dial(args, port, own):
    """net_flood_bench dial's lines. With a flood in the players' own address
    they join one after another, each the only honest client of it."""
    command = ["taskset", "-c", args.server_cores, os.path.join(args.build, "bench", "net_flood_bench"), "dial",
               "127.0.0.1:%d" % port, "--spacing", str(args.spacing)]
    if args.interval:
        command += ["--interval", str(args.interval)]
    if args.from_address or own:
        command += ["--from", PLAYER if own else args.from_address]

    def run(clients):
        return subprocess.run(command + ["--clients", str(clients)], stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, text=True).stdout

    if not own:
        return run(args.clients)
    return "".join(re.sub(r"^join 1:", "join %d:" % (i + 1), run(1), flags=re.M) for i in range(args.clients))


def joins(log, clients):
    """Taken, median and longest join (one not taken counts as its time to give
    up; one refused, which no mix of the README's met, is only counted), gave
    up and refused, from dial's lines; None unless all are there."""
    taken = [float(t) for t in re.findall(r"^join \d+: ([\d.]+) s,", log, re.M)]
    gave_up = [float(t) for t in re.findall(r"^join \d+: gave up after ([\d.]+) s", log, re.M)]
    refused = len(re.findall(r"^join \d+: refused", log, re.M))
    if len(taken) + len(gave_up) + refused != clients:
        return None
    times = sorted(taken + gave_up)
    return {"taken": len(taken), "clients": clients, "median": times[len(times) // 2] if times else 0.0,
            "longest": times[-1] if times else 0.0, "gave_up": len(gave_up), "refused": refused}


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


def spread(values, form):
    """The range of a mix's figures over its runs."""
    low, high = min(values), max(values)
    return form % low if low == high else (form + "-" + form) % (low, high)


def print_run(mix, index, r):
    datagrams, payload = r.get("toward", (0.0, 0.0))
    slow = re.findall(r"^join (\d+): ([\d.]+) s, (\d+) requests$", r["log"], re.M)
    slow = ["%s after %s s (%s requests)" % (n, t, k) for n, t, k in slow if float(t) > SLOW_JOIN]
    print("%-18s run %d: taken %d of %d; median %.3f s, longest %.3f s; gave up %d, refused %d; toward %s "
          "%.1f datagrams %.0f bytes a second; %.0f datagrams a second in all; floods kept %s a second, %.1f%% "
          "dropped at the server's socket; throttled %s; joins over %.0f s: %s"
          % (mix, index, r["taken"], r["clients"], r["median"], r["longest"], r["gave_up"], r["refused"],
             r["victim"] or "-", datagrams, payload, r["all"], ", ".join("%.0f" % x for x in r["sent"]) or "-",
             100 * r["dropped"],
             r["throttled"], SLOW_JOIN, ", ".join(slow) or "none"), flush=True)
    if r["matches"]:
        print("%-18s run %d: net-match clients joined after %s" % (mix, index, ", ".join(
            "%.2f s" % t if t is not None else "never" for t in r["matches"])), flush=True)


def print_table(rows):
    print("%-18s %5s %11s %13s %15s %8s %13s %22s %13s %11s" % (
        "floods", "runs", "taken", "median s", "longest s", "gave up", "net-match", "toward one address/s",
        "sent in all/s", "dropped %"))
    for mix in dict.fromkeys(m for m, _ in rows):
        runs = [r for m, r in rows if m == mix]
        matches = [t for r in runs for t in r["matches"]]
        joined = sum(t is not None for t in matches)
        toward = [r.get("toward", (0.0, 0.0)) for r in runs]
        print("%-18s %5d %11s %13s %15s %8d %13s %22s %13s %11s" % (
            mix, len(runs), spread([r["taken"] for r in runs], "%d") + "/%d" % runs[0]["clients"],
            spread([r["median"] for r in runs], "%.2f"), spread([r["longest"] for r in runs], "%.2f"),
            sum(r["gave_up"] for r in runs), "%d/%d" % (joined, len(matches)) if matches else "-",
            "%s dg %s B" % (spread([d for d, _ in toward], "%.0f"), spread([b for _, b in toward], "%.0f")),
            spread([r["all"] for r in runs], "%.0f"), spread([100 * r["dropped"] for r in runs], "%.1f")))


def main():
    parser = argparse.ArgumentParser()
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--build", default=os.path.join(here, "..", "build"))
    parser.add_argument("--server-build", default=None)
    parser.add_argument("--mixes", default=TABLE)
    parser.add_argument("--rate", type=int, default=50000)
    parser.add_argument("--quota", type=float, default=0.25)
    parser.add_argument("--clients", type=int, default=20)
    parser.add_argument("--spacing", type=float, default=0.5)
    parser.add_argument("--from", dest="from_address", default=None)
    parser.add_argument("--interval", type=float, default=None)
    parser.add_argument("--head-start", type=float, default=1.0)
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
            began = time.monotonic()
            r = run_mix(args, mix)
            if "error" in r:
                print("%-18s run %d: %s" % (mix, i + 1, r["error"]), flush=True)
                continue
            rows.append((mix, r))
            print_run(mix, i + 1, r)
            print("%-18s run %d: took %.0f s" % (mix, i + 1, time.monotonic() - began), flush=True)
    print_table(rows)


if __name__ == "__main__":
    main()
