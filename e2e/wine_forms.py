"""The forms layer on the screen, as the programs' users meet it: the keyboard moves the focus
as the forms' tab order says; the host's event control is hosted as a control; the taskbar
and the task switcher show each program by its application title; a window placed for one screen
stays on another."""

import subprocess

from winetest import (Driver, Failure, check, check_control_drawn, check_control_life, ended,
                      expect, install, program, winpath)
from wine_menuwright import INCOMPLETE_RUN, act_machine

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
        check("The control is broken" in text,
              f"the error box gives the failed step's error: {caption}: {text}")
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


def no_button(d, caption):
    try:
        return f"a button {d('taskbar', caption)!r}"
    except Failure:
        return None


def test_taskbar_shows_the_application_title(c):
    """The application window owns the forms and carries the title: Seekmark's button reads
    "Velmora Contain Search" (not the wizard's caption), Agewright's "Agewright" once its
    progress dialog is up (the options dialog is kept out of the taskbar)."""
    host = c.host("forms-title", "--contacts", 3000, "--seed", 4)
    wizard = "Velmora Contains Lookup Wizard"
    with program(c, "Seekmark.exe", host) as (proc, d):
        d("wait", wizard, 30)
        expect(d("taskbar", wizard), "Velmora Contain Search", "Seekmark's taskbar button")
        check("taskbar=0" in d("style", wizard), "the wizard has no button of its own")
        d("click", wizard, "Button2")
        d("gone", wizard, 30)
        expect(ended(proc), 0, "Seekmark exit code")

    folder = install(c, "Agewright.exe")
    options, progress = "Update Ages", "Age Update  Progress"
    with program(c, folder / "Agewright.exe", host) as (proc, d):
        d("wait", options, 30)
        expect(no_button(d, options), None, "the options dialog's taskbar button")
        d("click", options, "Command1")
        d("wait", progress, 30)
        expect(d("taskbar", progress), "Agewright", "Agewright's taskbar button")
        d("click", progress, "cmdCancel")
        expect(ended(proc, 60), 0, "Agewright exit code")


def test_installer_window_stays_on_the_screen(c):
    """Menuwright's window, placed at (1, 740) in 96-dpi pixels, is moved into the work area of
    the 1024 x 768 screen: at 96 dpi its bottom would be at 790, at 144 dpi its top at 1110."""
    host = c.host("forms-place", "--empty")
    # A registry value of the wrong type stops the run at its error box, with the window up.
    act_machine(c, '"Report, Label, Envelope File Type"=dword:00000001\n')
    exe = install(c, "Menuwright.exe") / "Menuwright.exe"
    try:
        for dpi, want in ((96, "1 718 115 50"), (144, "2 693 173 75")):
            c.prefix.import_reg("REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
                                f'"LogPixels"=dword:{dpi:08x}\n', f"dpi{dpi}.reg")
            c.prefix.stop()  # the display settings are read when Wine starts
            with program(c, exe, host) as (proc, d):
                d("dialog", 30)
                expect(d("rect", "@Form1"), want, f"the window's place and size at {dpi} dpi")
                expect(d("taskbar", "@Form1"), "Menuwright", "Menuwright's taskbar button")
                d("answer", "OK")
                d.until("", "nodialog", 0)
                d("altf4", "Form1")
                expect(ended(proc, 30), INCOMPLETE_RUN, "Menuwright's exit code")
    finally:
        c.prefix.import_reg("REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
                            "\"LogPixels\"=dword:00000060\n", "dpi96.reg")
        c.prefix.stop()


TESTS = [test_tab_key_walks_the_tab_order, test_invisible_event_control,
         test_control_that_cannot_be_sited, test_event_control_from_another_process,
         test_taskbar_shows_the_application_title, test_installer_window_stays_on_the_screen]
