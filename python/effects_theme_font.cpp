// Animations of signals (Fx, from W.fx(): `sig.st(value)` every frame) and
// live theme and font switches at the next frame (Thm and Fnt, from W.thm()
// and W.fnt()).
#include "core/frame/frame.hpp"
#include "python/controllers.hpp"
#include "python/invoke.hpp"
#include "python/method_table.hpp"
#include "python/platform_bridge.hpp"

namespace orvy::py {

namespace {

PyObject* fx(MethodCall& c) { return new_controller(c, &ModuleState::effects_type, "Fx"); }
PyObject* thm(MethodCall& c) { return new_controller(c, &ModuleState::theme_type, "Thm"); }
PyObject* fnt(MethodCall& c) { return new_controller(c, &ModuleState::font_type, "Fnt"); }

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
        if (m_signal.get()) { // null once the window's collection dropped it
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

PyObject* effects_call(MethodCall& c)
{
    PyObject* signal = c.object("sig");
    float start = 0;
    if (auto from = c.optional_f32("frm")) {
        start = *from;
    } else {
        PyRef current = PyRef::steal(PyObject_CallNoArgs(signal));
        if (!current)
            return nullptr;
        auto read = to_f32(current.get(), "sig");
        if (!read)
            return nullptr;
        start = *read;
    }
    SignalWriter writer(signal, c.shared_state());
    c.tree().tween_inbox.push({ .on_value = [writer = std::move(writer)](Tree&, float value) { writer(value); },
        .from = start,
        .to = c.f32("to"),
        .duration = c.f32("dur"),
        .easing = easing_from_name(c.utf8("ease")) });
    wake_native_window(c.state());
    Py_RETURN_NONE;
}

PyObject* theme_call(MethodCall& c)
{
    c.state().cells.theme.request(c.utf8("name"));
    wake_native_window(c.state());
    Py_RETURN_NONE;
}

PyObject* font_call(MethodCall& c)
{
    // Two switches before one frame: the later one wins for what it names.
    auto& slot = c.state().cells.font;
    FontChange change = slot.take().value_or(FontChange {});
    if (c.given("family"))
        change.family = std::move(c.text("family"));
    if (auto size = c.optional_f32("size"))
        change.size = *size;
    slot.put(std::move(change));
    wake_native_window(c.state());
    Py_RETURN_NONE;
}

WindowMethodsRegistrar const registrar {
    row<fx>("fx", "Возвращает контроллер анимаций.", {}, { .access = Access::Shared }),
    row<thm>("thm", "Смена темы из кода: `thm(\"drk\")`.", {}, { .access = Access::Shared }),
    row<fnt>("fnt", "Живая смена шрифта: `fnt(family, size)`.", {}, { .access = Access::Shared }),
};

}

PyType_Slot effects_call_slot()
{
    return call_row<effects_call>("Fx",
        { required_object("sig"), real("to"), keyword_only, optional_real("frm"), real("dur", 0.3), utf8("ease", "out") },
        controller_method);
}

PyType_Slot theme_call_slot() { return call_row<theme_call>("Thm", { utf8("name") }, controller_method); }

PyType_Slot font_call_slot()
{
    return call_row<font_call>("Fnt", { optional_text("family"), optional_real("size") }, controller_method);
}

}
