#!/usr/bin/python3
"""The README as a CommonMark renderer shows it (Debian's cmark): every code block is closed by a
fence line of its own, no code block swallows another fence, and every heading of the source is
a heading on the page, not a line inside a block.

    tests/readme_test.py README.md
"""
import re
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

NS = "{http://commonmark.org/xml/1.0}"


def problems(path):
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    xml = subprocess.run(["cmark", "--sourcepos", "--to", "xml", path], check=True,
                         capture_output=True, text=True).stdout
    tree = ElementTree.fromstring(xml.split("\n", 2)[2])  # past the XML declaration and doctype
    span = lambda node: [int(n) for n in re.split("[:-]", node.get("sourcepos"))[::2]]
    found = []
    for block in tree.iter(NS + "code_block"):
        first, last = span(block)
        opening = lines[first - 1].strip()
        if not opening.startswith(("```", "~~~")):
            continue  # an indented block has no fences
        fence = opening[0] * (len(opening) - len(opening.lstrip(opening[0])))
        if last == first or not re.fullmatch(re.escape(fence) + "+[ \t]*",
                                             lines[last - 1].strip()):
            found.append(f"line {first}: the code block is never closed by a fence of its own")
        for offset, inner in enumerate(lines[first:last - 1], first + 1):
            if inner.lstrip().startswith(fence[:3]):
                found.append(f"line {offset}: a fence with text after it, inside a code block")
    headings = {span(node)[0] for node in tree.iter(NS + "heading")}
    for number, line in enumerate(lines, 1):
        if re.match(r"#{1,6} ", line) and number not in headings:
            found.append(f"line {number}: '{line}' does not render as a heading")
    return found


if __name__ == "__main__":
    found = problems(sys.argv[1])
    for problem in found:
        print(f"FAIL: {problem}")
    if found:
        sys.exit(1)
    print("ok: the README renders as written")
