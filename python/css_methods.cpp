// CSS methods of W: css and css_file apply a sheet now, or at the next frame
// once running; css_hot and cls work while configuring only. The test hooks
// _style, _css_frame and _css_reset come with them.
#include "python/method_table.hpp"
#include "python/styles.hpp"
#include "python/window.hpp"

#include "core/base/utf.hpp"

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
PyObject* apply_or_queue(MethodCall& c, std::string text)
{
    if (c.running())
        c.tree().stylesheet_queue.push({ std::move(text), c.flag("replace") });
    else
        thread_styles().apply_sheet(c.tree(), text, c.flag("replace"));
    Py_RETURN_NONE;
}

PyObject* css(MethodCall& c) { return apply_or_queue(c, std::string(c.utf8("text"))); }

PyObject* css_file(MethodCall& c)
{
    auto path = to_path(c.object("path"), "path");
    if (!path)
        return nullptr;
    return apply_or_queue(c, read_sheet_file(*path));
}

PyObject* css_hot(MethodCall& c)
{
    auto path = to_path(c.object("path"), "path");
    if (!path || !c.state().require_configuring())
        return nullptr;
    thread_styles().watch_file(c.tree(), *path);
    Py_RETURN_NONE;
}

PyObject* set_class(MethodCall& c)
{
    if (!c.state().require_configuring())
        return nullptr;
    c.tree().node(c.node("n")).extras_mut().class_name = std::string(c.utf8("name"));
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
PyObject* style_of(MethodCall& c)
{
    StyleSet const& styles = c.tree().node(c.node("n")).styles;
    return Py_BuildValue("(NNN)", style_to_py(styles.base()), style_to_py(styles.focus()), style_to_py(styles.hover()));
}

// W._css_frame() -> bool: the stylesheet step of a frame update, then the
// hot-reload check of a frame paint.
PyObject* css_frame(MethodCall& c)
{
    bool changed = thread_styles().drain_stylesheet_queue(c.tree());
    changed = thread_styles().check_hot_reload(c.tree()) || changed;
    return PyBool_FromLong(changed);
}

// W._css_reset(): forgets the thread's sheets, watched file and families.
PyObject* css_reset(MethodCall&)
{
    styles_of_thread.reset();
    Py_RETURN_NONE;
}

WindowMethodsRegistrar const registrar {
    row<css>("css", "Применяет CSS-подмножество из строки.", { utf8("text"), keyword_only, flag("replace", false) }),
    row<css_file>("css_file", "Применяет CSS из файла по пути.",
        { required_object("path"), keyword_only, flag("replace", false) }),
    row<css_hot>("css_hot", "Следит за CSS-файлом и перезагружает его на лету.", { required_object("path") }),
    row<set_class>("cls", "Присваивает узлу CSS-класс.", { node("n"), utf8("name") }),
    row<style_of>("_style", "", { node("n") }, { .access = Access::Shared }),
    row<css_frame>("_css_frame", "", {}),
    row<css_reset>("_css_reset", "", {}, plain_method),
};

}

StyleContext& thread_styles()
{
    if (!styles_of_thread)
        styles_of_thread = std::make_unique<StyleContext>();
    return *styles_of_thread;
}

}
