// The clipboard controller Clip (W.clip()): get reads the text ("" when the
// clipboard holds none), set replaces it. Both go straight to the desktop's
// clipboard on the calling (UI) thread.
#include "python/controllers.hpp"
#include "python/invoke.hpp"
#include "python/method_table.hpp"
#include "python/platform_bridge.hpp"

#if ORVY_HAS_PLATFORM
#include "core/window/platform.hpp"
#endif

namespace orvy::py {

namespace {

PyObject* clip(MethodCall& c) { return new_controller(c, &ModuleState::clipboard_type, "Clip"); }

// The host that serves the clipboard; null with RuntimeError set when there
// is no backend to ask.
Host* clipboard_host()
{
#if ORVY_HAS_PLATFORM
    if (PlatformTable const* platform = platform_services())
        return &platform->host();
    return nullptr;
#else
    PyErr_SetString(PyExc_RuntimeError, "буфер обмена недоступен: модуль собран без оконной системы");
    return nullptr;
#endif
}

PyObject* clip_get(MethodCall&)
{
    Host* host = clipboard_host();
    return host ? to_py(host->clipboard_text()) : nullptr;
}

PyObject* clip_set(MethodCall& c)
{
    Host* host = clipboard_host();
    if (!host)
        return nullptr;
    // A failure is reported rather than passed over: the caller would
    // otherwise believe the text was put there.
    if (!host->set_clipboard_text(c.text("text"))) {
        PyErr_SetString(PyExc_RuntimeError, "буфер обмена недоступен");
        return nullptr;
    }
    Py_RETURN_NONE;
}

WindowMethodsRegistrar const registrar {
    row<clip>("clip", "Возвращает контроллер буфера обмена.", {}, { .access = Access::Shared }),
};

}

PyMethodDef* clipboard_methods()
{
    static PyMethodDef methods[] = {
        method_row<clip_get>("Clip", "get", "Возвращает текст из буфера обмена; пустая строка, если он пуст.", {},
            controller_method),
        method_row<clip_set>("Clip", "set", "Кладёт текст в буфер обмена.", { text("text") }, controller_method),
        { nullptr, nullptr, 0, nullptr },
    };
    return methods;
}

}
