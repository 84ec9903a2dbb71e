#!/usr/bin/env bash
# `make run`: starts the loopback dev server with its demo messenger world and demo game room on free
# ports and runs the demo driver (zelvan-demo) against it: the client signs in, shows the messenger
# lists, opens the friend's chat, sends a reply typed on the keyboard and gets the friend's answer,
# then plays the demo game from the Games tab's lobby to its score, leaving a screenshot of each screen. Everything it writes (data folder, screenshots, both logs) stays under
# build/run/ for a look afterwards. Exits with the driver's status (1 when a step ran out of time).
set -euo pipefail

build=${1:-build/asan}
step_seconds=${STEP_SECONDS:-15}
out=build/run
phone=5550100
password=demo

rm -rf "$out"
mkdir -p "$out"
"$build/tools/devserver/zelvan-devserver" --port 0 --web-port 0 --ads-port 0 --accounts "$phone:$password:Demo Player" --demo-messenger \
    --demo-games --ad-features orvane,brightpoint --ad-features kavlo,orvane,brightpoint \
    --ad-features tallio,kavlo,orvane,brightpoint \
    --log "$out/devserver.log" >"$out/devserver.out" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true' EXIT

port=""
web_port=""
ads_port=""
for _ in $(seq 1 100); do
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$out/devserver.out" | head -n 1)
    web_port=$(sed -n 's/.*web on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$out/devserver.out" | head -n 1)
    ads_port=$(sed -n 's/.*ads on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$out/devserver.out" | head -n 1)
    [ -n "$port" ] && [ -n "$web_port" ] && [ -n "$ads_port" ] && break
    sleep 0.1
done
if [ -z "$port" ] || [ -z "$web_port" ] || [ -z "$ads_port" ]; then
    echo "the dev server did not start:" >&2
    cat "$out/devserver.out" >&2
    exit 1
fi

echo "== dev server on 127.0.0.1:$port, web on 127.0.0.1:$web_port, ads on 127.0.0.1:$ads_port; the demo signs in as $phone"
status=0
"$build/tools/demo/zelvan-demo" --server "127.0.0.1:$port" --web "127.0.0.1:$web_port" \
    --ads-base "http://127.0.0.1:$ads_port" --account "$phone:$password" --home "$out/home" --idle-turns 20 --screenshots "$out/screens" \
    --step-seconds "$step_seconds" 2>"$out/client.log" || status=$?

echo "== what the dev server received"
grep -E "logged in|received" "$out/devserver.log" || true
echo "== what the ad host received, by network"
for network in adwick selvo marlin orvane tallio kavlo brightpoint; do
    count=$(grep -c "devads: [A-Z]* /$network/" "$out/devserver.log" || true)
    echo "$network: ${count:-0} requests"
done
if [ "$status" -ne 0 ]; then
    echo "== the demo stopped early (status $status); the client's log:" >&2
    tail -n 40 "$out/client.log" >&2
fi
echo "== client log in $out/client.log, server log in $out/devserver.log"
echo "== screenshots in $out/screens:"
ls "$out/screens" 2>/dev/null || echo "(none)"
exit "$status"
