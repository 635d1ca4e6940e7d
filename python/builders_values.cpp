// Builders of value widgets and indicators:
//     W.sl(vl=0.5, *, pr=None, ch=None, sig=None, ...) -> N
//     W.rsl(lo=0.25, hi=0.75, *, pr=None, ch=None, sig=None, ...) -> N
//     W.dl(vl=0.5, *, pr=None, lb="", ch=None, bind=None, ...) -> N
//     W.pr(vl=0.0, *, pr=None, bind=None, ...) -> N
//     W.gg(value=0.0, *, pr=None, lb="", bind=None, ...) -> N
//     W.mt(vl=0.0, *, pr=None, bind=None, seg=10, ...) -> N
//     W.spn(*, pr=None, ...) -> N
//     W.stb(txt="", *, pr=None, bind=None, ...) -> N
//     W.bdg(txt="", *, pr=None, dot=False, bind=None, ...) -> N
//     W.rat(vl=0, *, pr=None, max=5, ch=None, sig=None, ...) -> N
//     W.pgn(total, *, pr=None, page=0, ch=None, ...) -> N
//     W.cal(year=2026, month=7, day=1, *, pr=None, ch=None, sig=None, ...) -> N
//     W.tm(hour=12, minute=0, *, pr=None, ch=None, sig=None, ...) -> N
//     W.clr(hue=0.58, sat=0.75, val=0.96, *, pr=None, ch=None, sig=None, ...) -> N
// ("..." is pd=0.0, gp=0.0, w=None, h=None.)
#include "core/models/models.hpp"
#include "python/builder.hpp"
#include "python/push_callbacks.hpp"

namespace orvy::py {

namespace {

PyObject* sl(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.sl", { "vl", "pr", "ch", "sig", "pd", "gp", "w", "h" }, 1, 0 };
    Args<8> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto value = f32_or(a[0], "vl", 0.5f);
    if (!value)
        return nullptr;
    auto id = append_with_common(*call, a.values.data(), { .pr = 1, .pd = 4, .gp = 5, .w = 6, .h = 7 },
        Model(NodeKind::Slider));
    if (!id)
        return nullptr;
    set_numeric_state(call->tree(), *id, *value);
    if (a.given(2) || a.given(3))
        call->tree().node(*id).on_change = change_float(Push::make(*call, a[2], a[3]));
    bind_to(*call, *id, a[3], BindingKind::Value);
    return handle_for(*call, id);
}

PyObject* rsl(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.rsl", { "lo", "hi", "pr", "ch", "sig", "pd", "gp", "w", "h" }, 2, 0 };
    Args<9> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto lo = f32_or(a[0], "lo", 0.25f);
    auto hi = f32_or(a[1], "hi", 0.75f);
    if (!lo || !hi)
        return nullptr;
    auto id = append_with_common(*call, a.values.data(), { .pr = 2, .pd = 5, .gp = 6, .w = 7, .h = 8 },
        Model(NodeKind::Range));
    if (!id)
        return nullptr;
    set_composite_value(call->tree(), *id, *lo, *hi, 0.0f);
    if (a.given(3) || a.given(4))
        call->tree().node(*id).on_change = change_range(Push::make(*call, a[3], a[4]), *id);
    bind_to(*call, *id, a[4], BindingKind::Composite);
    return handle_for(*call, id);
}

// dl, gg: a value, a caption, a pull binding; dl also reports drags.
PyObject* build_round_value(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs,
    PyObject* kwnames, ArgSpec const& spec, NodeKind kind, float default_value, bool has_change)
{
    // dl: vl, pr, lb, ch, bind, pd, gp, w, h; gg: value, pr, lb, bind, pd, gp, w, h.
    Args<9> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    int shift = has_change ? 1 : 0;
    auto value = f32_or(a[0], spec.names[0], default_value);
    auto caption = text_or(a[2], "lb");
    if (!value || !caption)
        return nullptr;
    auto id = append_with_common(*call, a.values.data(),
        { .pr = 1, .pd = 4 + shift, .gp = 5 + shift, .w = 6 + shift, .h = 7 + shift },
        Model(kind, ValueModel { .value = 0.0f, .caption = std::move(*caption), .segments = 10 }));
    if (!id)
        return nullptr;
    set_numeric_state(call->tree(), *id, *value);
    if (has_change && a.given(3))
        call->tree().node(*id).on_change = change_float(Push::make(*call, a[3]));
    bind_to(*call, *id, a[3 + shift], BindingKind::Value);
    return handle_for(*call, id);
}

PyObject* dl(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.dl", { "vl", "pr", "lb", "ch", "bind", "pd", "gp", "w", "h" }, 1, 0 };
    return build_round_value(self, cls, args, nargs, kwnames, spec, NodeKind::Dial, 0.5f, true);
}

PyObject* gg(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.gg", { "value", "pr", "lb", "bind", "pd", "gp", "w", "h" }, 1, 0 };
    return build_round_value(self, cls, args, nargs, kwnames, spec, NodeKind::Gauge, 0.0f, false);
}

PyObject* pr(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.pr", { "vl", "pr", "bind", "pd", "gp", "w", "h" }, 1, 0 };
    Args<7> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto value = f32_or(a[0], "vl", 0.0f);
    if (!value)
        return nullptr;
    auto id = append_with_common(*call, a.values.data(), { .pr = 1, .pd = 3, .gp = 4, .w = 5, .h = 6 },
        Model(NodeKind::Progress));
    if (!id)
        return nullptr;
    set_numeric_state(call->tree(), *id, *value);
    bind_to(*call, *id, a[2], BindingKind::Value);
    return handle_for(*call, id);
}

PyObject* mt(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.mt", { "vl", "pr", "bind", "seg", "pd", "gp", "w", "h" }, 1, 0 };
    Args<8> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto value = f32_or(a[0], "vl", 0.0f);
    auto segments = a[3] ? to_index(a[3], "seg") : std::optional<std::uint64_t>(10);
    if (!value || !segments)
        return nullptr;
    auto id = append_with_common(*call, a.values.data(), { .pr = 1, .pd = 4, .gp = 5, .w = 6, .h = 7 },
        Model(NodeKind::Meter, ValueModel { .value = 0.0f, .caption = {}, .segments = static_cast<std::uint32_t>(*segments) }));
    if (!id)
        return nullptr;
    set_numeric_state(call->tree(), *id, *value);
    bind_to(*call, *id, a[2], BindingKind::Value);
    return handle_for(*call, id);
}

PyObject* spn(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.spn", { "pr", "pd", "gp", "w", "h" }, 0, 0 };
    Args<5> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    return handle_for(*call,
        append_with_common(*call, a.values.data(), { .pr = 0, .pd = 1, .gp = 2, .w = 3, .h = 4 },
            Model(NodeKind::Spinner)));
}

// stb, bdg: a text with a pull binding; bdg may show a dot instead.
PyObject* build_status_text(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs,
    PyObject* kwnames, ArgSpec const& spec, NodeKind kind)
{
    // stb: txt, pr, bind, pd, gp, w, h; bdg: txt, pr, dot, bind, pd, gp, w, h.
    Args<8> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    int shift = kind == NodeKind::Badge ? 1 : 0;
    auto text = text_or(a[0], "txt");
    auto dot = shift ? bool_or(a[2], "dot", false) : std::optional<bool>(false);
    if (!text || !dot)
        return nullptr;
    auto id = append_with_common(*call, a.values.data(),
        { .pr = 1, .pd = 3 + shift, .gp = 4 + shift, .w = 5 + shift, .h = 6 + shift },
        Model(kind, TextModel { .text = std::move(*text), .dot = *dot }));
    if (!id)
        return nullptr;
    bind_to(*call, *id, a[2 + shift], BindingKind::Text);
    return handle_for(*call, id);
}

PyObject* stb(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.stb", { "txt", "pr", "bind", "pd", "gp", "w", "h" }, 1, 0 };
    return build_status_text(self, cls, args, nargs, kwnames, spec, NodeKind::Status);
}

PyObject* bdg(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.bdg", { "txt", "pr", "dot", "bind", "pd", "gp", "w", "h" }, 1, 0 };
    return build_status_text(self, cls, args, nargs, kwnames, spec, NodeKind::Badge);
}

PyObject* rat(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.rat", { "vl", "pr", "max", "ch", "sig", "pd", "gp", "w", "h" }, 1, 0 };
    Args<9> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto value = a[0] ? to_index(a[0], "vl") : std::optional<std::uint64_t>(0);
    auto maximum = a[2] ? to_index(a[2], "max") : std::optional<std::uint64_t>(5);
    if (!value || !maximum)
        return nullptr;
    auto id = append_with_common(*call, a.values.data(), { .pr = 1, .pd = 5, .gp = 6, .w = 7, .h = 8 },
        Model(NodeKind::Rating,
            RatingModel { .value = static_cast<std::uint32_t>(std::min(*value, *maximum)),
                .maximum = static_cast<std::uint32_t>(*maximum) }));
    if (!id)
        return nullptr;
    if (a.given(3) || a.given(4))
        call->tree().node(*id).on_change = change_index(Push::make(*call, a[3], a[4]));
    bind_to(*call, *id, a[4], BindingKind::Value);
    return handle_for(*call, id);
}

PyObject* pgn(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.pgn", { "total", "pr", "page", "ch", "pd", "gp", "w", "h" }, 1, 1 };
    Args<8> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto total = to_index(a[0], "total");
    auto page = a[2] ? to_index(a[2], "page") : std::optional<std::uint64_t>(0);
    if (!total || !page)
        return nullptr;
    std::uint32_t pages = static_cast<std::uint32_t>(*total);
    auto id = append_with_common(*call, a.values.data(), { .pr = 1, .pd = 4, .gp = 5, .w = 6, .h = 7 },
        Model(NodeKind::Pager,
            PagerModel { .page = pages == 0 ? 0u : static_cast<std::uint32_t>(std::min<std::uint64_t>(*page, pages - 1)),
                .total = pages }));
    if (id && a.given(3))
        call->tree().node(*id).on_change = change_index(Push::make(*call, a[3]));
    return handle_for(*call, id);
}

// cal, tm, clr: two or three numbers set through the composite setter, a
// callback and a signal.
template<class Read>
PyObject* build_composite(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs,
    PyObject* kwnames, ArgSpec const& spec, NodeKind kind, int value_count, Read&& read,
    ChangeCallback (*make_change)(Push, NodeId))
{
    Args<10> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    float values[3] = {};
    for (int i = 0; i < value_count; ++i) {
        auto value = read(a[i], i);
        if (!value)
            return nullptr;
        values[i] = *value;
    }
    int at = value_count; // pr, ch, sig, pd, gp, w, h follow the values
    auto id = append_with_common(*call, a.values.data(),
        { .pr = at, .pd = at + 3, .gp = at + 4, .w = at + 5, .h = at + 6 }, Model(kind));
    if (!id)
        return nullptr;
    set_composite_value(call->tree(), *id, values[0], values[1], values[2]);
    if (a.given(at + 1) || a.given(at + 2))
        call->tree().node(*id).on_change = make_change(Push::make(*call, a[at + 1], a[at + 2]), *id);
    bind_to(*call, *id, a[at + 2], BindingKind::Composite);
    return handle_for(*call, id);
}

PyObject* cal(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.cal", { "year", "month", "day", "pr", "ch", "sig", "pd", "gp", "w", "h" }, 3, 0 };
    static constexpr std::int32_t defaults[] = { 2026, 7, 1 };
    return build_composite(self, cls, args, nargs, kwnames, spec, NodeKind::Calendar, 3,
        [](PyObject* value, int i) -> std::optional<float> {
            auto number = value ? to_i32(value, spec.names[i]) : std::optional<std::int32_t>(defaults[i]);
            return number ? std::optional<float>(static_cast<float>(*number)) : std::nullopt;
        },
        change_calendar);
}

PyObject* tm(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.tm", { "hour", "minute", "pr", "ch", "sig", "pd", "gp", "w", "h" }, 2, 0 };
    static constexpr std::int32_t defaults[] = { 12, 0 };
    return build_composite(self, cls, args, nargs, kwnames, spec, NodeKind::Time, 2,
        [](PyObject* value, int i) -> std::optional<float> {
            auto number = value ? to_i32(value, spec.names[i]) : std::optional<std::int32_t>(defaults[i]);
            return number ? std::optional<float>(static_cast<float>(*number)) : std::nullopt;
        },
        change_time);
}

PyObject* clr(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.clr", { "hue", "sat", "val", "pr", "ch", "sig", "pd", "gp", "w", "h" }, 3, 0 };
    static constexpr float defaults[] = { 0.58f, 0.75f, 0.96f };
    return build_composite(self, cls, args, nargs, kwnames, spec, NodeKind::Color, 3,
        [](PyObject* value, int i) { return f32_or(value, spec.names[i], defaults[i]); }, change_color);
}

void add_methods(MethodList& methods)
{
    methods.insert(methods.end(), {
        method<sl>("sl",
            "sl($self, vl=0.5, *, pr=None, ch=None, sig=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Добавляет ползунок 0..1; `ch(value)` при перетаскивании."),
        method<rsl>("rsl",
            "rsl($self, lo=0.25, hi=0.75, *, pr=None, ch=None, sig=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Диапазонный ползунок 0..1; `ch(lo, hi)` при перетаскивании."),
        method<dl>("dl",
            "dl($self, vl=0.5, *, pr=None, lb=\"\", ch=None, bind=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Круговой регулятор 0..1; тянуть вверх/вниз, `ch(value)`."),
        method<pr>("pr",
            "pr($self, vl=0.0, *, pr=None, bind=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Добавляет индикатор прогресса; `bind` — колбэк значения 0..1."),
        method<gg>("gg",
            "gg($self, value=0.0, *, pr=None, lb=\"\", bind=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Круговой индикатор; `bind` — колбэк значения 0..1."),
        method<mt>("mt",
            "mt($self, vl=0.0, *, pr=None, bind=None, seg=10, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Сегментная шкала 0..1; `bind` — колбэк значения."),
        method<spn>("spn",
            "spn($self, *, pr=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Добавляет вращающийся индикатор загрузки."),
        method<stb>("stb",
            "stb($self, txt=\"\", *, pr=None, bind=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Строка состояния; `bind` — колбэк текста."),
        method<bdg>("bdg",
            "bdg($self, txt=\"\", *, pr=None, dot=False, bind=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Значок-счётчик; `dot=True` — точка без текста, `bind` — текст."),
        method<rat>("rat",
            "rat($self, vl=0, *, pr=None, max=5, ch=None, sig=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Оценка звёздами; `ch(value)` при клике."),
        method<pgn>("pgn",
            "pgn($self, total, *, pr=None, page=0, ch=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Постраничная навигация; `ch(page)` при смене страницы."),
        method<cal>("cal",
            "cal($self, year=2026, month=7, day=1, *, pr=None, ch=None, sig=None, pd=0.0, gp=0.0, w=None, "
            "h=None)\n--\n\nКалендарь; `ch(год, месяц, день)` при выборе даты."),
        method<tm>("tm",
            "tm($self, hour=12, minute=0, *, pr=None, ch=None, sig=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Выбор времени; клики по половинам, `ch(часы, минуты)`."),
        method<clr>("clr",
            "clr($self, hue=0.58, sat=0.75, val=0.96, *, pr=None, ch=None, sig=None, pd=0.0, gp=0.0, w=None, "
            "h=None)\n--\n\nПалитра цвета (HSV); `ch(\"#RRGGBB\")` при выборе."),
    });
}

WindowMethodsRegistrar const registrar(add_methods);

}

}
