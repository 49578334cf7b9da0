#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Plays one round, fixed placement, on a real Wayland compositor, as a player
would: pointer clicks through the compositor, and what the compositor shows.

    compositor_round.py mutter|sway|kwin PROGRAM

under an X server (scripts/x-session), in which sway and KWin nest, and a
D-Bus session (dbus-run-session), on which mutter and KWin are reached.

On the compositor's own pictures it checks that the board changes after
"Старт", that a colour shows at the fixed spot, that the squares come back,
that maximising does nothing, and that closing the window ends the program
with status 0. The board is tests/board.tsv's; cells are read at their
corners, away from the pointer (a compositor may draw it into the picture).
Each compositor instance runs one program. Every wait is bounded; each
stage's time is printed.
"""

import contextlib
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import board

WIDTH, HEIGHT = 1280, 1024
WHITE = 0xFFFFFF
SQUARES, CELLS = board.read()
RED, RED_CELL = SQUARES[0][:2]


class Failure(Exception):
    pass


def near(a, b, tolerance=6):
    return a is not None and b is not None and all(
        abs((a >> s & 255) - (b >> s & 255)) <= tolerance for s in (0, 8, 16))


def run(argv, env, user=None):
    argv = ["runuser", "-u", user, "--", *argv] if user else argv
    done = subprocess.run(argv, capture_output=True, timeout=10, env=env)
    if done.returncode:
        raise Failure(f"{' '.join(argv)}: {done.stderr.decode(errors='replace').strip()}")
    return done.stdout


def wait_for(what, probe, bound):
    deadline = time.monotonic() + bound
    while not (found := probe()):
        if time.monotonic() > deadline:
            raise Failure(f"no {what} within {bound} s")
        time.sleep(0.05)
    return found


class Picture:
    def __init__(self, ppm):
        if not (m := re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)):
            raise Failure("not an 8-bit PPM picture")
        self.width, self.height, self.rgb = int(m[1]), int(m[2]), ppm[m.end():]

    def at(self, x, y):
        if 0 <= x < self.width and 0 <= y < self.height:
            i = 3 * (y * self.width + x)
            return int.from_bytes(self.rgb[i:i + 3], "big")
        return None

    def find_board(self):
        """The board's top left, found by its top-left square, the red one, or None."""
        (cx, cy, size, _), red = RED_CELL, RED.to_bytes(3, "big")
        pos = self.rgb.find(red)
        while pos >= 0:
            y, x = divmod(pos // 3, self.width)
            if (pos % 3 == 0 and self.at(x - 1, y) != RED and self.at(x, y - 1) != RED
                    and self.at(x + size - 1, y + size - 1) == RED
                    and self.at(x + size, y) != RED and self.at(x, y + size) != RED):
                return x - cx, y - cy
            pos = self.rgb.find(red, pos + 1)
        return None

    # What the window shows, its board's top left at origin, read at the
    # corners of its cells.
    def cell(self, origin, cell):
        """The cell's one colour, or None where its corners differ."""
        (x, y, w, h), (ox, oy) = cell, origin
        seen = [self.at(ox + x + dx, oy + y + dy) for dx in (5, w - 6) for dy in (5, h - 6)]
        return seen[0] if all(near(c, seen[0]) for c in seen) else None

    def squares(self, origin, shown=True):
        """Whether every square shows its colour (or, not shown, white)."""
        return all(near(self.cell(origin, cell), colour if shown else WHITE) for colour, cell, *_ in SQUARES)


class Compositor:
    socket = "wayland-tevalin"
    user = None
    bus = None
    # Points of the window's decoration that show its state.
    decoration = []

    def __init__(self, work):
        self.work, self.processes, self.kept, self.last = work, [], [], None
        self.runtime = work / "runtime"
        self.runtime.mkdir(mode=0o700)
        self.env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        self.env.update(XDG_RUNTIME_DIR=str(self.runtime), HOME=str(work))

    def spawn(self, argv, log, env=None):
        argv = ["runuser", "-u", self.user, "--", *argv] if self.user else argv
        p = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=open(self.work / log, "w"),
                             stderr=subprocess.STDOUT, env=env or self.env, start_new_session=True)
        self.processes.append(p)
        return p

    def wait_for_socket(self):
        wait_for(f"{self.socket} from {self.name}", (self.runtime / self.socket).exists, 20)

    def service(self, name, path, interface=None):
        """An object of the compositor's D-Bus service once it is there, on
        dbus-run-session's bus (with GLib's main loop, for signals)."""
        import dbus
        import dbus.mainloop.glib

        if "DBUS_SESSION_BUS_ADDRESS" not in os.environ:
            raise Failure(f"{self.name} is reached on D-Bus: run it under dbus-run-session")
        self.bus = self.bus or dbus.SessionBus(mainloop=dbus.mainloop.glib.DBusGMainLoop())
        wait_for(f"{name} on D-Bus", lambda: self.bus.name_has_owner(name), 20)
        return dbus.Interface(self.bus.get_object(name, path, introspect=False), interface or name)

    def stop(self):
        """Ends every process started, with whatever each started in turn."""
        for p in reversed(self.processes):
            with contextlib.suppress(ProcessLookupError):
                os.killpg(p.pid, signal.SIGKILL)
            p.wait()

    def shot(self):
        self.last = self.grab()
        return self.last

    def keep(self, label):
        self.kept.append((label, self.last))

    def write_kept(self):
        """Writes the pictures kept where TEVALIN_PICTURES names a folder."""
        if folder := os.environ.get("TEVALIN_PICTURES"):
            Path(folder).mkdir(parents=True, exist_ok=True)
            for label, pic in self.kept:
                subprocess.run(["convert", "ppm:-", f"png:{folder}/{self.name}-{label}.png"], check=True,
                               input=f"P6 {pic.width} {pic.height} 255\n".encode() + pic.rgb)

    def logs(self):
        for log in sorted(self.work.glob("*.log")):
            if text := log.read_text(errors="replace").strip():
                print(f"--- {log.name}\n{text[-3000:]}", file=sys.stderr)

    # The pointer, through each compositor's own input: move(x, y) and
    # button(pressed) in screen pixels.
    def click(self, x, y, hold=0):
        self.move(x, y)
        self.button(True)
        time.sleep(hold)
        self.button(False)


class Nested(Compositor):
    """A compositor nested in an X server, as a window of its own: input
    through the X pointer (xdotool), pictures from the X server's root
    window."""

    def start_x(self):
        # scripts/x-session's server, wider than the compositor's output, so
        # that the pointer can leave it.
        if "DISPLAY" not in os.environ:
            raise Failure(f"{self.name} runs nested: run it under scripts/x-session")
        self.x_env = {**self.env, "DISPLAY": os.environ["DISPLAY"]}

    def xdotool(self, *args):
        run(["xdotool", *map(str, args)], self.x_env)

    def grab(self):
        return Picture(run(["import", "-window", "root", "-depth", "8", "ppm:-"], self.x_env))

    def move(self, x, y):
        # The compositor follows the X pointer into its window only after it
        # has been outside it.
        self.xdotool("mousemove", WIDTH + 50, HEIGHT + 50)
        self.xdotool("mousemove", x, y)

    def button(self, pressed):
        self.xdotool("mousedown" if pressed else "mouseup", 1)


class Mutter(Compositor):
    """GNOME's compositor, headless on a virtual monitor (mutter 50 no longer
    nests in an X server), as GNOME's remote desktop reaches it: a
    remote-desktop session, with a screen cast of the monitor through
    PipeWire (read with GStreamer, the pointer left out), takes the pointer.
    Qt draws the title bar here: its buttons are found in the picture."""

    name = "mutter"
    BUTTON_LEFT = 0x110  # evdev's BTN_LEFT

    def start(self):
        import dbus
        import gi

        gi.require_version("Gst", "1.0")
        from gi.repository import GLib, Gst

        # PipeWire, with its session manager to link the cast to its reader.
        self.spawn(["pipewire"], "pipewire.log")
        # WirePlumber 0.4 (Debian 12) ends at once where logind is not running
        # (a chroot, a container) unless its Bluetooth monitor, which asks
        # logind, is off; 0.5 reads no such file.
        off = self.work / ".config/wireplumber/bluetooth.lua.d/60-off.lua"
        off.parent.mkdir(parents=True, exist_ok=True)
        off.write_text("bluez_monitor.enabled = false\n")
        self.spawn(["wireplumber"], "wireplumber.log")
        self.spawn(["mutter", "--headless", "--virtual-monitor", f"{WIDTH}x{HEIGHT}", "--wayland",
                    "--no-x11", f"--wayland-display={self.socket}"], "mutter.log")
        self.wait_for_socket()
        remote, cast = "org.gnome.Mutter.RemoteDesktop", "org.gnome.Mutter.ScreenCast"
        self.remote = self.service(remote, self.service(remote, "/org/gnome/Mutter/RemoteDesktop").CreateSession(),
                                   remote + ".Session")
        session = self.service(cast, "/org/gnome/Mutter/ScreenCast").CreateSession({
            "remote-desktop-session-id": self.remote.Get(remote + ".Session", "SessionId",
                                                         dbus_interface="org.freedesktop.DBus.Properties")})
        # The primary monitor (""), the pointer not drawn.
        self.stream = str(self.service(cast, session, cast + ".Session").RecordMonitor(
            "", dbus.Dictionary({"cursor-mode": dbus.UInt32(0)}, signature="sv")))
        nodes = []
        self.bus.add_signal_receiver(nodes.append, "PipeWireStreamAdded", path=self.stream)
        self.remote.Start()

        def added():
            GLib.MainContext.default().iteration(False)  # delivers the signal
            return nodes

        wait_for("screen cast from mutter", added, 10)
        # The newest frame, kept by the sink; mutter casts one whenever the
        # screen changes.
        os.environ["PIPEWIRE_RUNTIME_DIR"] = str(self.runtime)
        Gst.init(None)
        self.pipeline = Gst.parse_launch(f"pipewiresrc path={nodes[0]} always-copy=true ! videoconvert ! "
                                         "video/x-raw,format=RGB ! appsink name=sink sync=false drop=true max-buffers=1")
        self.sink, self.stopped = self.pipeline.get_by_name("sink"), Gst.State.NULL
        self.pipeline.set_state(Gst.State.PLAYING)
        wait_for("first frame of the screen cast", lambda: self.sink.get_property("last-sample"), 10)
        return run(["mutter", "--version"], self.env).decode().split("\n")[0]

    def stop(self):
        if hasattr(self, "pipeline"):
            self.pipeline.set_state(self.stopped)
        super().stop()

    def grab(self):
        sample = self.sink.get_property("last-sample")
        caps, buffer = sample.get_caps().get_structure(0), sample.get_buffer()
        width, height = caps.get_value("width"), caps.get_value("height")
        rgb = buffer.extract_dup(0, buffer.get_size())
        if len(rgb) != 3 * width * height:
            raise Failure(f"a frame of {len(rgb)} bytes for {width}x{height}")
        return Picture(f"P6 {width} {height} 255\n".encode() + rgb)

    def move(self, x, y):
        self.remote.NotifyPointerMotionAbsolute(self.stream, float(x), float(y))

    def button(self, pressed):
        self.remote.NotifyPointerButton(self.BUTTON_LEFT, pressed)

    def maximise_ways(self, pic, origin):
        """Finds Qt's title-bar buttons (close rightmost, maximise next): the
        runs of columns, at the window's right end above the board, that
        differ from the title bar's own colour. The window ends where the
        desktop shows as it did before the program started. The maximise
        button's box is decoration that shows the window's state."""
        (ox, oy), row = origin, origin[1] + CELLS["bare"][1]
        right = next((x for x in range(ox + CELLS["bare"][0], pic.width)
                      if near(pic.at(x, row), self.desktop.at(x, row))), pic.width)
        ref = right - 120
        top = next((y for y in range(oy, -1, -1) if near(pic.at(ref, y), self.desktop.at(ref, y))), 0)
        rows = range(top + 3, oy)

        def marked(xs, y):
            return any(not near(pic.at(x, y), pic.at(ref, y), 24) for x in xs)

        runs = []
        for x in (x for x in range(ref, right - 3) if any(marked([x], y) for y in rows)):
            if runs and x - runs[-1][-1] <= 2:
                runs[-1].append(x)
            else:
                runs.append([x])
        boxes = [(xs, [y for y in rows if marked(xs, y)]) for xs in reversed(runs)]
        if len(boxes) < 2:
            raise Failure("no close and maximise buttons on Qt's title bar")
        self.buttons = [((xs[0] + xs[-1]) // 2, (ys[0] + ys[-1]) // 2) for xs, ys in boxes]
        print(f"mutter: Qt's title bar: close and maximise at {[(x - ox, y - oy) for x, y in self.buttons[:2]]}"
              " from the board")
        xs, ys = boxes[1]
        self.decoration = [(x, y) for x in range(xs[0] - 2, xs[-1] + 3) for y in range(ys[0] - 2, ys[-1] + 3)]

        def double_click():
            for _ in range(2):
                self.click(origin[0] + CELLS["bare"][0], self.buttons[0][1])
                time.sleep(0.1)

        return [("its title bar's maximise button", lambda: self.click(*self.buttons[1])),
                ("a double click on its title", double_click)]

    def close(self):
        self.click(*self.buttons[0])
        return "its title bar's close button"


class Sway(Nested):
    """wlroots' sway, nested (its X11 backend, with the pixman renderer,
    gives its seat the X pointer), run as a user of its own (it refuses
    root): window commands through swaymsg."""

    name = "sway"
    socket = "wayland-1"
    USER = "tevalin-ci"
    made_user = False

    def start(self):
        if os.geteuid() == 0:
            # A user there already stays.
            if subprocess.run(["id", "-u", self.USER], capture_output=True).returncode:
                run(["useradd", "--system", "--no-create-home", "--shell", "/usr/sbin/nologin", self.USER],
                    self.env)
                self.made_user = True
            self.user = self.USER
            for path in (self.work, self.runtime):
                shutil.chown(path, self.USER)
        config = self.work / "sway.config"
        config.write_text(f"output X11-1 resolution {WIDTH}x{HEIGHT} position 0 0\n"
                          "default_border normal\nfocus_follows_mouse no\n")
        self.env.update(WLR_BACKENDS="x11", WLR_RENDERER="pixman")
        self.start_x()
        self.spawn(["sway", "--config", str(config)], "sway.log", self.x_env)
        self.wait_for_socket()
        self.env["SWAYSOCK"] = str(next(self.runtime.glob("sway-ipc.*.sock")))
        return run(["sway", "--version"], self.env).decode().strip()

    def stop(self):
        super().stop()
        # Its processes, killed, may still wait to be reaped.
        if self.made_user:
            wait_for(f"removal of the user {self.USER}", lambda: not subprocess.run(
                ["userdel", self.USER], capture_output=True).returncode, 5)

    def swaymsg(self, command):
        run(["swaymsg", command], self.env)

    def maximise_ways(self, pic, origin):
        # sway maximises nothing; the nearest a player has is fullscreen.
        return [("sway's fullscreen command", lambda: self.swaymsg("fullscreen enable"))]

    def close(self):
        self.swaymsg("kill")
        return "sway's kill command"


class KWin(Nested):
    """KDE's compositor, nested (its virtual backend shows its pictures only
    through its screenshot effect, which KWin 6 offers only where OpenGL
    composites, on a GPU): window commands through its D-Bus scripting. KWin
    is run as a copy: the installed binary carries a file capability that a
    container without it refuses to execute; the copy keeps the name, by
    which KWin picks its own Qt platform."""

    name = "kwin"

    def start(self):
        self.start_x()
        kwin = self.work / "kwin_wayland"
        shutil.copy(shutil.which("kwin_wayland"), kwin)
        self.spawn([str(kwin), "--x11-display", self.x_env["DISPLAY"], "--socket", self.socket,
                    "--width", str(WIDTH), "--height", str(HEIGHT)], "kwin.log", self.x_env)
        self.wait_for_socket()
        self.scripting = self.service("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting")
        return run([str(kwin), "--version"], self.env).decode().strip()

    def script(self, code):
        """Runs a KWin script on the window, as the window menu's commands do."""
        path = self.work / f"script{time.monotonic_ns()}.js"
        path.write_text(f"var w = workspace.activeWindow || workspace.activeClient;\n{code}\n")
        self.scripting.loadScript(str(path), path.stem, signature="ss")
        self.scripting.start()

    def maximise_ways(self, pic, origin):
        return [("KWin's maximise", lambda: self.script("w.setMaximize(true, true);")),
                ("KWin's fullscreen", lambda: self.script("w.fullScreen = true;"))]

    def close(self):
        self.script("w.closeWindow();")
        return "KWin's close"


COMPOSITORS = {"mutter": Mutter, "sway": Sway, "kwin": KWin}


def play(comp, program, times):
    """Plays the round on comp, appending each stage's time to times."""
    started = time.monotonic()
    comp.version = comp.start()
    times.append(("compositor up", time.monotonic() - started))
    comp.desktop = comp.shot()
    if comp.desktop.find_board():
        raise Failure("a window shows the board before the program starts")
    shown_at = time.monotonic()
    game = comp.spawn([str(program)], "tevalin.log",
                      {**comp.env, "WAYLAND_DISPLAY": comp.socket, "QT_QPA_PLATFORM": "wayland"})

    def watch(what, label, probe, bound):
        """What probe finds in the first picture it finds it in, which is kept."""
        found = wait_for(what, lambda: probe(comp.shot()), bound)
        comp.keep(label)
        return found

    def window(pic):
        if game.poll() is not None:
            raise Failure(f"the program ended with status {game.returncode} before its window showed")
        origin = pic.find_board()
        return origin and pic.squares(origin) and pic.cell(origin, CELLS["start"]) not in (None, WHITE) and origin

    ox, oy = origin = watch("window with the board and Старт", "1-start", window, 20)
    times.append(("window up", time.monotonic() - shown_at))

    def at(name, fx=0.5):
        x, y, w, h = CELLS[name]
        return ox + x + int(w * fx), oy + y + h // 2

    # The slowest speed, 1000 ms a colour, so that a busy machine's pictures
    # cannot miss one: the button held in the bar's trough, near its right
    # arrow, pages the thumb from the bar's middle (500 ms) to the pointer;
    # again where a busy machine lost the press.
    thumb = comp.last.at(*at("speed"))

    def slowed():
        x, y = at("speed", 0.9)
        comp.click(x, y, hold=2)
        time.sleep(0.3)
        # The thumb read beside the pointer, which may be drawn into the picture.
        pic = comp.shot()
        return not near(pic.at(*at("speed")), thumb) and near(pic.at(x - 6, y), thumb)

    wait_for("speed bar's thumb at the pointer", slowed, 5)
    # The round: Start, then the pointer to a bare spot, as a player's hand
    # moves away to watch.
    clicked = time.monotonic()
    comp.click(*at("start"))
    comp.move(*at("bare"))
    watch("board without its squares after Старт", "2-hidden", lambda p: p.squares(origin, shown=False), 5)
    times.append(("squares hidden", time.monotonic() - clicked))
    colour = watch("colour at the fixed spot", "3-colour", lambda p: next(
        (c for c, *_ in SQUARES if near(p.cell(origin, CELLS["start"]), c)), None), 5)
    times.append((f"colour #{colour:06X} at the fixed spot", time.monotonic() - clicked))
    watch("squares back after the presentation", "4-back",
          lambda p: p.squares(origin) and near(p.cell(origin, CELLS["start"]), WHITE), 10)
    times.append(("squares back", time.monotonic() - clicked))

    # Maximising does nothing: the window stays, or is back at once, where
    # and as it was, seen on a grid over the whole screen.
    before = comp.shot()
    ways = comp.maximise_ways(before, origin)
    probes = comp.decoration + [(x, y) for x in range(0, before.width, 16) for y in range(0, before.height, 16)]

    def as_before(pic):
        return pic.find_board() == before.find_board() and all(
            near(pic.at(x, y), before.at(x, y)) for x, y in probes)

    for n, (what, action) in enumerate(ways, 5):
        asked = time.monotonic()
        action()
        comp.move(*at("bare"))
        # Settled: as before for a second on end.
        since = time.monotonic()
        while time.monotonic() - since < 1.0:
            if game.poll() is not None:
                raise Failure(f"the program ended with status {game.returncode} after {what}")
            if time.monotonic() - asked > 5:
                raise Failure(f"{what} changed the window, and it was not back within 5 s")
            if not as_before(comp.shot()):
                since = time.monotonic()
        comp.keep(f"{n}-maximise")
        times.append((f"{what}: as before after", since - asked))

    asked = time.monotonic()
    how = comp.close()
    wait_for(f"end of the program after {how}", lambda: game.poll() is not None, 10)
    if game.returncode != 0:
        raise Failure(f"the program ended with status {game.returncode} after {how}")
    times.append((f"closed by {how}, status 0", time.monotonic() - asked))


def main():
    # timeout(1) ends a stage with SIGTERM: the servers are stopped all the same.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("compositor_round: terminated"))
    if len(sys.argv) != 3 or sys.argv[1] not in COMPOSITORS:
        sys.exit(f"usage: {sys.argv[0]} {'|'.join(COMPOSITORS)} PROGRAM")
    name, started, times, failure = sys.argv[1], time.monotonic(), [], None
    with tempfile.TemporaryDirectory(prefix=f"tevalin-{name}.") as work:
        work = Path(work)
        os.chmod(work, 0o755)
        # The program where the compositor's user can run it.
        shutil.copy(sys.argv[2], work / "tevalin")
        comp = COMPOSITORS[name](work)
        try:
            play(comp, work / "tevalin", times)
        except Exception as e:
            failure = e
            if comp.last:
                comp.keep("failure")
        finally:
            try:
                comp.stop()
            except Failure as e:
                failure = failure or e
        if failure:
            comp.logs()
        comp.write_kept()
    print(f"{name}: one round, fixed placement")
    for what, seconds in times:
        print(f"  {what}: {seconds:.2f} s")
    if failure:
        return f"{name}: FAILED after {time.monotonic() - started:.1f} s: {failure}"
    print(f"{name} ({comp.version}): passed in {time.monotonic() - started:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
