// TextAtlas: the colour under a text, and the shelves of the pages kept texts lie on.
#include "platform/win32/detail/text_atlas.hpp"

#include <algorithm>
#include <bit>
#include <cmath>

namespace orvy::win32 {

bool Paint::covers(PixelBox box) const
{
    if (!solid.contains(box) || box.is_empty())
        return false;
    if (!(radius > 0))
        return true;
    // Where the box reaches into a corner's square, its point nearest the
    // corner must lie within the arc, half a pixel to spare for arcs drawn
    // as chords: the rest of the box in that square is nearer the centre.
    float left = shape.x + radius, right = shape.right() - radius;
    float top = shape.y + radius, bottom = shape.bottom() - radius;
    auto x0 = static_cast<float>(box.x0), y0 = static_cast<float>(box.y0);
    auto x1 = static_cast<float>(box.x1), y1 = static_cast<float>(box.y1);
    auto within = [&](float centre_x, float centre_y, float x, float y, bool reaches) {
        return !reaches || std::hypot(x - centre_x, y - centre_y) <= radius - 0.5f;
    };
    return within(left, top, x0, y0, x0 < left && y0 < top) && within(right, top, x1, y0, x1 > right && y0 < top)
        && within(left, bottom, x0, y1, x0 < left && y1 > bottom)
        && within(right, bottom, x1, y1, x1 > right && y1 > bottom);
}

std::optional<Color> single_colour_under(std::span<Paint const> before, PixelBox box, std::size_t lookback)
{
    if (box.is_empty())
        return std::nullopt;
    std::size_t stop = before.size() > lookback ? before.size() - lookback : 0;
    for (std::size_t i = before.size(); i-- > stop;) {
        Paint const& paint = before[i];
        if (!paint.reach.intersects(box))
            continue;
        if (paint.color.a >= 1.0f && paint.covers(box))
            return paint.color;
        return std::nullopt;
    }
    return std::nullopt;
}

std::size_t TextKeyHash::operator()(TextKey const& key) const
{
    Signature signature;
    signature.add(key.layout).add(key.color).add(key.background).add(key.fraction_x).add(key.fraction_y);
    signature.add(std::uint64_t { std::bit_cast<std::uint32_t>(key.box.x0) })
        .add(std::uint64_t { std::bit_cast<std::uint32_t>(key.box.y0) })
        .add(std::uint64_t { std::bit_cast<std::uint32_t>(key.box.x1) })
        .add(std::uint64_t { std::bit_cast<std::uint32_t>(key.box.y1) })
        .add(std::uint64_t { std::bit_cast<std::uint32_t>(key.lead) });
    return static_cast<std::size_t>(signature.value());
}

std::optional<TextAtlas::Found> TextAtlas::find_or_place(TextKey const& key)
{
    std::int32_t width = key.box.x1 - key.box.x0 + key.lead, height = key.box.y1 - key.box.y0;
    if (key.box.is_empty() || key.lead < 0 || width > m_limits.page_width || height > m_limits.page_height)
        return std::nullopt;
    if (auto found = m_entries.find(key); found != m_entries.end()) {
        m_pages[found->second.page].last_used = m_frame;
        return Found { found->second, false };
    }
    std::optional<Slot> slot;
    for (std::size_t page = 0; page < m_pages.size() && !slot; ++page)
        slot = place_in(page, width, height);
    if (!slot && m_pages.size() < m_limits.pages) {
        m_pages.emplace_back();
        slot = place_in(m_pages.size() - 1, width, height);
    }
    if (!slot) {
        // The page used least recently gives way, unless this frame uses it.
        std::optional<std::size_t> oldest;
        for (std::size_t page = 0; page < m_pages.size(); ++page) {
            if (m_pages[page].last_used < m_frame && (!oldest || m_pages[page].last_used < m_pages[*oldest].last_used))
                oldest = page;
        }
        if (!oldest)
            return std::nullopt;
        empty_page(*oldest);
        ++m_evictions;
        slot = place_in(*oldest, width, height);
    }
    if (!slot)
        return std::nullopt;
    m_pages[slot->page].last_used = m_frame;
    m_entries.emplace(key, *slot);
    return Found { *slot, true };
}

std::optional<TextAtlas::Slot> TextAtlas::place_in(std::size_t page_index, std::int32_t width, std::int32_t height)
{
    Page& page = m_pages[page_index];
    // The lowest shelf the text fits on without wasting more than a quarter
    // of its height; else a new shelf, as high as the text rounded up to 4.
    Shelf* best = nullptr;
    for (Shelf& shelf : page.shelves) {
        if (shelf.height >= height && shelf.height <= height + height / 4 + 3
            && m_limits.page_width - shelf.used >= width && (!best || shelf.height < best->height))
            best = &shelf;
    }
    if (!best) {
        std::int32_t shelf_height = std::min((height + 3) / 4 * 4, m_limits.page_height);
        if (page.used + shelf_height > m_limits.page_height)
            return std::nullopt;
        best = &page.shelves.emplace_back(Shelf { page.used, shelf_height, 0 });
        page.used += shelf_height;
    }
    Slot slot { page_index, best->used, best->y };
    best->used += width;
    return slot;
}

void TextAtlas::empty_page(std::size_t page)
{
    std::erase_if(m_entries, [&](auto const& entry) { return entry.second.page == page; });
    m_pages[page].shelves.clear();
    m_pages[page].used = 0;
}

void TextAtlas::clear()
{
    m_entries.clear();
    m_pages.clear();
}

}
