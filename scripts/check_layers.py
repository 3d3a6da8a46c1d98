#!/usr/bin/env python3
"""Fails when a source file includes a header from a layer above its own.

Every folder of src/ is one layer. LAYERS names, for each, the layers right below it; a file
may include headers of its own folder and of every layer reachable downwards from it. Only
start-up, which chooses the backends, reaches backend/sdl and backend/headless, and SDL's own
headers belong to backend/sdl alone. Usage: check_layers.py [SRC_DIR]
"""
import os
import re
import sys

LAYERS = {
    "base": [],
    "backend": ["base"],
    "backend/headless": ["backend"],
    "backend/sdl": ["backend"],
    "core": ["backend"],
    "host": ["core"],
    "media/canvas": ["host"],
    "media/input": ["media/canvas"],
    "media/text": ["media/input"],
    "media/graphics": ["media/text"],
    "media/images": ["media/graphics"],
    "media/movies": ["media/graphics"],
    "media": ["media/images", "media/movies"],
    "sound/engine": ["host"],
    "sound/formats": ["sound/engine"],
    "sound/music": ["sound/formats"],
    "sound/streams": ["sound/formats"],
    "sound/cd": ["sound/streams"],
    "sound/audio": ["sound/music", "sound/streams", "sound/cd"],
    "stdlib": ["host"],
    "startup": ["media", "sound/audio", "stdlib", "backend/headless", "backend/sdl"],
}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def below(layer, seen=None):
    """The layers a file of layer may include: its own and all those beneath it."""
    seen = set() if seen is None else seen
    if layer not in seen:
        seen.add(layer)
        for lower in LAYERS[layer]:
            below(lower, seen)
    return seen


def layer_of(path):
    """The layer that folder path (relative to src/) belongs to, or None."""
    parts = path.split("/")
    for n in range(len(parts), 0, -1):
        candidate = "/".join(parts[:n])
        if candidate in LAYERS:
            return candidate
    return None


def main():
    src = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src"))
    allowed = {layer: below(layer) for layer in LAYERS}
    faults = []
    for folder, _, names in os.walk(src):
        rel_folder = os.path.relpath(folder, src).replace(os.sep, "/")
        for name in sorted(names):
            if not name.endswith((".h", ".cpp", ".c", ".inc")):
                continue
            rel = name if rel_folder == "." else rel_folder + "/" + name
            own = layer_of(rel_folder)
            if own is None:
                faults.append(f"src/{rel}: folder {rel_folder} is in no layer (add it to {__file__})")
                continue
            with open(os.path.join(folder, name), encoding="utf-8") as source:
                for number, line in enumerate(source, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    bracket, header = match.groups()
                    if header.startswith("SDL") and own != "backend/sdl":
                        faults.append(f"src/{rel}:{number}: includes <{header}>; only backend/sdl sees SDL")
                        continue
                    if bracket != '"' or "/" not in header:
                        continue
                    target = layer_of(os.path.dirname(header))
                    if target is not None and target not in allowed[own]:
                        faults.append(f"src/{rel}:{number}: {own} includes {header} from {target}, "
                                      f"which is not below it")
    for fault in faults:
        print(fault)
    print(f"include layering: {len(faults)} fault(s)" if faults else "include layering: ok")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
