// CSS methods of W:
//     def css(self, text, *, replace=False): ...     # now, or at the next frame once running
//     def css_file(self, path, *, replace=False): ...
//     def css_hot(self, path): ...                   # configuring only
//     def cls(self, n, name): ...                    # configuring only
// and the test hooks W._style(n), W._css_frame() and W._css_reset().
#include "python/styles.hpp"
#include "python/window.hpp"

#include "core/tree/utf.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace orvy::py {

namespace {

thread_local std::unique_ptr<StyleContext> styles_of_thread;

// A str or an os.PathLike giving one, as UTF-8.
std::optional<std::string> to_path(PyObject* value, char const* name)
{
    PyRef path = PyRef::steal(PyOS_FSPath(value));
    if (!path) {
        prefix_argument_error(name);
        return std::nullopt;
    }
    if (!PyUnicode_Check(path.get())) {
        set_argument_error(PyExc_TypeError, name, "expected str or os.PathLike returning str");
        return std::nullopt;
    }
    auto utf8 = to_utf8(path.get(), name);
    if (!utf8)
        return std::nullopt;
    return std::string(*utf8);
}

// While configuring the sheet restyles the tree at once; once running it is
// handed to the next frame.
PyObject* apply_or_queue(WindowCall& call, std::string text, bool replace)
{
    if (call.state().is_running())
        call.tree().stylesheet_queue.push({ std::move(text), replace });
    else
        thread_styles().apply_sheet(call.tree(), text, replace);
    Py_RETURN_NONE;
}

PyObject* css(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.css", { "text", "replace" }, 1, 1 };
    Args<2> a;
    if (!a.parse(spec, args, nargs, kwnames))
        return nullptr;
    auto text = to_utf8(a[0], "text");
    auto replace = a[1] ? to_bool(a[1], "replace") : false;
    if (!text || !replace)
        return nullptr;
    auto call = enter_window(self, cls, Access::Exclusive);
    if (!call)
        return nullptr;
    return apply_or_queue(*call, std::string(*text), *replace);
}

PyObject* css_file(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.css_file", { "path", "replace" }, 1, 1 };
    Args<2> a;
    if (!a.parse(spec, args, nargs, kwnames))
        return nullptr;
    auto path = to_path(a[0], "path");
    auto replace = a[1] ? to_bool(a[1], "replace") : false;
    if (!path || !replace)
        return nullptr;
    auto call = enter_window(self, cls, Access::Exclusive);
    if (!call)
        return nullptr;
    return apply_or_queue(*call, read_sheet_file(*path), *replace);
}

PyObject* css_hot(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.css_hot", { "path" }, 1, 1 };
    Args<1> a;
    if (!a.parse(spec, args, nargs, kwnames))
        return nullptr;
    auto path = to_path(a[0], "path");
    if (!path)
        return nullptr;
    auto call = enter_window(self, cls, Access::Exclusive);
    if (!call || !call->state().require_configuring())
        return nullptr;
    thread_styles().watch_file(call->tree(), *path);
    Py_RETURN_NONE;
}

PyObject* set_class(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.cls", { "n", "name" }, 2, 2 };
    Args<2> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto node = to_node(a[0], "n", *call);
    auto name = node ? to_utf8(a[1], "name") : std::nullopt;
    if (!node || !name || !call->state().require_configuring())
        return nullptr;
    call->tree().node(*node).class_name = std::string(*name);
    Py_RETURN_NONE;
}

PyObject* color_to_py(std::optional<Color> const& color)
{
    if (!color)
        Py_RETURN_NONE;
    auto byte = [](float channel) { return static_cast<unsigned>(std::lround(std::clamp(channel, 0.0f, 1.0f) * 255.0f)); };
    char text[10];
    std::snprintf(text, sizeof text, "#%02x%02x%02x%02x", byte(color->r), byte(color->g), byte(color->b), byte(color->a));
    return PyUnicode_FromString(text);
}

PyObject* length_to_py(std::optional<float> const& value)
{
    if (!value)
        Py_RETURN_NONE;
    return PyFloat_FromDouble(*value);
}

PyObject* style_to_py(Style const& style)
{
    PyRef family = PyRef::borrow(Py_None);
    if (style.font_family)
        family = PyRef::steal(text_to_py(thread_styles().font_families().name(*style.font_family)));
    PyRef gradient = PyRef::borrow(Py_None);
    if (style.gradient)
        gradient = PyRef::steal(Py_BuildValue("(NNi)", color_to_py(style.gradient->first),
            color_to_py(style.gradient->second), static_cast<int>(style.gradient_direction)));
    PyObject* wrap = style.wrap == Wrap::Unset ? Py_None : style.wrap == Wrap::On ? Py_True : Py_False;
    return Py_BuildValue("{s:N,s:N,s:N,s:N,s:O,s:N,s:N,s:N,s:O,s:O}", "background", color_to_py(style.background),
        "color", color_to_py(style.text_color), "radius", length_to_py(style.radius), "shadow",
        length_to_py(style.shadow), "gradient", gradient.get(), "font_size", length_to_py(style.font_size),
        "border_color", color_to_py(style.border_color), "border_width", length_to_py(style.border_width),
        "font_family", family.get(), "wrap", wrap);
}

// W._style(n) -> (base, focus, hover), each a dict of the style's fields.
PyObject* style_of(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W._style", { "n" }, 1, 1 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;
    auto node = to_node(a[0], "n", *call);
    if (!node)
        return nullptr;
    StyleSet const& styles = call->tree().node(*node).styles;
    return Py_BuildValue("(NNN)", style_to_py(styles.base()), style_to_py(styles.focus()), style_to_py(styles.hover()));
}

// W._css_frame() -> bool: the stylesheet step of a frame update, then the
// hot-reload check of a frame paint.
PyObject* css_frame(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W._css_frame", {}, 0, 0 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    bool changed = thread_styles().drain_stylesheet_queue(call->tree());
    changed = thread_styles().check_hot_reload(call->tree()) || changed;
    return PyBool_FromLong(changed);
}

// W._css_reset(): forgets the thread's sheets, watched file and families.
PyObject* css_reset(PyObject*, PyTypeObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W._css_reset", {}, 0, 0 };
    Args<1> a;
    if (!a.parse(spec, args, nargs, kwnames))
        return nullptr;
    styles_of_thread.reset();
    Py_RETURN_NONE;
}

void add_methods(MethodList& methods)
{
    methods.insert(methods.end(), {
        method<css>("css", "css($self, text, *, replace=False)\n--\n\nПрименяет CSS-подмножество из строки."),
        method<css_file>("css_file", "css_file($self, path, *, replace=False)\n--\n\nПрименяет CSS из файла по пути."),
        method<css_hot>("css_hot", "css_hot($self, path)\n--\n\nСледит за CSS-файлом и перезагружает его на лету."),
        method<set_class>("cls", "cls($self, n, name)\n--\n\nПрисваивает узлу CSS-класс."),
        method<style_of>("_style", "_style($self, n)\n--\n\n"),
        method<css_frame>("_css_frame", "_css_frame($self)\n--\n\n"),
        method<css_reset>("_css_reset", "_css_reset($self)\n--\n\n"),
    });
}

WindowMethodsRegistrar const registrar(add_methods);

}

StyleContext& thread_styles()
{
    if (!styles_of_thread)
        styles_of_thread = std::make_unique<StyleContext>();
    return *styles_of_thread;
}

}
