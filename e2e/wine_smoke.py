"""The COM smoke test: the host objects through real COM, in process and across processes."""

import pathlib
import subprocess

from winetest import expect, on_server


def test_com_smoke(c):
    """Each host object through real COM, by-reference texts, integers and Variants written
    back, object references, a scripted host exception with its number and description, IsReady
    by its DISPID, a second client (the local server's own host, or one of its own in process),
    the host closed when the server ends, and what one call costs."""
    host = c.host("smoke", "--contacts", 20, "--seed", 3)
    # The smoke test calls the event control as a plain automation object, never sited.
    host("control", "--ready-always")
    host("fault", "add", "writeback", "AuxSubMenuExists", "--arg", 1, "--value",
         "text:written back")
    host("fault", "add", "writeback", "Data", "--nth", 1, "--arg", 0, "--value", "int:1327")
    host("fault", "add", "fail", "GetOpenDBName", "--number", "0x80040200", "--description",
         "The database is locked")
    r = subprocess.run([c.prefix.wine, str(c.prefix.bin / "com_smoke.exe"), c.prefix.server],
                       env=dict(c.prefix.env, **c.env_for(host)), capture_output=True,
                       text=True, timeout=120)
    # The costs go to the run's output; they vary too much between machines to assert on.
    for line in r.stdout.splitlines():
        if line.startswith(("per call", "first creation", "second client")):
            print(f"  {line}", flush=True)
    expect(r.returncode, 0, f"com_smoke's exit code\n{r.stdout}{r.stderr}")
    c.clients_done()
    # The server closed the host as it ended: the journal is folded into the snapshot.
    journals = {p.name: p.stat().st_size for p in pathlib.Path(host.folder).glob("journal*")}
    expect([size for size in journals.values() if size], [],
           f"the journal after the end {journals}")


TESTS = [test_com_smoke, on_server("local", test_com_smoke)]
