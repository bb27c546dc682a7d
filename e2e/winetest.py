"""What the Wine tests share: a fresh prefix inside the build tree, programs started in it, the
UI driver, stand-in host folders and screenshots turned into PNG files.

The same tests run the 32-bit product build in a 32-bit prefix, where the machine runs 32-bit
x86 code, and the 64-bit build of the same sources in a 64-bit prefix: the prefix's
architecture picks the loader, and nothing else differs.
"""

import contextlib
import os
import pathlib
import shutil
import struct
import subprocess
import time
import zlib

# The Wine loader of each prefix architecture, as Debian installs them (wine64; wine32:i386).
LOADERS = {"win64": "/usr/lib/wine/wine64", "win32": "/usr/lib/wine/wine"}
# The server itself: "wine64 wineserver" would look for a Windows program of that name.
WINESERVER = "/usr/lib/wine/wineserver"
ROOT = pathlib.Path(__file__).resolve().parent.parent


class Failure(Exception):
    pass


def winpath(p):
    return "Z:" + str(pathlib.Path(p).resolve()).replace("/", "\\")


# The stand-in's two COM servers: in the client's process (the DLL), or a program of its own that
# every client attaches to, as to the running ACT!.
SERVERS = ("inproc", "local")
LOCAL_SERVER = "velmora_standin_host.exe"


class Prefix:
    """A Wine prefix made fresh for one run of the tests; one program runs in it at a time."""

    def __init__(self, folder, bin_dir, arch="win64"):
        if arch not in LOADERS:
            raise Failure(f"no Wine prefix architecture {arch!r}")
        self.folder = pathlib.Path(folder).resolve()
        self.bin = pathlib.Path(bin_dir).resolve()
        self.arch = arch
        self.wine = LOADERS[arch]
        self.server = None  # which stand-in server is registered
        self.env = dict(os.environ, WINEPREFIX=str(self.folder / "prefix"), WINEARCH=arch,
                        WINEDEBUG="-all", LC_ALL="C.UTF-8")

    def create(self):
        if self.folder.exists():
            shutil.rmtree(self.folder)
        self.folder.mkdir(parents=True)
        self.run(["wineboot", "-i"], timeout=180, quiet=True)
        # A client started while the new prefix's wineserver still settles can hang in creating
        # a local server for minutes.
        subprocess.run([WINESERVER, "-w"], env=self.env, timeout=120)
        # Without a window manager Wine draws frames itself only when told to; the caption
        # buttons need the Marlett font.
        self.import_reg("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"
                        "\"Decorated\"=\"N\"\n\"Managed\"=\"N\"\n", "x11.reg")
        marlett = pathlib.Path("/usr/share/wine/fonts/marlett.ttf")
        fonts = self.folder / "prefix" / "drive_c" / "windows" / "Fonts"
        if marlett.exists() and fonts.exists():
            shutil.copy(marlett, fonts / "marlett.ttf")

    def run(self, args, timeout=60, quiet=False, check=True):
        r = subprocess.run([self.wine] + list(args), env=self.env, timeout=timeout,
                           stdout=subprocess.DEVNULL if quiet else None,
                           stderr=subprocess.DEVNULL if quiet else None)
        if check and r.returncode != 0:
            raise Failure(f"{args[0]} ended with {r.returncode}")
        return r.returncode

    def drive_c(self):
        return self.folder / "prefix" / "drive_c"

    def start(self, exe, extra_env=None, args=()):
        """Starts a program of the build's bin folder by name, or any program by its path."""
        path = exe if "/" in str(exe) else self.bin / exe
        return subprocess.Popen([self.wine, str(path)] + list(args),
                                env=dict(self.env, **(extra_env or {})), stdin=subprocess.DEVNULL)

    def import_reg(self, text, name):
        f = self.folder / name
        # regedit reads REGEDIT4 files in the ANSI code page, with CR LF lines.
        f.write_bytes(text.replace("\n", "\r\n").encode("latin-1"))
        self.run(["regedit", "/S", winpath(f)], quiet=True)

    def act_install_key(self):
        """ACT!'s install key as a 32-bit ACT! leaves it: in the 32-bit view, which a 64-bit
        prefix keeps under Wow6432Node (its 64-bit regedit writes there only when told so)."""
        view = "\\Wow6432Node" if self.env["WINEARCH"] == "win64" else ""
        return f"HKEY_LOCAL_MACHINE\\SOFTWARE{view}\\Symantec\\ACT!\\Install"

    def register_server(self):
        self.use_server("inproc")

    def use_server(self, kind):
        """Registers the stand-in's server of this kind, which replaces our registration of the
        other kind: from here on every program and tool of the prefix reaches that one."""
        if kind not in SERVERS:
            raise Failure(f"no stand-in server {kind!r} (one of {', '.join(SERVERS)})")
        if kind == self.server:
            return
        if kind == "inproc":
            self.run(["regsvr32", "/s", winpath(self.bin / "velmora_standin_server.dll")])
        else:
            self.run([str(self.bin / LOCAL_SERVER), "/RegServer"])
        self.server = kind

    def server_processes(self):
        """The process ids of the local server running in this prefix (other prefixes on the
        machine have their own)."""
        found = []
        for proc in pathlib.Path("/proc").iterdir():
            if not proc.name.isdigit():
                continue
            try:
                cmdline = (proc / "cmdline").read_bytes().lower()
                if LOCAL_SERVER.encode() not in cmdline:
                    continue
                environ = (proc / "environ").read_bytes().split(b"\0")
            except OSError:
                continue
            if f"WINEPREFIX={self.env['WINEPREFIX']}".encode() in environ:
                found.append(int(proc.name))
        return found

    def wait_server_gone(self, seconds=30):
        """After its last client, the local server closes its host folder and ends; the tests
        read that folder only then."""
        end = time.monotonic() + seconds
        while self.server_processes():
            if time.monotonic() > end:
                raise Failure(f"the local server still runs {seconds} s after its last client")
            time.sleep(0.05)

    def stop(self):
        """Ends every process of the prefix, and waits until they are gone, so that nothing of
        one test is still on the screen when the next one looks."""
        for flag in ("-k", "-w"):
            subprocess.run([WINESERVER, flag], env=self.env, timeout=30,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class Driver:
    """The UI driver: one command a line, one answer a line."""

    def __init__(self, prefix):
        self.p = subprocess.Popen([prefix.wine, str(prefix.bin / "uidriver.exe")], env=prefix.env,
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                                  encoding="utf-8", bufsize=1)

    def __call__(self, *args):
        self.p.stdin.write("\t".join(str(a) for a in args) + "\n")
        self.p.stdin.flush()
        line = self.p.stdout.readline()
        if not line:
            raise Failure(f"the UI driver ended at: {' '.join(map(str, args))}")
        line = line.rstrip("\n")
        if line == "ok":
            return ""
        if line.startswith("ok "):
            return line[3:]
        raise Failure(f"{' '.join(map(str, args))}: {line}")

    def until(self, want, *args, seconds=15):
        """Asks again until the answer is `want` (or passes `want` when it is a function)."""
        end = time.monotonic() + seconds
        got = None
        while time.monotonic() < end:
            try:
                got = self(*args)
            except Failure as e:
                got = str(e)
            if (want(got) if callable(want) else got == want):
                return got
            time.sleep(0.1)
        raise Failure(f"{' '.join(map(str, args))}: waited for {want!r}, last answer {got!r}")

    def close(self):
        try:
            self.p.stdin.write("quit\n")
            self.p.stdin.close()
            self.p.wait(timeout=20)
        except (OSError, subprocess.TimeoutExpired):
            self.p.kill()


class StandIn:
    """A stand-in host folder, set up and read through the stand-in tool."""

    def __init__(self, tool, folder):
        self.tool = str(pathlib.Path(tool).resolve())
        self.folder = str(folder)

    def __call__(self, *args):
        r = subprocess.run([self.tool, args[0], self.folder] + [str(a) for a in args[1:]],
                           capture_output=True, text=True, timeout=60)
        if r.returncode != 0:
            raise Failure(f"standin {args[0]}: {r.stderr.strip()}")
        return r.stdout


def bmp_to_png(bmp, png):
    """A 24-bit bottom-up BMP, as the UI driver saves it, to a PNG. Returns how many colours
    the picture has, so that a test can tell a drawn window from a blank one."""
    data = pathlib.Path(bmp).read_bytes()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24:
        raise Failure(f"{bmp}: {bits}-bit BMP")
    stride = (width * 3 + 3) & ~3
    raw = bytearray()
    colours = set()
    for y in range(abs(height)):
        row = height - 1 - y if height > 0 else y
        start = offset + row * stride
        line = data[start:start + width * 3]
        raw.append(0)
        for x in range(0, len(line), 3):
            px = bytes((line[x + 2], line[x + 1], line[x]))
            colours.add(px)
            raw += px

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    png_bytes = (b"\x89PNG\r\n\x1a\n" +
                 chunk(b"IHDR", struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0)) +
                 chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))
    pathlib.Path(png).write_bytes(png_bytes)
    pathlib.Path(bmp).unlink()
    return len(colours)


class Context:
    """What a test gets: the prefix, stand-in host folders and screenshots."""

    def __init__(self, work, bin_dir, tool, arch="win64"):
        self.work = pathlib.Path(work).resolve()
        self.prefix = Prefix(self.work, bin_dir, arch)
        self.tool = tool
        self.shots = self.work / "shots"

    def named(self, name):
        """A host folder's or screenshot's name, kept apart for each server a test runs on."""
        return name if self.prefix.server in (None, "inproc") else f"{name}-{self.prefix.server}"

    def host(self, name, *create):
        folder = self.work / "hosts" / self.named(name)
        s = StandIn(self.tool, folder)
        s("create", *create)
        # Every program test proves that the event control is sited before the host is asked.
        s("control", "--ready-when-sited")
        return s

    def env_for(self, host):
        """The environment that points a program at `host`. COM starts a local server with an
        environment of its own, so the server's setting names the folder as well."""
        if self.prefix.server == "local":
            folder = winpath(host.folder).replace("\\", "\\\\")
            self.prefix.import_reg("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Velmora\\StandIn]\n"
                                   f"\"HostFolder\"=\"{folder}\"\n", "standin-host.reg")
        return {"VELMORA_STANDIN_HOST": winpath(host.folder)}

    def clients_done(self):
        """Every client has ended: with the local server, wait until it has closed the host
        folder and ended too."""
        if self.prefix.server == "local":
            self.prefix.wait_server_gone()

    def shot(self, driver, caption, name):
        self.shots.mkdir(parents=True, exist_ok=True)
        name = self.named(name)
        bmp = self.shots / (name + ".bmp")
        driver("shot", caption, winpath(bmp))
        colours = bmp_to_png(bmp, self.shots / (name + ".png"))
        # A blank or black capture has one or two colours; a drawn form has text and edges.
        check(colours > 4, f"screenshot {name} is blank ({colours} colours)")


def check(ok, what):
    if not ok:
        raise Failure(what)


def expect(got, want, what):
    if got != want:
        raise Failure(f"{what}: expected {want!r}, got {got!r}")


def install(c, *names):
    """Copies programs of the build into C:\\Program Files\\VMR, where the suite lives, with
    Agewright's settings file beside them; returns the folder."""
    folder = c.prefix.drive_c() / "Program Files" / "VMR"
    folder.mkdir(parents=True, exist_ok=True)
    for n in names:
        shutil.copy(c.prefix.bin / n, folder / n)
    shutil.copy(ROOT / "agewright" / "Ledger.dws", folder / "Ledger.dws")
    return folder


def act_install(c):
    """ACT! as the installer finds it: its folders in the registry, its two command files in
    C:\\Program Files\\ACT. Returns that folder."""
    act = c.prefix.drive_c() / "Program Files" / "ACT"
    # The tests share one prefix: each starts from ACT! as installed, without earlier backups.
    if act.exists():
        shutil.rmtree(act)
    act.mkdir(parents=True)
    (act / "ActCmd.INI").write_bytes(b"[Commands]\r\n")
    (act / "ModMenu.act").write_bytes(b"menu\r\n")
    c.prefix.import_reg(
        f"REGEDIT4\n\n[{c.prefix.act_install_key()}]\n"
        "\"BinRoot\"=\"C:\\\\Program Files\\\\ACT\"\n\n"
        "[HKEY_CURRENT_USER\\Software\\Symantec\\ACT!]\n"
        "\"Query File Type\"=\"C:\\\\Program Files\\\\ACT\\\\Query\"\n"
        "\"Report, Label, Envelope File Type\"=\"C:\\\\Program Files\\\\ACT\\\\Report\"\n"
        "\"Document Template File Type\"=\"C:\\\\Program Files\\\\ACT\\\\Template\"\n",
        "act.reg")
    return act


@contextlib.contextmanager
def program(c, exe, host):
    """A program of the suite running against `host`, and a UI driver. On the way out the
    driver ends; a failed test kills the program, which may be waiting on a box."""
    proc = c.prefix.start(exe, c.env_for(host))
    d = Driver(c.prefix)
    try:
        yield proc, d
    except BaseException:
        proc.kill()
        raise
    finally:
        d.close()
    c.clients_done()


def on_server(kind, test):
    """The same test body as another row, against the stand-in's `kind` server: the runner
    registers that server before the row runs."""
    def row(c):
        return test(c)
    row.__name__ = f"{test.__name__}_{kind}"
    row.__doc__ = f"{test.__doc__}\n\nAgainst the {kind} server."
    row.server = kind
    return row


def ended(proc, seconds=20):
    try:
        return proc.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        proc.kill()
        raise Failure("the program did not end")


def contacts(host, fields):
    """The stand-in tool's table of contacts: columns start where their titles do."""
    lines = host("contacts", "--fields", ",".join(map(str, fields))).splitlines()
    header = lines[0]
    starts = [0] + [i for i in range(1, len(header))
                    if header[i] != " " and header[i - 1] == " " and header[i - 2] == " "]
    check(len(starts) == len(fields), f"contacts table header: {header!r}")
    bounds = list(zip(starts, starts[1:] + [None]))
    return [[line[a:b].strip() for a, b in bounds] for line in lines[1:]]


# --- The event control on a form ------------------------------------------------------------------

# The stand-in's control paints itself a framed box of this colour with "ACT!" in it.
CONTROL_FACE = (255, 221, 0)
CONTROL_CLASS = "VelmoraStandInEventControl"
# What a container does to the control when its form is made and when it goes, as the host's
# call log records it (a control invisible at run time is never activated in place).
OPENING = {True: ["GetMiscStatus", "SetClientSite", "AmbientUserMode", "InitNew", "DoVerb"],
           False: ["GetMiscStatus", "SetClientSite", "AmbientUserMode", "InitNew"]}
CLOSING = {True: ["InPlaceDeactivate", "Close", "SetClientSite"], False: ["Close", "SetClientSite"]}


def read_png(png):
    """The pixels of a PNG as bmp_to_png writes it (8-bit RGB, no row filters): width, height
    and a function giving the (r, g, b) at x, y."""
    data = pathlib.Path(png).read_bytes()
    pos, idat, width, height = 8, b"", 0, 0
    while pos < len(data):
        length, = struct.unpack_from(">I", data, pos)
        kind = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height = struct.unpack_from(">II", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = 1 + width * 3

    def pixel(x, y):
        at = y * stride + 1 + x * 3
        return tuple(raw[at:at + 3])
    return width, height, pixel


def control_calls(host):
    """The host's call log, each line without its number."""
    return [line.partition(". ")[2] for line in host("calls").splitlines()]


def check_control_life(host, visible, closed=True):
    """The log opens with the container siting the event control (and activating it in place
    when it shows), before any other host call; when the form has closed it ends with the
    control taken down."""
    lines = control_calls(host)
    names = [line.split(" ")[0] for line in lines]
    opening = ["ActEvent." + step for step in OPENING[visible]]
    expect(names[:len(opening)], opening, "the container's first steps, before any host call")
    expect(lines[1], "ActEvent.SetClientSite [call] (Boolean(true)) -> Empty", "the site given")
    expect(lines[2], "ActEvent.AmbientUserMode [call] () -> Boolean(true)",
           "the container's ambient user mode, as the control reads it")
    if visible:
        expect(lines[4], "ActEvent.DoVerb [call] (Int32(-5)) -> Empty",
               "activated in place (OLEIVERB_INPLACEACTIVATE)")
    if closed:
        closing = ["ActEvent." + step for step in CLOSING[visible]]
        expect(names[-len(closing):], closing, "the container's last steps")
        expect(lines[-1], "ActEvent.SetClientSite [call] (Boolean(false)) -> Empty",
               "the site taken back")
        if visible:
            check(names.index("ActEvent.InPlaceDeactivate") > names.index("ActEvent.DoVerb"),
                  "deactivated after activation")
    return lines


def check_control_drawn(c, d, caption, name, visible, painted=True):
    """Takes a screenshot of the window and checks the event control in it: the stand-in's
    control window at ActEvent1's place, painted there and nowhere else (unless `painted` is
    false: only its window is checked); or, for a control invisible at run time, no window and
    none of its colour."""
    places = [p.split(" ") for p in d("inside", caption, "ActEvent1").split("\t")]
    left, top, width, height = map(int, places[0][1:5])
    # A window that runs off the screen (Menuwright's, near its bottom edge) is shot in part.
    window_top = int(d("rect", caption).split()[1])
    on_screen = int(d("screen").split()[1]) - window_top - top
    c.shot(d, caption, name)
    w, h, pixel = read_png(c.shots / (name + ".png"))
    face = [(x, y) for y in range(h) for x in range(w) if pixel(x, y) == CONTROL_FACE]
    if not visible:
        expect(len(places), 1, "windows inside ActEvent1 (an invisible control shows none)")
        expect(len(face), 0, "pixels of the control's colour")
        return
    expect(len(places), 2, "windows inside ActEvent1")
    cls, x, y, cw, ch, visibility = places[1]
    expect((cls, visibility), (CONTROL_CLASS, "visible=1"), "the control's own window")
    expect((int(x), int(y), int(cw), int(ch)), (left, top, width, height),
           "the control's window fills ActEvent1's place")
    if not painted:
        return
    inside = [(px, py) for px, py in face
              if left <= px < left + width and top <= py < top + height]
    expect(len(inside), len(face), "pixels of the control's colour outside its place")
    shown = min(height, on_screen)
    check(len(inside) > width * shown // 2,
          f"the control paints its place: {len(inside)} of {width * shown} pixels its colour")
    edge = [pixel(left, top + height // 2), pixel(left + width - 1, top + height // 2)]
    expect(edge, [(0, 0, 0), (0, 0, 0)], "the control's frame, left and right")
    text = [(px, py) for py in range(top + 2, top + shown - 2)
            for px in range(left + 2, left + width - 2) if pixel(px, py) != CONTROL_FACE]
    check(text, "the control's text inside its frame")
