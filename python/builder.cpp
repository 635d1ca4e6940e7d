// Shared builder steps.
#include "python/builder.hpp"

namespace orvy::py {

bool CommonArgs::read(PyObject* const* values, CommonSlots const& slots, WindowCall const& call)
{
    auto value = [&](int slot) -> PyObject* { return slot >= 0 ? values[slot] : nullptr; };
    if (slots.pr >= 0) {
        auto pr = to_opt_node(value(slots.pr), "pr", call);
        if (!pr)
            return false;
        parent = *pr;
    }
    auto pd = f32_or(value(slots.pd), "pd", slots.pd_default);
    auto gp = f32_or(value(slots.gp), "gp", slots.gp_default);
    auto w = to_opt_f32(value(slots.w), "w");
    auto h = to_opt_f32(value(slots.h), "h");
    auto elev = f32_or(value(slots.elev), "elev", 0.0f);
    if (!pd || !gp || !w || !h || !elev)
        return false;
    layout.pd = *pd;
    layout.gp = *gp;
    layout.w = *w;
    layout.h = *h;
    elevation = *elev;
    if (PyObject* ax = value(slots.ax)) {
        auto word = to_utf8(ax, "ax");
        if (!word)
            return false;
        layout.axis = parse_axis(*word);
    }
    return true;
}

namespace {

std::optional<NodeId> append_at(WindowCall& call, NodeId parent, CommonArgs const& common, Model model)
{
    Tree& tree = call.tree();
    NodeId id = tree.append(parent, std::move(model), common.layout);
    if (common.elevation > 0.0f)
        tree.node(id).styles.base_mut().shadow = common.elevation;
    return id;
}

}

std::optional<NodeId> append_built(WindowCall& call, CommonArgs const& common, Model model)
{
    if (!call.state().require_configuring())
        return std::nullopt;
    return append_at(call, call.state().parent_for(common.parent), common, std::move(model));
}

std::optional<NodeId> append_under_root(WindowCall& call, CommonArgs const& common, Model model)
{
    if (!call.state().require_configuring())
        return std::nullopt;
    return append_at(call, call.tree().root, common, std::move(model));
}

std::optional<NodeId> append_with_common(WindowCall& call, PyObject* const* values, CommonSlots const& slots,
    Model model)
{
    CommonArgs common;
    if (!common.read(values, slots, call))
        return std::nullopt;
    return append_built(call, common, std::move(model));
}

PyObject* handle_for(WindowCall& call, std::optional<NodeId> id)
{
    return id ? new_node_handle(*call.module, call.state(), *id) : nullptr;
}

void bind_to(WindowCall& call, NodeId id, PyObject* callable, BindingKind kind)
{
    if (callable && callable != Py_None)
        call.state().bindings.push_back({ kind, id, PyRef::borrow(callable) });
}

std::optional<Text> text_or(PyObject* value, char const* name, std::u16string_view fallback)
{
    if (!value)
        return Text(fallback);
    return to_text(value, name);
}

std::optional<float> f32_or(PyObject* value, char const* name, float fallback)
{
    if (!value)
        return fallback;
    return to_f32(value, name);
}

std::optional<bool> bool_or(PyObject* value, char const* name, bool fallback)
{
    if (!value)
        return fallback;
    return to_bool(value, name);
}

}
