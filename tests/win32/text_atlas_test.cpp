// Which texts lie on one known colour, and the bounded pages kept texts
// are placed on: slots apart, found again by the same key only, pages of
// the current frame never emptied.
#include "platform/win32/detail/text_atlas.hpp"
#include "tests/win32/check.hpp"

#include <set>

using namespace orvy;
using namespace orvy::win32;

namespace {

constexpr Color white { 1, 1, 1, 1 };
constexpr Color red { 1, 0, 0, 1 };
constexpr PixelBox everything { -(1 << 30), -(1 << 30), 1 << 30, 1 << 30 };

TextKey key_of(std::uint64_t layout, std::int32_t width, std::int32_t height)
{
    return { .layout = layout, .color = { 0, 0, 0, 1 }, .background = white, .box = { -1, -2, width - 1, height - 2 } };
}

// What asking for the text gives: not kept, found, or a fresh slot.
enum class Asked { NotKept, Found, Fresh };
Asked ask(TextAtlas& atlas, TextKey const& key)
{
    std::optional<TextAtlas::Found> found = atlas.find_or_place(key);
    return !found ? Asked::NotKept : found->fresh ? Asked::Fresh : Asked::Found;
}

PixelBox placed(TextAtlas::Found const& found, TextKey const& key)
{
    return { found.slot.x, found.slot.y, found.slot.x + key.box.x1 - key.box.x0,
        found.slot.y + key.box.y1 - key.box.y0 };
}

}

TEST_CASE(the_colour_under_a_text_is_that_of_the_last_drawing_reaching_it_when_that_covers_it)
{
    std::vector<Paint> paints {
        { everything, everything, white },                               // the window's clear
        { { 0, 0, 100, 50 }, { 0, 0, 100, 50 }, red },                  // a panel
        { { 10, 10, 40, 20 }, {}, { 0, 0, 0, 1 } },                     // a text on it
        { { 0, 60, 100, 80 }, { 2, 60, 98, 80 }, { 0, 0, 1, 0.5f } },   // a translucent fill
    };
    CHECK(single_colour_under(paints, { 50, 10, 80, 20 }) == red);
    CHECK(single_colour_under(paints, { 200, 200, 210, 210 }) == white);
    // Over the text, over the panel's edge, over the translucent fill: unknown.
    CHECK(!single_colour_under(paints, { 30, 15, 60, 25 }));
    CHECK(!single_colour_under(paints, { 90, 40, 110, 55 }));
    CHECK(!single_colour_under(paints, { 10, 65, 20, 70 }));
    // Before the panel was drawn the clear was the last.
    CHECK(single_colour_under(std::span(paints).first(1), { 50, 10, 80, 20 }) == white);
    // A drawing that only reaches the box's pixels, set none for sure (the
    // panel's antialiased edge), hides the colour.
    paints.push_back({ { 0, 100, 100, 120 }, { 1, 101, 99, 119 }, red });
    CHECK(!single_colour_under(paints, { 0, 105, 10, 110 }));
    CHECK(single_colour_under(paints, { 5, 105, 10, 110 }) == red);
    // Nothing drawn there yet, nothing to look at, or beyond the look-back.
    CHECK(!single_colour_under({}, { 0, 0, 10, 10 }));
    CHECK(!single_colour_under(paints, {}));
    std::vector<Paint> long_frame { { everything, everything, white } };
    for (int i = 0; i < 300; ++i)
        long_frame.push_back({ { 1000 + i, 0, 1001 + i, 1 }, { 1000 + i, 0, 1001 + i, 1 }, red });
    CHECK(!single_colour_under(long_frame, { 0, 0, 10, 10 }, 256));
    CHECK(single_colour_under(long_frame, { 0, 0, 10, 10 }, 400) == white);
}

TEST_CASE(a_rounded_panel_covers_what_keeps_clear_of_its_corners)
{
    // A 100 x 36 panel at (8, 8) with corners of radius 12, like a form's row.
    Paint row { { 8, 8, 108, 44 }, { 8, 8, 108, 44 }, red, { 8, 8, 100, 36 }, 12 };
    CHECK(row.covers({ 20, 8, 96, 44 }));   // between the corners, full height
    CHECK(row.covers({ 8, 20, 108, 32 }));  // between the corners, full width
    // A label near the left edge: its corner points (12, 14) and (12, 38)
    // lie 10 from the arcs' centres (20, 20) and (20, 32), inside the radius
    // less half a pixel.
    CHECK(row.covers({ 12, 14, 60, 38 }));
    // Reaching into the corner outside the arc: the corner pixel itself,
    // and a box whose point (12, 10) lies 12.8 from the centre.
    CHECK(!row.covers({ 8, 8, 30, 30 }));
    CHECK(!row.covers({ 12, 10, 40, 30 }));
    CHECK(!row.covers({ 90, 30, 108, 44 }));
    // Past the panel's whole pixels, or nothing at all.
    CHECK(!row.covers({ 7, 20, 50, 30 }));
    CHECK(!row.covers({}));
    // A circle (a badge 30 across) covers the ink of a digit in its middle.
    Paint badge { { 0, 0, 30, 30 }, { 0, 0, 30, 30 }, red, { 0, 0, 30, 30 }, 15 };
    CHECK(badge.covers({ 7, 6, 23, 24 }));
    CHECK(!badge.covers({ 3, 3, 27, 27 }));
}

TEST_CASE(a_kept_text_is_found_again_only_by_the_same_layout_colours_and_place_in_the_pixel)
{
    TextAtlas atlas({ .page_width = 256, .page_height = 64, .pages = 2 });
    TextKey base = key_of(7, 40, 12);
    std::optional<TextAtlas::Found> first = atlas.find_or_place(base);
    CHECK(first && first->fresh);
    std::optional<TextAtlas::Found> again = atlas.find_or_place(base);
    CHECK(again && !again->fresh && again->slot == first->slot);

    // Each differing part of the key makes a slot of its own, drawn afresh.
    std::vector<TextKey> others(6, base);
    others[0].layout = 8;
    others[1].color = red;
    others[2].background = red;
    others[3].fraction_x = 0.5f;
    others[4].fraction_y = 0.25f;
    others[5].box = { 0, -2, 40, 10 }; // the same size, reached from elsewhere in the pixel
    std::set<std::pair<std::int32_t, std::int32_t>> slots { { first->slot.x, first->slot.y } };
    for (TextKey const& other : others) {
        std::optional<TextAtlas::Found> found = atlas.find_or_place(other);
        CHECK(found && found->fresh);
        if (found)
            slots.insert({ found->slot.x, found->slot.y });
    }
    CHECK(slots.size() == 7 && atlas.entry_count() == 7);
    // A text larger than a page, or without pixels, is not kept.
    CHECK(!atlas.find_or_place(key_of(9, 300, 10)));
    CHECK(!atlas.find_or_place(key_of(9, 10, 65)));
    CHECK(!atlas.find_or_place(key_of(9, 0, 10)));
}

TEST_CASE(kept_texts_stay_within_their_pages_apart_from_one_another)
{
    TextAtlas atlas({ .page_width = 200, .page_height = 100, .pages = 3 });
    std::vector<std::pair<std::size_t, PixelBox>> boxes;
    for (std::uint64_t i = 0; i < 200; ++i) {
        TextKey key = key_of(i, 7 + static_cast<std::int32_t>(i * 13 % 50), 9 + static_cast<std::int32_t>(i % 4) * 4);
        std::optional<TextAtlas::Found> found = atlas.find_or_place(key);
        if (!found)
            continue;
        PixelBox box = placed(*found, key);
        CHECK(box.x0 >= 0 && box.y0 >= 0 && box.x1 <= 200 && box.y1 <= 100);
        for (auto const& [page, other] : boxes)
            CHECK(page != found->slot.page || !box.intersects(other));
        boxes.push_back({ found->slot.page, box });
    }
    // The three pages hold far more than a handful, and no more than fit.
    CHECK(boxes.size() > 40);
    CHECK(atlas.page_count() == 3 && atlas.entry_count() == boxes.size());
}

TEST_CASE(the_pages_are_bounded_and_the_least_recently_used_gives_way_but_never_one_of_this_frame)
{
    // Two pages of one shelf of two slots each.
    TextAtlas atlas({ .page_width = 100, .page_height = 20, .pages = 2 });
    CHECK(atlas.byte_limit() == 2 * 100 * 20 * 4);
    for (std::uint64_t i = 0; i < 4; ++i)
        CHECK(atlas.find_or_place(key_of(i, 50, 20)));
    // Full, and every page holds a text of this frame: the fifth is not kept.
    CHECK(!atlas.find_or_place(key_of(4, 50, 20)));
    CHECK(atlas.page_count() == 2 && atlas.evictions() == 0);

    // Next frame: texts 2 and 3 (the second page) are asked for again, so the
    // first page gives way to text 4, and texts 0 and 1 are gone with it.
    atlas.next_frame();
    CHECK(ask(atlas, key_of(2, 50, 20)) == Asked::Found);
    CHECK(ask(atlas, key_of(3, 50, 20)) == Asked::Found);
    std::optional<TextAtlas::Found> fourth = atlas.find_or_place(key_of(4, 50, 20));
    CHECK(fourth && fourth->fresh && fourth->slot.page == 0);
    CHECK(atlas.evictions() == 1 && atlas.page_count() == 2 && atlas.entry_count() == 3);
    // Text 0 fits beside text 4; text 1 then finds no page free to empty.
    CHECK(ask(atlas, key_of(0, 50, 20)) == Asked::Fresh);
    CHECK(ask(atlas, key_of(1, 50, 20)) == Asked::NotKept);
    CHECK(ask(atlas, key_of(2, 50, 20)) == Asked::Found);

    atlas.clear();
    CHECK(atlas.page_count() == 0 && atlas.entry_count() == 0);
    CHECK(ask(atlas, key_of(2, 50, 20)) == Asked::Fresh);
}
