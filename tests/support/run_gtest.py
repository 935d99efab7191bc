#!/usr/bin/env python3
"""Runs one GoogleTest program as one CTest test and keeps the result of every case.

    run_gtest.py --name NAME --results DIR [--timeout S] [--case-timeout S]
                 [--alone CASE]... -- COMMAND...

COMMAND is the test program with whatever runs it (Wine for a Windows program). The program
runs once for all its cases, which saves a process start per case (seconds each under Wine in
an emulated machine); its XML report gives each case's result. Then:

  - each case named by --alone (one that needs a process of its own) runs alone;
  - each case that failed runs once more, alone: one that passes then passed only when run
    again, and is named so;
  - when the whole run ends without a report (a crash, the time limit), every case it should
    have run runs alone, as if each were its own test.

DIR/NAME.txt gets a line "<result> <case>" per case, result one of passed, failed, skipped and
retried (passed only when run again); scripts/test counts the cases from these files. The exit
status is 0 when no case failed, 1 otherwise.
"""

import argparse
import os
import subprocess
import sys
import xml.etree.ElementTree as ET


def run(command, extra, timeout, report):
    """Runs the program with the extra arguments and an XML report; returns the report's
    results ({case: result}) or None when the run left no readable report."""
    if os.path.exists(report):
        os.remove(report)
    args = command + extra + ["--gtest_output=xml:" + report]
    try:
        subprocess.run(args, timeout=timeout, check=False)
    except subprocess.TimeoutExpired:
        print(f"run_gtest: {' '.join(extra) or 'the whole program'}: time limit of {timeout} s",
              flush=True)
        return None
    sys.stdout.flush()
    return read_report(report)


def read_report(path):
    try:
        root = ET.parse(path).getroot()
    except (OSError, ET.ParseError):
        return None
    results = {}
    for suite in root.iter("testsuite"):
        for case in suite.iter("testcase"):
            if case.get("status") == "notrun":  # DISABLED_ cases: not run, not counted
                continue
            name = f"{suite.get('name')}.{case.get('name')}"
            if case.find("failure") is not None or case.find("error") is not None:
                results[name] = "failed"
            elif case.get("result") == "skipped" or case.find("skipped") is not None:
                results[name] = "skipped"
            else:
                results[name] = "passed"
    return results


def list_cases(command, timeout):
    """The program's cases as GoogleTest lists them (DISABLED_ ones left out)."""
    try:
        out = subprocess.run(command + ["--gtest_list_tests"], timeout=timeout, check=False,
                             capture_output=True, text=True, errors="replace").stdout
    except subprocess.TimeoutExpired:
        return []
    cases, suite = [], ""
    for line in out.splitlines():
        if not line.strip():
            continue
        name = line.split("#")[0].strip()
        if not line.startswith(" "):
            suite = name
        elif not suite.startswith("DISABLED_") and not name.startswith("DISABLED_"):
            cases.append(suite + name)
    return cases


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--name", required=True)
    parser.add_argument("--results", required=True)
    parser.add_argument("--timeout", type=float, default=600)
    parser.add_argument("--case-timeout", type=float, default=300)
    parser.add_argument("--alone", action="append", default=[])
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if not command:
        parser.error("no test program")

    report = f"{args.name}.gtest.xml"
    results = {}
    whole = run(command, ["--gtest_filter=-" + ":".join(args.alone)] if args.alone else [],
                args.timeout, report)
    if whole is None:
        print(f"run_gtest: {args.name} left no report; each case runs alone", flush=True)
        todo = [c for c in list_cases(command, args.case_timeout) if c not in args.alone]
        if not todo:
            results["(the program itself)"] = "failed"
    else:
        results.update(whole)
        todo = []
    todo += args.alone
    for case in todo:
        got = run(command, ["--gtest_filter=" + case], args.case_timeout, report)
        results[case] = (got or {}).get(case, "failed")

    # A case that failed gets one more run of its own.
    for case in [c for c, r in results.items() if r == "failed" and c != "(the program itself)"]:
        got = run(command, ["--gtest_filter=" + case], args.case_timeout, report)
        if (got or {}).get(case) == "passed":
            results[case] = "retried"
    if os.path.exists(report):
        os.remove(report)

    os.makedirs(args.results, exist_ok=True)
    with open(os.path.join(args.results, args.name + ".txt"), "w", encoding="utf-8") as out:
        for case, result in sorted(results.items()):
            out.write(f"{result} {case}\n")
    count = {r: sum(1 for v in results.values() if v == r)
             for r in ("passed", "failed", "skipped", "retried")}
    print(f"run_gtest: {args.name}: {count['passed'] + count['retried']} passed, "
          f"{count['failed']} failed, {count['skipped']} skipped")
    for result in ("failed", "retried"):
        for case in sorted(c for c, r in results.items() if r == result):
            print(f"run_gtest: {result}: {case}" if result == "failed"
                  else f"run_gtest: passed only when run again: {case}")
    return 1 if count["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
