// The controller classes W hands out: Fx (animations), Fnt (font), Post
// (cross-thread calls), Rct (node rectangles), Dlg (message boxes), and the
// unexported Note, Thm, Clip and Fl. Python cannot construct any of them.
#include "python/controllers.hpp"

#include "python/method_table.hpp"

#include <string_view>

namespace orvy::py {

namespace {

void controller_dealloc(PyObject* self) { destroy_object<ControllerObject>(self); }
void post_dealloc(PyObject* self) { destroy_object<PostObject>(self); }

int controller_traverse(PyObject* self, visitproc visit, void* arg)
{
    Py_VISIT(Py_TYPE(self));
    Py_VISIT(reinterpret_cast<ControllerObject*>(self)->window_object.get());
    return 0;
}

struct ControllerType {
    char const* name;         // the Python name
    char const* qualified;    // "_orvy." + name
    PyTypeObject* ModuleState::*slot;
    bool exported;
};

constexpr ControllerType controller_types[] = {
    { "Fx", "_orvy.Fx", &ModuleState::effects_type, true },
    { "Fnt", "_orvy.Fnt", &ModuleState::font_type, true },
    { "Post", "_orvy.Post", &ModuleState::post_type, true },
    { "Rct", "_orvy.Rct", &ModuleState::rects_type, true },
    { "Dlg", "_orvy.Dlg", &ModuleState::dialog_type, true },
    { "Note", "_orvy.Note", &ModuleState::notes_type, false },
    { "Thm", "_orvy.Thm", &ModuleState::theme_type, false },
    { "Clip", "_orvy.Clip", &ModuleState::clipboard_type, false },
    { "Fl", "_orvy.Fl", &ModuleState::files_type, false },
};

}

ControllerObject* enter_controller(PyObject* self)
{
    auto* controller = reinterpret_cast<ControllerObject*>(self);
    return controller->bound.check_thread() ? controller : nullptr;
}

PyObject* new_controller(MethodCall& c, PyTypeObject* ModuleState::*type, char const* internal_name)
{
    return reinterpret_cast<PyObject*>(create_object<ControllerObject>(c.module->*type, internal_name, c.window_object));
}

ControllerObject& controller_of(MethodCall& c) { return *reinterpret_cast<ControllerObject*>(c.self); }

PyMethodDef* controller_methods(char const* name)
{
    std::string_view python_name = name;
    if (python_name == "Dlg")
        return dialog_methods();
    if (python_name == "Note")
        return notes_methods();
    if (python_name == "Clip")
        return clipboard_methods();
    if (python_name == "Fl")
        return file_dialog_methods();
    static PyMethodDef none[] = { { nullptr, nullptr, 0, nullptr } };
    return none;
}

PyType_Slot controller_call_slot(char const* name)
{
    std::string_view python_name = name;
    if (python_name == "Post")
        return post_call_slot();
    if (python_name == "Rct")
        return rects_call_slot();
    if (python_name == "Dlg")
        return dialog_call_slot();
    if (python_name == "Note")
        return notes_call_slot();
    if (python_name == "Fx")
        return effects_call_slot();
    if (python_name == "Thm")
        return theme_call_slot();
    if (python_name == "Fnt")
        return font_call_slot();
    return { 0, nullptr };
}

int add_controller_types(PyObject* module, ModuleState& state)
{
    for (ControllerType const& type : controller_types) {
        bool is_post = type.slot == &ModuleState::post_type;
        // The interpreter keeps pointers into the slots and the PyType_Spec for the
        // life of the type, so they live as long as the process.
        auto* slots = new PyType_Slot[6];
        int count = 0;
        slots[count++] = { Py_tp_new, reinterpret_cast<void*>(no_constructor) };
        slots[count++] = { Py_tp_dealloc, reinterpret_cast<void*>(is_post ? post_dealloc : controller_dealloc) };
        slots[count++] = { Py_tp_traverse, reinterpret_cast<void*>(is_post ? traverse_type_only : controller_traverse) };
        slots[count++] = { Py_tp_methods, controller_methods(type.name) };
        if (PyType_Slot call = controller_call_slot(type.name); call.slot != 0)
            slots[count++] = call;
        slots[count] = { 0, nullptr };
        auto* spec = new PyType_Spec { type.qualified,
            static_cast<int>(is_post ? sizeof(PostObject) : sizeof(ControllerObject)), 0,
            Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC | Py_TPFLAGS_IMMUTABLETYPE, slots };
        PyTypeObject* created = create_type(module, spec, type.name);
        if (!created)
            return -1;
        state.*type.slot = created;
        if (type.exported && add_type(module, created, type.name) < 0)
            return -1;
    }
    return 0;
}

}
