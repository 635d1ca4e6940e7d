// The clipboard controller:
//     W.clip() -> Clip
//     class Clip:
//         def get(self) -> str: ...        # "" when the clipboard holds no text
//         def set(self, text) -> None: ...
// Both go straight to the desktop's clipboard on the calling (UI) thread.
#include "python/controllers.hpp"
#include "python/invoke.hpp"
#include "python/platform_bridge.hpp"

#if ORVY_HAS_PLATFORM
#include "core/window/platform.hpp"
#endif

namespace orvy::py {

namespace {

PyObject* clip(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    return new_controller(self, cls, args, nargs, kwnames, "W.clip", &ModuleState::clipboard_type, "Clip");
}

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

PyObject* clip_get(PyObject* self, PyTypeObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "Clip.get", {}, 0, 0 };
    Args<1> a;
    if (!enter_controller_method(a, spec, self, args, nargs, kwnames))
        return nullptr;
    Host* host = clipboard_host();
    return host ? to_py(host->clipboard_text()) : nullptr;
}

PyObject* clip_set(PyObject* self, PyTypeObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "Clip.set", { "text" }, 1, 1 };
    Args<1> a;
    if (!enter_controller_method(a, spec, self, args, nargs, kwnames))
        return nullptr;
    auto text = to_text(a[0], "text");
    if (!text)
        return nullptr;
    Host* host = clipboard_host();
    if (!host)
        return nullptr;
    // A failure is reported rather than passed over: the caller would
    // otherwise believe the text was put there.
    if (!host->set_clipboard_text(*text)) {
        PyErr_SetString(PyExc_RuntimeError, "буфер обмена недоступен");
        return nullptr;
    }
    Py_RETURN_NONE;
}

void add_methods(MethodList& methods)
{
    methods.push_back(method<clip>("clip", "clip($self)\n--\n\nВозвращает контроллер буфера обмена."));
}

WindowMethodsRegistrar const registrar(add_methods);

}

PyMethodDef* clipboard_methods()
{
    static PyMethodDef methods[] = {
        method<clip_get>("get",
            "get($self)\n--\n\nВозвращает текст из буфера обмена; пустая строка, если он пуст."),
        method<clip_set>("set", "set($self, text)\n--\n\nКладёт текст в буфер обмена."),
        { nullptr, nullptr, 0, nullptr },
    };
    return methods;
}

}
