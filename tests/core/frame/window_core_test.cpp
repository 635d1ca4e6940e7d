#include "core/frame/window_core.hpp"
#include "core/paint/recording_canvas.hpp"
#include "core/text/fixed_advance_text_engine.hpp"
#include "../window/fake_window.hpp"

#include <gtest/gtest.h>

#include <cmath>

using namespace orvy;

namespace {

struct Harness {
    explicit Harness(bool glass = false)
    {
        WindowLook look;
        look.glass = glass;
        core = std::make_unique<WindowCore>(tree, styles, look, cells, std::make_unique<FixedAdvanceTextEngine>(),
            nullptr, nullptr);
        window.size = { 400, 300 };
        window.transparent = true;
        core->attached(window);
    }

    NodeId textbox(RectF rect) { return add(NodeKind::Textbox, rect); }
    NodeId add(NodeKind kind, RectF rect)
    {
        LayoutParams params;
        params.placement = Placement::Absolute;
        params.left = rect.x;
        params.top = rect.y;
        params.w = rect.w;
        params.h = rect.h;
        return tree.append(0, Model(kind), params);
    }
    TextboxModel& box(NodeId id) { return *tree.node(id).model.as<TextboxModel>(); }

    Color painted_background()
    {
        RecordingCanvas canvas;
        core->paint(canvas);
        return canvas.of(DrawOp::Clear).at(0).color;
    }

    Tree tree;
    StyleContext styles;
    WindowCells cells;
    FakeWindow window;
    std::unique_ptr<WindowCore> core;
};

}

TEST(WindowEffects, signals_follow_their_thresholds_and_nan_turns_an_effect_off)
{
    WindowEffects effects = WindowEffects::initial(1.5f, true);
    EXPECT_EQ(effects.tint, 1.0f);
    EXPECT_EQ(effects.backdrop, (Backdrop { 3, 0x40101418 }));

    effects.set_blur(0.5);
    EXPECT_EQ(effects.backdrop, (Backdrop { 3, (127u << 24) | 0x101418 }));
    effects.set_blur(7.0);
    EXPECT_EQ(effects.backdrop.gradient, (255u << 24) | 0x101418);
    effects.set_blur(0.001);
    EXPECT_EQ(effects.backdrop.accent_state, 0u);
    EXPECT_EQ(effects.backdrop.gradient, (255u << 24) | 0x101418) << "switching off keeps the colour";

    effects.set_blur_mode(0.99);
    EXPECT_EQ(effects.backdrop.accent_state, 0u);
    effects.set_blur_mode(1.0);
    EXPECT_EQ(effects.backdrop.accent_state, 3u);
    effects.set_blur_mode(NAN);
    EXPECT_EQ(effects.backdrop.accent_state, 0u);

    effects.set_drag_smooth(0.49);
    EXPECT_FALSE(effects.drag_smooth);
    effects.set_drag_smooth(0.5);
    EXPECT_TRUE(effects.drag_smooth);

    effects.set_tint(NAN);
    EXPECT_EQ(effects.tint, 0.0f);
    effects.set_tint(-3);
    EXPECT_EQ(effects.tint, 0.0f);
}

TEST(WindowCore, glass_window_clears_with_the_current_tint_and_an_opaque_one_ignores_it)
{
    Harness glass(true);
    glass.cells.effects->set_tint(0.25);
    EXPECT_FLOAT_EQ(glass.painted_background().a, 0.25f);
    glass.cells.effects->set_tint(0.0);
    EXPECT_FLOAT_EQ(glass.painted_background().a, 0.0f) << "tint 0 lets the backdrop show through";

    glass.window.transparent = false; // no compositor: the clear colour stays opaque
    EXPECT_FLOAT_EQ(glass.painted_background().a, 1.0f);

    Harness opaque(false);
    opaque.cells.effects->set_tint(0.25);
    EXPECT_FLOAT_EQ(opaque.painted_background().a, 1.0f);
}

TEST(WindowCore, backdrop_reaches_the_native_window_once_per_change)
{
    Harness h(true);
    ASSERT_EQ(h.window.backdrops.size(), 1u) << "the initial request is applied when the window exists";
    h.core->frame_update();
    EXPECT_EQ(h.window.backdrops.size(), 1u);
    h.cells.effects->set_blur(0.5);
    h.core->frame_update();
    h.core->frame_update();
    ASSERT_EQ(h.window.backdrops.size(), 2u);
    EXPECT_EQ(h.window.backdrops.back().accent_state, 3u);
}

TEST(WindowCore, pending_text_replaces_a_boxes_text_and_puts_the_caret_at_the_end)
{
    Harness h;
    NodeId box = h.textbox({ 10, 10, 200, 40 });
    NodeId label = h.tree.append(0, Model(NodeKind::Label), {});
    h.box(box).text = u"hello";
    h.box(box).caret = 1;
    h.box(box).anchor = 3;

    h.tree.pending_text.push({ .node = box, .text = u"hello" });
    EXPECT_TRUE(h.core->frame_update()) << "a pending text is a change even when the text is the same";
    EXPECT_EQ(h.box(box).caret, 5u);
    EXPECT_EQ(h.box(box).anchor, 5u) << "the selection is cleared";

    h.box(box).caret = 0;
    h.tree.pending_text.push({ .node = box, .text = std::nullopt });
    h.tree.pending_text.push({ .node = label, .text = u"ignored" });
    h.tree.pending_text.push({ .node = 999, .text = u"ignored" });
    RecordingCanvas canvas;
    h.core->paint(canvas);
    EXPECT_EQ(h.box(box).text, u"hello") << "the caret flag alone keeps the text";
    EXPECT_EQ(h.box(box).caret, 5u);
    EXPECT_TRUE(h.tree.node(label).model.as<TextModel>()->text.empty());
}

TEST(CaretScroll, keeps_the_caret_between_the_scroll_and_the_visible_edge)
{
    EXPECT_EQ(caret_scroll(0, 50, 100), 0) << "a visible caret leaves the scroll alone";
    EXPECT_EQ(caret_scroll(0, 150, 100), 50) << "past the edge: the caret sits at the right edge";
    EXPECT_EQ(caret_scroll(80, 30, 100), 30) << "left of the scroll: scrolls to the caret";
    EXPECT_EQ(caret_scroll(80, -5, 100), 0) << "never below 0";
    EXPECT_EQ(caret_scroll(NAN, 10, 100), 0);
}

TEST(WindowCore, focused_single_line_box_scrolls_its_caret_into_view_each_frame)
{
    Harness h;
    NodeId box = h.textbox({ 0, 0, 124, 40 }); // 100 px of text are visible
    RecordingCanvas canvas;
    h.core->paint(canvas); // lays out
    h.core->left_down(20, 20);
    h.core->left_up();
    ASSERT_EQ(h.core->pointer().focus(), box);

    // 20 units of the 20 px font advance 10 px each: the caret ends at 200.
    h.tree.pending_text.push({ .node = box, .text = std::u16string(20, u'x') });
    h.core->paint(canvas);
    EXPECT_FLOAT_EQ(h.box(box).scroll_x, 100.0f);

    h.box(box).caret = 2;
    h.core->paint(canvas);
    EXPECT_FLOAT_EQ(h.box(box).scroll_x, 20.0f);

    h.tree.node(box).multiline = true; // multi-line boxes scroll vertically instead
    h.box(box).caret = 20;
    h.core->paint(canvas);
    EXPECT_FLOAT_EQ(h.box(box).scroll_x, 20.0f);
}

TEST(WindowCore, dropped_files_reach_the_drop_zone_under_the_point_joined_in_order)
{
    Harness h;
    NodeId zone = h.add(NodeKind::Drop, { 10, 10, 200, 100 });
    NodeId label = h.add(NodeKind::Label, { 10, 150, 200, 40 });
    std::vector<std::string> received;
    h.tree.node(zone).extras_mut().on_submit = [&](Tree&, std::string_view text) { received.emplace_back(text); };
    h.tree.node(label).extras_mut().on_submit = [&](Tree&, std::string_view text) { received.emplace_back(text); };
    h.painted_background(); // lays the tree out

    // What a drag over the window is told agrees with where a drop lands.
    EXPECT_TRUE(h.core->accepts_drop({ 50, 50 }));
    EXPECT_FALSE(h.core->accepts_drop({ 50, 160 }));
    EXPECT_FALSE(h.core->accepts_drop({ 350, 250 }));

    std::vector<std::string> paths { "/tmp/b.txt", "/tmp/a b.txt", "/tmp/c" };
    EXPECT_TRUE(h.core->file_drop(paths, { 50, 50 }));
    EXPECT_EQ(received, (std::vector<std::string> { "/tmp/b.txt\n/tmp/a b.txt\n/tmp/c" }));

    // Anywhere else, the label included, the drop reaches nothing.
    EXPECT_FALSE(h.core->file_drop(paths, { 50, 160 }));
    EXPECT_FALSE(h.core->file_drop(paths, { 350, 250 }));
    EXPECT_FALSE(h.core->file_drop({}, { 50, 50 }));
    EXPECT_EQ(received.size(), 1u);
}

TEST(WindowCore, a_node_above_the_drop_zone_keeps_the_drop_from_it)
{
    Harness h;
    NodeId zone = h.add(NodeKind::Drop, { 10, 10, 200, 100 });
    h.add(NodeKind::Button, { 20, 20, 50, 30 });
    int drops = 0;
    h.tree.node(zone).extras_mut().on_submit = [&](Tree&, std::string_view) { ++drops; };
    h.painted_background();
    EXPECT_FALSE(h.core->accepts_drop({ 30, 30 }));
    EXPECT_FALSE(h.core->file_drop({ "/a" }, { 30, 30 }));
    EXPECT_TRUE(h.core->accepts_drop({ 150, 80 }));
    EXPECT_TRUE(h.core->file_drop({ "/a" }, { 150, 80 }));
    EXPECT_EQ(drops, 1);
}

TEST(WindowCore, queued_file_dialogs_are_shown_when_the_window_runs_them)
{
    Harness h;
    std::vector<std::string> paths;
    h.cells.file_dialogs.push({ .dialog = { .kind = FileDialogKind::Save, .name = u"report.txt",
                                    .patterns = { { u"Text", u"*.txt" } } },
        .on_done = [&](std::string_view path) { paths.emplace_back(path); } });
    h.core->run_file_dialogs();
    ASSERT_EQ(h.window.shown_dialogs.size(), 1u);
    EXPECT_EQ(h.window.shown_dialogs[0].name, u"report.txt");
    EXPECT_EQ(h.window.shown_dialogs[0].patterns, (std::vector<FilePattern> { { u"Text", u"*.txt" } }));
    EXPECT_TRUE(h.cells.file_dialogs.empty());
    h.window.open_dialogs.at(0)("/home/u/report.txt");
    EXPECT_EQ(paths, (std::vector<std::string> { "/home/u/report.txt" }));
}
