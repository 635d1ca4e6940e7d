// Parsing of the words the layout setters accept.
#include "core/tree/node.hpp"

namespace orvy {

Justify parse_justify(std::string_view word)
{
    if (word == "cnt")
        return Justify::Center;
    if (word == "end")
        return Justify::End;
    if (word == "btw")
        return Justify::Between;
    return Justify::Start;
}

Cross parse_cross(std::string_view word)
{
    if (word == "st")
        return Cross::Start;
    if (word == "cnt")
        return Cross::Center;
    if (word == "end")
        return Cross::End;
    return Cross::Stretch;
}

PackSide parse_pack_side(std::string_view word)
{
    switch (word.empty() ? 't' : word.front()) {
    case 'b': return PackSide::Bottom;
    case 'l': return PackSide::Left;
    case 'r': return PackSide::Right;
    default: return PackSide::Top;
    }
}

PackFill parse_pack_fill(std::string_view word)
{
    if (word == "x")
        return PackFill::X;
    if (word == "y")
        return PackFill::Y;
    if (word == "xy" || word == "both")
        return PackFill::Both;
    return PackFill::None;
}

Axis parse_axis(std::string_view word)
{
    return !word.empty() && word.front() == 'h' ? Axis::Horizontal : Axis::Vertical;
}

}
