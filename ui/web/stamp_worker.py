#!/usr/bin/env python3
"""Writes the site's service worker from its template: the version is a digest of the names
and contents of every other file of the site and of the worker's own template, and the list of files is what the worker stores:
all of them but the screenshots, which only an install dialog shows. The build runs it once the
site is complete; so does the update test, on a site it changed.

    stamp_worker.py SITE_DIR TEMPLATE
"""
import hashlib
import json
import os
import sys


def stamp(site, template):
    files = sorted(name for name in os.listdir(site)
                   if name != "sw.js" and os.path.isfile(os.path.join(site, name)))
    digest = hashlib.sha256()
    for name in files:
        with open(os.path.join(site, name), "rb") as f:
            content = f.read()
        digest.update(f"{name}\0{len(content)}\0".encode())
        digest.update(content)
    with open(template, encoding="utf-8") as f:
        worker = f.read()
    # The worker's own code too: a release that changes only the worker is a new version.
    digest.update(f"sw.js\0{len(worker)}\0".encode())
    digest.update(worker.encode())
    worker = worker.replace("@STAKORA_SITE_VERSION@", digest.hexdigest()[:16])
    stored = [name for name in files if not name.startswith("screenshot-")]
    worker = worker.replace("@STAKORA_SITE_FILES@", json.dumps(["./"] + stored))
    with open(os.path.join(site, "sw.js"), "w", encoding="utf-8") as f:
        f.write(worker)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    stamp(sys.argv[1], sys.argv[2])
