#!/usr/bin/env python3
"""The include-direction check: the tree as it stands passes, and an include of a folder the file's library
does not link (foundation including the core) is refused with its place and the libraries named, as is a read of
the installed delegate outside the core and the libraries' context accessors."""
import subprocess
import sys

script, build_dir = sys.argv[1], sys.argv[2]


def run(*extra):
    return subprocess.run([sys.executable, script, build_dir, *extra], capture_output=True, text=True)


clean = run()
planted = run("--plant", 'src/platform/foundation/planted.cpp=// planted\n#include "core/zjson.h"\n', "--plant",
              "src/web/planted.cpp=// planted\nauto a = zelvanAppDelegate::current();\n", "--plant",
              "src/web/web_context.cpp=auto a = zelvanAppDelegate::current();\n")
expected = ["src/platform/foundation/planted.cpp:2: includes core/zjson.h (zelvan_core), which zelvan_fnd does not link",
            "src/web/planted.cpp:2: reads zelvanAppDelegate::current(), which outside the core only a library's "
            "context() in <folder>/<folder>_context.cpp may read"]
failures = []
if clean.returncode != 0:
    failures.append("the tree has wrong includes:\n" + clean.stdout + clean.stderr)
if planted.returncode != 1 or sorted(planted.stdout.splitlines()[:-1]) != sorted(expected):
    failures.append(f"the planted files were not refused as expected (status {planted.returncode}):\n{planted.stdout}")
for failure in failures:
    print("FAILED: " + failure)
print(f"{2 - len(failures)} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
