// Push notifications: small independent windows with a title and a text
// that close after their time or on a click, stacked in a corner of the
// screen when the script gives no position.
#pragma once

#include "core/frame/window_core.hpp"

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace orvy {

// What a push window shows.
struct PushContent {
    Text title;
    Text text;
    Color background { 0x20 / 255.0f, 0x26 / 255.0f, 0x32 / 255.0f, 1 };
    Color foreground { 0xee / 255.0f, 0xf3 / 255.0f, 0xff / 255.0f, 1 };
    std::optional<std::uint16_t> font_family; // none: the window's base font
    float font_size = 16.0f;
    float radius = 8.0f;
    float padding = 10.0f;
    float gap = 6.0f;
};

// Fills an empty tree: one frame covering the window, holding the title
// label and the text label.
void build_push_tree(Tree& tree, PushContent const& content);

// An untitled w x h window: frameless, topmost, glass without tint or blur,
// of fixed size, without caption buttons, not taking the focus.
WindowOptions push_window_options(std::int32_t width, std::int32_t height, std::optional<PointI> position);

// Places push windows that have no position of their own: at the bottom
// right of the work area, each above the ones still open; when the column
// is full the next starts at the bottom again.
class PushStack {
public:
    static constexpr std::int32_t margin = 16;
    static constexpr std::int32_t spacing = 8;

    struct Placed {
        std::uint64_t slot = 0;
        PointI position;
    };
    Placed place(RectI work_area, std::int32_t width, std::int32_t height);
    // The window of `slot` has closed; its place is free again.
    void release(std::uint64_t slot);

private:
    std::vector<std::pair<std::uint64_t, RectI>> m_open;
    std::uint64_t m_next_slot = 1;
};

struct PushLifetime {
    float seconds = 3.0f;       // not finite: until clicked
    bool close_on_click = true;
};

// The frame pipeline of a push window, plus its lifetime: after its time,
// and on a click when it allows that, it asks its window to close (once).
class PushWindowCore final : public WindowCore {
public:
    PushWindowCore(Tree& tree, StyleContext& styles, WindowLook const& look, WindowCells cells,
        std::unique_ptr<TextEngine> text, std::unique_ptr<ImageDecoder> images, std::shared_ptr<void> owner,
        PushLifetime lifetime);

    void attached(NativeWindow& window) override;
    bool frame_update() override;
    // The deadline keeps the frame timer running until the window closes.
    bool has_app_timers() const override;
    void left_down(float x, float y) override;
    bool left_up() override;

private:
    void close();

    PushLifetime m_lifetime;
    std::optional<Clock::time_point> m_deadline;
    NativeWindow* m_window = nullptr;
    bool m_pressed = false;
    bool m_closing = false;
};

}
