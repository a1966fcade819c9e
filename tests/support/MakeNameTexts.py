#!/usr/bin/env python3
# Writes a header of test texts, each as UTF-16 and as its GB18030 bytes by Python's own
# codec, so a test compares the program's conversion with an encoder that is not ours.
#   usage: MakeNameTexts.py TEXTS.txt OUTPUT.h   (TEXTS: "kName<TAB>text" lines, UTF-8;
#   "\u{80}" stands for a character by its code point)
import re
import sys

lines = [l.rstrip("\n") for l in open(sys.argv[1], encoding="utf-8") if l.strip() and not l.startswith("#")]
with open(sys.argv[2], "w", encoding="ascii") as out:
    out.write("// Made by MakeNameTexts.py; not edited by hand.\n#pragma once\n\n")
    out.write("struct NameText {\n  const wchar_t* wide;\n  const char* gb18030;\n  int gbLength;\n};\n\n")
    for line in lines:
        name, text = line.split("\t", 1)
        text = re.sub(r"\\u\{([0-9A-Fa-f]+)\}", lambda m: chr(int(m.group(1), 16)), text)
        units = text.encode("utf-16-le")
        wide = ", ".join("0x%04X" % int.from_bytes(units[i:i + 2], "little") for i in range(0, len(units), 2))
        gb = text.encode("gb18030")
        out.write("constexpr wchar_t %sWide[] = {%s, 0};\n" % (name, wide))
        out.write("constexpr char %sGb[] = \"%s\";\n" % (name, "".join("\\x%02x" % b for b in gb)))
        out.write("constexpr NameText %s = {%sWide, %sGb, %d};\n\n" % (name, name, name, len(gb)))
