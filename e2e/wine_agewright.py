"""Agewright.exe under Wine: the age update through its dialogs."""

import datetime
import json
import pathlib
import re
import subprocess

from winetest import check, contacts, ended, expect, install, on_server, program


AGE_FIELDS = [(1080, 1081), (1082, 1083), (1084, 1085), (1086, 1087), (1088, 1089), (1090, 1091)]
FIELDS = [1] + [f for pair in AGE_FIELDS for f in pair]
OPTIONS = "Update Ages"
PROGRESS = "Age Update  Progress"
LOOKUP_FILE = "currentlookup.alu"

# Places and sizes in pixels at 96 dpi (15 twips each), in the client area of their dialog.
OPTIONS_LAYOUT = {
    "Frame1": ("Update Options", "16 16 145 81"),
    "Option1_0": ("Current Lookup", "32 32 105 25"),
    "Option1_1": ("All Contacts", "32 56 81 25"),
    "Command1": ("Update", "16 104 65 25"),
    "Command2": ("Cancel", "96 104 65 25"),
}
PROGRESS_LAYOUT = {
    "ProgressBar1": ("", "16 8 281 25"),
    "Label1": (None, "16 40 273 17"),
    "cmdCancel": ("Cancel", "88 64 129 25"),
}


def age_on(today, birth):
    """The age as of today of a birth date in the sample's M/D/YYYY form; None for the
    sample's other texts, whose handling the native tests cover."""
    parts = birth.split("/")
    if len(parts) != 3 or not all(p.isdigit() for p in parts):
        return None
    m, d, y = (int(x) for x in parts)
    return today.year - y - ((today.month, today.day) < (m, d))


def ages(row):
    """(birth, stored age) of each settings row, from a row of contacts(host, FIELDS)."""
    return [(row[1 + 2 * i], row[2 + 2 * i]) for i in range(len(AGE_FIELDS))]


def up_to_date(row, today):
    """True when every computable age of the contact is today's, False when one is not, None
    when none is computable (the contact cannot tell)."""
    seen = None
    for birth, age in ages(row):
        want = age_on(today, birth)
        if want is not None:
            seen = (seen is not False) and age == str(want)
    return seen


def stale_rows(rows, today):
    """The unique identifiers of the contacts with an age that is not today's."""
    return {row[0] for row in rows if up_to_date(row, today) is False}


def relabel(host, labels):
    """Gives fields of the host's databases new labels, in its snapshot; no program may have
    the host open."""
    f = pathlib.Path(host.folder) / "host.json"
    data = json.loads(f.read_text(encoding="utf-8"))
    for db in data["databases"]:
        for field in db["fields"]:
            field["label"] = labels.get(field["id"], field["label"])
    f.write_text(json.dumps(data), encoding="utf-8")


def settings(folder, rows, encoding="cp1252"):
    """Writes Ledger.dws beside the program: one record of eight cells per row, texts quoted,
    in the system's code page."""
    cell = lambda v: f'"{v}"' if isinstance(v, str) else str(v)
    text = "".join(",".join(cell(v) for v in row) + "\r\n" for row in rows)
    (folder / "Ledger.dws").write_bytes(text.encode(encoding))


def check_frame(d, caption, wants, screen=(1024, 768)):
    """The window's frame (uidriver's "style" answer holds every key=value of `wants`) and its
    place: centred on the screen."""
    got = dict(item.split("=") for item in d("style", caption).split())
    expect({k: got.get(k) for k in wants}, wants, f"the frame of {caption!r}")
    left, top, width, height = (int(v) for v in d("rect", caption).split())
    check(abs(2 * left + width - screen[0]) <= 1 and abs(2 * top + height - screen[1]) <= 1,
          f"{caption!r} is centred: {left} {top} {width} {height}")


def check_layout(d, caption, layout):
    for name, (text, rect) in layout.items():
        if text is not None:
            expect(d("text", caption, name), text, f"{name}'s caption")
        expect(d("rect", caption, name), rect, f"{name}'s place and size")


def test_agewright_all_contacts(c):
    """The options dialog, All Contacts, Update: every age as of today, read from the file
    beside the program."""
    host = c.host("agewright", "--contacts", 40, "--seed", 8)
    folder = install(c, "Agewright.exe")
    (folder / LOOKUP_FILE).unlink(missing_ok=True)  # an earlier test's
    today = datetime.date.today()
    check(stale_rows(contacts(host, FIELDS), today), "the sample's ages are stale")
    with program(c, folder / "Agewright.exe", host) as (proc, d):
        d("wait", OPTIONS, 30)
        # A fixed dialog frame with a close box only, out of the taskbar: 2670 x 2070 twips.
        check_frame(d, OPTIONS, {"caption": "1", "sysmenu": "1", "minbox": "0", "maxbox": "0",
                                 "sizable": "0", "taskbar": "0", "client": "178x138"})
        check_layout(d, OPTIONS, OPTIONS_LAYOUT)
        check("checked=1" in d("state", OPTIONS, "Option1_1"), "All Contacts is preset")
        check("checked=0" in d("state", OPTIONS, "Option1_0"), "Current Lookup is not")
        c.shot(d, OPTIONS, "agewright-options")
        d("click", OPTIONS, "Option1_1")
        d.until(lambda s: "checked=1" in s, "state", OPTIONS, "Option1_1")
        d("click", OPTIONS, "Command1")
        expect(ended(proc, 60), 0, "Agewright exit code")
    rows = contacts(host, FIELDS)
    checked = 0
    for row in rows:
        for birth, age in ages(row):
            want = age_on(today, birth)
            if want is not None:
                expect(age, str(want), f"{row[0]} age beside {birth}")
                checked += 1
    check(checked > len(rows), f"the sample has birth dates to check ({checked})")
    check(not (folder / LOOKUP_FILE).exists(), "All Contacts writes no lookup file")


def test_agewright_current_lookup(c):
    """Current Lookup: only the lookup's contacts are updated, and the lookup file stays in the
    program's folder."""
    host = c.host("agewright-lookup", "--contacts", 40, "--seed", 9)
    folder = install(c, "Agewright.exe")
    (folder / LOOKUP_FILE).unlink(missing_ok=True)  # the host is to write it afresh
    today = datetime.date.today()
    before = {row[0]: row for row in contacts(host, FIELDS)}
    stale = sorted(stale_rows(before.values(), today))
    chosen = set(stale[::3])
    check(len(chosen) >= 3 and len(stale) > len(chosen), "stale contacts in and out of the lookup")
    host("set-lookup", *sorted(chosen))
    with program(c, folder / "Agewright.exe", host) as (proc, d):
        d("wait", OPTIONS, 30)
        d("click", OPTIONS, "Option1_0")
        d.until(lambda s: "checked=1" in s, "state", OPTIONS, "Option1_0")
        check("checked=0" in d("state", OPTIONS, "Option1_1"), "one option at a time")
        d("click", OPTIONS, "Command1")
        expect(ended(proc, 60), 0, "Agewright exit code")
    for row in contacts(host, FIELDS):
        if row[0] in chosen:
            expect(up_to_date(row, today), True, f"{row[0]} of the lookup")
        else:
            expect(row, before[row[0]], f"{row[0]} outside the lookup")
    check((folder / LOOKUP_FILE).exists(), f"{LOOKUP_FILE} stays in {folder}")
    expect(set(host("lookup").split()), chosen, "ACT!'s current lookup")


def test_agewright_cancel(c):
    """Cancel, and the options dialog's close box, leave the host untouched and write no
    lookup file."""
    host = c.host("agewright-cancel", "--contacts", 20, "--seed", 3)
    folder = install(c, "Agewright.exe")
    (folder / LOOKUP_FILE).unlink(missing_ok=True)  # an earlier test's
    before = contacts(host, FIELDS)
    for how in ("Cancel", "close box"):
        with program(c, folder / "Agewright.exe", host) as (proc, d):
            d("wait", OPTIONS, 30)
            if how == "Cancel":
                d("click", OPTIONS, "Option1_0")
                d.until(lambda s: "checked=1" in s, "state", OPTIONS, "Option1_0")
                d("click", OPTIONS, "Command2")
            else:
                d("close", OPTIONS)
            expect(ended(proc, 30), 0, f"Agewright exit code after {how}")
            d("nodialog", 0)
        expect(contacts(host, FIELDS), before, f"the contacts after {how}")
        check(not (folder / LOOKUP_FILE).exists(), f"no lookup file after {how}")


def test_agewright_progress_and_cancel(c):
    """On a large database the progress dialog shows the walk; its Cancel stops it at the next
    contact: the contacts before are updated, those after are not, and no box follows."""
    walk_and_stop(c, "agewright-large", lambda d, proc: d("click", PROGRESS, "cmdCancel"), 0,
                  shots=True)


def test_agewright_quit_message(c):
    """Told to quit in the middle of the walk (WM_QUIT, as when the session ends): the program
    ends in order with the message's code, no box, what it committed stays and the rest is
    untouched."""
    walk_and_stop(c, "agewright-quit", lambda d, proc: d("postquit", PROGRESS, 7), 7)


def test_agewright_killed_mid_walk(c):
    """Killed in the middle of the walk (the process, at once): every contact it committed is in
    the host folder, the folder opens, and a second run brings the rest up to date. A local
    server would hold the dead client's objects until COM gives up on it, minutes later, and
    the folder is read only once the server has ended: there the server is killed too."""
    def kill(d, proc):
        proc.kill()
        proc.wait()
        if c.prefix.server == "local":
            c.prefix.stop()

    host = walk_and_stop(c, "agewright-killed", kill, None)
    folder = install(c, "Agewright.exe")
    with program(c, folder / "Agewright.exe", host) as (proc, d):
        d("wait", OPTIONS, 30)
        d("click", OPTIONS, "Command1")
        expect(ended(proc, 300), 0, "the second run's exit code")
    today = datetime.date.today()
    rows = contacts(host, FIELDS)
    left = [row[0] for row in rows if up_to_date(row, today) is False]
    expect(left, [], "contacts still out of date after the second run")


def walk_and_stop(c, name, stop, exit_code, shots=False):
    """Starts an update of all contacts of a 3,000-contact host, stops it with `stop` once the
    label has passed 20, and checks the host: updated up to some contact, untouched after.
    `exit_code` None: the stop kills the program, which then has none of its own. Returns the
    host."""
    total = 3000
    host = c.host(name, "--contacts", total, "--seed", 5)
    folder = install(c, "Agewright.exe")
    today = datetime.date.today()
    before = contacts(host, FIELDS)
    with program(c, folder / "Agewright.exe", host) as (proc, d):
        d("wait", OPTIONS, 30)
        d("click", OPTIONS, "Command1")
        d("wait", PROGRESS, 30)
        # A fixed single frame without any title-bar box: 4680 x 1410 twips.
        if shots:
            check_frame(d, PROGRESS, {"caption": "1", "sysmenu": "0", "minbox": "0",
                                      "maxbox": "0", "sizable": "0", "client": "312x94"})
            check_layout(d, PROGRESS, PROGRESS_LAYOUT)
        label = d.until(lambda s: re.fullmatch(r"Completed (\d+) of (\d+)", s) and
                        int(s.split()[1]) >= 20, "text", PROGRESS, "Label1", seconds=60)
        expect(label.split()[3], str(total), "the label's total")
        state = d("state", PROGRESS, "ProgressBar1")
        check(f"max={total}" in state and "min=0" in state, f"the bar's range: {state}")
        if shots:
            c.shot(d, PROGRESS, "agewright-progress")
        stop(d, proc)
        code = ended(proc, 60)
        if exit_code is not None:
            expect(code, exit_code, "Agewright exit code after the stop")
            d("nodialog", 0)
    shown = int(label.split()[1])
    # Every computable age was stale before the run, so an up-to-date contact was updated.
    stale = [up_to_date(row, today) is False for row in before]
    rows = contacts(host, FIELDS)
    done = [up_to_date(row, today) for row in rows]
    # The walk stopped at some contact k: every contact that can tell is updated up to k and
    # untouched after it.
    last = max(i for i, row in enumerate(rows) if stale[i] and done[i]) + 1
    # The label names a contact before its update: a kill may come while that one is updated,
    # each of its ages committed on its own.
    killed = exit_code is None
    check(shown - killed <= last < total, f"stopped at contact {last}, the label showed {shown}")
    for i, (row, old) in enumerate(zip(rows, before)):
        if i < last:
            check(done[i] is not False, f"contact {i + 1} before the stop: {row}")
        elif killed and i == last:
            for (birth, age), (_, old_age) in zip(ages(row), ages(old)):
                check(age in (old_age, str(age_on(today, birth))),
                      f"contact {i + 1}, being updated at the kill: {row}")
        else:
            expect(row, old, f"contact {i + 1} after the stop")
    return host


def test_agewright_missing_settings(c):
    """Without Ledger.dws: the stop box naming the file in full, then "No Age Data Found"; the
    host is untouched."""
    host = c.host("agewright-nosettings", "--contacts", 5, "--seed", 2)
    folder = install(c, "Agewright.exe")
    (folder / "Ledger.dws").unlink()
    before = contacts(host, FIELDS)
    with program(c, folder / "Agewright.exe", host) as (proc, d):
        d("wait", OPTIONS, 30)
        d("click", OPTIONS, "Command1")
        # The driver doubles backslashes.
        expect(d("dialog", 30), "Agewright\tThere is no Datewell Settings (.dws) file for "
               "C:\\\\Program Files\\\\VMR\\\\Ledger.dws Cannot Update", "the first box")
        c.shot(d, "#dialog", "agewright-no-settings")
        d("answer", "OK")
        # The first box takes a moment to go, and a box being torn down reads empty.
        second = d.until(lambda t: t.startswith("Agewright\t") and "Datewell" not in t,
                         "dialog", 5, seconds=15)
        expect(second, "Agewright\tNo Age Data Found", "the second box")
        d("answer", "OK")
        expect(ended(proc, 30), 0, "Agewright exit code")
    expect(contacts(host, FIELDS), before, "the contacts")


def test_agewright_settings_in_code_page(c):
    """Ledger.dws is plain text in the ANSI code page (1252 in the test prefix): fields named
    by labels with letters beyond ASCII are found and updated."""
    host = c.host("agewright-codepage", "--contacts", 12, "--seed", 6)
    labels = {1080: "Date de naissance (\u00e9)", 1081: "\u00c2ge",
              1082: "F\u00f8dselsdato \u00e6gtef\u00e6lle", 1083: "\u00c5lder p\u00e5 make \u20ac"}
    relabel(host, labels)
    folder = install(c, "Agewright.exe")
    settings(folder, [["Contact", "Birth Date", 2, labels[1080], "Age", labels[1081], "", ""],
                      ["Spouse", "Spouse Birth Date", 2, labels[1082], "Spouse Age", labels[1083],
                       "", ""],
                      ["Child 1", "Child 1 Birth Date", 2, 1084, "Child 1 Age", 1085, "", ""]])
    today = datetime.date.today()
    before = contacts(host, FIELDS)
    with program(c, folder / "Agewright.exe", host) as (proc, d):
        d("wait", OPTIONS, 30)
        d("click", OPTIONS, "Command1")
        # A label read wrongly is an unknown field: the run would end with an error report.
        expect(ended(proc, 60), 0, "Agewright exit code")
    updated = 0
    for row, old in zip(contacts(host, FIELDS), before):
        for i, ((birth, age), (_, old_age)) in enumerate(zip(ages(row), ages(old))):
            want = age_on(today, birth)
            if i < 3 and want is not None:
                expect(age, str(want), f"{row[0]} age beside {birth} (row {i})")
                updated += old_age != age
            else:
                expect(age, old_age, f"{row[0]} age of row {i}, not in the settings")
    check(updated >= 6, f"labelled rows were updated ({updated} ages changed)")


def test_agewright_regional_settings(c):
    """CalculateAge reads dates as the user's locale does. Wine 8 takes the user locale from
    LC_ALL (en-GB: dd/MM/yyyy, de-DE: d.M.yyyy); it ignores HKCU\\Control Panel\\International.
    The same birth dates, typed as each user types them, give the same ages; a text in the
    other user's form is skipped (a dot separates times in en-GB, English month names mean
    nothing in de-DE)."""
    folder = install(c, "Agewright.exe")
    today = datetime.date.today()
    born = {1080: (1960, 1, 3), 1082: (1961, 12, 25)}
    typed = {"en_GB.UTF-8": {1080: "3/1/1960", 1082: "25/12/1961", 1084: "25.12.1990"},
             "de_DE.UTF-8": {1080: "03.01.1960", 1082: "25.12.1961", 1084: "March 1, 1990"}}
    ages_seen = {}
    saved = c.prefix.env["LC_ALL"]
    try:
        for locale, texts in typed.items():
            host = c.host("agewright-" + locale.split(".")[0], "--contacts", 2, "--seed", 3)
            uid = contacts(host, [1])[0][0]
            for field, text in texts.items():
                host("set", uid, field, text)
                host("set", uid, field + 1, "untouched")
            c.prefix.stop()  # the locale is taken when Wine starts
            c.prefix.env["LC_ALL"] = locale
            # The order of an ambiguous date, read as CalculateAge reads it (ages alone cannot
            # tell 3 January from 1 March on every day of the year).
            probe = subprocess.run([c.prefix.wine, str(c.prefix.bin / "fidelity.exe"), "--parse",
                                    texts[1080]], env=c.prefix.env, capture_output=True,
                                   text=True, timeout=60).stdout.splitlines()
            check(probe[0].startswith("locale " + locale[:5].replace("_", "-")),
                  f"the user locale under LC_ALL={locale}: {probe[0]}")
            expect(probe[1], texts[1080] + "\t1960-01-03 00:00:00", f"{texts[1080]!r} read")
            with program(c, folder / "Agewright.exe", host) as (proc, d):
                d("wait", OPTIONS, 30)
                d("click", OPTIONS, "Command1")
                expect(ended(proc, 60), 0, f"Agewright exit code under {locale}")
            row = next(r for r in contacts(host, FIELDS) if r[0] == uid)
            got = {f: row[FIELDS.index(f + 1)] for f in texts}
            for field, (y, m, dd) in born.items():
                want = today.year - y - ((today.month, today.day) < (m, dd))
                expect(got[field], str(want), f"age beside {texts[field]!r} under {locale}")
            expect(got[1084], "untouched", f"age beside {texts[1084]!r} under {locale}")
            ages_seen[locale] = got
    finally:
        c.prefix.stop()
        c.prefix.env["LC_ALL"] = saved
    expect(ages_seen["de_DE.UTF-8"], ages_seen["en_GB.UTF-8"], "the ages under both locales")


TESTS = [test_agewright_all_contacts, test_agewright_regional_settings,
         test_agewright_settings_in_code_page, test_agewright_current_lookup,
         test_agewright_cancel, test_agewright_progress_and_cancel, test_agewright_quit_message,
         test_agewright_killed_mid_walk, test_agewright_missing_settings,
         # The main road once more, across processes as with the real host.
         on_server("local", test_agewright_current_lookup),
         on_server("local", test_agewright_killed_mid_walk)]
