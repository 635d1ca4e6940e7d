// class N: a node handle; holds one node id and nothing else.
// class Ctx:
//     def __enter__(self) -> N: ...   # makes the container the implicit parent
//     def __exit__(self, _t=None, _v=None, _tb=None) -> bool: ...
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
    std::shared_ptr<WindowState> window;
    NodeId id = 0;
};

ContextObject* enter_context(PyObject* self)
{
    auto* context = reinterpret_cast<ContextObject*>(self);
    return context->bound.check_thread() ? context : nullptr;
}

PyObject* context_enter(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "Ctx.__enter__", {}, 0, 0 };
    Args<1> a;
    if (!a.parse(spec, args, nargs, kwnames))
        return nullptr;
    ContextObject* context = enter_context(self);
    if (!context)
        return nullptr;
    PyObject* node = new_node_handle(module_state(cls), *context->window, context->id);
    if (node)
        context->window->context_stack.push_back(context->id);
    return node;
}

PyObject* context_exit(PyObject* self, PyTypeObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "Ctx.__exit__", { "_t", "_v", "_tb" }, 3, 0 };
    Args<3> a;
    if (!a.parse(spec, args, nargs, kwnames))
        return nullptr;
    ContextObject* context = enter_context(self);
    if (!context)
        return nullptr;
    auto& stack = context->window->context_stack;
    if (!stack.empty())
        stack.pop_back();
    Py_RETURN_FALSE;
}

void node_dealloc(PyObject* self) { destroy_object<NodeObject>(self); }
void context_dealloc(PyObject* self) { destroy_object<ContextObject>(self); }


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

PyObject* new_context(ModuleState& module, std::shared_ptr<WindowState> const& window, NodeId id)
{
    auto* context = create_object<ContextObject>(module.context_type);
    if (!context)
        return nullptr;
    context->window = window;
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

std::optional<NodeId> to_node(PyObject* value, char const* name, WindowCall const& call)
{
    return node_of_window(value, name, *call.module, call.state());
}

std::optional<std::optional<NodeId>> to_opt_node(PyObject* value, char const* name, WindowCall const& call)
{
    if (!value || value == Py_None)
        return std::optional<NodeId> {};
    auto node = to_node(value, name, call);
    if (!node)
        return std::nullopt;
    return std::optional<NodeId> { *node };
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
        method<context_enter>("__enter__", "__enter__($self)\n--\n\n"),
        method<context_exit>("__exit__", "__exit__($self, _t=None, _v=None, _tb=None)\n--\n\n"),
        { nullptr, nullptr, 0, nullptr },
    };
    static PyType_Slot context_slots[] = {
        { Py_tp_new, reinterpret_cast<void*>(no_constructor) },
        { Py_tp_dealloc, reinterpret_cast<void*>(context_dealloc) },
        { Py_tp_traverse, reinterpret_cast<void*>(traverse_type_only) },
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
