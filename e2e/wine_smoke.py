"""The COM smoke test: the host objects through real COM."""

from winetest import ended, expect


def test_com_smoke(c):
    """Each host object through real COM, a by-reference argument, IsReady by its DISPID."""
    host = c.host("smoke", "--contacts", 20, "--seed", 3)
    # The smoke test calls the event control as a plain automation object, never sited.
    host("control", "--ready-always")
    proc = c.prefix.start("com_smoke.exe", c.env_for(host))
    expect(ended(proc, 120), 0, "com_smoke exit code")


TESTS = [test_com_smoke]
