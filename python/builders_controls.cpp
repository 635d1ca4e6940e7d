// Builders of clickable controls, text fields and the spin field; each method's row below is its
// signature.
#include "core/models/operations.hpp"
#include "python/method_table.hpp"
#include "python/push_callbacks.hpp"

namespace orvy::py {

namespace {

PyObject* lnk(MethodCall& c)
{
    auto id = c.append(Model(NodeKind::Link, TextModel { .text = std::move(c.text("lb")) }));
    if (id && c.given("clk"))
        c.tree().node(*id).extras_mut().on_activate = activate_plain(c.push("clk"));
    return c.node_handle(id);
}

PyObject* sbt(MethodCall& c)
{
    auto id = c.append(Model(NodeKind::Split,
        Boxed<SplitModel>({ .caption = std::move(c.text("lb")), .options = std::move(c.texts("opts")),
            .radius = c.f32("rad") })));
    if (!id)
        return nullptr;
    Node& node = c.tree().node(*id);
    if (c.given("clk"))
        node.extras_mut().on_activate = activate_plain(c.push("clk"));
    if (c.given("ch"))
        node.extras_mut().on_change = change_index(c.push("ch"));
    return c.node_handle(id);
}

// The on/off widgets: caption and initial state (`state` names it); a radio
// button also has a group.
std::optional<NodeId> build_toggle(MethodCall& c, NodeKind kind, char const* state)
{
    std::int32_t group = c.has("grp") ? c.i32("grp") : 0;
    auto id = c.append(Model(kind, ToggleModel { .caption = std::move(c.text("lb")), .group = group }));
    // Turning on through the state setter keeps a radio group exclusive.
    if (id && c.flag(state))
        set_numeric_state(c.tree(), *id, 1.0f);
    return id;
}

// `clk` and `sig` hear the changes of the on/off widgets; the signal also feeds the state back.
PyObject* finish_toggle(MethodCall& c, std::optional<NodeId> id, bool checkbox)
{
    if (!id)
        return nullptr;
    if (c.given("clk") || c.given("sig")) {
        Push push = c.push("clk", "sig");
        if (checkbox)
            c.tree().node(*id).extras_mut().on_activate = activate_checkbox(std::move(push), *id);
        else
            c.tree().node(*id).extras_mut().on_change = change_bool(std::move(push));
    }
    c.bind(*id, c.object("sig"), BindingKind::Value);
    return c.node_handle(id);
}

PyObject* tgl(MethodCall& c) { return finish_toggle(c, build_toggle(c, NodeKind::Toggle, "on"), false); }

PyObject* ch(MethodCall& c) { return finish_toggle(c, build_toggle(c, NodeKind::Checkbox, "chk"), true); }

PyObject* sw(MethodCall& c) { return finish_toggle(c, build_toggle(c, NodeKind::Switch, "on"), false); }

PyObject* rd(MethodCall& c)
{
    auto id = build_toggle(c, NodeKind::Radio, "on");
    if (id && c.given("clk"))
        c.tree().node(*id).extras_mut().on_change = change_plain(c.push("clk"));
    return c.node_handle(id);
}

PyObject* sep(MethodCall& c)
{
    return c.node_handle(c.append(Model(NodeKind::Separator, SeparatorModel { .vertical = c.flag("vertical") })));
}

// tx and ta differ only in Enter inserting a line break.
PyObject* build_text_field(MethodCall& c, bool multiline)
{
    TextboxModel box;
    box.caret = box.anchor = c.text("txt").size();
    box.text = std::move(c.text("txt"));
    box.placeholder = std::move(c.text("ph"));
    auto id = c.append(Model(NodeKind::Textbox, Boxed<TextboxModel>(std::move(box))));
    if (!id)
        return nullptr;
    Node& node = c.tree().node(*id);
    node.multiline = multiline;
    if (c.given("sig")) {
        // The signal hears every edit through the text handler and feeds the text back.
        node.extras_mut().on_submit = submit_text(Push::make(c.window(), nullptr, c.object("sig")));
        c.bind(*id, c.object("sig"), BindingKind::Text);
    }
    return c.node_handle(id);
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
    LayoutParams button;
    button.w = 32.0f;
    LayoutParams field;
    field.grow = 1.0f;
    NodeId minus = tree.append(*id, Model(NodeKind::Button, ButtonModel { .caption = u"\u2212" }), button);
    tree.append(*id, Model(NodeKind::Label), field);
    NodeId plus = tree.append(*id, Model(NodeKind::Button, ButtonModel { .caption = u"+" }), button);
    NodeId container = *id;
    tree.node(minus).extras_mut().on_activate = [container](Tree& t) { step_spin(t, container, -1); };
    tree.node(plus).extras_mut().on_activate = [container](Tree& t) { step_spin(t, container, 1); };
    set_spin_value(tree, container, c.f32("value"));
    if (c.given("ch"))
        tree.node(container).extras_mut().on_change = change_float(c.push("ch"));
    return c.node_handle(id);
}

void add_methods(MethodList& methods)
{
    declare(methods, {
        row<lnk>("lnk", "Добавляет ссылку; `clk` вызывается по нажатию.",
            { text("lb", ""), keyword_only, parent, object("clk"), box() }),
        row<sbt>("sbt", "Кнопка с меню; `clk` — основное действие, `ch(i)` — пункт меню.",
            { text("lb"), texts("opts"), keyword_only, parent, object("clk"), object("ch"), real("rad", 10.0), box() }),
        row<tgl>("tgl", "Добавляет кнопку-переключатель; `clk(on)` при смене состояния.",
            { text("lb", ""), keyword_only, parent, optional_text("icon"), optional_text("tip"), flag("on", false),
                object("clk"), object("sig"), box() }),
        row<ch>("ch", "Добавляет флажок; `clk` вызывается после переключения.",
            { text("lb", ""), keyword_only, parent, flag("chk", false), object("clk"), object("sig"), box() }),
        row<sw>("sw", "Добавляет переключатель; `clk(on)` при смене состояния.",
            { text("lb", ""), keyword_only, parent, flag("on", false), object("clk"), object("sig"), box() }),
        row<rd>("rd", "Добавляет радиокнопку группы `grp`; `clk()` при выборе.",
            { text("lb", ""), keyword_only, parent, integer("grp", 0), flag("on", false), object("clk"), box() }),
        row<sep>("sep", "Добавляет разделитель; `vertical` — вертикальная линия.",
            { keyword_only, parent, flag("vertical", false), box() }),
        row<tx>("tx", "Добавляет поле ввода; `sig` — сигнал текста, `ph` — подсказка пустого поля.",
            { text("txt", ""), keyword_only, parent, object("sig"), text("ph", ""), box() }),
        row<ta>("ta", "Многострочное поле ввода; Enter — перенос, `ph` — подсказка пустого поля.",
            { text("txt", ""), keyword_only, parent, object("sig"), text("ph", ""), box() }),
        row<spin>("spin", "Числовое поле с кнопками −/+; `ch(value)` при изменении.",
            { real("value", 0.0), keyword_only, parent, real("min", 0.0), real("max", 100.0), real("step", 1.0),
                object("ch"), box(0.0, 6.0) }),
    });
}

WindowMethodsRegistrar const registrar(add_methods);

}

}
