"""The installer under Wine: a silent install runs Menuwright, the uninstaller takes the files
away again and leaves ACT!'s backups."""

import shutil
import time

from winetest import act_install, check, ended, expect

INSTALLED = ["Agewright.exe", "Agewright.ico", "Ledger.dws", "Menuwright.exe", "Seekmark.exe",
             "Uninstall.exe", "datebook.ico", "leaf.ico", "seek.ico", "sheet.ico"]


def test_installer_silent_install_and_uninstall(c):
    host = c.host("installer", "--contacts", 10, "--seed", 6)
    act = act_install(c)
    setup = c.prefix.bin.parent / "VelmoraSetup.exe"
    check(setup.exists(), f"the build made {setup}")
    folder = c.prefix.drive_c() / "Program Files" / "VMR"
    # The tests share one prefix: the install starts from a machine without the suite, not from
    # what earlier tests copied there (or what the host wrote beside Agewright).
    shutil.rmtree(folder, ignore_errors=True)
    expect(ended(c.prefix.start(setup, c.env_for(host), ["/S"]), 120), 0,
           "the installer's exit code")

    expect(sorted(p.name for p in folder.iterdir()), INSTALLED, "the files in the VMR folder")
    expect((folder / "Ledger.dws").read_bytes()[:9], b'"Contact"', "the sample settings file")
    # Menuwright ran inside the install: the menu is there and the command files moved aside.
    expect(sorted(p.name for p in act.iterdir()), ["ActCmd.001", "ModMenu.001"],
           "ACT!'s folder after the install")
    expect(log_lines(c)[-1:], ["Installed in C:\\Program Files\\VMR; the Vel&mora menu is "
                               "registered in ACT!."], "the installer's log")
    tree = host("menu")
    for item in ("Vel&mora", "Contains Loo&kup", "C:\\Program Files\\VMR\\Agewright.exe"):
        check(item in tree, f"the registered menu holds {item}")

    # The uninstaller copies itself away and returns at once: wait for the folder to go.
    expect(ended(c.prefix.start(folder / "Uninstall.exe", c.env_for(host), ["/S"]), 60), 0,
           "the uninstaller's exit code")
    end = time.monotonic() + 60
    while folder.exists() and time.monotonic() < end:
        time.sleep(0.5)
    left = sorted(p.name for p in folder.iterdir()) if folder.exists() else []
    check(not folder.exists(), f"the uninstaller removes the folder; left: {left}")
    expect(sorted(p.name for p in act.iterdir()), ["ActCmd.001", "ModMenu.001"],
           "ACT!'s backups stay after the uninstall")


def log_lines(c):
    """The lines of the installer's log in the user's temporary folder, oldest first."""
    users = c.prefix.drive_c() / "users"
    logs = [log for pattern in ("*/Temp/VelmoraSetup.log", "*/AppData/Local/Temp/VelmoraSetup.log")
            for log in users.glob(pattern)]
    return logs[0].read_text(encoding="latin-1").splitlines() if logs else []


def test_installer_silent_without_act(c):
    """A silent install on a machine without ACT!'s install key: nobody could answer
    Menuwright's box, so the installer stops first, changes nothing, says why in its log and
    ends with a non-zero code."""
    host = c.host("installer-no-act", "--contacts", 10, "--seed", 6)
    act = act_install(c)
    c.prefix.import_reg(f"REGEDIT4\n\n[-{c.prefix.act_install_key()}]\n", "no-act.reg")
    folder = c.prefix.drive_c() / "Program Files" / "VMR"
    if folder.exists():
        shutil.rmtree(folder)
    setup = c.prefix.bin.parent / "VelmoraSetup.exe"
    expect(ended(c.prefix.start(setup, c.env_for(host), ["/S"]), 120), 3,
           "the installer's exit code")
    check(not folder.exists(), "nothing installed")
    expect(sorted(p.name for p in act.iterdir()), ["ActCmd.INI", "ModMenu.act"],
           "ACT!'s command files untouched")
    expect(host("menu").count("Vel&mora"), 0, "nothing registered")
    expect(log_lines(c)[-1:], ["ACT! is not installed (no HKLM\\SOFTWARE\\Symantec\\ACT!\\Install): "
                               "nothing was installed."], "the installer's log")


TESTS = [test_installer_silent_install_and_uninstall, test_installer_silent_without_act]
