// N, a node handle holding one node id and nothing else, and Ctx, a
// container used in `with`: entering makes it the implicit parent.
#include "python/method_table.hpp"
#include "python/window.hpp"

namespace orvy::py {

namespace {

// N: the window key identifies the tree, so a handle from another window is
// refused instead of addressing an unrelated node.
struct NodeObject {
    PyObject_HEAD
    std::uint64_t window_key = 0;
    NodeId id = 0;
};

struct ContextObject {
    PyObject_HEAD
    ThreadBound bound { "Ctx" };
    PyRef window_object; // the W whose window holds the node
    NodeId id = 0;
    WindowState& window() const { return *state_of_window_object(window_object.get()); }
};

ContextObject* enter_context(PyObject* self)
{
    auto* context = reinterpret_cast<ContextObject*>(self);
    return context->bound.check_thread() ? context : nullptr;
}

PyObject* context_enter(MethodCall& c)
{
    ContextObject* context = enter_context(c.self);
    if (!context)
        return nullptr;
    PyObject* node = new_node_handle(module_state(Py_TYPE(c.self)), context->window(), context->id);
    if (node)
        context->window().context_stack.push_back(context->id);
    return node;
}

PyObject* context_exit(MethodCall& c)
{
    ContextObject* context = enter_context(c.self);
    if (!context)
        return nullptr;
    auto& stack = context->window().context_stack;
    if (!stack.empty())
        stack.pop_back();
    Py_RETURN_FALSE;
}

void node_dealloc(PyObject* self) { destroy_object<NodeObject>(self); }
void context_dealloc(PyObject* self) { destroy_object<ContextObject>(self); }

int context_traverse(PyObject* self, visitproc visit, void* arg)
{
    Py_VISIT(Py_TYPE(self));
    Py_VISIT(reinterpret_cast<ContextObject*>(self)->window_object.get());
    return 0;
}


}

PyObject* new_node_handle(ModuleState& module, WindowState const& window, NodeId id)
{
    auto* node = create_object<NodeObject>(module.node_type);
    if (!node)
        return nullptr;
    node->window_key = window.key;
    node->id = id;
    return reinterpret_cast<PyObject*>(node);
}

PyObject* new_context(ModuleState& module, PyObject* window, NodeId id)
{
    auto* context = create_object<ContextObject>(module.context_type);
    if (!context)
        return nullptr;
    context->window_object = PyRef::borrow(window);
    context->id = id;
    return reinterpret_cast<PyObject*>(context);
}

std::optional<NodeId> node_of_window(PyObject* value, char const* name, ModuleState& module, WindowState const& window)
{
    if (!value || !PyObject_TypeCheck(value, module.node_type)) {
        PyRef type_name = PyRef::steal(PyType_GetName(Py_TYPE(value ? value : Py_None)));
        PyErr_Format(PyExc_TypeError, "argument '%s': '%U' object cannot be converted to 'N'", name, type_name.get());
        return std::nullopt;
    }
    auto* node = reinterpret_cast<NodeObject*>(value);
    if (node->window_key != window.key || node->id >= window.tree.size()) {
        set_argument_error(PyExc_ValueError, name, "узел принадлежит другому окну");
        return std::nullopt;
    }
    return node->id;
}

int add_node_types(PyObject* module, ModuleState& state)
{
    static PyType_Slot node_slots[] = {
        { Py_tp_new, reinterpret_cast<void*>(no_constructor) },
        { Py_tp_dealloc, reinterpret_cast<void*>(node_dealloc) },
        { Py_tp_doc, const_cast<char*>("Узел дерева виджетов.") },
        { 0, nullptr },
    };
    static PyType_Spec node_spec = { "_orvy.N", sizeof(NodeObject), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE,
        node_slots };
    state.node_type = create_type(module, &node_spec, "N");
    if (!state.node_type || add_type(module, state.node_type, "N") < 0)
        return -1;

    static PyMethodDef context_methods[] = {
        method_row<context_enter>("Ctx", "__enter__", "", {}, plain_method),
        method_row<context_exit>("Ctx", "__exit__", "", { object("_t"), object("_v"), object("_tb") }, plain_method),
        { nullptr, nullptr, 0, nullptr },
    };
    static PyType_Slot context_slots[] = {
        { Py_tp_new, reinterpret_cast<void*>(no_constructor) },
        { Py_tp_dealloc, reinterpret_cast<void*>(context_dealloc) },
        { Py_tp_traverse, reinterpret_cast<void*>(context_traverse) },
        { Py_tp_methods, context_methods },
        { Py_tp_doc, const_cast<char*>("Контейнер как контекст: `with win.bx() as p:`.") },
        { 0, nullptr },
    };
    static PyType_Spec context_spec = { "_orvy.Ctx", sizeof(ContextObject), 0,
        Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC | Py_TPFLAGS_IMMUTABLETYPE, context_slots };
    state.context_type = create_type(module, &context_spec, "Ctx");
    if (!state.context_type)
        return -1;
    return add_type(module, state.context_type, "Ctx");
}

}
