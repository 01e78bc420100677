"""The window at scale factor 2 (QT_SCALE_FACTOR=2): every glyph whole as at 1."""

import xrig
from xrig import FRONT_DESK


class Scaled(xrig.Conversation):
    screen = "1600x1200x24"
    env = {"QT_SCALE_FACTOR": "2"}

    def test_text_keeps_its_tails(self):
        self.assertTrue(self.rig.find("display line 0", name="Searching ...", timeout=3))
        self.assertGreaterEqual(self.picture_of("display line 0").descender_depth(), 8)
        self.take_phone("Front Desk", FRONT_DESK)
        self.rig.key("alt+l")
        self.assertTrue(self.rig.find("entry edit", timeout=3))
        self.rig.type("Searching gjpq")
        self.assertTrue(xrig.wait_until(lambda: self.text_of("entry edit") == "Searching gjpq", 3))
        self.assertGreaterEqual(self.picture_of("entry edit", 6).descender_depth(), 8)


if __name__ == "__main__":
    xrig.main()
