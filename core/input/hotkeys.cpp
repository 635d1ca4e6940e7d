// Hot-key specifications and matching.
#include "core/input/hotkeys.hpp"

#include "core/window/host.hpp"

#include <algorithm>
#include <array>
#include <utility>

namespace orvy {

namespace {

bool is_white_space(char16_t unit)
{
    return (unit >= 0x09 && unit <= 0x0D) || unit == 0x20 || unit == 0x85 || unit == 0xA0 || unit == 0x1680
        || (unit >= 0x2000 && unit <= 0x200A) || unit == 0x2028 || unit == 0x2029 || unit == 0x202F
        || unit == 0x205F || unit == 0x3000;
}

std::u16string token_of(std::u16string_view piece)
{
    while (!piece.empty() && is_white_space(piece.front()))
        piece.remove_prefix(1);
    while (!piece.empty() && is_white_space(piece.back()))
        piece.remove_suffix(1);
    std::u16string token(piece);
    for (char16_t& unit : token) {
        if (unit >= u'A' && unit <= u'Z')
            unit = static_cast<char16_t>(unit - u'A' + u'a');
    }
    return token;
}

constexpr std::array<std::pair<std::u16string_view, std::uint32_t>, 19> named_keys { {
    { u"up", 0x26 }, { u"down", 0x28 }, { u"left", 0x25 }, { u"right", 0x27 }, { u"home", 0x24 }, { u"end", 0x23 },
    { u"pageup", 0x21 }, { u"pagedown", 0x22 }, { u"tab", 0x09 }, { u"enter", 0x0D }, { u"return", 0x0D },
    { u"esc", 0x1B }, { u"escape", 0x1B }, { u"space", 0x20 }, { u"backspace", 0x08 }, { u"del", 0x2E },
    { u"delete", 0x2E }, { u"ins", 0x2D }, { u"insert", 0x2D },
} };

std::optional<std::uint32_t> key_of(std::u16string_view token)
{
    if (token.size() == 1 && token[0] >= u'a' && token[0] <= u'z')
        return static_cast<std::uint32_t>(token[0] - u'a' + 'A');
    if (token.size() == 1 && token[0] >= u'0' && token[0] <= u'9')
        return static_cast<std::uint32_t>(token[0]);
    if (token == u"plus")
        return 0xBB;
    if (token == u"minus")
        return 0xBD;
    for (auto const& [name, key] : named_keys) {
        if (token == name)
            return key;
    }
    // "f" and a decimal number 1..24 (leading zeros allowed).
    if (token.size() >= 2 && token[0] == u'f') {
        std::uint32_t number = 0;
        for (char16_t unit : token.substr(1)) {
            if (unit < u'0' || unit > u'9')
                return std::nullopt;
            number = std::min<std::uint32_t>(number * 10 + static_cast<std::uint32_t>(unit - u'0'), 1000);
        }
        if (number >= 1 && number <= 24)
            return 0x70 + number - 1;
    }
    return std::nullopt;
}

}

std::optional<HotKeySpec> parse_hotkey(std::u16string_view spec)
{
    HotKeySpec parsed;
    bool has_key = false;
    while (true) {
        std::size_t plus = spec.find(u'+');
        std::u16string token = token_of(spec.substr(0, plus));
        if (!token.empty()) {
            if (token == u"ctrl" || token == u"control")
                parsed.modifiers |= key_modifier::control;
            else if (token == u"shift")
                parsed.modifiers |= key_modifier::shift;
            else if (token == u"alt")
                parsed.modifiers |= key_modifier::alt;
            else if (auto key = key_of(token)) {
                parsed.key = *key;
                has_key = true;
            } else {
                return std::nullopt;
            }
        }
        if (plus == std::u16string_view::npos)
            break;
        spec.remove_prefix(plus + 1);
    }
    if (!has_key)
        return std::nullopt;
    return parsed;
}

bool run_hotkey(Tree& tree, std::uint32_t key, std::uint8_t modifiers)
{
    if (key == 0x6D)
        key = 0xBD;
    else if (key == 0x6B)
        key = 0xBB;
    std::size_t index = 0;
    for (; index < tree.hotkeys.size(); ++index) {
        if (tree.hotkeys[index].key == key && tree.hotkeys[index].modifiers == modifiers)
            break;
    }
    if (index == tree.hotkeys.size())
        return false;
    std::vector<HotKey> table = std::move(tree.hotkeys);
    tree.hotkeys.clear();
    if (table[index].handler)
        table[index].handler(tree);
    // Entries the handler added go after the existing ones.
    std::vector<HotKey> added = std::move(tree.hotkeys);
    tree.hotkeys = std::move(table);
    for (HotKey& entry : added)
        tree.hotkeys.push_back(std::move(entry));
    return true;
}

}
