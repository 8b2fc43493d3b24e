#!/usr/bin/env python3
"""Runs random bearings through two builds of duopit and fails on the first difference in the
report, standard output, standard error or exit status.

    scripts/differential.py COUNT REFERENCE CANDIDATE [--launcher CMD] [--seed N]

REFERENCE and CANDIDATE are programs; the candidate runs through the launcher when one is
given (scripts/wine-run.sh for the 32-bit desktop platform's build). The seed is fresh each
run unless given, and is printed so that a failure can be repeated. A few fixed answers run
first: those whose fictitious traverse ends due east or due west of P1.
"""
import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile


# The fictitious P2 lies due east (134.18..., 494.18...) or due west (-45.81..., 314.18...)
# of P1: the bearing P1 -> P2 is taken without a division.
FIXED_ANSWERS = ["0", "134.183081523655", "494.183081523655", "-45.816918476345",
                 "314.183081523655"]


def bearing(rng: random.Random) -> str:
    """A typed bearing: mostly within a few turns, sometimes far out, in every written form."""
    kind = rng.random()
    if kind < 0.5:
        value = rng.uniform(-720.0, 720.0)
    elif kind < 0.8:
        value = rng.uniform(0.0, 360.0)
    else:
        value = rng.choice([-1, 1]) * 10 ** rng.uniform(-3, 21)
    form = rng.random()
    if form < 0.4:
        return repr(value)
    if form < 0.7:
        return f"{value:.{rng.randint(0, 12)}f}"
    if form < 0.9:
        return f"{value:.{rng.randint(1, 17)}E}".replace("E", rng.choice("EeDd"))
    return str(rng.randint(-1000, 1000))


def run(command: list[str], answer: str, directory: str) -> tuple:
    report = os.path.join(directory, "duopit.dat")
    if os.path.exists(report):
        os.remove(report)
    done = subprocess.run(command, input=(answer + "\n").encode(), cwd=directory,
                          capture_output=True, timeout=60)
    content = open(report, "rb").read() if os.path.exists(report) else None
    return done.returncode, done.stdout, done.stderr, content


def main() -> int:
    parser = argparse.ArgumentParser()
    parser.add_argument("count", type=int)
    parser.add_argument("reference")
    parser.add_argument("candidate")
    parser.add_argument("--launcher", default="")
    parser.add_argument("--seed", type=int, default=random.SystemRandom().randrange(2**32))
    arguments = parser.parse_args()
    print(f"differential: {arguments.count} bearings, seed {arguments.seed}", flush=True)
    rng = random.Random(arguments.seed)
    reference = [os.path.abspath(arguments.reference)]
    candidate = ([os.path.abspath(arguments.launcher)] if arguments.launcher else []) + [
        os.path.abspath(arguments.candidate)]
    directory = tempfile.mkdtemp(prefix="duopit-differential-")
    try:
        answers = FIXED_ANSWERS + [bearing(rng) for _ in range(arguments.count)]
        for index, answer in enumerate(answers):
            expected = run(reference, answer, directory)
            got = run(candidate, answer, directory)
            if got != expected:
                names = ("status", "standard output", "standard error", "report")
                differing = [n for n, a, b in zip(names, expected, got) if a != b]
                print(f"bearing {index + 1}, {answer!r}: {', '.join(differing)} differ",
                      file=sys.stderr)
                return 1
    finally:
        shutil.rmtree(directory, ignore_errors=True)
    print(f"differential: {len(FIXED_ANSWERS)} fixed and {arguments.count} random bearings, "
          "reports, outputs and statuses identical")
    return 0


if __name__ == "__main__":
    sys.exit(main())
