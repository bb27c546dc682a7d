"""The forms layer on the screen, as the programs' users meet it: the keyboard moves the focus
as the forms' tab order says; the host's event control is hosted as a control."""

import subprocess

from winetest import (Driver, check, check_control_drawn, check_control_life, ended, expect,
                      program, winpath)

EVENT_CONTROL = "{7A769383-0D93-11D1-B268-444553540000}"


def focused(state):
    return "focused=1" in state


def test_tab_key_walks_the_tab_order(c):
    host = c.host("forms-tab", "--contacts", 5, "--seed", 1)
    caption = "Velmora Contains Lookup Wizard"
    with program(c, "Seekmark.exe", host) as (proc, d):
        d("wait", caption, 30)
        d.until(focused, "state", caption, "Button1")
        d("key", caption, "Button1", "tab")
        d.until(focused, "state", caption, "Button2")
        d("key", caption, "Button2", "tab")
        # Nothing else on page one takes the focus: back to the first button.
        d.until(focused, "state", caption, "Button1")
        d("click", caption, "Button2")
        d("gone", caption, 30)
        check(ended(proc) == 0, "Seekmark ends after Cancel")


def test_invisible_event_control(c):
    """An event control that says it is invisible at run time: sited and initialised, never
    activated in place, no window and nothing drawn; IsReady, which waits for the site,
    answers, and the form's end closes it and takes its site back."""
    host = c.host("forms-invisible", "--contacts", 5, "--seed", 1)
    host("control", "--invisible")
    caption = "Velmora Contains Lookup Wizard"
    with program(c, "Seekmark.exe", host) as (proc, d):
        d("wait", caption, 30)
        check_control_drawn(c, d, caption, "seekmark-invisible-control", visible=False)
        d("click", caption, "Button1")
        d.until("Active field is Contact", "text", caption, "Label6")
        d("click", caption, "Button2")
        d("gone", caption, 30)
        check(ended(proc) == 0, "Seekmark ends after Cancel")
    lines = check_control_life(host, visible=False)
    expect(lines[4], "ActEvent.IsReady [call] () -> Boolean(true)", "IsReady, once sited")
    check(not any(line.startswith(("ActEvent.DoVerb", "ActEvent.InPlaceDeactivate"))
                  for line in lines), "an invisible control is never activated in place")


def test_control_that_cannot_be_sited(c):
    """A control that fails its initialisation: the form cannot be made, so the program
    reports the error and ends before it asks the host anything."""
    host = c.host("forms-control-fails", "--contacts", 5, "--seed", 1)
    host("fault", "add", "fail", "InitNew", "--number", "0x80004005", "--description",
         "The control is broken")
    with program(c, "Seekmark.exe", host) as (proc, d):
        caption, _, text = d("dialog", 30).partition("\t")
        check("InitNew" in text, f"the error box names the failed step: {caption}: {text}")
        d("answer", "OK")
        check(ended(proc) != 0, "Seekmark ends with an error")
    names = [line.split(" ")[1] for line in host("calls").splitlines()]
    check("ActEvent.IsReady" not in names, f"no host call after the failure: {names}")


def test_event_control_from_another_process(c):
    """The event control served from another process (the system's surrogate loads the
    stand-in's server): siting, the ambient properties, in-place activation into the form's
    window and the teardown all cross the process boundary."""
    host = c.host("forms-surrogate", "--contacts", 5, "--seed", 1)
    surrogate = (f"[HKEY_CLASSES_ROOT\\CLSID\\{EVENT_CONTROL}]\n\"AppID\"=\"{EVENT_CONTROL}\"\n\n"
                 # Named: left empty, Wine starts the 32-bit surrogate of syswow64.
                 f"[HKEY_CLASSES_ROOT\\AppID\\{EVENT_CONTROL}]\n"
                 f"\"DllSurrogate\"=\"C:\\\\windows\\\\system32\\\\dllhost.exe\"\n\n"
                 # The surrogate finds the host folder here when it does not inherit it.
                 f"[HKEY_CURRENT_USER\\Software\\Velmora\\StandIn]\n"
                 f"\"HostFolder\"=\"{winpath(host.folder).replace(chr(92), chr(92) * 2)}\"\n")
    c.prefix.import_reg("REGEDIT4\n\n" + surrogate, "surrogate.reg")
    caption = "Control host"
    try:
        proc = subprocess.Popen([c.prefix.wine, str(c.prefix.bin / "control_host.exe")],
                                env=dict(c.prefix.env, **c.env_for(host)), stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, text=True)
        d = Driver(c.prefix)
        try:
            d("wait", caption, 60)
            # The surrogate inherits the pipe: read the one line, never to its end.
            expect(proc.stdout.readline().strip(), "IsReady true",
                   "IsReady through the other process, once sited and in place")
            # Wine's surrogate runs the control in its multithreaded apartment, whose threads
            # pump no messages: the control's window is made and placed, but never painted.
            check_control_drawn(c, d, caption, "surrogate-control", visible=True, painted=False)
            d("close", caption)
            d("gone", caption, 30)
            expect(ended(proc), 0, "control_host's exit code")
        except BaseException:
            proc.kill()
            raise
        finally:
            d.close()
    finally:
        c.prefix.import_reg(f"REGEDIT4\n\n[HKEY_CLASSES_ROOT\\CLSID\\{EVENT_CONTROL}]\n"
                            f"\"AppID\"=-\n\n[-HKEY_CLASSES_ROOT\\AppID\\{EVENT_CONTROL}]\n\n"
                            f"[HKEY_CURRENT_USER\\Software\\Velmora\\StandIn]\n\"HostFolder\"=-\n",
                            "no-surrogate.reg")
    check_control_life(host, visible=True)


TESTS = [test_tab_key_walks_the_tab_order, test_invisible_event_control,
         test_control_that_cannot_be_sited, test_event_control_from_another_process]
