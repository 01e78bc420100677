"""The desktop notice of a call ringing on the controlled phone, against a notification
service of the test's own on the rig's private session bus: what the notice says, its
Answer and Reject buttons, and when it is withdrawn or never shown."""

import json
import os
import subprocess
import sys
import time

import xrig
from xrig import FRONT_DESK

SERVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "notify_server.py")
CALLER = "0301234"


class CallNotice(xrig.Conversation):
    # The phone rings from the start (its --ring), and a call is missed only after a minute.
    phones = [f"addr={FRONT_DESK},name=Front Desk,contacts=5,calls=5,ring={CALLER},"
              "ring-ms=60000"]
    with_server = True

    def setUp(self):
        # The service is on the bus before the dialer starts, as on a desktop.
        xrig.Display.shared(self.screen)
        self.record = os.path.join(self.display_dir(), "notices.jsonl")
        self.server = None
        if self.with_server:
            self.server = subprocess.Popen([sys.executable, SERVER, self.record],
                                           stdin=subprocess.PIPE, stdout=subprocess.PIPE)
            self.addCleanup(self.stop_server)
            self.assertEqual(self.server.stdout.readline().strip(), b"READY")
        super().setUp()

    def display_dir(self):
        path = os.path.join(xrig.Display.shared(self.screen).runtime, self.id())
        os.makedirs(path, exist_ok=True)
        return path

    def stop_server(self):
        self.server.stdin.close()
        try:
            self.server.wait(3)
        except subprocess.TimeoutExpired:
            self.server.kill()
            self.server.wait()

    def calls(self, name=None):
        try:
            with open(self.record, encoding="utf-8") as f:
                entries = [json.loads(line) for line in f]
        except FileNotFoundError:
            entries = []
        return [e for e in entries if name in (None, e["call"])]

    def wait_calls(self, name, count, timeout=5.0):
        found = xrig.wait_until(lambda: len(self.calls(name)) >= count and self.calls(name),
                                timeout)
        self.assertTrue(found, f"no {count} {name} calls; the service got {self.calls()}")
        return found

    def focus(self, window):
        """The X keyboard focus to a window: the dialer's, or the root (another program's)."""
        self.rig.xdo("windowfocus", "--sync", window)

    def root(self):
        out = subprocess.run(["xwininfo", "-root"], env=self.rig.env, capture_output=True,
                             text=True).stdout
        return int(out.split("Window id:")[1].split()[0], 16)

    def take_ringing_phone(self):
        """The focus away from the dialer; the one free phone, ringing, is taken at start."""
        self.focus(self.root())
        self.assertTrue(self.rig.find("display line 1", name="Incoming call", timeout=10),
                        "the ringing screen did not show")

    def invoke(self, notice_id, key):
        self.server.stdin.write(f"invoke {notice_id} {key}\n".encode())
        self.server.stdin.flush()

    def test_a_ringing_call_shows_a_notice_whose_answer_answers(self):
        # The user works in another program.
        self.take_ringing_phone()
        notice = self.wait_calls("Notify", 1)[-1]
        self.assertEqual(notice["summary"], "Incoming call")
        self.assertEqual(notice["body"], "Unknown\n" + CALLER)
        self.assertEqual(notice["app"], "Orvane's SIP Dialer")
        self.assertEqual(notice["actions"], ["answer", "Answer", "reject", "Reject"])
        self.assertEqual(notice["hints"].get("category"), "call.incoming")
        if os.environ.get("ORVANE_X11_SHOTS"):  # to look at
            self.rig.screenshot(os.path.join(os.environ["ORVANE_X11_SHOTS"], "ringing.png"))
        self.rig.mark()
        # Another program's notice is none of the dialer's business.
        self.invoke(notice["id"] + 100, "answer")
        self.assert_quiet(0.5, FRONT_DESK, "KEY:")
        self.invoke(notice["id"], "answer")
        self.assert_sent(["KEY: 12"], FRONT_DESK)  # the soft key the phone labels Answer
        self.assertTrue(self.rig.find("display line 1", name="Connected", timeout=5))
        closed = self.wait_calls("CloseNotification", 1)
        self.assertEqual(closed[-1]["id"], notice["id"])
        self.assertEqual(len(self.calls("Notify")), 1)

    def test_reject_rejects_and_a_missed_call_withdraws_the_notice(self):
        self.take_ringing_phone()
        self.focus(self.root())
        first = self.wait_calls("Notify", 1)[-1]
        self.rig.mark()
        self.invoke(first["id"], "reject")
        self.assertTrue(self.rig.wait_sent("KEY:", FRONT_DESK),
                        f"nothing sent for {first} of {self.calls()}: {self.rig.take()}")
        self.assert_sent(["KEY: 14"], FRONT_DESK)  # the soft key the phone labels Reject
        self.wait_calls("CloseNotification", 1)
        # A second caller gives up before anyone answers: the notice goes with the call.
        self.rig.mark()
        self.rig.control("ring 0309999")
        second = self.wait_calls("Notify", 2)[-1]
        self.assertIn("0309999", second["body"])
        self.rig.control("hangup")
        closed = self.wait_calls("CloseNotification", 2)
        self.assertEqual(closed[-1]["id"], second["id"])
        self.assert_quiet(0.5, FRONT_DESK, "KEY:")

    def test_no_notice_while_the_window_is_active(self):
        self.take_ringing_phone()
        first = self.wait_calls("Notify", 1)[-1]
        # Back at the window, the notice goes: the face shows the call.
        self.focus(self.rig.window)
        closed = self.wait_calls("CloseNotification", 1)
        self.assertEqual(closed[-1]["id"], first["id"])
        # A call that rings while the user looks at the window has no notice ...
        self.rig.control("hangup")
        self.assertTrue(self.rig.find("display line 1", name="Incoming call", timeout=0) is None
                        or xrig.wait_until(lambda: not self.rig.find(
                            "display line 1", name="Incoming call", timeout=0), 5))
        self.rig.control("ring 0305555")
        self.assertTrue(self.rig.find("display line 3", name="0305555", timeout=5))
        time.sleep(1.0)
        self.assertEqual(len(self.calls("Notify")), 1)
        # ... until the user turns to another program while it still rings.
        self.focus(self.root())
        second = self.wait_calls("Notify", 2)[-1]
        self.assertIn("0305555", second["body"])


class CallWithoutNotices(CallNotice):
    """No notification service on the bus: nothing shows and nothing fails."""

    with_server = False

    def test_a_ringing_call_without_a_service_changes_nothing_else(self):
        self.take_ringing_phone()
        self.focus(self.root())
        time.sleep(1.0)
        self.rig.mark()
        # The face still answers the call as it always did.
        self.focus(self.rig.window)
        self.rig.press("soft key F1")
        self.assert_sent(["KEY: 12"], FRONT_DESK)
        self.assertTrue(self.rig.find("display line 1", name="Connected", timeout=5))
        self.assertIsNone(self.rig.dialer.poll())

    # The service's own tests do not apply here.
    test_a_ringing_call_shows_a_notice_whose_answer_answers = None
    test_reject_rejects_and_a_missed_call_withdraws_the_notice = None
    test_no_notice_while_the_window_is_active = None


if __name__ == "__main__":
    xrig.main()
