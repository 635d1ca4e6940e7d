// GlyphBatch: the glyph runs of text layouts drawn with one brush, gathered
// by font face, size and measuring mode so that each group is drawn by one
// DrawGlyphRun. In a group every glyph keeps its place through its offset
// from one origin, with no advance between glyphs; the layouts' runs come
// through a text renderer that snaps them to pixels as Direct2D's own
// DrawTextLayout does. A text costs the context a glyph run of its own
// otherwise, each with its own coverage bitmap and draw.
//
// A renderer may rasterise a run into one coverage bitmap around all its
// glyphs, so a run joins a group only while the group's box stays within
// `spread_limit` times the area of its runs' own boxes: texts far apart
// (a column of labels) would cost more pixels than the draws they save.
#pragma once

#include "core/base/geometry.hpp"
#include "platform/win32/detail/com.hpp"

#include <d2d1_1.h>
#include <dwrite.h>

#include <cstddef>
#include <span>
#include <vector>

namespace orvy::win32 {

class GlyphBatch {
public:
    static constexpr float spread_limit = 3.0f;

    // The glyphs of one DrawGlyphRun. A merged group is drawn at (0, 0)
    // with no advances; a run that cannot be merged (sideways glyphs) keeps
    // its own origin and advances.
    struct Group {
        ComPtr<IDWriteFontFace> face;
        float size = 0;
        DWRITE_MEASURING_MODE mode = DWRITE_MEASURING_MODE_NATURAL;
        bool merged = true;
        D2D1_POINT_2F origin {};
        BOOL sideways = FALSE;
        UINT32 bidi_level = 0;
        std::vector<UINT16> glyphs;
        std::vector<FLOAT> advances; // unmerged runs only
        std::vector<DWRITE_GLYPH_OFFSET> offsets;
        RectF box;      // around the glyphs' cells
        float area = 0; // the runs' own boxes added up
    };

    // Adds the runs of the layout drawn at `origin` under the transform and
    // pixels per DIP of the context they will be drawn in (its underlines
    // and strikethroughs too). False when the layout could not be drawn.
    bool add(IDWriteTextLayout* layout, PointF origin, DWRITE_MATRIX const& transform, float pixels_per_dip);
    // Adds a run with its baseline at `baseline`, as a text renderer gets it.
    void add_run(D2D1_POINT_2F baseline, DWRITE_GLYPH_RUN const& run, DWRITE_MEASURING_MODE mode);
    // Adds a line to be filled with the glyphs' brush.
    void add_line(RectF rect) { m_lines.push_back(rect); }

    // Draws every group, then the lines, with the brush. Returns the glyph
    // runs drawn.
    std::size_t draw(ID2D1RenderTarget* target, ID2D1Brush* brush);
    void clear();
    bool is_empty() const { return m_groups.empty() && m_lines.empty(); }

    std::vector<Group> const& groups() const { return m_groups; }
    std::vector<RectF> const& lines() const { return m_lines; }

private:
    std::vector<Group> m_groups;
    std::vector<RectF> m_lines;
    std::vector<FLOAT> m_no_advances;
};

}
