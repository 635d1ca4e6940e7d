// Builders of value widgets and indicators; each method's row below is its signature.
#include "core/operations/operations.hpp"
#include "python/method_table.hpp"

namespace orvy::py {

namespace {

// A numeric widget: the value goes through the state setter.
PyObject* build_numeric(MethodCall& c, Model model, float value)
{
    auto id = c.append(std::move(model));
    if (id)
        set_numeric_state(c.tree(), *id, value);
    return c.finish(id);
}

ValueModel captioned(MethodCall& c) { return { .caption = std::move(c.text("lb")) }; }

PyObject* sl(MethodCall& c) { return build_numeric(c, Model(NodeKind::Slider), c.f32("vl")); }
PyObject* dl(MethodCall& c) { return build_numeric(c, Model(NodeKind::Dial, captioned(c)), c.f32("vl")); }
PyObject* gg(MethodCall& c) { return build_numeric(c, Model(NodeKind::Gauge, captioned(c)), c.f32("value")); }
PyObject* pr(MethodCall& c) { return build_numeric(c, Model(NodeKind::Progress), c.f32("vl")); }

PyObject* mt(MethodCall& c)
{
    auto segments = static_cast<std::uint32_t>(c.index("seg"));
    return build_numeric(c, Model(NodeKind::Meter, ValueModel { .segments = segments }), c.f32("vl"));
}

PyObject* spn(MethodCall& c) { return c.build(Model(NodeKind::Spinner)); }
PyObject* stb(MethodCall& c) { return c.build(Model(NodeKind::Status, TextModel { .text = std::move(c.text("txt")) })); }

// A badge may show a dot instead of its text.
PyObject* bdg(MethodCall& c)
{
    return c.build(Model(NodeKind::Badge, TextModel { .text = std::move(c.text("txt")), .dot = c.flag("dot") }));
}

PyObject* rat(MethodCall& c)
{
    auto maximum = static_cast<std::uint32_t>(c.index("max"));
    auto value = static_cast<std::uint32_t>(std::min<std::uint64_t>(c.index("vl"), maximum));
    return c.build(Model(NodeKind::Rating, RatingModel { .value = value, .maximum = maximum }));
}

PyObject* pgn(MethodCall& c)
{
    auto pages = static_cast<std::uint32_t>(c.index("total"));
    auto page = pages == 0 ? 0u : static_cast<std::uint32_t>(std::min<std::uint64_t>(c.index("page"), pages - 1));
    return c.build(Model(NodeKind::Pager, PagerModel { .page = page, .total = pages }));
}

// rsl, cal, tm, clr: two or three numbers set through the composite setter.
PyObject* composite(MethodCall& c, NodeKind kind, float a, float b, float third = 0.0f)
{
    auto id = c.append(Model(kind));
    if (id)
        set_composite_value(c.tree(), *id, a, b, third);
    return c.finish(id);
}

float whole(MethodCall& c, char const* name) { return static_cast<float>(c.i32(name)); }

PyObject* rsl(MethodCall& c) { return composite(c, NodeKind::Range, c.f32("lo"), c.f32("hi")); }
PyObject* cal(MethodCall& c) { return composite(c, NodeKind::Calendar, whole(c, "year"), whole(c, "month"), whole(c, "day")); }
PyObject* tm(MethodCall& c) { return composite(c, NodeKind::Time, whole(c, "hour"), whole(c, "minute")); }
PyObject* clr(MethodCall& c) { return composite(c, NodeKind::Color, c.f32("hue"), c.f32("sat"), c.f32("val")); }

WindowMethodsRegistrar const registrar {
    row<sl>("sl", "Добавляет ползунок 0..1; `ch(value)` при перетаскивании.",
        { real("vl", 0.5), keyword_only, parent, on_change<change_float>("ch"), signal(BindingKind::Value), box() }),
    row<rsl>("rsl", "Диапазонный ползунок 0..1; `ch(lo, hi)` при перетаскивании.",
        { real("lo", 0.25), real("hi", 0.75), keyword_only, parent, on_change<change_range>("ch"),
            signal(BindingKind::Composite), box() }),
    row<dl>("dl", "Круговой регулятор 0..1; тянуть вверх/вниз, `ch(value)`.",
        { real("vl", 0.5), keyword_only, parent, text("lb", ""), on_change<change_float>("ch"),
            bound("bind", BindingKind::Value), box() }),
    row<pr>("pr", "Добавляет индикатор прогресса; `bind` — колбэк значения 0..1.",
        { real("vl", 0.0), keyword_only, parent, bound("bind", BindingKind::Value), box() }),
    row<gg>("gg", "Круговой индикатор; `bind` — колбэк значения 0..1.",
        { real("value", 0.0), keyword_only, parent, text("lb", ""), bound("bind", BindingKind::Value), box() }),
    row<mt>("mt", "Сегментная шкала 0..1; `bind` — колбэк значения.",
        { real("vl", 0.0), keyword_only, parent, bound("bind", BindingKind::Value), index("seg", 10), box() }),
    row<spn>("spn", "Добавляет вращающийся индикатор загрузки.", { keyword_only, parent, box() }),
    row<stb>("stb", "Строка состояния; `bind` — колбэк текста.",
        { text("txt", ""), keyword_only, parent, bound("bind", BindingKind::Text), box() }),
    row<bdg>("bdg", "Значок-счётчик; `dot=True` — точка без текста, `bind` — текст.",
        { text("txt", ""), keyword_only, parent, flag("dot", false), bound("bind", BindingKind::Text), box() }),
    row<rat>("rat", "Оценка звёздами; `ch(value)` при клике.",
        { index("vl", 0), keyword_only, parent, index("max", 5), on_change<change_index>("ch"),
            signal(BindingKind::Value), box() }),
    row<pgn>("pgn", "Постраничная навигация; `ch(page)` при смене страницы.",
        { index("total"), keyword_only, parent, index("page", 0), on_change<change_index>("ch"), box() }),
    row<cal>("cal", "Календарь; `ch(год, месяц, день)` при выборе даты.",
        { integer("year", 2026), integer("month", 7), integer("day", 1), keyword_only, parent,
            on_change<change_calendar>("ch"), signal(BindingKind::Composite), box() }),
    row<tm>("tm", "Выбор времени; клики по половинам, `ch(часы, минуты)`.",
        { integer("hour", 12), integer("minute", 0), keyword_only, parent, on_change<change_time>("ch"),
            signal(BindingKind::Composite), box() }),
    row<clr>("clr", "Палитра цвета (HSV); `ch(\"#RRGGBB\")` при выборе.",
        { real("hue", 0.58), real("sat", 0.75), real("val", 0.96), keyword_only, parent,
            on_change<change_color>("ch"), signal(BindingKind::Composite), box() }),
};

}

}
