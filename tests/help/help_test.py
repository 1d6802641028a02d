#!/usr/bin/env python3
"""Checks the help pages that ship beside tbook.exe.

  help_test.py SOURCE_ROOT [--installed DIR]

- every page in Help/ is well-formed and uses no script, no external resource and no web font;
- every local link and anchor resolves, ids are unique, and every section is in the contents;
- every text a page quotes as the program's own (an element of class "ui") is a string of the
  program: res/*.rc or the C++ sources outside the tests. A <var> inside it stands for what the
  program fills in (a printf conversion). Inside an element of class "pending" (behaviour that is
  being built) a text not found yet is listed, not failed;
- with --installed, the copy beside the program is the same as Help/.
"""
import os
import re
import sys
import xml.etree.ElementTree as ET

SOURCE_FOLDERS = ("app", "ui", "data", "interchange", "sync", "framework", "tools", "res")
SOURCE_SUFFIXES = (".cpp", ".h", ".rc")
# Attributes that load or lead somewhere.
LINK_ATTRIBUTES = ("href", "src", "data", "background", "action")
FORBIDDEN_ELEMENTS = ("script", "iframe", "object", "embed", "applet", "frame", "base")
PRINTF_CONVERSION = r"%[-+ #0-9.]*[hlLqjzt]*[diouxXeEfgGcsp]"

failures = []
notes = []


def fail(message):
    failures.append(message)


def local_name(tag):
    return tag.split("}", 1)[-1] if isinstance(tag, str) else ""


def classes(element):
    return element.get("class", "").split()


def normalise(text):
    return " ".join(text.split())


# --- The program's strings -------------------------------------------------------------------

def c_literals(text, rc):
    """The string literals of a C++ or resource file, adjacent ones joined, escapes resolved."""
    literals = []
    i, n = 0, len(text)
    pending = None  # the literal being joined with the ones that follow it

    def flush():
        nonlocal pending
        if pending is not None:
            literals.append(pending)
            pending = None

    while i < n:
        c = text[i]
        if text.startswith("//", i):
            i = text.find("\n", i)
            i = n if i < 0 else i
        elif text.startswith("/*", i):
            i = text.find("*/", i + 2)
            i = n if i < 0 else i + 2
        elif c == "'":
            flush()
            i += 1
            while i < n and text[i] != "'":
                i += 2 if text[i] == "\\" else 1
            i += 1
        elif c == '"':
            i += 1
            value = []
            while i < n:
                ch = text[i]
                if ch == "\\" and i + 1 < n:
                    value.append({"n": "\n", "r": "\r", "t": "\t", "0": "\0"}.get(text[i + 1], text[i + 1]))
                    i += 2
                elif ch == '"':
                    if rc and text.startswith('""', i):  # a quote inside a resource string
                        value.append('"')
                        i += 2
                        continue
                    i += 1
                    break
                else:
                    value.append(ch)
                    i += 1
            literal = "".join(value)
            if rc:  # an access key's mark is no part of the text the user reads
                literal = literal.replace("&&", "\0").replace("&", "").replace("\0", "&")
            pending = (pending or "") + literal
        elif c.isspace():
            i += 1
        else:
            flush()
            i += 1
    flush()
    return literals


def program_strings(root):
    strings = []
    for folder in SOURCE_FOLDERS:
        for directory, _, files in os.walk(os.path.join(root, folder)):
            for name in files:
                if name.endswith(SOURCE_SUFFIXES):
                    with open(os.path.join(directory, name), encoding="latin-1") as f:
                        strings += c_literals(f.read(), name.endswith(".rc"))
    return [normalise(s) for s in strings]


# --- The pages -------------------------------------------------------------------------------

def quoted_pattern(element):
    """A regular expression for the text of a "ui" element; each <var> is a printf conversion.
    The text must stand as words of its own: "Office" is not found in "OfficePhoneWidth"."""
    marker = "\0"
    pieces = [element.text or ""]
    for child in element:
        pieces.append(marker if local_name(child.tag) == "var" else "".join(child.itertext()))
        pieces.append(child.tail or "")
    text = normalise("".join(pieces))
    body = PRINTF_CONVERSION.join(re.escape(piece) for piece in text.split(marker))
    return r"(?<![A-Za-z0-9])" + body + r"(?![A-Za-z0-9])"


def walk(element, pending=False):
    pending = pending or "pending" in classes(element)
    yield element, pending
    for child in element:
        yield from walk(child, pending)


def check_page(help_dir, name, trees, strings):
    tree = trees[name]
    ids = {}
    for element, _ in walk(tree):
        element_id = element.get("id")
        if element_id is not None:
            if element_id in ids:
                fail(f"{name}: id '{element_id}' is used twice")
            ids[element_id] = element

    links_in_contents = set()
    for element, pending in walk(tree):
        tag = local_name(element.tag)
        if tag in FORBIDDEN_ELEMENTS:
            fail(f"{name}: <{tag}> is not allowed: the page must open offline in any browser")
        for attribute, value in element.attrib.items():
            if attribute.lower().startswith("on"):
                fail(f"{name}: script attribute {attribute} on <{tag}>")
        if "style" in element.attrib and "url(" in element.get("style"):
            fail(f"{name}: <{tag}> loads a resource through its style")
        for attribute in LINK_ATTRIBUTES:
            value = element.get(attribute)
            if value is not None:
                check_link(help_dir, name, trees, tag, value)
                if tag == "a" and value.startswith("#") and in_contents(tree, element):
                    links_in_contents.add(value[1:])
        if "ui" in classes(element):
            check_quote(name, element, pending, strings)

    for element, _ in walk(tree):
        if local_name(element.tag) == "h2" and element.get("id") and element.get("id") not in links_in_contents:
            if name == "index.html" or links_in_contents:
                fail(f"{name}: section '{element.get('id')}' is missing from the contents")


def in_contents(tree, link):
    for element, _ in walk(tree):
        if element.get("id") == "toc":
            return any(e is link for e, _ in walk(element))
    return False


def check_link(help_dir, name, trees, tag, value):
    if re.match(r"^[a-zA-Z][a-zA-Z0-9+.-]*:", value) or value.startswith("//"):
        fail(f"{name}: <{tag}> refers to '{value}' outside the help folder")
        return
    target, _, fragment = value.partition("#")
    target_name = os.path.normpath(target) if target else name
    if target and not os.path.isfile(os.path.join(help_dir, target_name)):
        fail(f"{name}: <{tag}> refers to '{target}', which is not in the help folder")
        return
    if fragment:
        target_tree = trees.get(target_name)
        if target_tree is None:
            fail(f"{name}: anchor '{value}' points into a file that is not a page")
        elif not any(e.get("id") == fragment for e, _ in walk(target_tree)):
            fail(f"{name}: anchor '{value}' has no element with that id")


def check_quote(name, element, pending, strings):
    pattern = quoted_pattern(element)
    shown = normalise("".join(element.itertext()))
    if not shown:
        fail(f"{name}: an empty program text")
        return
    matcher = re.compile(pattern)
    if any(matcher.search(s) for s in strings):
        return
    if pending:
        note = f"{name}: not in the program yet: \"{shown}\""
        if note not in notes:
            notes.append(note)
    else:
        fail(f"{name}: \"{shown}\" is not a text of the program")


def check_stylesheet(name, text):
    if "@import" in text or "@font-face" in text:
        fail(f"{name}: imports and web fonts are not allowed")
    for url in re.findall(r"url\(\s*['\"]?([^'\")]*)", text):
        fail(f"{name}: loads '{url}'; the pages use no images from style sheets")


def check_installed(help_dir, installed):
    for name in sorted(os.listdir(help_dir)):
        copy = os.path.join(installed, name)
        if not os.path.isfile(copy):
            fail(f"{name} is missing from {installed}")
            continue
        with open(os.path.join(help_dir, name), "rb") as a, open(copy, "rb") as b:
            if a.read() != b.read():
                fail(f"{copy} differs from the help folder's {name}")


def main(argv):
    if len(argv) not in (2, 4) or (len(argv) == 4 and argv[2] != "--installed"):
        print(__doc__, file=sys.stderr)
        return 2
    root = argv[1]
    help_dir = os.path.join(root, "Help")
    if not os.path.isfile(os.path.join(help_dir, "index.html")):
        fail("Help/index.html is missing")

    trees = {}
    for name in sorted(os.listdir(help_dir)):
        path = os.path.join(help_dir, name)
        if name.endswith((".html", ".htm")):
            try:
                trees[name] = ET.parse(path).getroot()
            except ET.ParseError as error:
                fail(f"{name} is not well-formed: {error}")
        elif name.endswith(".css"):
            with open(path, encoding="utf-8") as f:
                check_stylesheet(name, f.read())
        elif not name.endswith((".png", ".gif", ".jpg")):
            fail(f"{name}: the help folder holds pages, style sheets and pictures only")

    strings = program_strings(root)
    for name in trees:
        check_page(help_dir, name, trees, strings)
    if len(argv) == 4:
        check_installed(help_dir, argv[3])

    for note in notes:
        print("note: " + note)
    for message in failures:
        print("FAIL: " + message, file=sys.stderr)
    if failures:
        return 1
    print(f"help: {len(trees)} pages checked")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
