// Operations on lists, tables, trees, columns, layers, the canvas view,
// tooltips, outlines, and the per-node and window event hooks. The queued
// ones always go through the request or list-operation queue, in both
// phases, so they take effect at the start of the next frame; the hooks and
// the tooltip setters only work while the window is configuring.
#include "core/style/css.hpp"
#include "python/method_table.hpp"
#include "python/push_callbacks.hpp"

#include <algorithm>
#include <cmath>

namespace orvy::py {

namespace {

PyObject* enqueue(MethodCall& c, RequestKind kind, float a = 0, float b = 0, float c_value = 0, float d = 0)
{
    c.tree().enqueue_request({ .node = c.node("node"), .a = a, .b = b, .c = c_value, .kind = kind, .d = d });
    Py_RETURN_NONE;
}

PyObject* enqueue_list(MethodCall& c, ListOperationCode code, std::vector<std::uint32_t> values)
{
    c.tree().list_operations.push(
        { .node = c.node("node"), .code = static_cast<std::uint8_t>(code), .values = std::move(values) });
    Py_RETURN_NONE;
}

// Row indexes; None selects nothing.
std::optional<std::vector<std::uint32_t>> to_indexes(PyObject* value, char const* name)
{
    return value == Py_None ? std::optional(std::vector<std::uint32_t> {}) : to_index_list(value, name);
}

std::vector<std::uint32_t>& indexes(MethodCall& c) { return c.get<std::vector<std::uint32_t>>("indexes"); }

// Column widths travel as whole pixels: negative and NaN give 0, huge values saturate.
std::vector<std::uint32_t> whole_pixels(std::vector<float> const& values)
{
    std::vector<std::uint32_t> pixels;
    pixels.reserve(values.size());
    for (float value : values) {
        float clamped = std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 4294967040.0f);
        pixels.push_back(static_cast<std::uint32_t>(std::lround(clamped)));
    }
    return pixels;
}

// ---- Layers, accordion sections and the canvas view (request queue)

PyObject* acc_open(MethodCall& c) { return enqueue(c, RequestKind::AccordionOpen, c.flag("on") ? 1.0f : 0.0f); }

PyObject* cv_region(MethodCall& c)
{
    return enqueue(c, RequestKind::CanvasRegion, c.f32("x1"), c.f32("y1"), c.f32("x2"), c.f32("y2"));
}

PyObject* cv_view(MethodCall& c) { return enqueue(c, RequestKind::CanvasView, c.f32("x"), c.f32("y")); }

PyObject* pop_at(MethodCall& c)
{
    return enqueue(c, RequestKind::PopAt, c.f32("x"), c.f32("y"), c.f32("w"), c.f32("h"));
}

PyObject* pop_off(MethodCall& c) { return enqueue(c, RequestKind::PopOff); }

// The outline colour is packed as 0xRRGGBBAA and sent as two exactly
// representable 16-bit halves; no colour, or one that does not parse,
// removes the outline.
PyObject* brdln(MethodCall& c)
{
    std::optional<Color> color;
    if (c.given("col")) {
        auto text = to_utf8(c.object("col"), "col");
        if (!text)
            return nullptr;
        color = parse_color(*text);
    }
    if (!color)
        return enqueue(c, RequestKind::BorderLine, 0, 0, c.f32("w"), 0.0f);
    std::uint32_t packed = color->to_rgba8();
    return enqueue(c, RequestKind::BorderLine, static_cast<float>(packed >> 16), static_cast<float>(packed & 0xFFFF),
        c.f32("w"), 1.0f);
}

// ---- Lists, tables and trees (list operation queue)

PyObject* lst_sel(MethodCall& c) { return enqueue_list(c, ListOperationCode::ListSelect, std::move(indexes(c))); }

PyObject* tre_sel(MethodCall& c) { return enqueue_list(c, ListOperationCode::TreeSelect, std::move(indexes(c))); }

PyObject* tre_see(MethodCall& c)
{
    return enqueue_list(c, ListOperationCode::TreeSee, { static_cast<std::uint32_t>(c.index("index")) });
}

PyObject* tre_open(MethodCall& c)
{
    return enqueue_list(c, c.flag("on") ? ListOperationCode::TreeOpen : ListOperationCode::TreeClose, std::move(indexes(c)));
}

PyObject* tbl_see(MethodCall& c)
{
    return enqueue_list(c, ListOperationCode::TableSee, { static_cast<std::uint32_t>(c.index("row")) });
}

// Widths and minimums go through the list operation queue, the header height
// and user resizing through the request queue; `on_cols` is a hook and so
// configuring only, checked before anything is queued.
PyObject* cols(MethodCall& c)
{
    std::optional<bool> resize;
    if (c.given("resize") && !(resize = to_bool(c.object("resize"), "resize")))
        return nullptr;
    if (c.given("on_cols") && !c.state().require_configuring())
        return nullptr;
    NodeId node = c.node("node");
    Tree& tree = c.tree();
    if (c.given("widths"))
        enqueue_list(c, ListOperationCode::ColumnWidths, whole_pixels(c.reals("widths")));
    if (c.given("mins"))
        enqueue_list(c, ListOperationCode::ColumnMinimums, whole_pixels(c.reals("mins")));
    if (c.given("head"))
        tree.enqueue_request({ .node = node, .a = c.f32("head"), .kind = RequestKind::HeaderHeight });
    if (resize)
        tree.enqueue_request({ .node = node, .a = *resize ? 1.0f : 0.0f, .kind = RequestKind::ResizableColumns });
    if (c.given("on_cols"))
        tree.register_event(node, UiEvent::ColumnsChanged, event_columns(Push::make(c.window(), c.object("on_cols")), node));
    Py_RETURN_NONE;
}

// The cell rectangle as the last laid-out frame left it; zeros for a cell
// that was not on screen.
PyObject* tre_cell(MethodCall& c)
{
    auto row = static_cast<std::uint32_t>(c.index("index"));
    auto column = static_cast<std::uint32_t>(c.index("col"));
    RectF rect = c.tree().cell_rects->get(c.node("node"), row, column).value_or(RectF {});
    return Py_BuildValue("(dddd)", double(rect.x), double(rect.y), double(rect.w), double(rect.h));
}

// ---- Tooltips (configuring only)

PyObject* tip(MethodCall& c)
{
    if (!c.state().require_configuring())
        return nullptr;
    c.tree().node(c.node("n")).extras_mut().tip = std::move(c.text("text"));
    Py_RETURN_NONE;
}

PyObject* tip_style(MethodCall& c)
{
    if (!c.state().require_configuring())
        return nullptr;
    Tree& tree = c.tree();
    tree.tip_radius = c.f32("radius");
    tree.tip_pad_x = c.f32("pad_x");
    tree.tip_pad_y = c.f32("pad_y");
    Py_RETURN_NONE;
}

// ---- Event hooks (configuring only)

PyObject* wheel(MethodCall& c)
{
    if (!c.state().require_configuring())
        return nullptr;
    c.tree().wheel_handlers[c.node("node")] = wheel_handler(Push::make(c.window(), c.object("f")));
    Py_RETURN_NONE;
}

PyObject* rmb(MethodCall& c)
{
    if (!c.state().require_configuring())
        return nullptr;
    c.tree().register_event(c.node("node"), UiEvent::RightClick, event_point(Push::make(c.window(), c.object("f"))));
    Py_RETURN_NONE;
}

// `menu` and `popup` share one selection slot: the root's change handler,
// which a pick in the context menu calls with the item's index.
void set_menu_selection(MethodCall& c)
{
    Node& root = c.tree().node(c.tree().root);
    if (c.given("on_select"))
        root.extras_mut().on_change = change_index(Push::make(c.window(), c.object("on_select")));
    else
        root.extras_mut().on_change = {};
}

PyObject* menu(MethodCall& c)
{
    if (!c.state().require_configuring())
        return nullptr;
    c.tree().menu_items = std::move(c.texts("items"));
    set_menu_selection(c);
    Py_RETURN_NONE;
}

PyObject* popup(MethodCall& c)
{
    MenuRequest request { .items = std::move(c.texts("items")), .x = c.f32("x"), .y = c.f32("y") };
    set_menu_selection(c);
    c.tree().menu_request.put(std::move(request));
    Py_RETURN_NONE;
}

WindowMethodsRegistrar const registrar {
    row<tip>("tip", "Задаёт всплывающую подсказку узла.", { node("n"), text("text") }),
    row<tip_style>("tip_style", "Оформление тултипа: радиус и отступы вокруг текста.",
        { keyword_only, real("radius", 6.0), real("pad_x", 12.0), real("pad_y", 5.0) }),
    row<brdln>("brdln",
        "Обводка узла: цвет `#RRGGBB`/`#RRGGBBAA` и толщина в пикселях.\n"
        "`col=None` снимает обводку. Работает на любом виджете и после\n"
        "показа окна: заявка применяется в начале следующего кадра.",
        { node("node"), object("col"), keyword_only, real("w", 1.0) }),
    row<acc_open>("acc_open", "Открывает или сворачивает секцию аккордеона из кода.",
        { node("node"), flag("on", true) }),
    row<cv_region>("cv_region", "Задаёт виртуальную область прокрутки области рисования.",
        { node("node"), real("x1"), real("y1"), real("x2"), real("y2") }),
    row<cv_view>("cv_view", "Прокручивает область рисования к точке содержимого.",
        { node("node"), real("x"), real("y") }),
    row<pop_at>("pop_at", "Показывает слой в прямоугольнике окна; ноль — оставить размер.",
        { node("node"), real("x"), real("y"), real("w", 0.0), real("h", 0.0) }),
    row<pop_off>("pop_off", "Прячет слой; `on_close` при этом не вызывается.", { node("node") }),
    row<cols>("cols", "Ширины, минимумы и высота шапки таблицы или дерева.",
        { node("node"), keyword_only, optional_reals("widths"), optional_reals("mins"), optional_real("head"),
            object("resize"), object("on_cols") }),
    row<lst_sel>("lst_sel", "Задаёт выделенные пункты списка; первый становится текущим.",
        { node("node"), structured<to_indexes>("indexes") }),
    row<tre_sel>("tre_sel", "Задаёт выделенные строки дерева; первая становится текущей.",
        { node("node"), structured<to_indexes>("indexes") }),
    row<tre_see>("tre_see", "Прокручивает дерево к строке, раскрывая её предков.",
        { node("node"), index("index") }),
    row<tre_open>("tre_open", "Раскрывает или сворачивает поддеревья; пустой список — всё дерево.",
        { node("node"), structured<to_indexes>("indexes", Default::Kind::Ellipsis), keyword_only, flag("on", true) }),
    row<tbl_see>("tbl_see", "Прокручивает таблицу к строке.", { node("node"), index("row") }),
    row<tre_cell>("tre_cell", "Прямоугольник ячейки в координатах окна: `(x, y, w, h)`.",
        { node("node"), index("index"), index("col") }),
    row<wheel>("wheel", "Колесо над узлом: `f(дельта, x, y)`; узел перехватывает событие.",
        { node("node"), required_object("f") }),
    row<rmb>("rmb", "Правый клик по узлу; `f(x, y)` в координатах окна.", { node("node"), required_object("f") }),
    row<menu>("menu", "Задаёт контекстное меню окна; `on_select(index)` по ПКМ.",
        { texts("items"), keyword_only, object("on_select") }),
    row<popup>("popup", "Открывает меню в точке окна; пустой список закрывает его.",
        { texts("items"), real("x"), real("y"), keyword_only, object("on_select") }),
};

}

}
