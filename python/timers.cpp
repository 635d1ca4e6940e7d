// Timers (every, after and cancel, which is harmless for unknown or repeated
// ids) and cross-thread calls: `p = w.post()`, then p(f) from any thread runs
// f on the UI thread.
//
// Backlog policy: a window queues at most PostQueue::backlog_limit posted
// calls. p(f) on another thread waits (without the interpreter lock) while
// the backlog is full, so a producer that outruns the UI runs at the UI's
// pace and no call is lost; on the UI thread p(f) never waits. Each frame
// tick runs posted calls for at most PostQueue::frame_budget, so timers,
// input and painting keep their turn. Calls still queued when the window
// closes are dropped, like posts made after it.
#include "python/controllers.hpp"
#include "python/invoke.hpp"
#include "python/method_table.hpp"
#include "python/platform_bridge.hpp"

#include <atomic>

namespace orvy::py {

namespace {

// Timer ids are unique across the windows of the process; the first is 1.
std::atomic<std::uint64_t> next_timer_id { 1 };

PyObject* start_timer(MethodCall& c, bool once)
{
    std::uint64_t id = next_timer_id.fetch_add(1);
    c.tree().timer_inbox.push({ .on_fire = [f = PyCallable(c.object("f"), c.shared_state())](Tree&) { f(); },
        .id = id,
        .milliseconds = c.f32("ms"),
        .once = once });
    wake_native_window(c.state());
    return PyLong_FromUnsignedLongLong(id);
}

PyObject* every(MethodCall& c) { return start_timer(c, false); }
PyObject* after(MethodCall& c) { return start_timer(c, true); }

PyObject* cancel(MethodCall& c)
{
    c.tree().cancelled_timers.push(c.index("tid"));
    Py_RETURN_NONE;
}

// Runs the calls posted for this window, in order and within the frame's
// budget, then refreshes its bindings once; the frame hook of a window that
// handed out a Post. Calls left over keep the frame timer running.
bool serve_posted(PostTarget& target, std::weak_ptr<WindowState> const& window)
{
    if (PostQueue::process().backlog(target) == 0)
        return false;
    PyGILState_STATE gil = PyGILState_Ensure();
    PostQueue::Served served = PostQueue::process().serve(target);
    if (served.ran > 0) {
        if (auto state = window.lock())
            refresh_bindings(*state);
    }
    PyGILState_Release(gil);
    return served.ran > 0 || served.more;
}

PyObject* post(MethodCall& c)
{
    if (!c.state().require_configuring())
        return nullptr;
    auto target = c.state().post;
    std::weak_ptr<WindowState> window = c.shared_state();
    c.tree().frame_hook = [target, window](Tree&) { return serve_posted(*target, window); };
    auto* object = create_object<PostObject>(c.module->post_type);
    if (!object)
        return nullptr;
    object->target = std::move(target);
    return reinterpret_cast<PyObject*>(object);
}

// Releases the interpreter lock while a poster waits for room.
class ReleasedInterpreter final : public PostWait {
public:
    void release() override { m_saved = PyEval_SaveThread(); }
    void reacquire() override { PyEval_RestoreThread(m_saved); }

private:
    PyThreadState* m_saved = nullptr;
};

// p(f): any thread, with the interpreter lock held as for every Python call.
// The call runs without its own refresh: the drain refreshes once per batch.
PyObject* post_call(MethodCall& c)
{
    PostTarget& target = *reinterpret_cast<PostObject*>(c.self)->target;
    if (target.is_alive()) {
        // A full backlog makes this thread wait; the UI thread needs the
        // interpreter lock meanwhile to run the calls that make room.
        ReleasedInterpreter released;
        PostQueue::process().post(target, [f = PyCallable(c.object("f"), {})] { f(); }, &released);
    }
    Py_RETURN_NONE;
}

WindowMethodsRegistrar const registrar {
    row<every>("every", "Периодический вызов каждые `ms` мс; возвращает идентификатор.",
        { real("ms"), required_object("f") }),
    row<after>("after", "Одноразовый вызов через `ms` мс; возвращает идентификатор.",
        { real("ms"), required_object("f") }),
    row<cancel>("cancel", "Отменяет таймер по идентификатору; повторный вызов безвреден.", { wide_index("tid") }),
    row<post>("post", "Очередь вызовов в UI-потоке: `p = win.post()`, далее `p(f)` из любого потока.", {}),
};

}

PyType_Slot post_call_slot() { return call_row<post_call>("Post", { required_object("f") }, plain_method); }

}
