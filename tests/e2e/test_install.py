#!/usr/bin/python3
"""Running without arguments under Wine: the embedded patch applied to the demo products
installed in the prefix, with a verbose log per product and one closing message."""
import re
import shutil
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
from harness import (BUILD_DIR, MB_ERROR, MB_INFORMATION, SERVICEPACK, SERVICEPACK84,  # noqa: E402
                     SOURCE_DIR, TEST_PRODUCT_SOURCES, TEST_PRODUCTS_DIR, demo_products, listing,
                     winpath)

sys.path.insert(0, str(SOURCE_DIR / "demo"))
import make_patch  # noqa: E402

NO_PRODUCT = ("The service pack could not be installed because the expected Corvanta product "
              "could not be located on your computer.\n"
              "Make sure that you are using the correct service pack for the product.")
FAILED = ("A problem prevented the service pack from being installed. Contact your system "
          "administrator. \n\n Error Code: ")
INSTALLED = {1033: ("Installation Successful", "The service pack has been successfully installed."),
             1031: ("Installation erfolgreich", "Das service pack wurde erfolgreich installiert."),
             3082: ("Instalación correcta", "El service pack se ha instalado correctamente.")}
FILES_IN_USE = {
    1033: "The following applications should be closed before continuing the install:",
    1031: "Die folgenden Anwendungen sollten vor dem Fortsetzen der Installation geschlossen werden:",
    3082: "Debe cerrar las siguientes aplicaciones antes de continuar con la instalación:"}
UNNECESSARY_TITLE = "Installation Unnecessary"
NOTHING_TO_REMOVE = ("Removal Unnecessary", "The service pack is not installed on this computer, "
                     "so there is nothing to remove.", MB_INFORMATION)
# Local time with milliseconds and offset, then the process id.
RECORD_LINE = re.compile(r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d \[\d+\] ")


def read_record(test, path):
    """The events of a record (/log), checked line by line: one BOM, UTF-8, CR LF, stamped."""
    data = path.read_bytes()
    test.assertTrue(data.startswith(b"\xef\xbb\xbf"))
    test.assertNotIn(b"\xef\xbb\xbf", data[3:])
    lines = data[3:].decode("utf-8").split("\r\n")
    test.assertEqual(lines.pop(), "")
    for line in lines:
        test.assertRegex(line, RECORD_LINE)
    return [RECORD_LINE.sub("", line) for line in lines]


class InstallTestCase(harness.ProductsTestCase):
    # The product of tests/e2e/data a scenario installs instead of the demo products.
    test_product = None

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        if cls.test_product:
            cls.products = [p for p in demo_products(TEST_PRODUCT_SOURCES, TEST_PRODUCTS_DIR)
                            if p.name == cls.test_product]
            cls.prefix.install_demo_products(cls.products)

    def assertLogsOfInstallation(self, tmp):
        """One log per product, named after it, and nothing else: the temporary patch is
        gone. The installer lists the command line's properties in each log."""
        self.assertEqual(listing(tmp), sorted(p.log_name for p in self.products))
        for product in self.products:
            with self.subTest(log=product.name):
                # The installer writes its log in the ANSI code page.
                log = (tmp / product.log_name).read_text(encoding="cp1252", errors="replace")
                self.assertIn(f"Property(S): ProductCode = {product.code}\n", log)
                self.assertIn(f"Property(S): PATCH = {winpath(tmp)}\\MSP2\n", log)
                self.assertIn("Property(S): REBOOTPROMPT = SUPPRESS\n", log)
                self.assertIn("Property(S): REBOOT = ReallySuppress\n", log)
                self.assertIn(f"Property(S): FILESINUSETEXT = {FILES_IN_USE[product.language]}\n",
                              log)
                # Basic progress UI during the installation (the Cancel bit is not shown).
                self.assertIn("Property(S): UILevel = 3\n", log)


class NoDemoProduct(InstallTestCase):
    prefix_name = "install_none"

    def test_message_307_and_nothing_left_behind(self):
        for args, boxes in (([], [("Installation Error", NO_PRODUCT, MB_ERROR)]), (["/q"], [])):
            with self.subTest(args=args):
                tmp = self.scratch("tmp" + "".join(a.strip("/") for a in args))
                self.assertBoxes(self.prefix.run(SERVICEPACK, *args, tmp=tmp), *boxes)
                self.assertEqual(listing(tmp), [], "no log, and the temporary patch deleted")
        self.assertPatched(self.absent, state=1605)   # still unknown products

    def test_check_finds_nothing_to_install_and_uninstall_nothing_to_remove(self):
        tmp = self.scratch("tmp_check")
        code, result = self.prefix.launched(SERVICEPACK, "/check", tmp=tmp)
        self.assertEqual((code, result.boxes), (1642, []))
        code, result = self.prefix.launched(SERVICEPACK, "/uninstall", "/q", tmp=tmp)
        self.assertEqual((code, result.boxes), (0, []))
        self.assertEqual(listing(tmp), [])

    def test_record_of_two_runs_says_why_nothing_was_installed(self):
        tmp, records = self.scratch("tmp_record"), self.scratch("records")
        record = records / "servicepack.log"
        self.assertBoxes(self.prefix.run(SERVICEPACK, "/q", "/log", winpath(record), tmp=tmp))
        # Without a path the record goes to the temporary folder the run uses.
        self.assertBoxes(self.prefix.run(SERVICEPACK, "/q", "/log", tmp=records))
        self.assertEqual(listing(tmp), [])
        self.assertEqual(listing(records), ["servicepack.log"])
        events = read_record(self, record)
        starts = [e for e in events if e.startswith("start: servicepack.exe version 1.0.0.0")]
        self.assertEqual(len(starts), 2, events)
        self.assertIn(f"temporary folder: {winpath(tmp)}, from TMP", events)
        patch = [e for e in events
                 if e.startswith(f"patch {harness.DEMO_PATCH_CODE}, supersedes {{")]
        self.assertEqual(len(patch), 2, events)
        self.assertTrue(patch[0].endswith(", lists 6 product(s)"), patch)
        self.assertIn("message 307 not shown: /q", events)
        ends = [e for e in events if e.startswith("end: ")]
        self.assertEqual(len(ends), 2)
        self.assertTrue(all(e.startswith("end: outcome 1642 (not applicable") for e in ends), ends)

    def test_full_disk_shows_its_code_and_leaves_no_partial_patch(self):
        # One page left: the 84-product patch is written in part, the write "succeeds" short.
        with harness.full_disk(self, self.scratch("tmp_full"), free=4096) as tmp:
            self.assertBoxes(self.prefix.run(SERVICEPACK84, tmp=tmp),
                             ("Installation Error", FAILED + "112", MB_ERROR))
            self.assertEqual(listing(tmp), ["filler"])


class BothProducts(InstallTestCase):
    prefix_name = "install_both"
    installed = ["Corvanta Modelara Demo 13", "Corvanta Plotrix Demo 13"]

    def test_patch_applied_to_each_then_second_run_unnecessary(self):
        self.assertPatched(self.products, state=1647)
        # Before: a check asks to act and changes nothing; a removal finds nothing to remove.
        before = self.scratch("tmp_before")
        code, result = self.prefix.launched(SERVICEPACK, "/check", tmp=before)
        self.assertEqual((code, result.boxes), (1, []))
        code, result = self.prefix.launched(SERVICEPACK, "/uninstall", "/exitcode", tmp=before)
        self.assertEqual(code, 0)
        self.assertBoxes(result, NOTHING_TO_REMOVE)
        self.assertEqual(listing(before), [])
        self.assertPatched(self.products, state=1647)

        tmp = self.scratch("tmp_first")
        # Plotrix (English) is the last product in the patch's list, so its language speaks.
        self.assertBoxes(self.prefix.run(SERVICEPACK, tmp=tmp), (*INSTALLED[1033], MB_INFORMATION))
        self.assertPatched(self.products)
        self.assertLogsOfInstallation(tmp)

        again = self.scratch("tmp_second")
        self.assertBoxes(self.prefix.run(SERVICEPACK, tmp=again),
                         (UNNECESSARY_TITLE, "Your version of Corvanta Plotrix Demo 13 is up-to-date "
                          "and this service pack is not necessary.", MB_INFORMATION))
        self.assertEqual(listing(again), [], "no installation attempted, no temporary patch left")
        self.assertPatched(self.products)
        code, result = self.prefix.launched(SERVICEPACK, "/check", tmp=again)
        self.assertEqual((code, result.boxes), (0, []))

        # Wine's installer accepts the removal, answers 0 and keeps the patch registered:
        # the run must not claim success while the patch is still there.
        off = self.scratch("tmp_uninstall")
        code, result = self.prefix.launched(SERVICEPACK, "/uninstall", "/q", tmp=off)
        self.assertEqual((code, result.boxes), (1603, []))
        self.assertPatched(self.products)
        first = self.products[0]   # the first failure ends the removal
        self.assertEqual(listing(off), [first.name + " removal.log"])
        log = (off / (first.name + " removal.log")).read_text(encoding="cp1252", errors="replace")
        self.assertIn(f"Property(S): MSIPATCHREMOVE = {harness.DEMO_PATCH_CODE}\n", log)
        self.assertIn("Property(S): REBOOT = ReallySuppress\n", log)


class RecordOfAnInstallation(InstallTestCase):
    prefix_name = "install_record"
    installed = ["Corvanta Plotrix Demo 13"]

    def test_record_names_each_product_its_decision_and_the_outcome(self):
        current = [p for p in demo_products(TEST_PRODUCT_SOURCES, TEST_PRODUCTS_DIR)
                   if p.version == "13.3.0.5"]
        self.prefix.install_demo_products(current)
        tmp = self.scratch("tmp")
        record = self.scratch("records") / "run.log"
        code, result = self.prefix.launched(SERVICEPACK, "/q", "/exitcode", "/log",
                                            winpath(record), tmp=tmp)
        self.assertEqual(code, 0)
        self.assertNoBox(result)
        self.assertPatched(self.products)
        events = read_record(self, record)
        plotrix, up_to_date = self.products[0], current[0]
        self.assertIn(f"product {plotrix.code} \"{plotrix.name}\" version \"{plotrix.version}\", "
                      "language 1033, per-machine, no LOCALEID: "
                      "lacks the patch: will be patched", events)
        self.assertIn(f"product {up_to_date.code} \"{up_to_date.name}\" version \"13.3.0.5\", "
                      "language 1033, per-machine, no LOCALEID: up to date at 13.3.0.5 or later: "
                      "passed over", events)
        installed = [e for e in events if e.startswith(f"installed {plotrix.code}")]
        self.assertEqual(len(installed), 1, events)
        self.assertIn(f"log {winpath(tmp)}\\{plotrix.log_name}; command line \"", installed[0])
        self.assertRegex(installed[0], r"; result 0 \([^)]+\); took \d+ ms$")
        self.assertIn("running applications: none of the watched applications runs", events)
        self.assertRegex(events[-1], r"^end: outcome 0 \(success\), exit code 0, took \d+ ms$")


class QuietInstallation(InstallTestCase):
    prefix_name = "install_quiet"
    installed = ["Corvanta Modelara Demo 13", "Corvanta Plotrix Demo 13"]

    def test_same_installation_without_any_box(self):
        tmp = self.scratch("tmp_first")
        result = self.prefix.run(SERVICEPACK, "/Q", tmp=tmp)
        self.assertEqual(result.returncode, 0)
        self.assertNoBox(result)
        self.assertPatched(self.products)
        self.assertLogsOfInstallation(tmp)

        again = self.scratch("tmp_second")
        result = self.prefix.run(SERVICEPACK, "/q", tmp=again)
        self.assertNoBox(result)
        self.assertEqual(listing(again), [])


class PlantedLibrary(InstallTestCase):
    prefix_name = "install_planted"
    installed = ["Corvanta Modelara Demo 13", "Corvanta Plotrix Demo 13"]
    planted = BUILD_DIR / "planted" / "msi.dll"

    @classmethod
    def required_files(cls):
        return [*super().required_files(), cls.planted]

    def test_msi_dll_beside_the_executable_is_not_loaded(self):
        downloads, tmp = self.scratch("downloads"), self.scratch("tmp")
        shutil.copy(SERVICEPACK, downloads)
        shutil.copy(self.planted, downloads)
        # n,b: Wine takes a native msi.dll wherever the search finds one first.
        result = self.prefix.run(downloads / SERVICEPACK.name, tmp=tmp, dll_overrides="msi=n,b")
        self.assertEqual(listing(downloads), ["msi.dll", SERVICEPACK.name])
        self.assertBoxes(result, (*INSTALLED[1033], MB_INFORMATION))
        self.assertPatched(self.products)


class LocaleInjection(InstallTestCase):
    prefix_name = "install_locale"
    test_product = "Corvanta Locale Demo 13"

    def test_locale_text_cannot_add_properties(self):
        self.assertEqual(len(self.products), 1)
        tmp = self.scratch("tmp")
        self.assertBoxes(self.prefix.run(SERVICEPACK, tmp=tmp), (*INSTALLED[1033], MB_INFORMATION))
        self.assertPatched(self.products)   # still installed, and patched
        self.assertLogsOfInstallation(tmp)
        log = (tmp / self.products[0].log_name).read_text(encoding="utf-8", errors="replace")
        self.assertNotIn("Property(S): REMOVE =", log)


class PerUserSpanishProduct(InstallTestCase):
    prefix_name = "install_peruser"
    test_product = "Corvanta PerUser Demo 13"

    def test_patched_in_its_own_context_with_a_spanish_closing_box(self):
        tmp = self.scratch("tmp")
        self.assertBoxes(self.prefix.run(SERVICEPACK84, tmp=tmp), (*INSTALLED[3082], MB_INFORMATION))
        self.assertPatched(self.products)
        self.assertLogsOfInstallation(tmp)


class RestartScheduled(InstallTestCase):
    prefix_name = "install_restart"
    test_product = "Corvanta Restart Demo 13"

    def test_restart_sentence_and_exit_code_3010_without_restarting(self):
        tmp = self.scratch("tmp")
        # The 84-product patch lists every test product.
        code, result = self.prefix.launched(SERVICEPACK84, "/exitcode", tmp=tmp)
        self.assertEqual(code, 3010)
        title, text = INSTALLED[1033]
        self.assertBoxes(result, (title, text + "\n\nThe computer must be restarted to complete "
                                  "the installation.", MB_INFORMATION))
        self.assertPatched(self.products)
        self.assertLogsOfInstallation(tmp)


def wait_until(condition, timeout=30):
    deadline = time.time() + timeout
    while not condition():
        if time.time() > deadline:
            raise AssertionError("timed out")
        time.sleep(0.1)


class GermanProductOnly(InstallTestCase):
    prefix_name = "install_german"
    installed = ["Corvanta Modelara Demo 13"]

    def test_closing_message_in_language_of_product(self):
        tmp = self.scratch("tmp")
        self.assertBoxes(self.prefix.run(SERVICEPACK, tmp=tmp), (*INSTALLED[1031], MB_INFORMATION))
        self.assertPatched(self.products)
        self.assertPatched(self.absent, state=1605)
        self.assertLogsOfInstallation(tmp)


class UpToDateProductAmongOthers(InstallTestCase):
    prefix_name = "install_current"
    installed = ["Corvanta Modelara Demo 13", "Corvanta Plotrix Demo 13"]

    def test_others_patched_and_no_log_written_through_a_planted_link(self):
        current = [p for p in demo_products(TEST_PRODUCT_SOURCES, TEST_PRODUCTS_DIR)
                   if p.version == "13.3.0.5"]
        self.prefix.install_demo_products(current)
        tmp = self.scratch("tmp")
        modelara, plotrix = self.products
        (tmp / modelara.log_name).write_text("left over from an earlier run")
        viewer = self.prefix.start_process(BUILD_DIR / "sleeper.exe", "60",
                                           winpath(tmp / modelara.log_name))
        self.addCleanup(viewer.wait)
        self.addCleanup(viewer.kill)
        wait_until(lambda: (tmp / modelara.log_name).read_text().endswith("+"))
        precious = self.prefix.work / "precious.txt"
        precious.write_bytes(b"not the installer's")
        (tmp / plotrix.log_name).symlink_to(precious)

        self.assertBoxes(self.prefix.run(SERVICEPACK, tmp=tmp), (*INSTALLED[1033], MB_INFORMATION))
        self.assertPatched(self.products)
        self.assertPatched(current, state=1647)
        self.assertEqual(precious.read_bytes(), b"not the installer's")
        # The old log a viewer holds is out of the way until the viewer lets it go.
        self.assertEqual(listing(tmp), sorted([p.log_name for p in self.products] +
                                              [modelara.log_name + "~1"]))
        viewer.kill()
        wait_until(lambda: listing(tmp) == sorted(p.log_name for p in self.products))
        # Wine shows a link to a file as that file and can only remove it by deleting
        # the target, so there the link stays and its product is logged without a file.
        logged = [modelara] + ([] if (tmp / plotrix.log_name).is_symlink() else [plotrix])
        for product in logged:
            self.assertIn(f"Property(S): ProductCode = {product.code}\n",
                          (tmp / product.log_name).read_text(errors="replace"))


class SemicolonInTmp(InstallTestCase):
    """TMP set by the user to a folder whose name would turn PATCH into two files."""
    prefix_name = "install_semicolon"
    installed = ["Corvanta Modelara Demo 13", "Corvanta Plotrix Demo 13"]
    other_patch_code = "{5D2E8B17-0C4A-4E9F-8B36-A1F0C7D2E493}"

    def test_only_the_checked_patch_can_be_installed(self):
        evil = self.scratch("evil")
        make_patch.write_patch(str(evil / "evil.msp"), 6, patch_code=self.other_patch_code)
        tmp = evil / "evil.msp;x"
        tmp.mkdir()
        code, result = self.prefix.launched(SERVICEPACK, "/q", "/exitcode", tmp=tmp)
        self.assertEqual({self.prefix.patch_state(self.other_patch_code, p.code)
                          for p in self.products}, {1647})
        # Installed from a form of the path that names one file, or refused.
        self.assertPatched(self.products, state=0 if code == 0 else 1647)
        self.assertNotIn(code, (None, 1641, 3010))
        self.assertNotIn("MSP2", listing(tmp))


if __name__ == "__main__":
    harness.main()
