// Builders of item-carrying widgets; each method's row below is its signature.
#include "core/models/operations.hpp"
#include "python/item_formats.hpp"
#include "python/method_table.hpp"
#include "python/push_callbacks.hpp"

namespace orvy::py {

namespace {

PyObject* crumb(MethodCall& c)
{
    auto id = c.append(Model(NodeKind::Crumbs, ItemsModel { .items = std::move(c.texts("items")) }));
    if (id && c.given("ch"))
        c.tree().node(*id).extras_mut().on_change = change_index(c.push("ch"));
    return c.node_handle(id);
}

PyObject* dd(MethodCall& c)
{
    auto id = c.append(Model(NodeKind::Dropdown, ChoiceModel { .items = std::move(c.texts("options")) }));
    if (!id)
        return nullptr;
    set_numeric_state(c.tree(), *id, static_cast<float>(c.index("sel")));
    if (c.given("ch") || c.given("sig"))
        c.tree().node(*id).extras_mut().on_change = change_index(c.push("ch", "sig"));
    c.bind(*id, c.object("sig"), BindingKind::Value);
    return c.node_handle(id);
}

// One index, or a list of them.
std::optional<std::vector<std::uint32_t>> to_selection(PyObject* value)
{
    if (!value || value == Py_None)
        return std::vector<std::uint32_t> {};
    if (!PyLong_Check(value))
        return to_index_list(value, "sel");
    auto index = to_index(value, "sel");
    if (!index)
        return std::nullopt;
    return std::vector { static_cast<std::uint32_t>(*index) };
}

PyObject* lst(MethodCall& c)
{
    auto selection = to_selection(c.object("sel"));
    if (!selection)
        return nullptr;
    ListModel list;
    list.items = std::move(c.texts("items"));
    list.multi = c.flag("multi");
    auto id = c.append(Model(NodeKind::List, Boxed<ListModel>(std::move(list))));
    if (!id)
        return nullptr;
    if (!selection->empty())
        set_selection(c.tree(), *id, *selection);
    if (c.given("ch"))
        c.tree().register_event(*id, UiEvent::SelectionChanged, event_list_selection(c.push("ch"), *id));
    return c.node_handle(id);
}

PyObject* tbl(MethodCall& c)
{
    auto rows = to_table_rows(c.object("rows"), "rows");
    if (!rows)
        return nullptr;
    TableModel table;
    table.columns.titles = std::move(c.texts("columns"));
    table.rows = std::move(*rows);
    table.row_line = c.f32("hl");
    table.column_line = c.f32("vl");
    auto id = c.append(Model(NodeKind::Table, Boxed<TableModel>(std::move(table))));
    if (!id)
        return nullptr;
    // Two positional parameters take (row, column) from each cell click;
    // anything else is the plain row callback.
    if (c.given("ch") && positional_parameter_count(*c.window().module, c.object("ch")) >= 2)
        c.tree().register_event(*id, UiEvent::RowClick, event_cell(c.push("ch")));
    else if (c.given("ch"))
        c.tree().node(*id).extras_mut().on_change = change_index(c.push("ch"));
    if (c.given("bg"))
        c.state().kept_objects.push_back({ *id, PyRef::borrow(c.object("bg")) });
    return c.node_handle(id);
}

PyObject* tre(MethodCall& c)
{
    auto rows = to_tree_rows(c.object("items"), "items");
    if (!rows)
        return nullptr;
    TreeviewModel view;
    view.rows = std::move(*rows);
    view.multi = c.flag("multi");
    view.columns.titles = std::move(c.texts("cols"));
    view.columns.widths = std::move(c.reals("widths"));
    auto id = c.append(Model(NodeKind::Treeview, Boxed<TreeviewModel>(std::move(view))));
    if (!id)
        return nullptr;
    Tree& tree = c.tree();
    c.bind(*id, c.object("bind"), BindingKind::TreeRows);
    if (c.given("ch"))
        tree.register_event(*id, UiEvent::SelectionChanged, event_tree_selection(c.push("ch"), *id));
    constexpr std::pair<char const*, UiEvent> row_events[] = {
        { "clk", UiEvent::RowClick }, { "dbl", UiEvent::RowDoubleClick } };
    for (auto [name, event] : row_events) {
        if (c.given(name))
            tree.register_event(*id, event, event_cell(c.push(name)));
    }
    if (c.given("on_open"))
        tree.register_event(*id, UiEvent::RowOpened, event_opened(c.push("on_open")));
    return c.node_handle(id);
}

PyObject* pg(MethodCall& c)
{
    auto rows = to_property_rows(c.object("rows"), "rows");
    if (!rows)
        return nullptr;
    auto id = c.append(Model(NodeKind::Propgrid, PropgridModel { .rows = std::move(*rows) }));
    if (!id)
        return nullptr;
    c.bind(*id, c.object("bind"), BindingKind::Propgrid);
    if (c.given("ch"))
        c.tree().node(*id).extras_mut().on_change = change_index(c.push("ch"));
    return c.node_handle(id);
}

PyObject* mb(MethodCall& c)
{
    auto menus = to_menus(c.object("menus"), "menus");
    if (!menus)
        return nullptr;
    auto id = c.append(Model(NodeKind::Menubar, MenubarModel { .menus = std::move(*menus), .open_menu = std::nullopt }));
    if (id && c.given("on_select"))
        c.tree().node(*id).extras_mut().on_change = change_menubar(c.push("on_select"));
    return c.node_handle(id);
}

void add_methods(MethodList& methods)
{
    declare(methods, {
        row<crumb>("crumb", "Хлебные крошки; клик обрезает путь, `ch(i)`.",
            { texts("items"), keyword_only, parent, object("ch"), box() }),
        row<dd>("dd", "Добавляет выпадающий список; `ch(index)` при выборе.",
            { texts("options"), keyword_only, parent, index("sel", 0), object("ch"), object("sig"), box() }),
        row<lst>("lst", "Добавляет список; `ch` — индекс, при `multi` — список индексов.",
            { texts("items"), keyword_only, parent, object("sel"), flag("multi", false), object("ch"), box() }),
        row<tbl>("tbl", "Добавляет таблицу; `hl`/`vl` — толщина разделителей строк и столбцов.",
            { texts("columns"), required_object("rows"), keyword_only, parent, object("ch"), object("bg"),
                real("hl", 0.0), real("vl", 0.0), box() }),
        row<tre>("tre", "Дерево; строка — кортеж `(глубина, текст, лист)` либо словарь.",
            { required_object("items"), keyword_only, parent, optional_texts("cols"), optional_reals("widths"),
                flag("multi", false), object("bind"), object("ch"), object("clk"), object("dbl"), object("on_open"),
                box() }),
        row<pg>("pg", "Таблица свойств «ключ — значение»; `bind` — колбэк списка пар.",
            { required_object("rows"), keyword_only, parent, object("bind"), object("ch"), box() }),
        row<mb>("mb", "Строка меню; `on_select(menu, item)` при выборе пункта.",
            { required_object("menus"), keyword_only, parent, object("on_select"), box() }),
    });
}

WindowMethodsRegistrar const registrar(add_methods);

}

}
