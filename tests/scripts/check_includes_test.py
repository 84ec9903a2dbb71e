#!/usr/bin/env python3
"""The include-direction check: the tree as it stands passes, and an include of a folder the file's library
does not link (foundation including the core) is refused with its place and the libraries named."""
import subprocess
import sys

script, build_dir = sys.argv[1], sys.argv[2]


def run(*extra):
    return subprocess.run([sys.executable, script, build_dir, *extra], capture_output=True, text=True)


clean = run()
planted = run("--plant", 'src/platform/foundation/planted.cpp=// planted\n#include "core/zjson.h"\n')
expected = "src/platform/foundation/planted.cpp:2: includes core/zjson.h (zelvan_core), which zelvan_fnd does not link"
failures = []
if clean.returncode != 0:
    failures.append("the tree has wrong includes:\n" + clean.stdout + clean.stderr)
if planted.returncode != 1 or expected not in planted.stdout.splitlines():
    failures.append(f"the planted include was not refused as expected (status {planted.returncode}):\n{planted.stdout}")
for failure in failures:
    print("FAILED: " + failure)
print(f"{2 - len(failures)} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
