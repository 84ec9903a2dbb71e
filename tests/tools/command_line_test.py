#!/usr/bin/env python3
"""Every executable's command line: --help prints its usage and exits 0; an unknown option and a bad value
are refused with a message naming them and exit code 2, before anything runs."""
import subprocess
import sys

# What an executable needs before another option is looked at.
REQUIRED = {"zelvan-hostile-peer": ["--mode", "accept-close"], "zelvan-artgen": ["out"], "zelvan-gameart": ["out"]}
# executable: (a bad value, the text its refusal names)
BAD_VALUES = {
    "zelvan": (["--tab", "7"], "--tab"),
    "zelvan-devserver": (["--port", "70000"], "--port"),
    "zelvan-demo": (["--step-seconds", "-1"], "--step-seconds"),
    "zelvan-hostile-peer": (["--mode", "polite"], "--mode"),
    "bcasm": (["-o", "out.img"], "source"),
    "zelvan-artgen": ([], "folder"),
    "zelvan-gameart": ([], "folder"),
}

# Further bad values, each refused the same way.
MORE_BAD_VALUES = {"zelvan": [(["--ads-base", "not a url"], "--ads-base"), (["--log-level", "loud"], "--log-level")]}

failures = []
paths = dict(arg.split("=", 1) for arg in sys.argv[1:])
for name, (bad, named) in BAD_VALUES.items():
    path = paths[name]

    def run(*args):
        return subprocess.run([path, *args], capture_output=True, text=True, timeout=60)

    shown = run("--help")
    if shown.returncode != 0 or "Usage:" not in shown.stdout:
        failures.append(f"{name} --help: status {shown.returncode}, {shown.stdout[:200]!r}")
    cases = [(REQUIRED.get(name, []) + ["--no-such-option"], "--no-such-option"), (bad, named)]
    for args, expected in cases + MORE_BAD_VALUES.get(name, []):
        refused = run(*args)
        if refused.returncode != 2 or expected not in refused.stdout + refused.stderr:
            failures.append(f"{name} {' '.join(args)}: status {refused.returncode}, {refused.stderr[:200]!r}")
for failure in failures:
    print("FAILED: " + failure)
checks = 3 * len(BAD_VALUES) + sum(len(more) for more in MORE_BAD_VALUES.values())
print(f"{checks - len(failures)} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
