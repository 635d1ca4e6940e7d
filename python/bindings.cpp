// The binding refresh: after every callback, the pull bindings whose signals
// changed are evaluated again and their results written into the tree.
#include "core/models/operations.hpp"
#include "python/invoke.hpp"
#include "python/item_formats.hpp"
#include "python/signals.hpp"
#include "python/window.hpp"

#include <algorithm>
#include <cmath>

namespace orvy::py {

PyRef evaluate_pull(PyObject* f, std::vector<std::uint32_t>& ids)
{
    SignalTracking& tracking = signal_tracking();
    if (!ids.empty() && std::none_of(ids.begin(), ids.end(), [&](std::uint32_t id) { return tracking.dirty.contains(id); }))
        return {};
    auto outer = std::exchange(tracking.recorder, std::vector<std::uint32_t> {});
    PyRef result = PyRef::steal(PyObject_CallNoArgs(f));
    std::vector<std::uint32_t> read = std::move(*tracking.recorder);
    tracking.recorder = std::move(outer);
    for (std::uint32_t id : read) {
        if (std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(id);
    }
    if (!result)
        report_exception();
    return result;
}

namespace {

std::optional<float> number(PyObject* value)
{
    double x = PyFloat_AsDouble(value);
    if (x == -1.0 && PyErr_Occurred())
        return std::nullopt;
    return static_cast<float>(x);
}

// Up to `count` leading numbers of a sequence.
std::optional<std::vector<float>> numbers(PyObject* value, char const* name)
{
    return to_f32_list(value, name);
}

void apply_value(Tree& tree, NodeId id, PyObject* result)
{
    auto x = number(result);
    if (!x) {
        PyErr_Clear(); // a value binding that returns no number simply does nothing
        return;
    }
    Node& node = tree.node(id);
    switch (node.kind()) {
    case NodeKind::Progress:
    case NodeKind::Gauge:
        set_numeric_state(tree, id, std::isnan(*x) ? 0.0f : std::clamp(*x, 0.0f, 1.0f));
        break;
    default:
        set_numeric_state(tree, id, *x);
        break;
    }
}

bool apply_rect(Tree& tree, NodeId id, PyObject* result)
{
    if (!PyTuple_Check(result) || PyTuple_Size(result) != 4) {
        PyErr_SetString(PyExc_TypeError, "bindp: expected a tuple (x, y, w, h)");
        return false;
    }
    auto values = numbers(result, "bindp");
    if (!values)
        return false;
    LayoutParams& layout = tree.node(id).layout;
    layout.placement = Placement::Absolute;
    layout.left = (*values)[0];
    layout.top = (*values)[1];
    layout.w = (*values)[2];
    layout.h = (*values)[3];
    layout.right.reset();
    layout.bottom.reset();
    tree.layout_dirty = true;
    return true;
}

// Writes one binding's result into the node; false with the error set when
// the result has the wrong shape.
bool apply(Tree& tree, Binding const& binding, PyObject* result)
{
    NodeId id = binding.node;
    switch (binding.kind) {
    case BindingKind::Text: {
        auto text = to_text(result, "bind");
        return text && (set_text(tree, id, std::move(*text)), true);
    }
    case BindingKind::Value:
        apply_value(tree, id, result);
        return true;
    case BindingKind::Composite: {
        auto values = numbers(result, "sig");
        if (!values)
            return false;
        values->resize(3, 0.0f);
        set_composite_value(tree, id, (*values)[0], (*values)[1], (*values)[2]);
        return true;
    }
    case BindingKind::Rect:
        return apply_rect(tree, id, result);
    case BindingKind::PaddingGap: {
        auto values = numbers(result, "bindb");
        if (!values)
            return false;
        LayoutParams& layout = tree.node(id).layout;
        if (values->size() > 0)
            layout.padding = (*values)[0];
        if (values->size() > 1)
            layout.gap = (*values)[1];
        tree.layout_dirty = true;
        return true;
    }
    case BindingKind::Items: {
        auto items = to_text_list(result, "bindl");
        return items && (set_items(tree, id, std::move(*items)), true);
    }
    case BindingKind::Rows: {
        auto rows = to_table_rows(result, "bindt");
        return rows && (set_table_rows(tree, id, std::move(*rows)), true);
    }
    case BindingKind::Depth: {
        auto z = number(result);
        if (!z)
            return false;
        float clamped = std::isnan(*z) ? 0.0f : std::clamp(*z, -2147483648.0f, 2147483520.0f);
        tree.node(id).layout.z = static_cast<std::int32_t>(clamped);
        tree.layout_dirty = true;
        return true;
    }
    case BindingKind::ImageSource: {
        auto path = to_utf8(result, "src_bind");
        if (!path)
            return false;
        if (auto* image = tree.node(id).model.as<ImageModel>(); image && image->source != *path) {
            image->source = *path;
            tree.layout_dirty = true;
        }
        return true;
    }
    case BindingKind::ImageFit: {
        auto word = to_utf8(result, "fit_bind");
        if (!word)
            return false;
        if (auto* image = tree.node(id).model.as<ImageModel>())
            image->fit = static_cast<ImageFit>(parse_fit_mode(*word));
        return true;
    }
    case BindingKind::Chart: {
        auto values = numbers(result, "bind");
        if (!values)
            return false;
        if (auto* chart = tree.node(id).model.as<ChartModel>())
            chart->data = std::move(*values);
        return true;
    }
    case BindingKind::Propgrid: {
        auto rows = to_property_rows(result, "bind");
        return rows && (set_property_rows(tree, id, std::move(*rows)), true);
    }
    case BindingKind::TreeRows: {
        auto rows = to_tree_rows(result, "bind");
        return rows && (set_tree_rows(tree, id, std::move(*rows)), true);
    }
    case BindingKind::CanvasShapes: {
        auto shapes = to_shapes(result, "bind");
        if (!shapes)
            return false;
        if (auto* canvas = tree.node(id).model.as<CanvasModel>())
            canvas->shapes = std::move(*shapes);
        return true;
    }
    }
    return true;
}

// Steps 1 to 3 of a refresh for one window; the dirty set is left as it is.
void refresh_window(WindowState& window)
{
    CurrentWindowScope current(window);
    // Bindings may be added while they run (build inside a binding); walk by index.
    for (std::size_t i = 0; i < window.bindings.size(); ++i) {
        PyRef callable = window.bindings[i].callable;
        std::vector<std::uint32_t> ids = std::move(window.bindings[i].dependencies);
        PyRef result = evaluate_pull(callable.get(), ids);
        window.bindings[i].dependencies = std::move(ids);
        if (!result)
            continue;
        Binding const& binding = window.bindings[i];
        if (binding.node >= window.tree.size())
            continue;
        if (!apply(window.tree, binding, result.get()))
            report_exception();
    }
    refresh_window_properties();
}

// Refreshes the windows with one look at the dirty set, which is emptied
// only after all of them saw it.
void refresh_windows(std::initializer_list<WindowState*> windows)
{
    SignalTracking& tracking = signal_tracking();
    // A callback run by the refresh itself does not start another one.
    if (tracking.refreshing)
        return;
    tracking.refreshing = true;
    for (WindowState* window : windows) {
        if (window)
            refresh_window(*window);
    }
    tracking.dirty.clear();
    tracking.refreshing = false;
}

}

void refresh_bindings(WindowState& window) { refresh_windows({ &window }); }

void refresh_after_close(WindowState& closed)
{
    std::shared_ptr<WindowState> owner = closed.owner.lock();
    refresh_windows({ &closed, owner.get() });
}

}

// The bind… methods: each registers a pull binding of one kind for a node,
// in either window phase; the binding first runs at the next refresh. As
// with every callback, `f` is not checked until it is called.
//     W.bindv(node, f)  W.bindb(node, f)  W.bindl(node, f)
//     W.bindt(node, f)  W.bindz(node, f)  W.bindp(node, f)
namespace orvy::py {

namespace {

constexpr char const* method_name(BindingKind kind)
{
    switch (kind) {
    case BindingKind::Value: return "W.bindv";
    case BindingKind::PaddingGap: return "W.bindb";
    case BindingKind::Items: return "W.bindl";
    case BindingKind::Rows: return "W.bindt";
    case BindingKind::Depth: return "W.bindz";
    default: return "W.bindp";
    }
}

template<BindingKind kind>
PyObject* bind_method(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { method_name(kind), { "node", "f" }, 2, 2 };
    NodeCall<2> c;
    if (!c.enter(self, cls, args, nargs, kwnames, spec))
        return nullptr;
    c.call->state().bindings.push_back({ kind, c.node, PyRef::borrow(c.a[1]) });
    Py_RETURN_NONE;
}

void add_methods(MethodList& methods)
{
    methods.insert(methods.end(), {
        method<bind_method<BindingKind::Value>>("bindv",
            "bindv($self, node, f)\n--\n\nПривязывает числовой колбэк к узлу (значение или страница стопки)."),
        method<bind_method<BindingKind::PaddingGap>>("bindb",
            "bindb($self, node, f)\n--\n\nПривязывает `(padding, gap)` контейнера к колбэку."),
        method<bind_method<BindingKind::Items>>("bindl",
            "bindl($self, node, f)\n--\n\nПривязывает пункты списка к колбэку, возвращающему список строк."),
        method<bind_method<BindingKind::Rows>>("bindt",
            "bindt($self, node, f)\n--\n\nПривязывает строки таблицы к колбэку, возвращающему список рядов."),
        method<bind_method<BindingKind::Depth>>("bindz",
            "bindz($self, node, f)\n--\n\nПривязывает глубину `z` узла к колбэку, возвращающему число."),
        method<bind_method<BindingKind::Rect>>("bindp",
            "bindp($self, node, f)\n--\n\nПривязывает абсолютную позицию узла к колбэку `(x, y, w, h)`."),
    });
}

WindowMethodsRegistrar const registrar(add_methods);

}

}
