#!/usr/bin/env python3
"""Applies plausible faults to the program one at a time and reports which test catches each.

Usage: scripts/mutate.py [--build DIR] [--only NAME...] [--list FILE]

Each fault in the list (scripts/mutations.txt) names a file under src/, a piece of its text
that must stand there exactly once, and what to put in its place. For each fault the script
changes the file, rebuilds, runs the tests (every label but browser, the windows
offscreen; the fault's `first:` tests before the rest, so that a catch is found early), puts the
file back and prints which test failed. A fault no test catches, or one whose text is not found or
that does not build, is reported as such; the script exits 1 if any fault was not caught.

The list's format, a block a fault:

    == NAME: what the fault does
    file: src/...
    first: REGEX of the tests likely to catch it (optional)
    - a line of the original text (several "-" lines for several lines)
    + a line of the replacement (several "+" lines, or none to delete)
"""
import argparse
import os
import re
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def parse(path):
    faults, fault = [], None
    for line in open(path, encoding="utf-8"):
        line = line.rstrip("\n")
        if line.startswith("== "):
            name, _, what = line[3:].partition(":")
            fault = {"name": name.strip(), "what": what.strip(), "file": None, "first": None,
                     "old": [], "new": []}
            faults.append(fault)
        elif fault is None or not line or line.startswith("#"):
            continue
        elif line.startswith("file: "):
            fault["file"] = line[6:].strip()
        elif line.startswith("first: "):
            fault["first"] = line[7:].strip()
        elif line.startswith("- ") or line == "-":
            fault["old"].append(line[2:])
        elif line.startswith("+ ") or line == "+":
            fault["new"].append(line[2:])
    return faults


def run(cmd, **kw):
    return subprocess.run(cmd, cwd=ROOT, capture_output=True, text=True, **kw)


def first_failure(build, regex=None):
    """The first test that fails, or None."""
    cmd = ["ctest", "--test-dir", build, "-j2", "--stop-on-failure", "--timeout", "900",
           "-LE", "browser"]
    if regex:
        cmd += ["-R", regex]
    out = run(cmd, env=dict(os.environ, QT_QPA_PLATFORM="offscreen")).stdout
    # A value-parameterised test's name is followed by "  # GetParam() = VALUE".
    param = r"(?:  # GetParam\(\) = .*?)?"
    failed = re.findall(r"Test +#\d+: (\S+)" + param + r" \.+\*+(?:Failed|Exception|Timeout)", out)
    if not failed:
        failed = re.findall(r"\d+ - (\S+)" + param +
                            r" \((?:Failed|Timeout|SEGFAULT|Subprocess aborted)\)", out)
    return failed[0] if failed else None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build-mutate")
    parser.add_argument("--list", default=os.path.join(ROOT, "scripts", "mutations.txt"))
    parser.add_argument("--only", nargs="*")
    args = parser.parse_args()
    build = args.build
    if not os.path.isdir(os.path.join(ROOT, build)):
        run(["cmake", "-S", ".", "-B", build, "-G", "Ninja", "-DSNAPNOOK_WERROR=ON"], check=True)
    if run(["cmake", "--build", build, "-j2"]).returncode != 0:
        sys.exit("the unchanged program does not build")
    faults = [f for f in parse(args.list) if not args.only or f["name"] in args.only]
    rows, missed = [], 0
    for fault in faults:
        path = os.path.join(ROOT, fault["file"])
        original = open(path, encoding="utf-8").read()
        old, new = "\n".join(fault["old"]), "\n".join(fault["new"])
        start = time.time()
        if not old or original.count(old) != 1:
            verdict = "text not found once"
        else:
            open(path, "w", encoding="utf-8").write(original.replace(old, new))
            try:
                if run(["cmake", "--build", build, "-j2"]).returncode != 0:
                    verdict = "does not build"
                else:
                    caught = (fault["first"] and first_failure(build, fault["first"])) or \
                        first_failure(build)
                    verdict = caught or "NOT CAUGHT"
            finally:
                open(path, "w", encoding="utf-8").write(original)
        if verdict in ("NOT CAUGHT", "text not found once", "does not build"):
            missed += 1
        rows.append((fault["name"], fault["file"], fault["what"], verdict))
        print(f"{fault['name']}: {verdict} ({time.time() - start:.0f} s)", flush=True)
    run(["cmake", "--build", build, "-j2"])  # back to the unchanged program
    print("\n| fault | file | what | caught by |\n|---|---|---|---|")
    for name, file, what, verdict in rows:
        print(f"| {name} | `{file}` | {what} | {verdict} |")
    print(f"\n{len(rows) - missed} of {len(rows)} faults caught")
    sys.exit(1 if missed else 0)


if __name__ == "__main__":
    main()
