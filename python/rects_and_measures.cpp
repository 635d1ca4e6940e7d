// Read access to laid-out rectangles, and the static measurements of text and images:
//     rc = W.rects(); rc(node) -> (x, y, w, h)
//     W.measure_text(text, size=15.0, family="Segoe UI") -> (w, h)
//     W.frames(path) -> int
#include "core/tree/utf.hpp"
#include "python/controllers.hpp"

#if ORVY_HAS_PLATFORM
#include "core/window/platform.hpp"
#include "python/platform_bridge.hpp"
#endif

#include <algorithm>
#include <cmath>

namespace orvy::py {

namespace {

PyObject* rects(PyObject* self, PyTypeObject* cls, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.rects", {}, 0, 0 };
    Args<1> a;
    auto call = enter_method(a, spec, self, cls, args, nargs, kwnames, Access::Shared);
    if (!call)
        return nullptr;
    auto* object = create_object<ControllerObject>(call->module->rects_type, "Rct", call->object->state);
    return reinterpret_cast<PyObject*>(object);
}

PyObject* measure_text(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.measure_text", { "text", "size", "family" }, 3, 1 };
    Args<3> a;
    if (!a.parse(spec, args, nargs, kwnames))
        return nullptr;
    auto text = to_text(a[0], "text");
    auto size = a[1] ? to_f32(a[1], "size") : std::optional<float>(15.0f);
    auto family = a[2] ? to_utf8(a[2], "family") : std::optional<std::string_view>("Segoe UI");
    if (!text || !size || !family)
        return nullptr;
    double width = 0, height = 0;
#if ORVY_HAS_PLATFORM
    // One engine per calling thread, made on first use.
    thread_local std::unique_ptr<TextEngine> engine;
    if (!engine) {
        PlatformTable const* platform = platform_services();
        if (!platform)
            return nullptr;
        engine = platform->make_text_engine();
    }
    if (engine && !text->empty()) {
        float measured_size = std::isnan(*size) ? 1.0f : std::clamp(*size, 1.0f, 10000.0f);
        TextSize measured = engine->measure(*text, measured_size, *family);
        width = measured.width;
        height = measured.height;
    }
#endif
    return Py_BuildValue("(dd)", width, height);
}

PyObject* frames(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    static ArgSpec const spec { "W.frames", { "path" }, 1, 1 };
    Args<1> a;
    if (!a.parse(spec, args, nargs, kwnames))
        return nullptr;
    auto path = to_utf8(a[0], "path");
    if (!path)
        return nullptr;
    std::uint32_t count = 1;
#if ORVY_HAS_PLATFORM
    thread_local std::unique_ptr<ImageDecoder> decoder;
    if (!decoder) {
        PlatformTable const* platform = platform_services();
        if (!platform)
            return nullptr;
        decoder = platform->make_image_decoder();
    }
    if (decoder)
        count = std::max<std::uint32_t>(decoder->frame_count_file(*path), 1);
#endif
    return PyLong_FromUnsignedLong(count);
}

void add_methods(MethodList& methods)
{
    auto static_method = [](char const* name, PyObject* (*function)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*),
                             char const* doc) {
        return PyMethodDef { name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function)),
            METH_FASTCALL | METH_KEYWORDS | METH_STATIC, doc };
    };
    methods.insert(methods.end(), {
        method<rects>("rects", "rects($self)\n--\n\nДоступ к прямоугольникам узлов: `rc = win.rects()`, затем `rc(node)`."),
        static_method("measure_text", measure_text,
            "measure_text(text, size=15.0, family=\"Segoe UI\")\n--\n\nШирина и высота строки в пикселях: `(w, h)`."),
        static_method("frames", frames,
            "frames(path)\n--\n\nЧисло кадров в файле изображения; для GIF — длина анимации."),
    });
}

WindowMethodsRegistrar const registrar(add_methods);

// rc(node): the node's rectangle from the last completed layout; zeros for a
// node laid out never yet.
PyObject* rects_call(PyObject* self, PyObject* args, PyObject* kwargs)
{
    static ArgSpec const spec { "Rct.__call__", { "node" }, 1, 1 };
    PyObject* values[1];
    ControllerObject* controller = enter_controller_call(spec, self, args, kwargs, values);
    if (!controller)
        return nullptr;
    auto id = node_of_window(values[0], "node", module_state(Py_TYPE(self)), *controller->window);
    if (!id)
        return nullptr;
    auto const& stored = *controller->window->cells.rects;
    RectF rect = *id < stored.size() ? stored[*id] : RectF {};
    return Py_BuildValue("(dddd)", double(rect.x), double(rect.y), double(rect.w), double(rect.h));
}

}

PyType_Slot rects_call_slot() { return { Py_tp_call, reinterpret_cast<void*>(rects_call) }; }

}
