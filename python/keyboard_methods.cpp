// Keyboard methods of W:
//     W.focus(node=None, *, txt=None, sel=True)   # queued for the next frame
//     W.hotkey(spec, f)                           # f() on the key; configuring only
//     W.keys(node, f)                             # f(1) on Enter, f(0) on Esc in a text field
#include "core/base/utf.hpp"
#include "core/input/hotkeys.hpp"
#include "python/method_table.hpp"
#include "python/push_callbacks.hpp"

namespace orvy::py {

namespace {

// A callable argument; anything else is a TypeError naming the parameter.
bool require_callable(PyObject* value, char const* name)
{
    if (PyCallable_Check(value))
        return true;
    set_argument_error(PyExc_TypeError, name, "must be callable");
    return false;
}

PyObject* focus(MethodCall& c)
{
    std::optional<Text> text;
    if (c.given("txt"))
        text = std::move(c.text("txt"));
    // The focus lives with the native window, so even while configuring the
    // request waits for the first frame.
    c.tree().focus_requests.push({ .node = c.optional_node("node"), .text = std::move(text), .select_all = c.flag("sel") });
    Py_RETURN_NONE;
}

PyObject* hotkey(MethodCall& c)
{
    if (!require_callable(c.object("f"), "f") || !c.state().require_configuring())
        return nullptr;
    std::optional<HotKeySpec> parsed = parse_hotkey(c.text("spec"));
    if (!parsed) {
        std::string message = "плохой хоткей: " + utf16_to_utf8(c.text("spec"));
        PyErr_SetString(PyExc_RuntimeError, message.c_str());
        return nullptr;
    }
    c.tree().hotkeys.push_back({ .key = parsed->key, .modifiers = parsed->modifiers,
        .handler = activate_plain(Push::make(c.window(), c.object("f"))) });
    Py_RETURN_NONE;
}

PyObject* keys(MethodCall& c)
{
    if (!require_callable(c.object("f"), "f") || !c.state().require_configuring())
        return nullptr;
    c.tree().node(c.node("node")).extras_mut().on_change = change_index(Push::make(c.window(), c.object("f")));
    Py_RETURN_NONE;
}

WindowMethodsRegistrar const registrar {
    row<focus>("focus", "Ставит фокус на узел; `txt` подменяет текст, `sel` выделяет всё.",
        { optional_node("node"), keyword_only, optional_text("txt"), flag("sel", true) }),
    row<hotkey>("hotkey", "Регистрирует горячую клавишу окна; молчит при фокусе в поле ввода.",
        { text("spec"), required_object("f") }),
    row<keys>("keys", "Реакция поля ввода на клавиши: `cb(1)` — Enter, `cb(0)` — Esc.",
        { node("node"), required_object("f") }),
};

}

}
