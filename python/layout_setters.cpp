// Layout setters of W; each method's row below is its signature. All but lim
// are configuring only; lim is queued once the window runs. The test hooks
// `_layout(w, h)` run a full pass in a client area of that size and return
// every rect; `_requests()` returns the queued node requests, left in place.
#include "core/frame/frame.hpp"
#include "core/layout/layout.hpp"
#include "python/method_table.hpp"

namespace orvy::py {

namespace {

// The last step of a configuring-only setter: refuses once running, else
// hands the node's layout to `change` and marks the tree for a pass.
template<class Change>
PyObject* configure(MethodCall& c, Change&& change)
{
    if (!c.state().require_configuring())
        return nullptr;
    Tree& tree = c.tree();
    change(tree.node(c.node("n")).layout, tree);
    tree.layout_dirty = true;
    Py_RETURN_NONE;
}

// Sets the absolute placement fields whose argument was given.
template<std::size_t Count>
PyObject* place_absolute(MethodCall& c, std::array<char const*, Count> names,
    std::array<OptionalFloat LayoutParams::*, Count> fields)
{
    return configure(c, [&](LayoutParams& l, Tree&) {
        for (std::size_t i = 0; i < Count; ++i) {
            if (auto value = c.optional_f32(names[i]))
                l.*fields[i] = value;
        }
        l.placement = Placement::Absolute;
    });
}

PyObject* grow(MethodCall& c)
{
    return configure(c, [&](LayoutParams& l, Tree&) { l.grow = c.f32("g"); });
}

PyObject* align(MethodCall& c)
{
    return configure(c, [&](LayoutParams& l, Tree&) {
        l.justify = parse_justify(c.utf8("justify"));
        l.cross = parse_cross(c.utf8("cross"));
    });
}

PyObject* pin(MethodCall& c)
{
    return place_absolute<4>(c, { "l", "t", "r", "b" },
        { &LayoutParams::left, &LayoutParams::top, &LayoutParams::right, &LayoutParams::bottom });
}

PyObject* pl(MethodCall& c)
{
    return place_absolute<6>(c, { "x", "y", "r", "b", "w", "h" },
        { &LayoutParams::left, &LayoutParams::top, &LayoutParams::right, &LayoutParams::bottom, &LayoutParams::w,
            &LayoutParams::h });
}

// The parent of a node placed by gr or pk switches to that way of placing children.
void set_parent_layout(Tree& tree, NodeId node, ChildLayout child_layout)
{
    if (auto parent = tree.node(node).parent)
        tree.node(*parent).layout.child_layout = child_layout;
}

PyObject* gr(MethodCall& c)
{
    return configure(c, [&](LayoutParams& l, Tree& tree) {
        l.row = static_cast<std::uint8_t>(c.index("r"));
        l.col = static_cast<std::uint8_t>(c.index("c"));
        l.row_span = static_cast<std::uint8_t>(c.index("rs"));
        l.col_span = static_cast<std::uint8_t>(c.index("cs"));
        l.placement = Placement::Flow;
        set_parent_layout(tree, c.node("n"), ChildLayout::Grid);
    });
}

PyObject* pk(MethodCall& c)
{
    return configure(c, [&](LayoutParams& l, Tree& tree) {
        l.pack_side = parse_pack_side(c.utf8("side"));
        l.pack_fill = parse_pack_fill(c.utf8("fill"));
        l.pack_expand = c.flag("exp");
        l.placement = Placement::Flow;
        set_parent_layout(tree, c.node("n"), ChildLayout::Pack);
    });
}

PyObject* lim(MethodCall& c)
{
    // A limit left out travels as −1, which leaves the field as it is. Both
    // phases go through the same request, so a call means the same before and
    // after the window shows.
    auto limit = [&c](char const* name) { return c.optional_f32(name).value_or(-1.0f); };
    NodeRequest request { .node = c.node("n"), .a = limit("min_w"), .b = limit("min_h"), .c = limit("max_w"),
        .kind = RequestKind::Limits, .d = limit("max_h") };
    if (c.running())
        c.tree().enqueue_request(request);
    else
        apply_request(c.tree(), request);
    Py_RETURN_NONE;
}

PyObject* dep(MethodCall& c)
{
    return configure(c, [&](LayoutParams& l, Tree&) { l.z = c.i32("z"); });
}

PyObject* layout_for_tests(MethodCall& c)
{
    Tree& tree = c.tree();
    layout_pass(tree, RectF { 0, 0, c.f32("w"), c.f32("h") });
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

PyObject* requests_for_tests(MethodCall& c)
{
    PyRef list = PyRef::steal(PyList_New(0));
    if (!list)
        return nullptr;
    for (NodeRequest const& r : c.tree().request_queue.peek()) {
        PyRef entry = PyRef::steal(Py_BuildValue("(Kdddid)", static_cast<unsigned long long>(r.node), double(r.a),
            double(r.b), double(r.c), static_cast<int>(r.kind), double(r.d)));
        if (!entry || PyList_Append(list.get(), entry.get()) < 0)
            return nullptr;
    }
    return list.release();
}

WindowMethodsRegistrar const registrar {
    row<grow>("grow", "Задаёт flex-вес узла вдоль главной оси.", { node("n"), real("g") }),
    row<align>("align", "Выравнивает детей узла: `justify` (st/cnt/end/btw), `cross` (str/st/cnt/end).",
        { node("n"), keyword_only, utf8("justify", "st"), utf8("cross", "str") }),
    row<pin>("pin", "Пинит узел к краям родителя; `l/t/r/b` — отступы, `None` — не привязан.",
        { node("n"), keyword_only, optional_real("l"), optional_real("t"), optional_real("r"),
            optional_real("b") }),
    row<pl>("pl", "Размещает узел абсолютно: `x`, `y`, `r`, `b`, `w`, `h`.",
        { node("n"), keyword_only, optional_real("x"), optional_real("y"), optional_real("r"),
            optional_real("b"), optional_real("w"), optional_real("h") }),
    row<gr>("gr", "Ставит узел в ячейку сетки: строка, столбец, растяжки.",
        { node("n"), byte("r", 0), byte("c", 0), keyword_only, byte("rs", 1), byte("cs", 1) }),
    row<pk>("pk", "Прижимает узел к стороне: `t`/`b`/`l`/`r`, `fill`, `exp`.",
        { node("n"), utf8("side", "t"), keyword_only, optional_utf8("fill"), flag("exp", false) }),
    row<lim>("lim", "Пределы размеров узла: `lim(node, min_w=200.0)`.",
        { node("n"), keyword_only, optional_real("min_w"), optional_real("min_h"), optional_real("max_w"),
            optional_real("max_h") }),
    row<dep>("dep", "Задаёт глубину узла: больше `z` — ближе к зрителю (`dep(node, 2)`).",
        { node("n"), integer("z", 0) }),
    row<layout_for_tests>("_layout", "Раскладка дерева для тестов.", { real("w"), real("h") }),
    row<requests_for_tests>("_requests", "Очередь заявок для тестов.", {}, { .access = Access::Shared }),
};

}

}
