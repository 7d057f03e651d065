"""The stub's start-up on real packages under Wine: the configuration block,
the user-interface levels, the help box and the log on standard output."""

import re
import unittest

import sfxtest
from sfxtest import SfxTestCase

BAD_PACKAGE = 0x20001004
BAD_ARCHIVE_TEXT = ("The setup file is corrupted. If you downloaded this file from the internet, "
                    "please download it again.")
END_MARKER = b";!@InstallEnd@!"
# Boost.Log's default line: local time with microseconds, thread id, level tag.
LINE_PREFIX = r"\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{6}\] \[0x[0-9a-f]{8}\] \[info\]    "


def log_messages(stdout):
    """The messages of the log lines, checking each line's form."""
    messages = []
    for line in stdout.splitlines():
        match = re.match(LINE_PREFIX + "(.*)$", line)
        if match:
            messages.append(match.group(1))
        elif messages:
            messages[-1] += "\n" + line  # a message with line breaks
        else:
            raise AssertionError(f"not a log line: {line!r}")
    return messages


class StartupTests(SfxTestCase):
    def package(self, config="[main]\nProductName=Studio\n", name="Setup.exe"):
        # The setup probe stands in for the product's setup; it exits with 0.
        with open(sfxtest.win_bin("setupprobe.exe"), "rb") as f:
            setup = f.read()
        archive = sfxtest.make_archive({"readme.txt": "files\n", "setup.exe": setup}, self.path("payload.7z"))
        return sfxtest.build_package(config, archive, self.path(name))

    def damaged_package(self):
        """A package whose configuration block has lost its end marker."""
        path = self.package()
        with open(path, "r+b") as f:
            data = f.read()
            at = data.find(END_MARKER)
            self.assertGreater(at, 0)
            f.seek(at)
            f.write(b"X" * len(END_MARKER))
        return path

    def test_missing_end_marker_in_a_silent_run_logs_the_box_and_ends_with_the_bad_package_code(self):
        result = self.run_wine(self.damaged_package(), ["/q"])
        self.assertExitCode(result, BAD_PACKAGE)
        self.assertEqual(log_messages(result.stdout), [
            f"MessageBox: text='{BAD_ARCHIVE_TEXT}', type=16",
            "Skipping MessageBox because UiLevel is Silent.",
        ])

    def test_valid_package_in_a_silent_run_succeeds_without_a_word(self):
        result = self.run_wine(self.package(), ["/q"], env={"SFX_PROBE_REPORT": sfxtest.win_path(self.path("probe.txt"))})
        self.assertExitCode(result, 0)
        self.assertIsNotNone(sfxtest.read_probe_report(self.path("probe.txt")), "the setup did not run")
        self.assertEqual(log_messages(result.stdout), [])

    def test_help_is_shown_even_in_a_silent_run_and_ends_with_zero(self):
        process = self.start(self.package(), ["/q", "/?"])
        box = sfxtest.wait_window(title="Setup Self-Extractor", pid=process.pid, timeout_ms=20000)
        self.assertIsNotNone(box, "the help box did not appear")
        text = sfxtest.window_text(hwnd=box["hwnd"])
        self.assertIn("Usage: setup.exe [parameter]", text)
        self.assertIn("/x [folderpath]", text)
        sfxtest.send_keys("ENTER", hwnd=box["hwnd"])
        result = process.wait(30)
        self.assertExitCode(result, 0)
        self.assertEqual(result.stdout, "", "the help box does not pass through the log")

    def test_error_box_is_shown_at_the_basic_level_and_its_answer_is_logged(self):
        process = self.start(self.damaged_package(), ["/qb"])
        # The configuration could not be read, so the caption is still the
        # application's own name.
        box = sfxtest.wait_window(title="Setup Self-Extractor", pid=process.pid, timeout_ms=20000)
        self.assertIsNotNone(box, "the error box did not appear")
        self.assertIn(BAD_ARCHIVE_TEXT, sfxtest.window_text(hwnd=box["hwnd"]))
        sfxtest.send_keys("ENTER", hwnd=box["hwnd"])
        result = process.wait(30)
        self.assertExitCode(result, BAD_PACKAGE)
        self.assertEqual(log_messages(result.stdout), [
            f"MessageBox: text='{BAD_ARCHIVE_TEXT}', type=16",
            "MessageBox return value: 1",
        ])

    def test_stub_without_a_block_is_a_damaged_package(self):
        result = self.run_wine(sfxtest.win_bin("sfxstub.exe"), ["/q"])
        self.assertExitCode(result, BAD_PACKAGE)
        self.assertIn(f"MessageBox: text='{BAD_ARCHIVE_TEXT}', type=16", log_messages(result.stdout))


if __name__ == "__main__":
    unittest.main()
