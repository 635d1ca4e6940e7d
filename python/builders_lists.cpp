// Builders of item-carrying widgets:
//     W.crumb(items, *, pr=None, ch=None, ...) -> N
//     W.dd(options, *, pr=None, sel=0, ch=None, sig=None, ...) -> N
//     W.lst(items, *, pr=None, sel=None, multi=False, ch=None, ...) -> N
//     W.tbl(columns, rows, *, pr=None, ch=None, bg=None, hl=0.0, vl=0.0, ...) -> N
//     W.tre(items, *, pr=None, cols=None, widths=None, multi=False, bind=None, ch=None, clk=None, dbl=None,
//           on_open=None, ...) -> N
//     W.pg(rows, *, pr=None, bind=None, ch=None, ...) -> N
//     W.mb(menus, *, pr=None, on_select=None, ...) -> N
// ("..." is pd=0.0, gp=0.0, w=None, h=None.)
#include "core/models/models.hpp"
#include "python/builder.hpp"
#include "python/item_formats.hpp"
#include "python/push_callbacks.hpp"

namespace orvy::py {

namespace {

PyObject* crumb(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.crumb", { "items", "pr", "ch", "pd", "gp", "w", "h" }, 1, 1 };
    Args<7> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto items = to_text_list(a[0], "items");
    if (!items)
        return nullptr;
    auto id = append_with_common(*call, a.values.data(), { .pr = 1, .pd = 3, .gp = 4, .w = 5, .h = 6 },
        Model(NodeKind::Crumbs, ItemsModel { .items = std::move(*items) }));
    if (id && a.given(2))
        call->tree().node(*id).on_change = change_index(Push::make(*call, a[2]));
    return handle_for(*call, id);
}

PyObject* dd(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.dd", { "options", "pr", "sel", "ch", "sig", "pd", "gp", "w", "h" }, 1, 1 };
    Args<9> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto options = to_text_list(a[0], "options");
    auto selected = a[2] ? to_index(a[2], "sel") : std::optional<std::uint64_t>(0);
    if (!options || !selected)
        return nullptr;
    auto id = append_with_common(*call, a.values.data(), { .pr = 1, .pd = 5, .gp = 6, .w = 7, .h = 8 },
        Model(NodeKind::Dropdown, ChoiceModel { .items = std::move(*options) }));
    if (!id)
        return nullptr;
    set_numeric_state(call->tree(), *id, static_cast<float>(*selected));
    if (a.given(3) || a.given(4))
        call->tree().node(*id).on_change = change_index(Push::make(*call, a[3], a[4]));
    bind_to(*call, *id, a[4], BindingKind::Value);
    return handle_for(*call, id);
}

PyObject* lst(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.lst", { "items", "pr", "sel", "multi", "ch", "pd", "gp", "w", "h" }, 1, 1 };
    Args<9> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto items = to_text_list(a[0], "items");
    auto multi = bool_or(a[3], "multi", false);
    // One index, or a list of them.
    std::optional<std::vector<std::uint32_t>> selection = std::vector<std::uint32_t> {};
    if (a.given(2)) {
        if (PyLong_Check(a[2])) {
            auto index = to_index(a[2], "sel");
            selection = index ? std::optional(std::vector { static_cast<std::uint32_t>(*index) }) : std::nullopt;
        } else {
            selection = to_index_list(a[2], "sel");
        }
    }
    if (!items || !multi || !selection)
        return nullptr;
    ListModel list;
    list.items = std::move(*items);
    list.multi = *multi;
    auto id = append_with_common(*call, a.values.data(), { .pr = 1, .pd = 5, .gp = 6, .w = 7, .h = 8 },
        Model(NodeKind::List, Boxed<ListModel>(std::move(list))));
    if (!id)
        return nullptr;
    if (!selection->empty())
        set_selection(call->tree(), *id, *selection);
    if (a.given(4))
        call->tree().register_event(*id, UiEvent::SelectionChanged, event_list_selection(Push::make(*call, a[4]), *id));
    return handle_for(*call, id);
}

PyObject* tbl(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec {
        "W.tbl", { "columns", "rows", "pr", "ch", "bg", "hl", "vl", "pd", "gp", "w", "h" }, 2, 2
    };
    Args<11> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto columns = to_text_list(a[0], "columns");
    auto rows = to_table_rows(a[1], "rows");
    auto row_line = f32_or(a[5], "hl", 0.0f);
    auto column_line = f32_or(a[6], "vl", 0.0f);
    if (!columns || !rows || !row_line || !column_line)
        return nullptr;
    TableModel table;
    table.columns.titles = std::move(*columns);
    table.rows = std::move(*rows);
    table.row_line = *row_line;
    table.column_line = *column_line;
    auto id = append_with_common(*call, a.values.data(), { .pr = 2, .pd = 7, .gp = 8, .w = 9, .h = 10 },
        Model(NodeKind::Table, Boxed<TableModel>(std::move(table))));
    if (!id)
        return nullptr;
    if (a.given(3)) {
        // Two positional parameters take (row, column) from each cell click;
        // anything else is the plain row callback.
        if (positional_parameter_count(*call->module, a[3]) >= 2)
            call->tree().register_event(*id, UiEvent::RowClick, event_cell(Push::make(*call, a[3])));
        else
            call->tree().node(*id).on_change = change_index(Push::make(*call, a[3]));
    }
    if (a.given(4))
        call->state().kept_objects.push_back({ *id, PyRef::borrow(a[4]) });
    return handle_for(*call, id);
}

PyObject* tre(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.tre",
        { "items", "pr", "cols", "widths", "multi", "bind", "ch", "clk", "dbl", "on_open", "pd", "gp", "w", "h" }, 1, 1 };
    Args<14> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto rows = to_tree_rows(a[0], "items");
    auto titles = a.given(2) ? to_text_list(a[2], "cols") : std::optional<TextList>(TextList {});
    auto widths = a.given(3) ? to_f32_list(a[3], "widths") : std::optional<std::vector<float>>(std::vector<float> {});
    auto multi = bool_or(a[4], "multi", false);
    if (!rows || !titles || !widths || !multi)
        return nullptr;
    TreeviewModel view;
    view.rows = std::move(*rows);
    view.multi = *multi;
    view.columns.titles = std::move(*titles);
    view.columns.widths = std::move(*widths);
    auto id = append_with_common(*call, a.values.data(), { .pr = 1, .pd = 10, .gp = 11, .w = 12, .h = 13 },
        Model(NodeKind::Treeview, Boxed<TreeviewModel>(std::move(view))));
    if (!id)
        return nullptr;
    Tree& tree = call->tree();
    bind_to(*call, *id, a[5], BindingKind::TreeRows);
    if (a.given(6))
        tree.register_event(*id, UiEvent::SelectionChanged, event_tree_selection(Push::make(*call, a[6]), *id));
    if (a.given(7))
        tree.register_event(*id, UiEvent::RowClick, event_cell(Push::make(*call, a[7])));
    if (a.given(8))
        tree.register_event(*id, UiEvent::RowDoubleClick, event_cell(Push::make(*call, a[8])));
    if (a.given(9))
        tree.register_event(*id, UiEvent::RowOpened, event_opened(Push::make(*call, a[9])));
    return handle_for(*call, id);
}

PyObject* pg(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.pg", { "rows", "pr", "bind", "ch", "pd", "gp", "w", "h" }, 1, 1 };
    Args<8> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto rows = to_property_rows(a[0], "rows");
    if (!rows)
        return nullptr;
    auto id = append_with_common(*call, a.values.data(), { .pr = 1, .pd = 4, .gp = 5, .w = 6, .h = 7 },
        Model(NodeKind::Propgrid, PropgridModel { .rows = std::move(*rows) }));
    if (!id)
        return nullptr;
    bind_to(*call, *id, a[2], BindingKind::Propgrid);
    if (a.given(3))
        call->tree().node(*id).on_change = change_index(Push::make(*call, a[3]));
    return handle_for(*call, id);
}

PyObject* mb(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.mb", { "menus", "pr", "on_select", "pd", "gp", "w", "h" }, 1, 1 };
    Args<7> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto menus = to_menus(a[0], "menus");
    if (!menus)
        return nullptr;
    auto id = append_with_common(*call, a.values.data(), { .pr = 1, .pd = 3, .gp = 4, .w = 5, .h = 6 },
        Model(NodeKind::Menubar, MenubarModel { .menus = std::move(*menus), .open_menu = std::nullopt }));
    if (id && a.given(2))
        call->tree().node(*id).on_change = change_menubar(Push::make(*call, a[2]));
    return handle_for(*call, id);
}

void add_methods(MethodList& methods)
{
    methods.insert(methods.end(), {
        method<crumb>("crumb",
            "crumb($self, items, *, pr=None, ch=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Хлебные крошки; клик обрезает путь, `ch(i)`."),
        method<dd>("dd",
            "dd($self, options, *, pr=None, sel=0, ch=None, sig=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Добавляет выпадающий список; `ch(index)` при выборе."),
        method<lst>("lst",
            "lst($self, items, *, pr=None, sel=None, multi=False, ch=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Добавляет список; `ch` — индекс, при `multi` — список индексов."),
        method<tbl>("tbl",
            "tbl($self, columns, rows, *, pr=None, ch=None, bg=None, hl=0.0, vl=0.0, pd=0.0, gp=0.0, w=None, "
            "h=None)\n--\n\nДобавляет таблицу; `hl`/`vl` — толщина разделителей строк и столбцов."),
        method<tre>("tre",
            "tre($self, items, *, pr=None, cols=None, widths=None, multi=False, bind=None, ch=None, clk=None, "
            "dbl=None, on_open=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Дерево; строка — кортеж `(глубина, текст, лист)` либо словарь."),
        method<pg>("pg",
            "pg($self, rows, *, pr=None, bind=None, ch=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Таблица свойств «ключ — значение»; `bind` — колбэк списка пар."),
        method<mb>("mb",
            "mb($self, menus, *, pr=None, on_select=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Строка меню; `on_select(menu, item)` при выборе пункта."),
    });
}

WindowMethodsRegistrar const registrar(add_methods);

}

}
