#!/usr/bin/env python3
"""Writes docs/api.md, the API reference of the _orvy module: every class and
method with its text signature and docstring, taken from the built module.
Methods of W are grouped under the section comments of the type stub.

    python3 scripts/api_reference.py            # rewrite docs/api.md
    python3 scripts/api_reference.py --check    # exit 1 when it is out of date

The module is imported from build/python when that build exists (pass
--module-dir for another build), else from the usual import path.
"""
import argparse
import ast
import importlib
import inspect
import json
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUTPUT = os.path.join(ROOT, "docs", "api.md")
STUB = os.path.join(ROOT, "python", "_orvy.pyi")
COMMAND = "python3 scripts/api_reference.py"
# Classes the module does not export, each reached through a factory method of W.
FACTORIES = {"Note": "nt", "Thm": "thm", "Clip": "clip", "Fl": "file"}
# Protocol methods a class defines for scripts to use; other dunders are the host's.
PROTOCOL = ("__call__", "__enter__", "__exit__")
# The signature the host gives a slot it knows nothing more about.
GENERIC_SIGNATURE = "($self, /, *args, **kwargs)"


def module_classes(module):
    """The exported classes in the module's order, then those reached through W."""
    classes = [value for value in vars(module).values() if isinstance(value, type)]
    window = module.W()
    for name, factory in FACTORIES.items():
        make = getattr(window, factory, None)
        if make is not None:
            classes.append(type(make()))
    return classes


def module_functions(module):
    return [value for name, value in vars(module).items()
            if callable(value) and not isinstance(value, type) and not name.startswith("_")]


class Stub:
    """What the module cannot say about itself: the section comments that group
    W's methods and the signatures of call slots, read from the type stub."""

    def __init__(self, path):
        self.sections = {}  # (class, method) -> section title
        self.signatures = {}  # (class, method) -> signature without annotations
        self.order = {}  # (class, method) -> position in the stub
        if not os.path.exists(path):
            return
        with open(path, encoding="utf-8") as stub:
            source = stub.read()
        self._read_sections(source)
        for node in ast.parse(source).body:
            if isinstance(node, ast.ClassDef):
                for item in node.body:
                    if isinstance(item, ast.FunctionDef):
                        self.signatures[(node.name, item.name)] = plain_signature(item.args)
                        self.order.setdefault((node.name, item.name), len(self.order))

    def _read_sections(self, source):
        owner, section = None, None
        for line in source.splitlines():
            if line.startswith("class "):
                owner, section = line[6:].split("(")[0].split(":")[0].strip(), None
            elif line.startswith("    # ") and owner:
                section = line[6:].strip()
            elif line.startswith("    def ") and owner and section:
                self.sections[(owner, line[8:].split("(")[0])] = section


def plain_signature(arguments):
    """A stub's argument list as the module writes text signatures: no
    annotations, no self, strings in double quotes."""
    def parameter(argument, default=None):
        text = argument.arg
        if default is not None:
            value = default.value if isinstance(default, ast.Constant) else None
            text += "=" + (json.dumps(value, ensure_ascii=False) if isinstance(value, str) else ast.unparse(default))
        return text

    positional = arguments.posonlyargs + arguments.args
    defaults = [None] * (len(positional) - len(arguments.defaults)) + arguments.defaults
    parts = [parameter(a, d) for a, d in zip(positional, defaults)]
    if arguments.posonlyargs:
        parts.insert(len(arguments.posonlyargs), "/")
    if arguments.vararg:
        parts.append("*" + arguments.vararg.arg)
    elif arguments.kwonlyargs:
        parts.append("*")
    parts += [parameter(a, d) for a, d in zip(arguments.kwonlyargs, arguments.kw_defaults)]
    if arguments.kwarg:
        parts.append("**" + arguments.kwarg.arg)
    parts = [part for part in parts if part not in ("self", "/")] if parts[:1] == ["self"] else parts
    return "(" + ", ".join(parts) + ")"


def text_signature(owner, name, value, stub):
    """The signature as the module's docstring states it, without self."""
    text = getattr(value, "__text_signature__", None)
    if text is None or text == GENERIC_SIGNATURE:
        return stub.signatures.get((owner, name), "(...)")
    for bound in ("$self, ", "$self", "$type, ", "$type", "$module, ", "$module"):
        if text.startswith("(" + bound):
            text = "(" + text[len(bound) + 1:]
            break
    text = text.replace("(/, ", "(").replace("(/)", "()")
    # Non-ASCII defaults are written as escapes in the module's sources.
    return re.sub(r"\\u([0-9a-fA-F]{4})", lambda escape: chr(int(escape.group(1), 16)), text)


def docstring(value):
    text = inspect.getdoc(value) or ""
    return "" if text == "Call self as a function." else text


def methods_of(cls):
    for name, value in vars(cls).items():
        # The host's slots and the module's testing hooks are not part of the API.
        if name.startswith("_") and name not in PROTOCOL:
            continue
        static = isinstance(value, staticmethod)
        if static:
            value = value.__func__
        if callable(value):
            yield name, value, static


def grouped(owner, methods, stub):
    """Methods in the stub's order (the module's table order depends on how its
    files were linked), by section, sections in the order of their first method;
    a method the stub does not place stays in the section of the method before it."""
    sections = {}
    current = None
    for method in sorted(methods, key=lambda method: stub.order.get((owner, method[0]), len(stub.order))):
        current = stub.sections.get((owner, method[0]), current)
        sections.setdefault(current, []).append(method)
    return sections.items()


def entry(heading, title, signature, text, note=""):
    lines = [f"{heading} `{title}{signature}`{note}", ""]
    if text:
        lines += [text, ""]
    return lines


def render(module, stub_path=STUB):
    stub = Stub(stub_path)
    lines = [
        "# API reference",
        "",
        f"The classes and functions of the `{module.__name__}` module, generated from the",
        f"module by `{COMMAND}`; run it again after changing a method.",
        "",
        "## Functions",
        "",
    ]
    for function in module_functions(module):
        lines += entry("###", function.__name__, text_signature(None, function.__name__, function, stub),
                       docstring(function))
    for cls in module_classes(module):
        owner = cls.__name__
        lines += [f"## {owner}", ""]
        constructor = getattr(cls, "__text_signature__", None)
        if constructor:
            lines += [f"`{owner}{constructor}`", ""]
        if docstring(cls):
            lines += [docstring(cls), ""]
        for section, methods in grouped(owner, list(methods_of(cls)), stub):
            if section:
                lines += [f"### {section}", ""]
            for name, value, static in methods:
                title = f"{owner}.{name}"
                signature = text_signature(owner, name, value, stub)
                lines += entry("####", title, signature, docstring(value), " (static)" if static else "")
    return "\n".join(lines).rstrip("\n") + "\n"


def stale_message(path=OUTPUT):
    return f"{os.path.relpath(path, ROOT)} is out of date with the module; regenerate it: {COMMAND}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="only report whether docs/api.md is up to date")
    parser.add_argument("--module-dir", default=os.path.join(ROOT, "build", "python"),
                        help="the folder holding the built _orvy module (default: build/python)")
    args = parser.parse_args()
    if os.path.isdir(args.module_dir):
        sys.path.insert(0, args.module_dir)
    module = importlib.import_module("_orvy")
    text = render(module)
    if args.check:
        with open(OUTPUT, encoding="utf-8") as current:
            if current.read() != text:
                sys.exit(stale_message())
        return
    with open(OUTPUT, "w", encoding="utf-8") as out:
        out.write(text)
    print(f"wrote {os.path.relpath(OUTPUT)} from {module.__file__}")


if __name__ == "__main__":
    main()
