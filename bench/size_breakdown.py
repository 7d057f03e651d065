#!/usr/bin/env python3
"""What takes the space in a linked program: sums the input sections of a GNU
ld link map (-Wl,-Map=FILE) per archive (or per object) and output section.

    bench/size_breakdown.py MAP [--by-object] [--top 40] [--grep TEXT]

Only sections that the link kept are in the map's memory part, so the sums
are what the program holds (before file alignment; .reloc and the import
tables are made by the linker and show as "(linker)")."""

import argparse
import collections
import os
import re
import sys

COLUMNS = [".text", ".rdata", ".data", ".eh_frame", ".bss", ".rsrc", "other"]
# An input-section line: name, address, size, file (the name may stand alone
# on the line before when it is long).
INPUT = re.compile(r"^ (\S+)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(.+)$")
NAME_ONLY = re.compile(r"^ (\S+)$")
REST = re.compile(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(.+)$")
OUTPUT = re.compile(r"^(\.\S+)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)")


def unit_of(path, by_object):
    """libboost_log.a(core.o) -> libboost_log.a, or the whole text with --by-object."""
    match = re.match(r"^(.*?)\((.*)\)$", path)
    if match:
        archive = os.path.basename(match.group(1))
        return f"{archive}({match.group(2)})" if by_object else archive
    return os.path.basename(path)


def group_of(unit):
    """A coarse owner of a unit: our code, the engine, Boost, the C++ runtime."""
    name = unit.split("(")[0]
    if name.startswith("libsevenzip"):
        return "7-Zip engine"
    if name.startswith("libboost_"):
        return "Boost." + name[len("libboost_"):].split(".")[0]
    if name in ("libstdc++.a", "libsupc++.a"):
        return "libstdc++"
    if name in ("libgcc.a", "libgcc_eh.a", "libmingw32.a", "libmingwex.a", "libmsvcrt.a", "libmoldname.a",
                "libpthread.a", "libwinpthread.a") or name.startswith("crt"):
        return "C runtime (gcc, mingw, winpthreads)"
    if name.endswith(".res"):
        return "resources"
    if name.startswith("lib") and name.endswith(".a") and not name.startswith(
            ("libsfx", "libriviru", "libframework", "libcommon_setup")):
        return "import libraries"
    if name in ("(linker)", "dll stuff"):
        return "(linker)"
    return "our code"


def parse(path, by_object):
    sums = collections.defaultdict(lambda: collections.Counter())
    totals = collections.Counter()
    in_memory_map = False
    section = None
    pending = None
    with open(path, errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if not in_memory_map:
                in_memory_map = line.startswith("Linker script and memory map")
                continue
            out = OUTPUT.match(line)
            if out:
                section = out.group(1)
                totals[section] += int(out.group(3), 16)
                pending = None
                continue
            if line.startswith("."):
                # An output section whose address and size follow on the next line.
                section = line.split()[0]
                pending = None
                continue
            if section is None:
                continue
            match = INPUT.match(line)
            if match:
                name, size, origin = match.group(1), int(match.group(3), 16), match.group(4)
            else:
                alone = NAME_ONLY.match(line)
                if alone and not line.strip().startswith("*"):
                    pending = alone.group(1)
                    continue
                rest = REST.match(line) if pending else None
                if not rest:
                    pending = None
                    continue
                name, size, origin = pending, int(rest.group(2), 16), rest.group(3)
                pending = None
            if size == 0 or origin.startswith("0x") or "=" in origin:
                continue
            column = section if section in COLUMNS else "other"
            sums[unit_of(origin.strip(), by_object)][column] += size
    return sums, totals


def show(rows, title, top):
    width = max([len(title)] + [len(r[0]) for r in rows[:top]])
    print(f"{title:<{width}} " + " ".join(f"{c:>10}" for c in COLUMNS) + f" {'total':>10}")
    for name, counter in rows[:top]:
        print(f"{name:<{width}} " + " ".join(f"{counter[c]:>10}" for c in COLUMNS) +
              f" {sum(counter.values()):>10}")
    if len(rows) > top:
        print(f"... {len(rows) - top} more")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("map")
    parser.add_argument("--by-object", action="store_true", help="one row per archive member")
    parser.add_argument("--top", type=int, default=40)
    parser.add_argument("--grep", help="only units whose name contains this text")
    args = parser.parse_args()
    sums, totals = parse(args.map, args.by_object)

    groups = collections.defaultdict(collections.Counter)
    for unit, counter in sums.items():
        groups[group_of(unit)].update(counter)
    ordered = sorted(groups.items(), key=lambda kv: -sum(kv[1].values()))
    show(ordered, "group", len(ordered))
    all_units = collections.Counter()
    for counter in groups.values():
        all_units.update(counter)
    print(f"{'sum of input sections':<34} {sum(all_units.values()):>10}")
    print("output sections: " + ", ".join(f"{k} {v}" for k, v in sorted(totals.items(), key=lambda kv: -kv[1])
                                          if v))
    print()
    units = [(u, c) for u, c in sums.items() if not args.grep or args.grep in u]
    units.sort(key=lambda kv: -sum(kv[1].values()))
    show(units, "object" if args.by_object else "archive / object", args.top)
    return 0


if __name__ == "__main__":
    sys.exit(main())
