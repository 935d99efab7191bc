#!/usr/bin/env python3
"""Counts one suite's results from its CTest log: every CTest test counts once, but a
GoogleTest program that run_gtest.py ran counts each of its cases (from RESULTS/NAME.txt).

    count_results.py LOG RESULTS_DIR

Prints "PASSED FAILED SKIPPED" on its first line, then a line for each failed case or test
("failed: NAME") and each that passed only when run again ("passed only when run again:
NAME"). Exits 1, printing nothing on the first line, when the log holds no CTest summary.
"""

import os
import re
import sys

# A test's result line; CTest leaves out the "N/M" counter on the line of a test it runs again.
PROGRESS = re.compile(r"^\s*(?:\d+/\d+ )?Test\s+#\d+: (\S+) \.*\s*(.*?)\s+[\d.]+ sec\s*$")
SUMMARY = re.compile(r"^\d+% tests passed, \d+ tests? failed out of (\d+)")


def status_of(text):
    if "Passed" in text:
        return "passed"
    if "Skipped" in text:
        return "skipped"
    return "failed"


def main():
    log, results_dir = sys.argv[1], sys.argv[2]
    runs = {}  # test name: statuses in the order they ran (CTest runs a failed test again)
    total = None
    with open(log, encoding="utf-8", errors="replace") as f:
        for line in f:
            m = PROGRESS.match(line)
            if m:
                runs.setdefault(m.group(1), []).append(status_of(m.group(2)))
            m = SUMMARY.match(line)
            if m:
                total = int(m.group(1))
    if total is None:
        return 1
    count = {"passed": 0, "failed": 0, "skipped": 0}
    failed, retried = [], []
    for name, statuses in runs.items():
        final = statuses[-1]
        cases = read_cases(os.path.join(results_dir, name + ".txt")) if final != "skipped" else None
        if cases:
            for case, result in cases:
                if result == "retried":
                    retried.append(f"{name}: {case}")
                    result = "passed"
                count[result] = count.get(result, 0) + 1
                if result == "failed":
                    failed.append(f"{name}: {case}")
            if final == "failed" and not any(r == "failed" for _, r in cases):
                count["failed"] += 1
                failed.append(f"{name} (the program failed outside its cases)")
            elif final == "passed" and "failed" in statuses:
                retried.append(name)
            continue
        count[final] += 1
        if final == "failed":
            failed.append(name)
        elif final == "passed" and "failed" in statuses:
            retried.append(name)
    # Tests the log counted but whose progress lines are missing count as failed.
    missing = total - len(runs)
    if missing > 0:
        count["failed"] += missing
        failed.append(f"{missing} test(s) without a result line")
    print(count["passed"], count["failed"], count["skipped"])
    for name in failed:
        print(f"failed: {name}")
    for name in retried:
        print(f"passed only when run again: {name}")
    return 0


def read_cases(path):
    try:
        with open(path, encoding="utf-8") as f:
            rows = [line.rstrip("\n").split(" ", 1) for line in f if line.strip()]
    except OSError:
        return None
    return [(case, result) for result, case in rows if result in
            ("passed", "failed", "skipped", "retried")]


if __name__ == "__main__":
    sys.exit(main())
