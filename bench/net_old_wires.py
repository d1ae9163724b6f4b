#!/usr/bin/env python3
"""How soon a peer of an earlier wire is told, both ways.

    bench/net_old_wires.py --old DIR [--old DIR ...] [--build DIR] [--program net-match|net-peer]
        [--runs 9] [--cores 0-5]

For each earlier build (a build folder of an earlier main, with its net-match
and net-peer) and each direction: a server of one build, then a client of the
other, each on cores CORES (and net-match's on an X server of its own), RUNS
times. Prints the time from the client's start to its refusal line ("Server
must be at least version ..." or "You need at least version ..."), also from
its X server's start, as under xvfb-run; their median and range, and the lines
seen. Every run ends within 30 s; nothing is sent beyond 127.0.0.1.
"""
import argparse
import os
import re
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import net_flood_matches  # noqa: E402  (its Run: X servers, processes, clean-up)

LINE = r"(Server must be at least version|You need at least version)[^\n]*"
PATIENCE = 30.0


def one(args, server_build, client_build):
    """(seconds from the client's start, seconds from its X server's start), line; or None, what it said."""
    run = net_flood_matches.Run(args, "wire", 0)
    try:
        server = os.path.join(server_build, args.program)
        own = ["--server", "127.0.0.1:0", "--clients", "4", "--seconds", "60"] if args.program == "net-match" else ["--server", "0"]
        run.start("server", ["taskset", "-c", args.cores, server] + own)
        found = run.wait_for("server", r"^listening on port (\d+)", PATIENCE)
        if not found:
            return None, "the server did not start: " + run.output("server")[-200:]
        x_began = time.monotonic()
        display = run.xserver()
        began = time.monotonic()
        out = open(os.path.join(run.work, "client.out"), "w")
        err_path = os.path.join(run.work, "client.err")
        run.procs.append(("client", subprocess.Popen(
            ["taskset", "-c", args.cores, os.path.join(client_build, args.program), "--client", "127.0.0.1:%s" % found.group(1)],
            stdout=out, stderr=open(err_path, "w"), env=run.environment(display), cwd=run.work)))
        said = ""
        while time.monotonic() < began + PATIENCE:
            with open(err_path) as err:
                said = run.output("client") + err.read()
            line = re.search(LINE, said)
            if line:
                now = time.monotonic()
                return (now - began, now - x_began), line.group(0)
            time.sleep(0.002)
        return None, said[-300:]
    finally:
        run.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument("--build", default=os.path.join(here, "build"))
    parser.add_argument("--old", action="append", required=True)
    parser.add_argument("--program", choices=("net-match", "net-peer"), default="net-match")
    parser.add_argument("--runs", type=int, default=9)
    parser.add_argument("--cores", default="0-5")
    args = parser.parse_args()
    for old in args.old:
        for label, server, client in (("old server " + old, old, args.build), ("old client " + old, args.build, old)):
            times, from_x, lines = [], [], set()
            for i in range(args.runs):
                took, line = one(args, server, client)
                if took is None:
                    print("%s, %s, run %d: no line: %s" % (args.program, label, i + 1, line), flush=True)
                    continue
                times.append(took[0])
                from_x.append(took[1])
                lines.add(line)
            if not times:
                continue
            print("%s, %s: %d of %d; median %.3f s, %.3f-%.3f s; from its X server's start %.3f-%.3f s; %s" % (
                args.program, label, len(times), args.runs, statistics.median(times), min(times), max(times),
                min(from_x), max(from_x), " | ".join(sorted(lines))), flush=True)


if __name__ == "__main__":
    main()
