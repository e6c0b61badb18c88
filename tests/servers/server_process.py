"""What the fixture scripts share: the pattern files they serve, and ending the servers
they started by the pids written in DIR/pids.txt."""

import os
import signal
import time

from fault_server import body_bytes  # the same deterministic bytes everywhere


def write_pattern_files(folder, files):
    """Writes each name -> size of `files` into folder with body_bytes(size), once."""
    os.makedirs(folder, exist_ok=True)
    for name, size in files.items():
        path = os.path.join(folder, name)
        if os.path.exists(path) and os.path.getsize(path) == size:
            continue
        with open(path + ".tmp", "wb") as f:
            f.write(body_bytes(size))
        os.replace(path + ".tmp", path)


def ours(pid, d, marker=""):
    """True when pid still runs one of our commands for folder d (pids get reused)."""
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            cmd = f.read().decode(errors="replace")
    except OSError:
        return False
    return marker in cmd and d in cmd


def stop_pids(d, marker=""):
    """Ends every process named in d/pids.txt that is still ours: TERM, then KILL after 5 s."""
    path = os.path.join(d, "pids.txt")
    if not os.path.exists(path):
        return
    with open(path) as f:
        pids = [int(x) for x in f.read().split() if x.isdigit()]
    for pid in pids:
        if ours(pid, d, marker):
            os.kill(pid, signal.SIGTERM)
    end = time.monotonic() + 5
    for pid in pids:
        while ours(pid, d, marker) and time.monotonic() < end:
            time.sleep(0.05)
        if ours(pid, d, marker):
            os.kill(pid, signal.SIGKILL)
    os.remove(path)
