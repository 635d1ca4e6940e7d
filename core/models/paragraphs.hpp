// The paragraph index of a multi-line text: where each paragraph (a run of
// text between line feeds) starts and how tall it was laid out. Edits keep it
// in step at the cost of the paragraphs after them, so a keystroke never
// rescans or lays out the whole text.
#pragma once

#include "core/models/model.hpp"

#include <cstdint>
#include <string_view>
#include <vector>

namespace orvy {

struct ParagraphIndex {
    std::vector<std::size_t> starts { 0 }; // first code unit of each paragraph
    std::vector<float> heights { 0.0f };   // laid-out height, 0 while not laid out
    // What the heights were measured with: a format's serial and a wrap width.
    std::uint64_t format = 0;
    float wrap = 0;
    std::size_t text_size = 0;

    std::size_t count() const { return starts.size(); }
    // The paragraph holding the position (a line feed belongs to the paragraph it ends).
    std::size_t paragraph_of(std::size_t position) const;
    // One past the paragraph's last unit, its line feed left out.
    std::size_t end_of(std::size_t paragraph) const;
};

// The box's index, made or rebuilt when it does not describe the text.
ParagraphIndex& paragraph_index(TextboxModel const& box);
// Tells the index of an edit that has just been made to the text: at
// `position`, `removed` units gave way to `inserted`.
void note_edit(TextboxModel const& box, std::size_t position, std::size_t removed, std::u16string_view inserted);

}
