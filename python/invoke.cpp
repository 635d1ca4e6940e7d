// Callback invocation, the per-thread exception hook and the parameter-count probe.
#include "python/invoke.hpp"

#include "python/module.hpp"
#include "python/window.hpp"

#include <string>

namespace orvy::py {

namespace {

constexpr char const* hook_key = "orvy.on_error";

// Compiled as the module "probe" from "probe.py" the first time a table
// callback needs its parameter count.
constexpr char probe_source[] = "import inspect\n"
                                "def n(f):\n"
                                "  try:\n"
                                "   return sum(1 for p in inspect.signature(f).parameters.values()\n"
                                "    if p.kind in (p.POSITIONAL_ONLY, p.POSITIONAL_OR_KEYWORD))\n"
                                "  except Exception:\n"
                                "   return 1\n";
static_assert(sizeof(probe_source) - 1 == 193);

PyObject* thread_hook()
{
    PyObject* dict = PyThreadState_GetDict();
    if (!dict)
        return nullptr;
    return PyDict_GetItemString(dict, hook_key); // borrowed
}

// "Type: message", the way the interpreter shows an exception in one line.
PyRef exception_one_line(PyObject* type, PyObject* value)
{
    PyRef name = PyRef::steal(type ? PyType_GetName(reinterpret_cast<PyTypeObject*>(type)) : nullptr);
    PyRef message = PyRef::steal(value ? PyObject_Str(value) : nullptr);
    if (!name || !message) {
        PyErr_Clear();
        return PyRef::steal(PyUnicode_FromString("Exception"));
    }
    if (PyUnicode_GetLength(message.get()) == 0)
        return name;
    return PyRef::steal(PyUnicode_FromFormat("%U: %U", name.get(), message.get()));
}

PyRef format_exception_text(PyObject* type, PyObject* value, PyObject* traceback)
{
    PyRef module = PyRef::steal(PyImport_ImportModule("traceback"));
    PyRef format = PyRef::steal(module ? PyObject_GetAttrString(module.get(), "format_exception") : nullptr);
    if (!format) {
        PyErr_Clear();
        return exception_one_line(type, value);
    }
    PyRef lines = PyRef::steal(PyObject_CallFunctionObjArgs(format.get(), type ? type : Py_None,
        value ? value : Py_None, traceback ? traceback : Py_None, nullptr));
    if (!lines || !PyList_Check(lines.get())) {
        PyErr_Clear();
        return exception_one_line(type, value);
    }
    PyRef empty = PyRef::steal(PyUnicode_FromString(""));
    PyRef joined = PyRef::steal(empty ? PyUnicode_Join(empty.get(), lines.get()) : nullptr);
    if (!joined) {
        PyErr_Clear();
        return exception_one_line(type, value);
    }
    return joined;
}

}

void set_exception_hook(PyObject* hook)
{
    PyObject* dict = PyThreadState_GetDict();
    if (!dict)
        return;
    if (!hook || hook == Py_None) {
        if (PyDict_GetItemString(dict, hook_key) && PyDict_DelItemString(dict, hook_key) < 0)
            PyErr_Clear();
        return;
    }
    if (PyDict_SetItemString(dict, hook_key, hook) < 0)
        PyErr_Clear();
}

void report_exception()
{
    if (!PyErr_Occurred())
        return;
    PyObject* hook = thread_hook();
    if (!hook) {
        PyErr_PrintEx(0);
        return;
    }
    PyRef keep_hook = PyRef::borrow(hook); // the hook may replace itself while it runs
    PyObject *type, *value, *traceback;
    PyErr_Fetch(&type, &value, &traceback);
    PyErr_NormalizeException(&type, &value, &traceback);
    if (traceback && value)
        PyException_SetTraceback(value, traceback);
    PyRef owned_type = PyRef::steal(type), owned_value = PyRef::steal(value), owned_traceback = PyRef::steal(traceback);

    PyRef text = format_exception_text(type, value, traceback);
    PyRef result = PyRef::steal(text ? PyObject_CallFunctionObjArgs(keep_hook.get(), text.get(), nullptr) : nullptr);
    if (!result)
        PyErr_PrintEx(0); // the hook itself failed; the first error is dropped
}

PyRef invoke(PyObject* callable, PyObject* args, WindowState* window)
{
    PyRef result;
    if (args)
        result = PyRef::steal(PyObject_Call(callable, args, nullptr));
    else
        result = PyRef::steal(PyObject_CallNoArgs(callable));
    if (!result)
        report_exception();
    if (window)
        refresh_bindings(*window);
    return result;
}

int positional_parameter_count(ModuleState& state, PyObject* f)
{
    if (!state.probe_function) {
        PyRef code = PyRef::steal(Py_CompileString(probe_source, "probe.py", Py_file_input));
        PyRef module = PyRef::steal(code ? PyModule_New("probe") : nullptr);
        PyObject* globals = module ? PyModule_GetDict(module.get()) : nullptr;
        if (globals) {
            PyDict_SetItemString(globals, "__builtins__", PyEval_GetBuiltins());
            PyRef file = PyRef::steal(PyUnicode_FromString("probe.py"));
            PyDict_SetItemString(globals, "__file__", file.get());
            PyRef ran = PyRef::steal(PyEval_EvalCode(code.get(), globals, globals));
            if (ran)
                state.probe_function = PyDict_GetItemString(globals, "n");
            Py_XINCREF(state.probe_function);
        }
        if (!state.probe_function) {
            PyErr_Clear();
            return 1;
        }
    }
    PyRef count = PyRef::steal(PyObject_CallFunctionObjArgs(state.probe_function, f, nullptr));
    if (!count) {
        PyErr_Clear();
        return 1;
    }
    long value = PyLong_AsLong(count.get());
    if (value == -1 && PyErr_Occurred()) {
        PyErr_Clear();
        return 1;
    }
    return static_cast<int>(value);
}

PyObject* to_py(bool value) { return PyBool_FromLong(value); }
PyObject* to_py(std::int64_t value) { return PyLong_FromLongLong(value); }
PyObject* to_py(double value) { return PyFloat_FromDouble(value); }
PyObject* to_py(std::string_view utf8)
{
    return PyUnicode_DecodeUTF8(utf8.data(), static_cast<Py_ssize_t>(utf8.size()), "replace");
}
PyObject* to_py(FilePath path)
{
    return PyUnicode_DecodeFSDefaultAndSize(path.bytes.data(), static_cast<Py_ssize_t>(path.bytes.size()));
}
PyObject* to_py(std::u16string_view utf16)
{
    int little_endian = -1;
    return PyUnicode_DecodeUTF16(reinterpret_cast<char const*>(utf16.data()),
        static_cast<Py_ssize_t>(utf16.size() * 2), "replace", &little_endian);
}

template<class T, class Convert>
static PyObject* list_to_py(std::vector<T> const& values, Convert convert)
{
    PyRef list = PyRef::steal(PyList_New(static_cast<Py_ssize_t>(values.size())));
    if (!list)
        return nullptr;
    for (std::size_t i = 0; i < values.size(); ++i) {
        PyObject* item = convert(values[i]);
        if (!item)
            return nullptr;
        PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), item);
    }
    return list.release();
}

static constexpr auto plain = [](auto const& value) { return to_py(value); };
PyObject* to_py(std::vector<std::uint32_t> const& values) { return list_to_py(values, plain); }
PyObject* to_py(std::vector<float> const& values) { return list_to_py(values, plain); }
PyObject* to_py(std::vector<std::string> const& values) { return list_to_py(values, plain); }
PyObject* to_py(FilePaths paths)
{
    return list_to_py(paths.items, [](std::string const& path) { return to_py(FilePath { path }); });
}

PyCallable::PyCallable(PyObject* callable, std::weak_ptr<WindowState> window)
    : m_callable(callable), m_window(std::move(window))
{
    Py_INCREF(callable);
    if (auto state = m_window.lock()) {
        m_registry = state->callables;
        std::lock_guard lock(m_registry->m_mutex);
        m_registry->m_members.insert(this);
    }
}

PyCallable::PyCallable(PyCallable&& other) noexcept
    : m_callable(nullptr), m_window(std::move(other.m_window)), m_registry(std::move(other.m_registry))
{
    if (!m_registry) {
        m_callable = std::exchange(other.m_callable, nullptr);
        return;
    }
    // Under the lock, so that a clear sees the callable in exactly one of the two.
    std::lock_guard lock(m_registry->m_mutex);
    m_callable = std::exchange(other.m_callable, nullptr);
    m_registry->m_members.erase(&other);
    m_registry->m_members.insert(this);
}

PyCallable::~PyCallable()
{
    PyObject* callable = m_callable;
    if (m_registry) {
        std::lock_guard lock(m_registry->m_mutex);
        m_registry->m_members.erase(this);
        callable = std::exchange(m_callable, nullptr);
    }
    if (!callable || !Py_IsInitialized())
        return;
    PyGILState_STATE gil = PyGILState_Ensure();
    Py_DECREF(callable);
    PyGILState_Release(gil);
}

int CallableRegistry::traverse(visitproc visit, void* arg)
{
    std::lock_guard lock(m_mutex);
    for (PyCallable* member : m_members)
        Py_VISIT(member->m_callable);
    return 0;
}

void CallableRegistry::clear()
{
    std::vector<PyRef> dropped;
    {
        std::lock_guard lock(m_mutex);
        dropped.reserve(m_members.size());
        for (PyCallable* member : m_members) {
            if (member->m_callable)
                dropped.push_back(PyRef::steal(std::exchange(member->m_callable, nullptr)));
        }
    }
    // Released without the lock: a finalizer may make or destroy callables.
}

}
