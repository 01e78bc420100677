"""Typing an address and a password: the keypad and the keyboard type into the entry and
nothing of it reaches a phone as key presses."""

import xrig
from xrig import FRONT_DESK, SALES


class Password(xrig.Conversation):
    def test_keyboard_password_from_the_list(self):
        row = self.row_of(self.device_rows(), "Sales Office")
        self.rig.mark()
        self.rig.click(*row.middle)
        self.assertTrue(self.rig.find("display line 1", name="Enter Password:", timeout=3))
        self.rig.type("4711")
        self.rig.key("Return")
        self.assertTrue(self.rig.wait_sent("LOGIN:", SALES))
        logins = [t for t in self.rig.take(SALES) if t.startswith("LOGIN:")]
        self.assertTrue(logins[0].endswith(" 4711"), logins)
        self.assertEqual([], [t for t in self.rig.take() if t.startswith("KEY:")])

    def test_keypad_types_the_address_and_the_password(self):
        self.take_phone("Front Desk", FRONT_DESK)
        self.rig.click(*self.rig.find(role="menu item", name="Devices").middle())
        self.rig.click(*self.rig.find(role="menu item", name="Set IP", timeout=3).middle())
        self.assertTrue(self.rig.find("display line 1", name="Enter IP of the device:",
                                      timeout=3))
        self.rig.mark()
        # The keypad has no dot: the keyboard gives those.
        for part in ("10", ".", "77", ".", "0", ".", "13"):
            if part == ".":
                self.rig.key("period")
            else:
                for digit in part:
                    self.rig.press("key " + digit)
        self.assertTrue(xrig.wait_until(lambda: self.text_of("entry edit") == SALES, 3),
                        self.text_of("entry edit"))
        self.rig.key("Return")
        self.assertTrue(self.rig.find("display line 1", name="Enter Password:", timeout=5))
        for digit in "4711":
            self.rig.press("key " + digit)
        self.rig.key("Return")
        self.assertTrue(self.rig.wait_sent("LOGIN:", SALES))
        self.assertTrue([t for t in self.rig.take(SALES) if t.startswith("LOGIN:")][0]
                        .endswith(" 4711"))
        self.assertEqual([], [t for t in self.rig.take() if t.startswith("KEY:")])


if __name__ == "__main__":
    xrig.main()
