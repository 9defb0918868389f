"""X12 standard transaction sets from eddy's segment tables (MIT).

eddy's `segments-by-transaction-set/<set>.tsv` lists every segment of a set in order, with its
table (H header, D detail, S summary), requirement (M/O), maximum use, and, on the first segment
of a loop, the loop's repeat. Where a loop ends and how loops nest is not in the tables; the
generator infers it with these rules:

  * loops never cross tables;
  * a container holds every loop that follows it in its table: the loop a table starts with
    (PO1, IT1, HL, S5 ...), and a loop whose first segment is directly followed by another
    loop's first segment (W01 after LX) unless a loop with its first segment comes again later
    in the table;
  * any other loop is closed by the next loop start, which becomes a sibling inside the
    innermost container;
  * a segment belongs to the innermost open loop unless that loop already holds a segment or
    loop with its identifier (X12 tables name each segment once per loop); then the loop is
    closed and the test repeats one level up;
  * a loop start whose identifier its container already holds goes into the container's last
    loop instead (830: the second LM loop belongs to the FST loop), since closing the
    container would put everything after it outside;
  * LS and LE are segments of the loop around them (LS closes plain loops as a loop start
    does), and the loops between them its children;
  * adjacent sibling loops with the same first segment become one loop (merge below);
  * an HL loop becomes an HLS group with one child loop keyed by every HL03 code of element 735.

The tables follow a later release than 004010 in places (segment names, a few added segments
and loops); matching is greedy, so a superset still opens 004010 documents. `defgen.py
crosscheck` compares the inferred nesting with OopFactory's 004010 files (cross-check only).

Segments in our 004010 dictionary are written as references (elements from `<SEG>.def` and
`4010-<SEG>.def`); the others as segment lines without elements, since no permissive source
lists their elements.
"""

import difflib
import os

from deflib import Group, Loop, Segment, clean

# Sets with a curated definition of their own (retailsrc.py); eddy's tables are not used for them.
CURATED = ("810", "850", "855", "856", "860", "997")


class Row:
    def __init__(self, fields):
        self.sid, self.desc, self.table, self.req = fields[0], fields[1], fields[2], fields[3]
        self.repeat, self.maxuse = int(fields[4]), int(fields[5])

    @property
    def starts_loop(self):
        return self.repeat > 0


class Frame:
    """A level of the table being built: the transaction set, a loop, or the loops between LS
    and LE (which belong to the loop around them)."""

    def __init__(self, kind, items, container=False, loop=None):
        self.kind, self.items, self.container, self.loop = kind, items, container, loop
        self.members = set()

    def add(self, item, sid):
        self.items.append(item)
        self.members.add(sid)


def read_rows(path):
    rows = []
    for line in open(path, encoding="utf-8"):
        fields = line.rstrip("\n").split("\t")
        if fields[0] != "id" and len(fields) >= 6:
            rows.append(Row(fields))
    return rows


def opens_into(rows, i):
    """True when row i starts a loop directly after the first segment of the loop before, which
    no later loop of the table starts again: that loop then holds the following loops."""
    if i == 0 or not rows[i - 1].starts_loop:
        return False
    before = rows[i - 1]
    return not any(r.starts_loop and r.sid == before.sid for r in rows[i:] if r.table == before.table)


class Nester:
    """Turns one set's rows into deflib items (see the rules above)."""

    def __init__(self, segment, hl_codes):
        self.segment = segment    # (sid, req, maxuse, desc) -> Segment
        self.hl_codes = hl_codes  # every HL03 code

    def build(self, rows):
        top = Frame("set", [])
        stack = [top]
        table = None
        for i, row in enumerate(rows):
            if row.table != table:
                table, stack = row.table, [top]
                top.members = set()
                first_of_table = True
            else:
                first_of_table = False
            if row.starts_loop:
                self._loop(stack, row, first_of_table, opens_into(rows, i))
            elif row.sid == "LS":
                self._close_plain(stack)
                self._close_conflicting(stack, "LS")
                stack[-1].add(self._segment(row), "LS")
                stack.append(Frame("LS", stack[-1].items, container=True))
            elif row.sid == "LE" and any(f.kind == "LS" for f in stack):
                while stack[-1].kind != "LS":
                    stack.pop()
                stack.pop()
                stack[-1].add(self._segment(row), "LE")
            else:
                self._close_conflicting(stack, row.sid)
                stack[-1].add(self._segment(row), row.sid)
        return merge_twins(top.items)

    def _segment(self, row):
        return self.segment(row.sid, row.req, str(row.maxuse), row.desc)

    @staticmethod
    def _close_plain(stack):
        """Closes the loops that are no containers: a loop start follows."""
        while stack[-1].kind == "loop" and not stack[-1].container:
            stack.pop()

    @staticmethod
    def _enter_last_loop_on_conflict(stack, sid):
        """A container that already holds a loop or segment sid keeps its place (closing it would
        cut off everything after it); the new loop goes into the container's last loop."""
        frame = stack[-1]
        if frame.kind != "loop" or sid not in frame.members:
            return
        last = next((item for item in reversed(frame.items) if isinstance(item, Loop)), None)
        if last is not None and last.trigger.sid != sid:
            inner = Frame("loop", last.children, loop=last)
            inner.members = {c.trigger.sid for c in last.children}
            stack.append(inner)

    @staticmethod
    def _close_conflicting(stack, sid):
        while stack[-1].kind == "loop" and sid in stack[-1].members:
            stack.pop()

    def _loop(self, stack, row, first_of_table, into_previous):
        if into_previous and stack[-1].kind == "loop" and len(stack[-1].loop.children) == 1:
            stack[-1].container = True
        self._close_plain(stack)
        self._enter_last_loop_on_conflict(stack, row.sid)
        trigger = self._segment(row)
        loop = Loop(row.sid, str(row.repeat), "%s loop" % trigger.desc, [trigger])
        if row.sid == "HL":
            loop.key = list(self.hl_codes)
            stack[-1].add(Group("HLS", 3, "Hierarchical levels by HL03", [loop]), row.sid)
        else:
            stack[-1].add(loop, row.sid)
        frame = Frame("loop", loop.children, container=first_of_table or row.sid == "HL", loop=loop)
        frame.members.add(row.sid)
        stack.append(frame)


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


class Eddy:
    def __init__(self, x12ref, retail):
        self.folder = os.path.join(x12ref, "eddy/data/segments-by-transaction-set")
        self.names = {}
        for line in open(os.path.join(x12ref, "eddy/data/transaction-sets.tsv"), encoding="utf-8"):
            fields = line.rstrip("\n").split("\t")
            if fields[0] != "code":
                self.names[fields[0]] = clean(fields[2])
        self.retail = retail
        self.used = set()
        self.nester = Nester(self._make_segment, retail.hl_codes())

    def sets(self):
        return sorted(n[:-4] for n in os.listdir(self.folder) if n.endswith(".tsv") and n[:-4] not in CURATED)

    def _make_segment(self, sid, req, maxuse, desc):
        if self.retail.has_segment(sid):
            self.used.add(sid)
            return Segment(sid, req, maxuse, self.retail.segment_name(sid), ref=True)
        return Segment(sid, req, maxuse, desc)

    def body(self, code):
        return self.nester.build(read_rows(os.path.join(self.folder, code + ".tsv")))

    def name(self, code):
        return self.names.get(code, "Transaction set %s" % code)


# ---------------------------------------------------------------------------------------------
# cross-check of the inferred nesting with OopFactory's 004010 files (CDDL: read, never copied)


def loop_paths(items, path=""):
    """Every loop as the path of the first segments of it and its enclosing loops (/N1/N1)."""
    out = []
    for item in items:
        loops = item.children if isinstance(item, Group) else [item] if isinstance(item, Loop) else []
        for loop in loops:
            here = path + "/" + loop.trigger.sid
            out.append(here)
            out += loop_paths(loop.children, here)
    return out


def oopfactory_paths(path):
    import xml.etree.ElementTree as ET
    ns = "{http://tempuri.org/X12ParserSpecification.xsd}"

    def walk(node, here):
        out = []
        for child in node:
            if child.tag in (ns + "Loop", ns + "HierarchicalLoop"):
                start = child.find(ns + "StartingSegment")
                sub = here + "/" + (start.get("SegmentId") if start is not None else "HL")
                out += [sub] + walk(child, sub)
        return out
    return walk(ET.parse(path).getroot(), "")


def crosscheck(eddy, x12ref):
    """Loops whose place (chain of enclosing loops) agrees with OopFactory, counted over the
    loops whose first segments both sources have; prints the differences per set."""
    import collections
    folder = os.path.join(x12ref, "oopfactory-x12parser/Specifications")
    agree = total = 0
    for code in eddy.sets():
        path = os.path.join(folder, "Ansi-%s-4010Specification.xml" % code)
        try:
            theirs = oopfactory_paths(path)
        except (OSError, SyntaxError):
            continue
        ours = loop_paths(eddy.body(code))
        common = {p.rsplit("/", 1)[1] for p in theirs} & {p.rsplit("/", 1)[1] for p in ours}
        keep = [p for p in theirs if all(s in common for s in p.split("/")[1:])]
        mine = [p for p in ours if all(s in common for s in p.split("/")[1:])]
        same = sum((collections.Counter(keep) & collections.Counter(mine)).values())
        agree, total = agree + same, total + len(keep)
        if same < len(keep):
            print("%s: %d of %d; OopFactory only %s; ours only %s" % (
                code, same, len(keep), sorted(set(keep) - set(mine)), sorted(set(mine) - set(keep))))
    print("== loop places agreeing with OopFactory 004010: %d of %d" % (agree, total))
