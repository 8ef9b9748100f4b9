"""Loopback peers for the bench: a small HTTP server on port 80 of 127.0.0.1 (or of ::1) that answers
every connection in one way, run on a thread, and remembers when each request arrived (Unix time,
seconds).

Behaviours:
  normal    a short HTTP/1.0 reply, then close
  trickle   the reply one byte every 200 ms (TRICKLE_BYTES of it), then close
  five_mb   a 5 MB reply, then close
  hanging   never completes a handshake: it listens with a backlog of 0 and fills its own queue with
            a few connects, so further connection requests are dropped and a connect just waits
"""
import socket
import threading
import time

ADDRESS = "127.0.0.1"
PORT = 80
REPLY = b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 2\r\n\r\nok"
TRICKLE_INTERVAL = 0.2
TRICKLE_BYTES = 15
FIVE_MB = 5 * 1024 * 1024


class Peer:
    def __init__(self, behaviour, lifetime=120.0, address=ADDRESS):
        if behaviour not in ("normal", "trickle", "five_mb", "hanging"):
            raise ValueError(behaviour)
        if address not in ("127.0.0.1", "::1"):
            raise ValueError(address)   # loopback only
        self.behaviour = behaviour
        self.family = socket.AF_INET6 if ":" in address else socket.AF_INET
        self.address = (address, PORT)
        self.arrivals = []        # when each request was read whole
        self.finished = []        # when each answer was sent whole
        self._deadline = time.time() + lifetime   # the peer stops by itself
        self._stop = threading.Event()
        self._fillers = []
        self._listener = self._listen()
        self._thread = threading.Thread(target=self._serve, daemon=True)
        self._thread.start()

    def _listen(self):
        listener = socket.socket(self.family, socket.SOCK_STREAM)
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind(self.address)
        if self.behaviour != "hanging":
            listener.listen(8)
            return listener
        listener.listen(0)
        for _ in range(4):
            filler = socket.socket(self.family, socket.SOCK_STREAM)
            filler.setblocking(False)
            filler.connect_ex(self.address)
            self._fillers.append(filler)
        time.sleep(0.2)
        if not self._connect_hangs():
            raise RuntimeError("the hanging peer's queue did not fill: connects still complete")
        return listener

    def _connect_hangs(self):
        check = socket.socket(self.family, socket.SOCK_STREAM)
        check.settimeout(0.5)
        try:
            check.connect(self.address)
            return False
        except socket.timeout:
            return True
        finally:
            check.close()

    def stop(self):
        self._stop.set()
        self._thread.join(timeout=10)
        for s in self._fillers:
            s.close()
        self._listener.close()

    def _running(self):
        return not self._stop.is_set() and time.time() < self._deadline

    def _serve(self):
        self._listener.settimeout(0.05)
        while self._running():
            if self.behaviour == "hanging":
                time.sleep(0.05)   # nothing is ever accepted
                continue
            try:
                client, _ = self._listener.accept()
            except socket.timeout:
                continue
            with client:
                self._answer(client)

    def _answer(self, client):
        client.settimeout(2.0)
        request = b""
        try:
            while b"\r\n\r\n" not in request:
                chunk = client.recv(4096)
                if not chunk:
                    break
                request += chunk
        except socket.timeout:
            pass
        self.arrivals.append(time.time())
        client.settimeout(10.0)
        try:
            if self.behaviour == "normal":
                client.sendall(REPLY)
            elif self.behaviour == "trickle":
                for byte in REPLY[:TRICKLE_BYTES]:
                    if not self._running():
                        break
                    client.sendall(bytes([byte]))
                    time.sleep(TRICKLE_INTERVAL)
            elif self.behaviour == "five_mb":
                header = b"HTTP/1.0 200 OK\r\nContent-Length: %d\r\n\r\n" % FIVE_MB
                client.sendall(header + b"x" * FIVE_MB)
            client.shutdown(socket.SHUT_WR)
        except OSError:
            pass   # the client went away: nothing more to say to it
        self.finished.append(time.time())
