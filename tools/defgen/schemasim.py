"""A small model of how the program reads DEF files, used to check what defgen writes.

It follows the program's flattening, schema tree builder,
schema node tags and the matching of a document against the schema tree,
collecting every message the program would show instead of showing it. It is a checking
aid for the definition library, not a second implementation of the program.
"""

import os
import re

LOOP_STARTS = ("LS", "HLS", "ELS", "ESS")
LOOP_ENDS = ("LE", "HLE", "ELE", "ESE")


def _is_numeric(text):
    return re.fullmatch(r"\s*[+-]?\d+(\.\d*)?\s*", text or "") is not None


class DefStore:
    """The definition store, over a folder of DEF text files."""

    def __init__(self, folder):
        self.files = {}
        for name in sorted(os.listdir(folder)):
            if name.lower().endswith(".def"):
                with open(os.path.join(folder, name), "rb") as f:
                    self.files.setdefault(name.lower(), (name, f.read().decode("latin-1")))

    def documents(self):
        return [name for key, (name, _) in sorted(self.files.items()) if key.startswith("doc")]

    def read_lines(self, name):
        """Lines as ReadLineFromDefFile gives them (empty lines skipped), or None."""
        entry = self.files.get(name.strip().lower())
        if entry is None or entry[1] == "":
            return None
        return [line for line in re.split(r"[\r\n]+", entry[1]) if line != ""]


class Flattener:
    """The two flattening passes."""

    def __init__(self, store):
        self.store = store
        self.messages = []
        self.prefix = ""
        self.off = False

    def _msg(self, text):
        self.messages.append(text)

    def flatten(self, docname):
        lines = self.store.read_lines(docname)
        if lines is None:
            self._msg("Could not open definition file:" + docname)
            return None
        tmp = []
        for raw in lines:
            line = raw.strip()
            if line == "" or line.startswith(";"):
                continue
            fields = line.split("*")
            if fields[0] == "???":
                directive = fields[1] if len(fields) > 1 else ""
                arg = fields[2] if len(fields) > 2 else ""
                if directive == "FILE":
                    inc = self.store.read_lines(arg)
                    if inc is None:
                        self._msg("Could not open definition file:" + arg)
                        continue
                    tmp.extend(l for l in inc if l != "" and not l.startswith(";"))
                elif directive == "PREFIX":
                    self.prefix = arg
                elif directive == "OFF":
                    self.off = True
                elif directive == "ON":
                    self.off = False
                elif directive == "DESCRIPTION":
                    pass
                else:
                    self._msg("Unknown directive in DEF file.")
            elif not self.off:
                tmp.append(line)
        out = []
        for raw in tmp:
            line = raw.strip()
            if line == "" or line.startswith(";"):
                continue
            fields = line.split("*")
            if len(fields) < 2:
                self._msg("Run-time error: line without a second field: " + line)
                continue
            if fields[0] != "A??" and not _is_numeric(fields[1]):
                out.extend(self._expand(fields))
            else:
                out.append(line)
        return out

    def _noncomment(self, name):
        lines = self.store.read_lines(name)
        if lines is None:
            self._msg("Could not open " + name)
            return None
        return [l.strip() for l in lines if l.strip() != "" and not l.strip().startswith(";")]

    def _expand(self, ref):
        std_name = ref[0] + ".def"
        doc_name = self.prefix + "-" + ref[0] + ".def"
        s_lines = self._noncomment(std_name)
        d_lines = self._noncomment(doc_name)
        if s_lines is None or d_lines is None:
            return []
        if len(d_lines) > len(s_lines):
            self._msg("Invalid standard file or document definition file.\r\n\r\nStandard definition="
                      + std_name + "\r\nDocument definition=" + doc_name + "\r\n")
            return []
        out = []
        for d, s in zip(d_lines, s_lines):
            df, sf = d.split("*"), s.split("*")
            if len(df) > 1 and _is_numeric(df[1]) and float(df[1]) == 0:
                out.append("*".join([ref[0], "00"] + ref[1:]))
            else:
                if len(df) < 3 or len(sf) < 6:
                    self._msg("Run-time error: short line in %s or %s" % (doc_name, std_name))
                    continue
                out.append("*".join(df[0:3] + sf[2:6]))
        return out


class SNode:
    """A schema tree node with its tag fields."""

    def __init__(self, tag, key, text="", parent=None):
        self.tag = tag
        self.key = key
        self.text = text
        self.parent = parent
        self.children = []

    # tag access
    def attr(self, letter):
        for field in self.tag.split("*"):
            if field[:1] == letter:
                return field[1:]
        return ""

    def set_attr(self, letter, value):
        fields = self.tag.split("*")
        if len(fields) < 7:
            return
        for i, field in enumerate(fields):
            if field[:1] == letter:
                fields[i] = letter + value
                self.tag = "*".join(fields)
                return

    @property
    def kind(self):
        return self.attr("I")[:1]

    @property
    def code(self):
        return self.attr("I")[1:]

    def num(self, letter, messages=None):
        value = self.attr(letter)
        if value == "":
            return 0
        if not _is_numeric(value):
            if messages is not None:
                messages.append("Expecting nuneric data.")
            return 0
        return int(float(value))

    def required(self):
        if self.kind == "S":
            if not self.children:
                raise RuntimeError("system loop without children: " + self.tag)
            return self.children[0].required()
        return self.attr("P") in ("R", "M")

    def next_sibling(self):
        if self.parent is None:
            return None
        sib = self.parent.children
        i = sib.index(self)
        return sib[i + 1] if i + 1 < len(sib) else None

    def walk(self):
        yield self
        for c in self.children:
            yield from c.walk()


def parse_line(line, n, messages):
    """gfSnodeParseLine: the tag of one schema line, or "I???"."""
    f = line.split("*")
    bad = lambda: (messages.append("Invalid Schema input line:\r\n\r\n" + line), "I???")[1]
    if f[0] == "A??":
        code = f[1] if len(f) > 1 else ""
        if code == "LS":
            if len(f) != 6:
                return bad()
            return "ISLS*N%s*C0*R%s*K%s*D%s*L%s" % (n, f[3], f[4], f[5], f[2])
        if code == "HLS":
            if len(f) != 5:
                return bad()
            return "ISHLS*N%s*C0*X%s*Y%s*D%s" % (n, f[2], f[3], f[4])
        if code == "ESS":
            if len(f) != 4:
                return bad()
            return "ISESS*N%s*C0*Y%s*D%s" % (n, f[2], f[3])
        if code == "ELS":
            if len(f) < 4:
                return bad()
            tag = "ISELS*N%s*C0*X%s*Y%s" % (n, f[2], f[3])
            return tag + ("*D" + f[4] if len(f) > 4 else "")
        return "I???"
    if len(f) < 2 or not _is_numeric(f[1]):
        return bad()
    if float(f[1]) == 0:
        if len(f) < 5:
            return bad()
        tag = "IR%s*N%s*C0*Z%s*P%s*R%s*D%s" % (f[0], n, f[1], f[2], f[3], f[4])
        return tag + ("*K" + f[5] if len(f) > 5 else "")
    if len(f) < 7:
        return bad()
    tag = "IR%s*N%s*Z%s*P%s*T%s*A%s*B%s*D%s" % (f[0], n, f[1], f[2], f[3], f[4], f[5], f[6])
    return tag + ("*V" + f[7] if len(f) > 7 and f[7] else "")


class SchemaTree:
    """The schema tree: one node per flattened line."""

    def __init__(self, lines, doctype, messages):
        self.messages = messages
        self.lines = lines
        self.pos = 0
        self.counter = 0
        self.root = SNode("ISLS*N00000*C0*R99999*D" + doctype, "K00000", doctype)
        self.by_key = {"K00000": self.root}
        self._level(self.root)

    def _level(self, parent):
        last_segment = None
        while self.pos < len(self.lines):
            line = self.lines[self.pos].strip()
            self.pos += 1
            if line == "" or line.startswith(";"):
                continue
            self.counter += 1
            if self.counter > 99999:
                raise RuntimeError("Too many nodes. nID=%d" % self.counter)
            n = "%05d" % self.counter
            f = line.split("*")
            if f[0] != "A??":
                tag = parse_line(line, n, self.messages)
                if tag == "I???":
                    self.messages.append("Unknown EDI segment:\r\n\r\n" + line)
                    continue
                node = SNode(tag, "K" + n)
                if not _is_numeric(node.attr("Z")):
                    continue
                if float(node.attr("Z")) != 0:
                    if last_segment is None:
                        self.messages.append("Data element before any segment: " + line)
                        continue
                    node.parent = last_segment
                    last_segment.children.append(node)
                else:
                    node.parent = parent
                    parent.children.append(node)
                    last_segment = node
                self.by_key[node.key] = node
                continue
            code = f[1] if len(f) > 1 else ""
            if code in LOOP_STARTS:
                tag = parse_line(line, n, self.messages)
                node = SNode(tag, "K" + n, parent=parent)
                parent.children.append(node)
                self.by_key[node.key] = node
                self._level(node)
            elif code in LOOP_ENDS:
                return
            else:
                self.messages.append("Unknown segment:" + line)


def build_schema(store, doctype):
    """Flatten doc<doctype>.def and build its tree; returns (tree or None, messages)."""
    fl = Flattener(store)
    lines = fl.flatten("doc" + doctype + ".def")
    messages = fl.messages
    if lines is None:
        return None, messages
    tree = SchemaTree(lines, doctype, messages)
    return tree, messages


def envelope_problems(tree):
    """What the matching relies on: root > L0001 (ISA, ISB?, ISE?, TA1*, L0002 (GS?, L0003 (ST ...)),
    IEA). GS is optional so that an interchange of TA1 segments alone opens."""
    problems = []
    root = tree.root

    def check(node, level, trigger, required=True):
        if node is None or node.code != "LS" or node.attr("L") != level:
            problems.append("expected loop L%s" % level)
            return None
        if node.num("R") < 2:
            problems.append("loop L%s must repeat more than once" % level)
        if not node.children or node.children[0].kind != "R" or node.children[0].code != trigger:
            problems.append("loop L%s must start with %s" % (level, trigger))
        elif node.children[0].required() != required:
            problems.append("%s must be %s" % (trigger, "required" if required else "optional"))
        return node

    x = check(root.children[0] if root.children else None, "0001", "ISA")
    if x and [c.code for c in x.children[1:4]] != ["ISB", "ISE", "TA1"]:
        problems.append("ISA must be followed by ISB, ISE and TA1")
    if x and any(c.required() for c in x.children[1:4]):
        problems.append("ISB, ISE and TA1 must be optional")
    f = check(x.children[4] if x and len(x.children) > 4 else None, "0002", "GS", False) if x else None
    t = check(f.children[1] if f and len(f.children) > 1 else None, "0003", "ST") if f else None
    if t:
        if t.children[-1].code != "SE":
            problems.append("transaction loop must end with SE")
        if f.children[-1].code != "GE":
            problems.append("group loop must end with GE")
        if x.children[-1].code != "IEA":
            problems.append("interchange loop must end with IEA")
    return problems


def structure_problems(tree):
    """Shapes the builder and the editing Parts expect of system loops."""
    problems = []
    for node in tree.root.walk():
        if node is tree.root or node.kind != "S":
            continue
        if not node.children:
            problems.append("empty system loop %s" % node.tag)
            continue
        first = node.children[0]
        if node.code == "LS":
            if first.kind != "R":
                problems.append("loop %s does not start with a segment" % node.attr("L"))
            if not _is_numeric(node.attr("R")) or node.num("R") < 1:
                problems.append("loop %s has no numeric repeat" % node.attr("L"))
        elif node.code in ("HLS", "ELS"):
            if node.attr("X") != "1":
                problems.append("%s key segment position must be 1: %s" % (node.code, node.tag))
            for child in node.children:
                if child.code != "LS" or not child.children or child.children[0].kind != "R":
                    problems.append("%s child is not a loop starting with a segment: %s" % (node.code, child.tag))
                elif child.attr("K") == "":
                    problems.append("%s child without key: %s" % (node.code, child.tag))
                if node.code == "HLS" and child.children and child.children[0].code != "HL":
                    problems.append("HLS child does not start with HL: %s" % child.tag)
                if node.code == "ELS" and child.children and child.children[0].code != first.children[0].code:
                    problems.append("ELS children start with different segments: %s" % child.tag)
            if node.code == "HLS" and node.attr("Y") != "3":
                problems.append("HLS key element must be 3")
        elif node.code == "ESS":
            for child in node.children:
                if child.kind != "R" or child.code != first.code:
                    problems.append("ESS child is not a %s segment: %s" % (first.code, child.tag))
                elif child.attr("K") == "":
                    problems.append("ESS child without key: %s" % child.tag)
        for child in node.children:
            if child.kind == "R" and not _is_numeric(child.attr("R")):
                problems.append("segment without numeric maximum use: %s" % child.tag)
    return problems


# ---------------------------------------------------------------------------------------------
# Matching


class DNode:
    def __init__(self, kind, text, parent, link=None):
        self.kind = kind
        self.text = text
        self.parent = parent
        self.link = link
        self.children = []
        if parent is not None:
            parent.children.append(self)


def split_segments(data, element_sep="*", terminator="~"):
    """Segment texts of an X12 file (line ends around terminators are dropped)."""
    out = []
    for piece in data.split(terminator):
        piece = piece.strip("\r\n \t")
        if piece:
            out.append(piece)
    return out


def detect_separators(data):
    """Element separator and segment terminator from a well-formed ISA."""
    text = data.lstrip()
    if not text.startswith("ISA") or len(text) < 106:
        return "*", "~"
    return text[3], text[105]


class Matcher:
    def __init__(self, tree, element_sep="*"):
        self.tree = tree
        self.sep = element_sep
        self.messages = []
        self.nError = 0
        self.sError = ""
        self.counter = 0
        self.root = DNode("D", "Root", None)
        self.sp = tree.root
        self.dp = self.root
        self.env = self.root
        self.unmatched = []

    # -- helpers
    def _reset(self, node):
        if node.kind != "S":
            return
        for child in node.children:
            if child.attr("C") != "" or "*C" in child.tag:
                child.set_attr("C", "0")
            self._reset(child)

    def _key_match(self, node, value):
        if value is None:
            return False
        value = value.split(":")[0]
        keys = node.attr("K")
        if keys == "":
            return False
        return any(k.lower() == value.lower() for k in keys.split(","))

    def _element(self, y):
        return self.elements[y] if 0 < y < len(self.elements) else None

    def _room(self, node):
        return node.num("C", self.messages) < node.num("R", self.messages)

    def _inc(self, node):
        node.set_attr("C", str(node.num("C") + 1))

    def _add_loop_node(self, snode):
        level = snode.attr("L")
        kind = {"0001": "X", "0002": "F", "0003": "T"}.get(level, "Z")
        node = DNode(kind, snode.attr("D"), self.dp, snode)
        if kind != "Z":
            self.env = node
        self.dp = node

    def _add_segment(self, snode, parent=None):
        DNode("S", self.segid, parent or self.dp, snode)

    def _advance(self):
        sib = self.sp.next_sibling()
        if sib is not None:
            self.sp = sib
        else:
            self.sp = self.sp.parent
            if self.sp is None:
                self.messages.append("Matching code reached root of schema tree")
            elif self.sp.parent is not None and self.sp.parent.code in ("ELS", "HLS") \
                    and self.sp.parent.kind == "S":
                self.sp = self.sp.parent
                self.dp = self.dp.parent if self.dp else None
                if self.dp is not None:
                    self.dp = self.dp.parent
            else:
                self.dp = self.dp.parent if self.dp else None
                if self.dp is not None and self.sp.num("C") >= self.sp.num("R", self.messages):
                    self._advance()
                    return
        if self.sp is None or self.dp is None:
            self.nError = 3
            self.sError = "ndS or mndSystemLoop is nothing."

    def _container(self, system_node):
        if self.dp.children and self.dp.children[-1].link is system_node:
            self.dp = self.dp.children[-1]
        else:
            node = DNode("Z", system_node.attr("D"), self.dp, system_node)
            self.dp = node

    # -- matching
    def _match_segment(self):
        code = self.sp.code
        if code == self.segid:
            return 1
        if code == "XXX":
            return 2 if self.segid in ("SE", "GE", "IEA") else 1
        if self.sp.required() and self.sp.num("C") < 1:
            return 3
        return 2

    def _match_loop(self):
        loop = self.sp
        if not loop.children or loop.children[0].kind != "R":
            return 3
        first = loop.children[0]
        if first.code != self.segid:
            if first.required() and loop.num("C") < 1:
                return 3
            return 2
        self._inc(loop)
        self._add_loop_node(loop)
        self.sp = first
        return 1

    def _enter_keyed(self, system, value):
        for child in system.children:
            if self._key_match(child, value) and self._room(child):
                self._container(system)
                self._inc(child)
                self._add_loop_node(child)
                self.sp = child.children[0]
                return 1
        return 2

    def _match_hl(self):
        if self.segid != "HL":
            return 2
        return self._enter_keyed(self.sp, self._element(3))

    def _match_els(self):
        system = self.sp
        if not system.children or not system.children[0].children:
            return 2
        f0 = system.children[0].children[0]
        if f0.kind != "R" or f0.code != self.segid:
            return 2
        return self._enter_keyed(system, self._element(system.num("Y")))

    def _match_ess(self):
        system = self.sp
        if not system.children:
            return 2
        first = system.children[0]
        if first.kind != "R" or first.code != self.segid:
            return 2
        value = self._element(system.num("Y"))
        for child in system.children:
            if self._key_match(child, value) and self._room(child):
                self._container(system)
                container = self.dp
                self._add_segment(child, container)
                self._inc(child)
                self.dp = container.parent
                return 1
        return 2

    def _match(self):
        result = 2
        tried = None
        while self.sp is not None and result == 2:
            tried = self.sp
            kind, code = self.sp.kind, self.sp.code
            if kind == "S":
                result = {"LS": self._match_loop, "HLS": self._match_hl, "ELS": self._match_els,
                          "ESS": self._match_ess}.get(code, lambda: 3)()
            elif kind == "R":
                result = self._match_segment()
            else:
                self.nError = 1
                return 2
            if result == 2:
                self._advance()
                if self.nError == 3:
                    return 2
        if result == 1 and not (tried.kind == "S" and tried.code == "ESS"):
            self._add_segment(self.sp)
            if tried.kind == "S" and tried.code in ("LS", "HLS", "ELS"):
                self._reset(self.sp.parent)
            self._inc(self.sp)
            if self.sp.num("C") >= self.sp.num("R", self.messages):
                self._advance()
        return result

    def handle(self, segment):
        self.segment = segment
        self.elements = segment.strip().split(self.sep)
        self.segid = self.elements[0]
        if self.nError != 0:
            self.unmatched.append(segment)
            return
        self.counter += 1
        if self.counter == 1:
            self._reset(self.tree.root)
            root = self.tree.root
            try:
                if self.segid == "ISA":
                    self.sp = root.children[0]
                elif self.segid == "GS":
                    self.sp = root.children[0].children[1]
                elif self.segid == "ST":
                    self.sp = root.children[0].children[1].children[1]
                else:
                    self.sp = root.children[0]
            except IndexError:
                self.sp = None
        result = self._match()
        if result != 1:
            self.nError = 1
            self.sError = "Segment matching failed.\r\nFailed segment:" + segment
            self.unmatched.append(segment)
        elif self.nError == 3:
            pass

    def run(self, data):
        elsep, term = detect_separators(data)
        self.sep = elsep
        for seg in split_segments(data, elsep, term):
            self.handle(seg)
        if self.counter == 0:
            self.nError = 2
            self.sError = "No segment was recognized."
        return self.nError


def match_file(tree, path):
    with open(path, "rb") as f:
        data = f.read().decode("latin-1")
    for node in tree.root.walk():
        node.set_attr("C", "0")
    m = Matcher(tree)
    m.run(data)
    return m
