#!/usr/bin/env python3
"""Drafts rows of data/elements-004010.tsv from the permissively licensed sources.

How data/elements-004010.tsv was made: this script proposed, for every segment the retail
outlines and the StAEDI 810 schema use, the element numbers and requirement designators it
could find in eddy's segment files (MIT), OBOE's rule files (Apache-2.0), pyx12's 004010 maps
(BSD-3-Clause, numbers only; elements named in a syntax note are relational, X) and StAEDI's
004010 810 schema (Apache-2.0, mandatory flags and element counts). Rows it could not fill
("?") were completed by hand from the X12 004010 dictionary, and every row was then compared
with `defgen.py crosscheck`. The committed TSV is the reviewed result; this script is kept to
show the method and to draft rows for segments added later:

  draft_dictionary.py [--x12ref DIR] SEG ...     print draft rows for the given segments
  draft_dictionary.py --missing                  print draft rows for segments the outlines
                                                 use but the dictionary does not have yet
"""

import argparse
import glob
import os
import re
import sys
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)


def eddy_segments(x12ref):
    out = {}
    for path in glob.glob(os.path.join(x12ref, "eddy/data/segments/**/*.yml"), recursive=True):
        text = open(path, encoding="utf-8").read()
        sid = re.search(r"^id: (\w+)", text, re.M).group(1)
        rows = []
        for m in re.finditer(r"ref: %s(\d+), id: '(\w+)',\s*req: (\w)" % sid, text):
            rows.append((int(m.group(1)), m.group(2), m.group(3)))
        out[sid] = rows
    return out


def oboe_segments(x12ref):
    out = {}
    for path in glob.glob(os.path.join(x12ref, "oboe/*.xml")):
        text = open(path, encoding="utf-8").read()
        for m in re.finditer(r'<segment\b([^>]*)>(.*?)</segment>', text, re.S):
            sid = re.search(r'\bid="(\w+)"', m.group(1)).group(1)
            rows = []
            for d in re.finditer(r'<(?:dataElement|compositeDE)\b([^>]*)>', m.group(2)):
                attrs = dict(re.findall(r'(\w+)="([^"]*)"', d.group(1)))
                if "sequence" in attrs and "id" in attrs:
                    req = attrs.get("required", "")
                    rows.append((int(attrs["sequence"]), attrs["id"], "X" if req == "C" else req))
            if len(rows) > len(out.get(sid, [])):
                out[sid] = rows
    return out


def pyx12_segments(x12ref):
    """Element numbers per position (004010 maps) and positions named in syntax notes."""
    numbers, syntax = {}, {}
    for path in sorted(glob.glob(os.path.join(x12ref, "pyx12/map/*4010*.xml"))):
        for seg in ET.parse(path).getroot().iter("segment"):
            sid = seg.get("xid")
            rows = []
            for child in seg:
                if child.tag in ("element", "composite"):
                    rows.append((int(child.findtext("seq")), child.findtext("data_ele").strip()))
            if len(rows) > len(numbers.get(sid, [])):
                numbers[sid] = rows
            for s in seg.findall("syntax"):
                rule = s.text.strip()
                positions = [int(rule[i:i + 2]) for i in range(1, len(rule), 2)]
                # P, R, E: every element named is relational; C, L: the ones after the first
                if rule[0] in "CL":
                    positions = positions[1:]
                syntax.setdefault(sid, set()).update(positions)
    return numbers, syntax


def staedi_810(x12ref):
    text = open(os.path.join(x12ref, "staedi/EDISchema810.xml"), encoding="utf-8").read()
    out = {}
    for m in re.finditer(r'<segmentType name="(\w+)">(.*?)</segmentType>', text, re.S):
        rows = []
        for i, e in enumerate(re.finditer(r'<(element|composite) type="\w+?(\d\d)"([^/]*)/>', m.group(2)), 1):
            rows.append((i, "M" if 'minOccurs="1"' in e.group(3) else ""))
        out[m.group(1)] = rows
    return out


def draft(x12ref, segments):
    eddy, oboe = eddy_segments(x12ref), oboe_segments(x12ref)
    numbers, syntax = pyx12_segments(x12ref)
    staedi = staedi_810(x12ref)
    for sid in segments:
        count = max([len(eddy.get(sid, [])), len(oboe.get(sid, [])) and max(r[0] for r in oboe[sid]),
                     len(numbers.get(sid, [])), len(staedi.get(sid, []))] or [0])
        for pos in range(1, count + 1):
            num, req, src = "?", "", []
            for name, rows in (("eddy", eddy.get(sid, [])), ("oboe", oboe.get(sid, []))):
                for p, n, r in rows:
                    if p == pos:
                        num = n if num == "?" else num
                        req = req or r
                        src.append(name)
            for p, n in numbers.get(sid, []):
                if p == pos:
                    num = n if num == "?" else num
                    src.append("pyx12")
            for p, r in staedi.get(sid, []):
                if p == pos and r == "M" and not req:
                    req, _ = "M", src.append("staedi")
            if not req and pos in syntax.get(sid, set()):
                req = "X"
                src.append("syntax")
            print("%s\t%d\t%s\t%s\t# %s" % (sid, pos, num, req or "O?", ",".join(src) or "none"))
        if count == 0:
            print("%s\t?\t?\t?\t# no source" % sid)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--x12ref", default=os.path.normpath(os.path.join(HERE, "..", "..", "..", "shared", "x12ref")))
    ap.add_argument("--missing", action="store_true")
    ap.add_argument("segments", nargs="*")
    args = ap.parse_args()
    segments = args.segments
    if args.missing:
        import retailsrc
        retail = retailsrc.Retail(args.x12ref, HERE, load_dictionary=False)
        have = retailsrc.read_dictionary(os.path.join(HERE, "data", "elements-004010.tsv"), missing_ok=True)
        segments = sorted(s for s in retail.used_segments() if s not in have)
    draft(args.x12ref, segments)


if __name__ == "__main__":
    main()
