#!/usr/bin/env python3
"""Builds TYPA.CHM, the HTML Help twin of TYPA.HLP, from the same halibut source, and checks it.

    htmlhelp.py build SOURCE.but OUTPUT.CHM WORKDIR HALIBUT CHMCMD
    htmlhelp.py check SOURCE.but FILE.CHM

halibut writes one page per section, named after the section's keyword, and an HTML Help
Workshop project (.hhp) with its contents (.hhc), but no context map. Every topic of the source
named IDH_<number> (\\cfg{winhelp-topic}{IDH_1010}) becomes "#define IDH_1010 1010" in the
project's [MAP] and "IDH_1010=<keyword>.html" in its [ALIAS], so that HtmlHelpA(...,
HH_HELP_CONTEXT, 1010) opens the topic that WinHelpA(..., HELP_CONTEXT, 1010) opens in TYPA.HLP.
chmcmd compiles the project (see relative_context_map for what its context table needs
afterwards); the result is checked before it replaces OUTPUT.CHM.

check reads a compiled file's context table, #IVB ("length, then per topic: number, offset of
its page's name in #STRINGS"): it must hold exactly the IDH_<number> topics of the source, each
naming its own page, and every page must be in the file.
"""

import os
import re
import shutil
import struct
import subprocess
import sys

import chmfile
from ctxomap import HelpFileError, topic_numbers

HEADING = re.compile(r"^\\(C|H|S[0-9]*|A|U)\{([^}]*)\}")
TOPIC = re.compile(r"\\cfg\{winhelp-topic\}\{(IDH_([0-9]+))\}")
PROJECT = "typa.hhp"
LANGUAGE = "0x40c French (France)"  # the contents' names are in Windows-1252


def topic_pages(source_text):
    """Context number -> (topic name, page), in the order of the source."""
    numbers = topic_numbers(source_text)  # refuses duplicates and an empty map
    pages = {}
    keyword = None
    for line in source_text.splitlines():
        heading = HEADING.match(line)
        if heading:
            keyword = heading.group(2)
        for match in TOPIC.finditer(line):
            if keyword is None:
                raise HelpFileError(f"{match.group(1)} stands before the first section")
            if not re.fullmatch(r"[A-Za-z0-9_.-]+", keyword):
                raise HelpFileError(f"section {keyword!r} of {match.group(1)} cannot name a page")
            pages[int(match.group(2))] = (match.group(1), keyword + ".html")
    if set(pages) != set(numbers):
        raise HelpFileError("the source's topic names could not all be placed in sections")
    return pages


def add_map(project_text, pages, files_present):
    """The halibut project with the chm's language, [ALIAS] and [MAP] added."""
    for _number, (name, page) in pages.items():
        if page not in files_present:
            raise HelpFileError(f"{name}: halibut wrote no page {page}")
    if "[OPTIONS]\n" not in project_text:
        raise HelpFileError("the project has no [OPTIONS] section")
    if "[MAP]" in project_text or "[ALIAS]" in project_text:
        raise HelpFileError("the project has a context map already")
    text = project_text.replace("[OPTIONS]\n", f"[OPTIONS]\nLanguage={LANGUAGE}\n", 1)
    text = text.rstrip("\n") + "\n\n[ALIAS]\n"
    text += "".join(f"{name}={page}\n" for name, page in pages.values())
    text += "\n[MAP]\n"
    text += "".join(f"#define {name} {number}\n" for number, (name, _page) in pages.items())
    return text


# ---- The compiled file's context table ---------------------------------------------------------

def context_map(data):
    """Context number -> page name, from the compiled file's #IVB and #STRINGS."""
    files = chmfile.directory(data)
    if "/#IVB" not in files:
        raise HelpFileError("the compiled file has no context table (#IVB): [MAP] was lost")
    table = chmfile.read_file(data, files, "/#IVB")
    strings = chmfile.read_file(data, files, "/#STRINGS")
    length, = struct.unpack_from("<I", table, 0)
    if length != len(table) - 4 or length % 8:
        raise HelpFileError(f"context table of {len(table)} bytes says {length}")
    result = {}
    for number, offset in struct.iter_unpack("<II", table[4:]):
        end = strings.find(b"\0", offset)
        if offset >= len(strings) or end < 0:
            raise HelpFileError(f"context {number} names no string")
        result[number] = (offset, strings[offset:end].decode("latin-1"))
    return result


def relative_context_map(data):
    """The compiled file with every context naming its page as the project does ("page.html").

    chmcmd 3.2 writes the project's absolute folder before each page of the context table
    ("/home/x/build/help/chm/page.html"), a page that is in no .chm: HTML Help would open an
    error page for every context. The full string ends with the page's own name, followed by the
    string's end, so the context's offset is moved onto that name; nothing else changes."""
    table = bytearray(struct.pack("<I", 0))
    moved = False
    for number, (offset, name) in context_map(data).items():
        page = name.rsplit("/", 1)[-1]
        moved |= page != name
        table += struct.pack("<II", number, offset + len(name.encode("latin-1")) - len(page.encode("latin-1")))
    struct.pack_into("<I", table, 0, len(table) - 4)
    return chmfile.replace_file(data, "/#IVB", bytes(table)) if moved else data


def check_chm(data, pages):
    files = chmfile.directory(data)
    for _number, (name, page) in pages.items():
        if "/" + page not in files:
            raise HelpFileError(f"{name}: page {page} is not in the compiled file")
    compiled = {number: name for number, (_offset, name) in context_map(data).items()}
    expected = {number: page for number, (_name, page) in pages.items()}
    for number in sorted(set(compiled) | set(expected)):
        if compiled.get(number) != expected.get(number):
            raise HelpFileError(f"context {number} opens {compiled.get(number)!r} instead of "
                                f"{expected.get(number)!r}")


def build(source_path, output_path, work, halibut, chmcmd):
    with open(source_path, encoding="utf-8") as f:
        pages = topic_pages(f.read())
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    # One page per section, named after its keyword, so that a topic is always a whole page.
    subprocess.run([halibut, "--html", "-Chtml-leaf-level:infinite", "-Chtml-template-filename:%k.html",
                    f"-Chtml-mshtmlhelp-project:{PROJECT}", "-Chtml-mshtmlhelp-contents:typa.hhc",
                    "-Chtml-mshtmlhelp-chm:TYPA.CHM", os.path.abspath(source_path)], cwd=work, check=True)
    with open(os.path.join(work, PROJECT), encoding="latin-1") as f:
        project = add_map(f.read(), pages, set(os.listdir(work)))
    with open(os.path.join(work, PROJECT), "w", encoding="latin-1") as f:
        f.write(project)
    subprocess.run([chmcmd, "--verbosity", "0", PROJECT], cwd=work, check=True, stdout=subprocess.DEVNULL)
    with open(os.path.join(work, "TYPA.CHM"), "rb") as f:
        data = relative_context_map(f.read())
    check_chm(data, pages)
    with open(output_path + ".new", "wb") as f:
        f.write(data)
    os.replace(output_path + ".new", output_path)
    print(f"htmlhelp: {len(pages)} context numbers mapped in {output_path}")


def main(argv):
    try:
        if len(argv) == 7 and argv[1] == "build":
            build(*argv[2:])
            return 0
        if len(argv) == 4 and argv[1] == "check":
            with open(argv[2], encoding="utf-8") as f:
                pages = topic_pages(f.read())
            with open(argv[3], "rb") as f:
                check_chm(f.read(), pages)
            print(f"htmlhelp: {argv[3]} maps the {len(pages)} topics of {argv[2]}")
            return 0
    except (HelpFileError, chmfile.ChmError, struct.error, UnicodeDecodeError, OSError,
            subprocess.CalledProcessError) as e:
        print(f"htmlhelp: {e}", file=sys.stderr)
        return 1
    print("\n".join(line.strip() for line in __doc__.strip().splitlines()[2:4]), file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
