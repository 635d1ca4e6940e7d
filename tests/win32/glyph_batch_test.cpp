// Texts drawn as batched glyph runs against the same texts drawn one layout
// at a time by Direct2D: the same pixels, in fewer runs.
#include "platform/win32/dwrite_text_engine.hpp"
#include "platform/win32/glyph_batch.hpp"
#include "tests/win32/check.hpp"
#include "tests/win32/support.hpp"

#include <wincodec.h>

#include <cstdlib>

using namespace orvy;
using namespace orvy::win32_test;
using win32::ComPtr;

namespace {

constexpr UINT side = 320;

struct Placed {
    std::shared_ptr<TextLayout const> layout;
    PointF origin;
};

IDWriteTextLayout* written(Placed const& text)
{
    auto const* layout = dynamic_cast<win32::DWriteTextLayout const*>(text.layout.get());
    return layout ? layout->layout() : nullptr;
}

// The texts drawn into a fresh picture in the antialias mode: one layout at
// a time through DrawTextLayout, or gathered into `batch` and drawn as its
// runs. Empty when Direct2D or WIC is missing.
Bitmap draw(std::vector<Placed> const& texts, D2D1_TEXT_ANTIALIAS_MODE mode, win32::GlyphBatch* batch)
{
    ComPtr<IWICImagingFactory> wic;
    ComPtr<IWICBitmap> pixels;
    ComPtr<ID2D1Factory> factory;
    ComPtr<ID2D1RenderTarget> target;
    ComPtr<ID2D1SolidColorBrush> brush;
    win32::ensure_com();
    D2D1_RENDER_TARGET_PROPERTIES properties {};
    properties.pixelFormat = { DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED };
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&wic)))
        || FAILED(wic->CreateBitmap(side, side, GUID_WICPixelFormat32bppPBGRA, WICBitmapCacheOnLoad, &pixels))
        || FAILED(D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, factory.GetAddressOf()))
        || FAILED(factory->CreateWicBitmapRenderTarget(pixels.Get(), properties, &target))
        || FAILED(target->CreateSolidColorBrush(D2D1_COLOR_F { 0.1f, 0.2f, 0.3f, 1 }, &brush)))
        return {};
    target->SetTextAntialiasMode(mode);
    target->BeginDraw();
    target->Clear(D2D1_COLOR_F { 1, 1, 0.9f, 1 });
    if (batch) {
        for (Placed const& text : texts)
            CHECK(batch->add(written(text), text.origin, DWRITE_MATRIX { 1, 0, 0, 1, 0, 0 }, 1.0f));
        batch->draw(target.Get(), brush.Get());
    } else {
        for (Placed const& text : texts)
            target->DrawTextLayout({ text.origin.x, text.origin.y }, written(text), brush.Get());
    }
    if (FAILED(target->EndDraw()))
        return {};
    target.Reset();
    Bitmap picture;
    picture.width = side;
    picture.height = side;
    picture.pixels.resize(std::size_t { side } * side * 4);
    if (FAILED(pixels->CopyPixels(nullptr, side * 4, static_cast<UINT>(picture.pixels.size()), picture.pixels.data())))
        return {};
    return picture;
}

std::size_t differing_pixels(Bitmap const& a, Bitmap const& b)
{
    std::size_t differing = 0;
    for (std::size_t at = 0; at + 4 <= a.pixels.size() && at + 4 <= b.pixels.size(); at += 4) {
        for (std::size_t c = 0; c < 4; ++c) {
            if (std::abs(int { a.pixels[at + c] } - int { b.pixels[at + c] }) > 2) {
                ++differing;
                break;
            }
        }
    }
    return differing;
}

std::size_t inked_pixels(Bitmap const& picture)
{
    Bitmap blank = solid(picture.width, picture.height, rgb_at(picture, 0, 0) | 0xFF000000u);
    return differing_pixels(picture, blank);
}

}

TEST_CASE(texts_drawn_as_batched_glyph_runs_match_each_drawn_alone)
{
    win32::DWriteTextEngine engine;
    std::shared_ptr<TextFormat const> body = engine.format(text_format_key(TextRole::Body, 0, 20));
    TextFormatKey heading_key = text_format_key(TextRole::Heading, 0, 20);
    std::shared_ptr<TextFormat const> heading = engine.format(heading_key);
    TextFormatKey centred_key = text_format_key(TextRole::Paragraph, 0, 14);
    centred_key.align = TextAlign::Center;
    std::shared_ptr<TextFormat const> centred = engine.format(centred_key);
    CHECK(body && heading && centred);
    if (!body || !heading || !centred)
        return;
    // Fractional origins, a line of two scripts, a heavier face, a centred
    // paragraph that wraps, and right-to-left words inside a line.
    std::vector<Placed> texts {
        { engine.layout(u"Hello, orvy", *body, 300, 30), { 10, 10 } },
        { engine.layout(u"Привет, мир: 12 345", *body, 300, 30), { 10.5f, 40.25f } },
        { engine.layout(u"Heading ёж", *heading, 300, 40), { 10, 70 } },
        { engine.layout(u"A paragraph long enough to wrap over several lines of its narrow box", *centred, 140,
              120),
            { 20, 110 } },
        { engine.layout(u"left שלום עולם right", *body, 300, 30), { 10, 250.75f } },
        { engine.layout(u"Hello again", *body, 300, 30), { 170, 120 } },
    };
    for (Placed const& text : texts)
        CHECK(written(text) != nullptr);

    for (D2D1_TEXT_ANTIALIAS_MODE mode : { D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE, D2D1_TEXT_ANTIALIAS_MODE_CLEARTYPE }) {
        win32::GlyphBatch batch;
        Bitmap alone = draw(texts, mode, nullptr);
        Bitmap batched = draw(texts, mode, &batch);
        CHECK(!alone.is_empty() && !batched.is_empty());
        if (alone.is_empty() || batched.is_empty())
            continue;
        std::size_t inked = inked_pixels(alone), differing = differing_pixels(alone, batched);
        std::printf("  antialias mode %d: %zu glyph runs, %zu inked pixels, %zu differ\n", static_cast<int>(mode),
            batch.groups().size(), inked, differing);
        CHECK(inked > 1000);
        CHECK(differing == 0);
        // The texts of one face and size share a run; only the right-to-left
        // words keep one of their own.
        CHECK(batch.groups().size() < texts.size());
    }
}

TEST_CASE(a_batch_is_drawn_once_and_cleared)
{
    win32::DWriteTextEngine engine;
    std::shared_ptr<TextFormat const> body = engine.format(text_format_key(TextRole::Body, 0, 20));
    CHECK(body != nullptr);
    if (!body)
        return;
    std::vector<Placed> texts { { engine.layout(u"one", *body, 300, 30), { 10, 10 } },
        { engine.layout(u"two", *body, 300, 30), { 10, 50 } } };
    win32::GlyphBatch batch;
    CHECK(batch.is_empty());
    // Without a layout there is nothing to draw, and no failure to hide.
    CHECK(!batch.add(nullptr, { 0, 0 }, DWRITE_MATRIX { 1, 0, 0, 1, 0, 0 }, 1.0f));
    Bitmap first = draw(texts, D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE, &batch);
    CHECK(batch.groups().size() == 1 && batch.groups()[0].glyphs.size() == 6);
    batch.clear();
    CHECK(batch.is_empty());
    // Drawn again from a cleared batch: the same picture, no glyph twice.
    Bitmap again = draw(texts, D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE, &batch);
    CHECK(!first.is_empty() && differing_pixels(first, again) == 0);
    CHECK(batch.groups().size() == 1 && batch.groups()[0].glyphs.size() == 6);

    // Texts far apart keep runs of their own: one run would span the space between.
    batch.clear();
    for (float y : { 10.0f, 700.0f })
        CHECK(batch.add(written(texts[0]), { 10, y }, DWRITE_MATRIX { 1, 0, 0, 1, 0, 0 }, 1.0f));
    CHECK(batch.groups().size() == 2);
}
