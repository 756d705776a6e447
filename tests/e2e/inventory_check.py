#!/usr/bin/env python3
"""Reads an inventory written by /RFJ and one written by /RFC with Python's standard parsers:
the JSON must parse strictly as UTF-8 and hold its members and fields in order, the CSV (after
its byte-order mark) must hold the same programs with the same fields.
    inventory_check.py INVENTORY.json INVENTORY.csv
Prints "inventory_check: ok" and ends with status 0, or names the first fault and ends with 1."""
import csv
import json
import sys

FIELDS = ["name", "publisher", "version", "installDate", "sizeBytes", "lastUsed", "frequency",
          "uninstallCommand", "quietUninstallCommand", "uninstallerMissing", "systemComponent",
          "catalogue", "keyPath"]


def csv_text(value):
    return "" if value is None else str(value).lower() if isinstance(value, bool) else str(value)


inventory = json.loads(open(sys.argv[1], "rb").read().decode("utf-8"))
programs = inventory["programs"]
with open(sys.argv[2], encoding="utf-8-sig", newline="") as f:
    rows = list(csv.reader(f))[1:]
faults = [m for m, bad in [
    ("the JSON's members are %r" % list(inventory), list(inventory) != ["computerName", "userName", "created", "programs"]),
    ("a program's fields are out of order", any(list(p) != FIELDS for p in programs)),
    ("the CSV and the JSON differ", rows != [[csv_text(p[f]) for f in FIELDS] for p in programs]),
] if bad]
print("inventory_check: " + (faults[0] if faults else "ok (%d programs)" % len(programs)))
sys.exit(1 if faults else 0)
