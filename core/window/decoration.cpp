// Caption colour parsing.
#include "core/window/decoration.hpp"

namespace orvy {

std::optional<std::uint32_t> parse_frame_color(std::string_view text)
{
    while (!text.empty() && text.front() == '#')
        text.remove_prefix(1);
    text = text.substr(0, 6);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : text) {
        int digit = c >= '0' && c <= '9' ? c - '0'
            : c >= 'a' && c <= 'f'       ? c - 'a' + 10
            : c >= 'A' && c <= 'F'       ? c - 'A' + 10
                                         : -1;
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

}
