"""Packages of every codec and filter extracted by the stub under Wine: the
extracted tree must equal the archive's source tree byte for byte."""

import filecmp
import glob
import os
import unittest

import sfxtest
from sfxtest import SfxTestCase

BAD_PACKAGE = 0x20001004
SETUP_START_FAILED = 0x20001005
# Archives made by tests/win/data/make-archives.sh with Debian's 7zz, with
# the set of files each must hold.
ARCHIVES = {
    "lzma.7z": "basic", "lzma2.7z": "basic", "ppmd.7z": "basic", "bcj-lzma.7z": "basic",
    "bcj2.7z": "basic", "arm.7z": "basic", "armt.7z": "basic", "ppc.7z": "basic", "sparc.7z": "basic",
    "ia64.7z": "basic", "delta.7z": "basic", "copy.7z": "basic", "solid.7z": "basic",
    "nonsolid.7z": "basic", "special.7z": "special", "mt-lzma2.7z": "big",
}


def engine_data(*parts):
    return os.path.join(os.environ["SFX_ENGINE_DATA"], *parts)


def tree(root):
    """Relative paths of every file and folder below root ('/' ends a folder)."""
    entries = set()
    for folder, dirs, files in os.walk(root):
        rel = os.path.relpath(folder, root)
        for d in dirs:
            entries.add(os.path.normpath(os.path.join(rel, d)) + "/")
        for f in files:
            entries.add(os.path.normpath(os.path.join(rel, f)))
    return entries


class ExtractionTests(SfxTestCase):
    config = "[main]\nProductName=Codec test\n"

    def package_of(self, archive_name):
        return sfxtest.build_package(self.config, engine_data(archive_name), self.path(archive_name + ".exe"))

    def assertSameTree(self, extracted, expected):
        self.assertEqual(tree(extracted), tree(expected))
        for rel in tree(expected):
            if not rel.endswith("/"):
                self.assertTrue(filecmp.cmp(os.path.join(expected, rel), os.path.join(extracted, rel),
                                            shallow=False), rel)

    def test_every_codec_extracts_to_an_identical_tree(self):
        for archive, file_set in ARCHIVES.items():
            with self.subTest(archive=archive):
                out = self.path("out-" + archive)
                result = self.run_wine(self.package_of(archive), ["/x", sfxtest.win_path(out), "/q"], timeout=120)
                self.assertExitCode(result, 0)
                self.assertSameTree(out, engine_data("expected", file_set))

    def test_damaged_archive_ends_with_the_bad_package_code(self):
        out = self.path("out")
        result = self.run_wine(self.package_of("damaged.7z"), ["/x", sfxtest.win_path(out), "/q"])
        self.assertExitCode(result, BAD_PACKAGE)
        # A silent run does not report extraction errors at all.
        self.assertNotIn("MessageBox", result.stdout)

    def test_normal_run_extracts_into_a_fresh_temporary_folder_and_removes_it(self):
        temp = os.path.join(sfxtest.config().wine_dir, "prefix", "drive_c", "users", os.environ.get("USER", "root"),
                            "Temp")
        before = set(glob.glob(os.path.join(temp, "kvr*")))
        result = self.run_wine(self.package_of("lzma2.7z"), ["/q"])
        # The archive holds no setup.exe: its start fails after the
        # extraction, and the folder goes all the same.
        self.assertExitCode(result, SETUP_START_FAILED)
        self.assertEqual(set(glob.glob(os.path.join(temp, "kvr*"))), before, "the extraction folder stayed")

    def test_damaged_normal_run_removes_its_folder(self):
        temp = os.path.join(sfxtest.config().wine_dir, "prefix", "drive_c", "users", os.environ.get("USER", "root"),
                            "Temp")
        before = set(glob.glob(os.path.join(temp, "kvr*")))
        result = self.run_wine(self.package_of("damaged.7z"), ["/q"])
        self.assertExitCode(result, BAD_PACKAGE)
        self.assertEqual(set(glob.glob(os.path.join(temp, "kvr*"))), before, "the extraction folder stayed")

    def test_extract_only_into_the_current_directory_uses_the_executable_name(self):
        package = self.package_of("nonsolid.7z")
        # /x as the last argument takes no folder ("/x /q" would extract into "/q").
        result = self.run_wine(package, ["/q", "/x"], cwd=self.work)
        self.assertExitCode(result, 0)
        self.assertSameTree(self.path("nonsolid.7z"), engine_data("expected", "basic"))


if __name__ == "__main__":
    unittest.main()
