// GeometryCache: Direct2D path geometries kept by the figures they hold, so
// a fill whose figures come again in the same place (the next frame drawn
// whole, a theme change) is drawn without building and closing its path
// again. Shapes moved, even by whole pixels, make other figures: a rounded
// corner's control points, worked out where it is, round differently.
#pragma once

#include "platform/win32/detail/com.hpp"
#include "platform/win32/detail/draw_batches.hpp"

#include <d2d1_1.h>

#include <cstdint>
#include <list>
#include <span>
#include <unordered_map>
#include <vector>

namespace orvy::win32 {

// The figures as the numbers that make them: equal keys, equal paths.
std::vector<float> figures_key(std::span<Figure const> figures);

// A path of the figures, filled with the non-zero rule; null on failure.
ComPtr<ID2D1PathGeometry> build_path(ID2D1Factory1* factory, std::span<Figure const> figures);

class GeometryCache {
public:
    // Enough for the fills of a few large frames; an entry holds a path of
    // at most a hundred-odd curves and its tessellation.
    static constexpr std::size_t default_limit = 512;

    struct Counts {
        std::size_t hits = 0;
        std::size_t builds = 0;    // paths built (misses, failed builds included)
        std::size_t evictions = 0; // entries dropped for the bound
    };

    // The path of the figures on `factory`: the one kept for the same
    // figures, else one built now and kept (the least recently used entry
    // gives way past the limit). Geometries draw only through contexts of
    // the factory that made them: asked with another factory, the cache
    // first forgets every path it holds. Null when no path could be built.
    ComPtr<ID2D1PathGeometry> path(ID2D1Factory1* factory, std::span<Figure const> figures);

    // Forgets every path and the factory they were made on.
    void clear();
    void set_limit(std::size_t limit);
    std::size_t size() const { return m_entries.size(); }
    Counts const& counts() const { return m_counts; }

private:
    struct Entry {
        std::uint64_t hash = 0;
        std::vector<float> key;
        ComPtr<ID2D1PathGeometry> geometry;
    };
    void trim();

    std::list<Entry> m_entries; // the most recently used first
    std::unordered_multimap<std::uint64_t, std::list<Entry>::iterator> m_index;
    // Held, so that a factory made later at the same address is not taken for it.
    ComPtr<ID2D1Factory1> m_factory;
    std::size_t m_limit = default_limit;
    Counts m_counts;
};

}
