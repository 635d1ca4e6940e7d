// Signals: S holds an observable value; reading it (gt or a call) while a
// binding is evaluated records the read, writing it (st) marks it changed.
// sgnl makes one.
#include "python/signals.hpp"

#include "python/invoke.hpp"
#include "python/method_table.hpp"
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

PyObject* signal_new(MethodCall& c)
{
    return make_signal(reinterpret_cast<PyTypeObject*>(c.self), c.object("vl"));
}

PyObject* signal_gt(MethodCall& c) { return read_signal(reinterpret_cast<SignalObject*>(c.self)); }
PyObject* signal_call(MethodCall& c) { return read_signal(reinterpret_cast<SignalObject*>(c.self)); }

PyObject* signal_st(MethodCall& c)
{
    auto* signal = reinterpret_cast<SignalObject*>(c.self);
    PyObject* old = signal->value;
    Py_INCREF(c.object("vl"));
    signal->value = c.object("vl");
    // Writing an equal value still counts as a change.
    tracking().dirty.insert(signal->id);
    Py_DECREF(old);
    Py_RETURN_NONE;
}

PyObject* sgnl(MethodCall& c) { return make_signal(module_state_of(c.self).signal_type, c.object("vl")); }

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

int add_signal_types(PyObject* module, ModuleState& state)
{
    static PyMethodDef methods[] = {
        method_row<signal_gt>("S", "gt", "Возвращает текущее значение.", {}, plain_method),
        method_row<signal_st>("S", "st", "Устанавливает новое значение.", { required_object("vl") }, plain_method),
        { nullptr, nullptr, 0, nullptr },
    };
    static ConstructorSlots const created
        = constructor_row<signal_new>("S", "Сигнал: наблюдаемое значение.", { required_object("vl") });
    static PyType_Slot slots[] = {
        created.doc,
        created.create,
        call_row<signal_call>("S", {}, plain_method),
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

    static PyMethodDef function
        = method_row<sgnl>("", "sgnl", "Создаёт сигнал с начальным значением.", { required_object("vl") }, no_receiver);
    PyRef name = PyRef::steal(PyModule_GetNameObject(module));
    PyRef callable = PyRef::steal(name ? PyCFunction_NewEx(&function, module, name.get()) : nullptr);
    if (!callable || PyModule_AddObjectRef(module, "sgnl", callable.get()) < 0)
        return -1;
    return 0;
}

}
