"""bench/figures.py — the arithmetic of the benchmark report: reading the tools' outputs,
the statistics of the timings, and the figures with their targets and marks.

Pure: no processes, no files, no clock. bench/measure.py makes the measurements and hands
their numbers here; tests/bench/figures_test.py checks these functions on hand-made inputs.
"""

from __future__ import annotations

import re
import statistics
from dataclasses import dataclass

# --- Figures and the summary table -------------------------------------------------------


# The target of a figure that is reported for information and judged against nothing.
INFORMATION_ONLY = "(report only)"


@dataclass(frozen=True)
class Figure:
    """One measured figure against its target. `passed` is None when it could not be
    measured; `shown` is then the reason."""

    name: str
    shown: str
    target: str
    passed: bool | None

    @property
    def mark(self) -> str:
        if self.target == INFORMATION_ONLY:
            return "INFO"
        if self.passed is None:
            return "ERROR"
        return "PASS" if self.passed else "FAIL"


def at_most(name: str, value: float, limit: float, shown: str | None = None) -> Figure:
    return Figure(name, shown or f"{value:.3f}", f"<= {limit:g}", value <= limit)


def at_least(name: str, value: float, limit: float, shown: str | None = None) -> Figure:
    return Figure(name, shown or f"{value:.3f}", f">= {limit:g}", value >= limit)


def between(name: str, value: float, low: float, high: float, shown: str | None = None) -> Figure:
    return Figure(name, shown or f"{value:.3f}", f"{low:g} .. {high:g}", low <= value <= high)


def not_measured(name: str, target: str, reason: str) -> Figure:
    return Figure(name, f"not measured: {reason}", target, None)


def summary_table(figures: list[Figure]) -> str:
    """The closing table: one line per figure, its value, its target and its mark."""
    headings = ("figure", "measured", "target", "")
    rows = [headings] + [(f.name, f.shown, f.target, f.mark) for f in figures]
    widths = [max(len(row[column]) for row in rows) for column in range(3)]
    lines = []
    for row in rows:
        cells = [row[column].ljust(widths[column]) for column in range(3)] + [row[3]]
        lines.append("  ".join(cells).rstrip())
    lines.insert(1, "  ".join("-" * width for width in widths) + "  -----")
    judged = [f for f in figures if f.target != INFORMATION_ONLY]
    passed = sum(1 for f in judged if f.passed)
    failed = sum(1 for f in judged if f.passed is False)
    errors = sum(1 for f in judged if f.passed is None)
    lines.append(f"{passed} targets met, {failed} missed, {errors} not measured")
    return "\n".join(lines)


# The README's table of figures lies between these two lines; scripts/bench.sh writes it.
README_BEGIN = "<!-- The figures below are written by scripts/bench.sh; do not edit them. -->"
README_END = "<!-- End of the figures written by scripts/bench.sh. -->"


def readme_section(figures: list[Figure], measured_on: str) -> str:
    """The README's table: what was measured where, then one row per figure."""
    lines = [README_BEGIN, "", measured_on, "", "| Figure | Measured | Target |", "|---|---|---|"]
    for f in figures:
        lines.append(f"| {f.name} | {f.shown} | {f.target} |")
    lines += ["", README_END]
    return "\n".join(lines)


def with_readme_section(readme: str, section: str) -> str:
    """The README with its table between the two marker lines replaced by `section`."""
    begin = readme.find(README_BEGIN)
    end = readme.find(README_END)
    if begin < 0 or end < begin:
        raise ValueError("the README has no table of figures between the marker lines")
    return readme[:begin] + section + readme[end + len(README_END):]


# --- Instruction counts -------------------------------------------------------------------

_COLLECTED = re.compile(r"^==\d+==\s+Collected\s*:\s*(\d+)\s*$", re.MULTILINE)
_I_REFS = re.compile(r"^==\d+==\s+I\s+refs:\s*([\d,]+)\s*$", re.MULTILINE)


def parse_callgrind_total(log: str) -> int | None:
    """The total instruction count from the tool's log on standard error: the "Collected"
    line, or the "I refs" line when there is none; None when neither is there."""
    collected = _COLLECTED.findall(log)
    if collected:
        return int(collected[-1])
    refs = _I_REFS.findall(log)
    if refs:
        return int(refs[-1].replace(",", ""))
    return None


_ANNOTATED_FUNCTION = re.compile(
    r"^\s*([\d,]+)\s+\(\s*([\d.]+)%\)\s+(?:\?\?\?:)?(.*?)(?:\s+\[[^\]]*\])?\s*$")


def top_functions(annotated: str, count: int) -> list[tuple[int, float, str]]:
    """The first `count` functions of callgrind_annotate's listing by self cost, as
    (instructions, percent of the total, function name). The listing follows the
    "file:function" heading; the totals line before it is not a function."""
    _, heading, listing = annotated.partition("file:function")
    if not heading:
        return []
    functions = []
    for line in listing.splitlines():
        match = _ANNOTATED_FUNCTION.match(line)
        if match:
            instructions = int(match.group(1).replace(",", ""))
            functions.append((instructions, float(match.group(2)), match.group(3)))
        elif functions and line.strip():
            break  # the end of the listing: annotated source or another table follows
        if len(functions) == count:
            break
    return functions


_SHORTER_NAMES = (
    ("std::basic_string_view<char, std::char_traits<char> >", "std::string_view"),
    ("(anonymous namespace)::", ""),
)


def short_function_name(name: str) -> str:
    """A demangled name made shorter for the report: string views by their usual name,
    anonymous namespaces left out."""
    for long, short in _SHORTER_NAMES:
        name = name.replace(long, short)
    return name


# --- Runs of single processes ------------------------------------------------------------

_SPAWN_FIELDS = ("exit", "user_us", "system_us", "maxrss_kib", "minflt", "wall_ns")


def parse_spawn_report(output: str) -> dict[str, int] | None:
    """The runner's one line
    "exit=0 user_us=.. system_us=.. maxrss_kib=.. minflt=.. wall_ns=..":
    every field, as integers; None when the line is missing, incomplete or malformed."""
    lines = output.strip().splitlines()
    if len(lines) != 1:
        return None
    fields: dict[str, int] = {}
    for item in lines[0].split():
        key, equals, value = item.partition("=")
        if not equals or key in fields or not value.isdigit():
            return None
        fields[key] = int(value)
    if set(fields) != set(_SPAWN_FIELDS):
        return None
    return fields


# --- System calls ------------------------------------------------------------------------

_STRACE_NOT_A_CALL = ("+++ ", "--- ")


def count_system_calls(strace_log: str) -> int:
    """The system calls in strace's output (-o, one process): one line per call. Signals
    ("--- SIG...") and the exit ("+++ exited...") are not calls, and a call that strace shows
    in two pieces ("<unfinished ...>", then "<... resumed>") counts once."""
    count = 0
    for line in strace_log.splitlines():
        text = line.strip()
        if not text or text.startswith(_STRACE_NOT_A_CALL) or text.startswith("<... "):
            continue
        count += 1
    return count


# --- CPU times of small processes ---------------------------------------------------------


def median(values: list[float]) -> float:
    if not values:
        raise ValueError("median of no values")
    return statistics.median(values)


def paired_ratios(numerators: list[float], denominators: list[float]) -> list[float]:
    """numerator / denominator of each pair; pairs whose denominator is not positive are
    left out, since no ratio can be formed from them."""
    if len(numerators) != len(denominators):
        raise ValueError("pairs of unequal length")
    return [n / d for n, d in zip(numerators, denominators) if d > 0]


def quartiles(values: list[float]) -> tuple[float, float]:
    """The first and third quartiles (inclusive method), to show the spread of ratios."""
    if len(values) < 2:
        return (values[0], values[0]) if values else (float("nan"), float("nan"))
    q1, _, q3 = statistics.quantiles(values, n=4, method="inclusive")
    return q1, q3


def accounting_step(samples: list[float]) -> float:
    """The smallest positive gap between two distinct samples: the finest step the kernel's
    accounting showed. Infinite when all samples are equal."""
    distinct = sorted(set(samples))
    gaps = [b - a for a, b in zip(distinct, distinct[1:])]
    return min(gaps) if gaps else float("inf")


def too_coarse(samples: list[float], finest_share: float = 0.05) -> bool:
    """Whether single-run CPU times are too coarse to compare: a run accounted as no time
    at all, or an accounting step above `finest_share` of the typical run."""
    if not samples or min(samples) <= 0:
        return True
    return accounting_step(samples) > finest_share * median(samples)


# --- Micro-benchmarks ---------------------------------------------------------------------

_NS_PER_UNIT = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


@dataclass(frozen=True)
class MicroResult:
    """One conversion on one value set: CPU nanoseconds per value of the program's
    conversion and of the standard library's, or why there is no time."""

    operation: str
    value_set: str
    duopit_ns: float | None
    std_ns: float | None
    error: str | None

    @property
    def ratio(self) -> float | None:
        if self.duopit_ns is None or self.std_ns is None or self.std_ns <= 0:
            return None
        return self.duopit_ns / self.std_ns


def _ns_per_value(entry: dict) -> float:
    unit = entry.get("time_unit", "ns")
    if unit not in _NS_PER_UNIT:
        raise ValueError(f"unknown time unit {unit!r}")
    set_size = float(entry.get("set_size", 0))
    if set_size <= 0:
        raise ValueError(f"{entry.get('name')}: no set_size counter")
    return float(entry["cpu_time"]) * _NS_PER_UNIT[unit] / set_size


def micro_results(report: dict) -> list[MicroResult]:
    """Pairs "<operation>/duopit/<set>" with "<operation>/std/<set>" in a JSON report.
    Each side's time is its median aggregate when the report has one, else the median of
    its runs; an errored run makes the pair's error."""
    medians: dict[str, float] = {}
    runs: dict[str, list[float]] = {}
    errors: dict[str, str] = {}
    for entry in report.get("benchmarks", []):
        run_name = entry.get("run_name", entry["name"])
        if entry.get("error_occurred"):
            errors.setdefault(run_name, entry.get("error_message", "error"))
        elif entry.get("run_type") == "aggregate":
            if entry.get("aggregate_name") == "median":
                medians[run_name] = _ns_per_value(entry)
        else:
            runs.setdefault(run_name, []).append(_ns_per_value(entry))

    def time_of(run_name: str) -> float | None:
        if run_name in medians:
            return medians[run_name]
        if run_name in runs:
            return median(runs[run_name])
        return None

    pairs: list[tuple[str, str]] = []
    for run_name in list(medians) + list(runs) + list(errors):
        parts = run_name.split("/")
        if len(parts) == 3 and parts[1] in ("duopit", "std") and (parts[0], parts[2]) not in pairs:
            pairs.append((parts[0], parts[2]))

    results = []
    for operation, value_set in pairs:
        ours, theirs = f"{operation}/duopit/{value_set}", f"{operation}/std/{value_set}"
        error = errors.get(ours) or errors.get(theirs)
        duopit_ns, std_ns = time_of(ours), time_of(theirs)
        if error is None and (duopit_ns is None or std_ns is None):
            missing = ours if duopit_ns is None else theirs
            error = f"no time for {missing}"
        results.append(MicroResult(operation, value_set, duopit_ns, std_ns, error))
    return results


# --- Scaling with the input's length ------------------------------------------------------


def marginal_cost_ratio(sizes: list[float], times: list[float]) -> float | None:
    """How the cost of one more unit of input changes from the smallest sizes to the
    largest: the slope between the last two points over the slope between the first two.
    Near 1 for a time that grows linearly, about 10 for a quadratic one over 1, 10, 100.
    None with fewer than three points or when the first slope is not positive."""
    if len(sizes) != len(times):
        raise ValueError("sizes and times of unequal length")
    if len(sizes) < 3:
        return None
    points = sorted(zip(sizes, times))
    (s0, t0), (s1, t1) = points[0], points[1]
    (s2, t2), (s3, t3) = points[-2], points[-1]
    if s1 == s0 or s3 == s2:
        raise ValueError("repeated size")
    first = (t1 - t0) / (s1 - s0)
    last = (t3 - t2) / (s3 - s2)
    if first <= 0:
        return None
    return last / first


def growth(values_by_size: list[tuple[float, float]]) -> float:
    """The value at the largest size less the value at the smallest."""
    if not values_by_size:
        raise ValueError("no values")
    points = sorted(values_by_size)
    return points[-1][1] - points[0][1]
