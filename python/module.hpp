// ModuleState: the type objects the module creates, and how each class file registers itself.
#pragma once

#include "python/pyref.hpp"

#include <initializer_list>
#include <vector>

namespace orvy::py {

struct ModuleState {
    PyTypeObject* window_type = nullptr;       // W
    PyTypeObject* node_type = nullptr;         // N
    PyTypeObject* context_type = nullptr;      // Ctx
    PyTypeObject* effects_type = nullptr;      // Fx
    PyTypeObject* font_type = nullptr;         // Fnt
    PyTypeObject* post_type = nullptr;         // Post
    PyTypeObject* rects_type = nullptr;        // Rct
    PyTypeObject* dialog_type = nullptr;       // Dlg
    PyTypeObject* signal_type = nullptr;       // S
    PyTypeObject* notes_type = nullptr;        // Note
    PyTypeObject* theme_type = nullptr;        // Thm
    PyTypeObject* clipboard_type = nullptr;    // Clip
    PyTypeObject* files_type = nullptr;        // Fl
    PyObject* probe_function = nullptr;        // the parameter-count probe, compiled on first use
};

ModuleState& module_state(PyTypeObject* defining_class);
ModuleState& module_state_of(PyObject* module);

// Creates a heap type from a spec bound to the module; reports failure the
// way module initialisation does.
PyTypeObject* create_type(PyObject* module, PyType_Spec* spec, char const* name);
// Adds the type to the module under its name.
int add_type(PyObject* module, PyTypeObject* type, char const* name);

// Every file that contributes methods to W hands its rows to one
// WindowMethodsRegistrar at static initialisation; the table is assembled
// once, before the W type is created, with the window's own rows first.
using MethodList = std::vector<PyMethodDef>;
struct WindowMethodsRegistrar {
    WindowMethodsRegistrar(std::initializer_list<PyMethodDef> declared);
    static MethodList& rows();
};

int add_window_type(PyObject* module, ModuleState&);
int add_node_types(PyObject* module, ModuleState&); // N and Ctx
int add_signal_types(PyObject* module, ModuleState&); // S and sgnl
int add_controller_types(PyObject* module, ModuleState&); // Fx, Fnt, Post, Rct, Dlg; Note, Thm, Clip, Fl unexported

// tp_new of the classes Python cannot instantiate.
PyObject* no_constructor(PyTypeObject* type, PyObject* args, PyObject* kwargs);
// tp_traverse of objects that hold no Python references.
int traverse_type_only(PyObject* self, visitproc visit, void* arg);

// Standard dealloc for the module's heap types whose C++ part is `T`.
template<class T>
void destroy_object(PyObject* self)
{
    PyTypeObject* type = Py_TYPE(self);
    if (PyType_GetFlags(type) & Py_TPFLAGS_HAVE_GC)
        PyObject_GC_UnTrack(self);
    reinterpret_cast<T*>(self)->~T();
    auto free_slot = reinterpret_cast<freefunc>(PyType_GetSlot(type, Py_tp_free));
    free_slot(self);
    Py_DECREF(type);
}

// Allocates an instance of `type` and constructs its C++ part in place.
template<class T, class... Args>
T* create_object(PyTypeObject* type, Args&&... args)
{
    auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(type, Py_tp_alloc));
    PyObject* self = alloc(type, 0);
    if (!self)
        return nullptr;
    // tp_alloc zeroed the memory and set the header; construct the rest.
    T* object = reinterpret_cast<T*>(self);
    PyObject header = *self;
    new (object) T(std::forward<Args>(args)...);
    *reinterpret_cast<PyObject*>(object) = header;
    return object;
}

}
