"""Attacks on the elevated stub started from a download folder: DLLs planted
beside the package, extraction folders prepared under the names the stub
would choose, archive entries whose names or links lead out of the
extraction folder. In every case nothing outside the extraction folder may be
read, written or removed.

Wine cannot show everything: it does not enforce security descriptors, it
prefers its own builtin DLLs for the executable's imports whatever the image
asks for, and it has no alternate data streams; docs/security.md says what
each test covers."""

import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest

import sfxtest
from sfxtest import SfxTestCase
from test_progress import probe_bytes

BAD_PACKAGE = 0x20001004
SETUP_EXIT = 3010
CONFIG = "[main]\nProductName=Attack Test\n"
ALPHABET = "abcdefghijklmnopqrstuvwxyz0123456789"
PACKAGE_NAME = "plant-test.exe"
# DLLs the stub loads by name at run time.
BY_NAME_DLLS = ["mlang.dll", "msftedit.dll", "shell32.dll", "comctl32.dll", "uxtheme.dll"]
# Wine prefers its builtin DLLs; for these two, which the executable does not
# import, the package's own Wine settings make it prefer a DLL found on the
# search path, as Windows does, so that only the stub's restriction to the
# system folder keeps the decoy out.
NATIVE_FIRST = ["mlang", "msftedit"]

DECOY_SOURCE = r"""
#include <windows.h>
/* A decoy: when loaded, it leaves "<its own path>.loaded" beside itself. */
BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t path[MAX_PATH + 8];
        DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            lstrcatW(path, L".loaded");
            HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
            if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
        }
    }
    return TRUE;
}
"""


def cross_tool(*names):
    for name in names:
        found = shutil.which(name)
        if found:
            return found
    return None


def shared_path(*parts):
    path = os.path.join(sfxtest.config().work, "shared", *parts)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    return path


def decoy_dll():
    """A harmless DLL of our own that marks its loading."""
    out = shared_path("decoy.dll")
    if os.path.exists(out):
        return out
    compiler = cross_tool("i686-w64-mingw32-gcc-posix", "i686-w64-mingw32-gcc")
    if compiler is None:
        raise unittest.SkipTest("no i686-w64-mingw32-gcc to build the decoy DLL")
    source = shared_path("decoy.c")
    with open(source, "w") as f:
        f.write(DECOY_SOURCE)
    subprocess.run([compiler, "-shared", "-O1", "-s", "-o", out, source], check=True, timeout=120)
    return out


def imported_dlls(exe):
    """The DLL names of the executable's import table."""
    objdump = cross_tool("i686-w64-mingw32-objdump")
    if objdump is None:
        raise unittest.SkipTest("no i686-w64-mingw32-objdump to list the imports")
    text = subprocess.run([objdump, "-p", exe], check=True, stdout=subprocess.PIPE, timeout=60).stdout.decode()
    return sorted({name.lower() for name in re.findall(r"DLL Name: (\S+)", text)})


def loaded_dlls(stderr):
    """(path, "native" or "builtin") of every module Wine reports with
    +loaddll. For a builtin DLL Wine names the file it found on the search
    path, even one it did not load: only native ones were read from there."""
    return [(path.replace("\\\\", "\\"), kind)
            for path, kind in re.findall(r'Loaded L"([^"]+)" at \S+: (\w+)', stderr)]


def msvcrt_rand_names(seed, count=1):
    """What the runtime's rand() (msvcrt's generator) gives after srand(seed):
    the folder names a stub that draws them from it would choose."""
    state = seed & 0xFFFFFFFF
    names = []
    for _ in range(count):
        name = "kvr"
        for _ in range(8):
            state = (state * 214013 + 2531011) & 0xFFFFFFFF
            name += ALPHABET[((state >> 16) & 0x7FFF) % 36]
        names.append(name)
    return names


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def tree_of(root):
    """{relative path: bytes or None for a folder or a link} below root."""
    tree = {}
    for folder, dirs, files in os.walk(root):
        for name in dirs + files:
            full = os.path.join(folder, name)
            rel = os.path.relpath(full, root)
            if os.path.islink(full) or os.path.isdir(full):
                tree[rel] = None
            else:
                with open(full, "rb") as f:
                    tree[rel] = f.read()
    return tree


class AttackTests(SfxTestCase):
    def package(self, archive, name="package.exe", folder=None):
        return sfxtest.build_package(CONFIG, archive, os.path.join(folder or self.work, name))

    def run_package(self, package, args=(), env=None, cwd=None, timeout=180):
        full_env = {"SFX_PROBE_REPORT": sfxtest.win_path(self.path("probe.txt")),
                    "SFX_PROBE_EXIT": str(SETUP_EXIT),
                    "TMP": sfxtest.win_path(self.temp), "TEMP": sfxtest.win_path(self.temp)}
        full_env.update(env or {})
        return self.run_wine(package, list(args), timeout=timeout, env=full_env, cwd=cwd)

    def setUp(self):
        super().setUp()
        # The run's own temporary folder, so that its extraction folder is the
        # only kvr* entry there.
        self.temp = self.path("temp")
        os.makedirs(self.temp)

    def assertTempEmpty(self):
        self.assertEqual(os.listdir(self.temp), [], "the extraction folder was left behind")

    # --- planted DLLs ------------------------------------------------------

    def test_every_import_is_a_system_dll_that_is_never_looked_for_beside_the_package(self):
        # Windows loads these from the system folder only (KnownDLLs) or, for
        # the common controls, from the side-by-side store the manifest names.
        # Any other import (uxtheme.dll, an API set that Windows 7 lacks) would
        # be searched for beside the package first, before the entry point
        # could restrict the search.
        system = {"advapi32.dll", "comctl32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll",
                  "oleaut32.dll", "shell32.dll", "shlwapi.dll", "user32.dll"}
        self.assertEqual(set(imported_dlls(sfxtest.win_bin("sfxstub.exe"))) - system, set())

    def test_dlls_planted_beside_the_package_are_never_loaded(self):
        downloads = self.path("downloads")
        os.makedirs(downloads)
        # A named culture: the string tables of a culture are looked up through mlang.dll.
        package = sfxtest.build_package(CONFIG + "Culture=de-DE\n",
                                        sfxtest.make_archive({"setup.exe": probe_bytes()}, self.path("setup.7z")),
                                        os.path.join(downloads, PACKAGE_NAME))
        decoy = decoy_dll()
        names = sorted(set(imported_dlls(package)) | set(BY_NAME_DLLS))
        for name in names:
            shutil.copy(decoy, os.path.join(downloads, name))
        key = rf"HKCU\Software\Wine\AppDefaults\{PACKAGE_NAME}\DllOverrides"
        for name in NATIVE_FIRST:
            done = self.run_wine("reg", ["add", key, "/v", name, "/d", "native,builtin", "/f"])
            self.assertExitCode(done, 0)
        self.addCleanup(lambda: self.run_wine("reg", ["delete", rf"HKCU\Software\Wine\AppDefaults\{PACKAGE_NAME}",
                                                      "/f"]))

        # Started from the download folder, which is also its current folder.
        result = self.run_package(package, ["/q"], env={"WINEDEBUG": "+loaddll"}, cwd=downloads)
        self.assertExitCode(result, SETUP_EXIT)
        loaded = loaded_dlls(result.stderr)
        listing = "\n".join(f"{path} ({kind})" for path, kind in loaded)
        self.assertTrue(any(path.lower().endswith("\\mlang.dll") for path, _ in loaded),
                        "mlang.dll was not loaded at all: the test does not reach the load it guards\n" + listing)
        planted = sfxtest.win_path(downloads).lower() + "\\"
        from_downloads = [path for path, kind in loaded
                          if kind == "native" and path.lower().startswith(planted) and path.lower().endswith(".dll")]
        self.assertEqual(from_downloads, [], "DLLs loaded from the package's folder\n" + listing)
        self.assertEqual([n for n in os.listdir(downloads) if n.endswith(".loaded")], [])
        self.assertTempEmpty()

    # --- prepared extraction folders ---------------------------------------

    def test_folders_prepared_under_predictable_names_are_not_used(self):
        # A stub that drew its names from the runtime's generator, seeded with
        # the time in seconds XOR the process id, can be foreseen: prepare the
        # name of every seed of the next seconds and of every likely Wine
        # process id, alternately as a folder holding a planted file and as a
        # plain file. The stub must neither write into nor remove any of them.
        package = self.package(sfxtest.make_archive({"setup.exe": probe_bytes()}, self.path("setup.7z")))
        now = int(time.time())
        planted = {}
        for second in range(now - 1, now + 12):
            for pid in range(4, 0x1000, 4):
                name = msvcrt_rand_names(second ^ pid)[0]
                if name in planted:
                    continue
                path = os.path.join(self.temp, name)
                if second % 2 == 0:
                    os.mkdir(path)
                    with open(os.path.join(path, "planted.dll"), "wb") as f:
                        f.write(name.encode())
                    planted[name] = "folder"
                else:
                    with open(path, "wb") as f:
                        f.write(name.encode())
                    planted[name] = "file"

        result = self.run_package(package, ["/q"])
        self.assertExitCode(result, SETUP_EXIT)
        report = sfxtest.read_probe_report(self.path("probe.txt"))
        self.assertIsNotNone(report, "the setup did not run")
        used = report.working_folder.rstrip("\\").rsplit("\\", 1)[-1]
        self.assertNotIn(used, planted, "the setup ran in a prepared folder")
        left = set(os.listdir(self.temp))
        self.assertEqual(left, set(planted), "prepared entries removed, or the run's folder left behind")
        changed = []
        for name, kind in planted.items():
            path = os.path.join(self.temp, name)
            if kind == "folder":
                ok = os.listdir(path) == ["planted.dll"] and read_bytes(os.path.join(path, "planted.dll")) == name.encode()
            else:
                ok = os.path.isfile(path) and read_bytes(path) == name.encode()
            if not ok:
                changed.append(name)
        self.assertEqual(changed, [], "prepared entries were written into")

    # --- entries that leave the folder ---------------------------------------

    def escape_archive(self, name, entry):
        """setup.exe and an entry stored under the name entry (any text: the
        archive is renamed in place, so 7zz's own path checks do not apply)."""
        out = self.path(name + ".7z")
        sfxtest.make_archive({"setup.exe": probe_bytes(), "evil.txt": "planted by the archive"}, out)
        done = subprocess.run([sfxtest.config().sevenzip, "rn", "-bd", out, "evil.txt", entry],
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
        self.assertEqual(done.returncode, 0, done.stdout.decode(errors="replace"))
        return out

    def escape_cases(self, outside):
        # The 7z format separates folders with "/" only; a stored backslash
        # is an ordinary character (the engine turns it into a private-use
        # one), so every Windows form is written with slashes.
        unix_outside = sfxtest.win_path(outside)[2:].replace("\\", "/")
        return [
            ("dotdot", "../../outside/evil.txt"),
            ("dotdot-inner", "sub/../../../outside/evil.txt"),
            ("drive", "Z:" + unix_outside + "/evil.txt"),
            ("drive-relative", "Z:evil.txt"),
            ("root", unix_outside + "/evil.txt"),
            ("long-prefix", "//?/Z:" + unix_outside + "/evil.txt"),
            ("device-namespace", "//./Z:" + unix_outside + "/evil.txt"),
            ("unc", "//localhost/share/evil.txt"),
            ("stream", "setup.exe:evil.txt"),
            ("device", "CON"),
            ("device-extension", "sub/NUL.txt"),
        ]

    def assertOutsideUntouched(self, outside, before):
        self.assertEqual(tree_of(outside), before, "the folder outside the extraction folder changed")

    def test_stored_backslashes_are_part_of_the_name(self):
        # "..\..\outside\evil.txt" stored in a 7z archive is one name with
        # backslashes in it, not a path: it lands inside the folder under a
        # name the engine makes harmless, and the run goes on.
        outside = self.path("outside")
        os.makedirs(outside)
        package = self.package(self.escape_archive("backslashes", r"..\..\outside\evil.txt"))
        target = self.path("x", "out")
        result = self.run_package(package, ["/x", sfxtest.win_path(target), "/q"])
        self.assertExitCode(result, 0)
        self.assertEqual(os.listdir(outside), [])
        landed = [name for name in os.listdir(target) if name.endswith("evil.txt")]
        self.assertEqual(len(landed), 1, os.listdir(target))
        self.assertNotIn("\\", landed[0])

    def test_entries_that_leave_the_folder_fail_as_a_damaged_package(self):
        # Both folder kinds: /x DIR (kept after a failure) and a normal run
        # (removed). The extraction folders sit two levels below the work
        # folder, so "..\..\outside" names the outside folder from either.
        outside = self.path("outside")
        os.makedirs(outside)
        with open(os.path.join(outside, "keep.txt"), "wb") as f:
            f.write(b"keep")
        before = tree_of(outside)
        self.temp = self.path("t", "temp")
        os.makedirs(self.temp)
        for name, entry in self.escape_cases(outside):
            with self.subTest(entry=entry):
                package = self.package(self.escape_archive(name, entry), name + ".exe")
                target = self.path("x", name)
                result = self.run_package(package, ["/x", sfxtest.win_path(target), "/q"])
                self.assertExitCode(result, BAD_PACKAGE)
                self.assertOutsideUntouched(outside, before)
                for folder, _, files in os.walk(self.work):
                    if folder.startswith(self.path("x")):
                        continue
                    self.assertNotIn("evil.txt", files, f"evil.txt written to {folder}")

                result = self.run_package(package, ["/q"])
                self.assertExitCode(result, BAD_PACKAGE)
                self.assertOutsideUntouched(outside, before)
                self.assertTempEmpty()
                self.assertIsNone(sfxtest.read_probe_report(self.path("probe.txt")), "the setup ran")

    # --- links ---------------------------------------------------------------

    def link_archive(self, name, target, extra=None):
        """setup.exe and a symbolic link "link" to target (7zz -snl), plus
        extra {name in the archive: text} renamed in afterwards."""
        out = self.path(name + ".7z")
        staging = tempfile.mkdtemp(prefix="links-", dir=self.work)
        with open(os.path.join(staging, "setup.exe"), "wb") as f:
            f.write(probe_bytes())
        os.symlink(target, os.path.join(staging, "link"))
        items = ["setup.exe", "link"]
        for i, (entry, text) in enumerate((extra or {}).items()):
            with open(os.path.join(staging, f"extra{i}"), "w") as f:
                f.write(text)
            items.append(f"extra{i}")
        done = subprocess.run([sfxtest.config().sevenzip, "a", "-t7z", "-bd", "-snl", out, "--", *items],
                              cwd=staging, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
        self.assertEqual(done.returncode, 0, done.stdout.decode(errors="replace"))
        for i, entry in enumerate((extra or {}).keys()):
            done = subprocess.run([sfxtest.config().sevenzip, "rn", "-bd", out, f"extra{i}", entry],
                                  stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
            self.assertEqual(done.returncode, 0, done.stdout.decode(errors="replace"))
        shutil.rmtree(staging)
        return out

    def outside_folder(self):
        outside = self.path("outside")
        os.makedirs(os.path.join(outside, "deeper"))
        for rel in ("keep.txt", os.path.join("deeper", "keep2.txt")):
            with open(os.path.join(outside, rel), "wb") as f:
                f.write(b"keep")
        return outside

    def test_links_out_of_the_folder_never_lead_anywhere(self):
        # A link to the outside folder, by absolute path and by "..", each
        # alone and followed by an entry that would be written through it.
        outside = self.outside_folder()
        before = tree_of(outside)
        self.temp = self.path("t", "temp")
        os.makedirs(self.temp)
        cases = [
            ("absolute", outside, None),
            ("relative", "../../outside", None),
            ("absolute-through", outside, {r"link\evil.txt": "through the link"}),
            ("relative-through", "../../outside", {r"link\evil.txt": "through the link"}),
        ]
        for name, target, extra in cases:
            with self.subTest(link=name):
                package = self.package(self.link_archive(name, target, extra), name + ".exe")
                for args in (["/x", sfxtest.win_path(self.path("x", name)), "/q"], ["/q"]):
                    result = self.run_package(package, args)
                    self.assertIn(result.code, (SETUP_EXIT, 0, BAD_PACKAGE), result.stdout + result.stderr)
                    self.assertOutsideUntouched(outside, before)
                self.assertTempEmpty()

    def test_removing_the_folder_never_follows_links_in_it(self):
        # The engine refuses links that lead out of the folder, so the link is
        # put into the extraction folder from outside while the stub runs (it
        # waits a second after the setup before it removes the folder): a
        # link to a folder outside. The removal must take the link and leave
        # its target. Only a folder link: Wine 8.0 shows a link to a file as
        # the file itself and its DeleteFileW removes the link's target, where
        # Windows removes the link (tests/win/RemoveFolderTreeTests.cpp).
        outside = self.outside_folder()
        before = tree_of(outside)
        package = self.package(sfxtest.make_archive({"setup.exe": probe_bytes()}, self.path("setup.7z")))
        process = self.start(package, ["/q"], timeout=180,
                             env={"SFX_PROBE_REPORT": sfxtest.win_path(self.path("probe.txt")),
                                  "SFX_PROBE_EXIT": str(SETUP_EXIT),
                                  "TMP": sfxtest.win_path(self.temp), "TEMP": sfxtest.win_path(self.temp)})
        deadline = time.monotonic() + 60
        folder = None
        while folder is None and time.monotonic() < deadline and process.poll() is None:
            found = [n for n in os.listdir(self.temp) if n.startswith("kvr")]
            folder = os.path.join(self.temp, found[0]) if found else None
            time.sleep(0.01)
        self.assertIsNotNone(folder, "no extraction folder appeared")
        os.symlink(outside, os.path.join(folder, "folderlink"))
        result = process.wait(timeout=180)
        self.assertExitCode(result, SETUP_EXIT)
        self.assertOutsideUntouched(outside, before)
        # Windows removes a directory link with RemoveDirectoryW; Wine 8.0's
        # cannot remove a Linux link, so there the link, and with it the
        # folder, stays behind (its target never changes).
        if os.path.exists(folder):
            self.assertEqual(os.listdir(folder), ["folderlink"])
            self.assertTrue(os.path.islink(os.path.join(folder, "folderlink")))
            os.remove(os.path.join(folder, "folderlink"))
            os.rmdir(folder)
        self.assertTempEmpty()

if __name__ == "__main__":
    unittest.main()
