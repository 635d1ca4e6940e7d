// Painting of a window's tree: the per-frame paint context, the traversal in
// depth order, node paint with its common part, and the drawing primitives
// (shadow layers, scroll bar, image fit, border) the painters share.
#pragma once

#include "core/image/image.hpp"
#include "core/paint/canvas.hpp"
#include "core/style/theme.hpp"
#include "core/text/text_engine.hpp"
#include "core/tree/tree.hpp"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvy {

// The window's four text formats, made from the base font. Any of them may be
// null when the text engine cannot make it; text in that format is skipped.
struct FrameFormats {
    std::shared_ptr<TextFormat const> title;
    std::shared_ptr<TextFormat const> body;
    std::shared_ptr<TextFormat const> paragraph;
    std::shared_ptr<TextFormat const> heading;
};
FrameFormats make_frame_formats(TextEngine& text, std::uint16_t family, float base_size);
// The formats of a node whose style sets a font: its family, and its size,
// which is fixed and does not follow the base font. None when the style sets
// no font, so the window's formats apply.
std::optional<FrameFormats> styled_formats(TextEngine& text, Style const& style);

// Everything one frame's painting reads besides the tree. The frame pipeline
// fills it once per frame; painting never changes it.
struct PaintContext {
    float viewport_width = 0;
    float viewport_height = 0;
    Palette palette = palette_of(ThemeId::Dark);
    TextEngine* text = nullptr; // none: no text is drawn
    FrameFormats formats;
    ImageCache const* images = nullptr; // none: no image or icon is drawn
    std::optional<NodeId> focus;
    // The focus node while the window's keyboard-navigation flag is set.
    std::optional<NodeId> visible_focus;
    std::optional<NodeId> hover;   // the node under the pointer
    std::optional<NodeId> hot;     // the clickable node under the pointer
    std::optional<NodeId> pressed; // the clickable node the button went down on
    PointF pointer;                // last pointer position in the client area
    Instant now;
};

// Paints the root's subtree: each node, then its children sorted stably by
// depth (`z`), a child's subtree complete before its next sibling.
void paint_tree(Canvas& canvas, PaintContext const& context, Tree const& tree);

// Paints one node without its children: cull, clip, effective style, the
// kind's own drawing, then the border.
void paint_node(Canvas& canvas, PaintContext const& context, Tree const& tree, NodeId id);

// ---- Primitives

inline constexpr std::size_t shadow_layer_count = 6;

struct ShadowLayer {
    RectF rect;
    float radius = 0;
    float alpha = 0;
};
// The layers of an elevation-e shadow from the outermost in: layer k
// (1..6) grows the rectangle by e·(7 − k)/6, moves it down by 0.4·e and has
// alpha k/60. No layers for an elevation that is not positive.
std::array<ShadowLayer, shadow_layer_count> shadow_layers(RectF rect, float elevation, float radius);
void paint_shadow(Canvas& canvas, RectF rect, float elevation, float radius);

struct ScrollBarGeometry {
    RectF track;
    RectF thumb;
};
// The track along the right edge of the area and the thumb in it; none when
// there is nothing to scroll (content not taller than a positive visible height).
std::optional<ScrollBarGeometry> scroll_bar_geometry(RectF area, float content_height, float visible_height,
    float offset);
void paint_scroll_bar(Canvas& canvas, RectF area, float content_height, float visible_height, float offset,
    Color track, Color thumb);

// Draws the bitmap in the box by the fit mode, clipped to the box where the
// fit spills out of it.
void paint_image(Canvas& canvas, Bitmap const& bitmap, RectF box, FitMode mode);

// The style's border at the end of a node paint: max(width, 0.1) when a width
// is set, else 1, inset by half the stroke; square at a radius of 0.5 or less.
void paint_border(Canvas& canvas, Style const& style, RectF rect, float radius);

// ---- Images

// The image sources a tree uses: the sources of image nodes, the icons of
// nodes and of tree-view rows (UTF-8), each once.
std::vector<std::string> tree_image_sources(Tree const& tree);

// Decodes the sources of the tree not tried yet, memory keys from the tree's
// memory images. Returns how many loaded.
std::size_t load_tree_images(ImageCache& cache, ImageDecoder& decoder, Tree const& tree);

}
