// Window-property signals and the thread's current window:
//     W.tint(sig)         # background tint of a glass window, 0..1
//     W.blur(sig)         # blur strength 0..1; 0 switches the blur off
//     W.blur_mode(sig)    # 0: no backdrop, otherwise blur
//     W.drag_smooth(sig)  # 0/1: drop the blur while the window is dragged
// A registration belongs to the calling thread, one per property, and
// replaces the earlier one; None removes it. Like every callback, `sig` is
// only called at the refresh, where a failure goes to the exception hook. Every binding refresh evaluates them like pull
// bindings and applies the results to the window being refreshed, which is
// the thread's current window for the refresh's duration.
#include "python/invoke.hpp"
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

void apply(WindowEffects& effects, WindowProperty property, double value)
{
    switch (property) {
    case WindowProperty::Tint: effects.set_tint(value); break;
    case WindowProperty::Blur: effects.set_blur(value); break;
    case WindowProperty::BlurMode: effects.set_blur_mode(value); break;
    case WindowProperty::DragSmooth: effects.set_drag_smooth(value); break;
    }
}

PyObject* bind_property(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs,
    PyObject* kwnames, ArgSpec const& spec, WindowProperty property)
{
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;
    PyObject* list = registrations();
    if (!list)
        return nullptr;
    auto index = static_cast<std::size_t>(property);
    PyList_SetItem(list, static_cast<Py_ssize_t>(index), Py_NewRef(a[0]));
    property_dependencies[index].clear();
    Py_RETURN_NONE;
}

PyObject* tint(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.tint", { "sig" }, 1, 1 };
    return bind_property(self, cls, args, nargs, kwnames, spec, WindowProperty::Tint);
}

PyObject* blur(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.blur", { "sig" }, 1, 1 };
    return bind_property(self, cls, args, nargs, kwnames, spec, WindowProperty::Blur);
}

PyObject* blur_mode(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.blur_mode", { "sig" }, 1, 1 };
    return bind_property(self, cls, args, nargs, kwnames, spec, WindowProperty::BlurMode);
}

PyObject* drag_smooth(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.drag_smooth", { "sig" }, 1, 1 };
    return bind_property(self, cls, args, nargs, kwnames, spec, WindowProperty::DragSmooth);
}

void add_methods(MethodList& methods)
{
    methods.insert(methods.end(), {
        method<tint>("tint", "tint($self, sig)\n--\n\nПривязывает прозрачность фона окна к сигналу 0..1."),
        method<blur>("blur", "blur($self, sig)\n--\n\nПривязывает силу размытия к сигналу 0..1 (0 — выключено)."),
        method<blur_mode>("blur_mode",
            "blur_mode($self, sig)\n--\n\nПривязывает режим фона к сигналу: 0 — нет, иначе — размытие."),
        method<drag_smooth>("drag_smooth",
            "drag_smooth($self, sig)\n--\n\nПривязывает гашение размытия при перемещении к сигналу (0/1)."),
    });
}

WindowMethodsRegistrar const registrar(add_methods);

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
        apply(*window->cells.effects, static_cast<WindowProperty>(i), value);
    }
}

}
