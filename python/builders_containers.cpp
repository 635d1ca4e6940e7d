// Container builders, each returned as a context (Ctx); each method's row below is its signature.
#include "core/operations/detail/numbers.hpp"
#include "core/operations/operations.hpp"
#include "python/method_table.hpp"

namespace orvy::py {

namespace {

PyObject* grp(MethodCall& c)
{
    return c.context(c.append(Model(NodeKind::Group, GroupModel { .title = std::move(c.text("title")), .radius = c.f32("rad") })));
}

PyObject* scr(MethodCall& c) { return c.context(c.append(Model(NodeKind::Scroll))); }

PyObject* stk(MethodCall& c)
{
    auto page = static_cast<std::uint32_t>(c.index("page"));
    return c.finish_context(c.append(Model(NodeKind::Stack, StackModel { .page = page })));
}

PyObject* spl(MethodCall& c)
{
    // NaN would leave the panes without a size; it counts as the even split.
    float share = std::isnan(c.f32("ratio")) ? 0.5f : detail::clamp01(c.f32("ratio"));
    return c.context(c.append(Model(NodeKind::Splitter, SplitterModel { .vertical = c.flag("vertical"), .ratio = share })));
}

PyObject* acc(MethodCall& c)
{
    bool open = c.flag("open");
    std::int32_t group = c.i32("grp");
    auto id = c.append(Model(NodeKind::Accordion,
        AccordionModel { .title = std::move(c.text("title")), .open = open, .group = group, .radius = c.f32("rad") }));
    // A section built open closes the open ones of its group, as opening it
    // later would; nothing is reported while the window is being built.
    for (NodeId other = 0; id && open && group != 0 && other < *id; ++other) {
        auto* section = c.tree().node(other).model.as<AccordionModel>();
        if (section && c.tree().node(other).kind() == NodeKind::Accordion && section->group == group)
            section->open = false;
    }
    return c.finish_context(id);
}

PyObject* tab(MethodCall& c)
{
    auto id = c.append(Model(NodeKind::Tabs, ChoiceModel { .items = std::move(c.texts("labels")) }));
    if (id)
        set_numeric_state(c.tree(), *id, static_cast<float>(c.index("sel")));
    return c.finish_context(id);
}

DockSide dock_side(std::string_view word)
{
    char first = word.empty() ? 'l' : word.front();
    if (first == 't')
        return DockSide::Top;
    if (first == 'b')
        return DockSide::Bottom;
    if (first == 'r')
        return DockSide::Right;
    return DockSide::Left;
}

PyObject* dock(MethodCall& c)
{
    CommonArgs common = c.common();
    DockSide side = dock_side(c.utf8("side"));
    bool open = c.flag("open");
    // A docked extent that is not a number cannot be laid out.
    float extent = std::isnan(c.f32("size")) ? 260.0f : c.f32("size");
    float shown = open ? extent : closed_dock_extent;
    (side == DockSide::Left || side == DockSide::Right ? common.layout.w : common.layout.h) = shown;
    return c.context(append_built(c.window(), common,
        Model(NodeKind::Dock, DockModel { .title = std::move(c.text("ttl")), .side = side, .open = open, .size = extent })));
}

PyObject* pop(MethodCall& c)
{
    // A layer above everything, out of sight until pop_at places it.
    CommonArgs common { .layout = { .w = c.f32("w"), .h = c.f32("h"), .left = -1000000.0f, .top = -1000000.0f,
        .padding = 10.0f, .z = 1000, .placement = Placement::Absolute } };
    return c.finish_context(append_under_root(c.window(), common, Model(NodeKind::Frame)));
}

WindowMethodsRegistrar const registrar {
    row<grp>("grp", "Группа с заголовком как контекст: `with win.grp(\"Имя\"):`.",
        { text("title", ""), keyword_only, parent, real("rad", 12.0), axis, box(12.0, 8.0) }),
    row<scr>("scr", "Область прокрутки как контекст: `with win.scr():`.", { keyword_only, parent, box(8.0, 8.0) }),
    row<stk>("stk", "Стопка страниц как контекст; `bind` — колбэк, возвращающий индекс.",
        { keyword_only, parent, index("page", 0), bound("bind", BindingKind::Value), size_only() }),
    row<spl>("spl", "Разделитель двух областей как контекст; тянется мышью.",
        { keyword_only, parent, real("ratio", 0.5), flag("vertical", true), size_only() }),
    row<acc>("acc", "Секция аккордеона как контекст: `with win.acc(\"Имя\"):`.",
        { text("title", ""), keyword_only, parent, flag("open", false), integer("grp", 0), on_change<change_bool>("ch"),
            real("rad", 10.0), box(8.0, 8.0) }),
    row<tab>("tab", "Добавляет вкладки как контекст; вложенные контейнеры — их содержимое.",
        { texts("labels"), keyword_only, parent, index("sel", 0), on_change<change_index>("ch"), box() }),
    row<dock>("dock", "Док-панель с заголовком; клик по шапке сворачивает.",
        { text("ttl", ""), keyword_only, parent, utf8("side", "l"), real("size", 260.0), flag("open", true), axis,
            real("pd", 10.0), real("gp", 8.0) }),
    row<pop>("pop", "Слой поверх всего окна; содержимое строится внутри `with`.",
        { keyword_only, real("w", 240.0), real("h", 40.0), on_event<UiEvent::LayerClosed, event_plain>("on_close") }),
};

}

}
