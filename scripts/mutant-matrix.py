#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Which tests see which mutant: the mutants of mutants.py, each run against the whole suite.

mutants.py stops a run at the first failing test and reports a score. Before a
test goes, the question is another one: is each fault it sees also seen by
another test? This plants the very mutants mutants.py draws (same sampler, same
paths, seed and count), runs every test on each without stopping, and writes one
JSON line a mutant: where, the verdict and the tests that failed.

  scripts/mutant-matrix.py --build build --seed 1 --out before.jsonl src tools
  # change the tests, then, in a tree with the same product code:
  scripts/mutant-matrix.py --build build --seed 1 --out after.jsonl \\
      --recheck before.jsonl src tools

--recheck runs only the mutants the earlier file lists as killed, stopping at the
first failure: a fold of the tests keeps its strength when every one of them is
killed again. A mutant killed by one test only names a test that no other
replaces. Run it from the project root on a clean tree, like mutants.py.
"""
import argparse, importlib.util, json, os, random, subprocess, sys, time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def load_sampler(path):
    spec = importlib.util.spec_from_file_location("mutants", path)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def draw(sampler, paths, seed, count):
    # The same draw as mutants.py: constants weigh a quarter of the other sites.
    rng = random.Random(seed)
    pool, chosen = list(sampler.sites(paths)), []
    while pool and len(chosen) < count:
        weights = [0.25 if site[4] == "constant + 1" else 1.0 for site in pool]
        chosen.append(pool.pop(rng.choices(range(len(pool)), weights)[0]))
    return chosen


def failed_tests(ctest_output):
    names = []
    for line in ctest_output.splitlines():
        if "***" in line or "Not Run" in line:  # "12/110 Test  #41: Name ....***Failed"
            name = line.split(": ", 1)[-1].split(" ")[0]
            if name not in names:
                names.append(name)
    return names


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("paths", nargs="+", help="product files or folders to mutate")
    ap.add_argument("--build", default="build")
    ap.add_argument("--count", type=int, default=20)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--tests", default="^[A-Za-ce-z]", help="ctest -R regex")
    ap.add_argument("--timeout", type=int, default=300, help="seconds for one test")
    ap.add_argument("--out", required=True, help="JSON lines are appended here")
    ap.add_argument("--recheck", help="re-run only the mutants killed in this file")
    ap.add_argument("--sampler", default=os.path.join(ROOT, "..", "shared", "tools", "mutants.py"))
    a = ap.parse_args()
    sampler = load_sampler(a.sampler)
    only = None
    if a.recheck:
        with open(a.recheck, encoding="utf-8") as fh:
            rows = [json.loads(line) for line in fh if line.strip()]
        only = {r["where"] for r in rows if r["seed"] == a.seed and r["verdict"] == "killed"}
    jobs = str(os.cpu_count() or 2)
    build = ["cmake", "--build", a.build, "-j", jobs]
    quiet = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
    if subprocess.run(build, **quiet).returncode != 0:
        sys.exit("mutant-matrix: the unmutated tree does not build")
    with open(a.out, "a", encoding="utf-8") as out:
        for i, (f, no, start, end, name) in enumerate(draw(sampler, a.paths, a.seed, a.count), 1):
            where = "%s:%d %s" % (f, no, name)
            if only is not None and where not in only:
                continue
            with open(f, encoding="utf-8") as fh:
                original = fh.read()
            lines = original.split("\n")
            lines[no - 1] = sampler.mutate(lines[no - 1], start, end, name)
            t0, failed = time.monotonic(), []
            try:
                with open(f, "w", encoding="utf-8") as fh:
                    fh.write("\n".join(lines))
                if subprocess.run(build, **quiet).returncode != 0:
                    verdict = "stillborn"
                else:
                    cmd = ["ctest", "--test-dir", a.build, "-j", jobs, "-R", a.tests,
                           "--timeout", str(a.timeout)]
                    if only is not None:
                        cmd.append("--stop-on-failure")
                    run = subprocess.run(cmd, capture_output=True, text=True)
                    failed = failed_tests(run.stdout)
                    verdict = "killed" if run.returncode != 0 else "SURVIVED"
            finally:
                with open(f, "w", encoding="utf-8") as fh:
                    fh.write(original)
            row = {"seed": a.seed, "i": i, "where": where, "verdict": verdict, "failed": failed,
                   "secs": round(time.monotonic() - t0)}
            out.write(json.dumps(row) + "\n")
            out.flush()
            print(json.dumps(row), flush=True)
    subprocess.run(build, **quiet)
    return 0


if __name__ == "__main__":
    sys.exit(main())
