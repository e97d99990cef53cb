#!/usr/bin/env python3
"""Checks that the folders of src/core include each other in the written order of layers.

The order is the first code block under "## Layers of the core" in docs/architecture.md: one
layer per line, top to bottom, each line starting with the folders of that layer ("session/",
"codec/ config/ ...", "(root)"). A sub-folder counts as its top folder (link/tcp is link).

Every `#include "x/y.h"` of a file in folder A that names a header of folder B is an edge
A -> B. An edge is allowed when B lies in a lower layer than A, when both lie in the same layer
(the building blocks use each other), or when it is one of the EXCEPTIONS below. Besides, the
folders must not include each other in a cycle. The script prints the folders from top to bottom
with what each uses, and exits 1 naming every include that goes upward, every folder missing
from the written order, and the folders of every cycle.

Usage: check-core-layers.py [SRC_CORE [ARCHITECTURE_MD]]
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
LAYER_HEADING = "## Layers of the core"
ROOT = "(root)"

# Edges allowed against the order: the root writes its failures to the diagnostic log.
EXCEPTIONS = {(ROOT, "diag")}


def unit_of(relative_folder):
    parts = relative_folder.parts
    return ROOT if not parts or parts == (".",) else parts[0]


def written_layers(architecture):
    """The folders of each layer, top layer first, from the architecture document."""
    text = architecture.read_text(encoding="utf-8")
    block = text.split(LAYER_HEADING, 1)[1].split("```", 2)[1]
    layers = []
    for line in block.splitlines():
        folders = []
        for word in line.split():
            if word == ROOT or word.endswith("/"):
                folders.append(word.rstrip("/"))
            else:
                break
        if folders:
            layers.append(folders)
    return layers


def include_edges(core):
    """For each folder (as its unit), the units it includes, with one example file each."""
    edges = {}
    for source in sorted(core.rglob("*")):
        if source.suffix not in (".h", ".cpp"):
            continue
        relative = source.relative_to(core)
        here = unit_of(relative.parent)
        uses = edges.setdefault(here, {})
        for name in INCLUDE.findall(source.read_text(encoding="utf-8")):
            if (core / name).exists() or name == "version.h":
                there = unit_of(pathlib.PurePosixPath(name).parent)
                if there != here:
                    uses.setdefault(there, f"{relative.as_posix()} includes {name}")
    return edges


def cycles(graph):
    """Strongly connected components with more than one folder (Tarjan)."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for nxt in graph.get(node, ()):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            component = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                component.append(member)
                if member == node:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    for node in sorted(graph):
        if node not in index:
            visit(node)
    return found


def order_faults(edges, layers):
    rank = {folder: i for i, layer in enumerate(layers) for folder in layer}
    faults = [f"folder {folder}/ is not in the written order of layers"
              for folder in sorted(edges) if folder not in rank]
    for here in sorted(edges):
        for there, example in sorted(edges[here].items()):
            if (here, there) in EXCEPTIONS or here not in rank or there not in rank:
                continue
            if rank[there] < rank[here]:
                faults.append(f"upward include: {here} uses {there} ({example})")
    return faults


def main():
    core = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src/core")
    architecture = pathlib.Path(
        sys.argv[2] if len(sys.argv) > 2 else core.parent.parent / "docs" / "architecture.md")
    layers = written_layers(architecture)
    edges = include_edges(core)
    for layer in layers:
        for folder in layer:
            if folder in edges:
                print(f"{folder:14} uses {', '.join(sorted(edges[folder])) or '-'}")
    faults = order_faults(edges, layers)
    faults += ["cycle among: " + ", ".join(component) for component in cycles(edges)]
    for fault in faults:
        print(fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
