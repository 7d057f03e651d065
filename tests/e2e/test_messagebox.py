"""The toolkit's message box under Wine, shown by bigboxprobe.exe (and by the
stub for its help): button sets, captions, order and default button, the
sizes at 96 DPI, the keyboard, link clicks, copying, and screenshots of a few
boxes (PNG files under SFX_WORK/screenshots)."""

import os
import subprocess
import unittest

import sfxtest
from sfxtest import SfxTestCase

IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO, IDTRYAGAIN, IDCONTINUE = 1, 2, 3, 4, 5, 6, 7, 10, 11
NO_CANCEL, GROW_TO_TEXT, TOP_MOST, APP_WINDOW, FLASH = 0x01, 0x02, 0x08, 0x20, 0x40
WS_EX_TOPMOST, WS_EX_APPWINDOW = 0x00000008, 0x00040000
WS_THICKFRAME = 0x00040000
BS_DEFPUSHBUTTON = 0x1
TEXT_ID, ICON_ID = 1001, 1002
SCROLL_BAR = 17  # SM_CXVSCROLL of Wine's default theme at 96 DPI
CAPTION = "Big Box"

LONG_PARAGRAPH = " ".join(f"Word{i:03d} of a very long paragraph that wraps." for i in range(25))
TALL_TEXT = "\n".join(f"Line {i} of a tall text" for i in range(80))
GROWING_LINE = "of a text that grows the box, each line wider than the row of buttons"
GROWING_TEXT = "\n".join(f"Line {i:02d} {GROWING_LINE}" for i in range(32))


def height(rect):
    return rect[3] - rect[1]


def width(rect):
    return rect[2] - rect[0]


class BigBoxCase(SfxTestCase):
    def show(self, *args, text="Short message.", caption=CAPTION, box_type=0, flags=0):
        args = ["--type", hex(box_type), "--flags", hex(flags), "--caption", caption, "--text", text, *args]
        process = self.start("bigboxprobe.exe", args, timeout=90)
        box = sfxtest.wait_window(pid=process.pid, cls="#32770", timeout_ms=20000)
        self.assertIsNotNone(box, "the message box did not appear")
        return process, box

    def show_file(self, text, **kwargs):
        path = self.path("text.txt")
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        return self.show("--text-file", sfxtest.win_path(path), text="", **kwargs)

    def buttons(self, box):
        controls = sfxtest.list_controls(hwnd=box["hwnd"])
        return sorted((c for c in controls if c["class"] == "Button"), key=lambda c: c["rect"][0])

    def finish(self, process, expected):
        result = process.wait(30)
        self.assertExitCode(result, expected)
        self.assertTrue(result.stdout.endswith(f"result {expected}\n"), result.stdout)
        return result


class ButtonSetTests(BigBoxCase):
    def test_every_button_set_with_ids_captions_order_and_default(self):
        cases = [
            (0x00, [(IDOK, "OK")], IDOK),
            (0x01, [(IDOK, "OK"), (IDCANCEL, "Cancel")], IDOK),
            (0x02, [(IDABORT, "Cancel"), (IDRETRY, "Retry"), (IDIGNORE, "Ignore")], IDABORT),
            (0x03, [(IDYES, "Yes"), (IDNO, "No"), (IDCANCEL, "Cancel")], IDYES),
            (0x24, [(IDYES, "Yes"), (IDNO, "No")], IDYES),
            (0x124, [(IDYES, "Yes"), (IDNO, "No")], IDNO),
            (0x05, [(IDRETRY, "Retry"), (IDCANCEL, "Cancel")], IDRETRY),
            (0x06, [(IDCANCEL, "Cancel"), (IDTRYAGAIN, "Retry"), (IDCONTINUE, "Ignore")], IDCANCEL),
            (0x07, [(IDOK, "OK")], IDOK),
            (0x314, [(IDYES, "Yes"), (IDNO, "No")], IDYES),  # default index beyond the buttons: the first
        ]
        for box_type, expected, default in cases:
            with self.subTest(type=hex(box_type)):
                process, box = self.show(box_type=box_type)
                buttons = self.buttons(box)
                self.assertEqual([(b["id"], b["text"]) for b in buttons], expected)
                self.assertEqual([b["id"] for b in buttons if int(b["style"], 16) & 0xF == BS_DEFPUSHBUTTON],
                                 [default])
                self.assertEqual(box["defid"], default)
                self.assertEqual(box["focus"], default)
                last = expected[-1][0]
                sfxtest.press(last, hwnd=box["hwnd"])
                self.finish(process, last)

    def test_captions_come_from_the_string_table(self):
        process, box = self.show("--string", "Yes=&Ja", "--string", "No=&Nein", box_type=0x24)
        self.assertEqual([b["text"] for b in self.buttons(box)], ["&Ja", "&Nein"])
        sfxtest.press(IDNO, hwnd=box["hwnd"])
        self.finish(process, IDNO)

    def test_icon_of_the_type_and_none_without_icon_bits(self):
        process, box = self.show(box_type=0x24)
        icon = sfxtest.control(ICON_ID, hwnd=box["hwnd"])
        self.assertEqual(icon["rect"], [12, 12, 44, 44])
        self.assertEqual(sfxtest.control(TEXT_ID, hwnd=box["hwnd"])["rect"][0], 56)
        sfxtest.press(IDYES, hwnd=box["hwnd"])
        self.finish(process, IDYES)
        process, box = self.show(box_type=0)
        self.assertIsNone(sfxtest.control(ICON_ID, hwnd=box["hwnd"]))
        sfxtest.press(IDOK, hwnd=box["hwnd"])
        self.finish(process, IDOK)

    def test_empty_caption_shows_the_application_name(self):
        process = self.start("bigboxprobe.exe", ["--text", "No caption given."], timeout=90)
        box = sfxtest.wait_window(pid=process.pid, cls="#32770", timeout_ms=20000)
        self.assertEqual(box["title"], "BigBoxProbe")
        sfxtest.press(IDOK, hwnd=box["hwnd"])
        self.finish(process, IDOK)


class StyleTests(BigBoxCase):
    def test_top_most_and_app_window_flags_reach_the_window(self):
        process, box = self.show(flags=TOP_MOST | APP_WINDOW)
        exstyle = int(box["exstyle"], 16)
        self.assertTrue(exstyle & WS_EX_TOPMOST and exstyle & WS_EX_APPWINDOW, hex(exstyle))
        sfxtest.press(IDOK, hwnd=box["hwnd"])
        self.finish(process, IDOK)
        process, box = self.show()
        self.assertEqual(int(box["exstyle"], 16) & (WS_EX_TOPMOST | WS_EX_APPWINDOW), 0)
        sfxtest.press(IDOK, hwnd=box["hwnd"])
        self.finish(process, IDOK)


class SizeTests(BigBoxCase):
    def test_one_line_text_takes_the_button_row_width_and_the_least_height(self):
        process, box = self.show(text="Done.")
        self.assertEqual(box["client"], [270, 24 + 60 + 51])
        text = sfxtest.control(TEXT_ID, hwnd=box["hwnd"])
        self.assertEqual(text["rect"], [12, 12, 270, 72])
        self.assertEqual(int(box["style"], 16) & WS_THICKFRAME, 0, "a short text makes a fixed box")
        self.assertEqual(self.buttons(box)[0]["rect"], [270 - 12 - 90, 135 - 12 - 26, 270 - 12, 135 - 12])
        sfxtest.press(IDOK, hwnd=box["hwnd"])
        self.finish(process, IDOK)

    def test_long_paragraph_wraps_at_600_pixels(self):
        process, box = self.show(text=LONG_PARAGRAPH)
        text = sfxtest.control(TEXT_ID, hwnd=box["hwnd"])
        self.assertEqual(width(text["rect"]), 600)
        self.assertEqual(box["client"][0], 612)
        self.assertGreater(height(text["rect"]), 60, "the paragraph takes several lines")
        self.assertLessEqual(height(text["rect"]), 360)
        self.assertEqual(int(box["style"], 16) & WS_THICKFRAME, 0)
        sfxtest.press(IDOK, hwnd=box["hwnd"])
        self.finish(process, IDOK)

    def test_tall_text_scrolls_at_360_pixels_in_a_resizable_box_that_cannot_shrink(self):
        process, box = self.show_file(TALL_TEXT)
        text = sfxtest.control(TEXT_ID, hwnd=box["hwnd"])
        self.assertEqual(height(text["rect"]), 360)
        self.assertEqual(box["client"][1], 24 + 360 + 51)
        self.assertNotEqual(int(box["style"], 16) & WS_THICKFRAME, 0, "a scrolling box is resizable")
        ok = self.buttons(box)[0]
        first = box["rect"]
        outer = [width(first), height(first)]
        sfxtest.uidriver("resize", "--hwnd", box["hwnd"], "--width", outer[0] - 100, "--height", outer[1] - 100)
        smaller = sfxtest.wait_window(hwnd=box["hwnd"])
        self.assertEqual([width(smaller["rect"]), height(smaller["rect"])], outer)
        sfxtest.uidriver("resize", "--hwnd", box["hwnd"], "--width", outer[0] + 40, "--height", outer[1] + 30)
        larger = sfxtest.wait_window(hwnd=box["hwnd"])
        self.assertEqual(larger["client"], [box["client"][0] + 40, box["client"][1] + 30])
        grown = sfxtest.control(TEXT_ID, hwnd=box["hwnd"])
        self.assertEqual([width(grown["rect"]), height(grown["rect"])], [width(text["rect"]) + 40, 390])
        self.assertEqual(self.buttons(larger)[0]["rect"],
                         [ok["rect"][0] + 40, ok["rect"][1] + 30, ok["rect"][2] + 40, ok["rect"][3] + 30])
        sfxtest.press(IDOK, hwnd=box["hwnd"])
        self.finish(process, IDOK)

    def test_grow_to_text_shows_all_of_it_in_a_fixed_box_with_room_for_a_scroll_bar(self):
        process, box = self.show_file(GROWING_TEXT, flags=GROW_TO_TEXT)
        text = sfxtest.control(TEXT_ID, hwnd=box["hwnd"])
        self.assertGreater(height(text["rect"]), 360)
        self.assertEqual(int(box["style"], 16) & WS_THICKFRAME, 0)
        process2, plain = self.show(text=f"Line 00 {GROWING_LINE}", caption="Plain Box")
        plain_text = sfxtest.control(TEXT_ID, hwnd=plain["hwnd"])
        self.assertEqual(width(text["rect"]), width(plain_text["rect"]) + SCROLL_BAR)
        sfxtest.press(IDOK, hwnd=plain["hwnd"])
        self.finish(process2, IDOK)
        sfxtest.press(IDOK, hwnd=box["hwnd"])
        self.finish(process, IDOK)


class KeyboardTests(BigBoxCase):
    def test_escape_ends_with_cancel_even_without_a_cancel_button(self):
        process, box = self.show(box_type=0x24)
        sfxtest.send_keys("ESC", hwnd=box["hwnd"])
        self.finish(process, IDCANCEL)

    def test_no_cancel_ignores_escape_and_the_close_box(self):
        process, box = self.show(box_type=0x24, flags=NO_CANCEL)
        sfxtest.send_keys("ESC", hwnd=box["hwnd"])
        self.assertEqual(sfxtest.uidriver("close", "--hwnd", box["hwnd"]).code, 0)
        self.assertFalse(sfxtest.window_gone(hwnd=box["hwnd"], timeout_ms=1500), "the box ended")
        self.assertIsNone(process.poll())
        sfxtest.press(IDYES, hwnd=box["hwnd"])
        self.finish(process, IDYES)

    def test_enter_ends_with_the_focused_button(self):
        process, box = self.show(box_type=0x124)
        self.assertEqual(box["focus"], IDNO)
        sfxtest.send_keys("ENTER", hwnd=box["hwnd"])
        self.finish(process, IDNO)
        process, box = self.show(box_type=0x3)
        sfxtest.uidriver("focus", "--hwnd", box["hwnd"], "--id", IDCANCEL)
        sfxtest.send_keys("ENTER", hwnd=box["hwnd"])
        self.finish(process, IDCANCEL)

    def test_ctrl_c_without_selection_copies_the_whole_message_with_its_title(self):
        sfxtest.clear_clipboard()
        process, box = self.show("--title", "Heading line", text="Body of the message.")
        sfxtest.send_keys("CTRL+C", method="input", hwnd=box["hwnd"])
        copied = sfxtest.clipboard_text(timeout_ms=5000)
        self.assertIsNotNone(copied, "nothing was copied")
        self.assertIn("Heading line", copied)
        self.assertIn("Body of the message.", copied)
        self.assertIsNone(process.poll(), "Ctrl+C does not end the box")
        sfxtest.press(IDOK, hwnd=box["hwnd"])
        self.finish(process, IDOK)


class LinkTests(BigBoxCase):
    def test_click_on_a_link_calls_the_handler_which_suppresses_the_shell(self):
        process, box = self.show("--direct", "--handler", text="www.example.com is where it is explained.")
        text = sfxtest.control(TEXT_ID, hwnd=box["hwnd"])
        self.assertGreater(width(text["rect"]), 0)
        # Beside the link (on plain words) nothing happens.
        self.assertEqual(sfxtest.uidriver("click", "--hwnd", box["hwnd"], "--id", TEXT_ID, "--x", 160,
                                          "--y", 6).code, 0)
        # The label-mode text starts at the control's left edge: the link is there.
        self.assertEqual(sfxtest.uidriver("click", "--hwnd", box["hwnd"], "--id", TEXT_ID, "--x", 8,
                                          "--y", 6).code, 0)
        sfxtest.wait_window(hwnd=box["hwnd"])  # the clicks have been handled
        self.assertEqual(sfxtest.uidriver("windows", "--pid", process.pid).output.count("\n"), 1,
                         "only the box itself: no error box, no shell window")
        sfxtest.press(IDOK, hwnd=box["hwnd"])
        result = self.finish(process, IDOK)
        self.assertEqual(result.stdout, "link http://www.example.com|www.example.com\nresult 1\n")


class StubHelpTests(BigBoxCase):
    def test_help_is_shown_in_the_toolkit_box(self):
        process = self.start(sfxtest.win_bin("sfxstub.exe"), ["/?"], timeout=90)
        box = sfxtest.wait_window(pid=process.pid, cls="#32770", timeout_ms=20000)
        self.assertIsNotNone(box, "the help box did not appear")
        self.assertEqual(box["title"], "Setup Self-Extractor")
        text = sfxtest.control(TEXT_ID, hwnd=box["hwnd"])
        self.assertEqual(text["class"].upper(), "RICHEDIT50W")
        self.assertIn("Usage: setup.exe [parameter]", text["text"])
        self.assertIsNotNone(sfxtest.control(ICON_ID, hwnd=box["hwnd"]), "the information icon")
        self.assertEqual([(b["id"], b["text"]) for b in self.buttons(box)], [(IDOK, "OK")])
        sfxtest.send_keys("ENTER", hwnd=box["hwnd"])
        self.assertExitCode(process.wait(30), 0)


class ScreenshotTests(BigBoxCase):
    """Pictures for a person to look at; each test only checks that the file exists."""

    def capture(self, box, name):
        folder = os.path.join(sfxtest.config().work, "screenshots")
        os.makedirs(folder, exist_ok=True)
        out = os.path.join(folder, name + ".png")
        with open(os.path.join(sfxtest.config().wine_dir, "display"), encoding="utf-8") as f:
            display = f.read().strip()
        sfxtest.wait_window(hwnd=box["hwnd"])
        left, top, right, bottom = box["rect"]
        subprocess.run(["import", "-display", display, "-window", "root", "-crop",
                        f"{right - left}x{bottom - top}+{left}+{top}", out],
                       check=True, timeout=60, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        self.assertGreater(os.path.getsize(out), 0)
        print(f"\nscreenshot: {out}")
        return out

    def test_error_box_with_a_long_text(self):
        process, box = self.show(text="Could not extract the files.\n\n" + LONG_PARAGRAPH, caption="Setup Error",
                                 box_type=0x10, flags=FLASH | GROW_TO_TEXT)
        self.capture(box, "error-long-text")
        sfxtest.press(IDOK, hwnd=box["hwnd"])
        self.finish(process, IDOK)

    def test_yes_no_question(self):
        process, box = self.show(text="Do you really want to cancel the installation?", caption="Setup Question",
                                 box_type=0x24, flags=FLASH | GROW_TO_TEXT)
        self.capture(box, "question-yes-no")
        sfxtest.press(IDNO, hwnd=box["hwnd"])
        self.finish(process, IDNO)

    def test_help_box(self):
        process = self.start(sfxtest.win_bin("sfxstub.exe"), ["/?"], timeout=90)
        box = sfxtest.wait_window(pid=process.pid, cls="#32770", timeout_ms=20000)
        self.assertIsNotNone(box)
        self.capture(box, "help")
        sfxtest.send_keys("ENTER", hwnd=box["hwnd"])
        self.assertExitCode(process.wait(30), 0)


if __name__ == "__main__":
    unittest.main()
