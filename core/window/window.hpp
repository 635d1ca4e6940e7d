// Window logic that needs no desktop: the options of a native window, its
// style bits, initial placement, caption colours and the frame-timer rule.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvy {

// Identifies a native window to its host; 0 is no window. Ids are never
// reused, so an id kept after its window closed finds nothing.
using WindowId = std::uint32_t;

struct PointI {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(PointI const&, PointI const&) = default;
};

struct RectI {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(RectI const&, RectI const&) = default;
};

enum class CenterMode : std::uint8_t { None, Parent, Screen };

// "screen" centres on the screen, "parent" on the owner; other texts do not centre.
CenterMode parse_center_mode(std::string_view text);

// Everything a native window is created from. Sizes are outer sizes in
// physical pixels; colours are 0x00BBGGRR.
struct WindowOptions {
    WindowId owner = 0;
    std::optional<std::string> icon; // image file, UTF-8 path
    std::optional<std::uint32_t> caption_color;
    std::optional<std::uint32_t> caption_text_color;
    std::optional<std::uint32_t> border_color;
    std::optional<PointI> position;
    float tint = 0;
    bool glass = false;
    bool blur = false;
    bool frameless = false;
    bool topmost = false;
    bool resizable = true;
    bool minbox = true;
    bool maxbox = true;
    bool closebox = true;
    bool modal = false;
    // Whether showing the window gives it the keyboard; notifications do not.
    bool takes_focus = true;
    std::optional<bool> dark;
    CenterMode center = CenterMode::None;
    std::string title = "ORVY";
    std::int32_t width = 1280;
    std::int32_t height = 720;

    // The defaults of a sub-window: no title, 520 x 420, no minimise or maximise box.
    static WindowOptions sub_window();
};

// 0xRRGGBB <-> 0x00BBGGRR: the red and blue bytes change places.
constexpr std::uint32_t colorref_from_rgb(std::uint32_t rgb)
{
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}
constexpr std::uint32_t rgb_from_colorref(std::uint32_t colorref) { return colorref_from_rgb(colorref); }

namespace window_style {
inline constexpr std::uint32_t popup = 0x80000000;
inline constexpr std::uint32_t caption = 0x00C00000;
inline constexpr std::uint32_t system_menu = 0x00080000;
inline constexpr std::uint32_t thick_frame = 0x00040000;
inline constexpr std::uint32_t minimize_box = 0x00020000;
inline constexpr std::uint32_t maximize_box = 0x00010000;
inline constexpr std::uint32_t topmost = 0x00000008;
inline constexpr std::uint32_t tool_window = 0x00000080;
inline constexpr std::uint32_t no_redirection_bitmap = 0x00200000;
}

// The window and extended style words. Backends without such words read
// the decorations off these bits, so every platform agrees on them.
struct WindowStyles {
    std::uint32_t style = 0;
    std::uint32_t extended = 0;

    bool has_caption() const { return (style & window_style::caption) == window_style::caption; }
    bool has_close_button() const { return (style & window_style::system_menu) != 0; }
    bool has_minimize_button() const { return (style & window_style::minimize_box) != 0; }
    bool has_maximize_button() const { return (style & window_style::maximize_box) != 0; }
    bool is_resizable() const { return (style & window_style::thick_frame) != 0; }
    bool is_topmost() const { return (extended & window_style::topmost) != 0; }
    bool is_tool_window() const { return (extended & window_style::tool_window) != 0; }

    friend bool operator==(WindowStyles const&, WindowStyles const&) = default;
};

WindowStyles window_styles(WindowOptions const& options);

// The rectangle a centred window is placed in.
enum class PlacementReference : std::uint8_t {
    OwnerWindow,     // the owner's outer rectangle
    OwnerWorkArea,   // the work area of the monitor nearest the owner
    PrimaryWorkArea, // the work area of the primary monitor
};

// Which rectangle the placement needs; none when the window is not centred.
std::optional<PlacementReference> placement_reference(WindowOptions const& options);

// The top-left corner of the new window, or none for the system's default
// position. `reference` is the rectangle placement_reference() asked for.
std::optional<PointI> initial_position(WindowOptions const& options, RectI reference);

// The backdrop a window asks the compositor for: an accent state (0 none,
// 3 blur behind) and the gradient colour drawn over the blur, 0xAABBGGRR.
struct Backdrop {
    std::uint32_t accent_state = 0;
    std::uint32_t gradient = 0x40101418;
    friend bool operator==(Backdrop const&, Backdrop const&) = default;
};

inline constexpr std::uint32_t accent_blur_behind = 3;

// What the window-property signals change on a running window: the
// background tint of a glass window, the backdrop and whether the blur is
// dropped while the window is dragged.
struct WindowEffects {
    float tint = 0.0f;
    Backdrop backdrop;
    bool drag_smooth = false;

    // The effects a window starts with: its tint option, and blur behind
    // when it was made with blur.
    static WindowEffects initial(float tint, bool blur);
    // The rules of the four signals. NaN counts as 0 everywhere, so a bad
    // value turns an effect off instead of leaving it in an odd state.
    void set_tint(double value);
    void set_blur(double value);      // at most 0.001: off; else blur with alpha min(value, 1)
    void set_blur_mode(double value); // an integer part of 1 or more: blur; else off
    void set_drag_smooth(double value); // on from 0.5
};

// The 10 ms frame timer of one window and when it may sleep.
//   tick, changed                               -> repaint, idle count 0
//   tick, quiet, count now > 8, no app timers   -> stop the timer
//   tick, quiet otherwise                       -> idle count + 1 (saturating)
//   wake (a posted call or a new app timer)     -> idle count 0, start if stopped, repaint
//   paint                                       -> idle count 0, start if stopped
// So an idle window stops ticking about 90 ms after its last change.
class FrameTimer {
public:
    static constexpr std::chrono::milliseconds period { 10 };
    static constexpr std::uint32_t quiet_ticks_allowed = 8;

    struct TickResult {
        bool repaint = false;
        bool stop = false;
    };

    TickResult tick(bool changed, bool has_app_timers);
    // Both return whether the timer must be started.
    bool wake() { return restart(); }
    bool paint() { return restart(); }

    bool running() const { return m_running; }
    std::uint32_t idle_ticks() const { return m_idle_ticks; }

private:
    bool restart();

    std::uint32_t m_idle_ticks = 0;
    bool m_running = true; // started when the window is created
};

}
