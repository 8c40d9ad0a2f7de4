#!/usr/bin/python3
"""Checks that each patch-list text names only products the patch targets: every
code of a text's ProductCode line must be in the patch's target list.

Run with Debian's own /usr/bin/python3: libmsi's binding is installed for it only.
Exit 1 naming the text and the code; with --warn the same lines are warnings and
the exit is 0. --stamp is written when the check passes (for the build's rules).
"""
import argparse
import codecs
import sys

import gi

gi.require_version("Libmsi", "1.0")
from gi.repository import Libmsi  # noqa: E402


def patch_targets(path):
    db = Libmsi.Database.new(path, Libmsi.DbFlags.READONLY, None)
    template = Libmsi.SummaryInfo.new(db, 0).get_string(Libmsi.Property.TEMPLATE) or ""
    return {code.strip().upper() for code in template.split(";") if code.strip()}


def text_codes(path):
    """The codes of the text's ProductCode line, as written."""
    with open(path, "rb") as f:
        data = f.read()
    if data.startswith((codecs.BOM_UTF16_LE, codecs.BOM_UTF16_BE)):
        text = data.decode("utf-16")
    else:
        text = data.decode("utf-8-sig", errors="replace")
    for line in text.splitlines():
        key, sep, value = line.partition("=")
        if sep and key.strip().lower() == "productcode":
            return [code.strip() for code in value.split(";") if code.strip()]
    return []


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--patch", required=True)
    parser.add_argument("--warn", action="store_true", help="report, but do not fail")
    parser.add_argument("--stamp")
    parser.add_argument("texts", nargs="+")
    args = parser.parse_args()

    targets = patch_targets(args.patch)
    kind = "warning" if args.warn else "error"
    foreign = [(text, code) for text in args.texts for code in text_codes(text)
               if code.upper() not in targets]
    for text, code in foreign:
        print(f"{kind}: patch-list text {text}: product {code} is not a target of the patch "
              f"{args.patch}", file=sys.stderr)
    if foreign and not args.warn:
        return 1
    if args.stamp:
        with open(args.stamp, "w") as f:
            f.write("checked\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
