"""End-to-end harness for every test file: runs the real Windows executable under Wine in a
throwaway prefix and reads the message boxes it shows from Wine's relay trace.

Environment: SERVICEPACK_BUILD_DIR (the mingw build dir) and SERVICEPACK_SOURCE_DIR.
Needs Debian's /usr/bin/python3 for gi.repository.Libmsi (patch_summary).
"""
import contextlib
import dataclasses
import fcntl
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
import unittest
from pathlib import Path, PureWindowsPath

SOURCE_DIR = Path(os.environ.get("SERVICEPACK_SOURCE_DIR",
                                 Path(__file__).resolve().parents[2]))
BUILD_DIR = Path(os.environ.get("SERVICEPACK_BUILD_DIR", SOURCE_DIR / "build" / "mingw"))
DEMO_DIR = BUILD_DIR / "demo"
SERVICEPACK = BUILD_DIR / "servicepack.exe"
SERVICEPACK84 = BUILD_DIR / "servicepack84.exe"
LAUNCH = BUILD_DIR / "launch.exe"
DEMO_PATCH = DEMO_DIR / "demo.msp"
DEMO_PATCH84 = DEMO_DIR / "demo84.msp"
DEMO_PATCH_CODE = "{1AF93413-BCC5-429E-BC11-49F6E05DF127}"
# Products only some tests install, and where the build puts their packages.
TEST_PRODUCT_SOURCES = SOURCE_DIR / "tests" / "e2e" / "data"
TEST_PRODUCTS_DIR = DEMO_DIR / "tests"

COMPOUND_FILE_SIGNATURE = bytes.fromhex("D0CF11E0A1B11AE1")

# Flags of the boxes the program shows (MB_TOPMOST | MB_SETFOREGROUND plus type).
MB_LIST_OF_PRODUCTS = 0x50000
MB_INFORMATION = 0x50040
MB_ERROR = 0x50010
MB_RETRY_CANCEL_ERROR = 0x50015


# ---------------------------------------------------------------------------
# Paths

def winpath(path):
    """Unix path -> the Z: path Wine maps it to (a trailing "/" is kept as "\\")."""
    trailing = "\\" if str(path).endswith("/") and str(path) != "/" else ""
    return "Z:" + str(Path(path).absolute()).replace("/", "\\") + trailing


def unixpath(path):
    """Z: path -> Unix path (the inverse of winpath)."""
    win = PureWindowsPath(path)
    if win.drive.upper() != "Z:":
        raise ValueError(f"not a Z: path: {path}")
    return Path("/", *win.parts[1:])


# ---------------------------------------------------------------------------
# Relay trace of MessageBoxW

@dataclasses.dataclass
class Box:
    text: str
    title: str
    flags: int
    result: int = None     # MessageBoxW's return, signed; None when no Ret line was seen
    truncated: bool = False  # the trace cut the text (Wine shows about 300 characters)


_CALL = re.compile(r"^([0-9a-f]+):Call user32\.MessageBoxW\((.*)\) ret=[0-9a-f]+$")
_RET = re.compile(r"^([0-9a-f]+):Ret  user32\.MessageBoxW\(\) retval=([0-9a-f]+) ret=")
_SIMPLE_ESCAPES = {"n": "\n", "r": "\r", "t": "\t", '"': '"', "\\": "\\"}
_HEX = set("0123456789abcdefABCDEF")


def _decode_escapes(body):
    """Undo Wine's debugstr escaping: \\n \\r \\t \\" \\\\, \\xNN and \\NNNN (UTF-16 unit)."""
    out, units, i = [], [], 0

    def flush_units():
        if units:
            out.append(b"".join(u.to_bytes(2, "little") for u in units)
                       .decode("utf-16-le", errors="surrogatepass"))
            units.clear()

    while i < len(body):
        c = body[i]
        if c != "\\" or i + 1 >= len(body):
            flush_units()
            out.append(c)
            i += 1
            continue
        nxt = body[i + 1]
        if nxt in _SIMPLE_ESCAPES:
            flush_units()
            out.append(_SIMPLE_ESCAPES[nxt])
            i += 2
        elif nxt == "x" and set(body[i + 2:i + 4]) <= _HEX and len(body[i + 2:i + 4]) == 2:
            units.append(int(body[i + 2:i + 4], 16))
            i += 4
        elif len(body[i + 1:i + 5]) == 4 and set(body[i + 1:i + 5]) <= _HEX:
            units.append(int(body[i + 1:i + 5], 16))
            i += 5
        else:
            flush_units()
            out.append(nxt)
            i += 2
    flush_units()
    return "".join(out)


def _split_relay_args(args):
    """Split 'a,b L"s,t"...,c' into arguments, honouring quoted wide strings.
    Each argument is returned as (string-or-None, truncated, raw)."""
    result, i = [], 0
    while i <= len(args):
        start = i
        text, truncated = None, False
        while i < len(args) and args[i] not in ',L':
            i += 1
        if i < len(args) and args[i] == "L" and args[i + 1:i + 2] == '"':
            i += 2
            body_start = i
            while i < len(args) and args[i] != '"':
                i += 2 if args[i] == "\\" else 1
            text = _decode_escapes(args[body_start:i])
            i += 1
            if args.startswith("...", i):
                truncated = True
                i += 3
        while i < len(args) and args[i] != ",":
            i += 1
        result.append((text, truncated, args[start:i].strip()))
        i += 1
    return result


def parse_message_boxes(trace):
    """Every MessageBoxW call in a +relay trace, in call order, with its result."""
    boxes, open_calls = [], {}
    for line in trace.splitlines():
        call = _CALL.match(line)
        if call:
            args = _split_relay_args(call.group(2))
            if len(args) != 4:
                raise AssertionError(f"unexpected MessageBoxW trace: {line}")
            (text, cut, _), (title, _, _), (_, _, flags) = args[1], args[2], args[3]
            box = Box(text if text is not None else "", title if title is not None else "",
                      int(flags, 16), truncated=cut)
            boxes.append(box)
            open_calls[call.group(1)] = box
            continue
        ret = _RET.match(line)
        if ret and ret.group(1) in open_calls:
            value = int(ret.group(2), 16) & 0xFFFFFFFF
            open_calls.pop(ret.group(1)).result = value - (1 << 32) if value >= 1 << 31 else value
    return boxes


# ---------------------------------------------------------------------------
# Patch summary, read with libmsi

def patch_summary(path):
    """(template, revision number) of a patch package's summary information."""
    import warnings
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", ImportWarning)
        import gi
        gi.require_version("Libmsi", "1.0")
        from gi.repository import Libmsi
    db = Libmsi.Database.new(str(path), Libmsi.DbFlags.READONLY, None)
    info = Libmsi.SummaryInfo.new(db, 0)
    return (info.get_string(Libmsi.Property.TEMPLATE),
            info.get_string(Libmsi.Property.UUID))


@dataclasses.dataclass
class DemoProduct:
    code: str
    name: str
    language: int
    version: str
    locale_id: str   # the LOCALEID property, "" when the product defines none
    msi: Path

    @property
    def log_name(self):
        """The name of the log the service pack writes for it in the temp directory."""
        return self.name + ".log"


def demo_products(sources=SOURCE_DIR / "demo" / "products", built=DEMO_DIR):
    """The demo products as their WiX sources declare them, in file-name order, with
    the packages the build made of them in built."""
    products = []
    for wxs in sorted(Path(sources).glob("*.wxs")):
        text = wxs.read_text(encoding="utf-8")
        product = re.search(r"<Product\s[^>]*>", text).group(0)

        def attr(name, element=product):
            return re.search(rf'\b{name}="([^"]*)"', element).group(1)

        locale = re.search(r'<Property\s+Id="LOCALEID"\s+Value="([^"]*)"', text)
        products.append(DemoProduct(attr("Id"), attr("Name"), int(attr("Language")),
                                    attr("Version"), locale.group(1) if locale else "",
                                    built / (wxs.stem + ".msi")))
    return products


# ---------------------------------------------------------------------------
# Wine prefix

def unix_locale(name):
    """Environment that gives Wine programs the user language of Unix locale `name`
    (e.g. "de_DE"); Debian ships it uncompiled, so it is compiled once per build."""
    root = BUILD_DIR / "e2e" / ".locales"
    compiled = root / f"{name}.UTF-8"
    if not compiled.is_dir():
        root.mkdir(parents=True, exist_ok=True)
        subprocess.run(["localedef", "-i", name, "-f", "UTF-8", str(compiled)],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        if not (compiled / "LC_MESSAGES").exists():
            raise RuntimeError(f"localedef could not compile {name}")
    return {"LOCPATH": str(root), "LC_ALL": f"{name}.UTF-8"}


@dataclasses.dataclass
class RunResult:
    returncode: int
    stdout: str
    stderr: str
    boxes: list


# Bump when the template's content changes, so old templates are rebuilt.
_TEMPLATE_VERSION = "2"
# Files Wine never rewrites in place: shared by hard link between prefixes.
_SHARED_SUFFIXES = {".dll", ".exe", ".drv", ".sys", ".ocx", ".cpl", ".acm", ".ax", ".tlb",
                    ".ds", ".nls", ".ttf", ".fon", ".com", ".msstyles"}
# A prefix's server stays up this long after its last process, so each Wine
# step starts in a fraction of a second; a forgotten server still goes away.
_SERVER_LINGER_SECONDS = 30


def _base_env():
    env = dict(os.environ)
    for var in ("DISPLAY", "WAYLAND_DISPLAY"):
        env.pop(var, None)
    env["WINEDEBUG"] = "-all"
    # Wine maps non-ASCII file names through the Unix locale; without UTF-8 they are lost.
    if not re.search(r"utf-?8", env.get("LC_ALL") or env.get("LC_CTYPE") or env.get("LANG", ""),
                     re.IGNORECASE):
        env["LC_ALL"] = "C.UTF-8"
    # No Mono or Gecko installer prompts; neither is needed here.
    env["WINEDLLOVERRIDES"] = "mscoree=;mshtml="
    return env


def _capture(command, env, cwd, timeout):
    """Run a command with its output in files: a pipe would be held open by any
    Wine service the command happens to start, and never reach end of file."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        proc = subprocess.run(command, env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                              stdout=out, stderr=err, timeout=timeout)
        out.seek(0)
        err.seek(0)
        return subprocess.CompletedProcess(command, proc.returncode, out.read(), err.read())


def template_prefix():
    """A booted prefix to clone from, made once per build directory (wineboot takes
    seconds; a clone a fraction of that). Safe against concurrent test files."""
    base = BUILD_DIR / "e2e" / ".template"
    base.mkdir(parents=True, exist_ok=True)
    wine_version = subprocess.run(["wine", "--version"], capture_output=True, text=True,
                                  env=_base_env()).stdout.strip()
    stamp = f"{wine_version} {_TEMPLATE_VERSION}"
    with open(base / "lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        prefix, ready = base / "prefix", base / "ready"
        if ready.exists() and ready.read_text() == stamp and prefix.is_dir():
            return prefix
        ready.unlink(missing_ok=True)
        env = {**_base_env(), "WINEPREFIX": str(prefix)}
        subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=False)
        shutil.rmtree(prefix, ignore_errors=True)
        quiet = dict(env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL, timeout=300)
        subprocess.run(["wineboot", "-i"], check=True, **quiet)
        for key, name, value in (
                # Only MessageBoxW is traced under WINEDEBUG=+relay.
                (r"HKCU\Software\Wine\Debug", "RelayInclude", "user32.MessageBoxW"),
                # Without a window manager, Wine draws the title bar itself and
                # keyboard focus follows xdotool.
                (r"HKCU\Software\Wine\X11 Driver", "Managed", "N")):
            subprocess.run(["wine", "reg", "add", key, "/v", name, "/t", "REG_SZ", "/d", value,
                            "/f"], check=True, **quiet)
        subprocess.run(["wineserver", "-w"], check=True, **quiet)
        ready.write_text(stamp)
        return prefix


def _clone_tree(source, target):
    def copy(src, dst):
        if Path(src).suffix.lower() in _SHARED_SUFFIXES:
            try:
                os.link(src, dst)
                return
            except OSError:
                pass   # a file system without hard links: copy
        shutil.copy2(src, dst)
    shutil.copytree(source, target, symlinks=True, copy_function=copy)


class WinePrefix:
    """A throwaway prefix under BUILD_DIR/e2e/<name>, made fresh on start().

    Its wineserver is kept running between steps (starting Wine against a live
    server takes a fraction of a second instead of seconds), so every step has
    ended when its command returns; background programs are the caller's to end.
    """

    def __init__(self, name):
        self.root = BUILD_DIR / "e2e" / name
        self.path = self.root / "prefix"
        self.work = self.root / "work"
        self.display = None   # set by Xvfb to run with a real display
        self.locale_env = {}  # from unix_locale(), to run in another user language

    # Environment ----------------------------------------------------------
    def env(self, debug="-all"):
        env = _base_env()
        if self.display:
            env["DISPLAY"] = self.display
        env.update(self.locale_env)
        env["WINEPREFIX"] = str(self.path)
        env["WINEDEBUG"] = debug
        return env

    def _wine(self, *args, debug="-all", timeout=120):
        return _capture(["wine", *map(str, args)], self.env(debug), self.work, timeout)

    # Lifecycle ------------------------------------------------------------
    def start(self):
        self.kill()
        shutil.rmtree(self.root, ignore_errors=True)
        self.work.mkdir(parents=True)
        _clone_tree(template_prefix(), self.path)
        self.serve()
        return self

    def serve(self):
        """(Re)start the prefix's server and Wine's own services, in the current
        display; the services keep the display they were started in."""
        self.kill()
        quiet = dict(env=self.env(), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL, timeout=120, check=True)
        subprocess.run(["wineserver", f"-p{_SERVER_LINGER_SECONDS}"], **quiet)
        subprocess.run(["wine", "cmd", "/c", "exit"], cwd=self.work, **quiet)

    def kill(self):
        """End every process of the prefix and its server."""
        if self.path.exists():
            for flag in ("-k", "-w"):
                subprocess.run(["wineserver", flag], env=self.env(), check=False, timeout=60,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def reg_add(self, key, name, value, kind="REG_SZ"):
        proc = self._wine("reg", "add", key, "/v", name, "/t", kind, "/d", value, "/f")
        if proc.returncode != 0:
            raise RuntimeError(f"reg add {key} {name} failed: {proc.stderr.decode(errors='replace')}")

    @property
    def drive_c(self):
        return self.path / "drive_c"

    @property
    def default_tmp(self):
        """The Unix directory behind the prefix's own TMP (HKCU\\Environment)."""
        return next(p for p in (self.drive_c / "users").glob("*/Temp") if p.parent.name != "Public")

    # Products -------------------------------------------------------------
    def install_msi(self, msi):
        proc = self._wine("msiexec", "/i", winpath(msi), "/qn", timeout=300)
        if proc.returncode not in (0, 3010 & 0xFF):   # a product may ask for a restart
            raise RuntimeError(f"msiexec /i {msi} returned {proc.returncode}")

    def install_demo_products(self, products=None):
        for product in products if products is not None else demo_products():
            self.install_msi(product.msi)

    def tool(self, name, *args):
        """Run one of the e2e helper programs and return its stdout lines."""
        proc = self._wine(BUILD_DIR / f"{name}.exe", *args)
        return [line.strip() for line in proc.stdout.decode("utf-8", errors="replace").splitlines()]

    def product_state(self, code):
        out = self.tool("productstate", code)
        return dict(line.split("=", 1) for line in out if "=" in line)

    def patch_state(self, patch_code, product_code):
        """MsiGetPatchInfoExW State result: 0 registered, 1647 not, 1605 unknown product."""
        return int(self.tool("patchstate", patch_code, product_code)[0])

    # Running the program --------------------------------------------------
    def dospath(self, path):
        """The path a Windows program sees: C: inside the prefix's drive_c, else Z:."""
        path = Path(path).absolute()
        if path.is_relative_to(self.drive_c):
            return "C:\\" + "\\".join(path.relative_to(self.drive_c).parts)
        return winpath(path)

    def run(self, exe, *args, tmp=None, cwd=None, dll_overrides=None, timeout=180):
        """Run a Windows program with a relay trace of MessageBoxW; returns its boxes.

        tmp: a Unix directory given to the program as TMP (Wine takes TMP from the
        prefix's registry, so the run goes through a batch file that sets it).
        cwd: its current directory; one inside drive_c is entered as C:, so that a
        rooted path such as "\\x" stays inside the prefix.
        dll_overrides: added to WINEDLLOVERRIDES, e.g. "msi=n,b".
        """
        return self.launch(exe, *args, tmp=tmp, cwd=cwd, dll_overrides=dll_overrides).finish(timeout)

    def launch(self, exe, *args, tmp=None, cwd=None, dll_overrides=None):
        """Like run(), but returns at once: for runs whose boxes are answered under
        Xvfb. Call finish() on the result."""
        cwd = Path(cwd) if cwd else self.work
        env = self.env("-all,+relay")
        if dll_overrides:
            env["WINEDLLOVERRIDES"] += ";" + dll_overrides
        on_drive_c = cwd.absolute().is_relative_to(self.drive_c)
        if tmp is None and not on_drive_c:
            command = [winpath(exe), *args]
        else:
            # Wine would enter a Unix working directory as Z:, so the batch file sets it.
            # cmd waits for a program started from a batch file, boxes and all.
            # cmd reads a batch file in the OEM code page, so every text reaches it
            # through the environment (converted from UTF-8) and the file stays ASCII.
            # Wine's cmd expands a variable's text once more: "%" goes in doubled.
            script = self.root / "run.cmd"
            env["SP_CWD"] = self.dospath(cwd).replace("%", "%%")
            env["SP_COMMAND"] = " ".join(_batch_quote(a) for a in [winpath(exe), *args])
            lines = ["@echo off", 'cd /d "%SP_CWD%"']
            if tmp is not None:
                env["SP_TMP"] = winpath(tmp).replace("%", "%%")
                lines.append('set "TMP=%SP_TMP%"')
            lines.append("%SP_COMMAND%")
            script.write_bytes(("\r\n".join(lines) + "\r\n").encode("ascii"))
            command = ["cmd", "/c", winpath(script)]
        return Running(self, ["wine", *command], env, cwd)

    def launched(self, exe, *args, unseen=False, tmp=None, cwd=None, seconds=60):
        """Run exe through tools/launch.cpp (on a window station no one sees when
        unseen): its full exit code, or None when it was killed after seconds, and
        the run, boxes included."""
        result = self.run(LAUNCH, *(["/unseen"] if unseen else []), str(seconds), winpath(exe),
                          *args, tmp=tmp, cwd=cwd, timeout=seconds + 60)
        code = re.search(r"^exit=(\d+)", result.stdout, re.MULTILINE)
        return (int(code.group(1)) if code else None), result

    def start_process(self, exe, *args, cwd=None):
        """Start a Windows program in the background (e.g. a watched application).
        The caller ends it (kill() and wait() on the returned Popen)."""
        return subprocess.Popen(["wine", winpath(exe), *args], env=self.env(),
                                cwd=cwd or self.work, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def running_processes(self):
        """Lower-case names of the processes the prefix's process list shows."""
        return {name.lower() for name in self.tool("processes")}


class Running:
    """A program started by WinePrefix.launch(); its output goes to files."""

    def __init__(self, prefix, command, env, cwd):
        self.prefix = prefix
        self._out, self._err = tempfile.TemporaryFile(), tempfile.TemporaryFile()
        self.proc = subprocess.Popen(command, env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                                     stdout=self._out, stderr=self._err)

    def finish(self, timeout=180):
        """Wait for the program to end; its exit code, output and boxes."""
        try:
            returncode = self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            # Killing "wine cmd" would leave the program itself running: restart the prefix.
            self.proc.kill()
            self.proc.wait()
            self.prefix.serve()
            raise
        finally:
            self._out.seek(0)
            self._err.seek(0)
            stdout = self._out.read().decode("utf-8", errors="replace")
            stderr = self._err.read().decode("utf-8", errors="replace")
            self._out.close()
            self._err.close()
        return RunResult(returncode, stdout, stderr, parse_message_boxes(stderr))


def _batch_quote(arg):
    """Quote one argument for a batch-file line, by the C runtime's rules."""
    arg = arg.replace("%", "%%")
    if arg and not re.search(r'[\s"&|<>^(),;=]', arg):
        return arg
    out, backslashes = ['"'], 0
    for ch in arg:
        if ch == "\\":
            backslashes += 1
            continue
        out.append("\\" * (backslashes * 2 + 1 if ch == '"' else backslashes))
        out.append(ch)
        backslashes = 0
    out.append("\\" * (backslashes * 2) + '"')
    return "".join(out)


# ---------------------------------------------------------------------------
# Xvfb, for runs where boxes must really appear and be answered

class Xvfb:
    """A private X server for runs whose boxes must really appear and be answered."""

    def __init__(self, prefix):
        self.prefix, self.display, self.proc = prefix, None, None

    def __enter__(self):
        read_fd, write_fd = os.pipe()
        self.proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
                                      "1024x768x24", "-nolisten", "tcp"],
                                     pass_fds=(write_fd,), stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as pipe:
            number = pipe.readline().strip()
        if not number:
            self.proc.kill()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number
        # Wine's services keep the display they started in: restart them in this one.
        self.prefix.display = self.display
        self.prefix.serve()
        return self

    def __exit__(self, *exc):
        self.prefix.kill()
        self.prefix.display = None
        self.proc.send_signal(signal.SIGTERM)
        self.proc.wait(timeout=10)
        self.prefix.serve()

    def _xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env={**os.environ, "DISPLAY": self.display},
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)

    def wait_window(self, title, timeout=30):
        """Id of the first visible window whose name is exactly title."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = self._xdotool("search", "--onlyvisible", "--name", f"^{re.escape(title)}$")
            if found.returncode == 0 and found.stdout.split():
                return found.stdout.split()[0]
            time.sleep(0.2)
        raise AssertionError(f"no window titled {title!r} within {timeout} s")

    def press(self, window, key, timeout=30):
        """Answer a box: focus it (there is no window manager), send a key, and
        wait until it has gone, so that a next box of the same title is not
        mistaken for it."""
        self._xdotool("windowfocus", "--sync", window)
        self._xdotool("key", key)
        deadline = time.time() + timeout
        while window in self._xdotool("search", "--onlyvisible", "--name", ".").stdout.split():
            if time.time() > deadline:
                raise AssertionError(f"window {window} still shown {timeout} s after {key}")
            time.sleep(0.1)

    def answer(self, title, key, timeout=30):
        """Wait for the box titled title and answer it with key."""
        self.press(self.wait_window(title, timeout), key)

    def screenshot(self, path):
        subprocess.run(["import", "-display", self.display, "-window", "root", str(path)],
                       check=True)


# ---------------------------------------------------------------------------
# unittest glue

class PrefixTestCase(unittest.TestCase):
    """One fresh prefix per test class, shared by its tests; killed at the end."""
    prefix_name = None
    prefix = None

    @classmethod
    def setUpClass(cls):
        # A missing build output fails the test: a skip would read as a pass in CTest.
        missing = [p for p in cls.required_files() if not Path(p).is_file()]
        if missing:
            raise RuntimeError("not built: " + ", ".join(map(str, missing)))
        cls.prefix = WinePrefix(cls.prefix_name or cls.__name__.lower())
        # A cleanup also runs when a subclass's setUpClass fails after this.
        cls.addClassCleanup(cls.prefix.kill)
        cls.prefix.start()

    @classmethod
    def required_files(cls):
        return [SERVICEPACK, DEMO_PATCH, SERVICEPACK84, LAUNCH]

    def scratch(self, name):
        """An empty directory for one test case."""
        path = self.prefix.work / name
        shutil.rmtree(path, ignore_errors=True)
        path.mkdir(parents=True)
        return path

    def assertNoBox(self, result):
        self.assertEqual(result.boxes, [], "expected no message box")

    def assertBoxes(self, result, *expected):
        """A run that ended normally, showing exactly these (title, text, flags) boxes."""
        self.assertEqual(result.returncode, 0)
        self.assertEqual([(b.title, b.text, b.flags) for b in result.boxes], list(expected))


class ProductsTestCase(PrefixTestCase):
    """A prefix with the demo products named in `installed` installed before the tests."""
    installed = []

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.products = [p for p in demo_products() if p.name in cls.installed]
        cls.absent = [p for p in demo_products() if p.name not in cls.installed]
        cls.prefix.install_demo_products(cls.products)

    def assertPatched(self, products, state=0):
        """Demo patch state on each product: 0 registered, 1647 not, 1605 unknown product."""
        self.assertEqual({p.name: self.prefix.patch_state(DEMO_PATCH_CODE, p.code) for p in products},
                         {p.name: state for p in products})


def listing(directory):
    return sorted(p.name for p in Path(directory).iterdir())


@contextlib.contextmanager
def full_disk(test, directory, free=0, files=None):
    """directory as a 64 KiB tmpfs holding files, then "filler" until free bytes are
    left: a full disk. Skips the test where the run may not mount."""
    mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", str(directory)],
                             capture_output=True, text=True)
    if mounted.returncode != 0:
        test.skipTest("cannot mount a tmpfs here: " + mounted.stderr.strip())
    try:
        for name, content in (files or {}).items():
            (directory / name).write_bytes(content)
        space = os.statvfs(directory)
        (directory / "filler").write_bytes(bytes(space.f_bavail * space.f_frsize - free))
        yield directory
    finally:
        subprocess.run(["umount", "-l", str(directory)], check=False)


def main():
    unittest.main(verbosity=2)


_BUTTONS = {0: "OK", 1: "OK Cancel", 2: "Abort Retry Ignore", 3: "Yes No Cancel",
            4: "Yes No", 5: "Retry Cancel"}
_ICONS = {0x10: "error", 0x20: "question", 0x30: "warning", 0x40: "information"}


def describe_box(box):
    """A box as a user would read it: title, icon and buttons, then the text."""
    icon = _ICONS.get(box.flags & 0xF0)
    kind = (f"{icon}, " if icon else "") + "buttons: " + _BUTTONS.get(box.flags & 0xF, hex(box.flags & 0xF))
    shown = "not shown (no display)" if box.result == -1 else f"answered {box.result}"
    text = box.text + (" [...cut by the trace]" if box.truncated else "")
    lines = [f"[{box.title}] ({kind}; {shown})"]
    lines += ["    " + line for line in text.replace("\r\n", "\n").split("\n")]
    return "\n".join(lines)


if __name__ == "__main__":
    # Used by tools/demo.sh: harness.py boxes TRACE prints the boxes of a relay trace.
    import sys
    if len(sys.argv) == 3 and sys.argv[1] == "boxes":
        found = parse_message_boxes(Path(sys.argv[2]).read_text(encoding="utf-8", errors="replace"))
        print("\n".join(describe_box(b) for b in found) if found else "(no message box)")
    else:
        sys.exit("usage: harness.py boxes RELAY_TRACE")
