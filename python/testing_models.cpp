// Introspection of widget models for the module's own tests; not part of the
// public interface:
//     W._model(n) -> dict   # the node's kind and the fields of its payload
//     W._child(n, i) -> N   # a handle on the node's i-th child
//     W._change(n, value) -> bool, W._submit(n, text) -> bool,
//     W._fire(n, event, index=0, first=0.0, second=0.0) -> bool
//                           # run the node's callables as input handlers would
#include "core/tree/utf.hpp"
#include "python/invoke.hpp"
#include "python/window.hpp"

#include <variant>

namespace orvy::py {

namespace {

// Collects (name, value) entries into a dict; the first failure sticks.
struct Fields {
    PyRef dict = PyRef::steal(PyDict_New());

    template<class T>
    void set(char const* name, T const& value)
    {
        if (!dict)
            return;
        PyRef item = PyRef::steal(convert(value));
        if (!item || PyDict_SetItemString(dict.get(), name, item.get()) < 0)
            dict.reset();
    }

private:
    template<class T>
    static PyObject* convert(T const& value)
    {
        if constexpr (std::is_same_v<T, Text>)
            return to_py(std::u16string_view(value));
        else if constexpr (std::is_same_v<T, TextList>)
            return text_list_to_py(value);
        else if constexpr (std::is_same_v<T, std::string>)
            return to_py(std::string_view(value));
        else if constexpr (std::is_enum_v<T>)
            return to_py(static_cast<std::int64_t>(value));
        else if constexpr (std::is_same_v<T, std::optional<std::uint32_t>>)
            return value ? to_py(*value) : new_none();
        else if constexpr (std::is_same_v<T, std::vector<std::optional<std::uint32_t>>>) {
            PyRef list = PyRef::steal(PyList_New(0));
            for (auto const& entry : value) {
                PyRef item = PyRef::steal(convert(entry));
                if (!item || PyList_Append(list.get(), item.get()) < 0)
                    return nullptr;
            }
            return list.release();
        } else
            return to_py(value);
    }
};

void describe(Fields&, EmptyModel const&) { }
void describe(Fields& f, SpinModel const& m)
{
    f.set("value", m.value), f.set("minimum", m.minimum), f.set("maximum", m.maximum), f.set("step", m.step);
}
void describe(Fields& f, FrameModel const& m) { f.set("radius", m.radius); }
void describe(Fields& f, GroupModel const& m) { f.set("title", m.title), f.set("radius", m.radius); }
void describe(Fields& f, SeparatorModel const& m) { f.set("vertical", m.vertical); }
void describe(Fields& f, TextModel const& m) { f.set("text", m.text), f.set("dot", m.dot); }
void describe(Fields& f, ButtonModel const& m) { f.set("caption", m.caption), f.set("radius", m.radius); }
void describe(Fields& f, ValueModel const& m)
{
    f.set("value", m.value), f.set("caption", m.caption), f.set("segments", m.segments);
}
void describe(Fields& f, ToggleModel const& m) { f.set("caption", m.caption), f.set("on", m.on), f.set("group", m.group); }
void describe(Fields& f, TextboxModel const& m)
{
    f.set("text", m.text), f.set("placeholder", m.placeholder), f.set("caret", m.caret), f.set("anchor", m.anchor);
}
void describe(Fields& f, ChoiceModel const& m) { f.set("items", m.items), f.set("selected", m.selected); }
void describe(Fields& f, StackModel const& m) { f.set("page", m.page); }
void describe(Fields& f, AccordionModel const& m)
{
    f.set("title", m.title), f.set("open", m.open), f.set("group", m.group), f.set("radius", m.radius);
}
void describe(Fields& f, ScrollModel const& m) { f.set("offset", m.offset); }
void describe(Fields& f, SplitterModel const& m) { f.set("vertical", m.vertical), f.set("ratio", m.ratio); }
void describe(Fields& f, SpinnerModel const& m) { f.set("phase", m.phase); }
void describe(Fields& f, RangeModel const& m) { f.set("lo", m.lo), f.set("hi", m.hi); }
void describe(Fields& f, CalendarModel const& m)
{
    f.set("year", m.year), f.set("month", int(m.month)), f.set("day", int(m.day));
}
void describe(Fields& f, ColorModel const& m)
{
    f.set("hue", m.hue), f.set("saturation", m.saturation), f.set("value", m.value);
}
void describe(Fields& f, TimeModel const& m) { f.set("hour", int(m.hour)), f.set("minute", int(m.minute)); }
void describe(Fields& f, PagerModel const& m) { f.set("page", m.page), f.set("total", m.total); }
void describe(Fields& f, RatingModel const& m) { f.set("value", m.value), f.set("maximum", m.maximum); }
void describe(Fields& f, ListModel const& m)
{
    f.set("items", m.items), f.set("current", m.current), f.set("multi", m.multi), f.set("selection", m.selection);
    f.set("scroll", m.scroll);
}
void describe(Fields& f, TreeviewModel const& m)
{
    PyRef rows = PyRef::steal(PyList_New(0));
    for (TreeRow const& row : m.rows) {
        Fields r;
        r.set("depth", row.depth), r.set("text", row.text), r.set("leaf", row.leaf), r.set("open", row.open);
        r.set("values", row.values), r.set("bg", row.background), r.set("fg", row.foreground), r.set("icon", row.icon);
        r.set("cbg", row.cell_backgrounds), r.set("cfg", row.cell_foregrounds);
        if (!r.dict || PyList_Append(rows.get(), r.dict.get()) < 0) {
            f.dict.reset();
            return;
        }
    }
    if (f.dict && PyDict_SetItemString(f.dict.get(), "rows", rows.get()) < 0)
        f.dict.reset();
    f.set("multi", m.multi), f.set("titles", m.columns.titles), f.set("widths", m.columns.widths);
    f.set("minimums", m.columns.minimums), f.set("current", m.current), f.set("selection", m.selection);
    f.set("scroll", m.scroll);
}
void describe(Fields& f, TableModel const& m)
{
    f.set("titles", m.columns.titles), f.set("row_count", m.rows.size()), f.set("row_line", m.row_line);
    f.set("column_line", m.column_line), f.set("widths", m.columns.widths), f.set("minimums", m.columns.minimums);
    f.set("current", m.current), f.set("scroll", m.scroll);
}
void describe(Fields& f, PropgridModel const& m)
{
    TextList flat;
    for (auto const& [key, value] : m.rows)
        flat.push_back(key), flat.push_back(value);
    f.set("cells", flat), f.set("current", m.current), f.set("scroll", m.scroll);
}
void describe(Fields& f, CanvasModel const& m)
{
    std::vector<std::uint32_t> kinds, colors;
    for (Shape const& shape : m.shapes)
        kinds.push_back(static_cast<std::uint32_t>(shape.kind)), colors.push_back(shape.rgba);
    f.set("kinds", kinds), f.set("colors", colors), f.set("scrollable", m.scrollable);
    f.set("view", std::vector<float> { m.view_x, m.view_y });
    f.set("region", std::vector<float> { m.region_x, m.region_y, m.region_w, m.region_h });
}
void describe(Fields& f, MenubarModel const& m)
{
    TextList titles;
    for (Menu const& menu : m.menus)
        titles.push_back(menu.title);
    f.set("titles", titles);
}
void describe(Fields& f, DockModel const& m)
{
    f.set("title", m.title), f.set("side", m.side), f.set("open", m.open), f.set("size", m.size);
}
void describe(Fields& f, ChartModel const& m) { f.set("data", m.data); }
void describe(Fields& f, TermModel const& m) { f.set("lines", m.lines), f.set("prompt", m.prompt); }
void describe(Fields& f, ItemsModel const& m) { f.set("items", m.items); }
void describe(Fields& f, SplitModel const& m) { f.set("caption", m.caption), f.set("options", m.options); }
void describe(Fields& f, ImageModel const& m) { f.set("source", m.source), f.set("fit", m.fit); }
template<class T>
void describe(Fields& f, Boxed<T> const& boxed) { describe(f, *boxed); }

PyObject* model(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W._model", { "n" }, 1, 1 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;
    auto node = to_node(a[0], "n", *call);
    if (!node)
        return nullptr;
    Node const& target = call->tree().node(*node);
    Fields fields;
    fields.set("kind", std::string(kind_name(target.kind())));
    std::visit([&](auto const& payload) { describe(fields, payload); }, target.model.payload);
    // What every node may carry besides its model.
    Tree const& tree = call->tree();
    if (target.tip)
        fields.set("tip", *target.tip);
    if (Style const& style = target.styles.base(); style.border_color) {
        Color color = *style.border_color;
        fields.set("outline", std::vector<float> { color.r, color.g, color.b, color.a, style.border_width.value_or(0) });
    }
    if (tree.popup_layer == *node)
        fields.set("popup", true);
    if (auto found = tree.header_heights.find(*node); found != tree.header_heights.end())
        fields.set("header", double(found->second));
    if (tree.resizable_columns_set.contains(*node))
        fields.set("resizable", true);
    return fields.dict.release();
}

PyObject* child(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W._child", { "n", "i" }, 2, 2 };
    Args<2> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;
    auto node = to_node(a[0], "n", *call);
    auto index = node ? to_index(a[1], "i") : std::nullopt;
    if (!index)
        return nullptr;
    auto const& children = call->tree().node(*node).children;
    if (*index >= children.size()) {
        PyErr_SetString(PyExc_IndexError, "child index out of range");
        return nullptr;
    }
    return new_node_handle(*call->module, call->state(), children[*index]);
}

// Runs `fire` with the window released, since the callback may use it again.
template<class Fire>
PyObject* fire_released(WindowCall& call, Fire&& fire)
{
    std::shared_ptr<WindowState> keep = call.object->state;
    call.borrow.release();
    return PyBool_FromLong(fire(keep->tree));
}

PyObject* change(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W._change", { "n", "value" }, 2, 2 };
    Args<2> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    auto node = call ? to_node(a[0], "n", *call) : std::nullopt;
    auto value = node ? to_f32(a[1], "value") : std::nullopt;
    if (!value)
        return nullptr;
    return fire_released(*call, [&](Tree& tree) { return tree.fire_change(*node, *value); });
}

PyObject* submit(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W._submit", { "n", "text" }, 2, 2 };
    Args<2> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    auto node = call ? to_node(a[0], "n", *call) : std::nullopt;
    auto text = node ? to_utf8(a[1], "text") : std::nullopt;
    if (!text)
        return nullptr;
    std::string owned(*text);
    return fire_released(*call, [&](Tree& tree) { return tree.fire_submit(*node, owned); });
}

PyObject* fire(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W._fire", { "n", "event", "index", "first", "second" }, 5, 2 };
    Args<5> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    auto node = call ? to_node(a[0], "n", *call) : std::nullopt;
    auto event = node ? to_index(a[1], "event", 255) : std::nullopt;
    auto index = event ? (a[2] ? to_index(a[2], "index") : std::optional<std::uint64_t>(0)) : std::nullopt;
    auto first = index ? (a[3] ? to_f32(a[3], "first") : std::optional<float>(0.0f)) : std::nullopt;
    auto second = first ? (a[4] ? to_f32(a[4], "second") : std::optional<float>(0.0f)) : std::nullopt;
    if (!second)
        return nullptr;
    return fire_released(*call, [&](Tree& tree) {
        return tree.fire(*node, static_cast<UiEvent>(*event), static_cast<std::uint32_t>(*index), *first, *second);
    });
}

// The window-wide menu and tooltip settings: (items, open, x, y, tip radius, pad x, pad y).
PyObject* menu_state(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W._menu", {}, 0, 0 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;
    Tree const& tree = call->tree();
    PyRef items = PyRef::steal(text_list_to_py(tree.menu_items));
    if (!items)
        return nullptr;
    return Py_BuildValue("(ONddddd)", items.get(), PyBool_FromLong(tree.menu_open), double(tree.menu_pos.x),
        double(tree.menu_pos.y), double(tree.tip_radius), double(tree.tip_pad_x), double(tree.tip_pad_y));
}

void add_methods(MethodList& methods)
{
    methods.push_back(method<menu_state>("_menu", "_menu($self)\n--\n\nКонтекстное меню и тултип окна для тестов."));
    methods.push_back(method<model>("_model", "_model($self, n)\n--\n\nМодель узла для тестов."));
    methods.push_back(method<child>("_child", "_child($self, n, i)\n--\n\nДочерний узел для тестов."));
    methods.push_back(method<change>("_change", "_change($self, n, value)\n--\n\nВызывает колбэк изменения узла."));
    methods.push_back(method<submit>("_submit", "_submit($self, n, text)\n--\n\nВызывает колбэк ввода узла."));
    methods.push_back(method<fire>("_fire",
        "_fire($self, n, event, index=0, first=0.0, second=0.0)\n--\n\nВызывает обработчик события узла."));
}

WindowMethodsRegistrar const registrar(add_methods);

}

}
