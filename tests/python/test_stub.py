"""The type stub _orvy.pyi matches the module: mypy accepts it, stubtest finds
no difference, and every public name of the module and of each class is in
it (stubtest does not notice a name missing from the stub)."""
import ast
import os
import subprocess
import sys

import _orvy

STUB = os.path.join(os.path.dirname(_orvy.__file__), "_orvy.pyi")


def stub_names():
    tree = ast.parse(open(STUB, encoding="utf-8").read())
    top, members = set(), {}
    for node in tree.body:
        if isinstance(node, ast.ClassDef):
            top.add(node.name)
            members[node.name] = {item.name for item in node.body if isinstance(item, ast.FunctionDef)}
        elif isinstance(node, ast.FunctionDef):
            top.add(node.name)
    return top, members


def classes():
    """Every class of the module, the unexported ones reached through W."""
    found = {name: getattr(_orvy, name) for name in dir(_orvy) if isinstance(getattr(_orvy, name), type)}
    w = _orvy.W()
    for name, make in [("Note", w.nt), ("Thm", w.thm), ("Clip", w.clip), ("Fl", w.file)]:
        found[name] = type(make())
    return found


def test_every_public_name_is_in_the_stub():
    top, members = stub_names()
    missing = [name for name in dir(_orvy) if not name.startswith("_") and name not in top]
    for name, cls in classes().items():
        public = [attr for attr in vars(cls) if not attr.startswith("_")]
        if "__call__" in vars(cls):
            public.append("__call__")
        missing += [f"{name}.{attr}" for attr in public if attr not in members.get(name, set())]
    assert missing == []


def run(*args):
    env = dict(os.environ, MYPYPATH=os.path.dirname(STUB))
    result = subprocess.run([sys.executable, "-m", *args], capture_output=True, text=True, env=env)
    return result.returncode, result.stdout + result.stderr


def test_mypy_accepts_the_stub():
    code, output = run("mypy", "--no-incremental", STUB)
    assert code == 0, output


def test_stubtest_finds_the_stub_and_module_alike():
    allowlist = os.path.join(os.path.dirname(__file__), "stubtest_allowlist.txt")
    code, output = run("mypy.stubtest", "_orvy", "--allowlist", allowlist)
    assert code == 0, output
