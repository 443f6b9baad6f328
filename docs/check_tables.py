#!/usr/bin/env python3
"""Runs the guide's pandas lines on tables the batch programs wrote, and checks that every
value lands in the column that names it.

  check_tables.py GUIDE.md --path BINDIR [--path BINDIR ...]
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

import pandas

GENERATIONS = 30
# ReportFile1 and the output file hold 15 significant digits; the tables every digit.
CLOSE = dict(rtol=1e-13, atol=1e-15)


def guide_lines(guide):
    """The guide's lines of the form `name = pandas.read_csv(...)`, by the name they set."""
    with open(guide, encoding="utf-8") as file:
        text = file.read()
    found = re.findall(r"`((\w+) = pandas\.read_csv\([^`]*\))`", text)
    return {name: line for line, name in found}


def same(actual, expected, what):
    difference = (actual - expected).abs() > CLOSE["atol"] + CLOSE["rtol"] * expected.abs()
    if difference.any():
        raise AssertionError(f"{what}: {list(actual[difference][:3])} != "
                             f"{list(expected[difference][:3])}")


def check(tables, folder):
    r1, g, p = tables["r1"], tables["g"], tables["p"]
    with open(os.path.join(folder, "ReportFile1.txt"), encoding="ascii") as file:
        header = file.readline().rstrip("\r\n").split("\t")
    assert list(r1.columns) == header, f"ReportFile1 columns {list(r1.columns)}"
    assert len(r1) == GENERATIONS and len(g) == GENERATIONS
    assert list(g["generation"]) == list(range(1, GENERATIONS + 1))
    genotypes = [name.replace("'", "") + ("_rminus" if "'" in name else "_rplus")
                 for name in header]
    assert list(g.columns) == ["generation"] + genotypes + ["rplus", "A", "B"], list(g.columns)
    # ReportFile1 is cumulative, the table is not.
    same(g[genotypes].cumsum(axis=1).set_axis(header, axis=1).stack(), r1.stack(),
         "genotype frequencies")
    same(g["rplus"], r1["AB"], "rplus")
    same(g["A"], g[[c for c in genotypes if "A" in c]].sum(axis=1), "allele A")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("guide")
    parser.add_argument("--path", action="append", default=[])
    args = parser.parse_args()
    env = dict(os.environ)
    env["PATH"] = os.pathsep.join([os.path.abspath(p) for p in args.path] + [env["PATH"]])
    lines = guide_lines(args.guide)
    missing = {"r1", "g", "p"} - set(lines)
    if missing:
        print(f"the guide has no pandas line for {sorted(missing)}", file=sys.stderr)
        return 1
    with tempfile.TemporaryDirectory() as folder:
        run = dict(cwd=folder, env=env, check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["quorvel-batch", "single", "--set", f"maxgen={GENERATIONS}", "--set",
                        "demes=2", "--set", "diffusion=0.2", "--out", "."], **run)
        subprocess.run(["tessaline-batch", "--sim", "velocity", "--out", "points.txt", "--csv",
                        "points.csv"], **run)
        os.chdir(folder)
        tables = {}
        for name, line in lines.items():
            namespace = {"pandas": pandas}
            exec(line, namespace)
            tables[name] = namespace[name]
        check(tables, folder)
        check_points(tables["p"], folder)
    print(f"the guide's pandas lines read {', '.join(sorted(lines))} right: 1 passed, 0 failed")
    return 0


def check_points(p, folder):
    assert list(p.columns) == ["simulation", "curve", "x", "y"], list(p.columns)
    written = pandas.read_csv(os.path.join(folder, "points.txt"), sep=" ", header=None,
                              names=["x", "y"])
    assert len(p) == len(written)
    same(p["x"], written["x"], "x")
    same(p["y"], written["y"], "y")
    assert set(p["simulation"]) == {"velocity"}
    assert p["curve"].iloc[0] == "ML of curve 1 = 0.4", p["curve"].iloc[0]


if __name__ == "__main__":
    sys.exit(main())
