// The steps every builder shares: the phase check, parent selection and
// appending the node with the common layout arguments.
#pragma once

#include "python/window.hpp"

namespace orvy::py {

// The common builder arguments once converted (pr, pd, gp, w, h, ax, elev).
struct CommonArgs {
    std::optional<NodeId> parent;
    LayoutParams layout;
    float elevation = 0.0f;
};

// Checks the phase, resolves the parent and appends the node with the common
// fields; an elevation above 0 turns the node's shadow on. Null with the
// error set once the window runs.
std::optional<NodeId> append_built(WindowCall& call, CommonArgs const& common, Model model);

// The same, always under the root (pop-up layers).
std::optional<NodeId> append_under_root(WindowCall& call, CommonArgs const& common, Model model);

// A new N for a node that was appended, or null (the error is set) when none was.
PyObject* handle_for(WindowCall& call, std::optional<NodeId> id);

// Registers a pull binding unless the callable is absent or None.
void bind_to(WindowCall& call, NodeId id, PyObject* callable, BindingKind kind);

}
