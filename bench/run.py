#!/usr/bin/env python3
"""Extraction benchmark of the stub against 7-Zip's own console program
(7zz-reference.exe, the same engine sources built with the same compiler),
both under the same Wine, plus the native benchmark of the configuration-block
search.

    python3 bench/run.py [--runs 5] [--cases 1,2,3,4,5,6] [--no-setup] [--no-build]

Build trees and folders come from the environment (defaults: the layout of
"Building by hand" in the README, build/ with its mingw/ sub-build):
    SFX_BENCH_NATIVE  native build tree (bin/sfxpack, bin/config_search_bench)   [build]
    SFX_BENCH_MINGW   mingw build tree (bin/sfxstub.exe, memprobe.exe, ...)      [build/mingw]
    SFX_BENCH_WINE    Wine environment of tools/wine-env.sh                      [build/wine]
    SFX_BENCH_WORK    inputs, packages and output folders                         [NATIVE/bench]
    SFX_BENCH_SFXPACK the sfxpack to build the packages with                      [NATIVE/bin/sfxpack]

Every input is made from seeded pseudo-random data, so every run measures the
same bytes; inputs are made once and reused while their recipe is unchanged.
Each case runs --runs times, stub and reference alternating (the order swaps
every round). A Windows helper (bench/MemProbe.cpp) starts each program,
answers the stub's password dialog at once (case 4) and reports the elapsed
time and the peak working set; the processor time (to see whether two cores
were busy) is sampled from /proc, as Wine keeps none for another process.
After the first round both output trees are compared byte for byte.

Stub rows: `/x DIR /q`, the extract-only path (a silent run ends without the
completion note). "+setup" rows: `/q` of a package whose archive also holds
setupprobe.exe as setup.exe: extraction into the temporary folder, the setup
start (it exits at once), the one-second pause after it and the removal of
the folder. The reference row of both is `7zz x` of the same archive.
"""

import argparse
import filecmp
import json
import os
import random
import shutil
import statistics
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TOOLS = os.path.join(ROOT, "tools")
MIB = 1024 * 1024
PASSWORD = "Bench-Secret-2026"
FIXED_MTIME = 1767225600  # 2026-01-01, so that the archives' bytes do not depend on when they were made
# Bumped whenever a recipe below changes: the inputs are made again.
RECIPE_VERSION = 2


# ---------------------------------------------------------------- input data

class MixedData:
    """Mixed compressible bytes: text-like runs of words with random stretches
    between them (a quarter of the chunks), from one seed."""

    def __init__(self, seed):
        self.rng = random.Random(seed)
        self.words = [bytes(self.rng.choice(b"abcdefghijklmnopqrstuvwxyz") for _ in range(self.rng.randint(2, 9)))
                      for _ in range(5000)]
        self.pending = b""

    def chunk(self):
        if self.rng.random() < 0.25:
            return self.rng.randbytes(64 * 1024)
        return b" ".join(self.rng.choices(self.words, k=24000))[:192 * 1024]

    def read(self, size):
        parts, have = [self.pending], len(self.pending)
        while have < size:
            c = self.chunk()
            parts.append(c)
            have += len(c)
        data = b"".join(parts)
        self.pending = data[size:]
        return data[:size]


def write_mixed(path, size, seed):
    source = MixedData(seed)
    with open(path, "wb") as f:
        left = size
        while left:
            block = source.read(min(left, 8 * MIB))
            f.write(block)
            left -= len(block)
    os.utime(path, (FIXED_MTIME, FIXED_MTIME))


def write_text(path, size, seed):
    """Prose-like text: words of a Zipf-like vocabulary, sentences, lines."""
    rng = random.Random(seed)
    vocabulary = [bytes(rng.choice(b"etaoinshrdlcumwfgypbvkjxqz") for _ in range(rng.randint(1, 11)))
                  for _ in range(20000)]
    weights = [1.0 / (i + 1) for i in range(len(vocabulary))]
    with open(path, "wb") as f:
        left = size
        while left:
            words = rng.choices(vocabulary, weights, k=40000)
            lines = []
            for i in range(0, len(words), 12):
                line = b" ".join(words[i:i + 12])
                lines.append(line[:1].upper() + line[1:] + b".")
            block = b"\n".join(lines)[:left]
            f.write(block)
            left -= len(block)
    os.utime(path, (FIXED_MTIME, FIXED_MTIME))


def write_tree(root, folders, files_per_folder, seed):
    rng = random.Random(seed)
    source = MixedData(seed + 1)
    for d in range(folders):
        folder = os.path.join(root, f"dir{d:03d}")
        os.makedirs(folder, exist_ok=True)
        for n in range(files_per_folder):
            path = os.path.join(folder, f"file{n:03d}.dat")
            with open(path, "wb") as f:
                f.write(source.read(rng.randint(1024, 16 * 1024)))
            os.utime(path, (FIXED_MTIME, FIXED_MTIME))
        os.utime(folder, (FIXED_MTIME, FIXED_MTIME))


# Each case: how its data is made (in a folder of its own) and how 7zz packs it.
CASES = {
    "1": dict(name="256 MiB mixed, LZMA2", data="single", switches=["-m0=LZMA2", "-mmt2"]),
    "2": dict(name="20000 files in 200 folders, LZMA2 solid", data="tree",
              switches=["-m0=LZMA2", "-mmt2", "-ms=on"]),
    "3": dict(name="128 MiB text, PPMd", data="text", switches=["-m0=PPMd"]),
    "4": dict(name="256 MiB mixed, LZMA2, AES-256", data="single",
              switches=["-m0=LZMA2", "-mmt2", "-p" + PASSWORD, "-mhe=off"]),
    # An explicit block size makes the LZMA2 encoder start a new independent
    # block (state and dictionary reset) every 32 MiB, which the decoder can
    # spread over its threads.
    "5": dict(name="256 MiB mixed, LZMA2 in 32 MiB blocks", data="single",
              switches=["-m0=LZMA2:d=16m:c=32m", "-mmt2"]),
    "6": dict(name="empty archive", data="empty", switches=[]),
}


def make_data(kind, folder):
    stamp = os.path.join(folder, ".done")
    if os.path.exists(stamp):
        return
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    if kind == "single":
        write_mixed(os.path.join(folder, "payload.bin"), 256 * MIB, 2026)
    elif kind == "text":
        write_text(os.path.join(folder, "book.txt"), 128 * MIB, 1926)
    elif kind == "tree":
        write_tree(folder, 200, 100, 7)
    open(stamp, "w").close()


def make_archive(sevenzip, case, inputs):
    """The case's archive, made from its data with its switches."""
    spec = CASES[case]
    recipe = json.dumps([RECIPE_VERSION, spec["data"], spec["switches"]])
    archive = os.path.join(inputs, f"case{case}.7z")
    recipe_file = archive + ".recipe"
    if os.path.exists(recipe_file) and open(recipe_file).read() == recipe and os.path.exists(archive):
        return archive
    data = os.path.join(inputs, "data-" + spec["data"])
    make_data(spec["data"], data)
    if os.path.exists(archive):
        os.remove(archive)
    print(f"case {case}: packing {spec['name']}", flush=True)
    names = sorted(n for n in os.listdir(data) if not n.startswith("."))
    # -x excludes everything for the empty archive, which 7zz then writes with no entry.
    args = names if names else ["-x!*", "."]
    subprocess.run([sevenzip, "a", "-t7z", "-bd", "-bso0", "-bsp0", *spec["switches"], archive, *args],
                   cwd=data, check=True)
    with open(recipe_file, "w") as f:
        f.write(recipe)
    return archive


def add_setup(sevenzip, case, archive, setup_exe):
    """A copy of the archive with setup.exe added in a block of its own (the
    case's blocks stay as they are)."""
    with_setup = archive[:-3] + "-setup.7z"
    folder = os.path.join(os.path.dirname(archive), "setup")
    os.makedirs(folder, exist_ok=True)
    target = os.path.join(folder, "setup.exe")
    with open(setup_exe, "rb") as f:
        setup_bytes = f.read()
    if os.path.exists(with_setup) and os.path.exists(target) and open(target, "rb").read() == setup_bytes \
            and os.path.getmtime(with_setup) >= os.path.getmtime(archive):
        return with_setup
    with open(target, "wb") as f:
        f.write(setup_bytes)
    os.utime(target, (FIXED_MTIME, FIXED_MTIME))
    shutil.copyfile(archive, with_setup)
    extra = [s for s in CASES[case]["switches"] if s.startswith("-p") or s.startswith("-mhe")]
    subprocess.run([sevenzip, "a", "-t7z", "-bd", "-bso0", "-bsp0", "-m0=LZMA2", *extra, with_setup, "setup.exe"],
                   cwd=folder, check=True)
    return with_setup


# ---------------------------------------------------------------- running

def win_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def cmdline(args):
    return subprocess.list2cmdline(args)


def linux_cpu_seconds(exe_name):
    """User plus system time so far of the Linux process that runs the Windows
    program exe_name (Wine runs each Windows process as one Linux process whose
    first argument is the program's path), or None while there is none."""
    tick = os.sysconf("SC_CLK_TCK")
    total = None
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                argv0 = f.read().split(b"\0", 1)[0].decode(errors="replace")
            if not argv0.replace("/", "\\").lower().endswith("\\" + exe_name.lower()):
                continue
            with open(f"/proc/{pid}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        total = (total or 0) + (int(fields[11]) + int(fields[12])) / tick
    return total


class Runner:
    def __init__(self, mingw, wine_dir, work):
        self.wine_run = [os.path.join(TOOLS, "wine-run.sh"), wine_dir, "1800"]
        self.memprobe = os.path.join(mingw, "bin", "memprobe.exe")
        self.report = os.path.join(work, "memprobe-report.txt")

    def run(self, command_line, exe_name, answer_password=None, env=None):
        """elapsed seconds, processor seconds, peak working set bytes, exit code.
        Wine keeps no processor times of another process, so they are sampled
        from /proc while the program runs (the last sample counts)."""
        if os.path.exists(self.report):
            os.remove(self.report)
        args = [self.memprobe]
        if answer_password is not None:
            args += ["--answer-password", answer_password]
        args += [win_path(self.report), command_line]
        process = subprocess.Popen(self.wine_run + args, stdout=subprocess.DEVNULL,
                                   env=dict(os.environ, **(env or {})))
        cpu = 0.0
        while True:
            try:
                process.wait(timeout=0.25)
                break
            except subprocess.TimeoutExpired:
                sample = linux_cpu_seconds(exe_name)
                if sample is not None:
                    cpu = max(cpu, sample)
        if process.returncode != 0:
            raise RuntimeError(f"memprobe ended with {process.returncode}")
        facts = {}
        with open(self.report, encoding="utf-8") as f:
            for line in f:
                key, _, value = line.strip().partition(" ")
                facts[key] = value
        if "error" in facts:
            raise RuntimeError("memprobe: " + facts["error"])
        return (int(facts["elapsed_ms"]) / 1000.0, cpu, int(facts["peak_working_set"]), int(facts["exit"]))


def same_tree(a, b):
    """Both folders hold the same files with the same bytes."""
    def listing(root):
        out = []
        for folder, dirs, files in os.walk(root):
            dirs.sort()
            for name in sorted(files):
                out.append(os.path.relpath(os.path.join(folder, name), root))
        return out
    left, right = listing(a), listing(b)
    if left != right:
        return False
    _, mismatch, errors = filecmp.cmpfiles(a, b, left, shallow=False)
    return not mismatch and not errors


def measure_case(runner, case, package, archive, reference, work, runs, setup_row):
    out_stub, out_ref = os.path.join(work, "out-stub"), os.path.join(work, "out-ref")
    probe_report = os.path.join(work, "setupprobe-report.txt")
    password = PASSWORD if any(s.startswith("-p") for s in CASES[case]["switches"]) else None
    ref_args = [reference, "x", "-y", "-bso0", "-bsp0", "-o" + win_path(out_ref)]
    if password:
        ref_args.append("-p" + password)
    ref_line = cmdline(ref_args + [win_path(archive)])
    if setup_row:
        stub_line = cmdline([win_path(package), "/q"])
    else:
        stub_line = cmdline([win_path(package), "/x", win_path(out_stub), "/q"])
    results = {"stub": [], "ref": []}
    for i in range(runs):
        for target in ("stub", "ref") if i % 2 == 0 else ("ref", "stub"):
            shutil.rmtree(out_stub if target == "stub" else out_ref, ignore_errors=True)
            if os.path.exists(probe_report):
                os.remove(probe_report)
            if target == "stub":
                result = runner.run(stub_line, os.path.basename(package), answer_password=password,
                                    env={"SFX_PROBE_REPORT": win_path(probe_report)})
            else:
                result = runner.run(ref_line, os.path.basename(reference))
            if result[3] != 0:
                raise RuntimeError(f"case {case}: {target} ended with exit code {result[3]}")
            if target == "stub" and setup_row and not os.path.exists(probe_report):
                raise RuntimeError(f"case {case}: the setup did not run")
            results[target].append(result)
        if i == 0 and not setup_row:
            # Run in the second order of round 0, so both folders exist now.
            if not same_tree(out_stub, out_ref):
                raise RuntimeError(f"case {case}: stub and reference extracted different files")
    for folder in (out_stub, out_ref):
        shutil.rmtree(folder, ignore_errors=True)
    return results


def summarise(label, results):
    stub, ref = results["stub"], results["ref"]
    s_time = statistics.median(r[0] for r in stub)
    r_time = statistics.median(r[0] for r in ref)
    s_mem = max(r[2] for r in stub)
    r_mem = max(r[2] for r in ref)
    s_cpu = statistics.median(r[1] / r[0] for r in stub)
    r_cpu = statistics.median(r[1] / r[0] for r in ref)
    return dict(label=label, stub=s_time, ref=r_time, ratio=s_time / r_time if r_time else float("nan"),
                stub_mem=s_mem, ref_mem=r_mem, mem_ratio=s_mem / r_mem if r_mem else float("nan"),
                stub_cpu=s_cpu, ref_cpu=r_cpu,
                stub_runs=[r[0] for r in stub], ref_runs=[r[0] for r in ref])


def print_table(rows, runs, stream=sys.stdout):
    header = ("| case | stub median s | 7zz x median s | ratio | stub peak MiB | 7zz peak MiB | mem ratio "
              "| stub cpu/wall | 7zz cpu/wall |")
    print(f"\n{runs} runs each, alternating; peak = PeakWorkingSetSize; cpu/wall = processor time / elapsed "
          "(above 1: more than one core busy)", file=stream)
    print(header, file=stream)
    print("|---|---:|---:|---:|---:|---:|---:|---:|---:|", file=stream)
    for r in rows:
        print(f"| {r['label']} | {r['stub']:.2f} | {r['ref']:.2f} | {r['ratio']:.3f} | {r['stub_mem'] / MIB:.1f} "
              f"| {r['ref_mem'] / MIB:.1f} | {r['mem_ratio']:.2f} | {r['stub_cpu']:.2f} | {r['ref_cpu']:.2f} |",
              file=stream)
    print("\nruns (s):", file=stream)
    for r in rows:
        print(f"  {r['label']}: stub {' '.join(f'{t:.2f}' for t in r['stub_runs'])}; "
              f"7zz {' '.join(f'{t:.2f}' for t in r['ref_runs'])}", file=stream)


# ---------------------------------------------------------------- main

def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--cases", default=",".join(CASES))
    parser.add_argument("--no-setup", action="store_true", help="leave out the /q runs with a setup")
    parser.add_argument("--setup-cases", default=None, help="cases that get a /q row (default: all chosen)")
    parser.add_argument("--no-build", action="store_true", help="use the build trees as they are")
    parser.add_argument("--prepare-only", action="store_true", help="make the inputs and packages, run nothing")
    parser.add_argument("--inputs-only", action="store_true", help="make the archives only (no build, no package)")
    parser.add_argument("--skip-search", action="store_true", help="leave out the configuration-search benchmark")
    args = parser.parse_args()
    sys.stdout.reconfigure(line_buffering=True)  # tables appear as each case ends, also in a log file

    native = os.path.abspath(os.environ.get("SFX_BENCH_NATIVE", os.path.join(ROOT, "build")))
    mingw = os.path.abspath(os.environ.get("SFX_BENCH_MINGW", os.path.join(native, "mingw")))
    wine_dir = os.path.abspath(os.environ.get("SFX_BENCH_WINE", os.path.join(native, "wine")))
    work = os.path.abspath(os.environ.get("SFX_BENCH_WORK", os.path.join(native, "bench")))
    cases = [c.strip() for c in args.cases.split(",") if c.strip()]
    setup_cases = [] if args.no_setup else (
        cases if args.setup_cases is None else [c.strip() for c in args.setup_cases.split(",") if c.strip()])
    for c in cases + setup_cases:
        if c not in CASES:
            parser.error(f"no case {c}")

    if not args.no_build and not args.inputs_only:
        subprocess.run(["cmake", "--build", mingw, "-j2", "--target", "sfxstub", "setupprobe", "memprobe",
                        "7z_reference"], check=True)
        subprocess.run(["cmake", "--build", native, "-j2", "--target", "sfxpack", "config_search_bench"],
                       check=True)
    sevenzip = shutil.which("7zz")
    if sevenzip is None:
        sys.exit("7zz not found (tools/bootstrap.sh installs the 7zip package)")
    bin_dir = os.path.join(mingw, "bin")
    stub = os.path.join(bin_dir, "sfxstub.exe")
    reference = os.path.join(bin_dir, "7zz-reference.exe")
    sfxpack = os.environ.get("SFX_BENCH_SFXPACK", os.path.join(native, "bin", "sfxpack"))

    inputs = os.path.join(work, "inputs")
    os.makedirs(inputs, exist_ok=True)
    config = os.path.join(work, "config.txt")
    with open(config, "w") as f:
        f.write("[main]\nProductName=Benchmark\n")
    packages = {}
    for case in dict.fromkeys(cases + setup_cases):
        archive = make_archive(sevenzip, case, inputs)
        sources = [("x", archive)]
        if case in setup_cases and not args.inputs_only:
            sources.append(("setup", add_setup(sevenzip, case, archive, os.path.join(bin_dir, "setupprobe.exe"))))
        if args.inputs_only:
            continue
        for suffix, source in sources:
            package = os.path.join(work, f"case{case}-{suffix}.exe")
            subprocess.run([sfxpack, "build", "--stub", stub, "--config", config, "--archive", source,
                            "-o", package], check=True, stdout=subprocess.DEVNULL)
            packages[case, suffix] = (package, source)
    if args.prepare_only or args.inputs_only:
        return 0

    rows = []
    if cases or setup_cases:
        display_was_up = os.path.exists(os.path.join(wine_dir, "xvfb.pid"))
        subprocess.run([os.path.join(TOOLS, "wine-env.sh"), "up", wine_dir], check=True)
        try:
            runner = Runner(mingw, wine_dir, work)
            for case in cases:
                package, archive = packages[case, "x"]
                results = measure_case(runner, case, package, archive, reference, work, args.runs, False)
                rows.append(summarise(f"{case}) {CASES[case]['name']}", results))
                print_table(rows[-1:], args.runs)
            for case in setup_cases:
                package, archive = packages[case, "setup"]
                results = measure_case(runner, case, package, archive, reference, work, args.runs, True)
                rows.append(summarise(f"{case}) {CASES[case]['name']} +setup", results))
                print_table(rows[-1:], args.runs)
        finally:
            if not display_was_up:
                # Stops Xvfb and the wineserver and unmounts the tests' small file system.
                subprocess.run([os.path.join(TOOLS, "wine-env.sh"), "down", wine_dir], check=False)
        print("\n=== all cases")
        print_table(rows, args.runs)

    if not args.skip_search:
        print("\n=== configuration-block search (native)")
        subprocess.run([os.path.join(native, "bin", "config_search_bench")], check=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
