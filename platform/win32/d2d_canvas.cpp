// D2DCanvas: each Canvas call as one Direct2D call with the frame's brush.
#include "platform/win32/d2d_canvas.hpp"

#include "core/image/image.hpp"
#include "platform/win32/dwrite_text_engine.hpp"

#include <algorithm>

namespace orvy::win32 {

namespace {

bool has_area(RectF rect) { return rect.w > 0 && rect.h > 0; } // false for NaN too

D2D1_COLOR_F to_d2d(Color color) { return { color.r, color.g, color.b, color.a }; }
D2D1_RECT_F to_d2d(RectF rect) { return { rect.x, rect.y, rect.x + rect.w, rect.y + rect.h }; }
D2D1_POINT_2F to_d2d(PointF point) { return { point.x, point.y }; }

D2D1_ROUNDED_RECT rounded(RectF rect, float radius)
{
    float r = std::max(0.0f, std::min({ radius, rect.w / 2, rect.h / 2 }));
    return { to_d2d(rect), r, r };
}

D2D1_ELLIPSE ellipse(RectF rect)
{
    return { { rect.x + rect.w / 2, rect.y + rect.h / 2 }, rect.w / 2, rect.h / 2 };
}

}

void D2DCanvas::begin(ID2D1DeviceContext* context, ID2D1Factory1* factory)
{
    end();
    m_context = context;
    m_factory = factory;
    m_brush_failed = false;
}

void D2DCanvas::end()
{
    if (!m_context)
        return;
    for (; m_clip_depth > 0; --m_clip_depth)
        m_context->PopAxisAlignedClip();
    m_brush.Reset();
    m_context = nullptr;
    m_factory = nullptr;
}

ID2D1SolidColorBrush* D2DCanvas::brush(Color color)
{
    if (!m_context)
        return nullptr;
    if (!m_brush && !m_brush_failed) {
        if (FAILED(m_context->CreateSolidColorBrush(D2D1_COLOR_F { 0, 0, 0, 1 }, &m_brush)))
            m_brush_failed = true;
    }
    if (m_brush)
        m_brush->SetColor(to_d2d(color));
    return m_brush.Get();
}

void D2DCanvas::clear(Color color)
{
    if (m_context)
        m_context->Clear(to_d2d(color));
}

void D2DCanvas::fill_rect(RectF rect, Color color)
{
    if (!has_area(rect))
        return;
    if (ID2D1SolidColorBrush* b = brush(color))
        m_context->FillRectangle(to_d2d(rect), b);
}

void D2DCanvas::stroke_rect(RectF rect, Color color, float width)
{
    if (!(rect.w >= 0 && rect.h >= 0) || !(width > 0))
        return;
    if (ID2D1SolidColorBrush* b = brush(color))
        m_context->DrawRectangle(to_d2d(rect), b, width);
}

void D2DCanvas::fill_rounded_rect(RectF rect, float radius, Color color)
{
    if (!has_area(rect))
        return;
    if (ID2D1SolidColorBrush* b = brush(color))
        m_context->FillRoundedRectangle(rounded(rect, radius), b);
}

void D2DCanvas::stroke_rounded_rect(RectF rect, float radius, Color color, float width)
{
    if (!(rect.w >= 0 && rect.h >= 0) || !(width > 0))
        return;
    if (ID2D1SolidColorBrush* b = brush(color))
        m_context->DrawRoundedRectangle(rounded(rect, radius), b, width);
}

void D2DCanvas::fill_ellipse(RectF rect, Color color)
{
    if (!has_area(rect))
        return;
    if (ID2D1SolidColorBrush* b = brush(color))
        m_context->FillEllipse(ellipse(rect), b);
}

void D2DCanvas::stroke_ellipse(RectF rect, Color color, float width)
{
    if (!has_area(rect) || !(width > 0))
        return;
    if (ID2D1SolidColorBrush* b = brush(color))
        m_context->DrawEllipse(ellipse(rect), b, width);
}

void D2DCanvas::draw_line(PointF from, PointF to, Color color, float width)
{
    if (!(width > 0))
        return;
    if (ID2D1SolidColorBrush* b = brush(color))
        m_context->DrawLine(to_d2d(from), to_d2d(to), b, width);
}

ComPtr<ID2D1PathGeometry> D2DCanvas::path(std::span<PointF const> points, bool closed)
{
    ComPtr<ID2D1PathGeometry> geometry;
    ComPtr<ID2D1GeometrySink> sink;
    if (!m_factory || FAILED(m_factory->CreatePathGeometry(&geometry)) || FAILED(geometry->Open(&sink)))
        return nullptr;
    // Even-odd filling, as polygons are filled on every platform.
    sink->SetFillMode(D2D1_FILL_MODE_ALTERNATE);
    sink->BeginFigure(to_d2d(points[0]), closed ? D2D1_FIGURE_BEGIN_FILLED : D2D1_FIGURE_BEGIN_HOLLOW);
    for (PointF point : points.subspan(1))
        sink->AddLine(to_d2d(point));
    sink->EndFigure(closed ? D2D1_FIGURE_END_CLOSED : D2D1_FIGURE_END_OPEN);
    if (FAILED(sink->Close()))
        return nullptr;
    return geometry;
}

void D2DCanvas::stroke_polyline(std::span<PointF const> points, PathShape shape, Color color, float width)
{
    if (points.size() < 2 || !(width > 0))
        return;
    ID2D1SolidColorBrush* b = brush(color);
    if (!b)
        return;
    if (ComPtr<ID2D1PathGeometry> geometry = path(points, shape == PathShape::Closed))
        m_context->DrawGeometry(geometry.Get(), b, width);
}

void D2DCanvas::fill_polygon(std::span<PointF const> points, Color color)
{
    if (points.size() < 3)
        return;
    ID2D1SolidColorBrush* b = brush(color);
    if (!b)
        return;
    if (ComPtr<ID2D1PathGeometry> geometry = path(points, true))
        m_context->FillGeometry(geometry.Get(), b);
}

void D2DCanvas::fill_gradient(RectF rect, float radius, LinearGradient const& gradient)
{
    if (!m_context || !has_area(rect))
        return;
    D2D1_GRADIENT_STOP stops[] = { { 0.0f, to_d2d(gradient.from) }, { 1.0f, to_d2d(gradient.to) } };
    ComPtr<ID2D1GradientStopCollection> collection;
    ComPtr<ID2D1LinearGradientBrush> fill;
    if (FAILED(m_context->CreateGradientStopCollection(stops, 2, D2D1_GAMMA_2_2, D2D1_EXTEND_MODE_CLAMP, &collection))
        || FAILED(m_context->CreateLinearGradientBrush(
            D2D1_LINEAR_GRADIENT_BRUSH_PROPERTIES { to_d2d(gradient.start), to_d2d(gradient.end) },
            D2D1_BRUSH_PROPERTIES { 1.0f, D2D1::IdentityMatrix() }, collection.Get(), &fill)))
        return;
    m_context->FillRoundedRectangle(rounded(rect, radius), fill.Get());
}

void D2DCanvas::push_clip(RectF rect)
{
    if (!m_context)
        return;
    rect.w = std::max(rect.w, 0.0f);
    rect.h = std::max(rect.h, 0.0f);
    m_context->PushAxisAlignedClip(to_d2d(rect), D2D1_ANTIALIAS_MODE_ALIASED);
    ++m_clip_depth;
}

void D2DCanvas::pop_clip()
{
    // A pop without a push would fail the whole frame at EndDraw.
    if (!m_context || m_clip_depth == 0)
        return;
    m_context->PopAxisAlignedClip();
    --m_clip_depth;
}

void D2DCanvas::draw_text(TextLayout const& layout, PointF origin, Color color)
{
    auto const* written = dynamic_cast<DWriteTextLayout const*>(&layout);
    if (!m_context || !written || !written->layout())
        return;
    // Text draws even when the frame brush failed: it gets its own then.
    ComPtr<ID2D1SolidColorBrush> own;
    ID2D1SolidColorBrush* b = brush(color);
    if (!b && SUCCEEDED(m_context->CreateSolidColorBrush(to_d2d(color), &own)))
        b = own.Get();
    if (b)
        m_context->DrawTextLayout(to_d2d(origin), written->layout(), b, D2D1_DRAW_TEXT_OPTIONS_NONE);
}

ID2D1Bitmap* D2DCanvas::device_bitmap(Bitmap const& bitmap)
{
    auto found = m_bitmaps.find(&bitmap);
    if (found != m_bitmaps.end() && found->second.pixels == bitmap.pixels.data()
        && found->second.width == bitmap.width && found->second.height == bitmap.height)
        return found->second.device.Get();
    if (found == m_bitmaps.end() && m_bitmaps.size() >= bitmap_cache_limit)
        m_bitmaps.clear();
    auto stride = static_cast<UINT32>(bitmap.width) * 4;
    if (bitmap.pixels.size() < std::size_t { stride } * static_cast<std::size_t>(bitmap.height))
        return nullptr;
    D2D1_BITMAP_PROPERTIES properties { { DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED }, 96.0f, 96.0f };
    ComPtr<ID2D1Bitmap> device;
    if (FAILED(m_context->CreateBitmap(D2D1_SIZE_U { static_cast<UINT32>(bitmap.width),
                                           static_cast<UINT32>(bitmap.height) },
            bitmap.pixels.data(), stride, &properties, &device)))
        return nullptr;
    CachedBitmap& entry = m_bitmaps[&bitmap];
    entry = { bitmap.pixels.data(), bitmap.width, bitmap.height, device };
    return device.Get();
}

void D2DCanvas::draw_bitmap(Bitmap const& bitmap, RectF destination)
{
    if (!m_context || bitmap.is_empty() || !has_area(destination))
        return;
    if (ID2D1Bitmap* device = device_bitmap(bitmap))
        m_context->DrawBitmap(device, to_d2d(destination), 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, nullptr);
}

}
