// Gap buffer of a text field: the gap follows the edits.
#include "core/models/text_buffer.hpp"

#include <algorithm>
#include <cstring>

namespace orvy {

void TextBuffer::move_gap(std::size_t position) const
{
    char16_t* units = m_units.data();
    if (position < m_gap_start) {
        // The units between the position and the gap go behind the gap.
        std::size_t count = m_gap_start - position;
        std::memmove(units + m_gap_end - count, units + position, count * sizeof(char16_t));
        m_gap_start -= count;
        m_gap_end -= count;
    } else if (position > m_gap_start) {
        std::size_t count = position - m_gap_start;
        std::memmove(units + m_gap_start, units + m_gap_end, count * sizeof(char16_t));
        m_gap_start += count;
        m_gap_end += count;
    }
}

std::u16string_view TextBuffer::view(std::size_t start, std::size_t length) const
{
    start = std::min(start, size());
    std::size_t end = start + std::min(length, size() - start);
    if (start < m_gap_start && end > m_gap_start)
        move_gap(m_gap_start - start <= end - m_gap_start ? start : end);
    if (start == end)
        return {};
    std::size_t offset = start < m_gap_start ? start : start + gap_length();
    return { m_units.data() + offset, end - start };
}

std::u16string TextBuffer::substr(std::size_t start, std::size_t length) const
{
    start = std::min(start, size());
    std::size_t end = start + std::min(length, size() - start);
    std::u16string copy;
    copy.reserve(end - start);
    if (start < m_gap_start)
        copy.append(m_units.data() + start, std::min(end, m_gap_start) - start);
    if (end > m_gap_start) {
        std::size_t from = std::max(start, m_gap_start);
        copy.append(m_units.data() + from + gap_length(), end - from);
    }
    return copy;
}

void TextBuffer::replace(std::size_t position, std::size_t removed, std::u16string_view inserted)
{
    position = std::min(position, size());
    removed = std::min(removed, size() - position);
    move_gap(position);
    m_gap_end += removed;
    if (gap_length() < inserted.size()) {
        // Grow by half the text at least, so a run of insertions costs
        // amortized constant time per unit.
        std::size_t text = size() + inserted.size();
        std::size_t capacity = std::max<std::size_t>(text + text / 2, text + 64);
        std::size_t tail = m_units.size() - m_gap_end;
        std::vector<char16_t> grown(capacity);
        std::copy_n(m_units.data(), m_gap_start, grown.data());
        std::copy_n(m_units.data() + m_gap_end, tail, grown.data() + capacity - tail);
        m_units = std::move(grown);
        m_gap_end = capacity - tail;
    }
    std::copy(inserted.begin(), inserted.end(), m_units.begin() + static_cast<std::ptrdiff_t>(m_gap_start));
    m_gap_start += inserted.size();
}

void TextBuffer::assign(std::u16string_view text)
{
    // A copy first: the text may be a piece of this buffer.
    std::vector<char16_t> units(text.begin(), text.end());
    m_units.swap(units);
    m_gap_start = m_gap_end = text.size();
}

bool operator==(TextBuffer const& buffer, std::u16string_view text)
{
    if (buffer.size() != text.size())
        return false;
    std::size_t head = std::min(buffer.m_gap_start, text.size());
    return std::equal(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(head), buffer.m_units.begin())
        && std::equal(text.begin() + static_cast<std::ptrdiff_t>(head), text.end(),
            buffer.m_units.begin() + static_cast<std::ptrdiff_t>(buffer.m_gap_end));
}

}
