// State setters and getters of W. Setters change the tree at once while the
// window is configuring and queue a node request once it runs; getters read
// the tree and only work while configuring.
//     W.val(n, value), W.chk(n, on=True), W.dd_sel(n, index)
//     W.cal_set(n, y, m, d), W.tm_set(n, h, m), W.clr_set(n, hue, sat, val), W.rsl_set(n, lo, hi)
//     W.txt(n, text), W.items(n, items), W.spl_ratio(n, ratio)
//     W.ghost(node, on=True), W.front(node, on=True), W.enable(n, on=True), W.pwd(n, on=True)
//     W.crumb_set(node, items), W.term_clear(node)
//     W.tv(n) -> str, W.swv(n) / W.rdv(n) / W.tglv(n) -> bool, W.lstv(n) -> int
//     W.crumb_get(node) -> list[str], W.tre_opened(node) -> list[int]
#include "core/models/operations.hpp"
#include "python/invoke.hpp"
#include "python/window.hpp"

namespace orvy::py {

namespace {

PyObject* queue_text(Tree& tree, NodeId node, TextMode mode, TextList texts)
{
    tree.text_queue.push({ .node = node, .mode = mode, .texts = std::move(texts) });
    Py_RETURN_NONE;
}

PyObject* enqueue(Tree& tree, NodeId node, RequestKind kind, float a = 0, float b = 0, float c = 0)
{
    tree.enqueue_request({ .node = node, .a = a, .b = b, .c = c, .kind = kind });
    Py_RETURN_NONE;
}

// ---- Numeric state

PyObject* set_numeric(NodeCall<2>& c, float value)
{
    if (c.running())
        return enqueue(c.tree(), c.node, RequestKind::NumericState, value);
    // A spin field clamps to its bounds and shows the value as text.
    set_numeric_state(c.tree(), c.node, value);
    Py_RETURN_NONE;
}

PyObject* val(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.val", { "n", "value" }, 2, 2 };
    NodeCall<2> c;
    if (!c.enter(self, cls, args, nargs, kwnames, spec))
        return nullptr;
    auto value = to_f32(c.a[1], "value");
    return value ? set_numeric(c, *value) : nullptr;
}

PyObject* chk(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.chk", { "n", "on" }, 2, 1 };
    NodeCall<2> c;
    if (!c.enter(self, cls, args, nargs, kwnames, spec))
        return nullptr;
    auto on = c.a[1] ? to_bool(c.a[1], "on") : std::optional<bool>(true);
    return on ? set_numeric(c, *on ? 1.0f : 0.0f) : nullptr;
}

PyObject* dd_sel(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.dd_sel", { "n", "index" }, 2, 2 };
    NodeCall<2> c;
    if (!c.enter(self, cls, args, nargs, kwnames, spec))
        return nullptr;
    auto index = to_index(c.a[1], "index");
    return index ? set_numeric(c, static_cast<float>(*index)) : nullptr;
}

// ---- Composite values: two or three floats

template<std::size_t N>
PyObject* set_composite(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs,
    PyObject* kwnames, ArgSpec const& spec)
{
    NodeCall<N> c;
    if (!c.enter(self, cls, args, nargs, kwnames, spec))
        return nullptr;
    float values[3] = {};
    for (std::size_t i = 1; i < N; ++i) {
        auto value = to_f32(c.a[i], spec.names[i]);
        if (!value)
            return nullptr;
        values[i - 1] = *value;
    }
    if (c.running())
        return enqueue(c.tree(), c.node, RequestKind::CompositeValue, values[0], values[1], values[2]);
    set_composite_value(c.tree(), c.node, values[0], values[1], values[2]);
    Py_RETURN_NONE;
}

PyObject* cal_set(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.cal_set", { "n", "y", "m", "d" }, 4, 4 };
    return set_composite<4>(self, cls, args, nargs, kwnames, spec);
}

PyObject* tm_set(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.tm_set", { "n", "h", "m" }, 3, 3 };
    return set_composite<3>(self, cls, args, nargs, kwnames, spec);
}

PyObject* clr_set(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.clr_set", { "n", "hue", "sat", "val" }, 4, 4 };
    return set_composite<4>(self, cls, args, nargs, kwnames, spec);
}

PyObject* rsl_set(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.rsl_set", { "n", "lo", "hi" }, 3, 3 };
    return set_composite<3>(self, cls, args, nargs, kwnames, spec);
}

// ---- Texts and items

PyObject* txt(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.txt", { "n", "text" }, 2, 2 };
    NodeCall<2> c;
    if (!c.enter(self, cls, args, nargs, kwnames, spec))
        return nullptr;
    auto text = to_text(c.a[1], "text");
    if (!text)
        return nullptr;
    if (c.running()) {
        // A text box takes its text before the next frame update, caret at
        // the end; the other text kinds follow the text queue, as they do
        // for their bindings.
        if (c.tree().node(c.node).kind() == NodeKind::Textbox) {
            c.tree().pending_text.push({ .node = c.node, .text = std::move(*text) });
            Py_RETURN_NONE;
        }
        return queue_text(c.tree(), c.node, TextMode::Label, { std::move(*text) });
    }
    set_text(c.tree(), c.node, std::move(*text));
    Py_RETURN_NONE;
}

PyObject* items(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.items", { "n", "items" }, 2, 2 };
    NodeCall<2> c;
    if (!c.enter(self, cls, args, nargs, kwnames, spec))
        return nullptr;
    auto list = to_text_list(c.a[1], "items");
    if (!list)
        return nullptr;
    if (c.running())
        return queue_text(c.tree(), c.node, TextMode::Items, std::move(*list));
    set_items(c.tree(), c.node, std::move(*list));
    Py_RETURN_NONE;
}

PyObject* spl_ratio(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.spl_ratio", { "n", "ratio" }, 2, 2 };
    NodeCall<2> c;
    if (!c.enter(self, cls, args, nargs, kwnames, spec))
        return nullptr;
    auto ratio = to_f32(c.a[1], "ratio");
    if (!ratio)
        return nullptr;
    if (c.running())
        return enqueue(c.tree(), c.node, RequestKind::SplitterRatio, *ratio);
    set_splitter_ratio(c.tree(), c.node, *ratio);
    Py_RETURN_NONE;
}

// ---- Node flags

template<bool (*Apply)(Tree&, NodeId, bool), RequestKind Kind>
PyObject* set_flag(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
    ArgSpec const& spec)
{
    NodeCall<2> c;
    if (!c.enter(self, cls, args, nargs, kwnames, spec))
        return nullptr;
    auto on = c.a[1] ? to_bool(c.a[1], "on") : std::optional<bool>(true);
    if (!on)
        return nullptr;
    if (c.running())
        return enqueue(c.tree(), c.node, Kind, *on ? 1.0f : 0.0f);
    Apply(c.tree(), c.node, *on);
    Py_RETURN_NONE;
}

PyObject* ghost(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.ghost", { "node", "on" }, 2, 1 };
    return set_flag<set_ghost, RequestKind::Ghost>(self, cls, args, nargs, kwnames, spec);
}

PyObject* front(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.front", { "node", "on" }, 2, 1 };
    return set_flag<set_front, RequestKind::Front>(self, cls, args, nargs, kwnames, spec);
}

PyObject* enable(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.enable", { "n", "on" }, 2, 1 };
    return set_flag<set_enabled, RequestKind::Enable>(self, cls, args, nargs, kwnames, spec);
}

PyObject* pwd(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.pwd", { "n", "on" }, 2, 1 };
    return set_flag<set_password, RequestKind::Password>(self, cls, args, nargs, kwnames, spec);
}

// ---- Configuring only

PyObject* crumb_set(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.crumb_set", { "node", "items" }, 2, 2 };
    NodeCall<2> c;
    if (!c.enter(self, cls, args, nargs, kwnames, spec))
        return nullptr;
    auto list = to_text_list(c.a[1], "items");
    if (!list || !c.call->state().require_configuring())
        return nullptr;
    set_crumbs(c.tree(), c.node, std::move(*list));
    Py_RETURN_NONE;
}

PyObject* term_clear(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.term_clear", { "node" }, 1, 1 };
    NodeCall<1> c;
    if (!c.enter(self, cls, args, nargs, kwnames, spec) || !c.call->state().require_configuring())
        return nullptr;
    clear_term(c.tree(), c.node);
    Py_RETURN_NONE;
}

// ---- Getters (configuring only)

// Enters, checks the phase and hands back the node to read.
Node const* read_node(NodeCall<1>& c, PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs,
    PyObject* kwnames, ArgSpec const& spec)
{
    if (!c.enter(self, cls, args, nargs, kwnames, spec) || !c.call->state().require_configuring())
        return nullptr;
    return &c.tree().node(c.node);
}

PyObject* tv(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.tv", { "n" }, 1, 1 };
    NodeCall<1> c;
    Node const* node = read_node(c, self, cls, args, nargs, kwnames, spec);
    if (!node)
        return nullptr;
    auto const* box = node->kind() == NodeKind::Textbox ? node->model.as<TextboxModel>() : nullptr;
    return text_to_py(box ? std::u16string_view(box->text) : std::u16string_view());
}

// swv, rdv, tglv: the on state of one kind; False for any other kind.
template<NodeKind Kind>
PyObject* toggle_value(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
    ArgSpec const& spec)
{
    NodeCall<1> c;
    Node const* node = read_node(c, self, cls, args, nargs, kwnames, spec);
    if (!node)
        return nullptr;
    return new_bool(node->kind() == Kind && node->model.as<ToggleModel>()->on);
}

PyObject* swv(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.swv", { "n" }, 1, 1 };
    return toggle_value<NodeKind::Switch>(self, cls, args, nargs, kwnames, spec);
}

PyObject* rdv(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.rdv", { "n" }, 1, 1 };
    return toggle_value<NodeKind::Radio>(self, cls, args, nargs, kwnames, spec);
}

PyObject* tglv(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.tglv", { "n" }, 1, 1 };
    return toggle_value<NodeKind::Toggle>(self, cls, args, nargs, kwnames, spec);
}

PyObject* lstv(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.lstv", { "n" }, 1, 1 };
    NodeCall<1> c;
    Node const* node = read_node(c, self, cls, args, nargs, kwnames, spec);
    if (!node)
        return nullptr;
    auto const* list = node->kind() == NodeKind::List ? node->model.as<ListModel>() : nullptr;
    std::int64_t current = list && list->current ? std::int64_t { *list->current } : -1;
    return to_py(current);
}

PyObject* crumb_get(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.crumb_get", { "node" }, 1, 1 };
    NodeCall<1> c;
    Node const* node = read_node(c, self, cls, args, nargs, kwnames, spec);
    if (!node)
        return nullptr;
    auto const* crumbs = node->kind() == NodeKind::Crumbs ? node->model.as<ItemsModel>() : nullptr;
    return text_list_to_py(crumbs ? crumbs->items : TextList {});
}

PyObject* tre_opened(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.tre_opened", { "node" }, 1, 1 };
    NodeCall<1> c;
    Node const* node = read_node(c, self, cls, args, nargs, kwnames, spec);
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

void add_methods(MethodList& methods)
{
    methods.insert(methods.end(), {
        method<val>("val", "val($self, n, value)\n--\n\nЗадаёт числовое состояние виджета; колбэк не вызывается."),
        method<chk>("chk", "chk($self, n, on=True)\n--\n\nСостояние флажка, переключателя, тумблера или радиокнопки."),
        method<dd_sel>("dd_sel",
            "dd_sel($self, n, index)\n--\n\nВыбранный пункт выпадающего списка, вкладки или списка."),
        method<cal_set>("cal_set", "cal_set($self, n, y, m, d)\n--\n\nДата календаря."),
        method<tm_set>("tm_set", "tm_set($self, n, h, m)\n--\n\nВремя часов и минут."),
        method<clr_set>("clr_set", "clr_set($self, n, hue, sat, val)\n--\n\nЦвет палитры в HSV, каждый канал 0..1."),
        method<rsl_set>("rsl_set", "rsl_set($self, n, lo, hi)\n--\n\nГраницы двойного ползунка, 0..1."),
        method<txt>("txt",
            "txt($self, n, text)\n--\n\nТекст поля ввода; каретка встаёт в конец, выделение снимается."),
        method<items>("items",
            "items($self, n, items)\n--\n\nПункты выпадающего списка или списка; выбор сбрасывается."),
        method<spl_ratio>("spl_ratio",
            "spl_ratio($self, n, ratio)\n--\n\nЗадаёт долю первой области разделителя: `spl_ratio(node, 0.3)`."),
        method<ghost>("ghost",
            "ghost($self, node, on=True)\n--\n\nДелает узел прозрачным для мыши; клики проходят насквозь."),
        method<front>("front",
            "front($self, node, on=True)\n--\n\nПоднимает узел поверх соседей при нажатии внутри него."),
        method<enable>("enable", "enable($self, n, on=True)\n--\n\nДоступность узла и всего его поддерева."),
        method<pwd>("pwd", "pwd($self, n, on=True)\n--\n\nПоказывает содержимое поля точками, не меняя значения."),
        method<crumb_set>("crumb_set", "crumb_set($self, node, items)\n--\n\nЗадаёт элементы хлебных крошек узла."),
        method<term_clear>("term_clear", "term_clear($self, node)\n--\n\nОчищает вывод терминала."),
        method<tv>("tv", "tv($self, n)\n--\n\nВозвращает текущий текст поля ввода."),
        method<swv>("swv", "swv($self, n)\n--\n\nВозвращает состояние переключателя."),
        method<rdv>("rdv", "rdv($self, n)\n--\n\nВозвращает состояние радиокнопки."),
        method<tglv>("tglv", "tglv($self, n)\n--\n\nВозвращает состояние кнопки-переключателя."),
        method<lstv>("lstv", "lstv($self, n)\n--\n\nВозвращает выбранный пункт списка или -1."),
        method<crumb_get>("crumb_get", "crumb_get($self, node)\n--\n\nВозвращает элементы хлебных крошек узла."),
        method<tre_opened>("tre_opened", "tre_opened($self, node)\n--\n\nИндексы раскрытых строк дерева."),
    });
}

WindowMethodsRegistrar const registrar(add_methods);

}

}
