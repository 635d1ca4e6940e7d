// Timers and cross-thread calls:
//     W.every(ms, f) -> int     # repeating timer
//     W.after(ms, f) -> int     # one-shot timer
//     W.cancel(tid)             # harmless for unknown or repeated ids
//     W.post() -> Post          # p = w.post(); p(f) from any thread runs f on the UI thread
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
#include "python/platform_bridge.hpp"

#include <atomic>

namespace orvy::py {

namespace {

// Timer ids are unique across the windows of the process; the first is 1.
std::atomic<std::uint64_t> next_timer_id { 1 };

PyObject* start_timer(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
    bool once)
{
    static ArgSpec const every_spec { "W.every", { "ms", "f" }, 2, 2 };
    static ArgSpec const after_spec { "W.after", { "ms", "f" }, 2, 2 };
    Args<2> a;
    auto call = enter_method(a, once ? after_spec : every_spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto ms = to_f32(a[0], "ms");
    if (!ms)
        return nullptr;
    std::uint64_t id = next_timer_id.fetch_add(1);
    call->tree().timer_inbox.push({ .on_fire = [f = PyCallable(a[1], call->object->state)](Tree&) { f(); },
        .id = id,
        .milliseconds = *ms,
        .once = once });
    wake_native_window(call->state());
    return PyLong_FromUnsignedLongLong(id);
}

PyObject* every(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    return start_timer(self, cls, args, nargs, kwnames, false);
}

PyObject* after(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    return start_timer(self, cls, args, nargs, kwnames, true);
}

PyObject* cancel(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.cancel", { "tid" }, 1, 1 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call)
        return nullptr;
    auto tid = to_index(a[0], "tid", UINT64_MAX);
    if (!tid)
        return nullptr;
    call->tree().cancelled_timers.push(*tid);
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

PyObject* post(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.post", {}, 0, 0 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Exclusive);
    if (!call || !call->state().require_configuring())
        return nullptr;
    auto target = call->state().post;
    std::weak_ptr<WindowState> window = call->object->state;
    call->tree().frame_hook = [target, window](Tree&) { return serve_posted(*target, window); };
    auto* object = create_object<PostObject>(call->module->post_type);
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
PyObject* post_call(PyObject* self, PyObject* args, PyObject* kwargs)
{
    static ArgSpec const spec { "Post.__call__", { "f" }, 1, 1 };
    PyObject* values[1];
    if (!parse_tuple_args(spec, args, kwargs, values))
        return nullptr;
    PostTarget& target = *reinterpret_cast<PostObject*>(self)->target;
    if (target.is_alive()) {
        // A full backlog makes this thread wait; the UI thread needs the
        // interpreter lock meanwhile to run the calls that make room.
        ReleasedInterpreter released;
        PostQueue::process().post(target, [f = PyCallable(values[0], {})] { f(); }, &released);
    }
    Py_RETURN_NONE;
}

void add_methods(MethodList& methods)
{
    methods.insert(methods.end(), {
        method<every>("every", "every($self, ms, f)\n--\n\nПериодический вызов каждые `ms` мс; возвращает идентификатор."),
        method<after>("after", "after($self, ms, f)\n--\n\nОдноразовый вызов через `ms` мс; возвращает идентификатор."),
        method<cancel>("cancel", "cancel($self, tid)\n--\n\nОтменяет таймер по идентификатору; повторный вызов безвреден."),
        method<post>("post",
            "post($self)\n--\n\nОчередь вызовов в UI-потоке: `p = win.post()`, далее `p(f)` из любого потока."),
    });
}

WindowMethodsRegistrar const registrar(add_methods);

}

PyType_Slot post_call_slot() { return { Py_tp_call, reinterpret_cast<void*>(post_call) }; }

}
