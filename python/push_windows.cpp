// Push notifications, small windows of their own:
//     W.push(title="", text="", *, secs=3.0, w=200, h=150, x=None, y=None, bg="#202632", fg="#eef3ff",
//            font=None, size=16.0, rad=8.0, pd=10.0, gp=6.0, click=True, on_close=None) -> None
// The window stays when its creator's content changes or the creator
// closes; the loop already running on the thread serves it until its time
// runs out or, with `click`, it is clicked; then on_close() runs.
#include "core/frame/push_window.hpp"
#include "core/style/css.hpp"
#include "python/method_table.hpp"
#include "python/platform_bridge.hpp"
#include "python/styles.hpp"

namespace orvy::py {

namespace {

// A colour text; one that does not parse leaves the default, as in style sheets.
void read_color(std::string_view text, Color& color)
{
    if (std::optional<Color> parsed = parse_color(text))
        color = *parsed;
}

PyObject* push(MethodCall& c)
{
    PushContent content { .title = std::move(c.text("title")),
        .text = std::move(c.text("text")),
        .font_size = c.f32("size"),
        .radius = c.f32("rad"),
        .padding = c.f32("pd"),
        .gap = c.f32("gp") };
    read_color(c.utf8("bg"), content.background);
    read_color(c.utf8("fg"), content.foreground);
    if (c.given("font"))
        content.font_family = thread_styles().font_families().intern(c.text("font"));
    std::optional<PointI> position;
    std::optional<float> x = c.optional_f32("x"), y = c.optional_f32("y");
    if (x || y)
        position = PointI { saturate_to_i32(x.value_or(0)), saturate_to_i32(y.value_or(0)) };

    // A window state of its own, as W(...) makes one: the dark theme and
    // the creator's base font.
    auto window = std::make_shared<WindowState>();
    WindowState const& creator = c.state();
    window->settings.title.clear();
    window->settings.width = c.i32("w");
    window->settings.height = c.i32("h");
    window->settings.glass = true;
    window->font_family = creator.font_family;
    window->font_size = creator.font_size;
    window->phase = Phase::Running;
    build_push_tree(window->tree, content);
    if (c.given("on_close"))
        window->on_close = PyRef::borrow(c.object("on_close"));
    PushLifetime lifetime { .seconds = c.f32("secs"), .close_on_click = c.flag("click") };
    // Callbacks run while the window opens may use the creator again.
    c.window().borrow.release();
    if (!open_push_window(window, lifetime, position))
        return nullptr;
    Py_RETURN_NONE;
}

WindowMethodsRegistrar const registrar {
    row<push>("push", "Всплывающее сообщение поверх всех окон, независимое от родителя.",
        { text("title", ""), text("text", ""), keyword_only, real("secs", 3.0), integer("w", 200),
            integer("h", 150), optional_real("x"), optional_real("y"), utf8("bg", "#202632"),
            utf8("fg", "#eef3ff"), optional_text("font"), real("size", 16.0), real("rad", 8.0), real("pd", 10.0),
            real("gp", 6.0), flag("click", true), object("on_close") },
        { .access = Access::Shared }),
};

}

}
