#!/usr/bin/env python3
"""What resends cost on long links and what holds through lossy ones.

    bench/net_link_matches.py [--build DIR] [--parts duel,stream,timer,loss] [--delays 0.005,0.075,0.15,0.25]
        [--runs 2] [--timer-delays 0.025,0.05,0.1,0.2] [--loss-delays 0.04,0.15] [--loss-runs 5] [--quota 0]

duel: a net-match server and one client through udp-relay, which holds every
datagram DELAY each way in order and loses none, for a 20 s match: the
datagrams the relay forwarded both ways (the handshake's too). stream: two
net-peer at the game's 50 ms service, each sending 400 packets at 20 a second
through such a relay: what each sent and resent. timer: a stream of 40 packets
from a client at 20 a second through a relay holding every datagram DELAY each
way, stopped (SIGSTOP) as the last goes: how often the oldest piece then
unacknowledged went again (the same datagram, watched on the loopback
interface) before the client gave up on the link, and when. loss: a server and
four clients, each through a relay that loses 40% of the datagrams each way
and holds the rest DELAY, for a 25 s match: the matches held (a client's hash
is the server's) and the longest acknowledgement wait each side printed (their
range); with --quota the server is held to that share of a core (cgroup v1's
cpu controller, as root). Every net-match gets an X server of its own. The
figures depend on the scheduling: pin the whole run (taskset) on an otherwise
quiet machine.
"""
import argparse
import os
import re
import signal
import statistics
import subprocess
import sys
import time

import net_flood_matches as flood

MATCH_SECONDS = 20
LOSS_MATCH_SECONDS = 25
LOSS_CLIENTS = 4
LOSS = 0.4
STREAM_PACKETS = 400
STREAM_RATE = 20
# The timer's stream, long enough to measure the round trip.
TIMER_PACKETS = 40
TIMER_RATE = 20
START_TIMEOUT = 30.0
END_TIMEOUT = 150.0


class LinkRun(flood.Run):
    def tool(self, name, command):
        """A program that needs no X server."""
        out = open(os.path.join(self.work, name + ".out"), "w")
        self.procs.append((name, subprocess.Popen(command, stdout=out, stderr=subprocess.STDOUT, cwd=self.work)))

    def port(self, name, pattern):
        found = self.wait_for(name, pattern, START_TIMEOUT)
        if not found:
            raise RuntimeError("%s did not start" % name)
        return int(found.group(1))

    def relay(self, name, to, arguments):
        self.tool(name, [os.path.join(self.args.build, "udp-relay"), "--listen", "0", "--to", "127.0.0.1:%d" % to]
                  + arguments)
        return self.port(name, r"^relay on port (\d+)")

    def status(self, name):
        try:
            return dict(self.procs)[name].wait(timeout=END_TIMEOUT)
        except subprocess.TimeoutExpired:
            return "timed out"

    def stop(self, name):
        """Stops a relay, which prints its counts."""
        p = dict(self.procs)[name]
        p.send_signal(signal.SIGTERM)
        p.wait(timeout=10)
        return self.output(name)

    def delayed(self, delay, extra=()):
        d = "%.3f" % delay
        return ["--seed", str(self.index + 1), "--delay-min", d, "--delay-max", d] + list(extra)

    def duel(self, delay):
        match = os.path.join(self.args.build, "net-match")
        self.start("server", [match, "--server", "127.0.0.1:0", "--clients", "1", "--seconds", str(MATCH_SECONDS)])
        relayed = self.relay("relay", self.port("server", r"^listening on port (\d+)"),
                             self.delayed(delay, ["--keep-order", "1"]))
        self.start("client", [match, "--client", "127.0.0.1:%d" % relayed])
        statuses = [self.status("client"), self.status("server")]
        forwarded = int(re.search(r"forwarded=(\d+)", self.stop("relay")).group(1))
        return {"datagrams": forwarded, "held": statuses == [0, 0]}

    def stream(self, delay):
        peer = os.path.join(self.args.build, "net-peer")
        common = ["--tick-ms", "50", "--send", ",".join(["16"] * STREAM_PACKETS), "--pace", str(STREAM_RATE)]
        self.tool("server", [peer, "--server", "0"] + common)
        relayed = self.relay("relay", self.port("server", r"^listening on port (\d+)"),
                             self.delayed(delay, ["--keep-order", "1"]))
        self.tool("client", [peer, "--client", "127.0.0.1:%d" % relayed] + common)
        statuses = [self.status("client"), self.status("server")]
        self.stop("relay")
        sides = []
        for side in ("server", "client"):
            stats = re.search(r"^stats packetsOut=(\d+) .* resends=(\d+)", self.output(side), re.M)
            sides.append((int(stats.group(1)), int(stats.group(2))) if stats else (0, 0))
        return {"sides": sides, "held": statuses == [0, 0]}

    def timer(self, delay):
        peer = os.path.join(self.args.build, "net-peer")
        self.tool("server", [peer, "--server", "0", "--tick-ms", "50"])
        listen = self.relay("relay", self.port("server", r"^listening on port (\d+)"),
                            self.delayed(delay, ["--keep-order", "1"]))
        watch = flood.Watch(flood.LOOPBACK_IP, flood.LOOPBACK_IP, dst_port=listen, keep=True)
        watch.start()
        self.tool("client", [peer, "--client", "127.0.0.1:%d" % listen, "--tick-ms", "50", "--pace", str(TIMER_RATE),
                             "--send", ",".join(["16"] * TIMER_PACKETS)])
        relay = dict(self.procs)["relay"]
        try:
            last = re.compile(r"^sent %d " % (TIMER_PACKETS - 1), re.M)
            deadline = time.monotonic() + START_TIMEOUT
            while not last.search(self.output("client")):
                if time.monotonic() > deadline:
                    raise RuntimeError("the client did not send its last packet")
                time.sleep(0.001)
            relay.send_signal(signal.SIGSTOP)
            stopped = time.monotonic()
            self.status("client")
        finally:
            relay.send_signal(signal.SIGCONT)
            watch.stop()
        # A piece goes again as the very datagram it first went in.
        copies = {}
        for (t, _, _), payload in zip(watch.sends, watch.payloads):
            copies.setdefault(payload, []).append(t)
        if not copies:
            raise RuntimeError("nothing went toward the relay")
        times = max(copies.values(), key=len)
        given_up = re.search(r"dropped .*", self.output("client"))
        resends = re.search(r" resends=(\d+)", self.output("client"))
        return {"tries": len(times) - 1, "at": ["%.2f" % (t - times[0]) for t in times[1:]],
                "gave up": "%.2f s after the stop: %s" % (time.monotonic() - stopped, given_up.group(0))
                if given_up else None, "resends": int(resends.group(1)) if resends else None}

    def loss(self, delay):
        match = os.path.join(self.args.build, "net-match")
        if self.args.quota:
            self.make_cgroup()
        self.start("server", [match, "--server", "127.0.0.1:0", "--clients", str(LOSS_CLIENTS), "--seconds",
                              str(LOSS_MATCH_SECONDS)], self.cgroup)
        port = self.port("server", r"^listening on port (\d+)")
        clients = ["client%d" % k for k in range(LOSS_CLIENTS)]
        for k, client in enumerate(clients):
            relayed = self.relay("relay%d" % k, port, ["--seed", str(100 * self.index + 5 * k + 3), "--drop",
                                                        str(LOSS), "--delay-min", str(delay), "--delay-max", str(delay)])
            self.start(client, [match, "--client", "127.0.0.1:%d" % relayed])
        statuses = [self.status(c) for c in clients]
        self.status("server")
        end = re.search(r"^hash .*", self.output("server"), re.M)
        held = sum(s == 0 and end is not None and end.group(0) in self.output(c) for c, s in zip(clients, statuses))
        waits = [float(w) for side in ["server"] + clients
                 for w in re.findall(r"longest acknowledgement wait ([\d.]+) s", self.output(side))]
        return {"held": held, "matches": LOSS_CLIENTS, "waits": waits}


def runs(args, part, delay, count):
    results = []
    for i in range(count):
        run = LinkRun(args, part, i)
        try:
            r = getattr(run, part)(delay)
        except RuntimeError as e:
            r = {"error": str(e), "held": 0}
        finally:
            run.close()
        print("%s %.3f s run %d: %s" % (part, delay, i + 1, r), flush=True)
        results.append(r)
    return results


def main():
    parser = argparse.ArgumentParser()
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--build", default=os.path.join(here, "..", "build"))
    parser.add_argument("--parts", default="duel,stream,timer,loss")
    parser.add_argument("--delays", default="0.005,0.075,0.15,0.25")
    parser.add_argument("--runs", type=int, default=2)
    parser.add_argument("--timer-delays", default="0.025,0.05,0.1,0.2")
    parser.add_argument("--loss-delays", default="0.04,0.15")
    parser.add_argument("--loss-runs", type=int, default=5)
    parser.add_argument("--quota", type=float, default=0.0)
    args = parser.parse_args()
    if args.quota and (os.geteuid() != 0 or not os.path.isdir(flood.CGROUP_ROOT)):
        sys.exit("--quota needs root and cgroup v1's cpu controller at " + flood.CGROUP_ROOT)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    parts = args.parts.split(",")
    delays = [float(d) for d in args.delays.split(",")]
    table = []
    if "duel" in parts:
        for delay in delays:
            counts = [r["datagrams"] for r in runs(args, "duel", delay, args.runs) if "datagrams" in r]
            table.append("duel   %5.0f ms each way: datagrams median %s, range %s" % (
                delay * 1000, statistics.median(counts) if counts else "-",
                "%d-%d" % (min(counts), max(counts)) if counts else "-"))
    if "stream" in parts:
        for delay in delays:
            sides = [s for r in runs(args, "stream", delay, args.runs) for s in r.get("sides", [])]
            table.append("stream %5.0f ms each way: resends %s (of packets sent, a side a run)" % (
                delay * 1000, ", ".join("%d/%d" % (resent, sent) for sent, resent in sides)))
    if "timer" in parts:
        for delay in [float(d) for d in args.timer_delays.split(",")]:
            tries = [r["tries"] for r in runs(args, "timer", delay, args.runs) if "tries" in r]
            table.append("timer  %5.0f ms each way: the oldest piece went again %s times before the link was given up"
                         % (delay * 1000, "-".join(str(t) for t in sorted(set([min(tries), max(tries)])))
                            if tries else "-"))
    if "loss" in parts:
        for delay in [float(d) for d in args.loss_delays.split(",")]:
            results = runs(args, "loss", delay, args.loss_runs)
            waits = sorted(w for r in results for w in r.get("waits", []))
            table.append("loss   %5.0f ms each way, %.0f%% lost: held %d/%d, longest acknowledgement waits %s" % (
                delay * 1000, LOSS * 100, sum(r["held"] for r in results), LOSS_CLIENTS * len(results),
                "%.2f-%.2f s (of %d sides)" % (waits[0], waits[-1], len(waits)) if waits else "-"))
    print("\n".join(table))


if __name__ == "__main__":
    main()
