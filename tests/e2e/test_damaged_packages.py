"""Damaged packages at /q: a broken configuration block, a cut or altered
archive, a missing or wrong size stamp, broken PE headers and /e naming
something that is no archive. Each run ends with the code for a bad package,
or with a normal run on the default configuration where a block carries no
text at all, or the system refuses to start the image; never with a crash or
a hang, and never leaving extracted files behind."""

import os
import random
import re
import struct
import unittest

import sfxtest
from sfxtest import SfxTestCase
from test_progress import probe_bytes, temp_folders

try:
    from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes
except ImportError:  # pragma: no cover - the build machine has it
    Cipher = None

BAD_PACKAGE = 0x20001004
SETUP_EXIT = 3010
NOT_STARTED = "not started"  # the system refused to load the image
LIMIT_SECONDS = 60
START_MARKER = b";!@Install@!UTF-8!"
END_MARKER = b";!@InstallEnd@!"
DEFAULT_KEY_WORDS = (0x6B7A3D19, 0xC2F05E87, 0x1D94A6B3, 0x58E2C70F)  # cmake's default SFX_CONFIG_KEY
OTHER_KEY = bytes(range(16))
IV = bytes(range(100, 116))
CONFIG_ARG = "from-the-configuration"
CONFIG = f"[main]\nProductName=Damaged Test\nSetupParams={CONFIG_ARG}\n".encode()
SCAN_LIMIT = 20 << 20
NTSTATUS_ERRORS = 0xC0000000
# Wine's DOS loader, which it hands images it cannot load as PE; depending on
# the prefix it says "... is a DOS application" or "winevdm: can't exec ...".
DOS_LOADER_TEXTS = ("is a DOS application", "winevdm:")
# Damage found only while the entries are written (a CRC error): an
# extract-only run keeps the entries extracted so far, as it does after any
# failure; a normal run removes its folder.
KEPT_BY_EXTRACT_ONLY = {"archive byte flipped"}


def config_key():
    """The stub's key: the words of the build's generated header beside the
    bin folder, else cmake's default."""
    header = os.path.join(sfxtest.config().win_bin, os.pardir, "generated", "sfx", "ConfigKeyConstants.h")
    words = DEFAULT_KEY_WORDS
    if os.path.exists(header):
        with open(header) as f:
            found = re.findall(r"0x([0-9A-Fa-f]{1,8})u", f.read())
        if len(found) == 4:
            words = [int(w, 16) for w in found]
    return struct.pack("<4I", *words)


def encipher(plain, key=None):
    """AES-128-CBC of plain (a multiple of 16 bytes long), IV first."""
    encryptor = Cipher(algorithms.AES(key or config_key()), modes.CBC(IV)).encryptor()
    return IV + encryptor.update(plain) + encryptor.finalize()


def padded(text, pad=None):
    """text with the padding sfxpack writes, or with pad as the value of
    every byte of a full padding block (any value, 0 included)."""
    if pad is None:
        count = 16 - len(text) % 16
        return text + bytes([count]) * count
    text += b"\n" * (-len(text) % 16)
    return text + bytes([pad]) * 16


class Package:
    """A package taken apart: stub, configuration block and archive."""

    def __init__(self, data):
        start = data.find(START_MARKER)
        end = data.find(END_MARKER, start)
        assert 0 < start < end, "no configuration block in the package"
        self.stub = data[:start]
        self.block = data[start + len(START_MARKER):end]
        self.archive = data[end + len(END_MARKER):]
        self.stamped = len(data)

    def join(self, *, stub=None, block=None, archive=None, before_block=b"", restamp=True):
        """The package with pieces replaced; the size stamp follows the new
        size unless restamp is False."""
        stub = self.stub if stub is None else stub
        data = (stub + before_block + START_MARKER + (self.block if block is None else block) + END_MARKER +
                (self.archive if archive is None else archive))
        return self.stamp(data, len(data)) if restamp else data

    def stamp(self, data, value):
        old = struct.pack("<Q", self.stamped)
        at = data.find(old, 0, len(self.stub))
        assert at > 0 and data.find(old, at + 1, len(self.stub)) == -1, "the size stamp is not unique"
        return data[:at] + struct.pack("<Q", value) + data[at + 8:]


def pe_offset(data):
    return struct.unpack_from("<I", data, 0x3C)[0]


def verify_resource_entry(data):
    """The file offset of the _KVR_VERIFY data entry (RVA, size, code page,
    reserved) in the RCDATA resources of the image."""
    pe = pe_offset(data)
    optional = pe + 24
    sections = optional + struct.unpack_from("<H", data, pe + 20)[0]
    resource_rva = struct.unpack_from("<I", data, optional + 96 + 2 * 8)[0]
    for i in range(struct.unpack_from("<H", data, pe + 6)[0]):
        _, _, rva, raw_size, raw = struct.unpack_from("<8sIIII", data, sections + 40 * i)
        if rva <= resource_rva < rva + raw_size:
            base = raw + resource_rva - rva
            break
    else:
        raise AssertionError("no resource section")

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", data, base + directory + 12)
        for k in range(named + numbered):
            yield struct.unpack_from("<II", data, base + directory + 16 + 8 * k)

    def name_of(key):
        if not key & 0x80000000:
            return key
        at = base + (key & 0x7FFFFFFF)
        length = struct.unpack_from("<H", data, at)[0]
        return data[at + 2:at + 2 + 2 * length].decode("utf-16-le")

    for key, types in entries(0):
        if name_of(key) != 10:
            continue
        for name, languages in entries(types & 0x7FFFFFFF):
            if name_of(name) == "_KVR_VERIFY":
                _, entry = next(entries(languages & 0x7FFFFFFF))
                return base + entry
    raise AssertionError("no _KVR_VERIFY resource")


def patched(data, offset, value):
    return data[:offset] + value + data[offset + len(value):]


class DamagedPackageTests(SfxTestCase):
    def setUp(self):
        super().setUp()
        if Cipher is None:
            self.skipTest("Python's cryptography module is not installed")
        self.temp = self.path("temp")
        self.archive = sfxtest.make_archive(
            {"setup.exe": probe_bytes(), "data/random.bin": random.Random(11).randbytes(64 << 10)},
            self.path("payload.7z"))
        built = sfxtest.build_package(CONFIG, self.archive, self.path("built.exe"))
        with open(built, "rb") as f:
            self.package = Package(f.read())

    def cases(self):
        p = self.package
        config_block = lambda plain, key=None: p.join(block=encipher(plain, key))
        data = p.join()
        pe = pe_offset(data)
        archive_bytes = p.archive
        flipped = bytearray(archive_bytes)
        flipped[32 + 1000] ^= 0x5A  # inside the packed random bytes
        with open(sfxtest.win_bin("sfxstub.exe"), "rb") as f:
            stub_only = f.read()
        renamed = data.replace(struct.pack("<H", 11) + "_KVR_VERIFY".encode("utf-16-le"),
                               struct.pack("<H", 11) + "_KVR_VERIFZ".encode("utf-16-le"))
        entry = verify_resource_entry(data)
        not_archive = self.path("not-an-archive.txt")
        with open(not_archive, "w") as f:
            f.write("this is plain text, not a 7z archive\n" * 100)
        folder = self.path("a-folder")
        os.makedirs(folder)
        default = SETUP_EXIT  # a normal run, on the package's configuration or on the default one
        return [
            # (name, package bytes, extra arguments, expected code, configuration applied)
            ("stub only", stub_only, [], BAD_PACKAGE, None),
            ("start marker without end marker", data.replace(END_MARKER, b"X" * len(END_MARKER)), [],
             BAD_PACKAGE, None),
            ("markers in reverse order",
             p.stamp(p.stub + END_MARKER + p.block + START_MARKER + p.archive, len(data)), [], BAD_PACKAGE, None),
            # No ciphertext, or a ciphertext that is no whole number of
            # blocks: deciphered to no text, which is the default configuration.
            ("block of 16 bytes", p.join(block=IV), [], default, False),
            ("ciphertext not a multiple of 16", p.join(block=encipher(padded(CONFIG))[:-5]), [], default, False),
            ("wrong key", config_block(padded(CONFIG), OTHER_KEY), [], BAD_PACKAGE, None),
            # The padding value is honoured up to one block: 0 drops nothing
            # (the zero bytes end the text), 17 and 255 drop one block.
            ("padding 0", config_block(padded(CONFIG, 0)), [], default, True),
            ("padding 17", config_block(padded(CONFIG, 17)), [], default, True),
            ("padding 255", config_block(padded(CONFIG, 255)), [], default, True),
            ("invalid UTF-8", config_block(padded(CONFIG + b"Title=\xff\xfe\xc0\x80\n")), [], BAD_PACKAGE, None),
            # The mark stays in the text; the parser passes over it.
            ("byte-order mark", config_block(padded(b"\xef\xbb\xbf" + CONFIG)), [], default, True),
            ("block beyond 20 MiB", p.join(before_block=bytes(SCAN_LIMIT + (1 << 20))), [], BAD_PACKAGE, None),
            ("archive cut in its header", p.join(archive=archive_bytes[:20]), [], BAD_PACKAGE, None),
            ("archive cut in its data", p.join(archive=archive_bytes[:32 + 4000]), [], BAD_PACKAGE, None),
            ("archive byte flipped", p.join(archive=bytes(flipped)), [], BAD_PACKAGE, None),
            ("one byte appended", data + b"\0", [], BAD_PACKAGE, None),
            ("_KVR_VERIFY absent", renamed, [], BAD_PACKAGE, None),
            ("_KVR_VERIFY 4 bytes long", patched(data, entry + 4, struct.pack("<I", 4)), [], BAD_PACKAGE, None),
            ("_KVR_VERIFY zero", p.stamp(data, 0), [], BAD_PACKAGE, None),
            ("certificate table beyond the file",
             patched(data, pe + 152, struct.pack("<II", len(data) + 4096, 512)), [], BAD_PACKAGE, None),
            ("e_lfanew outside the mapped bytes", patched(data, 0x3C, struct.pack("<I", 0x7FFFFF00)), [],
             NOT_STARTED, None),
            ("/e names a missing file", data, ["/e", sfxtest.win_path(self.path("missing.7z"))], BAD_PACKAGE, None),
            ("/e names a folder", data, ["/e", sfxtest.win_path(folder)], BAD_PACKAGE, None),
            ("/e names a file that is no archive", data, ["/e", sfxtest.win_path(not_archive)], BAD_PACKAGE, None),
        ]

    def run_case(self, name, package, args):
        """Runs the package: (exit code or NOT_STARTED, probe report, output)."""
        os.makedirs(self.temp, exist_ok=True)
        probe = self.path(f"probe-{name}.txt")
        env = {"SFX_PROBE_REPORT": sfxtest.win_path(probe), "SFX_PROBE_EXIT": str(SETUP_EXIT),
               "TEMP": sfxtest.win_path(self.temp), "TMP": sfxtest.win_path(self.temp)}
        try:
            result = self.run_wine(package, args, timeout=LIMIT_SECONDS, env=env)
        except sfxtest.WineError as error:  # a time-out stays a failure
            if "could not start" not in str(error):
                raise
            return NOT_STARTED, None, str(error)
        output = result.stdout + result.stderr
        # Windows refuses such an image; Wine hands it to its DOS loader,
        # which ends with an error code of its own.
        if any(text in output for text in DOS_LOADER_TEXTS):
            return NOT_STARTED, sfxtest.read_probe_report(probe), output
        return result.code, sfxtest.read_probe_report(probe), output

    def test_damaged_packages_end_cleanly(self):
        outcomes = []
        wine_before = temp_folders()
        cases = self.cases()
        for index, (name, data, extra, expected, applied) in enumerate(cases):
            with self.subTest(name):
                package = self.path(f"case{index:02d}.exe")
                with open(package, "wb") as f:
                    f.write(data)
                runs = [("/q", [*extra, "/q"])]
                if expected != SETUP_EXIT:
                    target = self.path(f"x{index:02d}", "out")
                    runs.append(("/x", [*extra, "/x", sfxtest.win_path(target), "/q"]))
                for kind, args in runs:
                    code, report, output = self.run_case(f"{index:02d}{kind[1]}", package, args)
                    outcomes.append((name, kind, code))
                    shown = code if isinstance(code, str) else hex(code)
                    self.assertFalse(isinstance(code, int) and code >= NTSTATUS_ERRORS,
                                     f"{name} {kind}: crashed with {shown}\n{output}")
                    self.assertEqual(code, expected, f"{name} {kind}: exit code {shown}\n{output}")
                    self.assertEqual(os.listdir(self.temp), [], f"{name} {kind}: extraction folder left behind")
                    if expected == SETUP_EXIT:
                        self.assertIsNotNone(report, f"{name}: the setup did not run")
                        self.assertEqual(CONFIG_ARG in report.args, applied,
                                         f"{name}: configuration applied? {report.args}")
                    else:
                        self.assertIsNone(report, f"{name} {kind}: the setup ran")
                    if kind == "/x" and name not in KEPT_BY_EXTRACT_ONLY:
                        self.assertFalse(os.path.exists(target) and os.listdir(target),
                                         f"{name}: files extracted to {target}")
        self.assertEqual(temp_folders() - wine_before, set(), "extraction folders left in Wine's temp folder")
        print(f"\ndamaged packages: {len(cases)} cases, {len(outcomes)} runs")
        for name, kind, code in outcomes:
            print(f"  {name} {kind}: {code if isinstance(code, str) else hex(code)}")


if __name__ == "__main__":
    unittest.main()
