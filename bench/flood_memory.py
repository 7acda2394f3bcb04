#!/usr/bin/env python3
# A client that never reads, a client that reads everything, and a sender that
# floods 100 MiB of strokes through rabuscal-server: prints what the reader got
# and how much the server's resident memory grew.
#   bench/flood_memory.py build/bin/rabuscal-server
import socket, subprocess, time, threading, sys, os
exe = sys.argv[1]
p = subprocess.Popen([exe, "--port", "0"], stdout=subprocess.PIPE)
port = int(p.stdout.readline().split()[-1])
def rss():
    for l in open(f"/proc/{p.pid}/status"):
        if l.startswith("VmRSS"): return int(l.split()[1])
def conn(nick):
    s = socket.create_connection(("127.0.0.1", port)); s.sendall(b"$-$slc:" + nick); time.sleep(0.2); return s
idle = conn(b"idle")          # never reads
idle.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
import multiprocessing
got_v = multiprocessing.Value('q', 0)
def read(port, got_v):
    r = socket.create_connection(("127.0.0.1", port)); r.sendall(b"$-$slc:reader")
    r.settimeout(5)
    tail = b""
    while True:
        try:
            d = r.recv(1 << 20)
        except Exception: break
        if not d: break
        d = tail + d
        with got_v.get_lock(): got_v.value += d.count(b"$-$mov:")
        tail = d[-6:]
rp = multiprocessing.Process(target=read, args=(port, got_v)); rp.start()
time.sleep(0.5)
class G:
    def __getitem__(self, i): return got_v.value
got = G()
sender = conn(b"sender"); 
def drain():
    while True:
        try:
            d = sender.recv(1 << 20)
            if not d: break
        except Exception: break
threading.Thread(target=drain, daemon=True).start()
time.sleep(0.3)
base = rss()
msg = b"$-$mov:123|45"
block = msg * 10000
total = 100 * 1024 * 1024
sent = 0; peak = base
while sent < total:
    sender.sendall(block); sent += len(block)
    if sent % (len(block) * 50) == 0: peak = max(peak, rss())
time.sleep(2)
peak = max(peak, rss())
expected = sent // len(msg)
deadline = time.time() + 30
while got[0] < expected and time.time() < deadline: time.sleep(0.2)
print(f"sent {sent/1048576:.0f} MiB = {expected} strokes; reader got {got[0]} strokes; server RSS {base/1024:.1f} MiB -> peak {peak/1024:.1f} MiB (+{(peak-base)/1024:.1f} MiB)")
rp.terminate(); p.terminate(); p.wait(); idle.close(); sender.close()
