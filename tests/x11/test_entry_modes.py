"""What Enter, F2 and the green key do in the entry's modes: an address applied and probed,
a password prompt a search takes away, and the phone's console opened and left with Alt+L."""

import socket

import xrig
from xrig import FRONT_DESK, PASSWORD, SALES


class SilentHost:
    """A host at a typed address that hears what the dialer sends and answers nothing, so a
    probe there stays unanswered. It shares port 8888 with the phones' broadcast socket."""

    def __init__(self, address):
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.sock.bind((address, 8888))
        self.sock.setblocking(False)
        self.heard = []

    def texts(self):
        while True:
            try:
                data = self.sock.recv(4096)
            except BlockingIOError:
                return self.heard
            self.heard.append(data.split(b"\0", 1)[0].decode("latin-1"))

    def wait_for(self, text, timeout=5.0):
        return xrig.wait_until(lambda: text in self.texts(), timeout)

    def close(self):
        self.sock.close()


class EntryModes(xrig.Conversation):
    def menu(self, menu, item):
        """Opens a menu of the menu bar with a click and clicks one of its items."""
        for name in (menu, item):
            node = self.rig.find(role="menu item", name=name)
            self.assertIsNotNone(node, f"no menu item {name}")
            self.rig.click(*node.middle())

    def test_enter_after_an_applied_address_sends_the_console_line_to_the_probed_address(self):
        # Front Desk alone, taken by itself; Sales Office's address is a silent host's.
        self.assertTrue(self.rig.wait_sent("LOGIN:", FRONT_DESK, 10), "no login")
        self.assertTrue(self.rig.find("display line 0", name="Front Desk"), "no idle screen")
        # Set IP, the address typed and applied with Enter while the prompt is on view.
        self.menu("Devices", "Set IP")
        self.assertTrue(self.rig.find("soft key F2", name="Apply"), "no Apply")
        self.rig.mark()
        self.rig.type(SALES)
        self.rig.key("Return")
        self.assertTrue(self.host.wait_for("ORVN: " + self.mac() + "\n"), self.host.texts())
        self.assertTrue(self.rig.wait_sent("STOP:", FRONT_DESK))

        # The probe waits. The console, a line and Enter: the line goes to the probed host.
        self.rig.key("alt+l")
        self.assertTrue(self.rig.find("entry tag", name="console"), "no console mark")
        self.rig.type("ls /")
        self.rig.key("Return")
        self.assertTrue(self.host.wait_for("LINUX: ls /"), self.host.texts())
        self.assertNotIn("STOP:", self.host.texts())
        self.assertEqual("ls /", self.text_of("entry edit"))
        self.assertEqual([], self.rig.windows("^UdpSocket|Server Socket"))
        shown = [self.rig.title(w) for w in self.rig.windows(".")]
        self.assertEqual(1, len(shown), shown)

    def test_a_search_during_the_password_prompt_takes_its_apply_away(self):
        self.rig.click(*self.row_of(self.device_rows(), "Sales Office").middle)
        self.assertTrue(self.rig.find("soft key F2", name="Apply"), "no Apply")
        self.assertTrue(self.rig.find("display line 1", name="Enter Password:"))
        self.rig.type("47")
        self.rig.mark()

        self.menu("Devices", "Enumerate")
        self.assertTrue(self.rig.find("display line 0", name="Searching ...", timeout=3),
                        "no Searching ...")
        self.assertIsNone(self.rig.find("soft key F2", timeout=0.5), "F2 still offered")
        self.assertIsNone(self.rig.find("display line 1", name="Enter Password:", timeout=0))
        self.assertIsNone(self.rig.find("entry edit", timeout=0))
        self.rig.key("Return")
        self.assert_quiet(0.5, SALES, "KEY:")

        # The list again; the phone asks for its password anew, and this one goes through.
        self.rig.click(*self.row_of(self.device_rows(), "Sales Office").middle)
        self.assertTrue(self.rig.find("soft key F2", name="Apply"), "no Apply")
        self.assertEqual("", self.text_of("entry edit"))
        self.rig.mark()
        self.rig.type(PASSWORD)
        self.rig.press("soft key F2")
        self.assertTrue(self.rig.wait_sent("LOGIN:", SALES))
        self.assertTrue(self.rig.find("display line 0", name="Sales Office"))

    def test_console_mode_shows_its_mark_and_ends_by_alt_l_or_the_idle_screen(self):
        self.take_phone("Front Desk", FRONT_DESK)
        self.rig.key("alt+l")
        tag = self.rig.find("entry tag", name="console")
        self.assertTrue(tag, "no console mark")
        # The mark is drawn: green inside the entry's right end.
        entry = self.rig.find("entry edit")
        x, y, w, h = tag.rect
        ex, ey, ew, eh = entry.rect
        self.assertTrue(ex < x and x + w <= ex + ew and ey <= y and y + h <= ey + eh,
                        (tag.rect, entry.rect))
        self.assertEqual("green", self.colour_at(x + 2, y + h // 2))
        self.rig.mark()
        self.rig.type("uname")
        self.rig.press("SEND key")
        self.assertTrue(self.rig.wait_sent("LINUX: uname", FRONT_DESK))
        box = self.rig.wait_window("^Linux Response", 5)
        self.assertTrue(box, "no answer box")
        self.rig.key("Return")
        self.assertTrue(xrig.wait_until(lambda: not self.rig.windows("^Linux Response"), 3))
        self.assertTrue(self.rig.find("entry tag", name="console"), "the mark went")
        # Back into the window (this X server has no window manager to give it the keyboard
        # back): a click into the entry, as a person would.
        self.rig.press("entry edit")

        # Alt+L again: the display comes back, the line goes.
        self.rig.mark()
        self.rig.key("alt+l")
        self.assertTrue(self.rig.wait_sent("DISP:", FRONT_DESK))
        self.assertTrue(self.rig.find("display line 0", name="Front Desk"))
        self.assertIsNone(self.rig.find("entry tag", timeout=0.5))

        # Opened again; the phone's idle screen (END on the idle phone) ends it as well.
        self.rig.key("alt+l")
        self.assertTrue(self.rig.find("entry tag", name="console"))
        self.rig.type("pwd")
        self.rig.mark()
        self.rig.press("END key")
        self.assertTrue(self.rig.wait_sent("KEY: 20", FRONT_DESK))
        self.assertTrue(xrig.wait_until(lambda: not self.rig.find("entry edit", timeout=0), 3),
                        "the entry stayed")
        self.assertIsNone(self.rig.find("entry tag", timeout=0))
        # The green key is the phone's again.
        self.rig.mark()
        self.rig.press("SEND key")
        self.assert_sent(["KEY: 19"], FRONT_DESK)

    # ---- helpers --------------------------------------------------------------------

    def setUp(self):
        self.host = SilentHost(SALES) if "applied_address" in self._testMethodName else None
        if self.host:
            self.addCleanup(self.host.close)
            self.phones = [xrig.PHONES[0]]
        super().setUp()

    def mac(self):
        """The dialer's identity, from its first discovery request."""
        found = xrig.wait_until(lambda: [t for t in self.rig.received()
                                         if t.startswith("ORVN: ")], 5)
        self.assertTrue(found, "no discovery request")
        return found[0][len("ORVN: "):].split("\\n")[0]

    def colour_at(self, x, y):
        """'green' when the screen's pixel there is mostly green, else its RGB."""
        import subprocess
        path = self.rig.screenshot()
        out = subprocess.run(["convert", path, "-format", f"%[pixel:p{{{x},{y}}}]", "info:"],
                             capture_output=True, text=True).stdout.strip()
        digits = out[out.find("(") + 1:out.find(")")].split(",")
        try:
            r, g, b = (float(d.strip().rstrip("%")) for d in digits[:3])
        except ValueError:
            return out
        return "green" if g > r * 1.5 and g > b * 1.5 else out


if __name__ == "__main__":
    xrig.main()
