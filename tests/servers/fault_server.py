#!/usr/bin/env python3
"""A small HTTP/1.1 server that misbehaves on demand, for the things nginx will not do.

Standard library only. Binds 127.0.0.1 on a free port, writes the port to --port-file and
ends by itself after --time-limit seconds. Every request is recorded (request line and
headers, as received) and can be read back with GET /_log?tag=TEXT, which answers the
requests whose target contains TEXT as blocks separated by an empty line:

    GET /redirect/3?tag=abc HTTP/1.1
    Host: 127.0.0.1:40123
    Range: bytes=0-0
    <empty line>

Give every request of one test a unique tag in its query (?tag=...); redirects keep the
query, so a whole chain can be read back by its tag. A tag in a header (a Referer, say)
finds requests whose target cannot carry one. Requests to /_log are not recorded.
Requests in absolute form (GET http://host/path) are served as if local, so the server also
acts as a plain HTTP proxy for proxy tests. The endpoints are listed in README.md.
"""

import argparse
import base64
import hashlib
import os
import secrets
import socketserver
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, HTTPServer

LOG = []
LOG_LOCK = threading.Lock()
LOG_CAP = 20000  # requests kept; the oldest go first
STATE = {}  # /seg counters per group
STATE_LOCK = threading.Lock()


def body_bytes(size, seed=0):
    """Deterministic bytes: byte i is (i * 7 + seed) % 251, so any range can be checked."""
    pattern = bytes((i * 7 + seed) % 251 for i in range(251))
    reps, rest = divmod(size, 251)
    return pattern * reps + pattern[:rest]


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "VonuFaultServer/1.0"

    def log_message(self, fmt, *args):  # quiet: the log endpoint is the record
        pass

    # --- helpers -------------------------------------------------------------------------
    def record(self):
        head = self.requestline + "\r\n" + "".join(
            f"{k}: {v}\r\n" for k, v in self.headers.items())
        with LOG_LOCK:
            LOG.append((self.path, head))
            if len(LOG) > LOG_CAP:
                del LOG[: len(LOG) - LOG_CAP]

    def send(self, status, body=b"", headers=(), content_type="application/octet-stream",
             length=None):
        self.send_response(status)
        names = {k.lower() for k, _ in headers}
        if "content-type" not in names and content_type:
            self.send_header("Content-Type", content_type)
        if "content-length" not in names:
            self.send_header("Content-Length", str(len(body) if length is None else length))
        for k, v in headers:
            self.send_header(k, v)
        self.end_headers()
        if body:
            self.wfile.write(body)

    def query(self, name, default=None):
        values = self.params.get(name)
        return values[0] if values else default

    def int_query(self, name, default):
        try:
            return int(self.query(name, default))
        except (TypeError, ValueError):
            return default

    def keep_query(self):
        return ("?" + self.raw_query) if self.raw_query else ""

    def requested_range(self, size):
        """(first, last) asked by a single bytes= range, or None."""
        value = self.headers.get("Range", "")
        if not value.startswith("bytes=") or "," in value:
            return None
        first, _, last = value[6:].partition("-")
        try:
            if first == "":
                n = int(last)
                return (max(0, size - n), size - 1)
            a = int(first)
            b = int(last) if last else size - 1
        except ValueError:
            return None
        return (a, min(b, size - 1))

    # --- dispatch ------------------------------------------------------------------------
    def do_GET(self):
        target = self.path
        if target.startswith("http://") or target.startswith("https://"):
            # absolute form: we are being used as a proxy
            parsed = urllib.parse.urlsplit(target)
            target = parsed.path + ("?" + parsed.query if parsed.query else "")
        path, _, self.raw_query = target.partition("?")
        self.params = urllib.parse.parse_qs(self.raw_query, keep_blank_values=True)
        if path == "/_log":
            return self.serve_log()
        if path == "/_stats":
            return self.serve_stats()
        self.record()
        parts = [p for p in path.split("/") if p]
        name = parts[0] if parts else ""
        handler = getattr(self, "ep_" + name.replace("-", "_"), None)
        if handler is None:
            return self.send(404, b"no such endpoint\n", content_type="text/plain")
        try:
            handler(parts[1:])
        except (BrokenPipeError, ConnectionResetError, ConnectionAbortedError):
            self.close_connection = True

    def do_HEAD(self):
        self.record()
        self.send(405, b"", content_type="text/plain")

    def serve_log(self):
        tag = self.query("tag", "")
        with LOG_LOCK:
            blocks = [head for target, head in LOG if tag in head]
        self.send(200, "".join(b + "\r\n" for b in blocks).encode("utf-8"),
                  content_type="text/plain; charset=utf-8")

    def serve_stats(self):
        with STATE_LOCK:
            st = dict(STATE.get(self.query("group", ""), {"requests": 0, "active": 0, "max": 0}))
        text = f"requests={st['requests']}\nactive={st['active']}\nmax={st['max']}\n"
        self.send(200, text.encode(), content_type="text/plain")

    # --- endpoints -----------------------------------------------------------------------
    def ep_file(self, rest):
        """/file?size=N[&seed=S][&late=MS]: N deterministic bytes; honours Range with 206.
        late: every answer waits MS milliseconds (at most 30 s) before its headers."""
        time.sleep(min(max(self.int_query("late", 0), 0), 30000) / 1000)
        size = self.int_query("size", 1024)
        data = body_bytes(size, self.int_query("seed", 0))
        extra = [("Accept-Ranges", "bytes")]
        for key in ("cd", "ct"):
            if self.query(key) is not None:
                extra.append(("Content-Disposition" if key == "cd" else "Content-Type",
                              self.query(key)))
        r = self.requested_range(size)
        if r and r[0] < size:
            a, b = r
            extra.append(("Content-Range", f"bytes {a}-{b}/{size}"))
            return self.send(206, data[a:b + 1], extra)
        if r:
            return self.send(416, b"", [("Content-Range", f"bytes */{size}")])
        self.send(200, data, extra)

    def ep_ignore_range(self, rest):
        """/ignore-range?size=N: a 200 with the whole body whatever the Range says."""
        size = self.int_query("size", 1024)
        self.send(200, body_bytes(size), [("Accept-Ranges", "none")])

    def ep_headers(self, rest):
        """/headers?status=S&cd=..&ct=..&cl=..&cr=..&size=N: chosen status and headers."""
        status = self.int_query("status", 200)
        size = self.int_query("size", 16)
        headers = []
        names = {"cd": "Content-Disposition", "ct": "Content-Type", "cr": "Content-Range",
                 "loc": "Location", "www": "WWW-Authenticate"}
        for key, header in names.items():
            if self.query(key) is not None:
                headers.append((header, self.query(key)))
        length = self.query("cl")
        data = body_bytes(size)
        if length is not None:
            # Content-Length as given (even garbage); the body is what size says.
            headers.append(("Content-Length", length))
            self.send(status, data, headers, content_type=None if "ct" in self.params
                      else "application/octet-stream")
            self.close_connection = True
            return
        self.send(status, data, headers,
                  content_type=None if "ct" in self.params else "application/octet-stream")

    def ep_star(self, rest):
        """/star: 206 with an unknown total (bytes 0-0/*)."""
        self.send(206, b"x", [("Content-Range", "bytes 0-0/*")])

    def ep_status(self, rest):
        """/status/CODE: that status with a short text body."""
        code = int(rest[0]) if rest and rest[0].isdigit() else 500
        self.send(code, f"status {code}\n".encode(), content_type="text/plain")

    def ep_redirect(self, rest):
        """/redirect/N: N redirects (to /redirect/N-1 ...) then /redirect/0 answers 200.
        ?status=301|302|303|307|308 chooses the code; ?rel=1 uses a relative Location."""
        n = int(rest[0]) if rest and rest[0].isdigit() else 0
        if n <= 0:
            return self.send(200, b"end of chain\n", content_type="text/plain")
        status = self.int_query("status", 302)
        if self.query("rel") == "1":
            location = f"{n - 1}{self.keep_query()}"
        else:
            location = f"http://{self.headers.get('Host')}/redirect/{n - 1}{self.keep_query()}"
        self.send(status, b"", [("Location", location)])

    def ep_loop(self, rest):
        """/loop: redirects to itself for ever."""
        self.send(302, b"", [("Location", "/loop" + self.keep_query())])

    def ep_noloc(self, rest):
        """/noloc: a 302 without a Location header."""
        self.send(302, b"")

    def ep_location(self, rest):
        """/location?to=ADDRESS[&status=S]: one redirect to exactly that Location."""
        self.send(self.int_query("status", 302), b"", [("Location", self.query("to", ""))])

    def ep_bigloc(self, rest):
        """/bigloc?size=N: a redirect whose Location is N characters long."""
        size = self.int_query("size", 100000)
        self.send(302, b"", [("Location", "/file?pad=" + "a" * max(0, size - 10))])

    def ep_auth(self, rest):
        """/auth/basic|digest?user=U&pass=P: a 401 challenge until the right credentials."""
        kind = rest[0] if rest else "basic"
        user, password = self.query("user", "user"), self.query("pass", "secret")
        given = self.headers.get("Authorization", "")
        ok = False
        if kind == "basic" and given.startswith("Basic "):
            try:
                ok = base64.b64decode(given[6:]).decode("utf-8") == f"{user}:{password}"
            except Exception:
                ok = False
        elif kind == "digest" and given.startswith("Digest "):
            ok = self.digest_ok(given[7:], user, password)
        if ok:
            return self.send(200, body_bytes(self.int_query("size", 64)))
        realm = "vonu-test"
        if kind == "digest":
            nonce = secrets.token_hex(16)
            challenge = f'Digest realm="{realm}", qop="auth", nonce="{nonce}", algorithm=MD5'
        else:
            challenge = f'Basic realm="{realm}"'
        self.send(401, b"login needed\n", [("WWW-Authenticate", challenge)],
                  content_type="text/plain")

    def digest_ok(self, text, user, password):
        fields = {}
        for item in text.split(","):
            k, _, v = item.strip().partition("=")
            fields[k.strip()] = v.strip().strip('"')
        try:
            ha1 = hashlib.md5(f"{user}:{fields['realm']}:{password}".encode()).hexdigest()
            ha2 = hashlib.md5(f"GET:{fields['uri']}".encode()).hexdigest()
            if fields.get("qop"):
                expect = hashlib.md5(
                    f"{ha1}:{fields['nonce']}:{fields['nc']}:{fields['cnonce']}:"
                    f"{fields['qop']}:{ha2}".encode()).hexdigest()
            else:
                expect = hashlib.md5(f"{ha1}:{fields['nonce']}:{ha2}".encode()).hexdigest()
        except KeyError:
            return False
        return fields.get("username") == user and fields.get("response") == expect

    def ep_short(self, rest):
        """/short?claim=N&send=M: Content-Length N, then M bytes and the connection closes."""
        claim, send = self.int_query("claim", 100000), self.int_query("send", 1000)
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(claim))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body_bytes(send))
        self.wfile.flush()
        self.close_connection = True

    def ep_stall(self, rest):
        """/stall?size=N: headers, then nothing until the client leaves (or 120 s)."""
        self.send_response(200)
        self.send_header("Content-Length", str(self.int_query("size", 1000000)))
        self.end_headers()
        self.wfile.flush()
        self.wait_for_close(120)

    def ep_trickle(self, rest):
        """/trickle?chunk=C&pause=MS&size=N: N bytes in C-byte pieces, MS ms apart.
        Without size the body never ends (Content-Length claims 1 GiB)."""
        chunk, pause = self.int_query("chunk", 1024), self.int_query("pause", 50) / 1000.0
        size = self.int_query("size", 1 << 30)
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(size))
        self.end_headers()
        sent = 0
        pattern = body_bytes(chunk + 251)  # byte i of the body is still (i * 7) % 251
        while sent < size:
            n = min(chunk, size - sent)
            start = sent % 251
            self.wfile.write(pattern[start:start + n])
            self.wfile.flush()
            sent += n
            if sent < size:
                time.sleep(pause)

    def ep_endless(self, rest):
        """/endless: a chunked body that never ends, sent as fast as the client reads."""
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Transfer-Encoding", "chunked")
        self.end_headers()
        piece = body_bytes(251 * 261)  # a whole number of periods: the body stays the pattern
        frame = b"%x\r\n" % len(piece) + piece + b"\r\n"
        while True:
            self.wfile.write(frame)

    def ep_pac(self, rest):
        """/pac?proxy=HOST:PORT: a proxy auto-configuration script naming that proxy."""
        proxy = self.query("proxy", "127.0.0.1:1")
        script = f'function FindProxyForURL(url, host) {{ return "PROXY {proxy}"; }}\n'
        self.send(200, script.encode(), content_type="application/x-ns-proxy-autoconfig")

    def ep_seg(self, rest):
        """/seg?size=N&seed=S&group=G: a ranged file for segmented transfers, with faults:
        rate=B bytes per second per response (slow_below=X: responses whose range starts
        below X get slow_rate=B instead); cut=K&cuts=C: the first C responses longer than
        K bytes stop after K bytes and drop the connection; ignore_after=K: after K requests
        ranges are answered with 200 and the whole body; change_after=K&size2=M&seed2=S2:
        after K requests the file is another one. Requests of one group (default: the tag)
        are counted: /_stats?group=G answers requests, active and the most active at once.
        from_zero=1, shift=K, max_len=K: 206 answers for another range than the one asked
        (see misanswered_range)."""
        group = self.query("group", self.query("tag", ""))
        with STATE_LOCK:
            st = STATE.setdefault(group, {"requests": 0, "active": 0, "max": 0, "cuts": 0})
            st["requests"] += 1
            n = st["requests"]
            st["active"] += 1
            st["max"] = max(st["max"], st["active"])
        try:
            self.serve_seg(st, n)
        finally:
            with STATE_LOCK:
                st["active"] -= 1

    def serve_seg(self, st, n):
        size, seed = self.int_query("size", 1 << 20), self.int_query("seed", 0)
        change_after = self.int_query("change_after", 0)
        if change_after and n > change_after:
            size, seed = self.int_query("size2", size), self.int_query("seed2", seed)
        r = self.requested_range(size)
        ignore_after = self.int_query("ignore_after", 0)
        if ignore_after and n > ignore_after:
            r = None
        if r and r[0] >= size:
            return self.send(416, b"", [("Content-Range", f"bytes */{size}")])
        a, b = r if r else (0, size - 1)
        status = 206 if r else 200
        if r:
            a, b = self.misanswered_range(a, b, size)
        rate = self.int_query("rate", 0)
        if a < self.int_query("slow_below", 0):
            rate = self.int_query("slow_rate", rate)
        length = b - a + 1
        cut = self.int_query("cut", 0)
        with STATE_LOCK:
            do_cut = cut and length > cut and st["cuts"] < self.int_query("cuts", 1)
            if do_cut:
                st["cuts"] += 1
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(length))
        self.send_header("Accept-Ranges", "bytes")
        if r:
            self.send_header("Content-Range", f"bytes {a}-{b}/{size}")
        self.end_headers()
        period = 251
        pattern = body_bytes(65536 + period, seed)
        pos, end = a, a + (cut if do_cut else length)
        began = time.monotonic()
        while pos < end:
            k = min(65536, end - pos)
            start = pos % period
            self.wfile.write(pattern[start:start + k])
            pos += k
            if rate > 0:
                ahead = (pos - a) / rate - (time.monotonic() - began)
                if ahead > 0:
                    time.sleep(ahead)
        self.wfile.flush()
        if do_cut:
            self.close_connection = True

    def misanswered_range(self, a, b, size):
        """The range a 206 answer carries instead of a-b, as broken servers and caches do:
        from_zero=1: the asked-for length from byte 0; shift=K: that length K bytes further on
        (or back, at the end of the file); max_len=K: at most K bytes from a. The answer's
        Content-Range and body always agree with each other."""
        length = b - a + 1
        if self.query("from_zero") == "1":
            a, b = 0, length - 1
        shift = self.int_query("shift", 0)
        if shift:
            start = a + shift if a + shift + length <= size else max(0, a - shift)
            a, b = start, start + length - 1
        max_len = self.int_query("max_len", 0)
        if max_len and length > max_len:
            b = a + max_len - 1
        return a, b

    def ep_chunked(self, rest):
        """/chunked?size=N: N pattern bytes, chunked, with no length anywhere (ranges ignored)."""
        size = self.int_query("size", 100000)
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Transfer-Encoding", "chunked")
        self.end_headers()
        data = body_bytes(size)
        for i in range(0, size, 50000):
            piece = data[i:i + 50000]
            self.wfile.write(b"%x\r\n" % len(piece) + piece + b"\r\n")
        self.wfile.write(b"0\r\n\r\n")
        self.wfile.flush()

    def wait_for_close(self, limit):
        end = time.monotonic() + limit
        self.connection.settimeout(0.2)
        while time.monotonic() < end:
            try:
                if not self.connection.recv(4096):
                    break
            except TimeoutError:
                continue
            except OSError:
                break
        self.close_connection = True


class Server(socketserver.ThreadingMixIn, HTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--time-limit", type=float, default=1800)
    args = parser.parse_args()

    server = Server(("127.0.0.1", 0), Handler)
    # The time limit holds even if nobody ever stops us.
    timer = threading.Timer(args.time_limit, lambda: os._exit(0))
    timer.daemon = True
    timer.start()
    tmp = args.port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(tmp, args.port_file)
    try:
        server.serve_forever(poll_interval=0.2)
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
