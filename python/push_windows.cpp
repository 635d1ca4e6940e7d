// Push notifications, small windows of their own:
//     W.push(title="", text="", *, secs=3.0, w=200, h=150, x=None, y=None, bg="#202632", fg="#eef3ff",
//            font=None, size=16.0, rad=8.0, pd=10.0, gp=6.0, click=True, on_close=None) -> None
// The window stays when its creator's content changes or the creator
// closes; the loop already running on the thread serves it until its time
// runs out or, with `click`, it is clicked; then on_close() runs.
#include "core/frame/push_window.hpp"
#include "core/style/css.hpp"
#include "python/builder.hpp"
#include "python/platform_bridge.hpp"
#include "python/styles.hpp"

#include <cmath>

namespace orvy::py {

namespace {

// A colour text; one that does not parse leaves the default, as in style sheets.
bool read_color(PyObject* value, char const* name, Color& color)
{
    if (!value)
        return true;
    auto text = to_utf8(value, name);
    if (!text)
        return false;
    if (std::optional<Color> parsed = parse_color(*text))
        color = *parsed;
    return true;
}

std::optional<std::int32_t> i32_or(PyObject* value, char const* name, std::int32_t fallback)
{
    return value ? to_i32(value, name) : std::optional<std::int32_t>(fallback);
}

std::optional<PointI> read_position(PyObject* x_value, PyObject* y_value)
{
    auto x = to_opt_f32(x_value, "x");
    auto y = x ? to_opt_f32(y_value, "y") : std::nullopt;
    if (!x || !y)
        return std::nullopt;
    return PointI { saturate_to_i32(x->value_or(0)), saturate_to_i32(y->value_or(0)) };
}

PyObject* push(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.push",
        { "title", "text", "secs", "w", "h", "x", "y", "bg", "fg", "font", "size", "rad", "pd", "gp", "click",
            "on_close" },
        2, 0 };
    Args<16> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;

    PushContent content;
    auto title = text_or(a[0], "title");
    auto text = text_or(a[1], "text");
    auto secs = f32_or(a[2], "secs", 3.0f);
    auto width = i32_or(a[3], "w", 200);
    auto height = i32_or(a[4], "h", 150);
    if (!title || !text || !secs || !width || !height)
        return nullptr;
    std::optional<PointI> position;
    if (a.given(5) || a.given(6)) {
        position = read_position(a[5], a[6]);
        if (!position)
            return nullptr;
    }
    if (!read_color(a[7], "bg", content.background) || !read_color(a[8], "fg", content.foreground))
        return nullptr;
    if (a.given(9)) {
        auto family = to_text(a[9], "font");
        if (!family)
            return nullptr;
        content.font_family = thread_styles().font_families().intern(*family);
    }
    auto size = f32_or(a[10], "size", 16.0f);
    auto radius = f32_or(a[11], "rad", 8.0f);
    auto padding = f32_or(a[12], "pd", 10.0f);
    auto gap = f32_or(a[13], "gp", 6.0f);
    auto click = bool_or(a[14], "click", true);
    if (!size || !radius || !padding || !gap || !click)
        return nullptr;
    content.title = std::move(*title);
    content.text = std::move(*text);
    content.font_size = *size;
    content.radius = *radius;
    content.padding = *padding;
    content.gap = *gap;

    // A window state of its own, as W(...) makes one: the dark theme and
    // the creator's base font.
    auto window = std::make_shared<WindowState>();
    WindowState const& creator = call->state();
    window->settings.title.clear();
    window->settings.width = *width;
    window->settings.height = *height;
    window->settings.glass = true;
    window->font_family = creator.font_family;
    window->font_size = creator.font_size;
    window->phase = Phase::Running;
    build_push_tree(window->tree, content);
    if (a.given(15))
        window->on_close = PyRef::borrow(a[15]);
    // Callbacks run while the window opens may use the creator again.
    call->borrow.release();
    if (!open_push_window(window, PushLifetime { .seconds = *secs, .close_on_click = *click }, position))
        return nullptr;
    Py_RETURN_NONE;
}

void add_methods(MethodList& methods)
{
    methods.push_back(method<push>("push",
        "push($self, title=\"\", text=\"\", *, secs=3.0, w=200, h=150, x=None, y=None, bg=\"#202632\", "
        "fg=\"#eef3ff\", font=None, size=16.0, rad=8.0, pd=10.0, gp=6.0, click=True, on_close=None)\n--\n\n"
        "Всплывающее сообщение поверх всех окон, независимое от родителя."));
}

WindowMethodsRegistrar const registrar(add_methods);

}

}
