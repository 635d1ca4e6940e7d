// class W:
//     def __init__(self, ttl="ORVY", w=1280, h=720, thm="drk", glass=False, tint=0.0, blur=False,
//                  frameless=False, topmost=False, center=None, resizable=True, minbox=True,
//                  maxbox=True, closebox=True, insp=False): ...
//     def go(self): ...            # show the window and run the loop
//     def build(self, f): ...      # add widgets now, or in the next frame once running
//     ...                          # builders and node operations come from the other files
#include "python/window.hpp"

#include "python/invoke.hpp"
#include "python/platform_bridge.hpp"

#include <atomic>
#include <cmath>

namespace orvy::py {

namespace {

std::atomic<std::uint64_t> next_window_key { 1 };

Centering parse_centering(PyObject* value)
{
    if (!value || value == Py_None)
        return Centering::None;
    if (value == Py_True)
        return Centering::Screen;
    if (PyUnicode_Check(value)) {
        if (PyUnicode_CompareWithASCIIString(value, "screen") == 0)
            return Centering::Screen;
        if (PyUnicode_CompareWithASCIIString(value, "parent") == 0)
            return Centering::Parent;
    }
    return Centering::None;
}

// Reads the options shared by W(...) and subwin(...) from parsed arguments.
struct OptionSlots {
    int title, width, height, theme, glass, tint, blur, frameless, topmost, center, resizable, minbox, maxbox,
        closebox, insp;
};

bool read_options(PyObject** values, OptionSlots const& slot, WindowSettings& settings)
{
    auto text = [&](int i, std::string& out) {
        if (!values[i])
            return true;
        auto utf8 = to_utf8(values[i], i == slot.title ? "ttl" : "thm");
        if (!utf8)
            return false;
        out = *utf8;
        return true;
    };
    auto integer = [&](int i, char const* name, std::int32_t& out) {
        if (!values[i])
            return true;
        auto number = to_i32(values[i], name);
        if (!number)
            return false;
        out = *number;
        return true;
    };
    auto flag = [&](int i, char const* name, bool& out) {
        if (!values[i])
            return true;
        auto value = to_bool(values[i], name);
        if (!value)
            return false;
        out = *value;
        return true;
    };
    if (!text(slot.title, settings.title) || !integer(slot.width, "w", settings.width)
        || !integer(slot.height, "h", settings.height) || !text(slot.theme, settings.theme))
        return false;
    if (!flag(slot.glass, "glass", settings.glass) || !flag(slot.blur, "blur", settings.blur)
        || !flag(slot.frameless, "frameless", settings.frameless) || !flag(slot.topmost, "topmost", settings.topmost)
        || !flag(slot.resizable, "resizable", settings.resizable) || !flag(slot.minbox, "minbox", settings.minimize_box)
        || !flag(slot.maxbox, "maxbox", settings.maximize_box) || !flag(slot.closebox, "closebox", settings.close_box)
        || !flag(slot.insp, "insp", settings.inspector))
        return false;
    if (values[slot.tint]) {
        auto tint = to_f32(values[slot.tint], "tint");
        if (!tint)
            return false;
        settings.tint = *tint;
    }
    settings.center = parse_centering(values[slot.center]);
    return true;
}

PyObject* window_new(PyTypeObject* type, PyObject* args, PyObject* kwargs)
{
    static ArgSpec const spec { "W", { "ttl", "w", "h", "thm", "glass", "tint", "blur", "frameless", "topmost", "center",
                                         "resizable", "minbox", "maxbox", "closebox", "insp" },
        15, 0 };
    PyObject* values[15];
    if (!parse_tuple_args(spec, args, kwargs, values))
        return nullptr;
    auto state = std::make_shared<WindowState>();
    if (!read_options(values, { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14 }, state->settings))
        return nullptr;
    auto* self = create_object<WindowObject>(type);
    if (!self)
        return nullptr;
    self->state = std::move(state);
    return reinterpret_cast<PyObject*>(self);
}

// Opens the native window; with `run_loop` also runs the loop until the window is gone.
PyObject* start(WindowCall& call, bool run_loop)
{
    WindowState& state = call.state();
    if (state.started) {
        PyErr_SetString(PyExc_RuntimeError, "окно уже запущено");
        return nullptr;
    }
    state.started = true;
    state.phase = Phase::Running;
    std::shared_ptr<WindowState> keep = call.object->state;
    // Callbacks may use the W object again while the loop runs.
    call.borrow.release();
    if (!open_native_window(keep, run_loop))
        return nullptr;
    Py_RETURN_NONE;
}

PyObject* go(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.go", {}, 0, 0 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    return start(*call, true);
}

// Hides or shows a node: directly while configuring, through the request queue once running.
PyObject* show_node(WindowCall& call, NodeId node, bool on)
{
    WindowState& state = call.state();
    if (state.is_running()) {
        state.tree.enqueue_request({ .node = node, .a = on ? 1.0f : 0.0f, .kind = RequestKind::Show });
        Py_RETURN_NONE;
    }
    Tree& tree = state.tree;
    bool changed = on ? tree.hidden_set.erase(node) > 0 : tree.hidden_set.insert(node).second;
    if (changed)
        tree.layout_dirty = true;
    Py_RETURN_NONE;
}

PyObject* show(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.show", { "node", "on" }, 2, 0 };
    Args<2> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    if (!a.given(0))
        return start(*call, false);
    auto node = to_node(a[0], "node", *call);
    std::optional<bool> on = a[1] ? to_bool(a[1], "on") : std::optional<bool>(true);
    if (!node || !on)
        return nullptr;
    return show_node(*call, *node, *on);
}

PyObject* close(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.close", {}, 0, 0 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;
    close_native_window(call->state());
    Py_RETURN_NONE;
}

PyObject* rt(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.rt", {}, 0, 0 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;
    return new_node_handle(*call->module, call->state(), call->tree().root);
}

PyObject* size(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.size", {}, 0, 0 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;
    PointF client = native_client_size(call->state());
    return Py_BuildValue("(dd)", static_cast<double>(client.x), static_cast<double>(client.y));
}

PyObject* move(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.move", { "x", "y" }, 2, 2 };
    Args<2> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;
    auto x = to_f32(a[0], "x");
    auto y = to_f32(a[1], "y");
    if (!x || !y)
        return nullptr;
    move_native_window(call->state(), *x, *y);
    Py_RETURN_NONE;
}

PyObject* screen(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.screen", {}, 0, 0 };
    Args<1> a;
    if (!a.parse(spec, args, nargs, kwnames))
        return nullptr;
    std::optional<PointF> size = primary_screen_size();
    if (!size)
        return nullptr;
    return Py_BuildValue("(dd)", static_cast<double>(size->x), static_cast<double>(size->y));
}

PyObject* on_resize(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.on_resize", { "f" }, 1, 1 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call || !call->state().require_configuring())
        return nullptr;
    call->state().on_resize = a[0] == Py_None ? PyRef() : PyRef::borrow(a[0]);
    Py_RETURN_NONE;
}

PyObject* frame(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.frame", { "icon", "cap", "cap_txt", "brd", "dark" }, 0, 0 };
    Args<5> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    FrameDecoration decoration = call->state().frame;
    if (a.given(0)) {
        auto icon = to_utf8(a[0], "icon");
        if (!icon)
            return nullptr;
        decoration.icon = std::string(*icon);
    }
    std::optional<std::uint32_t>* colors[] = { &decoration.caption, &decoration.caption_text, &decoration.border };
    char const* names[] = { "cap", "cap_txt", "brd" };
    for (int i = 0; i < 3; ++i) {
        if (!a.given(1 + i))
            continue;
        auto text = to_utf8(a[1 + i], names[i]);
        if (!text)
            return nullptr;
        *colors[i] = parse_frame_color(*text);
    }
    if (a.given(4)) {
        auto dark = to_bool(a[4], "dark");
        if (!dark)
            return nullptr;
        decoration.dark = *dark;
    }
    call->state().frame = std::move(decoration);
    Py_RETURN_NONE;
}

PyObject* font(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.font", { "family", "size" }, 2, 0 };
    Args<2> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    std::optional<Text> family = a[0] ? to_text(a[0], "family") : Text(u"Segoe UI");
    std::optional<float> font_size = a[1] ? to_f32(a[1], "size") : 20.0f;
    if (!family || !font_size || !call->state().require_configuring())
        return nullptr;
    call->state().font_family = std::move(*family);
    call->state().font_size = *font_size;
    Py_RETURN_NONE;
}

PyObject* build(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.build", { "f" }, 1, 1 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;
    if (call->state().is_running()) {
        // The frame update lends the live tree back for the call: builders
        // inside f work on it directly, and the window runs again afterwards
        // whatever f does.
        std::weak_ptr<WindowState> weak = call->object->state;
        call->tree().build_queue.push([weak, f = PyCallable(a[0], weak)](Tree&) {
            auto window = weak.lock();
            if (!window)
                return;
            window->phase = Phase::Configuring;
            f();
            window->phase = Phase::Running;
        });
        wake_native_window(call->state());
        Py_RETURN_NONE;
    }
    // The builders called by f need the window exclusively.
    call->borrow.release();
    PyRef result = PyRef::steal(PyObject_CallNoArgs(a[0]));
    if (!result)
        return nullptr;
    Py_RETURN_NONE;
}

PyObject* subwin(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.subwin", { "ttl", "w", "h", "thm", "modal", "center", "frameless", "topmost",
                                              "resizable", "minbox", "maxbox", "closebox", "x", "y", "glass", "tint",
                                              "blur", "insp", "on_close" },
        3, 0 };
    Args<19> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto sub = std::make_shared<WindowState>();
    WindowSettings& settings = sub->settings;
    settings.title = "";
    settings.width = 520;
    settings.height = 420;
    settings.minimize_box = false;
    settings.maximize_box = false;
    settings.is_sub = true;
    if (!read_options(a.values.data(), { 0, 1, 2, 3, 14, 15, 16, 6, 7, 5, 8, 9, 10, 11, 17 }, settings))
        return nullptr;
    if (a[4]) {
        auto modal = to_bool(a[4], "modal");
        if (!modal)
            return nullptr;
        settings.modal = *modal;
    }
    auto x = to_opt_f32(a[12], "x");
    auto y = to_opt_f32(a[13], "y");
    if (!x || !y)
        return nullptr;
    settings.x = *x;
    settings.y = *y;
    if (a.given(18))
        sub->on_close = PyRef::borrow(a[18]);
    sub->owner = call->object->state;
    call->state().subwindows.push_back(sub);
    return new_window_object(*call->module, std::move(sub));
}

PyObject* enter(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.__enter__", {}, 0, 0 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;
    Py_INCREF(self);
    return self;
}

PyObject* exit(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.__exit__", { "_t", "_v", "_tb" }, 3, 0 };
    Args<3> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    return start(*call, false);
}

PyObject* on_error(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.on_error", { "f" }, 1, 1 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;
    set_exception_hook(a[0]);
    Py_RETURN_NONE;
}

int window_traverse(PyObject* self, visitproc visit, void* arg)
{
    Py_VISIT(Py_TYPE(self));
    auto* window = reinterpret_cast<WindowObject*>(self);
    if (window->state) {
        Py_VISIT(window->state->on_resize.get());
        Py_VISIT(window->state->on_close.get());
    }
    return 0;
}

void window_dealloc(PyObject* self) { destroy_object<WindowObject>(self); }

}

WindowState::WindowState() : key(next_window_key.fetch_add(1)) { }

WindowState::~WindowState() = default;

bool WindowState::require_configuring() const
{
    if (!is_running())
        return true;
    PyErr_SetString(PyExc_RuntimeError, "окно уже запущено");
    return false;
}

NodeId WindowState::parent_for(std::optional<NodeId> explicit_parent) const
{
    if (explicit_parent)
        return *explicit_parent;
    if (!context_stack.empty())
        return context_stack.back();
    return tree.root;
}

std::optional<WindowCall> enter_window(PyObject* self, PyTypeObject* defining_class, Access access)
{
    auto* object = reinterpret_cast<WindowObject*>(self);
    ThreadBound::Borrow borrow = access == Access::Exclusive ? object->bound.borrow_mut() : object->bound.borrow();
    if (!borrow)
        return std::nullopt;
    return WindowCall { object, &module_state(defining_class), std::move(borrow) };
}

PyObject* new_window_object(ModuleState& module, std::shared_ptr<WindowState> state)
{
    auto* object = create_object<WindowObject>(module.window_type);
    if (!object)
        return nullptr;
    object->state = std::move(state);
    return reinterpret_cast<PyObject*>(object);
}

void add_window_core_methods(MethodList& methods)
{
    methods.insert(methods.end(), {
        method<go>("go", "go($self)\n--\n\nПоказывает окно и запускает цикл сообщений."),
        method<close>("close", "close($self)\n--\n\nЗакрывает окно программно."),
        method<show>("show",
            "show($self, node=None, on=True)\n--\n\nПоказывает окно; с узлом — управляет его видимостью."),
        method<rt>("rt", "rt($self)\n--\n\nВозвращает корневой узел окна."),
        method<size>("size", "size($self)\n--\n\nРазмер клиентской области окна: `(ширина, высота)`."),
        method<move>("move", "move($self, x, y)\n--\n\nПеремещает окно; `(x, y)` — левый верхний угол на экране."),
        { "screen", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(screen)),
            METH_FASTCALL | METH_KEYWORDS | METH_STATIC,
            "screen()\n--\n\nРазмер основного экрана в пикселях: `(ширина, высота)`." },
        method<on_resize>("on_resize",
            "on_resize($self, f)\n--\n\nКолбэк изменения размера окна; `f(width, height)` клиентской области."),
        method<frame>("frame",
            "frame($self, *, icon=None, cap=None, cap_txt=None, brd=None, dark=None)\n--\n\n"
            "Оформление рамки окна; вызывается до показа окна."),
        method<font>("font",
            "font($self, family=\"Segoe UI\", size=20.0)\n--\n\nБазовый шрифт приложения: семейство и размер."),
        method<build>("build",
            "build($self, f)\n--\n\nДостраивает дерево виджетов; работает и после показа окна."),
        method<subwin>("subwin",
            "subwin($self, ttl=\"\", w=520, h=420, *, thm=\"drk\", modal=False, center=None, frameless=False, "
            "topmost=False, resizable=True, minbox=False, maxbox=False, closebox=True, x=None, y=None, glass=False, "
            "tint=0.0, blur=False, insp=False, on_close=None)\n--\n\n"
            "Создаёт дочернее окно с собственным деревом виджетов."),
        method<enter>("__enter__", "__enter__($self)\n--\n\n"),
        method<exit>("__exit__", "__exit__($self, _t=None, _v=None, _tb=None)\n--\n\n"),
        method<on_error>("on_error",
            "on_error($self, f)\n--\n\nХук необработанных исключений колбэков; `f(text)` с traceback."),
    });
}

int add_window_type(PyObject* module, ModuleState& state)
{
    static MethodList methods = [] {
        MethodList list;
        add_window_core_methods(list);
        add_window_signal_methods(list);
        add_window_controller_methods(list);
        for (auto adder : WindowMethodsRegistrar::adders())
            adder(list);
        list.push_back({ nullptr, nullptr, 0, nullptr });
        return list;
    }();
    static PyType_Slot slots[] = {
        { Py_tp_doc, const_cast<char*>("W(ttl=\"ORVY\", w=1280, h=720, thm=\"drk\", glass=False, tint=0.0, blur=False, "
                                       "frameless=False, topmost=False, center=None, resizable=True, minbox=True, "
                                       "maxbox=True, closebox=True, insp=False)\n--\n\n") },
        { Py_tp_new, reinterpret_cast<void*>(window_new) },
        { Py_tp_dealloc, reinterpret_cast<void*>(window_dealloc) },
        { Py_tp_traverse, reinterpret_cast<void*>(window_traverse) },
        { Py_tp_methods, methods.data() },
        { 0, nullptr },
    };
    static PyType_Spec spec = { "_orvy.W", sizeof(WindowObject), 0,
        Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC | Py_TPFLAGS_IMMUTABLETYPE, slots };
    state.window_type = create_type(module, &spec, "W");
    if (!state.window_type)
        return -1;
    return add_type(module, state.window_type, "W");
}

}
