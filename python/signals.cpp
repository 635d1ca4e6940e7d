// class S:
//     def __init__(self, vl): ...   # an observable value
//     def gt(self): ...             # read (and record the read while a binding is evaluated)
//     def st(self, vl): ...         # write (marks the signal changed)
//     def __call__(self): ...       # same as gt()
// def sgnl(vl) -> S: ...
#include "python/signals.hpp"

#include "python/invoke.hpp"
#include "python/window.hpp"

#include <algorithm>

namespace orvy::py {

namespace {

struct SignalObject {
    PyObject_HEAD
    PyObject* value = nullptr;
    std::uint32_t id = 0;
};

// Signal ids come from a per-thread counter: the first signal of a thread is 1.
thread_local std::uint32_t next_signal_id = 1;

SignalTracking& tracking()
{
    thread_local SignalTracking state;
    return state;
}

PyObject* make_signal(PyTypeObject* type, PyObject* value)
{
    auto* signal = create_object<SignalObject>(type);
    if (!signal)
        return nullptr;
    Py_INCREF(value);
    signal->value = value;
    signal->id = next_signal_id++;
    return reinterpret_cast<PyObject*>(signal);
}

PyObject* read_signal(SignalObject* signal)
{
    tracking().record_read(signal->id);
    Py_INCREF(signal->value);
    return signal->value;
}

PyObject* signal_new(PyTypeObject* type, PyObject* args, PyObject* kwargs)
{
    static ArgSpec const spec { "S", { "vl" }, 1, 1 };
    PyObject* values[1];
    if (!parse_tuple_args(spec, args, kwargs, values))
        return nullptr;
    return make_signal(type, values[0]);
}

PyObject* signal_gt(PyObject* self, PyTypeObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "S.gt", {}, 0, 0 };
    Args<1> a;
    if (!a.parse(spec, args, nargs, kwnames))
        return nullptr;
    return read_signal(reinterpret_cast<SignalObject*>(self));
}

PyObject* signal_call(PyObject* self, PyObject* args, PyObject* kwargs)
{
    static ArgSpec const spec { "S.__call__", {}, 0, 0 };
    PyObject* values[1];
    if (!parse_tuple_args(spec, args, kwargs, values))
        return nullptr;
    return read_signal(reinterpret_cast<SignalObject*>(self));
}

PyObject* signal_st(PyObject* self, PyTypeObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "S.st", { "vl" }, 1, 1 };
    Args<1> a;
    if (!a.parse(spec, args, nargs, kwnames))
        return nullptr;
    auto* signal = reinterpret_cast<SignalObject*>(self);
    PyObject* old = signal->value;
    Py_INCREF(a[0]);
    signal->value = a[0];
    // Writing an equal value still counts as a change.
    tracking().dirty.insert(signal->id);
    Py_DECREF(old);
    Py_RETURN_NONE;
}

PyObject* sgnl(PyObject* module, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "sgnl", { "vl" }, 1, 1 };
    Args<1> a;
    if (!a.parse(spec, args, nargs, kwnames))
        return nullptr;
    return make_signal(module_state_of(module).signal_type, a[0]);
}

int signal_traverse(PyObject* self, visitproc visit, void* arg)
{
    Py_VISIT(Py_TYPE(self));
    Py_VISIT(reinterpret_cast<SignalObject*>(self)->value);
    return 0;
}

int signal_clear(PyObject* self)
{
    Py_CLEAR(reinterpret_cast<SignalObject*>(self)->value);
    return 0;
}

void signal_dealloc(PyObject* self)
{
    PyObject_GC_UnTrack(self);
    signal_clear(self);
    destroy_object<SignalObject>(self);
}

}

void SignalTracking::record_read(std::uint32_t id)
{
    if (recorder && std::find(recorder->begin(), recorder->end(), id) == recorder->end())
        recorder->push_back(id);
}

SignalTracking& signal_tracking() { return tracking(); }

void add_window_signal_methods(MethodList&) { }

int add_signal_types(PyObject* module, ModuleState& state)
{
    static PyMethodDef methods[] = {
        method<signal_gt>("gt", "gt($self)\n--\n\nВозвращает текущее значение."),
        method<signal_st>("st", "st($self, vl)\n--\n\nУстанавливает новое значение."),
        { nullptr, nullptr, 0, nullptr },
    };
    static PyType_Slot slots[] = {
        { Py_tp_doc, const_cast<char*>("S(vl)\n--\n\nСигнал: наблюдаемое значение.") },
        { Py_tp_new, reinterpret_cast<void*>(signal_new) },
        { Py_tp_call, reinterpret_cast<void*>(signal_call) },
        { Py_tp_dealloc, reinterpret_cast<void*>(signal_dealloc) },
        { Py_tp_traverse, reinterpret_cast<void*>(signal_traverse) },
        { Py_tp_clear, reinterpret_cast<void*>(signal_clear) },
        { Py_tp_methods, methods },
        { 0, nullptr },
    };
    static PyType_Spec spec = { "_orvy.S", sizeof(SignalObject), 0,
        Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC | Py_TPFLAGS_IMMUTABLETYPE, slots };
    state.signal_type = create_type(module, &spec, "S");
    if (!state.signal_type || add_type(module, state.signal_type, "S") < 0)
        return -1;

    static PyMethodDef function = { "sgnl", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(sgnl)),
        METH_FASTCALL | METH_KEYWORDS, "sgnl(vl)\n--\n\nСоздаёт сигнал с начальным значением." };
    PyRef name = PyRef::steal(PyModule_GetNameObject(module));
    PyRef callable = PyRef::steal(name ? PyCFunction_NewEx(&function, module, name.get()) : nullptr);
    if (!callable || PyModule_AddObjectRef(module, "sgnl", callable.get()) < 0)
        return -1;
    return 0;
}

}
