// Introspection for the module's own tests. These underscore methods are not
// part of the public interface: the tree with layouts and rectangles
// (_nodes), a node's activation as a click would run it (_activate), a
// callable's positional-parameter count (_probe), the window's options and
// frame decoration (_options), Post's wake-ups and backlog, the frames
// painted, the window effects, the declared method rows and the start-up
// marks.
#include "core/base/utf.hpp"
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

PyObject* nodes(MethodCall& c)
{
    Tree const& tree = c.tree();
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

PyObject* activate(MethodCall& c)
{
    std::shared_ptr<WindowState> keep = c.shared_state();
    c.window().borrow.release(); // the callback may use the window
    return PyBool_FromLong(keep->tree.fire_activate(c.node("n")));
}

PyObject* probe(MethodCall& c)
{
    return PyLong_FromLong(positional_parameter_count(*c.module, c.object("f")));
}

PyObject* optional_color(std::optional<std::uint32_t> value)
{
    if (!value)
        Py_RETURN_NONE;
    return PyLong_FromUnsignedLong(*value);
}

PyObject* options(MethodCall& c)
{
    WindowState const& state = c.state();
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

PyObject* post_wakeups(MethodCall& c)
{
    return PyLong_FromUnsignedLongLong(c.state().post_wakeups->load());
}

PyObject* post_backlog(MethodCall& c)
{
    std::size_t queued = PostQueue::process().backlog(*c.state().post);
    return Py_BuildValue("(nn)", static_cast<Py_ssize_t>(queued), static_cast<Py_ssize_t>(PostQueue::backlog_limit));
}

PyObject* frames(MethodCall& c)
{
    return PyLong_FromUnsignedLongLong(*c.state().cells.frames);
}

PyObject* effects(MethodCall& c)
{
    WindowEffects const& e = *c.state().cells.effects;
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

constexpr RowOptions shared { .access = Access::Shared };

WindowMethodsRegistrar const registrar {
    row<rows>("_rows", "Строки таблицы методов: `(имя, подпись)`.", {}, shared),
    row<startup>("_startup", "Моменты запуска для замеров.", {}, shared),
    row<nodes>("_nodes", "Снимок дерева для тестов.", {}, shared),
    row<activate>("_activate", "Активирует узел, как щелчок.", { node("n") }, shared),
    row<probe>("_probe", "Число позиционных параметров колбэка.", { required_object("f") }, shared),
    row<options>("_options", "Параметры окна для тестов.", {}, shared),
    row<frames>("_frames", "Число нарисованных кадров.", {}, shared),
    row<effects>("_effects", "Тонировка, фон и гашение размытия окна.", {}, shared),
    row<post_wakeups>("_post_wakeups", "Число пробуждений окна от Post.", {}, shared),
    row<post_backlog>("_post_backlog", "Очередь вызовов Post и её предел.", {}, shared),
};

}

}
