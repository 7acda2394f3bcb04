#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# N connections that each join and close at once (each from its own
# 127.x.y.z, limits raised so that none is refused) while two players chat
# through rabuscal-server: prints the server's resident memory before, at its
# peak and after, and how long the chat lines took to arrive, against the lines
# of the quiet seconds before the storm.
#   bench/join_storm.py build/bin/rabuscal-server [N]
import socket, subprocess, sys, threading, time

exe = sys.argv[1]
storm = int(sys.argv[2]) if len(sys.argv) > 2 else 3000
p = subprocess.Popen([exe, "--port", "0", "--max-connections", str(storm + 10),
                      "--max-per-address", str(storm + 10)], stdout=subprocess.PIPE)
port = int(p.stdout.readline().split()[-1])
threading.Thread(target=lambda: [None for _ in p.stdout], daemon=True).start()

def rss():
    for line in open(f"/proc/{p.pid}/status"):
        if line.startswith("VmRSS"): return int(line.split()[1])

def join(nick, source=None):
    s = socket.socket()
    if source: s.bind((source, 0))
    s.connect(("127.0.0.1", port))
    s.sendall(b"$-$slc:" + nick)
    return s

talker, listener = join(b"ana"), join(b"bia")
time.sleep(0.3)
sent_at, delays, seen, done = {}, [], set(), threading.Event()

def listen():  # bia reads everything, timing ana's lines
    tail = b""
    listener.settimeout(1)
    while not done.is_set():
        try: data = listener.recv(1 << 20)
        except socket.timeout: continue
        if not data: break
        data = tail + data
        # The last part may be cut: it stays in `tail` and counts once whole
        # (a cut "line 1" of "line 12" was seen before and is skipped).
        for part in data.split(b"$-$"):
            number = part[len(b"msg:ana falou: line "):]
            if part.startswith(b"msg:ana falou: line ") and number.isdigit():
                n = int(number)
                if n not in seen: seen.add(n); delays.append((sent_at[n], time.time() - sent_at[n]))
        tail = data[data.rfind(b"$-$"):] if b"$-$" in data else data

def talk():  # ana says a line every 400 ms (the referee lets 3 a second through)
    n = 0
    while not done.is_set():
        sent_at[n] = time.time()
        talker.sendall(b"$-$msg:ana falou: line %d" % n)
        n += 1
        time.sleep(0.4)

base = rss(); peak = base
for f in (listen, talk): threading.Thread(target=f, daemon=True).start()
time.sleep(3)
start = time.time()
for i in range(storm):
    join(b"storm%d" % i, f"127.9.{i // 250}.{1 + i % 250}").close()
storm_took = time.time() - start
end = time.time() + 20
while time.time() < end:
    peak = max(peak, rss()); time.sleep(0.05)
done.set()
quiet = max([d for s, d in delays if s < start] or [0])
stormy = max([d for s, d in delays if s >= start] or [0])
print(f"{storm} join-and-close connections in {storm_took:.2f} s; server RSS {base / 1024:.1f} MiB "
      f"-> peak {peak / 1024:.1f} MiB (+{(peak - base) / 1024:.1f}), after 20 s {rss() / 1024:.1f} MiB "
      f"(+{(rss() - base) / 1024:.1f}); chat: {len(delays)} of {len(sent_at)} lines, slowest "
      f"{stormy * 1e3:.1f} ms from the storm on, {quiet * 1e3:.1f} ms before it "
      f"(ratio {stormy / max(quiet, 1e-6):.1f})")
p.terminate(); p.wait()
