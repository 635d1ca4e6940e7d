// Painters of the row widgets: list, table, tree view and property grid.
// Each draws only the rows that can show, so a frame costs the same for a
// hundred rows as for a million.
#include "core/operations/operations.hpp"
#include "core/paint/detail/node_paint.hpp"

#include <limits>

namespace orvy::detail {

namespace {

struct RowSpan {
    std::size_t first = 0;
    std::size_t last = 0; // one past
};

// Rows from floor(scroll / height) up to that plus the rows the visible
// height holds plus 2, capped at the row count.
RowSpan visible_rows(float scroll, float row_height, float visible, std::size_t count)
{
    double first = std::floor(non_negative(scroll) / row_height);
    double shown = std::ceil(non_negative(visible) / row_height) + 2;
    return { clamp_index(first, count), clamp_index(first + shown, count) };
}

bool contains_sorted(std::vector<std::uint32_t> const& values, std::size_t index)
{
    return std::binary_search(values.begin(), values.end(), static_cast<std::uint32_t>(index));
}

// The row under the pointer while the pointer is over the node.
std::optional<std::size_t> pointer_row(NodePaint const& p, float top, float row_height, float scroll)
{
    if (!p.is_hover() || p.context.pointer.y < top)
        return std::nullopt;
    float row = std::floor((p.context.pointer.y - top + scroll) / row_height);
    if (!(row >= 0) || row > 1e15f)
        return std::nullopt;
    return static_cast<std::size_t>(row);
}

Color packed(std::uint32_t rgba) { return Color::from_rgba8(rgba); }

}

void paint_list(NodePaint const& p)
{
    auto const* model = p.node.model.as<ListModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    p.canvas.push_clip(p.r);
    p.fill(p.r, 8, p.background_or(palette.surface()));
    std::optional<std::size_t> under = pointer_row(p, p.r.y, list_row_height, model->scroll);
    RowSpan rows = visible_rows(model->scroll, list_row_height, p.r.h, model->items.size());
    Color text = p.text_or(palette.text());
    for (std::size_t i = rows.first; i < rows.last; ++i) {
        float top = p.r.y + list_row_height * static_cast<float>(i) - model->scroll;
        bool selected = model->multi ? contains_sorted(model->selection, i) : model->current == i;
        if (selected)
            p.canvas.fill_rect({ p.r.x, top, p.r.w, list_row_height }, palette.selection());
        else if (under == i)
            p.canvas.fill_rect({ p.r.x, top, p.r.w, list_row_height }, palette.border());
        p.text(model->items[i], p.formats.body, { p.r.x + 12, top, non_negative(p.r.w - 34), list_row_height }, text);
    }
    paint_scroll_bar(p.canvas, p.r, list_row_height * static_cast<float>(model->items.size()), p.r.h, model->scroll,
        palette.border(), palette.text());
    p.canvas.pop_clip();
}

void paint_table(NodePaint const& p)
{
    auto const* model = p.node.model.as<TableModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    float header = header_height(p.tree, p.id);
    float body = non_negative(p.r.h - header);
    std::vector<ColumnSpan> columns = column_layout(p.tree, p.id);
    p.canvas.push_clip(p.r);
    p.fill(p.r, p.radius_or(0), p.background_or(palette.surface()));
    std::optional<std::size_t> under = pointer_row(p, p.r.y + header, table_row_height, model->scroll);
    RowSpan rows = visible_rows(model->scroll, table_row_height, body, model->rows.size());
    Color text = p.text_or(palette.text());
    for (std::size_t i = rows.first; i < rows.last; ++i) {
        float top = p.r.y + header + table_row_height * static_cast<float>(i) - model->scroll;
        if (model->current == i)
            p.canvas.fill_rect({ p.r.x, top, p.r.w, table_row_height }, palette.selection());
        else if (under == i)
            p.canvas.fill_rect({ p.r.x, top, p.r.w, table_row_height }, palette.border());
        TextRows::Row cells = model->rows[i];
        for (std::size_t c = 0; c < columns.size() && c < cells.size(); ++c)
            p.text(cells[c], p.formats.body,
                { columns[c].x + 10, top, non_negative(columns[c].w - 20), table_row_height }, text);
        if (model->row_line > 0)
            p.canvas.fill_rect({ p.r.x, top + table_row_height - model->row_line, p.r.w, model->row_line },
                palette.border());
    }
    if (columns.size() >= 2 && model->column_line > 0) {
        for (std::size_t c = 1; c < columns.size(); ++c)
            p.canvas.fill_rect({ columns[c].x, p.r.y, model->column_line, p.r.h }, palette.border());
    }
    p.fill({ p.r.x, p.r.y, p.r.w, header }, 8, palette.border());
    TextFormat const* title = header > default_header_height ? p.formats.paragraph : p.formats.body;
    for (std::size_t c = 0; c < columns.size() && c < model->columns.titles.size(); ++c)
        p.text(model->columns.titles[c], title, { columns[c].x + 10, p.r.y, non_negative(columns[c].w - 20), header },
            text);
    paint_scroll_bar(p.canvas, { p.r.x, p.r.y + header, p.r.w, body },
        table_row_height * static_cast<float>(model->rows.size()), body, model->scroll, palette.border(),
        palette.text());
    p.canvas.pop_clip();
}

void paint_treeview(NodePaint const& p)
{
    auto const* model = p.node.model.as<TreeviewModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    p.fill(p.r, p.radius_or(8), p.background_or(palette.surface()));
    p.canvas.push_clip(p.r);
    bool has_columns = !model->columns.titles.empty();
    float header = has_columns ? header_height(p.tree, p.id) : 0.0f;
    std::vector<ColumnSpan> columns = has_columns ? column_layout(p.tree, p.id) : std::vector<ColumnSpan> {};
    Color text = p.text_or(palette.text());
    if (has_columns) {
        p.canvas.fill_rect({ p.r.x, p.r.y, p.r.w, header }, palette.border());
        for (std::size_t c = 0; c < columns.size() && c < model->columns.titles.size(); ++c)
            p.text(model->columns.titles[c], p.formats.body,
                { columns[c].x + 8, p.r.y, non_negative(columns[c].w - 12), header }, text);
        p.canvas.push_clip({ p.r.x, p.r.y + header, p.r.w, non_negative(p.r.h - header) });
    }
    // The visible rows, in a buffer kept between frames: a closed row hides
    // the rows after it that are deeper than it.
    thread_local std::vector<std::uint32_t> visible;
    visible.clear();
    std::uint32_t hiding_depth = std::numeric_limits<std::uint32_t>::max();
    for (std::size_t i = 0; i < model->rows.size(); ++i) {
        TreeRow const& row = model->rows[i];
        if (row.depth > hiding_depth)
            continue;
        hiding_depth = !row.leaf && !row.open ? row.depth : std::numeric_limits<std::uint32_t>::max();
        visible.push_back(static_cast<std::uint32_t>(i));
    }
    RowSpan rows = visible_rows(model->scroll, tree_row_height, p.r.h - header, visible.size());
    float first_right = has_columns ? columns[0].x + columns[0].w : p.r.right() - 8;
    float first_left = has_columns ? columns[0].x : p.r.x;
    for (std::size_t v = rows.first; v < rows.last; ++v) {
        std::uint32_t index = visible[v];
        TreeRow const& row = model->rows[index];
        float top = p.r.y + header + tree_row_height * static_cast<float>(v) - model->scroll;
        RectF band { p.r.x + 3, top + 2, non_negative(p.r.w - 6), 28 };
        if (row.background)
            p.fill(band, 5, packed(*row.background));
        bool selected = model->multi ? contains_sorted(model->selection, index) : model->current == index;
        if (selected)
            p.fill(band, 5, palette.selection());
        for (std::size_t c = 0; c < columns.size() && c < row.cell_backgrounds.size(); ++c) {
            if (row.cell_backgrounds[c])
                p.fill({ columns[c].x + 1, top + 2, non_negative(columns[c].w - 2), 28 }, 4,
                    packed(*row.cell_backgrounds[c]));
        }
        Color row_text = row.foreground ? packed(*row.foreground) : text;
        auto cell_text = [&](std::size_t c) {
            return c < row.cell_foregrounds.size() && row.cell_foregrounds[c] ? packed(*row.cell_foregrounds[c])
                                                                               : row_text;
        };
        float x0 = first_left + 8 + 18 * static_cast<float>(row.depth);
        if (!row.leaf)
            p.text(row.open ? u"▼" : u"▶", p.formats.body, { x0, top, 20, tree_row_height }, row_text);
        x0 += 22;
        if (Bitmap const* icon = find_image(p.context, std::u16string_view(row.icon))) {
            paint_image(p.canvas, *icon, { x0, top + 4, 24, 24 }, FitMode::Contain);
            x0 += 30;
        }
        p.text(row.text, p.formats.body, { x0, top, non_negative(first_right - x0 - 6), tree_row_height }, cell_text(0));
        for (std::size_t c = 1; c < columns.size() && c - 1 < row.values.size(); ++c)
            p.text(row.values[c - 1], p.formats.body,
                { columns[c].x + 8, top, non_negative(columns[c].w - 12), tree_row_height }, cell_text(c));
    }
    // Column separators: a 1 px border-coloured line at the left edge of every
    // column but the first, through the header and the rows.
    if (has_columns)
        p.canvas.pop_clip();
    for (std::size_t c = 1; c < columns.size(); ++c)
        p.canvas.fill_rect({ columns[c].x, p.r.y + 6, 1, non_negative(p.r.h - 12) }, palette.border());
    paint_scroll_bar(p.canvas, { p.r.x, p.r.y + header, p.r.w, non_negative(p.r.h - header) },
        tree_row_height * static_cast<float>(visible.size()), non_negative(p.r.h - header), model->scroll,
        palette.border(), palette.text());
    p.canvas.pop_clip();
}

void paint_propgrid(NodePaint const& p)
{
    auto const* model = p.node.model.as<PropgridModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    p.fill(p.r, p.radius_or(8), p.background_or(palette.surface()));
    p.canvas.push_clip(p.r);
    constexpr float row_height = property_row_height;
    float scroll = model->scroll;
    RowSpan rows = visible_rows(scroll, row_height, p.r.h, model->rows.size());
    float split = p.r.x + 0.45f * p.r.w;
    for (std::size_t i = rows.first; i < rows.last; ++i) {
        float top = p.r.y + row_height * static_cast<float>(i) - scroll;
        if (model->current == i)
            p.fill({ p.r.x + 3, top + 2, non_negative(p.r.w - 6), 28 }, 5, palette.selection());
        p.text(model->rows[i].first, p.formats.body, { p.r.x + 12, top, non_negative(split - p.r.x - 20), row_height },
            palette.border());
        p.text(model->rows[i].second, p.formats.body,
            { split + 10, top, non_negative(p.r.right() - split - 22), row_height }, p.text_or(palette.text()));
        p.fill({ p.r.x + 6, top + 31, non_negative(p.r.w - 12), 1 }, 0.5f, palette.border());
    }
    paint_scroll_bar(p.canvas, p.r, row_height * static_cast<float>(model->rows.size()), p.r.h, scroll,
        palette.border(), palette.text());
    p.canvas.pop_clip();
}

}
