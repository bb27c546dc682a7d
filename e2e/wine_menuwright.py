"""Menuwright.exe under Wine: the installer run registering the menu."""

from winetest import check, contacts, ended, expect, install, program


def test_menuwright_registers_menu(c):
    """The installer run: ACT!'s folders from the registry, the command files moved aside, the
    Vel&mora submenu registered with every command."""
    host = c.host("menuwright", "--contacts", 5, "--seed", 2)
    act = c.prefix.drive_c() / "Program Files" / "ACT"
    act.mkdir(parents=True, exist_ok=True)
    (act / "ActCmd.INI").write_bytes(b"[Commands]\r\n")
    (act / "ModMenu.act").write_bytes(b"menu\r\n")
    c.prefix.import_reg(
        "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Symantec\\ACT!\\Install]\n"
        "\"BinRoot\"=\"C:\\\\Program Files\\\\ACT\"\n\n"
        "[HKEY_CURRENT_USER\\Software\\Symantec\\ACT!]\n"
        "\"Query File Type\"=\"C:\\\\Program Files\\\\ACT\\\\Query\"\n"
        "\"Report, Label, Envelope File Type\"=\"C:\\\\Program Files\\\\ACT\\\\Report\"\n"
        "\"Document Template File Type\"=\"C:\\\\Program Files\\\\ACT\\\\Template\"\n",
        "act.reg")
    folder = install(c, "Menuwright.exe")
    with program(c, folder / "Menuwright.exe", host) as (proc, d):
        d("nodialog", 2)
        expect(ended(proc, 60), 0, "Menuwright exit code")
    left = sorted(p.name for p in act.iterdir())
    check("ActCmd.INI" not in left and "ModMenu.act" not in left and len(left) == 2,
          f"the command files moved aside: {left}")
    tree = host("menu")
    check("Vel&mora" in tree, "the Vel&mora submenu is registered")
    for line in ("Contains Loo&kup", "Global Age &Update",
                 "C:\\Program Files\\VMR\\Seekmark.exe"):
        check(line in tree, f"the catalogue holds {line}")


TESTS = [test_menuwright_registers_menu]
