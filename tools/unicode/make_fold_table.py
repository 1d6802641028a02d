#!/usr/bin/env python3
"""Writes framework/core/UnicodeFold.inc: for every Latin and Greek letter with a diacritic, the
lower-case letter without it, as sorted pairs (code point, base), for the program's matching of
names and places that ignores accents (Müller, Muller; Ελένη, Ελενη).

A letter qualifies when its canonical decomposition is one base letter of the same script
followed by combining marks only. Letters that have no decomposition but are commonly written
without their stroke (ø, ł, đ, ħ, ŧ, ı) are added by hand; those that stand for two letters (ß,
æ, œ, þ) are the program's own rule, not a table's. Run it again when Python's Unicode version
moves on: python3 tools/unicode/make_fold_table.py > framework/core/UnicodeFold.inc
"""
import unicodedata

BY_HAND = {
    "ø": "o", "Ø": "o", "ł": "l", "Ł": "l", "đ": "d", "Đ": "d", "ħ": "h", "Ħ": "h",
    "ŧ": "t", "Ŧ": "t", "ı": "i",
}


def script_ok(ch):
    name = unicodedata.name(ch, "")
    return name.startswith("LATIN") or name.startswith("GREEK")


def base_of(cp):
    ch = chr(cp)
    if ch in BY_HAND:
        return ord(BY_HAND[ch])
    if not script_ok(ch):
        return None
    decomposed = unicodedata.normalize("NFD", ch)
    if len(decomposed) < 2 or not all(unicodedata.category(c) == "Mn" for c in decomposed[1:]):
        return None
    base = decomposed[0].lower()
    if len(base) != 1 or not script_ok(base):
        return None
    return ord(base)


pairs = [(cp, base_of(cp)) for cp in range(0x80, 0x10000) if base_of(cp) is not None]
print("// Made by tools/unicode/make_fold_table.py from Unicode %s; do not edit." % unicodedata.unidata_version)
print("const CFoldPair kFoldPairs[] = {")
for i in range(0, len(pairs), 6):
    print("    " + " ".join("{0x%04X, 0x%04X}," % p for p in pairs[i:i + 6]))
print("};")
