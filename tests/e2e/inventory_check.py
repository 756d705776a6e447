#!/usr/bin/env python3
"""Reads an inventory written by /RFJ and one written by /RFC with the standard parsers and
checks that they are what they say: JSON that parses strictly as UTF-8 (no byte-order mark),
CSV that starts with one and ends every record with CR LF, the same programs with the same
fields in the same order in both.
    inventory_check.py INVENTORY.json INVENTORY.csv
Prints "inventory_check: ok" and ends with status 0, or names the first fault and ends with 1."""
import csv
import io
import json
import sys

FIELDS = ["name", "publisher", "version", "installDate", "sizeBytes", "lastUsed", "frequency",
          "uninstallCommand", "quietUninstallCommand", "uninstallerMissing", "systemComponent",
          "catalogue", "keyPath"]
HEADER = ["Name", "Publisher", "Version", "Install Date", "Size (bytes)", "Last Used", "Frequency",
          "Uninstall Command", "Quiet Uninstall Command", "Uninstaller Missing", "System Component",
          "Catalogue", "Key Path"]


def fail(message):
    print("inventory_check: " + message)
    sys.exit(1)


def as_csv_text(value):
    if value is None:
        return ""
    if value is True:
        return "true"
    if value is False:
        return "false"
    return str(value)


def main(json_path, csv_path):
    with open(json_path, "rb") as f:
        raw = f.read()
    if raw.startswith(b"\xef\xbb\xbf"):
        fail("the JSON starts with a byte-order mark")
    inventory = json.loads(raw.decode("utf-8"))
    if list(inventory) != ["computerName", "userName", "created", "programs"]:
        fail("the JSON's members are %r" % list(inventory))
    programs = inventory["programs"]
    for program in programs:
        if list(program) != FIELDS:
            fail("a program's fields are %r" % list(program))

    with open(csv_path, "rb") as f:
        raw = f.read()
    if not raw.startswith(b"\xef\xbb\xbf"):
        fail("the CSV has no byte-order mark")
    text = raw.decode("utf-8-sig")
    rows = list(csv.reader(io.StringIO(text, newline="")))
    if rows[0] != HEADER:
        fail("the CSV header is %r" % rows[0])
    if text.count("\n") != text.count("\r\n") or not text.endswith("\r\n"):
        fail("a line of the CSV does not end with CR LF")
    if len(rows) - 1 != len(programs):
        fail("the CSV holds %d programs, the JSON %d" % (len(rows) - 1, len(programs)))
    for row, program in zip(rows[1:], programs):
        expected = [as_csv_text(program[field]) for field in FIELDS]
        if row != expected:
            fail("the CSV row %r differs from the JSON's %r" % (row, expected))
    print("inventory_check: ok (%d programs)" % len(programs))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
