"""The Windows program under Wine, used the way a person uses it, against the emulated
phones: search, the device list, a login with a password, a key, a 999-contact phonebook,
the call log in two-line rows, the phone's text prompt answered, and the close that
releases the phone.

Runs inside the sealed network namespace (the CTest entry puts it there) on an X server of
its own (xrig's Display). Where each control lies and what it shows comes from the
program's --layout-file; what the program sent comes from the phones' datagram log.
Screenshots of each step go to ORVANE_WIN_SHOTS (default: the test's temporary folder).
"""

import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../x11"))
import xrig  # noqa: E402
from xrig import FRONT_DESK, SALES, PASSWORD, TITLE, wait_until  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
EXE = os.environ.get("ORVANE_WIN_DIALER",
                     os.path.join(HERE, "../../build-win/win/src/win/orvane-dialer.exe"))
WINE_RUN = os.path.join(HERE, "wine-run")

PHONES = [
    f"addr={FRONT_DESK},name=Front Desk,contacts=48,calls=90",
    f"addr={xrig.LOBBY},name=Lobby,busy=1,contacts=25,calls=40",
    f"addr={SALES},name=Sales Office,password={PASSWORD},contacts=999,calls=120",
]

# Control ids of the face.
DISPLAY_LINE_1 = 1034
CONTACTS_TAB = 1012
CALL_LOGS_TAB = 1014
DEVICE_LIST = 1046
PHONEBOOK_LIST = 1047
CALL_LOG_LIST = 1052


class Layout:
    """The program's --layout-file: each visible control's place and what it shows."""

    def __init__(self, path):
        self.controls = {}
        with open(path, encoding="latin-1") as f:
            for line in f:
                parts = line.rstrip("\n").split(" ")
                if parts[0] == "client":
                    continue
                entry = {"rect": tuple(int(v) for v in parts[1:5])}
                if len(parts) > 5 and parts[5] == "rows":
                    entry["rows"] = int(parts[6])
                    entry["row_top"] = int(parts[7])
                    entry["row_height"] = int(parts[8])
                elif len(parts) > 5 and parts[5] == "text":
                    entry["text"] = " ".join(parts[6:])
                self.controls[int(parts[0])] = entry

    def middle(self, cid):
        left, top, right, bottom = self.controls[cid]["rect"]
        return (left + right) // 2, (top + bottom) // 2

    def row_middle(self, cid, row):
        c = self.controls[cid]
        left, _, right, _ = c["rect"]
        return left + (right - left) // 3, c["row_top"] + c["row_height"] * row + c["row_height"] // 2


class WineRig(xrig.Rig):
    """The phones and the Windows program under Wine on the program's X server."""

    def start_dialer(self, args=()):
        self.layout_path = os.path.join(self.dir, "layout.txt")
        env = dict(self.env)
        env.pop("WINEDEBUG", None)
        started = time.monotonic()
        self.dialer = subprocess.Popen(
            [WINE_RUN, EXE, "--private-contacts", "PrivateContacts.txt",
             "--layout-file", self.layout_path, *args],
            cwd=self.dir, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.procs.append(self.dialer)
        found = wait_until(lambda: self.xdo("search", "--onlyvisible", "--name",
                                            "^" + TITLE + "$").split(), 60)
        self.window = int(found[0]) if found else None
        if not self.window:
            raise RuntimeError("the Windows program's window did not show")
        self.start_seconds = time.monotonic() - started

    def layout(self):
        try:
            return Layout(self.layout_path)
        except (FileNotFoundError, ValueError, IndexError):
            return None

    def wait_layout(self, check, timeout=10.0):
        """Waits until check(layout) holds; returns that layout, or None."""
        def look():
            layout = self.layout()
            return layout if layout is not None and check(layout) else None
        return wait_until(look, timeout, 0.1)


class WindowsProgram(unittest.TestCase):
    def setUp(self):
        self.rig = WineRig(PHONES).start()
        self.addCleanup(self.rig.stop)
        self.shots = os.environ.get("ORVANE_WIN_SHOTS") or self.rig.dir
        os.makedirs(self.shots, exist_ok=True)

    def shot(self, name):
        path = os.path.join(self.shots, name + ".png")
        self.rig.screenshot(path)
        return path

    def text_is(self, cid, text):
        return lambda layout: layout.controls.get(cid, {}).get("text") == text

    def test_a_person_uses_the_windows_program(self):
        rig = self.rig
        # Search: the broadcast went out, and every phone answered into the device list.
        self.assertTrue(wait_until(lambda: [t for p, k, t in rig.log()
                                            if k == "BCAST" and t.startswith("ORVN:")], 15),
                        "no search broadcast")
        layout = rig.wait_layout(lambda l: l.controls.get(DEVICE_LIST, {}).get("rows") == 3, 15)
        self.assertIsNotNone(layout, "the device list did not show three phones")
        self.shot("1-device-list")

        # The phone that wants a password: its row clicked, the password typed.
        rig.mark()
        rig.click(*layout.row_middle(DEVICE_LIST, 2))
        layout = rig.wait_layout(self.text_is(DISPLAY_LINE_1, "Enter Password:"), 10)
        self.assertIsNotNone(layout, "no password prompt")
        rig.type(PASSWORD)
        self.shot("2-password")
        rig.key("Return")
        self.assertTrue(rig.wait_sent("LOGIN:", SALES, timeout=10), "no login")
        logins = [t for t in rig.take(SALES) if t.startswith("LOGIN:")]
        self.assertTrue(logins[-1].endswith(" " + PASSWORD), logins)
        self.assertEqual([], [t for t in rig.take() if t.startswith("KEY:")])
        layout = rig.wait_layout(lambda l: CONTACTS_TAB in l.controls and
                                 DEVICE_LIST not in l.controls, 10)
        self.assertIsNotNone(layout, "the phone's face did not show")
        time.sleep(1)
        self.shot("3-logged-in")

        # A key: the Contacts tab sends its code, and the phone's 999 contacts show.
        rig.mark()
        rig.click(*layout.middle(CONTACTS_TAB))
        self.assertTrue(rig.wait_sent("KEY: 23", SALES, timeout=5), rig.take())
        layout = rig.wait_layout(
            lambda l: l.controls.get(PHONEBOOK_LIST, {}).get("rows") == 999, 20)
        self.assertIsNotNone(layout, "the phonebook did not show 999 contacts: %s" % (
            rig.layout() and rig.layout().controls.get(PHONEBOOK_LIST)))
        time.sleep(0.5)
        self.shot("4-phonebook")
        phonebook_row = layout.controls[PHONEBOOK_LIST]["row_height"]

        # The call log: six columns in a narrow window, so each call takes two lines (the
        # number under the name, time and duration under the date).
        rig.click(*layout.middle(CALL_LOGS_TAB))
        layout = rig.wait_layout(
            lambda l: l.controls.get(CALL_LOG_LIST, {}).get("rows") == 120, 20)
        self.assertIsNotNone(layout, "the call log did not show 120 calls: %s" % (
            rig.layout() and rig.layout().controls.get(CALL_LOG_LIST)))
        self.assertGreaterEqual(layout.controls[CALL_LOG_LIST]["row_height"],
                                phonebook_row * 3 // 2, layout.controls[CALL_LOG_LIST])
        time.sleep(0.5)
        self.shot("4b-call-log")

        # The phone's text prompt, answered with the first button.
        rig.mark()
        rig.control(f"@{SALES} send INPUT: 1 Your name?;Save;Cancel;Bob")
        prompt = wait_until(lambda: [w for w in rig.windows(".*") if w != rig.window and
                                     rig.title(w) == ""], 10)
        time.sleep(1)
        rig.type("Alice")
        self.shot("5-text-prompt")
        rig.key("Return")
        self.assertTrue(rig.wait_sent("INPUT: 1 Alice", SALES, timeout=5), rig.take())
        self.assertTrue(prompt is not None)

        # Help > About from the keyboard: the About box names the version of the file.
        time.sleep(0.5)
        rig.key("F10", "Right", "Down", "Return")
        about = wait_until(lambda: rig.windows("^About Orvane's SIP Dialer$"), 10)
        self.assertTrue(about, "no About box")
        time.sleep(0.5)
        self.shot("6-about")
        rig.key("Return")
        self.assertTrue(wait_until(lambda: not rig.windows("^About Orvane's SIP Dialer$"), 5),
                        "the About box did not close")

        # Closed as the user closes it: the phone is released, the program ends.
        rig.mark()
        rig.key("alt+F4")
        self.assertTrue(rig.wait_sent("STOP:", SALES, timeout=10), rig.take())
        self.assertIsNotNone(wait_until(lambda: rig.dialer.poll() is not None, 15),
                             "the program did not end")


if __name__ == "__main__":
    xrig.main()
