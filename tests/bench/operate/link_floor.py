#!/usr/bin/env python3
"""The link's floor for the upgrade benchmark: BYTES sent over STREAMS TCP
connections at once (as many as the upgrade's transfers at once), plain
bulk data with nothing on top, between the lab's two namespaces.

  link_floor.py serve PORT              (in the simulator's namespace)
  link_floor.py send IP PORT BYTES STREAMS  (prints seconds and GiB/s)
"""
import socket
import sys
import threading
import time

BLOCK = 1 << 20


def serve(port):
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("0.0.0.0", port))
    listener.listen(64)
    print("ready", flush=True)

    def drain(connection):
        buffer = bytearray(BLOCK)
        with connection:
            while connection.recv_into(buffer):
                pass
            connection.sendall(b"k")

    while True:
        connection, _ = listener.accept()
        threading.Thread(target=drain, args=(connection,), daemon=True).start()


def send(ip, port, total, streams):
    block = bytes(BLOCK)
    share = total // streams

    def one():
        with socket.create_connection((ip, port)) as connection:
            left = share
            while left > 0:
                left -= connection.send(memoryview(block)[: min(left, BLOCK)])
            connection.shutdown(socket.SHUT_WR)
            connection.recv(1)  # everything arrived

    threads = [threading.Thread(target=one) for _ in range(streams)]
    start = time.monotonic()
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    seconds = time.monotonic() - start
    print(f"{seconds:.3f} {share * streams / seconds / (1 << 30):.2f}")


if __name__ == "__main__":
    if sys.argv[1] == "serve":
        serve(int(sys.argv[2]))
    else:
        send(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5]))
