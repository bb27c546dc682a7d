"""The forms layer on the screen, as the programs' users meet it: the keyboard moves the focus
as the forms' tab order says; the taskbar and the task switcher show each program by its
application title; a window placed for one screen stays on another."""

from winetest import Failure, check, ended, expect, install, program
from wine_menuwright import act_machine


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
                expect(ended(proc, 30), 0, "Menuwright's exit code")
    finally:
        c.prefix.import_reg("REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
                            "\"LogPixels\"=dword:00000060\n", "dpi96.reg")
        c.prefix.stop()


TESTS = [test_tab_key_walks_the_tab_order, test_taskbar_shows_the_application_title,
         test_installer_window_stays_on_the_screen]
