"""scripts/folder_cycles.py finds cycles among core/'s folders and includes out of base/."""
import importlib.util
from pathlib import Path

SCRIPT = Path(__file__).resolve().parents[2] / "scripts" / "folder_cycles.py"
spec = importlib.util.spec_from_file_location("folder_cycles", SCRIPT)
folder_cycles = importlib.util.module_from_spec(spec)
spec.loader.exec_module(folder_cycles)


def make_core(root, files):
    for name, includes in files.items():
        path = root / "core" / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text("".join(f'#include "core/{target}"\n' for target in includes))


def test_a_cycle_through_three_folders_is_reported_with_its_includes(tmp_path, capsys):
    make_core(tmp_path, {
        "a/a.hpp": ["b/b.hpp", "a/detail/x.hpp"],
        "b/b.cpp": ["c/c.hpp"],
        "c/c.hpp": ["a/a.hpp", "base/base.hpp"],
        "d/d.hpp": ["a/a.hpp"],
        "base/base.hpp": [],
    })
    assert folder_cycles.main([str(tmp_path)]) == 1
    out = capsys.readouterr().out
    assert "cycle among core/ folders: a, b, c" in out
    assert "c -> a (core/c/c.hpp:1)" in out
    assert "d ->" not in out


def test_an_include_out_of_base_fails_even_without_a_cycle(tmp_path, capsys):
    make_core(tmp_path, {"base/kind.hpp": ["tree/node.hpp"], "tree/node.hpp": []})
    assert folder_cycles.main([str(tmp_path)]) == 1
    assert "core/base/ includes core/tree/" in capsys.readouterr().out


def test_layered_folders_pass(tmp_path, capsys):
    make_core(tmp_path, {"tree/node.hpp": ["base/kind.hpp"], "paint/p.cpp": ["tree/node.hpp", "base/kind.hpp"]})
    assert folder_cycles.main([str(tmp_path), "--edges"]) == 0
    out = capsys.readouterr().out
    assert "paint -> tree" in out and "no cycle (3 edges)" in out
