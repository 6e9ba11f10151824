#!/usr/bin/env python3
"""A peer that is not the program: speaks the link's bytes by hand to a listening Gremlok and
checks what comes back. Usage: raw_peer.py PORT TRACE_FILE"""
import os, socket, subprocess, sys, time

port, trace = int(sys.argv[1]), sys.argv[2]


def fail(msg):
    print("FAIL: " + msg, file=sys.stderr)
    sys.exit(1)


def wait_trace(key, needle, limit=10):
    end = time.time() + limit
    while time.time() < end:
        try:
            with open(trace, encoding="utf-8", errors="replace") as f:
                for line in f:
                    if line.startswith(key + "\t") and needle in line:
                        return line
        except FileNotFoundError:
            pass
        time.sleep(0.05)
    fail("no trace %s %r" % (key, needle))


def recv_exact(s, n, limit=10):
    s.settimeout(limit)
    data = b""
    while len(data) < n:
        chunk = s.recv(n - len(data))
        if not chunk:
            break
        data += chunk
    return data


def connect():
    end = time.time() + 10
    while True:
        try:
            return socket.create_connection(("127.0.0.1", port), timeout=5)
        except OSError:
            if time.time() > end:
                raise
            time.sleep(0.1)


OPENING = b"Difficulty:2\0Interval:300,600\0Nickname:Hunter\0"

s = connect()
got = recv_exact(s, 46)
if got != OPENING:
    fail("opening bytes %r" % got)
print("# opening: the 46 bytes")

s.sendall(b"Nickname:Raw\0")
wait_trace("notify", "Connected to Raw [127.0.0.1]")

s.sendall(b"StartNow\0")
got = recv_exact(s, 8)
if got != b"StartOK\0":
    fail("reply to StartNow %r" % got)
wait_trace("fight", "ready")
print("# StartNow: StartOK, fight on screen")
s.sendall(b"IWon\0")
wait_trace("player", "dead")
print("# IWon: the enemy fired at once")
subprocess.run(["xdotool", "key", "Escape"], check=False)
wait_trace("fight", "closed")

# Garbage, malformed settings and an over-long message: ignored or cut, never fatal.
s.sendall(os.urandom(300).replace(b"\0", b"\1") + b"\0" + b"\xff\xfe\0")
s.sendall(b"Interval:abc\0Interval:300\0Difficulty:9\0Nickname\0Difficulty\0")
s.sendall(b"Msg:" + b"x" * 5000 + b"\0")
line = wait_trace("notify", "Message from Raw:|xxx")
shown = line.rstrip("\n").split("|", 1)[1]
if shown != "x" * 254:
    fail("long message shown as %d characters" % len(shown))
print("# garbage and malformed messages ignored, 5000-character message cut to 254")

# A flood without NUL: the program drops the link.
s.settimeout(10)
try:
    s.sendall(b"A" * 70000)
    closed = s.recv(100) == b""
except (ConnectionResetError, BrokenPipeError):
    closed = True
if not closed:
    fail("link not dropped after a flood")
wait_trace("link", "flood")
s.close()
print("# flood: link dropped")

# Listening again: a new peer gets the opening again.
s = connect()
got = recv_exact(s, 46)
if got != OPENING:
    fail("second opening %r" % got)
s.close()
print("# listening again afterwards")
