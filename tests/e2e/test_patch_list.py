#!/usr/bin/python3
"""/p under Wine: the embedded patch-list texts appended to a file, byte for byte."""
import os
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
from harness import (DEMO_PATCH, DEMO_PATCH84, MB_ERROR, MB_LIST_OF_PRODUCTS,  # noqa: E402
                     SERVICEPACK, SERVICEPACK84, SOURCE_DIR, listing, patch_summary, winpath)

SEPARATOR = b"*****\r\n"
TEXT_206 = SOURCE_DIR / "demo" / "patchlist.txt"
TEXT_207 = SOURCE_DIR / "tests" / "e2e" / "data" / "patchlist2.txt"
NEED_PATCH_LIST = ("You must supply a patch list with the command line to install this "
                   "service pack installation.")


def exported(*texts):
    return b"".join(SEPARATOR + Path(t).read_bytes() + b"\r\n" for t in texts)


class ExportPatchList(harness.PrefixTestCase):
    prefix_name = "patch_list"

    @classmethod
    def required_files(cls):
        return [SERVICEPACK, DEMO_PATCH, SERVICEPACK84, DEMO_PATCH84]

    def test_each_run_appends_separator_text_and_line_break(self):
        # No product is installed: a run that went on to install would show message 307.
        cwd, tmp = self.scratch("append"), self.scratch("append_tmp")
        for _ in range(2):
            result = self.prefix.run(SERVICEPACK, "/p", "out.txt", tmp=tmp, cwd=cwd)
            self.assertEqual(result.returncode, 0)
            self.assertNoBox(result)
        self.assertEqual(listing(cwd), ["out.txt"])
        self.assertEqual((cwd / "out.txt").read_bytes(), exported(TEXT_206, TEXT_206))
        self.assertEqual(listing(tmp), [], "a given name needs no temporary patch")

    def test_default_name_from_first_product_code(self):
        # The patch's list starts "{A47E0D93-5C1B-": four characters after the first "-".
        name = "patchlist5C1B.txt"
        cwd, tmp = self.scratch("default"), self.scratch("default_tmp")
        result = self.prefix.run(SERVICEPACK, "/P", tmp=tmp, cwd=cwd)
        self.assertEqual(result.returncode, 0)
        self.assertNoBox(result)
        self.assertEqual(listing(cwd), [name])
        self.assertEqual((cwd / name).read_bytes(), exported(TEXT_206))
        self.assertEqual(listing(tmp), [], "the patch copy read for the name is deleted")

    def test_default_name_that_is_a_link_is_left_alone(self):
        # Another name of a file elsewhere, or a link to one (dangling too), planted
        # where the default name goes: nothing is written or created through it.
        for kind, plant in (("hardlink", os.link), ("symlink", os.symlink),
                            ("dangling", lambda target, name: os.symlink(target.parent / "new.dll", name))):
            with self.subTest(kind):
                cwd, tmp, elsewhere = (self.scratch(kind + n) for n in ("", "_tmp", "_system"))
                (elsewhere / "win.ini").write_bytes(b"[fonts]\r\n")
                plant(elsewhere / "win.ini", cwd / "patchlist5C1B.txt")
                result = self.prefix.run(SERVICEPACK, "/p", tmp=tmp, cwd=cwd)
                self.assertBoxes(result, ("Installation Error", NEED_PATCH_LIST, MB_ERROR))
                self.assertEqual(listing(elsewhere), ["win.ini"])
                self.assertEqual((elsewhere / "win.ini").read_bytes(), b"[fonts]\r\n")

    def test_texts_in_order_of_their_ids(self):
        cwd = self.scratch("two_texts")
        result = self.prefix.run(SERVICEPACK84, "/p", winpath(cwd / "list.txt"))
        self.assertNoBox(result)
        self.assertEqual((cwd / "list.txt").read_bytes(), exported(TEXT_206, TEXT_207))

    def test_with_extraction_and_product_list(self):
        cwd = self.scratch("combined")
        result = self.prefix.run(SERVICEPACK, "/e", "copy.msp", "/p", "out.txt", "/i", cwd=cwd)
        self.assertBoxes(result, ("List of Products", patch_summary(DEMO_PATCH)[0],
                                  MB_LIST_OF_PRODUCTS))
        self.assertEqual((cwd / "copy.msp").read_bytes(), DEMO_PATCH.read_bytes())
        self.assertEqual((cwd / "out.txt").read_bytes(), exported(TEXT_206))

    def test_file_that_cannot_be_created_gives_message_310(self):
        cwd = self.scratch("unwritable")
        result = self.prefix.run(SERVICEPACK, "/p", winpath(cwd / "no such dir" / "out.txt"))
        self.assertBoxes(result, ("Installation Error", NEED_PATCH_LIST, MB_ERROR))
        self.assertEqual(listing(cwd), [])


if __name__ == "__main__":
    harness.main()
