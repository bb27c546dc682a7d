#!/usr/bin/env python3
"""The suite as a user meets it, under Wine: a stand-in ACT! with a sample client book, the
suite installed by its installer (which runs Menuwright), then a Contains Lookup and a Global
Age Update through the real windows, driven by the UI driver, with a screenshot of every
window passed through.

  demo/wine_demo.py --bin DIR --tool STANDIN --work DIR [--contacts N] [--interactive]

With --interactive (and a display) each program is left to the person at the keyboard.
"""

import argparse
import datetime
import pathlib
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "e2e"))
from winetest import (Context, Driver, Failure, act_install, contacts, ended,  # noqa: E402
                      expect)

STOCKS = list(range(1327, 1337))
AGES = [(1003, 1080, 1081, "Contact"), (1003, 1082, 1083, "Spouse"),
        (1003, 1084, 1085, "Child 1"), (1003, 1086, 1087, "Child 2"),
        (1003, 1088, 1089, "Child 3"), (1003, 1090, 1091, "Child 4")]


def say(text):
    print(f"\n== {text}", flush=True)


class Demo:
    def __init__(self, args):
        self.c = Context(args.work, args.bin, args.tool)
        self.interactive = args.interactive
        self.contacts = args.contacts
        self.vmr = None
        self.host = None

    def setup(self):
        say("making a fresh Wine prefix and registering the stand-in ACT! host (COM server)")
        self.c.prefix.create()
        self.c.prefix.register_server()
        say(f"creating a stand-in ACT! host with {self.contacts} sample contacts")
        self.host = self.c.host("act", "--contacts", self.contacts, "--seed", 7)
        print(self.host("show"), end="")
        act = act_install(self.c)
        print(f"ACT!'s folder {act.relative_to(self.c.prefix.drive_c())} holds: "
              + ", ".join(sorted(p.name for p in act.iterdir())))
        self.act = act

    def install(self):
        say("installing the suite silently with VelmoraSetup.exe /S (it runs Menuwright)")
        setup = self.c.prefix.bin.parent / "VelmoraSetup.exe"
        expect(ended(self.c.prefix.start(setup, self.c.env_for(self.host), ["/S"]), 180), 0,
               "the installer's exit code")
        self.vmr = self.c.prefix.drive_c() / "Program Files" / "VMR"
        print("C:\\Program Files\\VMR holds: " + ", ".join(sorted(p.name for p in self.vmr.iterdir())))
        print("ACT!'s folder now holds: " + ", ".join(sorted(p.name for p in self.act.iterdir())))
        say("the menu Menuwright registered in ACT!")
        print(self.host("menu"), end="")

    def by_hand(self, exe, what):
        say(f"{exe}: over to you ({what}); close it to go on")
        expect(ended(self.c.prefix.start(self.vmr / exe, self.c.env_for(self.host)), 3600), 0,
               f"{exe}'s exit code")

    def lookup(self):
        self.host("focus", 1327)
        say("Seekmark: the focus in ACT! is on Stocks Held 1; Next, type ,T, and Finish")
        if self.interactive:
            self.by_hand("Seekmark.exe", "type ,T, on page two and press Finish")
        else:
            caption = "Velmora Contains Lookup Wizard"
            proc = self.c.prefix.start(self.vmr / "Seekmark.exe", self.c.env_for(self.host))
            d = Driver(self.c.prefix)
            try:
                d("wait", caption, 30)
                self.c.shot(d, caption, "1-seekmark-page1")
                d("click", caption, "Button1")
                print(d.until(lambda t: t.startswith("Active field is"), "text", caption,
                              "Label6"))
                d("type", caption, "ComboBox1", ",T,")
                d.until("&Finish", "text", caption, "Button1")
                self.c.shot(d, caption, "2-seekmark-page2")
                d("click", caption, "Button1")
                d("gone", caption, 60)
                expect(ended(proc), 0, "Seekmark's exit code")
            except BaseException:
                proc.kill()
                raise
            finally:
                d.close()
        found = set(self.host("lookup").split())
        rows = [r for r in contacts(self.host, [1, 1003] + STOCKS) if r[0] in found]
        say(f"ACT!'s current lookup: {len(rows)} contacts")
        for r in rows:
            print(f"  {r[0]}  {r[1]:<24} {' '.join(v for v in r[2:] if v)}")

    def ages(self):
        fields = [1, 1003] + [f for _, b, a, _ in AGES for f in (b, a)]
        before = contacts(self.host, fields)
        self.host("set-lookup", "--all")
        say("Agewright: Global Age Update, All Contacts, Update")
        if self.interactive:
            self.by_hand("Agewright.exe", "choose the scope and press Update")
        else:
            proc = self.c.prefix.start(self.vmr / "Agewright.exe", self.c.env_for(self.host))
            d = Driver(self.c.prefix)
            try:
                d("wait", "Update Ages", 30)
                d("click", "Update Ages", "Option1_1")
                d.until(lambda s: "checked=1" in s, "state", "Update Ages", "Option1_1")
                self.c.shot(d, "Update Ages", "3-agewright-options")
                d("click", "Update Ages", "Command1")
                try:
                    # The walk may end before the shot: that is no failure of the demo.
                    d("wait", "Age Update  Progress", 10)
                    self.c.shot(d, "Age Update  Progress", "4-agewright-progress")
                except Failure as e:
                    print(f"(no picture of the progress dialog: {e})")
                expect(ended(proc, 300), 0, "Agewright's exit code")
            except BaseException:
                proc.kill()
                raise
            finally:
                d.close()
        after = {r[0]: r for r in contacts(self.host, fields)}
        say(f"ages Agewright changed (as of {datetime.date.today():%m/%d/%Y})")
        print(f"  {'contact':<24} {'whose':<8} {'birth date':<11} before  after")
        changed = 0
        for r in before:
            for i, (_, _, _, whose) in enumerate(AGES):
                b, old, new = r[2 + 2 * i], r[3 + 2 * i], after[r[0]][3 + 2 * i]
                if old != new:
                    changed += 1
                    if changed <= 30:
                        print(f"  {r[1]:<24} {whose:<8} {b:<11} {old:>6}  {new:>5}")
        print(f"{changed} ages changed" + (" (the first 30 shown)" if changed > 30 else ""))

    def run(self):
        start = time.monotonic()
        self.setup()
        try:
            self.install()
            self.lookup()
            self.ages()
        finally:
            self.c.prefix.stop()
        say(f"done in {time.monotonic() - start:.0f} s")
        if not self.interactive:
            print(f"screenshots of every window passed through: {self.c.shots}")
            for p in sorted(self.c.shots.glob("*.png")):
                print(f"  {p.name}")
        print(f"the stand-in host folder: {self.host.folder} "
              f"(inspect it with {self.c.tool} show|menu|lookup|contacts DIR)")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--bin", required=True)
    ap.add_argument("--tool", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--contacts", type=int, default=300)
    ap.add_argument("--interactive", action="store_true")
    args = ap.parse_args()
    try:
        Demo(args).run()
    except Failure as e:
        sys.exit(f"demo: {e}")


if __name__ == "__main__":
    main()
