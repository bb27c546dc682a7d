"""Registering the stand-in's two COM servers: either kind replaces our own registration of the
other, a registration that is not ours is never replaced or removed, and the local server takes
its switches as Windows servers do."""

import subprocess

from winetest import LOCAL_SERVER, check, expect, winpath

APP_CLSID = "{61101314-FC39-47F6-BBA9-9A28769F9D90}"
EVENT_CLSID = "{7A769383-0D93-11D1-B268-444553540000}"


def query(c, key, value=None):
    """A registry value's data as `reg query` shows it, or None when the key or value is
    missing."""
    args = [c.prefix.wine, "reg", "query", key] + (["/v", value] if value else ["/ve"])
    r = subprocess.run(args, env=c.prefix.env, capture_output=True, text=True, timeout=60)
    if r.returncode != 0:
        return None
    for line in r.stdout.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) == 3 and parts[1].startswith("REG_"):
            return parts[2]
    return ""


def server_keys(c, clsid):
    base = f"HKEY_CLASSES_ROOT\\CLSID\\{clsid}"
    return {"inproc": query(c, base + "\\InprocServer32"),
            "threading": query(c, base + "\\InprocServer32", "ThreadingModel"),
            "local": query(c, base + "\\LocalServer32")}


def local_server(c, switch):
    return c.prefix.run([str(c.prefix.bin / LOCAL_SERVER), switch], check=False)


def test_registration_kinds(c):
    """Each kind written as COM reads it; registering one removes our other one, for every
    served class."""
    dll = winpath(c.prefix.bin / "velmora_standin_server.dll")
    exe = winpath(c.prefix.bin / LOCAL_SERVER)
    try:
        for kind in ("local", "inproc", "local"):
            c.prefix.use_server(kind)
            for clsid in (APP_CLSID, EVENT_CLSID):
                want = ({"inproc": None, "threading": None, "local": f'"{exe}"'}
                        if kind == "local" else
                        {"inproc": dll, "threading": "Apartment", "local": None})
                expect(server_keys(c, clsid), want, f"{clsid} registered as {kind}")
            expect(query(c, "HKEY_CLASSES_ROOT\\ACTOLE.DATABASE\\CLSID"),
                   "{470DCEA3-C38C-46DB-8375-F4EB0D11DA1E}", "the program identifier's class")
    finally:
        c.prefix.server = None  # the runner registers the next test's kind afresh


def test_registration_switches_and_foreign_keys(c):
    """/RegServer and /UnregServer in any case, with - or /; a program identifier that another
    server holds makes registration refuse before it writes anything, and unregistration
    leaves that identifier alone."""
    foreign = "HKEY_CLASSES_ROOT\\ACTOLE.AUXCMDS"
    try:
        cases = [("-unregserver", None), ("/REGSERVER", "local"), ("/UnregServer", None),
                 ("-RegServer", "local")]
        for switch, kind in cases:
            expect(local_server(c, switch), 0, f"{switch}'s exit code")
            got = server_keys(c, APP_CLSID)["local"]
            check((got is not None) == (kind == "local"), f"after {switch}: LocalServer32 {got!r}")
        expect(local_server(c, "/Unknown"), 2, "an unknown switch's exit code")

        # Another server's program identifier, not marked as ours.
        expect(local_server(c, "/UnregServer"), 0, "unregistering")
        c.prefix.import_reg(f"REGEDIT4\n\n[{foreign}]\n@=\"Someone else's\"\n\n"
                            f"[{foreign}\\CLSID]\n@=\"{{00000000-1111-2222-3333-444444444444}}\"\n",
                            "foreign.reg")
        check(local_server(c, "/RegServer") != 0, "registration refuses a foreign identifier")
        expect(server_keys(c, APP_CLSID), {"inproc": None, "threading": None, "local": None},
               "nothing written by the refused registration")
        check(c.prefix.run(["regsvr32", "/s", winpath(c.prefix.bin / "velmora_standin_server.dll")],
                           check=False) != 0, "the DLL refuses it too")
        expect(local_server(c, "/UnregServer"), 0, "unregistering beside a foreign identifier")
        expect(query(c, foreign), "Someone else's", "the foreign identifier after unregistering")
    finally:
        c.prefix.import_reg(f"REGEDIT4\n\n[-{foreign}]\n", "foreign-gone.reg")
        c.prefix.server = None


TESTS = [test_registration_kinds, test_registration_switches_and_foreign_keys]
