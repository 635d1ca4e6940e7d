// The atoms the host speaks and the window properties it writes and reads,
// on a plain Xlib connection. Include after core headers: Xlib's macros
// (None, True, Status...) would clash with names there.
#pragma once

#include "core/window/window.hpp"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace orvy::linux_platform::detail {

struct Atoms {
    Atom wm_protocols = 0;
    Atom wm_locale_name = 0;
    Atom wm_delete_window = 0;
    Atom net_wm_ping = 0;
    Atom utf8_string = 0;
    Atom net_wm_name = 0;
    Atom net_wm_icon_name = 0;
    Atom net_wm_pid = 0;
    Atom net_wm_icon = 0;
    Atom net_wm_state = 0;
    Atom net_wm_state_above = 0;
    Atom net_wm_state_skip_taskbar = 0;
    Atom net_wm_state_modal = 0;
    Atom net_wm_window_type = 0;
    Atom net_wm_window_type_normal = 0;
    Atom net_wm_window_type_notification = 0;
    Atom net_wm_user_time = 0;
    Atom motif_wm_hints = 0;
    Atom net_frame_extents = 0;
    Atom net_workarea = 0;
    Atom net_current_desktop = 0;
    Atom net_active_window = 0;
    Atom net_supporting_wm_check = 0;
    Atom compositor = 0; // _NET_WM_CM_S<screen>, owned while a compositor runs
};

// What the host hears of each of its windows (an input context may add its own).
inline constexpr long window_events = ExposureMask | StructureNotifyMask | KeyPressMask | KeyReleaseMask
    | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask | LeaveWindowMask | FocusChangeMask
    | PropertyChangeMask;

// Every atom above in one round trip.
Atoms intern_atoms(Display* display, int screen);

// A 32-bit TrueColor visual when the server has one and a compositor runs;
// otherwise nothing, and a glass window stays opaque.
std::optional<XVisualInfo> transparent_visual(Display* display, int screen, Atoms const& atoms);

// Which caption buttons and frame functions the window offers, and whether
// it has a frame at all (_MOTIF_WM_HINTS).
void set_motif_hints(Display* display, Window window, Atoms const& atoms, WindowStyles const& styles);

// _NET_WM_NAME and _NET_WM_ICON_NAME as UTF-8, and WM_NAME and WM_ICON_NAME
// as STRING when the title is Latin-1 text, so that tools reading either find
// the window by its title. False when the title needs COMPOUND_TEXT, which
// set_compound_window_name writes.
bool set_window_name(Display* display, Window window, Atoms const& atoms, std::string const& title);
// WM_NAME and WM_ICON_NAME in the ICCCM encodings through the locale's
// converters, whose database libX11 parses on first use.
void set_compound_window_name(Display* display, Window window, std::string const& title);

// The title in Latin-1 when it is printable Latin-1 text (tab and newline
// allowed), as a STRING property holds it; nothing otherwise.
std::optional<std::string> latin1_text(std::string_view utf8);

// WM_CLIENT_MACHINE and WM_LOCALE_NAME, as XSetWMProperties writes them,
// without its round trip for the locale's atom.
void set_client_properties(Display* display, Window window, Atoms const& atoms);

void set_atom_list(Display* display, Window window, Atom property, std::span<Atom const> values);
void set_cardinals(Display* display, Window window, Atom property, Atom type, std::span<long const> values);

// A property of 32-bit items (CARDINAL, WINDOW...) of any type, at most `limit` of them.
std::vector<long> read_cardinals(Display* display, Window window, Atom property, long limit);

// Whether a window manager that follows the desktop conventions runs.
bool has_window_manager(Display* display, Atoms const& atoms);

// The icon as _NET_WM_ICON wants it: width, height, then straight-alpha
// ARGB pixels, one per long. Empty when the icon is larger than `limit` items.
std::vector<long> icon_property(std::span<std::uint8_t const> premultiplied_bgra, std::uint32_t width,
    std::uint32_t height, std::size_t limit);

// The address of the accessibility bus that its launcher left on the root
// window (AT_SPI_BUS), if it did; asks the X server only, no bus.
std::optional<std::string> accessibility_bus_from_root_window(Display* display);

}
