"""The real dialer on a real X server, used the way a person uses it.

A Rig starts, inside the sealed network namespace (scripts/sealed-net, which the CTest
entries put every run into), an X server of its own (Xvfb picks a free display number
through -displayfd, so runs side by side never share one), a session bus with the
accessibility bus on it, the emulated phones and orvane-dialer on Qt's xcb platform.
Clicks and key presses go through the X server as real input (XTest, by xdotool); what
the window shows is read back through the accessibility tree (texts, places, states)
and from screenshots of the X server; what the dialer sent is read from the phones'
datagram log.
"""

import atexit
import os
import shutil
import signal
import subprocess
import tempfile
import time
import sys
import unittest

BUILD = os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../build")
DIALER = os.environ.get("ORVANE_DIALER", os.path.join(BUILD, "src/qt/orvane-dialer"))
PHONESIM = os.environ.get("ORVANE_PHONESIM", os.path.join(BUILD, "src/phonesim/orvane-phonesim"))

FRONT_DESK = "10.77.0.11"
LOBBY = "10.77.0.12"
SALES = "10.77.0.13"
PASSWORD = "4711"
TITLE = "Orvane's SIP Dialer"

# The three phones of the demo: a free one, one held by another controller, and one that
# wants a password.
PHONES = [
    f"addr={FRONT_DESK},name=Front Desk,contacts=48,calls=90",
    f"addr={LOBBY},name=Lobby,busy=1,contacts=25,calls=40",
    f"addr={SALES},name=Sales Office,password={PASSWORD},contacts=60,calls=120,answer-ms=1500",
]


def own_process_namespace():
    """Runs the caller again as the first process of a PID namespace of its own, so every
    process a test starts (the X server, the buses, the phones, the dialer and whatever
    they start) ends with it, however it ends."""
    if os.getpid() == 1:
        # As the first process, a terminating signal has no effect unless handled.
        signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
        return
    os.execvp("unshare", ["unshare", "--pid", "--fork", "--kill-child", sys.executable,
                          *sys.argv])


def wait_until(check, timeout=10.0, step=0.05):
    """Polls check() until it returns something true; returns that, or None at the end."""
    end = time.monotonic() + timeout
    while True:
        value = check()
        if value:
            return value
        if time.monotonic() > end:
            return None
        time.sleep(step)


class Display:
    """An X server of its own, a session bus and the accessibility bus on it. One per test
    program: the accessibility bindings stay with the bus they first reached. Ends with
    the program (see own_process_namespace)."""

    _shared = None

    @classmethod
    def shared(cls, screen):
        if cls._shared is None:
            cls._shared = Display(screen)
        elif cls._shared.screen != screen:
            raise RuntimeError("one screen size per test program")
        return cls._shared

    def __init__(self, screen):
        self.screen = screen
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen,
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end, "rb") as pipe:
            number = pipe.readline().strip()
        if not number:
            raise RuntimeError("Xvfb gave no display number")
        self.name = ":" + number.decode()
        os.environ["DISPLAY"] = self.name
        # The buses' sockets in a folder of this program's own: another run's (or a dead
        # one's) accessibility bus is never found.
        self.runtime = tempfile.mkdtemp(prefix="orvane-x11-run-")
        os.environ["XDG_RUNTIME_DIR"] = self.runtime
        atexit.register(shutil.rmtree, self.runtime, True)  # gone with the program
        self.bus = subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", "--print-address=1"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        address = self.bus.stdout.readline().decode().strip()
        if not address:
            raise RuntimeError("dbus-daemon gave no address")
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
        # The accessibility bus and its registry up before any dialer asks for them: a
        # dialer that finds them slow to start on a busy machine stays out of the tree.
        self.a11y = subprocess.Popen(
            ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        bus_up = wait_until(lambda: subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
             "/org/a11y/bus", "org.a11y.Bus.GetAddress"], capture_output=True).returncode == 0,
            10)
        if not bus_up:
            raise RuntimeError("the accessibility bus did not start")


class Rig:
    """The phones and one dialer on the program's X server; stop() ends both."""

    def __init__(self, phones=None, screen="1280x1024x24", env=None):
        self.phones = PHONES if phones is None else phones
        self.screen = screen
        self.extra_env = env or {}
        self.dir = tempfile.mkdtemp(prefix="orvane-x11-")
        self.log_path = os.path.join(self.dir, "phones.log")
        self.procs = []
        self.dialer = None
        self.sim = None
        self.log_seen = 0  # datagram lines already taken by take()

    # ---- start and stop -------------------------------------------------------------

    def start(self, dialer_args=()):
        try:
            self.display = Display.shared(self.screen)
            self.env = dict(os.environ)
            for name in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "SESSION_MANAGER"):
                self.env.pop(name, None)
            runtime = os.path.join(self.dir, "runtime")
            os.mkdir(runtime, 0o700)
            self.env.update({
                "XDG_RUNTIME_DIR": runtime,
                "HOME": self.dir,
                "QT_QPA_PLATFORM": "xcb",
                "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            })
            self.env.update(self.extra_env)
            self.scale = float(self.env.get("QT_SCALE_FACTOR", "1"))
            self._start_phones()
            self.start_dialer(dialer_args)
        except BaseException:
            self.stop()
            raise
        return self

    def _start_phones(self):
        args = [PHONESIM, "--log", self.log_path, "--control"]
        for phone in self.phones:
            args += ["--phone", phone]
        self.sim = subprocess.Popen(args, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                    env=self.env)
        self.procs.append(self.sim)
        if not wait_until(lambda: any(l[1] == "READY" for l in self.log()), 10):
            raise RuntimeError("the phones did not come up")

    def start_dialer(self, args=()):
        self.dialer = subprocess.Popen(
            [DIALER, "--private-contacts", os.path.join(self.dir, "PrivateContacts.txt"),
             *args],
            cwd=self.dir, env=self.env, stdout=subprocess.DEVNULL)
        self.procs.append(self.dialer)
        # This dialer's window (by its process), not one that is still going away.
        found = wait_until(lambda: self.xdo("search", "--onlyvisible", "--pid",
                                            self.dialer.pid, "--name", TITLE).split(), 15)
        self.window = int(found[0]) if found else None
        if not self.window:
            raise RuntimeError("the dialer's window did not show")

    def stop(self):
        if self.sim and self.sim.poll() is None:
            try:
                self.sim.stdin.write(b"quit\n")
                self.sim.stdin.flush()
            except OSError:
                pass
        for proc in reversed(self.procs):
            if proc.poll() is None:
                proc.terminate()
        for proc in reversed(self.procs):
            try:
                proc.wait(3)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
        self.procs = []
        if os.environ.get("ORVANE_X11_KEEP"):
            print("kept", self.dir)
        else:
            shutil.rmtree(self.dir, ignore_errors=True)

    # ---- the phones -----------------------------------------------------------------

    def control(self, line):
        """One control line to the phones (see orvane-phonesim --help)."""
        self.sim.stdin.write(line.encode() + b"\n")
        self.sim.stdin.flush()

    def log(self):
        """The phones' log as (phone, kind, text) for each line."""
        entries = []
        try:
            with open(self.log_path, encoding="utf-8", errors="replace") as f:
                for line in f:
                    parts = line.rstrip("\n").split(" ", 3)
                    if len(parts) < 3:
                        continue
                    phone, kind, rest = parts[1], parts[2], parts[3] if len(parts) > 3 else ""
                    if kind in ("IN", "BCAST", "OUT"):
                        rest = rest.split(" ", 1)[1] if " " in rest else ""
                    entries.append((phone, kind, rest))
        except FileNotFoundError:
            pass
        return entries

    def received(self, phone=None):
        """What the dialer sent, in order (to `phone` only when given)."""
        return [t for p, k, t in self.log() if k in ("IN", "BCAST") and phone in (None, p)]

    def mark(self):
        """Forgets what the dialer has sent so far: take() then returns only newer lines."""
        self.log_seen = len(self.received())

    def take(self, phone=None):
        """What the dialer sent since the last mark() (to `phone` only when given)."""
        all_lines = [(p, t) for p, k, t in self.log() if k in ("IN", "BCAST")]
        return [t for p, t in all_lines[self.log_seen:] if phone in (None, p)]

    def wait_phone_said(self, prefix, phone=None, timeout=5.0):
        """Waits until a phone has sent the dialer a datagram starting with prefix."""
        return wait_until(lambda: [t for p, k, t in self.log()
                                   if k == "OUT" and phone in (None, p) and t.startswith(prefix)],
                          timeout)

    def wait_sent(self, prefix, phone=None, timeout=5.0):
        """Waits until the dialer has sent a datagram starting with prefix since mark()."""
        return wait_until(lambda: [t for t in self.take(phone) if t.startswith(prefix)],
                          timeout)

    # ---- the X server ---------------------------------------------------------------

    def xdo(self, *args):
        out = subprocess.run(["xdotool", *map(str, args)], env=self.env,
                             capture_output=True, text=True)
        return out.stdout.strip()

    def windows(self, name):
        """Visible top-level windows whose title matches the regular expression name."""
        ids = self.xdo("search", "--onlyvisible", "--name", name).split()
        return [int(i) for i in ids]

    def wait_window(self, name, timeout=5.0):
        found = wait_until(lambda: self.windows(name), timeout)
        return found[0] if found else None

    def title(self, window):
        return self.xdo("getwindowname", window)

    def click(self, x, y, button=1, repeat=1):
        """Moves the pointer there and clicks (repeat 2: a double click)."""
        # One command: the X server takes the motion before the button.
        self.xdo("mousemove", x, y, "click", "--repeat", repeat, "--delay", 80, button)

    def key(self, *keys):
        """Key presses through the X server to whatever has the keyboard focus."""
        self.xdo("key", "--delay", 30, *keys)

    def type(self, text):
        self.xdo("type", "--delay", 30, text)

    def screenshot(self, path=None, window="root"):
        """A PNG of the X server's screen (or one window) through ImageMagick's import."""
        path = path or os.path.join(self.dir, "shot.png")
        subprocess.run(["import", "-window", str(window), path], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return path

    # ---- the accessibility tree -----------------------------------------------------

    def nodes(self):
        """Every showing object of the dialer's windows, in tree order."""
        import pyatspi  # after the session bus is known

        # This conversation's dialer: one of an earlier conversation may still be listed.
        app = None
        desktop = pyatspi.Registry.getDesktop(0)
        # The bindings keep the desktop's children from the registry's notices, which a
        # busy machine can leave behind; ask anew.
        desktop.clear_cache()
        for i in range(desktop.childCount):
            child = desktop.getChildAtIndex(i)
            try:
                if child is not None and child.get_process_id() == self.dialer.pid:
                    app = child
            except Exception:  # an application that went away while we looked
                continue
        found = []
        if app is None:
            return found

        def walk(acc):
            for i in range(acc.childCount):
                child = acc.getChildAtIndex(i)
                if child is None:
                    continue
                node = Node(child, self.scale)
                if not node.showing:
                    continue
                found.append(node)
                walk(child)

        walk(app)
        return found

    def find(self, description=None, role=None, name=None, timeout=5.0):
        """The first showing object with that description (and role and name), waiting."""
        def look():
            for node in self.nodes():
                if description is not None and node.description != description:
                    continue
                if role is not None and node.role != role:
                    continue
                if name is not None and node.name != name:
                    continue
                return node
            return None
        return wait_until(look, timeout, 0.1)

    def press(self, description, repeat=1):
        """Clicks the middle of the control with that description."""
        node = self.find(description)
        if node is None:
            raise AssertionError(f"no {description} on the face")
        x, y = node.middle()
        self.click(x, y, repeat=repeat)

    def rows(self, description):
        """A list's rows as lists of cell texts, with each row's middle (x, y)."""
        import pyatspi

        node = self.find(description)
        if node is None:
            return []
        by_y = {}
        for i in range(node.acc.childCount):
            cell = node.acc.getChildAtIndex(i)
            if cell is None or cell.getRoleName() != "table cell":
                continue
            x, y, w, h = extents(cell, self.scale)
            if h == 0:
                continue
            selected = cell.getState().contains(pyatspi.STATE_SELECTED)
            by_y.setdefault(y, []).append((x, w, h, cell.name, selected))
        rows = []
        middle_x = node.middle()[0]
        for y in sorted(by_y):
            cells = sorted(by_y[y])
            rows.append(Row([c[3] for c in cells], (middle_x, y + cells[0][2] // 2),
                            [(c[0], y, c[1], c[2]) for c in cells], cells[0][4]))
        return rows


def extents(acc, scale=1.0):
    """An object's place on the screen in the X server's pixels. Qt gives it in its own
    device-independent pixels, which QT_SCALE_FACTOR scales."""
    import pyatspi

    try:
        e = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return tuple(round(v * scale) for v in (e.x, e.y, e.width, e.height))
    except Exception:  # an object that went away while we looked
        return (0, 0, 0, 0)


class Row:
    def __init__(self, texts, middle, cells, selected):
        self.texts = texts
        self.middle = middle
        self.cells = cells  # (x, y, w, h) of each cell
        self.selected = selected


class Node:
    """One object of the accessibility tree as it was when read."""

    def __init__(self, acc, scale):
        import pyatspi

        self.acc = acc
        self.role = acc.getRoleName()
        self.name = acc.name or ""
        self.description = acc.description or ""
        self.rect = extents(acc, scale)
        states = acc.getState()
        self.showing = states.contains(pyatspi.STATE_SHOWING) and self.rect[2] > 0
        self.focused = states.contains(pyatspi.STATE_FOCUSED)
        self.enabled = states.contains(pyatspi.STATE_ENABLED)

    def middle(self):
        x, y, w, h = self.rect
        return (x + w // 2, y + h // 2)

    def text(self):
        """An edit's text (a label's text is its name)."""
        try:
            t = self.acc.queryText()
            return t.getText(0, -1)
        except NotImplementedError:
            return self.name

    def selection(self):
        """An edit's selection as (start, end); a caret alone as (caret, caret)."""
        t = self.acc.queryText()
        if t.getNSelections() > 0:
            start, end = t.getSelection(0)
            return (start, end)
        return (t.caretOffset, t.caretOffset)


class Conversation(unittest.TestCase):
    """A test case that talks to the phones through a dialer of its own."""

    phones = None
    screen = "1280x1024x24"
    env = None

    def setUp(self):
        self.rig = Rig(self.phones, self.screen, self.env).start()
        self.addCleanup(self.rig.stop)

    def device_rows(self, count=3):
        rows = wait_until(lambda: len(self.rig.rows("device list")) >= count and
                          self.rig.rows("device list"), 15, 0.2)
        if not rows:
            tree = self.rig.find("device list", timeout=0)
            self.fail("the device list did not show %d phones; the face shows %s; list: %s" % (
                count, [(n.description or n.role, n.name) for n in self.rig.nodes()][:40],
                tree and [tree.acc.getChildAtIndex(i).name for i in range(tree.acc.childCount)]))
        return rows

    def row_of(self, rows, name):
        for row in rows:
            if name in row.texts:
                return row
        self.fail(f"no row for {name} in {[r.texts for r in rows]}")

    def take_phone(self, name="Front Desk", address=FRONT_DESK):
        """Clicks the phone's row and waits until its idle screen shows."""
        row = self.row_of(self.device_rows(), name)
        self.rig.mark()
        self.rig.click(*row.middle)
        self.assertTrue(self.rig.wait_sent("LOGIN:", address), "no login")
        self.assertTrue(self.rig.find("display line 0", name=name, timeout=5),
                        "the idle screen did not show")

    def text_of(self, description):
        node = self.rig.find(description)
        self.assertIsNotNone(node, f"no {description} on the face")
        return node.text()

    def picture_of(self, description, inset=0):
        """The control's pixels as the X server shows them; inset leaves its frame out."""
        node = self.rig.find(description)
        self.assertIsNotNone(node, f"no {description} on the face")
        x, y, w, h = node.rect
        return Picture(self.rig.env, (x + inset, y + inset, w - 2 * inset, h - 2 * inset))

    def assert_sent(self, expected, phone=None, timeout=3.0):
        """Waits until the dialer has sent `expected` (a list), in order, since mark()."""
        wait_until(lambda: self.rig.take(phone)[:len(expected)] == expected, timeout)
        self.assertEqual(expected, self.rig.take(phone)[:len(expected)])

    def assert_quiet(self, seconds=1.0, phone=None, prefix=""):
        """Nothing (starting with prefix) sent since mark(), for a while."""
        time.sleep(seconds)
        self.assertEqual([], [t for t in self.rig.take(phone) if t.startswith(prefix)])


def main():
    own_process_namespace()
    unittest.main(verbosity=2)


class Picture:
    """A part of the X server's screen, as grey levels (0 black .. 255 white)."""

    def __init__(self, env, rect):
        x, y, w, h = rect
        ppm = subprocess.run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}",
                              "-depth", "8", "ppm:-"],
                             env=env, check=True, capture_output=True).stdout
        # "P6 WIDTH HEIGHT 255", each field ended by one blank or newline, then RGB bytes.
        at, fields = 0, []
        while len(fields) < 4:
            end = at
            while ppm[end:end + 1] not in (b" ", b"\n"):
                end += 1
            if end > at:
                fields.append(ppm[at:end])
            at = end + 1
        self.width, self.height = int(fields[1]), int(fields[2])
        data = ppm[at:]
        self.grey = [[(data[3 * (r * self.width + c)] + data[3 * (r * self.width + c) + 1] +
                       data[3 * (r * self.width + c) + 2]) // 3
                      for c in range(self.width)] for r in range(self.height)]

    def ink_bottoms(self, dark=90):
        """For each column with dark (text) pixels, the lowest such row."""
        bottoms = []
        for c in range(self.width):
            rows = [r for r in range(self.height) if self.grey[r][c] < dark]
            if rows:
                bottoms.append(rows[-1])
        return bottoms

    def descender_depth(self, dark=90):
        """How far the lowest ink goes below the line most columns of ink end on (the
        baseline, for a text of mostly letters without tails): the tails of g, j, p, q
        and y; about 0 when they are cut off at the baseline."""
        bottoms = self.ink_bottoms(dark)
        if not bottoms:
            return 0
        baseline = max(set(bottoms), key=bottoms.count)
        return max(bottoms) - baseline
