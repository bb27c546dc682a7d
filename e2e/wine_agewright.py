"""Agewright.exe under Wine: the age update through its dialogs."""

import datetime

from winetest import check, contacts, ended, expect, install, program


AGE_FIELDS = [(1080, 1081), (1082, 1083), (1084, 1085), (1086, 1087), (1088, 1089), (1090, 1091)]


def age_on(today, birth):
    """The age as of today of a birth date in the sample's M/D/YYYY form; None for the
    sample's other texts, whose handling the native tests cover."""
    parts = birth.split("/")
    if len(parts) != 3 or not all(p.isdigit() for p in parts):
        return None
    m, d, y = (int(x) for x in parts)
    return today.year - y - ((today.month, today.day) < (m, d))


def test_agewright_all_contacts(c):
    """The options dialog, All Contacts, Update: every age as of today, read from the file
    beside the program."""
    host = c.host("agewright", "--contacts", 40, "--seed", 8)
    folder = install(c, "Agewright.exe")
    fields = [1] + [f for pair in AGE_FIELDS for f in pair]
    caption = "Update Ages"
    with program(c, folder / "Agewright.exe", host) as (proc, d):
        d("wait", caption, 30)
        expect(d("text", caption, "Frame1"), "Update Options", "the options frame")
        c.shot(d, caption, "agewright-options")
        d("click", caption, "Option1_1")
        d.until(lambda s: "checked=1" in s, "state", caption, "Option1_1")
        d("click", caption, "Command1")
        expect(ended(proc, 60), 0, "Agewright exit code")
    today = datetime.date.today()
    rows = contacts(host, fields)
    checked = 0
    for row in rows:
        for i in range(len(AGE_FIELDS)):
            birth, age = row[1 + 2 * i], row[2 + 2 * i]
            want = age_on(today, birth)
            if want is not None:
                expect(age, str(want), f"{row[0]} age beside {birth}")
                checked += 1
    check(checked > len(rows), f"the sample has birth dates to check ({checked})")


TESTS = [test_agewright_all_contacts]
