#!/usr/bin/env python3
# Writes the tables of GB18030 that code page 936 lacks, from Python's own gb18030 codec:
# the ranges of the four-byte form within the Basic Multilingual Plane (each range maps a
# run of consecutive four-byte indexes onto consecutive code points), and the two-byte
# codes that 936 reads as private-use characters where GB18030 names a real one.
#   usage: MakeGb18030Table.py OUTPUT.cpp
import sys


def four_byte_index(code):
    return (((code[0] - 0x81) * 10 + (code[1] - 0x30)) * 126 + (code[2] - 0x81)) * 10 + (code[3] - 0x30)


ranges = []
previous = None
for point in range(0x80, 0x10000):
    if 0xD800 <= point < 0xE000:
        continue
    code = chr(point).encode("gb18030")
    if len(code) != 4:
        continue
    index = four_byte_index(code)
    if not (previous and previous[0] + 1 == point and previous[1] + 1 == index):
        ranges.append((point, index))
    previous = (point, index)
last_index = previous[1]

pairs = []
for lead in range(0x81, 0xFF):
    for trail in list(range(0x40, 0x7F)) + list(range(0x80, 0xFF)):
        code = bytes([lead, trail])
        try:
            point = ord(code.decode("gb18030"))
        except UnicodeDecodeError:
            continue
        if 0xE000 <= point <= 0xF8FF:
            continue
        try:
            if code.decode("cp936") == chr(point):
                continue
        except UnicodeDecodeError:
            pass
        pairs.append(((lead << 8) | trail, point))

supplementary = four_byte_index(chr(0x10000).encode("gb18030"))

with open(sys.argv[1], "w", encoding="ascii") as out:
    out.write("// Made by MakeGb18030Table.py from Python's gb18030 codec; not edited by hand.\n")
    out.write('#include "kx/base/KxGb18030.h"\n\n')
    out.write("const KxGbRange kKxGbRanges[] = {\n")
    for point, index in ranges:
        out.write("  {0x%04X, %d},\n" % (point, index))
    out.write("};\n")
    out.write("const int kKxGbRangeCount = %d;\n" % len(ranges))
    out.write("const int kKxGbLastBmpIndex = %d;\n" % last_index)
    out.write("const int kKxGbSupplementaryIndex = %d;\n\n" % supplementary)
    out.write("const KxGbPair kKxGbPairs[] = {\n")
    for code, point in pairs:
        out.write("  {0x%04X, 0x%04X},\n" % (code, point))
    out.write("};\n")
    out.write("const int kKxGbPairCount = %d;\n" % len(pairs))
    out.write("const KxGbPair kKxGbPairsByPoint[] = {\n")
    for code, point in sorted(pairs, key=lambda pair: pair[1]):
        out.write("  {0x%04X, 0x%04X},\n" % (code, point))
    out.write("};\n")
