"""X12 standard transaction sets from libedi's 00501 structures (MPL-2.0: facts read and
converted here, no file copied).

libedi's `X12_00501_<set>.json` gives each set's segments and loops nested as the standard has
them: a loop is a list whose first entry is its trigger, `Min` 0 makes an entry optional (no
`Min`: mandatory), `Max` is a use or repeat count ("unbounded": any). `X12_00501.json` is the
005010 segment dictionary (elements per position with type, lengths, requirement and the name
of their qualifier list; composites with their components) and the qualifier lists.

The same nesting serves two kinds of definitions:
  * the 005010 sets as they are (`<set>_5010`), every segment with its elements from the
    dictionary, included from one shared file per segment (`seg5010-<SEG>.def`);
  * the 004010 sets (`<set>`): the same tables with the differences of 004010 applied from our
    own data file `data/std4010.tsv` (see `Corrections`), segments of our 004010 dictionary
    as references, the others without elements.

Shapes the matching needs, as for the other sources: an HL loop becomes an HLS group with one
child keyed by every HL03 code; adjacent sibling loops with the same first segment become one
loop (`merge_twins`); a loop's requirement sits on its first segment.
"""

import difflib
import json
import os
import re

from deflib import Element, Group, Loop, Raw, Segment, UNBOUNDED

VERSION_SUFFIX = "_5010"


def _req(entry):
    return "O" if entry.get("Min", 1) == 0 else "M"


def _max(entry):
    value = entry.get("Max", 1)
    return UNBOUNDED if value == "unbounded" else str(value)


class Node:
    """A segment or loop of a set's table before conversion: sid, req, max, children (loops)."""

    def __init__(self, sid, req, maximum, children=None):
        self.sid, self.req, self.max = sid, req, maximum
        self.children = children  # None for a segment; [trigger, ...] for a loop

    @property
    def is_loop(self):
        return self.children is not None

    def copy(self):
        return Node(self.sid, self.req, self.max, [c.copy() for c in self.children] if self.is_loop else None)


def read_table(path):
    """A set's table as Nodes, ST and SE left out."""
    def convert(entries):
        out = []
        for e in entries:
            if "Loop" in e:
                inner = convert(e["Loop"])
                inner[0].req, inner[0].max = "M", "1"
                out.append(Node(inner[0].sid, _req(e), _max(e), inner))
            elif e["ID"] not in ("ST", "SE"):
                out.append(Node(e["ID"], _req(e), _max(e)))
        return out
    with open(path, encoding="utf-8") as f:
        return convert(json.load(f)["TransactionSet"])


class Dictionary:
    """libedi's 005010 segment dictionary as element lines, and its qualifier lists by element.

    Two faults of the source are mended: an element without lengths (libedi gives none for ID
    elements and some others) takes them from `fallback` (element -> (type, min, max) of
    pyx12's dataele.xml, else eddy's 004010 dictionary); a segment whose second and later uses
    of a composite libedi leaves out (HI has one C022 of twelve, SVC lacks SVC06) takes its
    element list from `full_lists` (segment -> element ids of pyx12's 005010 maps), when
    libedi's list is a part of it."""

    def __init__(self, path, fallback, full_lists=None):
        with open(path, encoding="utf-8") as f:
            data = json.load(f)
        self.segments = data["Segments"]
        self.qualifiers = data["Qualifiers"]
        self.fallback = fallback
        self.mended = sorted(sid for sid, ids in (full_lists or {}).items() if self._mend(sid, ids))

    def _mend(self, sid, ids):
        """Replaces libedi's element list of sid by ids when it lists fewer, in the same order."""
        theirs = self.segments.get(sid, {}).get("Elements")
        if not theirs or len(ids) <= len(theirs) or not _is_part(theirs, ids):
            return False
        known = {e["Id"]: e for e in theirs}
        out, i = [], 0
        for eid in ids:
            if i < len(theirs) and theirs[i]["Id"] == eid:
                out.append(theirs[i])
                i += 1
            else:  # a repeated composite or element: as its first use, optional
                out.append(dict(known[eid], Required=False))
        self.segments[sid] = {"Elements": out}
        return True

    def has(self, sid):
        return sid in self.segments

    def element(self, entry, pos, req=None):
        """An Element of a dictionary entry (a composite gets its length from its components)."""
        req = req or ("M" if entry.get("Required") else "O")
        if "Components" in entry:
            parts = [self.element(c, i) for i, c in enumerate(entry["Components"], 1)]
            return Element(entry["Id"], pos, req, "COMP", 1, sum(int(p.maxlen) for p in parts) + len(parts) - 1,
                           entry["Desc"])
        etype, mn, mx = self.facts(entry)
        return Element(entry["Id"], pos, req, etype, mn, mx, entry["Desc"])

    def facts(self, entry):
        """(type, min, max) of an element entry; what libedi leaves out from the fallback, or for
        an ID element without one from its codes."""
        eid = entry["Id"]
        etype = "ID" if "QualifierRef" in entry else entry.get("DataType", "ID")
        if "MinLength" in entry and "MaxLength" in entry:
            return etype, entry["MinLength"], entry["MaxLength"]
        if eid in self.fallback:
            return etype, self.fallback[eid][1], self.fallback[eid][2]
        codes = self.codes(entry) or ["X"]
        return etype, min(len(c) for c in codes), max(len(c) for c in codes)

    def codes(self, entry):
        """The element's valid codes (values only), those that fit a DEF field."""
        names = self.qualifiers.get(entry.get("QualifierRef", ""), {})
        return sorted(c for c in names if re.fullmatch(r"[A-Za-z0-9]+", c))

    def elements(self, sid):
        return [self.element(e, i) for i, e in enumerate(self.segments[sid]["Elements"], 1)]

    def entries(self):
        """Every element and composite entry once, by identifier (first occurrence)."""
        out = {}
        for sid in sorted(self.segments):
            for e in self.segments[sid]["Elements"]:
                out.setdefault(e["Id"], e)
                for c in e.get("Components", []):
                    out.setdefault(c["Id"], c)
        return out


SEGMENT_FILE = "seg5010-%s.def"


def _is_part(entries, ids):
    """True when the identifiers of entries appear in ids in the same order."""
    it = iter(ids)
    return all(e["Id"] in it for e in entries)


def pyx12_element_lists(folders):
    """segment -> element ids by position, the longest list of every pyx12 map in folders."""
    import xml.etree.ElementTree as ET
    out = {}
    for folder in folders:
        for name in sorted(os.listdir(folder)):
            if not name.endswith(".xml") or ".5010" not in name or ".v2." in name:
                continue
            for seg in ET.parse(os.path.join(folder, name)).getroot().iter("segment"):
                ids = [(int((c.findtext("seq") or "0").strip()), (c.findtext("data_ele") or "").strip())
                       for c in seg if c.tag in ("element", "composite")]
                ids = [e for _, e in sorted(ids)]
                if len(ids) > len(out.get(seg.get("xid"), [])):
                    out[seg.get("xid")] = ids
    return out


# ---------------------------------------------------------------------------------------------
# sibling loops with the same first segment


def _identity(item):
    return ("loop" if isinstance(item, Loop) else type(item).__name__, item.trigger.sid)


def _optional(item):
    if isinstance(item, Segment):
        item.req = "O"
    else:
        item.trigger.req = "O"
    return item


def merge(first, second):
    """One loop for two sibling loops that start with the same segment: the matching would
    take both into the first, so the first accepts the segments of both, in an order that keeps
    the order of each; what only one of them has is optional."""
    a, b = first.children[1:], second.children[1:]
    out = [first.children[0]]
    blocks = difflib.SequenceMatcher(None, [_identity(x) for x in a], [_identity(x) for x in b], autojunk=False)
    for op, i1, i2, j1, j2 in blocks.get_opcodes():
        if op == "equal":
            for x, y in zip(a[i1:i2], b[j1:j2]):
                out.append(merge(x, y) if isinstance(x, Loop) else x)
        else:
            out.extend(_optional(x) for x in a[i1:i2] + b[j1:j2])
    first.children = out
    first.repeat = str(max(int(first.repeat), int(second.repeat)))
    return first


def merge_twins(items):
    """merge() applied to every run of adjacent sibling loops with the same first segment; a
    segment directly before a loop that starts with it (also as the last segment of the loop
    before) gives way to the loop, which the matching could otherwise never enter."""
    out = []
    for item in items:
        if isinstance(item, Loop):
            item.children = [item.children[0]] + merge_twins(item.children[1:])
            if out and isinstance(out[-1], Loop) and out[-1].trigger.sid == item.trigger.sid:
                merged = merge(out[-1], item)
                merged.children = [merged.children[0]] + merge_twins(merged.children[1:])
                continue
            host = out[-1].children if out and isinstance(out[-1], Loop) else out
            if host and isinstance(host[-1], Segment) and host[-1].sid == item.trigger.sid:
                if host.pop().req in ("M", "R"):
                    item.trigger.req = "M"
                if host is not out:  # the loop ended with that segment: the new loop takes its place
                    host.append(item)
                    continue
        elif isinstance(item, Group):
            for child in item.children:
                child.children = merge_twins(child.children)
        out.append(item)
    return out


class Libedi:
    def __init__(self, x12ref, names, fallback):
        self.folder = os.path.join(x12ref, "libedi", "00501")
        maps = [os.path.join(x12ref, "pyx12", "map"), os.path.join(x12ref, "pyx12", "pr30-5010-270-271")]
        self.dictionary = Dictionary(os.path.join(self.folder, "X12_00501.json"), fallback,
                                     pyx12_element_lists(maps) if fallback else None)
        self.names = names          # segment id -> description
        self.used = set()           # segments whose element files the 005010 sets include

    def sets(self):
        return sorted(n[len("X12_00501_"):-5] for n in os.listdir(self.folder)
                      if n.startswith("X12_00501_") and n.endswith(".json"))

    def table(self, code):
        return read_table(os.path.join(self.folder, "X12_00501_%s.json" % code))

    def body(self, nodes, segment, hl_codes):
        """deflib items of a table; segment(sid, req, max) makes each segment."""
        def convert(node):
            if not node.is_loop:
                return segment(node.sid, node.req, node.max)
            children = [convert(c) for c in node.children]
            children[0].req = node.req  # the loop's requirement, read from its first segment
            loop = Loop(node.sid, node.max, "%s loop" % children[0].desc, children)
            if node.sid == "HL":
                loop.key = list(hl_codes)
                return Group("HLS", 3, "Hierarchical levels by HL03", [loop])
            return loop
        return merge_twins([convert(n) for n in nodes])

    def segment_5010(self, sid, req, maximum):
        """A segment of a 005010 set: its line and the FILE line of its elements."""
        desc = self.names.get(sid, sid)
        if not self.dictionary.has(sid):
            return Segment(sid, req, maximum, desc)
        self.used.add(sid)
        return IncludedSegment(sid, req, maximum, desc, SEGMENT_FILE % sid)

    def segment_files(self):
        files = {}
        for sid in sorted(self.used):
            lines = ["; %s: elements of the X12 005010 segment (number, position, M/O, type, lengths, name)." % sid,
                     "; Generated by tools/defgen from libedi X12_00501.json (MPL-2.0); see SOURCES.md."]
            files[SEGMENT_FILE % sid] = lines + [e.line() for e in self.dictionary.elements(sid)]
        return files


class IncludedSegment(Segment):
    """A segment line followed by a FILE directive that brings in its element lines."""

    def __init__(self, sid, req, maxuse, desc, include):
        super().__init__(sid, req, maxuse, desc)
        self.include = include

    def lines(self):
        return super().lines() + Raw("???*FILE*" + self.include).lines()


# ---------------------------------------------------------------------------------------------
# 004010 differences


class Corrections:
    """Our own list of where an 004010 table differs from the 005010 one (data/std4010.tsv),
    applied to a set's Nodes. Paths name loops by their first segments from the set down
    ("/" the set itself, "/S5/N1" the N1 loop in the S5 loop); the first match counts, "N1#2"
    names the second.

      SET  rename  OLD  NEW  [PATH]        segment or loop OLD is NEW (everywhere, or among the
                                           children of loop PATH)
      SET  graft   PATH  AFTER  ITEM...    items into loop PATH after its child AFTER ("-":
                                           first after the loop's trigger, or at the start of
                                           the set); an item is SEG or TRIGGER(ITEM,...), a
                                           loop; grafted items are optional and unbounded
      SET  move    PATH  TO  AFTER         the loop or segment at PATH into loop TO after AFTER
      SET  copy    PATH  TO  AFTER         a copy of it there, as optional
      SET  remove  PATH                    the loop or segment at PATH
      SET  require PATH  REQ               requirement of the segment or loop at PATH
      SET  keep    WORDS...                no change although other sources differ (why)
    """

    def __init__(self, path):
        self.by_set = {}
        for n, line in enumerate(open(path, encoding="ascii"), 1):
            fields = line.split()
            comment = [i for i, f in enumerate(fields) if f.startswith("#")]
            fields = fields[:comment[0]] if comment else fields
            if fields:
                self.by_set.setdefault(fields[0], []).append((n, fields[1], fields[2:]))
        self.path = path

    def kept(self):
        """set -> the reasons of its keep lines."""
        return {code: "; ".join(" ".join(args) for _, op, args in ops if op == "keep")
                for code, ops in self.by_set.items() if any(op == "keep" for _, op, _ in ops)}

    def apply(self, code, nodes):
        top = Node("", "M", "1", [Node("", "M", "1")] + [n.copy() for n in nodes])  # a pseudo loop
        for n, op, args in self.by_set.get(code, []):
            try:
                getattr(self, "_" + op)(top, *args)
            except (KeyError, TypeError, ValueError, AttributeError) as err:
                raise ValueError("%s:%d: %s %s: %s" % (self.path, n, op, " ".join(args), err))
        return top.children[1:]

    @staticmethod
    def _find(top, path, loop_only=False):
        """(parent loop, index, node) of the item at path: loops along the way, and at its end a
        loop when loop_only, else the first segment or loop of that identifier."""
        parts = [p for p in path.split("/") if p]
        parent, index, node = None, None, top
        for n, part in enumerate(parts):
            want_loop = loop_only or n < len(parts) - 1
            sid, _, nth = part.partition("#")
            found = [i for i, c in enumerate(node.children[1:], 1) if c.sid == sid and (c.is_loop or not want_loop)]
            if len(found) < int(nth or 1):
                raise KeyError("no %s%s in %s" % (part, " loop" if want_loop else "", path))
            parent, index = node, found[int(nth or 1) - 1]
            node = parent.children[index]
        return parent, index, node

    def _loop_at(self, top, path):
        return self._find(top, path, loop_only=True)[2]

    def _place(self, top, path, after, node):
        loop = self._loop_at(top, path)
        if after == "-":
            loop.children.insert(1, node)
            return
        for i, c in enumerate(loop.children[1:], 1):
            if c.sid == after:
                loop.children.insert(i + 1, node)
                return
        raise KeyError("no %s in %s" % (after, path))

    def _rename(self, top, old, new, path=None):
        def walk(node, deep):
            for c in node.children[1:]:
                if c.sid == old:
                    c.sid = new
                    if c.is_loop:
                        c.children[0].sid = new
                if c.is_loop and deep:
                    walk(c, deep)
        walk(self._loop_at(top, path or "/"), path is None)

    def _graft(self, top, path, after, *items):
        for item in reversed(items):
            self._place(top, path, after, parse_item(item))

    def _keep(self, top, *why):
        pass

    def _move(self, top, path, to, after):
        parent, index, node = self._find(top, path)
        del parent.children[index]
        self._place(top, to, after, node)

    def _copy(self, top, path, to, after):
        node = self._find(top, path)[2].copy()
        node.req = "O"
        self._place(top, to, after, node)

    def _remove(self, top, path):
        parent, index, _ = self._find(top, path)
        del parent.children[index]

    def _require(self, top, path, req):
        _, _, node = self._find(top, path)
        node.req = req


def parse_item(text):
    """SEG[:MAX] or TRIGGER(ITEM,...) as an optional Node, unbounded unless MAX is given."""
    def parse(i):
        j = i
        while j < len(text) and text[j] not in "(),":
            j += 1
        sid, _, maximum = text[i:j].partition(":")
        if not re.fullmatch(r"[A-Z0-9]{2,3}", sid) or not re.fullmatch(r"\d*", maximum):
            raise ValueError("bad item %r in %s" % (text[i:j], text))
        if j < len(text) and text[j] == "(":
            children = [Node(sid, "M", "1")]
            j += 1
            while True:
                child, j = parse(j)
                children.append(child)
                if j >= len(text):
                    raise ValueError("missing ) in %s" % text)
                if text[j] == ")":
                    return Node(sid, "O", maximum or UNBOUNDED, children), j + 1
                j += 1  # ","
        return Node(sid, "O", maximum or UNBOUNDED), j
    node, end = parse(0)
    if end != len(text):
        raise ValueError("text after the item: %s" % text)
    return node
