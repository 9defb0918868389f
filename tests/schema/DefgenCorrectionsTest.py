#!/usr/bin/env python3
"""The definition generator's list of 004010 differences (libedisrc.Corrections) and its mending
of libedi's dictionary: each operation changes exactly the place it names, a bad line names its
line, and a repeated composite libedi leaves out comes back optional."""

import json
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "defgen"))

import libedisrc  # noqa: E402
from libedisrc import Node  # noqa: E402


def table():
    """BGN, N1 loop (N1, N2, LX loop (LX, MTX)), N1 loop (N1, PER), MTX."""
    return [Node("BGN", "M", "1"),
            Node("N1", "O", "200", [Node("N1", "M", "1"), Node("N2", "O", "2"),
                                    Node("LX", "O", "999999", [Node("LX", "M", "1"), Node("MTX", "O", "5")])]),
            Node("N1", "M", "10", [Node("N1", "M", "1"), Node("PER", "O", "3")]),
            Node("MTX", "O", "1")]


def outline(nodes):
    """"SID" for a segment, "SID(children)" for a loop, as one string."""
    return " ".join(n.sid if not n.is_loop else "%s(%s)" % (n.sid, outline(n.children[1:])) for n in nodes)


def corrected(lines):
    with tempfile.NamedTemporaryFile("w", suffix=".tsv", delete=False) as f:
        f.write("# comment\n" + "\n".join("\t".join(["999"] + line.split()) for line in lines) + "\n")
    try:
        return outline(libedisrc.Corrections(f.name).apply("999", table()))
    finally:
        os.remove(f.name)


class Corrections(unittest.TestCase):
    def test_each_operation_changes_the_place_it_names(self):
        self.assertEqual(corrected([]), "BGN N1(N2 LX(MTX)) N1(PER) MTX")
        self.assertEqual(corrected(["rename MTX MSG"]), "BGN N1(N2 LX(MSG)) N1(PER) MSG")
        self.assertEqual(corrected(["rename MTX MSG /"]), "BGN N1(N2 LX(MTX)) N1(PER) MSG")  # only the set's own
        self.assertEqual(corrected(["rename LX N9 /N1"]), "BGN N1(N2 N9(MTX)) N1(PER) MTX")  # a loop and its trigger
        self.assertEqual(corrected(["graft /N1#2 - REF N4:1"]), "BGN N1(N2 LX(MTX)) N1(REF N4 PER) MTX")
        self.assertEqual(corrected(["graft / - SPO(SDQ,N9(MSG))"]),
                         "SPO(SDQ N9(MSG)) BGN N1(N2 LX(MTX)) N1(PER) MTX")
        self.assertEqual(corrected(["move /N1/LX / N1"]), "BGN N1(N2) LX(MTX) N1(PER) MTX")
        self.assertEqual(corrected(["copy /N1/LX /N1#2 PER"]), "BGN N1(N2 LX(MTX)) N1(PER LX(MTX)) MTX")
        self.assertEqual(corrected(["remove /MTX"]), "BGN N1(N2 LX(MTX)) N1(PER)")
        self.assertEqual(corrected(["keep OopFactory differs"]), corrected([]))

    def test_grafts_are_optional_and_requirements_change_where_named(self):
        with tempfile.NamedTemporaryFile("w", suffix=".tsv", delete=False) as f:
            f.write("999\tgraft\t/\tBGN\tN9(MSG:2)\n999\trequire\t/N1#2\tO\n999\tcopy\t/N1\t/\tMTX\n")
        nodes = libedisrc.Corrections(f.name).apply("999", table())
        os.remove(f.name)
        n9 = nodes[1]
        self.assertEqual((n9.sid, n9.req, n9.max), ("N9", "O", libedisrc.UNBOUNDED))
        self.assertEqual((n9.children[1].sid, n9.children[1].max), ("MSG", "2"))
        self.assertEqual(nodes[3].req, "O")
        self.assertEqual(nodes[-1].req, "O")  # a copy is optional
        self.assertEqual(nodes[2].req, "O")   # the first N1 loop as it was
        self.assertEqual(table()[2].req, "M")  # the source table is not changed

    def test_a_bad_line_names_its_file_and_line(self):
        for line, fault in (("graft /N9 - MSG", "no N9 loop"), ("move /BGN /N1 XX", "no XX"),
                            ("graft / - N9(MSG", "missing )"), ("graft / - lower", "bad item"),
                            ("rename", "rename")):
            with self.assertRaises(ValueError) as caught:
                corrected([line])
            self.assertIn(":2:", str(caught.exception), line)
            self.assertIn(fault, str(caught.exception), line)


class Mending(unittest.TestCase):
    def test_repeated_composites_and_missing_lengths(self):
        data = {"Qualifiers": {"Q": {"AB": "a", "C D": "not a DEF code"}},
                "Segments": {"HI": {"Elements": [{"Id": "C022", "Desc": "Code", "Required": True, "Components": [
                    {"Id": "1270", "Desc": "Qualifier", "Required": True, "QualifierRef": "Q"},
                    {"Id": "1271", "Desc": "Industry Code", "DataType": "AN", "Required": True}]}]},
                             "N1": {"Elements": [{"Id": "98", "Desc": "Entity", "QualifierRef": "Q"}]}}}
        with tempfile.NamedTemporaryFile("w", suffix=".json", delete=False) as f:
            json.dump(data, f)
        fallback = {"1270": ("ID", "1", "3"), "1271": ("AN", "1", "30")}
        d = libedisrc.Dictionary(f.name, fallback, {"HI": ["C022", "C022", "C022"], "N1": ["66"]})
        os.remove(f.name)
        self.assertEqual(d.mended, ["HI"])  # N1's list is no part of pyx12's: left as it is
        lines = [e.line() for e in d.elements("HI")]
        self.assertEqual(lines, ["C022*1*M*COMP*1*34*Code", "C022*2*O*COMP*1*34*Code", "C022*3*O*COMP*1*34*Code"])
        self.assertEqual(d.codes(d.segments["N1"]["Elements"][0]), ["AB"])
        self.assertEqual(d.facts({"Id": "98", "QualifierRef": "Q"}), ("ID", 2, 2))  # from its codes


if __name__ == "__main__":
    unittest.main()
