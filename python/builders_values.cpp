// Builders of value widgets and indicators; each method's row below is its signature.
#include "core/models/operations.hpp"
#include "python/method_table.hpp"
#include "python/push_callbacks.hpp"

namespace orvy::py {

namespace {

// A numeric widget: the value goes through the state setter, `ch` and `sig` hear changes.
PyObject* build_numeric(MethodCall& c, Model model, float value, BindingKind kind = BindingKind::Value)
{
    auto id = c.append(std::move(model));
    if (!id)
        return nullptr;
    set_numeric_state(c.tree(), *id, value);
    char const* signal = c.has("sig") ? "sig" : nullptr;
    if (c.has("ch") && (c.given("ch") || (signal && c.given(signal))))
        c.tree().node(*id).extras_mut().on_change = change_float(c.push("ch", signal));
    c.bind(*id, c.object(signal ? signal : "bind"), kind);
    return c.node_handle(id);
}

PyObject* sl(MethodCall& c) { return build_numeric(c, Model(NodeKind::Slider), c.f32("vl")); }

PyObject* dl(MethodCall& c)
{
    return build_numeric(c,
        Model(NodeKind::Dial, ValueModel { .value = 0.0f, .segments = 10, .caption = std::move(c.text("lb")) }),
        c.f32("vl"));
}

PyObject* gg(MethodCall& c)
{
    return build_numeric(c,
        Model(NodeKind::Gauge, ValueModel { .value = 0.0f, .segments = 10, .caption = std::move(c.text("lb")) }),
        c.f32("value"));
}

PyObject* pr(MethodCall& c) { return build_numeric(c, Model(NodeKind::Progress), c.f32("vl")); }

PyObject* mt(MethodCall& c)
{
    auto segments = static_cast<std::uint32_t>(c.index("seg"));
    return build_numeric(c, Model(NodeKind::Meter, ValueModel { .value = 0.0f, .segments = segments, .caption = {} }),
        c.f32("vl"));
}

PyObject* spn(MethodCall& c) { return c.node_handle(c.append(Model(NodeKind::Spinner))); }

// stb, bdg: a text with a pull binding; bdg may show a dot instead.
PyObject* build_status_text(MethodCall& c, NodeKind kind)
{
    bool dot = kind == NodeKind::Badge && c.flag("dot");
    auto id = c.append(Model(kind, TextModel { .text = std::move(c.text("txt")), .dot = dot }));
    if (!id)
        return nullptr;
    c.bind(*id, c.object("bind"), BindingKind::Text);
    return c.node_handle(id);
}

PyObject* stb(MethodCall& c) { return build_status_text(c, NodeKind::Status); }

PyObject* bdg(MethodCall& c) { return build_status_text(c, NodeKind::Badge); }

PyObject* rat(MethodCall& c)
{
    std::uint64_t maximum = c.index("max");
    auto id = c.append(Model(NodeKind::Rating,
        RatingModel { .value = static_cast<std::uint32_t>(std::min(c.index("vl"), maximum)),
            .maximum = static_cast<std::uint32_t>(maximum) }));
    if (!id)
        return nullptr;
    if (c.given("ch") || c.given("sig"))
        c.tree().node(*id).extras_mut().on_change = change_index(c.push("ch", "sig"));
    c.bind(*id, c.object("sig"), BindingKind::Value);
    return c.node_handle(id);
}

PyObject* pgn(MethodCall& c)
{
    auto pages = static_cast<std::uint32_t>(c.index("total"));
    auto page = pages == 0 ? 0u : static_cast<std::uint32_t>(std::min<std::uint64_t>(c.index("page"), pages - 1));
    auto id = c.append(Model(NodeKind::Pager, PagerModel { .page = page, .total = pages }));
    if (id && c.given("ch"))
        c.tree().node(*id).extras_mut().on_change = change_index(c.push("ch"));
    return c.node_handle(id);
}

// rsl, cal, tm, clr: two or three numbers set through the composite setter, a
// callback and a signal.
PyObject* build_composite(MethodCall& c, NodeKind kind, float a, float b, float third,
    ChangeCallback (*make_change)(Push, NodeId))
{
    auto id = c.append(Model(kind));
    if (!id)
        return nullptr;
    set_composite_value(c.tree(), *id, a, b, third);
    if (c.given("ch") || c.given("sig"))
        c.tree().node(*id).extras_mut().on_change = make_change(c.push("ch", "sig"), *id);
    c.bind(*id, c.object("sig"), BindingKind::Composite);
    return c.node_handle(id);
}

PyObject* rsl(MethodCall& c)
{
    return build_composite(c, NodeKind::Range, c.f32("lo"), c.f32("hi"), 0.0f, change_range);
}

PyObject* cal(MethodCall& c)
{
    return build_composite(c, NodeKind::Calendar, static_cast<float>(c.i32("year")), static_cast<float>(c.i32("month")),
        static_cast<float>(c.i32("day")), change_calendar);
}

PyObject* tm(MethodCall& c)
{
    return build_composite(c, NodeKind::Time, static_cast<float>(c.i32("hour")), static_cast<float>(c.i32("minute")),
        0.0f, change_time);
}

PyObject* clr(MethodCall& c)
{
    return build_composite(c, NodeKind::Color, c.f32("hue"), c.f32("sat"), c.f32("val"), change_color);
}

void add_methods(MethodList& methods)
{
    declare(methods, {
        row<sl>("sl", "Добавляет ползунок 0..1; `ch(value)` при перетаскивании.",
            { real("vl", 0.5), keyword_only, parent, object("ch"), object("sig"), box() }),
        row<rsl>("rsl", "Диапазонный ползунок 0..1; `ch(lo, hi)` при перетаскивании.",
            { real("lo", 0.25), real("hi", 0.75), keyword_only, parent, object("ch"), object("sig"), box() }),
        row<dl>("dl", "Круговой регулятор 0..1; тянуть вверх/вниз, `ch(value)`.",
            { real("vl", 0.5), keyword_only, parent, text("lb", ""), object("ch"), object("bind"), box() }),
        row<pr>("pr", "Добавляет индикатор прогресса; `bind` — колбэк значения 0..1.",
            { real("vl", 0.0), keyword_only, parent, object("bind"), box() }),
        row<gg>("gg", "Круговой индикатор; `bind` — колбэк значения 0..1.",
            { real("value", 0.0), keyword_only, parent, text("lb", ""), object("bind"), box() }),
        row<mt>("mt", "Сегментная шкала 0..1; `bind` — колбэк значения.",
            { real("vl", 0.0), keyword_only, parent, object("bind"), index("seg", 10), box() }),
        row<spn>("spn", "Добавляет вращающийся индикатор загрузки.", { keyword_only, parent, box() }),
        row<stb>("stb", "Строка состояния; `bind` — колбэк текста.",
            { text("txt", ""), keyword_only, parent, object("bind"), box() }),
        row<bdg>("bdg", "Значок-счётчик; `dot=True` — точка без текста, `bind` — текст.",
            { text("txt", ""), keyword_only, parent, flag("dot", false), object("bind"), box() }),
        row<rat>("rat", "Оценка звёздами; `ch(value)` при клике.",
            { index("vl", 0), keyword_only, parent, index("max", 5), object("ch"), object("sig"), box() }),
        row<pgn>("pgn", "Постраничная навигация; `ch(page)` при смене страницы.",
            { index("total"), keyword_only, parent, index("page", 0), object("ch"), box() }),
        row<cal>("cal", "Календарь; `ch(год, месяц, день)` при выборе даты.",
            { integer("year", 2026), integer("month", 7), integer("day", 1), keyword_only, parent, object("ch"),
                object("sig"), box() }),
        row<tm>("tm", "Выбор времени; клики по половинам, `ch(часы, минуты)`.",
            { integer("hour", 12), integer("minute", 0), keyword_only, parent, object("ch"), object("sig"), box() }),
        row<clr>("clr", "Палитра цвета (HSV); `ch(\"#RRGGBB\")` при выборе.",
            { real("hue", 0.58), real("sat", 0.75), real("val", 0.96), keyword_only, parent, object("ch"),
                object("sig"), box() }),
    });
}

WindowMethodsRegistrar const registrar(add_methods);

}

}
