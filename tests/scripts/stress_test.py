#!/usr/bin/env python3
"""The stress runner against a stand-in test binary: a run that passes leaves no log, a failed case is named,
a process that dies inside a case names that case and the sanitizer's line, and a hung one is killed with
every process of its group, named by the case it hung in; each run's scratch folder is gone after it."""
import os
import sys
import tempfile
import time
from pathlib import Path
from types import SimpleNamespace

sys.path.insert(0, sys.argv[1])
import stress  # noqa: E402

os.environ.pop("TSAN_OPTIONS", None)  # the replay line would carry it

FAKE = """#!/bin/sh
echo "$TMPDIR" > "$OUT/tmpdir.$MODE"
case "$MODE" in
pass) printf '[ RUN      ] A.B\\n[       OK ] A.B (1 ms)\\n' ;;
fail) printf '[ RUN      ] A.B\\nwhere it failed\\n[  FAILED  ] A.B (2 ms)\\n[ RUN      ] A.C\\n[       OK ] A.C (1 ms)\\n'
      printf '[  FAILED  ] 1 test, listed below:\\n[  FAILED  ] A.B\\n'; exit 1 ;;
crash) printf '[ RUN      ] A.B\\n[       OK ] A.B (1 ms)\\n[ RUN      ] A.D\\nWARNING: ThreadSanitizer: data race (pid=7)\\n'
       exit 66 ;;
hang) printf '[ RUN      ] A.E\\n'; sleep 300 & echo $! > "$OUT/child"; wait ;;
esac
"""

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


with tempfile.TemporaryDirectory() as work:
    out = Path(work)
    fake = out / "fake_test"
    fake.write_text(FAKE)
    fake.chmod(0o755)
    args = SimpleNamespace(timeout=3, repeat=1, gtest_filter="")
    outcomes = {}
    for mode in ("pass", "fail", "crash", "hang"):
        binary = stress.Binary(mode, str(fake), work, {"MODE": mode, "OUT": work})
        outcomes[mode] = stress.run_one(binary, 1, 42, args, out)
        scratch = (out / f"tmpdir.{mode}").read_text().strip()
        check(scratch and not os.path.exists(scratch), f"{mode}: the scratch folder {scratch!r} was left")

    passed, failed, crashed, hung = (outcomes[m] for m in ("pass", "fail", "crash", "hang"))
    check(passed.status == "passed" and not passed.log and not (out / "pass.1.log").exists(),
          f"a passing run: {passed}")
    check(failed.status == "failed" and failed.failed_tests == ["A.B"] and not failed.running
          and Path(failed.log).exists(), f"a failed case: {failed}")
    check(crashed.status == "failed" and crashed.running == "A.D" and "ThreadSanitizer: data race" in crashed.report,
          f"a crash inside a case: {crashed}")
    check("stopped in A.D" in stress.describe(crashed), f"the crash's description: {stress.describe(crashed)}")
    check(hung.status == "hung" and hung.running == "A.E" and hung.seconds < 120, f"a hang: {hung}")
    child = int((out / "child").read_text())
    time.sleep(0.2)
    check(not os.path.exists(f"/proc/{child}") or "Z" in Path(f"/proc/{child}/stat").read_text().split()[2],
          "the hung run's child process outlived it")
    replay = stress.replay_line(stress.Binary("x", "/b/t", "/w", {"K": "a b"}), 42, args)
    check(replay == "cd /w && K='a b' /b/t --gtest_shuffle --gtest_random_seed=42 --gtest_color=no",
          f"the replay line: {replay}")

for failure in failures:
    print("FAILED: " + failure)
print(f"{'no' if not failures else len(failures)} failures")
sys.exit(1 if failures else 0)
