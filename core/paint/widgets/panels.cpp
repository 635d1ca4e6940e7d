// Painters of the panel-like kinds: tabs, accordion, dock, drop zone, menu
// bar, calendar and terminal.
#include "core/models/calendar.hpp"
#include "core/paint/detail/node_paint.hpp"

#include <array>
#include <span>

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

namespace {

// The size of a text laid out on one line.
TextSize line_size(TextEngine& engine, std::u16string_view text, TextFormat const& format)
{
    auto laid = engine.layout(text, format, TextEngine::measure_box, TextEngine::measure_box);
    return laid ? laid->size() : TextSize {};
}

// Texts of one kind drawn in boxes of one size, at one size for all of them:
// the given format when the largest fits its box, else the same face on one
// line at the whole-pixel size the largest needs to fit (the format cache
// gains at most one format per pixel size). A shrunk text is also clipped to
// its box, since a face does not scale exactly with its size.
class FittedTexts {
public:
    FittedTexts(NodePaint const& p, TextFormat const* format, std::span<std::u16string_view const> texts, TextSize box)
        : m_p(p)
        , m_format(format)
    {
        TextEngine* engine = p.context.text;
        if (!engine || !format)
            return;
        TextSize largest;
        for (std::u16string_view text : texts) {
            TextSize size = line_size(*engine, text, *format);
            largest = { std::max(largest.width, size.width), std::max(largest.height, size.height) };
        }
        if (largest.width <= box.width && largest.height <= box.height)
            return;
        float scale = std::min(largest.width > box.width ? box.width / largest.width : 1.0f,
            largest.height > box.height ? box.height / largest.height : 1.0f);
        TextFormatKey key = format->key();
        key.size = std::max(std::floor(key.size * non_negative(scale)), 1.0f);
        key.wrap = WordWrap::NoWrap;
        m_shrunk = engine->format(key);
        if (m_shrunk)
            m_format = m_shrunk.get();
        m_clipped = true;
    }

    void draw(std::u16string_view text, RectF box, Color color) const
    {
        if (m_clipped)
            m_p.canvas.push_clip(box);
        m_p.text(text, m_format, box, color);
        if (m_clipped)
            m_p.canvas.pop_clip();
    }
    float width(std::u16string_view text) const
    {
        return m_p.context.text && m_format ? line_size(*m_p.context.text, text, *m_format).width : 0.0f;
    }

private:
    NodePaint const& m_p;
    TextFormat const* m_format;
    std::shared_ptr<TextFormat const> m_shrunk;
    bool m_clipped = false;
};

// The month and year in their box: on one line, or the month over the year
// when that can be drawn larger (a narrow calendar), shrunk only when
// neither fits at full size.
void paint_calendar_title(NodePaint const& p, int month, std::int64_t year, RectF box, Color color)
{
    char16_t caption[48];
    std::u16string_view name = month_names[static_cast<std::size_t>(month - 1)];
    std::size_t length = name.copy(caption, name.size());
    std::size_t separator = length++;
    NumberText year_text = decimal(year);
    length += year_text.view().copy(caption + length, year_text.length);
    std::u16string_view title { caption, length };
    auto scale_of = [&](char16_t between) {
        caption[separator] = between;
        if (!p.context.text || !p.formats.title)
            return 1.0f;
        TextSize size = line_size(*p.context.text, title, *p.formats.title);
        float across = size.width > 0 ? box.w / size.width : 1.0f;
        float down = size.height > 0 ? box.h / size.height : 1.0f;
        return std::min({ 1.0f, across, down });
    };
    float one_line = scale_of(u' ');
    float two_lines = scale_of(u'\n');
    caption[separator] = two_lines > one_line ? u'\n' : u' ';
    FittedTexts(p, p.formats.title, std::span(&title, 1), { box.w, box.h }).draw(title, box, color);
}

}

// Everything stays inside the calendar and no two texts meet at any size: in
// a box narrower or lower than the texts need, the arrows, the title, the
// weekday heads and the day numbers each shrink to fit their boxes.
void paint_calendar(NodePaint const& p)
{
    auto const* model = p.node.model.as<CalendarModel>();
    if (!model)
        return;
    Palette const& palette = p.palette();
    Color text = p.text_or(palette.text());
    p.fill(p.r, p.radius_or(8), p.background_or(palette.surface()));
    p.canvas.push_clip(p.r);
    int month = calendar_shown_month(model->month);
    std::int64_t year = model->year;

    // Header: the arrows in their zones, the title between the arrow glyphs.
    float arrow = calendar_arrow_width(p.r.w);
    std::array<std::u16string_view, 2> arrows { u"◀", u"▶" };
    FittedTexts arrow_texts(p, p.formats.title, arrows, { arrow, calendar_header });
    arrow_texts.draw(arrows[0], { p.r.x, p.r.y, arrow, calendar_header }, text);
    arrow_texts.draw(arrows[1], { p.r.right() - arrow, p.r.y, arrow, calendar_header }, text);
    float glyph = std::min(std::max(arrow_texts.width(arrows[0]), arrow_texts.width(arrows[1])), arrow);
    float title_inset = (arrow + glyph) / 2 + 2;
    RectF title_box { p.r.x + title_inset, p.r.y, non_negative(p.r.w - 2 * title_inset), calendar_header };
    if (title_box.w > 0)
        paint_calendar_title(p, month, year, title_box, text);

    // Weekday heads over the columns, kept as far apart as the day cells.
    CalendarGrid grid = calendar_grid(p.r);
    TextSize room { non_negative(grid.column - 2 * grid.margin), calendar_weekday_row };
    FittedTexts heads(p, p.formats.heading, weekday_heads, room);
    for (std::size_t d = 0; d < 7; ++d) {
        heads.draw(weekday_heads[d],
            { p.r.x + grid.column * static_cast<float>(d), p.r.y + calendar_header, grid.column, calendar_weekday_row },
            palette.border());
    }

    // Days, one size for all numbers of the month. Heads and numbers stay on
    // one line: in a narrow calendar a wrapped "10" would read as two numbers.
    int first = calendar_slot_of(year, month, 1);
    int days = days_in_month(year, month);
    std::array<NumberText, 31> numbers;
    std::array<std::u16string_view, 31> number_views;
    for (int day = 1; day <= days; ++day) {
        numbers[static_cast<std::size_t>(day - 1)] = decimal(day);
        number_views[static_cast<std::size_t>(day - 1)] = numbers[static_cast<std::size_t>(day - 1)].view();
    }
    RectF sample = grid.cell(0);
    FittedTexts day_texts(p, p.formats.heading, std::span(number_views.data(), static_cast<std::size_t>(days)),
        { sample.w, sample.h });
    for (int day = 1; day <= days; ++day) {
        int slot = first + day - 1;
        if (slot >= CalendarGrid::columns * CalendarGrid::rows)
            break;
        RectF cell = grid.cell(slot);
        bool selected = day == model->day;
        if (selected)
            p.canvas.fill_rect(cell, p.background_or(palette.accent()));
        day_texts.draw(number_views[static_cast<std::size_t>(day - 1)], cell, selected ? palette.on_accent() : text);
    }
    p.canvas.pop_clip();
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
