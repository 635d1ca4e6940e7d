// The plain computations of the window procedure and render device.
#include "platform/win32/detail/messages.hpp"
#include "tests/win32/check.hpp"

#include <cstring>

using namespace orvy;
using namespace orvy::win32;

TEST_CASE(mouse_and_wheel_parameters_are_signed_words)
{
    CHECK((unpack_point(0x00280014) == PackedPoint { 20, 40 }));
    // Captured outside the window: negative client coordinates.
    CHECK((unpack_point(0xFFF6FFFB) == PackedPoint { -5, -10 }));
    CHECK(wheel_delta(0x00780000) == 120);
    CHECK(wheel_delta(0xFF880000) == -120);
    CHECK((unpack_size(0x02D00500) == ClientSize { 1280, 720 }));
}

TEST_CASE(the_accent_policy_record_is_sixteen_bytes_in_order)
{
    AccentPolicy policy = accent_policy({ 3, 0x40101418 });
    std::uint32_t words[4];
    std::memcpy(words, &policy, sizeof words);
    CHECK(words[0] == 3);
    CHECK(words[1] == 2);
    CHECK(words[2] == 0x40101418);
    CHECK(words[3] == 0);
}

TEST_CASE(the_backdrop_follows_its_request_except_during_a_smoothed_move)
{
    BackdropState state { .requested = { 3, 0x40101418 }, .applied = { 3, 0x40101418 }, .blur = true };
    CHECK(!state.on_request({ 3, 0x40101418 }));
    CHECK((state.on_request({ 3, 0x80101418 }) == Backdrop { 3, 0x80101418 }));
    // Without drag smoothing the blur stays during a move.
    CHECK(!state.on_enter_move());
    state.drag_smooth = true;
    CHECK((state.on_enter_move() == Backdrop { 0, 0x80101418 }));
    CHECK(!state.on_request({ 0, 0x80101418 })); // held back while moving
    CHECK((state.on_exit_move() == Backdrop { 0, 0x80101418 }));
    CHECK((state.applied == Backdrop { 0, 0x80101418 }));

    BackdropState plain;
    CHECK(!plain.on_request({ 3, 0x40101418 }));
    CHECK(!plain.on_exit_move());
}

TEST_CASE(glass_swap_chains_are_for_composition_at_the_requested_size)
{
    SwapChainPlan window = plan_swap_chain(false, 800, 600);
    CHECK(!window.composition);
    CHECK(window.width == 0 && window.height == 0);
    CHECK(window.frame_latency_waitable && !window.premultiplied && !window.stretch);
    SwapChainPlan glass = plan_swap_chain(true, 800, 0);
    CHECK(glass.composition && glass.premultiplied && glass.stretch && !glass.frame_latency_waitable);
    CHECK(glass.width == 800 && glass.height == 1);
}
