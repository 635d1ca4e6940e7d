// Window-property signals and the thread's current window: the background
// tint of a glass window (tint, 0..1), the blur strength (blur, 0..1, 0
// switches it off), the backdrop (blur_mode, 0 none, otherwise blur) and
// dropping the blur while the window is dragged (drag_smooth, 0/1).
// A registration belongs to the calling thread, one per property, and
// replaces the earlier one; None removes it. Like every callback, `sig` is
// only called at the refresh, where a failure goes to the exception hook.
// Every binding refresh evaluates them like pull bindings and applies the
// results to the window being refreshed, which is the thread's current window
// for the refresh's duration.
#include "python/invoke.hpp"
#include "python/method_table.hpp"
#include "python/signals.hpp"
#include "python/window.hpp"

#include <array>

namespace orvy::py {

namespace {

enum class WindowProperty : std::uint8_t { Tint = 0, Blur = 1, BlurMode = 2, DragSmooth = 3 };
constexpr std::size_t property_count = 4;

// The callables live in the thread-state dictionary, so they are released
// with the thread's other Python state; the signals each one read stay here.
constexpr char const* properties_key = "orvy.window_properties";
thread_local std::array<std::vector<std::uint32_t>, property_count> property_dependencies;

thread_local std::weak_ptr<WindowState> created_window;
thread_local WindowState* refreshed_window = nullptr;

// The thread's list of four registrations (None where there is none);
// borrowed, null with an error set when the dictionary cannot hold it.
PyObject* registrations()
{
    PyObject* dict = PyThreadState_GetDict();
    if (!dict) {
        PyErr_SetString(PyExc_RuntimeError, "no thread state");
        return nullptr;
    }
    if (PyObject* list = PyDict_GetItemString(dict, properties_key))
        return list;
    PyRef list = PyRef::steal(PyList_New(property_count));
    if (!list)
        return nullptr;
    for (std::size_t i = 0; i < property_count; ++i)
        PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), Py_NewRef(Py_None));
    if (PyDict_SetItemString(dict, properties_key, list.get()) < 0)
        return nullptr;
    return list.get();
}

// Whether the effects changed.
bool apply(WindowEffects& effects, WindowProperty property, double value)
{
    WindowEffects before = effects;
    switch (property) {
    case WindowProperty::Tint: effects.set_tint(value); break;
    case WindowProperty::Blur: effects.set_blur(value); break;
    case WindowProperty::BlurMode: effects.set_blur_mode(value); break;
    case WindowProperty::DragSmooth: effects.set_drag_smooth(value); break;
    }
    return effects.tint != before.tint || effects.backdrop != before.backdrop
        || effects.drag_smooth != before.drag_smooth;
}

PyObject* bind_property(MethodCall& c, WindowProperty property)
{
    PyObject* list = registrations();
    if (!list)
        return nullptr;
    auto index = static_cast<std::size_t>(property);
    PyList_SetItem(list, static_cast<Py_ssize_t>(index), Py_NewRef(c.object("sig")));
    property_dependencies[index].clear();
    Py_RETURN_NONE;
}

PyObject* tint(MethodCall& c) { return bind_property(c, WindowProperty::Tint); }
PyObject* blur(MethodCall& c) { return bind_property(c, WindowProperty::Blur); }
PyObject* blur_mode(MethodCall& c) { return bind_property(c, WindowProperty::BlurMode); }
PyObject* drag_smooth(MethodCall& c) { return bind_property(c, WindowProperty::DragSmooth); }

constexpr RowOptions shared { .access = Access::Shared };

WindowMethodsRegistrar const registrar {
    row<tint>("tint", "Привязывает прозрачность фона окна к сигналу 0..1.", { required_object("sig") }, shared),
    row<blur>("blur", "Привязывает силу размытия к сигналу 0..1 (0 — выключено).", { required_object("sig") },
        shared),
    row<blur_mode>("blur_mode", "Привязывает режим фона к сигналу: 0 — нет, иначе — размытие.",
        { required_object("sig") }, shared),
    row<drag_smooth>("drag_smooth", "Привязывает гашение размытия при перемещении к сигналу (0/1).",
        { required_object("sig") }, shared),
};

}

WindowState* current_window()
{
    if (refreshed_window)
        return refreshed_window;
    return created_window.lock().get();
}

void set_created_window(std::shared_ptr<WindowState> const& window) { created_window = window; }

CurrentWindowScope::CurrentWindowScope(WindowState& window)
    : m_previous(std::exchange(refreshed_window, &window))
{
}

CurrentWindowScope::~CurrentWindowScope() { refreshed_window = m_previous; }

void refresh_window_properties()
{
    WindowState* window = current_window();
    PyObject* dict = PyThreadState_GetDict();
    PyObject* list = dict ? PyDict_GetItemString(dict, properties_key) : nullptr;
    if (!window || !list)
        return;
    for (std::size_t i = 0; i < property_count; ++i) {
        // Borrowed from the list, which a callable may change while it runs.
        PyRef callable = PyRef::borrow(PyList_GetItem(list, static_cast<Py_ssize_t>(i)));
        if (!callable || callable.get() == Py_None) // none registered, or removed
            continue;
        PyRef result = evaluate_pull(callable.get(), property_dependencies[i]);
        if (!result)
            continue;
        double value = PyFloat_AsDouble(result.get());
        if (value == -1.0 && PyErr_Occurred()) {
            report_exception();
            continue;
        }
        // A changed effect tells the frame update there is something new to
        // show; the same value again leaves the window idle.
        if (apply(*window->cells.effects, static_cast<WindowProperty>(i), value))
            window->tree.layout_dirty = true;
    }
}

}
