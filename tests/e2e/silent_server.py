# A unix socket that accepts connections and never answers: a sound server that hangs.
# Usage: silent_server.py SOCKET SECONDS
import socket, os, sys, time
p = sys.argv[1]
try: os.unlink(p)
except FileNotFoundError: pass
s = socket.socket(socket.AF_UNIX); s.bind(p); s.listen(16)
conns = []
end = time.time() + float(sys.argv[2])
s.settimeout(0.2)
while time.time() < end:
    try: conns.append(s.accept()[0])
    except socket.timeout: pass
