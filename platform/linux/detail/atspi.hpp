// AT-SPI's numbers and words for roles and states, and its character offsets.
#pragma once

#include "core/access/accessible.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvy::linux_platform::detail {

inline constexpr std::uint32_t atspi_role_frame = 23;
inline constexpr std::uint32_t atspi_role_application = 75;
inline constexpr std::uint32_t atspi_state_active = 1;
inline constexpr std::uint32_t atspi_state_resizable = 21;

std::uint32_t atspi_role(AccessibleRole role);
char const* atspi_role_name(AccessibleRole role);
std::uint32_t atspi_state(AccessibleState state);
char const* atspi_state_name(AccessibleState state);
// The two 32-bit words of an AT-SPI state set.
std::array<std::uint32_t, 2> atspi_state_set(AccessibleStates states);

// Characters (code points) in the first `units` UTF-16 units of the text.
std::size_t character_count(std::u16string_view text, std::size_t units);
// The UTF-16 unit at which character `characters` starts; the length past the end.
std::size_t unit_index(std::u16string_view text, std::int64_t characters);

}

namespace orvy::linux_platform::detail {

// The accessibility bus's address as its launcher tells it on the session
// bus; none without a session bus or a running launcher. Opens no lasting
// connection and starts nothing.
std::optional<std::string> accessibility_bus_from_session_bus();

}
