#!/usr/bin/env python3
"""Measures the layering inside each network library: the files of a folder (a header and its source are one
module) drawn as a graph of their includes, its modules placed on floors, and the includes that run back up.

A module's floor is one above the highest floor it includes; where modules include each other in a circle,
the circle is broken at the fewest includes a greedy order finds (Eades, Lin and Smyth), and those includes are
the ones that "run back up". Also counted: the pairs of modules that include each other, directly.

Usage: include_layers.py [--list] [FOLDER ...]   (default: the network folders of build/asan/network_folders.txt)
With --list, also prints each include that runs back up.
Prints one line per folder and a total; exit status 0."""
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)


def modules(folder):
    """{module: set of modules it includes} for the files under FOLDER (nested libraries included)."""
    graph = {}
    for source in sorted((ROOT / folder).rglob("*")):
        if source.suffix not in (".h", ".cpp", ".inc") or not source.is_file():
            continue
        mine = str(source.relative_to(ROOT).with_suffix(""))
        edges = graph.setdefault(mine, set())
        for include in INCLUDE.findall(source.read_text(errors="replace")):
            for candidate in (Path("src") / include, Path(include)):
                if (ROOT / candidate).is_file():
                    theirs = str(candidate.with_suffix(""))
                    if theirs != mine and theirs.startswith(folder.rstrip("/") + "/"):
                        edges.add(theirs)
                    break
    return graph


def greedy_order(graph):
    """An order of the modules with few edges pointing backwards (Eades-Lin-Smyth)."""
    out = {n: set(e) for n, e in graph.items()}
    into = {n: set() for n in graph}
    for n, edges in graph.items():
        for m in edges:
            into[m].add(n)
    left, right, alive = [], [], set(graph)

    def drop(n):
        alive.discard(n)
        for m in out[n]:
            into[m].discard(n)
        for m in into[n]:
            out[m].discard(n)

    while alive:
        changed = True
        while changed:
            changed = False
            for n in sorted(alive):
                if not out[n]:  # includes nothing left: lowest
                    right.append(n)
                    drop(n)
                    changed = True
                elif not into[n]:  # included by nothing left: highest
                    left.append(n)
                    drop(n)
                    changed = True
        if alive:
            n = max(sorted(alive), key=lambda x: len(out[x]) - len(into[x]))
            left.append(n)
            drop(n)
    return left + right[::-1]  # highest first


def measure(folder):
    graph = modules(folder)
    order = {n: i for i, n in enumerate(greedy_order(graph))}
    back = [(a, b) for a, edges in graph.items() for b in edges if order[b] < order[a]]
    forward = {a: {b for b in edges if order[b] > order[a]} for a, edges in graph.items()}
    floor = {}
    for n in sorted(graph, key=lambda x: -order[x]):
        floor[n] = 1 + max((floor[m] for m in forward[n]), default=0)
    mutual = {tuple(sorted((a, b))) for a, edges in graph.items() for b in edges if a in graph.get(b, ())}
    return len(graph), max(floor.values(), default=0), back, len(mutual)


def main():
    folders = [a for a in sys.argv[1:] if a != "--list"]
    listing = "--list" in sys.argv[1:]
    if not folders:
        listed = ROOT / "build/asan/network_folders.txt"
        folders = listed.read_text().split() if listed.is_file() else []
    total_back = total_mutual = 0
    for folder in folders:
        rooms, floors, back, mutual = measure(folder)
        total_back += len(back)
        total_mutual += mutual
        print(f"{folder}: {rooms} modules on {floors} floors, {len(back)} includes back up, {mutual} mutual pairs")
        for a, b in sorted(back) if listing else ():
            print(f"    {a} -> {b}")
    print(f"total: {total_back} includes back up, {total_mutual} mutual pairs")
    return 0


if __name__ == "__main__":
    sys.exit(main())
