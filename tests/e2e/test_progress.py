"""The visible run under Xvfb: the progress window in the chosen language with
the per-cent title, the cancel question, the archive password, and the
language dialog, with screenshots of each window in the build tree."""

import glob
import os
import random
import re
import time
import unittest

import sfxtest
from sfxtest import SfxTestCase

CANCELLED = 1602
BAD_PACKAGE = 0x20001004
SETUP_EXIT = 3010
STATUS_TEXT, PROGRESS_BAR, PRODUCT_NAME, HEADER_ICON = 1001, 1000, 1002, 1008
CANCEL, OK, YES, NO = 2, 1, 6, 7
PASSWORD_EDIT, LANGUAGE_LIST = 1009, 1006


def shared_path(*parts):
    """Inputs shared by the tests of this module (built once per work tree)."""
    path = os.path.join(sfxtest.config().work, "shared", *parts)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    return path


def text_of(size, seed):
    """Deterministic word salad: compresses well and decodes slowly with PPMd."""
    rng = random.Random(seed)
    words = ["".join(rng.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 9)))
             for _ in range(5000)]
    parts, length = [], 0
    while length < size:
        line = " ".join(rng.choice(words) for _ in range(12)) + "\n"
        parts.append(line)
        length += len(line)
    return "".join(parts)[:size]


def probe_bytes():
    with open(sfxtest.win_bin("setupprobe.exe"), "rb") as f:
        return f.read()


def slow_archive():
    """An archive that takes the stub several seconds to unpack under Wine:
    the setup probe and 160 MiB of text, PPMd."""
    out = shared_path("slow.7z")
    if not os.path.exists(out):
        sfxtest.make_archive({"setup.exe": probe_bytes(), "data/text.txt": text_of(160 << 20, 7)}, out,
                             ["-m0=PPMd", "-mx=1"])
    return out


def small_archive(extra_args=(), name="small.7z"):
    out = shared_path(name)
    if not os.path.exists(out):
        sfxtest.make_archive({"setup.exe": probe_bytes(), "data/readme.txt": text_of(200_000, 3)}, out,
                             list(extra_args))
    return out


def temp_folders():
    """The extraction folders in Wine's temporary folder."""
    prefix = os.path.join(sfxtest.config().wine_dir, "prefix", "drive_c", "users")
    return set(glob.glob(os.path.join(prefix, "*", "Temp", "kvr*")) +
               glob.glob(os.path.join(prefix, "*", "AppData", "Local", "Temp", "kvr*")))


class ProgressTests(SfxTestCase):
    def package(self, archive, config="[main]\nProductName=Progress Test\n", name="package.exe"):
        return sfxtest.build_package(config, archive, self.path(name))

    def start_package(self, package, args=(), exit_code=SETUP_EXIT):
        env = {"SFX_PROBE_REPORT": sfxtest.win_path(self.path("probe.txt")), "SFX_PROBE_EXIT": str(exit_code)}
        return self.start(package, list(args), env=env, timeout=300)

    def progress_window(self, process, **selector):
        window = sfxtest.wait_window(pid=process.pid, text_contains=selector.pop("text_contains", None),
                                     timeout_ms=60000, **selector)
        self.assertIsNotNone(window, "no progress window appeared\n" + process.stderr)
        return window

    def test_visible_run_shows_the_chosen_language_and_the_per_cent_title(self):
        package = self.package(slow_archive(), "[main]\nProductName=Fortschritt\nCulture=de\n")
        before = temp_folders()
        process = self.start_package(package, ["/qb"])
        window = self.progress_window(process, title_contains="entpackt")
        controls = {c["id"]: c for c in sfxtest.list_controls(hwnd=window["hwnd"])}
        self.assertEqual(controls[STATUS_TEXT]["text"], "Dateien für die Installation werden vorbereitet...")
        self.assertEqual(controls[CANCEL]["text"], "Abbrechen")
        self.assertIn(PROGRESS_BAR, controls)
        sfxtest.screenshot(self.path("progress-plain.png"), hwnd=window["hwnd"])
        # The title follows the progress: "N % entpackt..." with N rising.
        seen = set()
        deadline = time.monotonic() + 120
        while process.poll() is None and time.monotonic() < deadline:
            try:
                title = sfxtest.wait_window(hwnd=window["hwnd"], timeout_ms=500)["title"]
            except (TypeError, sfxtest.UiDriverError):
                break
            match = re.fullmatch(r"(\d+) % entpackt\.\.\.", title)
            self.assertIsNotNone(match, title)
            seen.add(int(match.group(1)))
        result = process.wait(240)
        self.assertExitCode(result, SETUP_EXIT)
        self.assertTrue(any(0 < n < 100 for n in seen), f"per-cent values seen: {sorted(seen)}")
        self.assertEqual(temp_folders() - before, set(), "the extraction folder was not removed")

    def test_large_layout_shows_the_product_name_and_the_icon(self):
        package = self.package(slow_archive(), "[main]\nProductName=Pretty Product\nSfxProgressPretty=1\n")
        process = self.start_package(package)
        window = self.progress_window(process, text_contains="Pretty Product")
        controls = {c["id"]: c for c in sfxtest.list_controls(hwnd=window["hwnd"])}
        self.assertEqual(controls[PRODUCT_NAME]["text"], "Pretty Product")
        self.assertIn(HEADER_ICON, controls)
        self.assertLessEqual(controls[HEADER_ICON]["rect"][2], controls[STATUS_TEXT]["rect"][0],
                             "the texts start right of the icon")
        sfxtest.screenshot(self.path("progress-pretty.png"), hwnd=window["hwnd"])
        self.answer_cancel_question(process, window, YES)
        self.assertExitCode(process.wait(120), CANCELLED)

    def answer_cancel_question(self, process, window, answer):
        sfxtest.press(CANCEL, hwnd=window["hwnd"])
        question = sfxtest.wait_window(pid=process.pid, text_contains="really want to cancel", timeout_ms=30000)
        self.assertIsNotNone(question, "no cancel question")
        sfxtest.screenshot(self.path("cancel-question.png"), hwnd=question["hwnd"])
        sfxtest.press(answer, hwnd=question["hwnd"])

    def cancel_question(self, process, answer):
        window = self.progress_window(process, title_contains="Extracting")
        self.answer_cancel_question(process, window, answer)

    def test_cancel_answered_yes_ends_with_1602_and_removes_the_folder(self):
        before = temp_folders()
        process = self.start_package(self.package(slow_archive()))
        self.cancel_question(process, YES)
        result = process.wait(120)
        self.assertExitCode(result, CANCELLED)
        self.assertEqual(temp_folders() - before, set(), "the extraction folder was not removed")
        self.assertIsNone(sfxtest.read_probe_report(self.path("probe.txt")), "the setup must not run")

    def test_cancel_answered_no_lets_the_run_complete(self):
        process = self.start_package(self.package(slow_archive()))
        self.cancel_question(process, NO)
        result = process.wait(240)
        self.assertExitCode(result, SETUP_EXIT)
        self.assertIsNotNone(sfxtest.read_probe_report(self.path("probe.txt")), "the setup did not run")

    def password_run(self, password=None, press_button=OK, screenshot=None):
        archive = small_archive(["-pSecret"], name="secret.7z")
        out = self.path("out")
        process = self.start_package(self.package(archive), ["/x", sfxtest.win_path(out), "/qb"])
        dialog = sfxtest.wait_window(pid=process.pid, title="Setup Self-Extractor", timeout_ms=60000)
        self.assertIsNotNone(dialog, "no password dialog\n" + process.stderr)
        self.assertIsNotNone(sfxtest.control(PASSWORD_EDIT, hwnd=dialog["hwnd"]))
        if password is not None:
            sfxtest.uidriver("settext", "--hwnd", dialog["hwnd"], "--id", PASSWORD_EDIT, "--text", password)
        if screenshot:
            sfxtest.screenshot(self.path(screenshot), hwnd=dialog["hwnd"])
        sfxtest.press(press_button, hwnd=dialog["hwnd"])
        return process, out

    def test_the_right_password_extracts(self):
        process, out = self.password_run("Secret", screenshot="password.png")
        # The extract-only note follows; close it.
        note = sfxtest.wait_window(pid=process.pid, text_contains="successfully extracted", timeout_ms=60000)
        self.assertIsNotNone(note)
        sfxtest.press(OK, hwnd=note["hwnd"])
        self.assertExitCode(process.wait(60), 0)
        self.assertTrue(os.path.isfile(os.path.join(out, "data", "readme.txt")))

    def test_a_wrong_password_ends_with_the_damaged_package_message(self):
        process, out = self.password_run("Wrong")
        error = sfxtest.wait_window(pid=process.pid, text_contains="corrupted", timeout_ms=60000)
        self.assertIsNotNone(error, "no damaged-package message")
        sfxtest.press(OK, hwnd=error["hwnd"])
        self.assertExitCode(process.wait(60), BAD_PACKAGE)

    def test_cancelling_the_password_ends_with_1602(self):
        process, _ = self.password_run(press_button=CANCEL)
        self.assertExitCode(process.wait(60), CANCELLED)


class LanguageDialogTests(SfxTestCase):
    config = ("[main]\nProductName=Multi\n"
              "[LANG_de-DE]\nProductName=Mehrsprachig\n"
              "[LANG_fr-FR]\nProductName=Multilingue\n")

    def start_package(self, args=()):
        package = sfxtest.build_package(self.config, small_archive(), self.path("multi.exe"))
        env = {"SFX_PROBE_REPORT": sfxtest.win_path(self.path("probe.txt")), "SFX_PROBE_EXIT": "0"}
        return self.start(package, list(args), env=env, timeout=300)

    def language_dialog(self, process):
        # The first offered culture is preselected (neither matches the
        # user's), so the dialog speaks German.
        dialog = sfxtest.wait_window(pid=process.pid, cls="#32770", text_contains="Deutsch", timeout_ms=60000)
        self.assertIsNotNone(dialog, "no language dialog\n" + process.stderr)
        self.assertIsNotNone(sfxtest.control(LANGUAGE_LIST, hwnd=dialog["hwnd"]))
        return dialog

    def items(self, dialog):
        result = sfxtest.uidriver("items", "--hwnd", dialog["hwnd"], "--id", LANGUAGE_LIST, "--json")
        return [line for line in result.output.splitlines() if line]

    def test_offers_the_languages_and_ok_switches_the_texts(self):
        process = self.start_package()
        dialog = self.language_dialog(process)
        items = "\n".join(self.items(dialog))
        self.assertIn("Deutsch", items)
        self.assertIn("Fran", items)
        sfxtest.screenshot(self.path("language.png"), hwnd=dialog["hwnd"])
        self.assertEqual(dialog["title"], "Installationssprache")
        sfxtest.uidriver("select", "--hwnd", dialog["hwnd"], "--id", LANGUAGE_LIST, "--item", "Français (France)")
        sfxtest.press(OK, hwnd=dialog["hwnd"])
        window = sfxtest.wait_window(pid=process.pid, title_contains="Extraction", timeout_ms=60000)
        self.assertIsNotNone(window, "the progress window is not in French")
        self.assertExitCode(process.wait(120), 0)

    def test_cancel_ends_with_1602(self):
        process = self.start_package()
        dialog = self.language_dialog(process)
        sfxtest.press(CANCEL, hwnd=dialog["hwnd"])
        self.assertExitCode(process.wait(60), CANCELLED)

    def test_a_language_on_the_command_line_suppresses_the_dialog(self):
        process = self.start_package(["/l", "fr-FR"])
        window = sfxtest.wait_window(pid=process.pid, title_contains="Extraction", timeout_ms=60000)
        # Nobody answers a language dialog here, and it would come first: the
        # progress window appearing at all shows that there was none.
        self.assertIsNotNone(window, "no French progress window")
        self.assertExitCode(process.wait(120), 0)


if __name__ == "__main__":
    unittest.main()
