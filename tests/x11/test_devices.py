"""Picking a phone from the device list with the mouse and the keyboard."""

import time

import xrig
from xrig import FRONT_DESK, LOBBY, TITLE


class PickingAPhone(xrig.Conversation):
    def test_a_click_on_a_row_takes_that_phone_and_its_keys_reach_it(self):
        rows = self.device_rows()
        self.assertEqual(["Front Desk", "Lobby", "Sales Office"], [r.texts[-1] for r in rows])
        self.take_phone("Front Desk", FRONT_DESK)
        self.rig.mark()
        self.rig.press("key 5")
        self.assert_sent(["KEY: 5"], FRONT_DESK)

    def test_double_click_on_a_row_picks_it_and_presses_no_key(self):
        row = self.row_of(self.device_rows(), "Front Desk")
        self.rig.mark()
        # The keypad comes up under the pointer once the list goes.
        self.rig.click(*row.middle, repeat=2)
        self.assertTrue(self.rig.wait_sent("LOGIN:", FRONT_DESK))
        self.assert_quiet(1.5, FRONT_DESK, "KEY:")
        self.assertEqual(1, len([t for t in self.rig.take() if t.startswith("LOGIN:")]))

    def test_enter_on_a_selected_row_picks_it(self):
        self.device_rows()
        self.rig.mark()
        # Tab to the list, down to the second row and up again to the first, Enter.
        self.rig.key("Tab")
        self.assertTrue(xrig.wait_until(
            lambda: (self.rig.find("device list") or self.rig).focused, 3),
            "the device list did not take the focus")
        self.rig.key("Down", "Up")
        selected = xrig.wait_until(
            lambda: [r.texts[-1] for r in self.rig.rows("device list") if r.selected], 3)
        self.assertEqual(["Front Desk"], selected)
        time.sleep(0.3)
        self.assertEqual([], self.rig.take(), "a row selected by the keyboard is no pick")
        self.rig.key("Return")
        self.assertTrue(self.rig.wait_sent("LOGIN:", FRONT_DESK), "Enter did not pick the row")

    def test_window_title_names_the_phone_and_box_captions_stay_exact(self):
        self.device_rows()
        self.assertEqual(TITLE, self.rig.title(self.rig.window))
        # A busy phone: the question's caption is the box's own.
        self.rig.click(*self.row_of(self.device_rows(), "Lobby").middle)
        box = self.rig.wait_window("^Device is busy", 5)
        self.assertIsNotNone(box, "no take-over question")
        self.assertEqual("Device is busy", self.rig.title(box))
        self.rig.key("Escape")  # No
        self.assertTrue(xrig.wait_until(lambda: not self.rig.windows("^Device is busy"), 3))
        self.assertEqual([], [t for t in self.rig.take(LOBBY) if t.startswith("LOGIN:")])
        # A free phone taken: the window's title names it.
        self.take_phone("Front Desk", FRONT_DESK)
        self.assertTrue(xrig.wait_until(
            lambda: self.rig.title(self.rig.window) == "Front Desk \u2014 " + TITLE, 3),
            self.rig.title(self.rig.window))


if __name__ == "__main__":
    xrig.main()
