// The CSS subset: value parsers, the font-family table, the sheet parser, the
// cascade over a tree, and the per-thread style state with hot reload.
#pragma once

#include "core/base/style.hpp"
#include "core/tree/tree.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvy {

// "#" and 3, 6 or 8 hex digits, surrounding whitespace allowed. Three digits
// are doubled; eight carry the alpha last.
std::optional<Color> parse_color(std::string_view text);

// A decimal number in pixels, optionally followed by "px". Values beyond the
// float range do not parse.
std::optional<float> parse_length(std::string_view text);

// The family name without surrounding whitespace and one pair of double, then
// single quotes; nothing when that leaves an empty name.
std::optional<std::string_view> parse_family_name(std::string_view text);

// Family names shared by every window of a thread. Entry 0 is the default
// family. A name is added once and keeps its index; names compare by UTF-16
// code units, case-sensitively. Indices are 16-bit: once the table is full a
// new name gets no index.
class FontFamilyTable {
public:
    FontFamilyTable();

    std::optional<std::uint16_t> intern(std::u16string_view name);
    std::optional<std::uint16_t> find(std::u16string_view name) const;
    // Replaces the default family (entry 0).
    void set_default(std::u16string name);
    // Entry 0 for an index the table does not have.
    std::u16string const& name(std::uint16_t index) const;
    std::size_t size() const { return m_names.size(); }

    static constexpr std::size_t capacity = 0x10000;

private:
    void rebuild_index();

    std::vector<std::u16string> m_names;
    std::unordered_map<std::u16string, std::uint16_t> m_index; // lowest index of each name
};

// A parsed style sheet, rebuilt from the text by every cascade.
enum class RuleState : std::uint8_t { None = 0, Hover = 1, Focus = 2 };

struct Compound {
    std::optional<std::string> type; // lower case
    std::optional<std::string> class_name;
    bool child = false; // a ">" stands before it

    friend bool operator==(Compound const&, Compound const&) = default;
};

struct Declaration {
    std::string name; // lower case
    std::string value;

    friend bool operator==(Declaration const&, Declaration const&) = default;
};

struct Rule {
    std::vector<Compound> compounds; // left to right
    std::uint32_t block = 0;         // index into ParsedSheet::blocks, shared by one selector list
    std::uint32_t source_index = 0;  // selectors counted in text order
    std::uint32_t specificity = 0;
    RuleState state = RuleState::None;
};

struct ParsedSheet {
    std::vector<std::vector<Declaration>> blocks;
    std::vector<Rule> rules; // in cascade order: (specificity, source index) ascending

    std::vector<Declaration> const& declarations(Rule const& rule) const { return blocks[rule.block]; }
};

std::string strip_comments(std::string_view text);
ParsedSheet parse_sheet(std::string_view text);

// Restore point of one tree's cascade: per node, the styles and CSS-written
// layout fields before any rule applied (the baseline) and what the last
// cascade left there. Anything that differs from the latter when the next
// cascade starts was written by someone else since, and joins the baseline.
struct CssLayout {
    std::optional<float> w;
    std::optional<float> h;
    float padding = 0.0f;
    float gap = 0.0f;

    friend bool operator==(CssLayout const&, CssLayout const&) = default;
};

struct StyleSnapshot {
    struct Entry {
        StyleSet baseline;
        StyleSet applied;
        CssLayout baseline_layout;
        CssLayout applied_layout;
    };
    std::vector<Entry> entries; // one per node of the tree it was taken for
    std::uint64_t sheet_generation = 0;
};

// Restores (or first takes) the tree's snapshot, then applies the sheet's
// rules and the inheritance of text colour, wrap, font family and font size.
// Sets layout_dirty.
void cascade(Tree& tree, std::string_view sheet_text, FontFamilyTable& families);

// Reading a watched or applied sheet file. Any failure, and text that is not
// UTF-8, gives an empty text; a leading byte order mark is dropped.
std::string read_sheet_file(std::string_view utf8_path);
// Modification time in 100-ns units since 1601-01-01 UTC; 1970-01-01 when the
// time cannot be read.
std::int64_t sheet_file_time(std::string_view utf8_path);
inline constexpr std::int64_t unix_epoch_file_time = 116444736000000000;

// The style state of one UI thread, shared by all its windows: the inline
// sheet built by css / css_file, the watched file and its sheet, and the
// font-family table. Each window's tree keeps its own snapshot.
class StyleContext {
public:
    StyleContext();

    // css / css_file while the window is configuring.
    void apply_sheet(Tree& tree, std::string_view text, bool replace);
    void apply_file(Tree& tree, std::string_view utf8_path, bool replace);
    // The frame update's stylesheet step: applies what css / css_file queued
    // on the tree while it ran. Returns whether anything was queued.
    bool drain_stylesheet_queue(Tree& tree);
    // css_hot: watches the file and applies its text as the watched sheet.
    void watch_file(Tree& tree, std::string_view utf8_path);
    // Once per frame paint: reloads the watched file when its time changed,
    // and restyles the tree when the thread's sheets changed since its last
    // cascade (also through another window). Returns whether it restyled.
    bool check_hot_reload(Tree& tree);
    // Runs the cascade with the current sheets.
    void restyle(Tree& tree);

    std::string sheet_text() const; // inline sheet + "\n" + watched sheet
    std::string const& inline_sheet() const { return m_inline_sheet; }
    std::string const& watched_sheet() const { return m_watched_sheet; }
    std::optional<std::string> const& watched_path() const { return m_watched_path; }
    FontFamilyTable& font_families() { return m_families; }
    FontFamilyTable const& font_families() const { return m_families; }

private:
    void sheets_changed();

    std::string m_inline_sheet;
    std::string m_watched_sheet;
    std::optional<std::string> m_watched_path;
    std::int64_t m_watched_time = 0;
    FontFamilyTable m_families;
    std::uint64_t m_generation = 0; // 0 until a sheet is first given
};

}
