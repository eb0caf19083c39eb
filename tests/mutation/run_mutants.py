#!/usr/bin/env python3
"""Runs hand-made mutants of the tree against the test suite and prints the score.

Each line of a mutant list reads `file :: original :: replacement :: test regex`: the first
occurrence of `original` in `file` becomes `replacement`, the ci preset is rebuilt and the
tests whose names match the regex are run (every test when it is empty). A mutant is killed
when the build passes and a test fails; one that does not build, or whose line is no longer in the file, is not counted. The file is
restored after every mutant, also when the run is interrupted. The tests' output of each kill is
kept in build/ci/mutants/, so that a kill by a flaky test can be told from a real one.

Usage: tests/mutation/run_mutants.py LIST [LIST...]   (from the top of the tree, after a
build of the ci preset)
"""
import pathlib
import re
import subprocess
import sys


def mutants(paths):
    for path in paths:
        for number, line in enumerate(pathlib.Path(path).read_text().splitlines(), 1):
            if not line.strip() or line.startswith("#"):
                continue
            parts = [part.strip() for part in line.split(" :: ")]
            if len(parts) != 4:
                sys.exit(f"{path}:{number}: expected four fields separated by ' :: '")
            yield f"{path}:{number}", *parts


def run(command, timeout):
    try:
        return subprocess.run(command, capture_output=True, timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return -1


def failed_tests(command, timeout, log):
    """The names of the tests that failed, or None when all passed; the output goes to log, so
    that a kill can be checked for one by a flaky test."""
    try:
        done = subprocess.run(command, capture_output=True, text=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        return ["(timed out)"]
    if done.returncode == 0:
        return None
    log.parent.mkdir(parents=True, exist_ok=True)
    log.write_text(done.stdout + done.stderr)
    names = re.findall(r"^\s*\d+ - (\S+) \(", done.stdout, re.MULTILINE)
    return names or ["(ctest failed)"]


def main():
    killed, survived, stillborn = [], [], []
    for where, file, original, replacement, tests in mutants(sys.argv[1:]):
        source = pathlib.Path(file)
        text = source.read_text()
        if original not in text:
            stillborn.append(where)
            print(f"{'not found':15} {where}  {file}: {original!r}", flush=True)
            continue
        try:
            source.write_text(text.replace(original, replacement, 1))
            if run(["cmake", "--build", "--preset", "ci"], 900) != 0:
                stillborn.append(where)
                verdict = "does not build"
            else:
                command = ["ctest", "--preset", "ci", "--stop-on-failure"]
                if tests:
                    command += ["-R", tests]
                log = pathlib.Path("build/ci/mutants") / (where.replace("/", "_") + ".log")
                failed = failed_tests(command, 900, log)
                if failed is not None:
                    killed.append(where)
                    verdict = f"killed by {','.join(failed)} (output: {log})"
                else:
                    survived.append(where)
                    verdict = "SURVIVED"
        finally:
            source.write_text(text)
        print(f"{verdict:15} {where}  {file}: {original!r} -> {replacement!r}", flush=True)
    run(["cmake", "--build", "--preset", "ci"], 900)
    counted = len(killed) + len(survived)
    print(f"\n{len(killed)} of {counted} mutants killed"
          f" ({100 * len(killed) // max(counted, 1)} %), {len(stillborn)} not counted")
    for where in survived:
        print(f"survived: {where}")


if __name__ == "__main__":
    main()
