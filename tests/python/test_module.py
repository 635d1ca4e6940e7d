"""The module as a whole: its classes, the thread binding, contexts and the
calling conventions every method shares."""
import inspect
import threading

import pytest

import _orvy
from conftest import children, kinds, run_in_thread


def test_exports_in_registration_order_and_nothing_private():
    public = [name for name in vars(_orvy) if not name.startswith("__")]
    assert public == ["W", "N", "Ctx", "Fx", "Fnt", "Post", "Rct", "Dlg", "S", "sgnl"]
    for hidden in ("Note", "Thm", "Clip", "Fl"):
        assert not hasattr(_orvy, hidden)


@pytest.mark.parametrize("name", ["N", "Ctx", "Fx", "Fnt", "Post", "Rct", "Dlg"])
def test_only_w_and_s_can_be_constructed(name):
    with pytest.raises(TypeError, match="No constructor defined for " + name):
        getattr(_orvy, name)()
    assert isinstance(_orvy.W(), _orvy.W)
    assert _orvy.S(1).gt() == 1


def test_thread_bound_objects_refuse_other_threads(win):
    ctx = win.bx()
    error = run_in_thread(lambda: win.lb("x"))
    assert isinstance(error, RuntimeError)
    assert str(error) == "_orvy::PyWindow is unsendable, but sent to another thread"
    error = run_in_thread(lambda: ctx.__enter__())
    assert str(error) == "_orvy::Ctx is unsendable, but sent to another thread"
    assert kinds(win) == ["container", "frame"]


def test_signals_and_nodes_may_cross_threads(win):
    signal = _orvy.sgnl(1)
    node = win.rt()
    assert run_in_thread(lambda: (signal.st(2), signal.gt(), repr(node))) is None
    assert signal() == 2


def test_a_label_in_a_with_block_joins_the_box_and_the_next_one_the_root(win):
    with win.bx() as box:
        win.lb("inside")
    win.lb("after")
    assert kinds(win) == ["container", "frame", "label", "label"]
    assert children(win, 0) == [1, 3]
    assert children(win, 1) == [2]
    assert isinstance(box, _orvy.N)


def test_pr_wins_over_the_open_block(win):
    target = win.fr()
    with win.bx():
        win.lb("placed", pr=target)
        win.lb("in block")
    assert children(win, 1) == [3]
    assert children(win, 2) == [4]


def test_nested_blocks_nest_parents_and_extra_exits_are_harmless(win):
    outer = win.bx()
    with outer:
        with win.bx():
            win.lb()
        win.lb()
    assert children(win, 1) == [2, 4]
    assert children(win, 2) == [3]
    assert outer.__exit__(None, None, None) is False
    assert outer.__exit__() is False
    win.lb()
    assert children(win, 0) == [1, 5]


def test_a_context_never_entered_leaves_the_stack_alone(win):
    win.bx()
    win.lb()
    assert children(win, 0) == [1, 2]


def test_exceptions_in_a_block_propagate(win):
    with pytest.raises(ZeroDivisionError):
        with win.bx():
            1 / 0
    win.lb()
    assert children(win, 0) == [1, 2]


def test_node_handles_are_compared_by_identity(win):
    assert win.rt() is not win.rt()
    assert win.rt() != win.rt()


def test_ints_are_accepted_where_floats_are_declared(win):
    win.bt("x", w=300, h=40, pd=2, rad=True)
    layout = win._nodes()[1][3]
    assert layout["w"] == 300.0 and layout["h"] == 40.0 and layout["pd"] == 2.0


def test_a_float_where_an_int_is_declared_is_a_type_error():
    with pytest.raises(TypeError, match="argument 'w'"):
        _orvy.W(w=300.5)


def test_explicit_none_equals_omission(win):
    win.lb("a", pr=None, w=None, icon=None, bind=None)
    assert win._nodes()[1][1] == 0
    assert win._nodes()[1][3]["w"] is None


def test_host_messages_for_unknown_duplicate_and_surplus_arguments(win):
    with pytest.raises(TypeError, match="got an unexpected keyword argument 'colour'"):
        win.bt("x", colour="red")
    with pytest.raises(TypeError, match="got multiple values for argument 'lb'"):
        win.bt("x", lb="y")
    with pytest.raises(TypeError, match="takes from 0 to 1 positional arguments but 2 were given"):
        win.bt("x", None)
    with pytest.raises(TypeError, match="missing 1 required positional argument: 'f'"):
        win.build()
    assert kinds(win) == ["container"]


def test_wrong_argument_types_name_the_parameter(win):
    with pytest.raises(TypeError, match="argument 'txt': 'int' object cannot be converted to 'str'"):
        win.lb(5)
    with pytest.raises(TypeError, match="argument 'pr': 'str' object cannot be converted to 'N'"):
        win.lb("x", pr="root")
    with pytest.raises(TypeError, match="argument 'w': must be real number, not str"):
        win.lb("x", w="wide")
    assert kinds(win) == ["container"]


def test_a_node_of_another_window_is_refused_before_the_tree_changes(win):
    other = _orvy.W()
    foreign = other.fr()
    sub = win.subwin()
    sub_node = sub.fr()
    for node in (foreign, sub_node):
        with pytest.raises(ValueError, match="argument 'pr'"):
            win.lb("x", pr=node)
        with pytest.raises(ValueError, match="argument 'node'"):
            win.show(node, False)
    assert kinds(win) == ["container"]


def test_callbacks_are_not_checked_until_invoked(win):
    texts = []
    win.on_error(texts.append)
    button = win.bt("x", clk=42)
    assert win._activate(button) is True
    assert len(texts) == 1 and "TypeError" in texts[-1] and "not callable" in texts[-1]
    win.on_error(None)


def public_methods(obj):
    names = [n for n in dir(obj) if not n.startswith("_") or n in ("__enter__", "__exit__")]
    return {n: getattr(obj, n) for n in names if type(getattr(obj, n)).__name__ == "builtin_function_or_method"}


def test_every_method_publishes_a_text_signature(win):
    methods = public_methods(win)
    assert len(methods) >= 15
    for name, m in methods.items():
        assert m.__text_signature__, name
        inspect.signature(m)
    assert str(inspect.signature(win.bt)).startswith("(lb='', *, pr=None, rad=10.0,")
    assert str(inspect.signature(_orvy.sgnl)) == "(vl)"
    assert str(inspect.signature(_orvy.W.screen)) == "()"
    assert str(inspect.signature(_orvy.S(0).st)) == "(vl)"
    assert "ttl='ORVY'" in str(inspect.signature(_orvy.W))


def test_docstrings_carry_the_russian_description(win):
    assert win.go.__doc__ == "Показывает окно и запускает цикл сообщений."
    assert _orvy.sgnl.__doc__ == "Создаёт сигнал с начальным значением."
    assert win.bt.__doc__ == "Добавляет кнопку; `clk` вызывается по нажатию."
    for name, m in public_methods(win).items():
        if name not in ("__enter__", "__exit__"):
            assert m.__doc__, name


def test_the_module_loads_in_this_interpreter_as_a_stable_abi_build():
    assert _orvy.__file__.endswith("_orvy.abi3.so")
