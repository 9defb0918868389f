#!/usr/bin/env python3
"""Writes the manual page of orrindale-cli from its own --help output, so the
two cannot drift apart: usage: manpage.py CLI VERSION OUT."""
import subprocess
import sys


def roff(text):
    """Text safe in a roff line: backslashes and leading dots or quotes escaped,
    hyphens of options kept as minus signs."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\\&" + text if text[:1] in (".", "'") else text


def parse(help_text):
    """(commands, notes): commands as (name and arguments, purpose) pairs."""
    lines = help_text.splitlines()
    commands, notes = [], []
    i = 2  # past the usage line and --version
    while i < len(lines):
        line = lines[i]
        if line.startswith("  ") and not line.startswith("      "):
            purpose = lines[i + 1].strip() if i + 1 < len(lines) else ""
            commands.append((line.strip(), purpose))
            i += 2
        else:
            notes.append(line)
            i += 1
    return commands, notes


def page(version, commands, notes):
    out = [
        '.TH ORRINDALE\\-CLI 1 "" "Orrindale %s" "User Commands"' % version,
        ".SH NAME",
        "orrindale\\-cli \\- read, check, edit and write ANSI X12 EDI documents from the command line",
        ".SH SYNOPSIS",
        ".B orrindale\\-cli",
        "[\\fB\\-\\-home\\fR \\fIDIR\\fR] \\fICOMMAND\\fR ...",
        ".br",
        ".B orrindale\\-cli \\-\\-version",
        ".br",
        ".B orrindale\\-cli \\-\\-help",
        ".SH DESCRIPTION",
        "Runs the engines of the Orrindale desktop program in batch: documents are matched against",
        "the definition of their transaction set, as in the program's document window.",
        ".SH COMMANDS",
    ]
    for usage, purpose in commands:
        name, _, arguments = usage.partition(" ")
        out += [".TP", "\\fB%s\\fR %s" % (roff(name), roff(arguments)), roff(purpose)]
    out.append(".SH NOTES")
    for note in notes:
        out += [roff(note), ".br"]
    out += [
        ".SH ENVIRONMENT",
        ".TP",
        ".B ORRINDALE_HOME",
        "A folder that holds the definitions, the settings and the work files (portable mode).",
        ".TP",
        ".B ORRINDALE_MAIL_PASSWORD",
        "The password of the mail server for \\fBmail\\fR.",
        ".SH FILES",
        ".TP",
        ".I /usr/share/orrindale/EdiDef.bin",
        "The packed document definitions of an installed program.",
        ".SH SEE ALSO",
        ".BR orrindale (1)",
    ]
    return "\n".join(out) + "\n"


def main():
    cli, version, target = sys.argv[1:4]
    help_text = subprocess.run([cli, "--help"], check=True, capture_output=True, text=True).stdout
    commands, notes = parse(help_text)
    if not commands:
        sys.exit("manpage.py: no commands in the --help output of " + cli)
    with open(target, "w", encoding="utf-8") as f:
        f.write(page(version, commands, notes))


if __name__ == "__main__":
    main()
