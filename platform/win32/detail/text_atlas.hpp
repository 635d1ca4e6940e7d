// The bookkeeping of drawn texts kept across frames: which pixels under a
// text are known to be one opaque colour, and where in a few fixed pages
// each kept text lies.
//
// A text drawn over one opaque colour gives the same pixels wherever it is
// drawn, as long as its origin lies at the same place within a pixel. Such
// a text is drawn once into a page slot filled with that colour and copied
// from there on later frames. The pages are bounded: when all are full, the
// page used least recently (and not in this frame) is emptied whole.
//
// No Windows headers: the pages are plain rectangles here.
#pragma once

#include "core/base/style.hpp"
#include "platform/win32/detail/draw_batches.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

namespace orvy::win32 {

// What a drawing leaves behind, as far as the texts after it care: the
// pixels it may touch, and those it sets to its colour: the whole pixels of
// `solid` (empty when none for sure), less the corners of `shape` rounded
// by `radius`, when it has any.
struct Paint {
    PixelBox reach;
    PixelBox solid;
    Color color;
    RectF shape;
    float radius = 0;

    // Whether every pixel of the box is set to the colour.
    bool covers(PixelBox box) const;
};

// The opaque colour every pixel of `box` has after the drawings `before`
// (in drawing order), when the last drawing reaching into the box covers
// it with one colour. Nothing when another drawing came after that one,
// when none of the last `lookback` drawings reaches the box (what lies
// there is unknown), or when the box is empty.
std::optional<Color> single_colour_under(std::span<Paint const> before, PixelBox box, std::size_t lookback = 256);

// What makes a kept text the one to copy: the same layout (text, format
// and box), colours, position within the pixel and pixels reached.
struct TextKey {
    std::uint64_t layout = 0;
    Color color;
    Color background;
    float fraction_x = 0; // the origin less its whole pixels
    float fraction_y = 0;
    PixelBox box; // the pixels the text reaches, from the origin's whole pixel
    // Columns kept free left of the box, so that the glyphs' own origins
    // (left of their ink) fall inside the page too.
    std::int32_t lead = 0;

    friend bool operator==(TextKey const&, TextKey const&) = default;
};

struct TextKeyHash {
    std::size_t operator()(TextKey const& key) const;
};

class TextAtlas {
public:
    struct Limits {
        std::int32_t page_width = 1024;
        std::int32_t page_height = 512;
        std::size_t pages = 4;
    };
    // Where a kept text lies: its page and its top-left pixel there; its
    // size is its key's box with the lead left of it.
    struct Slot {
        std::size_t page = 0;
        std::int32_t x = 0;
        std::int32_t y = 0;
        friend bool operator==(Slot const&, Slot const&) = default;
    };
    struct Found {
        Slot slot;
        bool fresh = false; // the slot is new: the text must be drawn there first
    };

    TextAtlas() = default;
    explicit TextAtlas(Limits limits)
        : m_limits(limits)
    {
    }

    Limits const& limits() const { return m_limits; }
    // The bytes the pages would take at four bytes a pixel, all pages made.
    std::size_t byte_limit() const
    {
        return m_limits.pages * static_cast<std::size_t>(m_limits.page_width) * m_limits.page_height * 4;
    }

    // Starts a frame: slots found in earlier frames may give way from now on.
    void next_frame() { ++m_frame; }
    // The text's slot, found or made. A new slot may empty the page used
    // least recently; pages with texts of this frame are never emptied, so
    // nothing when the text does not fit beside them (or in a page at all).
    std::optional<Found> find_or_place(TextKey const& key);

    // Pages in use (each is made once, when first used).
    std::size_t page_count() const { return m_pages.size(); }
    std::size_t entry_count() const { return m_entries.size(); }
    // How many pages were emptied to make room.
    std::size_t evictions() const { return m_evictions; }
    void clear();

private:
    struct Shelf {
        std::int32_t y = 0;
        std::int32_t height = 0;
        std::int32_t used = 0; // the width taken from the left
    };
    struct Page {
        std::vector<Shelf> shelves;
        std::int32_t used = 0; // the height taken by shelves from the top
        std::uint64_t last_used = 0;
    };
    std::optional<Slot> place_in(std::size_t page, std::int32_t width, std::int32_t height);
    void empty_page(std::size_t page);

    Limits m_limits;
    std::vector<Page> m_pages;
    std::unordered_map<TextKey, Slot, TextKeyHash> m_entries;
    std::uint64_t m_frame = 1;
    std::size_t m_evictions = 0;
};

}
