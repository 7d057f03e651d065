"""The stub's language under Wine: the user's locale, the configuration's
language sections, /l and the Culture key pick the string table whose texts
the stub logs. The log is written in the ANSI code page of the user's locale."""

import unittest

import sfxtest
from sfxtest import SfxTestCase

BAD_PACKAGE = 0x20001004
GERMAN = "Die Setup-Datei ist beschädigt."
ENGLISH = "The setup file is corrupted."
FRENCH = "Le fichier d'installation est endommagé."
GERMAN_AUSTRIA = {"LANG": "de_AT.UTF-8", "LC_ALL": "de_AT.UTF-8"}
ENGLISH_US = {"LANG": "en_US.UTF-8", "LC_ALL": "en_US.UTF-8"}
MULTILINGUAL = "[main]\nProductName=Product\n[LANG_de-DE]\nProductName=Produkt\n[LANG_en-US]\nProductName=Product\n"


class LocalisationTests(SfxTestCase):
    def cut_package(self, config):
        """A package cut by one byte, so the stub reports it in its language."""
        archive = sfxtest.make_archive({"a.txt": "a\n"}, self.path("a.7z"))
        package = sfxtest.build_package(config, archive, self.path("Setup.exe"))
        with open(package, "r+b") as f:
            f.truncate(f.seek(0, 2) - 1)
        return package

    def logged_text(self, package, args, locale):
        result = self.run_wine(package, args, env=locale)
        self.assertExitCode(result, BAD_PACKAGE)
        return result.stdout_bytes.decode("cp1252")

    def test_language_sections_follow_the_user_locale(self):
        text = self.logged_text(self.cut_package(MULTILINGUAL), ["/q"], GERMAN_AUSTRIA)
        self.assertIn(GERMAN, text)
        self.assertIn("Erwartete Dateigröße:", text)

    def test_command_line_culture_wins_over_the_user_locale(self):
        text = self.logged_text(self.cut_package(MULTILINGUAL), ["/q", "/l", "en-US"], GERMAN_AUSTRIA)
        self.assertIn(ENGLISH, text)
        self.assertNotIn(GERMAN, text)

    def test_without_language_sections_the_culture_key_decides(self):
        package = self.cut_package("[main]\nCulture=de-DE\n")
        self.assertIn(GERMAN, self.logged_text(package, ["/q"], ENGLISH_US))
        # The command-line culture plays no part without language sections.
        self.assertIn(GERMAN, self.logged_text(package, ["/q", "/l", "en-US"], ENGLISH_US))

    def test_neutral_table_serves_a_country_of_its_language(self):
        package = self.cut_package("[main]\nProductName=Produit\n[LANG_fr-FR]\n[LANG_de-DE]\n")
        self.assertIn(FRENCH, self.logged_text(package, ["/q", "/l", "fr-FR"], ENGLISH_US))


if __name__ == "__main__":
    unittest.main()
