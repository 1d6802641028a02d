#!/usr/bin/env python3
"""Writes framework/core/UnicodeCase.inc: the simple lower- and upper-case mappings of all of
Unicode as runs of (first, last, delta, step), for the program's one case mapping on every build.

A run maps every step-th code point from first to last by adding delta. The mapping is Python's
unicodedata (one character to one character; a character whose case mapping needs several keeps
its own, except U+0130, whose simple lower case is U+0069). Run it again when Python's Unicode
version moves on: python3 tools/unicode/make_case_table.py > framework/core/UnicodeCase.inc
"""
import sys
import unicodedata


def simple(cp, lower):
    ch = chr(cp)
    mapped = ch.lower() if lower else ch.upper()
    if len(mapped) == 1:
        return ord(mapped)
    if lower and cp == 0x130:
        return 0x69
    return cp


def runs(lower):
    pairs = [(cp, simple(cp, lower) - cp) for cp in range(0x110000)
             if not 0xD800 <= cp <= 0xDFFF and simple(cp, lower) != cp]
    out = []
    i = 0
    while i < len(pairs):
        first, delta = pairs[i]
        # The longest run from here with step 1, or else step 2.
        best = (first, 1, 1)
        for step in (1, 2):
            j = i
            while j + 1 < len(pairs) and pairs[j + 1] == (pairs[j][0] + step, delta):
                j += 1
            count = j - i + 1
            if count > best[2]:
                best = (pairs[j][0], step, count)
        last, step, count = best
        out.append((first, last, delta, step))
        i += count
    return out


def emit(name, table):
    print("const CCaseRun %s[] = {" % name)
    for first, last, delta, step in table:
        print("    {0x%04X, 0x%04X, %d, %d}," % (first, last, delta, step))
    print("};")


print("// Made by tools/unicode/make_case_table.py from Unicode %s; do not edit." % unicodedata.unidata_version)
emit("kLowerRuns", runs(True))
emit("kUpperRuns", runs(False))
