// Painters of the panel-like kinds: tabs, accordion, dock, drop zone, menu
// bar, calendar and terminal.
#include "core/models/calendar.hpp"
#include "core/paint/detail/node_paint.hpp"

#include <array>

namespace orvy::detail {

namespace {

constexpr std::array<std::u16string_view, 12> month_names { u"Январь", u"Февраль", u"Март", u"Апрель", u"Май", u"Июнь",
    u"Июль", u"Август", u"Сентябрь", u"Октябрь", u"Ноябрь", u"Декабрь" };
constexpr std::array<std::u16string_view, 7> weekday_heads { u"Пн", u"Вт", u"Ср", u"Чт", u"Пт", u"Сб", u"Вс" };

}

void paint_tabs(NodePaint const& p)
{
    auto const* model = p.node.model.as<ChoiceModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    RectF strip { p.r.x, p.r.y, p.r.w, 40 };
    p.fill(strip, 8, p.background_or(palette.surface()));
    std::size_t n = model->items.size();
    float width = n > 0 ? p.r.w / static_cast<float>(n) : 0.0f;
    for (std::size_t i = 0; i < n; ++i) {
        float x = p.r.x + width * static_cast<float>(i);
        bool selected = i == model->selected;
        if (selected)
            p.fill({ x + 4, p.r.y + 4, non_negative(width - 8), 32 }, 6, palette.accent());
        p.text(model->items[i], p.formats.title, { x, p.r.y, width, 40 },
            selected ? palette.on_accent() : p.text_or(palette.text()));
    }
    if (p.is_visible_focus())
        p.canvas.stroke_rounded_rect(strip, 8, palette.accent(), 2);
}

void paint_accordion(NodePaint const& p)
{
    auto const* model = p.node.model.as<AccordionModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    RectF header { p.r.x, p.r.y, p.r.w, 40 };
    p.body(header, p.radius(), p.background_or(p.is_hot() ? palette.border() : palette.surface()));
    Color color = p.text_or(palette.text());
    p.text(model->open ? u"▼" : u"▶", p.formats.body, { p.r.x + 12, p.r.y, 24, 40 }, color);
    p.text(model->title, p.formats.body, { p.r.x + 40, p.r.y, non_negative(p.r.w - 52), 40 }, color);
    if (p.is_visible_focus())
        p.canvas.stroke_rounded_rect(header, p.radius(), palette.accent(), 2);
}

void paint_dock(NodePaint const& p)
{
    auto const* model = p.node.model.as<DockModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    p.fill(p.r, p.radius_or(0), p.background_or(palette.surface()));
    p.canvas.fill_rect({ p.r.x, p.r.y, p.r.w, 32 }, palette.border());
    Color color = p.text_or(palette.text());
    p.text(model->open ? u"▾" : u"▸", p.formats.title, { p.r.x + 4, p.r.y, 24, 32 }, color);
    // The title follows the arrow in the header, body format.
    p.text(model->title, p.formats.body, { p.r.x + 32, p.r.y, non_negative(p.r.w - 40), 32 }, color);
}

void paint_drop(NodePaint const& p)
{
    auto const* model = p.node.model.as<TextModel>();
    Palette const& palette = p.palette();
    p.fill(p.r, p.radius_or(10), p.background_or(palette.surface()));
    float left = p.r.x + 6, top = p.r.y + 6, right = p.r.right() - 8, bottom = p.r.bottom() - 8;
    Color accent = palette.accent();
    // Dashes 10 long every 20 px; the loops stop at the viewport so a huge
    // zone costs only what can be seen.
    float x_end = std::min(right, p.context.viewport_width + 48);
    float y_end = std::min(bottom, p.context.viewport_height + 48);
    for (float x = left; x < x_end; x += 20) {
        float length = std::min(10.0f, right - x);
        p.canvas.fill_rect({ x, top, length, 2 }, accent);
        p.canvas.fill_rect({ x, bottom, length, 2 }, accent);
    }
    for (float y = top; y < y_end; y += 20) {
        float length = std::min(10.0f, bottom - y);
        p.canvas.fill_rect({ left, y, 2, length }, accent);
        p.canvas.fill_rect({ right, y, 2, length }, accent);
    }
    if (model)
        p.text(model->text, p.formats.title, p.r, p.text_or(palette.text()));
}

void paint_menubar(NodePaint const& p)
{
    auto const* model = p.node.model.as<MenubarModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    p.fill(p.r, p.radius_or(0), p.background_or(palette.surface()));
    for (std::size_t i = 0; i < model->menus.size(); ++i) {
        RectF cell { p.r.x + 120 * static_cast<float>(i), p.r.y, 120, p.r.h };
        if (cell.x > p.context.viewport_width + 48)
            break;
        p.text(model->menus[i].title, p.formats.title, cell, p.text_or(palette.text()));
    }
}

void paint_calendar(NodePaint const& p)
{
    auto const* model = p.node.model.as<CalendarModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    Color text = p.text_or(palette.text());
    p.fill(p.r, p.radius_or(8), p.background_or(palette.surface()));
    int month = model->month >= 1 && model->month <= 12 ? model->month : 12;
    std::int64_t year = model->year;
    char16_t caption[48];
    std::u16string_view name = month_names[static_cast<std::size_t>(month - 1)];
    std::size_t length = name.copy(caption, name.size());
    caption[length++] = u' ';
    NumberText year_text = decimal(year);
    length += year_text.view().copy(caption + length, year_text.length);
    p.text({ caption, length }, p.formats.title, { p.r.x, p.r.y, p.r.w, calendar_header }, text);
    p.text(u"◀", p.formats.title, { p.r.x, p.r.y, 40, 40 }, text);
    p.text(u"▶", p.formats.title, { p.r.right() - 40, p.r.y, 40, 40 }, text);
    // Heads and day numbers stay on one line: in a narrow calendar a
    // wrapped "10" would read as two numbers.
    float column = p.r.w / 7;
    for (std::size_t d = 0; d < 7; ++d)
        p.text(weekday_heads[d], p.formats.heading,
            { p.r.x + column * static_cast<float>(d), p.r.y + calendar_header, column, calendar_weekday_row },
            palette.border());
    float row_height = std::max((p.r.h - calendar_header - calendar_weekday_row) / 6, 1.0f);
    PointF grid { p.r.x, p.r.y + calendar_header + calendar_weekday_row };
    int first = weekday_monday_first(year, month, 1);
    int days = days_in_month(year, month);
    for (int day = 1; day <= days; ++day) {
        int slot = first + day - 1;
        int col = slot % 7, row = slot / 7;
        if (row >= 6)
            break;
        RectF cell { grid.x + static_cast<float>(col) * column + 2, grid.y + static_cast<float>(row) * row_height + 2,
            column - 4, row_height - 4 };
        bool selected = day == model->day;
        if (selected)
            p.canvas.fill_rect(cell, p.background_or(palette.accent()));
        p.text(decimal(day).view(), p.formats.heading, cell, selected ? palette.on_accent() : text);
    }
}

void paint_term(NodePaint const& p)
{
    auto const* model = p.node.model.as<TermModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    Color text = p.text_or(palette.text());
    p.fill(p.r, p.radius_or(8), p.background_or(palette.surface()));
    p.canvas.push_clip(p.r);
    float area = non_negative(p.r.h - 46);
    // Lines with 8 + 22 i − scroll in [−22, area + 8] from the top show.
    double first = std::ceil((model->scroll - 30.0) / 22.0);
    double last = std::floor((area + model->scroll) / 22.0);
    std::size_t begin = clamp_index(first, model->lines.size());
    std::size_t end = clamp_index(last + 1, model->lines.size());
    for (std::size_t i = begin; i < end; ++i) {
        float top = p.r.y + 8 + 22 * static_cast<float>(i) - model->scroll;
        if (top > p.r.y + area + 8 || top + 22 < p.r.y)
            continue;
        p.text(model->lines[i], p.formats.body, { p.r.x + 12, top, non_negative(p.r.w - 24), 22 }, text);
    }
    float bar = p.r.bottom() - 36;
    p.fill({ p.r.x + 8, bar, non_negative(p.r.w - 16), 30 }, 6, palette.border());
    p.text(model->prompt, p.formats.body, { p.r.x + 16, bar, 24, 30 }, palette.accent());
    EditedText line = edited_text(model->input, false);
    p.text(line.text, p.formats.body, { p.r.x + 40, bar, non_negative(p.r.w - 60), 30 }, text);
    underline_preedit(p, line, { p.r.x + 40, p.r.bottom() - 11 }, text);
    if (p.is_focus()) {
        float x = line.text.empty() ? 0.0f : caret_x_of(p.context.text, line.text, p.formats.body, line.caret);
        p.fill({ p.r.x + 40 + x, p.r.bottom() - 30, 2, 18 }, 1, text);
    }
    paint_scroll_bar(p.canvas, p.r, 22 * static_cast<float>(model->lines.size()), area, model->scroll,
        palette.border(), palette.text());
    p.canvas.pop_clip();
}

}
