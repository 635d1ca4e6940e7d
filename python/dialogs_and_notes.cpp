// Message dialogs and in-window notifications:
//     class Dlg:
//         def __call__(self, title, message, buttons, *, on=None): ...   # on(index of the pressed button)
//         def msg(self, title, message, *, ok="Ок", on=None): ...
//         def alert(self, message, *, title="Внимание", ok="Ок", on=None): ...
//     class Note:
//         def __call__(self, title, text, *, secs=4.0, action="", corner="tr", on=None): ...
//         def snack(self, text, *, secs=4.0, action="", corner="", on=None): ...
//     W.dlg() -> Dlg, W.nt() -> Note
// Every call only queues the request; the window's frame pipeline shows it.
#include "core/tree/utf.hpp"
#include "python/controllers.hpp"
#include "python/invoke.hpp"
#include "python/platform_bridge.hpp"

namespace orvy::py {

namespace {

PyObject* dlg(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    return new_controller(self, cls, args, nargs, kwnames, "W.dlg", &ModuleState::dialog_type, "Dlg");
}

PyObject* nt(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    return new_controller(self, cls, args, nargs, kwnames, "W.nt", &ModuleState::notes_type, "Note");
}

// The callback a pressed dialog button or toast action runs; none for None.
std::optional<PyCallable> callback_of(PyObject* on, std::shared_ptr<WindowState> const& window)
{
    std::optional<PyCallable> callable;
    if (on && on != Py_None)
        callable.emplace(on, window);
    return callable;
}

// ---- Dlg

PyObject* queue_dialog(ControllerObject& controller, Text title, Text message, TextList buttons, PyObject* on)
{
    // A dialog without buttons could never be closed and would hold the
    // window's input for good.
    if (buttons.empty())
        buttons.push_back(u"Ок");
    Dialog dialog { .title = std::move(title), .message = std::move(message), .buttons = std::move(buttons) };
    if (auto callable = callback_of(on, controller.window)) {
        dialog.on_close = [callable = std::move(*callable)](Tree&, std::int32_t button) { callable(button); };
    }
    controller.window->cells.dialogs.push(std::move(dialog));
    wake_native_window(*controller.window);
    Py_RETURN_NONE;
}

PyObject* dialog_call(PyObject* self, PyObject* args, PyObject* kwargs)
{
    static ArgSpec const spec { "Dlg.__call__", { "title", "message", "buttons", "on" }, 3, 3 };
    PyObject* values[4];
    ControllerObject* controller = enter_controller_call(spec, self, args, kwargs, values);
    if (!controller)
        return nullptr;
    auto title = to_text(values[0], "title");
    auto message = to_text(values[1], "message");
    auto buttons = message ? to_text_list(values[2], "buttons") : std::nullopt;
    if (!title || !message || !buttons)
        return nullptr;
    return queue_dialog(*controller, std::move(*title), std::move(*message), std::move(*buttons), values[3]);
}

// msg and alert: one button labelled `ok`.
PyObject* single_button_dialog(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, bool alert)
{
    static ArgSpec const msg_spec { "Dlg.msg", { "title", "message", "ok", "on" }, 2, 2 };
    static ArgSpec const alert_spec { "Dlg.alert", { "message", "title", "ok", "on" }, 1, 1 };
    Args<4> a;
    ControllerObject* controller = enter_controller_method(a, alert ? alert_spec : msg_spec, self, args, nargs, kwnames);
    if (!controller)
        return nullptr;
    int title_slot = alert ? 1 : 0, message_slot = alert ? 0 : 1;
    auto title = a[title_slot] ? to_text(a[title_slot], "title") : std::optional<Text>(u"Внимание");
    auto message = to_text(a[message_slot], "message");
    auto ok = a[2] ? to_text(a[2], "ok") : std::optional<Text>(u"Ок");
    if (!title || !message || !ok)
        return nullptr;
    return queue_dialog(*controller, std::move(*title), std::move(*message), { std::move(*ok) }, a[3]);
}

PyObject* msg(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    return single_button_dialog(self, args, nargs, kwnames, false);
}

PyObject* alert(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    return single_button_dialog(self, args, nargs, kwnames, true);
}

// ---- Note

// `args` holds, in this order: secs, action, corner, on.
PyObject* queue_note(ControllerObject& controller, bool message_only, Text title, Text text, PyObject* const* rest,
    char const* default_corner)
{
    auto secs = rest[0] ? to_f32(rest[0], "secs") : std::optional<float>(4.0f);
    auto action = rest[1] ? to_text(rest[1], "action") : std::optional<Text>(Text {});
    auto corner = rest[2] ? to_utf8(rest[2], "corner") : std::optional<std::string_view>(default_corner);
    if (!secs || !action || !corner)
        return nullptr;
    Toast toast { .corner = parse_toast_corner(*corner),
        .message_only = message_only,
        .title = std::move(title),
        .message = std::move(text),
        .button = std::move(*action),
        .lifetime = *secs };
    if (auto callable = callback_of(rest[3], controller.window))
        toast.on_action = [callable = std::move(*callable)](Tree&) { callable(); };
    controller.window->cells.notifications.push(std::move(toast));
    wake_native_window(*controller.window);
    Py_RETURN_NONE;
}

PyObject* notes_call(PyObject* self, PyObject* args, PyObject* kwargs)
{
    static ArgSpec const spec { "Note.__call__", { "title", "text", "secs", "action", "corner", "on" }, 2, 2 };
    PyObject* values[6];
    ControllerObject* controller = enter_controller_call(spec, self, args, kwargs, values);
    if (!controller)
        return nullptr;
    auto title = to_text(values[0], "title");
    auto text = to_text(values[1], "text");
    if (!title || !text)
        return nullptr;
    return queue_note(*controller, false, std::move(*title), std::move(*text), values + 2, "tr");
}

PyObject* snack(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "Note.snack", { "text", "secs", "action", "corner", "on" }, 1, 1 };
    Args<5> a;
    ControllerObject* controller = enter_controller_method(a, spec, self, args, nargs, kwnames);
    if (!controller)
        return nullptr;
    auto text = to_text(a[0], "text");
    if (!text)
        return nullptr;
    return queue_note(*controller, true, Text {}, std::move(*text), a.values.data() + 1, "");
}

PyMethodDef controller_method(char const* name, PyObject* (*function)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*),
    char const* doc)
{
    return { name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function)), METH_FASTCALL | METH_KEYWORDS,
        doc };
}

void add_methods(MethodList& methods)
{
    methods.insert(methods.end(), {
        method<dlg>("dlg", "dlg($self)\n--\n\nВозвращает контроллер диалогов."),
        method<nt>("nt", "nt($self)\n--\n\nУведомления: `nt(title, text)` и `nt.snack(text)`."),
    });
}

WindowMethodsRegistrar const registrar(add_methods);

}

PyMethodDef* dialog_methods()
{
    static PyMethodDef methods[] = {
        // Non-ASCII defaults are escaped: inspect reads text signatures as ASCII.
        controller_method("msg", msg,
            "msg($self, title, message, *, ok=\"\\u041e\\u043a\", on=None)\n--\n\nИнформационное окно с одной кнопкой."),
        controller_method("alert", alert,
            "alert($self, message, *, title=\"\\u0412\\u043d\\u0438\\u043c\\u0430\\u043d\\u0438\\u0435\", ok=\"\\u041e\\u043a\", on=None)\n--\n\nПредупреждение с одной кнопкой."),
        { nullptr, nullptr, 0, nullptr },
    };
    return methods;
}

PyMethodDef* notes_methods()
{
    static PyMethodDef methods[] = {
        controller_method("snack", snack,
            "snack($self, text, *, secs=4.0, action=\"\", corner=\"\", on=None)\n--\n\n"
            "Снэкбар; без `corner` — по центру внизу окна."),
        { nullptr, nullptr, 0, nullptr },
    };
    return methods;
}

PyType_Slot dialog_call_slot() { return { Py_tp_call, reinterpret_cast<void*>(dialog_call) }; }
PyType_Slot notes_call_slot() { return { Py_tp_call, reinterpret_cast<void*>(notes_call) }; }

}
