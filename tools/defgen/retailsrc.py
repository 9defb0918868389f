"""Retail X12 004010 document definitions (850, 810, 855, 856, 860, 997).

Structure:
  * 810 from StAEDI's 004010 810 schema (Apache-2.0): segment order, loops, mandatory flags,
    maximum uses and loop repeats;
  * 850, 855, 856, 860, 997 from our own outlines in data/retail/*.outline.
Elements: every segment is written as a segment reference; the build's flattening expands it
from the standard segment file "<SEG>.def" (element number, position, type, lengths, name)
and the document-specific file "4010-<SEG>.def" (element number, position, requirement), the
files the PREFIX directive names. Both are generated from:
  * data/elements-004010.tsv: our compiled 004010 segment dictionary (element numbers per
    position and M/O/X designators; see draft_dictionary.py for how it was compiled);
  * eddy's 004010 element dictionary elements.tsv (MIT): type, minimum and maximum length, name;
  * data/composites.tsv and pyx12 composites for the length of composite elements;
  * data/segments.tsv: our own short segment descriptions.
"""

import json
import os
import re
import xml.etree.ElementTree as ET

from deflib import Element, Group, Loop, Raw, Segment, clean, repeat_text

PREFIX = "4010"
OUTLINES = ["850", "855", "856", "860", "997"]
# Sets with a curated 004010 definition of their own; their standard tables are not used for 004010.
CURATED = ("810",) + tuple(OUTLINES)


def read_dictionary(path, missing_ok=False):
    """seg -> list of (pos, element, req)."""
    out = {}
    if missing_ok and not os.path.exists(path):
        return out
    for n, line in enumerate(open(path, encoding="ascii"), 1):
        line = line.split("#")[0].rstrip()
        if not line.strip():
            continue
        parts = line.split("\t")
        if len(parts) != 4:
            raise ValueError("%s:%d: expected SEG POS ELEMENT REQ" % (path, n))
        sid, pos, ele, req = parts
        if req not in ("M", "O", "X"):
            raise ValueError("%s:%d: requirement %r" % (path, n, req))
        rows = out.setdefault(sid, [])
        if int(pos) != len(rows) + 1:
            raise ValueError("%s:%d: positions of %s must count up from 1" % (path, n, sid))
        rows.append((int(pos), ele, req))
    return out


def read_tsv(path, columns):
    out = {}
    for line in open(path, encoding="ascii"):
        if not line.strip() or line.startswith("#"):
            continue
        parts = line.rstrip("\n").split("\t")
        out[parts[0]] = parts[1:columns]
    return out


class Outline:
    """Parser of data/retail/*.outline."""

    def __init__(self, path):
        self.path = path
        self.meta = {}
        lines = []
        for n, raw in enumerate(open(path, encoding="ascii"), 1):
            text = raw.split("#")[0].strip()
            if text:
                lines.append((n, text))
        self.lines = lines
        self.pos = 0
        self.body = self._items(top=True)

    def _error(self, n, msg):
        raise ValueError("%s:%d: %s" % (self.path, n, msg))

    def _items(self, top=False):
        items = []
        while self.pos < len(self.lines):
            n, text = self.lines[self.pos]
            self.pos += 1
            words = text.split()
            if words[0] in ("DESCRIPTION", "TITLE", "FUNCTIONAL"):
                self.meta[words[0]] = text[len(words[0]):].strip()
            elif words[0] == "LOOP":
                if len(words) != 3:
                    self._error(n, "LOOP ID REPEAT")
                children = self._items()
                items.append(("LOOP", words[1], words[2], children))
            elif words[0] == "LEVELS":
                levels = []
                while True:
                    n2, t2 = self.lines[self.pos]
                    self.pos += 1
                    if t2 == "BODY":
                        break
                    code, _, name = t2.partition(" ")
                    levels.append((code, name))
                body = self._items()
                items.append(("LEVELS", words[1], words[2], levels, body))
            elif words[0] == "END":
                if top:
                    self._error(n, "END without LOOP")
                return items
            else:
                if len(words) != 3 or words[1] not in ("M", "O", "X"):
                    self._error(n, "SEG REQ MAX")
                items.append(("SEG", words[0], words[1], words[2]))
        if not top:
            self._error(self.lines[-1][0], "missing END")
        return items


class Retail:
    def __init__(self, x12ref, here, load_dictionary=True):
        self.x12ref = x12ref
        self.here = here
        self.warnings = []
        self.outlines = {t: Outline(os.path.join(here, "data", "retail", t + ".outline")) for t in OUTLINES}
        self.staedi810 = self._staedi_810()
        self.names = read_tsv(os.path.join(here, "data", "segments.tsv"), 2)
        if load_dictionary:
            self.dictionary = read_dictionary(os.path.join(here, "data", "elements-004010.tsv"))
            self.elements = self._eddy_elements()
            self.composites = self._composites()
        self.fragments = {}

    # -- sources
    def _eddy_elements(self):
        out = {}
        path = os.path.join(self.x12ref, "eddy/data/elements.tsv")
        for line in open(path, encoding="utf-8"):
            parts = line.rstrip("\n").split("\t")
            if parts[0] == "id" or len(parts) < 5:
                continue
            out[parts[0]] = (parts[2], parts[3], parts[4], parts[1])
        return out

    def _composites(self):
        """composite -> (component numbers, name): data/composites.tsv first, then the longest
        component list of pyx12's 004010 maps."""
        out = {}
        own = os.path.join(self.here, "data", "composites.tsv")
        for line in open(own, encoding="ascii"):
            if line.strip() and not line.startswith("#"):
                num, parts, name = line.rstrip("\n").split("\t")
                out[num] = (parts.split(), name)
        owned = set(out)
        folder = os.path.join(self.x12ref, "pyx12", "map")
        for fname in sorted(os.listdir(folder)):
            if ".4010." not in fname:
                continue
            for comp in ET.parse(os.path.join(folder, fname)).getroot().iter("composite"):
                parts = [c.findtext("data_ele").strip() for c in comp if c.tag == "element"]
                num = comp.findtext("data_ele").strip()
                if num not in owned and len(parts) > len(out.get(num, ([], ""))[0]):
                    out[num] = (parts, comp.findtext("name").strip())
        return out

    def _staedi_810(self):
        """The 810 transaction table of StAEDI's EDISchema810.xml (004010) as outline items."""
        ns = "{http://xlate.io/EDISchema/v4}"
        root = ET.parse(os.path.join(self.x12ref, "staedi/EDISchema810.xml")).getroot()
        seq = root.find(ns + "transaction").find(ns + "sequence")

        def items(sequence):
            out = []
            for child in sequence:
                tag = child.tag.replace(ns, "")
                mx = child.get("maxOccurs", "1")
                mx = ">1" if mx in ("99999", "unbounded") else mx
                if tag == "segment":
                    req = "M" if child.get("minOccurs", "0") != "0" else "O"
                    out.append(("SEG", child.get("type"), req, mx))
                elif tag == "loop":
                    inner = items(child.find(ns + "sequence"))
                    req = "M" if child.get("minOccurs", "0") != "0" else "O"
                    first = inner[0]
                    inner[0] = ("SEG", first[1], req, first[3])
                    out.append(("LOOP", first[1], mx, inner))
            return out
        return items(seq)

    # -- documents
    def documents(self):
        docs = []
        for t in ["810"] + OUTLINES:
            if t == "810":
                items = self.staedi810
                meta = {"DESCRIPTION": "810 Invoice (X12 004010)",
                        "TITLE": "810 Invoice, X12 004010 standard (not an implementation guide)"}
                source = "StAEDI EDISchema810.xml, X12 004010 (Apache-2.0)"
            else:
                items = self.outlines[t].body
                meta = self.outlines[t].meta
                source = "our outline tools/defgen/data/retail/%s.outline" % t
            body = self._convert(items, t)
            docs.append((t, meta["DESCRIPTION"], meta["TITLE"], source +
                         " and the 004010 segment dictionary (see SOURCES.md)", body))
        return docs

    def _segment(self, sid, req, mx):
        if sid not in self.dictionary:
            raise KeyError("segment %s is not in data/elements-004010.tsv" % sid)
        return Segment(sid, req, mx, self.segment_name(sid), ref=True)

    def segment_name(self, sid):
        if sid not in self.names:
            self.warnings.append("no description for segment %s in data/segments.tsv" % sid)
            return sid
        return self.names[sid][0]

    def _convert(self, items, doctype):
        out = []
        for item in items:
            if item[0] == "SEG":
                out.append(self._segment(item[1], item[2], item[3]))
            elif item[0] == "LOOP":
                children = self._convert(item[3], doctype)
                if not isinstance(children[0], Segment):
                    raise ValueError("loop %s must start with a segment" % item[1])
                out.append(Loop(item[1], item[2], self.loop_name(item[1], children[0]), children))
            elif item[0] == "LEVELS":
                _, lid, repeat, levels, body = item
                frag = "hlbody%s.def" % doctype
                self.fragments[frag] = (doctype, self._convert(body, doctype))
                loops = []
                for code, name in levels:
                    if code == "*":
                        taken = {c for c, _ in levels if c != "*"}
                        codes = [c for c in self._code_list("735") if c not in taken]
                    else:
                        codes = [code]
                    loop = Loop(lid, repeat, "%s (HL03 %s)" % (name, code if code != "*" else "other codes"),
                                [Raw("???*FILE*" + frag)], key=codes)
                    loops.append(loop)
                out.append(Group("HLS", 3, "Hierarchical levels by HL03", loops))
        return out

    def loop_name(self, lid, first):
        return "%s loop" % first.desc

    def has_segment(self, sid):
        """True when the 004010 dictionary lists the segment's elements."""
        return sid in self.dictionary

    def hl_codes(self):
        """Every hierarchical level code (element 735)."""
        return self._code_list("735")

    def _code_list(self, element):
        path = os.path.join(self.x12ref, "eddy/data/code-lists/%s.tsv" % element)
        codes = []
        for line in open(path, encoding="utf-8"):
            code = line.split("\t")[0].strip()
            if code and code != "id" and re.fullmatch(r"[A-Z0-9]{1,2}", code):
                codes.append(code)
        return codes

    def used_segments(self):
        used = set()

        def walk(items):
            for item in items:
                if item[0] == "SEG":
                    used.add(item[1])
                elif item[0] == "LOOP":
                    walk(item[3])
                elif item[0] == "LEVELS":
                    walk(item[4])
        walk(self.staedi810)
        for o in self.outlines.values():
            walk(o.body)
        return used

    # -- segment files
    def _element(self, sid, pos, ele, req):
        if ele.startswith("C"):
            if ele not in self.composites:
                raise KeyError("composite %s of %s%02d has no component list" % (ele, sid, pos))
            parts, name = self.composites[ele]
            mx = sum(int(self.elements[p][2]) for p in parts) + len(parts) - 1
            return Element(ele, pos, req, "COMP", 1, mx, name)
        if ele not in self.elements:
            raise KeyError("element %s of %s%02d is not in eddy elements.tsv" % (ele, sid, pos))
        etype, mn, mx, name = self.elements[ele]
        return Element(ele, pos, req, etype, mn, mx, name)

    def segment_files(self, also_used=()):
        """Segment files of every segment the retail definitions and also_used refer to."""
        files = {}
        for sid in sorted(self.used_segments() | set(also_used)):
            rows = self.dictionary[sid]
            elements = [self._element(sid, pos, ele, req) for pos, ele, req in rows]
            std = ["; %s: X12 004010 standard segment definition (element number, position, type," % sid,
                   ";   minimum and maximum length, name). Generated by tools/defgen; see SOURCES.md.",
                   "%s*0*SEG*0*0*%s" % (sid, clean(self.segment_name(sid)))]
            std += ["%s*%d*%s*%s*%s*%s" % (e.eid, e.pos, e.etype, e.minlen, e.maxlen, e.desc) for e in elements]
            files["%s.def" % sid] = std
            doc = ["; %s in X12 004010 documents (PREFIX %s): element requirements, M mandatory," % (sid, PREFIX),
                   ";   O optional, X relational. Generated by tools/defgen; see SOURCES.md.",
                   "%s*0" % sid]
            doc += ["%s*%d*%s" % (e.eid, e.pos, e.req) for e in elements]
            files["%s-%s.def" % (PREFIX, sid)] = doc
        for name, (doctype, body) in self.fragments.items():
            lines = ["; Hierarchical level body of doc%s.def, included once per level code with FILE." % doctype,
                     "; Generated by tools/defgen; see SOURCES.md."]
            for item in body:
                lines += item.lines()
            files[name] = lines
        return files

    # -- cross-checks
    def crosscheck(self):
        self._crosscheck_structure()
        self._crosscheck_elements()

    def _crosscheck_structure(self):
        oop = os.path.join(self.x12ref, "oopfactory-x12parser/Specifications")
        for t in OUTLINES:
            print("== %s outline against OopFactory 004010 (CDDL, cross-check only) and eddy (MIT, later "
                  "release)" % t)
            mine = flat_outline(self.outlines[t].body)
            path = os.path.join(oop, "Ansi-%s-4010Specification.xml" % t)
            if os.path.exists(path) and t != "856":
                theirs = flat_oopfactory(path)
                report_diff(mine, theirs, "oopfactory")
            eddy = flat_eddy(os.path.join(self.x12ref, "eddy/data/segments-by-transaction-set/%s.tsv" % t))
            report_diff([(s, r, m) for s, r, m in mine], eddy, "eddy", loops=False)

    def _crosscheck_elements(self):
        lib = json.load(open(os.path.join(self.x12ref, "libedi/00501/X12_00501.json"), encoding="utf-8"))
        segs = lib["Segments"]
        import draft_dictionary as dd
        eddy, oboe = dd.eddy_segments(self.x12ref), dd.oboe_segments(self.x12ref)
        numbers, syntax = dd.pyx12_segments(self.x12ref)
        staedi = self._staedi_810_elements()
        print("== element dictionary against libedi 005010 (MPL, cross-check only), eddy, OBOE, pyx12, StAEDI")
        for sid in sorted(self.used_segments()):
            rows = self.dictionary.get(sid, [])
            notes = []
            lrows = segs.get(sid, {}).get("Elements", [])
            for pos, ele, req in rows:
                if pos <= len(lrows):
                    le = lrows[pos - 1]
                    if le["Id"] != ele:
                        notes.append("%02d: %s, libedi 5010 has %s" % (pos, ele, le["Id"]))
                    if le.get("Required") and req != "M":
                        notes.append("%02d: %s %s, libedi 5010 required" % (pos, ele, req))
                    if not le.get("Required") and req == "M":
                        notes.append("%02d: %s M, libedi 5010 not required" % (pos, ele))
                else:
                    notes.append("%02d: %s, libedi 5010 has no such position" % (pos, ele))
            if len(lrows) > len(rows):
                notes.append("libedi 5010 has %d elements, we have %d" % (len(lrows), len(rows)))
            for src, table in (("eddy", eddy), ("oboe", oboe)):
                for p, n, r in table.get(sid, []):
                    if p <= len(rows) and (rows[p - 1][1] != n or (r and r != rows[p - 1][2])):
                        notes.append("%02d: %s %s, %s has %s %s" % (p, rows[p - 1][1], rows[p - 1][2], src, n, r))
            for p, n in numbers.get(sid, []):
                if p <= len(rows) and rows[p - 1][1] != n:
                    notes.append("%02d: %s, pyx12 has %s" % (p, rows[p - 1][1], n))
            for p in syntax.get(sid, set()):
                if p <= len(rows) and rows[p - 1][2] == "O":
                    notes.append("%02d: O but named in a pyx12 syntax note" % p)
            if sid in staedi:
                st = staedi[sid]
                if len(st) != len(rows):
                    notes.append("StAEDI 004010 810 has %d elements, we have %d" % (len(st), len(rows)))
                for (p, req, mn, mx), row in zip(st, rows):
                    if (req == "M") != (row[2] == "M"):
                        notes.append("%02d: %s, StAEDI %s" % (p, row[2], req or "optional"))
                    if not row[1].startswith("C") and row[1] in self.elements:
                        e = self.elements[row[1]]
                        if mx and mx != e[2]:
                            notes.append("%02d: %s max %s, StAEDI max %s" % (p, row[1], e[2], mx))
            for n in notes:
                print("%-4s %s" % (sid, n))

    def _staedi_810_elements(self):
        text = open(os.path.join(self.x12ref, "staedi/EDISchema810.xml"), encoding="utf-8").read()
        types = {m.group(1): m.group(2) for m in re.finditer(r'<elementType name="(\w+)"([^>]*)>', text)}
        out = {}
        for m in re.finditer(r'<segmentType name="(\w+)">(.*?)</segmentType>', text, re.S):
            rows = []
            for i, e in enumerate(re.finditer(r'<(element|composite) type="(\w+)"([^/]*)/>', m.group(2)), 1):
                attrs = types.get(e.group(2), "")
                mx = re.search(r'maxLength="(\d+)"', attrs)
                rows.append((i, "M" if 'minOccurs="1"' in e.group(3) else "", "",
                             mx.group(1) if mx and e.group(1) == "element" else ""))
            out[m.group(1)] = rows
        return out


def flat_outline(items, depth=0):
    out = []
    for item in items:
        if item[0] == "SEG":
            out.append((("  " * depth) + item[1], item[2], repeat_text(item[3])))
        elif item[0] == "LOOP":
            out.append((("  " * depth) + "LOOP " + item[1], "", repeat_text(item[2])))
            out += flat_outline(item[3], depth + 1)
        elif item[0] == "LEVELS":
            out.append((("  " * depth) + "LOOP HL", "", repeat_text(item[2])))
            out += flat_outline(item[4], depth + 1)
    return out


def flat_oopfactory(path):
    ns = "{http://tempuri.org/X12ParserSpecification.xsd}"
    root = ET.parse(path).getroot()

    def walk(node, depth):
        out = []
        for c in node:
            tag = c.tag.replace(ns, "")
            if tag == "Segment":
                rep = c.get("Repeat")
                out.append((("  " * depth) + c.get("SegmentId"), "M" if c.get("Usage") == "Required" else "O",
                            repeat_text(rep) if rep else "999999"))
            elif tag in ("Loop", "HierarchicalLoop"):
                start = c.find(ns + "StartingSegment")
                sid = start.get("SegmentId") if start is not None else "HL"
                rep = c.get("LoopRepeat")
                out.append((("  " * depth) + "LOOP " + sid, "", repeat_text(rep) if rep else "999999"))
                if start is not None:
                    out.append((("  " * (depth + 1)) + sid, "", "1"))
                out += walk(c, depth + 1)
        return out
    return walk(root, 0)


def flat_eddy(path):
    out = []
    for line in open(path, encoding="utf-8"):
        parts = line.rstrip("\n").split("\t")
        if parts[0] == "id":
            continue
        sid, _desc, _sec, req, max_loop, max_use, _pos = parts
        out.append((sid, req, max_use))
    return out


def report_diff(mine, theirs, name, loops=True):
    import difflib
    if not loops:
        mine = [(s.strip(), r, m) for s, r, m in mine if not s.strip().startswith("LOOP")]
        theirs = [(s.strip(), r, m) for s, r, m in theirs]
        a = ["%s %s" % (s, m) for s, r, m in mine]
        b = ["%s %s" % (s, m) for s, r, m in theirs]
    else:
        a = ["%s %s" % (s, m) for s, r, m in mine]
        b = ["%s %s" % (s, m) for s, r, m in theirs]
    for line in difflib.unified_diff(a, b, "ours", name, n=1, lineterm=""):
        print("   " + line)
