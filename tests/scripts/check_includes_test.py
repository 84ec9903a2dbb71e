#!/usr/bin/env python3
"""The include-direction check: the tree as it stands passes, and an include of a folder the file's library
does not link (foundation including the core) is refused with its place and the libraries named, as are a read of
the installed delegate outside the core and the libraries' context accessors, a main-thread hop in the run loop's own
spellings outside the platform (a network's folder included), an include of a network's header from outside app/
and that network, and a call of a network's context() outside its entry points; and that the shipped executable
links no demo or test code (the demo driver,
checked as if it were shipped, is refused for the demo's helpers and the platform's test drivers), and that the
messenger's model includes none of its screens' folders."""
import subprocess
import sys

script, build_dir = sys.argv[1], sys.argv[2]


def run(*extra):
    return subprocess.run([sys.executable, script, build_dir, *extra], capture_output=True, text=True)


clean = run()
planted = run("--plant", 'src/platform/foundation/planted.cpp=// planted\n#include "core/zjson.h"\n', "--plant",
              "src/web/planted.cpp=// planted\nauto a = zelvanAppDelegate::current();\n", "--plant",
              "src/web/web_context.cpp=auto a = zelvanAppDelegate::current();\n", "--plant",
              "src/games/planted.cpp=fnd::RunLoop::main().post(f);\nfnd::RunLoop::current().post(f);\n"
              "loop.performAfter(0, f);\nloop.performAfter(0.5, f);\n", "--plant",
              "src/ads/adwick/planted.cpp=fnd::RunLoop::main().post(f);\n", "--plant",
              "src/platform/ui/planted.cpp=fnd::RunLoop::main().post(f);\n")
hop = "which outside the platform only core/main_thread.h may do"
expected = ["src/platform/foundation/planted.cpp:2: includes core/zjson.h (zelvan_core), which zelvan_fnd does not link",
            "src/web/planted.cpp:2: reads zelvanAppDelegate::current(), which outside the core only a library's "
            "context() in <folder>/<folder>_context.cpp may read",
            f'src/games/planted.cpp:1: hops with "RunLoop::main().post(", {hop}',
            f'src/games/planted.cpp:2: hops with "RunLoop::current().post(", {hop}',
            f'src/games/planted.cpp:3: hops with "performAfter(0,", {hop}',
            f'src/ads/adwick/planted.cpp:1: hops with "RunLoop::main().post(", {hop}']
# Two networks declared for the run (the web and ads folders stand in for them): one including the
# other, and a product folder including one, are both refused; app/ wiring one is not. A class of a network
# calling its context() is refused; the network's entry points and a member call named context() are not.
wired = run("--network", "src/web", "--network", "src/ads",
            "--plant", 'src/web/planted.cpp=#include "ads/ad_source.h"\n',
            "--plant", 'src/games/planted.cpp=#include "web/zelvan_web_cache.h"\n',
            "--plant", 'app/planted.cpp=#include "web/zelvan_web_cache.h"\n',
            "--plant", "src/web/planted_view.cpp=// context() in a comment\nauto a = context();\nauto b = zelvan::x::context();\n"
            "auto c = layer->context();\n",
            "--plant", "src/web/web_entry_points.cpp=auto a = WebContext::context();\n")
wired_expected = {
    "src/web/planted.cpp:1: includes ads/ad_source.h of the network src/ads, which only app/ may wire",
    "src/games/planted.cpp:1: includes web/zelvan_web_cache.h of the network src/web, which only app/ may wire",
}
# The messenger's model includes none of its screens' folders.
layered = run("--plant", 'src/messaging/model/planted.cpp=#include "messaging/window/im_chat_controller.h"\n',
              "--plant", 'src/messaging/window/planted.cpp=#include "messaging/model/base_card.h"\n')
layered_lines = [line for line in layered.stdout.splitlines() if "planted.cpp" in line]
demo = run("--shipped", "zelvan-demo")
demo_lines = {line.split(",")[0] for line in demo.stdout.splitlines() if line.startswith("zelvan-demo links")}
failures = []
if clean.returncode != 0:
    failures.append("the tree has wrong includes:\n" + clean.stdout + clean.stderr)
if planted.returncode != 1 or sorted(planted.stdout.splitlines()[:-1]) != sorted(expected):
    failures.append(f"the planted files were not refused as expected (status {planted.returncode}):\n{planted.stdout}")
wired_lines = {line for line in wired.stdout.splitlines() if "planted.cpp" in line and "of the network" in line}
if wired.returncode != 1 or wired_lines != wired_expected:
    failures.append(f"the network rule did not refuse exactly the planted includes:\n{wired.stdout}")
context_lines = [line.split(": calls")[0] for line in wired.stdout.splitlines()
                 if "calls context()" in line and line.startswith(("src/web/planted", "src/web/web_entry"))]
if context_lines != ["src/web/planted_view.cpp:2", "src/web/planted_view.cpp:3"]:
    failures.append(f"the context rule did not refuse exactly the planted calls:\n{wired.stdout}")
if layered.returncode != 1 or layered_lines != [
        "src/messaging/model/planted.cpp:1: includes messaging/window/im_chat_controller.h, but window/ stands above "
        "model/ in src/messaging"]:
    failures.append(f"the sub-folder order did not refuse exactly the planted include:\n{layered.stdout}")
if demo.returncode != 1 or demo_lines != {"zelvan-demo links zelvan_app_demo", "zelvan-demo links platform_testing"}:
    failures.append(f"the demo driver was not refused as a shipped executable:\n{demo.stdout}")
for failure in failures:
    print("FAILED: " + failure)
print(f"{6 - len(failures)} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
