#!/usr/bin/env python3
"""The FTP test server of one build folder (the ctest fixture ftp_server): pyftpdlib.

    ftp_server.py start DIR [--time-limit S]
    ftp_server.py stop DIR
    ftp_server.py serve DIR          (what start runs in the background)

start: makes DIR/root with the test files, starts `serve` under timeout(1) and waits until it
has written DIR/ports.txt; DIR/pids.txt names the process. stop: ends it by its pid.

serve: four servers on free ports of 127.0.0.1, all on DIR/root, all with the logins
anonymous (any password) and user / secret:
  FTP_PORT         an ordinary server (REST, SIZE, passive mode); paths are UTF-8 and
                   "OPTS UTF8 ON" is accepted, as vsftpd and proftpd do
  FTP_NOREST_PORT  the same, but REST is refused (502), as some servers do
  FTP_SLOW_PORT    the same as FTP_PORT with data sent evenly at 256 KB/s per transfer
  FTP_LATIN1_PORT  an old server: "OPTS UTF8 ON" is refused (501) and command lines are read
                   as Latin-1, so only the Latin-1 bytes of a name find its file
Every command line received is appended to DIR/commands.log (the FTP_LOG line of
ports.txt) as "SESSION SERVER USER COMMAND-LINE", the command line exactly as the bytes came
in (no decoding), so tests can see REST offsets, logins, the bytes of paths and the order of
commands. A path "/t/TAG/NAME" is served as "/NAME": a test puts its own tag
into the path and finds its sessions in the log by it.
Only loopback is used. See README.md in this folder.
"""

import argparse
import itertools
import os
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from server_process import stop_pids, write_pattern_files  # noqa: E402

# Files in DIR/root: name -> size. Contents: body_bytes(size).
FILES = {
    "empty.bin": 0,
    "small.bin": 1000,
    "4mib.bin": 4 * 1024 * 1024,
    "20mib.bin": 20 * 1024 * 1024,
    # Names beyond ASCII, kept as UTF-8 on the disk as Linux servers keep them.
    "caf\u00e9 menu.bin": 4 * 1024 * 1024,
    "\u0645\u0644\u0641.bin": 4 * 1024 * 1024,  # Arabic; its UTF-8 holds 0x81 and 0x85
}
SLOW_BYTES_PER_SECOND = 256 * 1024


def make_files(root):
    write_pattern_files(root, FILES)


def serve(d):
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.filesystems import AbstractedFS
    from pyftpdlib.handlers import DTPHandler, FTPHandler
    from pyftpdlib.servers import FTPServer

    root = os.path.join(d, "root")
    log = open(os.path.join(d, "commands.log"), "ab", buffering=0)
    log_lock = threading.Lock()
    sessions = itertools.count(1)

    authorizer = DummyAuthorizer()
    authorizer.add_anonymous(root, perm="elr")
    authorizer.add_user("user", "secret", root, perm="elr")

    class TaggedFS(AbstractedFS):
        """ "/t/TAG/rest" is "/rest": the tag only marks whose request it is."""

        def ftp2fs(self, ftppath):
            norm = self.ftpnorm(ftppath)
            parts = norm.split("/")
            if len(parts) >= 3 and parts[1] == "t":
                norm = "/" + "/".join(parts[3:])
            return super().ftp2fs(norm)

    class LoggingHandler(FTPHandler):
        server_name = "main"
        abstracted_fs = TaggedFS
        authorizer = None
        banner = "Vonu test FTP server ready."
        auth_failed_timeout = 0.5  # pyftpdlib's 3 s pause after a wrong password, shortened

        def on_connect(self):
            self.session_id = next(sessions)

        def decode(self, raw):
            self._raw_line = raw  # what the log shows: the bytes as they came
            return raw.decode("utf8", self.unicode_errors)

        def pre_process_command(self, line, cmd, arg):
            raw = getattr(self, "_raw_line", line.encode("utf8"))
            with log_lock:
                log.write(f"S{getattr(self, 'session_id', 0)} {self.server_name} "
                          f"{self.username or '-'} ".encode() + raw + b"\n")
            return super().pre_process_command(line, cmd, arg)

        def ftp_OPTS(self, line):
            if line.upper().split() == ["UTF8", "ON"]:
                self.respond("200 Always in UTF8 mode.")  # vsftpd's answer
            else:
                super().ftp_OPTS(line)

    class Latin1Handler(LoggingHandler):
        """A server from before RFC 2640: it refuses UTF-8 (pyftpdlib's own answer to OPTS
        UTF8 ON, 501) and reads every path as Latin-1 bytes."""
        server_name = "latin1"

        def decode(self, raw):
            self._raw_line = raw
            return raw.decode("latin-1")

        def ftp_OPTS(self, line):
            FTPHandler.ftp_OPTS(self, line)

    class NoRestHandler(LoggingHandler):
        server_name = "norest"

        def ftp_REST(self, line):
            self.respond("502 REST is not supported by this server.")

    class SlowDTP(DTPHandler):
        """Sends at SLOW_BYTES_PER_SECOND in 16 KiB pieces, evenly: pyftpdlib's own
        ThrottledDTPHandler sends what the socket takes and then sleeps for seconds, which
        would make a client's stop look slow."""

        ac_out_buffer_size = 16384

        def __init__(self, sock, cmd_channel):
            super().__init__(sock, cmd_channel)
            self._began = None
            self._sent = 0
            self._pause = None

        def use_sendfile(self):
            return False

        def send(self, data):
            sent = super().send(data)
            now = time.monotonic()
            if self._began is None:
                self._began = now
            self._sent += sent
            ahead = self._sent / SLOW_BYTES_PER_SECOND - (now - self._began)
            if ahead > 0.005:
                self.del_channel()

                def resume():
                    self._pause = None
                    if not getattr(self, "_closed", False):
                        self.add_channel(events=self.ioloop.WRITE)

                self._pause = self.ioloop.call_later(ahead, resume, _errback=self.handle_error)
            return sent

        def close(self):
            if self._pause is not None and not self._pause.cancelled:
                self._pause.cancel()
            super().close()

    class SlowHandler(LoggingHandler):
        server_name = "slow"
        dtp_handler = SlowDTP

    servers = {}
    for name, handler in (("FTP_PORT", LoggingHandler), ("FTP_NOREST_PORT", NoRestHandler),
                          ("FTP_SLOW_PORT", SlowHandler), ("FTP_LATIN1_PORT", Latin1Handler)):
        handler.authorizer = authorizer
        handler.passive_ports = None
        server = FTPServer(("127.0.0.1", 0), handler)
        server.max_cons = 256
        servers[name] = server
    ports = {name: s.socket.getsockname()[1] for name, s in servers.items()}
    with open(os.path.join(d, "ports.txt.tmp"), "w") as f:
        for name, port in ports.items():
            f.write(f"{name}={port}\n")
        f.write(f"FTP_ROOT={root}\nFTP_LOG={os.path.join(d, 'commands.log')}\n")
    os.replace(os.path.join(d, "ports.txt.tmp"), os.path.join(d, "ports.txt"))
    # All servers share pyftpdlib's one I/O loop: serving one serves them all.
    next(iter(servers.values())).serve_forever(handle_exit=True)


def stop_ftp_pids(d):
    stop_pids(d, "ftp_server.py")


def start(d, time_limit):
    stop_ftp_pids(d)
    os.makedirs(d, exist_ok=True)
    for stale in ("ports.txt", "commands.log"):
        if os.path.exists(os.path.join(d, stale)):
            os.remove(os.path.join(d, stale))  # never leave stale ports or log lines behind
    make_files(os.path.join(d, "root"))
    log = open(os.path.join(d, "server.log"), "ab")
    # Debian's python3 runs the server: python3-pyftpdlib is installed for it.
    server = subprocess.Popen(["timeout", "-k", "5", str(int(time_limit)), "/usr/bin/python3",
                               os.path.abspath(__file__), "serve", d],
                              stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                              start_new_session=True)
    with open(os.path.join(d, "pids.txt"), "w") as f:
        f.write(f"{server.pid}\n")
    end = time.monotonic() + 15
    while not os.path.exists(os.path.join(d, "ports.txt")):
        if server.poll() is not None or time.monotonic() > end:
            stop_ftp_pids(d)
            sys.exit(f"the FTP server did not start (see {d}/server.log)")
        time.sleep(0.05)
    with open(os.path.join(d, "ports.txt")) as f:
        print(f.read().replace("\n", " "))
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("action", choices=["start", "stop", "serve"])
    parser.add_argument("dir")
    parser.add_argument("--time-limit", type=float, default=1800)
    args = parser.parse_args()
    d = os.path.abspath(args.dir)
    if args.action == "serve":
        serve(d)
        return 0
    if args.action == "start":
        return start(d, args.time_limit)
    stop_ftp_pids(d)
    return 0


if __name__ == "__main__":
    sys.exit(main())
