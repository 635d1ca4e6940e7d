// State setters and getters of W; each method's row below is its signature.
// Setters change the tree at once while the window is configuring and queue a
// node request once it runs; getters read the tree and only work while
// configuring.
#include "core/operations/operations.hpp"
#include "python/invoke.hpp"
#include "python/method_table.hpp"

namespace orvy::py {

namespace {

PyObject* queue_text(MethodCall& c, TextMode mode, TextList texts)
{
    c.tree().text_queue.push({ .node = c.node("n"), .mode = mode, .texts = std::move(texts) });
    Py_RETURN_NONE;
}

PyObject* enqueue(MethodCall& c, NodeId node, RequestKind kind, float a = 0, float b = 0, float c_value = 0)
{
    c.tree().enqueue_request({ .node = node, .a = a, .b = b, .c = c_value, .kind = kind });
    Py_RETURN_NONE;
}

// ---- Numeric state

PyObject* set_numeric(MethodCall& c, float value)
{
    NodeId node = c.node("n");
    if (c.running())
        return enqueue(c, node, RequestKind::NumericState, value);
    // A spin field clamps to its bounds and shows the value as text.
    set_numeric_state(c.tree(), node, value);
    Py_RETURN_NONE;
}

PyObject* val(MethodCall& c) { return set_numeric(c, c.f32("value")); }
PyObject* chk(MethodCall& c) { return set_numeric(c, c.flag("on") ? 1.0f : 0.0f); }
PyObject* dd_sel(MethodCall& c) { return set_numeric(c, static_cast<float>(c.index("index"))); }

// ---- Composite values: two or three floats

PyObject* set_composite(MethodCall& c, float a, float b, float c_value = 0)
{
    NodeId node = c.node("n");
    if (c.running())
        return enqueue(c, node, RequestKind::CompositeValue, a, b, c_value);
    set_composite_value(c.tree(), node, a, b, c_value);
    Py_RETURN_NONE;
}

PyObject* cal_set(MethodCall& c) { return set_composite(c, c.f32("y"), c.f32("m"), c.f32("d")); }
PyObject* tm_set(MethodCall& c) { return set_composite(c, c.f32("h"), c.f32("m")); }
PyObject* clr_set(MethodCall& c) { return set_composite(c, c.f32("hue"), c.f32("sat"), c.f32("val")); }
PyObject* rsl_set(MethodCall& c) { return set_composite(c, c.f32("lo"), c.f32("hi")); }

// ---- Texts and items

PyObject* txt(MethodCall& c)
{
    NodeId node = c.node("n");
    Text& text = c.text("text");
    if (c.running()) {
        // A text box takes its text before the next frame update, caret at
        // the end; the other text kinds follow the text queue, as they do
        // for their bindings.
        if (c.tree().node(node).kind() == NodeKind::Textbox) {
            c.tree().pending_text.push({ .node = node, .text = std::move(text) });
            Py_RETURN_NONE;
        }
        return queue_text(c, TextMode::Label, { std::move(text) });
    }
    set_text(c.tree(), node, std::move(text));
    Py_RETURN_NONE;
}

PyObject* items(MethodCall& c)
{
    if (c.running())
        return queue_text(c, TextMode::Items, std::move(c.texts("items")));
    set_items(c.tree(), c.node("n"), std::move(c.texts("items")));
    Py_RETURN_NONE;
}

PyObject* spl_ratio(MethodCall& c)
{
    if (c.running())
        return enqueue(c, c.node("n"), RequestKind::SplitterRatio, c.f32("ratio"));
    set_splitter_ratio(c.tree(), c.node("n"), c.f32("ratio"));
    Py_RETURN_NONE;
}

// ---- Node flags: the node parameter is `node` or `n`, as the row names it.

template<bool (*Apply)(Tree&, NodeId, bool), RequestKind Kind>
PyObject* set_flag(MethodCall& c)
{
    NodeId node = c.node(c.has("node") ? "node" : "n");
    bool on = c.flag("on");
    if (c.running())
        return enqueue(c, node, Kind, on ? 1.0f : 0.0f);
    Apply(c.tree(), node, on);
    Py_RETURN_NONE;
}

// ---- Configuring only

PyObject* crumb_set(MethodCall& c)
{
    if (!c.state().require_configuring())
        return nullptr;
    set_crumbs(c.tree(), c.node("node"), std::move(c.texts("items")));
    Py_RETURN_NONE;
}

PyObject* term_clear(MethodCall& c)
{
    if (!c.state().require_configuring())
        return nullptr;
    clear_term(c.tree(), c.node("node"));
    Py_RETURN_NONE;
}

// ---- Getters (configuring only)

// Checks the phase and hands back the node to read.
Node const* read_node(MethodCall& c)
{
    if (!c.state().require_configuring())
        return nullptr;
    return &c.tree().node(c.node(c.has("node") ? "node" : "n"));
}

PyObject* tv(MethodCall& c)
{
    Node const* node = read_node(c);
    if (!node)
        return nullptr;
    auto const* box = node->kind() == NodeKind::Textbox ? node->model.as<TextboxModel>() : nullptr;
    return text_to_py(box ? box->text.view() : std::u16string_view());
}

// swv, rdv, tglv: the on state of one kind; False for any other kind.
template<NodeKind Kind>
PyObject* toggle_value(MethodCall& c)
{
    Node const* node = read_node(c);
    if (!node)
        return nullptr;
    return new_bool(node->kind() == Kind && node->model.as<ToggleModel>()->on);
}

PyObject* lstv(MethodCall& c)
{
    Node const* node = read_node(c);
    if (!node)
        return nullptr;
    auto const* list = node->kind() == NodeKind::List ? node->model.as<ListModel>() : nullptr;
    std::int64_t current = list && list->current ? std::int64_t { *list->current } : -1;
    return to_py(current);
}

PyObject* crumb_get(MethodCall& c)
{
    Node const* node = read_node(c);
    if (!node)
        return nullptr;
    auto const* crumbs = node->kind() == NodeKind::Crumbs ? node->model.as<ItemsModel>() : nullptr;
    return text_list_to_py(crumbs ? crumbs->items : TextList {});
}

PyObject* tre_opened(MethodCall& c)
{
    Node const* node = read_node(c);
    if (!node)
        return nullptr;
    std::vector<std::uint32_t> opened;
    if (auto const* view = node->kind() == NodeKind::Treeview ? node->model.as<TreeviewModel>() : nullptr) {
        for (std::size_t i = 0; i < view->rows.size(); ++i) {
            if (view->rows[i].open && !view->rows[i].leaf)
                opened.push_back(static_cast<std::uint32_t>(i));
        }
    }
    return to_py(opened);
}

WindowMethodsRegistrar const registrar {
    row<val>("val", "Задаёт числовое состояние виджета; колбэк не вызывается.", { node("n"), real("value") }),
    row<chk>("chk", "Состояние флажка, переключателя, тумблера или радиокнопки.",
        { node("n"), flag("on", true) }),
    row<dd_sel>("dd_sel", "Выбранный пункт выпадающего списка, вкладки или списка.",
        { node("n"), index("index") }),
    row<cal_set>("cal_set", "Дата календаря.", { node("n"), real("y"), real("m"), real("d") }),
    row<tm_set>("tm_set", "Время часов и минут.", { node("n"), real("h"), real("m") }),
    row<clr_set>("clr_set", "Цвет палитры в HSV, каждый канал 0..1.",
        { node("n"), real("hue"), real("sat"), real("val") }),
    row<rsl_set>("rsl_set", "Границы двойного ползунка, 0..1.", { node("n"), real("lo"), real("hi") }),
    row<txt>("txt", "Текст поля ввода; каретка встаёт в конец, выделение снимается.",
        { node("n"), text("text") }),
    row<items>("items", "Пункты выпадающего списка или списка; выбор сбрасывается.",
        { node("n"), texts("items") }),
    row<spl_ratio>("spl_ratio", "Задаёт долю первой области разделителя: `spl_ratio(node, 0.3)`.",
        { node("n"), real("ratio") }),
    row<set_flag<set_ghost, RequestKind::Ghost>>("ghost",
        "Делает узел прозрачным для мыши; клики проходят насквозь.", { node("node"), flag("on", true) }),
    row<set_flag<set_front, RequestKind::Front>>("front",
        "Поднимает узел поверх соседей при нажатии внутри него.", { node("node"), flag("on", true) }),
    row<set_flag<set_enabled, RequestKind::Enable>>("enable", "Доступность узла и всего его поддерева.",
        { node("n"), flag("on", true) }),
    row<set_flag<set_password, RequestKind::Password>>("pwd",
        "Показывает содержимое поля точками, не меняя значения.", { node("n"), flag("on", true) }),
    row<crumb_set>("crumb_set", "Задаёт элементы хлебных крошек узла.", { node("node"), texts("items") }),
    row<term_clear>("term_clear", "Очищает вывод терминала.", { node("node") }),
    row<tv>("tv", "Возвращает текущий текст поля ввода.", { node("n") }),
    row<toggle_value<NodeKind::Switch>>("swv", "Возвращает состояние переключателя.", { node("n") }),
    row<toggle_value<NodeKind::Radio>>("rdv", "Возвращает состояние радиокнопки.", { node("n") }),
    row<toggle_value<NodeKind::Toggle>>("tglv", "Возвращает состояние кнопки-переключателя.", { node("n") }),
    row<lstv>("lstv", "Возвращает выбранный пункт списка или -1.", { node("n") }),
    row<crumb_get>("crumb_get", "Возвращает элементы хлебных крошек узла.", { node("node") }),
    row<tre_opened>("tre_opened", "Индексы раскрытых строк дерева.", { node("node") }),
};

}

}
