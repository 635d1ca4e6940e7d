// The _orvy module: its state, initialisation and the one exported entry point.
#include "python/module.hpp"

#include <utility>

namespace orvy::py {

namespace {

int module_exec(PyObject* module)
{
    ModuleState& state = module_state_of(module);
    if (add_window_type(module, state) < 0 || add_node_types(module, state) < 0
        || add_controller_types(module, state) < 0 || add_signal_types(module, state) < 0)
        return -1;
    return 0;
}

constexpr PyTypeObject* ModuleState::*type_members[] = {
    &ModuleState::window_type, &ModuleState::node_type, &ModuleState::context_type, &ModuleState::effects_type,
    &ModuleState::font_type, &ModuleState::post_type, &ModuleState::rects_type, &ModuleState::dialog_type,
    &ModuleState::signal_type, &ModuleState::notes_type, &ModuleState::theme_type, &ModuleState::clipboard_type,
    &ModuleState::files_type,
};

int module_traverse(PyObject* module, visitproc visit, void* arg)
{
    ModuleState& state = module_state_of(module);
    for (auto member : type_members)
        Py_VISIT(reinterpret_cast<PyObject*>(state.*member));
    Py_VISIT(state.probe_function);
    return 0;
}

int module_clear(PyObject* module)
{
    ModuleState& state = module_state_of(module);
    for (auto member : type_members) {
        PyObject* type = reinterpret_cast<PyObject*>(std::exchange(state.*member, nullptr));
        Py_XDECREF(type);
    }
    Py_CLEAR(state.probe_function);
    return 0;
}

void module_free(void* module) { module_clear(static_cast<PyObject*>(module)); }

PyModuleDef_Slot module_slots[] = {
    { Py_mod_exec, reinterpret_cast<void*>(module_exec) },
    { 0, nullptr },
};

PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT,
    "_orvy",
    "Оконный инструментарий: окно `W`, виджеты, стили, сигналы.",
    sizeof(ModuleState),
    nullptr,
    module_slots,
    module_traverse,
    module_clear,
    module_free,
};

}

ModuleState& module_state(PyTypeObject* defining_class)
{
    return *static_cast<ModuleState*>(PyType_GetModuleState(defining_class));
}

ModuleState& module_state_of(PyObject* module)
{
    return *static_cast<ModuleState*>(PyModule_GetState(module));
}

PyTypeObject* create_type(PyObject* module, PyType_Spec* spec, char const* name)
{
    PyObject* type = PyType_FromModuleAndSpec(module, spec, nullptr);
    if (!type && !PyErr_Occurred())
        PyErr_Format(PyExc_SystemError, "failed to create type object for %s", name);
    return reinterpret_cast<PyTypeObject*>(type);
}

int add_type(PyObject* module, PyTypeObject* type, char const* name)
{
    return PyModule_AddObjectRef(module, name, reinterpret_cast<PyObject*>(type));
}

WindowMethodsRegistrar::WindowMethodsRegistrar(std::initializer_list<PyMethodDef> declared)
{
    rows().insert(rows().end(), declared);
}

MethodList& WindowMethodsRegistrar::rows()
{
    static MethodList list;
    return list;
}

PyObject* no_constructor(PyTypeObject* type, PyObject*, PyObject*)
{
    PyRef name = PyRef::steal(PyType_GetName(type));
    if (name)
        PyErr_Format(PyExc_TypeError, "No constructor defined for %U", name.get());
    return nullptr;
}

int traverse_type_only(PyObject* self, visitproc visit, void* arg)
{
    Py_VISIT(Py_TYPE(self));
    return 0;
}

}

PyMODINIT_FUNC PyInit__orvy(void)
{
    return PyModuleDef_Init(&orvy::py::module_def);
}
