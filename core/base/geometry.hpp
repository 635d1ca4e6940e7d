// RectF and PointF: client-area geometry in 32-bit float pixels, origin top-left.
#pragma once

namespace orvy {

struct PointF {
    float x = 0, y = 0;
    friend bool operator==(PointF const&, PointF const&) = default;
};

struct RectF {
    float x = 0, y = 0, w = 0, h = 0;

    float right() const { return x + w; }
    float bottom() const { return y + h; }
    // Half-open on the far edges, so adjacent rectangles never both contain a point.
    bool contains(float px, float py) const { return px >= x && py >= y && px < x + w && py < y + h; }

    friend bool operator==(RectF const&, RectF const&) = default;
};

// Off-screen origin of hidden nodes, pages that are not shown and pop layers put away.
inline constexpr float off_screen = -1000000.0f;
// Nodes whose rect x is at or left of this lie in a hidden subtree.
inline constexpr float hidden_subtree_x = -100000.0f;

}
