#!/bin/sh
# The shipped client carries no test code: the input drivers and fakes of platform_testing are for the
# tests and the demo driver only. The demo driver, which links them, shows the check can see them.
set -eu
client="$1"
demo="$2"
drivers=' [TtWw] (ui|fnd|gfx|media|device)::testing::'
if ! nm -C "$demo" | grep -qE "$drivers"; then
    echo "no test driver code found in zelvan-demo: the check cannot see it" >&2
    exit 1
fi
if nm -C "$client" | grep -E "$drivers" | head -5 | grep .; then
    echo "zelvan contains test driver code" >&2
    exit 1
fi
echo "zelvan links no test drivers"
