#!/usr/bin/env python3
"""Checks the direction of includes against the libraries' link graph: a source file under src/, app/ or
tools/ may include a header of another folder only when its own library (or executable) links the library
built from that folder. The link graph comes from CMake's file API (the codemodel of a configured build
tree), so CMakeLists.txt stays the one place where the layering is written down. It also checks that a file
of src/ reads the installed application delegate (zelvanAppDelegate::current()) only where allowed: the core's
delegate, and each library's one accessor, <folder>/<folder>_context.cpp (or in a sub-folder of <folder>). Outside
src/platform, work reaches the main thread only through the core's hop (core/main_thread.h): the run loop's own
spellings (RunLoop::main().post, RunLoop::current().post, performAfter(0, ...)) are refused elsewhere.

Usage: check_includes.py BUILD_DIR [--plant PATH=TEXT ...]
  BUILD_DIR  a configured build tree, e.g. build/asan (the top CMakeLists.txt asks every configure for the
             codemodel)
  --plant    checks TEXT as if it were the file PATH (relative to the project root) as well: the script's
             own test plants a wrong include this way.
  --network  treats FOLDER (relative to the project root) as a network's folder too, beside those the build
             lists in network_folders.txt (zelvan_network in CMake).
Networks (the ad, offer, analytics and store clients) are wired only by the composition root: no file outside
app/ and the network's own folder includes a network's header, so no product folder and no other network
reaches one. Inside a network, its classes receive what they use at construction: a call of the network's
process-wide context() (free or X::context()) stands only in its entry points, <name>_entry_points.cpp, and in
the accessor's own <name>_context.cpp.
Inside one library, an optional order of its sub-folders (SUBFOLDER_LAYERS) says which sub-folder may include
which: a file in a sub-folder of one layer includes only sub-folders of its own layer or the layers below it.
The demo's helpers (app/demo) are the second composition root: they may wire networks like app/, but the shipped
executable (`zelvan`, or the target named by --shipped) may link no library built from app/demo, tools/ or a
platform testing folder, directly or through another library.
Exit status: 0 when every include goes the right way, the delegate is read only where allowed, no stray main-thread
hop is left and the shipped executable links no demo or test code, 1 with one line per wrong include, read, hop or
link, 2 on other errors."""
import argparse
import json
import re
import subprocess
import sys
from pathlib import Path

from source_tree import source_files

ROOT = Path(__file__).resolve().parent.parent
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)
# Header-only libraries that the codemodel does not list, with the folders allowed to include them.
HEADER_ONLY = {"src/games/engine/opcodes.h": ("tools/bcasm",)}
CURRENT = re.compile(r"\bzelvanAppDelegate\s*::\s*current\s*\(")
# A call of a process-wide context(): free or qualified by a class or namespace, not a member call.
CONTEXT_CALL = re.compile(r"(?<![\w.>:])(?:\w+\s*::\s*)*\bcontext\s*\(\s*\)")
LINE_COMMENT = re.compile(r"//[^\n]*")
CURRENT_READER = "src/core/zelvan_app_delegate.cpp"
# Posting to a run loop directly, or a delay of zero: the main-thread hop's work, outside the platform.
HOP = re.compile(r"\bRunLoop\s*::\s*(?:main|current)\s*\(\s*\)\s*\.\s*post\s*\(|\bperformAfter\s*\(\s*0(?:\.0*)?\s*,")
HOP_FILES = ("src/core/main_thread.h", "src/core/main_thread.cpp")
# Libraries whose sub-folders stand in layers, lowest first: the messenger's model knows none of its screens.
SUBFOLDER_LAYERS = {
    "src/messaging": [{"model"}, {"commands", "chat", "window", "lists", "rooms", "avatars"}],
    # The offer client: its client core, its widget kit, then its screens (the goods and score screens open
    # the offer wall); the facade and the maker of the screens stand at the top of the folder.
    "src/offers/orvane": [{"client"}, {"kit"}, {"offers"}, {"goods", "scores"}],
}
SHIPPED = "zelvan"
# Folders whose code the shipped executable must not carry.
NOT_SHIPPED = re.compile(r"^(app/demo|tools)(/|$)|^src/platform/[^/]+/testing(/|$)")


def codemodel(build_dir):
    """{target name: {"dirs": set of source folders, "deps": set of target names}} of the configured tree."""
    reply = build_dir / ".cmake/api/v1/reply"
    if not list(reply.glob("index-*.json")):
        # The query is written while a tree configures for the first time, after CMake looked for queries:
        # one more configure answers it.
        subprocess.run(["cmake", str(build_dir)], check=True, stdout=subprocess.DEVNULL)
    index = json.loads(max(reply.glob("index-*.json")).read_text())
    model = next(o for o in index["objects"] if o["kind"] == "codemodel")
    config = json.loads((reply / model["jsonFile"]).read_text())["configurations"][0]
    targets = {}
    for entry in config["targets"]:
        target = json.loads((reply / entry["jsonFile"]).read_text())
        targets[target["id"]] = target
    graph = {}
    for target in targets.values():
        dirs = {str(Path(s["path"]).parent) for s in target.get("sources", []) if not Path(s["path"]).is_absolute()}
        deps = {targets[d["id"]]["name"] for d in target.get("dependencies", []) if d["id"] in targets}
        graph[target["name"]] = {"dirs": dirs, "deps": deps}
    return graph


def owners(graph):
    """{source folder: set of targets built from it}."""
    folders = {}
    for name, target in graph.items():
        for folder in target["dirs"]:
            folders.setdefault(folder, set()).add(name)
    return folders


def resolve(include):
    """The project-relative path of a quoted include, or None for a header outside the project's folders."""
    for candidate in (Path("src") / include, Path(include)):
        if (ROOT / candidate).is_file():
            return str(candidate)
    return None


def network_folders(build_dir, extra):
    """The folders of the networks: those the build lists, and any given on the command line."""
    listed = build_dir / "network_folders.txt"
    names = listed.read_text().split() if listed.is_file() else []
    return [name.rstrip("/") for name in names + list(extra)]


def network_of(path, networks):
    """The network a path belongs to; a library nested in a network's folder belongs to that network."""
    return min((folder for folder in networks if path.startswith(folder + "/")), key=len, default=None)


def check_networks(path, text, networks):
    """The includes of a network's header from outside app/ and that network's own folder."""
    if path.startswith("app/"):
        return []
    own = network_of(path, networks)
    wrong = []
    for number, include in ((text.count("\n", 0, m.start()) + 1, m.group(1)) for m in INCLUDE.finditer(text)):
        target = resolve(include) or str(Path("src") / include)
        theirs = network_of(target, networks)
        if theirs is not None and theirs != own:
            wrong.append(f"{path}:{number}: includes {include} of the network {theirs}, which only app/ may wire")
    return wrong


def check_file(path, text, graph, folders):
    """The wrong includes of one file, as lines to print."""
    mine = folders.get(str(Path(path).parent), set())
    if not mine:
        return []  # a file no target builds (a generated or third-party one)
    reach = set(mine)
    for name in mine:
        reach |= graph[name]["deps"]
    wrong = []
    for number, include in ((text.count("\n", 0, m.start()) + 1, m.group(1)) for m in INCLUDE.finditer(text)):
        target = resolve(include)
        if target is None or Path(target).parent == Path(path).parent:
            continue
        allowed = HEADER_ONLY.get(target)
        if allowed is not None:
            if not any(path.startswith(folder + "/") for folder in allowed):
                wrong.append(f"{path}:{number}: includes {include}, which only {', '.join(allowed)} may include")
            continue
        theirs = folders.get(str(Path(target).parent), set())
        if theirs and not theirs & reach:
            wrong.append(f"{path}:{number}: includes {include} ({', '.join(sorted(theirs))}), "
                         f"which {', '.join(sorted(mine))} does not link")
    return wrong


def layer_of(path, layers):
    """(library folder, layer index) of a path inside a layered library, or None."""
    for library, order in layers.items():
        if path.startswith(library + "/"):
            sub = path[len(library) + 1:].split("/")[0]
            for index, names in enumerate(order):
                if sub in names:
                    return library, index
    return None


def check_layers(path, text, layers):
    """The includes of a higher sub-folder from a lower one of the same library."""
    mine = layer_of(path, layers)
    if mine is None:
        return []
    wrong = []
    for number, include in ((text.count("\n", 0, m.start()) + 1, m.group(1)) for m in INCLUDE.finditer(text)):
        target = resolve(include) or str(Path("src") / include)
        theirs = layer_of(target, layers)
        if theirs is not None and theirs[0] == mine[0] and theirs[1] > mine[1]:
            folder = target[len(mine[0]) + 1:].split("/")[0]
            wrong.append(f"{path}:{number}: includes {include}, but {folder}/ stands above "
                         f"{path[len(mine[0]) + 1:].split('/')[0]}/ in {mine[0]}")
    return wrong


def check_current(path, text):
    """The reads of the installed delegate in one file that is neither the core's delegate nor a library's
    context accessor."""
    file = Path(path)
    if file.parts[0] != "src" or path == CURRENT_READER or file.name in {f"{p}_context.cpp" for p in file.parent.parts}:
        return []
    lines = (text.count("\n", 0, m.start()) + 1 for m in CURRENT.finditer(text))
    return [f"{path}:{number}: reads zelvanAppDelegate::current(), which outside the core only a library's "
            "context() in <folder>/<folder>_context.cpp may read" for number in lines]


def check_context_calls(path, text, networks):
    """The calls of a network's context() outside its entry points and its context accessor."""
    file = Path(path)
    if file.suffix != ".cpp" or network_of(path, networks) is None:
        return []
    if file.name.endswith("_entry_points.cpp") or file.name.endswith("_context.cpp"):
        return []
    code = LINE_COMMENT.sub("", text)
    lines = sorted({code.count("\n", 0, m.start()) + 1 for m in CONTEXT_CALL.finditer(code)})
    return [f"{path}:{number}: calls context(), which in a network only its <name>_entry_points.cpp may call; "
            "hand the class what it uses at construction" for number in lines]


def check_hops(path, text):
    """The run loop's own spellings of a main-thread hop in one file outside the platform and the hop itself."""
    if path.startswith("src/platform/") or path in HOP_FILES:
        return []
    return [f"{path}:{text.count(chr(10), 0, m.start()) + 1}: hops with \"{''.join(m.group(0).split())}\", which "
            "outside the platform only core/main_thread.h may do" for m in HOP.finditer(text)]


def check_shipped(graph, shipped):
    """The libraries of demo or test code that the shipped executable links, directly or not."""
    if shipped not in graph:
        return [f"the shipped executable {shipped} is not a target of the build"]
    seen, todo = set(), [shipped]
    while todo:
        for dep in graph[todo.pop()]["deps"]:
            if dep not in seen and dep in graph:
                seen.add(dep)
                todo.append(dep)
    return [f"{shipped} links {name}, built from {folder}, which the shipped executable may not carry"
            for name in sorted(seen) for folder in sorted(graph[name]["dirs"]) if NOT_SHIPPED.match(folder)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build_dir", type=Path)
    parser.add_argument("--plant", action="append", default=[], metavar="PATH=TEXT")
    parser.add_argument("--network", action="append", default=[], metavar="FOLDER")
    parser.add_argument("--shipped", default=SHIPPED, metavar="TARGET")
    args = parser.parse_args()
    try:
        graph = codemodel(args.build_dir)
    except (OSError, ValueError, KeyError, StopIteration, subprocess.CalledProcessError) as error:
        print(f"check_includes: cannot read the build's codemodel: {error}", file=sys.stderr)
        return 2
    folders = owners(graph)
    files = source_files(args.plant)
    networks = network_folders(args.build_dir, args.network)
    wrong = [line for path, text in files.items() for line in check_file(path, text, graph, folders)]
    wrong += [line for path, text in files.items() for line in check_networks(path, text, networks)]
    wrong += [line for path, text in files.items() for line in check_layers(path, text, SUBFOLDER_LAYERS)]
    reads = [line for path, text in files.items() for line in check_current(path, text)]
    reads += [line for path, text in files.items() for line in check_context_calls(path, text, networks)]
    hops = [line for path, text in files.items() for line in check_hops(path, text)]
    links = check_shipped(graph, args.shipped)
    for line in wrong + reads + hops + links:
        print(line)
    print(f"check_includes: {len(files)} files, {len(wrong)} wrong include(s), {len(reads)} stray delegate or context "
          f"read(s), {len(hops)} stray main-thread hop(s), {len(links)} demo or test link(s) of {args.shipped}")
    return 1 if wrong or reads or hops or links else 0


if __name__ == "__main__":
    sys.exit(main())
