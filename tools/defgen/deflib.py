"""The in-memory form of a document definition and how it is written as DEF lines.

Line forms of DEF files and their schema tags:
  A??*LS*loop-id*repeat*key*description      plain loop
  A??*HLS*1*3*description                    hierarchical levels, keyed by HL03
  A??*ELS*1*y*description                    sibling loops told apart by element y of their first segment
  A??*ESS*y*description                      sibling segments told apart by their element y
  A??*LE / HLE / ELE / ESE                   end of the innermost open loop or group
  SEG*0*req*max*description[*key]            segment (inline form)
  SEG*req*max*description[*key]              segment reference, expanded from SEG.def and PREFIX-SEG.def
  id*pos*req*type*min*max*description[*codes]  data element of the segment above; codes: its valid
                                             values joined by "," (a composite: its first component's)
"""

import re
import unicodedata

UNBOUNDED = "999999"       # ">1" in the standards
FREEFORM_MAX = "999999999"  # the free-form definition's any-segment line

_REPLACEMENTS = {"\u2019": "'", "\u2018": "'", "\u201c": '"', "\u201d": '"', "\u2013": "-", "\u2014": "-",
                 "\u00a0": " ", "*": "x", "~": "-", ";": ",", "\t": " "}


def clean(text):
    """A description that is safe inside a DEF line: ASCII, no field separators, one line."""
    text = text or ""
    for a, b in _REPLACEMENTS.items():
        text = text.replace(a, b)
    text = unicodedata.normalize("NFKD", text).encode("ascii", "ignore").decode("ascii")
    text = re.sub(r"\s+", " ", text).strip()
    return text


def repeat_text(value):
    value = (value or "").strip()
    if value in ("", ">1", "&gt;1", "unbounded", "-1"):
        return UNBOUNDED if value else "1"
    if not value.isdigit():
        raise ValueError("not a repeat count: %r" % value)
    return str(int(value))


class Element:
    def __init__(self, eid, pos, req, etype, minlen, maxlen, desc, codes=None):
        self.eid, self.pos, self.req = eid, int(pos), req
        self.etype, self.minlen, self.maxlen = etype, str(minlen), str(maxlen)
        self.desc = clean(desc)
        self.codes = codes      # valid values, written as the eighth field; None: any

    def line(self):
        codes = "*" + ",".join(self.codes) if self.codes else ""
        return "%s*%d*%s*%s*%s*%s*%s%s" % (self.eid, self.pos, self.req, self.etype, self.minlen, self.maxlen,
                                           self.desc, codes)


class Segment:
    def __init__(self, sid, req, maxuse, desc, elements=None, key=None, ref=False):
        self.sid, self.req, self.maxuse = sid, req, repeat_text(maxuse)
        self.desc = clean(desc)
        self.elements = elements or []
        self.key = key          # list of codes, only for segments under an ESS group
        self.ref = ref          # written as a segment reference (PREFIX mechanism)
        self.codes = {}         # position -> list of codes (for choosing keys), not written

    def lines(self):
        key = "*" + ",".join(self.key) if self.key else ""
        if self.ref:
            return ["%s*%s*%s*%s%s" % (self.sid, self.req, self.maxuse, self.desc, key)]
        out = ["%s*0*%s*%s*%s%s" % (self.sid, self.req, self.maxuse, self.desc, key)]
        out += [e.line() for e in self.elements]
        return out

    @property
    def trigger(self):
        return self


class Loop:
    def __init__(self, lid, repeat, desc, children=None, key=None):
        self.lid, self.repeat = lid, repeat_text(repeat)
        self.desc = clean(desc)
        self.children = children or []
        self.key = key          # list of codes (HLS / ELS children); None for plain loops

    @property
    def trigger(self):
        return self.children[0]

    def lines(self):
        key = ",".join(self.key) if self.key else self.children[0].sid
        out = ["A??*LS*%s*%s*%s*%s" % (self.lid, self.repeat, key, self.desc)]
        for c in self.children:
            out += c.lines()
        out.append("A??*LE")
        return out


class Group:
    """HLS, ELS or ESS."""

    def __init__(self, kind, y, desc, children):
        self.kind, self.y, self.desc, self.children = kind, int(y), clean(desc), children

    @property
    def trigger(self):
        return self.children[0].trigger

    def lines(self):
        if self.kind == "HLS":
            out = ["A??*HLS*1*3*%s" % self.desc]
        elif self.kind == "ELS":
            out = ["A??*ELS*1*%d*%s" % (self.y, self.desc)]
        else:
            out = ["A??*ESS*%d*%s" % (self.y, self.desc)]
        for c in self.children:
            out += c.lines()
        out.append("A??*" + {"HLS": "HLE", "ELS": "ELE", "ESS": "ESE"}[self.kind])
        return out


class Raw:
    """Lines written as they are (directives, comments)."""

    def __init__(self, *lines):
        self.lines_ = list(lines)

    def lines(self):
        return list(self.lines_)


# ---------------------------------------------------------------------------------------------
# keyed groups


def _key_codes(item, pos):
    seg = item.trigger if isinstance(item, (Loop, Group)) else item
    return seg.codes.get(pos)


def choose_key_position(items, fixed=None):
    """Lowest element position where every item has codes and not all code sets are equal."""
    if fixed is not None:
        return fixed if all(_key_codes(i, fixed) for i in items) else None
    positions = set()
    for i in items:
        seg = i.trigger
        positions |= set(seg.codes)
    for pos in sorted(positions):
        sets = [_key_codes(i, pos) for i in items]
        if all(sets) and len({tuple(s) for s in sets}) > 1:
            return pos
    return None


def group_keyed(children, loop_first=True, describe=None):
    """Replace runs of sibling loops with the same first segment by ELS groups and runs of
    same-id segments by ESS groups, wherever a key element tells them apart.

    children: list of Segment / Loop / Group. The first child of a loop (its trigger) is
    never grouped when loop_first is true.
    """
    out = []
    i = 0
    start = 1 if loop_first and children and isinstance(children[0], Segment) else 0
    out.extend(children[:start])
    i = start
    while i < len(children):
        item = children[i]
        j = i + 1
        if isinstance(item, (Segment, Loop)) and not (isinstance(item, Loop) and item.key):
            while j < len(children) and type(children[j]) is type(item) \
                    and children[j].trigger.sid == item.trigger.sid \
                    and not (isinstance(children[j], Loop) and children[j].key):
                j += 1
        run = children[i:j]
        if len(run) > 1:
            pos = choose_key_position(run)
            if pos is not None:
                for r in run:
                    codes = _key_codes(r, pos)
                    r.key = list(codes)
                sid = item.trigger.sid
                if isinstance(item, Loop):
                    desc = describe("ELS", run, pos) if describe else "%s loops by %s%02d" % (sid, sid, pos)
                    out.append(Group("ELS", pos, desc, run))
                else:
                    desc = describe("ESS", run, pos) if describe else "%s segments by %s%02d" % (sid, sid, pos)
                    out.append(Group("ESS", pos, desc, run))
                i = j
                continue
        out.extend(run)
        i = j
    return out
