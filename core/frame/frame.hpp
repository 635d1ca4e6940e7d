// The frame update: takes in the work queued since the previous frame and
// advances everything that moves with time (tweens, timers, spinners).
#pragma once

#include "core/tree/tree.hpp"

#include <string_view>

namespace orvy {

class StyleContext;

struct FrameContext {
    Instant now;
    // Reads the time again where the update has spent some of it: the
    // frame hook may run posted calls for a whole budget before the timers
    // are looked at. Without one the timers see `now`.
    Callback<Instant()> clock;
    float client_width = 0;
    float client_height = 0;
    StyleContext* styles = nullptr; // applies the stylesheet queue; none skips it
    bool timed_overlays_visible = false; // toasts and notifications keep frames coming
};

// Runs the update once. Returns true when anything was applied or is still
// moving, that is when a repaint is due.
bool frame_update(Tree& tree, FrameContext const& context);

// Applies the text boxes' pending texts in arrival order; returns whether
// there were any. Entries for other kinds or missing nodes are skipped.
bool apply_pending_text(Tree& tree);

// The horizontal scroll that keeps a single-line field's caret in view: the
// field shows `visible_width` pixels from the scroll position on; a caret
// left of it scrolls to the caret, a caret past it scrolls so that the caret
// sits at the right edge, and the scroll never goes below 0.
float caret_scroll(float scroll, float caret_x, float visible_width);

// Applies one node request; requests for nodes the tree does not have are
// skipped. Returns whether the node may show something new: false for a
// skipped request and for a value, flag or section set to what it was.
bool apply_request(Tree& tree, NodeRequest const& request);

// The eased progress of a tween at linear progress p in 0..1.
float ease(std::uint8_t easing, float p);
// The easing code of a name: "lin", "in" and "io", matched exactly; any
// other name is cubic out.
std::uint8_t easing_from_name(std::string_view name);

// How long the pointer rests on a node before its tooltip shows.
inline constexpr float tooltip_delay_seconds = 1.2f;
// Spinner speed in turns per second.
inline constexpr float spinner_turns_per_second = 1.6f;

// The interval a timer gets for a requested number of milliseconds: at
// least 1 ms; NaN counts as 1 ms and huge values are capped at a day, so the
// timer list only ever holds representable intervals.
std::chrono::nanoseconds timer_interval(float milliseconds);

}
