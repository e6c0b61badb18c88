#!/usr/bin/env python3
"""Makes the update tests' throw-away signing key and what it signs (the ctest fixture
update_fixtures). Run at test time, never kept in the project:

    make_update_fixtures.py OUT VONU_EXE MAKER_KEY_TXT

OUT/test-key.pem        a fresh ECDSA P-256 private key (openssl), for this run only
OUT/test-key.txt        its public key as the 72-byte ECCPUBLICBLOB, in hexadecimal
OUT/Vonu-testkey.exe    VONU_EXE with the maker's key blob (which must occur exactly once)
                        replaced by the test key's: the real program, trusting the test key
OUT/Vonu-testkey-new.exe  the same with bytes appended after its last section: a "new
                        build" that passes the program's self-check with a new size and hash
OUT/signed.txt          one signed description per line, tab-separated:
                        name, version, sha256, size, Base64 signature (r then s)
"""

import base64
import hashlib
import os
import subprocess
import sys


def run(*cmd, **kw):
    return subprocess.run(cmd, check=True, capture_output=True, **kw).stdout


def maker_blob(path):
    with open(path) as f:
        for line in f:
            line = line.strip()
            if len(line) == 144 and all(c in "0123456789abcdefABCDEF" for c in line):
                return bytes.fromhex(line)
    sys.exit("no 72-byte key blob in " + path)


def public_blob(key_pem):
    der = run("openssl", "ec", "-in", key_pem, "-pubout", "-outform", "DER")
    point = der[-65:]  # the uncompressed point 04 || X || Y ends the SubjectPublicKeyInfo
    assert point[0] == 4
    return b"ECS1" + (32).to_bytes(4, "little") + point[1:33] + point[33:65]


def der_integer(data, at):
    assert data[at] == 2
    length = data[at + 1]
    value = data[at + 2:at + 2 + length].lstrip(b"\0")
    return value.rjust(32, b"\0"), at + 2 + length


def sign(key_pem, message, scratch):
    with open(scratch, "wb") as f:
        f.write(message)
    der = run("openssl", "dgst", "-sha256", "-sign", key_pem, scratch)
    assert der[0] == 0x30
    at = 2 if der[1] < 0x80 else 3
    r, at = der_integer(der, at)
    s, _ = der_integer(der, at)
    return base64.b64encode(r + s).decode()


def pattern(size, seed=0):
    period = bytes((i * 7 + seed) % 251 for i in range(251))
    reps, rest = divmod(size, 251)
    return period * reps + period[:rest]


def main():
    out, vonu_exe, maker_key = sys.argv[1:4]
    os.makedirs(out, exist_ok=True)
    key = os.path.join(out, "test-key.pem")
    if os.path.exists(key):
        os.remove(key)
    run("openssl", "ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", key)
    blob = public_blob(key)
    with open(os.path.join(out, "test-key.txt"), "w") as f:
        f.write(blob.hex() + "\n")

    with open(vonu_exe, "rb") as f:
        program = f.read()
    maker = maker_blob(maker_key)
    if program.count(maker) != 1:
        sys.exit(f"{vonu_exe} holds the maker's key {program.count(maker)} times, not once")
    trusting = program.replace(maker, blob)
    new_build = trusting + b"Vonu test build: bytes after the last section.\n" + os.urandom(4096)
    for name, data in (("Vonu-testkey.exe", trusting), ("Vonu-testkey-new.exe", new_build)):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)

    new_sha = hashlib.sha256(new_build).hexdigest()
    trickle = pattern(1 << 20)
    cases = [
        ("newbuild", "9.0.0", new_sha, len(new_build)),
        ("same", "1.2.0", new_sha, len(new_build)),
        ("trickle", "9.1.0", hashlib.sha256(trickle).hexdigest(), len(trickle)),
        ("unit", "1.3.0", hashlib.sha256(b"unit").hexdigest(), 123456),
    ]
    scratch = os.path.join(out, "message.bin")
    with open(os.path.join(out, "signed.txt"), "w") as f:
        for name, version, sha, size in cases:
            message = f"vonu-update\n{version}\n{sha}\n{size}".encode()
            f.write(f"{name}\t{version}\t{sha}\t{size}\t{sign(key, message, scratch)}\n")
    os.remove(scratch)


if __name__ == "__main__":
    main()
