#!/usr/bin/python3
"""The README and every page of docs/ as a CommonMark renderer shows them (Debian's cmark): every
code block is closed by a fence line of its own, no code block swallows another fence, every
heading of the source is a heading on the page, and every link or picture to a file of the tree
finds it. The README stays short: at most 150 lines, the rest in docs/.

    tests/readme_test.py SOURCE_DIR
"""
import glob
import os
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
    for node in [*tree.iter(NS + "link"), *tree.iter(NS + "image")]:
        target = node.get("destination").split("#")[0]
        if target and not re.match(r"[a-z]+:", target) and not os.path.exists(
                os.path.join(os.path.dirname(path), target)):
            found.append(f"a link to {target}, which is not there")
    headings = {span(node)[0] for node in tree.iter(NS + "heading")}
    for number, line in enumerate(lines, 1):
        if re.match(r"#{1,6} ", line) and number not in headings:
            found.append(f"line {number}: '{line}' does not render as a heading")
    return found


if __name__ == "__main__":
    readme = os.path.join(sys.argv[1], "README.md")
    pages = [readme, *sorted(glob.glob(os.path.join(sys.argv[1], "docs", "*.md")))]
    found = [f"{os.path.relpath(page, sys.argv[1])}: {problem}" for page in pages
             for problem in problems(page)]
    with open(readme, encoding="utf-8") as f:
        length = len(f.read().splitlines())
    if length > 150:
        found.append(f"README.md is {length} lines long, not at most 150")
    for problem in found:
        print(f"FAIL: {problem}")
    if found or len(pages) < 4:
        sys.exit(1)
    print(f"ok: the README ({length} lines) and {len(pages) - 1} pages of docs/ render as written")
