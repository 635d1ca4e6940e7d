// Layout setters of W; all but lim are configuring only, lim is queued once
// the window runs:
//     W.grow(n, g)
//     W.align(n, *, justify="st", cross="str")
//     W.pin(n, *, l=None, t=None, r=None, b=None)
//     W.pl(n, *, x=None, y=None, r=None, b=None, w=None, h=None)
//     W.gr(n, r=0, c=0, *, rs=1, cs=1)
//     W.pk(n, side="t", *, fill=None, exp=False)
//     W.lim(n, *, min_w=None, min_h=None, max_w=None, max_h=None)
//     W.dep(n, z=0)
// and the test hooks W._layout(w, h) -> [(x, y, w, h), ...] (a full pass in a
// client area of that size) and W._requests() -> [(node, a, b, c, kind, d), ...]
// (the queued node requests, left in place).
#include "core/frame/frame.hpp"
#include "core/layout/layout.hpp"
#include "python/window.hpp"

namespace orvy::py {

namespace {

// A node call with the helpers the layout setters share.
template<std::size_t N>
struct LayoutCall : NodeCall<N> {
    using NodeCall<N>::a;
    using NodeCall<N>::call;
    using NodeCall<N>::node;

    // Optional float arguments from index `first` on; None and omission give nothing.
    template<std::size_t Count>
    bool floats(std::size_t first, std::array<std::optional<float>, Count>& out, ArgSpec const& spec)
    {
        for (std::size_t i = 0; i < Count; ++i) {
            out[i].reset();
            if (!a[first + i])
                continue;
            auto value = to_opt_f32(a[first + i], spec.names[first + i]);
            if (!value)
                return false;
            out[i] = *value;
        }
        return true;
    }

    // The last step of a configuring-only setter: refuses once running, else
    // hands the node's layout to `change` and marks the tree for a pass.
    template<class Change>
    PyObject* configure(Change&& change)
    {
        if (!call->state().require_configuring())
            return nullptr;
        Tree& tree = call->tree();
        change(tree.node(node).layout, tree);
        tree.layout_dirty = true;
        Py_RETURN_NONE;
    }
};

// A str argument, or the default when it was not given.
std::optional<std::string_view> word_or(PyObject* value, char const* name, std::string_view fallback)
{
    return value ? to_utf8(value, name) : std::optional<std::string_view>(fallback);
}

std::optional<std::uint8_t> byte_or(PyObject* value, char const* name, std::uint8_t fallback)
{
    if (!value)
        return fallback;
    auto number = to_index(value, name, 255);
    if (!number)
        return std::nullopt;
    return static_cast<std::uint8_t>(*number);
}

PyObject* grow(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.grow", { "n", "g" }, 2, 2 };
    LayoutCall<2> c;
    if (!c.enter(self, cls, args, nargs, kwnames, spec))
        return nullptr;
    auto weight = to_f32(c.a[1], "g");
    if (!weight)
        return nullptr;
    return c.configure([&](LayoutParams& l, Tree&) { l.grow = *weight; });
}

PyObject* align(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.align", { "n", "justify", "cross" }, 1, 1 };
    LayoutCall<3> c;
    if (!c.enter(self, cls, args, nargs, kwnames, spec))
        return nullptr;
    auto justify = word_or(c.a[1], "justify", "st");
    auto cross = justify ? word_or(c.a[2], "cross", "str") : std::nullopt;
    if (!cross)
        return nullptr;
    return c.configure([&](LayoutParams& l, Tree&) {
        l.justify = parse_justify(*justify);
        l.cross = parse_cross(*cross);
    });
}

PyObject* pin(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.pin", { "n", "l", "t", "r", "b" }, 1, 1 };
    LayoutCall<5> c;
    std::array<std::optional<float>, 4> edges;
    if (!c.enter(self, cls, args, nargs, kwnames, spec) || !c.floats(1, edges, spec))
        return nullptr;
    return c.configure([&](LayoutParams& l, Tree&) {
        OptionalFloat* fields[] = { &l.left, &l.top, &l.right, &l.bottom };
        for (std::size_t i = 0; i < edges.size(); ++i) {
            if (edges[i])
                *fields[i] = edges[i];
        }
        l.placement = Placement::Absolute;
    });
}

PyObject* pl(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.pl", { "n", "x", "y", "r", "b", "w", "h" }, 1, 1 };
    LayoutCall<7> c;
    std::array<std::optional<float>, 6> values;
    if (!c.enter(self, cls, args, nargs, kwnames, spec) || !c.floats(1, values, spec))
        return nullptr;
    return c.configure([&](LayoutParams& l, Tree&) {
        OptionalFloat* fields[] = { &l.left, &l.top, &l.right, &l.bottom, &l.w, &l.h };
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (values[i])
                *fields[i] = values[i];
        }
        l.placement = Placement::Absolute;
    });
}

// The parent of a node placed by gr or pk switches to that way of placing children.
void set_parent_layout(Tree& tree, NodeId node, ChildLayout child_layout)
{
    if (auto parent = tree.node(node).parent)
        tree.node(*parent).layout.child_layout = child_layout;
}

PyObject* gr(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.gr", { "n", "r", "c", "rs", "cs" }, 3, 1 };
    LayoutCall<5> c;
    if (!c.enter(self, cls, args, nargs, kwnames, spec))
        return nullptr;
    auto row = byte_or(c.a[1], "r", 0);
    auto column = row ? byte_or(c.a[2], "c", 0) : std::nullopt;
    auto row_span = column ? byte_or(c.a[3], "rs", 1) : std::nullopt;
    auto column_span = row_span ? byte_or(c.a[4], "cs", 1) : std::nullopt;
    if (!column_span)
        return nullptr;
    NodeId node = c.node;
    return c.configure([&](LayoutParams& l, Tree& tree) {
        l.row = *row;
        l.col = *column;
        l.row_span = *row_span;
        l.col_span = *column_span;
        l.placement = Placement::Flow;
        set_parent_layout(tree, node, ChildLayout::Grid);
    });
}

PyObject* pk(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.pk", { "n", "side", "fill", "exp" }, 2, 1 };
    LayoutCall<4> c;
    if (!c.enter(self, cls, args, nargs, kwnames, spec))
        return nullptr;
    auto side = word_or(c.a[1], "side", "t");
    auto fill = side ? word_or(c.a.given(2) ? c.a[2] : nullptr, "fill", "") : std::nullopt;
    auto expand = fill ? (c.a[3] ? to_bool(c.a[3], "exp") : std::optional<bool>(false)) : std::nullopt;
    if (!expand)
        return nullptr;
    NodeId node = c.node;
    return c.configure([&](LayoutParams& l, Tree& tree) {
        l.pack_side = parse_pack_side(*side);
        l.pack_fill = parse_pack_fill(*fill);
        l.pack_expand = *expand;
        l.placement = Placement::Flow;
        set_parent_layout(tree, node, ChildLayout::Pack);
    });
}

PyObject* lim(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.lim", { "n", "min_w", "min_h", "max_w", "max_h" }, 1, 1 };
    LayoutCall<5> c;
    std::array<std::optional<float>, 4> limits;
    if (!c.enter(self, cls, args, nargs, kwnames, spec) || !c.floats(1, limits, spec))
        return nullptr;
    // A limit left out travels as −1, which leaves the field as it is. Both
    // phases go through the same request, so a call means the same before and
    // after the window shows.
    NodeRequest request { .node = c.node, .a = limits[0].value_or(-1.0f), .b = limits[1].value_or(-1.0f),
        .c = limits[2].value_or(-1.0f), .kind = RequestKind::Limits, .d = limits[3].value_or(-1.0f) };
    if (c.call->state().is_running())
        c.call->tree().enqueue_request(request);
    else
        apply_request(c.call->tree(), request);
    Py_RETURN_NONE;
}

PyObject* dep(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.dep", { "n", "z" }, 2, 1 };
    LayoutCall<2> c;
    if (!c.enter(self, cls, args, nargs, kwnames, spec))
        return nullptr;
    auto z = c.a[1] ? to_i32(c.a[1], "z") : std::optional<std::int32_t>(0);
    if (!z)
        return nullptr;
    return c.configure([&](LayoutParams& l, Tree&) { l.z = *z; });
}

PyObject* layout_for_tests(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs,
    PyObject* kwnames)
{
    static ArgSpec const spec { "W._layout", { "w", "h" }, 2, 2 };
    Args<2> a;
    if (!a.parse(spec, args, nargs, kwnames))
        return nullptr;
    auto width = to_f32(a[0], "w");
    auto height = width ? to_f32(a[1], "h") : std::nullopt;
    auto call = height ? enter_window(self, cls, Access::Exclusive) : std::nullopt;
    if (!call)
        return nullptr;
    Tree& tree = call->tree();
    layout_pass(tree, RectF { 0, 0, *width, *height });
    PyRef list = PyRef::steal(PyList_New(static_cast<Py_ssize_t>(tree.size())));
    if (!list)
        return nullptr;
    for (NodeId id = 0; id < tree.size(); ++id) {
        RectF const& r = tree.node(id).rect;
        PyObject* rect = Py_BuildValue("(dddd)", double(r.x), double(r.y), double(r.w), double(r.h));
        if (!rect)
            return nullptr;
        PyList_SetItem(list.get(), static_cast<Py_ssize_t>(id), rect);
    }
    return list.release();
}

PyObject* requests_for_tests(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs,
    PyObject* kwnames)
{
    static ArgSpec const spec { "W._requests", {}, 0, 0 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;
    PyRef list = PyRef::steal(PyList_New(0));
    if (!list)
        return nullptr;
    for (NodeRequest const& r : call->tree().request_queue.peek()) {
        PyRef entry = PyRef::steal(Py_BuildValue("(Kdddid)", static_cast<unsigned long long>(r.node), double(r.a),
            double(r.b), double(r.c), static_cast<int>(r.kind), double(r.d)));
        if (!entry || PyList_Append(list.get(), entry.get()) < 0)
            return nullptr;
    }
    return list.release();
}

void add_methods(MethodList& methods)
{
    methods.insert(methods.end(), {
        method<grow>("grow", "grow($self, n, g)\n--\n\nЗадаёт flex-вес узла вдоль главной оси."),
        method<align>("align",
            "align($self, n, *, justify=\"st\", cross=\"str\")\n--\n\n"
            "Выравнивает детей узла: `justify` (st/cnt/end/btw), `cross` (str/st/cnt/end)."),
        method<pin>("pin",
            "pin($self, n, *, l=None, t=None, r=None, b=None)\n--\n\n"
            "Пинит узел к краям родителя; `l/t/r/b` — отступы, `None` — не привязан."),
        method<pl>("pl",
            "pl($self, n, *, x=None, y=None, r=None, b=None, w=None, h=None)\n--\n\n"
            "Размещает узел абсолютно: `x`, `y`, `r`, `b`, `w`, `h`."),
        method<gr>("gr",
            "gr($self, n, r=0, c=0, *, rs=1, cs=1)\n--\n\nСтавит узел в ячейку сетки: строка, столбец, растяжки."),
        method<pk>("pk",
            "pk($self, n, side=\"t\", *, fill=None, exp=False)\n--\n\n"
            "Прижимает узел к стороне: `t`/`b`/`l`/`r`, `fill`, `exp`."),
        method<lim>("lim",
            "lim($self, n, *, min_w=None, min_h=None, max_w=None, max_h=None)\n--\n\n"
            "Пределы размеров узла: `lim(node, min_w=200.0)`."),
        method<dep>("dep",
            "dep($self, n, z=0)\n--\n\nЗадаёт глубину узла: больше `z` — ближе к зрителю (`dep(node, 2)`)."),
        method<layout_for_tests>("_layout", "_layout($self, w, h)\n--\n\nРаскладка дерева для тестов."),
        method<requests_for_tests>("_requests", "_requests($self)\n--\n\nОчередь заявок для тестов."),
    });
}

WindowMethodsRegistrar const registrar(add_methods);

}

}
