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

}
