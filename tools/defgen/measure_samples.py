#!/usr/bin/env python3
"""How many documents open with error code 0 against the type `--type auto` chooses, and
how many of those the element check finds nothing in.

  measure_samples.py [--cli PATH] [FOLDER ...]    (default: examples/ and tests/data/public/)

For every EDI file below the folders (LICENSE and *.md files aside) it runs
`orrindale-cli tree FILE --type auto` and `validate FILE --type auto --elements` with the built
definitions and prints the chosen type, the error code, the failure text and the number of
findings, then the counts per folder.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.normpath(os.path.join(HERE, "..", ".."))


def documents(folder):
    for root, _dirs, files in os.walk(folder):
        for name in sorted(files):
            if not name.upper().startswith("LICENSE") and not name.endswith((".md", ".tsv")):
                yield os.path.join(root, name)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--cli", default=os.path.join(REPO, "build", "bin", "orrindale-cli"))
    ap.add_argument("folders", nargs="*", default=[os.path.join(REPO, "examples"),
                                                    os.path.join(REPO, "tests", "data", "public")])
    args = ap.parse_args()
    home = tempfile.mkdtemp(prefix="measure-")
    try:
        subprocess.run([args.cli, "--home", home, "pack", os.path.join(REPO, "data", "definitions"), "-o",
                        os.path.join(home, "EdiDef.bin")], check=True, capture_output=True)
        for folder in args.folders:
            opened = total = clean = 0
            for path in documents(folder):
                r = subprocess.run([args.cli, "--home", home, "tree", path, "--type", "auto"], capture_output=True,
                                   text=True, errors="replace")
                lines = [l for l in r.stderr.splitlines() if l]
                chosen = lines[0][len("info: type "):] if lines and lines[0].startswith("info: type ") else "-"
                why = " | ".join(l for l in lines if not l.startswith("info: type "))
                total += 1
                opened += r.returncode == 0
                findings = 0
                if r.returncode == 0:
                    v = subprocess.run([args.cli, "--home", home, "validate", path, "--type", "auto", "--elements"],
                                       capture_output=True, text=True, errors="replace")
                    findings = sum(": error: " in l or ": warning: " in l for l in v.stdout.splitlines())
                    clean += findings == 0
                print("%-4s %-60s %-12s %3d findings %s" % ("ok" if r.returncode == 0 else "FAIL",
                                                            os.path.relpath(path, folder), chosen, findings, why))
            print("== %s: %d of %d open with error code 0, %d of them without a finding\n" % (
                os.path.relpath(folder, REPO), opened, total, clean))
    finally:
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
