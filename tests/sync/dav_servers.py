#!/usr/bin/env python3
"""Real CardDAV servers on 127.0.0.1 for the synchronisation tests.

    dav_servers.py start STATE_DIR             fresh storage, start every server, write the env file
    dav_servers.py stop STATE_DIR              stop every server started from STATE_DIR
    dav_servers.py stop-one STATE_DIR NAME     stop one server, keeping its port and storage
    dav_servers.py restart STATE_DIR NAME      start it again on the same port with the same storage

NAME is radicale, radicale-tls or xandikos:
  radicale      plain HTTP, htpasswd authentication: user "anna", password "secret-anna"
  radicale-tls  the same over HTTPS with a self-signed certificate made at start (own storage)
  xandikos      plain HTTP, no authentication, with its default address book

STATE_DIR/dav-servers.env then holds KEY=VALUE lines: RADICALE_URL, RADICALE_BOOK, RADICALE_TLS_URL,
RADICALE_TLS_BOOK, RADICALE_TLS_SHA256 (the certificate's SHA-256, lower-case hex without colons),
XANDIKOS_URL, XANDIKOS_BOOK, DAV_USER, DAV_PASSWORD, the servers' pids (RADICALE_PID, ...), and
DAV_SERVERS_PYTHON, DAV_SERVERS_SCRIPT and DAV_STATE_DIR for a test that stops or restarts one. CTest's dav.setup and dav.teardown run
start and stop on BUILD_DIR/dav; the test programs find the env file through their compile
definition TBOOK_DAV_SERVERS_ENV.

The servers run under Debian's /usr/bin/python3, whatever python comes first on PATH, since that
is where Debian installs them. A server that does not answer in time fails the start, and the
start then stops every server it had begun: none is left running.
"""

import base64
import json
import os
import shutil
import signal
import socket
import ssl
import subprocess
import sys
import time
import urllib.error
import urllib.request

SYSTEM_PYTHON = "/usr/bin/python3"
USER = "anna"
PASSWORD = "secret-anna"
BOOK_PATH = "/anna/contacts/"
START_TIMEOUT = 30.0

MKCOL_ADDRESS_BOOK = b"""<?xml version="1.0" encoding="utf-8"?>
<D:mkcol xmlns:D="DAV:" xmlns:C="urn:ietf:params:xml:ns:carddav">
  <D:set><D:prop>
    <D:resourcetype><D:collection/><C:addressbook/></D:resourcetype>
    <D:displayname>Contacts</D:displayname>
  </D:prop></D:set>
</D:mkcol>
"""


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def run(args, **kwargs):
    return subprocess.run(args, check=True, stdin=subprocess.DEVNULL, **kwargs)


def make_certificate(state):
    cert, key = os.path.join(state, "cert.pem"), os.path.join(state, "key.pem")
    run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30",
         "-keyout", key, "-out", cert, "-subj", "/CN=127.0.0.1",
         "-addext", "subjectAltName=IP:127.0.0.1"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    out = run(["openssl", "x509", "-noout", "-fingerprint", "-sha256", "-in", cert],
              stdout=subprocess.PIPE, text=True).stdout
    return cert, key, out.strip().split("=", 1)[1].replace(":", "").lower()


def make_htpasswd(state):
    # Apache's MD5 form, which the radicale of Debian 12 reads through passlib.
    hashed = run(["openssl", "passwd", "-apr1", PASSWORD], stdout=subprocess.PIPE, text=True).stdout.strip()
    path = os.path.join(state, "users")
    with open(path, "w") as f:
        f.write("%s:%s\n" % (USER, hashed))
    return path


def radicale_command(state, name, port, users, tls=None):
    command = [SYSTEM_PYTHON, "-m", "radicale", "--config", "",
               "--server-hosts", "127.0.0.1:%d" % port,
               "--auth-type", "htpasswd", "--auth-htpasswd-filename", users,
               "--auth-htpasswd-encryption", "md5", "--auth-delay", "0",
               "--rights-type", "owner_only",
               "--storage-filesystem-folder", os.path.join(state, name + "-storage"),
               "--logging-level", "warning"]
    if tls:
        command += ["--server-ssl", "True", "--server-certificate", tls[0], "--server-key", tls[1]]
    return command


def xandikos_command(state, port):
    return [SYSTEM_PYTHON, "/usr/bin/xandikos", "--directory", os.path.join(state, "xandikos-storage"),
            "--defaults", "--listen-address", "127.0.0.1", "--port", str(port)]


def request(url, method="PROPFIND", body=None, auth=True, headers=None):
    """The status of one request; None when nothing answers."""
    req = urllib.request.Request(url, data=body, method=method, headers=dict(headers or {}))
    if auth:
        token = base64.b64encode(("%s:%s" % (USER, PASSWORD)).encode()).decode()
        req.add_header("Authorization", "Basic " + token)
    context = ssl.create_default_context()
    context.check_hostname = False
    context.verify_mode = ssl.CERT_NONE
    try:
        with urllib.request.urlopen(req, timeout=5, context=context) as response:
            return response.status
    except urllib.error.HTTPError as e:
        return e.code
    except (urllib.error.URLError, OSError):
        return None


class State:
    """The servers of one STATE_DIR, kept in STATE_DIR/servers.json between calls."""

    def __init__(self, state):
        self.dir = os.path.abspath(state)
        self.file = os.path.join(self.dir, "servers.json")
        self.servers = {}
        if os.path.exists(self.file):
            with open(self.file) as f:
                self.servers = json.load(f)

    def save(self):
        with open(self.file + ".tmp", "w") as f:
            json.dump(self.servers, f, indent=1)
        os.replace(self.file + ".tmp", self.file)

    def launch(self, name):
        server = self.servers[name]
        log = open(os.path.join(self.dir, name + ".log"), "ab")
        process = subprocess.Popen(server["command"], stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                   start_new_session=True, cwd=self.dir)
        log.close()
        server["pid"] = process.pid
        self.save()
        deadline = time.monotonic() + START_TIMEOUT
        while time.monotonic() < deadline:
            if process.poll() is not None:
                raise RuntimeError("%s exited with status %d; see %s.log" % (name, process.returncode, name))
            if request(server["url"], "OPTIONS", auth=server["auth"]) is not None:
                return
            time.sleep(0.1)
        raise RuntimeError("%s did not answer within %d s" % (name, START_TIMEOUT))

    def is_ours(self, pid):
        # A pid recorded here may have been reused by another process since: kill only the one
        # whose command line is this server's.
        try:
            with open("/proc/%d/cmdline" % pid, "rb") as f:
                return self.dir.encode() in f.read()
        except OSError:
            return False

    def kill(self, name):
        server = self.servers.get(name)
        pid = server.get("pid") if server else None
        if not pid:
            return
        if self.is_ours(pid):
            os.kill(pid, signal.SIGTERM)
            deadline = time.monotonic() + 5
            while self.is_ours(pid) and time.monotonic() < deadline:
                time.sleep(0.05)
            if self.is_ours(pid):
                os.kill(pid, signal.SIGKILL)
                while self.is_ours(pid):
                    time.sleep(0.05)
        server["pid"] = None
        self.save()

    def kill_all(self):
        for name in list(self.servers):
            self.kill(name)

    def write_env(self):
        lines = {
            "RADICALE_URL": self.servers["radicale"]["url"],
            "RADICALE_BOOK": self.servers["radicale"]["url"].rstrip("/") + BOOK_PATH,
            "RADICALE_TLS_URL": self.servers["radicale-tls"]["url"],
            "RADICALE_TLS_BOOK": self.servers["radicale-tls"]["url"].rstrip("/") + BOOK_PATH,
            "RADICALE_TLS_SHA256": self.servers["radicale-tls"]["sha256"],
            "XANDIKOS_URL": self.servers["xandikos"]["url"],
            "XANDIKOS_BOOK": self.servers["xandikos"]["url"].rstrip("/") + "/user/contacts/addressbook/",
            "DAV_USER": USER,
            "DAV_PASSWORD": PASSWORD,
            "RADICALE_PID": self.servers["radicale"]["pid"],
            "RADICALE_TLS_PID": self.servers["radicale-tls"]["pid"],
            "XANDIKOS_PID": self.servers["xandikos"]["pid"],
            "DAV_SERVERS_PYTHON": SYSTEM_PYTHON,
            "DAV_SERVERS_SCRIPT": os.path.abspath(__file__),
            "DAV_STATE_DIR": self.dir,
        }
        path = os.path.join(self.dir, "dav-servers.env")
        with open(path + ".tmp", "w") as f:
            f.writelines("%s=%s\n" % item for item in lines.items())
        os.replace(path + ".tmp", path)


def start(state_dir):
    if os.path.isdir(state_dir):
        State(state_dir).kill_all()
    shutil.rmtree(state_dir, ignore_errors=True)
    os.makedirs(state_dir)
    state = State(state_dir)
    users = make_htpasswd(state.dir)
    cert, key, sha256 = make_certificate(state.dir)
    ports = {name: free_port() for name in ("radicale", "radicale-tls", "xandikos")}
    state.servers = {
        "radicale": {"command": radicale_command(state.dir, "radicale", ports["radicale"], users),
                     "url": "http://127.0.0.1:%d/" % ports["radicale"], "auth": True},
        "radicale-tls": {"command": radicale_command(state.dir, "radicale-tls", ports["radicale-tls"], users,
                                                     (cert, key)),
                         "url": "https://127.0.0.1:%d/" % ports["radicale-tls"], "auth": True, "sha256": sha256},
        "xandikos": {"command": xandikos_command(state.dir, ports["xandikos"]),
                     "url": "http://127.0.0.1:%d/" % ports["xandikos"], "auth": False},
    }
    state.save()
    try:
        for name, server in state.servers.items():
            state.launch(name)
            if name.startswith("radicale"):
                book = server["url"].rstrip("/") + BOOK_PATH
                status = request(book, "MKCOL", MKCOL_ADDRESS_BOOK, headers={"Content-Type": "application/xml"})
                if status != 201:
                    raise RuntimeError("%s refused to create %s: status %s" % (name, book, status))
        state.write_env()
    except BaseException:
        state.kill_all()
        raise


def main(argv):
    if len(argv) < 3 or argv[1] not in ("start", "stop", "stop-one", "restart") \
            or (argv[1] in ("stop-one", "restart")) != (len(argv) == 4):
        sys.stderr.write(__doc__)
        return 2
    command, state_dir = argv[1], argv[2]
    try:
        if command == "start":
            start(state_dir)
        elif os.path.isdir(state_dir):
            state = State(state_dir)
            if command == "stop":
                state.kill_all()
            elif argv[3] not in state.servers:
                raise RuntimeError("no server named %s" % argv[3])
            elif command == "stop-one":
                state.kill(argv[3])
            else:
                state.kill(argv[3])
                state.launch(argv[3])
                state.write_env()
    except (RuntimeError, OSError, subprocess.CalledProcessError) as e:
        sys.stderr.write("dav_servers.py %s: %s\n" % (command, e))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
