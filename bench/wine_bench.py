#!/usr/bin/env python3
"""The suite's walks under Wine, for scripts/bench: makes a prefix, registers the stand-in's
servers in turn and runs the bench programs of the wine64 build, printing one JSON object of
raw figures on standard output (progress goes to standard error).

  bench/wine_bench.py --bin DIR --tool STANDIN --work DIR [--sizes 1000,20000]
                      [--local-sizes 300] [--steps 1000] [--repeat 2]

Run under a display (xvfb-run). Figures are noisy: compare ratios from one run.
"""

import argparse
import json
import os
import pathlib
import shutil
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "e2e"))
from winetest import Context, StandIn, winpath  # noqa: E402

STOCKS_HELD = 1327  # ten fields in one group: eleven host calls a contact


def say(*a):
    print(*a, file=sys.stderr, flush=True)


def parse(text):
    """'key value' lines; a line 'error ...' ends the run."""
    out = {}
    for line in text.splitlines():
        key, _, value = line.partition(" ")
        if key == "error":
            raise RuntimeError(value)
        out[key] = value
    return out


def run(c, args, env, timeout=900):
    r = subprocess.run([c.prefix.wine, str(c.prefix.bin / args[0])] + list(args[1:]),
                       env=dict(c.prefix.env, **env), capture_output=True, text=True,
                       timeout=timeout)
    if r.returncode != 0:
        raise RuntimeError(f"{' '.join(args)} ended with {r.returncode}: {r.stdout} {r.stderr}")
    return r.stdout


def walk(c, base, program, mode):
    """One run of walk_bench on a fresh copy of the base host folder, with the server's counts."""
    folder = c.work / "hosts" / f"run-{c.prefix.server}"
    if folder.exists():
        shutil.rmtree(folder)
    shutil.copytree(base.folder, folder)
    host = StandIn(c.tool, folder)
    counts = c.work / "counts.txt"
    counts.unlink(missing_ok=True)
    env = c.env_for(host)
    if c.prefix.server == "local":
        value = winpath(counts).replace("\\", "\\\\")
        c.prefix.import_reg("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Velmora\\StandIn]\n"
                            f"\"CountsFile\"=\"{value}\"\n", "standin-counts.reg")
    env["VELMORA_STANDIN_COUNTS"] = winpath(counts)
    out = parse(run(c, ["walk_bench.exe", program, mode], env))
    c.clients_done()
    served = parse(counts.read_text()) if counts.exists() else {}
    return {"contacts": int(out["contacts"]), "calls": int(out["calls"]),
            "lookups": int(out["lookups"]), "seconds": float(out["seconds"]),
            "total": int(out["total"]),
            "invokes": int(served.get("invokes", -1)),
            "getidsofnames": int(served.get("getidsofnames", -1))}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--bin", required=True)
    ap.add_argument("--tool", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--sizes", default="1000,20000")
    ap.add_argument("--local-sizes", default="300")
    ap.add_argument("--steps", type=int, default=1000)
    ap.add_argument("--repeat", type=int, default=2)
    args = ap.parse_args()
    sizes = [int(s) for s in args.sizes.split(",")]
    local_sizes = [int(s) for s in args.local_sizes.split(",") if s]
    c = Context(args.work, args.bin, args.tool)
    c.work = pathlib.Path(args.work).resolve()
    t = time.monotonic()
    c.prefix.create()
    say(f"prefix ready: {time.monotonic() - t:.0f} s")
    results = {"walks": {}, "progress": {}, "next": {}}
    try:
        bases = {}
        for n in sorted(set(sizes) | set(local_sizes)):
            base = StandIn(c.tool, c.work / "hosts" / f"base-{n}")
            if pathlib.Path(base.folder).exists():
                shutil.rmtree(base.folder)
            base("create", "--contacts", n, "--seed", 11)
            base("focus", STOCKS_HELD)
            base("log", "off")  # the call log would be most of an in-process call
            bases[n] = base
        for server, chosen in (("inproc", sizes), ("local", local_sizes)):
            if not chosen:
                continue
            c.prefix.use_server(server)
            for n in chosen:
                for program in ("seekmark", "agewright"):
                    # Program and bare client take turns, each keeping its faster walk: the
                    # machine's other load comes and goes within a run.
                    for rep in range(args.repeat):
                        for mode in ("program", "bare"):
                            t = time.monotonic()
                            r = walk(c, bases[n], program, mode)
                            say(f"{server} {n} {program} {mode}: {time.monotonic() - t:.1f} s")
                            key = f"{server}/{n}/{program}/{mode}"
                            kept = results["walks"].get(key)
                            if kept and kept["invokes"] != r["invokes"]:
                                raise RuntimeError(f"{key}: {r['invokes']} invokes, "
                                                   f"{kept['invokes']} before")
                            if not kept or r["seconds"] < kept["seconds"]:
                                results["walks"][key] = r
        t = time.monotonic()
        out = run(c, ["agewright_progress_bench.exe", str(args.steps)], {})
        say(f"progress: {time.monotonic() - t:.1f} s")
        for line in out.splitlines():
            if "us per contact" in line:
                name = line.split("  ")[0].strip()
                results["progress"][name] = float(line.split()[-4])
        results["progress"]["steps"] = args.steps
        t = time.monotonic()
        out = run(c, ["next_bench.exe", "0", "100", "5000"], {})
        say(f"next: {time.monotonic() - t:.1f} s")
        for line in out.splitlines():
            kind, n, ms = line.split()
            results["next"].setdefault(n, {})[kind] = float(ms)
    finally:
        c.prefix.stop()
    json.dump(results, sys.stdout, indent=1)
    print()


if __name__ == "__main__":
    main()
