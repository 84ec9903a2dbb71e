#!/usr/bin/env bash
# Measures the Release client against the hostile peer: peak RSS under a refusal flood and under huge
# arrays, connections in 20 s against a server that closes every connection, temporary files left by
# 20 kill -9s during start-up, the longest log line with 2 MB packets, the bytes kept of files pushed unasked,
# peak RSS with 10 MiB chat lines, and run time and CPU time under a presence flood of 100,000 friends. Run from
# the repository root; builds only the three programs it needs. Output and homes stay under build/hostile-measure/.
set -euo pipefail

build=build/release
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=1
cmake --preset release >/dev/null
cmake --build "$build" -j3 --target zelvan zelvan-hostile-peer zelvan-devserver >/dev/null
python3 tools/hostile_peer/hostile_run.py measure --client "$build/app/zelvan" \
    --peer "$build/tools/hostile_peer/zelvan-hostile-peer" --devserver "$build/tools/devserver/zelvan-devserver" \
    --work build/hostile-measure
