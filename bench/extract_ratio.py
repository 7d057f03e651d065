#!/usr/bin/env python3
"""Extraction time of a package against 7-Zip's own console on the same
archive, both under the same Wine: the ratio of the medians of alternating runs.

    bench/extract_ratio.py BUILD_DIR [--size-mib 200] [--runs 5]

BUILD_DIR is the native build folder (its mingw/ sub-build holds the stub and,
after `ninja -C BUILD_DIR/mingw 7z_reference`, bin/7zz-reference.exe). The
data is pseudo-random but seeded, so every run measures the same bytes."""

import argparse
import os
import random
import shutil
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def make_data(path, size):
    """Mixed compressible data: text-like runs with random stretches between."""
    rng = random.Random(2026)
    words = [bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 9))) for _ in range(5000)]
    with open(path, "wb") as f:
        written = 0
        while written < size:
            if rng.random() < 0.25:
                chunk = rng.randbytes(64 * 1024)
            else:
                chunk = b" ".join(rng.choice(words) for _ in range(24000))[:192 * 1024]
            chunk = chunk[: size - written]
            f.write(chunk)
            written += len(chunk)


def win_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def timed(command):
    started = time.monotonic()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    return time.monotonic() - started


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--size-mib", type=int, default=200)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    work = os.path.join(build, "bench-extract")
    os.makedirs(work, exist_ok=True)
    wine_dir = os.path.join(build, "wine")
    tools = os.path.join(ROOT, "tools")
    stub = os.path.join(build, "mingw", "bin", "sfxstub.exe")
    reference = os.path.join(build, "mingw", "bin", "7zz-reference.exe")
    subprocess.run(["ninja", "-C", os.path.join(build, "mingw"), "7z_reference"], check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run([os.path.join(tools, "wine-env.sh"), "up", wine_dir], check=True)
    try:
        return measure(args, build, work, wine_dir, tools, stub, reference)
    finally:
        # Stops Xvfb and the wineserver and unmounts the tests' small file system.
        subprocess.run([os.path.join(tools, "wine-env.sh"), "down", wine_dir], check=False)


def measure(args, build, work, wine_dir, tools, stub, reference):
    data_dir = os.path.join(work, "data")
    archive = os.path.join(work, f"single-{args.size_mib}.7z")
    if not os.path.exists(archive):
        os.makedirs(data_dir, exist_ok=True)
        make_data(os.path.join(data_dir, "payload.bin"), args.size_mib * 1024 * 1024)
        subprocess.run(["7zz", "a", "-bd", "-bso0", "-m0=LZMA2", archive, "payload.bin"], cwd=data_dir, check=True)
    config = os.path.join(work, "config.txt")
    with open(config, "w") as f:
        f.write("[main]\nProductName=Benchmark\n")
    package = os.path.join(work, "Bench.exe")
    subprocess.run([os.path.join(build, "bin", "sfxpack"), "build", "--stub", stub, "--config", config,
                    "--archive", archive, "-o", package], check=True, stdout=subprocess.DEVNULL)

    run = [os.path.join(tools, "wine-run.sh"), wine_dir, "900"]
    out_stub, out_ref = os.path.join(work, "out-stub"), os.path.join(work, "out-ref")
    stub_times, ref_times = [], []
    for i in range(args.runs):
        for target in ("stub", "ref") if i % 2 == 0 else ("ref", "stub"):
            out = out_stub if target == "stub" else out_ref
            shutil.rmtree(out, ignore_errors=True)
            if target == "stub":
                stub_times.append(timed(run + [package, "/x", win_path(out), "/q"]))
            else:
                ref_times.append(timed(run + [reference, "x", "-y", "-bso0", "-bsp0", "-o" + win_path(out),
                                              win_path(archive)]))
    subprocess.run(["cmp", os.path.join(out_stub, "payload.bin"), os.path.join(out_ref, "payload.bin")], check=True)
    stub_median, ref_median = statistics.median(stub_times), statistics.median(ref_times)
    print(f"{args.size_mib} MiB LZMA2, {args.runs} runs each")
    print(f"stub      median {stub_median:.2f} s  runs {' '.join(f'{t:.2f}' for t in stub_times)}")
    print(f"7zz x     median {ref_median:.2f} s  runs {' '.join(f'{t:.2f}' for t in ref_times)}")
    print(f"ratio stub / 7zz = {stub_median / ref_median:.3f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
