"""Menuwright.exe under Wine: the installer's run through real COM, with ACT!'s folders read from
the prefix's registry and its command files moved aside in ACT!'s folder."""

import re
import shutil
import time

from winetest import (ROOT, Driver, Failure, check, check_control_drawn, check_control_life,
                      ended, expect, install, on_server, program)

# The expected calls and menu tree are the headless tests' own: the registry below names the
# same folders, so both lists serve here unchanged.
TESTDATA = ROOT / "tests" / "menuwright"
# Menuwright's exit code when its run stopped before the end (kIncompleteRun).
INCOMPLETE_RUN = 2
USER_KEY = "HKEY_CURRENT_USER\\Software\\Symantec\\ACT!"
BIN_ROOT = '"BinRoot"="C:\\\\Program Files\\\\ACT"\n'
USER_VALUES = ('"Query File Type"="D:\\\\Act Data\\\\Queries"\n'
               '"Report, Label, Envelope File Type"="D:\\\\Act Data\\\\Reports"\n'
               '"Document Template File Type"="D:\\\\Act Data\\\\Templates"\n')


def act_machine(c, user_values):
    """ACT! as the installer finds it: the install key with BinRoot, the user's key with these
    values (whatever an earlier test left there removed first), and ACT!'s folder holding its
    two command files and nothing else. Returns the folder."""
    key = c.prefix.act_install_key()
    c.prefix.import_reg(f"REGEDIT4\n\n[-{key}]\n\n[-{USER_KEY}]\n\n"
                        f"[{key}]\n{BIN_ROOT}\n[{USER_KEY}]\n{user_values}",
                        "menuwright.reg")
    act = c.prefix.drive_c() / "Program Files" / "ACT"
    if act.exists():
        shutil.rmtree(act)
    act.mkdir(parents=True)
    put_command_files(act, "first")
    return act


def put_command_files(act, run):
    (act / "ActCmd.INI").write_bytes(f"[Commands] ; {run}\r\n".encode())
    (act / "ModMenu.act").write_bytes(f"menu {run}\r\n".encode())


def files_of(folder):
    return {p.name: p.read_bytes() for p in folder.iterdir()}


def aux_calls(host):
    """The AUXCMDS calls of the host's call log, each as the headless tests describe one."""
    calls = []
    for line in host("calls").splitlines():
        call = line.partition(". ")[2]
        if call.startswith("AuxCmds."):
            calls.append(call)
    return calls


def expected_lines(name):
    return (TESTDATA / name).read_text(encoding="utf-8").splitlines()


def same_lines(want, got, what):
    """Fails at the first line where the two lists differ, naming both sides."""
    for i in range(max(len(want), len(got))):
        w = want[i] if i < len(want) else "(nothing)"
        g = got[i] if i < len(got) else "(nothing)"
        if w != g:
            raise Failure(f"{what}, line {i + 1} of {len(want)}: expected\n  {w}\ngot\n"
                                 f"  {g}\n({len(got)} lines in all)")


def run_to_its_end(c, exe, host):
    """A run that shows no message and closes its window by itself."""
    with program(c, exe, host) as (proc, d):
        d("nodialog", 2)
        expect(ended(proc, 60), 0, "Menuwright's exit code")


def test_menuwright_registers_the_catalogue(c):
    """The whole catalogue through real COM: the calls with every argument, by value and by
    reference, the menu tree, the backups; a second run only looks up and backs up again."""
    host = c.host("menuwright", "--empty")
    act = act_machine(c, USER_VALUES)
    exe = install(c, "Menuwright.exe") / "Menuwright.exe"
    run_to_its_end(c, exe, host)
    expect(files_of(act), {"ActCmd.001": b"[Commands] ; first\r\n", "ModMenu.001": b"menu first\r\n"},
           "ACT!'s folder after the first run")
    same_lines(expected_lines("expected_calls.txt"), aux_calls(host), "the AUXCMDS calls")
    tree = (TESTDATA / "expected_menu.txt").read_text(encoding="utf-8")
    same_lines(tree.splitlines(), host("menu").splitlines(), "the menu tree")
    # The window's event control is sited and in place before the run's first host call.
    lines = check_control_life(host, visible=True)
    check(lines[5].startswith("AuxCmds."), f"the first host call of the run: {lines[5]}")

    # ACT! has written its command files anew since; the suite is installed again.
    put_command_files(act, "second")
    host("calls", "--clear")
    run_to_its_end(c, exe, host)
    expect(files_of(act), {"ActCmd.001": b"[Commands] ; first\r\n", "ModMenu.001": b"menu first\r\n",
                           "ActCmd.002": b"[Commands] ; second\r\n",
                           "ModMenu.002": b"menu second\r\n"},
           "ACT!'s folder after the second run")
    lookups = [line.split(" ")[0] for line in expected_lines("expected_calls.txt")
               if line.startswith(("AuxCmds.AuxSubMenuExists ", "AuxCmds.AuxCommandExists "))]
    calls = aux_calls(host)
    expect([call.split(" ")[0] for call in calls], lookups, "the second run's calls")
    check(all(call.endswith(" -> Boolean(true)") for call in calls),
          "every lookup of the second run finds its item")
    # SubMenuRef, the last argument of each submenu lookup: what the host wrote into it comes
    # back through COM, and the next lookup passes it on.
    refs = [re.search(r"ref<Int32> Int32\((-?\d+)\) -> Int32\((-?\d+)\)\) -> ", call).groups()
            for call in calls if call.startswith("AuxCmds.AuxSubMenuExists ")]
    expect([passed for passed, _ in refs[1:]], [left for _, left in refs[:-1]],
           "SubMenuRef passed on from lookup to lookup")
    check(refs[0][1] != "0", f"the host wrote into SubMenuRef: {refs}")
    same_lines(tree.splitlines(), host("menu").splitlines(), "the menu tree after the second run")


def test_menuwright_registry_types(c):
    """The Windows registry as the installer reads it: an expandable string kept unexpanded and
    cut at its first NUL, a missing value leaving the bare backslash; a value of another type
    ends the run with the error box before anything is moved or registered."""
    host = c.host("menuwright-registry", "--empty")
    # REGEDIT4's hex(2) data is ANSI text; regedit stores it as the wide string, NULs and all.
    template = ",".join(f"{b:02x}" for b in b"%ACTDATA%\\Templates\0junk\0")
    act = act_machine(c, '"Report, Label, Envelope File Type"="D:\\\\Act Data\\\\Reports"\n'
                         f'"Document Template File Type"=hex(2):{template}\n')
    exe = install(c, "Menuwright.exe") / "Menuwright.exe"
    run_to_its_end(c, exe, host)
    tree = ((TESTDATA / "expected_menu.txt").read_text(encoding="utf-8")
            .replace("D:\\Act Data\\Queries", "").replace("D:\\Act Data\\Templates",
                                                          "%ACTDATA%\\Templates"))
    same_lines(tree.splitlines(), host("menu").splitlines(), "the menu tree")
    expect(sorted(files_of(act)), ["ActCmd.001", "ModMenu.001"], "ACT!'s folder")

    host = c.host("menuwright-dword", "--empty")
    act = act_machine(c, '"Query File Type"="D:\\\\Act Data\\\\Queries"\n'
                         '"Report, Label, Envelope File Type"=dword:00000001\n')
    with program(c, exe, host) as (proc, d):
        expect(d("dialog", 30),
               "Menuwright\tInvalid data type for 'Report, Label, Envelope File Type'",
               "the error box")
        d("answer", "OK")
        d.until("", "nodialog", 0)
        d("altf4", "Form1")
        expect(ended(proc, 30), INCOMPLETE_RUN, "Menuwright's exit code after a run that stopped")
    expect(sorted(files_of(act)), ["ActCmd.INI", "ModMenu.act"], "nothing moved aside")
    expect(aux_calls(host), [], "the AUXCMDS calls")


def test_menuwright_install_key_refuses_reading(c):
    """ACT!'s install key is there but refuses to be read: no box says ACT! is missing, BinRoot
    stays empty, so nothing is moved aside, and the user's folders and the registration go on.
    A key of the same name in the 64-bit view, where a 32-bit ACT! never writes, is not read."""
    host = c.host("menuwright-denied", "--empty")
    act = act_machine(c, USER_VALUES)
    key = c.prefix.act_install_key()
    other_view = key.replace("\\Wow6432Node", "")
    if other_view != key:
        c.prefix.import_reg(f"REGEDIT4\n\n[{other_view}]\n{BIN_ROOT}", "other-view.reg")
    exe = install(c, "Menuwright.exe") / "Menuwright.exe"
    locker = Driver(c.prefix)
    try:
        locker("denyread", key)
        run_to_its_end(c, exe, host)
    finally:
        locker("allowread", key)
        locker.close()
        if other_view != key:
            c.prefix.import_reg(f"REGEDIT4\n\n[-{other_view}]\n", "other-view.reg")
    expect(sorted(files_of(act)), ["ActCmd.INI", "ModMenu.act"], "nothing moved aside")
    tree = (TESTDATA / "expected_menu.txt").read_text(encoding="utf-8")
    same_lines(tree.splitlines(), host("menu").splitlines(), "the menu tree")


def test_menuwright_failing_call(c):
    """A call that the host fails: the error box ends the run there, the window stays open
    until the user closes it, and what was registered and moved aside stays."""
    host = c.host("menuwright-fault", "--empty")
    host("fault", "add", "fail", "AddAuxCommand", "--nth", 10, "--number", "0x80020009",
         "--description", "The command catalogue is full")
    act = act_machine(c, USER_VALUES)
    exe = install(c, "Menuwright.exe") / "Menuwright.exe"
    with program(c, exe, host) as (proc, d):
        caption, _, text = d("dialog", 30).partition("\t")
        expect(caption, "Menuwright", "the error box's caption")
        check("The command catalogue is full" in text, f"the error box names the error: {text}")
        c.shot(d, "#dialog", "menuwright-error")
        d("answer", "OK")
        d.until("", "nodialog", 0)
        time.sleep(1)
        check(proc.poll() is None, "the program waits for the user after the error box")
        check_control_drawn(c, d, "Form1", "menuwright-window", visible=True)
        d("nodialog", 1)  # the window's activation after the box starts no second run
        d("altf4", "Form1")  # the window has no caption: the user closes it with Alt+F4
        expect(ended(proc, 30), INCOMPLETE_RUN, "Menuwright's exit code after a run that stopped")

    expect(sorted(files_of(act)), ["ActCmd.001", "ModMenu.001"], "ACT!'s folder")
    want = expected_lines("expected_calls.txt")
    calls = aux_calls(host)
    check(len(calls) > 1, f"the calls before the failing one: {calls}")
    same_lines(want[:len(calls) - 1], calls[:-1], "the calls before the failing one")
    failing = want[len(calls) - 1].rpartition(" -> ")[0]
    expect(calls[-1], failing + " !! 0x80020009 The command catalogue is full",
           "the last call, the tenth AddAuxCommand")
    check('"&March Query"' in failing, f"the tenth definition is &March Query: {failing}")
    tree = host("menu")
    check('"&February Query" (flag 0)' in tree and "&March Query" not in tree,
          f"what was registered before the failing call stays:\n{tree}")


TESTS = [test_menuwright_registers_the_catalogue, test_menuwright_registry_types,
         test_menuwright_install_key_refuses_reading, test_menuwright_failing_call,
         # The main road once more, across processes as with the real host.
         on_server("local", test_menuwright_registers_the_catalogue)]
