#!/usr/bin/env python3
"""Servers on 127.0.0.1 that misbehave on purpose, for the tests of the HTTP transports.

    transport_servers.py start STATE_DIR DAV_ENV   start them in the background, write the env file
    transport_servers.py stop STATE_DIR            stop them
    transport_servers.py serve STATE_DIR DAV_ENV   (what start runs in the background)

DAV_ENV is the file dav_servers.py writes; the relay reads radicale-tls's address from it each time
it passes a connection through, so a restart of radicale-tls on its port does not matter.

  relay      TLS on its own port. Its first connection (after a reset) is passed through to
             radicale-tls byte for byte, so the client sees radicale-tls's certificate; every later
             connection is answered with TLS of its own, under another self-signed certificate,
             and every application byte it receives there is recorded.
  recorder   plain HTTP on two ports (two origins) and HTTPS on a third (its own self-signed
             certificate). It records each request's method, path and headers, and answers:
               /auth/...       401 with a Basic challenge unless the account anna / secret-anna
                               comes with it, then 207
               /redirect       302 to /landed on the other plain port
               /endless        200, a body without end (no length, until the client gives up)
               /endless-chunked  the same in chunks
               /too-long       Content-Length 1000000000 and a body without end
               /short          Content-Length 1000, then 10 bytes and a closed connection
               /chunked-cut    a chunk of 256 bytes announced, 10 sent, connection closed
               /chunked-whole  3000 bytes in three chunks, properly ended
               /length-whole   3000 bytes with their Content-Length
               anything else   200 "ok"
  control    plain HTTP, GET only: /relay/reset, /relay/drop (closes the passed-through
             connection), /relay/recorded ("later-connections N", a line break, then every byte
             received on them), /recorder/reset, /recorder/log (one line per request, oldest
             first: port, method, path and the Authorization header or "-", between blanks).

STATE_DIR/transport-servers.env then holds RELAY_URL, RELAY_SHA256, RECORDER_URL, RECORDER_OTHER_URL,
RECORDER_TLS_URL, RECORDER_TLS_SHA256 and CONTROL_URL. The test programs find it through their
compile definition TBOOK_TRANSPORT_SERVERS_ENV.
"""

import base64
import os
import signal
import socket
import ssl
import subprocess
import sys
import threading
import time

USER, PASSWORD = "anna", "secret-anna"
START_TIMEOUT = 20.0
# A later connection that sends nothing is given up after this long.
RECORD_SECONDS = 5.0
PIECE = b"x" * 65536


def make_certificate(state, name):
    cert, key = os.path.join(state, name + "-cert.pem"), os.path.join(state, name + "-key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30",
                    "-keyout", key, "-out", cert, "-subj", "/CN=127.0.0.1",
                    "-addext", "subjectAltName=IP:127.0.0.1"],
                   check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    out = subprocess.run(["openssl", "x509", "-noout", "-fingerprint", "-sha256", "-in", cert],
                         check=True, stdout=subprocess.PIPE, text=True).stdout
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return context, out.strip().split("=", 1)[1].replace(":", "").lower()


def listen():
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind(("127.0.0.1", 0))
    s.listen(16)
    return s


def serve_forever(listener, handle):
    def loop():
        while True:
            connection, _ = listener.accept()
            threading.Thread(target=handle, args=(connection,), daemon=True).start()
    threading.Thread(target=loop, daemon=True).start()


def read_dav_env(path):
    values = {}
    with open(path) as f:
        for line in f:
            key, _, value = line.rstrip("\n").partition("=")
            values[key] = value
    return values


class Relay:
    def __init__(self, context, dav_env):
        self.context = context
        self.dav_env = dav_env
        self.lock = threading.Lock()
        self.passed = False
        self.pipes = []
        self.later_connections = 0
        self.recorded = b""

    def reset(self):
        with self.lock:
            self.drop_locked()
            self.passed = False
            self.later_connections = 0
            self.recorded = b""

    def drop_locked(self):
        for s in self.pipes:
            try:
                s.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            s.close()
        self.pipes = []

    def drop(self):
        with self.lock:
            self.drop_locked()

    def report(self):
        with self.lock:
            return b"later-connections %d\n" % self.later_connections + self.recorded

    def handle(self, client):
        with self.lock:
            first = not self.passed
            self.passed = True
            if not first:
                self.later_connections += 1
        if first:
            self.pass_through(client)
        else:
            self.record(client)

    def pass_through(self, client):
        host, _, port = read_dav_env(self.dav_env)["RADICALE_TLS_URL"].split("//")[1].rstrip("/").partition(":")
        server = socket.create_connection((host, int(port)))
        with self.lock:
            self.pipes += [client, server]

        def pump(source, target):
            try:
                while True:
                    data = source.recv(65536)
                    if not data:
                        break
                    target.sendall(data)
            except OSError:
                pass
            for s in (source, target):
                try:
                    s.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass
        threading.Thread(target=pump, args=(server, client), daemon=True).start()
        pump(client, server)

    def record(self, client):
        client.settimeout(RECORD_SECONDS)
        try:
            tls = self.context.wrap_socket(client, server_side=True)
        except (OSError, ssl.SSLError):
            client.close()
            return
        try:
            while True:
                data = tls.recv(65536)
                if not data:
                    break
                with self.lock:
                    self.recorded += data
        except (OSError, ssl.SSLError):
            pass
        tls.close()


class Recorder:
    def __init__(self, ports):
        self.ports = ports  # {"plain": port, "other": port, "tls": port}
        self.lock = threading.Lock()
        self.log = []

    def reset(self):
        with self.lock:
            self.log = []

    def report(self):
        with self.lock:
            return "".join("%d %s %s %s\n" % entry for entry in self.log).encode()

    def handle(self, connection, port):
        reader = connection.makefile("rb")
        try:
            while self.answer(reader, connection, port):
                pass
        except (OSError, ssl.SSLError, ValueError):
            pass
        try:
            connection.close()
        except OSError:
            pass

    def answer(self, reader, connection, port):
        """One request read and answered; False when the connection is to be closed."""
        line = reader.readline(65536)
        if not line:
            return False
        method, path, _ = line.decode("latin-1").split(" ", 2)
        headers = []
        while True:
            line = reader.readline(65536).decode("latin-1").rstrip("\r\n")
            if not line:
                break
            name, _, value = line.partition(":")
            headers.append([name, value.strip()])
        length = int(next((v for n, v in headers if n.lower() == "content-length"), "0"))
        body = reader.read(length) if length else b""
        authorization = next((v for n, v in headers if n.lower() == "authorization"), "-")
        with self.lock:
            self.log.append((port, method, path, authorization))
        send = connection.sendall
        if path.startswith("/auth/"):
            expected = "Basic " + base64.b64encode(("%s:%s" % (USER, PASSWORD)).encode()).decode()
            if next((v for n, v in headers if n.lower() == "authorization"), None) == expected:
                send(response(207, b"<multistatus xmlns=\"DAV:\"/>", [("Content-Type", "application/xml")]))
            else:
                send(response(401, b"who are you?", [("WWW-Authenticate", "Basic realm=\"test\"")]))
            return True
        if path == "/redirect":
            send(response(302, b"", [("Location", "http://127.0.0.1:%d/landed" % self.ports["other"])]))
            return True
        if path in ("/endless", "/too-long"):
            length = "Content-Length: 1000000000\r\n" if path == "/too-long" else ""
            send(("HTTP/1.1 200 OK\r\n%sConnection: close\r\n\r\n" % length).encode())
            while True:
                send(PIECE)
        if path == "/endless-chunked":
            send(b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n")
            while True:
                send(b"%x\r\n%s\r\n" % (len(PIECE), PIECE))
        if path == "/short":
            send(b"HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n0123456789")
            return False
        if path == "/chunked-cut":
            send(b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n100\r\n0123456789")
            return False
        if path == "/chunked-whole":
            send(b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" +
                 b"".join(b"3e8\r\n" + b"y" * 1000 + b"\r\n" for _ in range(3)) + b"0\r\n\r\n")
            return True
        if path == "/length-whole":
            send(response(200, b"z" * 3000))
            return True
        send(response(200, b"ok"))
        return True


def response(status, body, headers=()):
    reasons = {200: "OK", 207: "Multi-Status", 302: "Found", 401: "Unauthorized", 404: "Not Found"}
    head = "HTTP/1.1 %d %s\r\nContent-Length: %d\r\n" % (status, reasons[status], len(body))
    head += "".join("%s: %s\r\n" % header for header in headers)
    return head.encode() + b"\r\n" + body


def control_handler(relay, recorder):
    actions = {
        "/relay/reset": lambda: relay.reset() or b"done\n",
        "/relay/drop": lambda: relay.drop() or b"done\n",
        "/relay/recorded": relay.report,
        "/recorder/reset": lambda: recorder.reset() or b"done\n",
        "/recorder/log": recorder.report,
    }

    def handle(connection):
        reader = connection.makefile("rb")
        try:
            while True:
                line = reader.readline(65536)
                if not line:
                    break
                path = line.decode("latin-1").split(" ")[1]
                while reader.readline(65536).strip():
                    pass
                action = actions.get(path)
                connection.sendall(response(200, action()) if action else response(404, b"no such action\n"))
        except OSError:
            pass
        connection.close()
    return handle


def serve(state, dav_env):
    relay_context, relay_sha256 = make_certificate(state, "relay")
    recorder_context, recorder_sha256 = make_certificate(state, "recorder")
    listeners = {name: listen() for name in ("relay", "plain", "other", "tls", "control")}
    ports = {name: s.getsockname()[1] for name, s in listeners.items()}
    relay = Relay(relay_context, dav_env)
    recorder = Recorder(ports)
    serve_forever(listeners["relay"], relay.handle)
    for name in ("plain", "other"):
        serve_forever(listeners[name], lambda c, port=ports[name]: recorder.handle(c, port))

    def handle_tls(connection):
        connection.settimeout(RECORD_SECONDS * 4)
        try:
            tls = recorder_context.wrap_socket(connection, server_side=True)
        except (OSError, ssl.SSLError):
            connection.close()
            return
        recorder.handle(tls, ports["tls"])
    serve_forever(listeners["tls"], handle_tls)
    serve_forever(listeners["control"], control_handler(relay, recorder))
    lines = {
        "RELAY_URL": "https://127.0.0.1:%d/" % ports["relay"],
        "RELAY_SHA256": relay_sha256,
        "RECORDER_URL": "http://127.0.0.1:%d/" % ports["plain"],
        "RECORDER_OTHER_URL": "http://127.0.0.1:%d/" % ports["other"],
        "RECORDER_TLS_URL": "https://127.0.0.1:%d/" % ports["tls"],
        "RECORDER_TLS_SHA256": recorder_sha256,
        "CONTROL_URL": "http://127.0.0.1:%d/" % ports["control"],
    }
    path = os.path.join(state, "transport-servers.env")
    with open(path + ".tmp", "w") as f:
        f.writelines("%s=%s\n" % item for item in lines.items())
    os.replace(path + ".tmp", path)
    signal.sigwait([signal.SIGTERM, signal.SIGINT])


def is_ours(pid, state):
    # A pid recorded here may have been reused since: stop only the process serving STATE_DIR.
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            return os.path.abspath(state).encode() in f.read()
    except OSError:
        return False


def stop(state):
    pid_file = os.path.join(state, "transport-servers.pid")
    try:
        with open(pid_file) as f:
            pid = int(f.read())
    except (OSError, ValueError):
        return
    if is_ours(pid, state):
        os.kill(pid, signal.SIGTERM)
        deadline = time.monotonic() + 5
        while is_ours(pid, state) and time.monotonic() < deadline:
            time.sleep(0.05)
        if is_ours(pid, state):
            os.kill(pid, signal.SIGKILL)
    os.remove(pid_file)


def start(state, dav_env):
    stop(state)
    os.makedirs(state, exist_ok=True)
    env_file = os.path.join(state, "transport-servers.env")
    if os.path.exists(env_file):
        os.remove(env_file)
    log = open(os.path.join(state, "transport-servers.log"), "ab")
    process = subprocess.Popen([sys.executable, os.path.abspath(__file__), "serve", os.path.abspath(state),
                                os.path.abspath(dav_env)],
                               stdin=subprocess.DEVNULL, stdout=log, stderr=log, start_new_session=True)
    log.close()
    with open(os.path.join(state, "transport-servers.pid"), "w") as f:
        f.write(str(process.pid))
    deadline = time.monotonic() + START_TIMEOUT
    while not os.path.exists(env_file):
        if process.poll() is not None or time.monotonic() > deadline:
            stop(state)
            sys.stderr.write("transport_servers.py start: the servers did not start; see %s\n" %
                             os.path.join(state, "transport-servers.log"))
            return 1
        time.sleep(0.05)
    return 0


def main(argv):
    if len(argv) == 4 and argv[1] == "start":
        return start(argv[2], argv[3])
    if len(argv) == 3 and argv[1] == "stop":
        stop(argv[2])
        return 0
    if len(argv) == 4 and argv[1] == "serve":
        signal.pthread_sigmask(signal.SIG_BLOCK, [signal.SIGTERM, signal.SIGINT])
        serve(argv[2], argv[3])
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
