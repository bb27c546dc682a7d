"""The forms layer on the screen, as the programs' users meet it: the keyboard moves the focus
as the forms' tab order says."""

from winetest import check, ended, program


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


TESTS = [test_tab_key_walks_the_tab_order]
