#!/usr/bin/env python3
"""Derives which folders of core/ include which from the #include lines and
fails on a cycle among them, so that each folder depends only on folders below
it, and on any include out of base/, the folder at the bottom.

Usage: scripts/folder_cycles.py [--edges] [ROOT]
ROOT is the repository (default: the one holding this script). --edges prints
every folder edge as `from -> to (file:line)`, one example include each.
Exits 1 and prints each cycle and each include out of base/, else 0.
"""
import re
import sys
from pathlib import Path

BOTTOM = "base"
INCLUDE = re.compile(r'^\s*#\s*include\s*"core/([^"]+)"')


def folder_of(path):
    """The subsystem a file of core/ belongs to: its first folder below core/."""
    parts = Path(path).parts
    return parts[0] if len(parts) > 1 else "."


def folder_edges(root):
    """{(from, to): "file:line"} for every include across two folders of core/."""
    core = root / "core"
    edges = {}
    for source in sorted(core.rglob("*")):
        if source.suffix not in (".hpp", ".cpp", ".h") or not source.is_file():
            continue
        origin = folder_of(source.relative_to(core))
        for number, line in enumerate(source.read_text(encoding="utf-8").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            target = folder_of(match.group(1))
            if target != origin:
                edges.setdefault((origin, target), f"{source.relative_to(root)}:{number}")
    return edges


def cycles(edges):
    """The strongly connected groups of more than one folder (Tarjan's algorithm)."""
    graph = {}
    for origin, target in edges:
        graph.setdefault(origin, set()).add(target)
        graph.setdefault(target, set())
    index, low, stack, on_stack, groups = {}, {}, [], set(), []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for follower in sorted(graph[node]):
            if follower not in index:
                visit(follower)
                low[node] = min(low[node], low[follower])
            elif follower in on_stack:
                low[node] = min(low[node], index[follower])
        if low[node] == index[node]:
            group = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                group.append(member)
                if member == node:
                    break
            if len(group) > 1:
                groups.append(sorted(group))

    for node in sorted(graph):
        if node not in index:
            visit(node)
    return groups


def main(argv):
    show_edges = "--edges" in argv
    rest = [a for a in argv if a != "--edges"]
    root = Path(rest[0]) if rest else Path(__file__).resolve().parent.parent
    edges = folder_edges(root)
    if show_edges:
        for (origin, target), where in sorted(edges.items()):
            print(f"{origin} -> {target} ({where})")
    found = cycles(edges)
    upward = sorted((pair, where) for pair, where in edges.items() if pair[0] == BOTTOM)
    for (origin, target), where in upward:
        print(f"core/{BOTTOM}/ includes core/{target}/ ({where})")
    for group in found:
        print("cycle among core/ folders: " + ", ".join(group))
        for (origin, target), where in sorted(edges.items()):
            if origin in group and target in group:
                print(f"  {origin} -> {target} ({where})")
    if not found and not upward:
        print(f"core/ folders form no cycle ({len(edges)} edges)")
    return 1 if found or upward else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
