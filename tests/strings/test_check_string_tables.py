"""Runs tools/check-string-tables.py on broken copies of the string tables and
expects it to name each problem."""

import re
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
CHECKER = ROOT / "tools" / "check-string-tables.py"
TABLES = ROOT / "resources" / "strings"
ENGLISH_TABLES = ("en-US", "en", "nb-NO", "en-GB", "en-CA")


class CheckStringTables(unittest.TestCase):
    def setUp(self):
        self._temp = tempfile.TemporaryDirectory()
        self.folder = Path(self._temp.name) / "strings"
        shutil.copytree(TABLES, self.folder)

    def tearDown(self):
        self._temp.cleanup()

    def run_checker(self, *arguments):
        result = subprocess.run([sys.executable, str(CHECKER), "--dir", str(self.folder), *arguments],
                                capture_output=True, text=True, encoding="utf-8")
        return result.returncode, result.stdout.splitlines()

    def assert_fails_with(self, *expected):
        code, lines = self.run_checker()
        self.assertEqual(code, 1, "the checker accepted the broken tables")
        for line in expected:
            self.assertIn(line, lines)
        return lines

    def edit(self, culture, change):
        path = self.folder / f"{culture}.xml"
        text = path.read_bytes().decode("utf-8")
        changed = change(text)
        self.assertNotEqual(changed, text, f"the edit of {culture}.xml changed nothing")
        path.write_bytes(changed.encode("utf-8"))

    def set_text(self, culture, string_id, source):
        pattern = re.compile(r'(<String Id="%s">)[^<]*(</String>)' % re.escape(string_id))
        self.edit(culture, lambda text: pattern.sub(lambda m: m.group(1) + source + m.group(2), text))

    def set_everywhere(self, string_id, source):
        for path in self.folder.glob("*.xml"):
            self.set_text(path.stem, string_id, source)

    def test_shipped_tables_pass(self):
        code, lines = self.run_checker()
        self.assertEqual((code, lines), (0, []))

    def test_missing_id(self):
        self.edit("de", lambda text: re.sub(r'\s*<String Id="OK">[^<]*</String>', "", text))
        self.assert_fails_with("de.xml: lacks 'OK'")

    def test_unknown_and_duplicate_ids(self):
        self.edit("it", lambda text: text.replace(
            "</KvrSetupLocalization>",
            '<String Id="Bogus">x</String><String Id="OK">OK</String></KvrSetupLocalization>'))
        self.assert_fails_with("it.xml: defines 'Bogus', which the stub does not read",
                               "it.xml: 'OK' defined more than once")

    def test_swapped_formats(self):
        self.set_everywhere("ChooseTempDir", "Copy %s into %d folders.")
        self.assertEqual(self.run_checker()[0], 0)
        self.set_text("de", "ChooseTempDir", "In %d Ordner %s kopieren.")
        self.assert_fails_with(
            "de.xml: 'ChooseTempDir': formats ['%d', '%s'] differ from the English ['%s', '%d']")

    def test_changed_64_bit_format(self):
        self.set_text("pl-PL", "ErrorSize", r"Oczekiwany: %d\nRzeczywisty: %I64d")
        self.assert_fails_with("pl-PL.xml: 'ErrorSize': formats ['%d', '%I64d'] differ from the "
                               "English ['%I64d', '%I64d']")

    def test_single_per_cent_sign(self):
        self.set_text("sv-SE", "SfxProgressTitle", "%d % Extraherar...")
        lines = self.assert_fails_with(
            "sv-SE.xml: 'SfxProgressTitle': has another number of %% than the English text")
        self.assertTrue(any(line.startswith("sv-SE.xml: 'SfxProgressTitle': formats") for line in lines))

    def test_per_cent_sign_may_precede_the_number(self):
        self.set_text("da-DK", "SfxProgressTitle", "%%%d Pakker ud...")
        self.assertEqual(self.run_checker(), (0, []))

    def test_lost_placeholder(self):
        self.set_everywhere("StartSetup", "[ProductName]: ...")
        self.assertEqual(self.run_checker()[0], 0)
        self.set_text("fr", "StartSetup", "Démarrage de l'installation...")
        self.assert_fails_with(
            "fr.xml: 'StartSetup': placeholders [] differ from the English ['ProductName']")

    def test_translated_placeholder_name(self):
        self.set_everywhere("SfxAppTitle", "[ProductName] Setup")
        self.set_text("nl-NL", "SfxAppTitle", "[Productnaam] installatie")
        self.assert_fails_with("nl-NL.xml: 'SfxAppTitle': placeholders ['Productnaam'] differ from "
                               "the English ['ProductName']")

    def test_help_syntax_words_may_be_translated_but_not_dropped(self):
        help_text = self.folder.joinpath("de.xml").read_text(encoding="utf-8-sig")
        self.assertIn("[Ordnerpfad]", help_text)
        self.edit("de", lambda text: text.replace("/x [Ordnerpfad]", "/x Ordnerpfad"))
        self.assert_fails_with("de.xml: 'SfxCommandLineHelp': has 1 bracketed syntax words, "
                               "the English text 2")

    def test_help_keeps_the_switches(self):
        self.edit("cs-CZ", lambda text: text.replace("setup.exe", "instalace.exe"))
        self.assert_fails_with(
            "cs-CZ.xml: 'SfxCommandLineHelp': lacks 'setup.exe' (kept unchanged in every language)")

    def test_lost_line_break(self):
        self.set_text("hu-HU", "ErrorSize", "Várt fájlméret: %I64d Tényleges fájlméret: %I64d")
        self.assert_fails_with("hu-HU.xml: 'ErrorSize': has 0 line breaks, the English text 1")

    def test_lost_access_key(self):
        self.set_text("ru-RU", "Yes", "Да")
        self.assert_fails_with("ru-RU.xml: 'Yes': has 0 access keys, the English text 1")

    def test_empty_text(self):
        self.set_text("ko-KR", "Cancel", "   ")
        self.assert_fails_with("ko-KR.xml: 'Cancel' is empty")

    def test_malformed_xml(self):
        self.edit("ja-JP", lambda text: text.replace("</String>", "</Strin>", 1))
        lines = self.assert_fails_with()
        self.assertTrue(any(line.startswith("ja-JP.xml: not well-formed XML") for line in lines), lines)

    def test_unescaped_ampersand(self):
        self.set_text("fi-FI", "Yes", "&Kyllä")
        lines = self.assert_fails_with()
        self.assertTrue(any(line.startswith("fi-FI.xml: not well-formed XML") for line in lines), lines)

    def test_not_utf8(self):
        path = self.folder / "pt-PT.xml"
        path.write_bytes(path.read_bytes().decode("utf-8-sig").encode("latin-1"))
        lines = self.assert_fails_with()
        self.assertTrue(any(line.startswith("pt-PT.xml: not UTF-8") for line in lines), lines)

    def test_table_without_byte_order_mark_passes(self):
        path = self.folder / "el-GR.xml"
        data = path.read_bytes()
        self.assertTrue(data.startswith(b"\xef\xbb\xbf"))
        path.write_bytes(data[3:])
        self.assertEqual(self.run_checker(), (0, []))

    def test_declaration_instruction_and_root(self):
        self.edit("tr-TR", lambda text: re.sub(r"<\?xml version[^>]*\?>\s*", "", text))
        self.edit("zh-CN", lambda text: text.replace(' href="KvrSetupText.xsl"', ' href="Other.xsl"'))
        self.edit("zh-TW", lambda text: text.replace("KvrSetupLocalization", "Localization"))
        self.assert_fails_with("tr-TR.xml: does not begin with an XML declaration",
                               "zh-CN.xml: lacks the style-sheet instruction naming KvrSetupText.xsl",
                               "zh-TW.xml: root element is 'Localization', not 'KvrSetupLocalization'")

    def test_english_copies_equal_english(self):
        self.set_text("nb-NO", "Cancel", "Avbryt")
        self.assert_fails_with(
            "nb-NO.xml: 'Cancel' differs from en-US.xml (this table carries the English texts)")

    def test_missing_and_extra_tables(self):
        (self.folder / "sv-SE.xml").unlink()
        shutil.copy(self.folder / "de.xml", self.folder / "de-AT.xml")
        self.assert_fails_with("sv-SE.xml: is missing", "de-AT.xml: is not one of the 27 tables")

    def test_resource_script_language(self):
        script = self.folder / "StringTables.rc"
        text = script.read_text(encoding="utf-8")
        script.write_text(text.replace("LANGUAGE LANG_PORTUGUESE, SUBLANG_PORTUGUESE\n",
                                       "LANGUAGE LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN\n"),
                          encoding="utf-8")
        lines = self.assert_fails_with()
        self.assertTrue(any("compiles pt-PT.xml under language 1046, not 2070" in line for line in lines),
                        lines)
        self.assertTrue(any("language 1046 already used for pt-BR.xml" in line for line in lines), lines)

    def test_resource_script_lacks_a_table(self):
        script = self.folder / "StringTables.rc"
        text = script.read_text(encoding="utf-8")
        script.write_text(text.replace('1 KV_XML_STRING "ko-KR.xml"\n', ""), encoding="utf-8")
        self.assert_fails_with("StringTables.rc: does not compile ko-KR.xml")

    def test_resource_script_wrong_fallback_value(self):
        script = self.folder / "StringTables.rc"
        text = script.read_text(encoding="utf-8")
        script.write_text(text.replace("#define SUBLANG_SPANISH_US 0x15", "#define SUBLANG_SPANISH_US 0x14"),
                          encoding="utf-8")
        lines = self.assert_fails_with()
        self.assertTrue(any("defines SUBLANG_SPANISH_US as 0x14" in line for line in lines), lines)

    def test_stub_that_is_no_executable(self):
        fake = Path(self._temp.name) / "sfxstub.exe"
        fake.write_bytes(b"not a program")
        code, lines = self.run_checker("--stub", str(fake))
        self.assertEqual(code, 1)
        self.assertEqual(lines, ["sfxstub.exe: cannot read its resources: no MZ header"])


if __name__ == "__main__":
    unittest.main()
