// Container builders, each returned as a context:
//     W.grp(title="", *, pr=None, rad=12.0, ax="v", pd=12.0, gp=8.0, w=None, h=None) -> Ctx
//     W.scr(*, pr=None, pd=8.0, gp=8.0, w=None, h=None) -> Ctx
//     W.stk(*, pr=None, page=0, bind=None, w=None, h=None) -> Ctx
//     W.spl(*, pr=None, ratio=0.5, vertical=True, w=None, h=None) -> Ctx
//     W.acc(title="", *, pr=None, open=False, grp=0, ch=None, rad=10.0, pd=8.0, gp=8.0, w=None, h=None) -> Ctx
//     W.tab(labels, *, pr=None, sel=0, ch=None, pd=0.0, gp=0.0, w=None, h=None) -> Ctx
//     W.dock(ttl="", *, pr=None, side="l", size=260.0, open=True, ax="v", pd=10.0, gp=8.0) -> Ctx
//     W.pop(*, w=240.0, h=40.0, on_close=None) -> Ctx
#include "core/models/detail/numbers.hpp"
#include "core/models/models.hpp"
#include "python/builder.hpp"
#include "python/push_callbacks.hpp"

namespace orvy::py {

namespace {

PyObject* context_for(WindowCall& call, std::optional<NodeId> id)
{
    return id ? new_context(*call.module, call.object->state, *id) : nullptr;
}

PyObject* grp(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.grp", { "title", "pr", "rad", "ax", "pd", "gp", "w", "h" }, 1, 0 };
    Args<8> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    CommonArgs common;
    auto title = text_or(a[0], "title");
    auto radius = f32_or(a[2], "rad", 12.0f);
    if (!title || !radius
        || !common.read(a.values.data(),
            { .pr = 1, .pd = 4, .gp = 5, .w = 6, .h = 7, .ax = 3, .pd_default = 12.0f, .gp_default = 8.0f }, *call))
        return nullptr;
    return context_for(*call,
        append_built(*call, common, Model(NodeKind::Group, GroupModel { .title = std::move(*title), .radius = *radius })));
}

PyObject* scr(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.scr", { "pr", "pd", "gp", "w", "h" }, 0, 0 };
    Args<5> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    CommonArgs common;
    if (!common.read(a.values.data(), { .pr = 0, .pd = 1, .gp = 2, .w = 3, .h = 4, .pd_default = 8.0f, .gp_default = 8.0f },
            *call))
        return nullptr;
    return context_for(*call, append_built(*call, common, Model(NodeKind::Scroll)));
}

PyObject* stk(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.stk", { "pr", "page", "bind", "w", "h" }, 0, 0 };
    Args<5> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    CommonArgs common;
    auto page = a[1] ? to_index(a[1], "page") : std::optional<std::uint64_t>(0);
    if (!page || !common.read(a.values.data(), { .pr = 0, .w = 3, .h = 4 }, *call))
        return nullptr;
    auto id = append_built(*call, common,
        Model(NodeKind::Stack, StackModel { .page = static_cast<std::uint32_t>(*page) }));
    if (id && a.given(2))
        call->state().bindings.push_back({ BindingKind::Value, *id, PyRef::borrow(a[2]) });
    return context_for(*call, id);
}

PyObject* spl(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.spl", { "pr", "ratio", "vertical", "w", "h" }, 0, 0 };
    Args<5> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    CommonArgs common;
    auto ratio = f32_or(a[1], "ratio", 0.5f);
    auto vertical = bool_or(a[2], "vertical", true);
    if (!ratio || !vertical || !common.read(a.values.data(), { .pr = 0, .w = 3, .h = 4 }, *call))
        return nullptr;
    // NaN would leave the panes without a size; it counts as the even split.
    float share = std::isnan(*ratio) ? 0.5f : detail::clamp01(*ratio);
    return context_for(*call,
        append_built(*call, common, Model(NodeKind::Splitter, SplitterModel { .vertical = *vertical, .ratio = share })));
}

PyObject* acc(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec {
        "W.acc", { "title", "pr", "open", "grp", "ch", "rad", "pd", "gp", "w", "h" }, 1, 0
    };
    Args<10> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    CommonArgs common;
    auto title = text_or(a[0], "title");
    auto open = bool_or(a[2], "open", false);
    auto group = a[3] ? to_i32(a[3], "grp") : std::optional<std::int32_t>(0);
    auto radius = f32_or(a[5], "rad", 10.0f);
    if (!title || !open || !group || !radius
        || !common.read(a.values.data(),
            { .pr = 1, .pd = 6, .gp = 7, .w = 8, .h = 9, .pd_default = 8.0f, .gp_default = 8.0f }, *call))
        return nullptr;
    auto id = append_built(*call, common,
        Model(NodeKind::Accordion,
            AccordionModel { .title = std::move(*title), .open = *open, .group = *group, .radius = *radius }));
    if (!id)
        return nullptr;
    Tree& tree = call->tree();
    // A section built open closes the open ones of its group, as opening it
    // later would; nothing is reported while the window is being built.
    if (*open && *group != 0) {
        for (NodeId other = 0; other < *id; ++other) {
            auto* section = tree.node(other).model.as<AccordionModel>();
            if (section && tree.node(other).kind() == NodeKind::Accordion && section->group == *group)
                section->open = false;
        }
    }
    if (a.given(4))
        tree.node(*id).on_change = change_bool(Push::make(*call, a[4]));
    return context_for(*call, id);
}

PyObject* tab(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.tab", { "labels", "pr", "sel", "ch", "pd", "gp", "w", "h" }, 1, 1 };
    Args<8> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    CommonArgs common;
    auto labels = to_text_list(a[0], "labels");
    auto selected = a[2] ? to_index(a[2], "sel") : std::optional<std::uint64_t>(0);
    if (!labels || !selected || !common.read(a.values.data(), { .pr = 1, .pd = 4, .gp = 5, .w = 6, .h = 7 }, *call))
        return nullptr;
    auto id = append_built(*call, common, Model(NodeKind::Tabs, ChoiceModel { .items = std::move(*labels) }));
    if (!id)
        return nullptr;
    set_numeric_state(call->tree(), *id, static_cast<float>(*selected));
    if (a.given(3))
        call->tree().node(*id).on_change = change_index(Push::make(*call, a[3]));
    return context_for(*call, id);
}

PyObject* dock(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.dock", { "ttl", "pr", "side", "size", "open", "ax", "pd", "gp" }, 1, 0 };
    Args<8> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    CommonArgs common;
    auto title = text_or(a[0], "ttl");
    auto side_word = a[2] ? to_utf8(a[2], "side") : std::optional<std::string_view>("l");
    auto size = f32_or(a[3], "size", 260.0f);
    auto open = bool_or(a[4], "open", true);
    if (!title || !side_word || !size || !open
        || !common.read(a.values.data(), { .pr = 1, .pd = 6, .gp = 7, .ax = 5, .pd_default = 10.0f, .gp_default = 8.0f },
            *call))
        return nullptr;
    DockSide side = DockSide::Left;
    char first = side_word->empty() ? 'l' : side_word->front();
    if (first == 't')
        side = DockSide::Top;
    else if (first == 'b')
        side = DockSide::Bottom;
    else if (first == 'r')
        side = DockSide::Right;
    // A docked extent that is not a number cannot be laid out.
    float extent = std::isnan(*size) ? 260.0f : *size;
    float shown = *open ? extent : closed_dock_extent;
    if (side == DockSide::Left || side == DockSide::Right)
        common.layout.w = shown;
    else
        common.layout.h = shown;
    return context_for(*call,
        append_built(*call, common,
            Model(NodeKind::Dock,
                DockModel { .title = std::move(*title), .side = side, .open = *open, .size = extent })));
}

PyObject* pop(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.pop", { "w", "h", "on_close" }, 0, 0 };
    Args<3> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto width = f32_or(a[0], "w", 240.0f);
    auto height = f32_or(a[1], "h", 40.0f);
    if (!width || !height)
        return nullptr;
    // A layer above everything, out of sight until pop_at places it.
    CommonArgs common;
    common.layout.pd = 10.0f;
    common.layout.z = 1000;
    common.layout.w = *width;
    common.layout.h = *height;
    common.layout.placement = Placement::Absolute;
    common.layout.left = -1000000.0f;
    common.layout.top = -1000000.0f;
    auto id = append_under_root(*call, common, Model(NodeKind::Frame));
    if (id && a.given(2))
        call->tree().register_event(*id, UiEvent::LayerClosed, event_plain(Push::make(*call, a[2])));
    return context_for(*call, id);
}

void add_methods(MethodList& methods)
{
    methods.insert(methods.end(), {
        method<grp>("grp",
            "grp($self, title=\"\", *, pr=None, rad=12.0, ax=\"v\", pd=12.0, gp=8.0, w=None, h=None)\n--\n\n"
            "Группа с заголовком как контекст: `with win.grp(\"Имя\"):`."),
        method<scr>("scr",
            "scr($self, *, pr=None, pd=8.0, gp=8.0, w=None, h=None)\n--\n\n"
            "Область прокрутки как контекст: `with win.scr():`."),
        method<stk>("stk",
            "stk($self, *, pr=None, page=0, bind=None, w=None, h=None)\n--\n\n"
            "Стопка страниц как контекст; `bind` — колбэк, возвращающий индекс."),
        method<spl>("spl",
            "spl($self, *, pr=None, ratio=0.5, vertical=True, w=None, h=None)\n--\n\n"
            "Разделитель двух областей как контекст; тянется мышью."),
        method<acc>("acc",
            "acc($self, title=\"\", *, pr=None, open=False, grp=0, ch=None, rad=10.0, pd=8.0, gp=8.0, w=None, "
            "h=None)\n--\n\nСекция аккордеона как контекст: `with win.acc(\"Имя\"):`."),
        method<tab>("tab",
            "tab($self, labels, *, pr=None, sel=0, ch=None, pd=0.0, gp=0.0, w=None, h=None)\n--\n\n"
            "Добавляет вкладки как контекст; вложенные контейнеры — их содержимое."),
        method<dock>("dock",
            "dock($self, ttl=\"\", *, pr=None, side=\"l\", size=260.0, open=True, ax=\"v\", pd=10.0, gp=8.0)\n--\n\n"
            "Док-панель с заголовком; клик по шапке сворачивает."),
        method<pop>("pop",
            "pop($self, *, w=240.0, h=40.0, on_close=None)\n--\n\n"
            "Слой поверх всего окна; содержимое строится внутри `with`."),
    });
}

WindowMethodsRegistrar const registrar(add_methods);

}

}
