#!/usr/bin/env python3
"""Runs every shell example of the given Markdown files as a reader would paste it.

A shell example is a block fenced as ```sh. Its first line says where it runs:
  # in the project's folder      a fresh copy of the project (without build folders)
  # in examples/snakemake        that folder of a fresh copy
  # in an empty folder           a new empty folder
A first line that names a cluster or a display marks a block that cannot run here; it is
listed and skipped. Every other block runs with bash -e and the built programs first on
PATH; any non-zero status fails the check.

  check_examples.py --project DIR --path BINDIR [--path BINDIR ...] FILE.md ...
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

WHERE = re.compile(r"^# (in|on) (.+)$")
SKIPPED_FOR = ("cluster", "display")
TIMEOUT_SECONDS = 600
SKIPPED = "skipped"


def shell_blocks(path):
    """(line number, lines) of every ```sh block."""
    blocks, current, start = [], None, 0
    with open(path, encoding="utf-8") as file:
        for number, line in enumerate(file, 1):
            line = line.rstrip("\n")
            if current is None:
                if re.match(r"^```sh\s*$", line):
                    current, start = [], number + 1
            elif line.startswith("```"):
                blocks.append((start, current))
                current = None
            else:
                current.append(line)
    return blocks


def copy_project(project, target):
    ignore = shutil.ignore_patterns(".git", "build", "build-*", "__pycache__")
    shutil.copytree(project, target, ignore=ignore, symlinks=True)


def run_block(name, lines, project, paths, scratch):
    match = WHERE.match(lines[0]) if lines else None
    if not match:
        return f"{name}: the first line does not say where to run it (# in ...)"
    where = match.group(2)
    if any(word in where for word in SKIPPED_FOR):
        print(f"skipped {name}: {where}")
        return SKIPPED
    folder = tempfile.mkdtemp(dir=scratch)
    if where != "an empty folder":
        copy_project(project, os.path.join(folder, "project"))
        folder = os.path.join(folder, "project")
        if where != "the project's folder":
            folder = os.path.join(folder, where)
            if not os.path.isdir(folder):
                return f"{name}: no folder {where} in the project"
    env = dict(os.environ)
    env["PATH"] = os.pathsep.join(paths + [env.get("PATH", "")])
    script = "\n".join(lines) + "\n"
    try:
        result = subprocess.run(["bash", "-e", "-o", "pipefail", "-c", script], cwd=folder,
                                env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                text=True, timeout=TIMEOUT_SECONDS)
    except subprocess.TimeoutExpired:
        return f"{name}: still running after {TIMEOUT_SECONDS} s"
    if result.returncode == 127:
        return (f"{name}: a command is not installed (./setup.sh test installs what the "
                f"examples need):\n{result.stdout}")
    if result.returncode != 0:
        return f"{name}: status {result.returncode}\n{script}{result.stdout}"
    print(f"ran {name} ({where})")
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--project", required=True)
    parser.add_argument("--path", action="append", default=[])
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    paths = [os.path.abspath(p) for p in args.path]
    faults, ran, skipped = [], 0, 0
    with tempfile.TemporaryDirectory() as scratch:
        for path in args.files:
            relative = os.path.relpath(path, args.project)
            for line, lines in shell_blocks(path):
                fault = run_block(f"{relative}:{line}", lines, args.project, paths, scratch)
                if fault == SKIPPED:
                    skipped += 1
                    continue
                if fault:
                    faults.append(fault)
                ran += 1
    for fault in faults:
        print(f"FAILED {fault}", file=sys.stderr)
    if ran == 0:
        print("no shell example found", file=sys.stderr)
        return 1
    print(f"examples: {ran - len(faults)} passed, {len(faults)} failed, {skipped} skipped")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
