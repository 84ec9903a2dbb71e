#!/usr/bin/env python3
"""Runs every test binary of a built tree again and again, to show the flakes a single run hides: each round
runs each binary once, whole and in a shuffled order of its own, in a process of its own, several processes at a
time and, with --load, beside one busy process per core. A process that fails or outlives the time limit is a
failure; its log is kept and its seed printed, so the same order replays.

Usage: stress.py BUILD_DIR [--rounds N] [--jobs J] [--load] [--timeout S] [--binaries REGEX]
                 [--gtest-filter FILTER] [--repeat R] [--logs DIR] [--seed S]
  BUILD_DIR       a built test tree: build/asan or build/tsan
  --rounds        runs of each binary (default 30)
  --jobs          processes at a time (default 8)
  --load          one busy process per core beside the runs, for as long as they last
  --timeout       seconds a process may run before it counts as hung (default 900); a hung process's threads'
                  stacks go into its log (gdb) before it is killed
  --binaries      only the binaries whose whole folder name (messaging, ads.adwick ...) matches this regex
  --gtest-filter  only these cases, in GoogleTest's --gtest_filter form
  --repeat        --gtest_repeat of each process (default 1)
  --logs          where the logs of failed runs go (default BUILD_DIR/stress/<date and time>); logs of runs that
                  passed are removed
  --seed          seed of the seeds, so a whole stress run's orders repeat (default: from the clock)
The binaries and the environment of each come from CTest (`ctest --show-only=json-v1`), taken from the binary's
first shuffled shard without its shard variables: its ZELVAN_SOURCE_DIR and working folder. Each process gets a
fresh folder of its own as TMPDIR and ZELVAN_HOME, removed when it ends, so a killed run leaves nothing behind.
A ThreadSanitizer tree needs TSAN_OPTIONS with the suppressions, as `make tsan` and `make stress` set them.
Exit status: 0 when every run passed, 1 when one failed or hung, 2 on other errors."""
import argparse
import concurrent.futures
import datetime
import json
import os
import random
import re
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
from dataclasses import dataclass, field
from pathlib import Path

SHARD_VARIABLES = ("GTEST_TOTAL_SHARDS", "GTEST_SHARD_INDEX")
SHARD_SUFFIX = ".shuffled.0"
SANITIZER_REPORT = re.compile(r"(WARNING: ThreadSanitizer: .*|ERROR: (Address|Leak)Sanitizer: .*|"
                              r"ThreadSanitizer: .*|.*: runtime error: .*)")
RUN_LINE = re.compile(r"^\[ RUN      \] (\S+)")
END_LINE = re.compile(r"^\[ +(OK|FAILED|SKIPPED) +\] (\S+\.\S+) \(")


@dataclass
class Binary:
    name: str
    path: str
    workdir: str
    env: dict


@dataclass
class Outcome:
    binary: Binary
    round: int
    seed: int
    seconds: float
    status: str  # "passed", "failed" or "hung"
    failed_tests: list = field(default_factory=list)
    running: str = ""  # the case that had started and not ended when the process stopped
    report: str = ""  # the first sanitizer line, if any
    log: str = ""


def discover(build_dir, pattern):
    """The test binaries of the tree, from CTest's view of it."""
    listing = subprocess.run(["ctest", "--test-dir", str(build_dir), "--show-only=json-v1"], capture_output=True,
                             text=True)
    if listing.returncode != 0:
        raise SystemExit(f"stress: ctest cannot list the tests of {build_dir}:\n{listing.stderr}")
    binaries = []
    for test in json.loads(listing.stdout).get("tests", []):
        if not test["name"].endswith(SHARD_SUFFIX):
            continue
        name = test["name"][:-len(SHARD_SUFFIX)]
        if pattern and not re.fullmatch(pattern, name):
            continue
        properties = {p["name"]: p["value"] for p in test.get("properties", [])}
        env = {}
        for entry in properties.get("ENVIRONMENT", []):
            key, _, value = entry.partition("=")
            if key not in SHARD_VARIABLES:
                env[key] = value
        binaries.append(Binary(name, test["command"][0], properties.get("WORKING_DIRECTORY", str(build_dir)), env))
    return sorted(binaries, key=lambda b: b.name)


def is_thread_sanitizer_tree(build_dir):
    cache = Path(build_dir) / "CMakeCache.txt"
    return cache.exists() and re.search(r"^ZELVAN_SANITIZE_THREAD:BOOL=ON$", cache.read_text(), re.M) is not None


def read_log(text):
    """The failed cases, the case left running and the first sanitizer line of one process's output."""
    failed, running, report = [], "", ""
    for line in text.splitlines():
        if match := RUN_LINE.match(line):
            running = match.group(1)
        elif match := END_LINE.match(line):
            if match.group(1) == "FAILED" and match.group(2) not in failed:
                failed.append(match.group(2))
            if match.group(2) == running:
                running = ""
        elif not report and (match := SANITIZER_REPORT.search(line)):
            report = match.group(1)[:200]
    return failed, running, report


def stacks_of(pid, log):
    """Appends every thread's stack of a hung process to its log, when gdb is there to read them."""
    if not shutil.which("gdb"):
        return
    log.write(f"\n==== stress: threads of the hung process {pid} ====\n")
    log.flush()
    try:
        subprocess.run(["gdb", "-p", str(pid), "-batch", "-nx", "-ex", "thread apply all bt"], stdout=log,
                       stderr=subprocess.STDOUT, timeout=120)
    except subprocess.TimeoutExpired:
        log.write("==== stress: gdb did not finish in 120 s ====\n")


def command_of(binary, seed, args):
    command = [binary.path, "--gtest_shuffle", f"--gtest_random_seed={seed}", "--gtest_color=no"]
    if args.repeat > 1:
        command.append(f"--gtest_repeat={args.repeat}")
    if args.gtest_filter:
        command.append(f"--gtest_filter={args.gtest_filter}")
    return command


def replay_line(binary, seed, args):
    """The shell line that runs the same order again, in the same place with the same variables."""
    variables = dict(binary.env)
    if "TSAN_OPTIONS" in os.environ:
        variables["TSAN_OPTIONS"] = os.environ["TSAN_OPTIONS"]
    assignments = " ".join(f"{k}={shlex.quote(v)}" for k, v in sorted(variables.items()))
    command = " ".join(shlex.quote(part) for part in command_of(binary, seed, args))
    return f"cd {shlex.quote(binary.workdir)} && {assignments} {command}"


# The processes running now, so an interrupted stress run can end them (each leads a session of its own, which the
# terminal's interrupt does not reach).
LIVE = set()
LIVE_LOCK = threading.Lock()
STOPPING = threading.Event()


def kill_group(process):
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass


def run_one(binary, round_number, seed, args, log_dir):
    if STOPPING.is_set():
        return None
    log_path = log_dir / f"{binary.name}.{round_number}.log"
    scratch = tempfile.mkdtemp(prefix="zelvan-stress-")
    env = dict(os.environ)
    env.update(binary.env)
    env["TMPDIR"] = scratch
    env["ZELVAN_HOME"] = os.path.join(scratch, "home")
    os.makedirs(env["ZELVAN_HOME"])
    start = time.monotonic()
    status = "passed"
    try:
        with open(log_path, "w") as log:
            log.write(f"# {replay_line(binary, seed, args)}\n")
            log.flush()
            process = subprocess.Popen(command_of(binary, seed, args), cwd=binary.workdir, env=env, stdout=log,
                                       stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL, start_new_session=True)
            with LIVE_LOCK:
                LIVE.add(process)
            try:
                code = process.wait(timeout=args.timeout)
                if code != 0:
                    status = "failed"
            except subprocess.TimeoutExpired:
                status = "hung"
                stacks_of(process.pid, log)
            finally:
                # The whole group, so no child of a test (a death test's, a server's) outlives the run.
                kill_group(process)
                process.wait()
                with LIVE_LOCK:
                    LIVE.discard(process)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    outcome = Outcome(binary, round_number, seed, time.monotonic() - start, status, log=str(log_path))
    text = log_path.read_text(errors="replace")
    outcome.failed_tests, outcome.running, outcome.report = read_log(text)
    if status == "passed" and outcome.failed_tests:
        outcome.status = "failed"  # a failure GoogleTest did not turn into an exit status
    if outcome.status == "passed":
        log_path.unlink()
        outcome.log = ""
    return outcome


def describe(outcome):
    what = ", ".join(outcome.failed_tests)
    if outcome.running:
        stopped = "hung" if outcome.status == "hung" else "stopped"
        what = (what + "; " if what else "") + f"{stopped} in {outcome.running}"
    if not what:
        what = "hung" if outcome.status == "hung" else "failed outside any case (start-up or exit)"
    if outcome.report:
        what += f" [{outcome.report}]"
    return f"{outcome.binary.name} round {outcome.round} seed {outcome.seed}: {what}"


class Load:
    """One busy process per core for as long as the runs last."""

    def __init__(self, enabled):
        self.processes = []
        if enabled:
            for _ in range(os.cpu_count() or 1):
                self.processes.append(subprocess.Popen([sys.executable, "-c", "while True: pass"],
                                                       start_new_session=True))

    def stop(self):
        for process in self.processes:
            process.kill()
            process.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build_dir", type=Path)
    parser.add_argument("--rounds", type=int, default=30)
    parser.add_argument("--jobs", type=int, default=8)
    parser.add_argument("--load", action="store_true")
    parser.add_argument("--timeout", type=float, default=900)
    parser.add_argument("--binaries", default="")
    parser.add_argument("--gtest-filter", default="")
    parser.add_argument("--repeat", type=int, default=1)
    parser.add_argument("--logs", type=Path)
    parser.add_argument("--seed", type=int)
    args = parser.parse_args()

    if not (args.build_dir / "CTestTestfile.cmake").exists():
        print(f"stress: {args.build_dir} is not a built test tree (make build, or make tsan)", file=sys.stderr)
        return 2
    if is_thread_sanitizer_tree(args.build_dir) and "suppressions=" not in os.environ.get("TSAN_OPTIONS", ""):
        print("stress: a ThreadSanitizer tree needs TSAN_OPTIONS with its suppressions, as make tsan sets them; "
              "run it as make stress STRESS_TREE=tsan", file=sys.stderr)
        return 2
    binaries = discover(args.build_dir, args.binaries)
    if not binaries:
        print(f"stress: no test binary of {args.build_dir} matches '{args.binaries}'", file=sys.stderr)
        return 2
    stamp = datetime.datetime.now().strftime("%Y%m%d-%H%M%S")
    log_dir = (args.logs or args.build_dir / "stress" / stamp).resolve()
    log_dir.mkdir(parents=True, exist_ok=True)
    seeds = random.Random(args.seed)
    # Round by round, so every binary has runs early in a long stress run and the mix beside each run varies.
    plan = [(b, r, seeds.randint(1, 99999)) for r in range(1, args.rounds + 1) for b in binaries]
    print(f"stress: {len(binaries)} binaries x {args.rounds} rounds = {len(plan)} processes, {args.jobs} at a time"
          f"{', beside one busy process per core' if args.load else ''}; time limit {args.timeout:.0f} s; "
          f"logs of failures in {log_dir}", flush=True)

    outcomes = []
    started = time.monotonic()
    load = Load(args.load)
    pool = concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs)
    try:
        futures = [pool.submit(run_one, b, r, s, args, log_dir) for b, r, s in plan]
        last_progress = started
        for future in concurrent.futures.as_completed(futures):
            outcome = future.result()
            outcomes.append(outcome)
            if outcome.status != "passed":
                print(f"{outcome.status.upper()}: {describe(outcome)}\n  log: {outcome.log}", flush=True)
            now = time.monotonic()
            if now - last_progress >= 60 or len(outcomes) == len(plan):
                last_progress = now
                bad = sum(o.status != "passed" for o in outcomes)
                print(f"stress: {len(outcomes)}/{len(plan)} done, {bad} failed or hung, {now - started:.0f} s",
                      flush=True)
    except KeyboardInterrupt:
        STOPPING.set()
        with LIVE_LOCK:
            for process in LIVE:
                kill_group(process)
        print("stress: interrupted", file=sys.stderr)
        return 2
    finally:
        pool.shutdown(wait=True, cancel_futures=True)
        load.stop()

    print(f"\n{'binary':<28} {'runs':>5} {'failed':>7} {'hung':>5} {'mean s':>7} {'max s':>7}")
    for binary in binaries:
        mine = [o for o in outcomes if o.binary is binary]
        seconds = [o.seconds for o in mine]
        print(f"{binary.name:<28} {len(mine):>5} {sum(o.status == 'failed' for o in mine):>7} "
              f"{sum(o.status == 'hung' for o in mine):>5} {sum(seconds) / len(seconds):>7.1f} {max(seconds):>7.1f}")
    bad = sorted((o for o in outcomes if o.status != "passed"), key=lambda o: (o.binary.name, o.round))
    print(f"\nstress: {len(outcomes)} runs, {sum(o.status == 'failed' for o in outcomes)} failed, "
          f"{sum(o.status == 'hung' for o in outcomes)} hung, in {time.monotonic() - started:.0f} s")
    for outcome in bad:
        print(f"\n{outcome.status.upper()}: {describe(outcome)}\n  log: {outcome.log}\n"
              f"  replay: {replay_line(outcome.binary, outcome.seed, args)}")
    if not bad and not any(log_dir.iterdir()):
        log_dir.rmdir()
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
