// Controller objects: small handles on a window's shared state.
#pragma once

#include "python/window.hpp"

namespace orvy::py {

// Fx, Fnt, Rct, Dlg, Note, Thm, Clip and Fl: bound to the creating thread.
// A controller keeps its W object alive (and with it the window state).
struct ControllerObject {
    ControllerObject(char const* internal_name, PyObject* window)
        : bound(internal_name), window_object(PyRef::borrow(window))
    {
    }
    PyObject_HEAD
    ThreadBound bound;
    PyRef window_object;
};

// Post may be called from any thread, so it carries no thread binding.
struct PostObject {
    PyObject_HEAD
    std::shared_ptr<PostTarget> target;
};

ControllerObject* enter_controller(PyObject* self);

struct MethodCall;
// The body of the W methods that hand out a controller (declared with shared
// access): the controller holds the W object.
PyObject* new_controller(MethodCall& c, PyTypeObject* ModuleState::*type, char const* internal_name);
// The controller a controller method was called on.
ControllerObject& controller_of(MethodCall& c);

// Methods and call slot of each controller class, by Python name; the
// controller families fill these in as they arrive.
PyMethodDef* controller_methods(char const* name);
PyType_Slot controller_call_slot(char const* name);
// Post's call slot: queues a callable for the UI thread (timers.cpp).
PyType_Slot post_call_slot();
// Rct's call slot: a node's rectangle from the last layout (rects_and_measures.cpp).
PyType_Slot rects_call_slot();
// Dlg and Note (dialogs_and_notes.cpp): the call slots and the methods
// msg, alert and snack.
PyType_Slot dialog_call_slot();
PyType_Slot notes_call_slot();
PyMethodDef* dialog_methods();
PyMethodDef* notes_methods();
// Clip's get and set (clipboard.cpp).
PyMethodDef* clipboard_methods();
// Fl's open, save and dir (file_dialogs.cpp).
PyMethodDef* file_dialog_methods();
// Fx, Thm and Fnt (effects_theme_font.cpp).
PyType_Slot effects_call_slot();
PyType_Slot theme_call_slot();
PyType_Slot font_call_slot();

}
