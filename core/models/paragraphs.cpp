// Paragraph index: built by one scan, then kept in step edit by edit.
#include "core/models/paragraphs.hpp"

#include <algorithm>

namespace orvy {

void destroy_paragraph_index(ParagraphIndex* index) { delete index; }

std::size_t ParagraphIndex::paragraph_of(std::size_t position) const
{
    auto after = std::upper_bound(starts.begin(), starts.end(), position);
    return static_cast<std::size_t>(after - starts.begin()) - 1;
}

std::size_t ParagraphIndex::end_of(std::size_t paragraph) const
{
    return paragraph + 1 < starts.size() ? starts[paragraph + 1] - 1 : text_size;
}

namespace {

void rebuild(ParagraphIndex& index, std::u16string_view text)
{
    index.starts.assign(1, 0);
    for (std::size_t at = text.find(u'\n'); at != std::u16string_view::npos; at = text.find(u'\n', at + 1))
        index.starts.push_back(at + 1);
    index.heights.assign(index.starts.size(), 0.0f);
    index.text_size = text.size();
}

}

ParagraphIndex& paragraph_index(TextboxModel const& box)
{
    ParagraphIndex* index = box.paragraphs.get();
    if (!index) {
        index = new ParagraphIndex;
        box.paragraphs.reset(index);
        rebuild(*index, box.text);
    } else if (index->text_size != box.text.size()) {
        rebuild(*index, box.text);
    }
    return *index;
}

void note_edit(TextboxModel const& box, std::size_t position, std::size_t removed, std::u16string_view inserted)
{
    ParagraphIndex* index = box.paragraphs.get();
    if (!index)
        return;
    if (index->text_size + inserted.size() != box.text.size() + removed || position + removed > index->text_size) {
        box.paragraphs.reset(); // out of step: rebuilt on next use
        return;
    }
    std::size_t edited = index->paragraph_of(position);
    // Paragraphs starting inside the removed range merge into the edited one.
    auto first = std::upper_bound(index->starts.begin(), index->starts.end(), position);
    auto last = std::upper_bound(first, index->starts.end(), position + removed);
    auto from = first - index->starts.begin();
    auto to = last - index->starts.begin();
    index->starts.erase(first, last);
    index->heights.erase(index->heights.begin() + from, index->heights.begin() + to);
    // The paragraphs after the edit move by the change in length.
    for (auto at = index->starts.begin() + from; at != index->starts.end(); ++at)
        *at = *at + inserted.size() - removed;
    // Each inserted line feed starts a paragraph.
    std::vector<std::size_t> added;
    for (std::size_t at = inserted.find(u'\n'); at != std::u16string_view::npos; at = inserted.find(u'\n', at + 1))
        added.push_back(position + at + 1);
    index->starts.insert(index->starts.begin() + from, added.begin(), added.end());
    index->heights.insert(index->heights.begin() + from, added.size(), 0.0f);
    index->heights[edited] = 0.0f;
    index->text_size = box.text.size();
}

}
