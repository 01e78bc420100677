"""What the window shows on a wide screen (font B at 20 pixels): whole glyphs, pictures at
their own size, labels that fit."""

import xrig
from xrig import FRONT_DESK


class Looks(xrig.Conversation):
    screen = "1920x1080x24"

    def test_text_keeps_its_tails_and_status_pictures_their_size(self):
        # "Searching ..." on display line 0 while the search is out: the g keeps its tail.
        self.assertTrue(self.rig.find("display line 0", name="Searching ...", timeout=3))
        self.assertGreaterEqual(self.picture_of("display line 0").descender_depth(), 4)
        self.take_phone("Front Desk", FRONT_DESK)
        # The status icon shows its 48 x 48 bell as it is, not squeezed into its place.
        self.assertEqual((48, 48), self.rig.find("status icon").rect[2:])
        # Text typed into the entry edit (a console line): the tails are whole there too.
        self.rig.key("alt+l")
        self.assertTrue(self.rig.find("entry edit", timeout=3))
        self.rig.type("Searching gjpq")
        self.assertTrue(xrig.wait_until(lambda: self.text_of("entry edit") == "Searching gjpq", 3))
        self.assertGreaterEqual(self.picture_of("entry edit", 3).descender_depth(), 4)


if __name__ == "__main__":
    xrig.main()
