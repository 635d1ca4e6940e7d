// WindowState and the W object: the per-window state shared by the W object
// and, once shown, the native window. Contexts, controllers and the owner of
// a sub-window hold the W object, never the state itself (see WindowObject).
#pragma once

#include "core/frame/window_core.hpp"
#include "core/tree/tree.hpp"
#include "core/window/decoration.hpp"
#include "core/window/post_queue.hpp"
#include "python/args.hpp"
#include "python/invoke.hpp"
#include "python/module.hpp"
#include "python/thread_bound.hpp"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvy::py {

enum class Phase : std::uint8_t { Configuring, Running };
enum class Centering : std::uint8_t { None, Screen, Parent };

// The options a window is created with; fixed at construction.
struct WindowSettings {
    std::string title = "ORVY";
    std::int32_t width = 1280;
    std::int32_t height = 720;
    std::string theme = "drk";
    bool glass = false;
    float tint = 0.0f;
    bool blur = false;
    bool frameless = false;
    bool topmost = false;
    Centering center = Centering::None;
    bool resizable = true;
    bool minimize_box = true;
    bool maximize_box = true;
    bool close_box = true;
    bool inspector = false;
    // Sub-windows only.
    bool is_sub = false;
    bool modal = false;
    std::optional<float> x;
    std::optional<float> y;
};

// What a pull binding's result is applied to.
enum class BindingKind : std::uint8_t {
    Text,          // str: label, status, badge text; text field text (sig)
    Value,         // number: numeric state, stack page; progress and gauge clamped to 0..1
    Composite,     // up to three numbers: range, time, calendar, colour (sig)
    Rect,          // tuple (x, y, w, h): absolute placement
    PaddingGap,    // (padding, gap)
    Items,         // list of str
    Rows,          // table rows
    Depth,         // z
    ImageSource,   // path
    ImageFit,      // fit name
    Chart,         // list of numbers
    Propgrid,      // list of (key, value)
    TreeRows,      // tree rows
    CanvasShapes,  // shapes
};

struct Binding {
    BindingKind kind;
    NodeId node;
    PyRef callable;
    // The signals the callable read in its evaluations so far. Kept with the
    // binding rather than by the callable's identity, which a new object may
    // take over once a window and its bindings are gone.
    std::vector<std::uint32_t> dependencies;
};

struct WindowState {
    WindowState();
    WindowState(WindowState const&) = delete;
    WindowState& operator=(WindowState const&) = delete;
    ~WindowState();

    bool is_running() const { return phase == Phase::Running; }
    // Sets RuntimeError "окно уже запущено" and returns false once the window runs.
    bool require_configuring() const;
    // The explicit parent, else the innermost open `with` block, else the root.
    NodeId parent_for(std::optional<NodeId> explicit_parent) const;

    std::uint64_t key; // unique per process; also identifies the tree for node handles
    // The Python callables made for this window, for the W object's garbage
    // collection support.
    std::shared_ptr<CallableRegistry> callables = std::make_shared<CallableRegistry>();
    Tree tree;
    std::vector<NodeId> context_stack;
    Phase phase = Phase::Configuring;
    // Set by the first go() or show() for good: build() lends the tree back
    // in the configuring phase, but the window stays started.
    bool started = false;
    WindowSettings settings;
    FrameDecoration frame;
    Text font_family = u"Segoe UI";
    float font_size = 20.0f;
    PyRef on_resize;
    PyRef on_close;
    std::vector<Binding> bindings; // pull bindings in registration order
    // Objects a widget keeps for its life without using them (the `bg` of a table).
    std::vector<std::pair<NodeId, PyRef>> kept_objects;
    // The W objects of the sub-windows made by subwin(), which keep their
    // states alive; those nothing else refers to and not shown are let go
    // at the next subwin().
    std::vector<PyRef> subwindows;
    std::weak_ptr<WindowState> owner;
    // The native window, once shown (0 before and after).
    WindowId native = 0;
    WindowCells cells;
    // This window's end of the process-wide post queue, and the wake-ups
    // its posts have sent (for tests).
    std::shared_ptr<PostTarget> post = std::make_shared<PostTarget>(key);
    std::shared_ptr<std::atomic<std::uint64_t>> post_wakeups = std::make_shared<std::atomic<std::uint64_t>>(0);
};

// The W object is the one Python owner of its window state: a context, a
// controller or the owner of a sub-window references the W object instead
// of sharing the state. So while the state has no other owner (no native
// window, running loop or callback being called), the W object alone can
// show the state's Python references to the garbage collector, and every
// Python object that keeps the window alive is seen by the collector as
// keeping the W object alive.
struct WindowObject {
    PyObject_HEAD
    ThreadBound bound { "PyWindow" };
    std::shared_ptr<WindowState> state;
};

// The state of a W object (`window` must be one).
inline std::shared_ptr<WindowState>& state_of_window_object(PyObject* window)
{
    return reinterpret_cast<WindowObject*>(window)->state;
}

enum class Access : std::uint8_t { Shared, Exclusive };

// What every W method starts with: the thread check, the borrow, the module state.
struct WindowCall {
    WindowObject* object = nullptr;
    ModuleState* module = nullptr;
    ThreadBound::Borrow borrow;
    WindowState& state() const { return *object->state; }
    Tree& tree() const { return object->state->tree; }
};
std::optional<WindowCall> enter_window(PyObject* self, PyTypeObject* defining_class, Access access);

// A node handle argument: must be an N of this window's tree.
std::optional<NodeId> node_of_window(PyObject* value, char const* name, ModuleState& module, WindowState const& window);

// The thread's current window: the window whose bindings are being
// refreshed, else the last native window created on this thread (null once
// it is gone). The window-property signals apply to it.
WindowState* current_window();
void set_created_window(std::shared_ptr<WindowState> const& window);

class CurrentWindowScope {
public:
    explicit CurrentWindowScope(WindowState& window);
    ~CurrentWindowScope();
    CurrentWindowScope(CurrentWindowScope const&) = delete;
    CurrentWindowScope& operator=(CurrentWindowScope const&) = delete;

private:
    WindowState* m_previous;
};

// Evaluates the thread's window-property signals into the current window's effects.
void refresh_window_properties();

// New handles for Python.
PyObject* new_node_handle(ModuleState& module, WindowState const& window, NodeId id);
// `window` is the W object the context keeps alive.
PyObject* new_context(ModuleState& module, PyObject* window, NodeId id);
PyObject* new_window_object(ModuleState& module, std::shared_ptr<WindowState> state);

}
