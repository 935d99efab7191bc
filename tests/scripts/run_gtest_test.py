#!/usr/bin/env python3
"""tests/support/run_gtest.py and count_results.py against a stand-in test program that
answers GoogleTest's command line (list, filter, XML report) with results chosen per case.

    run_gtest_test.py SUPPORT_DIR
"""

import os
import subprocess
import sys
import tempfile

# The stand-in: cases Suite.A, Suite.B, Param/Suite.C/0 and Suite.DISABLED_D. MODE says how B
# behaves: flaky (fails with the others, passes alone), broken (always fails), crash (the run
# of all cases dies without a report), shared (B passes only in a process of its own), skip.
FAKE = r'''
import os, sys
mode = os.environ["FAKE_MODE"]
args = sys.argv[1:]
cases = ["Suite.A", "Suite.B", "Param/Suite.C/0", "Suite.DISABLED_D"]
if "--gtest_list_tests" in args:
    print("Suite.\n  A\n  B\n  DISABLED_D\nParam/Suite.  # TypeParam\n  C/0  # GetParam() = 1")
    sys.exit(0)
flt = next((a.split("=", 1)[1] for a in args if a.startswith("--gtest_filter=")), "*")
out = next(a.split(":", 1)[1] for a in args if a.startswith("--gtest_output=xml:"))
if flt.startswith("-"):
    run = [c for c in cases if c not in flt[1:].split(":")]
elif flt == "*":
    run = list(cases)
else:
    run = [flt]
alone = len(run) == 1
if mode == "crash" and not alone:
    sys.exit(139)
with open(os.environ["FAKE_LOG"], "a") as log:
    log.write(" ".join(run) + "\n")
def result(case):
    if case.endswith("DISABLED_D"): return "notrun"
    if case != "Suite.B": return "passed"
    return {"flaky": "passed" if alone else "failed", "broken": "failed", "crash": "passed",
            "shared": "passed" if alone else "failed", "skip": "skipped"}[mode]
xml = ['<?xml version="1.0"?>', "<testsuites>"]
for suite in sorted({c.rsplit(".", 1)[0] for c in run}):
    xml.append(f'<testsuite name="{suite}">')
    for c in run:
        if c.rsplit(".", 1)[0] != suite: continue
        r = result(c); name = c.rsplit(".", 1)[1]
        status = "notrun" if r == "notrun" else "run"
        body = {"failed": "<failure message='x'/>", "skipped": "<skipped/>"}.get(r, "")
        res = ' result="skipped"' if r == "skipped" else ' result="completed"'
        xml.append(f'<testcase name="{name}" status="{status}"{res}>{body}</testcase>')
    xml.append("</testsuite>")
xml.append("</testsuites>")
open(out, "w").write("\n".join(xml))
sys.exit(1 if any(result(c) == "failed" for c in run) else 0)
'''

# mode, --alone cases: expected exit status, results file, the runs the program saw
CASES = [
    ("flaky", [], 0, {"Suite.A": "passed", "Suite.B": "retried", "Param/Suite.C/0": "passed"},
     ["Suite.A Suite.B Param/Suite.C/0 Suite.DISABLED_D", "Suite.B"]),
    ("broken", [], 1, {"Suite.A": "passed", "Suite.B": "failed", "Param/Suite.C/0": "passed"},
     ["Suite.A Suite.B Param/Suite.C/0 Suite.DISABLED_D", "Suite.B"]),
    ("crash", [], 0, {"Suite.A": "passed", "Suite.B": "passed", "Param/Suite.C/0": "passed"},
     ["Suite.A", "Suite.B", "Param/Suite.C/0"]),
    ("shared", ["Suite.B"], 0, {"Suite.A": "passed", "Suite.B": "passed", "Param/Suite.C/0": "passed"},
     ["Suite.A Param/Suite.C/0 Suite.DISABLED_D", "Suite.B"]),
    ("skip", [], 0, {"Suite.A": "passed", "Suite.B": "skipped", "Param/Suite.C/0": "passed"},
     ["Suite.A Suite.B Param/Suite.C/0 Suite.DISABLED_D"]),
]

# A CTest log of the program and one plain test, each ending as given; the counts expected.
COUNTS = [
    ("flaky", "Passed", "Passed", "4 0 0", ["passed only when run again: fake: Suite.B"]),
    ("broken", "***Failed", "Passed", "3 1 0", ["failed: fake: Suite.B"]),
    ("skip", "Passed", "***Skipped", "2 0 2", []),
    ("skip", "Passed", "***Failed", "3 0 1", ["passed only when run again: other"]),
]


def main():
    support = os.path.abspath(sys.argv[1])
    failures = []
    with tempfile.TemporaryDirectory() as work:
        fake = os.path.join(work, "fake.py")
        with open(fake, "w") as f:
            f.write(FAKE)
        log = os.path.join(work, "runs.log")
        for mode, alone, want_rc, want_results, want_runs in CASES:
            if os.path.exists(log):
                os.remove(log)
            extra = sum((["--alone", c] for c in alone), [])
            proc = subprocess.run([sys.executable, os.path.join(support, "run_gtest.py"),
                                 "--name", "fake", "--results", work, *extra, "--",
                                 sys.executable, fake], cwd=work, capture_output=True,
                                env=dict(os.environ, FAKE_MODE=mode, FAKE_LOG=log))
            rc = proc.returncode
            with open(os.path.join(work, "fake.txt")) as f:
                got = dict(reversed(line.split()) for line in f)
            with open(log) as f:
                runs = f.read().splitlines()
            if rc != want_rc:
                failures.append(f"{mode}: exit status {rc}, expected {want_rc}")
            if got != want_results:
                failures.append(f"{mode}: results {got}, expected {want_results}")
            if runs != want_runs:
                failures.append(f"{mode}: runs {runs}, expected {want_runs}")

            for count_mode, program, other, want_count, want_lines in COUNTS:
                if count_mode != mode:
                    continue
                ctest_log = os.path.join(work, "ctest.log")
                with open(ctest_log, "w") as f:
                    f.write(f"1/2 Test #1: fake .............{program}    1.00 sec\n"
                            f"2/2 Test #2: other ............{other}    0.10 sec\n")
                    if other == "***Failed":  # run again by CTest: no counter on its line
                        f.write("    Test #2: other ............   Passed    0.10 sec\n")
                    f.write("50% tests passed, 0 tests failed out of 2\n")
                out = subprocess.run([sys.executable, os.path.join(support, "count_results.py"),
                                      ctest_log, work], capture_output=True, text=True).stdout
                lines = out.splitlines()
                if lines[:1] != [want_count] or lines[1:] != want_lines:
                    failures.append(f"{mode}: counted {lines}, expected {[want_count] + want_lines}")
    for f in failures:
        print("FAIL:", f)
    if not failures:
        print(f"run_gtest: {len(CASES)} programs and {len(COUNTS)} logs hold")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
