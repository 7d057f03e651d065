#!/usr/bin/env python3
"""Checks the localised XML string tables of the stub.

    check-string-tables.py [--dir FOLDER] [--stub SFXSTUB.EXE]

FOLDER (default: resources/strings of this repository) holds the tables, the
resource script StringTables.rc that compiles them and required-ids.txt. Every
table must be well-formed UTF-8 XML with the declaration, the style-sheet
instruction and the root element of the shipped tables, and define every
required id exactly once and nothing else, with a non-empty text. A translated
text keeps the printf formats, the [Name] placeholders, the line breaks and the
access-key count of the English (en-US) text. The tables that carry English
equal en-US. The resource script compiles exactly the 27 tables, each under its
own language id.

With --stub the built stub is checked as well: its KV_XML_STRING resources are
exactly the 27 tables, each under its language id and byte for byte.

Prints one line per problem and exits with 1 when there is any, 0 otherwise.
"""

import argparse
import re
import struct
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

# The culture of each table (its file name without .xml) and its language id.
# The first five are languages without a country.
LANGUAGES = {
    "de": 7, "en": 9, "es": 10, "fr": 12, "it": 16,
    "zh-TW": 1028, "cs-CZ": 1029, "da-DK": 1030, "el-GR": 1032, "en-US": 1033,
    "fi-FI": 1035, "hu-HU": 1038, "ja-JP": 1041, "ko-KR": 1042, "nl-NL": 1043,
    "nb-NO": 1044, "pl-PL": 1045, "pt-BR": 1046, "ru-RU": 1049, "sv-SE": 1053,
    "tr-TR": 1055, "zh-CN": 2052, "en-GB": 2057, "pt-PT": 2070, "fr-CA": 3084,
    "en-CA": 4105, "es-US": 21514,
}
ENGLISH = "en-US"
# Tables that ship the English texts instead of a translation.
ENGLISH_COPIES = ("en", "nb-NO", "en-GB", "en-CA")

ROOT_ELEMENT = "KvrSetupLocalization"
STYLESHEET = "KvrSetupText.xsl"
RESOURCE_TYPE = "KV_XML_STRING"
RESOURCE_NAME = 1
RESOURCE_SCRIPT = "StringTables.rc"
REQUIRED_IDS = "required-ids.txt"

# The winnt.h values of the language names the resource script may use.
PRIMARY_LANGUAGES = {
    "LANG_NEUTRAL": 0x00, "LANG_CHINESE": 0x04, "LANG_CZECH": 0x05, "LANG_DANISH": 0x06,
    "LANG_GERMAN": 0x07, "LANG_GREEK": 0x08, "LANG_ENGLISH": 0x09, "LANG_SPANISH": 0x0A,
    "LANG_FINNISH": 0x0B, "LANG_FRENCH": 0x0C, "LANG_HUNGARIAN": 0x0E, "LANG_ITALIAN": 0x10,
    "LANG_JAPANESE": 0x11, "LANG_KOREAN": 0x12, "LANG_DUTCH": 0x13, "LANG_NORWEGIAN": 0x14,
    "LANG_POLISH": 0x15, "LANG_PORTUGUESE": 0x16, "LANG_RUSSIAN": 0x19, "LANG_SWEDISH": 0x1D,
    "LANG_TURKISH": 0x1F,
}
SUB_LANGUAGES = {
    "SUBLANG_NEUTRAL": 0x00, "SUBLANG_DEFAULT": 0x01,
    "SUBLANG_CHINESE_TRADITIONAL": 0x01, "SUBLANG_CHINESE_SIMPLIFIED": 0x02,
    "SUBLANG_CZECH_CZECH_REPUBLIC": 0x01, "SUBLANG_DANISH_DENMARK": 0x01,
    "SUBLANG_GREEK_GREECE": 0x01, "SUBLANG_ENGLISH_US": 0x01, "SUBLANG_ENGLISH_UK": 0x02,
    "SUBLANG_ENGLISH_CAN": 0x04, "SUBLANG_FINNISH_FINLAND": 0x01,
    "SUBLANG_FRENCH_CANADIAN": 0x03, "SUBLANG_HUNGARIAN_HUNGARY": 0x01,
    "SUBLANG_JAPANESE_JAPAN": 0x01, "SUBLANG_KOREAN": 0x01, "SUBLANG_DUTCH": 0x01,
    "SUBLANG_NORWEGIAN_BOKMAL": 0x01, "SUBLANG_POLISH_POLAND": 0x01,
    "SUBLANG_PORTUGUESE_BRAZILIAN": 0x01, "SUBLANG_PORTUGUESE": 0x02,
    "SUBLANG_RUSSIAN_RUSSIA": 0x01, "SUBLANG_SWEDISH": 0x01, "SUBLANG_TURKISH_TURKEY": 0x01,
    "SUBLANG_SPANISH_US": 0x15,
}

# printf conversions as the stub's callers use them, "%%" included.
FORMAT_PATTERN = re.compile(
    r"%(?:%|[-+ #0]*(?:\*|\d+)?(?:\.(?:\*|\d+))?(?:I64|I32|ll|hh|[hlLIjzt])?[diouxXeEfgGaAcCsSpn])")
# The placeholder syntax that the string table expands on lookup.
PLACEHOLDER_PATTERN = re.compile(r"\[([_a-zA-Z][_\.a-zA-Z0-9]*?)\]")
BRACKETS_PATTERN = re.compile(r"\[[^\[\]]+\]")
XML_DECLARATION = re.compile(r"<\?xml\s+version\s*=\s*[\"']1\.0[\"'](?P<rest>[^?]*)\?>")
STYLESHEET_PI = re.compile(r"<\?xml-stylesheet\s+[^?]*href\s*=\s*[\"'](?P<href>[^\"']*)[\"'][^?]*\?>")


class Problems:
    def __init__(self):
        self.lines = []

    def add(self, where, text):
        self.lines.append(f"{where}: {text}")


class RequiredId:
    def __init__(self, name, syntax_brackets, keep):
        self.name = name
        self.syntax_brackets = syntax_brackets
        self.keep = keep


def read_required_ids(path, problems):
    ids = {}
    try:
        lines = path.read_text(encoding="utf-8").splitlines()
    except OSError as error:
        problems.add(path.name, f"cannot read: {error.strerror}")
        return ids
    for number, line in enumerate(lines, 1):
        words = line.split("#", 1)[0].split()
        if not words:
            continue
        name, options = words[0], words[1:]
        syntax_brackets, keep = False, []
        for option in options:
            if option == "syntax-brackets":
                syntax_brackets = True
            elif option.startswith("keep=") and len(option) > 5:
                keep.append(option[5:])
            else:
                problems.add(f"{path.name}:{number}", f"unknown option '{option}'")
        if name in ids:
            problems.add(f"{path.name}:{number}", f"id '{name}' listed twice")
        ids[name] = RequiredId(name, syntax_brackets, keep)
    if not ids:
        problems.add(path.name, "lists no ids")
    return ids


def loaded_text(source):
    """The text as the stub's loader stores it: white space trimmed and
    collapsed, then the escapes \\n, \\t and \\\\ replaced in that order."""
    text = re.sub(r"[ \t\r\n]+", " ", source).strip()
    return text.replace("\\n", "\n").replace("\\t", "\t").replace("\\\\", "\\")


def read_table(path, problems):
    """Returns {id: loaded text} of one table, or None when it cannot be read."""
    name = path.name
    try:
        data = path.read_bytes()
    except OSError as error:
        problems.add(name, f"cannot read: {error.strerror}")
        return None
    if data.startswith(b"\xef\xbb\xbf"):
        data = data[3:]
    try:
        document = data.decode("utf-8")
    except UnicodeDecodeError as error:
        problems.add(name, f"not UTF-8 (byte {error.start})")
        return None
    declaration = XML_DECLARATION.match(document)
    if declaration is None:
        problems.add(name, "does not begin with an XML declaration")
    else:
        encoding = re.search(r"encoding\s*=\s*[\"']([^\"']*)[\"']", declaration.group("rest"))
        if encoding and encoding.group(1).lower() not in ("utf-8", "utf8"):
            problems.add(name, f"declares encoding '{encoding.group(1)}' instead of utf-8")
    prolog = document.split("<" + ROOT_ELEMENT, 1)[0]
    stylesheet = STYLESHEET_PI.search(prolog)
    if stylesheet is None or stylesheet.group("href") != STYLESHEET:
        problems.add(name, f"lacks the style-sheet instruction naming {STYLESHEET}")
    try:
        root = ET.fromstring(data)
    except ET.ParseError as error:
        problems.add(name, f"not well-formed XML: {error}")
        return None
    if root.tag != ROOT_ELEMENT:
        problems.add(name, f"root element is '{root.tag}', not '{ROOT_ELEMENT}'")
    texts = {}
    for child in root:
        if not isinstance(child.tag, str):
            continue
        if child.tag != "String":
            problems.add(name, f"unexpected element '{child.tag}' in the root")
            continue
        string_id = child.get("Id")
        if string_id is None:
            problems.add(name, "String element without Id")
            continue
        if len(child):
            problems.add(name, f"'{string_id}' contains elements")
        if string_id in texts:
            problems.add(name, f"'{string_id}' defined more than once")
        texts[string_id] = loaded_text("".join(child.itertext()))
    return texts


def stray_percent(text):
    rest = FORMAT_PATTERN.sub("", text)
    return "%" in rest


def access_keys(text):
    # "&&" is a literal ampersand; any other "&" marks the next character.
    return text.replace("&&", "").count("&")


def check_translation(name, string_id, text, english, rule, problems):
    where = f"{name}: '{string_id}'"
    if stray_percent(text):
        problems.add(where, "has a '%' that is not a format (write a literal per cent sign as %%)")
    # Formats that take an argument keep their order; a literal %% may move,
    # since some languages write the per cent sign before the number.
    wanted = [f for f in FORMAT_PATTERN.findall(english) if f != "%%"]
    found = [f for f in FORMAT_PATTERN.findall(text) if f != "%%"]
    if found != wanted:
        problems.add(where, f"formats {found} differ from the English {wanted}")
    if FORMAT_PATTERN.findall(text).count("%%") != FORMAT_PATTERN.findall(english).count("%%"):
        problems.add(where, "has another number of %% than the English text")
    if rule.syntax_brackets:
        wanted_count = len(BRACKETS_PATTERN.findall(english))
        found_count = len(BRACKETS_PATTERN.findall(text))
        if found_count != wanted_count:
            problems.add(where, f"has {found_count} bracketed syntax words, the English text {wanted_count}")
    else:
        wanted = PLACEHOLDER_PATTERN.findall(english)
        found = PLACEHOLDER_PATTERN.findall(text)
        if found != wanted:
            problems.add(where, f"placeholders {found} differ from the English {wanted}")
    position = 0
    for piece in rule.keep:
        at = text.find(piece, position)
        if at < 0:
            problems.add(where, f"lacks '{piece}' (kept unchanged in every language)")
        else:
            position = at + len(piece)
    if text.count("\n") != english.count("\n"):
        problems.add(where, f"has {text.count(chr(10))} line breaks, "
                     f"the English text {english.count(chr(10))}")
    if text.count("\t") != english.count("\t"):
        problems.add(where, "has another number of tabs than the English text")
    if access_keys(text) != access_keys(english):
        problems.add(where, f"has {access_keys(text)} access keys, the English text {access_keys(english)}")


def parse_number(token):
    try:
        return int(token, 0)
    except ValueError:
        return None


def read_resource_script(path, problems):
    """Returns [(file name, language id, line number)] of the KV_XML_STRING
    resources in the script."""
    where = path.name
    try:
        lines = path.read_text(encoding="utf-8").splitlines()
    except (OSError, UnicodeDecodeError) as error:
        problems.add(where, f"cannot read as UTF-8: {error}")
        return []
    defines = {}
    language = None
    resources = []
    resource_line = re.compile(r'^(\S+)\s+(\S+)\s+"([^"]+)"$')
    for number, raw in enumerate(lines, 1):
        line = raw.split("//", 1)[0].strip()
        if not line:
            continue
        if line.startswith("#"):
            define = re.match(r"#\s*define\s+(\w+)\s+(\S+)$", line)
            if define:
                symbol, value = define.group(1), parse_number(define.group(2))
                known = SUB_LANGUAGES.get(symbol, PRIMARY_LANGUAGES.get(symbol))
                if known is None or value != known:
                    problems.add(f"{where}:{number}", f"defines {symbol} as {define.group(2)}, "
                                 f"which is not its Windows value")
                defines[symbol] = value
            continue
        statement = re.match(r"^LANGUAGE\s+(\w+)\s*,\s*(\w+)$", line)
        if statement:
            primary = parse_number(statement.group(1))
            if primary is None:
                primary = PRIMARY_LANGUAGES.get(statement.group(1))
            sub = parse_number(statement.group(2))
            if sub is None:
                sub = SUB_LANGUAGES.get(statement.group(2))
            if primary is None or sub is None:
                problems.add(f"{where}:{number}", f"unknown language names in '{line}'")
                language = None
            else:
                language = (sub << 10) | primary
            continue
        resource = resource_line.match(line)
        if resource and resource.group(2) == RESOURCE_TYPE:
            if parse_number(resource.group(1)) != RESOURCE_NAME:
                problems.add(f"{where}:{number}",
                             f"resource name is {resource.group(1)}, not {RESOURCE_NAME}")
            if language is None:
                problems.add(f"{where}:{number}", f"{resource.group(3)} has no known LANGUAGE")
            else:
                resources.append((resource.group(3), language, number))
            continue
        problems.add(f"{where}:{number}", f"unexpected statement '{line}'")
    return resources


def check_resource_script(folder, problems):
    resources = read_resource_script(folder / RESOURCE_SCRIPT, problems)
    seen_files, seen_languages = {}, {}
    for file_name, language, number in resources:
        where = f"{RESOURCE_SCRIPT}:{number}"
        culture = file_name[:-4] if file_name.endswith(".xml") else None
        if culture not in LANGUAGES:
            problems.add(where, f"compiles '{file_name}', which is not one of the tables")
        elif LANGUAGES[culture] != language:
            problems.add(where, f"compiles {file_name} under language {language}, not {LANGUAGES[culture]}")
        if file_name in seen_files:
            problems.add(where, f"compiles {file_name} a second time")
        if language in seen_languages:
            problems.add(where, f"language {language} already used for {seen_languages[language]}")
        seen_files[file_name] = language
        seen_languages.setdefault(language, file_name)
    for culture in LANGUAGES:
        if f"{culture}.xml" not in seen_files:
            problems.add(RESOURCE_SCRIPT, f"does not compile {culture}.xml")


def check_folder(folder, problems):
    required = read_required_ids(folder / REQUIRED_IDS, problems)
    present = {p.name for p in folder.glob("*.xml")}
    expected = {f"{culture}.xml" for culture in LANGUAGES}
    for extra in sorted(present - expected):
        problems.add(extra, "is not one of the 27 tables")
    for missing in sorted(expected - present):
        problems.add(missing, "is missing")

    tables = {}
    for culture in LANGUAGES:
        path = folder / f"{culture}.xml"
        if path.exists():
            tables[culture] = read_table(path, problems)

    for culture, texts in tables.items():
        if texts is None:
            continue
        name = f"{culture}.xml"
        for string_id in required:
            if string_id not in texts:
                problems.add(name, f"lacks '{string_id}'")
            elif not texts[string_id].strip():
                problems.add(name, f"'{string_id}' is empty")
        for string_id in texts:
            if string_id not in required:
                problems.add(name, f"defines '{string_id}', which the stub does not read")

    english = tables.get(ENGLISH)
    if english:
        for culture, texts in tables.items():
            if not texts or culture == ENGLISH:
                continue
            name = f"{culture}.xml"
            for string_id, rule in required.items():
                if string_id not in texts or string_id not in english or not english[string_id]:
                    continue
                if culture in ENGLISH_COPIES:
                    if texts[string_id] != english[string_id]:
                        problems.add(name, f"'{string_id}' differs from {ENGLISH}.xml "
                                     "(this table carries the English texts)")
                else:
                    check_translation(name, string_id, texts[string_id], english[string_id], rule, problems)

    check_resource_script(folder, problems)


def read_stub_resources(path):
    """Returns {language id: bytes} of the KV_XML_STRING resources named 1 in a
    PE file; raises ValueError when the file is not a PE image."""
    data = path.read_bytes()
    if data[:2] != b"MZ":
        raise ValueError("no MZ header")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva, resource_size = struct.unpack_from("<II", data, directories + 2 * 8)
    if resource_rva == 0:
        return {}
    table = optional + optional_size
    spans = []
    for index in range(sections):
        size, rva, raw_size, raw_offset = struct.unpack_from("<IIII", data, table + index * 40 + 8)
        spans.append((rva, max(size, raw_size), raw_offset))

    def offset(rva):
        for start, size, raw in spans:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError(f"address 0x{rva:x} outside the sections")

    base = offset(resource_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", data, base + directory + 12)
        for index in range(named + numbered):
            key, target = struct.unpack_from("<II", data, base + directory + 16 + index * 8)
            if key & 0x80000000:
                at = base + (key & 0x7FFFFFFF)
                length = struct.unpack_from("<H", data, at)[0]
                key = data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            yield key, target

    result = {}
    for type_key, type_target in entries(0):
        if type_key != RESOURCE_TYPE or not type_target & 0x80000000:
            continue
        for name_key, name_target in entries(type_target & 0x7FFFFFFF):
            if name_key != RESOURCE_NAME or not name_target & 0x80000000:
                continue
            for language, leaf in entries(name_target & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", data, base + leaf)
                start = offset(rva)
                result[language] = data[start:start + size]
    return result


def check_stub(folder, stub, problems):
    try:
        resources = read_stub_resources(stub)
    except (OSError, ValueError, struct.error) as error:
        problems.add(stub.name, f"cannot read its resources: {error}")
        return
    by_language = {language: culture for culture, language in LANGUAGES.items()}
    for language in sorted(resources):
        if language not in by_language:
            problems.add(stub.name,
                         f"has a {RESOURCE_TYPE} resource for language {language}, which no table has")
    for culture, language in LANGUAGES.items():
        if language not in resources:
            problems.add(stub.name, f"lacks the {RESOURCE_TYPE} resource of {culture} (language {language})")
            continue
        try:
            expected = (folder / f"{culture}.xml").read_bytes()
        except OSError:
            continue
        if resources[language] != expected:
            problems.add(stub.name, f"resource of language {language} is not {culture}.xml")


def main(argv):
    parser = argparse.ArgumentParser(description="Checks the stub's XML string tables.")
    parser.add_argument("--dir", type=Path,
                        default=Path(__file__).resolve().parent.parent / "resources" / "strings",
                        help="folder of the tables, the resource script and the id list")
    parser.add_argument("--stub", type=Path, help="built stub whose resources are checked as well")
    arguments = parser.parse_args(argv)

    problems = Problems()
    check_folder(arguments.dir, problems)
    if arguments.stub is not None:
        check_stub(arguments.dir, arguments.stub, problems)
    for line in problems.lines:
        print(line)
    if problems.lines:
        print(f"{len(problems.lines)} problem(s) in the string tables", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
