#!/usr/bin/env python3
"""Runs the real zelvan client against zelvan-hostile-peer (or the dev server) and collects what a user
would notice: peak memory, CPU time, connections made, alerts on screen, files left in the home folder and
the longest log line. The integration test asserts on these; `measure` prints them (tools/hostile_peer/measure.sh)."""
import argparse
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import threading
import time
from pathlib import Path

PHONE = "5550100"
PASSWORD = "demo"
ACCOUNT_FILE = "zelvan_account"
# The folders where the client keeps what servers send: game resources, avatar pictures, web resources.
CACHE_FOLDERS = ("game_cache", "avatar_cache", "web_cache")
SANITIZER_MARKS = (b"ERROR: AddressSanitizer", b"ERROR: LeakSanitizer", b"runtime error:")


def start_server(argv, out_path):
    """Starts a server that prints "listening on 127.0.0.1:PORT"; returns (process, port)."""
    out = open(out_path, "w+b")
    proc = subprocess.Popen(argv, stdout=out, stderr=subprocess.STDOUT)
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        match = re.search(rb"^listening on 127\.0\.0\.1:(\d+)", Path(out_path).read_bytes(), re.M)
        if match:
            return proc, int(match.group(1))
        if proc.poll() is not None:
            break
        time.sleep(0.05)
    proc.kill()
    proc.wait()
    raise RuntimeError("server did not start: " + Path(out_path).read_text(errors="replace"))


def start_peer(peer, mode, out_path, seconds=120, seed=1, count=None):
    argv = [peer, "--mode", mode, "--seconds", str(seconds), "--seed", str(seed)]
    if count:
        argv += ["--count", str(count)]
    return start_server(argv, out_path)


def stop_peer(proc, out_path):
    """Stops the peer and returns its summary: connections, frames, seconds, connections per second."""
    if proc.poll() is None:
        proc.send_signal(signal.SIGTERM)
    proc.wait(timeout=30)
    text = Path(out_path).read_text(errors="replace")
    if proc.returncode != 0:
        raise RuntimeError(f"the peer exited with status {proc.returncode}: " + text[-2000:])
    match = re.search(r"summary: mode \S+, connections (\d+), frames (\d+), seconds ([\d.]+)", text)
    if not match:
        raise RuntimeError("no summary from the peer: " + text[-2000:])
    connections, frames, seconds = int(match.group(1)), int(match.group(2)), float(match.group(3))
    relay = re.search(r"^relay: connections (\d+)", text, re.M)
    return {"connections": connections, "frames": frames, "seconds": seconds,
            "per_second": connections / seconds if seconds else 0.0,
            "relay_connections": int(relay.group(1)) if relay else None}


def client_argv(client, port, home, run_seconds, web_port=None):
    argv = [client, "--server", f"127.0.0.1:{port}", "--account", f"{PHONE}:{PASSWORD}", "--home", str(home),
            "--run-seconds", str(run_seconds)]
    return argv + ["--web", f"127.0.0.1:{web_port}"] if web_port else argv


def longest_line(path):
    longest = 0
    with open(path, "rb") as log:
        for line in log:
            longest = max(longest, len(line.rstrip(b"\n")))
    return longest


def signal_unreaped(proc, exited, sig):
    """Sends `sig` to the client unless the waiting thread has reaped it. Popen's own poll(), kill() and
    send_signal() reap the child themselves, which would race the os.wait4 that reads its peak RSS."""
    if not exited.is_set():
        try:
            os.kill(proc.pid, sig)
        except ProcessLookupError:
            pass


def stop_when(proc, ready, grace, exited):
    """Sends SIGTERM (the client's orderly stop) `grace` seconds after `ready()` first holds; `exited` is set
    once the client has been reaped."""
    def watch():
        while not exited.is_set():
            if ready():
                if not exited.wait(grace):
                    signal_unreaped(proc, exited, signal.SIGTERM)
                return
            exited.wait(0.1)
    watcher = threading.Thread(target=watch, daemon=True)
    watcher.start()
    return watcher


def watch_mapped_files(pid):
    """Samples a running process's resident pages of mapped files (RssFile) until the returned dict's
    "done" event is set; "kb" holds the largest sample. It reads /proc only: reaping stays with the caller."""
    mapped = {"kb": 0, "done": threading.Event()}

    def sample():
        while not mapped["done"].is_set():
            try:
                with open(f"/proc/{pid}/status") as status:
                    for line in status:
                        if line.startswith("RssFile:"):
                            mapped["kb"] = max(mapped["kb"], int(line.split()[1]))
            except (OSError, ValueError):
                pass
            mapped["done"].wait(0.1)
    threading.Thread(target=sample, daemon=True).start()
    return mapped


def run_client(client, port, work, run_seconds, limit_seconds=120, ready=None, grace=1.0, web_port=None):
    """Runs the client to its end (killing it after limit_seconds) and reports what it left behind. With
    `ready`, the client is stopped `grace` seconds after ready() holds, or after run_seconds at the latest:
    on a busy machine the run lasts as long as the misbehaviour takes instead of a fixed time."""
    home = work / "home"
    err_path = work / "client.err"
    with open(work / "client.out", "wb") as out, open(err_path, "wb") as err:
        proc = subprocess.Popen(client_argv(client, port, home, run_seconds, web_port), stdout=out, stderr=err)
        exited = threading.Event()
        guard = threading.Timer(limit_seconds, signal_unreaped, (proc, exited, signal.SIGKILL))
        guard.start()
        if ready:
            stop_when(proc, ready, grace, exited)
        started = time.monotonic()
        mapped = watch_mapped_files(proc.pid)
        _, status, usage = os.wait4(proc.pid, 0)  # ru_maxrss: the client's own peak RSS in kB
        exited.set()
        mapped["done"].set()
        proc.returncode = os.waitstatus_to_exitcode(status)
        elapsed = time.monotonic() - started
        guard.cancel()
    log = err_path.read_bytes()
    summary = re.search(rb"session: .*; alerts on screen: (\d+)", log)
    messenger = re.search(rb"messenger: friends (\d+), contacts (\d+), rooms (\d+), groups (\d+), open chats (\d+), "
                          rb"unread lines (\d+)", log)
    return {
        "returncode": proc.returncode,
        "elapsed": elapsed,
        "peak_rss_mb": usage.ru_maxrss / 1024,
        "mapped_files_mb": mapped["kb"] / 1024,
        # The peak less the resident pages of mapped files (the executable's and libraries' code): what the
        # client allocated, which does not grow with the size of its code.
        "peak_allocated_mb": (usage.ru_maxrss - mapped["kb"]) / 1024,
        "cpu_seconds": usage.ru_utime + usage.ru_stime,
        "alerts": int(summary.group(1)) if summary else None,
        "messenger": dict(zip(("friends", "contacts", "rooms", "groups", "open_chats", "unread_lines"),
                              map(int, messenger.groups()))) if messenger else None,
        "alert_titles": [t.decode(errors="replace") for t in re.findall(rb'alert on screen: "([^"\n]*)"', log)],
        "longest_log_line": longest_line(err_path),
        "log_bytes": len(log),
        "sanitizer_report": any(mark in log for mark in SANITIZER_MARKS),
        "tmp_files": tmp_files(home),
        "files_with_password": files_with_password(home),
        "account_file_exists": any(p.name == ACCOUNT_FILE for p in home.rglob(ACCOUNT_FILE)),
        "home_bytes": bytes_under(home),
        "folder_bytes": {name: bytes_under(home, name) for name in CACHE_FOLDERS},
    }


def bytes_under(home, folder=None):
    """Bytes of the files under the home folder, or only under folders named `folder`."""
    roots = [home] if folder is None else [p for p in home.rglob(folder) if p.is_dir()]
    return sum(p.stat().st_size for root in roots for p in root.rglob("*") if p.is_file() and not p.is_symlink())


def tmp_files(home):
    return sorted(str(p.relative_to(home)) for p in home.rglob("*.tmp-*"))


def files_with_password(home):
    """Files (other than the account file) holding the password as UTF-8 or as the codec's UTF-16."""
    needles = (PASSWORD.encode(), PASSWORD.encode("utf-16-be"))
    found = []
    for path in home.rglob("*"):
        if path.is_file() and path.name != ACCOUNT_FILE:
            data = path.read_bytes()
            if any(needle in data for needle in needles):
                found.append(str(path.relative_to(home)))
    return sorted(found)


def kill_runs(client, devserver, work, kills=20, plant=True, seed=1):
    """Starts the client signed in to the dev server `kills` times, kill -9 at a random moment of its
    first second each time; then (after planting stale temp files when `plant`) runs it once normally.
    Returns the temp files left after the kills and after the normal run."""
    rng = random.Random(seed)
    work.mkdir(parents=True, exist_ok=True)
    server, port = start_server([devserver, "--port", "0", "--accounts", f"{PHONE}:{PASSWORD}:Killed"],
                                work / "devserver.out")
    home = work / "home"
    try:
        for _ in range(kills):
            proc = subprocess.Popen(client_argv(client, port, home, 5), stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
            time.sleep(rng.uniform(0.0, 1.0))
            proc.send_signal(signal.SIGKILL)
            proc.wait()
        after_kills = tmp_files(home)
        if plant:
            folder = next(home.glob("Documents/*"), home / "Documents" / "com.zelvan.client")
            folder.mkdir(parents=True, exist_ok=True)
            past = time.time() - 3600
            for name in (".zelvan_account.tmp-AAAAAA", ".zelvan_account.tmp-BBBBBB"):
                stale = folder / name
                stale.write_bytes(b"\x0b\x00\x00\x00\x08" + PASSWORD.encode("utf-16-be"))
                os.utime(stale, (past, past))
        final = run_client(client, port, work, 2)
    finally:
        server.send_signal(signal.SIGTERM)
        server.wait(timeout=30)
    return {"after_kills": after_kills, "after_restart": final["tmp_files"], "final": final}


def peer_done_sending(out_path):
    """A readiness check: the peer has written everything it meant to send on a connection."""
    return lambda: b"done sending" in Path(out_path).read_bytes()


def client_logged(err_path, needle):
    """A readiness check: the client's log holds `needle` (bytes)."""
    return lambda: err_path.exists() and needle in err_path.read_bytes()


def run_mode(client, peer, mode, work, run_seconds, count=None, until_peer_done=False, until_client_logs=None,
             grace=1.0):
    """One client run against the peer in `mode`; returns (client report, peer summary). With
    `until_peer_done`, the client runs until the peer has sent everything, with `until_client_logs` until
    its log holds those bytes (run_seconds at most either way), then `grace` seconds more."""
    work.mkdir(parents=True, exist_ok=True)
    proc, port = start_peer(peer, mode, work / "peer.out", count=count)
    web = re.search(rb"^web on 127\.0\.0\.1:(\d+)", (work / "peer.out").read_bytes(), re.M)
    try:
        ready = None
        if until_peer_done:
            ready = peer_done_sending(work / "peer.out")
        elif until_client_logs:
            ready = client_logged(work / "client.err", until_client_logs)
        report = run_client(client, port, work, run_seconds, ready=ready, grace=grace,
                            web_port=int(web.group(1)) if web else None)
    finally:
        summary = stop_peer(proc, work / "peer.out")
    return report, summary


def measure(args):
    """Prints the figures the closing note quotes, one line each."""
    work = Path(args.work)
    shutil.rmtree(work, ignore_errors=True)
    (work / "baseline").mkdir(parents=True)
    server, port = start_server([args.devserver, "--port", "0", "--accounts", f"{PHONE}:{PASSWORD}:Base"],
                                work / "baseline" / "devserver.out")
    try:
        base = run_client(args.client, port, work / "baseline", 5)
    finally:
        server.send_signal(signal.SIGTERM)
        server.wait(timeout=30)
    print(f"baseline (dev server, 5 s): peak RSS {base['peak_rss_mb']:.0f} MB")
    for mode in ("refuse-flood", "huge-arrays"):
        report, _ = run_mode(args.client, args.peer, mode, work / mode, 5)
        print(f"{mode} (5 s): peak RSS {report['peak_rss_mb']:.0f} MB, alerts on screen {report['alerts']}")
    report, summary = run_mode(args.client, args.peer, "accept-close", work / "accept-close", 20)
    print(f"accept-close (20 s): {summary['connections']} connections, alerts on screen {report['alerts']} "
          f"{report['alert_titles']}")
    killed = kill_runs(args.client, args.devserver, work / "kill", plant=False)
    print(f"kill -9 x20: {len(killed['after_kills'])} *.tmp-* files left after the kills, "
          f"{len(killed['after_restart'])} after a normal start")
    report, _ = run_mode(args.client, args.peer, "big-packet", work / "big-packet", 5)
    print(f"big-packet (5 s): longest log line {report['longest_log_line']} bytes")
    report, _ = run_mode(args.client, args.peer, "file-flood", work / "file-flood", 8)
    folders = ", ".join(f"{name} {size / 2**20:.0f} MiB" for name, size in report["folder_bytes"].items())
    print(f"file-flood (8 s): {report['home_bytes'] / 2**20:.0f} MiB under the home folder ({folders})")
    report, _ = run_mode(args.client, args.peer, "huge-chat", work / "huge-chat", 5)
    print(f"huge-chat (5 s): peak RSS {report['peak_rss_mb']:.0f} MB, run {report['elapsed']:.1f} s")
    report, _ = run_mode(args.client, args.peer, "presence-flood", work / "presence-flood", 5, count=100000)
    print(f"presence-flood, 100,000 friends (5 s): run {report['elapsed']:.1f} s, CPU {report['cpu_seconds']:.1f} s")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("command", choices=["measure"])
    parser.add_argument("--client", required=True)
    parser.add_argument("--peer", required=True)
    parser.add_argument("--devserver", required=True)
    parser.add_argument("--work", required=True, help="a folder for homes and logs (emptied first)")
    args = parser.parse_args()
    measure(args)


if __name__ == "__main__":
    sys.exit(main())
