"""Dialling on Front Desk with the keypad keys, the keyboard and the entry's selection."""

import xrig
from xrig import FRONT_DESK


class Dialling(xrig.Conversation):
    def lift_handset(self):
        """SEND on the idle screen takes the line; the number is then typed locally."""
        self.take_phone("Front Desk", FRONT_DESK)
        self.rig.mark()
        self.rig.press("SEND key")
        self.assert_sent(["KEY: 19"], FRONT_DESK)

    def entry(self):
        node = self.rig.find("entry edit")
        self.assertIsNotNone(node, "the entry edit is not showing")
        return node.text(), node.selection()

    def assert_entry(self, text, selection):
        got = xrig.wait_until(lambda: self.entry() == (text, selection) or None, 3)
        self.assertTrue(got, f"entry shows {self.entry()}, not {(text, selection)}")

    def test_keypad_keys_keep_the_entry_selection(self):
        self.lift_handset()
        for key in "5551234":
            self.rig.press("key " + key)
        self.assert_entry("5551234", (7, 7))
        # "51" selected with the keyboard; '#' goes in front of it and the selection moves on.
        self.rig.key("Home", "Right", "Right", "shift+Right", "shift+Right")
        self.assert_entry("5551234", (2, 4))
        self.rig.press("key #")
        self.assert_entry("55#51234", (3, 5))
        # The Delete icon key takes the character in front of the selection away.
        self.rig.press("Delete icon key")
        self.assert_entry("5551234", (2, 4))
        self.rig.mark()
        self.rig.press("SEND key")
        self.assert_sent(["DISP:", "DIAL: 5551234"], FRONT_DESK)

    def test_keyboard_digits_and_backspace_act_as_the_keys(self):
        self.take_phone("Front Desk", FRONT_DESK)
        # Before any key has been clicked the keyboard's keys are the keypad's: '*' goes to
        # the phone as its key, and the phone takes the line for dialling.
        self.rig.mark()
        self.rig.key("asterisk")
        self.assert_sent(["KEY: 10"], FRONT_DESK)
        self.assertTrue(self.rig.wait_phone_said("HOOK: ON", FRONT_DESK))
        # The line taken: the number is typed locally, at the caret.
        self.rig.mark()
        self.rig.type("0301")
        self.assert_entry("0301", (4, 4))
        self.rig.key("Left", "Left", "shift+Right")
        self.rig.type("7")
        self.assert_entry("03701", (3, 4))
        # Backspace is the backspace key: the character in front goes, the selection stays.
        self.rig.key("BackSpace")
        self.assert_entry("0301", (2, 3))
        self.assert_quiet(0.3, FRONT_DESK)
        self.rig.key("Return")
        self.assert_sent(["DISP:", "DIAL: 0301"], FRONT_DESK)


if __name__ == "__main__":
    xrig.main()
