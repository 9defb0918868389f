#!/usr/bin/env python3
"""defgen: writes Orrindale's definition library (data/definitions/*.def) from public X12
reference data, and checks DEF files and example documents the way the program reads them.

  defgen.py generate [--x12ref DIR] [--out DIR]    regenerate every DEF file
  defgen.py check [--defs DIR] [--examples DIR ...] [--invalid DIR]
                                                   line forms, schema trees, envelope shape,
                                                   and matching of the examples
  defgen.py crosscheck [--x12ref DIR] [--defs DIR] compare the retail 004010 data of this tool
                                                   with the other reference sources, and the
                                                   004010 standard sets with OopFactory's
  defgen.py tree TYPE [--defs DIR]                 print the flattened schema of one type

Python 3 standard library only. See README.md.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import dictionaries  # noqa: E402
import eddysrc  # noqa: E402
import envelope  # noqa: E402
import libedisrc  # noqa: E402
import oopcheck  # noqa: E402
import pyx12src  # noqa: E402
import retailsrc  # noqa: E402
import schemasim  # noqa: E402
from deflib import Segment  # noqa: E402

REPO = os.path.normpath(os.path.join(HERE, "..", ".."))
DEFAULT_X12REF = os.path.normpath(os.path.join(REPO, "..", "shared", "x12ref"))
DEFAULT_OUT = os.path.join(REPO, "data", "definitions")

# Implementation guides: type, pyx12 map (relative to x12ref), guide (GS08), description
# (DESCRIPTION line), corrections. A guide's type is its set (with the claim kind for 837 and
# the response for 278) and its guide suffix, so the standard sets keep their plain numbers.
GUIDES = [
    ("270_X279A1", "pyx12/pr30-5010-270-271/270.5010.X279.A1.xml", "005010X279A1",
     "270 HIPAA eligibility inquiry (005010X279A1)", []),
    ("271_X279A1", "pyx12/pr30-5010-270-271/271.5010.X279.A1.xml", "005010X279A1",
     "271 HIPAA eligibility response (005010X279A1)", [pyx12src.patch_271_ls_le]),
    ("277_X212", "pyx12/map/277.5010.X212.xml", "005010X212",
     "277 HIPAA claim status response (005010X212)", []),
    ("277CA_X214", "pyx12/map/277.5010.X214.xml", "005010X214",
     "277CA HIPAA claim acknowledgment (005010X214)", []),
    ("820_X218", "pyx12/map/820.5010.X218.xml", "005010X218",
     "820 HIPAA premium payment (005010X218)", []),
    ("834_X220A1", "pyx12/map/834.5010.X220.A1.xml", "005010X220A1",
     "834 HIPAA benefit enrollment (005010X220A1)", []),
    ("835_X221A1", "pyx12/map/835.5010.X221.A1.xml", "005010X221A1",
     "835 HIPAA claim payment/advice (005010X221A1)", []),
    ("837I_X223A2", "pyx12/map/837Q3.I.5010.X223.A1.xml", "005010X223A2",
     "837I HIPAA institutional claim (005010X223A2)", []),
    ("837P_X222A1", "pyx12/map/837.5010.X222.A1.xml", "005010X222A1",
     "837P HIPAA professional claim (005010X222A1)", []),
    ("999_X231A1", "pyx12/map/999.5010X231.A1.xml", "005010X231A1",
     "999 Implementation acknowledgment (005010X231A1)", []),
    ("270_X092A1", "pyx12/map/270.4010.X092.A1.xml", "004010X092A1",
     "270 HIPAA eligibility inquiry (004010X092A1)", []),
    ("271_X092A1", "pyx12/map/271.4010.X092.A1.xml", "004010X092A1",
     "271 HIPAA eligibility response (004010X092A1)", []),
    ("276_X093A1", "pyx12/map/276.4010.X093.A1.xml", "004010X093A1",
     "276 HIPAA claim status request (004010X093A1)", []),
    ("277_X093A1", "pyx12/map/277.4010.X093.A1.xml", "004010X093A1",
     "277 HIPAA claim status response (004010X093A1)", []),
    ("277U_X070", "pyx12/map/277U.4010.X070.xml", "004010X070",
     "277U HIPAA unsolicited claim status (004010X070)", []),
    ("278_X094A1", "pyx12/map/278.4010.X094.A1.xml", "004010X094A1",
     "278 HIPAA services review request (004010X094A1)", []),
    ("278R_X094A1", "pyx12/map/278.4010.X094.27.A1.xml", "004010X094A1",
     "278 HIPAA services review response (004010X094A1)", []),
    ("820_X061A1", "pyx12/map/820.4010.X061.A1.xml", "004010X061A1",
     "820 HIPAA premium payment (004010X061A1)", []),
    ("834_X095A1", "pyx12/map/834.4010.X095.A1.xml", "004010X095A1",
     "834 HIPAA benefit enrollment (004010X095A1)", []),
    ("835_X091A1", "pyx12/map/835.4010.X091.A1.xml", "004010X091A1",
     "835 HIPAA claim payment/advice (004010X091A1)", []),
    ("837D_X097A1", "pyx12/map/837.4010.X097.A1.xml", "004010X097A1",
     "837D HIPAA dental claim (004010X097A1)", []),
    ("837I_X096A1", "pyx12/map/837.4010.X096.A1.xml", "004010X096A1",
     "837I HIPAA institutional claim (004010X096A1)", []),
    ("837P_X098A1", "pyx12/map/837.4010.X098.A1.xml", "004010X098A1",
     "837P HIPAA professional claim (004010X098A1)", []),
]

FREEFORM_DESCRIPTION = "Free form: any X12 interchange, segment by segment"

# characters of a container entry's "name*description" field
CONTAINER_NAME_FIELD = 80

HEADER = """; {title}
; Generated by tools/defgen from {source}.
; Do not edit by hand: change the tool or its data and run
;   python3 tools/defgen/defgen.py generate
; Provenance and licences: data/definitions/SOURCES.md"""


def write_def(path, lines):
    with open(path, "w", encoding="ascii", newline="\n") as f:
        for line in lines:
            f.write(line + "\n")


def doc_lines(description, title, source, body, open_file, close_file, prefix=None):
    out = ["???*DESCRIPTION*" + description]
    out += HEADER.format(title=title, source=source).split("\n")
    if prefix:
        out.append("???*PREFIX*" + prefix)
    out.append("???*FILE*" + open_file)
    for item in body:
        out += item.lines()
    out.append("???*FILE*" + close_file)
    return out


def envelope_files(x12ref, dataele):
    """The 004010 and 005010 envelopes (included files) and the free-form definition."""
    control = os.path.join(x12ref, "pyx12/map/x12.control.%s.xml")
    rules = os.path.join(x12ref, "oboe/x12.envelope.xml")
    env5010 = envelope.Envelope(control % "00501", os.path.join(x12ref, "pyx12/map/837.5010.X222.A1.xml"), dataele,
                                False, "005010", rules)
    env4010 = envelope.Envelope(control % "00401", os.path.join(x12ref, "pyx12/map/997.4010.xml"), dataele, True,
                                "004010", rules)
    src_env = "pyx12 x12.control.00401.xml / x12.control.00501.xml (BSD-3-Clause), OBOE x12.envelope.xml " \
              "(Apache-2.0)"
    files = {}
    for version, env in (("4010", env4010), ("5010", env5010)):
        full = "004010" if version == "4010" else "005010"
        files["envopen%s.def" % version] = [
            "; Envelope opening of an X12 %s document definition (ISA, ISB, ISE, TA1, GS, ST)." % full,
            "; Generated by tools/defgen from " + src_env + ". Included with FILE."] + env.opening()
        files["envclose%s.def" % version] = [
            "; Envelope closing of an X12 %s document definition (SE, GE, IEA)." % full,
            "; Generated by tools/defgen. Included with FILE."] + env.closing()
    files["docFreeForm.def"] = ["???*DESCRIPTION*" + FREEFORM_DESCRIPTION] + HEADER.format(
        title="Free-form definition: every interchange opens against it.",
        source=src_env + " for the envelope").split("\n") + envelope.freeform(env5010)
    return files


def fitting(doctype, description):
    """The description cut so that "doc<type>.def*<description>" fits a container entry."""
    room = CONTAINER_NAME_FIELD - len("doc%s.def*" % doctype)
    return description if len(description) <= room else description[:room - 3].rstrip() + "..."


def standard_sets(libedi, eddy, retail):
    """doc<set>.def (004010: libedi's tables with our 004010 corrections) for every set without a
    curated definition, and doc<set>_5010.def (005010: libedi's tables) for every set; and the
    segments of the 004010 dictionary they refer to."""
    files, used = {}, set()

    def segment_4010(sid, req, maximum):
        if retail.has_segment(sid):
            used.add(sid)
            return Segment(sid, req, maximum, retail.segment_name(sid), ref=True)
        return Segment(sid, req, maximum, eddy.segment_names.get(sid, sid))
    corrections = libedisrc.Corrections(os.path.join(HERE, "data", "std4010.tsv"))
    src5010 = "libedi X12_00501_%s.json (MPL-2.0) and its segment dictionary"
    src4010 = src5010 + ", with the 004010 differences of tools/defgen/data/std4010.tsv, and the 004010 " \
                        "segment dictionary (see SOURCES.md)"
    for code in libedi.sets():
        name = eddy.set_name(code)
        table = libedi.table(code)
        doctype = code + libedisrc.VERSION_SUFFIX
        body = libedi.body(table, libedi.segment_5010, retail.hl_codes())
        files["doc%s.def" % doctype] = doc_lines(
            fitting(doctype, "%s %s (X12 005010)" % (code, name)),
            "%s %s, X12 005010 standard table (not an implementation guide)" % (code, name), src5010 % code,
            body, "envopen5010.def", "envclose5010.def")
        if code in retailsrc.CURATED:  # their 004010 definitions are our own
            continue
        body = libedi.body(corrections.apply(code, table), segment_4010, retail.hl_codes())
        files["doc%s.def" % code] = doc_lines(
            fitting(code, "%s %s (X12 004010)" % (code, name)),
            "%s %s, X12 004010 standard table (not an implementation guide)" % (code, name), src4010 % code,
            body, "envopen4010.def", "envclose4010.def", prefix=retailsrc.PREFIX)
    return files, used


def generate(x12ref, out_dir):
    os.makedirs(out_dir, exist_ok=True)
    for name in os.listdir(out_dir):
        if name.lower().endswith(".def"):
            os.remove(os.path.join(out_dir, name))
    dataele = pyx12src.DataElements(os.path.join(x12ref, "pyx12/map/dataele.xml"))
    files = envelope_files(x12ref, dataele)

    for doctype, src, guide, description, patches in GUIDES:
        reader = pyx12src.MapReader(os.path.join(x12ref, src), dataele, patches)
        body = reader.transaction_body()
        title = "%s, implementation guide %s" % (description, guide)
        version = "4010" if guide.startswith("004010") else "5010"
        files["doc%s.def" % doctype] = doc_lines(description, title, "pyx12 " + src.split("/")[-1] +
                                                 " (BSD-3-Clause)", body, "envopen%s.def" % version,
                                                 "envclose%s.def" % version)

    retail = retailsrc.Retail(x12ref, HERE)
    for doctype, description, title, source, body in retail.documents():
        files["doc%s.def" % doctype] = doc_lines(description, title, source, body, "envopen4010.def",
                                                 "envclose4010.def", prefix=retailsrc.PREFIX)
    eddy = eddysrc.Eddy(x12ref)
    facts = {k: v[:3] for k, v in list(eddy.elements.items()) + list(dataele.items.items())}
    libedi = libedisrc.Libedi(x12ref, eddy.segment_names, facts)
    sets, used4010 = standard_sets(libedi, eddy, retail)
    files.update(sets)
    files.update(retail.segment_files(used4010))
    files.update(libedi.segment_files())
    files["dict5010.def"] = dictionaries.dictionary_5010(libedi)
    files["dict4010.def"] = dictionaries.dictionary_4010(eddy, libedi, retail.composites)

    for name, lines in sorted(files.items()):
        write_def(os.path.join(out_dir, name), lines)
    for w in retail.warnings:
        print("warning:", w, file=sys.stderr)
    print("wrote %d files to %s" % (len(files), out_dir))


# ---------------------------------------------------------------------------------------------
# checks


def check_line_forms(store):
    """Every line of every file in one of the DEF line forms."""
    problems = []
    fragments = set()
    for key, (name, text) in store.files.items():
        if key.startswith("doc"):
            for line in text.splitlines():
                f = line.strip().split("*")
                if f[0] == "???" and len(f) > 2 and f[1] == "FILE":
                    fragments.add(f[2].strip().lower())
    for key, (name, text) in store.files.items():
        lines = [l for l in text.replace("\r\n", "\n").split("\n")]
        is_doc = key.startswith("doc")
        is_fragment = key in fragments
        is_prefix = "-" in key and not is_doc and not is_fragment
        if re.fullmatch(r"dict\d+\.def", key):
            problems += ["%s:%d: %s" % (name, i, p) for i, p in dictionary_line_problems(lines)]
            continue
        for i, raw in enumerate(lines, 1):
            line = raw.strip()
            where = "%s:%d: " % (name, i)
            if line == "" or line.startswith(";"):
                continue
            if raw != line:
                problems.append(where + "leading or trailing blanks")
            f = line.split("*")
            if any(ord(c) > 126 or ord(c) < 32 for c in line):
                problems.append(where + "non-ASCII or control character")
            if f[0] == "???":
                if not is_doc:
                    problems.append(where + "directive outside a document definition")
                elif len(f) < 2 or f[1] not in ("FILE", "PREFIX", "OFF", "ON", "DESCRIPTION"):
                    problems.append(where + "unknown directive")
                elif f[1] in ("FILE", "PREFIX", "DESCRIPTION") and len(f) != 3:
                    problems.append(where + "directive needs exactly one argument")
                continue
            if f[0] == "A??":
                n = {"LS": 6, "HLS": 5, "ESS": 4, "ELS": 5, "LE": 2, "HLE": 2, "ELE": 2, "ESE": 2}
                if len(f) < 2 or f[1] not in n:
                    problems.append(where + "unknown loop line")
                elif len(f) != n[f[1]]:
                    problems.append(where + "%s line needs %d fields" % (f[1], n[f[1]]))
                continue
            if len(f) < 2:
                problems.append(where + "single-field line")
                continue
            numeric = f[1].isdigit()
            if not is_doc and not is_fragment:
                # standard segment file or document-specific file
                if is_prefix:
                    ok = (len(f) == 2 and f[1] == "0") or (len(f) == 3 and numeric)
                else:
                    ok = len(f) == 6 and numeric
                if not ok:
                    problems.append(where + "not a %s segment file line" % ("document-specific" if is_prefix
                                                                            else "standard"))
                continue
            if numeric and int(f[1]) == 0:
                if len(f) not in (5, 6):
                    problems.append(where + "segment line needs 5 or 6 fields")
                elif not f[3].isdigit():
                    problems.append(where + "maximum use is not a number")
                elif f[2] not in ("M", "O", "X", "R", "S", "N"):
                    problems.append(where + "unknown requirement")
            elif numeric:
                if len(f) not in (7, 8):
                    problems.append(where + "data element line needs 7 fields, or 8 with its codes")
                elif len(f) == 8 and not re.fullmatch(r"[A-Za-z0-9]+(,[A-Za-z0-9]+)*", f[7]):
                    problems.append(where + "codes are not a list of letters and digits joined by commas")
                elif f[2] not in ("M", "O", "X", "R", "S", "N"):
                    problems.append(where + "unknown requirement")
                elif not (f[4].isdigit() and f[5].isdigit()) or int(f[4]) > int(f[5]):
                    problems.append(where + "bad min/max length")
            else:
                if len(f) not in (4, 5):
                    problems.append(where + "segment reference needs 4 or 5 fields")
                elif not f[2].isdigit():
                    problems.append(where + "maximum use is not a number")
    return problems


def dictionary_line_problems(lines):
    """(line number, problem) of the lines of an element dictionary (dictionaries.py)."""
    out = []
    for i, line in enumerate(lines, 1):
        if not line or line.startswith(";"):
            continue
        f = line.split("*")
        if len(f) not in (5, 6) or not (f[2].isdigit() and f[3].isdigit()) or int(f[2]) > int(f[3]):
            out.append((i, "not an element*type*min*max*name[*codes] line"))
        elif len(f) == 6 and f[1] == "COMP" and not re.fullmatch(r"\w+:[MO](,\w+:[MO])*", f[5]):
            out.append((i, "components are not element:requirement joined by commas"))
        elif len(f) == 6 and f[1] != "COMP" and not re.fullmatch(r"[A-Za-z0-9]+(,[A-Za-z0-9]+)*", f[5]):
            out.append((i, "codes are not a list of letters and digits joined by commas"))
    return out


def check(defs, example_dirs, invalid_dir, verbose=False):
    store = schemasim.DefStore(defs)
    problems = check_line_forms(store)
    for p in problems:
        print("FORM", p)
    ok = not problems
    trees = {}
    for name in store.documents():
        doctype = name[3:-4]
        tree, messages = schemasim.build_schema(store, doctype)
        shape = schemasim.envelope_problems(tree) + schemasim.structure_problems(tree) if tree else []
        for m in messages + shape:
            print("SCHEMA %s: %s" % (doctype, m.replace("\r\n", " | ")))
            ok = False
        trees[doctype] = tree
        if verbose:
            print("schema %-8s %5d nodes, %d lines flattened" % (doctype, tree.counter, len(tree.lines)))
    # examples: each opens with its own definition and with the free-form definition
    for folder in example_dirs:
        if not os.path.isdir(folder):
            continue
        for fname in sorted(os.listdir(folder)):
            path = os.path.join(folder, fname)
            if not os.path.isfile(path) or fname.lower().endswith((".md", ".txt")):
                continue
            doctype = example_type(fname)
            for t in sorted({doctype, "FreeForm"} - {None}):
                if t not in trees:
                    print("EXAMPLE %s: no definition %s" % (fname, t))
                    ok = False
                    continue
                m = schemasim.match_file(trees[t], path)
                status = "nError %d" % m.nError
                if m.nError != 0 or m.messages:
                    print("EXAMPLE %s as %s: %s %s %s" % (fname, t, status, m.sError.replace("\r\n", " | "),
                                                          "; ".join(m.messages)))
                    ok = False
                elif verbose:
                    print("example %-28s as %-8s nError 0" % (fname, t))
            problems = envelope_counts(path)
            for p in problems:
                print("EXAMPLE %s: %s" % (fname, p))
                ok = False
    if invalid_dir and os.path.isdir(invalid_dir):
        for fname in sorted(os.listdir(invalid_dir)):
            path = os.path.join(invalid_dir, fname)
            doctype = example_type(fname)
            if not doctype or fname.lower().endswith(".md"):
                continue
            if doctype not in trees:
                print("INVALID %s: no definition %s" % (fname, doctype))
                ok = False
                continue
            m = schemasim.match_file(trees[doctype], path)
            if m.nError == 0:
                print("INVALID %s opens with nError 0 against %s" % (fname, doctype))
                ok = False
            elif verbose:
                print("invalid %-28s as %-8s nError %d: %s" % (fname, doctype, m.nError,
                                                                 m.sError.replace("\r\n", " | ")))
    print("check: %s" % ("all good" if ok else "PROBLEMS"))
    return ok


def check_with_program(cli, defs, example_dirs):
    """The program itself: `orrindale-cli schema T` builds every definition without a message,
    and `orrindale-cli tree FILE --type T` opens every example of T with error code 0."""
    home = tempfile.mkdtemp(prefix="defgen-check-")
    ok = True
    try:
        def run(*args):
            return subprocess.run([cli, "--home", home] + list(args), capture_output=True, text=True)
        packed = run("pack", defs, "-o", os.path.join(home, "EdiDef.bin"))
        if packed.returncode != 0:
            print("PROGRAM pack failed: %s" % packed.stderr.strip())
            return False
        types = [name[3:-4] for name in schemasim.DefStore(defs).documents()]
        for doctype in types:
            r = run("schema", doctype)
            if r.returncode != 0 or r.stderr.strip():
                print("PROGRAM schema %s: exit %d %s" % (doctype, r.returncode, r.stderr.strip()))
                ok = False
        for folder in example_dirs:
            for fname in sorted(os.listdir(folder)) if os.path.isdir(folder) else []:
                doctype = example_type(fname)
                if not fname.endswith(".edi") or doctype not in types:
                    continue
                r = run("tree", os.path.join(folder, fname), "--type", doctype)
                if r.returncode != 0:
                    print("PROGRAM tree %s --type %s: exit %d %s" % (fname, doctype, r.returncode,
                                                                     r.stderr.strip()))
                    ok = False
        print("program check (%s): %d definitions" % (cli, len(types)))
    finally:
        shutil.rmtree(home, ignore_errors=True)
    return ok


def example_type(fname):
    """examples/<type>-<anything>.edi -> type."""
    base = os.path.basename(fname)
    return base.split("-")[0].split(".")[0] if "-" in base or "." in base else None


def envelope_counts(path):
    """Control numbers and counts of a complete interchange."""
    with open(path, "rb") as f:
        data = f.read().decode("latin-1")
    sep, term = schemasim.detect_separators(data)
    segs = [s.split(sep) for s in schemasim.split_segments(data, sep, term)]
    problems = []
    isa = gs = st = None
    groups = sets = count = 0
    for s in segs:
        sid = s[0]
        if st is not None:
            count += 1
        if sid == "ISA":
            isa, groups = s, 0
            if len(s) != 17:
                problems.append("ISA needs 16 elements")
        elif sid == "GS":
            gs, sets = s, 0
            groups += 1
        elif sid == "ST":
            st, count = s, 1
            sets += 1
        elif sid == "SE":
            if st is None:
                problems.append("SE without ST")
                continue
            if s[1] != str(count):
                problems.append("SE01 %s but %d segments in %s" % (s[1], count, st[2]))
            if s[2] != st[2]:
                problems.append("SE02 %s differs from ST02 %s" % (s[2], st[2]))
            st = None
        elif sid == "GE":
            if s[1] != str(sets):
                problems.append("GE01 %s but %d transaction sets" % (s[1], sets))
            if gs is None or s[2] != gs[6]:
                problems.append("GE02 differs from GS06")
        elif sid == "IEA":
            if s[1] != str(groups):
                problems.append("IEA01 %s but %d groups" % (s[1], groups))
            if isa is None or s[2] != isa[13]:
                problems.append("IEA02 differs from ISA13")
    if not segs or segs[0][0] != "ISA" or segs[-1][0] != "IEA":
        problems.append("not a complete interchange ISA..IEA")
    return problems


def print_tree(defs, doctype):
    store = schemasim.DefStore(defs)
    tree, messages = schemasim.build_schema(store, doctype)
    for m in messages:
        print("MESSAGE", m)

    def show(node, depth):
        if node.kind == "R" and node.attr("Z") not in ("0", "00"):
            return
        print("  " * depth + node.tag)
        for c in node.children:
            show(c, depth + 1)
    show(tree.root, 0)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = ap.add_subparsers(dest="cmd", required=True)
    g = sub.add_parser("generate")
    g.add_argument("--x12ref", default=DEFAULT_X12REF)
    g.add_argument("--out", default=DEFAULT_OUT)
    c = sub.add_parser("check")
    c.add_argument("--defs", default=DEFAULT_OUT)
    c.add_argument("--examples", nargs="*", default=[os.path.join(REPO, "examples"),
                                                     os.path.join(REPO, "tests", "data", "library")])
    c.add_argument("--cli", default=os.path.join(REPO, "build", "bin", "orrindale-cli"),
                   help="orrindale-cli to check with as well (skipped when it does not exist)")
    c.add_argument("--invalid", default=os.path.join(REPO, "tests", "data", "invalid"))
    c.add_argument("-v", "--verbose", action="store_true")
    x = sub.add_parser("crosscheck")
    x.add_argument("--x12ref", default=DEFAULT_X12REF)
    x.add_argument("--defs", default=DEFAULT_OUT)
    t = sub.add_parser("tree")
    t.add_argument("type")
    t.add_argument("--defs", default=DEFAULT_OUT)
    args = ap.parse_args()
    if args.cmd == "generate":
        generate(args.x12ref, args.out)
    elif args.cmd == "check":
        ok = check(args.defs, args.examples, args.invalid, args.verbose)
        if os.path.exists(args.cli):
            ok = check_with_program(args.cli, args.defs, args.examples) and ok
        else:
            print("program check skipped: no %s (build it first)" % args.cli)
        sys.exit(0 if ok else 1)
    elif args.cmd == "crosscheck":
        retail = retailsrc.Retail(args.x12ref, HERE)
        retail.crosscheck()
        codes = [c for c in libedisrc.Libedi(args.x12ref, {}, {}).sets() if c not in retailsrc.CURATED]
        kept = libedisrc.Corrections(os.path.join(HERE, "data", "std4010.tsv")).kept()
        sys.exit(0 if oopcheck.crosscheck(args.x12ref, args.defs, codes, kept) else 1)
    elif args.cmd == "tree":
        print_tree(args.defs, args.type)


if __name__ == "__main__":
    main()
