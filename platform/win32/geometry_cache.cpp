// GeometryCache: paths found by a hash of their figures' numbers, compared
// whole before use, in least-recently-used order.
#include "platform/win32/geometry_cache.hpp"

#include <algorithm>
#include <bit>
#include <iterator>

namespace orvy::win32 {

std::vector<float> figures_key(std::span<Figure const> figures)
{
    std::vector<float> key;
    for (Figure const& figure : figures) {
        // The segment count first: figures of other splits never read alike.
        key.push_back(static_cast<float>(figure.segments.size()));
        key.push_back(figure.start.x);
        key.push_back(figure.start.y);
        for (Figure::Segment const& segment : figure.segments) {
            if (segment.curve) {
                key.push_back(1);
                key.insert(key.end(), { segment.c1.x, segment.c1.y, segment.c2.x, segment.c2.y });
            } else {
                key.push_back(0);
            }
            key.push_back(segment.end.x);
            key.push_back(segment.end.y);
        }
    }
    return key;
}

ComPtr<ID2D1PathGeometry> build_path(ID2D1Factory1* factory, std::span<Figure const> figures)
{
    ComPtr<ID2D1PathGeometry> geometry;
    ComPtr<ID2D1GeometrySink> sink;
    if (!factory || FAILED(factory->CreatePathGeometry(&geometry)) || FAILED(geometry->Open(&sink)))
        return nullptr;
    // The figures run so that the shapes' union has a non-zero winding and
    // the holes' inside a winding of zero where no other shape covers it.
    sink->SetFillMode(D2D1_FILL_MODE_WINDING);
    for (Figure const& figure : figures) {
        sink->BeginFigure({ figure.start.x, figure.start.y }, D2D1_FIGURE_BEGIN_FILLED);
        for (Figure::Segment const& segment : figure.segments) {
            if (segment.curve)
                sink->AddBezier(
                    { { segment.c1.x, segment.c1.y }, { segment.c2.x, segment.c2.y }, { segment.end.x, segment.end.y } });
            else
                sink->AddLine({ segment.end.x, segment.end.y });
        }
        sink->EndFigure(D2D1_FIGURE_END_CLOSED);
    }
    if (FAILED(sink->Close()))
        return nullptr;
    return geometry;
}

ComPtr<ID2D1PathGeometry> GeometryCache::path(ID2D1Factory1* factory, std::span<Figure const> figures)
{
    if (!factory)
        return nullptr;
    if (m_factory.Get() != factory) {
        clear();
        m_factory = factory;
    }
    std::vector<float> key = figures_key(figures);
    // FNV-1a over whole 32-bit words: a frame hashes thousands of them.
    std::uint64_t hash = 14695981039346656037ull ^ key.size();
    for (float value : key)
        hash = (hash ^ std::bit_cast<std::uint32_t>(value)) * 1099511628211ull;
    auto [first, last] = m_index.equal_range(hash);
    for (auto found = first; found != last; ++found) {
        auto entry = found->second;
        // Compared by their bits: a NaN in the figures still finds its path.
        if (entry->key.size() == key.size()
            && std::equal(key.begin(), key.end(), entry->key.begin(), [](float a, float b) {
                   return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
               })) {
            m_entries.splice(m_entries.begin(), m_entries, entry);
            ++m_counts.hits;
            return entry->geometry;
        }
    }
    ++m_counts.builds;
    ComPtr<ID2D1PathGeometry> geometry = build_path(factory, figures);
    // A failure is not kept: the next frame tries again.
    if (!geometry)
        return nullptr;
    m_entries.push_front({ hash, std::move(key), geometry });
    m_index.emplace(hash, m_entries.begin());
    trim();
    return geometry;
}

void GeometryCache::trim()
{
    while (m_entries.size() > m_limit) {
        auto oldest = std::prev(m_entries.end());
        auto [first, last] = m_index.equal_range(oldest->hash);
        for (auto found = first; found != last; ++found) {
            if (found->second == oldest) {
                m_index.erase(found);
                break;
            }
        }
        m_entries.pop_back();
        ++m_counts.evictions;
    }
}

void GeometryCache::clear()
{
    m_index.clear();
    m_entries.clear();
    m_factory.Reset();
}

void GeometryCache::set_limit(std::size_t limit)
{
    m_limit = std::max<std::size_t>(limit, 1);
    trim();
}

}
