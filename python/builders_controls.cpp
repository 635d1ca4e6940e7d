// Builders of clickable controls, text fields and the spin field:
//     W.lnk(lb="", *, pr=None, clk=None, ...) -> N
//     W.sbt(lb, opts, *, pr=None, clk=None, ch=None, rad=10.0, ...) -> N
//     W.tgl(lb="", *, pr=None, icon=None, tip=None, on=False, clk=None, sig=None, ...) -> N
//     W.ch(lb="", *, pr=None, chk=False, clk=None, sig=None, ...) -> N
//     W.sw(lb="", *, pr=None, on=False, clk=None, sig=None, ...) -> N
//     W.rd(lb="", *, pr=None, grp=0, on=False, clk=None, ...) -> N
//     W.sep(*, pr=None, vertical=False, ...) -> N
//     W.tx(txt="", *, pr=None, sig=None, ph="", ...) -> N
//     W.ta(txt="", *, pr=None, sig=None, ph="", ...) -> N
//     W.spin(value=0.0, *, pr=None, min=0.0, max=100.0, step=1.0, ch=None, pd=0.0, gp=6.0, ...) -> N
// ("..." is pd=0.0, gp=0.0, w=None, h=None.)
#include "core/models/models.hpp"
#include "python/builder.hpp"
#include "python/push_callbacks.hpp"

namespace orvy::py {

namespace {

PyObject* lnk(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.lnk", { "lb", "pr", "clk", "pd", "gp", "w", "h" }, 1, 0 };
    Args<7> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    CommonArgs common;
    auto text = text_or(a[0], "lb");
    if (!text || !common.read(a.values.data(), { .pr = 1, .pd = 3, .gp = 4, .w = 5, .h = 6 }, *call))
        return nullptr;
    auto id = append_built(*call, common, Model(NodeKind::Link, TextModel { .text = std::move(*text) }));
    if (id && a.given(2))
        call->tree().node(*id).on_activate = activate_plain(Push::make(*call, a[2]));
    return handle_for(*call, id);
}

PyObject* sbt(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.sbt", { "lb", "opts", "pr", "clk", "ch", "rad", "pd", "gp", "w", "h" }, 2, 2 };
    Args<10> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    CommonArgs common;
    auto caption = to_text(a[0], "lb");
    auto options = to_text_list(a[1], "opts");
    auto radius = f32_or(a[5], "rad", 10.0f);
    if (!caption || !options || !radius
        || !common.read(a.values.data(), { .pr = 2, .pd = 6, .gp = 7, .w = 8, .h = 9 }, *call))
        return nullptr;
    auto id = append_built(*call, common,
        Model(NodeKind::Split,
            Boxed<SplitModel>({ .caption = std::move(*caption), .options = std::move(*options), .radius = *radius })));
    if (!id)
        return nullptr;
    Node& node = call->tree().node(*id);
    if (a.given(3))
        node.on_activate = activate_plain(Push::make(*call, a[3]));
    if (a.given(4))
        node.on_change = change_index(Push::make(*call, a[4]));
    return handle_for(*call, id);
}

// The shared shape of the on/off widgets: caption, initial state, callback and signal.
struct ToggleArgs {
    NodeKind kind;
    char const* state_name; // "on" or "chk"
};

std::optional<NodeId> build_toggle(WindowCall& call, PyObject* const* values, ToggleArgs const& shape,
    int state_slot, CommonSlots const& slots, std::int32_t group = 0)
{
    CommonArgs common;
    auto caption = text_or(values[0], "lb");
    auto on = bool_or(values[state_slot], shape.state_name, false);
    if (!caption || !on || !common.read(values, slots, call))
        return std::nullopt;
    auto id = append_built(call, common,
        Model(shape.kind, ToggleModel { .caption = std::move(*caption), .group = group }));
    // Turning on through the state setter keeps a radio group exclusive.
    if (id && *on)
        set_numeric_state(call.tree(), *id, 1.0f);
    return id;
}

void bind_signal(WindowCall& call, NodeId id, PyObject* signal, BindingKind kind)
{
    if (signal && signal != Py_None)
        call.state().bindings.push_back({ kind, id, PyRef::borrow(signal) });
}

PyObject* tgl(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec {
        "W.tgl", { "lb", "pr", "icon", "tip", "on", "clk", "sig", "pd", "gp", "w", "h" }, 1, 0
    };
    Args<11> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto icon = a.given(2) ? to_text(a[2], "icon") : std::optional<Text>(Text());
    auto tip = a.given(3) ? to_text(a[3], "tip") : std::optional<Text>(Text());
    if (!icon || !tip)
        return nullptr;
    auto id = build_toggle(*call, a.values.data(), { NodeKind::Toggle, "on" }, 4,
        { .pr = 1, .pd = 7, .gp = 8, .w = 9, .h = 10 });
    if (!id)
        return nullptr;
    Node& node = call->tree().node(*id);
    if (a.given(2))
        node.icon = std::move(*icon);
    if (a.given(3))
        node.tip = std::move(*tip);
    if (a.given(5) || a.given(6))
        node.on_change = change_bool(Push::make(*call, a[5], a[6]));
    bind_signal(*call, *id, a[6], BindingKind::Value);
    return handle_for(*call, id);
}

PyObject* ch(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.ch", { "lb", "pr", "chk", "clk", "sig", "pd", "gp", "w", "h" }, 1, 0 };
    Args<9> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto id = build_toggle(*call, a.values.data(), { NodeKind::Checkbox, "chk" }, 2,
        { .pr = 1, .pd = 5, .gp = 6, .w = 7, .h = 8 });
    if (!id)
        return nullptr;
    if (a.given(3) || a.given(4))
        call->tree().node(*id).on_activate = activate_checkbox(Push::make(*call, a[3], a[4]), *id);
    bind_signal(*call, *id, a[4], BindingKind::Value);
    return handle_for(*call, id);
}

PyObject* sw(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.sw", { "lb", "pr", "on", "clk", "sig", "pd", "gp", "w", "h" }, 1, 0 };
    Args<9> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto id = build_toggle(*call, a.values.data(), { NodeKind::Switch, "on" }, 2,
        { .pr = 1, .pd = 5, .gp = 6, .w = 7, .h = 8 });
    if (!id)
        return nullptr;
    if (a.given(3) || a.given(4))
        call->tree().node(*id).on_change = change_bool(Push::make(*call, a[3], a[4]));
    bind_signal(*call, *id, a[4], BindingKind::Value);
    return handle_for(*call, id);
}

PyObject* rd(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.rd", { "lb", "pr", "grp", "on", "clk", "pd", "gp", "w", "h" }, 1, 0 };
    Args<9> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto group = a[2] ? to_i32(a[2], "grp") : std::optional<std::int32_t>(0);
    if (!group)
        return nullptr;
    auto id = build_toggle(*call, a.values.data(), { NodeKind::Radio, "on" }, 3,
        { .pr = 1, .pd = 5, .gp = 6, .w = 7, .h = 8 }, *group);
    if (id && a.given(4))
        call->tree().node(*id).on_change = change_plain(Push::make(*call, a[4]));
    return handle_for(*call, id);
}

PyObject* sep(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.sep", { "pr", "vertical", "pd", "gp", "w", "h" }, 0, 0 };
    Args<6> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    CommonArgs common;
    auto vertical = bool_or(a[1], "vertical", false);
    if (!vertical || !common.read(a.values.data(), { .pr = 0, .pd = 2, .gp = 3, .w = 4, .h = 5 }, *call))
        return nullptr;
    return handle_for(*call,
        append_built(*call, common, Model(NodeKind::Separator, SeparatorModel { .vertical = *vertical })));
}

// tx and ta differ only in Enter inserting a line break.
PyObject* build_text_field(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs,
    PyObject* kwnames, ArgSpec const& spec, bool multiline)
{
    Args<8> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    CommonArgs common;
    auto text = text_or(a[0], "txt");
    auto placeholder = text_or(a[3], "ph");
    if (!text || !placeholder || !common.read(a.values.data(), { .pr = 1, .pd = 4, .gp = 5, .w = 6, .h = 7 }, *call))
        return nullptr;
    TextboxModel box;
    box.caret = box.anchor = text->size();
    box.text = std::move(*text);
    box.placeholder = std::move(*placeholder);
    auto id = append_built(*call, common, Model(NodeKind::Textbox, Boxed<TextboxModel>(std::move(box))));
    if (!id)
        return nullptr;
    Node& node = call->tree().node(*id);
    node.multiline = multiline;
    if (a.given(2)) {
        // The signal hears every edit through the text handler and feeds the text back.
        node.on_submit = submit_text(Push::make(*call, nullptr, a[2]));
        bind_signal(*call, *id, a[2], BindingKind::Text);
    }
    return handle_for(*call, id);
}

PyObject* tx(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.tx", { "txt", "pr", "sig", "ph", "pd", "gp", "w", "h" }, 1, 0 };
    return build_text_field(self, cls, args, nargs, kwnames, spec, false);
}

PyObject* ta(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.ta", { "txt", "pr", "sig", "ph", "pd", "gp", "w", "h" }, 1, 0 };
    return build_text_field(self, cls, args, nargs, kwnames, spec, true);
}

PyObject* spin(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.spin", { "value", "pr", "min", "max", "step", "ch", "pd", "gp", "w", "h" }, 1, 0 };
    Args<10> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    CommonArgs common;
    auto value = f32_or(a[0], "value", 0.0f);
    auto minimum = f32_or(a[2], "min", 0.0f);
    auto maximum = f32_or(a[3], "max", 100.0f);
    auto step = f32_or(a[4], "step", 1.0f);
    if (!value || !minimum || !maximum || !step
        || !common.read(a.values.data(), { .pr = 1, .pd = 6, .gp = 7, .w = 8, .h = 9, .gp_default = 6.0f }, *call))
        return nullptr;
    common.layout.axis = Axis::Horizontal;
    auto id = append_built(*call, common,
        Model(NodeKind::Container, SpinModel { .minimum = *minimum, .maximum = *maximum, .step = *step }));
    if (!id)
        return nullptr;
    // Decrement button, value label, increment button; the label takes the spare width.
    Tree& tree = call->tree();
    LayoutParams button;
    button.w = 32.0f;
    LayoutParams field;
    field.grow = 1.0f;
    NodeId minus = tree.append(*id, Model(NodeKind::Button, ButtonModel { .caption = u"\u2212" }), button);
    tree.append(*id, Model(NodeKind::Label), field);
    NodeId plus = tree.append(*id, Model(NodeKind::Button, ButtonModel { .caption = u"+" }), button);
    NodeId container = *id;
    tree.node(minus).on_activate = [container](Tree& t) { step_spin(t, container, -1); };
    tree.node(plus).on_activate = [container](Tree& t) { step_spin(t, container, 1); };
    set_spin_value(tree, container, *value);
    if (a.given(5))
        tree.node(container).on_change = change_float(Push::make(*call, a[5]));
    return handle_for(*call, id);
}

void add_methods(MethodList& methods)
{
    methods.insert(methods.end(), {
        method<lnk>("lnk",
            "lnk($self, lb=\"\", *, pr=None, clk=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Добавляет ссылку; `clk` вызывается по нажатию."),
        method<sbt>("sbt",
            "sbt($self, lb, opts, *, pr=None, clk=None, ch=None, rad=10.0, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Кнопка с меню; `clk` — основное действие, `ch(i)` — пункт меню."),
        method<tgl>("tgl",
            "tgl($self, lb=\"\", *, pr=None, icon=None, tip=None, on=False, clk=None, sig=None, pd=0.0, gp=0.0, "
            "w=None, h=None)\n--\n\nДобавляет кнопку-переключатель; `clk(on)` при смене состояния."),
        method<ch>("ch",
            "ch($self, lb=\"\", *, pr=None, chk=False, clk=None, sig=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Добавляет флажок; `clk` вызывается после переключения."),
        method<sw>("sw",
            "sw($self, lb=\"\", *, pr=None, on=False, clk=None, sig=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Добавляет переключатель; `clk(on)` при смене состояния."),
        method<rd>("rd",
            "rd($self, lb=\"\", *, pr=None, grp=0, on=False, clk=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Добавляет радиокнопку группы `grp`; `clk()` при выборе."),
        method<sep>("sep",
            "sep($self, *, pr=None, vertical=False, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Добавляет разделитель; `vertical` — вертикальная линия."),
        method<tx>("tx",
            "tx($self, txt=\"\", *, pr=None, sig=None, ph=\"\", pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Добавляет поле ввода; `sig` — сигнал текста, `ph` — подсказка пустого поля."),
        method<ta>("ta",
            "ta($self, txt=\"\", *, pr=None, sig=None, ph=\"\", pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Многострочное поле ввода; Enter — перенос, `ph` — подсказка пустого поля."),
        method<spin>("spin",
            "spin($self, value=0.0, *, pr=None, min=0.0, max=100.0, step=1.0, ch=None, pd=0.0, gp=6.0, w=None, "
            "h=None)\n--\n\nЧисловое поле с кнопками −/+; `ch(value)` при изменении."),
    });
}

WindowMethodsRegistrar const registrar(add_methods);

}

}
