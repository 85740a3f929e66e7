#!/usr/bin/env python3
"""What an executable's bytes go to, from the GNU ld map of its link.

    map_summary.py <map file> <size of the shipped file>

Groups every input section that ends up in the file (debug sections and .bss take no file
space and are left out) by what brought it: our code, the C++ runtime, the C runtime, zlib,
import tables, resources. Prints each group and the biggest single objects; what the groups do
not account for is the PE headers, the linker's own tables and the padding of each section to
the 512-byte file alignment.
"""
import collections
import re
import sys

GROUPS = [
    ("stored archive (payloads, agreement)", re.compile(r"installer_archive\.rc\.res$")),
    ("our resources (pages, icons)", re.compile(r"\.res$")),
    ("zlib", re.compile(r"libz\.a\(|libzm_zlib\.a\(")),
    ("C++ runtime (libstdc++, libgcc, our exception support)",
     re.compile(r"libstdc\+\+\.a|libgcc(_eh)?\.a|libsupc\+\+|crtbegin|crtend|cxx_library|cxx_exceptions|give_up")),
    ("C runtime (mingw's start-up and msvcrt's import stubs, or our entry point and C library)",
     re.compile(r"crt2\.o|libmingw32\.a|libmingwex\.a|libmsvcrt|process_entry|end_functions|c_heap|c_strings")),
    ("import tables (system DLLs)", re.compile(r"lib(kernel|user|gdi|advapi|comctl|shell|ole)32\.a")),
    ("our code", re.compile(r"\.(cpp\.)?obj$|libzm_|\.o$")),
]


def input_sections(lines):
    start = next(i for i, line in enumerate(lines) if line.startswith("Linker script and memory map"))
    lines = lines[start:]
    for i, line in enumerate(lines):
        only_name = re.match(r"^ (\.\S+)\s*$", line)
        if only_name and i + 1 < len(lines):
            rest = lines[i + 1].split()
            if len(rest) >= 3 and rest[0].startswith("0x"):
                yield only_name.group(1), int(rest[1], 16), rest[2]
            continue
        full = re.match(r"^ (\.\S+)\s+(0x[0-9a-f]+)\s+(0x[0-9a-f]+)\s+(\S+)", line)
        if full:
            yield full.group(1), int(full.group(3), 16), full.group(4)


def main():
    lines = open(sys.argv[1], encoding="utf-8", errors="replace").read().split("\n")
    file_size = int(sys.argv[2])
    per_object = collections.Counter()
    for section, size, origin in input_sections(lines):
        if size == 0 or section.startswith((".debug", ".bss", ".tls$ZZZ")):
            continue
        per_object[re.sub(r"^.*/", "", origin)] += size
    per_group = collections.Counter()
    members = collections.defaultdict(list)
    for name, size in per_object.items():
        group = next((g for g, pattern in GROUPS if pattern.search(name)), "linker-made (relocations, tables)")
        per_group[group] += size
        members[group].append((size, name))
    for group, size in per_group.most_common():
        biggest = ", ".join(f"{n} {s}" for s, n in sorted(members[group], reverse=True)[:4])
        print(f"  {size:8d}  {group}: {biggest}")
    print(f"  {file_size - sum(per_group.values()):8d}  PE headers and section padding")
    print(f"  {file_size:8d}  total")


if __name__ == "__main__":
    main()
