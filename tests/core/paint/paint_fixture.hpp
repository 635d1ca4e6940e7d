// Shared setup of the painting tests: a tree whose nodes get their rectangles
// by hand, a deterministic text engine and a recording canvas.
#pragma once

#include "core/paint/overlays.hpp"
#include "core/paint/recording_canvas.hpp"
#include "core/text/fixed_advance_text_engine.hpp"

#include <gtest/gtest.h>

#include <cmath>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace orvy {

inline void PrintTo(RectF const& r, std::ostream* out) { *out << "(" << r.x << ", " << r.y << ", " << r.w << ", " << r.h << ")"; }

inline void expect_rect_near(RectF have, RectF want, float tolerance = 1e-3f)
{
    EXPECT_NEAR(have.x, want.x, tolerance);
    EXPECT_NEAR(have.y, want.y, tolerance);
    EXPECT_NEAR(have.w, want.w, tolerance);
    EXPECT_NEAR(have.h, want.h, tolerance);
}

class PaintTest : public ::testing::Test {
protected:
    PaintTest()
    {
        context.viewport_width = 800;
        context.viewport_height = 600;
        context.palette = palette_of(ThemeId::Light);
        context.text = &text;
        context.formats = make_frame_formats(text, 0, 20);
        context.now = Clock::now();
    }

    template<class T>
    NodeId add(NodeKind kind, T payload, RectF rect, NodeId parent = 0)
    {
        NodeId id = tree.append(parent, Model(kind, std::move(payload)));
        tree.node(id).rect = rect;
        return id;
    }
    NodeId add(NodeKind kind, RectF rect, NodeId parent = 0)
    {
        NodeId id = tree.append(parent, Model(kind));
        tree.node(id).rect = rect;
        return id;
    }

    // The node's own drawing only.
    void paint(NodeId id)
    {
        canvas.reset();
        paint_node(canvas, context, tree, id);
    }
    std::vector<DrawCommand> fills() const { return canvas.of(DrawOp::FillRoundedRect); }

    Palette const& palette() const { return context.palette; }

    Tree tree;
    FixedAdvanceTextEngine text;
    RecordingCanvas canvas;
    PaintContext context;
};

}
