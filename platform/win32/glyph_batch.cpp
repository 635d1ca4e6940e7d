// GlyphBatch: a text renderer that hands a layout's runs to the batch, and
// the batch's groups as glyph runs.
#include "platform/win32/glyph_batch.hpp"

#include <algorithm>

namespace orvy::win32 {

namespace {

RectF united(RectF a, RectF b)
{
    float x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
    return { x0, y0, std::max(a.right(), b.right()) - x0, std::max(a.bottom(), b.bottom()) - y0 };
}

// COM interfaces have no virtual destructor: objects are released through
// their reference counts, never deleted through the interface.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif

// Lives for one IDWriteTextLayout::Draw on the stack: no reference counts.
class RunCollector final : public IDWriteTextRenderer {
public:
    RunCollector(GlyphBatch& batch, DWRITE_MATRIX const& transform, float pixels_per_dip)
        : m_batch(batch)
        , m_transform(transform)
        , m_pixels_per_dip(pixels_per_dip)
    {
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        if (id == __uuidof(IUnknown) || id == __uuidof(IDWritePixelSnapping) || id == __uuidof(IDWriteTextRenderer)) {
            *object = static_cast<IDWriteTextRenderer*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    // Baselines snap to whole pixels, as in Direct2D's DrawTextLayout.
    HRESULT STDMETHODCALLTYPE IsPixelSnappingDisabled(void*, WINBOOL* disabled) override
    {
        *disabled = FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCurrentTransform(void*, DWRITE_MATRIX* transform) override
    {
        *transform = m_transform;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPixelsPerDip(void*, FLOAT* pixels_per_dip) override
    {
        *pixels_per_dip = m_pixels_per_dip;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE DrawGlyphRun(void*, FLOAT x, FLOAT y, DWRITE_MEASURING_MODE mode,
        DWRITE_GLYPH_RUN const* run, DWRITE_GLYPH_RUN_DESCRIPTION const*, IUnknown*) override
    {
        if (run)
            m_batch.add_run({ x, y }, *run, mode);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DrawUnderline(void*, FLOAT x, FLOAT y, DWRITE_UNDERLINE const* line, IUnknown*) override
    {
        if (line)
            m_batch.add_line({ x, y + line->offset, line->width, line->thickness });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DrawStrikethrough(void*, FLOAT x, FLOAT y, DWRITE_STRIKETHROUGH const* line,
        IUnknown*) override
    {
        if (line)
            m_batch.add_line({ x, y + line->offset, line->width, line->thickness });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DrawInlineObject(void* context, FLOAT x, FLOAT y, IDWriteInlineObject* object,
        WINBOOL sideways, WINBOOL right_to_left, IUnknown* effect) override
    {
        return object ? object->Draw(context, this, x, y, sideways, right_to_left, effect) : S_OK;
    }

private:
    GlyphBatch& m_batch;
    DWRITE_MATRIX m_transform;
    float m_pixels_per_dip;
};

#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

}

bool GlyphBatch::add(IDWriteTextLayout* layout, PointF origin, DWRITE_MATRIX const& transform, float pixels_per_dip)
{
    RunCollector collector(*this, transform, pixels_per_dip);
    return layout && SUCCEEDED(layout->Draw(nullptr, &collector, origin.x, origin.y));
}

void GlyphBatch::add_run(D2D1_POINT_2F baseline, DWRITE_GLYPH_RUN const& run, DWRITE_MEASURING_MODE mode)
{
    if (!run.fontFace || !run.glyphIndices || run.glyphCount == 0)
        return;
    std::span<UINT16 const> glyphs(run.glyphIndices, run.glyphCount);
    // Sideways and right-to-left glyphs are placed by the font's own
    // advances, which the run does not carry: such runs are drawn as they came.
    if (run.isSideways || (run.bidiLevel & 1) || !run.glyphAdvances) {
        Group& own = m_groups.emplace_back();
        own = { .face = run.fontFace, .size = run.fontEmSize, .mode = mode, .merged = false, .origin = baseline,
            .sideways = run.isSideways, .bidi_level = run.bidiLevel, .glyphs = { glyphs.begin(), glyphs.end() } };
        if (run.glyphAdvances)
            own.advances.assign(run.glyphAdvances, run.glyphAdvances + run.glyphCount);
        if (run.glyphOffsets)
            own.offsets.assign(run.glyphOffsets, run.glyphOffsets + run.glyphCount);
        return;
    }
    // Roughly where the run's glyphs may put ink: its advances, an em
    // beside them and the em's height around the baseline.
    float width = 0;
    for (UINT32 i = 0; i < run.glyphCount; ++i)
        width += run.glyphAdvances[i];
    float em = run.fontEmSize;
    RectF box { baseline.x - em, baseline.y - em * 1.25f, width + em * 2, em * 1.75f };
    auto found = std::find_if(m_groups.begin(), m_groups.end(), [&](Group const& group) {
        if (!(group.merged && group.face.Get() == run.fontFace && group.size == em && group.mode == mode))
            return false;
        RectF joined = united(group.box, box);
        return joined.w * joined.h <= spread_limit * (group.area + box.w * box.h);
    });
    Group& group = found != m_groups.end() ? *found : m_groups.emplace_back();
    if (!group.face) {
        group.face = run.fontFace;
        group.size = em;
        group.mode = mode;
        group.box = box;
    }
    group.box = united(group.box, box);
    group.area += box.w * box.h;
    group.glyphs.insert(group.glyphs.end(), glyphs.begin(), glyphs.end());
    // Each glyph's origin is the pen's position plus its offset; the pen
    // moves by the advances in the order the system adds them.
    float pen = baseline.x;
    for (UINT32 i = 0; i < run.glyphCount; ++i) {
        DWRITE_GLYPH_OFFSET offset = run.glyphOffsets ? run.glyphOffsets[i] : DWRITE_GLYPH_OFFSET {};
        group.offsets.push_back({ pen + offset.advanceOffset, offset.ascenderOffset - baseline.y });
        pen += run.glyphAdvances[i];
    }
}

std::size_t GlyphBatch::draw(ID2D1RenderTarget* target, ID2D1Brush* brush)
{
    std::size_t drawn = 0;
    for (Group const& group : m_groups) {
        auto count = static_cast<UINT32>(group.glyphs.size());
        FLOAT const* advances = group.advances.empty() ? nullptr : group.advances.data();
        if (group.merged) {
            m_no_advances.resize(std::max(m_no_advances.size(), group.glyphs.size()), 0.0f);
            advances = m_no_advances.data();
        }
        DWRITE_GLYPH_RUN run { group.face.Get(), group.size, count, group.glyphs.data(), advances,
            group.offsets.empty() ? nullptr : group.offsets.data(), group.sideways, group.bidi_level };
        target->DrawGlyphRun(group.origin, &run, brush, group.mode);
        ++drawn;
    }
    for (RectF line : m_lines)
        target->FillRectangle(D2D1_RECT_F { line.x, line.y, line.right(), line.bottom() }, brush);
    return drawn;
}

void GlyphBatch::clear()
{
    m_groups.clear();
    m_lines.clear();
}

}
