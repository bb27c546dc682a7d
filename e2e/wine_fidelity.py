"""The portable conversions against the system's own (oleaut32) under en-US: the fidelity
table prints one row per value and fails on any difference it does not list as known."""

from winetest import ended, expect


def test_conversion_fidelity(c):
    # Under C.UTF-8 Wine's user locale is en-US (0x0409), the locale the table is for.
    expect(ended(c.prefix.start("fidelity.exe"), 60), 0, "fidelity.exe exit code")


TESTS = [test_conversion_fidelity]
