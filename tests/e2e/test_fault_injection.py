"""Faults at random moments: Cancel pressed at any point of a visible run, and
the disk filling up at different points of a silent one. Whatever the moment,
the run ends with its proper code and removes its extraction folder. A file
held open while the folder is removed keeps only itself and its folders.
The runs are random; SFX_FAULT_SEED repeats the seed a run prints."""

import os
import random
import time
import unittest

import sfxtest
from sfxtest import SfxTestCase
from test_folders import empty_folder, small_fs
from test_progress import probe_bytes, text_of

CANCELLED = 1602
BAD_PACKAGE = 0x20001004
SETUP_EXIT = 3010
CANCEL, YES = 2, 6
CANCEL_RUNS = 50
DISK_FULL_RUNS = 20
CANCEL_TEXT_BYTES = 12 << 20  # about two seconds of unpacking under Wine
SEED = int(os.environ.get("SFX_FAULT_SEED", time.time()))


def shared_path(*parts):
    path = os.path.join(sfxtest.config().work, "shared-faults", *parts)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    return path


def cancel_archive():
    """The setup probe and text that the stub needs a second or two to unpack
    under Wine (PPMd decodes slowly)."""
    out = shared_path(f"cancel-{CANCEL_TEXT_BYTES}.7z")
    if not os.path.exists(out):
        sfxtest.make_archive({"setup.exe": probe_bytes(), "data/text.txt": text_of(CANCEL_TEXT_BYTES, 17)}, out,
                             ["-m0=PPMd", "-mx=1"])
    return out


class FaultInjectionTests(SfxTestCase):
    def setUp(self):
        super().setUp()
        self.rng = random.Random(SEED)
        print(f"\nseed {SEED} (SFX_FAULT_SEED repeats it)")
        self.temp = self.path("temp")
        os.makedirs(self.temp)

    def env(self, temp):
        return {"SFX_PROBE_REPORT": sfxtest.win_path(self.path("probe.txt")), "SFX_PROBE_EXIT": str(SETUP_EXIT),
                "TEMP": sfxtest.win_path(temp), "TMP": sfxtest.win_path(temp)}

    def cancel_once(self, package, delay):
        """One visible run with Cancel pressed delay seconds after the
        progress window appeared: "cancelled" or "completed"."""
        process = self.start(package, [], env=self.env(self.temp), timeout=120)
        window = sfxtest.wait_window(pid=process.pid, text_contains="Cancel", timeout_ms=30000)
        if window is None:
            self.assertExitCode(process.wait(60), SETUP_EXIT)
            return "completed"
        time.sleep(delay)
        try:
            sfxtest.press(CANCEL, hwnd=window["hwnd"])
            # Short waits, so that a run that has finished is noticed at once.
            question = None
            deadline = time.monotonic() + 10
            while question is None and process.poll() is None and time.monotonic() < deadline:
                question = sfxtest.wait_window(pid=process.pid, text_contains="really want to cancel",
                                               timeout_ms=500)
            if question is not None:
                sfxtest.press(YES, hwnd=question["hwnd"])
        except sfxtest.UiDriverError:
            pass  # the window closed first: the run finished
        result = process.wait(60)
        self.assertIn(result.code, (CANCELLED, SETUP_EXIT), f"exit code {result.code}\n{result.stdout}")
        return "cancelled" if result.code == CANCELLED else "completed"

    def test_cancel_at_random_moments_leaves_no_folder(self):
        package = sfxtest.build_package("[main]\nProductName=Cancel Test\n", cancel_archive(), self.path("cancel.exe"))
        counts = {"cancelled": 0, "completed": 0, "leftovers": 0}
        for run in range(CANCEL_RUNS):
            delay = self.rng.uniform(0, 2)
            with self.subTest(run=run, delay=round(delay, 2)):
                counts[self.cancel_once(package, delay)] += 1
                left = os.listdir(self.temp)
                if left:
                    counts["leftovers"] += 1
                    empty_folder(self.temp)
                self.assertEqual(left, [], "the extraction folder was left behind")
        print(f"cancel: {CANCEL_RUNS} runs, {counts['cancelled']} cancelled, {counts['completed']} completed, "
              f"{counts['leftovers']} leftovers")
        self.assertGreater(counts["cancelled"], 0, "no run was cancelled: the archive unpacks too fast")

    def test_disk_full_at_random_points_ends_as_a_bad_package_and_leaves_the_disk_empty(self):
        small = small_fs()
        if small is None:
            self.skipTest("the 4 MiB tmpfs at SFX_WINE_DIR/small-fs is not mounted "
                          "(tools/wine-env.sh up mounts it only when run as root)")
        empty_folder(small)
        self.addCleanup(empty_folder, small)
        # The archive fits the free space, so the stub's own space check lets
        # it start; a filler written from Linux at a random moment then takes
        # the rest of the disk while the stub writes.
        archive = sfxtest.make_archive({"setup.exe": probe_bytes(),
                                        "data/random.bin": self.rng.randbytes(2 << 20)},
                                       self.path("full.7z"), ["-mx=0"])
        package = sfxtest.build_package("[main]\nProductName=Full Test\n", archive, self.path("full.exe"))
        filler_dir = self.path("filler")
        os.makedirs(filler_dir)
        counts = {"disk full": 0, "completed": 0}
        leftovers = 0
        for run in range(DISK_FULL_RUNS):
            delay = self.rng.uniform(0.0, 1.2)
            with self.subTest(run=run, delay=round(delay, 2)):
                process = self.start(package, ["/q"], env=self.env(small), timeout=60)
                time.sleep(delay)
                filler = os.path.join(small, "filler.bin")
                with open(filler, "wb") as f:
                    try:
                        while True:
                            f.write(b"\0" * 65536)
                            f.flush()
                    except OSError:
                        pass  # the disk is full
                result = process.wait(60)
                os.remove(filler)
                left = os.listdir(small)
                if left:
                    leftovers += 1
                    empty_folder(small)
                self.assertIn(result.code, (BAD_PACKAGE, SETUP_EXIT), hex(result.code or 0))
                counts["disk full" if result.code == BAD_PACKAGE else "completed"] += 1
                self.assertEqual(left, [], "the extraction folder was left on the full disk")
        print(f"disk full: {DISK_FULL_RUNS} runs, {counts['disk full']} ended by the full disk, "
              f"{counts['completed']} completed before it filled, {leftovers} leftovers")
        self.assertGreater(counts["disk full"], 0, "the disk never filled during a run")

    def test_a_file_held_open_during_the_clean_up_keeps_only_itself_and_its_parents(self):
        # The setup is a batch file that leaves a child process behind which
        # holds deep/held.txt open (its output) while the stub removes the
        # folder; everything else goes. Wine's cmd opens the file shareable
        # for deletion, so the file itself vanishes when the child ends and
        # only its folders stay; Windows keeps the file too.
        hold = ('@echo off\r\n'
                'start "" /b cmd /c "ping -n 8 127.0.0.1 > deep\\held.txt"\r\n'
                'exit 0\r\n')
        archive = sfxtest.make_archive({"hold.cmd": hold, "deep/other.txt": "removed", "deep/sub/more.txt": "removed",
                                        "top.txt": "removed"}, self.path("hold.7z"))
        package = sfxtest.build_package("[main]\nSetupFileName=hold.cmd\n", archive, self.path("hold.exe"))
        result = self.run_wine(package, ["/q"], timeout=60, env=self.env(self.temp))
        self.assertExitCode(result, 0)
        self.assertGreater(result.left, 0, "no process held the file during the clean-up")
        folders = os.listdir(self.temp)
        self.assertEqual(len(folders), 1, folders)
        root = os.path.join(self.temp, folders[0])
        left = set()
        for folder, dirs, files in os.walk(root):
            rel = os.path.relpath(folder, root)
            left.update(os.path.normpath(os.path.join(rel, name)) for name in dirs + files)
        self.assertLessEqual(left, {"deep", os.path.join("deep", "held.txt")}, "more than the held file was left")
        self.assertIn("deep", left)
        print(f"held file: left behind {sorted([folders[0]] + [os.path.join(folders[0], n) for n in left])}")
        empty_folder(self.temp)


if __name__ == "__main__":
    unittest.main()
