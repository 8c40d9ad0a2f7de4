#!/usr/bin/python3
"""/e under Wine: the embedded patch written to a named file or to a new temporary one."""
import collections
import itertools
import os
import sys
import threading
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
from harness import DEMO_PATCH, SERVICEPACK, SERVICEPACK84, winpath  # noqa: E402


def listing(directory):
    return sorted(p.name for p in Path(directory).iterdir())


class ExtractToGivenPath(harness.PrefixTestCase):
    prefix_name = "extract_path"

    def setUp(self):
        self.payload = DEMO_PATCH.read_bytes()

    def test_upper_case_switch_writes_identical_copy_silently(self):
        out_dir, tmp = self.scratch("absolute"), self.scratch("absolute_tmp")
        name = "Kopie ä 日本 100%.msp"   # reaches the program intact, whatever cmd's code page
        result = self.prefix.run(SERVICEPACK, "/E", winpath(out_dir / name), tmp=tmp)
        self.assertEqual(result.returncode, 0)
        self.assertNoBox(result)
        self.assertEqual(listing(out_dir), [name])
        self.assertEqual((out_dir / name).read_bytes(), self.payload)
        self.assertTrue(self.payload.startswith(harness.COMPOUND_FILE_SIGNATURE))
        self.assertEqual(listing(tmp), [], "a given path must not also produce a temp file")

    def test_relative_path_is_resolved_against_current_directory(self):
        cwd = self.scratch("relative")
        result = self.prefix.run(SERVICEPACK, "/e", "copy.msp", cwd=cwd)
        self.assertEqual(result.returncode, 0)
        self.assertEqual((cwd / "copy.msp").read_bytes(), self.payload)

    def test_existing_larger_file_is_truncated_to_payload(self):
        out_dir = self.scratch("truncate")
        target = out_dir / "big.msp"
        target.write_bytes(b"\xAA" * (len(self.payload) * 3 + 12345))
        result = self.prefix.run(SERVICEPACK, "/e", winpath(target))
        self.assertEqual(result.returncode, 0)
        self.assertNoBox(result)
        self.assertEqual(target.stat().st_size, len(self.payload))
        self.assertEqual(target.read_bytes(), self.payload)
        self.assertEqual(listing(out_dir), ["big.msp"], "the old content is not kept aside")

        # A link there is replaced itself; the file it led to stays where it is, as it is.
        precious = self.scratch("elsewhere") / "precious.txt"
        precious.write_bytes(b"not the patch")
        (out_dir / "link.msp").symlink_to(precious)
        self.assertEqual(self.prefix.run(SERVICEPACK, "/e", winpath(out_dir / "link.msp")).returncode, 0)
        self.assertEqual((out_dir / "link.msp").read_bytes(), self.payload)
        self.assertEqual(precious.read_bytes(), b"not the patch")

    def test_full_disk_leaves_existing_file_as_it_was(self):
        # The 84-product patch needs two pages of the disk; none is left.
        original = b"\x55" * 100
        with harness.full_disk(self, self.scratch("full"), files={"out.msp": original}) as out_dir:
            result = self.prefix.run(SERVICEPACK84, "/e", winpath(out_dir / "out.msp"))
            self.assertEqual(result.returncode, 0)
            self.assertNoBox(result)
            self.assertEqual(listing(out_dir), ["filler", "out.msp"])
            self.assertEqual((out_dir / "out.msp").read_bytes(), original)

    def test_path_in_missing_directory_creates_nothing(self):
        out_dir, tmp = self.scratch("missing"), self.scratch("missing_tmp")
        result = self.prefix.run(SERVICEPACK, "/e", winpath(out_dir / "no such dir" / "x.msp"),
                                 tmp=tmp, cwd=out_dir)
        self.assertEqual(result.returncode, 0)
        self.assertNoBox(result)
        self.assertEqual(listing(out_dir), [])
        self.assertEqual(listing(tmp), [])

    def test_what_is_no_file_is_refused_and_left_where_it_is(self):
        # A directory there is neither moved aside nor written into; a device is no file either.
        cwd = self.scratch("no_file")
        (cwd / "folder").mkdir()
        (cwd / "folder" / "inside.txt").write_bytes(b"kept")
        for given in ("folder", "folder\\", winpath(cwd / "folder"), "NUL"):
            with self.subTest(given):
                code, result = self.prefix.launched(SERVICEPACK, "/e", given, "/exitcode",
                                                    cwd=cwd)
                # Access denied, as for writing to a directory; the device's own error.
                self.assertEqual(code, 5) if given != "NUL" else self.assertNotIn(code, (0, None))
                self.assertNoBox(result)
                self.assertEqual(listing(cwd), ["folder"])
                self.assertEqual(listing(cwd / "folder"), ["inside.txt"])

    def test_names_of_the_temporary_form(self):
        # The file written beside the target is never the target itself.
        for given, before in (("MSP2", []), ("msp2", ["MSP2"]), ("MSP3", ["MSP2"]),
                              ("{cwd}\\msp3", ["MSP2"]), (".\\MSP4", ["MSP2", "MSP3"])):
            with self.subTest(given=given, before=before):
                cwd = self.scratch("temporary_form")
                for name in before:
                    (cwd / name).write_bytes(b"old " + name.encode())
                result = self.prefix.run(SERVICEPACK, "/e", given.format(cwd=winpath(cwd)),
                                         "/exitcode", cwd=cwd)
                self.assertEqual(result.returncode, 0)
                written = given.rsplit("\\", 1)[-1].lower()
                self.assertEqual([n.lower() for n in listing(cwd)],
                                 sorted({n.lower() for n in before} | {written}))
                for name in listing(cwd):
                    self.assertEqual((cwd / name).read_bytes(), self.payload
                                     if name.lower() == written else b"old " + name.encode())

    # Not run here: "/e /q" (the switch taken as the path). Under Wine a path that
    # begins with "/" is a Unix path, so the file would land in the host's root.


class ExtractThroughSwitchedFolder(harness.PrefixTestCase):
    prefix_name = "extract_switched"

    def test_flipping_link_never_costs_an_original(self):
        # par leads to A or B, switched as fast as the host can while each run goes on:
        # every run replaces the file of one folder, and nothing else.
        root, payload = self.scratch("switched"), DEMO_PATCH.read_bytes()
        folders, par, next_par = (root / "A", root / "B"), root / "par", root / "par.next"
        for folder in folders:
            folder.mkdir()
        par.symlink_to(folders[0], target_is_directory=True)
        stop = threading.Event()

        def flip():
            for folder in itertools.takewhile(lambda _: not stop.is_set(),
                                              itertools.cycle(folders)):
                next_par.unlink(missing_ok=True)
                next_par.symlink_to(folder, target_is_directory=True)
                os.replace(next_par, par)

        def state(folder):
            return {p.name: "patch" if p.read_bytes() == payload else p.read_bytes().decode()
                    for p in folder.iterdir()}

        flipper = threading.Thread(target=flip)
        flipper.start()
        outcomes = collections.Counter()
        try:
            for _ in range(60):
                for folder in folders:
                    for entry in folder.iterdir():
                        entry.unlink()
                    (folder / "out.msp").write_bytes(folder.name.encode())
                result = self.prefix.run(SERVICEPACK, "/e", winpath(par / "out.msp"), "/exitcode")
                outcomes[(result.returncode, str(state(folders[0])), str(state(folders[1])))] += 1
        finally:
            stop.set()
            flipper.join()
        self.assertLessEqual(set(outcomes), {(0, "{'out.msp': 'patch'}", "{'out.msp': 'B'}"),
                                             (0, "{'out.msp': 'A'}", "{'out.msp': 'patch'}")},
                             outcomes)


class ExtractToTemporaryName(harness.PrefixTestCase):
    prefix_name = "extract_temp"

    def setUp(self):
        self.payload = DEMO_PATCH.read_bytes()

    def test_first_name_is_msp2_in_tmp(self):
        tmp, cwd = self.scratch("tmp"), self.scratch("cwd")
        result = self.prefix.run(SERVICEPACK, "/e", tmp=tmp, cwd=cwd)
        self.assertEqual(result.returncode, 0)
        self.assertNoBox(result)
        self.assertEqual(listing(tmp), ["MSP2"])
        self.assertEqual((tmp / "MSP2").read_bytes(), self.payload)
        self.assertEqual(listing(cwd), [])

    def test_tmp_with_trailing_separator(self):
        tmp = self.scratch("tmp_trailing")
        result = self.prefix.run(SERVICEPACK, "/e", tmp=str(tmp) + "/")
        self.assertEqual(result.returncode, 0)
        self.assertEqual(listing(tmp), ["MSP2"])

    def test_existing_names_are_skipped_and_left_alone(self):
        tmp = self.scratch("tmp_taken")
        (tmp / "MSP2").write_bytes(b"two")
        (tmp / "MSP3").mkdir()
        result = self.prefix.run(SERVICEPACK, "/e", tmp=tmp)
        self.assertEqual(result.returncode, 0)
        self.assertEqual(listing(tmp), ["MSP2", "MSP3", "MSP4"])
        self.assertEqual((tmp / "MSP2").read_bytes(), b"two")
        self.assertEqual((tmp / "MSP4").read_bytes(), self.payload)

    def test_extracted_copy_is_left_to_runs_that_read_their_own(self):
        # Such runs clear away only a copy a killed run of theirs left, marked temporary;
        # /e's output never is. (Wine keeps no such mark, so a killed run's stays there.)
        tmp = self.scratch("tmp_extracted")
        self.assertEqual(self.prefix.run(SERVICEPACK, "/e", tmp=tmp).returncode, 0)
        for args in (["/i"], ["/q"]):
            with self.subTest(args=args):
                self.assertEqual(self.prefix.run(SERVICEPACK, *args, tmp=tmp).returncode, 0)
                self.assertEqual(listing(tmp), ["MSP2"])
                self.assertEqual((tmp / "MSP2").read_bytes(), self.payload)

    def test_missing_tmp_falls_back_to_root_of_current_drive(self):
        # TMP names no existing directory, and the platform's temp path is TMP too.
        cwd = self.prefix.drive_c / "extract_fallback"
        cwd.mkdir(exist_ok=True)
        for name in ("MSP2", "MSP3"):
            (self.prefix.drive_c / name).unlink(missing_ok=True)
        missing = self.prefix.work / "no such tmp"
        result = self.prefix.run(SERVICEPACK, "/e", tmp=missing, cwd=cwd)
        self.assertEqual(result.returncode, 0)
        self.assertFalse(missing.exists())
        self.assertEqual((self.prefix.drive_c / "MSP2").read_bytes(), self.payload)
        self.assertEqual(listing(cwd), [])


if __name__ == "__main__":
    harness.main()
