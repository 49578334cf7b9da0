#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Plays one round, fixed placement, on a real Wayland compositor, as a player
would: pointer clicks through the compositor, and what the compositor shows.

    compositor_round.py mutter|sway|kwin PROGRAM

On the compositor's own output it checks that the board changes after
"Старт", that a colour shows at the fixed spot, that the squares come back,
that maximising does nothing, and that closing the window ends the program
with status 0. Cells are read at their corners, away from the pointer (a
compositor may draw it into the picture). Each compositor instance runs one
program. Every wait is bounded; each stage's time is printed.
"""

import os
import re
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
WIDTH, HEIGHT = 1280, 1024
CLIENT_WIDTH = 1018  # 15270 twips
WHITE = 0xFFFFFF
BTN_LEFT = 0x110


class Failure(Exception):
    pass


def layout():
    """The squares' colours and cells and the Start cell, as the suites have them."""
    text = "".join(p.read_text(encoding="utf-8") for p in sorted((ROOT / "tests").glob("fixture.*")))
    squares = [(int(c, 16), (int(x), int(y), int(w), int(h))) for c, x, y, w, h in
               re.findall(r"\{0x([0-9A-Fa-f]{6}), \{(\d+), (\d+), (\d+), (\d+)\}\}", text)]
    start = tuple(int(v) for v in re.search(r"StartCell\((\d+), (\d+), (\d+), (\d+)\)", text).groups())
    if len(squares) != 8:
        raise Failure("tests/fixture.*: expected the eight squares")
    return squares, start


SQUARES, START_CELL = layout()
SCROLL_BAR = (808, 56, 193, 33)  # client pixels; 50..1000 ms, 500 at start
RED = SQUARES[0][0]


class Picture:
    def __init__(self, ppm):
        m = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", ppm)
        if not m or m.group(3) != b"255":
            raise Failure("not an 8-bit PPM picture")
        self.width, self.height = int(m.group(1)), int(m.group(2))
        self.rgb = ppm[m.end():]

    def at(self, x, y):
        i = 3 * (y * self.width + x)
        r, g, b = self.rgb[i:i + 3]
        return r << 16 | g << 8 | b

    def find_red_square(self):
        """The top left of the red square, the top-left square of the board, or None."""
        size = SQUARES[0][1][2]
        pattern = bytes.fromhex(f"{RED:06x}")
        pos = self.rgb.find(pattern)
        while pos >= 0:
            if pos % 3 == 0:
                x, y = (pos // 3) % self.width, (pos // 3) // self.width
                if (x + size < self.width and y + size < self.height
                        and (x == 0 or self.at(x - 1, y) != RED)
                        and (y == 0 or self.at(x, y - 1) != RED)
                        and self.at(x + size - 1, y + size - 1) == RED
                        and self.at(x + size, y) != RED and self.at(x, y + size) != RED):
                    return x, y
            pos = self.rgb.find(pattern, pos + 1)
        return None


def near(a, b, tolerance=6):
    return all(abs((a >> s & 255) - (b >> s & 255)) <= tolerance for s in (0, 8, 16))


class Board:
    """What the window shows, read at the corners of its cells."""

    def __init__(self, picture, origin):
        self.picture, self.origin = picture, origin

    def corners(self, cell):
        x, y, w, h = cell
        ox, oy = self.origin
        inset = 5
        return [self.picture.at(ox + x + dx, oy + y + dy)
                for dx in (inset, w - 1 - inset) for dy in (inset, h - 1 - inset)]

    def cell(self, cell):
        """The cell's one colour, or None where its corners differ."""
        seen = self.corners(cell)
        return seen[0] if all(near(c, seen[0]) for c in seen) else None

    def squares_shown(self):
        return all(near(self.cell(cell) or -1, colour) for colour, cell in SQUARES)

    def squares_hidden(self):
        return all(near(self.cell(cell) or -1, WHITE) for _, cell in SQUARES)

    def start_cell(self):
        return self.cell(START_CELL)

    def indicator(self):
        """The square colour shown at the fixed spot, or None."""
        c = self.start_cell()
        return next((colour for colour, _ in SQUARES if c is not None and near(c, colour)), None)


class Wayland:
    """A Wayland client speaking the wire protocol itself: enough to bind a
    global and send requests that carry no file descriptors."""

    def __init__(self, path):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.settimeout(5)
        self.sock.connect(str(path))
        self.next_id = 2
        self.buffer = b""
        self.globals = {}
        self.registry = self.new_id()
        self.send(1, 1, struct.pack("<I", self.registry))  # wl_display.get_registry
        self.roundtrip()

    def new_id(self):
        self.next_id += 1
        return self.next_id - 1

    @staticmethod
    def string(s):
        b = s.encode() + b"\0"
        return struct.pack("<I", len(b)) + b + b"\0" * (-len(b) % 4)

    def send(self, obj, opcode, payload=b""):
        self.sock.sendall(struct.pack("<II", obj, (8 + len(payload)) << 16 | opcode) + payload)

    def roundtrip(self):
        callback = self.new_id()
        self.send(1, 0, struct.pack("<I", callback))  # wl_display.sync
        while True:
            while len(self.buffer) < 8:
                chunk = self.sock.recv(65536)
                if not chunk:
                    raise Failure("the compositor closed the connection")
                self.buffer += chunk
            obj, word = struct.unpack_from("<II", self.buffer)
            size = word >> 16
            while len(self.buffer) < size:
                self.buffer += self.sock.recv(65536)
            body, self.buffer = self.buffer[8:size], self.buffer[size:]
            opcode = word & 0xFFFF
            if obj == 1 and opcode == 0:  # wl_display.error
                _, code, length = struct.unpack_from("<III", body)
                raise Failure(f"Wayland error {code}: {body[12:12 + length - 1].decode()}")
            if obj == self.registry and opcode == 0:  # wl_registry.global
                name, length = struct.unpack_from("<II", body)
                interface = body[8:8 + length - 1].decode()
                version, = struct.unpack_from("<I", body, 8 + length + (-length % 4))
                self.globals[interface] = (name, version)
            if obj == callback:
                return

    def bind(self, interface, version):
        if interface not in self.globals:
            raise Failure(f"the compositor offers no {interface}")
        name, offered = self.globals[interface]
        obj = self.new_id()
        self.send(self.registry, 0, struct.pack("<I", name) + self.string(interface)
                  + struct.pack("<II", min(version, offered), obj))
        return obj


def fixed(v):
    return struct.pack("<i", int(v * 256))


def now_ms():
    return int(time.monotonic() * 1000) & 0xFFFFFFFF


class Compositor:
    name = ""

    def __init__(self, work):
        self.work = work
        self.processes = []
        self.last = None
        self.kept = []
        self.runtime = work / "runtime"
        self.runtime.mkdir(mode=0o700)
        self.user = None

    def spawn(self, argv, log, env=None, user=None):
        if user:
            argv = ["runuser", "-u", user, "--"] + argv
        p = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=open(self.work / log, "w"),
                             stderr=subprocess.STDOUT, env=env, start_new_session=True)
        self.processes.append(p)
        return p

    def base_env(self):
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "QT_QPA_PLATFORM")}
        env["XDG_RUNTIME_DIR"] = str(self.runtime)
        return env

    def game_env(self):
        env = self.base_env()
        env.update(WAYLAND_DISPLAY=self.socket, QT_QPA_PLATFORM="wayland")
        return env

    def wait_for_socket(self, bound=20):
        path = self.runtime / self.socket
        deadline = time.monotonic() + bound
        while time.monotonic() < deadline:
            if path.exists():
                return
            if any(p.poll() is not None for p in self.processes):
                break
            time.sleep(0.1)
        raise Failure(f"{self.name} did not open {path}")

    def stop(self):
        for p in reversed(self.processes):
            if p.poll() is None:
                try:
                    os.killpg(p.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        for p in reversed(self.processes):
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(p.pid, signal.SIGKILL)
                p.wait()

    def shot(self):
        self.last = self.grab()
        return self.last

    def keep(self, picture, label):
        self.kept.append((label, picture))

    def write_kept(self):
        """Writes the pictures kept where TEVALIN_PICTURES names a folder."""
        folder = os.environ.get("TEVALIN_PICTURES")
        if not folder:
            return
        Path(folder).mkdir(parents=True, exist_ok=True)
        for label, picture in self.kept:
            header = f"P6 {picture.width} {picture.height} 255\n".encode()
            subprocess.run(["convert", "ppm:-", f"png:{Path(folder) / f'{self.name}-{label}.png'}"],
                           input=header + picture.rgb, check=True)

    def logs(self):
        for log in sorted(self.work.glob("*.log")):
            text = log.read_text(errors="replace").strip()
            if text:
                print(f"--- {log.name}\n{text[-3000:]}", file=sys.stderr)

    # The pointer, through each compositor's own input: move(x, y) and
    # button(pressed) in screen pixels.
    def click(self, x, y):
        self.move(x, y)
        self.button(1)
        self.button(0)

    def drag(self, x1, y1, x2, y2):
        self.move(x1, y1)
        self.button(1)
        self.move((x1 + x2) // 2, y1)
        self.move(x2, y2)
        self.button(0)

    # The ways a player asks to maximise the window, each (what, action).
    def maximise_ways(self, origin):
        return []

    # Points of the window's decoration that show its state.
    def decoration(self, origin):
        return []


class Mutter(Compositor):
    """GNOME's compositor on Wayland, nested in an X server: input through
    the X pointer (xdotool), pictures from the X server's root window."""

    name = "mutter"
    socket = "wayland-tevalin"

    def start(self):
        n = 60
        while Path(f"/tmp/.X{n}-lock").exists() or Path(f"/tmp/.X11-unix/X{n}").exists():
            n += 1
        self.display = f":{n}"
        # Wider than mutter's output, so that the pointer can leave it.
        self.spawn(["Xvfb", self.display, "-screen", "0", f"{WIDTH + 100}x{HEIGHT + 100}x24",
                    "-nolisten", "tcp", "-noreset"], "xvfb.log")
        deadline = time.monotonic() + 10
        while not Path(f"/tmp/.X11-unix/X{n}").exists():
            if time.monotonic() > deadline:
                raise Failure("Xvfb did not start")
            time.sleep(0.1)
        env = self.base_env()
        env.update(DISPLAY=self.display, MUTTER_DEBUG_DUMMY_MODE_SPECS=f"{WIDTH}x{HEIGHT}")
        self.spawn(["dbus-run-session", "--", "mutter", "--nested", "--wayland", "--no-x11",
                    f"--wayland-display={self.socket}"], "mutter.log", env)
        self.wait_for_socket()
        self.version = subprocess.run(["mutter", "--version"], capture_output=True,
                                      text=True).stdout.split("\n")[0]

    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], check=True, timeout=10,
                       env={**os.environ, "DISPLAY": self.display})

    def grab(self):
        out = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], check=True,
                             capture_output=True, timeout=10,
                             env={**os.environ, "DISPLAY": self.display}).stdout
        return Picture(out)

    def move(self, x, y):
        # mutter follows the X pointer into its window only after it has
        # been outside it.
        self.xdotool("mousemove", WIDTH + 50, HEIGHT + 50)
        self.xdotool("mousemove", x, y)

    def click(self, x, y):
        self.move(x, y)
        self.xdotool("click", 1)

    def double_click(self, x, y):
        self.move(x, y)
        self.xdotool("click", "--repeat", 2, "--delay", 100, 1)

    def drag(self, x1, y1, x2, y2):
        self.move(x1, y1)
        self.xdotool("mousedown", 1)
        self.xdotool("mousemove", (x1 + x2) // 2, y1)
        self.xdotool("mousemove", x2, y2)
        self.xdotool("mouseup", 1)

    # Qt draws the title bar on mutter: its maximise button sits second from
    # the right, and its close button at the right, above the menu bar.
    TITLE_ABOVE_CLIENT = 34

    def maximise_ways(self, origin):
        ox, oy = origin
        title_y = oy - self.TITLE_ABOVE_CLIENT
        return [("its title bar's maximise button", lambda: self.click(ox + CLIENT_WIDTH - 37, title_y)),
                ("a double click on its title", lambda: self.double_click(ox + CLIENT_WIDTH // 2, title_y))]

    def decoration(self, origin):
        ox, oy = origin
        button = ox + CLIENT_WIDTH - 37, oy - self.TITLE_ABOVE_CLIENT
        return [(button[0] + dx, button[1] + dy) for dx in range(-8, 9) for dy in range(-6, 7)]

    def close(self, origin):
        ox, oy = origin
        self.click(ox + CLIENT_WIDTH - 14, oy - self.TITLE_ABOVE_CLIENT)
        return "its title bar's close button"


class Sway(Compositor):
    """wlroots' sway, headless with the pixman renderer, run by a user of its
    own (it refuses root): input through a virtual pointer, pictures with
    grim."""

    name = "sway"
    socket = "wayland-1"
    USER = "tevalin-ci"

    def start(self):
        # sway refuses to run as root: as root, it runs as a user of its own.
        if os.geteuid() == 0:
            if subprocess.run(["id", "-u", self.USER], capture_output=True).returncode != 0:
                subprocess.run(["useradd", "--system", "--no-create-home", "--shell", "/usr/sbin/nologin",
                                self.USER], check=True)
            self.user = self.USER
            for path in (self.work, self.runtime):
                shutil.chown(path, self.USER)
        config = self.work / "sway.config"
        config.write_text(f"output HEADLESS-1 resolution {WIDTH}x{HEIGHT} position 0 0\n"
                          "default_border normal\nfocus_follows_mouse no\n")
        env = self.base_env()
        env.update(WLR_BACKENDS="headless", WLR_RENDERER="pixman", WLR_LIBINPUT_NO_DEVICES="1",
                   HOME=str(self.work))
        self.spawn(["sway", "--config", str(config)], "sway.log", env, self.user)
        self.wait_for_socket()
        self.version = subprocess.run(["sway", "--version"], capture_output=True,
                                      text=True).stdout.strip()
        self.wayland = Wayland(self.runtime / self.socket)
        manager = self.wayland.bind("zwlr_virtual_pointer_manager_v1", 1)
        self.pointer = self.wayland.new_id()
        self.wayland.send(manager, 0, struct.pack("<II", 0, self.pointer))  # create_virtual_pointer
        self.wayland.roundtrip()

    def game_env(self):
        env = super().game_env()
        env["HOME"] = str(self.work)
        return env

    def grab(self):
        env = self.base_env()
        env["WAYLAND_DISPLAY"] = self.socket
        grim = ["grim", "-t", "ppm", "-"]
        if self.user:
            grim = ["runuser", "-u", self.user, "--"] + grim
        out = subprocess.run(grim, check=True, capture_output=True, timeout=10, env=env).stdout
        return Picture(out)

    def move(self, x, y):
        self.wayland.send(self.pointer, 1, struct.pack("<IIIII", now_ms(), x, y, WIDTH, HEIGHT))
        self.wayland.send(self.pointer, 4, struct.pack("<I", now_ms()))  # frame
        self.wayland.roundtrip()

    def button(self, state):
        self.wayland.send(self.pointer, 2, struct.pack("<III", now_ms(), BTN_LEFT, state))
        self.wayland.send(self.pointer, 4, struct.pack("<I", now_ms()))
        self.wayland.roundtrip()

    def swaymsg(self, command):
        env = self.base_env()
        env["SWAYSOCK"] = next(str(p) for p in self.runtime.glob("sway-ipc.*.sock"))
        subprocess.run(["swaymsg", command], check=True, capture_output=True, timeout=10, env=env)

    def maximise_ways(self, origin):
        # sway maximises nothing; the nearest a player has is fullscreen.
        return [("sway's fullscreen command", lambda: self.swaymsg("fullscreen enable"))]

    def close(self, origin):
        self.swaymsg("kill")
        return "sway's kill command"


class KWin(Compositor):
    """KDE's compositor, its virtual backend: input through KWin's fake
    input protocol, pictures and window commands through its D-Bus
    interfaces (screenshots and scripts), their permission checks off. KWin
    is run as a copy: the installed binary carries a file capability that a
    container without it refuses to execute; the copy keeps the name, by
    which KWin picks its own Qt platform."""

    name = "kwin"
    socket = "wayland-tevalin"

    def start(self):
        import dbus

        self.dbus = dbus
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1"],
                               stdout=subprocess.PIPE, text=True, start_new_session=True)
        self.processes.append(bus)
        self.address = bus.stdout.readline().strip()
        (self.work / "bin").mkdir()
        kwin = self.work / "bin/kwin_wayland"
        shutil.copy("/usr/bin/kwin_wayland", kwin)
        env = self.base_env()
        env.update(DBUS_SESSION_BUS_ADDRESS=self.address, KWIN_WAYLAND_NO_PERMISSION_CHECKS="1",
                   KWIN_SCREENSHOT_NO_PERMISSION_CHECKS="1", HOME=str(self.work))
        self.spawn([str(kwin), "--virtual", "--socket", self.socket, "--width", str(WIDTH),
                    "--height", str(HEIGHT)], "kwin.log", env)
        self.wait_for_socket()
        self.version = subprocess.run([str(kwin), "--version"], capture_output=True,
                                      text=True).stdout.strip()
        self.wayland = Wayland(self.runtime / self.socket)
        self.input = self.wayland.bind("org_kde_kwin_fake_input", 4)
        self.wayland.send(self.input, 0, self.wayland.string("tevalin") + self.wayland.string("plays a round"))
        self.wayland.roundtrip()
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = self.address
        self.bus = dbus.SessionBus()
        deadline = time.monotonic() + 20
        while not self.bus.name_has_owner("org.kde.KWin"):
            if time.monotonic() > deadline:
                raise Failure("KWin did not take its D-Bus name")
            time.sleep(0.1)
        self.scripts = 0

    def game_env(self):
        env = super().game_env()
        env.update(DBUS_SESSION_BUS_ADDRESS=self.address, HOME=str(self.work))
        return env

    def grab(self):
        dbus = self.dbus
        shots = dbus.Interface(self.bus.get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2"),
                               "org.kde.KWin.ScreenShot2")
        r, w = os.pipe()
        try:
            meta = shots.CaptureArea(0, 0, WIDTH, HEIGHT, {"native-resolution": True}, dbus.types.UnixFd(w),
                                     timeout=10)
        finally:
            os.close(w)
        with os.fdopen(r, "rb") as pipe:
            data = pipe.read()
        if meta["format"] not in (4, 5, 6) or meta["stride"] != 4 * WIDTH:  # QImage's 32-bit ARGB formats
            raise Failure(f"KWin's screenshot has format {int(meta['format'])}")
        # Little-endian 0xAARRGGBB words: B, G, R, A in memory.
        rgb = bytearray(WIDTH * HEIGHT * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = data[2::4], data[1::4], data[0::4]
        return Picture(f"P6 {WIDTH} {HEIGHT} 255\n".encode() + bytes(rgb))

    def pointer(self, opcode, payload):
        self.wayland.send(self.input, opcode, payload)
        self.wayland.roundtrip()

    def move(self, x, y):
        self.pointer(9, fixed(x) + fixed(y))  # pointer_motion_absolute

    def button(self, state):
        self.pointer(2, struct.pack("<II", BTN_LEFT, state))

    def script(self, code):
        """Runs a KWin script on the window, as the window menu's commands do."""
        path = self.work / f"script{self.scripts}.js"
        self.scripts += 1
        path.write_text(f"var w = workspace.activeClient;\n{code}\n")
        scripting = self.dbus.Interface(self.bus.get_object("org.kde.KWin", "/Scripting"), "org.kde.kwin.Scripting")
        scripting.loadScript(str(path), path.stem, signature="ss")
        scripting.start()

    def maximise_ways(self, origin):
        return [("KWin's maximise", lambda: self.script("w.setMaximize(true, true);")),
                ("KWin's fullscreen", lambda: self.script("w.fullScreen = true;"))]

    def close(self, origin):
        self.script("w.closeWindow();")
        return "KWin's close"


COMPOSITORS = {"mutter": Mutter, "sway": Sway, "kwin": KWin}


def wait_for(what, probe, bound):
    deadline = time.monotonic() + bound
    while True:
        found = probe()
        if found:
            return found
        if time.monotonic() > deadline:
            raise Failure(f"no {what} within {bound} s")
        time.sleep(0.05)


def play(comp, program, times):
    """Plays the round on comp, appending each stage's time to times."""
    started = time.monotonic()
    comp.start()
    times.append(("compositor up", time.monotonic() - started))

    background = comp.shot()
    if background.find_red_square():
        raise Failure("a window shows the board before the program starts")
    shown_at = time.monotonic()
    game = comp.spawn([str(program)], "tevalin.log", comp.game_env(), comp.user)

    def window():
        if game.poll() is not None:
            raise Failure(f"the program ended with status {game.returncode} before its window showed")
        pic = comp.shot()
        origin = pic.find_red_square()
        if origin:
            ox, oy = origin[0] - SQUARES[0][1][0], origin[1] - SQUARES[0][1][1]
            board = Board(pic, (ox, oy))
            if board.squares_shown() and board.start_cell() not in (None, WHITE):
                comp.keep(pic, "1-start")
                return (ox, oy)
        return None

    origin = wait_for("window with the board and Старт", window, 20)
    times.append(("window up", time.monotonic() - shown_at))

    def board():
        return Board(comp.shot(), origin)

    def seen(label, found):
        if found:
            comp.keep(comp.last, label)
        return found

    # The slowest speed, 1000 ms a colour, so that a busy machine's pictures
    # cannot miss one: the thumb, in the bar's middle at 500 ms, dragged past
    # the bar's right end.
    bx, by, bw, bh = SCROLL_BAR
    y = origin[1] + by + bh // 2
    comp.drag(origin[0] + bx + bw // 2, y, origin[0] + bx + bw + 40, y)

    # The round: Start, then the pointer off the board, as a player's hand
    # moves away to watch.
    sx, sy, sw, sh = START_CELL
    clicked = time.monotonic()
    comp.click(origin[0] + sx + sw // 2, origin[1] + sy + sh // 2)
    comp.move(origin[0] + 100, origin[1] + 700)
    wait_for("board without its squares after Старт",
             lambda: seen("2-hidden", board().squares_hidden()), 5)
    times.append(("squares hidden", time.monotonic() - clicked))
    colour = wait_for("colour at the fixed spot", lambda: seen("3-colour", board().indicator()), 5)
    times.append((f"colour #{colour:06X} at the fixed spot", time.monotonic() - clicked))

    def back():
        b = board()
        return b.squares_shown() and b.start_cell() is not None and near(b.start_cell(), WHITE)

    wait_for("squares back after the presentation", lambda: seen("4-back", back()), 10)
    times.append(("squares back", time.monotonic() - clicked))

    # Maximising does nothing: the window stays, or is back at once, where
    # and as it was.
    comp.move(origin[0] + 100, origin[1] + 700)
    before = comp.shot()
    x, y = origin
    probes = [(x + CLIENT_WIDTH + 20, y + 300), (x + 300, y + 730), (x - 20, y + 300)]
    probes += comp.decoration(origin)

    def as_before(pic):
        return pic.find_red_square() == before.find_red_square() and all(
            near(pic.at(px, py), before.at(px, py)) for px, py in probes)

    for n, (what, action) in enumerate(comp.maximise_ways(origin), 5):
        asked = time.monotonic()
        action()
        comp.move(origin[0] + 100, origin[1] + 700)
        # Settled: as before for a second on end.
        since = time.monotonic()
        while time.monotonic() - since < 1.0:
            if game.poll() is not None:
                raise Failure(f"the program ended with status {game.returncode} after {what}")
            if time.monotonic() - asked > 5:
                raise Failure(f"{what} changed the window, and it was not back within 5 s")
            if not as_before(comp.shot()):
                since = time.monotonic()
        comp.keep(comp.last, f"{n}-maximise")
        times.append((f"{what}: as before after", since - asked))

    asked = time.monotonic()
    how = comp.close(origin)
    try:
        status = game.wait(timeout=10)
    except subprocess.TimeoutExpired:
        raise Failure(f"the program still runs 10 s after {how}")
    if status != 0:
        raise Failure(f"the program ended with status {status} after {how}")
    times.append((f"closed by {how}, status 0", time.monotonic() - asked))


def main():
    # timeout(1) ends a stage with SIGTERM: the servers are stopped all the same.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("compositor_round: terminated"))
    if len(sys.argv) != 3 or sys.argv[1] not in COMPOSITORS:
        sys.exit(f"usage: {sys.argv[0]} {'|'.join(COMPOSITORS)} PROGRAM")
    name, program = sys.argv[1], Path(sys.argv[2]).resolve()
    started = time.monotonic()
    with tempfile.TemporaryDirectory(prefix=f"tevalin-{name}.") as work:
        work = Path(work)
        os.chmod(work, 0o755)
        # The program where the compositor's user can run it.
        shutil.copy(program, work / "tevalin")
        comp = COMPOSITORS[name](work)
        times = []
        try:
            play(comp, work / "tevalin", times)
        except Exception as e:
            if comp.last:
                comp.keep(comp.last, "failure")
            comp.stop()
            comp.logs()
            comp.write_kept()
            report(name, times)
            print(f"{name}: FAILED after {time.monotonic() - started:.1f} s: {e}", file=sys.stderr)
            return 1
        finally:
            comp.stop()
        comp.write_kept()
    report(name, times)
    print(f"{name} ({comp.version}): passed in {time.monotonic() - started:.1f} s")
    return 0


def report(name, times):
    print(f"{name}: one round, fixed placement")
    for what, seconds in times:
        print(f"  {what}: {seconds:.2f} s")


if __name__ == "__main__":
    sys.exit(main())
