"""Picking a phone from the device list with the mouse and the keyboard."""

import xrig
from xrig import FRONT_DESK


class PickingAPhone(xrig.Conversation):
    def test_a_click_on_a_row_takes_that_phone_and_its_keys_reach_it(self):
        rows = self.device_rows()
        self.assertEqual(["Front Desk", "Lobby", "Sales Office"], [r.texts[-1] for r in rows])
        self.take_phone("Front Desk", FRONT_DESK)
        self.rig.mark()
        self.rig.press("key 5")
        self.assert_sent(["KEY: 5"], FRONT_DESK)


if __name__ == "__main__":
    xrig.main()
