// Flow, grid and pack: how a container places its flow children.
#include "core/layout/detail/place.hpp"

#include <algorithm>

namespace orvy::detail {

namespace {

template<class Visit>
void for_each_flow_child(LayoutState& state, Item const& item, Visit&& visit)
{
    for (std::uint32_t k = 0; k < item.child_count; ++k) {
        std::uint32_t id = state.children[item.first_child + k];
        Item const& child = state.items[id];
        if (child.is_flow())
            visit(id, child);
    }
}

float weight(Item const& child) { return child.grow > 0 ? child.grow : 1.0f; }

}

void place_flow(LayoutState& state, Item const& item, ContentBox const& box, std::uint32_t flow_count)
{
    bool vertical = item.axis == Axis::Vertical;
    std::uint16_t main_flag = vertical ? HasH : HasW;
    std::uint16_t cross_flag = vertical ? HasW : HasH;
    float main_extent = vertical ? box.h : box.w;
    float cross_extent = vertical ? box.w : box.h;
    float g = item.gap;

    // Pass 1: fixed sizes and flex weights along the main axis.
    float fixed = 0, weights = 0;
    for_each_flow_child(state, item, [&](std::uint32_t, Item const& child) {
        if (child.has(main_flag))
            fixed += vertical ? child.h : child.w;
        else
            weights += weight(child);
    });

    // Pass 2: free space per unit of weight, and what is left for justify.
    float gaps = static_cast<float>(flow_count - 1) * g;
    float free = max_of(main_extent - gaps - fixed, 0);
    float unit = weights > 0 ? free / weights : 0.0f;
    float leftover = max_of(main_extent - ((weights > 0 ? free : 0.0f) + gaps + fixed), 0);
    float start = 0, between = 0;
    switch (item.justify) {
    case Justify::Center: start = leftover / 2; break;
    case Justify::End: start = leftover; break;
    case Justify::Between:
        if (flow_count > 1)
            between = leftover / static_cast<float>(flow_count - 1);
        break;
    default: break;
    }

    // Pass 3: each child's main and cross size, in document order.
    float cursor = (vertical ? box.y : box.x) + start;
    float cross_origin = vertical ? box.x : box.y;
    for_each_flow_child(state, item, [&](std::uint32_t id, Item const& child) {
        float main_min = vertical ? child.min_h : child.min_w;
        float main_max = vertical ? child.max_h : child.max_w;
        float cross_min = vertical ? child.min_w : child.min_h;
        float cross_max = vertical ? child.max_w : child.max_h;
        float main;
        if (child.has(main_flag)) {
            main = vertical ? child.h : child.w;
        } else {
            main = weight(child) * unit;
            if (vertical && child.has(HasDefinite))
                main = max_of(main, child.definite_h);
        }
        main = bounded(main, main_min, main_max);

        float cross_wanted = cross_extent;
        if (child.has(cross_flag))
            cross_wanted = min_of(vertical ? child.w : child.h, cross_extent);
        float cross = bounded(cross_wanted, cross_min, cross_max);
        float offset = 0;
        if (item.cross == Cross::Center)
            offset = (cross_extent - cross) / 2;
        else if (item.cross == Cross::End)
            offset = cross_extent - cross;

        state.rects[id] = vertical ? RectF { cross_origin + offset, cursor, cross, main }
                                     : RectF { cursor, cross_origin + offset, main, cross };
        cursor += main + g + between;
    });
}

namespace {

Extra cell_of(LayoutState const& state, std::uint32_t id, Item const& child)
{
    if (child.has(HasCell))
        return state.extras[id];
    Extra first_cell {};
    first_cell.row_span = 1;
    first_cell.col_span = 1;
    return first_cell;
}

}

void place_grid(LayoutState& state, Item const& item, ContentBox const& box)
{
    unsigned columns = 1, rows = 1;
    for_each_flow_child(state, item, [&](std::uint32_t id, Item const& child) {
        Extra cell = cell_of(state, id, child);
        columns = std::max(columns, unsigned(cell.col) + std::max<unsigned>(cell.col_span, 1));
        rows = std::max(rows, unsigned(cell.row) + std::max<unsigned>(cell.row_span, 1));
    });
    float g = item.gap;
    float cell_w = max_of((box.w - static_cast<float>(columns - 1) * g) / static_cast<float>(columns), 0);
    float cell_h = max_of((box.h - static_cast<float>(rows - 1) * g) / static_cast<float>(rows), 0);
    for_each_flow_child(state, item, [&](std::uint32_t id, Item const& child) {
        Extra cell = cell_of(state, id, child);
        float column_span = static_cast<float>(std::max<unsigned>(cell.col_span, 1));
        float row_span = static_cast<float>(std::max<unsigned>(cell.row_span, 1));
        float span_w = max_of(column_span * cell_w + (column_span - 1) * g, 0);
        float span_h = max_of(row_span * cell_h + (row_span - 1) * g, 0);
        state.rects[id] = RectF {
            box.x + static_cast<float>(cell.col) * (cell_w + g),
            box.y + static_cast<float>(cell.row) * (cell_h + g),
            child.has(HasW) ? min_of(child.w, span_w) : span_w,
            child.has(HasH) ? min_of(child.h, span_h) : span_h,
        };
    });
}

namespace {

bool packs_vertically(Item const& child) { return child.pack_side == PackSide::Top || child.pack_side == PackSide::Bottom; }

float natural_height(Item const& child)
{
    return bounded(child.has(HasDefinite) ? child.definite_h : 0.0f, child.min_h, child.max_h);
}

float natural_width(Item const& child) { return bounded(child.has(HasW) ? child.w : 0.0f, child.min_w, child.max_w); }

// A fixed size inside a wider slot is centred in it.
void centre(float& start, float& length, float fixed)
{
    float size = min_of(fixed, length);
    start += (length - size) / 2;
    length = size;
}

}

void place_pack(LayoutState& state, Item const& item, ContentBox const& box)
{
    float g = item.gap;
    // Pass 1: natural sizes along each side's axis, and who shares the rest.
    float vertical_total = 0, horizontal_total = 0;
    unsigned vertical_expanders = 0, horizontal_expanders = 0;
    for_each_flow_child(state, item, [&](std::uint32_t, Item const& child) {
        bool expands = child.has(Expand);
        if (packs_vertically(child)) {
            vertical_total += natural_height(child) + g;
            vertical_expanders += expands;
        } else {
            horizontal_total += natural_width(child) + g;
            horizontal_expanders += expands;
        }
    });
    float extra_h = vertical_expanders ? max_of(box.h - vertical_total, 0) / static_cast<float>(vertical_expanders) : 0.0f;
    float extra_w =
        horizontal_expanders ? max_of(box.w - horizontal_total, 0) / static_cast<float>(horizontal_expanders) : 0.0f;

    // Pass 2: each child takes a slot off one side of the cavity.
    ContentBox cavity = box;
    for_each_flow_child(state, item, [&](std::uint32_t id, Item const& child) {
        bool expands = child.has(Expand);
        RectF slot;
        if (packs_vertically(child)) {
            float height = min_of(natural_height(child) + (expands ? extra_h : 0.0f), cavity.h);
            float top = child.pack_side == PackSide::Top ? cavity.y : cavity.y + cavity.h - height;
            slot = RectF { cavity.x, top, cavity.w, height };
            if (child.pack_side == PackSide::Top)
                cavity.y += height + g;
            cavity.h = max_of(cavity.h - (height + g), 0);
        } else {
            float width = min_of(natural_width(child) + (expands ? extra_w : 0.0f), cavity.w);
            float left = child.pack_side == PackSide::Left ? cavity.x : cavity.x + cavity.w - width;
            slot = RectF { left, cavity.y, width, cavity.h };
            if (child.pack_side == PackSide::Left)
                cavity.x += width + g;
            cavity.w = max_of(cavity.w - (width + g), 0);
        }
        // Fill keeps the slot along the filled axes; a fixed size elsewhere is centred.
        bool fill_x = child.pack_fill == PackFill::X || child.pack_fill == PackFill::Both;
        bool fill_y = child.pack_fill == PackFill::Y || child.pack_fill == PackFill::Both;
        if (!fill_x && child.has(HasW))
            centre(slot.x, slot.w, child.w);
        if (!fill_y && child.has(HasH))
            centre(slot.y, slot.h, child.h);
        state.rects[id] = slot;
    });
}

}
