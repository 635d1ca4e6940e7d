// The binding refresh: after every callback, the pull bindings whose signals
// changed are evaluated again and their results written into the tree.
#include "core/operations/operations.hpp"
#include "python/invoke.hpp"
#include "python/item_formats.hpp"
#include "python/method_table.hpp"
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

// What writing one binding's result did to its node.
enum class Applied : std::uint8_t { Unchanged, Changed, Failed };

Applied changed_if(bool changed) { return changed ? Applied::Changed : Applied::Unchanged; }

// A converted result written by `set`, or a failure with the error set when
// the conversion failed.
template<class Value, class Set>
Applied write(std::optional<Value>&& value, Set set)
{
    if (!value)
        return Applied::Failed;
    return changed_if(set(std::move(*value)));
}

Applied apply_value(Tree& tree, NodeId id, PyObject* result)
{
    auto x = number(result);
    if (!x) {
        PyErr_Clear(); // a value binding that returns no number simply does nothing
        return Applied::Unchanged;
    }
    switch (tree.node(id).kind()) {
    case NodeKind::Progress:
    case NodeKind::Gauge:
        return changed_if(set_numeric_state(tree, id, std::isnan(*x) ? 0.0f : std::clamp(*x, 0.0f, 1.0f)));
    default:
        return changed_if(set_numeric_state(tree, id, *x));
    }
}

Applied apply_rect(Tree& tree, NodeId id, PyObject* result)
{
    if (!PyTuple_Check(result) || PyTuple_Size(result) != 4) {
        PyErr_SetString(PyExc_TypeError, "bindp: expected a tuple (x, y, w, h)");
        return Applied::Failed;
    }
    return write(numbers(result, "bindp"), [&](std::vector<float> values) {
        return place_at(tree, id, { values[0], values[1], values[2], values[3] });
    });
}

// Writes one binding's result into the node through the core setter of its
// kind, which tells whether the node changed; Failed with the error set when
// the result has the wrong shape.
Applied apply(Tree& tree, Binding const& binding, PyObject* result)
{
    NodeId id = binding.node;
    switch (binding.kind) {
    case BindingKind::Text:
        return write(to_text(result, "bind"), [&](Text text) { return set_text(tree, id, std::move(text)); });
    case BindingKind::Value:
        return apply_value(tree, id, result);
    case BindingKind::Composite:
        return write(numbers(result, "sig"), [&](std::vector<float> values) {
            values.resize(3, 0.0f);
            return set_composite_value(tree, id, values[0], values[1], values[2]);
        });
    case BindingKind::Rect:
        return apply_rect(tree, id, result);
    case BindingKind::PaddingGap:
        return write(numbers(result, "bindb"), [&](std::vector<float> values) {
            auto at = [&](std::size_t i) { return i < values.size() ? std::optional(values[i]) : std::nullopt; };
            return set_spacing(tree, id, at(0), at(1));
        });
    case BindingKind::Items:
        return write(to_text_list(result, "bindl"),
            [&](TextList items) { return set_items(tree, id, std::move(items)); });
    case BindingKind::Rows:
        return write(to_table_rows(result, "bindt"),
            [&](TextRows rows) { return set_table_rows(tree, id, std::move(rows)); });
    case BindingKind::Depth:
        return write(number(result), [&](float z) { return set_depth(tree, id, z); });
    case BindingKind::ImageSource:
        return write(to_utf8(result, "src_bind"),
            [&](std::string_view path) { return set_image_source(tree, id, path); });
    case BindingKind::ImageFit:
        return write(to_utf8(result, "fit_bind"), [&](std::string_view word) {
            return set_image_fit(tree, id, static_cast<ImageFit>(parse_fit_mode(word)));
        });
    case BindingKind::Chart:
        return write(numbers(result, "bind"),
            [&](std::vector<float> data) { return set_chart_data(tree, id, std::move(data)); });
    case BindingKind::Propgrid:
        return write(to_property_rows(result, "bind"),
            [&](auto rows) { return set_property_rows(tree, id, std::move(rows)); });
    case BindingKind::TreeRows:
        return write(to_tree_rows(result, "bind"), [&](auto rows) { return set_tree_rows(tree, id, std::move(rows)); });
    case BindingKind::CanvasShapes:
        return write(to_shapes(result, "bind"),
            [&](auto shapes) { return set_canvas_shapes(tree, id, std::move(shapes)); });
    }
    return Applied::Unchanged;
}

// Steps 1 to 3 of a refresh for one window; the dirty set is left as it is.
void refresh_window(WindowState& window)
{
    CurrentWindowScope current(window);
    // Bindings may be added while they run (build inside a binding); walk by index.
    for (std::size_t i = 0; i < window.bindings.size(); ++i) {
        PyRef callable = window.bindings[i].callable;
        if (!callable)
            continue; // dropped by the window's collection
        std::vector<std::uint32_t> ids = std::move(window.bindings[i].dependencies);
        PyRef result = evaluate_pull(callable.get(), ids);
        window.bindings[i].dependencies = std::move(ids);
        if (!result)
            continue;
        Binding const& binding = window.bindings[i];
        if (binding.node >= window.tree.size())
            continue;
        switch (apply(window.tree, binding, result.get())) {
        case Applied::Failed:
            report_exception();
            break;
        case Applied::Changed:
            // The value went straight into the tree: a stale layout tells
            // the frame update that there is something new to show. A
            // binding that returns what the node already shows leaves the
            // window idle.
            window.tree.layout_dirty = true;
            break;
        case Applied::Unchanged:
            break;
        }
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
namespace orvy::py {

namespace {

template<BindingKind kind>
PyObject* bind_method(MethodCall& c)
{
    c.state().bindings.push_back({ kind, c.node("node"), PyRef::borrow(c.object("f")) });
    Py_RETURN_NONE;
}

template<BindingKind kind>
PyMethodDef bind_row(char const* name, char const* description)
{
    return row<bind_method<kind>>(name, description, { node("node"), required_object("f") });
}

WindowMethodsRegistrar const registrar {
    bind_row<BindingKind::Value>("bindv", "Привязывает числовой колбэк к узлу (значение или страница стопки)."),
    bind_row<BindingKind::PaddingGap>("bindb", "Привязывает `(padding, gap)` контейнера к колбэку."),
    bind_row<BindingKind::Items>("bindl", "Привязывает пункты списка к колбэку, возвращающему список строк."),
    bind_row<BindingKind::Rows>("bindt", "Привязывает строки таблицы к колбэку, возвращающему список рядов."),
    bind_row<BindingKind::Depth>("bindz", "Привязывает глубину `z` узла к колбэку, возвращающему число."),
    bind_row<BindingKind::Rect>("bindp", "Привязывает абсолютную позицию узла к колбэку `(x, y, w, h)`."),
};

}

}
