// Introspection of widget models for the module's own tests; not part of the
// public interface: _model gives the node's kind and the fields of its
// payload as a dict, _child a handle on a child, and _change, _submit and
// _fire run the node's callables as input handlers would.
#include "core/base/utf.hpp"
#include "python/invoke.hpp"
#include "python/method_table.hpp"
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
    f.set("text", m.text.str()), f.set("placeholder", m.placeholder), f.set("caret", m.caret), f.set("anchor", m.anchor);
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
    PyRef rows = PyRef::steal(PyList_New(0));
    for (std::size_t i = 0; rows && i < m.rows.size(); ++i) {
        PyRef row = PyRef::steal(PyList_New(0));
        for (std::size_t c = 0; row && c < m.rows[i].size(); ++c) {
            PyRef cell = PyRef::steal(text_to_py(m.rows[i][c]));
            if (!cell || PyList_Append(row.get(), cell.get()) < 0)
                row.reset();
        }
        if (!row || PyList_Append(rows.get(), row.get()) < 0)
            rows.reset();
    }
    if (!rows || (f.dict && PyDict_SetItemString(f.dict.get(), "rows", rows.get()) < 0))
        f.dict.reset();
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

PyObject* model(MethodCall& c)
{
    NodeId node = c.node("n");
    Node const& target = c.tree().node(node);
    Fields fields;
    fields.set("kind", std::string(kind_name(target.kind())));
    std::visit([&](auto const& payload) { describe(fields, payload); }, target.model.payload);
    // What every node may carry besides its model.
    Tree const& tree = c.tree();
    if (target.extras().tip)
        fields.set("tip", *target.extras().tip);
    if (Style const& style = target.styles.base(); style.border_color) {
        Color color = *style.border_color;
        fields.set("outline", std::vector<float> { color.r, color.g, color.b, color.a, style.border_width.value_or(0) });
    }
    if (tree.popup_layer == node)
        fields.set("popup", true);
    if (auto found = tree.header_heights.find(node); found != tree.header_heights.end())
        fields.set("header", double(found->second));
    if (tree.resizable_columns_set.contains(node))
        fields.set("resizable", true);
    return fields.dict.release();
}

PyObject* child(MethodCall& c)
{
    auto const& children = c.tree().node(c.node("n")).children;
    std::uint64_t index = c.index("i");
    if (index >= children.size()) {
        PyErr_SetString(PyExc_IndexError, "child index out of range");
        return nullptr;
    }
    return new_node_handle(*c.module, c.state(), children[index]);
}

// Runs `fire` with the window released, since the callback may use it again.
template<class Fire>
PyObject* fire_released(MethodCall& c, Fire&& fire)
{
    std::shared_ptr<WindowState> keep = c.shared_state();
    c.window().borrow.release();
    return PyBool_FromLong(fire(keep->tree));
}

PyObject* change(MethodCall& c)
{
    return fire_released(c, [&](Tree& tree) { return tree.fire_change(c.node("n"), c.f32("value")); });
}

PyObject* submit(MethodCall& c)
{
    std::string owned(c.utf8("text"));
    return fire_released(c, [&](Tree& tree) { return tree.fire_submit(c.node("n"), owned); });
}

PyObject* fire(MethodCall& c)
{
    return fire_released(c, [&](Tree& tree) {
        return tree.fire(c.node("n"), static_cast<UiEvent>(c.index("event")), static_cast<std::uint32_t>(c.index("index")),
            c.f32("first"), c.f32("second"));
    });
}

// The window-wide menu and tooltip settings: (items, open, x, y, tip radius, pad x, pad y).
PyObject* menu_state(MethodCall& c)
{
    Tree const& tree = c.tree();
    PyRef items = PyRef::steal(text_list_to_py(tree.menu_items));
    if (!items)
        return nullptr;
    return Py_BuildValue("(ONddddd)", items.get(), PyBool_FromLong(tree.menu_open), double(tree.menu_pos.x),
        double(tree.menu_pos.y), double(tree.tip_radius), double(tree.tip_pad_x), double(tree.tip_pad_y));
}

constexpr RowOptions shared { .access = Access::Shared };

WindowMethodsRegistrar const registrar {
    row<menu_state>("_menu", "Контекстное меню и тултип окна для тестов.", {}, shared),
    row<model>("_model", "Модель узла для тестов.", { node("n") }, shared),
    row<child>("_child", "Дочерний узел для тестов.", { node("n"), index("i") }, shared),
    row<change>("_change", "Вызывает колбэк изменения узла.", { node("n"), real("value") }, shared),
    row<submit>("_submit", "Вызывает колбэк ввода узла.", { node("n"), utf8("text") }, shared),
    row<fire>("_fire", "Вызывает обработчик события узла.",
        { node("n"), byte("event"), index("index", 0), real("first", 0.0), real("second", 0.0) }, shared),
};

}

}
