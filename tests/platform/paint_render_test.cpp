// The painters drawn for real: the gallery tree laid out at 1280 x 720 and
// painted with Cairo and Pango, checked pixel by pixel. With ORVY_PAINT_PNG_DIR
// set, each picture is also written there as a PNG to look at.
#include "core/layout/layout.hpp"
#include "core/paint/overlays.hpp"
#include "platform/linux/cairo_canvas.hpp"
#include "platform/linux/image_decoder.hpp"
#include "platform/linux/pango_text_engine.hpp"
#include "core/paint/recording_canvas.hpp"
#include "tests/platform/gallery_tree.hpp"
#include "tests/platform/image_samples.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <vector>

using namespace orvy;

namespace {

constexpr int width = 1280;
constexpr int height = 720;

struct Pixel {
    int r = 0, g = 0, b = 0;
};

bool near(Pixel p, Color c, int tolerance = 3)
{
    auto close = [&](int have, float want) { return std::abs(have - static_cast<int>(std::lround(want * 255))) <= tolerance; };
    return close(p.r, c.r) && close(p.g, c.g) && close(p.b, c.b);
}

class Picture {
public:
    Picture() : m_surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)) { }
    ~Picture() { cairo_surface_destroy(m_surface); }
    Picture(Picture const&) = delete;
    Picture& operator=(Picture const&) = delete;

    cairo_surface_t* surface() const { return m_surface; }
    Pixel at(float x, float y) const
    {
        if (!(x >= 0 && x < width && y >= 0 && y < height))
            return { -1000, -1000, -1000 };
        auto const* data = cairo_image_surface_get_data(m_surface);
        int stride = cairo_image_surface_get_stride(m_surface);
        auto const* pixel = data + static_cast<int>(y) * stride + static_cast<int>(x) * 4;
        return { pixel[2], pixel[1], pixel[0] };
    }
    void save(std::string const& name) const
    {
        char const* dir = std::getenv("ORVY_PAINT_PNG_DIR");
        if (dir && *dir)
            cairo_surface_write_to_png(m_surface, (std::filesystem::path(dir) / (name + ".png")).c_str());
    }

private:
    cairo_surface_t* m_surface;
};

// A 64 x 64 picture with a disc, written once as a PNG the decoder reads back.
std::string sample_png_file()
{
    static std::string path = [] {
        auto file = std::filesystem::temp_directory_path() / "orvy_paint_render_sample.png";
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 64, 64);
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_rgb(cr, 0.95, 0.55, 0.1);
        cairo_arc(cr, 32, 32, 30, 0, 2 * std::numbers::pi);
        cairo_fill(cr);
        cairo_destroy(cr);
        cairo_surface_write_to_png(surface, file.c_str());
        cairo_surface_destroy(surface);
        return file.string();
    }();
    return path;
}

class PaintRender : public ::testing::Test {
protected:
    PaintContext context(ThemeId theme)
    {
        PaintContext c;
        c.viewport_width = width;
        c.viewport_height = height;
        c.palette = palette_of(theme);
        c.text = &m_text;
        c.formats = make_frame_formats(m_text, 0, 20);
        c.images = &m_images;
        c.now = Clock::now();
        return c;
    }

    void render(Picture& picture, PaintContext const& c, OverlayState const& overlays = {})
    {
        render_onto(picture.surface(), c, overlays);
    }

    void render_onto(cairo_surface_t* surface, PaintContext const& c, OverlayState const& overlays = {})
    {
        linux_platform::CairoCanvas canvas;
        canvas.begin(surface);
        paint_with(canvas, c, overlays);
    }

    // Lays the tree out, then paints it between the canvas's begin and end.
    void paint_with(linux_platform::CairoCanvas& canvas, PaintContext const& c, OverlayState const& overlays)
    {
        layout_pass(tree, { 0, 0, width, height });
        load_tree_images(m_images, m_decoder, tree);
        canvas.clear(c.palette.background());
        paint_tree(canvas, c, tree);
        paint_overlays(canvas, c, tree, overlays);
        canvas.end();
    }

    Tree tree;
    gallery::GalleryNodes nodes = gallery::build(tree, sample_png_file());

protected:
    linux_platform::PangoTextEngine m_text;
    linux_platform::LinuxImageDecoder m_decoder;
    ImageCache m_images;
};

}

TEST_F(PaintRender, every_theme_paints_background_surfaces_and_accent_fills_in_its_palette)
{
    for (ThemeId theme : { ThemeId::White, ThemeId::Light, ThemeId::Dark, ThemeId::Black }) {
        Picture picture;
        PaintContext c = context(theme);
        render(picture, c);
        picture.save("gallery_" + std::string(theme_name(theme)));
        Palette const& palette = c.palette;
        EXPECT_TRUE(near(picture.at(3, 3), palette.background())) << theme_name(theme);
        RectF button = tree.node(nodes.first_button).rect;
        EXPECT_TRUE(near(picture.at(button.x + 4, button.y + button.h / 2), palette.accent())) << theme_name(theme);
        RectF table = tree.node(nodes.table).rect;
        // The third data row is the current one: filled with selection.
        EXPECT_TRUE(near(picture.at(table.x + 4, table.y + 34 + 2 * 30 + 15), palette.selection())) << theme_name(theme);
    }
}

TEST_F(PaintRender, image_nodes_show_the_decoded_file)
{
    Picture picture;
    render(picture, context(ThemeId::Dark));
    RectF image = tree.node(nodes.image).rect;
    EXPECT_TRUE(near(picture.at(image.x + image.w / 2, image.y + image.h / 2), Color { 0.95f, 0.55f, 0.1f, 1 }, 4));
}

TEST_F(PaintRender, a_dialog_darkens_the_window_and_draws_its_primary_button_in_accent)
{
    Picture picture;
    PaintContext c = context(ThemeId::Light);
    OverlayState overlays;
    overlays.dialog = Dialog { u"Внимание", u"Сохранить изменения перед выходом?", { u"Нет", u"Да" } };
    overlays.dialog->focused_button = 1;
    overlays.toasts.push_back(Toast { ToastCorner::TopRight, false, u"Готово", u"Файл сохранён", u"Открыть", c.now });
    overlays.toasts.push_back(Toast { ToastCorner::BottomCenter, true, {}, u"Снэкбар внизу", u"Отмена", c.now });
    overlays.notification = Notification { u"Уведомление", c.now + std::chrono::seconds(2) };
    render(picture, c, overlays);
    picture.save("overlays_lit");
    Color bg = c.palette.background();
    EXPECT_TRUE(near(picture.at(3, 3), { bg.r / 2, bg.g / 2, bg.b / 2, 1 }));
    RectF panel = dialog_panel(width, height);
    RectF primary = dialog_button(panel, 1, 2);
    EXPECT_TRUE(near(picture.at(primary.x + 4, primary.y + primary.h / 2), c.palette.accent()));
    EXPECT_TRUE(near(picture.at(panel.x + 8, panel.y + 40), c.palette.surface()));
}

TEST_F(PaintRender, open_lists_draw_their_hovered_row_in_selection)
{
    Picture picture;
    PaintContext c = context(ThemeId::Dark);
    layout_pass(tree, { 0, 0, width, height });
    NodeId dropdown = 0;
    for (NodeId id = 0; id < tree.size(); ++id) {
        if (tree.node(id).kind() == NodeKind::Dropdown)
            dropdown = id;
    }
    tree.open_dropdown = dropdown;
    RectF list = dropdown_list_rect(tree.node(dropdown).rect, 3);
    c.pointer = { list.x + list.w / 2, list.y + list.h / 2 };
    tree.menu_open = true;
    tree.menu_items = { u"Вырезать", u"Копировать", u"Вставить" };
    tree.menu_pos = { 900, 300 };
    render(picture, c);
    picture.save("open_lists_drk");
    float row = tree.node(dropdown).rect.h;
    EXPECT_TRUE(near(picture.at(list.x + 6, list.y + row * 1.5f), c.palette.selection()));
    EXPECT_TRUE(near(picture.at(list.x + 6, list.y + row * 0.5f), c.palette.surface()));
    EXPECT_TRUE(near(picture.at(905, 310), c.palette.surface()));
}

TEST(TreeImages, malformed_memory_images_are_skipped_and_frame_suffixes_pick_gif_frames)
{
    using namespace orvy::test;
    Tree tree;
    Bytes png = orvy::test::sample_png();
    std::vector<Bytes> broken { {}, Bytes(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(png.size() / 2)),
        { 'G', 'I', 'F' }, png_header_claiming(100000, 100000) };
    for (std::size_t i = 0; i < broken.size(); ++i) {
        std::string key = "mem:" + std::to_string(i + 1);
        tree.memory_images[key] = std::make_shared<std::vector<std::uint8_t> const>(broken[i]);
        NodeId image = tree.append(tree.root, Model(NodeKind::Image, ImageModel { key }));
        tree.node(image).rect = { 0, 0, 40, 40 };
    }
    // A GIF of two frames on disk, asked for frame 7: the last frame shows.
    auto gif_path = std::filesystem::temp_directory_path() / "orvy_paint_two_frames.gif";
    Bytes gif = sample_gif({ { 0, 0, 4, 4, 1, keep_frame }, { 0, 0, 4, 4, 2, keep_frame } });
    {
        std::FILE* out = std::fopen(gif_path.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        std::fwrite(gif.data(), 1, gif.size(), out);
        std::fclose(out);
    }
    std::string framed = gif_path.string() + "|7";
    NodeId animated = tree.append(tree.root, Model(NodeKind::Image, ImageModel { framed, ImageFit::Fill }));
    tree.node(animated).rect = { 0, 0, 40, 40 };

    linux_platform::LinuxImageDecoder decoder;
    ImageCache images;
    EXPECT_EQ(load_tree_images(images, decoder, tree), 1u);
    for (std::size_t i = 0; i < broken.size(); ++i) {
        std::string key = "mem:" + std::to_string(i + 1);
        EXPECT_TRUE(images.has_tried(key));
        EXPECT_EQ(images.find(key), nullptr);
    }
    Bitmap const* last = images.find(framed);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->pixels[1], 255); // green (BGRA): the second frame
    EXPECT_EQ(decoder.frame_count_file(gif_path.string()), 2u);
    EXPECT_EQ(decoder.frame_count_file("/no/such/file.gif"), 1u);

    // Painting draws the loaded image and nothing for the broken ones.
    RecordingCanvas canvas;
    PaintContext context;
    context.viewport_width = 100;
    context.viewport_height = 100;
    context.images = &images;
    paint_tree(canvas, context, tree);
    ASSERT_EQ(canvas.of(DrawOp::DrawBitmap).size(), 1u);
    EXPECT_EQ(canvas.of(DrawOp::DrawBitmap)[0].bitmap, last);
    std::filesystem::remove(gif_path);
}

TEST_F(PaintRender, a_recorded_frame_played_band_by_band_gives_the_pixels_drawn_directly)
{
    // The gallery with its overlays: bands cut through text, the image,
    // rounded corners, gradients, clips and the dialog's shade.
    PaintContext c = context(ThemeId::Light);
    OverlayState overlays;
    overlays.dialog = Dialog { u"Внимание", u"Сохранить изменения?", { u"Нет", u"Да" } };
    overlays.toasts.push_back(Toast { ToastCorner::TopRight, false, u"Готово", u"Файл сохранён", u"Открыть", c.now });
    for (cairo_format_t format : { CAIRO_FORMAT_RGB24, CAIRO_FORMAT_ARGB32 }) {
        cairo_surface_t* direct = cairo_image_surface_create(format, width, height);
        render_onto(direct, c, overlays);
        cairo_surface_flush(direct);
        linux_platform::CairoCanvas recorder;
        recorder.begin_recording();
        paint_with(recorder, c, overlays);
        ASSERT_TRUE(recorder.has_recording());
        // The texts' layouts and the image go from their caches: the
        // recording holds what it draws.
        m_text.clear_caches();
        m_images.clear();

        int stride = cairo_image_surface_get_stride(direct);
        unsigned char const* whole = cairo_image_surface_get_data(direct);
        // RGB24 leaves the top byte of each pixel undefined.
        std::uint32_t mask = format == CAIRO_FORMAT_RGB24 ? 0xFFFFFFu : 0xFFFFFFFFu;
        // One row, rows that split text lines, uneven last bands, all of it.
        // Where a band's edge cuts a run of glyphs or a scaled image, Cairo
        // composites it another way and may round a few edge pixels
        // otherwise; a band drawn or placed wrong differs in thousands.
        for (int rows : { 1, 7, 100, 333, height }) {
            std::vector<unsigned char> band(static_cast<std::size_t>(stride) * static_cast<std::size_t>(rows), 0xA5);
            cairo_surface_t* surface = cairo_image_surface_create_for_data(band.data(), format, width, rows, stride);
            int differing = 0, most = 0;
            for (int top = 0; top < height; top += rows) {
                int count = std::min(rows, height - top);
                ASSERT_TRUE(recorder.replay(surface, top));
                cairo_surface_flush(surface);
                for (int y = 0; y < count; ++y) {
                    for (int x = 0; x < width; ++x) {
                        std::uint32_t have = 0, want = 0;
                        std::memcpy(&have, band.data() + y * stride + x * 4, 4);
                        std::memcpy(&want, whole + (top + y) * stride + x * 4, 4);
                        if ((have & mask) == (want & mask))
                            continue;
                        ++differing;
                        for (int shift = 0; shift < 32; shift += 8) {
                            int apart = std::abs(static_cast<int>((have & mask) >> shift & 0xFF)
                                - static_cast<int>((want & mask) >> shift & 0xFF));
                            most = std::max(most, apart);
                        }
                    }
                }
            }
            EXPECT_LE(most, 32) << "format " << format << ", bands of " << rows << " rows";
            EXPECT_LE(differing, width * height / 10000) << "format " << format << ", bands of " << rows << " rows";
            if (rows == height) {
                EXPECT_EQ(differing, 0) << "format " << format << ", one band";
            }
            cairo_surface_destroy(surface);
        }
        cairo_surface_destroy(direct);
    }
}
