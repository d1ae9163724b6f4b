#!/usr/bin/env python3
"""A local stand-in for the game's web service, for tests and benchmarks.

Listens on 127.0.0.1 on a free port and prints that port on the first line of
standard output. It also serves requests sent to it as an HTTP proxy (an
absolute URL as the request target), so a client with http_proxy pointing
here reaches the same pages.

Pages (normal mode):
  /corvana2/nettest.php            the peer's "ip:port" (or --nettest-reply)
  /corvana2/highscoreupload.php    parse the multipart body, record each field,
  /corvana2/crashreport.php        answer "ok" and a line per field
                                   ("name: file name, N bytes")
  /test/lines                      "ok\\r\\nline two\\n\\nlast"
  /test/empty                      an empty 200 reply
  /bytes/N                         N bytes of body
anything else is a 404.

With --record DIR every request is written as DIR/NNNN.req (its exact bytes);
a form page and the connection test also write DIR/NNNN.fields (name, file name and length of each
field, tab-separated, one a line) and DIR/NNNN.field.K (field K's bytes).

--mode answers every request in a hostile way instead:
  404, 500     that status
  noblank      a status line and a header line, then close (no blank line)
  silence      never answer
  drip         the reply one byte every --drip-seconds (default 1)
  closebody    reset the connection after 64 KiB of the request body
  endless      a reply that never ends
  short        a body shorter than its Content-Length
  noise        4 KiB of random bytes, then close
"""
import argparse
import http.server
import os
import random
import re
import socket
import struct
import sys
import threading
import time
import urllib.parse

MODES = ("normal", "404", "500", "noblank", "silence", "drip", "closebody", "endless", "short", "noise")
FORM_PAGES = ("/corvana2/highscoreupload.php", "/corvana2/crashreport.php")


class TeeReader:
    """Reads from a stream and keeps every byte read."""

    def __init__(self, stream):
        self.stream = stream
        self.seen = bytearray()

    def readline(self, limit=-1):
        line = self.stream.readline(limit)
        self.seen += line
        return line

    def read(self, n=-1):
        data = self.stream.read(n)
        self.seen += data
        return data

    def close(self):
        self.stream.close()


def parse_multipart(content_type, body):
    """[(name, filename, data)] of a multipart/form-data body, or None."""
    found = re.search(r'boundary=("?)([^";]+)\1', content_type or "")
    if not found:
        return None
    delimiter = b"\r\n--" + found.group(2).encode("latin-1")
    pieces = (b"\r\n" + body if not body.startswith(b"\r\n") else body).split(delimiter)
    if len(pieces) < 2 or not pieces[-1].startswith(b"--"):
        return None
    fields = []
    for piece in pieces[1:-1]:
        if not piece.startswith(b"\r\n") or b"\r\n\r\n" not in piece:
            return None
        head, data = piece[2:].split(b"\r\n\r\n", 1)
        name = re.search(rb'name="([^"]*)"', head)
        filename = re.search(rb'filename="([^"]*)"', head)
        if not name:
            return None
        fields.append((name.group(1).decode("latin-1"),
                       filename.group(1).decode("latin-1") if filename else "", data))
    return fields


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    server_version = "ServiceStandIn/1.0"

    def setup(self):
        super().setup()
        self.rfile = TeeReader(self.rfile)

    def log_message(self, format, *args):
        if self.server.verbose:
            super().log_message(format, *args)

    def do_GET(self):
        self.serve()

    def do_HEAD(self):
        self.serve()

    def do_POST(self):
        self.serve()

    def finish(self):
        try:
            super().finish()
        except OSError:
            pass

    def page(self):
        target = self.path
        if "://" in target:
            target = urllib.parse.urlsplit(target).path or "/"
        return target.split("?", 1)[0]

    def record(self, suffix, data):
        if self.server.record_dir:
            with open(os.path.join(self.server.record_dir, "%04d.%s" % (self.index, suffix)), "wb") as out:
                out.write(data)

    def record_fields(self, fields):
        for k, (name, filename, data) in enumerate(fields):
            self.record("field.%d" % k, data)
        self.record("fields", "".join("%s\t%s\t%d\n" % (name, filename, len(data))
                                      for name, filename, data in fields).encode("latin-1"))

    def reply(self, code, body, content_type="text/plain"):
        self.send_response(code)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def raw(self, data):
        try:
            self.wfile.write(data)
            self.wfile.flush()
        except OSError:
            pass

    def abort(self):
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.connection.close()
        self.close_connection = True

    def serve(self):
        with self.server.lock:
            self.server.count += 1
            self.index = self.server.count
        mode = self.server.mode
        length = int(self.headers.get("Content-Length") or 0)
        if mode == "closebody":
            self.rfile.read(min(length, 65536))
            self.record("req", bytes(self.rfile.seen))
            self.abort()
            return
        body = self.rfile.read(length) if length > 0 else b""
        self.record("req", bytes(self.rfile.seen))

        if mode == "404":
            return self.reply(404, b"not found\n")
        if mode == "500":
            return self.reply(500, b"server error\n")
        if mode == "noblank":
            return self.raw(b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n")
        if mode == "silence":
            while True:
                time.sleep(1)
        if mode == "drip":
            for c in b"HTTP/1.0 200 OK\r\n\r\nslow reply\n":
                self.raw(bytes([c]))
                time.sleep(self.server.drip_seconds)
            return
        if mode == "endless":
            chunk = b"HTTP/1.0 200 OK\r\n\r\n" + b"x" * 65536
            try:
                while True:
                    self.wfile.write(chunk)
                    chunk = b"x" * 65536
            except OSError:
                pass
            return
        if mode == "short":
            return self.raw(b"HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\n" + b"s" * 100)
        if mode == "noise":
            return self.raw(random.Random(self.index).randbytes(4096))

        page = self.page()
        if page == "/corvana2/nettest.php":
            self.record_fields(parse_multipart(self.headers.get("Content-Type"), body) or [])
            host, port = self.client_address[:2]
            answer = self.server.nettest_reply or "%s:%d" % (host, port)
            self.record("answer", answer.encode("latin-1"))
            return self.reply(200, answer.encode("latin-1"))
        if page in FORM_PAGES:
            fields = parse_multipart(self.headers.get("Content-Type"), body)
            if fields is None:
                return self.reply(400, b"bad form\n")
            self.record_fields(fields)
            shown = ["%s: %s%d bytes\r\n" % (name, filename + ", " if filename else "", len(data))
                     for name, filename, data in fields]
            return self.reply(200, ("ok\r\n" + "".join(shown)).encode("latin-1"))
        if page == "/test/lines":
            return self.reply(200, b"ok\r\nline two\n\nlast")
        if page == "/test/empty":
            return self.reply(200, b"")
        bytes_page = re.fullmatch(r"/bytes/(\d+)", page)
        if bytes_page:
            n = int(bytes_page.group(1))
            self.send_response(200)
            self.send_header("Content-Length", str(n))
            self.end_headers()
            block = bytes(range(256)) * 256
            while n > 0:
                self.wfile.write(block[:n])
                n -= min(n, len(block))
            return
        return self.reply(404, b"not found\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--mode", choices=MODES, default="normal")
    parser.add_argument("--record", metavar="DIR")
    parser.add_argument("--drip-seconds", type=float, default=1.0)
    parser.add_argument("--nettest-reply", metavar="TEXT", help="the connection test's answer instead of the peer")
    parser.add_argument("--verbose", action="store_true")
    args = parser.parse_args()

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    server.mode = args.mode
    server.record_dir = args.record
    server.drip_seconds = args.drip_seconds
    server.verbose = args.verbose
    server.nettest_reply = args.nettest_reply
    server.lock = threading.Lock()
    server.count = 0
    if args.record:
        os.makedirs(args.record, exist_ok=True)
    print(server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    sys.exit(main())
