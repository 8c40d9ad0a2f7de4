#!/usr/bin/python3
"""Release builds: two clean builds give the same bytes, and a signed build verifies
and still installs the demo patch under Wine."""
import shutil
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
from harness import BUILD_DIR, DEMO_PATCH_CODE, SOURCE_DIR  # noqa: E402

RELEASE_DIR = BUILD_DIR / "release"


def build(name, *options, clean=True):
    """A build of servicepack.exe alone in its own directory (clean: from nothing); its path."""
    out = RELEASE_DIR / name
    if clean:
        shutil.rmtree(out, ignore_errors=True)
    quiet = dict(check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=900)
    subprocess.run(["cmake", "-S", SOURCE_DIR, "-B", out,
                    f"-DCMAKE_TOOLCHAIN_FILE={SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake",
                    "-DSERVICEPACK_TARGET=windows", "-DCMAKE_BUILD_TYPE=Release", *options], **quiet)
    subprocess.run(["cmake", "--build", out, "--target", "servicepack", "-j2"], **quiet)
    return out / "servicepack.exe"


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


if __name__ == "__main__":
    harness.main()
