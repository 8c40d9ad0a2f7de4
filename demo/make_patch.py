#!/usr/bin/python3
"""Writes the demo patch: a patch-class compound file whose summary information
targets the demo products (and made-up ones), so that Windows Installer sequences,
applies and registers it. It carries no transform and so changes no files.

Run with Debian's own /usr/bin/python3: libmsi's binding is installed for it only.
"""
import argparse
import os
import re
import sys
import uuid

import gi

gi.require_version("Libmsi", "1.0")
from gi.repository import Libmsi  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
PRODUCTS_DIR = os.path.join(HERE, "products")

PATCH_CODE = "{1AF93413-BCC5-429E-BC11-49F6E05DF127}"
SUPERSEDED_PATCH_CODE = "{2BA07CEB-6443-4DD5-B1E9-56475CBF5421}"
# Names of the (absent) transform substorages; Wine refuses a patch without a list.
TRANSFORMS = ":CorvantaSP3;:#CorvantaSP3"
# Made-up product codes are derived from this so every build writes the same list.
FILLER_NAMESPACE = uuid.UUID("3B49B1E6-1B10-4A32-9C1D-79D2C14B9A90")
# Fixed times (FILETIME, 100 ns since 1601) keep the output byte-identical across builds.
FIXED_FILETIME = 133_500_000_000_000_000

SIGNATURE = bytes.fromhex("D0CF11E0A1B11AE1")


def product_code(wxs):
    with open(wxs, encoding="utf-8") as f:
        match = re.search(r'<Product\s[^>]*\bId="(\{[0-9A-F-]{36}\})"', f.read())
    if not match:
        sys.exit(f"make_patch.py: no upper-case Product Id in {wxs}")
    return match.group(1)


def demo_product_codes():
    """ProductCode of every demo product, in file-name order of demo/products/*.wxs."""
    return [product_code(os.path.join(PRODUCTS_DIR, name))
            for name in sorted(os.listdir(PRODUCTS_DIR)) if name.endswith(".wxs")]


def product_codes(count, extra=()):
    """The demo products, then those of the extra .wxs files, then made-up codes."""
    codes = (demo_product_codes() + [product_code(wxs) for wxs in extra])[:count]
    index = 0
    while len(codes) < count:
        index += 1
        filler = "{" + str(uuid.uuid5(FILLER_NAMESPACE, f"Corvanta demo product {index}")).upper() + "}"
        if filler not in codes:   # a test product may use a made-up code of its own
            codes.append(filler)
    return codes


def mark_removable(db):
    """AllowRemoval=1 in MsiPatchMetadata: the installer lets the patch be taken off."""
    for sql in ("CREATE TABLE `MsiPatchMetadata` (`Company` CHAR(72), `Property` CHAR(72) "
                "NOT NULL, `Value` LONGCHAR NOT NULL PRIMARY KEY `Company`, `Property`)",
                "INSERT INTO `MsiPatchMetadata` (`Property`, `Value`) VALUES ('AllowRemoval', '1')"):
        query = Libmsi.Query.new(db, sql)
        query.execute(None)
        query.close()


def write_patch(path, count, extra=(), patch_code=PATCH_CODE, removable=True):
    template = ";".join(product_codes(count, extra))
    if os.path.exists(path):
        os.remove(path)
    db = Libmsi.Database.new(path, Libmsi.DbFlags.CREATE | Libmsi.DbFlags.PATCH, None)
    if removable:
        mark_removable(db)
    info = Libmsi.SummaryInfo.new(db, 20)
    info.set_string(Libmsi.Property.TITLE, "Patch")
    info.set_string(Libmsi.Property.SUBJECT, "Corvanta Service Pack 3 (demo)")
    info.set_string(Libmsi.Property.AUTHOR, "Corvanta")
    info.set_string(Libmsi.Property.KEYWORDS, "Installer,Patch,PCP")
    info.set_string(Libmsi.Property.COMMENTS, "Demo patch: registers itself and changes no files.")
    info.set_string(Libmsi.Property.TEMPLATE, template)
    info.set_string(Libmsi.Property.LASTAUTHOR, TRANSFORMS)
    info.set_string(Libmsi.Property.UUID, patch_code + SUPERSEDED_PATCH_CODE)
    info.set_filetime(Libmsi.Property.CREATED_TM, FIXED_FILETIME)
    info.set_filetime(Libmsi.Property.LASTSAVED_TM, FIXED_FILETIME)
    info.set_int(Libmsi.Property.VERSION, 200)
    # Word count 1: a patch that needs nothing beyond the basic installer.
    info.set_int(Libmsi.Property.SOURCE, 1)
    info.set_int(Libmsi.Property.SECURITY, 0)
    info.set_string(Libmsi.Property.APPNAME, "Corvanta demo patch builder")
    info.persist()
    db.commit()
    del info, db

    with open(path, "rb") as f:
        if f.read(8) != SIGNATURE:
            sys.exit(f"make_patch.py: {path} does not begin with the compound-file signature")
    return template


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", required=True, help="patch file to write")
    parser.add_argument("--codes", type=int, default=6, help="number of target product codes")
    parser.add_argument("--extra", nargs="*", default=[],
                        help="more product sources (.wxs) to target, after the demo products")
    parser.add_argument("--not-removable", action="store_true",
                        help="leave out AllowRemoval: the patch cannot be uninstalled (1646)")
    args = parser.parse_args()
    if args.codes < 1:
        parser.error("--codes must be at least 1")
    write_patch(args.out, args.codes, args.extra, removable=not args.not_removable)


if __name__ == "__main__":
    main()
