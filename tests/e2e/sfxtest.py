"""Harness of the end-to-end tests: runs the Windows programs of the mingw
build under the tests' Wine environment, operates their windows through
uidriver.exe and builds test archives and packages.

Configuration comes from environment variables (CTest sets them):
    SFX_WINE_DIR  the Wine environment folder of tools/wine-env.sh and wine-run.sh
    SFX_TOOLS     the tools folder
    SFX_WIN_BIN   the mingw bin folder (sfxstub.exe, uidriver.exe, runreport.exe, ...)
    SFX_PACK      the native sfxpack executable
    SFX_7Z        the 7zz command
    SFX_WORK      a scratch folder in the build tree

Every Windows program runs through runreport.exe, which starts it in a job
object, terminates it after its time limit and writes its full 32-bit exit
code to a report file: Wine hands the Linux side only the low 8 bits.
Standard output and error go to files, never pipes, so that a process that
inherits them and keeps running cannot hold a read open.
"""

import collections
import json
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

__all__ = [
    "WineError", "WineTimeout", "UiDriverError", "WineResult", "WineProcess", "DriverResult",
    "config", "win_path", "win_bin", "run_wine", "start_wine", "uidriver", "wait_window",
    "window_gone", "list_controls", "control", "window_text", "press", "send_keys",
    "clipboard_text", "clear_clipboard", "make_archive", "build_package", "SfxTestCase",
]

# Seconds that Wine itself may need beyond a program's own time limit.
WINE_GRACE_SECONDS = 30


class WineError(AssertionError):
    """A Windows program could not be run or reported nothing."""


class WineTimeout(WineError):
    """A Windows program exceeded its time limit and was terminated."""

    def __init__(self, message, stdout="", stderr=""):
        super().__init__(f"{message}\n--- stdout:\n{stdout}\n--- stderr:\n{stderr}")
        self.stdout = stdout
        self.stderr = stderr


class UiDriverError(AssertionError):
    """uidriver.exe could not do what it was asked."""


_Config = collections.namedtuple("_Config", "wine_dir tools win_bin pack sevenzip work")
_config = None


def config():
    """The harness configuration from the environment; fails loudly when incomplete."""
    global _config
    if _config is None:
        names = ["SFX_WINE_DIR", "SFX_TOOLS", "SFX_WIN_BIN", "SFX_PACK", "SFX_7Z", "SFX_WORK"]
        missing = [n for n in names if not os.environ.get(n)]
        if missing:
            raise RuntimeError("end-to-end tests need the environment variables " + ", ".join(missing) +
                               " (CTest sets them; see tests/e2e/CMakeLists.txt)")
        values = [os.path.abspath(os.environ[n]) if n != "SFX_7Z" else os.environ[n] for n in names]
        _config = _Config(*values)
        os.makedirs(_config.work, exist_ok=True)
    return _config


def win_path(posix_path):
    """The Windows form of a Linux path, through Wine's drive Z: (/tmp/x -> Z:\\tmp\\x)."""
    return "Z:" + os.path.abspath(posix_path).replace("/", "\\")


def win_bin(name):
    """A program of the mingw build, as a Linux path."""
    return os.path.join(config().win_bin, name)


def _windows_program(exe):
    # Linux paths are translated; anything else ("cmd.exe", "C:\\...") is Windows already.
    if exe.startswith("/"):
        return win_path(exe)
    if "/" not in exe and "\\" not in exe and os.path.exists(win_bin(exe)):
        return win_path(win_bin(exe))
    return exe


def _wine_command(limit_seconds, program, args):
    cfg = config()
    return [os.path.join(cfg.tools, "wine-run.sh"), cfg.wine_dir, str(int(limit_seconds)), program, *args]


def _text(data):
    return data.decode("utf-8", errors="replace").replace("\r\n", "\n")


class WineResult(collections.namedtuple("WineResult", "code stdout stderr")):
    """(exit code, stdout, stderr) of a finished program; code is the full
    32-bit unsigned value, None when the harness killed the program; the
    texts are decoded as UTF-8 with CR LF turned into LF. Also
    carries pid (the Windows process id) and left (how many processes it
    started were still running when it ended; they were terminated)."""

    pid = None
    left = 0
    stdout_bytes = b""  # stdout as the program wrote it, for other code pages


class WineProcess:
    """A Windows program started with start_wine; operate its windows with
    uidriver while it runs, then wait() for its result."""

    def __init__(self, exe, args=(), *, timeout=120, cmdline=None, env=None, cwd=None, stdin=None):
        cfg = config()
        runs = os.path.join(cfg.work, "wine-runs")
        os.makedirs(runs, exist_ok=True)
        self._dir = tempfile.mkdtemp(prefix="run-", dir=runs)
        self.program = _windows_program(exe)
        self.cmdline = cmdline if cmdline is not None else subprocess.list2cmdline([self.program, *map(str, args)])
        self.timeout = timeout
        cmdline_file = os.path.join(self._dir, "cmdline.txt")
        with open(cmdline_file, "w", encoding="utf-8", newline="") as f:
            f.write(self.cmdline)
        self._report = os.path.join(self._dir, "report.txt")
        self._stdout_path = os.path.join(self._dir, "stdout.txt")
        self._stderr_path = os.path.join(self._dir, "stderr.txt")
        runner = [win_path(win_bin("runreport.exe")), "--report", win_path(self._report),
                  "--timeout", str(int(timeout * 1000))]
        # Wine takes TEMP, TMP, PATH and HOME from its registry, not from
        # Linux; runreport sets the variables in the program's environment.
        for name, value in (env or {}).items():
            runner += ["--env", f"{name}={value}"]
        runner += ["--cmdline-file", win_path(cmdline_file)]
        command = _wine_command(timeout + WINE_GRACE_SECONDS, runner[0], runner[1:])
        full_env = dict(os.environ)
        full_env.update(env or {})
        self._killed = False
        self._result = None
        with open(self._stdout_path, "wb") as out, open(self._stderr_path, "wb") as err:
            self._proc = subprocess.Popen(command, stdout=out, stderr=err,
                                          stdin=stdin if stdin is not None else subprocess.DEVNULL,
                                          env=full_env, cwd=cwd, start_new_session=True)
        self._deadline = time.monotonic() + timeout + WINE_GRACE_SECONDS + 10

    def _report_lines(self):
        try:
            with open(self._report, encoding="utf-8") as f:
                return [line.rstrip("\n").split(" ", 1) for line in f if line.strip()]
        except FileNotFoundError:
            return []

    @property
    def stdout(self):
        """What the program wrote to stdout so far."""
        with open(self._stdout_path, "rb") as f:
            return _text(f.read())

    @property
    def stderr(self):
        with open(self._stderr_path, "rb") as f:
            return _text(f.read())

    @property
    def pid(self):
        """The Windows process id (for uidriver --pid); waits until it is known."""
        deadline = time.monotonic() + WINE_GRACE_SECONDS
        while True:
            for key, *value in self._report_lines():
                if key == "started":
                    return int(value[0])
                if key == "error":
                    raise WineError(f"could not start {self.cmdline}: {value[0] if value else ''}")
            if self._proc.poll() is not None or time.monotonic() > deadline:
                raise WineError(f"{self.cmdline} did not start\n{self.stderr}")
            time.sleep(0.05)

    def poll(self):
        """The result when the program has ended, else None."""
        if self._proc.poll() is None:
            return None
        return self._finish()

    def wait(self, timeout=60):
        """Waits up to timeout seconds for the end; on expiry the program is
        killed and WineTimeout raised. Returns a WineResult."""
        try:
            self._proc.wait(timeout=min(timeout, max(self._deadline - time.monotonic(), 1)))
        except subprocess.TimeoutExpired:
            self.kill()
            raise WineTimeout(f"{self.cmdline} did not end within {timeout} s", self.stdout, self.stderr)
        return self._finish()

    def kill(self):
        """Terminates the program and everything it started (runreport's job
        ends with its process)."""
        if self._proc.poll() is None:
            self._killed = True
            try:
                os.killpg(self._proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self._proc.wait(timeout=30)

    def _finish(self):
        if self._result is not None:
            return self._result
        report = dict((key, value[0] if value else "") for key, *value in self._report_lines())
        stdout, stderr = self.stdout, self.stderr
        if "error" in report:
            raise WineError(f"could not start {self.cmdline}: {report['error']}\n{stderr}")
        if "timeout" in report:
            raise WineTimeout(f"{self.cmdline} ran longer than {self.timeout} s and was terminated", stdout, stderr)
        if "exit" in report:
            code = int(report["exit"])
        elif self._killed:
            code = None
        else:
            raise WineError(f"{self.cmdline}: runreport ended with {self._proc.returncode} and no report\n{stderr}")
        result = WineResult(code, stdout, stderr)
        with open(self._stdout_path, "rb") as f:
            result.stdout_bytes = f.read()
        result.pid = int(report["started"]) if "started" in report else None
        result.left = int(report.get("left", 0))
        self._result = result
        return result

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.kill()


def start_wine(exe, args=(), *, timeout=120, cmdline=None, env=None, cwd=None, stdin=None):
    """Starts a Windows program in the background and returns a WineProcess.

    exe is a Linux path, the name of a program in SFX_WIN_BIN, or a Windows
    path/command. The command line is built from exe and args with the
    Windows quoting rules; cmdline replaces it verbatim (program included).
    timeout (seconds) is the hard limit of the program's life. env adds
    environment variables to the program's environment (TEMP and TMP
    included, which Wine would otherwise take from its registry)."""
    return WineProcess(exe, args, timeout=timeout, cmdline=cmdline, env=env, cwd=cwd, stdin=stdin)


def run_wine(exe, args=(), timeout=60, *, cmdline=None, env=None, cwd=None, stdin=None):
    """Runs a Windows program to its end: WineResult (code, stdout, stderr),
    code being the full 32-bit exit code. Raises WineTimeout when it runs
    longer than timeout seconds (it is then terminated)."""
    process = start_wine(exe, args, timeout=timeout, cmdline=cmdline, env=env, cwd=cwd, stdin=stdin)
    try:
        return process.wait(timeout + WINE_GRACE_SECONDS)
    finally:
        process.kill()


class DriverResult(collections.namedtuple("DriverResult", "code output")):
    """(exit code, stdout) of uidriver; stderr in .stderr."""

    stderr = ""


def uidriver(*args, timeout=30, raw=False):
    """Runs uidriver.exe with the given arguments: DriverResult (code, output).
    Codes: 0 done, 1 timed out, 3 failed; a usage error (2) raises, as it is
    a mistake in the test. The output's line ends are kept only with raw."""
    args = [str(a) for a in args]
    command = _wine_command(timeout, win_path(win_bin("uidriver.exe")), args)
    # Files, not pipes: a Wine process that uidriver happens to start (the
    # desktop process) would inherit a pipe and keep it open.
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        try:
            code = subprocess.run(command, stdout=out, stderr=err, stdin=subprocess.DEVNULL,
                                  timeout=timeout + WINE_GRACE_SECONDS).returncode
        except subprocess.TimeoutExpired:
            code = None
        out.seek(0)
        err.seek(0)
        output = out.read()
        result = DriverResult(code, output.decode("utf-8", errors="replace") if raw else _text(output))
        result.stderr = _text(err.read())
    if code is None or code == 124:
        raise WineTimeout(f"uidriver {' '.join(args)} hung", result.output, result.stderr)
    if code == 2:
        raise UiDriverError(f"uidriver {' '.join(args)}: usage error\n{result.stderr}")
    return result


def _selector(title=None, title_contains=None, cls=None, pid=None, hwnd=None, text_contains=None,
              hidden=False, timeout_ms=None):
    args = []
    for option, value in (("--title", title), ("--title-contains", title_contains), ("--class", cls),
                          ("--pid", pid), ("--hwnd", hwnd), ("--text-contains", text_contains),
                          ("--timeout", timeout_ms)):
        if value is not None:
            args += [option, str(value)]
    if hidden:
        args.append("--hidden")
    return args


def _driver_timeout(selector):
    return (selector.get("timeout_ms") or 10000) / 1000 + 30


def _checked(command, *extra, **selector):
    result = uidriver(command, *_selector(**selector), *extra, timeout=_driver_timeout(selector))
    if result.code == 1:
        raise UiDriverError(f"uidriver {command}: no window matched {selector}")
    if result.code != 0:
        raise UiDriverError(f"uidriver {command} failed: {result.stderr.strip()}")
    return result.output


def wait_window(**selector):
    """Waits for a top-level window. Selector keywords: title, title_contains,
    cls, pid, hwnd, text_contains, hidden, timeout_ms (default 10000).
    Returns a dict (hwnd, pid, tid, class, title, client [w, h], rect,
    visible, enabled, foreground, defid, focus, owner, style, exstyle) or
    None on time-out."""
    result = uidriver("wait", "--json", *_selector(**selector), timeout=_driver_timeout(selector))
    if result.code == 1:
        return None
    if result.code != 0:
        raise UiDriverError(f"uidriver wait failed: {result.stderr.strip()}")
    return json.loads(result.output.splitlines()[0])


def window_gone(**selector):
    """True when no window matches (within timeout_ms)."""
    result = uidriver("gone", *_selector(**selector), timeout=_driver_timeout(selector))
    if result.code not in (0, 1):
        raise UiDriverError(f"uidriver gone failed: {result.stderr.strip()}")
    return result.code == 0


def list_controls(**selector):
    """The window's child controls as dicts: id, hwnd, class, text, visible,
    enabled, focused, default, style, rect (client coordinates), parent."""
    return [json.loads(line) for line in _checked("list", "--json", **selector).splitlines() if line]


def control(control_id, **selector):
    """The control with this id (a dict as list_controls gives), or None."""
    return next((c for c in list_controls(**selector) if c["id"] == control_id), None)


def window_text(**selector):
    """The title and the texts of the visible controls, one a line."""
    return _checked("text", **selector)


def press(control_id, *, command=False, **selector):
    """Presses a button (BM_CLICK, or WM_COMMAND with command=True)."""
    _checked("press", "--id", control_id, *(["--command"] if command else []), **selector)


def send_keys(*keys, method=None, control_id=None, **selector):
    """Sends keys such as "ESC", "ENTER", "CTRL+C" to the window."""
    extra = []
    for key in keys:
        extra += ["--key", key]
    if method:
        extra += ["--method", method]
    if control_id is not None:
        extra += ["--id", control_id]
    _checked("key", *extra, **selector)


def clipboard_text(timeout_ms=0):
    """The clipboard's Unicode text exactly as it is (line ends included),
    or None when there is none (after waiting up to timeout_ms)."""
    result = uidriver("clipboard", "--timeout", timeout_ms, timeout=timeout_ms / 1000 + 30, raw=True)
    if result.code == 1:
        return None
    if result.code != 0:
        raise UiDriverError(f"uidriver clipboard failed: {result.stderr.strip()}")
    return result.output


def clear_clipboard():
    result = uidriver("clipboard", "--clear")
    if result.code != 0:
        raise UiDriverError(f"uidriver clipboard --clear failed: {result.stderr.strip()}")


def make_archive(files, out, extra_7z_args=()):
    """Builds a 7z archive at out from {relative path: bytes or str} (a path
    ending in "/" or a value of None makes an empty folder); extra_7z_args go
    to "7zz a" (for example ["-m0=PPMd"], ["-pSecret", "-mhe=on"]). Returns out."""
    out = os.path.abspath(out)
    os.makedirs(os.path.dirname(out), exist_ok=True)
    if os.path.exists(out):
        os.remove(out)  # "7zz a" would add to it
    staging = tempfile.mkdtemp(prefix="archive-", dir=os.path.dirname(out))
    try:
        top = []
        for name, data in files.items():
            path = os.path.join(staging, name)
            first = re.split(r"[/\\]", name.strip("/"))[0]
            if first not in top:
                top.append(first)
            if data is None or name.endswith("/"):
                os.makedirs(path, exist_ok=True)
                continue
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data.encode("utf-8") if isinstance(data, str) else data)
        command = [config().sevenzip, "a", "-t7z", "-bd", "-y", *extra_7z_args, out, "--", *top]
        done = subprocess.run(command, cwd=staging, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              stdin=subprocess.DEVNULL, timeout=300)
        if done.returncode != 0:
            raise AssertionError(f"{' '.join(command)} failed:\n{_text(done.stdout)}")
    finally:
        shutil.rmtree(staging, ignore_errors=True)
    return out


def build_package(config_text, archive_path, out, extra_args=(), *, stub=None, timeout=120):
    """Builds a package with sfxpack from a configuration text (str, written
    as UTF-8, or bytes written as they are) and an archive. Returns out."""
    out = os.path.abspath(out)
    os.makedirs(os.path.dirname(out), exist_ok=True)
    config_path = out + ".config.txt"
    with open(config_path, "wb") as f:
        f.write(config_text.encode("utf-8") if isinstance(config_text, str) else config_text)
    command = [config().pack, "build", "--stub", stub or win_bin("sfxstub.exe"), "--config", config_path,
               "--archive", archive_path, "-o", out, *extra_args]
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                          timeout=timeout)
    if done.returncode != 0:
        raise AssertionError(f"{' '.join(command)} failed with {done.returncode}:\n{_text(done.stdout)}")
    return out


class SfxTestCase(unittest.TestCase):
    """Base of the end-to-end tests: a fresh scratch folder per test
    (self.work, kept after the run for inspection) and programs that are
    always terminated when the test ends."""

    def setUp(self):
        super().setUp()
        cfg = config()
        if not os.path.exists(os.path.join(cfg.wine_dir, "display")):
            raise RuntimeError(f"the Wine environment is not up: run {cfg.tools}/wine-env.sh up {cfg.wine_dir}")
        name = re.sub(r"[^A-Za-z0-9_.-]", "_", self.id())
        self.work = os.path.join(cfg.work, name)
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.work)
        self._processes = []
        self.addCleanup(self._stop_processes)

    def path(self, *parts):
        """A path inside the test's scratch folder."""
        return os.path.join(self.work, *parts)

    def start(self, exe, args=(), **kwargs):
        """start_wine, terminated at the end of the test at the latest."""
        process = start_wine(exe, args, **kwargs)
        self._processes.append(process)
        return process

    def run_wine(self, exe, args=(), timeout=60, **kwargs):
        return run_wine(exe, args, timeout, **kwargs)

    def _stop_processes(self):
        for process in self._processes:
            process.kill()

    def assertExitCode(self, result, expected):
        """Compares a WineResult's code, showing both in hex and the output."""
        self.assertEqual(result.code, expected,
                         f"exit code {result.code if result.code is None else hex(result.code)}, "
                         f"expected {hex(expected)}\n--- stdout:\n{result.stdout}\n--- stderr:\n{result.stderr}")


class ProbeReport(collections.namedtuple("ProbeReport", "command_line args working_folder values_file values")):
    """What setupprobe.exe reported: its command line, its arguments (program
    name first), its working folder, the path after "-m" (None without one)
    and that file's content as text (None when it could not be read)."""


def read_probe_report(path):
    """Reads the report of setupprobe.exe (format at the top of
    tests/uidriver/SetupProbe.cpp); None while it is missing or incomplete."""
    try:
        with open(path, "rb") as f:
            data = f.read().decode("utf-8")
    except FileNotFoundError:
        return None
    escapes = {"\\": "\\", "n": "\n", "r": "\r", "t": "\t"}

    def unescape(text):
        return re.sub(r"\\(.)", lambda m: escapes.get(m.group(1), m.group(1)), text)

    facts = {}
    for line in data.split("\n"):
        key, sep, value = line.partition("=")
        if sep:
            facts.setdefault(key, []).append(unescape(value))
    if facts.get("end") != ["1"]:
        return None

    def first(key):
        return facts[key][0] if key in facts else None

    return ProbeReport(first("commandLine"), facts.get("arg", []), first("workingFolder"),
                       first("valuesFile"), first("values"))


def screenshot(out, **selector):
    """Saves the window that the selector finds as a PNG file at out (a path
    in the build tree), cut from the Xvfb screen with ImageMagick's import.
    Returns out, or None when the window is not found or no capture tool is
    installed (the look is checked by eye, so its absence fails no test)."""
    window = wait_window(**selector)
    tool = shutil.which("import")
    if window is None or tool is None:
        return None
    with open(os.path.join(config().wine_dir, "display")) as f:
        display = f.read().strip()
    left, top, right, bottom = window["rect"]
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    done = subprocess.run([tool, "-display", display, "-window", "root", "-crop",
                           f"{right - left}x{bottom - top}+{left}+{top}", out],
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL, timeout=60)
    return out if done.returncode == 0 else None
