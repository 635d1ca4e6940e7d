// TextCache: texts drawn over one opaque colour, kept across frames in a few
// pages of the device's textures. A text the frame asks for again is copied
// from its slot into the kept frame, pixel for pixel what drawing it there
// would give: the slot was filled with the same colour, and the text drawn
// at the same place within a pixel. Only texts new to the cache are drawn,
// all of a frame's at once, gathered into glyph runs on their pages.
#pragma once

#include "core/base/geometry.hpp"
#include "platform/win32/detail/com.hpp"
#include "platform/win32/detail/text_atlas.hpp"
#include "platform/win32/glyph_batch.hpp"

#include <d2d1_1.h>
#include <d3d11.h>
#include <dwrite.h>

#include <optional>
#include <vector>

namespace orvy::win32 {

// A BGRA texture of the context's device that can be drawn into, with its
// render target view; `bind` adds further uses.
bool make_target_texture(ID3D11DeviceContext* d3d, UINT width, UINT height, UINT bind,
    ComPtr<ID3D11Texture2D>& texture, ComPtr<ID3D11RenderTargetView>& view);

class TextCache {
public:
    // Where a kept text is: its page and the slot's pixels there.
    struct Source {
        std::size_t page = 0;
        PixelBox box;
    };
    // What the last frame's texts cost.
    struct Drawn {
        std::size_t texts = 0;      // texts drawn into pages
        std::size_t glyph_runs = 0; // the glyph runs they took
        std::size_t fills = 0;      // fills of their slots' colours
    };

    // Starts a frame drawn with `format` (the kept frame's pixels): pages
    // of another format are let go.
    void next_frame(D2D1_PIXEL_FORMAT format);
    // The slot of the layout drawn in `key.color` over
    // `key.background`, found or made (and then drawn at the next
    // draw_fresh). Nothing when the text is not kept: no room left beside
    // this frame's texts, or no page could be made.
    std::optional<Source> find(TextKey const& key, IDWriteTextLayout* layout, ID3D11DeviceContext* d3d,
        ID2D1DeviceContext* context);
    // Draws the texts new in this frame into their slots. The context's
    // target is changed: the caller sets its own again.
    Drawn draw_fresh(ID2D1DeviceContext* context, ID2D1Factory1* factory);
    ID3D11Texture2D* texture(std::size_t page) const
    {
        return page < m_pages.size() ? m_pages[page].texture.Get() : nullptr;
    }

    // Texts kept in fewer or more pages; slots found so far are let go.
    void set_limits(TextAtlas::Limits limits);
    TextAtlas const& atlas() const { return m_atlas; }
    // Forgets every kept text; the pages stay for the next ones.
    void clear();
    // Lets go of the pages too (they belong to one device).
    void release() { set_limits(m_atlas.limits()); }

private:
    struct Page {
        ComPtr<ID3D11Texture2D> texture;
        ComPtr<ID2D1Bitmap1> bitmap;
    };
    struct Fresh {
        ComPtr<IDWriteTextLayout> layout;
        PointF origin; // in the page
        Color color;
        Color background;
        TextAtlas::Slot slot;
        PixelBox box; // the slot's pixels
    };
    bool make_page(std::size_t page, ID3D11DeviceContext* d3d, ID2D1DeviceContext* context);

    TextAtlas m_atlas;
    std::vector<Page> m_pages;
    std::vector<Fresh> m_fresh;
    D2D1_PIXEL_FORMAT m_format {};
    bool m_failed = false; // a page could not be made: texts are drawn directly
    GlyphBatch m_glyphs;
};

}
