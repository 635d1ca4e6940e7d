// Paragraph index: built by one scan, then kept in step edit by edit.
#include "core/models/paragraphs.hpp"

#include <algorithm>

namespace orvy {

void destroy_paragraph_index(ParagraphIndex* index) { delete index; }

namespace {

// Paragraphs per block when blocks are made; one grows to twice this before it is split.
constexpr std::size_t block_size = 128;

}

ParagraphIndex::ParagraphIndex(std::u16string_view text)
    : m_text_size(text.size())
{
    std::vector<std::size_t> lengths;
    std::size_t start = 0;
    for (std::size_t at = text.find(u'\n'); at != std::u16string_view::npos; at = text.find(u'\n', start)) {
        lengths.push_back(at + 1 - start);
        start = at + 1;
    }
    lengths.push_back(text.size() - start);
    rechunk(0, 0, lengths, std::vector<float>(lengths.size(), 0.0f));
}

void ParagraphIndex::total(Block& block) const
{
    block.length = 0;
    block.height = 0;
    for (std::size_t i = 0; i < block.lengths.size(); ++i) {
        block.length += block.lengths[i];
        block.height += shown_height(block.heights[i]);
    }
}

void ParagraphIndex::rechunk(std::size_t from, std::size_t to, std::vector<std::size_t> const& lengths,
    std::vector<float> const& heights)
{
    std::vector<Block> made((lengths.size() + block_size - 1) / block_size);
    for (std::size_t i = 0; i < made.size(); ++i) {
        std::size_t first = i * block_size, last = std::min(first + block_size, lengths.size());
        auto begin = static_cast<std::ptrdiff_t>(first), end = static_cast<std::ptrdiff_t>(last);
        made[i].lengths.assign(lengths.begin() + begin, lengths.begin() + end);
        made[i].heights.assign(heights.begin() + begin, heights.begin() + end);
        total(made[i]);
    }
    auto at = m_blocks.begin() + static_cast<std::ptrdiff_t>(from);
    at = m_blocks.erase(at, m_blocks.begin() + static_cast<std::ptrdiff_t>(to));
    m_blocks.insert(at, std::make_move_iterator(made.begin()), std::make_move_iterator(made.end()));
    rebuild_sums();
}

void ParagraphIndex::rebuild_sums()
{
    m_count_sums.assign(m_blocks.size(), [&](std::size_t i) { return m_blocks[i].lengths.size(); });
    m_length_sums.assign(m_blocks.size(), [&](std::size_t i) { return m_blocks[i].length; });
    m_height_sums.assign(m_blocks.size(), [&](std::size_t i) { return m_blocks[i].height; });
    m_count = m_count_sums.before(m_blocks.size());
}

ParagraphIndex::Place ParagraphIndex::place_of(std::size_t paragraph) const
{
    std::size_t block = std::min(m_count_sums.count_within(paragraph), m_blocks.size() - 1);
    return { block, paragraph - m_count_sums.before(block) };
}

std::size_t ParagraphIndex::start_of(std::size_t paragraph) const
{
    if (paragraph >= m_count)
        return m_text_size;
    Place place = place_of(paragraph);
    std::vector<std::size_t> const& lengths = m_blocks[place.block].lengths;
    std::size_t start = m_length_sums.before(place.block);
    for (std::size_t i = 0; i < place.offset; ++i)
        start += lengths[i];
    return start;
}

std::size_t ParagraphIndex::end_of(std::size_t paragraph) const
{
    Place place = place_of(paragraph);
    std::size_t end = start_of(paragraph) + m_blocks[place.block].lengths[place.offset];
    return paragraph + 1 < count() ? end - 1 : end;
}

std::size_t ParagraphIndex::paragraph_of(std::size_t position) const
{
    std::size_t block = m_length_sums.count_within(position);
    if (block >= m_blocks.size())
        return m_count - 1;
    std::size_t rest = position - m_length_sums.before(block);
    std::vector<std::size_t> const& lengths = m_blocks[block].lengths;
    std::size_t i = 0;
    while (i + 1 < lengths.size() && lengths[i] <= rest)
        rest -= lengths[i++];
    return m_count_sums.before(block) + i;
}

void ParagraphIndex::measure_with(std::uint64_t format, float wrap, float line_height)
{
    if (m_format == format && m_wrap == wrap && m_line_height == line_height)
        return;
    m_format = format;
    m_wrap = wrap;
    m_line_height = line_height;
    for (Block& block : m_blocks) {
        std::fill(block.heights.begin(), block.heights.end(), 0.0f);
        total(block);
    }
    rebuild_sums();
}

bool ParagraphIndex::is_measured(std::size_t paragraph) const
{
    Place place = place_of(paragraph);
    return m_blocks[place.block].heights[place.offset] > 0;
}

float ParagraphIndex::height_of(std::size_t paragraph) const
{
    Place place = place_of(paragraph);
    return shown_height(m_blocks[place.block].heights[place.offset]);
}

void ParagraphIndex::set_height(std::size_t paragraph, float height)
{
    Place place = place_of(paragraph);
    Block& block = m_blocks[place.block];
    float& kept = block.heights[place.offset];
    double change = static_cast<double>(shown_height(std::max(height, 0.0f))) - shown_height(kept);
    kept = std::max(height, 0.0f);
    block.height += change;
    m_height_sums.add(place.block, change);
}

float ParagraphIndex::top_of(std::size_t paragraph) const
{
    if (paragraph >= m_count)
        return height();
    Place place = place_of(paragraph);
    std::vector<float> const& heights = m_blocks[place.block].heights;
    double top = m_height_sums.before(place.block);
    for (std::size_t i = 0; i < place.offset; ++i)
        top += shown_height(heights[i]);
    return static_cast<float>(top);
}

std::size_t ParagraphIndex::paragraph_at(float y) const
{
    double rest = std::max(static_cast<double>(y), 0.0);
    std::size_t block = m_height_sums.count_within(rest);
    if (block >= m_blocks.size())
        return m_count - 1;
    rest -= m_height_sums.before(block);
    std::vector<float> const& heights = m_blocks[block].heights;
    std::size_t i = 0;
    while (i + 1 < heights.size() && shown_height(heights[i]) <= rest)
        rest -= shown_height(heights[i++]);
    return m_count_sums.before(block) + i;
}

void ParagraphIndex::splice(std::size_t first, std::size_t removed, std::vector<std::size_t> const& lengths)
{
    Place from = place_of(first), to = place_of(first + removed - 1);
    Block& block = m_blocks[from.block];
    std::size_t kept = block.lengths.size() - removed;
    if (from.block == to.block && kept + lengths.size() <= 2 * block_size) {
        // Inside one block: only its totals change.
        auto at = static_cast<std::ptrdiff_t>(from.offset), end = at + static_cast<std::ptrdiff_t>(removed);
        block.lengths.erase(block.lengths.begin() + at, block.lengths.begin() + end);
        block.lengths.insert(block.lengths.begin() + at, lengths.begin(), lengths.end());
        block.heights.erase(block.heights.begin() + at, block.heights.begin() + end);
        block.heights.insert(block.heights.begin() + at, lengths.size(), 0.0f);
        std::size_t length = block.length;
        double height = block.height;
        total(block);
        m_count_sums.add(from.block, lengths.size() - removed); // wraps when the block shrinks
        m_length_sums.add(from.block, block.length - length);
        m_height_sums.add(from.block, block.height - height);
        m_count = m_count + lengths.size() - removed;
        return;
    }
    // Across blocks, or the block grew too large: the blocks touched are
    // made anew from their paragraphs left before and after the edit and
    // the new ones between.
    std::vector<std::size_t> all;
    std::vector<float> heights;
    Block const& last = m_blocks[to.block];
    auto before = static_cast<std::ptrdiff_t>(from.offset), after = static_cast<std::ptrdiff_t>(to.offset + 1);
    all.assign(block.lengths.begin(), block.lengths.begin() + before);
    heights.assign(block.heights.begin(), block.heights.begin() + before);
    all.insert(all.end(), lengths.begin(), lengths.end());
    heights.insert(heights.end(), lengths.size(), 0.0f);
    all.insert(all.end(), last.lengths.begin() + after, last.lengths.end());
    heights.insert(heights.end(), last.heights.begin() + after, last.heights.end());
    rechunk(from.block, to.block + 1, all, heights);
}

bool ParagraphIndex::edit(std::size_t position, std::size_t removed, std::u16string_view inserted)
{
    if (position > m_text_size || removed > m_text_size - position)
        return false;
    std::size_t first = paragraph_of(position);
    std::size_t last = paragraph_of(position + removed);
    // Units of the first paragraph before the edit, and of the last after it.
    std::size_t head = position - start_of(first);
    Place end = place_of(last);
    std::size_t tail = start_of(last) + m_blocks[end.block].lengths[end.offset] - (position + removed);
    m_text_size = m_text_size - removed + inserted.size();
    std::size_t feed = inserted.find(u'\n');
    if (first == last && feed == std::u16string_view::npos) {
        // Inside one paragraph: its length and height change, no other's.
        std::size_t grown = inserted.size() - removed; // wraps when the paragraph shrinks
        m_blocks[end.block].lengths[end.offset] += grown;
        m_blocks[end.block].length += grown;
        m_length_sums.add(end.block, grown);
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
    splice(first, last + 1 - first, lengths);
    return true;
}

ParagraphIndex& paragraph_index(TextboxModel const& box)
{
    ParagraphIndex* index = box.paragraphs.get();
    if (!index || index->text_size() != box.text.size()) {
        index = new ParagraphIndex(box.text.view());
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
