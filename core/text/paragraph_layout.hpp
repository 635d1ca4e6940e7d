// A multi-line text laid out paragraph by paragraph, only the paragraphs a
// question needs: the caret's, those under a point, those in view. Each is
// laid out (and cached) on its own, so the cost of a frame or a keystroke
// follows what is visible, not the length of the text. Paragraphs not laid
// out yet count as one line.
#pragma once

#include "core/models/paragraphs.hpp"
#include "core/text/text_engine.hpp"

#include <memory>
#include <string_view>

namespace orvy {

class ParagraphLayout {
public:
    // `text` is the field's text, shown as is or, when `masked`, as one
    // bullet per unit; positions index both alike.
    ParagraphLayout(TextEngine& engine, TextFormat const& format, float wrap, TextBuffer const& text, bool masked,
        ParagraphIndex& index);

    float line_height() const { return m_line_height; }
    // Height of the whole text.
    float height() const { return m_index.height(); }
    // The caret before `position`, with y from the top of the text.
    CaretLine caret(std::size_t position);
    // The text position nearest to a point given from the top-left of the text.
    std::size_t position_at(PointF point);

    struct Piece {
        std::size_t paragraph = 0;
        std::size_t start = 0; // of the paragraph in the text
        float top = 0;
        std::shared_ptr<TextLayout const> layout;
    };
    // The paragraphs that reach into [top, bottom), laid out, in order;
    // `with_text` replaces one paragraph's text (a composition shown in it).
    template<class Visit>
    void visit(float top, float bottom, Visit&& visit);

    // The laid-out paragraph, its height recorded.
    std::shared_ptr<TextLayout const> lay_out(std::size_t paragraph);
    // The paragraph's shown text, valid until the text changes.
    std::u16string_view paragraph_text(std::size_t paragraph) const;

private:
    TextEngine& m_engine;
    TextFormat const& m_format;
    float m_wrap;
    TextBuffer const& m_text;
    bool m_masked;
    ParagraphIndex& m_index;
    float m_line_height = TextEngine::default_line_height;
};

template<class Visit>
void ParagraphLayout::visit(float top, float bottom, Visit&& visit)
{
    std::size_t i = m_index.paragraph_at(top);
    for (float y = m_index.top_of(i); i < m_index.count() && y < bottom; ++i) {
        float height = m_index.height_of(i);
        if (y + height > top) {
            auto layout = lay_out(i);
            if (layout)
                visit(Piece { i, m_index.start_of(i), y, layout });
            height = m_index.height_of(i);
        }
        y += height;
    }
}

}
