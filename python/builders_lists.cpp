// Builders of item-carrying widgets; each method's row below is its signature.
#include "core/operations/operations.hpp"
#include "python/method_table.hpp"

namespace orvy::py {

namespace {

PyObject* crumb(MethodCall& c) { return c.build(Model(NodeKind::Crumbs, ItemsModel { .items = std::move(c.texts("items")) })); }

PyObject* dd(MethodCall& c)
{
    auto id = c.append(Model(NodeKind::Dropdown, ChoiceModel { .items = std::move(c.texts("options")) }));
    if (id)
        set_numeric_state(c.tree(), *id, static_cast<float>(c.index("sel")));
    return c.finish(id);
}

// One index, or a list of them.
std::optional<std::vector<std::uint32_t>> to_selection(PyObject* value, char const* name)
{
    if (!PyLong_Check(value))
        return to_index_list(value, name);
    auto index = to_index(value, name);
    return index ? std::optional(std::vector { static_cast<std::uint32_t>(*index) }) : std::nullopt;
}

PyObject* lst(MethodCall& c)
{
    auto id = c.append(
        Model(NodeKind::List, Boxed<ListModel>({ .items = std::move(c.texts("items")), .multi = c.flag("multi") })));
    auto& selection = c.get<std::vector<std::uint32_t>>("sel");
    if (id && !selection.empty())
        set_selection(c.tree(), *id, selection);
    return c.finish(id);
}

// Two positional parameters take (row, column) from each cell click;
// anything else is the plain row callback.
void wire_table_change(MethodCall& c, NodeId id, char const* name)
{
    if (positional_parameter_count(*c.module, c.object(name)) >= 2)
        c.tree().register_event(id, UiEvent::RowClick, event_cell(c.push(name)));
    else
        c.tree().node(id).extras_mut().on_change = change_index(c.push(name));
}

PyObject* tbl(MethodCall& c)
{
    auto id = c.append(Model(NodeKind::Table, Boxed<TableModel>({ .columns = { .titles = std::move(c.texts("columns")) },
        .rows = std::move(c.get<TextRows>("rows")), .row_line = c.f32("hl"), .column_line = c.f32("vl") })));
    if (id && c.given("bg"))
        c.state().kept_objects.push_back({ *id, PyRef::borrow(c.object("bg")) });
    return c.finish(id);
}

PyObject* tre(MethodCall& c)
{
    return c.build(Model(NodeKind::Treeview, Boxed<TreeviewModel>({ .rows = std::move(c.get<std::vector<TreeRow>>("items")),
        .multi = c.flag("multi"),
        .columns = { .titles = std::move(c.texts("cols")), .widths = std::move(c.reals("widths")) } })));
}

PyObject* pg(MethodCall& c)
{
    return c.build(Model(NodeKind::Propgrid, PropgridModel { .rows = std::move(c.get<PropertyRows>("rows")) }));
}

PyObject* mb(MethodCall& c)
{
    return c.build(Model(NodeKind::Menubar, MenubarModel { .menus = std::move(c.get<std::vector<Menu>>("menus")) }));
}

WindowMethodsRegistrar const registrar {
    row<crumb>("crumb", "Хлебные крошки; клик обрезает путь, `ch(i)`.",
        { texts("items"), keyword_only, parent, on_change<change_index>("ch"), box() }),
    row<dd>("dd", "Добавляет выпадающий список; `ch(index)` при выборе.",
        { texts("options"), keyword_only, parent, index("sel", 0), on_change<change_index>("ch"),
            signal(BindingKind::Value), box() }),
    row<lst>("lst", "Добавляет список; `ch` — индекс, при `multi` — список индексов.",
        { texts("items"), keyword_only, parent, structured<to_selection>("sel", Default::Kind::None),
            flag("multi", false), on_event<UiEvent::SelectionChanged, event_list_selection>("ch"), box() }),
    row<tbl>("tbl", "Добавляет таблицу; `hl`/`vl` — толщина разделителей строк и столбцов.",
        { texts("columns"), structured<to_table_rows>("rows"), keyword_only, parent,
            callback("ch", wire_table_change), object("bg"), real("hl", 0.0), real("vl", 0.0), box() }),
    row<tre>("tre", "Дерево; строка — кортеж `(глубина, текст, лист)` либо словарь.",
        { structured<to_tree_rows>("items"), keyword_only, parent, optional_texts("cols"),
            optional_reals("widths"), flag("multi", false), bound("bind", BindingKind::TreeRows),
            on_event<UiEvent::SelectionChanged, event_tree_selection>("ch"),
            on_event<UiEvent::RowClick, event_cell>("clk"), on_event<UiEvent::RowDoubleClick, event_cell>("dbl"),
            on_event<UiEvent::RowOpened, event_opened>("on_open"), box() }),
    row<pg>("pg", "Таблица свойств «ключ — значение»; `bind` — колбэк списка пар.",
        { structured<to_property_rows>("rows"), keyword_only, parent, bound("bind", BindingKind::Propgrid),
            on_change<change_index>("ch"), box() }),
    row<mb>("mb", "Строка меню; `on_select(menu, item)` при выборе пункта.",
        { structured<to_menus>("menus"), keyword_only, parent, on_change<change_menubar>("on_select"), box() }),
};

}

}
