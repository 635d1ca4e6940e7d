// The window class W: its constructor and the methods that show, run, move
// and decorate the window (go shows it and runs the loop; build adds widgets
// now, or in the next frame once running). The builders and node operations
// come from the other files.
#include "python/window.hpp"

#include "python/invoke.hpp"
#include "python/method_table.hpp"
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

// Reads the options shared by W(...) and subwin(...); omitted ones are the row's defaults.
void read_options(MethodCall& c, WindowSettings& settings)
{
    settings.title = c.utf8("ttl");
    settings.width = c.i32("w");
    settings.height = c.i32("h");
    settings.theme = c.utf8("thm");
    settings.glass = c.flag("glass");
    settings.tint = c.f32("tint");
    settings.blur = c.flag("blur");
    settings.frameless = c.flag("frameless");
    settings.topmost = c.flag("topmost");
    settings.center = parse_centering(c.object("center"));
    settings.resizable = c.flag("resizable");
    settings.minimize_box = c.flag("minbox");
    settings.maximize_box = c.flag("maxbox");
    settings.close_box = c.flag("closebox");
    settings.inspector = c.flag("insp");
}

PyObject* window_new(MethodCall& c)
{
    auto state = std::make_shared<WindowState>();
    read_options(c, state->settings);
    auto* self = create_object<WindowObject>(reinterpret_cast<PyTypeObject*>(c.self));
    if (!self)
        return nullptr;
    self->state = std::move(state);
    // A window is coming: its backend opens while the script builds the widgets.
    prepare_platform_services();
    return reinterpret_cast<PyObject*>(self);
}

// Opens the native window; with `run_loop` also runs the loop until the window is gone.
PyObject* start(MethodCall& c, bool run_loop)
{
    WindowState& state = c.state();
    if (state.started) {
        PyErr_SetString(PyExc_RuntimeError, "окно уже запущено");
        return nullptr;
    }
    state.started = true;
    state.phase = Phase::Running;
    std::shared_ptr<WindowState> keep = c.shared_state();
    // Callbacks may use the W object again while the loop runs.
    c.window().borrow.release();
    if (!open_native_window(keep, run_loop))
        return nullptr;
    Py_RETURN_NONE;
}

PyObject* go(MethodCall& c) { return start(c, true); }

// Hides or shows a node: directly while configuring, through the request queue once running.
PyObject* show_node(MethodCall& c, NodeId node, bool on)
{
    WindowState& state = c.state();
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

PyObject* show(MethodCall& c)
{
    if (auto node = c.optional_node("node"))
        return show_node(c, *node, c.flag("on"));
    return start(c, false);
}

PyObject* close(MethodCall& c)
{
    close_native_window(c.state());
    Py_RETURN_NONE;
}

PyObject* rt(MethodCall& c) { return new_node_handle(*c.module, c.state(), c.tree().root); }

PyObject* size(MethodCall& c)
{
    PointF client = native_client_size(c.state());
    return Py_BuildValue("(dd)", static_cast<double>(client.x), static_cast<double>(client.y));
}

PyObject* move(MethodCall& c)
{
    move_native_window(c.state(), c.f32("x"), c.f32("y"));
    Py_RETURN_NONE;
}

PyObject* screen(MethodCall&)
{
    std::optional<PointF> size = primary_screen_size();
    if (!size)
        return nullptr;
    return Py_BuildValue("(dd)", static_cast<double>(size->x), static_cast<double>(size->y));
}

PyObject* on_resize(MethodCall& c)
{
    if (!c.state().require_configuring())
        return nullptr;
    PyObject* f = c.object("f");
    c.state().on_resize = f == Py_None ? PyRef() : PyRef::borrow(f);
    Py_RETURN_NONE;
}

PyObject* frame(MethodCall& c)
{
    FrameDecoration decoration = c.state().frame;
    if (c.given("icon"))
        decoration.icon = std::string(c.utf8("icon"));
    for (auto [name, color] : { std::pair { "cap", &decoration.caption }, std::pair { "cap_txt", &decoration.caption_text },
             std::pair { "brd", &decoration.border } }) {
        if (c.given(name))
            *color = parse_frame_color(c.utf8(name));
    }
    if (c.given("dark"))
        decoration.dark = c.flag("dark");
    c.state().frame = std::move(decoration);
    Py_RETURN_NONE;
}

PyObject* font(MethodCall& c)
{
    if (!c.state().require_configuring())
        return nullptr;
    c.state().font_family = std::move(c.text("family"));
    c.state().font_size = c.f32("size");
    Py_RETURN_NONE;
}

PyObject* build(MethodCall& c)
{
    PyObject* f = c.object("f");
    if (c.running()) {
        // The frame update lends the live tree back for the call: builders
        // inside f work on it directly, and the window runs again afterwards
        // whatever f does.
        std::weak_ptr<WindowState> weak = c.shared_state();
        c.tree().build_queue.push([weak, f = PyCallable(f, weak)](Tree&) {
            auto window = weak.lock();
            if (!window)
                return;
            window->phase = Phase::Configuring;
            f();
            window->phase = Phase::Running;
        });
        wake_native_window(c.state());
        Py_RETURN_NONE;
    }
    // The builders called by f need the window exclusively.
    c.window().borrow.release();
    PyRef result = PyRef::steal(PyObject_CallNoArgs(f));
    if (!result)
        return nullptr;
    Py_RETURN_NONE;
}

// A window state whose Python references its W object may report to the
// collector and drop: nothing but the W object holds the state (no running
// loop or native window; a callback being called holds it too), so nothing
// else can still call them. Contexts, controllers and owner windows hold the
// W object and report that reference themselves.
bool solely_held(std::shared_ptr<WindowState> const& state) { return state.use_count() == 1 && state->native == 0; }

// Lets go of the sub-windows nothing but this window refers to and that are
// not shown: unreachable, they can never be shown again (a closed one has
// run its close hook already), and a program that makes a sub-window per
// action would otherwise keep every one of them while its main window lives.
// Those that refer back to this window are left to the collector.
void release_unreachable_subwindows(WindowState& state)
{
    std::vector<PyRef> kept, released;
    for (PyRef& sub : state.subwindows) {
        auto const& sub_state = reinterpret_cast<WindowObject*>(sub.get())->state;
        bool unreachable = Py_REFCNT(sub.get()) == 1 && sub_state && solely_held(sub_state);
        (unreachable ? released : kept).push_back(std::move(sub));
    }
    state.subwindows = std::move(kept);
    // `released` goes last, with the list whole again: a released window's
    // callables may run code as they go.
}

PyObject* subwin(MethodCall& c)
{
    release_unreachable_subwindows(c.state());
    auto sub = std::make_shared<WindowState>();
    WindowSettings& settings = sub->settings;
    settings.is_sub = true;
    read_options(c, settings);
    settings.modal = c.flag("modal");
    settings.x = c.optional_f32("x");
    settings.y = c.optional_f32("y");
    if (c.given("on_close"))
        sub->on_close = PyRef::borrow(c.object("on_close"));
    sub->owner = c.shared_state();
    PyRef object = PyRef::steal(new_window_object(*c.module, std::move(sub)));
    if (!object)
        return nullptr;
    c.state().subwindows.push_back(object);
    return object.release();
}

PyObject* enter(MethodCall& c)
{
    Py_INCREF(c.self);
    return c.self;
}

PyObject* exit(MethodCall& c) { return start(c, false); }

PyObject* on_error(MethodCall& c)
{
    set_exception_hook(c.object("f"));
    Py_RETURN_NONE;
}

// Visits the references of a solely held state, the sub-windows' W objects
// included: each of those reports its own state in turn.
int visit_window_state(WindowState& state, visitproc visit, void* arg)
{
    Py_VISIT(state.on_resize.get());
    Py_VISIT(state.on_close.get());
    for (Binding const& binding : state.bindings)
        Py_VISIT(binding.callable.get());
    for (auto const& kept : state.kept_objects)
        Py_VISIT(kept.second.get());
    for (PyRef const& sub : state.subwindows)
        Py_VISIT(sub.get());
    return state.callables->traverse(visit, arg);
}

// Drops the callables and kept objects visit_window_state reports; the
// sub-windows stay, as the collector clears those that are garbage through
// their own W objects. The objects are released only after the state let go
// of all of them, as releasing one may run code.
void clear_window_state(WindowState& state)
{
    std::vector<PyRef> dropped;
    dropped.push_back(std::move(state.on_resize));
    dropped.push_back(std::move(state.on_close));
    // The bindings stay (their nodes and order matter to the refresh), without callables.
    for (Binding& binding : state.bindings)
        dropped.push_back(std::move(binding.callable));
    for (auto& kept : state.kept_objects)
        dropped.push_back(std::move(kept.second));
    state.kept_objects.clear();
    state.callables->clear();
}

int window_traverse(PyObject* self, visitproc visit, void* arg)
{
    Py_VISIT(Py_TYPE(self));
    auto* window = reinterpret_cast<WindowObject*>(self);
    if (window->state && solely_held(window->state))
        return visit_window_state(*window->state, visit, arg);
    return 0;
}

int window_clear(PyObject* self)
{
    auto* window = reinterpret_cast<WindowObject*>(self);
    if (window->state && solely_held(window->state))
        clear_window_state(*window->state);
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

namespace {

// The window's own methods, which lead the table.
MethodList window_core_rows()
{
    constexpr RowOptions shared { .access = Access::Shared };
    return {
        row<go>("go", "Показывает окно и запускает цикл сообщений.", {}),
        row<close>("close", "Закрывает окно программно.", {}, shared),
        row<show>("show", "Показывает окно; с узлом — управляет его видимостью.",
            { optional_node("node"), flag("on", true) }),
        row<rt>("rt", "Возвращает корневой узел окна.", {}, shared),
        row<size>("size", "Размер клиентской области окна: `(ширина, высота)`.", {}, shared),
        row<move>("move", "Перемещает окно; `(x, y)` — левый верхний угол на экране.", { real("x"), real("y") }, shared),
        method_row<screen>("W", "screen", "Размер основного экрана в пикселях: `(ширина, высота)`.", {}, no_receiver),
        row<on_resize>("on_resize", "Колбэк изменения размера окна; `f(width, height)` клиентской области.",
            { required_object("f") }),
        row<frame>("frame", "Оформление рамки окна; вызывается до показа окна.",
            { keyword_only, optional_utf8("icon"), optional_utf8("cap"), optional_utf8("cap_txt"), optional_utf8("brd"),
                optional_flag("dark") }),
        row<font>("font", "Базовый шрифт приложения: семейство и размер.",
            { text("family", "Segoe UI"), real("size", 20.0) }),
        row<build>("build", "Достраивает дерево виджетов; работает и после показа окна.", { required_object("f") },
            shared),
        row<subwin>("subwin", "Создаёт дочернее окно с собственным деревом виджетов.",
            { utf8("ttl", ""), integer("w", 520), integer("h", 420), keyword_only, utf8("thm", "drk"),
                flag("modal", false), object("center"), flag("frameless", false), flag("topmost", false),
                flag("resizable", true), flag("minbox", false), flag("maxbox", false), flag("closebox", true),
                optional_real("x"), optional_real("y"), flag("glass", false), real("tint", 0.0), flag("blur", false),
                flag("insp", false), object("on_close") }),
        row<enter>("__enter__", "", {}, shared),
        row<exit>("__exit__", "", { object("_t"), object("_v"), object("_tb") }),
        row<on_error>("on_error", "Хук необработанных исключений колбэков; `f(text)` с traceback.",
            { required_object("f") }, shared),
    };
}

}

int add_window_type(PyObject* module, ModuleState& state)
{
    static MethodList methods = [] {
        MethodList list = window_core_rows();
        list.insert(list.end(), WindowMethodsRegistrar::rows().begin(), WindowMethodsRegistrar::rows().end());
        list.push_back({ nullptr, nullptr, 0, nullptr });
        return list;
    }();
    static ConstructorSlots const created = constructor_row<window_new>("W", "",
        { utf8("ttl", "ORVY"), integer("w", 1280), integer("h", 720), utf8("thm", "drk"), flag("glass", false),
            real("tint", 0.0), flag("blur", false), flag("frameless", false), flag("topmost", false), object("center"),
            flag("resizable", true), flag("minbox", true), flag("maxbox", true), flag("closebox", true),
            flag("insp", false) });
    static PyType_Slot slots[] = {
        created.doc,
        created.create,
        { Py_tp_dealloc, reinterpret_cast<void*>(window_dealloc) },
        { Py_tp_traverse, reinterpret_cast<void*>(window_traverse) },
        { Py_tp_clear, reinterpret_cast<void*>(window_clear) },
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
