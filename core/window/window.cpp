// Window styles, placement and the frame-timer rule.
#include "core/window/window.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvy {

CenterMode parse_center_mode(std::string_view text)
{
    if (text == "screen")
        return CenterMode::Screen;
    if (text == "parent")
        return CenterMode::Parent;
    return CenterMode::None;
}

WindowOptions WindowOptions::sub_window()
{
    WindowOptions options;
    options.title.clear();
    options.width = 520;
    options.height = 420;
    options.minbox = false;
    options.maxbox = false;
    return options;
}

WindowStyles window_styles(WindowOptions const& options)
{
    using namespace window_style;
    WindowStyles styles;
    if (options.glass)
        styles.extended |= no_redirection_bitmap;
    if (options.topmost)
        styles.extended |= topmost;

    // A frameless window is a bare popup without a taskbar button; the
    // caption buttons and the sizing border do not apply to it.
    if (options.frameless) {
        styles.style = popup;
        styles.extended |= tool_window;
        return styles;
    }

    styles.style = caption | system_menu;
    if (options.resizable)
        styles.style |= thick_frame;
    // The close button can only go when there is no other caption button.
    if (options.minbox) {
        styles.style |= minimize_box;
        if (options.maxbox)
            styles.style |= maximize_box;
    } else if (options.maxbox) {
        styles.style |= maximize_box;
    } else if (!options.closebox) {
        styles.style &= ~system_menu;
    }
    return styles;
}

std::optional<PlacementReference> placement_reference(WindowOptions const& options)
{
    if (options.position)
        return std::nullopt;
    switch (options.center) {
    case CenterMode::None: return std::nullopt;
    case CenterMode::Parent:
        return options.owner ? PlacementReference::OwnerWindow : PlacementReference::PrimaryWorkArea;
    case CenterMode::Screen:
        return options.owner ? PlacementReference::OwnerWorkArea : PlacementReference::PrimaryWorkArea;
    }
    return std::nullopt;
}

std::optional<PointI> initial_position(WindowOptions const& options, RectI reference)
{
    if (options.position)
        return options.position;
    if (!placement_reference(options))
        return std::nullopt;
    // Integer division truncating toward zero, done wide so that no
    // rectangle can overflow it.
    auto centre = [](std::int64_t low, std::int64_t high, std::int64_t size) {
        std::int64_t value = low + (high - low - size) / 2;
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
            std::numeric_limits<std::int32_t>::max()));
    };
    return PointI { centre(reference.left, reference.right, options.width),
        centre(reference.top, reference.bottom, options.height) };
}

FrameTimer::TickResult FrameTimer::tick(bool changed, bool has_app_timers)
{
    if (changed) {
        m_idle_ticks = 0;
        return { true, false };
    }
    if (m_idle_ticks < std::numeric_limits<std::uint32_t>::max())
        ++m_idle_ticks;
    if (m_idle_ticks > quiet_ticks_allowed && !has_app_timers && m_running) {
        m_running = false;
        return { false, true };
    }
    return {};
}

bool FrameTimer::restart()
{
    m_idle_ticks = 0;
    if (m_running)
        return false;
    m_running = true;
    return true;
}

WindowEffects WindowEffects::initial(float tint, bool blur)
{
    WindowEffects effects;
    effects.set_tint(tint);
    effects.backdrop.accent_state = blur ? accent_blur_behind : 0;
    return effects;
}

void WindowEffects::set_tint(double value)
{
    tint = std::isnan(value) ? 0.0f : static_cast<float>(std::clamp(value, 0.0, 1.0));
}

void WindowEffects::set_blur(double value)
{
    if (!(value > 0.001)) {
        backdrop.accent_state = 0;
        return;
    }
    auto alpha = static_cast<std::uint32_t>(std::min(value, 1.0) * 255.0);
    backdrop = { accent_blur_behind, (alpha << 24) | 0x101418 };
}

void WindowEffects::set_blur_mode(double value)
{
    backdrop.accent_state = std::trunc(value) >= 1.0 ? accent_blur_behind : 0;
}

void WindowEffects::set_drag_smooth(double value) { drag_smooth = value >= 0.5; }

}
