#!/usr/bin/env python3
"""A listening peer for the screenshots: accepts one connection, stays silent for a while (the
connecting window shows "Authenticating..."), then greets and sends an instant message.
Usage: link_peer_greeter.py PORT SILENT_SECONDS"""
import socket, sys, time
srv = socket.socket()
srv.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
srv.bind(("127.0.0.1", int(sys.argv[1])))
srv.listen(1)
srv.settimeout(30)
c, _ = srv.accept()
time.sleep(float(sys.argv[2]))
c.sendall(b"Difficulty:2\0Interval:300,600\0Nickname:Hunter\0")
time.sleep(1.5)
c.sendall(b"Msg:Nice shot! That was 412 ms.\r\nBest of five? I am ready when you are.\0")
time.sleep(15)
c.close()
