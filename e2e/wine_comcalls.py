"""The COM call path over many calls: what it allocates for one call it frees."""

import subprocess

from winetest import check, expect


def test_com_calls_free_their_arguments(c):
    """A hundred thousand lookups with a by-value text between by-reference arguments: the
    client's heap memory stays flat (a lost text a call would be megabytes)."""
    host = c.host("comcalls", "--empty")
    host("log", "off")  # the stand-in runs in this process: its call log would grow
    calls = 100000
    r = subprocess.run([c.prefix.wine, str(c.prefix.bin / "com_calls.exe"), str(calls)],
                       env=dict(c.prefix.env, **c.env_for(host)), capture_output=True, text=True,
                       timeout=300)
    expect(r.returncode, 0, f"com_calls exit code ({r.stdout.strip()})")
    figures = dict(line.split(": ") for line in r.stdout.splitlines() if ": " in line)
    growth = int(figures["heap-after"]) - int(figures["heap-before"])
    print(f"  {calls} calls: heap memory {figures['heap-before']} -> "
          f"{figures['heap-after']} bytes ({growth:+d})", flush=True)
    check(growth < 256 * 1024, f"heap memory grew by {growth} bytes over {calls} calls")


TESTS = [test_com_calls_free_their_arguments]
