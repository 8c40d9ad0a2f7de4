#!/usr/bin/python3
"""Release builds: two clean builds give the same bytes, a signed build verifies and
still installs the demo patch under Wine, and the next service pack's settings take."""
import shutil
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
from harness import (BUILD_DIR, DEMO_PATCH_CODE, MB_ERROR, MB_RETRY_CANCEL_ERROR,  # noqa: E402
                     SOURCE_DIR, TEST_PRODUCT_SOURCES, TEST_PRODUCTS_DIR, winpath)
import test_install  # noqa: E402
import test_running_apps  # noqa: E402

RELEASE_DIR = BUILD_DIR / "release"


def build_run(name, *options, clean=True):
    """Configures and builds servicepack.exe alone in its own directory (clean: from
    nothing); the build's run, output in stdout."""
    out = RELEASE_DIR / name
    if clean:
        shutil.rmtree(out, ignore_errors=True)
    subprocess.run(["cmake", "-S", SOURCE_DIR, "-B", out,
                    f"-DCMAKE_TOOLCHAIN_FILE={SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake",
                    "-DSERVICEPACK_TARGET=windows", "-DCMAKE_BUILD_TYPE=Release", *options],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=900)
    return subprocess.run(["cmake", "--build", out, "--target", "servicepack", "-j2"],
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=900)


def build(name, *options, clean=True):
    """build_run that must succeed; the executable's path."""
    run = build_run(name, *options, clean=clean)
    if run.returncode != 0:
        raise AssertionError(run.stdout[-4000:])
    return RELEASE_DIR / name / "servicepack.exe"


def make_signing_identity(directory):
    """A throwaway self-signed code-signing certificate: (p12, password file, cert)."""
    directory.mkdir(parents=True, exist_ok=True)
    key, cert, p12, password = (directory / n for n in ("key.pem", "cert.pem", "id.p12", "pass"))
    password.write_text("release-test\n")
    quiet = dict(check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=Corvanta Release Test", "-keyout", key, "-out", cert,
                    "-addext", "extendedKeyUsage=codeSigning"], **quiet)
    subprocess.run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", cert, "-out", p12,
                    "-passout", f"file:{password}"], **quiet)
    return p12, password, cert


class ReproducibleBuild(harness.unittest.TestCase):
    def test_two_clean_builds_are_byte_identical(self):
        first, second = build("a"), build("b")
        self.assertEqual(first.read_bytes(), second.read_bytes())


class SignedBuild(harness.ProductsTestCase):
    prefix_name = "release_signed"
    installed = ["Corvanta Modelara Demo 13", "Corvanta Plotrix Demo 13"]

    def test_signature_verifies_and_executable_still_installs(self):
        p12, password, cert = make_signing_identity(RELEASE_DIR / "identity")
        # On top of an unsigned build when there is one: only the link and signing run again.
        exe = build("b", f"-DSIGN_PKCS12={p12}", f"-DSIGN_PASSWORD_FILE={password}", clean=False)
        verify = subprocess.run(["osslsigncode", "verify", "-in", exe, "-CAfile", cert],
                                capture_output=True, text=True)
        self.assertEqual(verify.returncode, 0, verify.stdout + verify.stderr)

        result = self.prefix.run(exe, "/q", tmp=self.scratch("tmp"))
        self.assertEqual(result.returncode, 0)
        self.assertPatched(self.products)


class NextServicePack(test_running_apps.WatchedAppTestCase):
    """One build with the next service pack's settings and a text naming a product
    the patch does not target."""
    prefix_name = "release_next"
    installed = ["Corvanta Plotrix Demo 13"]

    def test_settings_and_texts_checked_against_the_patch(self):
        foreign = "{0D15EA5E-0029-4000-8000-00000000C0DE}"
        text = RELEASE_DIR / "foreign.txt"
        text.parent.mkdir(parents=True, exist_ok=True)
        text.write_text(f"ProductCode={self.products[0].code};{foreign}\r\nPatchTitle=Next\r\n")
        settings = ["-DUP_TO_DATE_VERSION=13.4.0.0", "-DSERVICE_PACK_VERSION=2.0.0.1",
                    '-DWATCHED_APPLICATIONS=draftor.exe=Draftor "Pro"', f"-DPATCH_LIST_TEXTS={text}"]
        failed = build_run("next", *settings)
        self.assertNotEqual(failed.returncode, 0)
        self.assertIn(f"error: patch-list text {text}: product {foreign} ", failed.stdout)
        # A text that deliberately lists other products, on the release engineer's word.
        exe = build("next", *settings, "-DPATCH_LIST_CHECK=warning", clean=False)

        draftor = self.start_watched("draftor.exe")
        tmp = self.scratch("tmp_asked")
        result = self.prefix.run(exe, tmp=tmp, timeout=30)
        self.assertBoxSequence(result, [
            (test_running_apps.ERROR_TITLE,
             test_running_apps.PLOTRIX_RUNNING.replace("Plotrix", 'Draftor "Pro"'),
             MB_RETRY_CANCEL_ERROR, -1),
            (test_running_apps.ERROR_TITLE, test_running_apps.FAILED, MB_ERROR, -1)])
        self.assertNothingInstalled(tmp)
        self.end(draftor)
        self.wait_listed("draftor.exe", False)

        # Plotrix is no longer watched; a product at 13.3.0.5 now lacks the update.
        self.start_watched("plrx.exe")
        current = [p for p in harness.demo_products(TEST_PRODUCT_SOURCES, TEST_PRODUCTS_DIR)
                   if p.version == "13.3.0.5"]
        self.prefix.install_demo_products(current)
        record = self.scratch("records") / "run.log"
        code, result = self.prefix.launched(exe, "/q", "/exitcode", "/log", winpath(record),
                                            tmp=self.scratch("tmp"))
        self.assertEqual((code, result.boxes), (0, []))
        self.assertPatched(self.products + current)
        events = test_install.read_record(self, record)
        self.assertTrue(any(e.startswith("start: servicepack.exe version 2.0.0.1 (") for e in events),
                        events)
        self.assertIn("running applications: none of the watched applications runs", events)

if __name__ == "__main__":
    harness.main()
