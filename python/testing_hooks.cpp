// Introspection for the module's own tests. These underscore methods are not
// part of the public interface:
//     W._nodes() -> [(kind, parent, children, layout, rect), ...]
//     W._activate(n) -> bool     # runs the node's activation as a click would
//     W._probe(f) -> int         # the positional-parameter count of f
//     W._options() -> dict       # the window's options and frame decoration
//     W._post_wakeups() -> int   # wake-ups sent by the window's Post objects
//     W._post_backlog() -> (int, int)  # posted calls queued for the window, and their bound
//     W._frames() -> int         # frames painted (and presented) so far
//     W._effects() -> (tint, accent state, gradient, drag smooth)
//     W._rows() -> [(qualified name, text signature), ...]  # the declared method rows
//     W._startup() -> {moment: perf_counter seconds or None}  # start-up marks
#include "core/tree/utf.hpp"
#include "core/window/platform.hpp"
#include "python/platform_bridge.hpp"
#include "python/invoke.hpp"
#include "python/method_table.hpp"

namespace orvy::py {

namespace {

PyObject* optional_float(std::optional<float> value)
{
    if (!value)
        Py_RETURN_NONE;
    return PyFloat_FromDouble(*value);
}

PyObject* layout_dict(LayoutParams const& l)
{
    return Py_BuildValue("{s:N,s:N,s:N,s:N,s:N,s:N,s:d,s:d,s:d,s:i,s:d,s:d,s:d,s:d,s:i,s:i,s:O,s:i,s:i,s:i,s:i,s:i,s:i,"
                         "s:i,s:i,s:i}",
        "w", optional_float(l.w), "h", optional_float(l.h), "left", optional_float(l.left), "top",
        optional_float(l.top), "right", optional_float(l.right), "bottom", optional_float(l.bottom), "pd",
        double(l.padding), "gp", double(l.gap), "grow", double(l.grow), "z", l.z, "min_w", double(l.min_w), "min_h",
        double(l.min_h), "max_w", double(l.max_w), "max_h", double(l.max_h), "axis", int(l.axis), "placement",
        int(l.placement), "pack_expand", l.pack_expand ? Py_True : Py_False, "justify", int(l.justify), "cross",
        int(l.cross), "child_layout", int(l.child_layout), "row", int(l.row), "col", int(l.col), "row_span",
        int(l.row_span), "col_span", int(l.col_span), "pack_side", int(l.pack_side), "pack_fill", int(l.pack_fill));
}

PyObject* nodes(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W._nodes", {}, 0, 0 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;
    Tree const& tree = call->tree();
    PyRef list = PyRef::steal(PyList_New(0));
    for (Node const& node : tree.nodes) {
        PyRef children = PyRef::steal(to_py(std::vector<std::uint32_t>(node.children.begin(), node.children.end())));
        std::string_view kind = kind_name(node.kind());
        PyRef parent = node.parent ? PyRef::steal(PyLong_FromSize_t(*node.parent)) : PyRef::borrow(Py_None);
        PyRef entry = PyRef::steal(Py_BuildValue("(s#OON(dddd))", kind.data(), static_cast<Py_ssize_t>(kind.size()),
            parent.get(), children.get(), layout_dict(node.layout), double(node.rect.x), double(node.rect.y),
            double(node.rect.w), double(node.rect.h)));
        if (!entry || PyList_Append(list.get(), entry.get()) < 0)
            return nullptr;
    }
    return list.release();
}

PyObject* activate(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W._activate", { "n" }, 1, 1 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;
    auto node = to_node(a[0], "n", *call);
    if (!node)
        return nullptr;
    std::shared_ptr<WindowState> keep = call->object->state;
    call->borrow.release(); // the callback may use the window
    return PyBool_FromLong(keep->tree.fire_activate(*node));
}

PyObject* probe(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W._probe", { "f" }, 1, 1 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;
    return PyLong_FromLong(positional_parameter_count(*call->module, a[0]));
}

PyObject* optional_color(std::optional<std::uint32_t> value)
{
    if (!value)
        Py_RETURN_NONE;
    return PyLong_FromUnsignedLong(*value);
}

PyObject* options(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W._options", {}, 0, 0 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;
    WindowState const& state = call->state();
    WindowSettings const& s = state.settings;
    std::string family = utf16_to_utf8(state.font_family);
    return Py_BuildValue("{s:s,s:i,s:i,s:s,s:O,s:d,s:O,s:O,s:O,s:i,s:O,s:O,s:O,s:O,s:O,s:O,s:O,s:N,s:N,s:N,s:N,s:s,s:d,"
                         "s:O}",
        "ttl", s.title.c_str(), "w", s.width, "h", s.height, "thm", s.theme.c_str(), "glass", s.glass ? Py_True : Py_False,
        "tint", double(s.tint), "blur", s.blur ? Py_True : Py_False, "frameless", s.frameless ? Py_True : Py_False,
        "topmost", s.topmost ? Py_True : Py_False, "center", int(s.center), "resizable",
        s.resizable ? Py_True : Py_False, "minbox", s.minimize_box ? Py_True : Py_False, "maxbox",
        s.maximize_box ? Py_True : Py_False, "closebox", s.close_box ? Py_True : Py_False, "insp",
        s.inspector ? Py_True : Py_False, "modal", s.modal ? Py_True : Py_False, "sub", s.is_sub ? Py_True : Py_False,
        "cap", optional_color(state.frame.caption), "cap_txt", optional_color(state.frame.caption_text), "brd",
        optional_color(state.frame.border), "x", optional_float(s.x), "font", family.c_str(), "font_size",
        double(state.font_size), "running", state.is_running() ? Py_True : Py_False);
}

PyObject* post_wakeups(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W._post_wakeups", {}, 0, 0 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;
    return PyLong_FromUnsignedLongLong(call->state().post_wakeups->load());
}

PyObject* post_backlog(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W._post_backlog", {}, 0, 0 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;
    std::size_t queued = PostQueue::process().backlog(*call->state().post);
    return Py_BuildValue("(nn)", static_cast<Py_ssize_t>(queued), static_cast<Py_ssize_t>(PostQueue::backlog_limit));
}

PyObject* frames(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W._frames", {}, 0, 0 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;
    return PyLong_FromUnsignedLongLong(*call->state().cells.frames);
}

PyObject* effects(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W._effects", {}, 0, 0 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;
    WindowEffects const& e = *call->state().cells.effects;
    return Py_BuildValue("(dkkO)", double(e.tint), static_cast<unsigned long>(e.backdrop.accent_state),
        static_cast<unsigned long>(e.backdrop.gradient), e.drag_smooth ? Py_True : Py_False);
}

PyObject* rows(MethodCall&)
{
    PyRef list = PyRef::steal(PyList_New(0));
    for (MethodRow const* row : declared_rows()) {
        std::string signature = row->text_signature();
        PyRef entry = PyRef::steal(Py_BuildValue("(ss)", row->qualified.c_str(), signature.c_str()));
        if (!entry || PyList_Append(list.get(), entry.get()) < 0)
            return nullptr;
    }
    return list.release();
}

// The marks of both sides: the module takes some, the backend library the rest.
PyObject* startup(MethodCall&)
{
    PlatformTable const* platform = loaded_platform_services();
    PyRef marks = PyRef::steal(PyDict_New());
    if (!marks)
        return nullptr;
    for (std::size_t i = 0; i < startup_mark_count; ++i) {
        auto mark = static_cast<StartupMark>(i);
        double at = startup_mark(mark);
        if (at == 0 && platform && platform->startup_mark)
            at = platform->startup_mark(mark);
        PyRef value = at == 0 ? PyRef::borrow(Py_None) : PyRef::steal(PyFloat_FromDouble(at));
        std::string_view name = startup_mark_name(mark);
        PyRef key = PyRef::steal(PyUnicode_FromStringAndSize(name.data(), static_cast<Py_ssize_t>(name.size())));
        if (!value || !key || PyDict_SetItem(marks.get(), key.get(), value.get()) < 0)
            return nullptr;
    }
    return marks.release();
}

void add_methods(MethodList& methods)
{
    methods.insert(methods.end(), {
        row<rows>("_rows", "Строки таблицы методов: `(имя, подпись)`.", {}, { .access = Access::Shared }),
        row<startup>("_startup", "Моменты запуска для замеров.", {}, { .access = Access::Shared }),
        method<nodes>("_nodes", "_nodes($self)\n--\n\nСнимок дерева для тестов."),
        method<activate>("_activate", "_activate($self, n)\n--\n\nАктивирует узел, как щелчок."),
        method<probe>("_probe", "_probe($self, f)\n--\n\nЧисло позиционных параметров колбэка."),
        method<options>("_options", "_options($self)\n--\n\nПараметры окна для тестов."),
        method<frames>("_frames", "_frames($self)\n--\n\nЧисло нарисованных кадров."),
        method<effects>("_effects", "_effects($self)\n--\n\nТонировка, фон и гашение размытия окна."),
        method<post_wakeups>("_post_wakeups", "_post_wakeups($self)\n--\n\nЧисло пробуждений окна от Post."),
        method<post_backlog>("_post_backlog", "_post_backlog($self)\n--\n\nОчередь вызовов Post и её предел."),
    });
}

WindowMethodsRegistrar const registrar(add_methods);

}

}
