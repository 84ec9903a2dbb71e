#!/usr/bin/env bash
# `make run`: starts the loopback dev server on a free port, runs the headless client against it
# with a demo account for a few seconds, and shows what both sides did. Everything it writes
# (data folder, screenshots, the server's log) stays under build/run/ for a look afterwards.
set -euo pipefail

build=${1:-build/asan}
seconds=${RUN_SECONDS:-6}
out=build/run
phone=5550100
password=demo

rm -rf "$out"
mkdir -p "$out"
"$build/tools/devserver/zelvan-devserver" --port 0 --web-port 0 --accounts "$phone:$password:Demo Player" --demo-messenger \
    --log "$out/devserver.log" >"$out/devserver.out" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true' EXIT

port=""
web_port=""
for _ in $(seq 1 100); do
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$out/devserver.out" | head -n 1)
    web_port=$(sed -n 's/.*web on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$out/devserver.out" | head -n 1)
    [ -n "$port" ] && [ -n "$web_port" ] && break
    sleep 0.1
done
if [ -z "$port" ] || [ -z "$web_port" ]; then
    echo "the dev server did not start:" >&2
    cat "$out/devserver.out" >&2
    exit 1
fi

echo "== dev server on 127.0.0.1:$port, web on 127.0.0.1:$web_port; client runs ${seconds}s as $phone"
"$build/app/zelvan" --server "127.0.0.1:$port" --web "127.0.0.1:$web_port" --account "$phone:$password" \
    --home "$out/home" --run-seconds "$seconds" --idle-turns 20 --tab 2 --screenshots "$out/screens"

echo "== what the dev server saw"
cat "$out/devserver.log"
echo "== screenshots in $out/screens"
