#!/usr/bin/env python3
"""The native messaging host in a real Chromium: Debian's chromium, headless, with a persistent
profile in the build folder and the small test extension (tests/browser/extension) whose
manifest carries the maker's key, so Chromium gives it the first identifier the host manifest
allows. The profile's NativeMessagingHosts folder gets the manifest Vonu.exe wrote at its
start, with the program path replaced by a shell script that runs that Vonu.exe under Wine in
the test prefix. The extension asks this script's control server (127.0.0.1, a free port)
what to send, sends it with chrome.runtime.sendNativeMessage and posts the reply back.

    chromium_test.py --build BUILD --source SOURCE [--time-limit S]

Steps: the key derives the allowed identifier and Chromium reports it; a ping without the
program says running false; with Vonu running (Arabic) running true and lang ar; a hand-over
of a local nginx address opens New Download with that address in the running Vonu; with no
program running, the host starts Vonu with /tray and the dialog still appears. The Windows
side of each check is tests/browser/chromium_driver.cpp. Chromium runs under a time limit and
is stopped by its pid (its process group) in every case.
"""

import argparse
import base64
import hashlib
import http.server
import json
import os
import queue
import shutil
import signal
import subprocess
import sys
import threading
import time

HOST = "com.vonu.downloader"


def extension_id(key_base64):
    """Chromium's identifier for a key: the first 128 bits of SHA-256 of the DER key, in a-p."""
    digest = hashlib.sha256(base64.b64decode(key_base64)).hexdigest()[:32]
    return "".join(chr(ord("a") + int(c, 16)) for c in digest)


class Control:
    """The control server the extension polls: one command at a time, results by sequence."""

    def __init__(self):
        self.commands = queue.Queue()
        self.results = {}
        self.hello = None
        self.lock = threading.Condition()
        self.seq = 0
        control = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def do_GET(self):
                if self.path != "/next":
                    self.send_error(404)
                    return
                try:
                    command = control.commands.get(timeout=10)
                except queue.Empty:
                    command = {"op": "wait"}
                body = json.dumps(command).encode()
                self.send_response(200)
                self.send_header("Content-Type", "application/json")
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def do_POST(self):
                data = json.loads(self.rfile.read(int(self.headers.get("Content-Length", 0))) or b"{}")
                with control.lock:
                    if self.path == "/hello":
                        control.hello = data
                    elif self.path == "/result":
                        control.results[data.get("seq")] = data
                    control.lock.notify_all()
                self.send_response(204)
                self.end_headers()

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.port = self.server.server_address[1]
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def wait_hello(self, seconds):
        with self.lock:
            self.lock.wait_for(lambda: self.hello is not None, timeout=seconds)
            return self.hello

    def send(self, message, seconds=40):
        """The host's reply through Chromium, with the extension's own timing."""
        self.seq += 1
        seq = self.seq
        self.commands.put({"op": "send", "seq": seq, "message": message})
        with self.lock:
            if not self.lock.wait_for(lambda: seq in self.results, timeout=seconds):
                raise AssertionError(f"no result for {message} within {seconds} s")
            return self.results[seq]

    def stop(self):
        self.commands.put({"op": "quit"})
        self.server.shutdown()


class Test:
    def __init__(self, args):
        self.build = os.path.abspath(args.build)
        self.source = os.path.abspath(args.source)
        self.bin = os.path.join(self.build, "bin")
        self.work = os.path.join(self.build, "chromium-test")
        self.profile = os.path.join(self.build, "chromium-profile")
        self.deadline = time.monotonic() + args.time_limit
        self.failures = []
        self.chromium = None
        self.log = None

    def check(self, ok, what):
        print(("ok   " if ok else "FAIL ") + what, flush=True)
        if not ok:
            self.failures.append(what)
        return ok

    def left(self):
        return max(1, self.deadline - time.monotonic())

    def driver(self, *words, seconds=60):
        """Runs chromium_driver.exe under Wine; its output goes to a file, since a program it
        starts keeps whatever pipes it inherited open."""
        out_path = os.path.join(self.work, "driver.out")
        with open(out_path, "wb") as out:
            status = subprocess.run(["wine", os.path.join(self.bin, "chromium_driver.exe"), *words],
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT,
                                    timeout=min(seconds, self.left())).returncode
        with open(out_path, "rb") as f:
            text = f.read().decode("utf-8", "replace").strip()
        return status, text

    def host_script(self):
        path = os.path.join(self.work, "vonu-host.sh")
        env = {k: os.environ.get(k, "") for k in ("WINEPREFIX", "DISPLAY", "HOME")}
        with open(path, "w") as f:
            f.write("#!/bin/sh\n")
            f.write("# The native messaging host of the Chromium test: Vonu.exe under Wine in the test prefix.\n")
            for k, v in env.items():
                f.write(f"export {k}='{v}'\n")
            f.write("export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='\n")
            f.write(f"exec wine '{os.path.join(self.bin, 'Vonu.exe')}' \"$@\"\n")
        os.chmod(path, 0o755)
        return path

    def install_manifest(self):
        """The manifest Vonu wrote, its path replaced by the script, in the profile's folder."""
        with open(os.path.join(self.bin, HOST + ".json"), "rb") as f:
            written = f.read()
        self.check(written.endswith(b"}\r\n") and b"\r\n  \"path\": " in written, "Vonu wrote its CR LF manifest")
        manifest = json.loads(written.decode("utf-8"))
        self.check(manifest["path"].endswith("\\Vonu.exe"), "the manifest names Vonu.exe: " + manifest["path"])
        manifest["path"] = self.host_script()
        folder = os.path.join(self.profile, "NativeMessagingHosts")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, HOST + ".json"), "w") as f:
            json.dump(manifest, f, indent=2)
        return manifest

    def start_chromium(self, control):
        extension = os.path.join(self.work, "extension")
        shutil.rmtree(extension, ignore_errors=True)
        shutil.copytree(os.path.join(self.source, "tests", "browser", "extension"), extension)
        with open(os.path.join(extension, "config.json"), "w") as f:
            json.dump({"port": control.port}, f)
        for name in ("SingletonLock", "SingletonSocket", "SingletonCookie"):
            try:
                os.unlink(os.path.join(self.profile, name))
            except FileNotFoundError:
                pass
        self.log = open(os.path.join(self.work, "chromium.log"), "wb")
        self.chromium = subprocess.Popen(
            ["chromium", "--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--disable-features=DisableLoadExtensionCommandLineSwitch",
             "--user-data-dir=" + self.profile, "--load-extension=" + extension, "about:blank"],
            stdin=subprocess.DEVNULL, stdout=self.log, stderr=subprocess.STDOUT, start_new_session=True)

    def stop_chromium(self):
        if not self.chromium:
            return
        for sig, wait in ((signal.SIGTERM, 5), (signal.SIGKILL, 5)):
            try:
                os.killpg(self.chromium.pid, sig)
            except ProcessLookupError:
                break
            try:
                self.chromium.wait(timeout=wait)
                break
            except subprocess.TimeoutExpired:
                continue
        self.chromium = None
        if self.log:
            self.log.close()

    def run(self):
        os.makedirs(self.work, exist_ok=True)
        servers = {}
        with open(os.path.join(self.build, "test-servers", "ports.txt")) as f:
            for line in f:
                if "=" in line:
                    k, v = line.strip().split("=", 1)
                    servers[k] = v
        address = f"http://127.0.0.1:{servers['HTTP_PORT']}/files/small.bin"

        # Vonu registers at every start: one start writes the manifest the profile gets.
        self.driver("seed", "ar")
        self.check(self.driver("start")[0] == 0, "Vonu.exe starts")
        self.check(self.driver("stop")[0] == 0, "Vonu.exe exits")
        manifest = self.install_manifest()
        with open(os.path.join(self.source, "tests", "browser", "extension", "manifest.json")) as f:
            key = json.load(f)["key"]
        wanted = "chrome-extension://" + extension_id(key) + "/"
        self.check(manifest["allowed_origins"][0] == wanted, "the key derives the first allowed origin " + wanted)

        control = Control()
        try:
            self.start_chromium(control)
            hello = control.wait_hello(min(60, self.left()))
            if not self.check(hello is not None, "the extension runs in Chromium"):
                return
            self.check("chrome-extension://" + hello["id"] + "/" == wanted, "Chromium gives it " + hello["id"])

            r = control.send({"ping": True})
            self.check(r["reply"] == {"ok": True, "running": False, "lang": "ar"},
                       f"ping without the program: {r['reply'] or r['error']} ({r['ms']:.0f} ms)")
            self.check(self.driver("none")[0] == 0, "a ping starts nothing")

            self.check(self.driver("start")[0] == 0, "Vonu.exe runs")
            r = control.send({"ping": True})
            self.check(r["reply"] == {"ok": True, "running": True, "lang": "ar"},
                       f"ping with the program: {r['reply'] or r['error']} ({r['ms']:.0f} ms)")

            handover = {"url": address, "referrer": "http://127.0.0.1/page", "filename": "small.bin",
                        "cookie": "session=1", "ua": "Chromium test"}
            r = control.send(handover)
            self.check(r["reply"] == {"ok": True}, f"hand-over to the running Vonu: {r['reply'] or r['error']} "
                                                  f"({r['ms']:.0f} ms)")
            status, text = self.driver("dialog", address)
            self.check(status == 0, "New Download shows " + address + ("" if status == 0 else ": " + text))
            self.check(self.driver("stop")[0] == 0, "Vonu.exe exits")

            second = address + "?started"
            r = control.send(dict(handover, url=second), seconds=60)
            self.check(r["reply"] == {"ok": True}, f"hand-over with no program running: {r['reply'] or r['error']} "
                                                  f"({r['ms']:.0f} ms)")
            status, text = self.driver("dialog", second)
            self.check(status == 0 and text.startswith("hidden"),
                       "Vonu started with /tray (main window " + text.split("\n")[0] + ") shows " + second)
            self.check(self.driver("stop")[0] == 0, "the started Vonu.exe exits")
        finally:
            control.stop()
            self.stop_chromium()
            self.driver("stop")
            self.driver("clear")
        return


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--time-limit", type=float, default=240)
    args = parser.parse_args()
    if not shutil.which("chromium"):
        print("chromium is not installed: scripts/install-deps.sh installs it", file=sys.stderr)
        return 1
    if not os.environ.get("WINEPREFIX") or not os.environ.get("DISPLAY"):
        print("WINEPREFIX and DISPLAY are not set: run through scripts/test.sh (never the user's own prefix)",
              file=sys.stderr)
        return 1
    test = Test(args)
    try:
        test.run()
    except (AssertionError, subprocess.TimeoutExpired, OSError, KeyError) as e:
        test.failures.append(repr(e))
        print("FAIL", repr(e))
    finally:
        test.stop_chromium()
    if test.failures:
        print(f"{len(test.failures)} check(s) failed")
        return 1
    print("every check passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
