"""Seekmark.exe under Wine: the Contains Lookup wizard on the screen."""

from winetest import check, contacts, ended, expect, program


def contains(value, search):
    v, s = value.lower(), search.lower()
    return s in v if len(v) > len(s) else v == s


def test_seekmark_wizard(c):
    """The wizard on the screen: both pages, the pick list, typing, Finish, ACT!'s lookup."""
    host = c.host("seekmark", "--contacts", 60, "--seed", 11)
    stocks = range(1327, 1337)
    host("focus", 1327)
    caption = "Velmora Contains Lookup Wizard"
    with program(c, "Seekmark.exe", host) as (proc, d):
        d("wait", caption, 30)
        expect(d("text", caption, "Button1"), "&Next >", "page one's button")
        expect(d("text", caption, "Label1"), "Click Next to continue or Cancel to exit",
               "page one's prompt")
        c.shot(d, caption, "seekmark-page1")

        d("click", caption, "Button1")
        d.until("Active field is Stocks Held 1", "text", caption, "Label6")
        expect(d("text", caption, "StatusBar1"), "Waiting for your input", "status bar")
        # Stocks Held has no pop-up list: the value box is a plain edit field with a list.
        state = d("state", caption, "ComboBox1")
        check("style=simple" in state and "count=0" in state and "focused=1" in state,
              f"the value box on page two: {state}")
        check("enabled=0" in d("state", caption, "Button1"), "Next stays off until a value")

        d("type", caption, "ComboBox1", ",T,")
        d.until("&Finish", "text", caption, "Button1")
        expect(d("text", caption, "Label1"), " Click Finish when ready or Cancel to exit",
               "page two's prompt")
        c.shot(d, caption, "seekmark-page2")

        d("click", caption, "Button1")
        d("gone", caption, 30)
        expect(ended(proc), 0, "Seekmark exit code")

    want = {row[0] for row in contacts(host, [1] + list(stocks))
            if any(contains(v, ",T,") for v in row[1:])}
    got = set(host("lookup").split())
    check(want, "the sample holds contacts with ,T,")
    expect(got, want, "ACT!'s current lookup")


def test_seekmark_pick_and_cancel(c):
    """A field with a pop-up list: a drop-down value box, a pick, then Cancel leaves ACT! be."""
    host = c.host("seekmark-pick", "--contacts", 30, "--seed", 4)
    host("focus", 1012)
    host("set-lookup", "--all")
    caption = "Velmora Contains Lookup Wizard"
    with program(c, "Seekmark.exe", host) as (proc, d):
        d("wait", caption, 30)
        d("click", caption, "Button1")
        d.until("Active field is State", "text", caption, "Label6")
        check("style=dropdown" in d("state", caption, "ComboBox1"), "a drop-down value box")
        items = d("items", caption, "ComboBox1").split("\t")
        expect((len(items), items[0], items[-1]), (51, "AL", "WY"), "the State pick list")
        d("pick", caption, "ComboBox1", 32)
        d.until("&Finish", "text", caption, "Button1")
        expect(d("text", caption, "ComboBox1"), "NY", "the picked value")
        c.shot(d, caption, "seekmark-pick")
        d("click", caption, "Button2")
        d("gone", caption, 30)
        expect(ended(proc), 0, "Seekmark exit code")
    expect(host("lookup").strip(), "all contacts", "ACT!'s lookup after Cancel")


def test_seekmark_host_not_ready(c):
    """ACT! not ready: the error box names it, the wizard stays open and Cancel still ends it."""
    host = c.host("seekmark-notready", "--contacts", 5, "--seed", 1)
    host("ready", "no")
    caption = "Velmora Contains Lookup Wizard"
    with program(c, "Seekmark.exe", host) as (proc, d):
        d("wait", caption, 30)
        d("click", caption, "Button1")
        expect(d("dialog", 10), "Velmora Contain Search\tACT! is not ready. Start ACT! and open a "
               "database, then try again.", "the error box")
        c.shot(d, "#dialog", "seekmark-not-ready")
        d("answer", "OK")
        d.until("", "nodialog", 0)  # the box takes a moment to go
        check("visible=1" in d("state", caption, "Panel1"), "page one is still showing")
        d("click", caption, "Button2")
        d("gone", caption, 30)
        expect(ended(proc), 0, "Seekmark exit code")


def test_seekmark_scales_with_dpi(c):
    """At 144 dots per inch the wizard's pixel sizes, given for 96, grow by half."""
    host = c.host("seekmark-dpi", "--contacts", 5, "--seed", 1)
    c.prefix.import_reg("REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
                        "\"LogPixels\"=dword:00000090\n", "dpi144.reg")
    c.prefix.stop()  # the display settings are read when Wine starts
    caption = "Velmora Contains Lookup Wizard"
    try:
        with program(c, "Seekmark.exe", host) as (proc, d):
            d("wait", caption, 30)
            # 358 x 397 and Button1's 81 x 25, times 1.5 and rounded as MulDiv rounds.
            expect(d("rect", caption).split()[2:], ["537", "596"], "the window's size")
            expect(d("rect", caption, "Button1").split()[2:], ["122", "38"], "Button1's size")
            c.shot(d, caption, "seekmark-144dpi")
            d("click", caption, "Button2")
            d("gone", caption, 30)
            expect(ended(proc), 0, "Seekmark exit code")
    finally:
        c.prefix.import_reg("REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
                            "\"LogPixels\"=dword:00000060\n", "dpi96.reg")


TESTS = [test_seekmark_wizard, test_seekmark_pick_and_cancel, test_seekmark_host_not_ready, test_seekmark_scales_with_dpi]
