// Builders of clickable controls, text fields and the spin field; the rows are their signatures.
#include "core/operations/operations.hpp"
#include "python/method_table.hpp"

namespace orvy::py {

namespace {

PyObject* lnk(MethodCall& c) { return c.build(Model(NodeKind::Link, TextModel { .text = std::move(c.text("lb")) })); }

PyObject* sbt(MethodCall& c)
{
    return c.build(Model(NodeKind::Split, Boxed<SplitModel>({ .caption = std::move(c.text("lb")),
        .options = std::move(c.texts("opts")), .radius = c.f32("rad") })));
}

// The on/off widgets: caption and initial state (`state` names it); a radio
// button also has a group. Turning on through the state setter keeps a radio
// group exclusive.
PyObject* build_toggle(MethodCall& c, NodeKind kind, char const* state = "on")
{
    std::int32_t group = c.has("grp") ? c.i32("grp") : 0;
    auto id = c.append(Model(kind, ToggleModel { .caption = std::move(c.text("lb")), .group = group }));
    if (id && c.flag(state))
        set_numeric_state(c.tree(), *id, 1.0f);
    return c.finish(id);
}

PyObject* tgl(MethodCall& c) { return build_toggle(c, NodeKind::Toggle); }
PyObject* ch(MethodCall& c) { return build_toggle(c, NodeKind::Checkbox, "chk"); }
PyObject* sw(MethodCall& c) { return build_toggle(c, NodeKind::Switch); }
PyObject* rd(MethodCall& c) { return build_toggle(c, NodeKind::Radio); }

PyObject* sep(MethodCall& c) { return c.build(Model(NodeKind::Separator, SeparatorModel { .vertical = c.flag("vertical") })); }

// tx and ta differ only in Enter inserting a line break.
PyObject* build_text_field(MethodCall& c, bool multiline)
{
    TextboxModel box;
    box.caret = box.anchor = c.text("txt").size();
    box.text = std::move(c.text("txt"));
    box.placeholder = std::move(c.text("ph"));
    auto id = c.append(Model(NodeKind::Textbox, Boxed<TextboxModel>(std::move(box))));
    if (id)
        c.tree().node(*id).multiline = multiline;
    // The signal hears every edit through the text handler and feeds the text back.
    if (id && c.given("sig"))
        c.tree().node(*id).extras_mut().on_submit = submit_text(Push::make(c.window(), nullptr, c.object("sig")));
    return c.finish(id);
}

PyObject* tx(MethodCall& c) { return build_text_field(c, false); }
PyObject* ta(MethodCall& c) { return build_text_field(c, true); }

PyObject* spin(MethodCall& c)
{
    CommonArgs common = c.common();
    common.layout.axis = Axis::Horizontal;
    auto id = append_built(c.window(), common,
        Model(NodeKind::Container, SpinModel { .minimum = c.f32("min"), .maximum = c.f32("max"), .step = c.f32("step") }));
    if (!id)
        return nullptr;
    // Decrement button, value label, increment button; the label takes the spare width.
    Tree& tree = c.tree();
    NodeId container = *id;
    auto button = [&](char16_t const* caption, int step) {
        NodeId at = tree.append(container, Model(NodeKind::Button, ButtonModel { .caption = caption }), { .w = 32.0f });
        tree.node(at).extras_mut().on_activate = [container, step](Tree& t) { step_spin(t, container, step); };
    };
    button(u"\u2212", -1);
    tree.append(container, Model(NodeKind::Label), { .grow = 1.0f });
    button(u"+", 1);
    set_spin_value(tree, container, c.f32("value"));
    return c.finish(id);
}

WindowMethodsRegistrar const registrar {
    row<lnk>("lnk", "Добавляет ссылку; `clk` вызывается по нажатию.",
        { text("lb", ""), keyword_only, parent, on_activate<activate_plain>("clk"), box() }),
    row<sbt>("sbt", "Кнопка с меню; `clk` — основное действие, `ch(i)` — пункт меню.",
        { text("lb"), texts("opts"), keyword_only, parent, on_activate<activate_plain>("clk"),
            on_change<change_index>("ch"), real("rad", 10.0), box() }),
    row<tgl>("tgl", "Добавляет кнопку-переключатель; `clk(on)` при смене состояния.",
        { text("lb", ""), keyword_only, parent, optional_text("icon"), optional_text("tip"), flag("on", false),
            on_change<change_bool>("clk"), signal(BindingKind::Value), box() }),
    row<ch>("ch", "Добавляет флажок; `clk` вызывается после переключения.",
        { text("lb", ""), keyword_only, parent, flag("chk", false), on_activate<activate_checkbox>("clk"),
            signal(BindingKind::Value), box() }),
    row<sw>("sw", "Добавляет переключатель; `clk(on)` при смене состояния.",
        { text("lb", ""), keyword_only, parent, flag("on", false), on_change<change_bool>("clk"),
            signal(BindingKind::Value), box() }),
    row<rd>("rd", "Добавляет радиокнопку группы `grp`; `clk()` при выборе.",
        { text("lb", ""), keyword_only, parent, integer("grp", 0), flag("on", false),
            on_change<change_plain>("clk"), box() }),
    row<sep>("sep", "Добавляет разделитель; `vertical` — вертикальная линия.",
        { keyword_only, parent, flag("vertical", false), box() }),
    row<tx>("tx", "Добавляет поле ввода; `sig` — сигнал текста, `ph` — подсказка пустого поля.",
        { text("txt", ""), keyword_only, parent, signal(BindingKind::Text), text("ph", ""), box() }),
    row<ta>("ta", "Многострочное поле ввода; Enter — перенос, `ph` — подсказка пустого поля.",
        { text("txt", ""), keyword_only, parent, signal(BindingKind::Text), text("ph", ""), box() }),
    row<spin>("spin", "Числовое поле с кнопками −/+; `ch(value)` при изменении.",
        { real("value", 0.0), keyword_only, parent, real("min", 0.0), real("max", 100.0), real("step", 1.0),
            on_change<change_float>("ch"), box(0.0, 6.0) }),
};

}

}
