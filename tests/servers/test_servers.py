#!/usr/bin/env python3
"""Starts and stops the test servers of one build folder (the ctest fixture test_servers).

    test_servers.py start DIR [--time-limit S]
    test_servers.py stop DIR

start: makes the test files, the test CAs and the certificates (once per folder), writes the
nginx configuration, starts nginx and the fault server on free ports of 127.0.0.1, each under
a time limit, and writes DIR/ports.txt (NAME=VALUE lines, read by tests/support/test_servers)
and DIR/pids.txt. stop: ends every process named in DIR/pids.txt, by its pid.
Only loopback is used. See README.md in this folder.
"""

import argparse
import os
import socket
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from server_process import stop_pids, write_pattern_files  # noqa: E402

# Files nginx serves from DIR/www/files: name -> size. Contents: body_bytes(size).
FILES = {
    "empty.bin": 0,
    "one.bin": 1,
    "small.bin": 1000,
    "4mib.bin": 4 * 1024 * 1024,
    "20mib.bin": 20 * 1024 * 1024,
}


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_port(port, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=0.5):
                return True
        except OSError:
            time.sleep(0.05)
    return False


def run(*cmd):
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def make_files(www):
    files = os.path.join(www, "files")
    write_pattern_files(files, FILES)
    # A name that needs encoding on the wire: a space and an e with an acute accent.
    with open(os.path.join(files, "caf\u00e9 menu.txt"), "wb") as f:
        f.write(b"menu\n")


def make_ca(pki, name, subject):
    key, cert = os.path.join(pki, name + ".key"), os.path.join(pki, name + ".pem")
    if not os.path.exists(cert):
        run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-sha256",
            "-days", "3650", "-subj", subject, "-keyout", key, "-out", cert,
            "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    return key, cert


def make_server_cert(pki, name, ca_key, ca_cert):
    key, cert = os.path.join(pki, name + ".key"), os.path.join(pki, name + ".pem")
    if os.path.exists(cert):
        return key, cert
    csr, ext = os.path.join(pki, name + ".csr"), os.path.join(pki, name + ".ext")
    with open(ext, "w") as f:
        f.write("basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature,keyEncipherment\n"
                "extendedKeyUsage=serverAuth\nsubjectAltName=DNS:localhost\n")
    run("openssl", "req", "-newkey", "rsa:2048", "-nodes", "-sha256", "-subj", "/CN=localhost",
        "-keyout", key, "-out", csr)
    run("openssl", "x509", "-req", "-in", csr, "-CA", ca_cert, "-CAkey", ca_key,
        "-CAcreateserial", "-days", "825", "-sha256", "-extfile", ext, "-out", cert)
    return key, cert


NGINX_CONF = """\
# Written by tests/servers/test_servers.py for one test run; do not edit.
daemon off;
master_process on;
worker_processes 1;
pid {dir}/nginx.pid;
error_log {dir}/nginx-error.log warn;
events {{ worker_connections 256; }}
http {{
    access_log {dir}/nginx-access.log;
    client_body_temp_path {dir}/tmp/body;
    proxy_temp_path {dir}/tmp/proxy;
    fastcgi_temp_path {dir}/tmp/fastcgi;
    uwsgi_temp_path {dir}/tmp/uwsgi;
    scgi_temp_path {dir}/tmp/scgi;
    default_type application/octet-stream;
    sendfile on;
    keepalive_timeout 30;
    server_tokens off;

    server {{
        listen 127.0.0.1:{http_port};
        server_name localhost 127.0.0.1;
        root {dir}/www;
        include {dir}/nginx-locations.conf;
        # Plain to TLS: allowed for a client.
        location = /to-https {{ return 302 https://localhost:{https_port}/files/small.bin; }}
    }}
    server {{
        listen 127.0.0.1:{https_port} ssl;
        server_name localhost;
        ssl_certificate {pki}/localhost.pem;
        ssl_certificate_key {pki}/localhost.key;
        root {dir}/www;
        include {dir}/nginx-locations.conf;
        # TLS to plain: a client must refuse to follow it.
        location = /to-http {{ return 302 http://localhost:{http_port}/files/small.bin; }}
    }}
    server {{
        # A certificate from a CA nobody trusts.
        listen 127.0.0.1:{untrusted_port} ssl;
        server_name localhost;
        ssl_certificate {pki}/untrusted-localhost.pem;
        ssl_certificate_key {pki}/untrusted-localhost.key;
        root {dir}/www;
        include {dir}/nginx-locations.conf;
    }}
}}
"""

NGINX_LOCATIONS = """\
location /files/ {{ }}
# The same files at a capped speed per connection (for stop and progress tests).
location /slow/ {{ alias {dir}/www/files/; limit_rate 64k; }}
# The same files at 1 MB/s per connection (the HLS benchmark against ffmpeg).
location /files-1m/ {{ alias {dir}/www/files/; limit_rate 1m; }}
location = /moved {{ return 301 /files/small.bin; }}
location = /found-relative {{ return 302 files/small.bin; }}
location /basic/ {{
    alias {dir}/www/files/;
    auth_basic "vonu-test";
    auth_basic_user_file {dir}/htpasswd;
}}
# Pages a browser opens (written by the browser tests into www/pages/): served with their
# media types, which the downloads above do without.
location /pages/ {{
    types {{
        text/html html;
        application/javascript js;
        text/plain txt;
        application/zip zip;
        application/vnd.apple.mpegurl m3u8;
        video/mp2t ts;
    }}
}}
"""


def start(args):
    d = os.path.abspath(args.dir)
    stop_pids(d)
    if os.path.exists(os.path.join(d, "ports.txt")):
        os.remove(os.path.join(d, "ports.txt"))  # never leave a stale one for the tests
    for sub in ("www", "pki", "tmp"):
        os.makedirs(os.path.join(d, sub), exist_ok=True)
    make_files(os.path.join(d, "www"))

    pki = os.path.join(d, "pki")
    ca_key, ca_cert = make_ca(pki, "ca", "/CN=Vonu Test CA/O=Vonu tests")
    make_server_cert(pki, "localhost", ca_key, ca_cert)
    bad_key, bad_cert = make_ca(pki, "untrusted-ca", "/CN=Vonu Untrusted Test CA/O=Vonu tests")
    make_server_cert(pki, "untrusted-localhost", bad_key, bad_cert)
    with open(os.path.join(d, "htpasswd"), "w") as f:
        hashed = subprocess.run(["openssl", "passwd", "-apr1", "secret"], check=True,
                                capture_output=True, text=True).stdout.strip()
        f.write(f"user:{hashed}\n")

    limit = str(int(args.time_limit))
    log = open(os.path.join(d, "servers.log"), "ab")
    pids = []

    def record_pids():
        with open(os.path.join(d, "pids.txt"), "w") as f:
            f.write("".join(f"{p}\n" for p in pids))

    port_file = os.path.join(d, "fault.port")
    if os.path.exists(port_file):
        os.remove(port_file)
    fault = subprocess.Popen([sys.executable, os.path.join(HERE, "fault_server.py"),
                              "--port-file", port_file, "--time-limit", limit],
                             stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                             start_new_session=True)
    pids.append(fault.pid)
    record_pids()
    end = time.monotonic() + 10
    while not os.path.exists(port_file) and time.monotonic() < end:
        time.sleep(0.05)
    if not os.path.exists(port_file):
        stop_pids(d)
        sys.exit("the fault server did not start (see servers.log)")
    with open(port_file) as f:
        fault_port = int(f.read().strip())

    # A free port can be taken by someone else before nginx binds it: then try new ones.
    conf = os.path.join(d, "nginx.conf")
    with open(os.path.join(d, "nginx-locations.conf"), "w") as f:
        f.write(NGINX_LOCATIONS.format(dir=d))
    for attempt in range(3):
        ports = {"http": free_port(), "https": free_port(), "untrusted": free_port()}
        with open(conf, "w") as f:
            f.write(NGINX_CONF.format(dir=d, pki=pki, http_port=ports["http"],
                                      https_port=ports["https"], untrusted_port=ports["untrusted"]))
        # timeout(1) gives nginx its time limit and passes our TERM on to it.
        nginx = subprocess.Popen(["timeout", "-k", "5", limit, "nginx", "-e",
                                  os.path.join(d, "nginx-error.log"), "-p", d, "-c", conf],
                                 stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                 start_new_session=True)
        pids.append(nginx.pid)
        record_pids()
        listening = all(wait_port(port, 10) for port in ports.values())
        time.sleep(0.1)
        if listening and nginx.poll() is None:
            break
        if nginx.poll() is None:
            nginx.terminate()
            nginx.wait(5)
        pids.remove(nginx.pid)
        record_pids()
    else:
        stop_pids(d)
        sys.exit("nginx did not start (see nginx-error.log and servers.log)")
    ports["fault"] = fault_port
    if not wait_port(fault_port, 10):
        stop_pids(d)
        sys.exit(f"the fault server did not listen on 127.0.0.1:{fault_port} (see servers.log)")

    with open(os.path.join(d, "ports.txt.tmp"), "w") as f:
        f.write(f"HTTP_PORT={ports['http']}\nHTTPS_PORT={ports['https']}\n"
                f"UNTRUSTED_PORT={ports['untrusted']}\nFAULT_PORT={ports['fault']}\n"
                f"CA_CERT={ca_cert}\nFILES={os.path.join(d, 'www', 'files')}\n")
    os.replace(os.path.join(d, "ports.txt.tmp"), os.path.join(d, "ports.txt"))
    print(" ".join(f"{k}={v}" for k, v in ports.items()))
    return 0


def stop(args):
    stop_pids(os.path.abspath(args.dir))
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("action", choices=["start", "stop"])
    parser.add_argument("dir")
    parser.add_argument("--time-limit", type=float, default=1800)
    args = parser.parse_args()
    return start(args) if args.action == "start" else stop(args)


if __name__ == "__main__":
    sys.exit(main())
