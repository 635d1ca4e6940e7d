// The controllers' requests as the frame pipeline takes them: message dialogs
// one at a time, notifications becoming toasts, theme and font switches.
#include "core/frame/window_core.hpp"
#include "core/paint/recording_canvas.hpp"
#include "core/text/fixed_advance_text_engine.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace orvy;
using namespace std::chrono_literals;

namespace {

Dialog dialog(Text title, TextList buttons, std::vector<std::pair<Text, std::uint32_t>>* closed)
{
    Dialog made { .title = title, .message = u"", .buttons = std::move(buttons) };
    made.on_close = [closed, title](Tree&, std::int32_t button) { closed->emplace_back(title, button); };
    return made;
}

Toast snack(Text message, float lifetime)
{
    Toast made;
    made.message_only = true;
    made.message = std::move(message);
    made.lifetime = lifetime;
    return made;
}

// A window core over a tree of its own, without a native window.
struct Window {
    Tree tree;
    StyleContext styles;
    WindowCells cells;
    WindowCore core { tree, styles, WindowLook {}, cells, std::make_unique<FixedAdvanceTextEngine>(), nullptr, nullptr };
    RecordingCanvas canvas;

    Window() { core.resize({ 800, 600 }); }

    void paint()
    {
        canvas.reset();
        core.paint(canvas);
    }
    void press_dialog_button(std::size_t index)
    {
        ASSERT_TRUE(core.overlays().dialog);
        RectF button = dialog_button(dialog_panel(800, 600), index, core.overlays().dialog->buttons.size());
        core.left_down(button.x + 2, button.y + 2);
        core.left_up();
    }
    Text shown_title() { return core.overlays().dialog ? core.overlays().dialog->title : u"(none)"; }
};

}

TEST(DialogRequests, show_one_at_a_time_in_request_order_the_next_after_the_first_closes)
{
    Window w;
    std::vector<std::pair<Text, std::uint32_t>> closed;
    w.cells.dialogs.push(dialog(u"first", { u"Ок" }, &closed));
    w.cells.dialogs.push(dialog(u"second", { u"Да", u"Нет", u"Отмена" }, &closed));
    w.paint();
    EXPECT_EQ(w.shown_title(), u"first");
    // A request made while one is shown waits behind the earlier ones.
    w.cells.dialogs.push(dialog(u"third", { u"Ок" }, &closed));
    w.paint();
    EXPECT_EQ(w.shown_title(), u"first");

    // A press beside the buttons is eaten and closes nothing.
    w.core.left_down(5, 5);
    w.core.left_up();
    w.paint();
    EXPECT_EQ(w.shown_title(), u"first");
    EXPECT_TRUE(closed.empty());

    w.press_dialog_button(0);
    EXPECT_FALSE(w.core.overlays().dialog);
    w.paint();
    EXPECT_EQ(w.shown_title(), u"second");
    w.press_dialog_button(2);
    EXPECT_TRUE(w.core.frame_update()); // the tick shows the next one and asks for a frame
    EXPECT_EQ(w.shown_title(), u"third");
    w.press_dialog_button(0);
    w.paint();
    EXPECT_EQ(w.shown_title(), u"(none)");
    EXPECT_EQ(closed, (std::vector<std::pair<Text, std::uint32_t>> { { u"first", 0 }, { u"second", 2 }, { u"third", 0 } }));
}

TEST(DialogRequests, a_request_made_by_a_button_callback_shows_in_the_next_frame)
{
    Window w;
    std::vector<std::pair<Text, std::uint32_t>> closed;
    WindowCells cells = w.cells; // the controller's copy shares the cells
    w.cells.dialogs.push(dialog(u"ask", { u"Ок" }, &closed));
    w.paint();
    w.core.overlays().dialog->on_close = [cells, &closed](Tree&, std::int32_t) mutable {
        cells.dialogs.push(dialog(u"answer", { u"Ок" }, &closed));
    };
    w.press_dialog_button(0);
    w.paint();
    EXPECT_EQ(w.shown_title(), u"answer");
}

TEST(NotificationRequests, become_live_toasts_that_leave_when_a_positive_lifetime_is_up)
{
    OverlayState state;
    Instant start = Instant {} + 1h;
    std::vector<Toast> posted;
    posted.push_back(snack(u"brief", 0.5f));
    posted.push_back(snack(u"lasting", 0));
    EXPECT_TRUE(state.take_toasts(std::move(posted), start));
    EXPECT_FALSE(state.take_toasts({}, start));
    ASSERT_EQ(state.toasts.size(), 2u);
    EXPECT_EQ(state.toasts[0].start, start);

    EXPECT_TRUE(state.expire(start + 490ms));
    EXPECT_EQ(state.toasts.size(), 2u);
    EXPECT_TRUE(state.expire(start + 500ms));
    ASSERT_EQ(state.toasts.size(), 1u);
    EXPECT_EQ(state.toasts[0].message, u"lasting");
}

TEST(NotificationRequests, the_pipeline_appends_them_after_the_live_ones_in_request_order)
{
    Window w;
    w.cells.notifications.push(snack(u"one", 60));
    w.paint();
    w.cells.notifications.push(snack(u"two", 60));
    w.cells.notifications.push(snack(u"three", 60));
    EXPECT_TRUE(w.core.frame_update());
    auto const& toasts = w.core.overlays().toasts;
    ASSERT_EQ(toasts.size(), 3u);
    EXPECT_EQ(toasts[0].message, u"one");
    EXPECT_EQ(toasts[2].message, u"three");
    EXPECT_LE(toasts[0].start, toasts[1].start);
}

TEST(LookRequests, a_theme_and_a_font_switch_both_take_effect_in_the_next_frame)
{
    Window w;
    std::vector<std::pair<Text, std::uint32_t>> closed;
    w.cells.dialogs.push(dialog(u"Заголовок", { u"Ок" }, &closed));
    w.cells.theme.request("blk");
    w.cells.font.put({ .size = 30.0f });
    w.paint();
    ASSERT_FALSE(w.canvas.of(DrawOp::Clear).empty());
    EXPECT_EQ(w.canvas.of(DrawOp::Clear)[0].color, palette_of(ThemeId::Black).background());
    EXPECT_EQ(w.core.theme().id(), ThemeId::Black);
    // The dialog title uses the title format: 1.2 times the new base size.
    bool title_seen = false;
    for (DrawCommand const& command : w.canvas.of(DrawOp::DrawText)) {
        if (command.text == u"Заголовок") {
            title_seen = true;
            EXPECT_FLOAT_EQ(command.font_size, 36.0f);
        }
    }
    EXPECT_TRUE(title_seen);

    // An unknown name is the dark theme; a size-only switch kept the family.
    w.cells.theme.request("zzz");
    w.paint();
    EXPECT_EQ(w.canvas.of(DrawOp::Clear)[0].color, palette_of(ThemeId::Dark).background());
    EXPECT_EQ(w.styles.font_families().name(0), u"Segoe UI");
}
