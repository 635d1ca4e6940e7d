// Pango layouts: wrapping, box alignment, UTF-16 positions and hit tests.
#include "platform/linux/pango_text_engine.hpp"

#include "platform/linux/detail/prepared.hpp"
#include "platform/linux/detail/utf.hpp"

#include "core/style/theme.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <utility>

#include <pango/pangocairo.h>

namespace orvy::linux_platform {

namespace {

float from_pango(int units) { return static_cast<float>(units) / PANGO_SCALE; }

// Texts up to this many units are too short for the cost of breaking long words to show.
constexpr std::size_t long_text_units = 256;
// Pango units are 1/1024 px in an int; boxes of a million pixels and more
// are all "unbounded" to a layout, so they are cut to what an int holds.
int to_pango(float pixels)
{
    constexpr float limit = 1.0e9f;
    return static_cast<int>(std::lround(std::clamp(pixels * PANGO_SCALE, -limit, limit)));
}

// A word too wide for its line is broken between characters as it stands,
// the way the Windows text engine breaks it: Pango would end each such
// line with a hyphen the text does not have. Shared by every wrapped
// layout and never changed, so any thread may read it.
PangoAttrList* without_inserted_hyphens()
{
    static PangoAttrList* const list = [] {
        PangoAttrList* made = pango_attr_list_new();
        pango_attr_list_insert(made, pango_attr_insert_hyphens_new(FALSE));
        return made;
    }();
    return list;
}

}

PangoTextFormat::PangoTextFormat(TextFormatKey const& key, std::string const& family_name)
    : TextFormat(key, family_name)
    , m_description(pango_font_description_new())
{
    // The default family name stands for "the system's interface font":
    // where it is not installed, fontconfig's sans-serif takes its place.
    std::string families = family_name == fallback_family ? family_name + ",sans-serif" : family_name;
    pango_font_description_set_family(m_description, families.c_str());
    pango_font_description_set_absolute_size(m_description, key.size * PANGO_SCALE);
    pango_font_description_set_weight(m_description, static_cast<PangoWeight>(key.weight));
}

PangoTextFormat::~PangoTextFormat() { pango_font_description_free(m_description); }

PangoTextLayout::PangoTextLayout(PangoContext* context, std::u16string_view text,
    std::shared_ptr<TextFormat const> format, TextSize box)
    : TextLayout(std::u16string(text), std::move(format), box)
    , m_layout(pango_layout_new(context))
    , m_utf8(detail::to_utf8(text, &m_byte_of_unit))
{
    TextFormatKey const& key = this->format().key();
    pango_layout_set_font_description(m_layout, static_cast<PangoTextFormat const&>(this->format()).description());
    pango_layout_set_text(m_layout, m_utf8.data(), static_cast<int>(m_utf8.size()));
    bool wrap = key.wrap == WordWrap::Wrap;
    if (wrap && text.size() > long_text_units)
        break_long_words(box.width);
    if (wrap) {
        pango_layout_set_width(m_layout, to_pango(box.width));
        pango_layout_set_wrap(m_layout, PANGO_WRAP_WORD_CHAR);
        pango_layout_set_attributes(m_layout, without_inserted_hyphens());
        PangoAlignment alignment = key.align == TextAlign::Center ? PANGO_ALIGN_CENTER
            : key.align == TextAlign::Trailing                    ? PANGO_ALIGN_RIGHT
                                                                  : PANGO_ALIGN_LEFT;
        pango_layout_set_alignment(m_layout, alignment);
    }
    pango_layout_get_extents(m_layout, nullptr, &m_logical);

    // An unwrapped line has no width for Pango to align in, so the box
    // alignment is applied here; Pango has no vertical alignment at all.
    float width = from_pango(m_logical.width);
    float height = from_pango(m_logical.height);
    if (!wrap && key.align == TextAlign::Center)
        m_offset_x = (box.width - width) / 2;
    else if (!wrap && key.align == TextAlign::Trailing)
        m_offset_x = box.width - width;
    if (key.paragraph == ParagraphAlign::Center)
        m_offset_y = (box.height - height) / 2;
    else if (key.paragraph == ParagraphAlign::Far)
        m_offset_y = box.height - height;
}

void PangoTextLayout::break_long_words(float width)
{
    // Pango breaks a word longer than the line in time quadratic in its
    // length; ordinary word breaks are linear. So a long word gets zero-width
    // spaces (break opportunities of their own) where a line is full, from
    // the advances of one unwrapped layout. The text positions the layout
    // answers in stay those of the original text.
    int attribute_count = 0;
    PangoLogAttr const* attributes = pango_layout_get_log_attrs_readonly(m_layout, &attribute_count);
    auto characters = static_cast<std::size_t>(std::max(attribute_count - 1, 0));
    std::vector<std::uint32_t> character_at_byte(m_utf8.size() + 1, 0);
    std::vector<std::uint32_t> byte_of_character;
    byte_of_character.reserve(characters + 1);
    for (std::size_t byte = 0; byte < m_utf8.size();) {
        auto length = static_cast<std::size_t>(g_utf8_skip[static_cast<unsigned char>(m_utf8[byte])]);
        for (std::size_t k = 0; k < length && byte + k < m_utf8.size(); ++k)
            character_at_byte[byte + k] = static_cast<std::uint32_t>(byte_of_character.size());
        byte_of_character.push_back(static_cast<std::uint32_t>(byte));
        byte += length;
    }
    if (byte_of_character.size() != characters)
        return;
    std::vector<float> advances(characters, 0.0f);
    std::vector<CharacterBreak> breaks(characters);
    for (std::size_t i = 0; i < characters; ++i)
        breaks[i] = { attributes[i].is_line_break || attributes[i].is_mandatory_break, attributes[i].is_cursor_position != 0 };
    PangoLayoutIter* iter = pango_layout_get_iter(m_layout);
    do {
        auto index = static_cast<std::size_t>(pango_layout_iter_get_index(iter));
        PangoRectangle logical {};
        pango_layout_iter_get_cluster_extents(iter, nullptr, &logical);
        if (index < m_utf8.size())
            advances[character_at_byte[index]] += from_pango(logical.width);
    } while (pango_layout_iter_next_cluster(iter));
    pango_layout_iter_free(iter);

    std::vector<std::uint32_t> added = long_word_breaks(advances, breaks, width);
    if (added.empty())
        return;
    constexpr std::string_view zero_width_space = "\u200B";
    std::string broken;
    broken.reserve(m_utf8.size() + added.size() * zero_width_space.size());
    std::size_t copied = 0;
    for (std::uint32_t character : added) {
        std::size_t byte = byte_of_character[character];
        broken.append(m_utf8, copied, byte - copied);
        broken.append(zero_width_space);
        copied = byte;
    }
    broken.append(m_utf8, copied, std::string::npos);
    // Each unit's byte moves by the spaces inserted at or before it.
    std::size_t passed = 0;
    for (std::uint32_t& byte : m_byte_of_unit) {
        while (passed < added.size() && byte_of_character[added[passed]] <= byte)
            ++passed;
        byte += static_cast<std::uint32_t>(passed * zero_width_space.size());
    }
    m_utf8 = std::move(broken);
    pango_layout_set_text(m_layout, m_utf8.data(), static_cast<int>(m_utf8.size()));
}

PangoTextLayout::~PangoTextLayout() { g_object_unref(m_layout); }

TextSize PangoTextLayout::size() const { return { from_pango(m_logical.width), from_pango(m_logical.height) }; }

std::uint32_t PangoTextLayout::unit_at_byte(std::uint32_t byte) const
{
    auto found = std::lower_bound(m_byte_of_unit.begin(), m_byte_of_unit.end(), byte);
    return static_cast<std::uint32_t>(std::min<std::ptrdiff_t>(found - m_byte_of_unit.begin(),
        static_cast<std::ptrdiff_t>(m_byte_of_unit.size() - 1)));
}

CaretLine PangoTextLayout::caret_at(std::uint32_t position) const
{
    position = std::min<std::uint32_t>(position, static_cast<std::uint32_t>(m_byte_of_unit.size() - 1));
    PangoRectangle strong {};
    pango_layout_get_cursor_pos(m_layout, static_cast<int>(m_byte_of_unit[position]), &strong, nullptr);
    return { from_pango(strong.x) + m_offset_x, from_pango(strong.y) + m_offset_y, from_pango(strong.height) };
}

std::uint32_t PangoTextLayout::position_at(PointF point) const
{
    int index = 0;
    int trailing = 0;
    pango_layout_xy_to_index(m_layout, to_pango(point.x - m_offset_x), to_pango(point.y - m_offset_y), &index,
        &trailing);
    // `trailing` counts characters past the one hit (the hit was on its far half).
    char const* start = m_utf8.data() + index;
    char const* end = g_utf8_offset_to_pointer(start, trailing);
    auto byte = static_cast<std::uint32_t>(std::min<std::ptrdiff_t>(end - m_utf8.data(),
        static_cast<std::ptrdiff_t>(m_utf8.size())));
    return unit_at_byte(byte);
}

std::vector<RectF> PangoTextLayout::range_rects(std::uint32_t start, std::uint32_t end) const
{
    std::vector<RectF> rects;
    auto last = static_cast<std::uint32_t>(m_byte_of_unit.size() - 1);
    int first_byte = static_cast<int>(m_byte_of_unit[std::min(start, last)]);
    int end_byte = static_cast<int>(m_byte_of_unit[std::min(end, last)]);
    PangoLayoutIter* iter = pango_layout_get_iter(m_layout);
    do {
        PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
        int line_end = line->start_index + line->length;
        if (line_end < first_byte)
            continue;
        if (line->start_index >= end_byte)
            break;
        int top = 0, bottom = 0;
        pango_layout_iter_get_line_yrange(iter, &top, &bottom);
        int* ranges = nullptr;
        int count = 0;
        pango_layout_line_get_x_ranges(line, std::max(first_byte, line->start_index),
            std::min(end_byte, line_end), &ranges, &count);
        for (int i = 0; i < count; ++i) {
            float left = from_pango(ranges[2 * i]), right = from_pango(ranges[2 * i + 1]);
            if (right > left)
                rects.push_back({ left + m_offset_x, from_pango(top) + m_offset_y, right - left,
                    from_pango(bottom - top) });
        }
        g_free(ranges);
    } while (pango_layout_iter_next_line(iter));
    pango_layout_iter_free(iter);
    return rects;
}

void PangoTextLayout::draw(cairo_t* cairo, PointF origin) const
{
    cairo_move_to(cairo, origin.x + m_offset_x, origin.y + m_offset_y);
    pango_cairo_show_layout(cairo, m_layout);
}

std::function<void(cairo_t*)> PangoTextLayout::drawing_at(PointF origin) const
{
    std::shared_ptr<PangoLayout> layout(static_cast<PangoLayout*>(g_object_ref(m_layout)), g_object_unref);
    float x = origin.x + m_offset_x, y = origin.y + m_offset_y;
    return [layout, x, y](cairo_t* cairo) {
        cairo_move_to(cairo, x, y);
        pango_cairo_show_layout(cairo, layout.get());
    };
}

namespace {

// Whether the thread's first engine was made (and took prepared fonts, if any).
thread_local bool fonts_loaded_once = false;

// A context on `map` with the options every engine draws with.
PangoContext* make_context(PangoFontMap* map)
{
    PangoContext* context = pango_font_map_create_context(map);
    // Unhinted metrics give fractional advances that do not depend on the
    // surface, so what is measured is what is drawn.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(context, FALSE);
    return context;
}

// Lays out a line in the default family at the size and weight of titles,
// which labels and buttons show: fontconfig's configuration and cache, the
// font file and the shaper are then ready, and the font map holds the font.
// One face only: each more would stay mapped whether a window shows it or not.
void load_first_fonts(PangoContext* context)
{
    PangoTextFormat format(text_format_key(TextRole::Title, 0, default_base_font_size), fallback_family);
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, format.description());
    pango_layout_set_text(layout, "Ag", -1);
    pango_layout_get_extents(layout, nullptr, nullptr);
    g_object_unref(layout);
}

// The font map prepare_first_fonts loads before any engine exists, handed to
// the first thread that makes one.
using PreparedFonts = detail::Prepared<PangoFontMap*>;

PreparedFonts& prepared_fonts()
{
    static PreparedFonts* const fonts = new PreparedFonts;
    return *fonts;
}

// The prepared font map taken by this thread's first engine: installed as
// the thread's default when a context is first needed.
thread_local bool takes_prepared_fonts = false;

PangoFontMap* thread_font_map()
{
    if (std::exchange(takes_prepared_fonts, false)) {
        if (PangoFontMap* map = prepared_fonts().take()) {
            pango_cairo_font_map_set_default(PANGO_CAIRO_FONT_MAP(map));
            g_object_unref(map);
        }
    }
    return pango_cairo_font_map_get_default();
}

}

void prepare_first_fonts() { prepare_first_fonts_with(load_first_fonts); }

void prepare_first_fonts_with(void (*load)(PangoContext*))
{
    PreparedFonts& fonts = prepared_fonts();
    if (!fonts.start())
        return;
    // Read now, on the caller's time: starting a window switches the
    // process's locale for a moment.
    [[maybe_unused]] PangoLanguage* language = pango_language_get_default();
    try {
        std::thread([&fonts, load] {
            PangoFontMap* map = pango_cairo_font_map_new();
            PangoContext* context = make_context(map);
            load(context);
            g_object_unref(context);
            fonts.finish(map);
        }).detach();
    } catch (std::system_error const&) {
        fonts.finish(nullptr); // no thread to spare: the first engine loads its own
        return;
    }
    // A process that ends meanwhile lets the loading finish first, rather
    // than tearing the libraries down under it.
    std::atexit([] { prepared_fonts().wait(); });
}

PangoTextEngine::PangoTextEngine()
{
    if (fonts_loaded_once)
        return;
    fonts_loaded_once = true;
    // Fonts prepared before any engine existed become this thread's; the
    // context waits for them when first needed. Otherwise they load when
    // text is first laid out: a window with none (nothing in it yet) has
    // its first frame without a font thread beside it.
    if (prepared_fonts().claim()) {
        takes_prepared_fonts = true;
        return;
    }
    // The default language is read now all the same, before the window starts.
    [[maybe_unused]] PangoLanguage* language = pango_language_get_default();
}

PangoTextEngine::~PangoTextEngine()
{
    clear_caches();
    if (m_context)
        g_object_unref(m_context);
}

PangoContext* PangoTextEngine::context()
{
    if (!m_context)
        m_context = make_context(thread_font_map());
    return m_context;
}

std::unique_ptr<TextFormat> PangoTextEngine::create_format(TextFormatKey const& key, std::string const& family_name)
{
    // A format is a font description only: making one leaves the font map
    // alone, so a frame without text never waits for the first fonts.
    if (family_name.empty())
        return nullptr;
    return std::make_unique<PangoTextFormat>(key, family_name);
}

std::unique_ptr<TextLayout> PangoTextEngine::create_layout(std::u16string_view text,
    std::shared_ptr<TextFormat const> format, TextSize box)
{
    if (!dynamic_cast<PangoTextFormat const*>(format.get()))
        return nullptr;
    return std::make_unique<PangoTextLayout>(context(), text, std::move(format), box);
}

}
