// TextEngine: text formats, the bounded layout cache and the text measurements
// and hit tests that painting and editing need; backends supply the shaping.
#pragma once

#include "core/base/callback.hpp"
#include "core/base/geometry.hpp"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvy {

enum class TextAlign : std::uint8_t { Leading, Center, Trailing };
enum class ParagraphAlign : std::uint8_t { Near, Center, Far };
enum class WordWrap : std::uint8_t { Wrap, NoWrap };

inline constexpr std::uint16_t normal_weight = 400;
inline constexpr std::uint16_t semibold_weight = 600;

// What a text format is made from. The family is an id into the window's
// font-family table, resolved to a name when the format is created.
struct TextFormatKey {
    std::uint16_t family = 0;
    float size = 20.0f;
    std::uint16_t weight = normal_weight;
    TextAlign align = TextAlign::Leading;
    ParagraphAlign paragraph = ParagraphAlign::Center;
    WordWrap wrap = WordWrap::Wrap;

    friend bool operator==(TextFormatKey const&, TextFormatKey const&) = default;
};

// The four formats every window keeps, derived from the base font.
enum class TextRole : std::uint8_t { Title, Body, Paragraph, Heading };
TextFormatKey text_format_key(TextRole role, std::uint16_t family, float base_size);

inline constexpr char const* fallback_family = "Segoe UI";

struct TextSize {
    float width = 0;
    float height = 0;
    friend bool operator==(TextSize const&, TextSize const&) = default;
};

// Caret position and the height of its line, in layout coordinates.
struct CaretLine {
    float x = 0;
    float y = 0;
    float height = 0;
    friend bool operator==(CaretLine const&, CaretLine const&) = default;
};

// Always owned by a shared pointer (engines make them), so a layout can keep
// its format alive after the format cache has let go of it.
class TextFormat : public std::enable_shared_from_this<TextFormat> {
public:
    TextFormat(TextFormatKey key, std::string family_name);
    virtual ~TextFormat() = default;
    TextFormat(TextFormat const&) = delete;
    TextFormat& operator=(TextFormat const&) = delete;

    TextFormatKey const& key() const { return m_key; }
    std::string const& family_name() const { return m_family_name; }
    // Unique for the life of the process; keys layouts without holding a pointer.
    std::uint64_t serial() const { return m_serial; }

private:
    TextFormatKey m_key;
    std::string m_family_name;
    std::uint64_t m_serial;
};

// A laid-out text in a box. Positions are UTF-16 code-unit offsets into the
// text; coordinates are relative to the layout's top-left corner and include
// the alignment of the text inside the box.
class TextLayout {
public:
    TextLayout(std::u16string text, std::shared_ptr<TextFormat const> format, TextSize box);
    virtual ~TextLayout() = default;
    TextLayout(TextLayout const&) = delete;
    TextLayout& operator=(TextLayout const&) = delete;

    std::u16string const& text() const { return m_text; }
    TextFormat const& format() const { return *m_format; }
    TextSize box() const { return m_box; }

    // Width including trailing whitespace, and height of all lines.
    virtual TextSize size() const = 0;
    // The caret before the code unit at position (position = length: after the text).
    virtual CaretLine caret_at(std::uint32_t position) const = 0;
    // The text position nearest to the point, after the character when its
    // trailing half was hit.
    virtual std::uint32_t position_at(PointF point) const = 0;
    // One rectangle per line piece covered by [start, end).
    virtual std::vector<RectF> range_rects(std::uint32_t start, std::uint32_t end) const = 0;

private:
    std::u16string m_text;
    std::shared_ptr<TextFormat const> m_format;
    TextSize m_box;
};

// What a backend knows about the place before each character of a text.
struct CharacterBreak {
    bool may_break = false; // a line may break here (or must)
    bool may_cut = true;    // a character or cluster does not continue here
};

// Where a word wider than `width` must be given extra break opportunities
// so that no piece of it is wider: the indexes of the characters before
// which to add one, in increasing order. Words that fit get none. Backends
// whose own breaking of long words is slow lay such words out as ordinary
// words this way; each advance is read once, so the cost is linear.
std::vector<std::uint32_t> long_word_breaks(std::span<float const> advances, std::span<CharacterBreak const> breaks,
    float width);

using FamilyLookup = Callback<std::string(std::uint16_t family)>;

// Caches and measurement rules shared by every backend. Backends create the
// format and layout objects; everything here degrades to the documented
// defaults (0, the old position, a 22 px line) when they cannot.
class TextEngine {
public:
    // The layout cache is emptied when an insertion finds it holding more
    // than this many layouts; painting reuses the same strings every frame,
    // so a full reset is rare and cheaper than tracking use.
    static constexpr std::size_t layout_cache_limit = 8191;
    static constexpr float measure_box = 100000.0f;
    static constexpr float default_line_height = 22.0f;

    TextEngine();
    virtual ~TextEngine();
    TextEngine(TextEngine const&) = delete;
    TextEngine& operator=(TextEngine const&) = delete;

    // Resolves family ids to names; without one every id names the fallback family.
    void set_family_lookup(FamilyLookup lookup) { m_family_lookup = std::move(lookup); }

    // The cached format for the key (size raised to at least 1). Falls back
    // to the "Segoe UI" family when the named one cannot be made; null only
    // when that fails too.
    std::shared_ptr<TextFormat const> format(TextFormatKey key);

    // The cached layout of the text in a box of at least 1 x 1; null when the
    // backend cannot lay it out.
    std::shared_ptr<TextLayout const> layout(std::u16string_view text, TextFormat const& format, float max_width,
        float max_height);

    float text_width(std::u16string_view text, TextFormat const& format);
    float caret_x(std::u16string_view text, TextFormat const& format, std::uint32_t position);
    CaretLine caret_line(std::u16string_view text, TextFormat const& format, float wrap_width, std::uint32_t position);
    std::uint32_t position_at_point(std::u16string_view text, TextFormat const& format, float wrap_width, PointF point,
        std::uint32_t old_position);
    std::vector<RectF> selection_rects(std::u16string_view text, TextFormat const& format, float wrap_width,
        std::uint32_t start, std::uint32_t end);

    // Width (trailing whitespace included) and height of the text in the named
    // family at the given size (at least 1), weight 400, in an unbounded box.
    // Nothing is cached: this serves one-off measurements, made on an engine
    // of the calling thread.
    TextSize measure(std::u16string_view text, float size, std::string_view family);

    // Drops every format and layout (on resize and on a base-font change).
    void clear_caches();

    std::size_t cached_layouts() const { return m_layouts.size(); }
    std::size_t cached_formats() const { return m_formats.size(); }

protected:
    virtual std::unique_ptr<TextFormat> create_format(TextFormatKey const& key, std::string const& family_name) = 0;
    virtual std::unique_ptr<TextLayout> create_layout(std::u16string_view text,
        std::shared_ptr<TextFormat const> format, TextSize box) = 0;

private:
    struct LayoutKey {
        std::u16string text;
        std::uint64_t format = 0;
        float width = 0;
        float height = 0;
    };
    struct LayoutKeyView {
        std::u16string_view text;
        std::uint64_t format = 0;
        float width = 0;
        float height = 0;
    };
    struct LayoutKeyHash {
        using is_transparent = void;
        std::size_t operator()(LayoutKeyView const& key) const;
        std::size_t operator()(LayoutKey const& key) const { return (*this)(view(key)); }
    };
    struct LayoutKeyEqual {
        using is_transparent = void;
        bool operator()(LayoutKeyView const& a, LayoutKeyView const& b) const;
        bool operator()(LayoutKey const& a, LayoutKeyView const& b) const { return (*this)(view(a), b); }
        bool operator()(LayoutKeyView const& a, LayoutKey const& b) const { return (*this)(a, view(b)); }
        bool operator()(LayoutKey const& a, LayoutKey const& b) const { return (*this)(view(a), view(b)); }
    };
    struct FormatKeyHash {
        std::size_t operator()(TextFormatKey const& key) const;
    };
    static LayoutKeyView view(LayoutKey const& key) { return { key.text, key.format, key.width, key.height }; }

    std::string family_name(std::uint16_t family);

    FamilyLookup m_family_lookup;
    std::unordered_map<TextFormatKey, std::shared_ptr<TextFormat const>, FormatKeyHash> m_formats;
    std::unordered_map<LayoutKey, std::shared_ptr<TextLayout const>, LayoutKeyHash, LayoutKeyEqual> m_layouts;
};

}
