"""The package check under Wine: a package stamped by sfxpack passes, a cut
or extended one is refused before anything is extracted, a signed package
is checked through its certificate table, and /e skips the check."""

import os
import struct
import subprocess
import unittest

import sfxtest
from sfxtest import SfxTestCase

BAD_PACKAGE = 0x20001004
BAD_ARCHIVE_TEXT = "The setup file is corrupted."


def size_lines(expected, actual):
    return f"Expected file size: {expected}\nActual file size: {actual}"


class PackageCheckTests(SfxTestCase):
    def setUp(self):
        super().setUp()
        archive = sfxtest.make_archive({"setup.txt": "payload\n", "data/more.bin": bytes(range(256)) * 40},
                                       self.path("payload.7z"))
        self.archive = archive
        self.package = sfxtest.build_package("[main]\nProductName=Checked\n", archive, self.path("Setup.exe"))

    def run_extract_only(self, package, *extra):
        out = self.path("out")
        result = self.run_wine(package, [*extra, "/x", sfxtest.win_path(out), "/q"])
        return result, out

    def resize(self, delta):
        with open(self.package, "r+b") as f:
            f.seek(0, os.SEEK_END)
            size = f.tell()
            if delta < 0:
                f.truncate(size + delta)
            else:
                f.write(b"\0" * delta)
        return size

    def test_stamped_package_passes(self):
        result, out = self.run_extract_only(self.package)
        self.assertExitCode(result, 0)
        self.assertTrue(os.path.isfile(os.path.join(out, "setup.txt")))

    def test_cut_or_extended_package_is_refused_with_both_sizes(self):
        for delta in (-1, +1):
            with self.subTest(delta=delta):
                self.package = sfxtest.build_package("[main]\n", self.archive, self.path(f"Setup{delta}.exe"))
                size = self.resize(delta)
                result, out = self.run_extract_only(self.package)
                self.assertExitCode(result, BAD_PACKAGE)
                self.assertIn(BAD_ARCHIVE_TEXT, result.stdout)
                self.assertIn(size_lines(size, size + delta), result.stdout)
                self.assertFalse(os.path.exists(out), "nothing may be extracted")

    def test_package_without_the_size_resource_is_refused(self):
        # The resource directory names the resource as a counted UTF-16 string;
        # renaming it there removes the resource for the stub.
        name = struct.pack("<H", 11) + "_KVR_VERIFY".encode("utf-16-le")
        with open(self.package, "r+b") as f:
            data = f.read()
            at = data.find(name)
            self.assertGreater(at, 0)
            self.assertEqual(data.find(name, at + 1), -1)
            f.seek(at + len(name) - 2)
            f.write("Z".encode("utf-16-le"))
        result, out = self.run_extract_only(self.package)
        self.assertExitCode(result, BAD_PACKAGE)
        self.assertIn("MessageBox: text='Resource _KVR_VERIFY is not found.', type=16", result.stdout)
        self.assertFalse(os.path.exists(out))

    def test_signed_package_passes_through_its_certificate_table(self):
        key, cert = self.path("key.pem"), self.path("cert.pem")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                        "/CN=sfxstub test", "-keyout", key, "-out", cert], check=True, capture_output=True)
        signed = self.path("Signed.exe")
        subprocess.run(["osslsigncode", "sign", "-certs", cert, "-key", key, "-in", self.package, "-out", signed],
                       check=True, capture_output=True)
        result, out = self.run_extract_only(signed)
        self.assertExitCode(result, 0)
        self.assertTrue(os.path.isfile(os.path.join(out, "setup.txt")))

        size = os.path.getsize(signed)
        with open(signed, "ab") as f:
            f.write(b"\0")
        result, _ = self.run_extract_only(signed)
        self.assertExitCode(result, BAD_PACKAGE)
        self.assertIn(size_lines(size, size + 1), result.stdout)

    def test_external_archive_skips_the_check(self):
        self.resize(-100)  # a cut download can still extract another archive
        result, out = self.run_extract_only(self.package, "/e", sfxtest.win_path(self.archive))
        self.assertExitCode(result, 0)
        self.assertTrue(os.path.isfile(os.path.join(out, "data", "more.bin")))


if __name__ == "__main__":
    unittest.main()
