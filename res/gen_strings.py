#!/usr/bin/env python3
"""Turns Tolvane's string table master (res/strings.txt, UTF-8) into what the
builds compile: a C++ table of code page 1250 texts with a header of named ids,
and for the Windows resource script a STRINGTABLE block, the main menu's body
(from the tree in res/menu.txt) and the texts of the dialog templates."""
import argparse
import re
import sys

NAME = re.compile(r"[A-Z][A-Z0-9_]*$")
ESCAPES = {"t": "\t", "r": "\r", "n": "\n", "\\": "\\"}


class TableError(Exception):
    pass


def unescape(text, where):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\":
            if i + 1 >= len(text) or text[i + 1] not in ESCAPES:
                raise TableError(f"{where}: unknown escape in {text!r}")
            out.append(ESCAPES[text[i + 1]])
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def read_table(path):
    entries, ids, names = [], {}, {}
    with open(path, encoding="utf-8", newline="") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n").rstrip("\r")
            where = f"{path}:{number}"
            if not line.strip() or line.startswith("#"):
                continue
            parts = line.split("\t", 2)
            if len(parts) != 3:
                raise TableError(f"{where}: expected id<TAB>name<TAB>text")
            id_text, name, text = parts
            if not id_text.isdigit() or not 1 <= int(id_text) <= 65535:
                raise TableError(f"{where}: id {id_text!r} is not a number from 1 to 65535")
            sid = int(id_text)
            if not NAME.match(name):
                raise TableError(f"{where}: name {name!r} is not upper case letters, digits and _")
            if sid in ids:
                raise TableError(f"{where}: id {sid} already used at line {ids[sid]}")
            if name in names:
                raise TableError(f"{where}: name {name} already used at line {names[name]}")
            ids[sid], names[name] = number, number
            value = unescape(text, where)
            try:
                data = value.encode("cp1250")
            except UnicodeEncodeError as e:
                raise TableError(f"{where}: {value!r} has a letter outside code page 1250 ({e})")
            if b"\0" in data:
                raise TableError(f"{where}: a text cannot hold a zero byte")
            entries.append((sid, name, data))
    return sorted(entries)


def c_literal(data):
    # Octal escapes never run into a following digit the way \x escapes do.
    out = []
    for b in data:
        if b in (0x22, 0x5C):
            out.append("\\" + chr(b))
        elif 0x20 <= b < 0x7F and b != 0x3F:  # '?' stays escaped: no trigraph surprises
            out.append(chr(b))
        else:
            out.append(f"\\{b:03o}")
    return '"' + "".join(out) + '"'


def rc_literal(data):
    out = []
    for b in data:
        if b == 0x22:
            out.append('""')
        elif b == 0x5C:
            out.append("\\\\")
        elif b == 0x09:
            out.append("\\t")
        elif b == 0x0D:
            out.append("\\r")
        elif b == 0x0A:
            out.append("\\n")
        elif b < 0x20:
            out.append(f"\\{b:03o}")
        else:
            out.append(chr(b) if b < 0x80 else bytes([b]).decode("cp1250"))
    return '"' + "".join(out) + '"'


def read_menu(path, entries):
    """The menu tree of res/menu.txt: a list of (name, flags, children, where)
    per item, name None for a separator."""
    names = {name for _, name, _ in entries}
    root = []
    stack = [(-2, root)]  # (indentation of a popup, its children); the bar is at -2
    used = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            where = f"{path}:{number}"
            text = line.rstrip("\n").rstrip("\r")
            if not text.strip() or text.lstrip().startswith("#"):
                continue
            body = text.lstrip(" ")
            indent = len(text) - len(body)
            if "\t" in text or indent % 2:
                raise TableError(f"{where}: indent with two blanks per level")
            name, *flags = body.split()
            for flag in flags:
                if flag not in ("grayed", "checked"):
                    raise TableError(f"{where}: unknown state {flag!r}")
            if name == "-":
                if flags:
                    raise TableError(f"{where}: a separator has no state")
            elif name not in names:
                raise TableError(f"{where}: no string named {name}")
            elif name in used:
                raise TableError(f"{where}: {name} already used at line {used[name]}")
            used[name] = number
            while indent <= stack[-1][0]:
                stack.pop()
            if indent != stack[-1][0] + 2:
                raise TableError(f"{where}: indented deeper than one level below its popup")
            node = (None if name == "-" else name, flags, [], where)
            stack[-1][1].append(node)
            stack.append((indent, node[2]))
    check_menu(root, top=True)
    return root


def check_menu(items, top=False):
    for name, flags, children, where in items:
        if name is None:
            if top or children:
                raise TableError(f"{where}: a separator stands alone, in a popup")
            continue
        if top and not children:
            raise TableError(f"{where}: {name} on the menu bar must be a popup")
        if children and "checked" in flags:
            raise TableError(f"{where}: a popup cannot be checked")
        check_menu(children)


def emit_rc_menu(items, entries):
    by_name = {name: (sid, data) for sid, name, data in entries}
    lines = [
        "// The main menu's body for the Windows resource script. Generated by",
        "// res/gen_strings.py from res/menu.txt and res/strings.txt: edit those.",
        "#pragma code_page(1250)",
    ]

    def block(items, depth):
        pad = "  " * depth
        lines.append(pad + "BEGIN")
        for name, flags, children, _ in items:
            options = "".join(", " + flag.upper() for flag in flags)
            if name is None:
                lines.append(f"{pad}  MENUITEM SEPARATOR")
            elif children:
                lines.append(f"{pad}  POPUP {rc_literal(by_name[name][1])}{options}")
                block(children, depth + 1)
            else:
                sid, data = by_name[name]
                lines.append(f"{pad}  MENUITEM {rc_literal(data)}, {sid}{options}")
        lines.append(pad + "END")

    block(items, 0)
    lines.append("")
    return "\r\n".join(lines)


def emit_rc_texts(entries):
    lines = [
        "// Every text of the string table as a macro, for the dialog templates",
        "// of the Windows resource script. Generated by res/gen_strings.py from",
        "// res/strings.txt: edit the master, not this file.",
        "#pragma code_page(1250)",
    ]
    lines += [f"#define TXT_{name} {rc_literal(data)}" for _, name, data in entries]
    lines.append("")
    return "\r\n".join(lines)


def write_if_changed(path, text, encoding="utf-8"):
    data = text.encode(encoding)
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except OSError:
        pass
    with open(path, "wb") as f:
        f.write(data)


def emit_cpp(entries):
    lines = [
        "// The string table in code page 1250, sorted by id. Generated by",
        "// res/gen_strings.py from res/strings.txt: edit the master, not this file.",
        '#include "res/strtable.h"',
        "",
        "extern const ResString kResStrings[] = {",
    ]
    lines += [f"  {{{sid}, {c_literal(data)}}},  // {name}" for sid, name, data in entries]
    lines += ["};", f"extern const int kResStringCount = {len(entries)};", ""]
    # Ids in blocks of 64: which are present, and the table position of the
    # block's first one; the lookup counts the bits below its id.
    blocks = []
    position = 0
    for block in range(entries[-1][0] // 64 + 1 if entries else 0):
        present = 0
        for sid, _, _ in entries:
            if sid // 64 == block:
                present |= 1 << (sid % 64)
        blocks.append((present, position))
        position += bin(present).count("1")
    lines += ["extern const ResBlock kResBlocks[] = {"]
    lines += [f"  {{0x{present:016x}ull, {first}}}," for present, first in blocks]
    lines += ["};", f"extern const int kResBlockCount = {len(blocks)};", ""]
    return "\n".join(lines)


def emit_header(entries):
    lines = [
        "// Named ids of the string table. Generated by res/gen_strings.py from",
        "// res/strings.txt: edit the master, not this file.",
        "#pragma once",
        "",
        "// Plain ints, so that an id plus a code (IDS_ERR_OK + S7_ERR_TIMEOUT) is",
        "// ordinary arithmetic.",
    ]
    lines += [f"inline constexpr int IDS_{name} = {sid};" for sid, name, _ in entries]
    lines += [""]
    return "\n".join(lines)


def emit_rc(entries):
    lines = [
        "// The string table for the Windows resource script. Generated by",
        "// res/gen_strings.py from res/strings.txt: edit the master, not this file.",
        "#pragma code_page(1250)",
        "STRINGTABLE",
        "BEGIN",
    ]
    lines += [f"  {sid}, {rc_literal(data)}" for sid, _, data in entries]
    lines += ["END", ""]
    return "\r\n".join(lines)


def main():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("master")
    p.add_argument("--cpp", help="C++ source with the table")
    p.add_argument("--header", help="C++ header with the named ids")
    p.add_argument("--rc", help="resource script fragment with a STRINGTABLE")
    p.add_argument("--menu", help="the menu tree (res/menu.txt), for --rc-menu")
    p.add_argument("--rc-menu", help="resource script fragment with the menu's BEGIN ... END")
    p.add_argument("--rc-texts", help="resource script header with a TXT_ macro per text")
    args = p.parse_args()
    if bool(args.menu) != bool(args.rc_menu):
        p.error("--menu and --rc-menu go together")
    try:
        entries = read_table(args.master)
        menu = read_menu(args.menu, entries) if args.menu else None
    except (TableError, OSError) as e:
        print(f"gen_strings: {e}", file=sys.stderr)
        return 1
    if args.cpp:
        write_if_changed(args.cpp, emit_cpp(entries))
    if args.header:
        write_if_changed(args.header, emit_header(entries))
    if args.rc:
        write_if_changed(args.rc, emit_rc(entries), "cp1250")
    if args.rc_menu:
        write_if_changed(args.rc_menu, emit_rc_menu(menu, entries), "cp1250")
    if args.rc_texts:
        write_if_changed(args.rc_texts, emit_rc_texts(entries), "cp1250")
    return 0


if __name__ == "__main__":
    sys.exit(main())
