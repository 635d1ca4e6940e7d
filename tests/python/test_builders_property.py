"""Random values thrown at every builder and state setter: the only outcomes
allowed are a node (with values clamped) or an ordinary argument error."""
import inspect
import os

import pytest

hypothesis = pytest.importorskip("hypothesis")
from hypothesis import HealthCheck, given, settings, strategies as st  # noqa: E402

import _orvy  # noqa: E402

BUILDERS = ("fr bx lb bt grp scr stk spl acc tab dock pop lnk sbt tgl ch sw rd sep tx ta spin sl rsl dl pr gg mt "
            "spn stb bdg rat pgn crumb dd lst tbl tre pg cal tm clr cht mb img cv term drop").split()
SETTERS = ("val chk dd_sel cal_set tm_set clr_set rsl_set txt items spl_ratio ghost front enable pwd crumb_set "
           "term_clear tv swv rdv tglv lstv crumb_get tre_opened").split()
# ArithmeticError is the one Unconvertible raises itself; it passes through unchanged.
ORDINARY = (TypeError, ValueError, OverflowError, ArithmeticError)


class Unconvertible:
    def __float__(self):
        raise ArithmeticError("no float")

    def __index__(self):
        raise ArithmeticError("no index")


class ShrinkingList(list):
    """A list that empties itself while being read."""

    def __getitem__(self, index):
        value = super().__getitem__(index)
        self.clear()
        return value


numbers = st.one_of(
    st.floats(allow_nan=True, allow_infinity=True),
    st.integers(min_value=-2 ** 70, max_value=2 ** 70),
    st.sampled_from([0, 1, -1, 2 ** 31, 2 ** 32, 2 ** 63, 1e30, -1e30, float("inf"), float("-inf"), float("nan")]),
)
scalars = st.one_of(numbers, st.text(max_size=8), st.none(), st.booleans(), st.binary(max_size=8),
                    st.just(Unconvertible()), st.just(Ellipsis))
values = st.recursive(
    scalars,
    lambda inner: st.one_of(
        st.lists(inner, max_size=4),
        st.tuples(inner, inner),
        st.tuples(inner, inner, inner),
        st.tuples(st.sampled_from(["rect", "circle", "line", "text", "arrow", "arc", "sector", "poly", "x"]),
                  st.lists(numbers, max_size=9), st.sampled_from(["#fff", "#12345678", "zz", None]), inner),
        st.dictionaries(st.sampled_from(["depth", "text", "leaf", "open", "values", "bg", "fg", "icon", "cbg", "cfg"]),
                        inner, max_size=4),
        st.lists(inner, max_size=3).map(ShrinkingList),
    ),
    max_leaves=8,
)


def parameters(method):
    return [p for p in inspect.signature(method).parameters.values()]


# ORVY_PROPERTY_EXAMPLES raises the count for a longer local search.
@settings(max_examples=int(os.environ.get("ORVY_PROPERTY_EXAMPLES", "120")), deadline=None, suppress_health_check=list(HealthCheck))
@given(st.data())
def test_random_arguments_give_a_node_or_an_ordinary_error(data):
    win = _orvy.W()
    nodes = [win.rt(), win.lb("x")]
    for _ in range(data.draw(st.integers(min_value=1, max_value=6))):
        name = data.draw(st.sampled_from(BUILDERS + SETTERS))
        method = getattr(win, name)
        kwargs = {}
        for param in parameters(method):
            given_value = data.draw(st.one_of(st.just(None), values, st.sampled_from(nodes)) if param.name in
                                    ("pr", "n", "node") else values)
            required = param.default is inspect.Parameter.empty
            if required or data.draw(st.booleans()):
                kwargs[param.name] = given_value
        try:
            result = method(**kwargs)
        except ORDINARY:
            continue
        if isinstance(result, _orvy.Ctx):
            node = result.__enter__()
            result.__exit__()
            nodes.append(node)
        elif isinstance(result, _orvy.N):
            nodes.append(result)
    assert len(win._nodes()) >= 2
    for node in nodes:
        win._model(node)
