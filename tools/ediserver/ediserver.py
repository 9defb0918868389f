#!/usr/bin/env python3
"""A small EDI server for trying Orrindale's server client and for its tests.

It listens on a loopback address, saves every connection's received bytes to
a file of their own, and can send a given file back, whole or in pieces with
a pause between them. It is a test tool, not a product server: one client at
a time, no protocol beyond the bytes themselves.

    python3 tools/ediserver/ediserver.py --port 1001 --save-dir received \
        [--send reply.edi --pieces 2 --delay 0.5 --close-after-send] \
        [--connections 1] [--timeout 60]

The first line on standard output is "listening on HOST:PORT" (with the port
chosen when --port is 0); then one line per connection and per file saved.
The server stops by itself after --connections connections or --timeout
seconds, whichever comes first.
"""

import argparse
import os
import socket
import sys
import threading
import time


def log(text):
    print(text, flush=True)


def pieces_of(data, count):
    """Cuts data into count pieces of nearly equal size (no empty piece)."""
    count = max(1, min(count, len(data)))
    size, extra = divmod(len(data), count)
    start = 0
    for i in range(count):
        end = start + size + (1 if i < extra else 0)
        yield data[start:end]
        start = end


def receive(conn, path, done):
    """Appends everything the client sends to path until the client closes."""
    total = 0
    with open(path, "wb") as out:
        while True:
            try:
                chunk = conn.recv(65536)
            except OSError:
                break
            if not chunk:
                break
            out.write(chunk)
            out.flush()
            total += len(chunk)
    log(f"saved {total} bytes to {path}")
    done.set()


def serve_one(conn, number, args, deadline):
    path = os.path.join(args.save_dir, f"received-{number:03d}.edi")
    done = threading.Event()
    reader = threading.Thread(target=receive, args=(conn, path, done), daemon=True)
    reader.start()
    if args.send:
        with open(args.send, "rb") as f:
            data = f.read()
        for i, piece in enumerate(pieces_of(data, args.pieces)):
            if i:
                time.sleep(args.delay)
            conn.sendall(piece)
            log(f"sent {len(piece)} bytes")
        if args.close_after_send:
            conn.shutdown(socket.SHUT_WR)
            log("closed after sending")
    done.wait(max(0.0, deadline - time.monotonic()))
    conn.close()
    reader.join(1.0)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--host", default="127.0.0.1", help="loopback address to listen on (127.0.0.1)")
    parser.add_argument("--port", type=int, default=1001, help="port; 0 picks a free one (1001)")
    parser.add_argument("--save-dir", default=".", help="folder for the received files (.)")
    parser.add_argument("--send", help="file to send to each client once it connects")
    parser.add_argument("--pieces", type=int, default=1, help="send the file in this many pieces (1)")
    parser.add_argument("--delay", type=float, default=0.3, help="seconds between pieces (0.3)")
    parser.add_argument("--close-after-send", action="store_true", help="close the connection after sending")
    parser.add_argument("--connections", type=int, default=0, help="stop after this many connections (0: no limit)")
    parser.add_argument("--timeout", type=float, default=600, help="stop after this many seconds (600)")
    args = parser.parse_args(argv)

    if not args.host.startswith("127.") and args.host not in ("localhost", "::1"):
        parser.error("the test server listens on loopback addresses only")
    os.makedirs(args.save_dir, exist_ok=True)
    deadline = time.monotonic() + args.timeout
    family = socket.AF_INET6 if ":" in args.host else socket.AF_INET
    with socket.socket(family, socket.SOCK_STREAM) as server:
        server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        server.bind((args.host, args.port))
        server.listen(1)
        log(f"listening on {args.host}:{server.getsockname()[1]}")
        number = 0
        while time.monotonic() < deadline and (args.connections == 0 or number < args.connections):
            server.settimeout(max(0.05, min(1.0, deadline - time.monotonic())))
            try:
                conn, peer = server.accept()
            except socket.timeout:
                continue
            number += 1
            log(f"connection {number} from {peer[0]}:{peer[1]}")
            conn.settimeout(None)
            serve_one(conn, number, args, deadline)
    log("stopped")
    return 0


if __name__ == "__main__":
    sys.exit(main())
