// TextCache: the pages as textures of the device, and the texts new to them
// drawn in two passes per page.
#include "platform/win32/text_cache.hpp"

#include <algorithm>

namespace orvy::win32 {

namespace {

D2D1_COLOR_F to_d2d(Color color) { return { color.r, color.g, color.b, color.a }; }

// The distinct values of `of` over the items, in order of first appearance.
template<typename Item, typename Of>
std::vector<Color> distinct_colours(std::vector<Item> const& items, Of of)
{
    std::vector<Color> colours;
    for (Item const& item : items) {
        if (std::find(colours.begin(), colours.end(), of(item)) == colours.end())
            colours.push_back(of(item));
    }
    return colours;
}

}

bool make_target_texture(ID3D11DeviceContext* d3d, UINT width, UINT height, UINT bind,
    ComPtr<ID3D11Texture2D>& texture, ComPtr<ID3D11RenderTargetView>& view)
{
    ComPtr<ID3D11Device> device;
    d3d->GetDevice(&device);
    D3D11_TEXTURE2D_DESC description {};
    description.Width = width;
    description.Height = height;
    description.MipLevels = 1;
    description.ArraySize = 1;
    description.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
    description.SampleDesc.Count = 1;
    description.Usage = D3D11_USAGE_DEFAULT;
    description.BindFlags = D3D11_BIND_RENDER_TARGET | bind;
    return device && SUCCEEDED(device->CreateTexture2D(&description, nullptr, &texture)) && texture
        && SUCCEEDED(device->CreateRenderTargetView(texture.Get(), nullptr, &view)) && view;
}

void TextCache::next_frame(D2D1_PIXEL_FORMAT format)
{
    if (format.format != m_format.format || format.alphaMode != m_format.alphaMode) {
        release();
        m_format = format;
    }
    m_atlas.next_frame();
    m_fresh.clear();
}

std::optional<TextCache::Source> TextCache::find(TextKey const& key, IDWriteTextLayout* layout,
    ID3D11DeviceContext* d3d, ID2D1DeviceContext* context)
{
    if (m_failed || !layout)
        return std::nullopt;
    std::optional<TextAtlas::Found> found = m_atlas.find_or_place(key);
    if (!found)
        return std::nullopt;
    TextAtlas::Slot slot = found->slot;
    if (!texture(slot.page) && !make_page(slot.page, d3d, context)) {
        // Without its pages the cache keeps nothing, and every text is drawn.
        m_failed = true;
        m_atlas.clear();
        m_fresh.clear();
        return std::nullopt;
    }
    std::int32_t left = slot.x + key.lead;
    PixelBox box { left, slot.y, left + key.box.x1 - key.box.x0, slot.y + key.box.y1 - key.box.y0 };
    if (found->fresh) {
        // The same place within a pixel as the text in the frame: whole
        // pixels apart from where it will be copied to.
        PointF in_page { static_cast<float>(left - key.box.x0) + key.fraction_x,
            static_cast<float>(slot.y - key.box.y0) + key.fraction_y };
        m_fresh.push_back({ layout, in_page, key.color, key.background, slot, box });
    }
    return Source { slot.page, box };
}

bool TextCache::make_page(std::size_t page, ID3D11DeviceContext* d3d, ID2D1DeviceContext* context)
{
    if (!d3d || !context || m_format.format != DXGI_FORMAT_B8G8R8A8_UNORM)
        return false;
    if (m_pages.size() <= page)
        m_pages.resize(page + 1);
    ComPtr<ID3D11Texture2D> texture;
    ComPtr<ID3D11RenderTargetView> view;
    ComPtr<IDXGISurface> surface;
    ComPtr<ID2D1Bitmap1> bitmap;
    D2D1_BITMAP_PROPERTIES1 properties {};
    properties.pixelFormat = m_format;
    properties.dpiX = 96.0f;
    properties.dpiY = 96.0f;
    properties.bitmapOptions = D2D1_BITMAP_OPTIONS_TARGET;
    TextAtlas::Limits const& limits = m_atlas.limits();
    if (!make_target_texture(d3d, static_cast<UINT>(limits.page_width), static_cast<UINT>(limits.page_height),
            D3D11_BIND_SHADER_RESOURCE, texture, view)
        || FAILED(texture.As(&surface)) || !surface
        || FAILED(context->CreateBitmapFromDxgiSurface(surface.Get(), &properties, &bitmap)) || !bitmap)
        return false;
    m_pages[page] = { texture, bitmap };
    return true;
}

TextCache::Drawn TextCache::draw_fresh(ID2D1DeviceContext* context, ID2D1Factory1* factory)
{
    Drawn drawn;
    if (m_fresh.empty())
        return drawn;
    ComPtr<ID2D1SolidColorBrush> brush;
    if (!context || !factory || FAILED(context->CreateSolidColorBrush(D2D1_COLOR_F { 0, 0, 0, 1 }, &brush)) || !brush) {
        // Slots left undrawn must not be copied later.
        m_atlas.clear();
        m_fresh.clear();
        return drawn;
    }
    std::stable_sort(m_fresh.begin(), m_fresh.end(),
        [](Fresh const& a, Fresh const& b) { return a.slot.page < b.slot.page; });
    for (auto first = m_fresh.begin(); first != m_fresh.end();) {
        auto last = std::find_if(first, m_fresh.end(), [&](Fresh const& fresh) { return fresh.slot.page != first->slot.page; });
        std::vector<Fresh> page(first, last);
        first = last;
        context->SetTarget(m_pages[page.front().slot.page].bitmap.Get());

        // Pass 1: each slot filled with the colour under its text, one path
        // of whole-pixel rectangles per colour, every pixel set exactly.
        D2D1_ANTIALIAS_MODE antialias = context->GetAntialiasMode();
        context->SetAntialiasMode(D2D1_ANTIALIAS_MODE_ALIASED);
        for (Color background : distinct_colours(page, [](Fresh const& fresh) { return fresh.background; })) {
            ComPtr<ID2D1PathGeometry> geometry;
            ComPtr<ID2D1GeometrySink> sink;
            if (FAILED(factory->CreatePathGeometry(&geometry)) || FAILED(geometry->Open(&sink)))
                continue;
            sink->SetFillMode(D2D1_FILL_MODE_WINDING);
            for (Fresh const& fresh : page) {
                if (!(fresh.background == background))
                    continue;
                auto x0 = static_cast<float>(fresh.box.x0), y0 = static_cast<float>(fresh.box.y0);
                auto x1 = static_cast<float>(fresh.box.x1), y1 = static_cast<float>(fresh.box.y1);
                sink->BeginFigure({ x0, y0 }, D2D1_FIGURE_BEGIN_FILLED);
                D2D1_POINT_2F corners[] = { { x1, y0 }, { x1, y1 }, { x0, y1 } };
                sink->AddLines(corners, 3);
                sink->EndFigure(D2D1_FIGURE_END_CLOSED);
            }
            if (FAILED(sink->Close()))
                continue;
            brush->SetColor(to_d2d(background));
            context->FillGeometry(geometry.Get(), brush.Get());
            ++drawn.fills;
        }
        context->SetAntialiasMode(antialias);

        // Pass 2: the texts, gathered into glyph runs per colour.
        DWRITE_MATRIX identity { 1, 0, 0, 1, 0, 0 };
        for (Color color : distinct_colours(page, [](Fresh const& fresh) { return fresh.color; })) {
            for (Fresh const& fresh : page) {
                if (fresh.color == color && m_glyphs.add(fresh.layout.Get(), fresh.origin, identity, 1.0f))
                    ++drawn.texts;
            }
            brush->SetColor(to_d2d(color));
            drawn.glyph_runs += m_glyphs.draw(context, brush.Get());
            m_glyphs.clear();
        }
    }
    m_fresh.clear();
    return drawn;
}

void TextCache::set_limits(TextAtlas::Limits limits)
{
    m_atlas = TextAtlas(limits);
    m_pages.clear();
    m_fresh.clear();
    m_failed = false;
}

void TextCache::clear()
{
    m_atlas.clear();
    m_fresh.clear();
}

}
