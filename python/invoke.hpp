// The one way Python callbacks are called: interpreter lock, positional
// arguments, the exception hook, then the window's binding refresh.
#pragma once

#include "python/pyref.hpp"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_set>
#include <vector>

namespace orvy::py {

struct WindowState;
struct ModuleState;

// Hands the pending Python error to the calling thread's exception hook, or
// prints it when no hook is set. The error is cleared afterwards.
void report_exception();

// Sets (or, with None, clears) the calling thread's exception hook.
void set_exception_hook(PyObject* hook);

// Re-evaluates the window's pull bindings whose signals changed, then the
// thread's window-property signals.
void refresh_bindings(WindowState& window);
// The refresh when a sub-window closes: its own bindings and its owner's,
// which stays open and may show what the closed window changed.
void refresh_after_close(WindowState& closed);

// Calls the pull callable f() unless it read signals before and none of them
// changed since; records the signals it reads into `ids`. Returns the
// result, or null when skipped or failed (the failure reported).
PyRef evaluate_pull(PyObject* f, std::vector<std::uint32_t>& ids);

// Calls `callable(*args)` with the interpreter lock held by the caller.
// `args` is a tuple or null (no arguments). Returns the result, or null
// after the error went to the exception hook; then refreshes `window`'s
// bindings when one is given.
PyRef invoke(PyObject* callable, PyObject* args, WindowState* window);

// Number of positional parameters `f` declares, as the table callback needs
// it to choose its call form; 1 when it cannot be told.
int positional_parameter_count(ModuleState& state, PyObject* f);

// Native values as Python objects for callback arguments.
PyObject* to_py(bool value);
PyObject* to_py(std::int64_t value);
PyObject* to_py(double value);
PyObject* to_py(std::string_view utf8);
PyObject* to_py(std::u16string_view utf16);
PyObject* to_py(std::vector<std::uint32_t> const& values);
PyObject* to_py(std::vector<float> const& values);
PyObject* to_py(std::vector<std::string> const& values);
// A file-system path, and a list of them: bytes that are not UTF-8 come
// back as surrogate escapes, as os.fsdecode gives them, so that the path
// still opens the file.
struct FilePath {
    std::string_view bytes;
};
struct FilePaths {
    std::vector<std::string> const& items;
};
PyObject* to_py(FilePath path);
PyObject* to_py(FilePaths paths);
template<class T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool>)
PyObject* to_py(T value) { return to_py(static_cast<std::int64_t>(value)); }
inline PyObject* to_py(float value) { return to_py(static_cast<double>(value)); }
inline PyObject* to_py(char const* utf8) { return to_py(std::string_view(utf8)); }
inline PyObject* to_py(std::string const& utf8) { return to_py(std::string_view(utf8)); }
inline PyObject* to_py(std::u16string const& utf16) { return to_py(std::u16string_view(utf16)); }

// Builds the positional argument tuple; null with the error set on failure.
template<class... Values>
PyRef make_args(Values const&... values)
{
    PyRef tuple = PyRef::steal(PyTuple_New(sizeof...(Values)));
    if (!tuple)
        return {};
    Py_ssize_t index = 0;
    bool ok = true;
    ((ok = ok && [&] {
        PyObject* item = to_py(values);
        if (!item)
            return false;
        PyTuple_SetItem(tuple.get(), index++, item);
        return true;
    }()),
        ...);
    (void)index; // unused when there are no values
    return ok ? tuple : PyRef();
}

class PyCallable;

// The PyCallables made for one window, wherever core keeps them (node slots,
// the event registry, timers, hooks), so that the window's W object can
// show them to the garbage collector and drop them when it breaks a cycle.
// Members add and remove themselves; core may move them on any thread, so
// the set has a lock of its own. It holds no Python references itself and
// may be destroyed anywhere.
class CallableRegistry {
public:
    // Visits every held callable (interpreter lock held).
    int traverse(visitproc visit, void* arg);
    // Drops every held callable (interpreter lock held): the members stay,
    // and calling them does nothing from then on.
    void clear();

private:
    friend class PyCallable;
    std::mutex m_mutex;
    std::unordered_set<PyCallable*> m_members;
};

// A Python callable owned by core (a node slot, the registry, a timer).
// It may be called and destroyed wherever core likes: it takes the
// interpreter lock itself. One made for a window is listed in that window's
// CallableRegistry; once the registry cleared it, it holds nothing and its
// calls do nothing.
class PyCallable {
public:
    PyCallable(PyObject* callable, std::weak_ptr<WindowState> window);
    PyCallable(PyCallable&& other) noexcept;
    PyCallable& operator=(PyCallable&&) = delete;
    PyCallable(PyCallable const&) = delete;
    ~PyCallable();

    PyObject* get() const { return m_callable; }

    // Calls with the values converted to Python; the result is dropped.
    template<class... Values>
    void operator()(Values const&... values) const
    {
        call_with([&] { return make_args(values...); }, [](PyObject*) { });
    }

    // Calls with arguments from `build_args` (returning a PyRef tuple) and
    // hands a successful result to `use_result`, all under the lock.
    template<class BuildArgs, class UseResult>
    void call_with(BuildArgs&& build_args, UseResult&& use_result) const
    {
        PyGILState_STATE gil = PyGILState_Ensure();
        if (m_callable) {
            std::shared_ptr<WindowState> window = m_window.lock();
            PyRef args = build_args();
            if (!args) {
                report_exception();
            } else {
                PyRef result = invoke(m_callable, args.get(), window.get());
                if (result)
                    use_result(result.get());
            }
        }
        PyGILState_Release(gil);
    }

private:
    friend class CallableRegistry;
    PyObject* m_callable;
    std::weak_ptr<WindowState> m_window;
    // The window's registry that lists this callable; null for a callable
    // made without a window.
    std::shared_ptr<CallableRegistry> m_registry;
};

}
