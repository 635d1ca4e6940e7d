// The few X11 requests SDL does not make for us.
#pragma once

#include "core/window/window.hpp"

#include <optional>
#include <string>

#include <SDL.h>

namespace orvy::linux_platform::detail {

// The id of a 32-bit TrueColor visual, as text for SDL's visual hint, when
// the X server has one and a compositor is running; otherwise nothing, and
// a glass window stays opaque.
std::optional<std::string> transparent_visual_id();

// Tells the window manager which caption buttons and frame functions the
// window offers. Nothing happens outside X11.
void set_window_functions(SDL_Window* window, WindowStyles const& styles);

// The window's X11 id, 0 outside X11.
unsigned long x11_window(SDL_Window* window);

// Marks a window that is not mapped yet as a notification, which window
// managers show without a frame and without giving it the focus.
void set_notification_type(SDL_Window* window);

// Writes WM_NAME and WM_ICON_NAME in the ICCCM encodings (STRING or
// COMPOUND_TEXT), so that tools reading them find the window by its title.
void set_legacy_window_name(SDL_Window* window, char const* title);

}

namespace orvy::linux_platform::detail {

// The address of the accessibility bus that its launcher left on the root
// window (AT_SPI_BUS), if it did; asks the X server only, no bus.
std::optional<std::string> accessibility_bus_from_root_window(SDL_Window* window);

}
