#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# What join/leave churn from one address costs the other players, and the log:
# 31 players with 100-byte nicks (the biggest lists) and one honest player
# listening, each from its own 127.x.y.z, while a churner
#  - sends "slc"/"off" pairs as fast as it can on one socket,
#  - sends one pair every 20 ms on one socket,
#  - connects, joins and closes in a loop from one address.
# For each, the bytes the churner sent, the bytes the honest player received
# and their ratio, and the server's log growth per minute. The reference is
# what one pair would cost each player if every join were let through.
#   bench/churn.py build/bin/rabuscal-server [seconds per phase]
import socket, subprocess, sys, threading, time

exe = sys.argv[1]
phase = float(sys.argv[2]) if len(sys.argv) > 2 else 10
p = subprocess.Popen([exe, "--port", "0"], stdout=subprocess.PIPE)
port = int(p.stdout.readline().split()[-1])
log_bytes = [0]
def count_log():
    for line in p.stdout: log_bytes[0] += len(line)
threading.Thread(target=count_log, daemon=True).start()

def connect(source):
    s = socket.socket()
    s.bind((source, 0))
    s.connect(("127.0.0.1", port))
    return s

received = {}
def drain(name, s):
    received[name] = 0
    s.settimeout(0.5)
    while True:
        try: data = s.recv(1 << 16)
        except socket.timeout: continue
        except OSError: return
        if not data: return
        received[name] += len(data)

sitters = []
for i in range(31):
    s = connect(f"127.13.0.{i + 1}")
    s.sendall(b"$-$slc:" + b"n" * 98 + b"%02d" % (10 + i))
    sitters.append(s)
    threading.Thread(target=drain, args=(f"sitter{i}", s), daemon=True).start()
honest = connect("127.13.1.1")
honest.sendall(b"$-$slc:Ana")
threading.Thread(target=drain, args=("honest", honest), daemon=True).start()
time.sleep(1)

pair = b"$-$slc:" + b"c" * 100 + b"$-$off:"
list_bytes = 7 + 33 * 106  # the list with the churner in it, as each player gets it
print(f"reference: one pair let through sends each player {2 * list_bytes} bytes for "
      f"{len(pair)} sent ({2 * list_bytes / len(pair):.0f}x)")

def run(name, churn):
    sent = [0]; stop = threading.Event()
    before_honest, before_log = received["honest"], log_bytes[0]
    t = threading.Thread(target=churn, args=(sent, stop), daemon=True)
    start = time.time(); t.start()
    time.sleep(phase); stop.set(); t.join(); took = time.time() - start
    time.sleep(0.5)
    got = received["honest"] - before_honest
    log = (log_bytes[0] - before_log) * 60 / took
    print(f"{name}: churner sent {sent[0]} B, honest player received {got} B "
          f"({got / max(sent[0], 1):.2f}x); log {log / 1024:.1f} KiB a minute")

def one_socket(paced):
    def churn(sent, stop):
        s = connect("127.13.2.1")
        threading.Thread(target=drain, args=("churner", s), daemon=True).start()
        block = pair * (1 if paced else 200)
        while not stop.is_set():
            try: s.sendall(block)
            except OSError: break
            sent[0] += len(block)
            if paced: time.sleep(0.02)
        s.close()
    return churn

def reconnecting(sent, stop):
    while not stop.is_set():
        try:
            s = connect("127.13.3.1")
            s.sendall(pair); sent[0] += len(pair)
            s.close()
        except OSError: time.sleep(0.001)

run("one socket, flat out", one_socket(False))
run("one socket, a pair every 20 ms", one_socket(True))
run("connect, join and close in a loop", reconnecting)
p.terminate(); p.wait()
