#!/usr/bin/python3
"""The string tables as built into servicepack.exe, read back from its RT_STRING blocks,
hold each language's texts exactly as its source .rc file spells them; its icon has
every size Explorer shows."""
import re
import struct
import sys
import unittest
from pathlib import Path

import pefile

sys.path.insert(0, str(Path(__file__).resolve().parent))
from harness import SERVICEPACK, SOURCE_DIR  # noqa: E402

STRINGS_DIR = SOURCE_DIR / "src" / "resources" / "strings"
CODE_PAGE_LINE = "#pragma code_page(65001)"
_ESCAPES = {"n": "\n", "t": "\t", "\\": "\\", '"': '"'}


def rc_table(path):
    """(LANGID, {id: text}) of one string-table file."""
    language, texts = None, {}
    for line in path.read_text(encoding="utf-8").splitlines():
        declared = re.match(r"\s*LANGUAGE\s+0x([0-9A-Fa-f]+)\s*,\s*0x([0-9A-Fa-f]+)", line)
        if declared:
            language = int(declared.group(2), 16) << 10 | int(declared.group(1), 16)
        entry = re.match(r'\s*(\d+)\s+"(.*)"\s*$', line)
        if entry:
            body = entry.group(2).replace('""', '\\"')
            texts[int(entry.group(1))] = re.sub(r"\\(.)", lambda m: _ESCAPES[m.group(1)], body)
    return language, texts


def exe_tables(path):
    """{LANGID: {id: text}} of every non-empty string in the executable's RT_STRING blocks."""
    pe = pefile.PE(str(path))
    tables = {}
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if kind.id != pefile.RESOURCE_TYPE["RT_STRING"]:
            continue
        for block in kind.directory.entries:
            for lang in block.directory.entries:
                data = pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
                offset = 0
                for slot in range(16):
                    length = int.from_bytes(data[offset:offset + 2], "little")
                    text = data[offset + 2:offset + 2 + 2 * length].decode("utf-16-le")
                    offset += 2 + 2 * length
                    if text:
                        tables.setdefault(lang.id, {})[(block.id - 1) * 16 + slot] = text
    return tables


class StringTables(unittest.TestCase):
    def test_executable_holds_each_files_texts(self):
        built = exe_tables(SERVICEPACK)
        files = sorted(STRINGS_DIR.glob("*.rc"))
        self.assertEqual(len(files), 14)
        languages = []
        for rc in files:
            with self.subTest(file=rc.name):
                # Each file states its code page, so it reads the same compiled on its own.
                self.assertEqual(rc.read_text(encoding="utf-8").splitlines()[0], CODE_PAGE_LINE)
                language, texts = rc_table(rc)
                languages.append(language)
                self.assertEqual(built.get(language), texts)
        self.assertEqual(sorted(built), sorted(languages))

    def test_icon_has_every_size_explorer_shows(self):
        pe = pefile.PE(str(SERVICEPACK))
        data = {}  # (type, id) -> bytes
        for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
            for entry in kind.directory.entries:
                lang = entry.directory.entries[0].data.struct
                data[kind.id, entry.id] = pe.get_data(lang.OffsetToData, lang.Size)
        group = next(v for (kind, _), v in data.items()
                     if kind == pefile.RESOURCE_TYPE["RT_GROUP_ICON"])
        sizes = {}
        for k in range(struct.unpack_from("<H", group, 4)[0]):
            width, icon_id = group[6 + 14 * k], struct.unpack_from("<H", group, 6 + 14 * k + 12)[0]
            sizes[width or 256] = data[pefile.RESOURCE_TYPE["RT_ICON"], icon_id]
        self.assertEqual(sorted(sizes), [16, 32, 48, 256])
        self.assertTrue(sizes[256].startswith(b"\x89PNG"))


if __name__ == "__main__":
    unittest.main(verbosity=2)
