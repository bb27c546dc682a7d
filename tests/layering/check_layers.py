#!/usr/bin/env python3
"""Checks the arrows between folders that the build cannot see: a contract layer never names
one of its implementations, core code never includes <windows.h>, and only entry points,
tests, the demo and benches reach into the stand-in.

  check_layers.py SOURCE_ROOT
"""

import pathlib
import re
import sys

ROOT = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]', re.M)

# Contract layer -> its implementation folders, which it must not name.
CONTRACTS = {
    "host": ["host/com/"],
    "forms": ["forms/win32/", "forms/headless/"],
    "platform": ["platform/win32/", "platform/posix/"],
}
PROGRAMS = ["standin/", "seekmark/", "agewright/", "menuwright/", "demo/", "e2e/", "bench/", "fuzz/"]
# Folders whose code talks to Windows itself.
WINDOWS_FOLDERS = {"win32", "com", "comserver"}
MAY_REACH_STANDIN = ("standin/", "tests/", "demo/", "bench/", "e2e/", "fuzz/")


def sources():
    for p in sorted(ROOT.rglob("*")):
        rel = p.relative_to(ROOT).as_posix()
        if rel.startswith(("build/", ".git/")) or p.suffix not in (".h", ".cpp"):
            continue
        yield rel, INCLUDE.findall(p.read_text(errors="replace"))


def main():
    faults = []
    for rel, includes in sources():
        parts = rel.split("/")
        layer = parts[0]
        backend = len(parts) > 2 and parts[1] in (WINDOWS_FOLDERS | {"posix", "headless"})
        for inc in includes:
            if layer in CONTRACTS and not backend:
                for banned in CONTRACTS[layer] + PROGRAMS:
                    if inc.startswith(banned):
                        faults.append(f"{rel}: the {layer} contract includes {inc}")
            if inc.lower() in ("windows.h", "oaidl.h", "ole2.h", "objbase.h"):
                if not WINDOWS_FOLDERS & set(parts[:-1]) and not rel.startswith("e2e/"):
                    faults.append(f"{rel}: core code includes <{inc}>")
            if inc.startswith("standin/") and not rel.startswith(MAY_REACH_STANDIN):
                if not rel.endswith("/win32/main.cpp"):
                    faults.append(f"{rel}: reaches into the stand-in ({inc})")
    for f in faults:
        print(f)
    print(f"layering: {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
