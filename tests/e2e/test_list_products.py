#!/usr/bin/python3
"""/i under Wine: the embedded patch's target products shown in the "List of Products" box;
/? : the help box in the user's language, and nothing else."""
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
from harness import (DEMO_PATCH, DEMO_PATCH84, MB_INFORMATION, MB_LIST_OF_PRODUCTS,  # noqa: E402
                     SERVICEPACK, SERVICEPACK84, listing, patch_summary, unix_locale, winpath)

TITLE = "List of Products"


class ListProducts(harness.PrefixTestCase):
    prefix_name = "list_products"

    @classmethod
    def required_files(cls):
        return [SERVICEPACK, DEMO_PATCH, SERVICEPACK84, DEMO_PATCH84]

    def assertListBox(self, result):
        self.assertEqual(result.returncode, 0)
        self.assertEqual(len(result.boxes), 1, result.boxes)
        box = result.boxes[0]
        self.assertEqual((box.title, box.flags), (TITLE, MB_LIST_OF_PRODUCTS))
        return box

    def test_shows_exact_template_whatever_quiet_says(self):
        template = patch_summary(DEMO_PATCH)[0]
        for args in (["/i"], ["/q", "/i"], ["/i", "/q"]):
            with self.subTest(args=args):
                tmp = self.scratch("tmp_" + "_".join(a.strip("/") for a in args))
                box = self.assertListBox(self.prefix.run(SERVICEPACK, *args, tmp=tmp))
                self.assertFalse(box.truncated)
                self.assertEqual(box.text, template)
                # The list is read from a temporary copy, which is gone afterwards.
                self.assertEqual(listing(tmp), [])

    def test_extract_then_list(self):
        out, tmp = self.scratch("combined"), self.scratch("combined_tmp")
        result = self.prefix.run(SERVICEPACK, "/e", winpath(out / "copy.msp"), "/i", tmp=tmp)
        box = self.assertListBox(result)
        self.assertEqual(box.text, patch_summary(DEMO_PATCH)[0])
        self.assertEqual((out / "copy.msp").read_bytes(), DEMO_PATCH.read_bytes())
        # /e wrote its copy under a new name beside copy.msp first.
        self.assertEqual(listing(out), ["copy.msp"])
        self.assertEqual(listing(tmp), [])

    def test_template_of_84_products(self):
        template = patch_summary(DEMO_PATCH84)[0]
        self.assertEqual(len(template), 84 * 38 + 83)
        box = self.assertListBox(self.prefix.run(SERVICEPACK84, "/i", tmp=self.scratch("tmp84")))
        # The relay trace cuts long strings; what it shows must be the template's start.
        self.assertGreaterEqual(len(box.text), 250)
        self.assertTrue(template.startswith(box.text), box.text)
        self.assertTrue(box.truncated or box.text == template)

    def test_help_in_the_users_language_and_nothing_else(self):
        tmp = self.scratch("tmp_help")
        self.prefix.locale_env = unix_locale("de_DE")
        try:
            result = self.prefix.run(SERVICEPACK, "/?", tmp=tmp)
        finally:
            self.prefix.locale_env = {}
        self.assertEqual(result.returncode, 0)
        self.assertEqual([(b.title, b.flags) for b in result.boxes],
                         [("Befehlszeilenoptionen", MB_INFORMATION)])
        # An umlaut read back from the box: the table's UTF-8 survived the build.
        self.assertTrue(result.boxes[0].text.startswith(
            "Ohne Optionen wird dieses service pack für alle Produkte installiert, "
            "die es benötigen.\n\n/q – "), result.boxes[0].text)
        self.assertEqual(listing(tmp), [], "nothing extracted")


if __name__ == "__main__":
    harness.main()
