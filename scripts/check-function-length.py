#!/usr/bin/env python3
"""Fails, naming each one, where a hand-written function is longer than 60 lines.

A function's length is counted from the line of its opening brace to the line of its
closing brace, both included; lambdas and local classes count as part of the function
that holds them. The generated directivity table is left out.

  scripts/check-function-length.py [--limit N] [--list] [FILE...]   (default: src/)
"""
import argparse
import pathlib
import re
import sys

GENERATED = {"src/acoustics/DirectivityTable.cpp"}
SCOPE = re.compile(r"\b(namespace|class|struct|enum|union|extern)\b")


def blank_out(text):
    """The text with comments, strings, character literals and preprocessor lines replaced
    by spaces (newlines kept), so braces inside them do not count."""
    pattern = re.compile(
        r'//[^\n]*|/\*.*?\*/|R"([^(]*)\(.*?\)\1"|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'',
        re.S)
    text = pattern.sub(lambda m: re.sub(r"[^\n]", " ", m.group(0)), text)
    directive = re.compile(r"^[ \t]*#(?:[^\n]*\\\n)*[^\n]*", re.M)
    return directive.sub(lambda m: re.sub(r"[^\n]", " ", m.group(0)), text)


def functions(text):
    """Yields (name, first line, last line) of every function body outside another."""
    text = blank_out(text)
    stack = []  # per open brace: (is_function, name, line)
    header_start = 0
    line = 1
    for index, char in enumerate(text):
        if char == "\n":
            line += 1
        elif char in ";":
            header_start = index + 1
        elif char == "{":
            inside_function = any(kind for kind, _, _ in stack)
            header = text[header_start:index]
            is_function = False
            name = ""
            if not inside_function:
                flat = " ".join(header.split())
                outside_parens = re.sub(r"\([^()]*\)", "()", flat)
                if (")" in flat and not SCOPE.match(flat) and "=" not in
                        outside_parens.split("(")[0]):
                    is_function = True
                    found = re.search(r"([~\w:]+)\s*\(", flat)
                    name = found.group(1) if found else flat[:40]
            stack.append((is_function, name, line))
            header_start = index + 1
        elif char == "}":
            if stack:
                is_function, name, first = stack.pop()
                if is_function:
                    yield name, first, line
            header_start = index + 1


def main():
    top = pathlib.Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser()
    parser.add_argument("--limit", type=int, default=60)
    parser.add_argument("--list", action="store_true", help="print every function's length")
    parser.add_argument("files", nargs="*")
    arguments = parser.parse_args()
    files = [pathlib.Path(f).resolve() for f in arguments.files] or sorted(
        p for p in (top / "src").rglob("*") if p.suffix in (".h", ".cpp"))
    long_ones = []
    for path in files:
        relative = path.relative_to(top).as_posix()
        if relative in GENERATED:
            continue
        for name, first, last in functions(path.read_text(encoding="utf-8")):
            length = last - first + 1
            if arguments.list:
                print(f"{length:4d} {relative}:{first} {name}")
            if length > arguments.limit:
                long_ones.append(f"{relative}:{first}: {name} has {length} lines")
    for fault in long_ones:
        print(fault, file=sys.stderr)
    if long_ones:
        sys.exit(f"check-function-length: {len(long_ones)} function(s) over "
                 f"{arguments.limit} lines")
    print(f"check-function-length: every function in {len(files)} files is at most "
          f"{arguments.limit} lines")


if __name__ == "__main__":
    main()
