// The geometry cache on its own: paths found again by their figures only,
// the least recently used given up past the bound, and none kept across
// factories.
#include "platform/win32/geometry_cache.hpp"
#include "tests/win32/check.hpp"

#include <limits>

using namespace orvy;
using namespace orvy::win32;
using namespace orvy::win32_test;

namespace {

ComPtr<ID2D1Factory1> new_factory()
{
    ComPtr<ID2D1Factory1> factory;
    D2D1_FACTORY_OPTIONS options {};
    if (FAILED(D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory1), &options,
            reinterpret_cast<void**>(factory.GetAddressOf()))))
        return nullptr;
    return factory;
}

std::vector<Figure> rounded(RectF rect, float radius)
{
    std::vector<Figure> figures;
    append_figures({ .kind = BatchShape::Kind::RoundedRect, .rect = rect, .radius = radius }, figures);
    return figures;
}

}

TEST_CASE(the_geometry_cache_finds_paths_by_their_figures_and_gives_up_the_least_recently_used)
{
    ComPtr<ID2D1Factory1> factory = new_factory();
    CHECK(factory);
    if (!factory)
        return;
    GeometryCache cache;
    std::vector<Figure> const a = rounded({ 0, 0, 40, 20 }, 6);
    std::vector<Figure> const b = rounded({ 0, 0, 40, 20 }, 5);
    std::vector<Figure> const c = rounded({ 0.5f, 0, 40, 20 }, 6);
    ComPtr<ID2D1PathGeometry> first = cache.path(factory.Get(), a);
    CHECK(first && cache.path(factory.Get(), a).Get() == first.Get());
    CHECK(cache.counts().builds == 1 && cache.counts().hits == 1);
    // A figure differing in a radius or by half a pixel is another path.
    CHECK(cache.path(factory.Get(), b).Get() != first.Get());
    CHECK(cache.path(factory.Get(), c).Get() != first.Get());
    CHECK(cache.counts().builds == 3 && cache.size() == 3);
    // The same points as a line instead of a curve, and two figures
    // against their concatenation's numbers, are other paths too.
    std::vector<Figure> lined = a;
    lined.front().segments[0].curve = false;
    CHECK(figures_key(lined) != figures_key(a));
    std::vector<Figure> two = a;
    two.push_back(b.front());
    std::vector<Figure> joined = { a.front() };
    joined.front().segments.insert(joined.front().segments.end(), b.front().segments.begin(), b.front().segments.end());
    CHECK(figures_key(two) != figures_key(joined));

    // Bound to two: `a` was used least recently and goes first.
    cache.path(factory.Get(), a);
    cache.set_limit(2);
    CHECK(cache.size() == 2 && cache.counts().evictions == 1);
    std::size_t builds = cache.counts().builds;
    cache.path(factory.Get(), c);
    cache.path(factory.Get(), a);
    CHECK(cache.counts().builds == builds);
    cache.path(factory.Get(), b);
    CHECK(cache.counts().builds == builds + 1 && cache.size() == 2);
    // `c` gave way to `b`; `a`, used since, stayed.
    cache.path(factory.Get(), a);
    CHECK(cache.counts().builds == builds + 1);
    cache.path(factory.Get(), c);
    CHECK(cache.counts().builds == builds + 2);

    // Another factory: nothing kept is drawn through it.
    ComPtr<ID2D1Factory1> other = new_factory();
    CHECK(other);
    builds = cache.counts().builds;
    ComPtr<ID2D1PathGeometry> again = cache.path(other.Get(), a);
    CHECK(again && cache.counts().builds == builds + 1 && cache.size() == 1);
    ComPtr<ID2D1Factory> made_by;
    again->GetFactory(&made_by);
    CHECK(made_by.Get() == static_cast<ID2D1Factory*>(other.Get()));
    CHECK(!cache.path(nullptr, a));
    cache.clear();
    CHECK(cache.size() == 0);
}
