"""Tests of the harness and of uidriver.exe itself, against msgboxprobe.exe:
the system message box of Wine and a small dialog of known layout (and the
toolkit's box of bigboxprobe.exe for link clicks)."""

import json
import time
import unittest

import sfxtest
from sfxtest import SfxTestCase

MB_OK, MB_YESNOCANCEL, MB_YESNO = 0x0, 0x3, 0x4
MB_ICONQUESTION, MB_DEFBUTTON2 = 0x20, 0x100
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7


class ExitCodeTests(SfxTestCase):
    def test_full_32_bit_exit_code_reaches_the_test(self):
        result = self.run_wine("cmd.exe", ["/c", "exit", str(0x20001004)], timeout=30)
        self.assertExitCode(result, 0x20001004)

    def test_exit_code_above_255(self):
        self.assertExitCode(self.run_wine("cmd.exe", ["/c", "exit", "1602"], timeout=30), 1602)

    def test_program_that_cannot_start_raises(self):
        with self.assertRaises(sfxtest.WineError):
            self.run_wine(self.path("missing.exe"), timeout=30)

    def test_time_limit_terminates_the_program(self):
        started = time.monotonic()
        with self.assertRaises(sfxtest.WineTimeout):
            self.run_wine("msgboxprobe.exe", ["Probe Timeout", "never answered"], timeout=2)
        self.assertLess(time.monotonic() - started, 20)
        self.assertTrue(sfxtest.window_gone(title="Probe Timeout", timeout_ms=3000))


class MessageBoxTests(SfxTestCase):
    caption = "Probe Box"

    def show(self, text="Do you want to continue?", box_type=MB_YESNOCANCEL | MB_ICONQUESTION, caption=None):
        process = self.start("msgboxprobe.exe", [caption or self.caption, text, hex(box_type)], timeout=60)
        box = sfxtest.wait_window(title=caption or self.caption, timeout_ms=15000)
        self.assertIsNotNone(box, "the message box did not appear")
        return process, box

    def finish(self, process, expected):
        result = process.wait(30)
        self.assertExitCode(result, expected)
        self.assertEqual(result.stdout, f"result {expected}\n")
        self.assertTrue(sfxtest.window_gone(title=self.caption, timeout_ms=3000))

    def test_wait_finds_the_box_by_title(self):
        process, box = self.show()
        self.assertEqual(box["class"], "#32770")
        self.assertEqual(box["title"], self.caption)
        self.assertEqual(box["pid"], process.pid)
        self.assertTrue(box["visible"])
        self.assertGreater(box["client"][0], 0)
        self.assertGreater(box["client"][1], 0)
        self.assertEqual(sfxtest.wait_window(title_contains="Probe B", cls="#32770")["hwnd"], box["hwnd"])
        self.assertEqual(sfxtest.wait_window(pid=process.pid)["hwnd"], box["hwnd"])
        self.assertEqual(sfxtest.wait_window(text_contains="want to continue")["hwnd"], box["hwnd"])
        sfxtest.send_keys("ESC", title=self.caption)
        self.finish(process, IDCANCEL)

    def test_list_shows_the_buttons_and_the_text(self):
        process, _ = self.show()
        controls = sfxtest.list_controls(title=self.caption)
        buttons = [(c["id"], c["text"]) for c in controls if c["class"] == "Button"]
        self.assertEqual(buttons, [(IDYES, "&Yes"), (IDNO, "&No"), (IDCANCEL, "Cancel")])
        yes = sfxtest.control(IDYES, title=self.caption)
        self.assertTrue(yes["default"] and yes["focused"] and yes["enabled"] and yes["visible"])
        text = sfxtest.control(0xFFFF, title=self.caption)
        self.assertEqual((text["class"], text["text"]), ("Static", "Do you want to continue?"))
        sfxtest.press(IDCANCEL, title=self.caption)
        self.finish(process, IDCANCEL)

    def test_text_prints_title_and_texts(self):
        process, _ = self.show(text="Grüße – ✓ 日本")
        lines = sfxtest.window_text(title=self.caption).splitlines()
        self.assertEqual(lines[0], self.caption)
        self.assertIn("Grüße – ✓ 日本", lines)
        sfxtest.press(IDNO, title=self.caption)
        self.finish(process, IDNO)

    def test_press_by_id(self):
        process, _ = self.show()
        sfxtest.press(IDNO, title=self.caption)
        self.finish(process, IDNO)

    def test_press_by_command(self):
        process, _ = self.show()
        sfxtest.press(IDYES, command=True, title=self.caption)
        self.finish(process, IDYES)

    def test_escape_cancels(self):
        process, _ = self.show()
        sfxtest.send_keys("ESC", title=self.caption)
        self.finish(process, IDCANCEL)

    def test_escape_by_posted_key(self):
        process, _ = self.show()
        sfxtest.send_keys("ESC", method="post", title=self.caption)
        self.finish(process, IDCANCEL)

    def test_enter_presses_the_default_button(self):
        process, box = self.show()
        self.assertEqual(box["focus"], IDYES)
        sfxtest.send_keys("ENTER", title=self.caption)
        self.finish(process, IDYES)

    def test_enter_presses_the_second_default_button(self):
        process, box = self.show(box_type=MB_YESNOCANCEL | MB_DEFBUTTON2)
        self.assertEqual(box["focus"], IDNO)
        self.assertTrue(sfxtest.control(IDNO, title=self.caption)["default"])
        sfxtest.send_keys("ENTER", title=self.caption)
        self.finish(process, IDNO)

    def test_tab_then_space_presses_the_next_button(self):
        process, _ = self.show()
        sfxtest.send_keys("TAB", "SPACE", title=self.caption)
        self.finish(process, IDNO)

    def test_close_ends_the_box(self):
        process, _ = self.show(box_type=MB_OK)
        result = sfxtest.uidriver("close", "--title", self.caption)
        self.assertEqual(result.code, 0, result.stderr)
        # Wine's message box answers its close box with IDCANCEL, even without a Cancel button.
        self.finish(process, IDCANCEL)

    def test_the_box_of_a_given_process(self):
        first, _ = self.show(caption=self.caption)
        second = self.start("msgboxprobe.exe", [self.caption, "second", hex(MB_OK)], timeout=60)
        self.assertIsNotNone(sfxtest.wait_window(pid=second.pid, text_contains="second", timeout_ms=15000))
        sfxtest.press(IDOK, title=self.caption, pid=second.pid)
        self.assertExitCode(second.wait(30), IDOK)
        sfxtest.press(IDNO, title=self.caption, pid=first.pid)
        self.assertExitCode(first.wait(30), IDNO)

    def test_keys_reach_a_box_in_the_background(self):
        first, _ = self.show()
        second = self.start("msgboxprobe.exe", [self.caption, "second", hex(MB_OK)], timeout=60)
        box = sfxtest.wait_window(pid=second.pid, timeout_ms=15000)
        self.assertIsNotNone(box)
        self.assertFalse(sfxtest.wait_window(pid=first.pid)["foreground"])
        sfxtest.send_keys("ESC", pid=first.pid)
        self.assertExitCode(first.wait(30), IDCANCEL)
        sfxtest.send_keys("ENTER", pid=second.pid)
        self.assertExitCode(second.wait(30), IDOK)

    def test_wait_times_out_quickly(self):
        started = time.monotonic()
        result = sfxtest.uidriver("wait", "--title", "No Such Window", "--timeout", "500")
        self.assertEqual(result.code, 1)
        self.assertEqual(result.output, "")
        self.assertLess(time.monotonic() - started, 10)
        self.assertIsNone(sfxtest.wait_window(title="No Such Window", timeout_ms=300))

    def test_killing_the_program_removes_its_window(self):
        process, _ = self.show()
        process.kill()
        self.assertTrue(sfxtest.window_gone(title=self.caption, timeout_ms=5000))

    def test_unknown_command_is_a_usage_error(self):
        with self.assertRaises(sfxtest.UiDriverError):
            sfxtest.uidriver("frobnicate")


class DialogTests(SfxTestCase):
    caption = "Probe Dialog"

    def setUp(self):
        super().setUp()
        self.process = self.start("msgboxprobe.exe", ["--dialog", self.caption], timeout=60)
        self.assertIsNotNone(sfxtest.wait_window(title=self.caption, timeout_ms=15000))

    def finish(self, expected):
        result = self.process.wait(30)
        self.assertExitCode(result, expected)
        return dict(line.split(" ", 1) for line in result.stdout.splitlines())

    def test_disabled_button_is_refused_unless_forced(self):
        self.assertFalse(sfxtest.control(102, title=self.caption)["enabled"])
        result = sfxtest.uidriver("press", "--title", self.caption, "--id", "102")
        self.assertEqual(result.code, 3)
        self.assertIn("disabled", result.stderr)
        result = sfxtest.uidriver("press", "--title", self.caption, "--id", "102", "--force", "--command")
        self.assertEqual(result.code, 0)
        self.finish(102)

    def test_settext_select_and_enter(self):
        self.assertEqual(sfxtest.uidriver("settext", "--title", self.caption, "--id", 100, "--text",
                                          "Ab \"c\" ✓").code, 0)
        items = sfxtest.uidriver("items", "--json", "--title", self.caption, "--id", 101).output.splitlines()
        self.assertEqual(len(items), 3)
        self.assertIn('"text":"Beta"', items[1])
        self.assertIn('"selected":true', items[1])
        self.assertEqual(sfxtest.uidriver("select", "--title", self.caption, "--id", 101, "--item", "Gamma").code, 0)
        sfxtest.send_keys("ENTER", title=self.caption)
        facts = self.finish(IDOK)
        self.assertEqual(facts, {"result": "1", "edit": "Ab \"c\" ✓", "combo": "2", "selchanges": "1"})

    def test_type_into_a_control(self):
        self.assertEqual(sfxtest.uidriver("type", "--title", self.caption, "--id", 100, "--text", "Zß ü").code, 0)
        sfxtest.press(IDCANCEL, title=self.caption)
        self.assertEqual(self.finish(IDCANCEL)["edit"], "Zß ü")

    def test_ctrl_c_copies_with_the_modifier_held(self):
        sfxtest.uidriver("settext", "--title", self.caption, "--id", 100, "--text", "copy me")
        sfxtest.clear_clipboard()
        self.assertIsNone(sfxtest.clipboard_text())
        # Focusing an edit box through the dialog selects its whole text.
        self.assertEqual(sfxtest.uidriver("focus", "--title", self.caption, "--id", 100).code, 0)
        sfxtest.send_keys("CTRL+C", title=self.caption)
        self.assertEqual(sfxtest.clipboard_text(timeout_ms=3000), "copy me")
        sfxtest.send_keys("ESC", title=self.caption)
        self.finish(IDCANCEL)


class ClipboardTests(SfxTestCase):
    def test_clipboard_text_round_trip(self):
        sfxtest.clear_clipboard()
        self.assertIsNone(sfxtest.clipboard_text(timeout_ms=200))
        self.assertExitCode(self.run_wine("msgboxprobe.exe", ["--set-clipboard", "Zeile 1\r\nZeile ✓"], timeout=30),
                            0)
        self.assertEqual(sfxtest.clipboard_text(), "Zeile 1\r\nZeile ✓")


class CommandLineTests(SfxTestCase):
    def test_arguments_reach_the_program_unchanged(self):
        caption = 'Probe "quoted" \\ tail\\'
        process = self.start("msgboxprobe.exe", [caption, "a  b\t\"c\"\\", hex(MB_OK)], timeout=60)
        self.assertIsNotNone(sfxtest.wait_window(title=caption, timeout_ms=15000))
        self.assertIn('a  b\t"c"\\', sfxtest.window_text(title=caption))
        sfxtest.send_keys("ENTER", title=caption)
        self.assertExitCode(process.wait(30), IDOK)

    def test_verbatim_command_line(self):
        process = self.start("msgboxprobe.exe", cmdline='msgboxprobe.exe "Probe Verbatim" "x y" 0')
        self.assertIsNotNone(sfxtest.wait_window(title="Probe Verbatim", text_contains="x y", timeout_ms=15000))
        sfxtest.press(IDOK, title="Probe Verbatim")
        self.assertExitCode(process.wait(30), IDOK)

    def test_environment_reaches_the_program_temp_included(self):
        # Wine takes TEMP from its registry, not from Linux; the harness sets it.
        temp = sfxtest.win_path(self.path("temp"))
        result = self.run_wine("cmd.exe", ["/c", "echo [%TEMP%] [%SFX_SOME_VALUE%]"],
                               env={"TEMP": temp, "SFX_SOME_VALUE": "v 1"}, timeout=30)
        self.assertExitCode(result, 0)
        self.assertEqual(result.stdout.strip(), f"[{temp}] [v 1]")


class LinkClickTests(SfxTestCase):
    def test_linkclick_clicks_the_first_link_character_or_fails_without_one(self):
        for text, first_link in (("Read www.example.com first.", 5), ("No link here.", None)):
            with self.subTest(text):
                process = self.start("bigboxprobe.exe", ["--direct", "--handler", "--text", text], timeout=60)
                box = sfxtest.wait_window(pid=process.pid, cls="#32770", timeout_ms=20000)
                self.assertIsNotNone(box)
                click = sfxtest.uidriver("linkclick", "--hwnd", box["hwnd"], "--id", 1001, "--json")
                if first_link is None:
                    self.assertEqual(click.code, 3)
                    self.assertIn("no link", click.stderr)
                else:
                    self.assertEqual(click.code, 0, click.stderr)
                    self.assertEqual(json.loads(click.output)["char"], first_link)
                sfxtest.wait_window(hwnd=box["hwnd"])  # the click has been handled
                sfxtest.press(IDOK, hwnd=box["hwnd"])
                result = process.wait(30)
                handled = "link http://www.example.com|www.example.com\n" if first_link is not None else ""
                self.assertEqual(result.stdout, handled + "result 1\n")


if __name__ == "__main__":
    unittest.main()
