"""Texts that fit on a wide screen (font B at 20 pixels): soft-key labels and a long
display line 0 are written whole, never cut at their ends; the lists' columns lie inside
the lists."""

import xrig
from xrig import FRONT_DESK


class Wide(xrig.Conversation):
    screen = "1920x1080x24"

    def ink_columns(self, description, inset):
        picture = self.picture_of(description, inset)
        columns = [c for c in range(picture.width)
                   if any(picture.grey[r][c] < 90 for r in range(picture.height))]
        return columns, picture.width

    def assert_whole(self, description, inset=0):
        """The text's ink keeps clear of both sides: nothing of it is cut off there."""
        columns, width = self.ink_columns(description, inset)
        self.assertTrue(columns, f"{description} shows no text")
        self.assertGreater(columns[0], 0, f"{description} is cut on the left")
        self.assertLess(columns[-1], width - 1, f"{description} is cut on the right")

    def test_long_labels_and_a_long_line_0_are_whole(self):
        self.take_phone("Front Desk", FRONT_DESK)
        self.rig.control(f"@{FRONT_DESK} send TEXT_KEY: 1 Contacts")
        self.rig.control(f"@{FRONT_DESK} send TEXT_KEY: 2 Forward")
        self.rig.control(f"@{FRONT_DESK} send DISP: 0 Conference with 3 parties")
        self.assertTrue(self.rig.find("soft key F1", name="Contacts", timeout=3))
        self.assertTrue(self.rig.find("soft key F2", name="Forward", timeout=3))
        self.assertTrue(self.rig.find("display line 0", name="Conference with 3 parties",
                                      timeout=3))
        # Inside the keys' edges (six pixels of raised and sunken frame).
        self.assert_whole("soft key F1", 6)
        self.assert_whole("soft key F2", 6)
        self.assert_whole("display line 0")

    def assert_cells_inside(self, description):
        rows = xrig.wait_until(lambda: len(self.rig.rows(description)) > 3 and
                               self.rig.rows(description), 5)
        self.assertTrue(rows, f"no {description}")
        node = self.rig.find(description)
        left, right = node.rect[0], node.rect[0] + node.rect[2]
        for row in rows[:5]:
            for (x, _, w, _), text in zip(row.cells, row.texts):
                self.assertTrue(left <= x and x + w <= right,
                                f"{text!r} at {x}..{x + w} outside {left}..{right}")
        return rows

    def test_the_phonebook_and_the_call_log_need_no_sideways_scrolling(self):
        self.take_phone("Front Desk", FRONT_DESK)
        self.rig.press("Contacts tab")
        self.assert_cells_inside("phonebook list")
        self.rig.press("CallLogs tab")
        rows = self.assert_cells_inside("call log list")
        # Two lines a row: the name above the number, the date above time and duration.
        self.assertEqual([len(t.split("\n")) for t in rows[0].texts[1:]], [2, 2], rows[0].texts)


if __name__ == "__main__":
    xrig.main()
