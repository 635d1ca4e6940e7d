// The parts of the window procedure and the render device that are plain
// computation: message parameter decoding, the accent policy record and the
// swap-chain plan. No Windows header, so they are checked anywhere.
#pragma once

#include "core/window/host.hpp"

#include <cstdint>
#include <optional>

namespace orvy::win32 {

// Client coordinates packed in a mouse message's lParam: the signed low and
// high words (negative while the pointer is captured outside the window).
struct PackedPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(PackedPoint const&, PackedPoint const&) = default;
};
constexpr PackedPoint unpack_point(std::uintptr_t lparam)
{
    return { static_cast<std::int16_t>(lparam & 0xFFFF), static_cast<std::int16_t>((lparam >> 16) & 0xFFFF) };
}

// The wheel delta in the signed high word of wParam; 120 a notch.
constexpr std::int32_t wheel_delta(std::uintptr_t wparam) { return static_cast<std::int16_t>((wparam >> 16) & 0xFFFF); }

// The size of a WM_SIZE lParam: width in the low word, height in the high word.
constexpr ClientSize unpack_size(std::uintptr_t lparam)
{
    return { static_cast<std::uint32_t>(lparam & 0xFFFF), static_cast<std::uint32_t>((lparam >> 16) & 0xFFFF) };
}

// The 16-byte record SetWindowCompositionAttribute takes for attribute 19.
struct AccentPolicy {
    std::uint32_t accent_state = 0;
    std::uint32_t accent_flags = 2;
    std::uint32_t gradient_color = 0; // 0xAABBGGRR
    std::uint32_t animation_id = 0;
};
static_assert(sizeof(AccentPolicy) == 16);

inline constexpr std::uint32_t window_composition_accent_policy = 19;

constexpr AccentPolicy accent_policy(Backdrop backdrop) { return { backdrop.accent_state, 2, backdrop.gradient, 0 }; }

// Whether a window's backdrop follows its request: blur is on and no
// smoothed move or size is in progress.
struct BackdropState {
    Backdrop requested;
    Backdrop applied;
    bool blur = false;
    bool drag_smooth = false;
    bool moving = false;

    // What to hand the compositor now, if anything.
    std::optional<Backdrop> on_request(Backdrop wanted)
    {
        requested = wanted;
        if (!blur || moving || requested == applied)
            return std::nullopt;
        applied = requested;
        return applied;
    }
    // Entering a move or size: a smoothed drag drops the blur, without
    // recording that as applied.
    std::optional<Backdrop> on_enter_move()
    {
        if (!blur || !drag_smooth)
            return std::nullopt;
        moving = true;
        return Backdrop { 0, applied.gradient };
    }
    // Leaving it: the request comes back.
    std::optional<Backdrop> on_exit_move()
    {
        if (!blur)
            return std::nullopt;
        moving = false;
        applied = requested;
        return applied;
    }
};

// How the swap chain of a window is made: on the window handle with the
// frame-latency object, or for composition (glass) at the requested size
// with premultiplied alpha.
struct SwapChainPlan {
    bool composition = false;
    std::uint32_t width = 0; // 0 on the window path: taken from the window
    std::uint32_t height = 0;
    bool stretch = false;            // scaling stretch (composition) or none
    bool premultiplied = false;      // alpha mode premultiplied or ignore
    bool frame_latency_waitable = false;
    friend bool operator==(SwapChainPlan const&, SwapChainPlan const&) = default;
};
constexpr SwapChainPlan plan_swap_chain(bool glass, std::int32_t width, std::int32_t height)
{
    if (!glass)
        return { .frame_latency_waitable = true };
    return { .composition = true,
        .width = static_cast<std::uint32_t>(width < 1 ? 1 : width),
        .height = static_cast<std::uint32_t>(height < 1 ? 1 : height),
        .stretch = true,
        .premultiplied = true };
}

}
