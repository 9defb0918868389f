"""Document definitions from pyx12 implementation-guide maps (BSD-3-Clause).

Reads a pyx12 map (map.xsd form) and its data element dictionary (dataele.xml) and returns the
transaction-set body as deflib objects:
  * the table wrappers (HEADER, DETAIL, TABLE2AREAn, FOOTER) are dropped, their content kept;
  * every hierarchical loop (first segment HL) is lifted out of its parent into one HLS group,
    keyed by the HL03 codes of the map;
  * runs of sibling loops that start with the same segment become an ELS group and runs of
    same-id sibling segments an ESS group, keyed by the first element position whose valid
    codes tell them apart (NM101, N101, REF01, DTP01, HI01-01, ENT02, ...);
  * a loop's first segment carries the loop's usage, because the program reads a loop's
    requirement from its first segment;
  * elements get the map's usage (R/S/N), the dictionary's type and lengths, the map's name and
    the map's valid codes for that position (a composite: those of its first component).
"""

import os
import re
import xml.etree.ElementTree as ET

import deflib
from deflib import Element, Group, Loop, Segment


class DataElements:
    """dataele.xml, plus the components of every composite found in the maps beside it."""

    def __init__(self, path):
        self.items = {}
        for e in ET.parse(path).getroot():
            self.items[e.get("ele_num")] = (e.get("data_type"), e.get("min_len"), e.get("max_len"), e.get("name"))
        self.composites = {}
        folder = os.path.dirname(path)
        for name in sorted(os.listdir(folder)):
            if not name.endswith(".xml") or name in ("dataele.xml", "codes.xml", "maps.xml"):
                continue
            for comp in ET.parse(os.path.join(folder, name)).getroot().iter("composite"):
                parts = [(int(_text(c, "seq")), _text(c, "data_ele")) for c in comp if c.tag == "element"]
                num = _text(comp, "data_ele")
                if len(parts) > len(self.composites.get(num, [])):
                    self.composites[num] = [p[1] for p in sorted(parts)]
        own = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data", "composites.tsv")
        for line in open(own, encoding="ascii"):
            if line.strip() and not line.startswith("#"):
                num, parts, _name = line.rstrip("\n").split("\t")
                self.composites.setdefault(num, parts.split())

    def composite_max(self, num, listed):
        parts = listed if listed else self.composites.get(num, [])
        if not parts:
            raise KeyError("composite %s has no known components" % num)
        return sum(int(self.get(p)[2]) for p in parts) + len(parts) - 1

    def get(self, num):
        if num not in self.items:
            raise KeyError("data element %s is not in dataele.xml" % num)
        return self.items[num]


def _text(node, tag, default=""):
    value = node.get(tag)
    if value is None:
        child = node.find(tag)
        value = child.text if child is not None and child.text else default
    return value.strip()


def _codes(el):
    vc = el.find("valid_codes")
    if vc is None:
        return []
    return [c.text.strip() for c in vc.findall("code") if c.text and c.text.strip()]


# Elements that name a document, a group kind or a version (ST01, GS01, GS08, AK101, AK201,
# AK103): a guide lists its own, but the program writes them for any document (an acknowledgement
# of an 850 is a 999 too), so they get no list.
NAMES_A_DOCUMENT = ("143", "479", "480")


def _written(num, codes):
    """The codes written as element num's list: none for an element that names a document, or
    when one of them does not fit a DEF field (a list without it would draw findings on valid
    values)."""
    ok = codes and num not in NAMES_A_DOCUMENT and all(re.fullmatch(r"[A-Za-z0-9]+", c) for c in codes)
    return codes if ok else None


def convert_segment(node, dataele, req_override=None):
    sid = node.get("xid")
    elements, codes = [], {}
    for child in node:
        if child.tag not in ("element", "composite"):
            continue
        pos = int(_text(child, "seq"))
        num = _text(child, "data_ele")
        usage = _text(child, "usage")
        name = _text(child, "name")
        if child.tag == "element":
            etype, mn, mx, dname = dataele.get(num)
            listed = _codes(child)
            elements.append(Element(num, pos, usage, etype, mn, mx, name or dname, _written(num, listed)))
            if listed:
                codes[pos] = listed
        else:
            comps = [c for c in child if c.tag == "element"]
            total = dataele.composite_max(num, [_text(c, "data_ele") for c in comps])
            first = _codes(comps[0]) if comps else []
            first_num = _text(comps[0], "data_ele") if comps else ""
            elements.append(Element(num, pos, usage, "COMP", 1, total, name, _written(first_num, first)))
            if first:
                codes[pos] = first
    elements.sort(key=lambda e: e.pos)
    seg = Segment(sid, req_override or _text(node, "usage"), _text(node, "max_use"), _text(node, "name"), elements)
    seg.codes = codes
    return seg


class MapReader:
    def __init__(self, map_path, dataele, patches=()):
        self.root = ET.parse(map_path).getroot()
        self.dataele = dataele
        self.patches = patches

    def _convert_children(self, node):
        """Children of a loop (or wrapper) as deflib objects, wrappers flattened."""
        out = []
        for child in node:
            if child.tag == "segment":
                out.append(convert_segment(child, self.dataele))
            elif child.tag == "loop":
                if child.get("type") == "wrapper":
                    out.extend(self._unwrap(child))
                else:
                    out.append(self._convert_loop(child))
        return out

    def _unwrap(self, wrapper):
        """A wrapper's content. Its repeat goes to the loops directly in it: a repeating table
        of one loop (820 2000A) is that loop repeating."""
        items = self._convert_children(wrapper)
        repeat = deflib.repeat_text(_text(wrapper, "repeat"))
        for item in items:
            if isinstance(item, Loop) and int(repeat) > int(item.repeat):
                item.repeat = repeat
        return items

    def _convert_loop(self, node):
        usage = _text(node, "usage")
        children = self._convert_children(node)
        if not children or not isinstance(children[0], Segment):
            raise ValueError("loop %s does not start with a segment" % node.get("xid"))
        # the program reads a loop's requirement from its first segment
        children[0].req = usage
        loop = Loop(node.get("xid"), _text(node, "repeat"), _text(node, "name"), children)
        loop.usage = usage
        return loop

    def transaction_body(self):
        """The segments and loops between ST and SE."""
        st_loop = None
        for loop in self.root.iter("loop"):
            if loop.get("xid") == "ST_LOOP":
                st_loop = loop
        if st_loop is None:
            raise ValueError("no ST_LOOP")
        # table wrappers directly under ST_LOOP in table order (some maps list them out of order)
        kids = list(st_loop)
        segs = [k for k in kids if k.tag == "segment"]
        wrappers = [k for k in kids if k.tag == "loop"]
        wrappers.sort(key=lambda w: int(_text(w, "pos") or 0))
        body = []
        for w in wrappers:
            if w.get("type") == "wrapper":
                body.extend(self._unwrap(w))
            else:
                body.append(self._convert_loop(w))
        for s in segs:
            if s.get("xid") not in ("ST", "SE"):
                raise ValueError("unexpected segment %s directly under ST_LOOP" % s.get("xid"))
        for patch in self.patches:
            body = patch(body)
        return build_groups(body)


def _lift_hl(items):
    """Remove hierarchical loops from their parents: returns (items without HL loops,
    HL loops in document order, each with its own HL descendants lifted too)."""
    kept, lifted = [], []
    for item in items:
        if isinstance(item, Loop):
            inner_kept, inner_lifted = _lift_hl(item.children)
            item.children = inner_kept
            if item.children[0].sid == "HL":
                lifted.append(item)
                lifted.extend(inner_lifted)
            else:
                if inner_lifted:
                    raise ValueError("HL loop below non-HL loop %s" % item.lid)
                kept.append(item)
        else:
            kept.append(item)
    return kept, lifted


def _group_tree(items):
    for item in items:
        if isinstance(item, Loop):
            item.children = _group_tree(item.children)
            item.children = deflib.group_keyed(item.children, describe=_describe)
    return items


def _describe(kind, run, pos):
    sid = run[0].trigger.sid
    if kind == "ELS":
        return "%s loops %s by %s%02d" % (sid, "/".join(r.lid for r in run), sid, pos)
    return "%s segments by %s%02d" % (sid, sid, pos)


def build_groups(body):
    """HLS for the hierarchical loops, ELS/ESS for keyed siblings."""
    kept, lifted = _lift_hl(body)
    _group_tree(kept)
    _group_tree(lifted)
    for loop in lifted:
        codes = loop.children[0].codes.get(3)
        if not codes:
            raise ValueError("HL loop %s has no HL03 codes" % loop.lid)
        loop.key = list(codes)
    # a level the guide places under two parents (278 2000E under 2000C and 2000D) is one
    # level of the group: a second copy with the same codes could never be chosen
    seen = set()
    lifted = [loop for loop in lifted if (loop.lid, tuple(loop.key)) not in seen
              and not seen.add((loop.lid, tuple(loop.key)))]
    out = deflib.group_keyed(kept, loop_first=False, describe=_describe)
    if lifted:
        # the hierarchical levels sit where the first of them was
        index = _first_hl_index(body, out)
        out.insert(index, Group("HLS", 3, "Hierarchical levels (HL03: %s)" %
                                ", ".join("%s %s" % (",".join(l.key), l.lid) for l in lifted), lifted))
    return out


def _first_hl_index(original, grouped):
    """Position in the grouped body where the first HL loop stood in the original body."""
    before = []
    for item in original:
        if isinstance(item, Loop) and item.children and item.children[0].sid == "HL":
            break
        before.append(item)
    seen = set(id(x) for x in before)
    index = 0
    for i, g in enumerate(grouped):
        members = g.children if isinstance(g, Group) else [g]
        if any(id(m) in seen for m in members):
            index = i + 1
    return index


# ---------------------------------------------------------------------------------------------
# structural corrections of particular maps


def patch_271_ls_le(body):
    """pyx12's unmerged 005010X279A1 271 map puts LS inside loop 2115 and LE inside loop 2120.
    In the implementation guide (and in pyx12's own 004010X092A1 map) loop 2110 holds
    2115 (III), then LS, the 2120 loops (NM1 ...) and LE. Move them there."""
    def fix(items):
        for item in items:
            if isinstance(item, Loop):
                fix(item.children)
                if item.lid in ("2110C", "2110D"):
                    new = []
                    for child in item.children:
                        if isinstance(child, Loop) and child.lid in ("2115C", "2115D"):
                            ls = [c for c in child.children if isinstance(c, Segment) and c.sid == "LS"]
                            inner = [c for c in child.children if isinstance(c, Loop) and c.lid.startswith("2120")]
                            child.children = [c for c in child.children if c not in ls and c not in inner]
                            new.append(child)
                            for loop in inner:
                                le = [c for c in loop.children if isinstance(c, Segment) and c.sid == "LE"]
                                loop.children = [c for c in loop.children if c not in le]
                                new.extend(ls)
                                new.append(loop)
                                new.extend(le)
                        else:
                            new.append(child)
                    item.children = new
        return items
    return fix(body)
