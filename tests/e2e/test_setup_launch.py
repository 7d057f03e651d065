"""The second half of a normal run: the setup that the package carries is
started from the extraction folder with the command line built from the
configuration and the stub's own arguments, its exit code becomes the stub's,
an .msi package is installed through msiexec.exe, the stamped values reach the
setup through SetupValues.dat, and the folder is removed afterwards."""

import os
import re
import shutil
import struct
import subprocess
import unittest
import uuid

import sfxtest
from sfxtest import SfxTestCase

SETUP_EXIT = 3010
SETUP_START_FAILED = 0x20001005
INSTALL_FAILURE = 1603
FORWARD = "[main]\nProductName=Launch Test\nForwardResourceDataFromSFX=1\nSetupParams=/silent\n"
FOLDER_PATTERN = r"[A-Za-z]:\\.+\\kvr[a-z0-9]{8}"


def probe_bytes():
    with open(sfxtest.win_bin("setupprobe.exe"), "rb") as f:
        return f.read()


def prefix_path(windows_path):
    """The Linux path of a C: path inside the Wine prefix."""
    drive, rest = windows_path[:2], windows_path[2:]
    if drive.upper() != "C:":
        raise AssertionError(f"not on drive C: {windows_path}")
    return os.path.join(sfxtest.config().wine_dir, "prefix", "drive_c", *[p for p in rest.split("\\") if p])


def stub_without_forwarded_resources(out):
    """Writes to out a copy of the stub whose RCDATA resources KVRID, KVRID2 and
    KV_ZORBIX_PHASH are renamed (first letter K -> X) in the resource
    directory, so that it carries no resource that it forwards. The renamed
    entries keep the directory's sort order ("X" < "_"), so _KVR_VERIFY is
    still found. Returns out."""
    with open(sfxtest.win_bin("sfxstub.exe"), "rb") as f:
        image = bytearray(f.read())
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H", image, pe + 6)[0], struct.unpack_from("<H", image, pe + 20)[0]
    table = pe + 24 + optional_size
    for i in range(sections):
        header = table + 40 * i
        if image[header:header + 8].rstrip(b"\0") == b".rsrc":
            raw_size, raw_offset = struct.unpack_from("<II", image, header + 16)
            break
    else:
        raise AssertionError("the stub has no .rsrc section")
    rsrc = slice(raw_offset, raw_offset + raw_size)
    data = image[rsrc]
    for name in ("KVRID", "KVRID2", "KV_ZORBIX_PHASH"):
        entry = struct.pack("<H", len(name)) + name.encode("utf-16-le")
        found = [m.start() for m in re.finditer(re.escape(entry), data)]
        if len(found) != 1:
            raise AssertionError(f"resource name {name} found {len(found)} times in .rsrc")
        data[found[0] + 2] = ord("X")
    image[rsrc] = data
    with open(out, "wb") as f:
        f.write(image)
    return out


class SetupLaunchTestCase(SfxTestCase):
    def package(self, config, files=None, name="package.exe", extra_args=(), stub=None):
        archive = sfxtest.make_archive(files or {"setup.exe": probe_bytes()}, self.path(name + ".7z"))
        return sfxtest.build_package(config, archive, self.path(name), extra_args, stub=stub)

    def run_package(self, package, args=("/q",), exit_code=SETUP_EXIT):
        """Runs the package; returns its result and the probe's report (None
        when the setup did not run)."""
        report = self.path("probe.txt")
        if os.path.exists(report):
            os.remove(report)
        env = {"SFX_PROBE_REPORT": sfxtest.win_path(report), "SFX_PROBE_EXIT": str(exit_code)}
        result = self.run_wine(package, list(args), timeout=120, env=env)
        return result, sfxtest.read_probe_report(report)

    def assertSetupRan(self, result, probe, exit_code=SETUP_EXIT):
        self.assertIsNotNone(probe, f"the setup did not run\n{result.stdout}")
        self.assertExitCode(result, exit_code)

    def extraction_folder(self, probe):
        """The extraction folder of the run: the started setup's folder, less
        a product subfolder; checks its name and place and that it is gone."""
        folder = probe.args[0].rsplit("\\", 1)[0]
        if folder.lower().endswith("\\product"):
            folder = folder[: -len("\\product")]
        self.assertRegex(folder, "^" + FOLDER_PATTERN + "$")
        self.assertEqual(folder.rsplit("\\", 1)[0] + "\\", self.temp_folder())
        self.assertFalse(os.path.exists(prefix_path(folder)), f"{folder} was not removed")
        return folder

    _temp_folder = None

    def temp_folder(self):
        """Wine's temporary folder as the stub sees it (GetTempPathW: %TMP%)."""
        if SetupLaunchTestCase._temp_folder is None:
            result = self.run_wine("cmd.exe", ["/c", "echo %TMP%"])
            folder = result.stdout.strip()
            SetupLaunchTestCase._temp_folder = folder if folder.endswith("\\") else folder + "\\"
        return SetupLaunchTestCase._temp_folder


class SetupStartTests(SetupLaunchTestCase):
    def test_silent_run_starts_the_setup_of_the_product_subfolder_and_passes_its_exit_code_on(self):
        package = self.package(FORWARD, {"product/setup.exe": probe_bytes(), "product/data.txt": "x"})
        result, probe = self.run_package(package)
        self.assertSetupRan(result, probe)
        folder = self.extraction_folder(probe)
        self.assertEqual(probe.args, [folder + "\\product\\setup.exe", "-m", folder + "\\SetupValues.dat",
                                      "/silent", "/q"])
        self.assertEqual(probe.working_folder.lower(), (folder + "\\product").lower())
        self.assertEqual(result.left, 0, "the setup was not waited for")

    def test_the_setups_exit_code_is_passed_on_unchanged(self):
        package = self.package("[main]\nProductName=Codes\n")
        for code in (0, 1, 0x80070005):
            with self.subTest(code=hex(code)):
                result, probe = self.run_package(package, exit_code=code)
                self.assertSetupRan(result, probe, code)
                self.extraction_folder(probe)

    def test_placeholders_in_the_parameters_are_expanded(self):
        config = ("[main]\nProductName=Places\n"
                  'SetupParams=/dir="[ProgramFilesFolder]\\App" /src=[ExtractDir]data /win=[WindowsFolder] '
                  "/keep=[NoSuchFolder]\n")
        result, probe = self.run_package(self.package(config))
        self.assertSetupRan(result, probe)
        folder = self.extraction_folder(probe)
        # A 32-bit program under WOW64 gets the 32-bit program folder.
        self.assertEqual(probe.args[1:], ["/dir=C:\\Program Files (x86)\\App", f"/src={folder}\\data",
                                          "/win=C:\\windows", "/keep=[NoSuchFolder]", "/q"])

    def test_the_64_bit_setup_is_chosen_under_wow64(self):
        files = {"setup.exe": probe_bytes(), "setup64.exe": probe_bytes()}
        cases = [("SetupFileName64=setup64.exe\n", "setup64.exe"),
                 ("SetupFileName64=\n", "setup.exe"),
                 ("SetupFileName=setup.exe\n[LANG_en-US]\nSetupFileName64=setup64.exe\n", "setup64.exe")]
        for i, (keys, started) in enumerate(cases):
            with self.subTest(keys=keys):
                config = "[main]\nProductName=Bits\nCulture=en-US\n" + keys
                result, probe = self.run_package(self.package(config, files, name=f"bits{i}.exe"))
                self.assertSetupRan(result, probe)
                self.assertEqual(probe.args[0].rsplit("\\", 1)[1], started)

    def test_a_setup_that_cannot_be_started_ends_with_the_start_failure_code(self):
        package = self.package("[main]\nProductName=Missing\nSetupFileName=missing.exe\n")
        before = set(os.listdir(prefix_path(self.temp_folder())))
        result, probe = self.run_package(package)
        self.assertIsNone(probe)
        self.assertExitCode(result, SETUP_START_FAILED)
        # The error box (logged, not shown at /q) gives the system's text and
        # the path tried last: the product subfolder's.
        match = re.search(r"MessageBox: text='(.+)\n\n(" + FOLDER_PATTERN + r")\\product\\missing\.exe', type=16",
                          result.stdout)
        self.assertIsNotNone(match, result.stdout)
        self.assertEqual(match.group(2).rsplit("\\", 1)[0] + "\\", self.temp_folder())
        self.assertFalse(os.path.exists(prefix_path(match.group(2))), "the extraction folder was not removed")
        left = {n for n in set(os.listdir(prefix_path(self.temp_folder()))) - before if n.startswith("kvr")}
        self.assertEqual(left, set())


class ForwardingTests(SetupLaunchTestCase):
    def forwarded(self, name="package.exe", extra_args=(), args=("/q",), stub=None):
        """The probe's report of a forwarding run of a package built with
        sfxpack's extra_args."""
        package = self.package(FORWARD, name=name, extra_args=extra_args, stub=stub)
        result, probe = self.run_package(package, args)
        self.assertSetupRan(result, probe)
        return probe

    def test_the_values_file_holds_the_stamped_values_and_the_file_name_token(self):
        cases = [
            ("stamped values in key order",
             "package.exe", ["--stamp", "KV_ZORBIX_PHASH=hash", "--stamp", "KVRID2=two", "--stamp", "KVRID=Grüße"],
             "KVRID=Grüße\r\nKVRID2=two\r\nKV_ZORBIX_PHASH=hash\r\n"),
            ("the token beats a stamped KVRID2",
             "product--phABCDEFGH12345678.exe", ["--stamp", "KVRID=one", "--stamp", "KVRID2=stamped"],
             "KVRID=one\r\nKVRID2=ABCDEFGH12345678\r\n"),
            ("the token of an all-zero stub", "setup--ph0123456789abcdefzz--phABCDEFGH12345678(1).exe", [],
             "KVRID2=ABCDEFGH12345678\r\n"),
            ("17 characters are no token", "setup--ph0123456789abcdefg.exe", ["--stamp", "KVRID=one"],
             "KVRID=one\r\n"),
            ("a trailer beside a stamped value is ignored", "package.exe",
             ["--stamp", "KVRID=one", "--data", "KVRID=trailer", "--data", "other=1"], "KVRID=one\r\n"),
        ]
        for label, name, extra, values in cases:
            with self.subTest(label):
                probe = self.forwarded(name, extra)
                folder = self.extraction_folder(probe)
                self.assertEqual(probe.args[1:3], ["-m", folder + "\\SetupValues.dat"])
                self.assertEqual(probe.values, values)

    def test_nothing_to_forward_writes_no_file_but_still_passes_its_path(self):
        # The standard stub's resources are all zero; the trailer is ignored
        # because those resources exist, even though they are empty.
        for label, extra in [("all-zero stub", []), ("trailer only", ["--data", "a=1", "--data", "b=2"])]:
            with self.subTest(label):
                probe = self.forwarded(extra_args=extra)
                folder = self.extraction_folder(probe)
                self.assertEqual(probe.args[1:], ["-m", folder + "\\SetupValues.dat", "/silent", "/q"])
                self.assertIsNone(probe.values, "no values file was expected")

    def test_a_stub_without_forwarded_resources_forwards_the_trailer(self):
        probe = self.forwarded(extra_args=["--data", "a=1", "--data", "b=x&y", "--data", "empty="],
                               stub=stub_without_forwarded_resources(self.path("stub.exe")))
        self.extraction_folder(probe)
        self.assertEqual(probe.values, "a=1\r\nb=x&y\r\n")

    def test_a_callers_values_switch_replaces_the_stubs_own(self):
        probe = self.forwarded(extra_args=["--stamp", "KVRID=one"], args=("/q", "/m=x"))
        self.assertEqual(probe.args[1:], ["/silent", "/q", "/m=x"])
        self.assertIsNone(probe.values_file)
        self.extraction_folder(probe)


WXS = """<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="{product}" Name="Sfx Launch Probe" Language="1033" Version="1.0.0"
           Manufacturer="sfxstub tests" UpgradeCode="{upgrade}">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"/>
    {condition}
    <Media Id="1" Cabinet="payload.cab" EmbedCab="yes"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFilesFolder">
        <Directory Id="INSTALLDIR" Name="{folder}">
          <Component Id="Payload" Guid="{component}">
            <File Id="PayloadTxt" Name="payload.txt" Source="payload.txt" KeyPath="yes"/>
          </Component>
        </Directory>
      </Directory>
    </Directory>
    <Feature Id="Main" Level="1"><ComponentRef Id="Payload"/></Feature>
  </Product>
</Wix>
"""


@unittest.skipUnless(shutil.which("wixl"), "wixl (Debian package wixl) builds the test's MSI package")
class MsiPackageTests(SetupLaunchTestCase):
    def msi(self, folder, product, installable):
        """An MSI package that installs payload.txt into ProgramFilesFolder\\folder;
        one that is not installable fails its launch condition."""
        source = self.path("msi-" + folder)
        os.makedirs(source, exist_ok=True)
        with open(os.path.join(source, "payload.txt"), "w") as f:
            f.write("installed by msiexec\n")
        condition = "" if installable else '<Condition Message="This package never installs.">0</Condition>'
        with open(os.path.join(source, "package.wxs"), "w") as f:
            f.write(WXS.format(product=product, upgrade=uuid.uuid4(), component=uuid.uuid4(), folder=folder,
                               condition=condition))
        out = os.path.join(source, "package.msi")
        done = subprocess.run(["wixl", "-o", out, "package.wxs"], cwd=source, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, timeout=120)
        self.assertEqual(done.returncode, 0, done.stdout.decode(errors="replace"))
        with open(out, "rb") as f:
            return f.read()

    def uninstall(self, product):
        self.run_wine("msiexec.exe", ["/x", "{" + product + "}", "/qn"], timeout=120)

    def install_source(self, product):
        key = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{" + product + "}"
        result = self.run_wine("reg.exe", ["query", key, "/v", "InstallSource"])
        match = re.search(r"InstallSource\s+REG_SZ\s+(.*)", result.stdout)
        return match.group(1).strip() if match else None

    def test_an_msi_package_is_installed_through_msiexec(self):
        # /qn and the stub's /q keep msiexec silent. Forwarding is on; that
        # it adds no -m here is not visible, as Wine's msiexec ignores -m.
        config = "[main]\nProductName=Msi\nForwardResourceDataFromSFX=1\nSetupFileName=Setup.MSI\nSetupParams=/qn\n"
        for installable, exit_code in [(True, 0), (False, INSTALL_FAILURE)]:
            with self.subTest(installable=installable):
                product = str(uuid.uuid4()).upper()
                folder = "SfxLaunch-" + product[:8]
                self.addCleanup(self.uninstall, product)
                package = self.package(config, {"Setup.MSI": self.msi(folder, product, installable)},
                                       name=f"msi-{installable}.exe")
                before = set(os.listdir(prefix_path(self.temp_folder())))
                result, _ = self.run_package(package)
                self.assertExitCode(result, exit_code)
                installed = os.path.join(sfxtest.config().wine_dir, "prefix", "drive_c", "Program Files (x86)",
                                         folder, "payload.txt")
                self.assertEqual(os.path.isfile(installed), installable)
                if installable:
                    # The package was opened from the extraction folder.
                    source = self.install_source(product)
                    self.assertRegex(source or "", "^" + re.escape(self.temp_folder()) + r"kvr[a-z0-9]{8}\\$")
                left = {n for n in set(os.listdir(prefix_path(self.temp_folder()))) - before if n.startswith("kvr")}
                self.assertEqual(left, set(), "the extraction folder was not removed")


if __name__ == "__main__":
    unittest.main()
