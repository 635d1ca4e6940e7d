// Push windows: their tree, options, placement and lifetime.
#include "core/frame/push_window.hpp"

#include <algorithm>
#include <cmath>

namespace orvy {

void build_push_tree(Tree& tree, PushContent const& content)
{
    LayoutParams cover;
    cover.placement = Placement::Absolute;
    cover.left = 0.0f;
    cover.top = 0.0f;
    cover.right = 0.0f;
    cover.bottom = 0.0f;
    cover.padding = content.padding;
    cover.gap = content.gap;
    NodeId frame = tree.append(tree.root, Model(NodeKind::Frame, FrameModel { .radius = content.radius }), cover);
    Style& frame_style = tree.node(frame).styles.base_mut();
    frame_style.background = content.background;
    frame_style.radius = content.radius;

    // The title keeps one line at the top; the text takes the rest.
    LayoutParams title_line;
    title_line.h = std::ceil(content.font_size * 1.5f);
    for (Text const* text : { &content.title, &content.text }) {
        NodeId label = tree.append(frame, Model(NodeKind::Label, TextModel { .text = *text }),
            text == &content.title ? title_line : LayoutParams {});
        Style& style = tree.node(label).styles.base_mut();
        style.text_color = content.foreground;
        style.font_size = content.font_size;
        style.font_family = content.font_family;
        style.wrap = Wrap::On;
    }
}

WindowOptions push_window_options(std::int32_t width, std::int32_t height, std::optional<PointI> position)
{
    WindowOptions options;
    options.title.clear();
    options.width = width;
    options.height = height;
    options.position = position;
    options.glass = true;
    options.tint = 0.0f;
    options.blur = false;
    options.frameless = true;
    options.topmost = true;
    options.resizable = false;
    options.minbox = false;
    options.maxbox = false;
    options.closebox = false;
    options.takes_focus = false;
    return options;
}

PushStack::Placed PushStack::place(RectI work_area, std::int32_t width, std::int32_t height)
{
    std::int64_t bottom = std::int64_t { work_area.bottom } - margin;
    std::int64_t top = bottom - height;
    if (!m_open.empty()) {
        auto highest = std::min_element(m_open.begin(), m_open.end(),
            [](auto const& a, auto const& b) { return a.second.top < b.second.top; });
        top = std::int64_t { highest->second.top } - spacing - height;
        if (top < std::int64_t { work_area.top } + margin)
            top = bottom - height;
    }
    std::int64_t left = std::int64_t { work_area.right } - margin - width;
    auto clamp32 = [](std::int64_t value) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
    };
    PointI position { clamp32(left), clamp32(top) };
    Placed placed { m_next_slot++, position };
    m_open.emplace_back(placed.slot,
        RectI { position.x, position.y, clamp32(left + width), clamp32(top + height) });
    return placed;
}

void PushStack::release(std::uint64_t slot)
{
    std::erase_if(m_open, [slot](auto const& entry) { return entry.first == slot; });
}

PushWindowCore::PushWindowCore(Tree& tree, StyleContext& styles, WindowLook const& look, WindowCells cells,
    std::unique_ptr<TextEngine> text, std::unique_ptr<ImageDecoder> images, std::shared_ptr<void> owner,
    PushLifetime lifetime)
    : WindowCore(tree, styles, look, std::move(cells), std::move(text), std::move(images), std::move(owner))
    , m_lifetime(lifetime)
{
}

void PushWindowCore::attached(NativeWindow& window)
{
    WindowCore::attached(window);
    m_window = &window;
    // Beyond about eleven days the time is as good as never.
    double seconds = m_lifetime.seconds;
    if (std::isnan(seconds))
        seconds = 0;
    if (seconds < 1e6)
        m_deadline = Clock::now()
            + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(std::max(seconds, 0.0)));
}

bool PushWindowCore::frame_update()
{
    bool changed = WindowCore::frame_update();
    if (m_deadline && Clock::now() >= *m_deadline)
        close();
    return changed;
}

bool PushWindowCore::has_app_timers() const
{
    return (m_deadline && !m_closing) || WindowCore::has_app_timers();
}

void PushWindowCore::left_down(float x, float y)
{
    WindowCore::left_down(x, y);
    m_pressed = true;
}

bool PushWindowCore::left_up()
{
    bool changed = WindowCore::left_up();
    if (m_pressed && m_lifetime.close_on_click)
        close();
    m_pressed = false;
    return changed;
}

void PushWindowCore::close()
{
    if (m_closing || !m_window)
        return;
    m_closing = true;
    m_window->request_close();
}

}
