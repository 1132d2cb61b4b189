#!/usr/bin/env python3
"""Writes the portable zip with the same bytes for the same files: each entry stamped with
SOURCE_DATE_EPOCH (UTC), in the order given, with fixed permissions and no extra fields (zip
tools otherwise store each file's access and change times).
    portable_zip.py OUTPUT.zip FILE...
"""
import os
import sys
import time
import zipfile


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "315532800"))
    stamp = time.gmtime(max(epoch, 315532800))[:6]  # zip dates start in 1980
    with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for path in sys.argv[2:]:
            entry = zipfile.ZipInfo(os.path.basename(path), date_time=stamp)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.external_attr = 0o644 << 16
            with open(path, "rb") as data:
                archive.writestr(entry, data.read())


if __name__ == "__main__":
    main()
