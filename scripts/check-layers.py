#!/usr/bin/env python3
"""Fails, naming the file and line, where a source includes a layer it may not use.

The layers and what each may include (besides the standard library and itself):
  model                      nothing else
  geometry, files            model
  acoustics                  geometry, model
  views                      the core, and Qt Gui (a painter, never a widget)
  app                        the core and views, never Qt Widgets
  ui                         everything
The core (model, geometry, files, acoustics) includes no Qt header at all. A Qt header
belongs to Qt Widgets when Qt's own QtWidgets folder holds it.

  scripts/check-layers.py [--qt-include DIR] [FILE...]   (default: every file under src/)
"""
import argparse
import pathlib
import re
import sys

CORE = {"model", "geometry", "files", "acoustics"}
ALLOWED = {
    "model": set(),
    "geometry": {"model"},
    "files": {"model"},
    "acoustics": {"geometry", "model"},
    "views": CORE,
    "app": CORE | {"views"},
    "ui": CORE | {"views", "app", "ui"},
}
QT_ALLOWED = {"views": "gui", "app": "gui", "ui": "widgets"}  # the core: none

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def qt_widgets_headers(qt_include):
    folder = pathlib.Path(qt_include) / "QtWidgets"
    return {p.name for p in folder.iterdir()} if folder.is_dir() else set()


def layer_of(path, src):
    parts = path.resolve().relative_to(src.resolve()).parts
    return parts[0] if len(parts) > 1 else None  # main.cpp may use everything


def check(path, src, widgets):
    layer = layer_of(path, src)
    if layer is None:
        return []
    faults = []
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        match = INCLUDE.match(line)
        if not match:
            continue
        quote, name = match.groups()
        where = f"{path}:{number}"
        if quote == '"':
            target = name.split("/")[0]
            if "/" in name and target != layer and target not in ALLOWED.get(layer, set()):
                faults.append(f"{where}: {layer}/ may not include {name}")
        elif re.match(r"Q[A-Za-z]", name) or name.startswith("Qt"):
            allowed = QT_ALLOWED.get(layer)
            header = name.split("/")[-1]
            if allowed is None:
                faults.append(f"{where}: {layer}/ is Qt-free but includes <{name}>")
            elif allowed == "gui" and (header in widgets or name.startswith("QtWidgets")):
                faults.append(f"{where}: {layer}/ may not use Qt Widgets (<{name}>)")
    return faults


def main():
    top = pathlib.Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser()
    parser.add_argument("--qt-include", default="/usr/include/x86_64-linux-gnu/qt6")
    parser.add_argument("files", nargs="*")
    arguments = parser.parse_args()
    src = top / "src"
    widgets = qt_widgets_headers(arguments.qt_include)
    if not widgets:
        sys.exit(f"check-layers: no Qt Widgets headers under {arguments.qt_include}")
    files = [pathlib.Path(f) for f in arguments.files] or sorted(
        p for p in src.rglob("*") if p.suffix in (".h", ".cpp"))
    faults = [fault for path in files for fault in check(path, src, widgets)]
    for fault in faults:
        print(fault, file=sys.stderr)
    if faults:
        sys.exit(f"check-layers: {len(faults)} include(s) against the layers")
    print(f"check-layers: {len(files)} files keep to their layers")


if __name__ == "__main__":
    main()
