"""The lists as a person reads and uses them: every column readable without scrolling
sideways, rows picked and dialled with a double click or Enter."""

import xrig
from xrig import FRONT_DESK


class Lists(xrig.Conversation):
    def assert_columns_fit(self, description, columns=None):
        """Every cell of the list (of the given columns) lies inside the list's width:
        nothing to scroll to."""
        node = self.rig.find(description)
        self.assertIsNotNone(node, f"no {description}")
        left, right = node.rect[0], node.rect[0] + node.rect[2]
        rows = self.rig.rows(description)
        self.assertTrue(rows, f"{description} is empty")
        for row in rows[:5]:
            for column, ((x, _, w, _), text) in enumerate(zip(row.cells, row.texts)):
                if columns is not None and column not in columns:
                    continue
                self.assertTrue(left <= x and x + w <= right,
                                f"{text!r} at {x}..{x + w} outside {left}..{right}")

    def choose_menu(self, menu, item):
        self.rig.click(*self.rig.find(role="menu item", name=menu).middle())
        entry = self.rig.find(role="menu item", name=item, timeout=3)
        self.assertIsNotNone(entry, f"no menu item {item}")
        self.rig.click(*entry.middle())

    def test_device_list_shows_every_column_in_both_orders(self):
        self.device_rows()
        self.assert_columns_fit("device list")
        self.choose_menu("Devices", "Set 'Name' as the first coloumn in device list")
        self.assertTrue(xrig.wait_until(
            lambda: [r.texts[1] for r in self.rig.rows("device list")] ==
            ["Front Desk", "Lobby", "Sales Office"], 3), "the names did not come first")
        self.assert_columns_fit("device list")

    def test_phonebook_and_call_log_rows_dial_on_double_click_and_enter(self):
        self.take_phone("Front Desk", FRONT_DESK)
        self.rig.press("Contacts tab")
        rows = xrig.wait_until(lambda: len(self.rig.rows("phonebook list")) > 3 and
                               self.rig.rows("phonebook list"), 5)
        self.assertTrue(rows, "no phonebook")
        self.assert_columns_fit("phonebook list")
        number = rows[2].texts[2]
        self.rig.mark()
        self.rig.click(*rows[2].middle, repeat=2)
        self.assert_sent(["SELECT: 2", "DISP:", "DIAL: " + number], FRONT_DESK)
        # Ended; the call log, a click on its first row, the keyboard down to the second,
        # and Enter.
        self.rig.press("END key")
        self.rig.press("CallLogs tab")
        rows = xrig.wait_until(lambda: len(self.rig.rows("call log list")) > 3 and
                               self.rig.rows("call log list"), 5)
        self.assertTrue(rows, "no call log")
        # Six columns do not fit the window's width side by side: each row has two lines,
        # the name above the number and the date above the time and the duration, every
        # text whole and nothing to scroll to sideways.
        self.assert_columns_fit("call log list")
        for row in rows[:4]:
            self.assertEqual(len(row.texts), 3, row.texts)
            name_and_number, when = row.texts[1].split("\n"), row.texts[2].split("\n")
            self.assertEqual(len(name_and_number), 2, row.texts)
            self.assertRegex(name_and_number[1], r"^\+?[0-9*#]+$")
            self.assertRegex(when[1], r"^[0-9]{2}:[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}$")
        number = rows[1].texts[1].split("\n")[1]
        self.rig.mark()
        self.rig.click(*rows[0].middle)
        self.assert_sent(["SELECT: 0"], FRONT_DESK)
        self.rig.mark()
        self.rig.key("Down", "Return")
        self.assert_sent(["SELECT: 1", "DISP:", "DIAL: " + number], FRONT_DESK)


if __name__ == "__main__":
    xrig.main()
