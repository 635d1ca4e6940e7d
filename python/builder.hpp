// The steps every builder shares: reading the common layout arguments,
// the phase check, parent selection and appending the node.
#pragma once

#include "python/window.hpp"

namespace orvy::py {

// Where a builder's common parameters sit in its parsed arguments (-1: the
// builder has no such parameter) and the defaults of its signature.
struct CommonSlots {
    int pr = -1, pd = -1, gp = -1, w = -1, h = -1, ax = -1, elev = -1;
    float pd_default = 0.0f;
    float gp_default = 0.0f;
};

struct CommonArgs {
    std::optional<NodeId> parent;
    LayoutParams layout;
    float elevation = 0.0f;

    // Converts the common arguments; sets the error and returns false on failure.
    bool read(PyObject* const* values, CommonSlots const& slots, WindowCall const& call);
};

// Checks the phase, resolves the parent and appends the node with the common
// fields; an elevation above 0 turns the node's shadow on. Null with the
// error set once the window runs.
std::optional<NodeId> append_built(WindowCall& call, CommonArgs const& common, Model model);

// The same, always under the root (pop-up layers).
std::optional<NodeId> append_under_root(WindowCall& call, CommonArgs const& common, Model model);

// Reads the common arguments, then appends as append_built does; the callers
// then let the model's own setters bring the given values into range.
std::optional<NodeId> append_with_common(WindowCall& call, PyObject* const* values, CommonSlots const& slots,
    Model model);

// A new N for a node that was appended, or null (the error is set) when none was.
PyObject* handle_for(WindowCall& call, std::optional<NodeId> id);

// Registers a pull binding unless the callable is absent or None.
void bind_to(WindowCall& call, NodeId id, PyObject* callable, BindingKind kind);

// A text argument that defaults to `fallback` when absent.
std::optional<Text> text_or(PyObject* value, char const* name, std::u16string_view fallback = u"");
// A float argument that defaults to `fallback` when absent.
std::optional<float> f32_or(PyObject* value, char const* name, float fallback);
// A bool argument that defaults to `fallback` when absent.
std::optional<bool> bool_or(PyObject* value, char const* name, bool fallback);

}
