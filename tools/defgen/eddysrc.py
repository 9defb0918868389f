"""What the generator takes from eddy's data (MIT): transaction set and segment names, the
004010 element dictionary and its code lists (values only: X12 code descriptions are not
shipped, see data/definitions/SOURCES.md)."""

import os
import re

from deflib import clean

CODE = re.compile(r"[A-Za-z0-9]+")


def _rows(path):
    with open(path, encoding="utf-8") as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if fields[0] not in ("id", "code") and fields[0]:
                yield fields


class Eddy:
    def __init__(self, x12ref):
        self.data = os.path.join(x12ref, "eddy", "data")
        self.set_names = {f[0]: clean(f[2]) for f in _rows(os.path.join(self.data, "transaction-sets.tsv"))}
        self.segment_names = {f[0]: clean(f[1]) for f in _rows(os.path.join(self.data, "segments.tsv"))}
        # element -> (type, min, max, name)
        self.elements = {f[0]: (f[2], f[3], f[4], clean(f[1]))
                         for f in _rows(os.path.join(self.data, "elements.tsv")) if len(f) >= 5 and f[2]}

    def set_name(self, code):
        return self.set_names.get(code, "Transaction set %s" % code)

    def code_list(self, element):
        """The element's codes in eddy's 004010 list, those that fit a DEF field; [] without one."""
        path = os.path.join(self.data, "code-lists", "%s.tsv" % element)
        if not os.path.exists(path):
            return []
        return sorted({f[0] for f in _rows(path) if CODE.fullmatch(f[0])})
