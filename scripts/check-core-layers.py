#!/usr/bin/env python3
"""Checks that the folders of src/core include each other in one downward order.

Every `#include "x/y.h"` of a file in folder A that names a header of folder B is an edge
A -> B (the top folder counts as "(root)"; a folder inside a folder counts as the outer one, so
link/tcp is link). The script prints the folders from top to bottom with what each uses, and
exits 1 naming the folders of every cycle it finds.
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def folder_of(relative):
    parts = relative.parent.parts
    return parts[0] if parts else "(root)"


def include_graph(core):
    graph = {}
    for source in sorted(core.rglob("*")):
        if source.suffix not in (".h", ".cpp"):
            continue
        here = folder_of(source.relative_to(core))
        uses = graph.setdefault(here, set())
        for name in INCLUDE.findall(source.read_text(encoding="utf-8")):
            target = core / name
            if target.exists() or name == "version.h":
                there = folder_of(pathlib.Path(name))
                if there != here:
                    uses.add(there)
    return graph


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


def top_down(graph):
    order, placed = [], set()
    while len(placed) < len(graph):
        # A folder goes next when no folder still waiting uses it.
        waiting = [n for n in graph if n not in placed]
        ready = sorted(n for n in waiting if not any(n in graph[w] for w in waiting if w != n))
        if not ready:
            break
        order += ready
        placed.update(ready)
    return order


def main():
    core = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src/core")
    graph = include_graph(core)
    found = cycles(graph)
    for folder in top_down(graph):
        print(f"{folder:14} uses {', '.join(sorted(graph[folder])) or '-'}")
    for component in found:
        print("cycle among: " + ", ".join(component), file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
