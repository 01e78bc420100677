"""Beyond the phone's own face: a tel: link clicked on the desktop and a second start of
the program dial in the running window, the recent numbers offered by the entry, and the
search of the phonebook by typed letters."""

import os
import shutil
import subprocess
import time

import xrig
from xrig import FRONT_DESK

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "../..")
SHOTS = os.environ.get("ORVANE_X11_SHOTS")


class LinksAndSearch(xrig.Conversation):
    def shot(self, name):
        if SHOTS:  # to look at
            self.rig.screenshot(os.path.join(SHOTS, name))

    def second_start(self, *args):
        """The program started again in the same session; its exit status."""
        return subprocess.run([xrig.DIALER, *args], env=self.rig.env, timeout=20,
                              capture_output=True).returncode

    def one_dialer_window(self):
        self.assertEqual(len(self.rig.windows("Orvane's SIP Dialer$")), 1)

    def ink_under(self, rect):
        """Dark text in the strip just under a control: the completion's list."""
        x, y, w, h = rect
        strip = xrig.Picture(self.rig.env, (x + 4, y + h + 2, w // 2, 12))
        return any(v < 90 for line in strip.grey for v in line)

    def recent_file(self):
        return os.path.join(self.rig.dir, ".local/share/orvane-sip-dialer/recent-numbers")

    def test_a_second_start_with_a_link_dials_in_the_running_window(self):
        self.take_phone("Front Desk", FRONT_DESK)
        self.rig.mark()
        self.assertEqual(self.second_start("tel:+49 30 1234-56"), 0)
        self.assert_sent(["DISP:", "DIAL: +4930123456"], FRONT_DESK)
        self.one_dialer_window()
        # A link the phone cannot dial is refused by the start that got it.
        self.rig.mark()
        self.assertEqual(self.second_start("tel:1-800-FLOWERS"), 2)
        self.assert_quiet(0.5, FRONT_DESK, "DIAL:")

    def test_a_tel_link_opened_on_the_desktop_dials(self):
        """The desktop entry, installed for this user only, is the tel: handler; xdg-open
        is what a browser or mail program runs for a clicked link."""
        if shutil.which("xdg-open") is None:
            self.skipTest("xdg-utils is not installed")
        data = os.path.join(self.rig.dir, "data")
        apps = os.path.join(data, "applications")
        os.makedirs(apps)
        with open(os.path.join(SOURCE, "packaging/orvane-dialer.desktop")) as f:
            entry = f.read()
        self.assertIn("\nExec=orvane-dialer %u\n", entry)
        self.assertIn("\nMimeType=x-scheme-handler/tel;x-scheme-handler/callto;"
                      "x-scheme-handler/sip;\n", entry)
        # The entry runs the program by name; this one is the build's.
        entry = entry.replace("Exec=orvane-dialer", "Exec=" + xrig.DIALER)
        with open(os.path.join(apps, "orvane-dialer.desktop"), "w") as f:
            f.write(entry)
        env = dict(self.rig.env, XDG_DATA_HOME=data, XDG_CONFIG_HOME=os.path.join(data, "cfg"),
                   XDG_DATA_DIRS=data, XDG_CURRENT_DESKTOP="X-Generic")
        subprocess.run(["xdg-mime", "default", "orvane-dialer.desktop", "x-scheme-handler/tel"],
                       env=env, check=True)
        self.take_phone("Front Desk", FRONT_DESK)
        self.rig.mark()
        subprocess.run(["xdg-open", "tel:+49-30-555-0199"], env=env, timeout=20, check=True)
        self.assert_sent(["DISP:", "DIAL: +49305550199"], FRONT_DESK, timeout=10)
        self.one_dialer_window()

    def test_typed_letters_filter_the_phonebook_and_a_click_picks_the_right_record(self):
        self.take_phone("Front Desk", FRONT_DESK)
        self.rig.press("Contacts tab")
        rows = xrig.wait_until(lambda: len(self.rig.rows("phonebook list")) > 5 and
                               self.rig.rows("phonebook list"), 5)
        self.assertTrue(rows, "no phonebook")
        everything = len(rows)
        # A record further down: its row number counts from 1, what is sent from 0.
        target = rows[4]
        name = target.texts[1]
        typed = name[1:4].lower()
        self.rig.type(typed)
        self.shot("phonebook-search-typed.png")
        # The list's name says what it is searched for, as a screen reader reads it.
        label = self.rig.find("phonebook list", name="Search: " + typed, timeout=3)
        self.assertIsNotNone(label, "the search text is not shown")
        shown = xrig.wait_until(lambda: [r for r in self.rig.rows("phonebook list")
                                         if len(self.rig.rows("phonebook list")) < everything],
                                3)
        self.assertTrue(shown, "the rows were not filtered")
        for row in shown:
            self.assertTrue(typed in row.texts[1].lower() or typed in row.texts[2].lower(),
                            f"{row.texts} does not hold {typed!r}")
        self.shot("phonebook-search.png")
        mine = [r for r in shown if r.texts[0] == target.texts[0]]
        self.assertEqual(len(mine), 1, f"{name} is not among {[r.texts for r in shown]}")
        self.rig.mark()
        self.rig.click(*mine[0].middle)
        self.assert_sent([f"SELECT: {int(target.texts[0]) - 1}"], FRONT_DESK)
        # Backspace takes the last letter back; Escape ends the search and closes nothing.
        self.rig.key("BackSpace")
        self.assertIsNotNone(self.rig.find("phonebook list", name="Search: " + typed[:-1],
                                           timeout=3))
        self.rig.key("Escape")
        self.assertTrue(xrig.wait_until(
            lambda: len(self.rig.rows("phonebook list")) == everything, 3))
        self.assertIsNotNone(self.rig.find("phonebook list", name="", timeout=3))
        self.assertIsNone(self.rig.dialer.poll(), "Escape closed the dialer")

    def test_recent_numbers_complete_the_entry_and_redial_from_its_menu(self):
        self.take_phone("Front Desk", FRONT_DESK)
        # A number dialled on the keypad is kept.
        self.rig.mark()
        self.rig.press("SEND key")
        self.assert_sent(["KEY: 19"], FRONT_DESK)
        self.assertTrue(self.rig.wait_phone_said("HOOK: ON", FRONT_DESK))
        for key in "5551234":
            self.rig.press("key " + key)
        self.rig.mark()
        self.rig.press("SEND key")
        self.assert_sent(["DISP:", "DIAL: 5551234"], FRONT_DESK)
        self.assertTrue(xrig.wait_until(lambda: os.path.exists(self.recent_file()), 3))
        with open(self.recent_file()) as f:
            self.assertEqual(f.read(), "orvane-sip-dialer recent numbers 1\n5551234\n")
        self.rig.press("END key")
        # Dialling again: the first digits typed offer the number.
        self.rig.mark()
        self.rig.press("SEND key")
        self.assertTrue(self.rig.wait_sent("KEY: 19", FRONT_DESK))
        self.assertTrue(self.rig.wait_phone_said("HOOK: ON", FRONT_DESK))
        self.rig.press("key 5")  # the entry shows, with the focus
        self.rig.type("5")
        self.shot("recent-typed.png")
        # The offer opens just under the entry.
        entry = self.rig.find("entry edit", timeout=3)
        x, y, w, h = entry.rect
        self.assertTrue(xrig.wait_until(lambda: self.ink_under(entry.rect), 3),
                        "no completion offered")
        self.rig.click(x + w // 4, y + h + 8)
        self.assertTrue(xrig.wait_until(
            lambda: self.rig.find("entry edit").text() == "5551234", 3))
        self.rig.mark()
        self.rig.press("SEND key")
        self.assert_sent(["DISP:", "DIAL: 5551234"], FRONT_DESK)
        self.rig.press("END key")
        # The entry's menu redials and clears them.
        self.rig.press("SEND key")
        self.rig.press("key 0")
        entry = self.rig.find("entry edit", timeout=3)
        self.rig.click(*entry.middle(), button=3)
        # The menu opens at the pointer; its last two items are the recent numbers'.
        # (A popup menu is no part of the window's accessibility tree: keys choose.)
        time.sleep(0.5)
        self.rig.key("Up", "Up", "Right")
        time.sleep(0.3)
        self.shot("recent-menu.png")
        self.rig.mark()
        self.rig.key("Return")
        self.assert_sent(["DISP:", "DIAL: 5551234"], FRONT_DESK)
        self.rig.press("END key")
        self.rig.press("SEND key")
        self.rig.press("key 0")
        entry = self.rig.find("entry edit", timeout=3)
        self.rig.click(*entry.middle(), button=3)
        time.sleep(0.5)
        self.rig.key("Up", "Return")
        self.assertTrue(xrig.wait_until(lambda: open(self.recent_file()).read() ==
                                        "orvane-sip-dialer recent numbers 1\n", 3))


if __name__ == "__main__":
    xrig.main()
