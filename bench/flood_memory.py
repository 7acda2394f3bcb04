#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# One client floods 100 MiB of strokes through rabuscal-server beside N
# connections that never read (each from its own 127.x.y.z) and two clients
# that read everything; prints what the readers got, how many non-readers the
# server closed and how much its resident memory grew.
#   bench/flood_memory.py build/bin/rabuscal-server [N]
import multiprocessing, socket, subprocess, sys, threading, time

exe = sys.argv[1]
stalled = int(sys.argv[2]) if len(sys.argv) > 2 else 200
p = subprocess.Popen([exe, "--port", "0"], stdout=subprocess.PIPE)
port = int(p.stdout.readline().split()[-1])
threading.Thread(target=lambda: [None for _ in p.stdout], daemon=True).start()

def rss():
    for l in open(f"/proc/{p.pid}/status"):
        if l.startswith("VmRSS"): return int(l.split()[1])

def conn(nick, source=None, rcvbuf=None):
    s = socket.socket()
    if rcvbuf: s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, rcvbuf)
    if source: s.bind((source, 0))
    s.connect(("127.0.0.1", port))
    if nick:
        s.sendall(b"$-$slc:" + nick)
        time.sleep(0.05)
    return s

def read(port, got):
    r = socket.create_connection(("127.0.0.1", port)); r.sendall(b"$-$slc:reader%d" % id(got))
    r.settimeout(30)
    tail = b""
    while True:
        try: d = r.recv(1 << 20)
        except Exception: break
        if not d: break
        d = tail + d
        with got.get_lock(): got.value += d.count(b"$-$mov:") - tail.count(b"$-$mov:")
        tail = d[-6:]

sender = conn(b"sender")  # joins alone: the drawer
readers, counts = [], []
for i in range(2):
    got = multiprocessing.Value('q', 0); counts.append(got)
    readers.append(multiprocessing.Process(target=read, args=(port, got))); readers[-1].start()
idle = [conn(None, f"127.6.{i // 200}.{1 + i % 200}", 4096) for i in range(stalled)]
time.sleep(0.5)
def drain():
    while True:
        try:
            if not sender.recv(1 << 20): break
        except Exception: break
threading.Thread(target=drain, daemon=True).start()
time.sleep(0.3)
base = rss(); peak = base
msg = b"$-$mov:123|45"; block = msg * 10000
total = 100 * 1024 * 1024; sent = 0
def sample():
    global peak
    while sent < total: peak = max(peak, rss()); time.sleep(0.05)
threading.Thread(target=sample, daemon=True).start()
start = time.time()
while sent < total:
    sender.sendall(block); sent += len(block)
expected = sent // len(msg)
deadline = time.time() + 60
while min(c.value for c in counts) < expected and time.time() < deadline: time.sleep(0.2)
took = time.time() - start
peak = max(peak, rss())
def is_closed(s):
    s.setblocking(False)
    try:
        while True:
            if not s.recv(1 << 20): return True
    except BlockingIOError: return False
    except OSError: return True
open_idle, deadline = list(idle), time.time() + 10  # the server gives them a few seconds
while open_idle and time.time() < deadline:
    open_idle = [s for s in open_idle if not is_closed(s)]
    time.sleep(0.2)
closed = stalled - len(open_idle)
print(f"sent {sent/1048576:.0f} MiB = {expected} strokes in {took:.1f} s; readers got "
      f"{[c.value for c in counts]}; {closed} of {stalled} non-readers closed; server RSS "
      f"{base/1024:.1f} MiB -> peak {peak/1024:.1f} MiB (+{(peak-base)/1024:.1f} MiB)")
for r in readers: r.terminate()
p.terminate(); p.wait()
