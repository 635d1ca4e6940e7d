// The gallery's tree through core's whole window pipeline on the Win32
// backend: a click sent through the X server reaches a button, keys typed
// through it reach text boxes, the frame matches the Linux backend's picture
// of the same tree region by region, and the frame times of the 1,000-node
// form.
#include "core/base/utf.hpp"
#include "core/frame/window_core.hpp"
#include "platform/win32/dwrite_text_engine.hpp"
#include "platform/win32/wic_image_decoder.hpp"
#include "tests/platform/form_tree.hpp"
#include "tests/platform/gallery_tree.hpp"
#include "tests/win32/check.hpp"
#include "tests/win32/options.hpp"
#include "tests/win32/support.hpp"

#include <algorithm>
#include <cstdlib>
#include <map>

using namespace orvy;
using namespace orvy::win32_test;
using namespace std::chrono_literals;
using win32::D2DCanvas;
using win32::Win32Host;
using win32::Win32Window;

namespace {

constexpr std::int32_t width = 1280;
constexpr std::int32_t height = 720;

// A frameless window of exactly the picture's size at the screen's corner,
// painted by core's window pipeline.
struct CoreWindow {
    Tree tree;
    StyleContext styles;
    Win32Window* window = nullptr;

    void open()
    {
        WindowOptions options;
        options.frameless = true;
        options.position = PointI { 0, 0 };
        options.width = width;
        options.height = height;
        auto core = std::make_unique<WindowCore>(tree, styles, WindowLook {}, WindowCells {},
            std::make_unique<win32::DWriteTextEngine>(), std::make_unique<win32::WicImageDecoder>(), nullptr);
        core->set_modifier_source([] { return host().key_modifiers(); });
        WindowCreation made = host().create_window(options, {}, std::move(core));
        if (!made.window)
            std::printf("  window creation failed: %s\n", made.error.c_str());
        window = static_cast<Win32Window*>(made.window);
    }
    ~CoreWindow()
    {
        if (!window)
            return;
        WindowId id = window->id();
        window->request_close();
        serve_until(host(), [&] { return host().find(id) == nullptr; });
    }
    Bitmap capture()
    {
        Bitmap frame;
        window->capture_next_frame(&frame);
        window->invalidate();
        serve_until(host(), [&] { return !frame.is_empty(); });
        return frame;
    }
};

bool channels_match(std::uint8_t const* a, std::uint8_t const* b, int tolerance)
{
    for (int c = 0; c < 3; ++c) {
        if (std::abs(static_cast<int>(a[c]) - static_cast<int>(b[c])) > tolerance)
            return false;
    }
    return true;
}

struct Share {
    std::uint64_t matching = 0;
    std::uint64_t total = 0;
    double value() const { return total ? static_cast<double>(matching) / static_cast<double>(total) : 1.0; }
};

Share compare(Bitmap const& ours, Bitmap const& theirs, RectF region, int tolerance)
{
    Share share;
    auto x0 = static_cast<std::int32_t>(std::max(region.x, 0.0f));
    auto y0 = static_cast<std::int32_t>(std::max(region.y, 0.0f));
    auto x1 = static_cast<std::int32_t>(std::min(region.right(), static_cast<float>(ours.width)));
    auto y1 = static_cast<std::int32_t>(std::min(region.bottom(), static_cast<float>(ours.height)));
    for (std::int32_t y = y0; y < y1; ++y) {
        for (std::int32_t x = x0; x < x1; ++x) {
            std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(ours.width) + x) * 4;
            share.matching += channels_match(&ours.pixels[at], &theirs.pixels[at], tolerance);
            ++share.total;
        }
    }
    return share;
}

}

TEST_CASE(the_gallery_answers_a_real_click_and_matches_the_linux_picture)
{
    CoreWindow gallery;
    std::string image = options().get("image");
    gallery::GalleryNodes nodes = gallery::build(gallery.tree, image);
    bool clicked = false;
    gallery.tree.node(nodes.first_button).extras_mut().on_activate = [&](Tree&) { clicked = true; };
    gallery.open();
    CHECK(gallery.window);
    if (!gallery.window)
        return;
    CHECK((gallery.window->client_size() == ClientSize { width, height }));
    // Let the images load and the spinner settle into a frame.
    host().serve_for(300ms);
    Bitmap frame = gallery.capture();
    CHECK(frame.width == width && frame.height == height);
    std::string out = options().get("out");
    if (!out.empty())
        CHECK(write_png(out, frame));

    // The Linux backend's picture of the same tree, when the driver has one.
    std::string reference_path = options().get("linux");
    win32::WicImageDecoder decoder;
    std::optional<Bitmap> reference = reference_path.empty() ? std::nullopt : decoder.decode_file(reference_path, 0);
    if (!reference_path.empty())
        CHECK(reference && reference->width == width && reference->height == height);
    if (reference && reference->width == width && reference->height == height && frame.width == width) {
        constexpr int tolerance = 16;
        Share whole = compare(frame, *reference, { 0, 0, width, height }, tolerance);
        std::printf("FIGURE matching-pixels whole %.4f\n", whole.value());
        // Region by region: every widget that has no children of its own.
        std::map<std::string, Share> kinds;
        std::vector<std::pair<double, std::string>> worst;
        for (NodeId id = 1; id < gallery.tree.size(); ++id) {
            Node const& node = gallery.tree.node(id);
            if (!node.children.empty() || !(node.rect.w > 0 && node.rect.h > 0))
                continue;
            Share share = compare(frame, *reference, node.rect, tolerance);
            std::string kind(kind_name(node.kind()));
            kinds[kind].matching += share.matching;
            kinds[kind].total += share.total;
            worst.emplace_back(share.value(), kind + " #" + std::to_string(id));
        }
        for (auto const& [kind, share] : kinds)
            std::printf("FIGURE matching-pixels %s %.4f\n", kind.c_str(), share.value());
        std::sort(worst.begin(), worst.end());
        for (std::size_t i = 0; i < std::min<std::size_t>(5, worst.size()); ++i)
            std::printf("  least alike: %s %.4f\n", worst[i].second.c_str(), worst[i].first);
        // Fonts are rasterised differently; shapes and fills must agree.
        CHECK(whole.value() > 0.9);
    }

    // Its texts kept across frames give the pixels of drawing each of them.
    if (frame.width == width) {
        D2DCanvas& canvas = gallery.window->canvas();
        canvas.redraw_all();
        Bitmap kept = gallery.capture();
        std::size_t copied = gallery.window->last_frame_calls().kept_texts;
        canvas.keep_texts(false);
        canvas.redraw_all();
        Bitmap drawn = gallery.capture();
        canvas.keep_texts(true);
        // Animated widgets move between the two frames.
        std::uint64_t compared = 0, differing = 0;
        for (NodeId id = 1; id < gallery.tree.size(); ++id) {
            Node const& node = gallery.tree.node(id);
            if (!node.children.empty() || node.kind() == NodeKind::Spinner || !(node.rect.w > 0 && node.rect.h > 0))
                continue;
            Share share = compare(kept, drawn, node.rect, 1);
            compared += share.total;
            differing += share.total - share.matching;
        }
        std::printf("  gallery: %zu texts copied, %llu of %llu pixels differ from drawing them\n", copied,
            static_cast<unsigned long long>(differing), static_cast<unsigned long long>(compared));
        CHECK(copied > 50 && compared > 100000 && differing == 0);
    }

    RectF button = gallery.tree.node(nodes.first_button).rect;
    POINT target { static_cast<LONG>(button.x + button.w / 2), static_cast<LONG>(button.y + button.h / 2) };
    ClientToScreen(gallery.window->hwnd(), &target);
    std::function<bool()> answered = request("click " + std::to_string(target.x) + " " + std::to_string(target.y));
    CHECK(serve_until(host(), [&] { return clicked && answered(); }, 30s));
}

namespace {

// Asks the driver to act and serves the loop until the model shows it.
bool act(std::string const& line, std::function<bool()> const& done)
{
    std::function<bool()> answered = request(line);
    return serve_until(host(), [&] { return answered() && done(); }, 30s);
}

std::string centre_on_screen(CoreWindow const& window, RectF rect)
{
    POINT target { static_cast<LONG>(rect.x + rect.w / 2), static_cast<LONG>(rect.y + rect.h / 2) };
    ClientToScreen(window.window->hwnd(), &target);
    return std::to_string(target.x) + " " + std::to_string(target.y);
}

}

TEST_CASE(keys_typed_through_the_x_server_reach_text_boxes)
{
    CoreWindow typing;
    Tree& tree = typing.tree;
    tree.node(tree.root).layout = { .padding = 10, .gap = 8 };
    TextboxModel field;
    NodeId line = tree.append(tree.root, Model(NodeKind::Textbox, Boxed<TextboxModel>(field)), { .h = 40 });
    NodeId area = tree.append(tree.root, Model(NodeKind::Textbox, Boxed<TextboxModel>(field)), { .h = 80 });
    tree.node(area).multiline = true;
    typing.open();
    CHECK(typing.window);
    if (!typing.window)
        return;
    host().serve_for(100ms);
    auto text_of = [&](NodeId box) { return tree.node(box).model.as<TextboxModel>()->text.str(); };

    CHECK(act("type " + centre_on_screen(typing, tree.node(line).rect) + " Hello, orvy",
        [&] { return text_of(line) == u"Hello, orvy"; }));
    // Russian letters, which the driver put on keys of the X keymap before
    // Wine started, with Shift for capitals.
    CHECK(act("type-on , жёлтый Ёж", [&] { return text_of(line) == u"Hello, orvy, жёлтый Ёж"; }));
    std::printf("  Russian typed through xdotool arrives as \"%s\"\n", utf16_to_utf8(text_of(line)).c_str());
    // Ctrl+A selects everything and the next letters replace it.
    CHECK(act("key ctrl+a", [&] {
        auto const* model = tree.node(line).model.as<TextboxModel>();
        return model->anchor == 0 && model->caret == model->text.size();
    }));
    CHECK(act("type-on new", [&] { return text_of(line) == u"new"; }));
    std::printf("  single line: \"%s\"\n", utf16_to_utf8(text_of(line)).c_str());

    // Return breaks the line of a multi-line box.
    CHECK(act("type " + centre_on_screen(typing, tree.node(area).rect) + " first",
        [&] { return text_of(area) == u"first"; }));
    CHECK(act("key Return", [&] { return text_of(area) == u"first\n"; }));
    CHECK(act("type-on second", [&] { return text_of(area) == u"first\nsecond"; }));
    CHECK(text_of(line) == u"new");
}

namespace {

// Frames of a window, each after `change`: the processor time of the UI
// thread and of the whole process (with Wine's renderer threads) per frame,
// the steps of the paint, and the Direct2D calls of the last frame.
D2DCanvas::FrameCalls measure_frames(char const* name, CoreWindow& form, std::function<void()> const& change)
{
    constexpr int frames = 16;
    std::vector<double> paints, records, draws, finishes, presents;
    FILETIME created, exited, kernel_before, user_before, kernel_after, user_after;
    FILETIME process_kernel_before, process_user_before, process_kernel_after, process_user_after;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel_before, &user_before);
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &process_kernel_before, &process_user_before);
    for (int i = 0; i < frames; ++i) {
        std::uint64_t before = form.window->paints();
        change();
        form.tree.layout_dirty = true; // every frame lays out again, as after a change
        form.window->invalidate();
        serve_until(host(), [&] { return form.window->paints() > before; });
        Win32Window::PaintTimes const& times = form.window->last_paint_times();
        paints.push_back((times.total() - times.present) * 1000.0);
        records.push_back(times.record * 1000.0);
        draws.push_back(times.draw * 1000.0);
        finishes.push_back(times.finish * 1000.0);
        presents.push_back(times.present * 1000.0);
    }
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel_after, &user_after);
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &process_kernel_after, &process_user_after);
    auto ticks = [](FILETIME time) { return (std::uint64_t { time.dwHighDateTime } << 32) | time.dwLowDateTime; };
    auto per_frame_ms = [](std::uint64_t spent) { return static_cast<double>(spent) / 10000.0 / frames; };
    auto at = [](std::vector<double> values, double share) {
        std::sort(values.begin(), values.end());
        return values[std::min(values.size() - 1, static_cast<std::size_t>(share * values.size()))];
    };
    std::printf("FIGURE frame-1000-nodes %s cpu-per-frame-ms ui-thread %.2f process %.2f\n", name,
        per_frame_ms(ticks(kernel_after) - ticks(kernel_before) + ticks(user_after) - ticks(user_before)),
        per_frame_ms(ticks(process_kernel_after) - ticks(process_kernel_before) + ticks(process_user_after)
            - ticks(process_user_before)));
    // The paint up to the present; the present waits for the vertical blank.
    std::printf("FIGURE frame-1000-nodes %s paint-ms median %.2f p90 %.2f max %.2f "
                "(record %.2f draw %.2f end-draw %.2f, present %.2f)\n",
        name, at(paints, 0.5), at(paints, 0.9), at(paints, 1.0), at(records, 0.5), at(draws, 0.5),
        at(finishes, 0.5), at(presents, 0.5));
    D2DCanvas::FrameCalls const& calls = form.window->last_frame_calls();
    std::printf("FIGURE frame-1000-nodes %s direct2d-calls shapes %zu as %zu draws (%zu paths built), "
                "texts %zu as %zu glyph runs, others %zu, clips %zu, view clears %zu, copies %zu, covered %zu, "
                "damage %dx%d\n",
        name, calls.shapes, calls.shape_draws, calls.paths_built, calls.texts, calls.glyph_runs, calls.others,
        calls.clips, calls.view_clears, calls.copies, calls.covered, calls.damage.x1 - calls.damage.x0,
        calls.damage.y1 - calls.damage.y0);
    CHECK(paints.size() == static_cast<std::size_t>(frames));
    return calls;
}

}

TEST_CASE(frame_times_of_the_1000_node_form)
{
    CoreWindow form;
    form::build(form.tree);
    form.open();
    CHECK(form.window);
    if (!form.window)
        return;
    host().serve_for(100ms);
    // Under Wine, Direct2D draws through wined3d on llvmpipe, where every
    // draw call costs buffers and state of its own: the canvas batches
    // shapes by colour and draws again only where a frame changed.
    D2DCanvas& canvas = form.window->canvas();
    // Texts drawn every frame, as without kept texts; then drawn anew into
    // the kept texts' pages every frame (the first frame of a new window or
    // theme); then the whole frame with its texts kept (a resize).
    canvas.keep_texts(false);
    D2DCanvas::FrameCalls drawn = measure_frames("whole-texts-drawn", form, [&] { canvas.redraw_all(); });
    CHECK(drawn.kept_texts == 0 && drawn.texts > 50);
    D2DCanvas::FrameCalls fresh = measure_frames("whole-texts-new", form, [&] {
        canvas.keep_texts(true);
        canvas.redraw_all();
    });
    // Every text of the form lies on one colour; the rows' texts alike
    // (the buttons' "Go", the badges' "7") are drawn once.
    CHECK(fresh.kept_texts == drawn.texts && fresh.texts < drawn.texts / 2);
    // The fills' paths are kept across frames: the frame whose texts are
    // new builds none. A new window's first frame builds them all and
    // draws every text anew.
    CHECK(fresh.paths_built == 0);
    D2DCanvas::FrameCalls first = measure_frames("whole-all-new", form, [&] {
        canvas.keep_texts(true);
        canvas.forget_geometries();
        canvas.redraw_all();
    });
    CHECK(first.paths_built > 0 && first.kept_texts == drawn.texts);
    D2DCanvas::FrameCalls whole = measure_frames("whole", form, [&] { canvas.redraw_all(); });
    CHECK(whole.kept_texts == drawn.texts && whole.texts == 0 && whole.glyph_runs == 0);
    CHECK(whole.damage.x1 - whole.damage.x0 == width && whole.damage.y1 - whole.damage.y0 == height);
    CHECK(whole.shapes > 0 && whole.shape_draws * 2 < whole.shapes);
    // The window's clear sets the whole kept frame without shading it, and
    // the inner pixels of the rows' backgrounds are copied, not shaded.
    CHECK(whole.view_clears == 1);
    CHECK(whole.copies >= 10);
    // The text fields' insides lie over their borders' insides: those are
    // left to the fields, neither copied nor filled.
    CHECK(whole.covered >= 10);
    D2DCanvas::FrameCalls same = measure_frames("unchanged", form, [] { });
    CHECK(same.damage.is_empty() && same.shape_draws == 0 && same.texts == 0);
    // A check box of the third row turns on and off.
    auto* toggle = form.tree.node(2 + 2 * 10 + 3).model.as<ToggleModel>();
    CHECK(toggle);
    D2DCanvas::FrameCalls one = measure_frames("one-check-box", form, [&] { toggle->on = !toggle->on; });
    CHECK(!one.damage.is_empty() && (one.damage.x1 - one.damage.x0) * (one.damage.y1 - one.damage.y0) < 64 * 64);
    // The clear of a changed area keeps to the area.
    CHECK(one.view_clears == 0);
}
