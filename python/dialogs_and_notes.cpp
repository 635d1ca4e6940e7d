// Message dialogs (Dlg, from W.dlg(): a call with its buttons, msg and alert
// with one; `on(index)` gets the pressed button) and in-window notifications
// (Note, from W.nt(): a call for a toast, snack for a snackbar). Every call
// only queues the request; the window's frame pipeline shows it.
#include "core/base/utf.hpp"
#include "python/controllers.hpp"
#include "python/invoke.hpp"
#include "python/method_table.hpp"
#include "python/platform_bridge.hpp"

namespace orvy::py {

namespace {

PyObject* dlg(MethodCall& c) { return new_controller(c, &ModuleState::dialog_type, "Dlg"); }
PyObject* nt(MethodCall& c) { return new_controller(c, &ModuleState::notes_type, "Note"); }

// The callback a pressed dialog button or toast action runs; none for None.
std::optional<PyCallable> callback_of(PyObject* on, std::shared_ptr<WindowState> const& window)
{
    std::optional<PyCallable> callable;
    if (on && on != Py_None)
        callable.emplace(on, window);
    return callable;
}

// ---- Dlg

PyObject* queue_dialog(MethodCall& c, TextList buttons)
{
    // A dialog without buttons could never be closed and would hold the
    // window's input for good.
    if (buttons.empty())
        buttons.push_back(u"Ок");
    Dialog dialog { .title = std::move(c.text("title")),
        .message = std::move(c.text("message")),
        .buttons = std::move(buttons) };
    if (auto callable = callback_of(c.object("on"), c.shared_state())) {
        dialog.on_close = [callable = std::move(*callable)](Tree&, std::int32_t button) { callable(button); };
    }
    c.state().cells.dialogs.push(std::move(dialog));
    wake_native_window(c.state());
    Py_RETURN_NONE;
}

PyObject* dialog_call(MethodCall& c) { return queue_dialog(c, std::move(c.texts("buttons"))); }

// msg and alert: one button labelled `ok`.
PyObject* msg(MethodCall& c) { return queue_dialog(c, { std::move(c.text("ok")) }); }
PyObject* alert(MethodCall& c) { return queue_dialog(c, { std::move(c.text("ok")) }); }

// ---- Note

PyObject* queue_note(MethodCall& c, bool message_only)
{
    Toast toast { .corner = parse_toast_corner(c.utf8("corner")),
        .message_only = message_only,
        .title = c.has("title") ? std::move(c.text("title")) : Text {},
        .message = std::move(c.text("text")),
        .button = std::move(c.text("action")),
        .lifetime = c.f32("secs") };
    if (auto callable = callback_of(c.object("on"), c.shared_state()))
        toast.on_action = [callable = std::move(*callable)](Tree&) { callable(); };
    c.state().cells.notifications.push(std::move(toast));
    wake_native_window(c.state());
    Py_RETURN_NONE;
}

PyObject* notes_call(MethodCall& c) { return queue_note(c, false); }
PyObject* snack(MethodCall& c) { return queue_note(c, true); }

// The keyword arguments after a note's text.
constexpr ParamGroup note_options(char const* corner)
{
    return { { real("secs", 4.0), text("action", ""), utf8("corner", corner), object("on") }, 4 };
}

WindowMethodsRegistrar const registrar {
    row<dlg>("dlg", "Возвращает контроллер диалогов.", {}, { .access = Access::Shared }),
    row<nt>("nt", "Уведомления: `nt(title, text)` и `nt.snack(text)`.", {}, { .access = Access::Shared }),
};

}

PyMethodDef* dialog_methods()
{
    static PyMethodDef methods[] = {
        method_row<msg>("Dlg", "msg", "Информационное окно с одной кнопкой.",
            { text("title"), text("message"), keyword_only, text("ok", "Ок"), object("on") }, controller_method),
        method_row<alert>("Dlg", "alert", "Предупреждение с одной кнопкой.",
            { text("message"), keyword_only, text("title", "Внимание"), text("ok", "Ок"), object("on") },
            controller_method),
        { nullptr, nullptr, 0, nullptr },
    };
    return methods;
}

PyMethodDef* notes_methods()
{
    static PyMethodDef methods[] = {
        method_row<snack>("Note", "snack", "Снэкбар; без `corner` — по центру внизу окна.",
            { text("text"), keyword_only, note_options("") }, controller_method),
        { nullptr, nullptr, 0, nullptr },
    };
    return methods;
}

PyType_Slot dialog_call_slot()
{
    return call_row<dialog_call>("Dlg", { text("title"), text("message"), texts("buttons"), keyword_only, object("on") },
        controller_method);
}

PyType_Slot notes_call_slot()
{
    return call_row<notes_call>("Note", { text("title"), text("text"), keyword_only, note_options("tr") },
        controller_method);
}

}
