#!/usr/bin/env python3
"""bench/measure.py — measures what a run of duopit costs and prints the report.

  1. A normal run (answer 0) against the minimal C program bench/baseline.c doing the same
     visible I/O: the program's own cost (its instructions under callgrind less the C
     program's, same environment) and the instruction ratios, the system calls (strace),
     and the CPU time and minor page faults from wait4.
  2. Editing reals against the standard library's conversion (bench/conversion_bench.cpp).
  3. Reading long input: megabytes of blank lines before the answer, against dd.
  4. The run on the software model of the arithmetic unit against the run on the unit
     itself: instructions under callgrind, same environment, both static.
It ends with a table of every figure against its target and exits 0 whether targets are
met or not: it is a report. It exits 1 only when a figure could not be measured at all.
It builds nothing (scripts/bench.sh does) and changes nothing outside its temp directory.
"""

from __future__ import annotations

import argparse
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from dataclasses import dataclass
from pathlib import Path

sys.dont_write_bytecode = True  # leave no caches in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))
import figures  # noqa: E402  (the pure half of the report, next to this file)
from figures import Figure  # noqa: E402

REPORT_NAME = "duopit.dat"
REPORT_BYTES = 2484  # the report of a normal run with the answer 0
MEGABYTE = 1 << 20

OWN_COST_TARGET = 17_000  # instructions of duopit beyond the C program's
INSTRUCTION_TARGET_SHELL = 1.45  # in the environment this script was started in
INSTRUCTION_TARGET_EMPTY = 2.0  # in an empty environment
SYSTEM_CALL_MARGIN = 4  # system calls beyond the C program's
PAGE_FAULT_MARGIN = 4  # minor page faults beyond the C program's
CPU_TARGET = 1.05
EDIT_TARGET = 3.0
THROUGHPUT_TARGET = 0.8
LINEAR_BAND = (0.67, 1.5)  # marginal cost per megabyte, largest sizes over smallest
MEMORY_GROWTH_LIMIT_KIB = 256
SOFTWARE_ARITHMETIC_TARGET = 1.5  # instructions of a run on the model over a run on the unit


class MeasurementError(Exception):
    """A run did not do what the measurement needs (failed, wrote no report, timed out)."""


def not_measured_reported(name: str, target: str, reason: str) -> Figure:
    print(f"  not measured: {reason}")
    return figures.not_measured(name, target, reason)


# --- Running one process ------------------------------------------------------------------


@dataclass(frozen=True)
class Run:
    exit_code: int  # 128 + signal number when a signal ended it
    cpu_seconds: float  # user + system of the child
    wall_seconds: float
    maxrss_kib: int
    minor_faults: int


def spawn(runner: Path, argv: list[str], stdin_path: Path, cwd: Path,
          stdout_path: str = os.devnull, stderr_path: str = os.devnull,
          timeout_seconds: int = 120, keep_environment: bool = False) -> Run:
    """Runs argv to its end through the small static runner (bench/spawn_measured.c) with
    the given standard handles, working directory and an empty environment, and returns its
    exit code and resource use as wait4 reports them for that child alone."""
    command = [str(runner), str(timeout_seconds), str(stdin_path), stdout_path, stderr_path]
    if keep_environment:
        command.append("--keep-environment")
    completed = subprocess.run(command + argv, cwd=cwd, capture_output=True, text=True,
                               timeout=timeout_seconds + 30, check=False)
    report = figures.parse_spawn_report(completed.stdout)
    if completed.returncode != 0 or report is None:
        raise MeasurementError(f"{runner.name} could not run {Path(argv[0]).name}: "
                               f"{completed.stderr.strip() or completed.stdout.strip()}")
    if report["exit"] == 128 + signal.SIGALRM:
        raise MeasurementError(f"{Path(argv[0]).name} still running after "
                               f"{timeout_seconds} s")
    return Run(report["exit"], (report["user_us"] + report["system_us"]) / 1e6,
               report["wall_ns"] / 1e9, report["maxrss_kib"], report["minflt"])


class Workspace:
    """The temp directory of the whole measurement: input files, logs, and a fresh
    directory for every run, so that no run finds a report left by another."""

    def __init__(self, runner: Path) -> None:
        self.runner = runner  # bench/spawn_measured.c, which starts every measured run
        self.root = Path(tempfile.mkdtemp(prefix="duopit-bench-"))
        self.answer_zero = self.root / "answer_zero.txt"
        self.answer_zero.write_bytes(b"0\n")

    def fresh_directory(self) -> Path:
        return Path(tempfile.mkdtemp(dir=self.root, prefix="run-"))

    def remove(self) -> None:
        shutil.rmtree(self.root, ignore_errors=True)


def run_program(binary: Path, stdin_path: Path, workspace: Workspace,
                timeout_seconds: int = 120, wrapper: list[str] | None = None,
                stderr_path: str = os.devnull, keep_environment: bool = False) -> Run:
    """One run of duopit or the baseline in a fresh directory. It must end with status 0
    and leave a complete report; the directory is removed afterwards."""
    directory = workspace.fresh_directory()
    try:
        run = spawn(workspace.runner, (wrapper or []) + [str(binary)], stdin_path, directory,
                    stderr_path=stderr_path, timeout_seconds=timeout_seconds,
                    keep_environment=keep_environment)
        report = directory / REPORT_NAME
        if run.exit_code != 0:
            raise MeasurementError(f"{binary.name} ended with status {run.exit_code}")
        if not report.exists() or report.stat().st_size != REPORT_BYTES:
            size = report.stat().st_size if report.exists() else "no"
            raise MeasurementError(f"{binary.name} left {size} bytes of {REPORT_NAME}, "
                                   f"not {REPORT_BYTES}")
        return run
    finally:
        shutil.rmtree(directory, ignore_errors=True)


# --- 1. A normal run against the baseline -------------------------------------------------


def count_instructions(valgrind: str, binary: Path, workspace: Workspace,
                       keep_environment: bool) -> int:
    log = workspace.root / f"callgrind-{binary.name}.log"
    out = workspace.root / f"callgrind-{binary.name}.out"
    run_program(binary, workspace.answer_zero, workspace, timeout_seconds=300,
                wrapper=[valgrind, "--tool=callgrind", f"--callgrind-out-file={out}"],
                stderr_path=str(log), keep_environment=keep_environment)
    total = figures.parse_callgrind_total(log.read_text(errors="replace"))
    if total is None:
        raise MeasurementError(f"no instruction total in the callgrind log of {binary.name}")
    return total


def print_top_functions(callgrind_out: Path, count: int = 8, width: int = 96) -> None:
    """Where duopit's instructions go: its costliest functions by self cost."""
    annotate = shutil.which("callgrind_annotate")
    if annotate is None:
        return
    completed = subprocess.run([annotate, str(callgrind_out)], capture_output=True, text=True,
                               check=False)
    functions = figures.top_functions(completed.stdout, count)
    if functions:
        print(f"  duopit's {len(functions)} costliest functions (self instructions):")
    for instructions, percent, name in functions:
        function = figures.short_function_name(name)
        shown = function if len(function) <= width else function[:width - 3] + "..."
        print(f"    {instructions:>8,} {percent:5.1f}%  {shown}")


def measure_instructions(duopit: Path, baseline: Path, workspace: Workspace) -> list[Figure]:
    """Both programs side by side, first in the environment this script was started in (a
    normal run, as a user makes it), then in an empty one. Process start-up reads the
    environment, so its share of both counts, and so the ratio, depends on it; the difference
    of the two counts, the program's own cost, does not."""
    valgrind = shutil.which("valgrind")
    names = {True: f"instructions, duopit / baseline ({len(os.environ)} environment variables)",
             False: "instructions, duopit / baseline (empty environment)"}
    targets = {True: INSTRUCTION_TARGET_SHELL, False: INSTRUCTION_TARGET_EMPTY}
    own_name = "own cost: instructions of duopit less the baseline's"
    if valgrind is None:
        return [not_measured_reported(name, f"<= {targets[keep]:g}", "valgrind is not installed")
                for keep, name in names.items()] + [
            figures.not_measured(own_name, f"<= {OWN_COST_TARGET:,}", "valgrind is not installed")]
    result = []
    own_costs = {}
    for keep_environment in (True, False):
        name, target = names[keep_environment], targets[keep_environment]
        try:
            counts = {}
            for binary in (duopit, baseline):
                counts[binary] = [count_instructions(valgrind, binary, workspace, keep_environment)
                                  for _ in range(2)]
        except MeasurementError as error:
            result.append(not_measured_reported(name, f"<= {target:g}", str(error)))
            continue
        print(f"  {name}:")
        for binary, (first, second) in counts.items():
            repeat = "the same on a second run" if first == second else f"{second} on a second run"
            print(f"    {binary.name:<18} {first:>10,} instructions ({repeat})")
        own_costs[keep_environment] = counts[duopit][0] - counts[baseline][0]
        ratio = counts[duopit][0] / counts[baseline][0]
        print(f"    own cost           {own_costs[keep_environment]:>10,} instructions")
        print(f"    ratio              {ratio:10.3f}   target <= {target:g}")
        repeatable = all(first == second for first, second in counts.values())
        shown = f"{ratio:.3f}" + ("" if repeatable else " (counts varied between runs)")
        if keep_environment:
            print_top_functions(workspace.root / f"callgrind-{duopit.name}.out")
        result.append(figures.at_most(name, ratio, target, shown))
    if True in own_costs:
        own = own_costs[True]
        print(f"  own cost {own:,} instructions, target <= {OWN_COST_TARGET:,}"
              + (f" ({own_costs[False]:,} in the empty environment)" if False in own_costs else ""))
        result.insert(0, figures.at_most(own_name, own, OWN_COST_TARGET, f"{own:,}"))
    else:
        result.insert(0, figures.not_measured(own_name, f"<= {OWN_COST_TARGET:,}",
                                              "no instruction count in the shell's environment"))
    return result


def count_system_calls(strace: str, binary: Path, workspace: Workspace) -> int:
    log = workspace.root / f"strace-{binary.name}.log"
    run_program(binary, workspace.answer_zero, workspace,
                wrapper=[strace, "-qq", "-o", str(log)])
    return figures.count_system_calls(log.read_text(errors="replace"))


def measure_system_calls(duopit: Path, baseline: Path, workspace: Workspace) -> list[Figure]:
    name = "system calls, duopit less baseline"
    target = f"<= {SYSTEM_CALL_MARGIN}"
    strace = shutil.which("strace")
    if strace is None:
        return [not_measured_reported(name, target, "strace is not installed")]
    try:
        ours = count_system_calls(strace, duopit, workspace)
        theirs = count_system_calls(strace, baseline, workspace)
    except MeasurementError as error:
        return [not_measured_reported(name, target, str(error))]
    print(f"  system calls of a run (strace): {duopit.name} {ours}, {baseline.name} {theirs}; "
          f"{ours - theirs:+d}, target <= +{SYSTEM_CALL_MARGIN}")
    return [figures.at_most(name, ours - theirs, SYSTEM_CALL_MARGIN,
                            f"{ours - theirs:+d} ({ours} against {theirs})")]


def cpu_samples(duopit: Path, baseline: Path, workspace: Workspace, pairs: int,
                batch: int) -> tuple[list[float], list[float], list[int], list[int]]:
    """CPU seconds of `pairs` alternating samples of each program, each sample the sum over
    `batch` consecutive runs of one program; and the minor page faults of every run."""
    ours, theirs = [], []
    faults: dict[Path, list[int]] = {duopit: [], baseline: []}
    for _ in range(pairs):
        for binary, samples in ((duopit, ours), (baseline, theirs)):
            runs = [run_program(binary, workspace.answer_zero, workspace) for _ in range(batch)]
            samples.append(sum(run.cpu_seconds for run in runs))
            faults[binary] += [run.minor_faults for run in runs]
    return ours, theirs, faults[duopit], faults[baseline]


def page_fault_figure(ours: list[int], theirs: list[int]) -> Figure:
    name = "minor page faults, duopit less baseline"
    ours_median, theirs_median = figures.median(ours), figures.median(theirs)
    difference = ours_median - theirs_median
    print(f"  minor page faults of a run (median): duopit {ours_median:g}, baseline "
          f"{theirs_median:g}; {difference:+g}, target <= +{PAGE_FAULT_MARGIN}")
    return figures.at_most(name, difference, PAGE_FAULT_MARGIN,
                           f"{difference:+g} ({ours_median:g} against {theirs_median:g})")


def measure_cpu(duopit: Path, baseline: Path, workspace: Workspace, pairs: int,
                batch_pairs: int, batch_size: int, mode: str) -> list[Figure]:
    name = "CPU time, duopit / baseline"
    target = f"<= {CPU_TARGET:g}"
    try:
        batched = mode == "batch"
        if mode == "auto":
            probe_ours, probe_theirs, _, _ = cpu_samples(duopit, baseline, workspace, 20, 1)
            batched = figures.too_coarse(probe_ours) or figures.too_coarse(probe_theirs)
            if batched:
                print(f"  single-run CPU times are too coarse (step "
                      f"{figures.accounting_step(probe_ours + probe_theirs) * 1e6:.0f} us): "
                      f"each sample is the CPU time of a batch of {batch_size} runs")
        if batched:
            ours, theirs, our_faults, their_faults = cpu_samples(duopit, baseline, workspace,
                                                                  batch_pairs, batch_size)
            runs_per_sample = batch_size
        else:
            ours, theirs, our_faults, their_faults = cpu_samples(duopit, baseline, workspace,
                                                                  pairs, 1)
            runs_per_sample = 1
    except MeasurementError as error:
        return [not_measured_reported(name, target, str(error)),
                not_measured_reported("minor page faults, duopit less baseline",
                                      f"<= {PAGE_FAULT_MARGIN}", str(error))]
    faults = page_fault_figure(our_faults, their_faults)
    ratios = figures.paired_ratios(ours, theirs)
    if not ratios:
        return [not_measured_reported(name, target, "the baseline was accounted no CPU time"),
                faults]
    ratio = figures.median(ratios)
    q1, q3 = figures.quartiles(ratios)
    sample = "one run" if runs_per_sample == 1 else f"a batch of {runs_per_sample} runs"
    step = "" if runs_per_sample > 1 else \
        f" (accounting step {figures.accounting_step(ours + theirs) * 1e6:.0f} us)"
    print(f"  {len(ours)} alternating pairs, each sample {sample}; user + system time of "
          f"the child from wait4{step}")
    print(f"  {duopit.name:<18} {figures.median(ours) / runs_per_sample * 1e6:10.0f} us "
          f"per run (median)")
    print(f"  {baseline.name:<18} {figures.median(theirs) / runs_per_sample * 1e6:10.0f} us "
          f"per run (median)")
    print(f"  ratio              {ratio:10.3f}   median of the per-pair ratios "
          f"(quartiles {q1:.3f} .. {q3:.3f}); target <= {CPU_TARGET:g}")
    return [figures.at_most(name, ratio, CPU_TARGET), faults]


# --- 2. The number conversions ------------------------------------------------------------


def measure_conversions(micro_bench: Path, repetitions: int, min_time: float) -> list[Figure]:
    target = f"<= {EDIT_TARGET:g}"
    command = [str(micro_bench), "--benchmark_format=json",
               f"--benchmark_repetitions={repetitions}",
               "--benchmark_report_aggregates_only=true",
               "--benchmark_enable_random_interleaving=true",
               f"--benchmark_min_time={min_time:g}"]
    completed = subprocess.run(command, capture_output=True, text=True, check=False)
    try:
        report = json.loads(completed.stdout)
        results = sorted((r for r in figures.micro_results(report) if r.operation == "edit"),
                         key=lambda r: r.value_set)
    except (ValueError, KeyError, TypeError) as error:
        reason = f"no readable report from {micro_bench.name} (status {completed.returncode})"
        print(f"  unreadable output: {error}")
        return [not_measured_reported("edit conversions, duopit / std", target, reason)]
    context = report.get("context", {})
    load = ", ".join(f"{x:.2f}" for x in context.get("load_avg", []))
    print(f"  CPU time per value, median of {repetitions} interleaved repetitions of at least "
          f"{min_time:g} s; {context.get('num_cpus', '?')} CPUs, load {load or '?'}")
    print("  edit: edit_free_real against to_chars(scientific, 15)")
    print(f"  {'':<6} {'value set':<16} {'duopit ns':>10} {'std ns':>10} {'ratio':>7}")
    measured = []
    for result in results:
        name = f"edit {result.value_set}, duopit / std"
        ratio = result.ratio
        if ratio is None:
            print(f"  edit   {result.value_set:<16} not measured: {result.error}")
            measured.append(figures.not_measured(name, target, result.error or "?"))
            continue
        print(f"  edit   {result.value_set:<16} {result.duopit_ns:10.1f} "
              f"{result.std_ns:10.1f} {ratio:7.3f}   target {target}")
        measured.append(figures.at_most(name, ratio, EDIT_TARGET))
    if not results:
        measured.append(not_measured_reported("edit conversions, duopit / std", target,
                                              "no benchmark ran"))
    return measured


# --- 3. Reading long input ----------------------------------------------------------------


def make_long_input(workspace: Workspace, megabytes: int) -> Path:
    """megabytes MiB of blank lines, then the answer "0"."""
    path = workspace.root / f"blank_lines_{megabytes}mb.txt"
    chunk = b"\n" * MEGABYTE
    with path.open("wb") as file:
        for _ in range(megabytes):
            file.write(chunk)
        file.write(b"0\n")
    return path


def run_dd(dd: str, stdin_path: Path, workspace: Workspace) -> Run:
    run = spawn(workspace.runner, [dd, "bs=132", "of=/dev/null"], stdin_path, workspace.root,
                timeout_seconds=300)
    if run.exit_code != 0:
        raise MeasurementError(f"dd ended with status {run.exit_code}")
    return run


@dataclass(frozen=True)
class ScalingPoint:
    megabytes: int
    duopit: Run  # the median of each field over the runs
    dd: Run


def median_run(runs: list[Run]) -> Run:
    return Run(0, figures.median([r.cpu_seconds for r in runs]),
               figures.median([r.wall_seconds for r in runs]),
               int(figures.median([r.maxrss_kib for r in runs])),
               int(figures.median([r.minor_faults for r in runs])))


def measure_point(duopit: Path, dd: str, stdin_path: Path, workspace: Workspace,
                  megabytes: int, runs: int) -> ScalingPoint:
    # A first run of each brings the file into the page cache; it is not counted.
    run_program(duopit, stdin_path, workspace, timeout_seconds=300)
    run_dd(dd, stdin_path, workspace)
    ours, theirs = [], []
    for _ in range(runs):
        ours.append(run_program(duopit, stdin_path, workspace, timeout_seconds=300))
        theirs.append(run_dd(dd, stdin_path, workspace))
    return ScalingPoint(megabytes, median_run(ours), median_run(theirs))


def print_scaling_table(points: list[ScalingPoint]) -> None:
    print(f"  {'input':>7}  {'duopit wall':>11} {'cpu':>9} {'peak':>9} {'MB/s':>7}   "
          f"{'dd wall':>9} {'cpu':>9} {'peak':>9}   {'dd / duopit':>11}")
    for p in points:
        throughput = p.megabytes / p.duopit.wall_seconds
        print(f"  {p.megabytes:>4} MB  {p.duopit.wall_seconds * 1e3:>8.1f} ms "
              f"{p.duopit.cpu_seconds * 1e3:>6.1f} ms {p.duopit.maxrss_kib:>6} KiB "
              f"{throughput:>7.0f}   {p.dd.wall_seconds * 1e3:>6.1f} ms "
              f"{p.dd.cpu_seconds * 1e3:>6.1f} ms {p.dd.maxrss_kib:>6} KiB   "
              f"{p.dd.wall_seconds / p.duopit.wall_seconds:>11.3f}")


def scaling_figures(points: list[ScalingPoint]) -> list[Figure]:
    measured = []
    for p in points:
        ratio = p.dd.wall_seconds / p.duopit.wall_seconds
        measured.append(figures.at_least(f"throughput at {p.megabytes} MB, dd / duopit time",
                                         ratio, THROUGHPUT_TARGET))
    sizes = [float(p.megabytes) for p in points]
    cpu = [p.duopit.cpu_seconds for p in points]
    name = "duopit CPU per MB, last sizes / first"
    band = f"{LINEAR_BAND[0]:g} .. {LINEAR_BAND[1]:g}"
    if len(points) >= 3:
        marginal = figures.marginal_cost_ratio(sizes, cpu)
        first = (cpu[1] - cpu[0]) / (sizes[1] - sizes[0])
        last = (cpu[-1] - cpu[-2]) / (sizes[-1] - sizes[-2])
        print(f"  duopit CPU time per added MB: {first * 1e3:.2f} ms from {sizes[0]:g} to "
              f"{sizes[1]:g} MB, {last * 1e3:.2f} ms from {sizes[-2]:g} to {sizes[-1]:g} MB "
              f"(linear growth keeps them alike; target ratio {band})")
        if marginal is None:
            measured.append(not_measured_reported(name, band, "no growth between the first sizes"))
        else:
            measured.append(figures.between(name, marginal, *LINEAR_BAND))
    else:
        measured.append(not_measured_reported(name, band, "fewer than three sizes"))
    memory = figures.growth([(s, p.duopit.maxrss_kib) for s, p in zip(sizes, points)])
    print(f"  duopit peak memory grows by {memory:.0f} KiB from {sizes[0]:g} to {sizes[-1]:g} MB "
          f"(target <= {MEMORY_GROWTH_LIMIT_KIB} KiB)")
    measured.append(figures.at_most(f"duopit peak memory growth, KiB", memory,
                                    MEMORY_GROWTH_LIMIT_KIB, f"{memory:.0f}"))
    return measured


def measure_scaling(duopit: Path, workspace: Workspace, sizes: list[int],
                    runs: int) -> list[Figure]:
    dd = shutil.which("dd")
    if dd is None:
        return [not_measured_reported("reading long input", ">= 0.8", "dd is not installed")]
    print(f"  standard input: N MiB of blank lines, then \"0\"; median of {runs} alternating "
          f"runs each after one unmeasured run; dd reads it with bs=132 into /dev/null")
    try:
        points = []
        for megabytes in sizes:
            path = make_long_input(workspace, megabytes)
            points.append(measure_point(duopit, dd, path, workspace, megabytes, runs))
            path.unlink()
    except MeasurementError as error:
        return [not_measured_reported("reading long input", ">= 0.8", str(error))]
    print_scaling_table(points)
    return scaling_figures(points)


# --- The report ---------------------------------------------------------------------------


# --- 4. The software arithmetic against the unit -----------------------------------------


def measure_software_arithmetic(duopit: Path, software: Path,
                                workspace: Workspace) -> list[Figure]:
    """The same run with the answer 0 on both arithmetics, in an empty environment: the
    model's sines, cosines, arctangents and roundings in integers against the unit's
    instructions. The rest of the run is the same code."""
    name = "instructions, software arithmetic / x87 unit"
    valgrind = shutil.which("valgrind")
    target = f"<= {SOFTWARE_ARITHMETIC_TARGET:g}"
    if valgrind is None:
        return [not_measured_reported(name, target, "valgrind is not installed")]
    if not os.access(software, os.X_OK):
        return [not_measured_reported(name, target, f"{software} is not built")]
    try:
        unit = count_instructions(valgrind, duopit, workspace, keep_environment=False)
        model = count_instructions(valgrind, software, workspace, keep_environment=False)
    except MeasurementError as error:
        return [not_measured_reported(name, target, str(error))]
    ratio = model / unit
    print(f"    x87 unit           {unit:>10,} instructions")
    print(f"    software model     {model:>10,} instructions ({model - unit:+,})")
    print(f"    ratio              {ratio:10.3f}   target {target}")
    return [figures.at_most(name, ratio, SOFTWARE_ARITHMETIC_TARGET)]


def parse_arguments(argv: list[str]) -> argparse.Namespace:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build-dir", type=Path, required=True,
                        help="the build directory holding duopit and bench/")
    parser.add_argument("--software-duopit", type=Path,
                        help="duopit built on the software arithmetic, for stage 4")
    parser.add_argument("--stages", default="run,conversions,scaling,arithmetic",
                        help="comma-separated stages to run (default: all)")
    parser.add_argument("--pairs", type=int, default=400, help="CPU-time pairs of single runs")
    parser.add_argument("--batch-pairs", type=int, default=100,
                        help="CPU-time pairs of batches, when single runs are too coarse")
    parser.add_argument("--batch-size", type=int, default=20, help="runs per batch")
    parser.add_argument("--cpu-mode", choices=("auto", "single", "batch"), default="auto",
                        help="CPU-time samples of single runs or of batches; auto takes "
                             "batches when the accounting of single runs is too coarse")
    parser.add_argument("--micro-repetitions", type=int, default=9)
    parser.add_argument("--micro-min-time", type=float, default=0.1,
                        help="seconds each micro-benchmark repetition runs at least")
    parser.add_argument("--sizes", default="1,10,100", help="megabytes of blank lines")
    parser.add_argument("--scaling-runs", type=int, default=5)
    parser.add_argument("--readme", type=Path,
                        help="write the figures into this README's table, when every stage ran")
    parser.add_argument("--measured-on", default="",
                        help="the sentence above the README's table: revision, compiler, host")
    return parser.parse_args(argv)


def stage(title: str) -> float:
    print(f"\n== {title}")
    return time.monotonic()


def main(argv: list[str]) -> int:
    args = parse_arguments(argv)
    build = args.build_dir.resolve()
    duopit = build / "duopit"
    baseline = build / "bench" / "duopit_baseline"
    micro_bench = build / "bench" / "duopit_conversion_bench"
    runner = build / "bench" / "duopit_spawn_measured"
    for binary in (duopit, baseline, micro_bench, runner):
        if not os.access(binary, os.X_OK):
            print(f"measure.py: {binary} is not built", file=sys.stderr)
            return 1
    stages = set(args.stages.split(","))
    sizes = sorted(int(size) for size in args.sizes.split(","))
    workspace = Workspace(runner)
    measured: list[Figure] = []
    try:
        if "run" in stages:
            started = stage("1. A run with the answer 0: duopit against the minimal C program")
            measured += measure_instructions(duopit, baseline, workspace)
            measured += measure_system_calls(duopit, baseline, workspace)
            measured += measure_cpu(duopit, baseline, workspace, args.pairs, args.batch_pairs,
                                    args.batch_size, args.cpu_mode)
            print(f"  ({time.monotonic() - started:.0f} s)")
        if "conversions" in stages:
            started = stage("2. Editing reals against the standard library")
            measured += measure_conversions(micro_bench, args.micro_repetitions,
                                            args.micro_min_time)
            print(f"  ({time.monotonic() - started:.0f} s)")
        if "scaling" in stages:
            started = stage("3. Reading long input: blank lines before the answer")
            measured += measure_scaling(duopit, workspace, sizes, args.scaling_runs)
            print(f"  ({time.monotonic() - started:.0f} s)")
        if "arithmetic" in stages:
            started = stage("4. The software arithmetic against the x87 unit, answer 0")
            software = args.software_duopit or build.parent / "bench-software" / "duopit"
            measured += measure_software_arithmetic(duopit, software.resolve(), workspace)
            print(f"  ({time.monotonic() - started:.0f} s)")
    finally:
        workspace.remove()
    print("\n== Summary\n")
    print(figures.summary_table(measured))
    all_stages = {"run", "conversions", "scaling", "arithmetic"}
    if args.readme and stages >= all_stages and all(f.passed is not None for f in measured):
        readme = args.readme.read_text()
        section = figures.readme_section(measured, args.measured_on)
        args.readme.write_text(figures.with_readme_section(readme, section))
        print(f"\nThe figures are written into {args.readme}.")
    sys.stdout.flush()
    return 1 if any(f.passed is None for f in measured) else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
