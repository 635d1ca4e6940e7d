// Shared builder steps.
#include "python/builder.hpp"

namespace orvy::py {

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

PyObject* handle_for(WindowCall& call, std::optional<NodeId> id)
{
    return id ? new_node_handle(*call.module, call.state(), *id) : nullptr;
}

void bind_to(WindowCall& call, NodeId id, PyObject* callable, BindingKind kind)
{
    if (callable && callable != Py_None)
        call.state().bindings.push_back({ kind, id, PyRef::borrow(callable) });
}

}
