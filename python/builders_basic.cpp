// Builders of panels, labels and buttons:
//     W.fr(rad=12.0, *, pr=None, ax="v", pd=0.0, gp=0.0, w=None, h=None, elev=0.0) -> N
//     W.bx(...) -> Ctx  (same parameters)
//     W.lb(txt="", *, ...) -> N
//     W.bt(lb="", *, ..., clk=None, elev=0.0) -> N
#include "python/builder.hpp"
#include "python/invoke.hpp"

namespace orvy::py {

namespace {

// fr and bx take the same arguments and create the same frame node.
std::optional<NodeId> build_frame(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs,
    PyObject* kwnames, char const* function, std::optional<WindowCall>& call)
{
    static ArgSpec const fr_spec { "W.fr", { "rad", "pr", "ax", "pd", "gp", "w", "h", "elev" }, 1, 0 };
    static ArgSpec const bx_spec { "W.bx", { "rad", "pr", "ax", "pd", "gp", "w", "h", "elev" }, 1, 0 };
    Args<8> a;
    call = enter_method(a, function[2] == 'f' ? fr_spec : bx_spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return std::nullopt;
    CommonArgs common;
    auto radius = f32_or(a[0], "rad", 12.0f);
    if (!radius || !common.read(a.values.data(), { .pr = 1, .pd = 3, .gp = 4, .w = 5, .h = 6, .ax = 2, .elev = 7 }, *call))
        return std::nullopt;
    return append_built(*call, common, Model(NodeKind::Frame, FrameModel { .radius = *radius }));
}

PyObject* fr(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    std::optional<WindowCall> call;
    auto id = build_frame(self, cls, args, nargs, kwnames, "W.fr", call);
    return id ? new_node_handle(*call->module, call->state(), *id) : nullptr;
}

PyObject* bx(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    std::optional<WindowCall> call;
    auto id = build_frame(self, cls, args, nargs, kwnames, "W.bx", call);
    return id ? new_context(*call->module, call->object->state, *id) : nullptr;
}

PyObject* lb(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.lb", { "txt", "pr", "bind", "icon", "pd", "gp", "w", "h", "wrap" }, 1, 0 };
    Args<9> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    CommonArgs common;
    auto text = text_or(a[0], "txt");
    auto icon = a.given(3) ? to_text(a[3], "icon") : std::optional<Text>(Text());
    auto wrap = bool_or(a[8], "wrap", false);
    if (!text || !icon || !wrap || !common.read(a.values.data(), { .pr = 1, .pd = 4, .gp = 5, .w = 6, .h = 7 }, *call))
        return nullptr;
    auto id = append_built(*call, common, Model(NodeKind::Label, TextModel { .text = std::move(*text) }));
    if (!id)
        return nullptr;
    Node& node = call->tree().node(*id);
    if (a.given(3))
        node.icon = std::move(*icon);
    if (*wrap)
        node.styles.base_mut().wrap = Wrap::On;
    if (a.given(2))
        call->state().bindings.push_back({ BindingKind::Text, *id, PyRef::borrow(a[2]) });
    return new_node_handle(*call->module, call->state(), *id);
}

PyObject* bt(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec {
        "W.bt", { "lb", "pr", "rad", "icon", "tip", "toast", "pd", "gp", "w", "h", "clk", "elev" }, 1, 0
    };
    Args<12> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    CommonArgs common;
    auto caption = text_or(a[0], "lb");
    auto radius = f32_or(a[2], "rad", 10.0f);
    auto icon = a.given(3) ? to_text(a[3], "icon") : std::optional<Text>(Text());
    auto tip = a.given(4) ? to_text(a[4], "tip") : std::optional<Text>(Text());
    auto toast = a.given(5) ? to_text(a[5], "toast") : std::optional<Text>(Text());
    if (!caption || !radius || !icon || !tip || !toast
        || !common.read(a.values.data(), { .pr = 1, .pd = 6, .gp = 7, .w = 8, .h = 9, .elev = 11 }, *call))
        return nullptr;
    auto id = append_built(*call, common,
        Model(NodeKind::Button, ButtonModel { .caption = std::move(*caption), .radius = *radius }));
    if (!id)
        return nullptr;
    Node& node = call->tree().node(*id);
    if (a.given(3))
        node.icon = std::move(*icon);
    if (a.given(4))
        node.tip = std::move(*tip);
    if (a.given(10) || a.given(5)) {
        std::optional<PyCallable> click;
        if (a.given(10))
            click.emplace(a[10], call->object->state);
        std::optional<Text> toast_text;
        if (a.given(5))
            toast_text = std::move(*toast);
        node.on_activate = [click = std::move(click), toast_text = std::move(toast_text)](Tree& tree) {
            if (toast_text)
                tree.toast_text = *toast_text;
            if (click)
                (*click)();
        };
    }
    return new_node_handle(*call->module, call->state(), *id);
}

void add_methods(MethodList& methods)
{
    methods.insert(methods.end(), {
        method<fr>("fr",
            "fr($self, rad=12.0, *, pr=None, ax=\"v\", pd=0.0, gp=0.0, w=None, h=None, elev=0.0)\n--\n\n"
            "Добавляет панель; возвращает её узел."),
        method<bx>("bx",
            "bx($self, rad=12.0, *, pr=None, ax=\"v\", pd=0.0, gp=0.0, w=None, h=None, elev=0.0)\n--\n\n"
            "Панель-контейнер как контекст: `with win.bx(...) as p:`."),
        method<lb>("lb",
            "lb($self, txt=\"\", *, pr=None, bind=None, icon=None, pd=0.0, gp=0.0, w=None, h=None, wrap=False)\n--\n\n"
            "Добавляет метку; `bind` — колбэк, возвращающий текст."),
        method<bt>("bt",
            "bt($self, lb=\"\", *, pr=None, rad=10.0, icon=None, tip=None, toast=None, pd=0.0, gp=0.0, w=None, "
            "h=None, clk=None, elev=0.0)\n--\n\nДобавляет кнопку; `clk` вызывается по нажатию."),
    });
}

WindowMethodsRegistrar const registrar(add_methods);

}

}
