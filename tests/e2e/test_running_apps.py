#!/usr/bin/python3
"""A watched application (plrx.exe) running while the service pack installs: the
Retry/Cancel box, without a display and answered under Xvfb."""
import re
import shutil
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
from harness import (BUILD_DIR, LAUNCH, MB_ERROR, MB_INFORMATION,  # noqa: E402
                     MB_RETRY_CANCEL_ERROR, SERVICEPACK, SOURCE_DIR, Xvfb, listing, winpath)

sys.path.insert(0, str(SOURCE_DIR / "demo"))
import make_patch  # noqa: E402

BOTH = ["Corvanta Modelara Demo 13", "Corvanta Plotrix Demo 13"]
ERROR_TITLE = "Installation Error"
GERMAN_ERROR_TITLE = "Installationsfehler"
PLOTRIX_RUNNING = ("The installer has detected that the following programs\nare running.\n\n"
                   "Plotrix\n\n"
                   "In order to complete installation, these programs must\nbe closed.\n")
# A user who gives up on closing an application is reported as a user exit.
FAILED = re.compile(r"A problem prevented the service pack from being installed\. Contact your "
                    r"system administrator\. \n\n Error Code: 1602")
IDCANCEL, IDRETRY, IDOK = 2, 4, 1
# Another patch of the same products, which the user would rather have installed.
OTHER_PATCH_CODE = "{7C0D3E55-2A41-4F0B-9E6D-3B8F1A2C4D90}"


class WatchedAppTestCase(harness.ProductsTestCase):
    installed = BOTH

    @classmethod
    def required_files(cls):
        return super().required_files() + [BUILD_DIR / f"{name}.exe"
                                           for name in ("sleeper", "processes", "tamper")]

    def start_watched(self, name="plrx.exe"):
        """A process of that name, listed by the time this returns; ended at cleanup."""
        exe = self.prefix.drive_c / name
        shutil.copy(BUILD_DIR / "sleeper.exe", exe)
        proc = self.prefix.start_process(exe, "600")
        self.addCleanup(self.end, proc)
        self.wait_listed(name, True)
        return proc

    def end(self, proc):
        if proc.poll() is None:
            proc.kill()
            proc.wait(timeout=30)

    def wait_listed(self, name, listed, timeout=30):
        deadline = time.time() + timeout
        while (name.lower() in self.prefix.running_processes()) != listed:
            self.assertLess(time.time(), deadline,
                            f"{name} {'never listed' if listed else 'still listed'}")
            time.sleep(0.1)

    def assertBoxSequence(self, result, expected):
        """expected: (title, text or pattern, flags, answer) per box, in order."""
        self.assertEqual(result.returncode, 0)
        self.assertEqual(len(result.boxes), len(expected), result.boxes)
        for box, (title, text, flags, answer) in zip(result.boxes, expected):
            self.assertEqual((box.title, box.flags, box.result), (title, flags, answer))
            if isinstance(text, str):
                self.assertEqual(box.text, text)
            else:
                self.assertTrue(text.fullmatch(box.text), box.text)

    def assertNothingInstalled(self, tmp):
        self.assertPatched(self.products, state=1647)
        self.assertEqual(listing(tmp), [], "no log, and the temporary patch deleted")


class WithoutDisplay(WatchedAppTestCase):
    prefix_name = "running_no_display"

    def test_box_that_cannot_be_shown_counts_as_cancel(self):
        self.start_watched()
        # The check's box is shown in quiet mode too; only the closing message is not.
        for args, closing in (([], [(ERROR_TITLE, FAILED, MB_ERROR, -1)]), (["/q"], [])):
            with self.subTest(args=args):
                tmp = self.scratch("tmp" + "".join(a.strip("/") for a in args))
                result = self.prefix.run(SERVICEPACK, *args, tmp=tmp, timeout=30)
                self.assertBoxSequence(result, [
                    (ERROR_TITLE, PLOTRIX_RUNNING, MB_RETRY_CANCEL_ERROR, -1), *closing])
                self.assertNothingInstalled(tmp)

        # After a cancelled box the next watched application is still asked about;
        # its name is matched without regard to case.
        self.start_watched("MODELARA.EXE")
        tmp = self.scratch("tmp_both")
        result = self.prefix.run(SERVICEPACK, tmp=tmp, timeout=30)
        self.assertBoxSequence(result, [
            (ERROR_TITLE, PLOTRIX_RUNNING, MB_RETRY_CANCEL_ERROR, -1),
            (ERROR_TITLE, PLOTRIX_RUNNING.replace("Plotrix", "Modelara"), MB_RETRY_CANCEL_ERROR, -1),
            (ERROR_TITLE, FAILED, MB_ERROR, -1)])
        self.assertNothingInstalled(tmp)


class Unattended(WatchedAppTestCase):
    """Started on a window station no one sees, as a deployment service starts it."""
    prefix_name = "running_unattended"

    def test_no_box_no_wait_and_the_outcome_as_exit_code(self):
        plotrix = self.start_watched()
        # The person at the machine would be asked, for up to the /ask minutes; under
        # Wine no session has anyone signed in (and WTSSendMessageW always fails), so
        # the run ends as if Cancel had been chosen, within seconds.
        for args in (["/q"], [], ["/ask", "60"]):
            with self.subTest(args=args):
                tmp = self.scratch("tmp_running" + "".join(a.strip("/") for a in args))
                started = time.monotonic()
                code, result = self.prefix.launched(SERVICEPACK, *args, "/exitcode",
                                                    unseen=True, tmp=tmp)
                seconds = time.monotonic() - started
                print(f"unseen, plrx.exe running, {args}: 1602 after {seconds:.1f} s",
                      file=sys.stderr)
                self.assertEqual((code, result.boxes), (1602, []))
                self.assertLess(seconds, 30)
                self.assertNothingInstalled(tmp)
        # The session list was asked for, of the system's wtsapi32, loaded only for that.
        for args, asked in ((["/q"], True), (["/ask", "0"], False)):
            run = self.prefix._wine(LAUNCH, "/unseen", "60", winpath(SERVICEPACK), *args,
                                    debug="-all,fixme+wtsapi,+loaddll")
            trace = run.stderr.decode(errors="replace")
            self.assertEqual("WTSEnumerateSessionsW" in trace, asked)
            self.assertEqual(r'Loaded L"C:\\windows\\system32\\wtsapi32.dll"' in trace, asked)
        self.end(plotrix)

        tmp = self.scratch("tmp")
        code, result = self.prefix.launched(SERVICEPACK, unseen=True, tmp=tmp)
        self.assertEqual((code, result.boxes), (0, []))
        self.assertPatched(self.products)
        for product in self.products:   # the installer's own UI: none, not basic
            self.assertIn("Property(S): UILevel = 2\n",
                          (tmp / product.log_name).read_text(errors="replace"))

        # Once every product has the patch, an open application holds up nothing:
        # no box asks to close it, even where someone could answer one.
        self.start_watched()
        for unseen in (True, False):
            with self.subTest(unseen=unseen):
                tmp = self.scratch(f"tmp_patched_{unseen}")
                code, result = self.prefix.launched(SERVICEPACK, "/q", "/exitcode",
                                                    unseen=unseen, tmp=tmp)
                self.assertEqual((code, result.boxes), (0, []))
                self.assertEqual(listing(tmp), [])


class CancelOnScreen(WatchedAppTestCase):
    prefix_name = "running_cancel"

    def test_cancel_ends_with_message_300(self):
        tmp = self.scratch("tmp")
        with Xvfb(self.prefix) as screen:
            self.start_watched()
            run = self.prefix.launch(SERVICEPACK, tmp=tmp)
            window = screen.wait_window(ERROR_TITLE)
            # Meanwhile another process of the user can neither rewrite nor delete the patch.
            tampered = self.prefix.tool("tamper", winpath(tmp / "MSP2"))
            screen.press(window, "Escape")
            screen.answer(ERROR_TITLE, "Return")
            result = run.finish(60)
        self.assertEqual(tampered, ["write=32", "delete=32"])
        self.assertBoxSequence(result, [
            (ERROR_TITLE, PLOTRIX_RUNNING, MB_RETRY_CANCEL_ERROR, IDCANCEL),
            (ERROR_TITLE, FAILED, MB_ERROR, IDOK)])
        self.assertNothingInstalled(tmp)


class RetryOnScreen(WatchedAppTestCase):
    prefix_name = "running_retry"

    def test_retry_asks_again_until_closed_then_installs(self):
        # TMP (the user's to set) reaches the folder through a link, which the user
        # switches to a folder of their own while the box waits.
        checked, own, tmp = self.scratch("checked"), self.scratch("own"), self.prefix.work / "tmp"
        tmp.unlink(missing_ok=True)
        tmp.symlink_to(checked, target_is_directory=True)
        make_patch.write_patch(str(own / "MSP2"), 6, patch_code=OTHER_PATCH_CODE)
        with Xvfb(self.prefix) as screen:
            plotrix = self.start_watched()
            run = self.prefix.launch(SERVICEPACK, tmp=tmp)
            screen.answer(ERROR_TITLE, "Return")      # Retry while it still runs
            window = screen.wait_window(ERROR_TITLE)
            tmp.unlink()
            tmp.symlink_to(own, target_is_directory=True)
            self.end(plotrix)
            self.wait_listed("plrx.exe", False)
            screen.press(window, "Return")             # Retry once it has ended
            screen.answer("Installation Successful", "Return")
            result = run.finish(60)
        self.assertBoxSequence(result, [
            (ERROR_TITLE, PLOTRIX_RUNNING, MB_RETRY_CANCEL_ERROR, IDRETRY),
            (ERROR_TITLE, PLOTRIX_RUNNING, MB_RETRY_CANCEL_ERROR, IDRETRY),
            ("Installation Successful", "The service pack has been successfully installed.",
             MB_INFORMATION, IDOK)])
        self.assertPatched(self.products)
        self.assertEqual({self.prefix.patch_state(OTHER_PATCH_CODE, p.code) for p in self.products},
                         {1647})
        self.assertEqual(listing(checked), [])
        self.assertEqual(listing(own), sorted(["MSP2"] + [p.log_name for p in self.products]))


class FolderRenamedOnScreen(WatchedAppTestCase):
    prefix_name = "running_renamed"

    def test_patch_put_where_the_checked_one_was_is_refused(self):
        # While the box waits, the user renames the temporary folder and puts a folder
        # with a patch of their own under its name.
        tmp, aside = self.scratch("tmp"), self.prefix.work / "tmp_aside"
        shutil.rmtree(aside, ignore_errors=True)
        with Xvfb(self.prefix) as screen:
            plotrix = self.start_watched()
            run = self.prefix.launch(SERVICEPACK, tmp=tmp)
            window = screen.wait_window(ERROR_TITLE)
            tmp.rename(aside)
            tmp.mkdir()
            make_patch.write_patch(str(tmp / "MSP2"), 6, patch_code=OTHER_PATCH_CODE)
            self.end(plotrix)
            self.wait_listed("plrx.exe", False)
            screen.press(window, "Return")             # Retry once it has ended
            screen.answer(GERMAN_ERROR_TITLE, "Return")   # Modelara's turn came first
            result = run.finish(60)
        self.assertBoxSequence(result, [
            (ERROR_TITLE, PLOTRIX_RUNNING, MB_RETRY_CANCEL_ERROR, IDRETRY),
            (GERMAN_ERROR_TITLE, re.compile(r"Das service pack konnte .*Fehlercode: 13", re.S),
             MB_ERROR, IDOK)])
        self.assertPatched(self.products, state=1647)
        self.assertEqual({self.prefix.patch_state(OTHER_PATCH_CODE, p.code) for p in self.products},
                         {1647})
        # Its name now leads to the other file, so the checked copy stays where it went
        # (Windows refuses the rename itself while the copy is held).
        self.assertEqual(listing(aside), ["MSP2"])
        self.assertEqual(listing(tmp), ["MSP2"])


if __name__ == "__main__":
    harness.main()
