#!/usr/bin/env python3
"""The conventions check: the tree as it stands passes, and each rule refuses its planted breach with its place,
while the platform, comments and the allowed spellings pass."""
import subprocess
import sys

script = sys.argv[1]


def run(*extra):
    return subprocess.run([sys.executable, script, *extra], capture_output=True, text=True)


clean = run()
planted = run("--network", "src/web",
              "--plant", "src/games/planted.cpp=// std::optional<fnd::Error>* in a comment\n"
              "bool read(std::optional<fnd::Error>* error);\n"
              "class Fetcher : public fnd::UrlConnectionDelegate {};\n"
              "auto r = fnd::UrlConnection::sendSynchronousRequest(q);\n"
              "fnd::ObserverId id = 0;\ncenter.removeObserver(id);\n",
              "--plant", "src/web/planted.cpp=ZLOG(Warn, \"x\");\nZLOG_TO(kWebLog, Warn, \"x\");\n",
              "--plant", "src/platform/foundation/planted.cpp=class D : public UrlConnectionDelegate {};\n"
              "center.removeObserver(id);\n",
              "--plant", "src/games/planted_log.cpp=ZLOG(Info, \"not a network\");\n")
lines = [line.split(": ")[0] for line in planted.stdout.splitlines() if "planted" in line]
expected = ["src/games/planted.cpp:2", "src/games/planted.cpp:3", "src/games/planted.cpp:4", "src/games/planted.cpp:5",
            "src/games/planted.cpp:6", "src/web/planted.cpp:1"]
failures = []
if clean.returncode != 0:
    failures.append("the tree breaks a convention:\n" + clean.stdout + clean.stderr)
if planted.returncode != 1 or sorted(lines) != expected:
    failures.append(f"the planted breaches were not refused as expected (status {planted.returncode}):\n{planted.stdout}")
for failure in failures:
    print("FAILED: " + failure)
print(f"{2 - len(failures)} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
