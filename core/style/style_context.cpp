// The per-thread style state: inline and watched sheets, hot reload, and the
// stylesheet queue of a running window.
#include "core/style/css.hpp"

#include <atomic>

namespace orvy {

namespace {

// Generations are unique in the process, so a tree styled under one context
// never looks up to date under another.
std::uint64_t next_generation()
{
    static std::atomic<std::uint64_t> counter { 0 };
    return ++counter;
}

std::uint64_t generation_of(Tree const& tree) { return tree.style_snapshot ? tree.style_snapshot->sheet_generation : 0; }

}

StyleContext::StyleContext() = default;

void StyleContext::sheets_changed() { m_generation = next_generation(); }

std::string StyleContext::sheet_text() const
{
    std::string text;
    text.reserve(m_inline_sheet.size() + 1 + m_watched_sheet.size());
    text.append(m_inline_sheet).append("\n").append(m_watched_sheet);
    return text;
}

void StyleContext::restyle(Tree& tree)
{
    cascade(tree, sheet_text(), m_families);
    tree.style_snapshot->sheet_generation = m_generation;
}

void StyleContext::apply_sheet(Tree& tree, std::string_view text, bool replace)
{
    if (replace)
        m_inline_sheet.assign(text);
    else
        m_inline_sheet.append("\n").append(text);
    sheets_changed();
    restyle(tree);
}

void StyleContext::apply_file(Tree& tree, std::string_view utf8_path, bool replace)
{
    apply_sheet(tree, read_sheet_file(utf8_path), replace);
}

bool StyleContext::drain_stylesheet_queue(Tree& tree)
{
    std::vector<StylesheetRequest> requests = tree.stylesheet_queue.take();
    if (requests.empty())
        return false;
    for (StylesheetRequest& request : requests) {
        if (request.replace)
            m_inline_sheet = std::move(request.text);
        else
            m_inline_sheet.append("\n").append(request.text);
    }
    // One cascade gives what one per request would: each restores the same
    // baseline, so only the final sheet text counts.
    sheets_changed();
    restyle(tree);
    return true;
}

void StyleContext::watch_file(Tree& tree, std::string_view utf8_path)
{
    // Time first: a write landing between the two reads then shows up as a
    // changed time at the next check instead of being missed.
    m_watched_time = sheet_file_time(utf8_path);
    m_watched_sheet = read_sheet_file(utf8_path);
    m_watched_path = std::string(utf8_path);
    sheets_changed();
    restyle(tree);
}

bool StyleContext::check_hot_reload(Tree& tree)
{
    if (m_watched_path) {
        std::int64_t const time = sheet_file_time(*m_watched_path);
        if (time != m_watched_time) {
            m_watched_time = time;
            m_watched_sheet = read_sheet_file(*m_watched_path);
            sheets_changed();
        }
    }
    if (generation_of(tree) == m_generation)
        return false;
    restyle(tree);
    return true;
}

}
