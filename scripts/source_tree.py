"""The source files the project's checks read: every header and source under src/, app/ and tools/, keyed by
their path from the project root, with planted files (PATH=TEXT, for the checks' own tests) laid over them."""
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
CHECKED = ("src", "app", "tools")


def source_files(plants=()):
    files = {}
    for top in CHECKED:
        for source in sorted((ROOT / top).rglob("*")):
            if source.suffix in (".h", ".cpp", ".inc") and source.is_file():
                files[str(source.relative_to(ROOT))] = source.read_text(errors="replace")
    for plant in plants:
        path, _, text = plant.partition("=")
        files[path] = text
    return files
