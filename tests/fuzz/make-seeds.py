#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into corpus/NAME/.

Every seed is small (under 4 KiB). The PE seeds are built here field by field.
The enciphered configuration block needs the `cryptography` module and the
build's default key (read from CMakeLists.txt); without the module that one
seed is left out (the fuzz target enciphers every input itself as well).
Run it again after a change of these formats: python3 tests/fuzz/make-seeds.py
"""
import pathlib
import re
import struct

HERE = pathlib.Path(__file__).resolve().parent
ROOT = HERE.parent.parent

START_MARKER = b";!@Install@!UTF-8!"
END_MARKER = b";!@InstallEnd@!"
SEVEN_ZIP = b"7z\xbc\xaf\x27\x1c"


def utf16(text):
    return text.encode("utf-16-le")


def write(target, name, data):
    folder = HERE / "corpus" / target
    folder.mkdir(parents=True, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    assert len(data) < 4096, (target, name)
    (folder / name).write_bytes(data)


CONFIG = "[main]\r\nProductName=\"Product\"\r\nCulture = de-DE\r\n[LANG_de-DE]\r\nProductName=Produkt\r\n"


def command_line():
    write("CommandLine", "quiet-extract", "/q\n/x\nC:\\out")
    write("CommandLine", "culture-answer", "/l\nde-DE\n/OverwriteAnswer\nNoToAll")
    write("CommandLine", "archive-values", "-E\narchive.7z\n/m=values.txt\n/qb\nsetup-arg")
    write("CommandLine", "help", "/qx\n/?\n/x")


def config_key():
    text = (ROOT / "CMakeLists.txt").read_text()
    words = re.search(r'set\(SFX_CONFIG_KEY "([^"]+)"', text).group(1).split(";")
    return b"".join(struct.pack("<I", int(w, 16)) for w in words)


def enciphered_block(text, iv):
    from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes
    pad = 16 - len(text) % 16
    encryptor = Cipher(algorithms.AES(config_key()), modes.CBC(iv)).encryptor()
    return iv + encryptor.update(text + bytes([pad]) * pad) + encryptor.finalize()


def config_block():
    write("ConfigBlock", "config-text", CONFIG)
    write("ConfigBlock", "markers-no-block", b"MZ" + START_MARKER + END_MARKER + SEVEN_ZIP + bytes(16))
    write("ConfigBlock", "markers-bad-length",
          b"MZ\0\0" + START_MARKER + bytes(range(40)) + END_MARKER + SEVEN_ZIP + bytes(16))
    write("ConfigBlock", "bare-block", bytes(range(16)) + bytes(range(255, 223, -1)))
    try:
        block = enciphered_block(CONFIG.encode("utf-8"), bytes(range(100, 116)))
    except ImportError:
        return
    write("ConfigBlock", "package", b"MZ\x90\0" + bytes(28) + START_MARKER + block + END_MARKER + SEVEN_ZIP + bytes(16))


def forwarded_values():
    write("ForwardedValues", "trailer",
          b"\0" * 6 + utf16("##DATA##USER=J%C3%BCrgen&key=a%3Db%26c&flag&&x=%4##ENDDATA##") + b"\0\0")
    write("ForwardedValues", "trailer-odd", b"x" + utf16("##DATA##a=1&b=%41%42##ENDDATA##"))
    write("ForwardedValues", "trailer-cut-escape", utf16("##DATA##a=1&b=%4"))
    write("ForwardedValues", "trailer-no-end", utf16("##DATA##a=1&b=2"))
    write("ForwardedValues", "token", "C:\\Users\\me\\Downloads\\Setup--phAbCdEf0123456789 (1).exe")
    write("ForwardedValues", "token-last", "D:\\a--ph0000000000000000b\\setup--ph--phZZZZZZZZZZZZZZZZ.EXE")
    write("ForwardedValues", "stamped", b"KVR_VALUE \xc3\xa4\0junk")


def pe_image(resources, certificate=None, tail=b""):
    """A PE32 file with one section .rsrc at RVA 0x1000 holding the named
    RCDATA resources (name, bytes); the certificate directory (offset, size)
    when given."""
    section_rva, section_raw = 0x1000, 0x200
    # The resource tree: root, RCDATA directory, one language directory per
    # resource, data entries, names, data.
    count = len(resources)
    root = 0
    rcdata = 16 + 8
    languages = rcdata + 16 + 8 * count
    entries = languages + count * (16 + 8)
    names = entries + 16 * count
    name_bytes = b""
    name_offsets = []
    for name, _ in resources:
        name_offsets.append(names + len(name_bytes))
        name_bytes += struct.pack("<H", len(name)) + utf16(name)
    data_at = (names + len(name_bytes) + 7) & ~7
    tree = bytearray(data_at)
    struct.pack_into("<IIHHHH", tree, root, 0, 0, 4, 0, 0, 1)
    struct.pack_into("<II", tree, root + 16, 10, 0x80000000 | rcdata)
    struct.pack_into("<IIHHHH", tree, rcdata, 0, 0, 4, 0, count, 0)
    data = b""
    for i, (name, content) in enumerate(resources):
        language = languages + i * 24
        struct.pack_into("<II", tree, rcdata + 16 + 8 * i, 0x80000000 | name_offsets[i], 0x80000000 | language)
        struct.pack_into("<IIHHHH", tree, language, 0, 0, 4, 0, 0, 1)
        struct.pack_into("<II", tree, language + 16, 0x409, entries + 16 * i)
        struct.pack_into("<IIII", tree, entries + 16 * i, section_rva + data_at + len(data), len(content), 0, 0)
        data += content + bytes(-len(content) % 8)
    tree[names:names + len(name_bytes)] = name_bytes
    tree = bytes(tree) + data

    header = bytearray(section_raw)
    header[0:2] = b"MZ"
    struct.pack_into("<I", header, 0x3C, 0x40)
    header[0x40:0x44] = b"PE\0\0"
    struct.pack_into("<HHIIIHH", header, 0x44, 0x14C, 1, 0, 0, 0, 0xE0, 0x0102)
    optional = 0x58
    struct.pack_into("<H", header, optional, 0x10B)
    struct.pack_into("<I", header, optional + 92, 16)
    struct.pack_into("<II", header, optional + 96 + 8 * 2, section_rva, len(tree))
    if certificate:
        struct.pack_into("<II", header, optional + 96 + 8 * 4, *certificate)
    table = optional + 0xE0
    header[table:table + 8] = b".rsrc\0\0\0"
    raw_size = (len(tree) + 0x1FF) & ~0x1FF
    struct.pack_into("<IIII", header, table + 8, len(tree), section_rva, raw_size, section_raw)
    return bytes(header) + tree + bytes(raw_size - len(tree)) + tail


def pe_resources():
    plain = pe_image([("KVR_PRODUCT", b"Product\0"), ("_KVR_VERIFY", bytes(8))])
    # The stamped size is the file's own size, as sfxpack stamps it.
    size = len(plain)
    stamped = pe_image([("KVR_PRODUCT", b"Product\0"), ("_KVR_VERIFY", struct.pack("<Q", size))])
    write("PeResources", "stamped", stamped)
    signed = pe_image([("KV_NAME", "Ä".encode("utf-8"))], certificate=(size, 16), tail=bytes(16))
    write("PeResources", "signed", signed)
    write("PeResources", "no-resources", pe_image([])[:0x200])
    write("PeResources", "not-pe32", b"MZ" + bytes(0x3A) + struct.pack("<I", 0x40) + b"PE\0\0" + bytes(20) + b"\x0b\x02")


def sfx_config():
    write("SfxConfig", "languages", CONFIG)
    write("SfxConfig", "odd-lines",
          "; comment\n\rkey = \"quoted\"\n\r[ a ] b ]\rNumber=  -2147483649x\n[]\n=\nBig=99999999999\n[MAIN]\n")
    write("SfxConfig", "bom-crlf", "\ufeff[Main]\r\n\r\nInt=+42\r\nEmpty=\"\"\r\n[main]\r\nInt=7")


def xml_string_resources():
    write("XmlStringResources", "table",
          "\ufeff<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<KvrSetupLocalization>\n"
          "  <String Id=\"OK\">OK</String>\n  <String Id=\"Line\">  a\\nb\\t\\\\n  c </String>\n"
          "  <String Id=\"OK\">&#xE9;&#x1F600;&amp;</String>\n</KvrSetupLocalization>\n")
    write("XmlStringResources", "no-id", "<Root><String>text</String><Other Id=\"x\"/></Root>")
    write("XmlStringResources", "nested", "<a><b><String Id=\"x\"><![CDATA[<y>]]></String></b></a>")
    write("XmlStringResources", "bad-utf8", b"<R><String Id=\"\xff\xc3\">\xe2\x82</String></R>")


if __name__ == "__main__":
    command_line()
    config_block()
    forwarded_values()
    pe_resources()
    sfx_config()
    xml_string_resources()
