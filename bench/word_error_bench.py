"""Word error of the male voice as a learner hears it through Kelvaro, next to the voice's own
audio: the same drill lines rendered by Flite itself, and spoken by the real program on a
private PulseAudio null sink (keys through the X server, the sink's monitor recorded), both
scored by one speech recogniser, PocketSphinx. Run by word_error_bench.sh, which provides the
X display. Usage: word_error_bench.py KELVARO [--load] [--keep DIR]"""

import argparse
import contextlib
import os
import pathlib
import re
import shutil
import subprocess
import tempfile
import threading
import time
import wave

HERE = pathlib.Path(__file__).resolve().parent
PULSE_FIXTURE = HERE.parent / "tests" / "speech" / "pulse_fixture.sh"
RATE = 16000  # what the recogniser's model was trained on, and Flite's male voice's own rate
FLITE_VOICE = "rms"  # the voice Kelvaro calls male

# Plain drill sentences of everyday words, with no digits, so that the recogniser's dictionary
# knows every word and the text is read one way.
LINES = [
    "He reads the newspaper every evening after dinner.",
    "Five friends found a fine farm far away.",
    "Seven sisters sang softly at sunset.",
    "Thirty thousand thin threads were thrown.",
    "Good morning.",
    "The train leaves the station at noon.",
    "Please close the window before you go out.",
    "My brother works in a small bakery.",
    "We walked along the river after lunch.",
    "She bought fresh bread and a bottle of milk.",
    "The children played in the park all afternoon.",
    "Could you tell me the way to the library?",
    "It rained heavily during the night.",
    "The meeting starts in ten minutes.",
    "I forgot my umbrella at the office.",
    "Our teacher speaks very clearly.",
    "The cat is sleeping under the table.",
    "They moved to a new house last spring.",
    "Turn left at the second corner.",
    "The soup is too hot to eat.",
    "He always drinks coffee in the morning.",
    "We need to buy some vegetables for dinner.",
    "The museum is closed on Mondays.",
    "Her garden is full of red flowers.",
    "I will call you when I arrive.",
    "The bus was late again this morning.",
    "Please write your name at the top of the page.",
    "The old man told us a long story.",
    "Everyone laughed at the funny joke.",
    "The shop opens early on weekends.",
    "She practices the piano every day.",
    "The road was covered with snow.",
    "We watched a movie at home last night.",
    "Do you know where my keys are?",
    "The doctor said I should rest for a week.",
    "Thank you very much for your help.",
    "See you tomorrow.",
]


def words(text):
    return re.findall(r"[a-z']+", text.lower())


def word_errors(truth, heard):
    """Substitutions, deletions and insertions that turn the true words into those heard."""
    previous = list(range(len(heard) + 1))
    for i, word in enumerate(truth, 1):
        row = [i]
        for j, other in enumerate(heard, 1):
            row.append(min(previous[j] + 1, row[j - 1] + 1, previous[j - 1] + (word != other)))
        previous = row
    return previous[-1]


def recognise(folder, count):
    """What the recogniser hears in line-0.wav … line-N.wav of the folder, by line."""
    control = folder / "lines.ctl"
    control.write_text("".join(f"line-{n}\n" for n in range(count)))
    hypotheses = folder / "lines.hyp"
    subprocess.run(["pocketsphinx_batch", "-adcin", "yes", "-adchdr", "44", "-cepdir",
                    str(folder), "-cepext", ".wav", "-ctl", str(control), "-hyp",
                    str(hypotheses)], check=True, capture_output=True, timeout=600)
    heard = {}
    for entry in hypotheses.read_text().splitlines():
        if match := re.fullmatch(r"(.*) \(line-(\d+)(?: -?\d+)?\)", entry.strip()):
            heard[int(match[2])] = match[1]
    return [heard.get(n, "") for n in range(count)]


def write_wave(path, samples):
    with wave.open(str(path), "wb") as file:
        file.setnchannels(1)
        file.setsampwidth(2)
        file.setframerate(RATE)
        file.writeframes(samples)


def voice_own_audio(folder):
    for n, line in enumerate(LINES):
        subprocess.run(["flite", "-voice", FLITE_VOICE, "-t", line, "-o",
                        str(folder / f"line-{n}.wav")], check=True, timeout=60)
        with wave.open(str(folder / f"line-{n}.wav")) as rendered:
            if rendered.getframerate() != RATE or rendered.getnchannels() != 1:
                raise SystemExit(f"Flite's {FLITE_VOICE} voice gave audio the recogniser "
                                 f"cannot take: {rendered.getframerate()} Hz")


def wait_for(what, condition, timeout):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            raise SystemExit(f"{what}: not within {timeout} s")
        time.sleep(0.02)


class Recording:
    """What the null sink plays from now on, as 16-bit mono samples."""

    def __init__(self, env):
        self.data = bytearray()
        self.process = subprocess.Popen(
            ["parecord", "--device=null.monitor", "--raw", "--format=s16le", "--channels=1",
             f"--rate={RATE}", "--latency-msec=20"], stdout=subprocess.PIPE, env=env)
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        while chunk := self.process.stdout.read1(4096):
            self.data.extend(chunk)

    def samples(self):
        return len(self.data) // 2

    def loudest(self, start, end=None):
        part = memoryview(bytes(self.data[start * 2:None if end is None else end * 2]))
        return max((abs(s) for s in part.cast("h")), default=0)

    def stop(self):
        self.process.kill()
        self.process.wait()


@contextlib.contextmanager
def audio_server():
    folder = tempfile.mkdtemp(prefix="kelvaro-word-error.")
    subprocess.run(["bash", str(PULSE_FIXTURE), "start", folder], check=True)
    try:
        yield {**os.environ, "XDG_RUNTIME_DIR": f"{folder}/runtime",
               "PULSE_SERVER": f"unix:{folder}/runtime/pulse/native", "HOME": f"{folder}/home"}
    finally:
        subprocess.run(["bash", str(PULSE_FIXTURE), "stop", folder])
        shutil.rmtree(folder, ignore_errors=True)


def through_kelvaro(kelvaro, folder, load):
    """Each line as the null sink played it, from the key that showed it until its speech
    has been over for 0.7 s."""
    drill = folder / "drill.txt"
    drill.write_text("".join(line + "\n" for line in LINES), encoding="utf-8")
    with audio_server() as env:
        recording = Recording(env)
        program = subprocess.Popen([kelvaro, "--voice", "male", "--no-history", str(drill)],
                                   env={**env, "QT_QPA_PLATFORM": "xcb"})
        stress = subprocess.Popen(["stress-ng", "--cpu", "2", "--quiet"]) if load else None
        try:
            window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name",
                                     "^Kelvaro$"], check=True, capture_output=True, text=True,
                                    timeout=30).stdout.split()[0]
            subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True, timeout=30)
            quiet = int(0.7 * RATE)
            for n in range(len(LINES)):
                start = recording.samples()
                subprocess.run(["xdotool", "key", "f"], check=True, timeout=30)
                wait_for(f"line {n + 1} heard", lambda: recording.loudest(start) > 300, 30)
                wait_for(f"line {n + 1} over", lambda: recording.samples() - start > quiet
                         and recording.loudest(recording.samples() - quiet) < 100, 60)
                write_wave(folder / f"line-{n}.wav",
                           bytes(recording.data[start * 2:recording.samples() * 2]))
        finally:
            if stress:
                stress.terminate()
                stress.wait()
            program.kill()
            program.wait()
            recording.stop()


def score(heard):
    errors = sum(word_errors(words(line), words(h)) for line, h in zip(LINES, heard))
    return errors, sum(len(words(line)) for line in LINES)


def main():
    arguments = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    arguments.add_argument("kelvaro")
    arguments.add_argument("--load", action="store_true",
                           help="run stress-ng --cpu 2 while the program speaks")
    arguments.add_argument("--keep", help="keep the audio and what was heard in this folder")
    options = arguments.parse_args()
    work = pathlib.Path(options.keep or tempfile.mkdtemp(prefix="kelvaro-word-error."))
    own, program = work / "voice", work / "kelvaro"
    own.mkdir(parents=True, exist_ok=True)
    program.mkdir(parents=True, exist_ok=True)
    voice_own_audio(own)
    through_kelvaro(os.path.abspath(options.kelvaro), program, options.load)
    heard_own, heard_program = recognise(own, len(LINES)), recognise(program, len(LINES))
    for line, a, b in zip(LINES, heard_own, heard_program):
        if a != b:
            print(f"  {line}\n    voice:   {a}\n    Kelvaro: {b}")
    errors, total = score(heard_own)
    print(f"word error, Flite's {FLITE_VOICE} voice's own audio: {100 * errors / total:.1f} % "
          f"({errors} of {total} words)")
    errors, total = score(heard_program)
    print(f"word error, through Kelvaro{' under stress-ng --cpu 2' if options.load else ''}: "
          f"{100 * errors / total:.1f} % ({errors} of {total} words)")
    if not options.keep:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
