"""The real program as a learner meets it: keys typed through the X server (xdotool, XTest),
the window read back through AT-SPI, the sound taken from a private PulseAudio null sink, and
a screen reader (Orca) listening. Run by as_a_learner.sh, which provides the X display and the
session bus. Usage: as_a_learner.py KELVARO WORK_DIR [TEST...]"""

import contextlib
import os
import pathlib
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time

import gi

gi.require_version("Gdk", "3.0")
from gi.repository import Gdk  # noqa: E402
import pyatspi  # noqa: E402

KELVARO = os.path.abspath(sys.argv[1])
WORK = pathlib.Path(sys.argv[2]).resolve()
HERE = pathlib.Path(__file__).resolve().parent
PULSE_FIXTURE = HERE.parent / "speech" / "pulse_fixture.sh"
RATE = 8000  # samples a second recorded from the null sink


def fail_if(condition, message):
    if condition:
        raise AssertionError(message)


def wait_for(what, condition, timeout=20.0):
    """Waits until condition() gives something true, and returns it."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise AssertionError(f"{what}: not within {timeout} s")
        time.sleep(0.02)


def xdotool(*args, check=True):
    return subprocess.run(["xdotool", *args], check=check, capture_output=True,
                          text=True, timeout=30).stdout.split()


def windows_named(title):
    return xdotool("search", "--onlyvisible", "--name", f"^{title}$", check=False)


def descendants(node):
    for child in node:
        if child is not None:
            yield child
            yield from descendants(child)


@contextlib.contextmanager
def audio_server():
    """A private PulseAudio with one null sink: the environment that reaches it."""
    folder = tempfile.mkdtemp(prefix="kelvaro-learner.")
    subprocess.run(["bash", str(PULSE_FIXTURE), "start", folder], check=True)
    try:
        yield {"XDG_RUNTIME_DIR": f"{folder}/runtime",
               "PULSE_SERVER": f"unix:{folder}/runtime/pulse/native"}
    finally:
        subprocess.run(["bash", str(PULSE_FIXTURE), "stop", folder])
        shutil.rmtree(folder, ignore_errors=True)


class Recording:
    """What the null sink plays from now on, as 16-bit mono samples."""

    def __init__(self, env):
        self.data = bytearray()
        self.process = subprocess.Popen(
            ["parecord", "--device=null.monitor", "--raw", "--format=s16le", "--channels=1",
             f"--rate={RATE}", "--latency-msec=20"],
            stdout=subprocess.PIPE, env={**os.environ, **env})
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        while chunk := self.process.stdout.read1(4096):
            self.data.extend(chunk)

    def seconds(self):
        return len(self.data) / 2 / RATE

    def loud(self, after_seconds=0.0):
        start = int(after_seconds * RATE) * 2
        samples = memoryview(bytes(self.data[start:])).cast("h")
        return any(abs(s) > 1000 for s in samples)

    def stop(self):
        self.process.kill()
        self.process.wait()


class Kelvaro:
    """The program on the virtual display, with its window and its accessible objects."""

    def __init__(self, audio, *args, env=None, focus=True):
        self.process = subprocess.Popen(
            [KELVARO, *args], cwd=WORK,
            env={**os.environ, **audio, "QT_QPA_PLATFORM": "xcb",
                 "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", **(env or {})},
            stderr=subprocess.PIPE, text=True)
        self.stderr = []
        threading.Thread(target=lambda: self.stderr.extend(self.process.stderr),
                         daemon=True).start()
        self.window = wait_for("the Kelvaro window", lambda: windows_named("Kelvaro"), 30)[0]
        if focus:
            xdotool("windowfocus", "--sync", self.window)
        self.app = wait_for("Kelvaro on the accessibility bus", self._application, 30)
        self.display = wait_for("the drill line's accessible object",
                                lambda: self.find(pyatspi.ROLE_TEXT))

    def _application(self):
        for app in pyatspi.Registry.getDesktop(0):
            with contextlib.suppress(Exception):  # an application that has gone away meanwhile
                if app is not None and app.get_process_id() == self.process.pid:
                    return app
        return None

    def find(self, role, name=None):
        return next((o for o in descendants(self.app)
                     if o.getRole() == role and name in (None, o.name)), None)

    def item_showing(self, name):
        item = self.find(pyatspi.ROLE_MENU_ITEM, name)
        return item is not None and item.getState().contains(pyatspi.STATE_SHOWING)

    def keys(self, *keys, delay=40):
        xdotool("key", "--delay", str(delay), *keys)

    def line(self):
        return self.display.queryText().getText(0, -1)

    def caption_object(self, name_start):
        return next(o for o in descendants(self.app)
                    if o.getRole() == pyatspi.ROLE_LABEL and o.name.startswith(name_start))

    def caption(self, name_start):
        return self.caption_object(name_start).queryText().getText(0, -1)

    def showing(self, name_start):
        return self.caption_object(name_start).getState().contains(pyatspi.STATE_SHOWING)

    def must_end_within(self, seconds, what):
        try:
            self.process.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"{what} left the program running") from None

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.process.kill()  # nothing, if it has ended
        self.process.wait()


@contextlib.contextmanager
def opened(audio, lines, name="drill.txt", env=None, options=()):
    """The program started on a drill file of these lines, named relative to the working
    folder, once it shows the file open without an error box."""
    (WORK / name).write_text("".join(line + "\n" for line in lines), encoding="utf-8")
    with Kelvaro(audio, *options, name, env=env) as k:
        wait_for("the file opened", lambda: k.caption("Lines left") == f"count {len(lines)}")
        fail_if(windows_named("Open Text File"),
                f"{name} given at start was reported as unreadable")
        yield k


def to_the_rate(k, lines, at_the_first_line=lambda: None):
    """F through every line, the last at least a second after the first so that a rate is
    given, and on until the rate is shown while it is said."""
    for n, line in enumerate(lines):
        k.keys("f")
        wait_for(f"line {n + 1}", lambda: k.line() == line)
        if n == 0:
            started = time.monotonic()
            at_the_first_line()
    wait_for("a second on the clock", lambda: time.monotonic() - started >= 1.05, 5)
    k.keys("f")
    wait_for("the rate shown while it is said", lambda: k.caption("Reading rate"))


# Each test below starts the program afresh and says what a learner would notice.

def both_hands_drive_the_drill(audio):
    """The same commands under each hand, Shift and Ctrl making no difference, the keypad's 1
    none, and a fast burst of presses losing none."""
    with opened(audio, ["one", "two", "three", "four", "five"]) as k:
        steps = [(["f", "j", "space"], "three", "count 3"),
                 (["shift+f", "ctrl+j"], "five", "count 1"),
                 (["s", "l"], "three", "count 3"),
                 (["d", "k"], "three", "count 3"),
                 (["1", "KP_1", "1", "0"], "three", "count 3"),
                 (["u", "f", "r", "j"], "one", "count 5")]
        for keys, line, count in steps:
            k.keys(*keys)
            wait_for(f"{' '.join(keys)} giving {line!r} and {count!r}",
                     lambda: k.line() == line and k.caption("Lines left") == count)
        fail_if(k.caption("Display font size") != "FontSize 101",
                f"1, keypad 1, 1, 0 gave {k.caption('Display font size')!r}")
        k.keys(*["j"] * 4, delay=5)
        wait_for("every press of a fast burst", lambda: k.line() == "five")


def keys_typed_while_speech_is_awaited_run_afterwards(audio):
    """1 and D typed while the rate is being said, and 1, U and F while the notice that D gave
    is being said, all run once the speech is over, in the order typed."""
    with opened(audio, ["one", "two"]) as k:
        to_the_rate(k, ["one", "two"])
        k.keys("1", "d", "1", "u", "f")
        size_when_typed = k.caption("Display font size")
        wait_for("all five keys applied", lambda: k.caption("Display font size") == "FontSize 102"
                 and k.line() == "one", 30)
        fail_if(size_when_typed != "FontSize 100",
                f"the keys were not typed during the rate ({size_when_typed})")
        fail_if(k.caption("Lines left") != "count 2",
                f"U then F gave {k.caption('Lines left')!r}, not a new run")


def esc_while_the_rate_is_said_ends_at_once(audio):
    """Esc typed while the rate is being said, alone or behind three other keys, and Exit
    chosen from the File menu then, end the program within half a second, with exit code 0."""
    for ahead, last in (([], "Escape"), (["1", "d", "s"], "Escape"), (["alt+f"], "x")):
        with opened(audio, ["one"]) as k:
            to_the_rate(k, ["one"])
            if ahead:
                k.keys(*ahead, delay=20)
            if last == "x":
                wait_for("the File menu open", lambda: k.item_showing("Exit(X)"))
            k.keys(last)
            how = "Exit" if last == "x" else f"Esc behind {len(ahead)} keys"
            k.must_end_within(0.5, how)
            fail_if(k.process.returncode != 0, f"exit code {k.process.returncode} on {how}")


def the_reset_error_box_closes(audio):
    """A drill file that cannot be read at start is reported in the Open command's box over the
    window. R reloads the file given at start: once it is deleted, R reports it in a box, and
    the box closes with Return, Esc, Space and a click on OK; the drill goes on."""
    with Kelvaro(audio, "missing.txt", focus=False) as k:
        wait_for("the box for a file that cannot be read", lambda: windows_named("Open Text File"))
        fail_if(not windows_named("Kelvaro") or k.process.poll() is not None,
                "the window did not stay beneath the Open Text File box")
    with opened(audio, ["one", "two"], "deleted.txt") as k:
        (WORK / "deleted.txt").unlink()
        for closing in ("Return", "Escape", "space", "click"):
            k.keys("r")
            box = wait_for("the Reset box", lambda: windows_named("Reset"))[0]
            xdotool("windowfocus", "--sync", box)
            if closing == "click":
                ok = wait_for("the OK button", lambda: k.find(pyatspi.ROLE_PUSH_BUTTON, "OK"))
                extents = ok.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                xdotool("mousemove", "--sync", str(extents.x + extents.width // 2),
                        str(extents.y + extents.height // 2), "click", "1")
            else:
                k.keys(closing)
            wait_for(f"the Reset box closed by {closing}", lambda: not windows_named("Reset"), 10)
            xdotool("windowfocus", "--sync", k.window)
        k.keys("f")
        wait_for("the drill going on after the boxes", lambda: k.line() == "one")
        k.keys("Escape")
        k.must_end_within(5, "Esc after the boxes")


def every_menu_opens_from_the_keyboard(audio):
    """Alt+F, Alt+V and F10 open a menu of the menu bar; Esc closes it and leaves the program
    running, and a drill key typed into the open menu, or into the Open dialog's file name,
    steps nothing."""
    with opened(audio, ["one", "two"]) as k:
        for keys, item in (("alt+f", "Open Text File(O)"), ("alt+v", "Pause"),
                           ("F10", "Open Text File(O)")):
            k.keys(keys)
            wait_for(f"{keys} opening the menu with {item}", lambda: k.item_showing(item))
            k.keys("j", "Escape")
            wait_for(f"Esc closing the menu {keys} opened", lambda: not k.item_showing(item), 10)
            fail_if(k.process.poll() is not None,
                    f"Esc in the menu {keys} opened ended the program")
        k.keys("ctrl+o")
        dialog = wait_for("the Open dialog", lambda: next(
            (o for o in descendants(k.app) if o.getRole() == pyatspi.ROLE_DIALOG
             and o.getState().contains(pyatspi.STATE_ACTIVE)), None))
        k.keys("f", "j", "space", "d")
        wait_for("the keys typed into the file name", lambda: any(
            o.getRole() == pyatspi.ROLE_TEXT and "fj d" in o.queryText().getText(0, -1)
            for o in descendants(dialog)))
        k.keys("Escape")
        wait_for("Esc closing the Open dialog", lambda: not dialog.getState().contains(
            pyatspi.STATE_SHOWING), 10)
        k.keys("f")
        wait_for("the first line after the menus and the dialog", lambda: k.line() == "one")


def a_screen_reader_follows_the_drill(audio):
    """With Orca running, every line the learner steps to (F, D, S) is spoken and shown in
    braille; the drill line read through AT-SPI is the line shown; nothing is printed about the
    drill line on standard error; empty captions are not offered."""
    lines = ["Reading aloud helps.", "毎日読みます。", "The cat sat.", "Fourth and last."]
    log = OrcaLog()
    try:
        log.wait_for("Orca started", "SPEECH OUTPUT: 'Screen reader on.'")
        with opened(audio, lines) as k:
            log.wait_for("Orca at the drill line", "SPEECH OUTPUT: 'Drill line")
            fail_if(k.showing("Time taken") or k.showing("Reading rate"),
                    "an empty caption is reported as showing")
            for key, line in [("f", lines[0]), ("f", lines[1]), ("d", lines[1]), ("f", lines[2]),
                              ("s", lines[1]), ("f", lines[2]), ("f", lines[3])]:
                mark = len(log.lines)
                k.keys(key)
                wait_for(f"the line shown after {key}", lambda: k.line() == line)
                log.wait_for(f"Orca speaking {line!r} after {key}", f"SPEECH OUTPUT: '{line}'",
                             mark)
                log.wait_for(f"braille showing {line!r} after {key}", "BRAILLE LINE:", mark,
                             containing=line)
            said = [e for e in k.stderr if "Drill line" in e or "ValueChanged" in e]
            fail_if(said, f"printed on standard error: {said}")
    finally:
        log.stop()


class OrcaLog:
    """Orca on the same display and bus, its debug log read as it is written: the log goes to a
    terminal, for which Python writes every line at once."""

    def __init__(self):
        home = WORK / "orca-home"
        shutil.rmtree(home, ignore_errors=True)
        home.mkdir(parents=True)
        self.lines = []
        # The other end held open here too: a terminal with no end open fails reads before
        # Orca opens it.
        self.master, self.slave = os.openpty()
        os.set_blocking(self.master, True)
        self.process = subprocess.Popen(
            ["orca", "--debug-file", os.ttyname(self.slave)],
            env={**os.environ, "HOME": str(home), "XDG_CONFIG_HOME": str(home / ".config")},
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        pending = b""
        try:
            while chunk := os.read(self.master, 65536):
                *complete, pending = (pending + chunk).split(b"\n")
                self.lines.extend(line.decode("utf-8", "replace").rstrip("\r") for line in complete)
        except OSError:  # the terminal closed
            pass

    def wait_for(self, what, text, since=0, containing=""):
        return wait_for(what, lambda: any(text in line and containing in line
                                          for line in self.lines[since:]), 30)

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        os.close(self.slave)


def window_icon(window):
    """The window's icon as xprop draws it from what the window manager reads, or ''."""
    return subprocess.run(["xprop", "-id", str(window), "_NET_WM_ICON"], capture_output=True,
                          text=True, check=False).stdout


def no_greeting_over_an_open_file(audio):
    """Started with a drill file the program opens it and says nothing; started without one it
    greets the learner (which shows that the recording hears it), and has its icon."""
    recording = Recording(audio)
    try:
        wait_for("the recorder running", lambda: recording.seconds() > 1.0)
        started = recording.seconds()
        with opened(audio, ["one"]) as k:
            # Three seconds of sound from the start cover any greeting.
            wait_for("three seconds recorded", lambda: recording.seconds() > started + 3)
            fail_if(recording.loud(started), "something was said over the file given at start")
            fail_if(k.line() != "", f"the display shows {k.line()!r} over the open file")
        started = recording.seconds()
        with Kelvaro(audio) as k:
            wait_for("the greeting heard", lambda: recording.loud(started), 20)
            fail_if(k.line() != "SelectYourFile!", f"the display shows {k.line()!r} at start")
            # The icon the taskbar shows, set once the first frame is up: 16 and 32 px.
            wait_for("the window's icon", lambda: "Icon (16 x 16)" in window_icon(k.window)
                     and "Icon (32 x 32)" in window_icon(k.window))
    finally:
        recording.stop()


def every_caption_whole_at_200_percent(audio):
    """At 200 % on 1024 x 768, every caption (count, font size, then time and rate) is drawn
    whole: the ink of its text stays inside its box."""
    with opened(audio, ["one"], env={"QT_SCALE_FACTOR": "2"}) as k:
        to_the_rate(k, ["one"], lambda: check_whole(k, ["Lines left", "Display font size"]))
        check_whole(k, ["Time taken", "Reading rate", "Display font size"])


def check_whole(k, captions, scale=2):
    """Each caption's box, given through AT-SPI in the desktop's scaled units, taken from the
    screen: light pixels on its edges are ink cut off there."""
    window = Gdk.get_default_root_window()
    for name in captions:
        box = k.caption_object(name).queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        left, top, width, height = (scale * v for v in (box.x, box.y, box.width, box.height))
        shot = Gdk.pixbuf_get_from_window(window, left, top, width, height)
        pixels, stride, channels = shot.get_pixels(), shot.get_rowstride(), shot.get_n_channels()

        def ink(x, y):
            # Solid ink of its own colour on the navy background (0, 0, 128): the white of the
            # rate and the font size, or the light yellow (255, 255, 192) of the others, whose
            # boxes overlap those of white captions. A glyph cut by the box is cut through
            # its solid strokes; the blended rims of glyphs are left out.
            r, g, b = pixels[y * stride + x * channels:y * stride + x * channels + 3]
            white = b >= r  # light yellow is bluer than navy only up to 192
            return r > 204 and white == (name in ("Reading rate", "Display font size"))

        inked = [(x, y) for y in range(height) for x in range(width) if ink(x, y)]
        fail_if(not inked, f"{name}: no text drawn in its box {width}x{height}")
        touching = [p for p in inked if p[0] in (0, width - 1) or p[1] in (0, height - 1)]
        fail_if(touching, f"{name} ({k.caption(name)!r}) cut by its {width}x{height} "
                f"box at {touching[:3]}")


def prints_and_exits_without_a_window(audio):
    """With no display at all, --help and --version print on standard output and exit 0; a
    wrong option, voice or pace is told on standard error, with the usage, and exits 2."""
    env = {n: v for n, v in os.environ.items() if n not in ("DISPLAY", "WAYLAND_DISPLAY")}
    usage = "Usage: kelvaro [options] [FILE]\n"
    for args, status, out, err in (
            (["--help"], 0, usage, ""), (["--voice", "female", "--version"], 0, "Kelvaro 1.00\n", ""),
            (["--bogus", "a.txt"], 2, "", "kelvaro: Unknown option 'bogus'.\n" + usage),
            (["--voice=robot"], 2, "",
             "kelvaro: Unknown voice 'robot': choose male, female or espeak-ng.\n" + usage),
            (["--pace=quick", "a.txt"], 2, "",
             "kelvaro: Unknown pace 'quick': choose slower, normal or faster.\n" + usage)):
        run = subprocess.run([KELVARO, *args], env={**env, "QT_QPA_PLATFORM": "xcb"}, timeout=60,
                             capture_output=True, text=True)
        if (run.returncode != status or run.stdout[:len(out) if out == usage else None] != out
                or run.stderr[:len(err) or None] != err):
            raise AssertionError(f"{args}: exit {run.returncode}, {run.stdout!r}, {run.stderr!r}")


def two_runs_are_kept_with_the_rates_shown(audio):
    """Two whole runs leave two rows in the history, each with the rate the window showed and
    the time of each of its three lines; the Progress window opened over the drill closes on
    Esc and leaves the drill running; with --no-history nothing is kept at all."""
    data = WORK / "data"
    database = data / "kelvaro" / "history.sqlite"
    shutil.rmtree(data, ignore_errors=True)
    env = {"XDG_DATA_HOME": str(data)}

    def query(sql):
        with contextlib.closing(sqlite3.connect(database, timeout=5)) as db:
            return db.execute(sql).fetchall()

    def runs_kept():
        return database.exists() and query("SELECT count(*) FROM runs")[0][0]

    lines = ["one", "two", "three"]
    shown = []
    with opened(audio, lines, env=env) as k:
        for run in (1, 2):
            to_the_rate(k, lines)
            shown.append(int(k.caption("Reading rate").split()[0]))
            wait_for(f"run {run} kept", lambda: runs_kept() == run, 30)
            k.keys("r")
        k.keys("ctrl+p")
        progress = wait_for("the Progress window", lambda: windows_named("Progress"), 30)[0]
        # The window itself, with its table of runs, not an error box of the same title.
        wait_for("the Progress window's table of runs", lambda: any(
            o.getRole() == pyatspi.ROLE_TABLE for o in descendants(k.app)))
        xdotool("windowfocus", "--sync", progress, "key", "Escape")
        wait_for("Esc closing Progress", lambda: not windows_named("Progress"))
        fail_if(k.process.poll() is not None, "Esc in the Progress window ended the program")
        xdotool("windowfocus", "--sync", k.window, "key", "Escape")
        k.must_end_within(10, "Esc")
    kept = query("SELECT rate, lines, practice, (SELECT count(*) FROM line_times t "
                 "WHERE t.run_id = runs.id) FROM runs ORDER BY id")
    fail_if(kept != [(rate, 3, 0, 3) for rate in shown],
            f"kept {kept} (rate, lines, practice, line times); the window showed {shown}")

    shutil.rmtree(data)
    data.mkdir()
    with opened(audio, lines, env=env, options=["--no-history"]) as k:
        to_the_rate(k, lines)
        k.keys("Escape")
        k.must_end_within(10, "Esc")
    fail_if(any(data.iterdir()), f"--no-history left {[p.name for p in data.iterdir()]}")


TESTS = [both_hands_drive_the_drill,
         keys_typed_while_speech_is_awaited_run_afterwards,
         esc_while_the_rate_is_said_ends_at_once,
         the_reset_error_box_closes,
         every_menu_opens_from_the_keyboard,
         a_screen_reader_follows_the_drill,
         no_greeting_over_an_open_file,
         every_caption_whole_at_200_percent,
         prints_and_exits_without_a_window,
         two_runs_are_kept_with_the_rates_shown]


def main():
    WORK.mkdir(parents=True, exist_ok=True)
    chosen = sys.argv[3:]
    failed = 0
    with audio_server() as audio:
        for test in TESTS:
            if chosen and test.__name__ not in chosen:
                continue
            began = time.monotonic()
            try:
                test(audio)
                print(f"PASS: {test.__name__} ({time.monotonic() - began:.1f} s)", flush=True)
            except Exception as failure:  # a test that breaks fails, and the others still run
                failed += 1
                print(f"FAIL: {test.__name__}: {failure!r}", flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
