"""Interchange, group and transaction envelopes, from pyx12's X12 control maps (BSD-3-Clause)
and OBOE's envelope rules (Apache-2.0, for ISB and ISE, and the code lists), with StAEDI's
interchange versions (Apache-2.0, ISA12 up to 00801).

The program's document tree builder needs this shape, so every document definition
gets it: root > loop L0001 (ISA, ISB, ISE, TA1, loop L0002 (GS, loop L0003 (ST, body, SE), GE),
IEA). The envelope loops repeat (a file may hold several interchanges, groups and transactions).
ISB, ISE and TA1 are optional, and so is the group loop: an interchange may carry nothing but
TA1 acknowledgments, and the matching skips a loop only when its first segment is optional.
"""

import copy
import os
import xml.etree.ElementTree as ET

from deflib import FREEFORM_MAX, UNBOUNDED, Element, Segment, clean
from pyx12src import convert_segment

ENVELOPE_LOOPS = {
    "0001": ("ISA", "Interchange"),
    "0002": ("GS", "Functional group"),
    "0003": ("ST", "Transaction set"),
}

# usage in pyx12 maps (R/S) -> requirement vocabulary of a retail (standard) definition (M/O)
TO_STANDARD = {"R": "M", "S": "O", "N": "N"}

# optional segments of every envelope; GS is among them (see above)
OPTIONAL = ("ISB", "ISE", "TA1", "GS")


def _opening(segs):
    out = [_loop_line("0001")] + segs["ISA"].lines()
    for sid in ("ISB", "ISE", "TA1"):
        out += segs[sid].lines()
    out += [_loop_line("0002")] + segs["GS"].lines()
    out += [_loop_line("0003")] + segs["ST"].lines()
    return out


def _segments(control_map, dataele):
    out = {}
    for seg in ET.parse(control_map).getroot().iter("segment"):
        if seg.get("xid") in ("ISA", "GS", "GE", "IEA", "TA1"):
            out[seg.get("xid")] = convert_segment(seg, dataele)
    return out


OBOE_NS = "{https://raw.githubusercontent.com/EDIandXML/OBOE/main/EDIRules.xsd}"


def oboe_segments(envelope_rules, ids=("ISB", "ISE")):
    """Segments of OBOE's x12.envelope.xml, elements with their M/O designators."""
    out = {}
    for seg in ET.parse(envelope_rules).getroot().iter(OBOE_NS + "segment"):
        if seg.get("id") not in ids:
            continue
        elements = [Element(e.get("id"), e.get("sequence"), e.get("required"), e.get("type"), e.get("minLength"),
                            e.get("maxLength"), e.get("name")) for e in seg.iter(OBOE_NS + "dataElement")]
        out[seg.get("id")] = Segment(seg.get("id"), "O", "1", seg.get("name"), elements)
    return out


# GS08 takes guide identifiers (005010X222A1) that the standard's version list does not hold.
NO_CODE_LIST = ("480",)


def oboe_code_lists(envelope_rules):
    """Element id -> valid codes, from the IDList files that OBOE's x12.envelope.xml names, and
    for the interchange version (I11) also StAEDI's list, which goes on to the later releases."""
    folder = os.path.dirname(envelope_rules)
    out = {}
    for de in ET.parse(envelope_rules).getroot().iter(OBOE_NS + "dataElement"):
        listed = de.find(OBOE_NS + "idListFile")
        if listed is None or de.get("id") in NO_CODE_LIST:
            continue
        root = ET.parse(os.path.join(folder, listed.get("fileName"))).getroot()
        out[de.get("id")] = [c.text.strip() for c in root.iter(OBOE_NS + "idCode") if c.text and c.text.strip()]
    staedi = os.path.join(os.path.dirname(folder), "staedi", "common.xml")
    ns = "{http://xlate.io/EDISchema/v4}"
    for et in ET.parse(staedi).getroot().iter(ns + "elementType"):
        if et.get("name") == "I11":
            out["I11"] = sorted(set(out.get("I11", [])) | {v.text.strip() for v in et.iter(ns + "value")})
    return out


def _st_se(any_map, dataele):
    out = {}
    for seg in ET.parse(any_map).getroot().iter("segment"):
        if seg.get("xid") in ("ST", "SE") and seg.get("xid") not in out:
            out[seg.get("xid")] = convert_segment(seg, dataele)
    return out


def _loop_line(level):
    trigger, desc = ENVELOPE_LOOPS[level]
    return "A??*LS*%s*%s*%s*%s" % (level, UNBOUNDED, trigger, desc)


class Envelope:
    """Opening and closing lines of one envelope flavour."""

    def __init__(self, control_map, st_map, dataele, standard_vocabulary, version_label, envelope_rules):
        self.segs = _segments(control_map, dataele)
        self.segs.update(_st_se(st_map, dataele))
        self.version_label = version_label
        for seg in self.segs.values():
            seg.codes = {}
            seg.req = "M" if standard_vocabulary else "R"
            seg.maxuse = "1"
            for e in seg.elements:
                if standard_vocabulary:
                    e.req = TO_STANDARD[e.req]
        optional = "O" if standard_vocabulary else "S"
        self.segs.update(oboe_segments(envelope_rules))
        for sid in OPTIONAL:
            self.segs[sid].req = optional
            if not standard_vocabulary:
                for e in self.segs[sid].elements:
                    e.req = {"M": "R", "O": "S"}.get(e.req, e.req)
        self.segs["TA1"].maxuse = UNBOUNDED
        lists = oboe_code_lists(envelope_rules)
        for seg in self.segs.values():
            for e in seg.elements:
                e.codes = lists.get(e.eid)  # the guides' own lists (GS08 of one guide) do not hold here
        st = self.segs["ST"]
        # ST03 exists from 00403 on; a 004010 envelope has two ST elements
        if version_label == "004010":
            st.elements = [e for e in st.elements if e.pos <= 2]
        isa = self.segs["ISA"]
        for e in isa.elements:
            if e.pos == 11 and e.eid == "I65":
                e.desc = "Repetition Separator"
            if e.pos == 11 and e.eid == "I10":
                e.desc = "Interchange Control Standards Identifier"
            if e.pos == 16:
                e.desc = "Component Element Separator"
        names = {"ISA": "Interchange Control Header", "TA1": "Interchange Acknowledgment",
                 "GS": "Functional Group Header",
                 "ST": "Transaction Set Header", "SE": "Transaction Set Trailer",
                 "GE": "Functional Group Trailer", "IEA": "Interchange Control Trailer"}
        for sid, name in names.items():
            self.segs[sid].desc = name

    def opening(self):
        return _opening(self.segs)

    def closing(self):
        out = self.segs["SE"].lines() + ["A??*LE"]
        out += self.segs["GE"].lines() + ["A??*LE"]
        out += self.segs["IEA"].lines() + ["A??*LE"]
        return out


def freeform(env5010):
    """The free-form definition: any interchange, segment by segment .

    Version-neutral element texts; every body segment is matched by the "XXX" line, which
    matches any segment except the trailers SE, GE and IEA."""
    segs = copy.deepcopy(env5010.segs)
    for seg in segs.values():
        seg.req = "O" if seg.sid in OPTIONAL else "M"
        for e in seg.elements:
            e.req = TO_STANDARD[e.req]
    isa11 = [e for e in segs["ISA"].elements if e.pos == 11][0]
    isa11.eid, isa11.etype = "I65", "AN"
    isa11.desc = clean("Repetition Separator (00501 on) or Standards Identifier (up to 00401)")
    st03 = [e for e in segs["ST"].elements if e.pos == 3]
    for e in st03:
        e.req = "O"
    out = _opening(segs)
    out += ["XXX*0*O*%s*Any segment" % FREEFORM_MAX]
    out += segs["SE"].lines() + ["A??*LE"]
    out += segs["GE"].lines() + ["A??*LE"]
    out += segs["IEA"].lines() + ["A??*LE"]
    return out
