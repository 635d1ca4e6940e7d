// AT-SPI role and state numbers for the accessible view's roles and states.
#include "platform/linux/detail/atspi.hpp"

namespace orvy::linux_platform::detail {

namespace {

struct RoleEntry {
    std::uint32_t number;
    char const* name;
};

// Indexed by AccessibleRole.
constexpr RoleEntry roles[] = {
    { 39, "panel" }, { 23, "frame" }, { 29, "label" }, { 43, "push button" }, { 7, "check box" },
    { 44, "radio button" }, { 62, "toggle button" }, { 51, "slider" }, { 52, "spin button" },
    { 42, "progress bar" }, { 103, "level bar" }, { 15, "dial" }, { 88, "link" }, { 79, "entry" },
    { 40, "password text" }, { 11, "combo box" }, { 31, "list" }, { 32, "list item" }, { 55, "table" },
    { 90, "table row" }, { 56, "table cell" }, { 10, "column header" }, { 65, "tree" }, { 91, "tree item" },
    { 38, "page tab list" }, { 37, "page tab" }, { 34, "menu bar" }, { 33, "menu" }, { 35, "menu item" },
    { 16, "dialog" }, { 2, "alert" }, { 101, "notification" }, { 49, "scroll pane" }, { 53, "split pane" },
    { 50, "separator" }, { 27, "image" }, { 5, "calendar" }, { 9, "color chooser" }, { 60, "terminal" },
    { 54, "status bar" }, { 99, "grouping" }, { 6, "canvas" }, { 80, "chart" }, { 3, "animation" },
    { 114, "rating" }, { 12, "date editor" }, { 20, "filler" },
};
static_assert(std::size(roles) == static_cast<std::size_t>(AccessibleRole::Filler) + 1);

struct StateEntry {
    std::uint32_t number;
    char const* name;
};

// Indexed by AccessibleState.
constexpr StateEntry states[] = {
    { 8, "enabled" }, { 24, "sensitive" }, { 11, "focusable" }, { 12, "focused" }, { 41, "checkable" },
    { 4, "checked" }, { 20, "pressed" }, { 22, "selectable" }, { 23, "selected" }, { 9, "expandable" },
    { 10, "expanded" }, { 5, "collapsed" }, { 30, "visible" }, { 25, "showing" }, { 7, "editable" },
    { 17, "multi-line" }, { 26, "single-line" }, { 18, "multiselectable" }, { 16, "modal" }, { 14, "horizontal" },
    { 29, "vertical" }, { 43, "read-only" }, { 13, "has-tooltip" }, { 1, "active" },
};
static_assert(std::size(states) == static_cast<std::size_t>(AccessibleState::Active) + 1);

bool is_high_surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

}

std::uint32_t atspi_role(AccessibleRole role) { return roles[static_cast<std::size_t>(role)].number; }
char const* atspi_role_name(AccessibleRole role) { return roles[static_cast<std::size_t>(role)].name; }
std::uint32_t atspi_state(AccessibleState state) { return states[static_cast<std::size_t>(state)].number; }
char const* atspi_state_name(AccessibleState state) { return states[static_cast<std::size_t>(state)].name; }

std::array<std::uint32_t, 2> atspi_state_set(AccessibleStates set)
{
    std::array<std::uint32_t, 2> words {};
    for (std::size_t i = 0; i < std::size(states); ++i) {
        if (set.has(static_cast<AccessibleState>(i))) {
            std::uint32_t number = states[i].number;
            words[number / 32] |= std::uint32_t { 1 } << (number % 32);
        }
    }
    return words;
}

std::size_t character_count(std::u16string_view text, std::size_t units)
{
    units = std::min(units, text.size());
    std::size_t count = 0;
    for (std::size_t i = 0; i < units; ++i) {
        if (!(i > 0 && is_high_surrogate(text[i - 1]) && text[i] >= 0xDC00 && text[i] <= 0xDFFF))
            ++count;
    }
    return count;
}

std::size_t unit_index(std::u16string_view text, std::int64_t characters)
{
    if (characters <= 0)
        return 0;
    std::size_t i = 0;
    for (std::int64_t seen = 0; i < text.size() && seen < characters; ++seen)
        i += is_high_surrogate(text[i]) && i + 1 < text.size() ? 2 : 1;
    return i;
}

}
