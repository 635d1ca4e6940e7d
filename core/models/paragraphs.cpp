// Paragraph index: built by one scan, then kept in step edit by edit.
#include "core/models/paragraphs.hpp"

#include <algorithm>

namespace orvy {

void destroy_paragraph_index(ParagraphIndex* index) { delete index; }

ParagraphIndex::ParagraphIndex(std::u16string_view text)
    : m_text_size(text.size())
{
    std::size_t start = 0;
    for (std::size_t at = text.find(u'\n'); at != std::u16string_view::npos; at = text.find(u'\n', start)) {
        m_lengths.push_back(at + 1 - start);
        start = at + 1;
    }
    m_lengths.push_back(text.size() - start);
    m_heights.assign(m_lengths.size(), 0.0f);
    rebuild_sums();
}

void ParagraphIndex::rebuild_sums()
{
    m_length_sums.assign(m_lengths.size(), [&](std::size_t i) { return m_lengths[i]; });
    m_height_sums.assign(m_heights.size(), [&](std::size_t i) { return height_of(i); });
}

std::size_t ParagraphIndex::end_of(std::size_t paragraph) const
{
    std::size_t end = start_of(paragraph) + m_lengths[paragraph];
    return paragraph + 1 < count() ? end - 1 : end;
}

std::size_t ParagraphIndex::paragraph_of(std::size_t position) const
{
    return std::min(m_length_sums.count_within(position), count() - 1);
}

void ParagraphIndex::measure_with(std::uint64_t format, float wrap, float line_height)
{
    if (m_format == format && m_wrap == wrap && m_line_height == line_height)
        return;
    m_format = format;
    m_wrap = wrap;
    m_line_height = line_height;
    std::fill(m_heights.begin(), m_heights.end(), 0.0f);
    rebuild_sums();
}

float ParagraphIndex::height_of(std::size_t paragraph) const
{
    return m_heights[paragraph] > 0 ? m_heights[paragraph] : m_line_height;
}

void ParagraphIndex::set_height(std::size_t paragraph, float height)
{
    float before = height_of(paragraph);
    m_heights[paragraph] = std::max(height, 0.0f);
    m_height_sums.add(paragraph, static_cast<double>(height_of(paragraph)) - before);
}

std::size_t ParagraphIndex::paragraph_at(float y) const
{
    return std::min(m_height_sums.count_within(std::max(static_cast<double>(y), 0.0)), count() - 1);
}

bool ParagraphIndex::edit(std::size_t position, std::size_t removed, std::u16string_view inserted)
{
    if (position > m_text_size || removed > m_text_size - position)
        return false;
    std::size_t first = paragraph_of(position);
    std::size_t last = paragraph_of(position + removed);
    // Units of the first paragraph before the edit, and of the last after it.
    std::size_t head = position - start_of(first);
    std::size_t tail = start_of(last) + m_lengths[last] - (position + removed);
    m_text_size = m_text_size - removed + inserted.size();
    std::size_t feed = inserted.find(u'\n');
    if (first == last && feed == std::u16string_view::npos) {
        // Inside one paragraph: its length and height change, no other's.
        std::size_t grown = inserted.size() - removed; // wraps when the paragraph shrinks
        m_lengths[first] += grown;
        m_length_sums.add(first, grown);
        set_height(first, 0.0f);
        return true;
    }
    // The paragraphs the edit touched become those the inserted line feeds
    // make, the first taking the head and the last the tail.
    std::vector<std::size_t> lengths;
    std::size_t from = 0;
    for (; feed != std::u16string_view::npos; feed = inserted.find(u'\n', from)) {
        lengths.push_back(feed + 1 - from);
        from = feed + 1;
    }
    lengths.push_back(inserted.size() - from);
    lengths.front() += head;
    lengths.back() += tail;
    auto at = static_cast<std::ptrdiff_t>(first), end = static_cast<std::ptrdiff_t>(last + 1);
    m_lengths.erase(m_lengths.begin() + at, m_lengths.begin() + end);
    m_lengths.insert(m_lengths.begin() + at, lengths.begin(), lengths.end());
    m_heights.erase(m_heights.begin() + at, m_heights.begin() + end);
    m_heights.insert(m_heights.begin() + at, lengths.size(), 0.0f);
    rebuild_sums();
    return true;
}

ParagraphIndex& paragraph_index(TextboxModel const& box)
{
    ParagraphIndex* index = box.paragraphs.get();
    if (!index || index->text_size() != box.text.size()) {
        index = new ParagraphIndex(box.text);
        box.paragraphs.reset(index);
    }
    return *index;
}

void note_edit(TextboxModel const& box, std::size_t position, std::size_t removed, std::u16string_view inserted)
{
    ParagraphIndex* index = box.paragraphs.get();
    if (!index)
        return;
    if (index->text_size() + inserted.size() != box.text.size() + removed || !index->edit(position, removed, inserted))
        box.paragraphs.reset(); // out of step: rebuilt on next use
}

}
