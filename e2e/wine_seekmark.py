"""Seekmark.exe under Wine: the Contains Lookup wizard on the screen."""

import subprocess

from winetest import (check, check_control_drawn, check_control_life, contacts, ended, expect,
                      on_server, program)

CAPTION = "Velmora Contains Lookup Wizard"


def ascii_lower(text):
    return "".join(chr(ord(ch) + 32) if "A" <= ch <= "Z" else ch for ch in text)


def contains(value, search):
    """The wizard's test: a longer value holds the search value, any other one equals it."""
    v, s = ascii_lower(value), ascii_lower(search)
    return s in v if len(v) > len(s) else v == s


def host_calls(host):
    """The calls the program made, without the container's steps on the event control."""
    names = [line.split(" ")[1] for line in host("calls").splitlines()]
    return [n for n in names if not n.startswith("ActEvent.") or n == "ActEvent.IsReady"]


def test_seekmark_wizard(c):
    """The wizard on the screen: both pages, typing, Finish, and ACT!'s lookup exactly the
    matching contacts in table order."""
    host = c.host("seekmark", "--contacts", 60, "--seed", 11)
    stocks = range(1327, 1337)
    host("focus", 1327)
    caption = CAPTION
    with program(c, "Seekmark.exe", host) as (proc, d):
        d("wait", caption, 30)
        expect(d("text", caption, "Button1"), "&Next >", "page one's button")
        expect(d("text", caption, "Label1"), "Click Next to continue or Cancel to exit",
               "page one's prompt")
        check_control_drawn(c, d, caption, "seekmark-page1", visible=True)

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

    want = [row[0] for row in contacts(host, [1] + list(stocks))
            if any(contains(v, ",T,") for v in row[1:])]
    check(len(want) >= 2, f"the sample holds contacts with ,T,: {want}")
    expect(host("lookup").split(), want, "ACT!'s current lookup, in table order")
    created = [line for line in host("calls").splitlines() if "ContactView.CreateLookup" in line]
    check(len(created) == 1 and f"ref<Text> Text(\"{''.join(want)}\")" in created[0],
          f"one CreateLookup with the identifiers run together, by reference: {created}")
    lines = check_control_life(host, visible=True)
    expect([line.split(" ")[0] for line in lines][5], "ActEvent.IsReady",
           "the first call after the control is in place: IsReady")


def test_seekmark_pick_and_cancel(c):
    """A field with a pop-up list: a drop-down value box, a pick, then Cancel on page two closes
    the contact table and the database and leaves ACT!'s lookup be."""
    host = c.host("seekmark-pick", "--contacts", 30, "--seed", 4)
    host("focus", 1012)
    host("set-lookup", "--all")
    caption = CAPTION
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
    calls = host_calls(host)
    expect(calls[-3:], ["Database.isOpen", "ContactTable.Close", "Database.Close"],
           "the last calls, Cancel's")
    check("ContactTable.MoveFirst" not in calls, "Cancel searches nothing")


def test_seekmark_no_match(c):
    """No contact matches: the message box over the wizard, and after OK the program ends with
    the table and the database closed and ACT!'s lookup as it was."""
    host = c.host("seekmark-nomatch", "--contacts", 25, "--seed", 5)
    host("focus", 1327)
    caption = CAPTION
    with program(c, "Seekmark.exe", host) as (proc, d):
        d("wait", caption, 30)
        d("click", caption, "Button1")
        d.until("Active field is Stocks Held 1", "text", caption, "Label6")
        d("type", caption, "ComboBox1", "no such ticker")
        d.until("&Finish", "text", caption, "Button1")
        d("click", caption, "Button1")
        expect(d("dialog", 30), "Velmora Contain Search\tNo contacts found that match your search",
               "the message box")
        expect(d("text", caption, "StatusBar1"), "Processing Lookup.  Contact: 25",
               "the status after the walk")
        c.shot(d, "#dialog", "seekmark-no-match")
        d("answer", "OK")
        d("gone", caption, 30)
        expect(ended(proc), 0, "Seekmark exit code")
    expect(host("lookup").strip(), "all contacts", "ACT!'s lookup after no match")
    calls = host_calls(host)
    check("ContactView.CreateLookup" not in calls, "no lookup is made")
    expect(calls.count("ContactTable.MoveNext"), 25, "every contact walked")
    expect(calls[-3:], ["Database.isOpen", "ContactTable.Close", "Database.Close"],
           "the end after OK")


def test_seekmark_host_not_ready(c):
    """ACT! not ready: the error box names it, the wizard stays open and Cancel still ends it."""
    host = c.host("seekmark-notready", "--contacts", 5, "--seed", 1)
    host("ready", "no")
    caption = CAPTION
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
    caption = CAPTION
    try:
        with program(c, "Seekmark.exe", host) as (proc, d):
            d("wait", caption, 30)
            # 358 x 397 and Button1's 81 x 25, times 1.5 and rounded as MulDiv rounds.
            expect(d("rect", caption).split()[2:], ["537", "596"], "the window's size")
            expect(d("rect", caption, "Button1").split()[2:], ["122", "38"], "Button1's size")
            # The event control's place scales like every control, and the control fills it.
            expect([place.split()[3:5] for place in d("inside", caption, "ActEvent1").split("\t")],
                   [["48", "48"], ["48", "48"]], "ActEvent1's place and the control's window")
            c.shot(d, caption, "seekmark-144dpi")
            d("click", caption, "Button2")
            d("gone", caption, 30)
            expect(ended(proc), 0, "Seekmark exit code")
    finally:
        c.prefix.import_reg("REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
                            "\"LogPixels\"=dword:00000060\n", "dpi96.reg")


def test_seekmark_name_lookups(c):
    """Through COM each member name is looked up once per object: a search over twenty-five
    times the contacts makes exactly as many GetIDsOfNames calls."""
    runs = {}
    for n in (20, 500):
        host = c.host(f"seekmark-lookups-{n}", "--contacts", n, "--seed", 2)
        host("focus", 1327)
        host("log", "off")
        # The tool drives the wizard headless: nothing sites its event control.
        host("control", "--ready-always")
        r = subprocess.run([c.prefix.wine, str(c.prefix.bin / "seekmark_lookups.exe")],
                           env=dict(c.prefix.env, **c.env_for(host)), capture_output=True,
                           text=True, timeout=300)
        check(r.returncode == 0, f"seekmark_lookups on {n} contacts: {r.stdout}{r.stderr}")
        lines = [line.split(" ", 1) for line in r.stdout.splitlines()]
        got = {k: v for k, v in lines}
        expect(got.get("status"), f"Processing Lookup.  Contact: {n}", "the walk's last status")
        expect([v for k, v in lines if k == "box"], ["No contacts found that match your search"],
               "the message boxes")
        expect(got.get("closed"), "1", "the wizard closed")
        runs[n] = (got["attach"], got["search"])
    expect(runs[500], runs[20], "GetIDsOfNames calls (attach, search) on 500 contacts against 20")
    # MoveFirst, RecordCount, Data, MoveNext and Close on the table; isOpen and Close on the
    # database. The view's CurrentFieldID was looked up while attaching.
    expect(runs[20][1], "7", "GetIDsOfNames calls of one search")


TESTS = [test_seekmark_wizard, test_seekmark_pick_and_cancel, test_seekmark_no_match,
         test_seekmark_host_not_ready, test_seekmark_scales_with_dpi, test_seekmark_name_lookups,
         # The main road once more, across processes as with the real host.
         on_server("local", test_seekmark_wizard)]
