// Read access to laid-out rectangles (`rc = W.rects(); rc(node)` gives
// (x, y, w, h)), and the static measurements of text and images.
#include "core/base/utf.hpp"
#include "python/controllers.hpp"
#include "python/method_table.hpp"

#if ORVY_HAS_PLATFORM
#include "core/window/platform.hpp"
#include "python/platform_bridge.hpp"
#endif

#include <algorithm>
#include <cmath>

namespace orvy::py {

namespace {

PyObject* rects(MethodCall& c) { return new_controller(c, &ModuleState::rects_type, "Rct"); }

PyObject* measure_text(MethodCall& c)
{
    Text const& text = c.text("text");
    float size = c.f32("size");
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
    if (engine && !text.empty()) {
        float measured_size = std::isnan(size) ? 1.0f : std::clamp(size, 1.0f, 10000.0f);
        TextSize measured = engine->measure(text, measured_size, c.utf8("family"));
        width = measured.width;
        height = measured.height;
    }
#endif
    return Py_BuildValue("(dd)", width, height);
}

PyObject* frames(MethodCall& c)
{
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
        count = std::max<std::uint32_t>(decoder->frame_count_file(c.utf8("path")), 1);
#endif
    return PyLong_FromUnsignedLong(count);
}

WindowMethodsRegistrar const registrar {
    row<rects>("rects", "Доступ к прямоугольникам узлов: `rc = win.rects()`, затем `rc(node)`.", {},
        { .access = Access::Shared }),
    method_row<measure_text>("W", "measure_text", "Ширина и высота строки в пикселях: `(w, h)`.",
        { text("text"), real("size", 15.0), utf8("family", "Segoe UI") }, no_receiver),
    method_row<frames>("W", "frames", "Число кадров в файле изображения; для GIF — длина анимации.",
        { utf8("path") }, no_receiver),
};

// rc(node): the node's rectangle from the last completed layout; zeros for a
// node laid out never yet.
PyObject* rects_call(MethodCall& c)
{
    NodeId id = c.node("node");
    auto const& stored = *c.state().cells.rects;
    RectF rect = id < stored.size() ? stored[id] : RectF {};
    return Py_BuildValue("(dddd)", double(rect.x), double(rect.y), double(rect.w), double(rect.h));
}

}

PyType_Slot rects_call_slot() { return call_row<rects_call>("Rct", { node("node") }, controller_method); }

}
