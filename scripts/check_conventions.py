#!/usr/bin/env python3
"""Checks the conventions of docs/conventions.md that a pattern can see, in the code of src/, app/ and tools/
(comments left out):

- errors: no operation reports failure through a `std::optional<fnd::Error>*` out-parameter (it returns
  fnd::Result);
- HTTP: outside the platform no class implements fnd::UrlConnectionDelegate and nothing calls
  sendSynchronousRequest (fnd::fetch is the one way to fetch);
- observers: outside the platform nobody keeps an ObserverId or removes an observer by hand (observers live
  as long as the ObserverToken that NotificationCenter::observe / addObserver returns);
- logging: a network writes its lines on its own channel (ZLOG_TO, or a front that passes its channel), never
  through the default channel's ZLOG.

Usage: check_conventions.py [--network FOLDER ...] [--plant PATH=TEXT ...]
  --network  the network folders (default: those of build/asan/network_folders.txt)
  --plant    checks TEXT as if it were the file PATH (relative to the project root) as well.
Exit status: 0 when every rule holds, 1 with one line per breach."""
import argparse
import re
import sys
from pathlib import Path

from source_tree import source_files

ROOT = Path(__file__).resolve().parent.parent
COMMENT = re.compile(r"//[^\n]*|/\*.*?\*/", re.S)
RULES = [
    # (pattern, applies to a path?, what to do instead)
    (re.compile(r"\boptional\s*<\s*fnd\s*::\s*Error\s*>\s*\*"), lambda path, network: True,
     "reports failure through a std::optional<fnd::Error>* out-parameter; return fnd::Result"),
    (re.compile(r"(?:public|,)\s*(?:fnd\s*::\s*)?UrlConnectionDelegate\b"),
     lambda path, network: not path.startswith("src/platform/"),
     "implements fnd::UrlConnectionDelegate; fetch with fnd::fetch"),
    (re.compile(r"\bsendSynchronousRequest\s*\("), lambda path, network: not path.startswith("src/platform/"),
     "calls sendSynchronousRequest; fetch asynchronously with fnd::fetch"),
    (re.compile(r"\bObserverId\b|(?:\.|->)\s*removeObserver\s*\("), lambda path, network: not path.startswith("src/platform/"),
     "keeps an observer by id; hold the ObserverToken that observe() returns"),
    (re.compile(r"\bZLOG\s*\("), lambda path, network: network is not None,
     "writes on the default log channel; a network writes on its own (ZLOG_TO)"),
]


def network_of(path, networks):
    return next((folder for folder in networks if path.startswith(folder + "/")), None)


def check(path, text, networks):
    code = COMMENT.sub(lambda m: "\n" * m.group(0).count("\n"), text)
    network = network_of(path, networks)
    found = []
    for pattern, applies, advice in RULES:
        if applies(path, network):
            found += [(code.count("\n", 0, m.start()) + 1, advice) for m in pattern.finditer(code)]
    return [f"{path}:{line}: {advice}" for line, advice in sorted(set(found))]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--network", action="append", default=None, metavar="FOLDER")
    parser.add_argument("--plant", action="append", default=[], metavar="PATH=TEXT")
    args = parser.parse_args()
    networks = args.network
    if networks is None:
        listed = ROOT / "build/asan/network_folders.txt"
        networks = listed.read_text().split() if listed.is_file() else []
    networks = [folder.rstrip("/") for folder in networks]
    files = source_files(args.plant)
    breaches = [line for path, text in files.items() for line in check(path, text, networks)]
    for line in breaches:
        print(line)
    print(f"check_conventions: {len(files)} files, {len(breaches)} breach(es)")
    return 1 if breaches else 0


if __name__ == "__main__":
    sys.exit(main())
