// The paragraph index of a multi-line text: where each paragraph (a run of
// text between line feeds) starts and how tall it was laid out. Paragraphs
// sit in blocks of about a hundred, with running totals of the blocks'
// paragraph counts, lengths and heights, so "where does this paragraph start
// / how far down is it" and "which paragraph holds this position / height"
// cost O(log n) plus one block, and an edit (Enter and multi-line pastes
// included) touches one block and the totals, so a keystroke never rescans
// or lays out the whole text.
#pragma once

#include "core/models/detail/prefix_sums.hpp"
#include "core/models/model.hpp"

#include <cstdint>
#include <string_view>
#include <vector>

namespace orvy {

class ParagraphIndex {
public:
    explicit ParagraphIndex(std::u16string_view text);

    std::size_t count() const { return m_count; }
    std::size_t text_size() const { return m_text_size; }
    // First code unit of the paragraph.
    std::size_t start_of(std::size_t paragraph) const;
    // One past the paragraph's last unit, its line feed left out.
    std::size_t end_of(std::size_t paragraph) const;
    // The paragraph holding the position (a line feed belongs to the paragraph it ends).
    std::size_t paragraph_of(std::size_t position) const;

    // ---- Heights, in the format and wrap width they were measured with;
    // a paragraph not laid out yet counts as one line.

    // Whether the heights were measured with this format serial, wrap width
    // and line height; when not, every height is forgotten and they are taken on.
    void measure_with(std::uint64_t format, float wrap, float line_height);
    bool is_measured(std::size_t paragraph) const;
    float height_of(std::size_t paragraph) const;
    void set_height(std::size_t paragraph, float height);
    // Distance from the top of the text to the paragraph's top.
    float top_of(std::size_t paragraph) const;
    float height() const { return static_cast<float>(m_height_sums.before(m_blocks.size())); }
    // The paragraph `y` (from the top of the text) falls in: the first one
    // above the text, the last one below it.
    std::size_t paragraph_at(float y) const;

    // Takes in an edit that has just been made to the text: at `position`,
    // `removed` units gave way to `inserted`. False when the edit does not fit
    // the text the index describes (the index is then out of step).
    bool edit(std::size_t position, std::size_t removed, std::u16string_view inserted);

private:
    struct Block {
        std::vector<std::size_t> lengths; // units of each paragraph, its line feed included
        std::vector<float> heights;       // laid-out height, 0 while not laid out
        std::size_t length = 0;           // the block's units
        double height = 0;                // the block's height, unmeasured paragraphs one line each
    };
    struct Place {
        std::size_t block = 0;
        std::size_t offset = 0; // within the block
    };
    Place place_of(std::size_t paragraph) const;
    float shown_height(float height) const { return height > 0 ? height : m_line_height; }
    void total(Block& block) const;
    // Paragraphs [first, first + removed) give way to ones of these lengths, unmeasured.
    void splice(std::size_t first, std::size_t removed, std::vector<std::size_t> const& lengths);
    // Blocks [from, to) give way to blocks made of these paragraphs.
    void rechunk(std::size_t from, std::size_t to, std::vector<std::size_t> const& lengths,
        std::vector<float> const& heights);
    void rebuild_sums();

    std::vector<Block> m_blocks; // never empty, no block empty
    detail::PrefixSums<std::size_t> m_count_sums;
    detail::PrefixSums<std::size_t> m_length_sums;
    detail::PrefixSums<double> m_height_sums;
    std::size_t m_count = 0;
    std::size_t m_text_size = 0;
    std::uint64_t m_format = 0;
    float m_wrap = 0;
    float m_line_height = 1;
};

// The box's index, made or rebuilt when it does not describe the text.
ParagraphIndex& paragraph_index(TextboxModel const& box);
// Tells the index of an edit that has just been made to the text: at
// `position`, `removed` units gave way to `inserted`.
void note_edit(TextboxModel const& box, std::size_t position, std::size_t removed, std::u16string_view inserted);

}
