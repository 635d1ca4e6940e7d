// Builders of panels, labels and buttons; each method's row below is its signature.
#include "python/invoke.hpp"
#include "python/method_table.hpp"

namespace orvy::py {

namespace {

// fr and bx create the same frame node; bx hands it out as a context.
std::optional<NodeId> build_frame(MethodCall& c)
{
    return c.append(Model(NodeKind::Frame, FrameModel { .radius = c.f32("rad") }));
}

PyObject* fr(MethodCall& c) { return c.node_handle(build_frame(c)); }

PyObject* bx(MethodCall& c) { return c.context(build_frame(c)); }

PyObject* lb(MethodCall& c)
{
    auto id = c.append(Model(NodeKind::Label, TextModel { .text = std::move(c.text("txt")) }));
    if (id && c.flag("wrap"))
        c.tree().node(*id).styles.base_mut().wrap = Wrap::On;
    return c.finish(id);
}

PyObject* bt(MethodCall& c)
{
    auto id = c.append(Model(NodeKind::Button, ButtonModel { .caption = std::move(c.text("lb")), .radius = c.f32("rad") }));
    if (!id || !(c.given("clk") || c.given("toast")))
        return c.node_handle(id);
    // A click shows the toast first, then calls `clk`.
    std::optional<PyCallable> click;
    if (c.given("clk"))
        click.emplace(c.object("clk"), c.shared_state());
    std::optional<Text> toast = c.given("toast") ? std::optional(std::move(c.text("toast"))) : std::nullopt;
    c.tree().node(*id).extras_mut().on_activate = [click = std::move(click), toast = std::move(toast)](Tree& tree) {
        if (toast)
            tree.toast_text = *toast;
        if (click)
            (*click)();
    };
    return c.node_handle(id);
}

WindowMethodsRegistrar const registrar {
    row<fr>("fr", "Добавляет панель; возвращает её узел.",
        { real("rad", 12.0), keyword_only, parent, axis, box(), elevation }),
    row<bx>("bx", "Панель-контейнер как контекст: `with win.bx(...) as p:`.",
        { real("rad", 12.0), keyword_only, parent, axis, box(), elevation }),
    row<lb>("lb", "Добавляет метку; `bind` — колбэк, возвращающий текст.",
        { text("txt", ""), keyword_only, parent, bound("bind", BindingKind::Text), optional_text("icon"), box(),
            flag("wrap", false) }),
    row<bt>("bt", "Добавляет кнопку; `clk` вызывается по нажатию.",
        { text("lb", ""), keyword_only, parent, real("rad", 10.0), optional_text("icon"), optional_text("tip"),
            optional_text("toast"), box(), object("clk"), elevation }),
};

}

}
