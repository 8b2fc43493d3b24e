"""tests/bench/figures_test.py — the arithmetic of the benchmark report (bench/figures.py):
reading the tools' outputs, the statistics of the timings, and the marks in the summary.
Expected values are worked out by hand from the inputs written here."""

import sys
import unittest
from pathlib import Path

sys.dont_write_bytecode = True  # leave no caches in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "bench"))
import figures  # noqa: E402

CALLGRIND_LOG = """==4242== Callgrind, a call-graph generating cache profiler
==4242== Command: /tmp/duopit
==4242==
==4242== Events    : Ir
==4242== Collected : 102050
==4242==
==4242== I   refs:      102,050
"""


class ParseCallgrindTotal(unittest.TestCase):
    def test_collected_line(self):
        self.assertEqual(figures.parse_callgrind_total(CALLGRIND_LOG), 102050)

    def test_i_refs_with_thousands_separators_when_no_collected_line(self):
        log = "==7== I   refs:      1,234,567\n"
        self.assertEqual(figures.parse_callgrind_total(log), 1234567)

    def test_program_output_that_looks_alike_is_not_taken(self):
        # Only the tool's own lines, prefixed ==pid==, count.
        self.assertIsNone(figures.parse_callgrind_total("Collected : 5\nI refs: 7\n"))

    def test_no_total(self):
        self.assertIsNone(figures.parse_callgrind_total("==1== valgrind: failed to start\n"))


ANNOTATED = """--------------------------------------------------------------------------------
Ir
--------------------------------------------------------------------------------
58,479 (100.0%)  PROGRAM TOTALS

--------------------------------------------------------------------------------
Ir               file:function
--------------------------------------------------------------------------------
14,868 (25.42%)  ???:duopit::textio::lay_out(std::basic_string_view<char>) [/b/duopit]
 5,244 ( 8.97%)  ???:intel_check_word.constprop.0 [/b/duopit]
   760 ( 1.30%)  sub/file.cpp:title_record(std::array<char, 180ul>&) [/b/duopit]
"""


class TopFunctions(unittest.TestCase):
    def test_functions_by_self_cost_without_file_or_binary(self):
        self.assertEqual(figures.top_functions(ANNOTATED, 2), [
            (14868, 25.42, "duopit::textio::lay_out(std::basic_string_view<char>)"),
            (5244, 8.97, "intel_check_word.constprop.0")])

    def test_fewer_functions_than_asked(self):
        functions = figures.top_functions(ANNOTATED, 10)
        self.assertEqual(len(functions), 3)
        self.assertEqual(functions[2], (760, 1.3, "sub/file.cpp:title_record(std::array<char, 180ul>&)"))

    def test_short_function_name(self):
        self.assertEqual(
            figures.short_function_name("duopit::textio::(anonymous namespace)::read_token("
                                        "std::basic_string_view<char, std::char_traits<char> >,"
                                        " int)"),
            "duopit::textio::read_token(std::string_view, int)")

    def test_no_listing(self):
        self.assertEqual(figures.top_functions("58,479 (100.0%)  PROGRAM TOTALS\n", 5), [])


class ParseSpawnReport(unittest.TestCase):
    def test_complete_line(self):
        line = "exit=0 user_us=1500 system_us=250 maxrss_kib=820 minflt=51 wall_ns=3593924\n"
        self.assertEqual(figures.parse_spawn_report(line),
                         {"exit": 0, "user_us": 1500, "system_us": 250, "maxrss_kib": 820,
                          "minflt": 51, "wall_ns": 3593924})

    def test_refused_lines(self):
        for output in ["",
                       "exit=0 user_us=1 system_us=2 maxrss_kib=3 wall_ns=4",  # no minflt
                       "exit=0 user_us=1 system_us=2 maxrss_kib=3 minflt=5 wall_ns=4 extra=5",
                       "exit=0 user_us=1 user_us=2 maxrss_kib=3 minflt=5 wall_ns=4",
                       "exit=0 user_us=x system_us=2 maxrss_kib=3 minflt=5 wall_ns=4",
                       "exit=0 user_us=-1 system_us=2 maxrss_kib=3 minflt=5 wall_ns=4",
                       "exit=0 user_us=1 system_us=2 maxrss_kib=3 minflt=5 wall_ns=4\nexit=0"]:
            with self.subTest(output=output):
                self.assertIsNone(figures.parse_spawn_report(output))


STRACE_LOG = """execve("./duopit", ["./duopit"], 0x7ffc /* 0 vars */) = 0
brk(NULL)                               = 0x1e4b000
read(0,  <unfinished ...>
--- SIGWINCH {si_signo=SIGWINCH, si_code=SI_KERNEL} ---
<... read resumed>"0\\n", 132)         = 2
write(3, "Coordenadas"..., 1024)        = 1024
exit_group(0)                           = ?
+++ exited with 0 +++
"""


class CountSystemCalls(unittest.TestCase):
    def test_calls_without_signals_exit_or_resumed_halves(self):
        self.assertEqual(figures.count_system_calls(STRACE_LOG), 5)

    def test_no_calls(self):
        self.assertEqual(figures.count_system_calls("+++ killed by SIGKILL +++\n\n"), 0)


class CpuTimeStatistics(unittest.TestCase):
    def test_median_of_per_pair_ratios_not_ratio_of_medians(self):
        ours = [2.0, 3.0, 10.0]
        theirs = [1.0, 2.0, 4.0]
        ratios = figures.paired_ratios(ours, theirs)
        self.assertEqual(ratios, [2.0, 1.5, 2.5])
        self.assertEqual(figures.median(ratios), 2.0)  # the ratio of medians would be 1.5

    def test_pairs_without_a_positive_denominator_are_left_out(self):
        self.assertEqual(figures.paired_ratios([1.0, 2.0, 3.0], [0.0, 1.0, -1.0]), [2.0])

    def test_unequal_pairs_are_an_error(self):
        with self.assertRaises(ValueError):
            figures.paired_ratios([1.0], [1.0, 2.0])

    def test_median_of_an_even_count_and_of_nothing(self):
        self.assertEqual(figures.median([4.0, 1.0, 3.0, 2.0]), 2.5)
        with self.assertRaises(ValueError):
            figures.median([])

    def test_quartiles(self):
        self.assertEqual(figures.quartiles([1.0, 2.0, 3.0, 4.0, 5.0]), (2.0, 4.0))

    def test_accounting_step(self):
        self.assertAlmostEqual(figures.accounting_step([0.004, 0.008, 0.004, 0.012]), 0.004)
        self.assertEqual(figures.accounting_step([0.002, 0.002]), float("inf"))

    def test_microsecond_accounting_is_fine_enough(self):
        samples = [0.001500 + 0.000001 * i for i in range(20)]
        self.assertFalse(figures.too_coarse(samples))

    def test_tick_accounting_is_too_coarse(self):
        self.assertTrue(figures.too_coarse([0.0, 0.004, 0.0, 0.0, 0.004]))  # runs seen as 0
        self.assertTrue(figures.too_coarse([0.004, 0.008, 0.004, 0.004]))  # step is the run
        self.assertTrue(figures.too_coarse([]))


def bench_entry(name, cpu_time, unit="ns", set_size=4096, aggregate=None, **extra):
    entry = {"name": name + (f"_{aggregate}" if aggregate else ""), "run_name": name,
             "run_type": "aggregate" if aggregate else "iteration", "cpu_time": cpu_time,
             "real_time": cpu_time * 1.1, "time_unit": unit, "set_size": set_size}
    if aggregate:
        entry["aggregate_name"] = aggregate
    entry.update(extra)
    return entry


class MicroResults(unittest.TestCase):
    def test_median_aggregates_per_value_in_nanoseconds(self):
        report = {"benchmarks": [
            bench_entry("edit/duopit/survey", 409.6, unit="us", aggregate="mean"),
            bench_entry("edit/duopit/survey", 204.8, unit="us", aggregate="median"),
            bench_entry("edit/std/survey", 102400.0, aggregate="median"),
            bench_entry("edit/std/survey", 999.0, aggregate="stddev"),
        ]}
        [result] = figures.micro_results(report)
        self.assertEqual((result.operation, result.value_set), ("edit", "survey"))
        self.assertAlmostEqual(result.duopit_ns, 50.0)  # 204.8 us over 4096 values
        self.assertAlmostEqual(result.std_ns, 25.0)
        self.assertAlmostEqual(result.ratio, 2.0)
        self.assertIsNone(result.error)

    def test_without_aggregates_the_median_of_the_runs(self):
        report = {"benchmarks": [
            bench_entry("read/duopit/typed", 3.0, unit="ms", set_size=1000),
            bench_entry("read/duopit/typed", 1.0, unit="ms", set_size=1000),
            bench_entry("read/duopit/typed", 2.0, unit="ms", set_size=1000),
            bench_entry("read/std/typed", 0.5, unit="ms", set_size=1000),
        ]}
        [result] = figures.micro_results(report)
        self.assertAlmostEqual(result.duopit_ns, 2000.0)
        self.assertAlmostEqual(result.ratio, 4.0)

    def test_each_pair_separately(self):
        report = {"benchmarks": [
            bench_entry("edit/duopit/a", 10.0), bench_entry("edit/std/a", 5.0),
            bench_entry("read/duopit/b", 3.0), bench_entry("read/std/b", 6.0),
        ]}
        ratios = {(r.operation, r.value_set): r.ratio for r in figures.micro_results(report)}
        self.assertEqual(ratios, {("edit", "a"): 2.0, ("read", "b"): 0.5})

    def test_an_errored_side_gives_no_ratio(self):
        report = {"benchmarks": [
            {"name": "read/duopit/typed", "run_name": "read/duopit/typed",
             "run_type": "iteration", "error_occurred": True,
             "error_message": "the two conversions disagree", "cpu_time": 0,
             "time_unit": "ns", "iterations": 0},
            bench_entry("read/std/typed", 100.0),
        ]}
        [result] = figures.micro_results(report)
        self.assertIsNone(result.ratio)
        self.assertEqual(result.error, "the two conversions disagree")

    def test_a_missing_side_gives_no_ratio(self):
        [result] = figures.micro_results({"benchmarks": [bench_entry("edit/duopit/a", 1.0)]})
        self.assertIsNone(result.ratio)
        self.assertIn("edit/std/a", result.error)

    def test_a_time_without_its_set_size_is_an_error(self):
        entry = bench_entry("edit/duopit/a", 1.0)
        del entry["set_size"]
        with self.assertRaises(ValueError):
            figures.micro_results({"benchmarks": [entry]})


class Scaling(unittest.TestCase):
    def test_linear_time_gives_a_ratio_of_one(self):
        # 2 ms to start, 10 ms per megabyte.
        times = [0.002 + 0.010 * n for n in (1, 10, 100)]
        self.assertAlmostEqual(figures.marginal_cost_ratio([1, 10, 100], times), 1.0)

    def test_quadratic_time_gives_a_large_ratio(self):
        times = [0.001 * n * n for n in (1, 10, 100)]
        # (10000 - 100) / 90 = 110 against (100 - 1) / 9 = 11.
        self.assertAlmostEqual(figures.marginal_cost_ratio([1, 10, 100], times), 10.0)

    def test_order_of_the_points_does_not_matter(self):
        self.assertAlmostEqual(
            figures.marginal_cost_ratio([100, 1, 10], [1.002, 0.012, 0.102]), 1.0)

    def test_no_ratio_without_three_points_or_growth(self):
        self.assertIsNone(figures.marginal_cost_ratio([1, 10], [0.1, 1.0]))
        self.assertIsNone(figures.marginal_cost_ratio([1, 10, 100], [0.5, 0.5, 5.0]))

    def test_growth_from_the_smallest_size_to_the_largest(self):
        self.assertEqual(figures.growth([(100, 900), (1, 820), (10, 2000)]), 80)


class Summary(unittest.TestCase):
    def test_marks(self):
        self.assertEqual(figures.at_most("a", 2.0, 2.0).mark, "PASS")
        self.assertEqual(figures.at_most("a", 2.001, 2.0).mark, "FAIL")
        self.assertEqual(figures.at_least("a", 0.8, 0.8).mark, "PASS")
        self.assertEqual(figures.at_least("a", 0.79, 0.8).mark, "FAIL")
        self.assertEqual(figures.between("a", 1.6, 0.67, 1.5).mark, "FAIL")
        self.assertEqual(figures.between("a", 0.67, 0.67, 1.5).mark, "PASS")
        self.assertEqual(figures.not_measured("a", "<= 2", "valgrind missing").mark, "ERROR")

    def test_table(self):
        table = figures.summary_table([
            figures.at_most("instructions", 3.5541, 2.0),
            figures.at_least("throughput", 1.2, 0.8),
            figures.not_measured("cpu", "<= 1.3", "no baseline"),
        ])
        lines = table.splitlines()
        self.assertEqual(lines[0].split(), ["figure", "measured", "target"])
        self.assertEqual(lines[2].split(), ["instructions", "3.554", "<=", "2", "FAIL"])
        self.assertEqual(lines[3].split(), ["throughput", "1.200", ">=", "0.8", "PASS"])
        self.assertTrue(lines[4].endswith("ERROR"))
        self.assertIn("not measured: no baseline", lines[4])
        self.assertEqual(lines[-1], "1 targets met, 1 missed, 1 not measured")
        # The marks line up in one column.
        self.assertEqual(len({line.rfind(" ") for line in lines[2:5]}), 1)

    def test_information_only_figures_are_not_counted(self):
        table = figures.summary_table([
            figures.at_most("instructions", 1.9, 2.0),
            figures.Figure("instructions, empty environment", "3.200", figures.INFORMATION_ONLY,
                           True),
        ])
        lines = table.splitlines()
        self.assertTrue(lines[3].endswith("INFO"))
        self.assertEqual(lines[-1], "1 targets met, 0 missed, 0 not measured")


if __name__ == "__main__":
    unittest.main()


class ReadmeSection(unittest.TestCase):
    def test_only_the_table_between_the_markers_is_replaced(self):
        old = figures.readme_section([figures.Figure("old", "1", "<= 2", True)], "Then.")
        readme = "# Title\n\nProse.\n\n" + old + "\n\nMore prose.\n"
        new = figures.with_readme_section(
            readme, figures.readme_section([figures.Figure("new", "3", "<= 4", True)], "Now."))
        self.assertEqual(new.replace("Now.", "Then.").replace("| new | 3 | <= 4 |",
                                                              "| old | 1 | <= 2 |"), readme)
        self.assertNotIn("old", new)

    def test_a_readme_without_markers_is_refused(self):
        with self.assertRaises(ValueError):
            figures.with_readme_section("# Title\n", "table")
