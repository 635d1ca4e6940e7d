// The calling thread's style state (sheets, watched file, font families),
// shared by every window created on the thread.
#pragma once

#include "core/style/css.hpp"

namespace orvy::py {

StyleContext& thread_styles();

}
