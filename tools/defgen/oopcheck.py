"""Cross-check of the 004010 standard sets with OopFactory's 004010 specifications (CDDL-1.0:
read to compare facts, never copied, nothing of them is written anywhere).

For every set both have, documents are made from OopFactory's table and matched against our
definition the way the program matches:
  * every segment and loop once (trailer segments at the end);
  * every loop that may repeat twice (LS/LE pairs aside), so that a loop that sits inside a
    repeating sibling in 004010 but after it in ours shows.
A set passes when both open. (OopFactory marks few segments required, too few to compare the
requirements.) The loop places (the chain of first segments of the
enclosing loops) are compared as well and counted.
"""

import collections
import os
import tempfile
import xml.etree.ElementTree as ET

import schemasim

NS = "{http://tempuri.org/X12ParserSpecification.xsd}"


class Item:
    def __init__(self, sid, required, repeat, children=None, level=None):
        self.sid, self.required, self.repeat = sid, required, repeat
        self.children = children  # None: a segment; for a loop its content after the trigger
        self.level = level        # HL03 of a hierarchical loop


def read_spec(path):
    """(items, trailers) of an OopFactory specification; None when it cannot be read."""
    try:
        root = ET.parse(path).getroot()
    except (OSError, ET.ParseError):
        return None
    trailers = []

    def repeat(node, attr):
        """The count given; none given counts as 1 (OopFactory leaves out many loops' repeats)."""
        value = node.get(attr)
        return int(value) if value and value.isdigit() else 1

    def walk(node):
        out = []
        for c in node:
            tag = c.tag.replace(NS, "")
            required = c.get("Usage") == "Required"
            if tag == "Segment":
                item = Item(c.get("SegmentId"), required, repeat(c, "Repeat"))
                (trailers if c.get("Trailer") == "true" else out).append(item)
            elif tag == "Loop":
                start = c.find(NS + "StartingSegment")
                out.append(Item(start.get("SegmentId"), required, repeat(c, "LoopRepeat"), walk(c)))
            elif tag == "HierarchicalLoop":
                out.append(Item("HL", required, repeat(c, "LoopRepeat"), walk(c), c.get("LevelCode") or "1"))
        return out
    items = walk(root)
    return (items, trailers) if items or trailers else None


class Writer:
    """A document's body from items: mode "all" or "twice"."""

    def __init__(self, mode):
        self.mode, self.segments, self.hl = mode, [], 0

    def items(self, items, parent_hl=0):
        for item in items:
            times = 2 if self.mode == "twice" and item.children is not None and item.repeat > 1 \
                and item.sid != "LS" else 1
            for _ in range(times):
                self.item(item, parent_hl)

    def item(self, item, parent_hl):
        if item.sid == "HL":
            self.hl += 1
            me = self.hl
            self.segments.append("HL*%d*%s*%s" % (me, parent_hl or "", item.level))
            self.items(item.children, me)
            return
        self.segments.append(item.sid + "*1")
        if item.children is not None:
            self.items(item.children, parent_hl)


def document(code, body):
    segs = ["ISA*00*          *00*          *ZZ*CHECK          *ZZ*CHECK          *240101*1200*U*00401*000000001*0*T*:",
            "GS*XX*A*B*20240101*1200*1*X*004010", "ST*%s*0001" % code] + body
    segs += ["SE*%d*0001" % (len(body) + 2), "GE*1*1", "IEA*1*000000001"]
    return "~\n".join(segs) + "~\n"


def loop_places(items, here=""):
    out = []
    for item in items:
        if item.children is not None:
            out.append(here + "/" + item.sid)
            out += loop_places(item.children, here + "/" + item.sid)
    return out


def our_places(node, here=""):
    out = []
    for c in node.children:
        if c.kind == "S" and c.code == "LS":
            first = c.children[0].code
            out.append(here + "/" + first)
            out += our_places(c, here + "/" + first)
        elif c.kind == "S":
            out += our_places(c, here)
    return out


def crosscheck(x12ref, defs, codes, kept=None):
    """kept: set -> why a difference was decided in favour of the 005010 table."""
    kept = kept or {}
    folder = os.path.join(x12ref, "oopfactory-x12parser", "Specifications")
    store = schemasim.DefStore(defs)
    passed, unexplained, compared, agree, total = [], [], 0, 0, 0
    with tempfile.TemporaryDirectory() as tmp:
        for code in codes:
            spec = read_spec(os.path.join(folder, "Ansi-%s-4010Specification.xml" % code)) or \
                read_spec(os.path.join(folder, "Ansi-%s-Specification.xml" % code))
            if spec is None:
                continue
            compared += 1
            items, trailers = spec
            tree, messages = schemasim.build_schema(store, code)
            failures = []
            for mode in ("all", "twice"):
                w = Writer(mode)
                w.items(items + trailers)
                path = os.path.join(tmp, "doc.edi")
                with open(path, "w", encoding="ascii") as f:
                    f.write(document(code, w.segments))
                m = schemasim.match_file(tree, path)
                if m.nError:
                    failures.append("%s: %s" % (mode, m.sError.split("segment:")[-1]))
            transaction = [c for c in tree.root.walk() if c.kind == "S" and c.attr("L") == "0003"][0]
            theirs, ours = loop_places(items), our_places(transaction)
            same = sum((collections.Counter(theirs) & collections.Counter(ours)).values())
            agree, total = agree + same, total + len(theirs)
            if failures and code in kept:
                print("%s: %s (kept: %s)" % (code, "; ".join(failures), kept[code]))
            elif failures:
                print("%s: %s" % (code, "; ".join(failures)))
                unexplained.append(code)
            else:
                passed.append(code)
    print("== 004010 sets compared with OopFactory: %d; documents of its tables open in %d; differences kept "
          "on purpose in %d; unexplained in %d; loop places agreeing: %d of %d" % (
              compared, len(passed), compared - len(passed) - len(unexplained), len(unexplained), agree, total))
    return not unexplained
