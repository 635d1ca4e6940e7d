// The UTF-16 text of a text field, held with a gap at the place of the last
// edit, so typing, deleting and pasting there move only the units between
// that place and the previous one, never the whole text behind the caret.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvy {

class TextBuffer {
public:
    TextBuffer() = default;
    TextBuffer(std::u16string_view text) { assign(text); }
    TextBuffer(std::u16string const& text) { assign(text); }
    TextBuffer(char16_t const* text) { assign(text); }

    std::size_t size() const { return m_units.size() - gap_length(); }
    bool empty() const { return size() == 0; }
    char16_t operator[](std::size_t position) const
    {
        return m_units[position < m_gap_start ? position : position + gap_length()];
    }

    // The whole text in one piece. The gap moves to the end for it, which
    // costs the units after the gap: for whole-text questions (a getter, a
    // clipboard copy of everything), not for every keystroke.
    std::u16string_view view() const { return view(0, size()); }
    // Units [start, start + length) in one piece (clamped to the text). When
    // the range spans the gap, the gap moves to the nearer end of the range,
    // moving only units inside the range: pieces taken before of other
    // ranges stay valid. Every piece is valid until the next change.
    std::u16string_view view(std::size_t start, std::size_t length) const;
    // A copy of units [start, start + length), clamped; the gap stays put.
    std::u16string substr(std::size_t start, std::size_t length = std::u16string_view::npos) const;
    std::u16string str() const { return substr(0); }

    // At `position`, `removed` units give way to `inserted` (clamped to the text).
    void replace(std::size_t position, std::size_t removed, std::u16string_view inserted);
    void assign(std::u16string_view text);
    void clear() { assign({}); }

    friend bool operator==(TextBuffer const& buffer, std::u16string_view text);
    friend bool operator==(TextBuffer const& buffer, std::u16string const& text)
    {
        return buffer == std::u16string_view(text);
    }
    friend bool operator==(TextBuffer const& buffer, char16_t const* text)
    {
        return buffer == std::u16string_view(text);
    }
    friend bool operator==(TextBuffer const& a, TextBuffer const& b) { return a == b.view(); }

private:
    std::size_t gap_length() const { return m_gap_end - m_gap_start; }
    void move_gap(std::size_t position) const;

    // Units [0, m_gap_start) and [m_gap_end, end) are the text; the gap between is free.
    mutable std::vector<char16_t> m_units;
    mutable std::size_t m_gap_start = 0;
    mutable std::size_t m_gap_end = 0;
};

}
