#!/usr/bin/env python3
"""Running matches under floods, with the server held to a fraction of a core.

    bench/net_flood_matches.py [--build DIR] [--kinds junk,connect,confirm,data,mixed]
        [--rate 50000] [--runs 3] [--clients 2] [--quota 0.25] [--flood-seconds 20]

For each kind and run: a net-match server (in a CPU cgroup of its own, held to
QUOTA of one core) and CLIENTS net-match clients, each on an X server of its
own; once they are joined, udp-flood sends RATE forged datagrams a second of
the kind from fresh raw addresses (as root) for FLOOD_SECONDS; the match ends
10 s after the flood. A match holds when every client saw the end. While it
runs, the server's sends to each client are watched on the loopback interface
(a packet socket with a filter), and the server's receive queue in
/proc/net/udp. Prints one line per run and a table per kind: matches held,
the longest gap between two of the server's sends to a client, the queue's
peak and the kernel's drops. Needs root (raw sockets, the packet socket, the
cgroup); cgroup v1's cpu controller at /sys/fs/cgroup/cpu.
"""
import argparse
import ctypes
import os
import re
import select
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time

CGROUP_ROOT = "/sys/fs/cgroup/cpu"
PERIOD_US = 100000
LOOPBACK_IP = 0x7F000001
ETH_P_ALL = 0x0003
PACKET_OUTGOING = 4
SO_ATTACH_FILTER = 26
SETTLE_SECONDS = 3.0
AFTER_FLOOD_SECONDS = 10.0
JOIN_TIMEOUT = 60.0
END_TIMEOUT = 60.0


def udp_filter(src_ip, dst_ip, src_port=None, dst_port=None):
    """Classic BPF over lo's frames: IPv4, UDP, from src_ip to dst_ip (any with
    None), from and to those ports where given; a later fragment is dropped."""
    code = []

    def test(load, offset, value):
        code.extend([(load, 0, 0, offset), (0x15, 0, "drop", value)])

    test(0x28, 12, 0x0800)           # ldh [12]: ether type IPv4
    test(0x30, 23, 17)               # ldb [23]: protocol UDP
    test(0x20, 26, src_ip)           # ld [26]: source address
    if dst_ip is not None:
        test(0x20, 30, dst_ip)       # ld [30]: destination address
    code.append((0x28, 0, 0, 20))    # ldh [20]: fragment offset
    code.append((0x45, "drop", 0, 0x1FFF))
    code.append((0xB1, 0, 0, 14))    # ldxb 4*([14]&0xf): IP header length
    for offset, port in ((14, src_port), (16, dst_port)):
        if port is not None:
            test(0x48, offset, port)  # ldh [x+offset]
    code.append((0x06, 0, 0, 0xFFFF))  # accept
    drop = len(code)
    code.append((0x06, 0, 0, 0))
    code = [(op, drop - i - 1 if jt == "drop" else jt, drop - i - 1 if jf == "drop" else jf, k)
            for i, (op, jt, jf, k) in enumerate(code)]
    buffer = ctypes.create_string_buffer(b"".join(struct.pack("HBBI", *c) for c in code))
    program = struct.pack("HL", len(code), ctypes.addressof(buffer))
    return buffer, program


class Watch(threading.Thread):
    """The time, destination port and UDP payload bytes of each datagram sent on lo
    from src_ip to dst_ip (any with None; from and to those ports where given); with keep, the
    payload itself in payloads."""

    def __init__(self, src_ip, dst_ip, src_port=None, dst_port=None, keep=False):
        super().__init__(daemon=True)
        self.payloads = [] if keep else None
        # Packet sockets see every program's traffic on lo: the filter keeps what counts.
        self.sock = socket.socket(socket.AF_PACKET, socket.SOCK_RAW, socket.htons(ETH_P_ALL))
        self.buffer, program = udp_filter(src_ip, dst_ip, src_port, dst_port)
        self.sock.setsockopt(socket.SOL_SOCKET, SO_ATTACH_FILTER, program)
        self.sock.bind(("lo", 0))
        self.sends = []
        self.stopped = False

    def run(self):
        while not self.stopped:
            ready, _, _ = select.select([self.sock], [], [], 0.1)
            if not ready:
                continue
            frame, address = self.sock.recvfrom(65536)
            now = time.monotonic()
            if address[2] != PACKET_OUTGOING:
                continue
            header = 14 + (frame[14] & 0x0F) * 4
            port, length = struct.unpack("!HH", frame[header + 2:header + 6])
            self.sends.append((now, port, length - 8))
            if self.payloads is not None:
                self.payloads.append(frame[header + 8:header + length])

    def longest_gap(self, port, start, end):
        times = [t for t, p, _ in self.sends if p == port and start <= t <= end]
        if len(times) < 2:
            return None
        return max(b - a for a, b in zip(times, times[1:]))

    def rate(self, start, end):
        """Datagrams and payload bytes a second between start and end."""
        within = [n for t, _, n in self.sends if start <= t <= end]
        return len(within) / (end - start), sum(within) / (end - start)

    def stop(self):
        self.stopped = True
        self.join()
        self.sock.close()


class QueueWatch(threading.Thread):
    """The peak of the server socket's receive queue and its drops."""

    def __init__(self, port):
        super().__init__(daemon=True)
        self.port = port
        self.peak = 0
        self.drops0 = None
        self.drops = 0
        self.stopped = False

    def sample(self):
        with open("/proc/net/udp") as f:
            for line in f.readlines()[1:]:
                fields = line.split()
                local = fields[1]
                if int(local.split(":")[1], 16) == self.port:
                    rx = int(fields[4].split(":")[1], 16)
                    return rx, int(fields[-1])
        return 0, 0

    def run(self):
        while not self.stopped:
            rx, drops = self.sample()
            self.peak = max(self.peak, rx)
            if self.drops0 is None:
                self.drops0 = drops
            self.drops = drops - self.drops0
            time.sleep(0.05)

    def stop(self):
        self.stopped = True
        self.join()


class Run:
    def __init__(self, args, kind, index):
        self.args = args
        self.kind = kind
        self.index = index
        self.work = tempfile.mkdtemp(prefix="floodmatch.")
        self.procs = []
        self.xservers = []
        self.cgroup = None

    def xserver(self):
        read, write = os.pipe()
        x = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-nolisten", "tcp", "-screen", "0", "640x480x24"],
                             pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read, 16)
            if not chunk:
                break
            number += chunk
        os.close(read)
        self.xservers.append(x)
        return ":" + number.decode().strip()

    def environment(self, display):
        env = dict(os.environ)
        env.update(DISPLAY=display, SDL_VIDEODRIVER="x11", SDL_AUDIODRIVER="dummy", LIBGL_ALWAYS_SOFTWARE="1",
                   LP_NUM_THREADS="0", MESA_SHADER_CACHE_DISABLE="true")
        return env

    def start(self, name, command, cgroup=None):
        out = open(os.path.join(self.work, name + ".out"), "w")
        err = open(os.path.join(self.work, name + ".err"), "w")

        def enter_cgroup():
            if cgroup:
                with open(os.path.join(cgroup, "cgroup.procs"), "w") as f:
                    f.write(str(os.getpid()))

        p = subprocess.Popen(command, stdout=out, stderr=err, env=self.environment(self.xserver()),
                             preexec_fn=enter_cgroup, cwd=self.work)
        self.procs.append((name, p))
        return p

    def output(self, name):
        with open(os.path.join(self.work, name + ".out")) as f:
            return f.read()

    def wait_for(self, name, pattern, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = re.search(pattern, self.output(name), re.M)
            if found:
                return found
            time.sleep(0.05)
        return None

    def make_cgroup(self):
        self.cgroup = os.path.join(CGROUP_ROOT, "floodmatch.%d" % os.getpid())
        os.makedirs(self.cgroup, exist_ok=True)
        with open(os.path.join(self.cgroup, "cpu.cfs_period_us"), "w") as f:
            f.write(str(PERIOD_US))
        with open(os.path.join(self.cgroup, "cpu.cfs_quota_us"), "w") as f:
            f.write(str(int(PERIOD_US * self.args.quota)))

    def cpu_throttled(self):
        with open(os.path.join(self.cgroup, "cpu.stat")) as f:
            return dict(line.split() for line in f)

    def execute(self):
        a = self.args
        match = os.path.join(a.build, "net-match")
        self.make_cgroup()
        seconds = int(SETTLE_SECONDS + a.flood_seconds + AFTER_FLOOD_SECONDS + 15)
        self.start("server", [match, "--server", "127.0.0.1:0", "--clients", str(a.clients), "--seconds",
                              str(seconds)], self.cgroup)
        found = self.wait_for("server", r"^listening on port (\d+)", 30)
        if not found:
            return {"held": 0, "error": "server did not start"}
        port = int(found.group(1))
        queue = QueueWatch(port)
        queue.start()
        # The server's sends to its clients.
        sends = Watch(LOOPBACK_IP, LOOPBACK_IP, src_port=port)
        sends.start()
        clients = ["client%d" % i for i in range(a.clients)]
        for c in clients:
            self.start(c, [match, "--client", "127.0.0.1:%d" % port])
        for c in clients:
            if not self.wait_for(c, r"^connected after", JOIN_TIMEOUT):
                return {"held": 0, "error": c + " did not join"}
        time.sleep(SETTLE_SECONDS)
        ports = self.client_ports(clients)
        flood_start = time.monotonic()
        # "none": the same run without a flood, for comparison.
        rate, kind = (0, "junk") if self.kind == "none" else (a.rate, self.kind)
        flood = subprocess.run([os.path.join(a.build, "udp-flood"), "--to", "127.0.0.1:%d" % port, "--rate",
                                str(rate), "--seconds", str(a.flood_seconds), "--kind", kind],
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        flood_end = time.monotonic()
        held = 0
        statuses = []
        for c in clients:
            p = dict(self.procs)[c]
            try:
                status = p.wait(timeout=seconds + END_TIMEOUT)
            except subprocess.TimeoutExpired:
                status = "timed out"
            statuses.append(status)
            held += status == 0 and "hash " in self.output(c)
        queue.stop()
        sends.stop()
        gaps = [sends.longest_gap(p, flood_start, flood_end) for p in ports]
        sent = re.search(r"flood sent=(\d+) seconds=([\d.]+)", flood.stdout)
        ends = [self.output(c).strip().splitlines()[-1] if self.output(c).strip() else "" for c in clients]
        return {"held": held, "gaps": gaps, "peak": queue.peak, "drops": queue.drops,
                "flood": "%s in %s s" % (sent.group(1), sent.group(2)) if sent else flood.stdout.strip(),
                "ends": ends, "statuses": statuses, "throttled": self.cpu_throttled().get("nr_throttled")}

    def client_ports(self, clients):
        """The local UDP ports of the clients' processes."""
        ports = []
        with open("/proc/net/udp") as f:
            rows = [line.split() for line in f.readlines()[1:]]
        for c in clients:
            pid = dict(self.procs)[c].pid
            inodes = set()
            for fd in os.listdir("/proc/%d/fd" % pid):
                try:
                    link = os.readlink("/proc/%d/fd/%s" % (pid, fd))
                except OSError:
                    continue
                if link.startswith("socket:["):
                    inodes.add(link[8:-1])
            ports += [int(r[1].split(":")[1], 16) for r in rows if r[9] in inodes]
        return ports

    def close(self):
        for name, p in self.procs:
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()
        for x in self.xservers:
            x.terminate()
            x.wait()
        if self.cgroup:
            for _ in range(50):
                try:
                    os.rmdir(self.cgroup)
                    break
                except OSError:
                    time.sleep(0.1)
        shutil.rmtree(self.work, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--build", default=os.path.join(here, "..", "build"))
    parser.add_argument("--kinds", default="junk,connect,confirm,data,mixed", help="and none: no flood")
    parser.add_argument("--rate", type=int, default=50000)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--clients", type=int, default=2)
    parser.add_argument("--quota", type=float, default=0.25)
    parser.add_argument("--flood-seconds", type=float, default=20.0)
    args = parser.parse_args()
    if os.geteuid() != 0 or not os.path.isdir(CGROUP_ROOT):
        sys.exit("needs root and cgroup v1's cpu controller at " + CGROUP_ROOT)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    print("server held to %.2f of a core; %d forged datagrams a second from fresh addresses for %.0f s; %d clients"
          % (args.quota, args.rate, args.flood_seconds, args.clients))
    table = []
    for kind in args.kinds.split(","):
        results = []
        for i in range(args.runs):
            run = Run(args, kind, i)
            try:
                r = run.execute()
            finally:
                run.close()
            results.append(r)
            gaps = r.get("gaps") or []
            print("%-8s run %d: held %d of %d; longest send gap %s; queue peak %.1f MB; drops %s; flood %s; ends %s"
                  % (kind, i + 1, r["held"], args.clients,
                     ", ".join("%.3f s" % g if g is not None else "none" for g in gaps),
                     r.get("peak", 0) / 1e6, r.get("drops"), r.get("flood"), r.get("ends") or r.get("error")),
                  flush=True)
        matches = sum(r["held"] == args.clients for r in results)
        gaps = [g for r in results for g in (r.get("gaps") or []) if g is not None]
        table.append((kind, matches, len(results), max(gaps) if gaps else None,
                      max(r.get("peak", 0) for r in results), max(r.get("drops") or 0 for r in results)))
    print("%-8s %8s %16s %14s %12s" % ("kind", "held", "longest gap", "queue peak", "drops"))
    for kind, held, runs, gap, peak, drops in table:
        print("%-8s %5d/%-2d %16s %11.1f MB %12d" % (kind, held, runs, "%.3f s" % gap if gap is not None else "-",
                                                    peak / 1e6, drops))


if __name__ == "__main__":
    main()
