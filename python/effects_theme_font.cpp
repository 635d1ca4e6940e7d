// Animations of signals and live theme and font switches:
//     class Fx:
//         def __call__(self, sig, to, *, frm=None, dur=0.3, ease="out"): ...   # sig.st(value) every frame
//     class Thm:
//         def __call__(self, name): ...                                          # at the next frame
//     class Fnt:
//         def __call__(self, family=None, size=None): ...                        # at the next frame
//     W.fx() -> Fx, W.thm() -> Thm, W.fnt() -> Fnt
#include "core/frame/frame.hpp"
#include "python/controllers.hpp"
#include "python/invoke.hpp"
#include "python/platform_bridge.hpp"

namespace orvy::py {

namespace {

PyObject* fx(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    return new_controller(self, cls, args, nargs, kwnames, "W.fx", &ModuleState::effects_type, "Fx");
}

PyObject* thm(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    return new_controller(self, cls, args, nargs, kwnames, "W.thm", &ModuleState::theme_type, "Thm");
}

PyObject* fnt(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    return new_controller(self, cls, args, nargs, kwnames, "W.fnt", &ModuleState::font_type, "Fnt");
}

// Writes each step of an animation into its signal. A failing write is
// printed rather than handed to the exception hook: it would otherwise repeat
// through the hook on every frame of the animation.
class SignalWriter {
public:
    SignalWriter(PyObject* signal, std::weak_ptr<WindowState> window)
        : m_signal(signal, window), m_window(std::move(window))
    {
    }

    void operator()(float value) const
    {
        PyGILState_STATE gil = PyGILState_Ensure();
        {
            PyRef store = PyRef::steal(PyObject_GetAttrString(m_signal.get(), "st"));
            PyRef number = PyRef::steal(PyFloat_FromDouble(value));
            PyRef result = store && number ? PyRef::steal(PyObject_CallFunctionObjArgs(store.get(), number.get(), nullptr)) : PyRef();
            if (!result)
                PyErr_PrintEx(0);
            if (auto window = m_window.lock())
                refresh_bindings(*window);
        }
        PyGILState_Release(gil);
    }

private:
    PyCallable m_signal; // only held: PyCallable releases it under the interpreter lock
    std::weak_ptr<WindowState> m_window;
};

PyObject* effects_call(PyObject* self, PyObject* args, PyObject* kwargs)
{
    static ArgSpec const spec { "Fx.__call__", { "sig", "to", "frm", "dur", "ease" }, 2, 2 };
    PyObject* values[5];
    ControllerObject* controller = enter_controller_call(spec, self, args, kwargs, values);
    if (!controller)
        return nullptr;
    PyObject* signal = values[0];
    auto to = to_f32(values[1], "to");
    auto from = to_opt_f32(values[2], "frm");
    auto duration = values[3] ? to_f32(values[3], "dur") : std::optional<float>(0.3f);
    auto easing = values[4] ? to_utf8(values[4], "ease") : std::optional<std::string_view>("out");
    if (!to || !from || !duration || !easing)
        return nullptr;
    float start = 0;
    if (*from) {
        start = **from;
    } else {
        PyRef current = PyRef::steal(PyObject_CallNoArgs(signal));
        if (!current)
            return nullptr;
        auto read = to_f32(current.get(), "sig");
        if (!read)
            return nullptr;
        start = *read;
    }
    SignalWriter writer(signal, controller->window);
    controller->window->tree.tween_inbox.push({ .on_value = [writer = std::move(writer)](Tree&, float value) {
                                                   writer(value);
                                               },
        .from = start,
        .to = *to,
        .duration = *duration,
        .easing = easing_from_name(*easing) });
    wake_native_window(*controller->window);
    Py_RETURN_NONE;
}

PyObject* theme_call(PyObject* self, PyObject* args, PyObject* kwargs)
{
    static ArgSpec const spec { "Thm.__call__", { "name" }, 1, 1 };
    PyObject* values[1];
    ControllerObject* controller = enter_controller_call(spec, self, args, kwargs, values);
    if (!controller)
        return nullptr;
    auto name = to_utf8(values[0], "name");
    if (!name)
        return nullptr;
    controller->window->cells.theme.request(*name);
    wake_native_window(*controller->window);
    Py_RETURN_NONE;
}

PyObject* font_call(PyObject* self, PyObject* args, PyObject* kwargs)
{
    static ArgSpec const spec { "Fnt.__call__", { "family", "size" }, 2, 0 };
    PyObject* values[2];
    ControllerObject* controller = enter_controller_call(spec, self, args, kwargs, values);
    if (!controller)
        return nullptr;
    std::optional<Text> family;
    if (values[0] && values[0] != Py_None) {
        family = to_text(values[0], "family");
        if (!family)
            return nullptr;
    }
    auto size = to_opt_f32(values[1], "size");
    if (!size)
        return nullptr;
    // Two switches before one frame: the later one wins for what it names.
    auto& slot = controller->window->cells.font;
    FontChange change = slot.take().value_or(FontChange {});
    if (family)
        change.family = std::move(family);
    if (*size)
        change.size = *size;
    slot.put(std::move(change));
    wake_native_window(*controller->window);
    Py_RETURN_NONE;
}

void add_methods(MethodList& methods)
{
    methods.insert(methods.end(), {
        method<fx>("fx", "fx($self)\n--\n\nВозвращает контроллер анимаций."),
        method<thm>("thm", "thm($self)\n--\n\nСмена темы из кода: `thm(\"drk\")`."),
        method<fnt>("fnt", "fnt($self)\n--\n\nЖивая смена шрифта: `fnt(family, size)`."),
    });
}

WindowMethodsRegistrar const registrar(add_methods);

}

PyType_Slot effects_call_slot() { return { Py_tp_call, reinterpret_cast<void*>(effects_call) }; }
PyType_Slot theme_call_slot() { return { Py_tp_call, reinterpret_cast<void*>(theme_call) }; }
PyType_Slot font_call_slot() { return { Py_tp_call, reinterpret_cast<void*>(font_call) }; }

}
