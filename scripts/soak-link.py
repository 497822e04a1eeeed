#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Soak test of the device link: many `kovactl get` and `kovactl put` runs
against kova-sim, each with faults drawn at random (noise before or after
the acknowledge or after the answer, slow bytes up to the 250 ms limit,
a read that stops, a hang-up, a stuck transmitter, kill -9 of either side,
and mixes of them).

A run fails the soak when kovactl:
  - exits 0 and the file it saved (get) or the unit (put) does not hold
    exactly the right bytes and version texts;
  - fails without a message on stderr, or with an exit status that is not
    one of an operation's failures (1, 4 no answer, 5 differences, 6 port);
  - says after a Put that the unit was not changed while it was, or that the
    whole configuration was written while it was not.

Not run by CI: it takes a while. Usage:
  scripts/soak-link.py [--runs N] [--jobs J] [--seed S] [--build DIR]
Prints a summary (counts by outcome and by message) and exits 1 when any run
failed the soak.
"""

import argparse
import collections
import json
import os
import random
import re
import signal
import subprocess
import sys
import tempfile
import threading
import time

VERSIONS = ["KOVA PRO 10 ZONE RX", "FIRMWARE 3.10", "SIMULATOR"]
RATES = [115200, 57600, 38400, 19200, 9600, 4800, 2400, 1200]
UNIT_RATE = 9600


def random_image(rng):
    image = bytearray(rng.randrange(256) for _ in range(256))
    image[5] = (image[5] & ~0x38) | (RATES.index(UNIT_RATE) << 3)
    return bytes(image)


def read_kova(path):
    """The version texts and the image of a .kova file in the image layout."""
    versions, image = {}, None
    with open(path, encoding="latin-1") as f:
        for line in f:
            key, _, value = line.rstrip("\r\n").partition("=")
            if key in ("Kova", "Compiled", "EEprom"):
                versions[key] = value
            if key == "Contents":
                image = bytes.fromhex(value)
    return [versions.get(k) for k in ("Kova", "Compiled", "EEprom")], image


def draw_faults(rng):
    """Simulator options, and what to kill when, for one run."""
    kinds = ["none", "noise", "slow", "stop", "hangup", "stuck", "kill", "mixed"]
    kind = rng.choice(kinds)
    picks = [kind] if kind != "mixed" else rng.sample(kinds[1:7], rng.randint(2, 3))
    options, kill = [], None
    for pick in picks:
        if pick == "noise":
            where = rng.choice(["--stray", "--after-ack", "--trail"])
            options += [where, str(rng.randint(1, 3))]
        elif pick == "slow":
            # Mostly slow but workable, sometimes near or past the 250 ms limit.
            delay = rng.choice([rng.randint(1, 30), rng.randint(30, 120), rng.randint(200, 260)])
            options += ["--byte-delay", str(delay)]
        elif pick == "stop":
            options += ["--stop-after", str(rng.randint(0, 255))]
        elif pick == "hangup":
            options += ["--hangup-after", str(rng.randint(1, 600))]
        elif pick == "stuck":
            options += ["--stuck", str(rng.choice([0, 0xFF, ord("A")]))]
        elif pick == "kill":
            kill = (rng.choice(["sim", "kovactl"]), rng.uniform(0.0, 3.0))
    return kind if kind != "mixed" else "mixed:" + "+".join(picks), options, kill


def start_sim(sim, folder, options):
    link = os.path.join(folder, "port")
    proc = subprocess.Popen(
        [sim, "--eeprom", os.path.join(folder, "eeprom.bin"), "--link", link,
         "--minute", "86400000", "--exit-on-idle", "120"] + options,
        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    proc.stdout.readline()  # the device: it is ready
    return proc, link


def stop(proc):
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def make_put_file(kovactl, folder, base, rng):
    """A .kova file from the base configuration with fields changed at random."""
    shown = subprocess.run([kovactl, "show", "--json", base], capture_output=True, text=True)
    config = json.loads(shown.stdout)

    def change(node):
        # New RICs and switched options, so that most image bytes change.
        if isinstance(node, dict):
            for key, value in node.items():
                if isinstance(value, str) and "RIC" in key and value.isdigit():
                    node[key] = str(rng.randrange(2097152))
                elif key.startswith("Enable") and value in (0, 1):
                    node[key] = rng.randint(0, 1)
                elif isinstance(value, (dict, list)):
                    change(value)
        elif isinstance(node, list):
            for item in node:
                change(item)

    change(config)
    config["BaudKova"] = rng.choice([UNIT_RATE, UNIT_RATE, 19200])  # a Put may move the unit
    source = os.path.join(folder, "put.json")
    with open(source, "w") as f:
        json.dump(config, f)
    target = os.path.join(folder, "put.kova")
    packed = subprocess.run([kovactl, "pack", source, "-o", target], capture_output=True, text=True)
    if packed.returncode != 0:
        raise RuntimeError("kovactl pack: " + packed.stderr)
    return target


def one_run(args, index, rng, base):
    folder = tempfile.mkdtemp(prefix="kova-soak-")
    before = random_image(rng)
    with open(os.path.join(folder, "eeprom.bin"), "wb") as f:
        f.write(before)
    verb = "put" if rng.random() < args.put_share else "get"
    kind, options, kill = draw_faults(rng)
    put_file = make_put_file(args.kovactl, folder, base, rng) if verb == "put" else None
    sim, link = start_sim(args.sim, folder, options)
    out = os.path.join(folder, "got.kova")
    command = [args.kovactl, verb, "--port", link, "--baud", str(UNIT_RATE)]
    command += ["-o", out] if verb == "get" else [put_file]
    started = time.monotonic()
    proc = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    killed = None
    if kill:
        try:
            proc.wait(kill[1])
        except subprocess.TimeoutExpired:
            victim = sim if kill[0] == "sim" else proc
            victim.send_signal(signal.SIGKILL)
            killed = kill[0]
    try:
        _, err = proc.communicate(timeout=args.limit)
    except subprocess.TimeoutExpired:
        proc.kill()
        _, err = proc.communicate()
        err = "(still running after %d s) " % args.limit + err
    elapsed = time.monotonic() - started
    stop(sim)
    with open(os.path.join(folder, "eeprom.bin"), "rb") as f:
        held = f.read()

    status = proc.returncode
    problem = None
    message = err.strip().splitlines()[0] if err.strip() else ""
    if status == 0:
        if verb == "get":
            versions, image = read_kova(out)
            if image != held or versions != VERSIONS:
                problem = "exit 0 with wrong bytes or versions"
        else:
            _, image = read_kova(put_file)
            if held[4:] != image[4:]:
                problem = "exit 0 but the unit holds other bytes"
    elif killed == "kovactl":
        pass  # nothing it could say
    elif status < 0 or status not in (1, 4, 5, 6) or not message:
        problem = "exit %d without a clear message" % status
    elif verb == "put" and killed != "sim":
        _, image = read_kova(put_file)
        if "keeps the configuration it had" in err and held != before:
            problem = "said unchanged, but the unit changed"
        if "whole configuration was written" in err and held[4:] != image[4:]:
            problem = "said written, but the unit holds other bytes"
    if problem is None:
        subprocess.run(["rm", "-rf", folder])
    return {"index": index, "verb": verb, "kind": kind, "options": options, "kill": killed,
            "status": status, "message": message, "problem": problem, "seconds": elapsed,
            "folder": folder if problem else None}


def main():
    # kovactl remembers each port's rate in the per-user settings: keep the
    # soak's thousand throw-away ports out of the user's own.
    os.environ["XDG_CONFIG_HOME"] = tempfile.mkdtemp(prefix="kova-soak-settings-")
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=1000)
    parser.add_argument("--jobs", type=int, default=3)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--put-share", type=float, default=0.2)
    parser.add_argument("--limit", type=int, default=120, help="seconds a run may take")
    parser.add_argument("--build", default=os.path.join(here, "..", "build"))
    parser.add_argument("--log", help="write every run as a JSON line here")
    args = parser.parse_args()
    args.sim = os.path.join(args.build, "tools", "kova-sim", "kova-sim")
    args.kovactl = os.path.join(args.build, "tools", "kovactl", "kovactl")

    # The configuration the puts start from: a sound unit's, as kovactl saves it.
    work = tempfile.mkdtemp(prefix="kova-soak-base-")
    sim, link = start_sim(args.sim, work, [])
    base = os.path.join(work, "base.kova")
    subprocess.run([args.kovactl, "get", "--port", link, "-o", base], check=True)
    stop(sim)

    results, lock = [], threading.Lock()
    counter = iter(range(args.runs))
    log = open(args.log, "w") if args.log else None

    def worker(job):
        rng = random.Random(args.seed * 1000 + job)
        while True:
            with lock:
                index = next(counter, None)
            if index is None:
                return
            result = one_run(args, index, rng, base)
            with lock:
                results.append(result)
                if log:
                    log.write(json.dumps(result) + "\n")
                    log.flush()
                if result["problem"]:
                    print("FAIL", json.dumps(result), flush=True)
                if len(results) % 50 == 0:
                    print("%d runs" % len(results), flush=True)

    threads = [threading.Thread(target=worker, args=(j,)) for j in range(args.jobs)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()

    by_outcome = collections.Counter()
    by_message = collections.Counter()
    for r in results:
        by_outcome[(r["verb"], "exit %d" % r["status"])] += 1
        if r["status"] not in (0, -9) and r["message"]:
            by_message[re.sub(r"/\S*/port", "PORT", r["message"])[:100]] += 1
    failed = [r for r in results if r["problem"]]
    faulted_successes = sum(1 for r in results if r["status"] == 0 and r["kind"] != "none")
    print("\n%d runs, %d failed the soak; %d faulted runs still succeeded (and were checked)"
          % (len(results), len(failed), faulted_successes))
    for (verb, outcome), n in sorted(by_outcome.items()):
        print("  %-4s %-8s %5d" % (verb, outcome, n))
    print("first lines of the messages:")
    for text, n in by_message.most_common():
        print("  %5d  %s" % (n, text))
    slowest = max(results, key=lambda r: r["seconds"]) if results else None
    if slowest:
        print("longest run: %.1f s (%s %s)" % (slowest["seconds"], slowest["verb"], slowest["kind"]))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
