"""Every public method, called with wrong and extreme arguments, raises only
ordinary exceptions: no crash, no hang, no corrupted window."""
import inspect
import math
import random

import pytest

import _orvy

# Methods that would open a native window or block on the loop.
SKIP = {"go", "show", "__exit__", "__enter__"}

HOSTILE = [
    None, True, False, 0, -1, 1, 7, -(2**31), 2**31, 2**32, 2**63, -(2**63), 2**64, 10**30, -(10**30),
    0.0, -0.0, 1.5, -1.5, math.nan, math.inf, -math.inf, 1e308, 5e-324,
    "", "x", "#ff0000", "h", "both", "ЖЖЖ\u0301", "\ud800", "x" * 100_000, "\x00",
    b"", b"\x89PNG", bytearray(3), [], [1], ["a", "b"], [[]], [None], [math.nan, 1], ["a", 1], (), (1, 2), (1, "a", True),
    {}, {"depth": -5, "text": 3}, set(), object(), lambda *a: None, print, range(5), iter([1, 2]),
]


def callables_of(obj):
    for name in dir(obj):
        if name in SKIP or (name.startswith("_") and not name.startswith("__")):
            continue
        attr = getattr(obj, name)
        if type(attr).__name__ == "builtin_function_or_method" and attr.__text_signature__:
            yield name, attr


def call_with(method, values):
    try:
        method(*values.get("args", ()), **values.get("kwargs", {}))
    except (Exception, SystemExit) as error:  # ordinary exceptions only
        assert not isinstance(error, SystemExit)


def fresh_window():
    w = _orvy.W()
    box = w.bx()
    with box:
        w.lb("seed")
    return w


def arguments(method, rng, node):
    params = [p for p in inspect.signature(method).parameters.values()]
    args, kwargs = [], {}
    pool = HOSTILE + [node]
    for p in params:
        if p.kind is p.VAR_POSITIONAL or p.kind is p.VAR_KEYWORD:
            continue
        required = p.default is inspect.Parameter.empty
        if not required and rng.random() < 0.5:
            continue
        value = rng.choice(pool)
        if p.kind is p.KEYWORD_ONLY or (not required and rng.random() < 0.5):
            kwargs[p.name] = value
        elif not kwargs:
            args.append(value)
        else:
            kwargs[p.name] = value
    if rng.random() < 0.05:
        kwargs["no_such_keyword"] = 1
    if rng.random() < 0.05:
        args.append(0)
    return {"args": args, "kwargs": kwargs}


def test_every_window_method_survives_hostile_arguments():
    rng = random.Random(20261207)
    w = fresh_window()
    other = fresh_window()
    methods = dict(callables_of(w))
    assert "bt" in methods and "build" not in SKIP
    for name, method in sorted(methods.items()):
        if name == "build":
            continue  # build(f) runs arbitrary callables now; covered below
        for _ in range(60):
            node = rng.choice([w.rt(), other.rt(), w._nodes and w.rt()])
            call_with(method, arguments(method, rng, node))
    # The window is still usable afterwards.
    w.lb("after")
    assert w._nodes()[-1][0] == "label"


def test_build_with_hostile_callables_raises_ordinary_errors():
    w = fresh_window()
    for value in HOSTILE:
        call_with(w.build, {"args": [value]})


def test_signals_and_contexts_survive_hostile_arguments():
    rng = random.Random(7)
    w = fresh_window()
    signal = _orvy.sgnl(0)
    for value in HOSTILE:
        signal.st(value)
        assert signal() is value
        call_with(_orvy.S, {"args": [value, value]})
        call_with(_orvy.W, {"args": [value]})
        call_with(_orvy.W, {"kwargs": {"w": value, "h": value, "tint": value, "thm": value, "center": value}})
    ctx = w.bx()
    for _ in range(50):
        call_with(ctx.__exit__, arguments(ctx.__exit__, rng, w.rt()))


def test_the_wrong_window_node_never_touches_the_tree():
    w, other = fresh_window(), fresh_window()
    before = w._nodes()
    for name, method in callables_of(w):
        params = list(inspect.signature(method).parameters.values())
        if params and params[0].name in ("n", "node"):
            with pytest.raises((TypeError, ValueError, RuntimeError)):
                method(other.rt(), *([0] * (sum(1 for p in params[1:] if p.default is inspect.Parameter.empty))))
    assert w._nodes() == before
