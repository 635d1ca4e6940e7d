// D2DCanvas: the frame's calls gathered into the DrawPlan, then drawn batch
// by batch with the frame's brush.
#include "platform/win32/d2d_canvas.hpp"

#include "core/image/image.hpp"
#include "platform/win32/dwrite_text_engine.hpp"

#include <algorithm>
#include <cmath>
#include <iterator>

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

float corner_radius(RectF rect, float radius) { return std::max(0.0f, std::min({ radius, rect.w / 2, rect.h / 2 })); }

bool is_finite(RectF rect)
{
    return std::isfinite(rect.x) && std::isfinite(rect.y) && std::isfinite(rect.w) && std::isfinite(rect.h);
}

bool are_finite(std::span<PointF const> points)
{
    return std::all_of(
        points.begin(), points.end(), [](PointF point) { return std::isfinite(point.x) && std::isfinite(point.y); });
}

RectF bounds_of(std::span<PointF const> points, float pad)
{
    float x0 = points[0].x, y0 = points[0].y, x1 = x0, y1 = y0;
    for (PointF point : points) {
        x0 = std::min(x0, point.x);
        y0 = std::min(y0, point.y);
        x1 = std::max(x1, point.x);
        y1 = std::max(y1, point.y);
    }
    return { x0 - pad, y0 - pad, x1 - x0 + 2 * pad, y1 - y0 + 2 * pad };
}

}

void D2DCanvas::begin(ID2D1DeviceContext* context, ID2D1Factory1* factory, ID3D11DeviceContext* d3d)
{
    end();
    m_context = context;
    m_factory = factory;
    m_d3d = d3d;
    m_brush_failed = false;
    m_context->GetTarget(&m_target);
}

void D2DCanvas::end()
{
    if (!m_context) {
        m_recorded.clear();
        return;
    }
    std::vector<Trace> traces = trace();
    bool retained = prepare_store();
    PixelBox damage = retained ? this->damage(traces) : PixelBox { 0, 0, 1 << 30, 1 << 30 };
    if (!damage.is_empty()) {
        std::optional<RectF> outer;
        if (retained) {
            find_kept_texts(damage);
            m_context->SetTarget(m_store.Get());
            outer = RectF { static_cast<float>(damage.x0), static_cast<float>(damage.y0),
                static_cast<float>(damage.x1 - damage.x0), static_cast<float>(damage.y1 - damage.y0) };
        }
        each_drawing(m_recorded, outer, [&](Call& call, std::optional<RectF> clip) {
            std::optional<DrawPlan::Placed> placed
                = m_plan.place(call.bounds, clip, call.batch, call.color, call.width);
            if (!placed)
                return;
            if (placed->created)
                m_drawings.emplace_back();
            Drawing& drawing = m_drawings[placed->entry];
            std::move(call.drawing.shapes.begin(), call.drawing.shapes.end(), std::back_inserter(drawing.shapes));
            std::move(call.drawing.polylines.begin(), call.drawing.polylines.end(),
                std::back_inserter(drawing.polylines));
            std::move(call.drawing.texts.begin(), call.drawing.texts.end(), std::back_inserter(drawing.texts));
            if (call.batch == BatchKind::Single)
                drawing.single = std::move(call.drawing.single);
        });
        draw_plan();
        if (retained)
            m_context->SetTarget(m_target.Get());
    }
    m_calls.damage = damage;
    m_last_calls = std::exchange(m_calls, {});
    m_last_traces = std::move(traces);
    m_last_bitmaps.clear();
    for (Call const& call : m_recorded) {
        if (call.drawing.single.bitmap)
            m_last_bitmaps.push_back(call.drawing.single.bitmap);
    }
    m_recorded.clear();
    m_brush.Reset();
    m_target.Reset();
    m_d3d.Reset();
    m_unflushed = false;
    m_context = nullptr;
    m_factory = nullptr;
}

bool D2DCanvas::prepare_store()
{
    ComPtr<ID2D1Bitmap1> target;
    if (m_store_failed || !m_target || FAILED(m_target.As(&target)) || !target)
        return false;
    D2D1_SIZE_U size = target->GetPixelSize();
    if (m_store) {
        D2D1_SIZE_U kept = m_store->GetPixelSize();
        if (kept.width == size.width && kept.height == size.height)
            return true;
        m_store.Reset();
    }
    m_store_view.Reset();
    m_store_texture.Reset();
    m_strips.clear();
    D2D1_BITMAP_PROPERTIES1 properties {};
    properties.pixelFormat = target->GetPixelFormat();
    properties.dpiX = 96.0f;
    properties.dpiY = 96.0f;
    properties.bitmapOptions = D2D1_BITMAP_OPTIONS_TARGET;
    if (!make_store_texture(size, properties)
        && (FAILED(m_context->CreateBitmap(size, nullptr, 0, &properties, &m_store)) || !m_store)) {
        // Without a kept frame every frame is drawn whole onto the target.
        m_store.Reset();
        m_store_failed = true;
        return false;
    }
    redraw_all();
    return true;
}

bool D2DCanvas::make_store_texture(D2D1_SIZE_U size, D2D1_BITMAP_PROPERTIES1 const& properties)
{
    if (!m_d3d || properties.pixelFormat.format != DXGI_FORMAT_B8G8R8A8_UNORM)
        return false;
    ComPtr<ID3D11Texture2D> texture;
    ComPtr<ID3D11RenderTargetView> view;
    ComPtr<IDXGISurface> surface;
    ComPtr<ID2D1Bitmap1> store;
    if (!make_target_texture(m_d3d.Get(), size.width, size.height, D3D11_BIND_SHADER_RESOURCE, texture, view)
        || FAILED(texture.As(&surface)) || !surface
        || FAILED(m_context->CreateBitmapFromDxgiSurface(surface.Get(), &properties, &store)) || !store)
        return false;
    m_store = store;
    m_store_view = view;
    m_store_texture = texture;
    return true;
}

bool D2DCanvas::clear_whole(ClipKey const& clip, Color color)
{
    if (!m_store_view || !(color.a >= 1.0f))
        return false;
    D2D1_SIZE_U size = m_store->GetPixelSize();
    PixelBox whole { 0, 0, static_cast<std::int32_t>(size.width), static_cast<std::int32_t>(size.height) };
    // An aliased clip keeps at least the pixels wholly inside it.
    if (clip.clipped && !pixels_inside(clip.rect).contains(whole))
        return false;
    // Direct3D sees the Direct2D drawing of the frame so far only once flushed.
    if (std::exchange(m_unflushed, false))
        m_context->Flush();
    float const values[4] = { color.r, color.g, color.b, 1.0f };
    m_d3d->ClearRenderTargetView(m_store_view.Get(), values);
    ++m_calls.view_clears;
    return true;
}

std::vector<Trace> D2DCanvas::trace() const
{
    std::vector<Trace> traces;
    traces.reserve(m_recorded.size());
    each_drawing(m_recorded, std::nullopt, [&](Call const& call, std::optional<RectF> clip) {
        Signature signature;
        PixelBox reach = pixels_touched(call.bounds);
        if (clip) {
            signature.add(*clip);
            reach = reach.intersected(pixels_touched(*clip));
        }
        signature.add(static_cast<std::uint64_t>(call.batch)).add(call.bounds).add(call.color).add(call.width);
        for (BatchShape const& shape : call.drawing.shapes) {
            signature.add(static_cast<std::uint64_t>(shape.kind)).add(shape.rect).add(shape.radius).add(shape.width);
            signature.add(shape.from).add(shape.to);
        }
        for (Polyline const& line : call.drawing.polylines) {
            signature.add(std::uint64_t { line.closed }).add(std::uint64_t { line.points.size() });
            for (PointF point : line.points)
                signature.add(point);
        }
        Single const& single = call.drawing.single;
        signature.add(static_cast<std::uint64_t>(single.kind)).add(single.rect).add(single.color).add(single.width);
        signature.add(std::uint64_t { single.points.size() });
        for (PointF point : single.points)
            signature.add(point);
        signature.add(single.gradient.start).add(single.gradient.end).add(single.gradient.from).add(single.gradient.to);
        for (PlacedText const& text : call.drawing.texts)
            signature.add(text.origin).add(text.key);
        signature.add(static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(single.bitmap.Get())));
        traces.push_back({ signature.value(), reach });
    });
    return traces;
}

PixelBox D2DCanvas::damage(std::vector<Trace> const& traces) const
{
    PixelBox whole { 0, 0, 0, 0 };
    if (m_store) {
        D2D1_SIZE_U size = m_store->GetPixelSize();
        whole = { 0, 0, static_cast<std::int32_t>(size.width), static_cast<std::int32_t>(size.height) };
    }
    if (m_last_traces.empty())
        return whole;
    return changed_pixels(m_last_traces, traces).intersected(whole);
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

D2DCanvas::Drawing* D2DCanvas::place(RectF bounds, BatchKind kind, Color color, float width)
{
    // A drawing with a coordinate that is not a number or infinite has no
    // place on the pixel grid, and its path would never close (Direct2D
    // under Wine tessellates such a path without end): it is not drawn.
    if (!m_context || !is_finite(bounds))
        return nullptr;
    m_recorded.push_back({ Call::Kind::Draw, bounds, kind, color, width, {} });
    return &m_recorded.back().drawing;
}

void D2DCanvas::add_shape(BatchShape const& shape, Color color)
{
    ++m_calls.shapes;
    if (Drawing* drawing = place(shape.bounds(), BatchKind::Fill, color))
        drawing->shapes.push_back(shape);
}

void D2DCanvas::clear(Color color)
{
    // Everything inside the clip: as far as the target reaches.
    if (Drawing* drawing = place({ -1e7f, -1e7f, 2e7f, 2e7f }, BatchKind::Single, color))
        drawing->single = { .kind = Single::Kind::Clear, .color = color };
}

void D2DCanvas::fill_rect(RectF rect, Color color)
{
    if (has_area(rect))
        add_shape({ .kind = BatchShape::Kind::Rect, .rect = rect }, color);
}

void D2DCanvas::stroke_rect(RectF rect, Color color, float width)
{
    if (rect.w >= 0 && rect.h >= 0 && width > 0)
        add_shape({ .kind = BatchShape::Kind::RectOutline, .rect = rect, .width = width }, color);
}

void D2DCanvas::fill_rounded_rect(RectF rect, float radius, Color color)
{
    if (has_area(rect))
        add_shape({ .kind = BatchShape::Kind::RoundedRect, .rect = rect, .radius = corner_radius(rect, radius) }, color);
}

void D2DCanvas::stroke_rounded_rect(RectF rect, float radius, Color color, float width)
{
    if (rect.w >= 0 && rect.h >= 0 && width > 0)
        add_shape({ .kind = BatchShape::Kind::RoundedOutline, .rect = rect, .radius = corner_radius(rect, radius),
                      .width = width },
            color);
}

void D2DCanvas::fill_ellipse(RectF rect, Color color)
{
    if (has_area(rect))
        add_shape({ .kind = BatchShape::Kind::Ellipse, .rect = rect }, color);
}

void D2DCanvas::stroke_ellipse(RectF rect, Color color, float width)
{
    if (!has_area(rect) || !(width > 0))
        return;
    Drawing* drawing = place({ rect.x - width / 2, rect.y - width / 2, rect.w + width, rect.h + width },
        BatchKind::Single, color);
    if (drawing)
        drawing->single = { .kind = Single::Kind::StrokeEllipse, .rect = rect, .color = color, .width = width };
}

void D2DCanvas::draw_line(PointF from, PointF to, Color color, float width)
{
    if (width > 0 && !(from == to))
        add_shape({ .kind = BatchShape::Kind::Line, .width = width, .from = from, .to = to }, color);
}

void D2DCanvas::stroke_polyline(std::span<PointF const> points, PathShape shape, Color color, float width)
{
    if (points.size() < 2 || !(width > 0) || !are_finite(points))
        return;
    // Joins may reach out further than half the width (mitre up to ten times).
    if (Drawing* drawing = place(bounds_of(points, width * 5), BatchKind::Stroke, color, width))
        drawing->polylines.push_back({ { points.begin(), points.end() }, shape == PathShape::Closed });
}

void D2DCanvas::fill_polygon(std::span<PointF const> points, Color color)
{
    if (points.size() < 3 || !are_finite(points))
        return;
    if (Drawing* drawing = place(bounds_of(points, 0), BatchKind::Single, color))
        drawing->single = { .kind = Single::Kind::Polygon, .color = color, .points = { points.begin(), points.end() } };
}

void D2DCanvas::fill_gradient(RectF rect, float radius, LinearGradient const& gradient)
{
    if (!has_area(rect))
        return;
    if (Drawing* drawing = place(rect, BatchKind::Single, gradient.from))
        drawing->single = { .kind = Single::Kind::Gradient, .rect = rect, .width = radius, .gradient = gradient };
}

void D2DCanvas::push_clip(RectF rect)
{
    if (m_context)
        m_recorded.push_back({ .kind = Call::Kind::PushClip, .bounds = rect });
}

void D2DCanvas::pop_clip()
{
    if (m_context)
        m_recorded.push_back({ .kind = Call::Kind::PopClip });
}

void D2DCanvas::draw_bitmap(Bitmap const& bitmap, RectF destination)
{
    if (!m_context || bitmap.is_empty() || !has_area(destination))
        return;
    ID2D1Bitmap* device = device_bitmap(bitmap);
    if (!device)
        return;
    if (Drawing* drawing = place(destination, BatchKind::Single, {}))
        drawing->single = { .kind = Single::Kind::Bitmap, .rect = destination, .bitmap = device };
}

void D2DCanvas::draw_plan()
{
    ClipKey pushed;
    std::vector<DrawPlan::Entry> const& entries = m_plan.entries();
    // The large areas each opaque fill sets whole, in the order of the
    // plan: the solid interiors of its shapes inside its clip.
    std::vector<std::size_t> cover_entries;
    std::vector<PixelBox> covers;
    for (std::size_t i = 0; m_store_texture && i < entries.size(); ++i) {
        if (entries[i].kind != BatchKind::Fill || !(entries[i].color.a >= 1.0f))
            continue;
        for (BatchShape const& shape : m_drawings[i].shapes) {
            PixelBox box = solid_interior(shape);
            if (entries[i].clip.clipped)
                box = box.intersected(pixels_inside(entries[i].clip.rect));
            if (!box.is_empty() && std::int64_t { box.x1 - box.x0 } * (box.y1 - box.y0) >= copied_area_min) {
                cover_entries.push_back(i);
                covers.push_back(box);
            }
        }
    }
    std::size_t later = 0; // the first cover of an entry after the current one
    for (std::size_t i = 0; i < entries.size(); ++i) {
        DrawPlan::Entry const& entry = entries[i];
        while (later < cover_entries.size() && cover_entries[later] <= i)
            ++later;
        if (!(entry.clip == pushed)) {
            if (pushed.clipped)
                m_context->PopAxisAlignedClip();
            if (entry.clip.clipped) {
                m_context->PushAxisAlignedClip(to_d2d(entry.clip.rect), D2D1_ANTIALIAS_MODE_ALIASED);
                ++m_calls.clips;
            }
            pushed = entry.clip;
        }
        Drawing const& drawing = m_drawings[i];
        if (entry.kind == BatchKind::Single && drawing.single.kind == Single::Kind::Clear) {
            if (clear_whole(entry.clip, drawing.single.color))
                continue;
        }
        // Text batches say themselves whether Direct2D drew.
        if (entry.kind != BatchKind::Text)
            m_unflushed = true;
        switch (entry.kind) {
        case BatchKind::Fill:
            draw_fill(drawing.shapes, entry.color,
                copy_interiors(drawing.shapes, entry.clip, entry.color, std::span(covers).subspan(later)));
            break;
        case BatchKind::Stroke: {
            ID2D1SolidColorBrush* b = brush(entry.color);
            ComPtr<ID2D1PathGeometry> geometry = b ? path(drawing.polylines) : nullptr;
            if (geometry) {
                m_context->DrawGeometry(geometry.Get(), b, entry.width);
                ++m_calls.shape_draws;
            }
            break;
        }
        case BatchKind::Text: draw_texts(drawing.texts, entry.color, entry.clip); break;
        case BatchKind::Single: draw_single(drawing.single); break;
        }
    }
    if (pushed.clipped)
        m_context->PopAxisAlignedClip();
    m_plan.reset();
    m_drawings.clear();
}

std::vector<PixelBox> D2DCanvas::copy_interiors(std::vector<BatchShape> const& shapes, ClipKey const& clip, Color color,
    std::span<PixelBox const> covers)
{
    std::vector<PixelBox> copied;
    if (!m_store_texture || !(color.a >= 1.0f))
        return copied;
    D2D1_SIZE_U size = m_store->GetPixelSize();
    PixelBox area { 0, 0, static_cast<std::int32_t>(size.width), static_cast<std::int32_t>(size.height) };
    // Pixels wholly inside the clip are kept by it however it rounds.
    if (clip.clipped)
        area = area.intersected(pixels_inside(clip.rect));
    auto large = [](PixelBox const& box) {
        return !box.is_empty() && std::int64_t { box.x1 - box.x0 } * (box.y1 - box.y0) >= copied_area_min;
    };
    std::vector<PixelBox> covered;
    for (BatchShape const& shape : shapes) {
        PixelBox inside = solid_interior(shape).intersected(area);
        if (!large(inside))
            continue;
        // Under a later fill's inside but for edges too small to copy (a
        // field over its border): those edges are filled, the rest left.
        auto leaves_little = [&](PixelBox const& cover) {
            PixelBox under = inside.intersected(cover);
            return !under.is_empty()
                && !large({ inside.x0, inside.y0, inside.x1, under.y0 })
                && !large({ inside.x0, under.y1, inside.x1, inside.y1 })
                && !large({ inside.x0, under.y0, under.x0, under.y1 })
                && !large({ under.x1, under.y0, inside.x1, under.y1 });
        };
        auto cover = std::find_if(covers.begin(), covers.end(), leaves_little);
        if (cover != covers.end())
            covered.push_back(inside.intersected(*cover));
        else
            copied.push_back(inside);
    }
    m_calls.covered += covered.size();
    ID3D11Texture2D* strip = copied.empty() ? nullptr : color_strip(color);
    if (!strip)
        return covered;
    // Direct3D sees the Direct2D drawing of the frame so far only once flushed.
    if (std::exchange(m_unflushed, false))
        m_context->Flush();
    for (PixelBox const& box : copied) {
        for (std::int32_t y = box.y0; y < box.y1; y += strip_height) {
            D3D11_BOX from { 0, 0, 0, static_cast<UINT>(box.x1 - box.x0),
                static_cast<UINT>(std::min(strip_height, box.y1 - y)), 1 };
            m_d3d->CopySubresourceRegion(m_store_texture.Get(), 0, static_cast<UINT>(box.x0), static_cast<UINT>(y), 0,
                strip, 0, &from);
            ++m_calls.copies;
        }
    }
    copied.insert(copied.end(), covered.begin(), covered.end());
    return copied;
}

ID3D11Texture2D* D2DCanvas::color_strip(Color color)
{
    D2D1_SIZE_U size = m_store->GetPixelSize();
    auto found = std::find_if(m_strips.begin(), m_strips.end(), [&](Strip const& strip) { return strip.color == color; });
    if (found != m_strips.end()) {
        std::rotate(found, found + 1, m_strips.end());
        return m_strips.back().texture.Get();
    }
    ComPtr<ID3D11Texture2D> texture;
    ComPtr<ID3D11RenderTargetView> view;
    if (!make_target_texture(m_d3d.Get(), size.width, static_cast<UINT>(strip_height), 0, texture, view))
        return nullptr;
    float const values[4] = { color.r, color.g, color.b, 1.0f };
    m_d3d->ClearRenderTargetView(view.Get(), values);
    if (m_strips.size() >= strip_limit)
        m_strips.erase(m_strips.begin());
    m_strips.push_back({ color, texture });
    return texture.Get();
}

void D2DCanvas::draw_fill(std::vector<BatchShape> const& shapes, Color color, std::span<PixelBox const> holes)
{
    ID2D1SolidColorBrush* b = brush(color);
    if (!b || shapes.empty())
        return;
    if (shapes.size() > 1 || !holes.empty()) {
        std::vector<std::vector<std::size_t>> groups = fill_groups(shapes, path_curve_limit);
        if (groups.size() == 1) {
            fill_path(shapes, holes, b);
            return;
        }
        // Each hole lies inside the shape it was cut from, and every shape
        // sharing its pixels is in that shape's group.
        std::vector<std::size_t> group_of(shapes.size());
        std::vector<PixelBox> touched(shapes.size());
        for (std::size_t g = 0; g < groups.size(); ++g) {
            for (std::size_t i : groups[g]) {
                group_of[i] = g;
                touched[i] = pixels_touched(shapes[i].bounds());
            }
        }
        std::vector<std::vector<PixelBox>> group_holes(groups.size());
        for (PixelBox const& hole : holes) {
            auto owner = std::find_if(touched.begin(), touched.end(),
                [&](PixelBox const& box) { return box.intersects(hole); });
            // A hole no shape reaches needs leaving out of none.
            if (owner != touched.end())
                group_holes[group_of[static_cast<std::size_t>(owner - touched.begin())]].push_back(hole);
        }
        std::vector<BatchShape> members;
        for (std::size_t g = 0; g < groups.size(); ++g) {
            members.clear();
            for (std::size_t i : groups[g])
                members.push_back(shapes[i]);
            fill_path(members, group_holes[g], b);
        }
        return;
    }
    ++m_calls.shape_draws;
    // A shape alone is drawn by its own call.
    BatchShape const& shape = shapes.front();
    switch (shape.kind) {
    case BatchShape::Kind::Rect: m_context->FillRectangle(to_d2d(shape.rect), b); break;
    case BatchShape::Kind::RectOutline: m_context->DrawRectangle(to_d2d(shape.rect), b, shape.width); break;
    case BatchShape::Kind::RoundedRect:
        m_context->FillRoundedRectangle({ to_d2d(shape.rect), shape.radius, shape.radius }, b);
        break;
    case BatchShape::Kind::RoundedOutline:
        m_context->DrawRoundedRectangle({ to_d2d(shape.rect), shape.radius, shape.radius }, b, shape.width);
        break;
    case BatchShape::Kind::Ellipse: m_context->FillEllipse(ellipse(shape.rect), b); break;
    case BatchShape::Kind::Line: m_context->DrawLine(to_d2d(shape.from), to_d2d(shape.to), b, shape.width); break;
    }
}

void D2DCanvas::draw_single(Single const& single)
{
    switch (single.kind) {
    case Single::Kind::Clear:
        m_context->Clear(to_d2d(single.color));
        ++m_calls.others;
        return;
    case Single::Kind::StrokeEllipse:
        if (ID2D1SolidColorBrush* b = brush(single.color)) {
            m_context->DrawEllipse(ellipse(single.rect), b, single.width);
            ++m_calls.shape_draws;
        }
        return;
    case Single::Kind::Polygon: {
        ID2D1SolidColorBrush* b = brush(single.color);
        ComPtr<ID2D1PathGeometry> geometry;
        if (b && m_factory && SUCCEEDED(m_factory->CreatePathGeometry(&geometry))) {
            ComPtr<ID2D1GeometrySink> sink;
            if (FAILED(geometry->Open(&sink)))
                return;
            // Even-odd filling, as polygons are filled on every platform.
            sink->SetFillMode(D2D1_FILL_MODE_ALTERNATE);
            sink->BeginFigure(to_d2d(single.points[0]), D2D1_FIGURE_BEGIN_FILLED);
            for (PointF point : std::span(single.points).subspan(1))
                sink->AddLine(to_d2d(point));
            sink->EndFigure(D2D1_FIGURE_END_CLOSED);
            if (SUCCEEDED(sink->Close())) {
                m_context->FillGeometry(geometry.Get(), b);
                ++m_calls.others;
            }
        }
        return;
    }
    case Single::Kind::Gradient: {
        LinearGradient const& gradient = single.gradient;
        D2D1_GRADIENT_STOP stops[] = { { 0.0f, to_d2d(gradient.from) }, { 1.0f, to_d2d(gradient.to) } };
        ComPtr<ID2D1GradientStopCollection> collection;
        ComPtr<ID2D1LinearGradientBrush> fill;
        if (FAILED(m_context->CreateGradientStopCollection(stops, 2, D2D1_GAMMA_2_2, D2D1_EXTEND_MODE_CLAMP,
                &collection))
            || FAILED(m_context->CreateLinearGradientBrush(
                D2D1_LINEAR_GRADIENT_BRUSH_PROPERTIES { to_d2d(gradient.start), to_d2d(gradient.end) },
                D2D1_BRUSH_PROPERTIES { 1.0f, D2D1::IdentityMatrix() }, collection.Get(), &fill)))
            return;
        m_context->FillRoundedRectangle(rounded(single.rect, single.width), fill.Get());
        ++m_calls.others;
        return;
    }
    case Single::Kind::Bitmap:
        m_context->DrawBitmap(single.bitmap.Get(), to_d2d(single.rect), 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR,
            nullptr);
        ++m_calls.others;
        return;
    }
}

ComPtr<ID2D1PathGeometry> D2DCanvas::path(std::span<Polyline const> polylines)
{
    ComPtr<ID2D1PathGeometry> geometry;
    ComPtr<ID2D1GeometrySink> sink;
    if (!m_factory || FAILED(m_factory->CreatePathGeometry(&geometry)) || FAILED(geometry->Open(&sink)))
        return nullptr;
    for (Polyline const& line : polylines) {
        sink->BeginFigure(to_d2d(line.points[0]), D2D1_FIGURE_BEGIN_HOLLOW);
        for (PointF point : std::span(line.points).subspan(1))
            sink->AddLine(to_d2d(point));
        sink->EndFigure(line.closed ? D2D1_FIGURE_END_CLOSED : D2D1_FIGURE_END_OPEN);
    }
    if (FAILED(sink->Close()))
        return nullptr;
    return geometry;
}

void D2DCanvas::fill_path(std::span<BatchShape const> shapes, std::span<PixelBox const> holes, ID2D1Brush* brush)
{
    ++m_calls.shape_draws;
    // Kept by their figures where they are: a path is found again when
    // the same shapes come back in the same place (a frame drawn whole
    // again, a theme change), and draws exactly the pixels it drew the
    // first time. (Moved by whole pixels, a rounded corner's control
    // points round differently in their last place: another path.)
    std::vector<Figure> figures;
    for (BatchShape const& shape : shapes)
        append_figures(shape, figures);
    for (PixelBox const& hole : holes)
        figures.push_back(hole_figure(hole));
    std::size_t built = m_geometries.counts().builds;
    ComPtr<ID2D1PathGeometry> geometry = m_geometries.path(m_factory, figures);
    m_calls.paths_built += m_geometries.counts().builds - built;
    if (!geometry)
        return;
    m_context->FillGeometry(geometry.Get(), brush);
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

}
