// AtspiBridge: the AT-SPI interfaces served on each object — Accessible,
// Component, Action, Value, Text, EditableText, Selection, Application —
// and their properties.
#include "platform/linux/atspi_bridge.hpp"

#include "core/window/platform.hpp"
#include "platform/linux/detail/atspi.hpp"
#include "platform/linux/detail/utf.hpp"
#include "platform/linux/x11_host.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <gio/gio.h>

namespace orvy::linux_platform {

namespace {

constexpr char accessible_interface[] = "org.a11y.atspi.Accessible";

bool is(char const* a, char const* b) { return std::strcmp(a, b) == 0; }

GVariant* boolean_reply(bool value) { return g_variant_new("(b)", value); }

std::string utf8(Text const& text) { return detail::to_utf8(text); }

// A range of the text, in characters, for a boundary around an offset.
struct Span {
    std::size_t start = 0; // UTF-16 units
    std::size_t end = 0;
};

bool is_word_unit(char16_t unit) { return unit > u' ' && unit != u'.' && unit != u',' && unit != u';'; }

// granularity: 0 character, 1 word, 2 sentence, 3 and 4 line or paragraph.
Span span_at(std::u16string_view text, std::size_t at, std::uint32_t granularity)
{
    at = std::min(at, text.size());
    if (granularity == 0)
        return { at, std::min(text.size(), detail::unit_index(text, detail::character_count(text, at) + 1)) };
    auto inside = granularity == 1 ? is_word_unit : [](char16_t unit) { return unit != u'\n'; };
    std::size_t start = at, end = at;
    while (start > 0 && inside(text[start - 1]))
        --start;
    while (end < text.size() && inside(text[end]))
        ++end;
    return { start, end };
}

// The old boundary types of GetTextAtOffset, as granularities.
std::uint32_t granularity_of_boundary(std::uint32_t boundary)
{
    switch (boundary) {
    case 0: return 0;
    case 1:
    case 2: return 1;
    case 3:
    case 4: return 2;
    default: return 3;
    }
}

Text first_label(AccessibleView const& view, AccessibleRef ref)
{
    for (AccessibleRef child : view.children(ref)) {
        AccessibleInfo info = view.describe(child);
        Text name = info.role == AccessibleRole::Label ? info.name : first_label(view, child);
        if (!name.empty())
            return name;
    }
    return {};
}

}

AccessibleInfo AtspiBridge::info_of(Target const& target, Window& window) const
{
    AccessibleInfo info = window.view->describe(target.ref);
    if (target.ref == window.view->root()) {
        info.role = window.role;
        info.name = detail::to_utf16(window.title.c_str());
        // An untitled window (a push notification) is named by its first label.
        if (info.name.empty())
            info.name = first_label(*window.view, target.ref);
        info.states.set(AccessibleState::Active, window.active);
    }
    return info;
}

std::vector<std::string> AtspiBridge::interfaces_of(Target const& target, Window& window) const
{
    std::vector<std::string> names { accessible_interface, "org.a11y.atspi.Component" };
    AccessibleInfo info = info_of(target, window);
    if (!info.actions.empty())
        names.emplace_back("org.a11y.atspi.Action");
    if (info.value)
        names.emplace_back("org.a11y.atspi.Value");
    if (info.has_text) {
        names.emplace_back("org.a11y.atspi.Text");
        if (info.states.has(AccessibleState::Editable))
            names.emplace_back("org.a11y.atspi.EditableText");
    }
    if (info.has_selection)
        names.emplace_back("org.a11y.atspi.Selection");
    return names;
}

GVariant* AtspiBridge::call(Target const& target, Window* window, char const* interface, char const* member,
    GVariant* args, std::string& error)
{
    if (is(interface, "org.freedesktop.DBus.Properties")) {
        char const* wanted_interface = nullptr;
        char const* name = nullptr;
        if (is(member, "Get") && args && g_variant_is_of_type(args, G_VARIANT_TYPE("(ss)"))) {
            g_variant_get(args, "(&s&s)", &wanted_interface, &name);
            if (GVariant* value = property(target, window, wanted_interface, name))
                return g_variant_new("(v)", value);
            error = "org.freedesktop.DBus.Error.UnknownProperty";
            return nullptr;
        }
        if (is(member, "Set") && args && g_variant_is_of_type(args, G_VARIANT_TYPE("(ssv)"))) {
            GVariant* value = nullptr;
            g_variant_get(args, "(&s&sv)", &wanted_interface, &name, &value);
            bool done = false;
            if (target.application && is(name, "Id") && g_variant_is_of_type(value, G_VARIANT_TYPE_INT32)) {
                m_application_id = g_variant_get_int32(value);
                done = true;
            } else if (window && is(name, "CurrentValue") && g_variant_is_of_type(value, G_VARIANT_TYPE_DOUBLE)) {
                done = window->view->set_value(target.ref, g_variant_get_double(value));
                if (done)
                    repaint(*window);
            }
            g_variant_unref(value);
            if (done)
                return g_variant_new("()");
            error = "org.freedesktop.DBus.Error.PropertyReadOnly";
            return nullptr;
        }
        if (is(member, "GetAll") && args && g_variant_is_of_type(args, G_VARIANT_TYPE("(s)"))) {
            g_variant_get(args, "(&s)", &wanted_interface);
            GVariantBuilder all;
            g_variant_builder_init(&all, G_VARIANT_TYPE("a{sv}"));
            static char const* const names[] = { "Name", "Description", "Parent", "ChildCount", "Locale",
                "AccessibleId", "ToolkitName", "Version", "AtspiVersion", "Id", "NActions", "MinimumValue",
                "MaximumValue", "MinimumIncrement", "CurrentValue", "Text", "CharacterCount", "CaretOffset",
                "NSelectedChildren" };
            for (char const* candidate : names) {
                if (GVariant* value = property(target, window, wanted_interface, candidate))
                    g_variant_builder_add(&all, "{sv}", candidate, value);
            }
            return g_variant_new("(a{sv})", &all);
        }
        return nullptr;
    }
    if (target.application)
        return call_application(interface, member, args, error);
    if (is(interface, accessible_interface))
        return call_accessible(target, *window, member, args);
    if (is(interface, "org.a11y.atspi.Component"))
        return call_component(target, *window, member, args);
    if (is(interface, "org.a11y.atspi.Action"))
        return call_action(target, *window, member, args);
    if (is(interface, "org.a11y.atspi.Text"))
        return call_text(target, *window, member, args);
    if (is(interface, "org.a11y.atspi.EditableText"))
        return call_editable_text(target, *window, member, args);
    if (is(interface, "org.a11y.atspi.Selection"))
        return call_selection(target, *window, member, args);
    return nullptr;
}

GVariant* AtspiBridge::call_application(char const* interface, char const* member, GVariant* args, std::string& error)
{
    if (is(interface, "org.a11y.atspi.Cache") && is(member, "GetItems"))
        return g_variant_new("(@a((so)(so)(so)iiassusau))",
            g_variant_new_array(G_VARIANT_TYPE("((so)(so)(so)iiassusau)"), nullptr, 0));
    if (is(interface, "org.a11y.atspi.Application") && is(member, "GetLocale"))
        return g_variant_new("(s)", "");
    if (!is(interface, accessible_interface)) {
        error = "org.freedesktop.DBus.Error.UnknownInterface";
        return nullptr;
    }
    if (is(member, "GetRole"))
        return g_variant_new("(u)", detail::atspi_role_application);
    if (is(member, "GetRoleName") || is(member, "GetLocalizedRoleName"))
        return g_variant_new("(s)", "application");
    if (is(member, "GetState")) {
        return g_variant_new("(@au)", g_variant_new_fixed_array(G_VARIANT_TYPE_UINT32, std::array<std::uint32_t, 2> {}.data(), 2, 4));
    }
    if (is(member, "GetInterfaces")) {
        char const* names[] = { accessible_interface, "org.a11y.atspi.Application", nullptr };
        return g_variant_new("(^as)", names);
    }
    if (is(member, "GetChildren")) {
        GVariantBuilder children;
        g_variant_builder_init(&children, G_VARIANT_TYPE("a(so)"));
        for (auto const& [id, window] : m_windows)
            g_variant_builder_add_value(&children, reference(id, window.view->root()));
        return g_variant_new("(a(so))", &children);
    }
    if (is(member, "GetChildAtIndex") && args && g_variant_is_of_type(args, G_VARIANT_TYPE("(i)"))) {
        std::int32_t index = 0;
        g_variant_get(args, "(i)", &index);
        if (index < 0 || static_cast<std::size_t>(index) >= m_windows.size())
            return g_variant_new("(@(so))", null_reference());
        auto at = std::next(m_windows.begin(), index);
        return g_variant_new("(@(so))", reference(at->first, at->second.view->root()));
    }
    if (is(member, "GetIndexInParent"))
        return g_variant_new("(i)", -1);
    if (is(member, "GetApplication"))
        return g_variant_new("(@(so))", application_reference());
    if (is(member, "GetRelationSet"))
        return g_variant_new("(@a(ua(so)))", g_variant_new_array(G_VARIANT_TYPE("(ua(so))"), nullptr, 0));
    if (is(member, "GetAttributes"))
        return g_variant_new("(@a{ss})", g_variant_new_array(G_VARIANT_TYPE("{ss}"), nullptr, 0));
    return nullptr;
}

GVariant* AtspiBridge::call_accessible(Target const& target, Window& window, char const* member, GVariant* args)
{
    AccessibleView& view = *window.view;
    if (is(member, "GetRole"))
        return g_variant_new("(u)", detail::atspi_role(info_of(target, window).role));
    if (is(member, "GetRoleName") || is(member, "GetLocalizedRoleName"))
        return g_variant_new("(s)", detail::atspi_role_name(info_of(target, window).role));
    if (is(member, "GetState")) {
        auto words = detail::atspi_state_set(info_of(target, window).states);
        if (target.ref == view.root())
            words[0] |= 1u << detail::atspi_state_resizable;
        return g_variant_new("(@au)", g_variant_new_fixed_array(G_VARIANT_TYPE_UINT32, words.data(), 2, 4));
    }
    if (is(member, "GetInterfaces")) {
        std::vector<std::string> names = interfaces_of(target, window);
        GVariantBuilder list;
        g_variant_builder_init(&list, G_VARIANT_TYPE("as"));
        for (std::string const& name : names)
            g_variant_builder_add(&list, "s", name.c_str());
        return g_variant_new("(as)", &list);
    }
    if (is(member, "GetChildren")) {
        GVariantBuilder children;
        g_variant_builder_init(&children, G_VARIANT_TYPE("a(so)"));
        for (AccessibleRef child : view.children(target.ref))
            g_variant_builder_add_value(&children, reference(target.window, child));
        return g_variant_new("(a(so))", &children);
    }
    if (is(member, "GetChildAtIndex") && args && g_variant_is_of_type(args, G_VARIANT_TYPE("(i)"))) {
        std::int32_t index = 0;
        g_variant_get(args, "(i)", &index);
        std::vector<AccessibleRef> children = view.children(target.ref);
        if (index < 0 || static_cast<std::size_t>(index) >= children.size())
            return g_variant_new("(@(so))", null_reference());
        return g_variant_new("(@(so))", reference(target.window, children[static_cast<std::size_t>(index)]));
    }
    if (is(member, "GetIndexInParent")) {
        if (target.ref == view.root())
            return g_variant_new("(i)", static_cast<std::int32_t>(std::distance(m_windows.begin(), m_windows.find(target.window))));
        auto parent = view.parent(target.ref);
        std::vector<AccessibleRef> siblings = parent ? view.children(*parent) : std::vector<AccessibleRef> {};
        auto at = std::find(siblings.begin(), siblings.end(), target.ref);
        return g_variant_new("(i)", at == siblings.end() ? -1 : static_cast<std::int32_t>(at - siblings.begin()));
    }
    if (is(member, "GetApplication"))
        return g_variant_new("(@(so))", application_reference());
    if (is(member, "GetRelationSet"))
        return g_variant_new("(@a(ua(so)))", g_variant_new_array(G_VARIANT_TYPE("(ua(so))"), nullptr, 0));
    if (is(member, "GetAttributes")) {
        GVariantBuilder attributes;
        g_variant_builder_init(&attributes, G_VARIANT_TYPE("a{ss}"));
        g_variant_builder_add(&attributes, "{ss}", "toolkit", "orvy");
        return g_variant_new("(a{ss})", &attributes);
    }
    return nullptr;
}

GVariant* AtspiBridge::call_component(Target const& target, Window& window, char const* member, GVariant* args)
{
    AccessibleInfo info = info_of(target, window);
    RectF rect = info.extents;
    auto shift_for = [&](std::uint32_t type) { return coordinate_shift(target, window, type); };
    if (is(member, "GetExtents") && args && g_variant_is_of_type(args, G_VARIANT_TYPE("(u)"))) {
        std::uint32_t coordinates = 0;
        g_variant_get(args, "(u)", &coordinates);
        PointF shift = target.ref == window.view->root() && coordinates != 0 ? PointF {} : shift_for(coordinates);
        return g_variant_new("((iiii))", static_cast<int>(rect.x + shift.x), static_cast<int>(rect.y + shift.y),
            static_cast<int>(rect.w), static_cast<int>(rect.h));
    }
    if (is(member, "GetPosition") && args && g_variant_is_of_type(args, G_VARIANT_TYPE("(u)"))) {
        std::uint32_t coordinates = 0;
        g_variant_get(args, "(u)", &coordinates);
        PointF shift = shift_for(coordinates);
        return g_variant_new("(ii)", static_cast<int>(rect.x + shift.x), static_cast<int>(rect.y + shift.y));
    }
    if (is(member, "GetSize"))
        return g_variant_new("(ii)", static_cast<int>(rect.w), static_cast<int>(rect.h));
    if ((is(member, "Contains") || is(member, "GetAccessibleAtPoint")) && args
        && g_variant_is_of_type(args, G_VARIANT_TYPE("(iiu)"))) {
        std::int32_t x = 0, y = 0;
        std::uint32_t coordinates = 0;
        g_variant_get(args, "(iiu)", &x, &y, &coordinates);
        PointF shift = shift_for(coordinates);
        PointF client { static_cast<float>(x) - shift.x, static_cast<float>(y) - shift.y };
        bool inside = rect.contains(client.x, client.y);
        if (is(member, "Contains"))
            return boolean_reply(inside);
        auto found = inside ? window.view->at_point(client) : std::nullopt;
        return g_variant_new("(@(so))", found ? reference(target.window, *found) : null_reference());
    }
    if (is(member, "GetLayer"))
        return g_variant_new("(u)", target.ref == window.view->root() ? 7u : 3u); // window, widget
    if (is(member, "GetMDIZOrder"))
        return g_variant_new("(n)", static_cast<std::int16_t>(0));
    if (is(member, "GetAlpha"))
        return g_variant_new("(d)", 1.0);
    if (is(member, "GrabFocus")) {
        bool done = window.view->grab_focus(target.ref);
        if (done)
            repaint(window);
        return boolean_reply(done);
    }
    if (is(member, "SetExtents") || is(member, "SetPosition") || is(member, "SetSize") || is(member, "ScrollTo")
        || is(member, "ScrollToPoint"))
        return boolean_reply(false);
    return nullptr;
}

GVariant* AtspiBridge::call_action(Target const& target, Window& window, char const* member, GVariant* args)
{
    AccessibleInfo info = info_of(target, window);
    if (is(member, "GetActions")) {
        GVariantBuilder actions;
        g_variant_builder_init(&actions, G_VARIANT_TYPE("a(sss)"));
        for (std::string_view action : info.actions) {
            std::string name(action);
            g_variant_builder_add(&actions, "(sss)", name.c_str(), name.c_str(), "");
        }
        return g_variant_new("(a(sss))", &actions);
    }
    if (!args || !g_variant_is_of_type(args, G_VARIANT_TYPE("(i)")))
        return nullptr;
    std::int32_t index = 0;
    g_variant_get(args, "(i)", &index);
    bool known = index >= 0 && static_cast<std::size_t>(index) < info.actions.size();
    std::string name = known ? std::string(info.actions[static_cast<std::size_t>(index)]) : std::string();
    if (is(member, "GetName") || is(member, "GetLocalizedName") || is(member, "GetDescription"))
        return g_variant_new("(s)", name.c_str());
    if (is(member, "GetKeyBinding"))
        return g_variant_new("(s)", "");
    if (is(member, "DoAction")) {
        bool done = known && window.view->do_action(target.ref, static_cast<std::size_t>(index));
        if (done)
            repaint(window);
        return boolean_reply(done);
    }
    return nullptr;
}

GVariant* AtspiBridge::call_text(Target const& target, Window& window, char const* member, GVariant* args)
{
    std::optional<AccessibleText> content = window.view->text(target.ref);
    if (!content)
        return nullptr;
    Text const& text = content->text;
    auto characters = [&](std::size_t units) { return static_cast<std::int32_t>(detail::character_count(text, units)); };
    auto units = [&](std::int32_t offset) { return detail::unit_index(text, offset < 0 ? text.size() * 2 : offset); };
    auto piece = [&](Span span) {
        return g_variant_new("(sii)", utf8(text.substr(span.start, span.end - span.start)).c_str(),
            characters(span.start), characters(span.end));
    };
    if (is(member, "GetText") && args && g_variant_is_of_type(args, G_VARIANT_TYPE("(ii)"))) {
        std::int32_t start = 0, end = 0;
        g_variant_get(args, "(ii)", &start, &end);
        std::size_t from = units(std::max(start, 0)), to = std::max(from, units(end));
        return g_variant_new("(s)", utf8(text.substr(from, to - from)).c_str());
    }
    if (is(member, "GetCharacterAtOffset") && args && g_variant_is_of_type(args, G_VARIANT_TYPE("(i)"))) {
        std::int32_t offset = 0;
        g_variant_get(args, "(i)", &offset);
        std::size_t at = units(offset);
        std::int32_t code = 0;
        if (at < text.size()) {
            code = text[at];
            if (code >= 0xD800 && code <= 0xDBFF && at + 1 < text.size())
                code = 0x10000 + ((code - 0xD800) << 10) + (text[at + 1] - 0xDC00);
        }
        return g_variant_new("(i)", code);
    }
    if (is(member, "GetStringAtOffset") && args && g_variant_is_of_type(args, G_VARIANT_TYPE("(iu)"))) {
        std::int32_t offset = 0;
        std::uint32_t granularity = 0;
        g_variant_get(args, "(iu)", &offset, &granularity);
        return piece(span_at(text, units(offset), granularity));
    }
    if ((is(member, "GetTextAtOffset") || is(member, "GetTextBeforeOffset") || is(member, "GetTextAfterOffset")) && args
        && g_variant_is_of_type(args, G_VARIANT_TYPE("(iu)"))) {
        std::int32_t offset = 0;
        std::uint32_t boundary = 0;
        g_variant_get(args, "(iu)", &offset, &boundary);
        std::uint32_t granularity = granularity_of_boundary(boundary);
        Span span = span_at(text, units(offset), granularity);
        if (is(member, "GetTextBeforeOffset"))
            span = span.start == 0 ? Span {} : span_at(text, span.start - 1, granularity);
        else if (is(member, "GetTextAfterOffset"))
            span = span.end >= text.size() ? Span { text.size(), text.size() } : span_at(text, span.end + (granularity ? 1 : 0), granularity);
        return piece(span);
    }
    if (is(member, "GetNSelections"))
        return g_variant_new("(i)", content->caret != content->anchor ? 1 : 0);
    if (is(member, "GetSelection")) {
        std::size_t low = std::min(content->caret, content->anchor), high = std::max(content->caret, content->anchor);
        return g_variant_new("(ii)", characters(low), characters(high));
    }
    if (is(member, "SetCaretOffset") && args && g_variant_is_of_type(args, G_VARIANT_TYPE("(i)"))) {
        std::int32_t offset = 0;
        g_variant_get(args, "(i)", &offset);
        bool done = window.view->set_caret(target.ref, units(offset), units(offset));
        if (done)
            repaint(window);
        return boolean_reply(done);
    }
    if ((is(member, "SetSelection") || is(member, "AddSelection")) && args) {
        std::int32_t selection = 0, start = 0, end = 0;
        if (g_variant_is_of_type(args, G_VARIANT_TYPE("(iii)")))
            g_variant_get(args, "(iii)", &selection, &start, &end);
        else if (g_variant_is_of_type(args, G_VARIANT_TYPE("(ii)")))
            g_variant_get(args, "(ii)", &start, &end);
        else
            return nullptr;
        bool done = selection == 0 && window.view->set_caret(target.ref, units(end), units(start));
        if (done)
            repaint(window);
        return boolean_reply(done);
    }
    if (is(member, "RemoveSelection")) {
        bool done = window.view->set_caret(target.ref, content->caret, content->caret);
        if (done)
            repaint(window);
        return boolean_reply(done);
    }
    if (is(member, "GetAttributes") || is(member, "GetAttributeRun")) {
        return g_variant_new("(@a{ss}ii)", g_variant_new_array(G_VARIANT_TYPE("{ss}"), nullptr, 0), 0,
            characters(text.size()));
    }
    if (is(member, "GetDefaultAttributes") || is(member, "GetDefaultAttributeSet"))
        return g_variant_new("(@a{ss})", g_variant_new_array(G_VARIANT_TYPE("{ss}"), nullptr, 0));
    if (is(member, "GetAttributeValue"))
        return g_variant_new("(s)", "");
    if (is(member, "GetCharacterExtents") || is(member, "GetRangeExtents")) {
        std::int32_t start = 0, end = 0;
        std::uint32_t type = 0;
        if (args && g_variant_is_of_type(args, G_VARIANT_TYPE("(iu)"))) {
            g_variant_get(args, "(iu)", &start, &type);
            end = start + 1;
        } else if (args && g_variant_is_of_type(args, G_VARIANT_TYPE("(iiu)"))) {
            g_variant_get(args, "(iiu)", &start, &end, &type);
        } else {
            return nullptr;
        }
        std::size_t from = units(std::max(start, 0));
        // Text without a layout of its own (a label, the terminal's lines) stands in its node's box.
        RectF rect = window.view->text_extents(target.ref, from, std::max(from, units(end)))
                         .value_or(info_of(target, window).extents);
        PointF shift = coordinate_shift(target, window, type);
        return g_variant_new("(iiii)", static_cast<int>(std::lround(rect.x + shift.x)),
            static_cast<int>(std::lround(rect.y + shift.y)), static_cast<int>(std::lround(rect.w)),
            static_cast<int>(std::lround(rect.h)));
    }
    if (is(member, "GetOffsetAtPoint") && args && g_variant_is_of_type(args, G_VARIANT_TYPE("(iiu)"))) {
        std::int32_t x = 0, y = 0;
        std::uint32_t type = 0;
        g_variant_get(args, "(iiu)", &x, &y, &type);
        PointF shift = coordinate_shift(target, window, type);
        auto offset = window.view->text_offset_at(target.ref,
            { static_cast<float>(x) - shift.x + 0.5f, static_cast<float>(y) - shift.y + 0.5f });
        return g_variant_new("(i)", offset ? characters(*offset) : -1);
    }
    return nullptr;
}

GVariant* AtspiBridge::call_editable_text(Target const& target, Window& window, char const* member, GVariant* args)
{
    std::optional<AccessibleText> content = window.view->text(target.ref);
    if (!content || !content->editable)
        return nullptr;
    Text const& text = content->text;
    auto units = [&](std::int32_t offset) { return detail::unit_index(text, offset < 0 ? text.size() * 2 : offset); };
    bool done = false;
    if (is(member, "SetTextContents") && args && g_variant_is_of_type(args, G_VARIANT_TYPE("(s)"))) {
        char const* words = nullptr;
        g_variant_get(args, "(&s)", &words);
        done = window.view->set_text(target.ref, detail::to_utf16(words));
    } else if (is(member, "InsertText") && args && g_variant_is_of_type(args, G_VARIANT_TYPE("(isi)"))) {
        std::int32_t position = 0, length = 0;
        char const* words = nullptr;
        g_variant_get(args, "(i&si)", &position, &words, &length);
        std::u16string inserted = detail::to_utf16(words);
        inserted.resize(detail::unit_index(inserted, length));
        done = window.view->replace_text(target.ref, units(position), units(position), inserted);
    } else if ((is(member, "DeleteText") || is(member, "CutText")) && args
        && g_variant_is_of_type(args, G_VARIANT_TYPE("(ii)"))) {
        std::int32_t start = 0, end = 0;
        g_variant_get(args, "(ii)", &start, &end);
        std::size_t from = units(start), to = units(end);
        if (is(member, "CutText") && to > from)
            platform_host().set_clipboard_text(std::u16string_view(text).substr(from, to - from));
        done = window.view->replace_text(target.ref, from, to, u"");
    } else if (is(member, "CopyText") && args && g_variant_is_of_type(args, G_VARIANT_TYPE("(ii)"))) {
        std::int32_t start = 0, end = 0;
        g_variant_get(args, "(ii)", &start, &end);
        std::size_t from = units(start), to = std::max(units(start), units(end));
        platform_host().set_clipboard_text(std::u16string_view(text).substr(from, to - from));
        return g_variant_new("()");
    } else if (is(member, "PasteText") && args && g_variant_is_of_type(args, G_VARIANT_TYPE("(i)"))) {
        std::int32_t position = 0;
        g_variant_get(args, "(i)", &position);
        done = window.view->replace_text(target.ref, units(position), units(position),
            platform_host().clipboard_text());
    } else {
        return nullptr;
    }
    if (done)
        repaint(window);
    return boolean_reply(done);
}

GVariant* AtspiBridge::call_selection(Target const& target, Window& window, char const* member, GVariant* args)
{
    AccessibleView& view = *window.view;
    std::vector<std::size_t> selected = view.selected_children(target.ref);
    std::int32_t index = 0;
    bool indexed = args && g_variant_is_of_type(args, G_VARIANT_TYPE("(i)"));
    if (indexed)
        g_variant_get(args, "(i)", &index);
    auto finish = [&](bool done) {
        if (done)
            repaint(window);
        return boolean_reply(done);
    };
    if (is(member, "GetSelectedChild") && indexed) {
        if (index < 0 || static_cast<std::size_t>(index) >= selected.size())
            return g_variant_new("(@(so))", null_reference());
        AccessibleRef child = view.children(target.ref)[selected[static_cast<std::size_t>(index)]];
        return g_variant_new("(@(so))", reference(target.window, child));
    }
    if (is(member, "IsChildSelected") && indexed)
        return boolean_reply(std::find(selected.begin(), selected.end(), static_cast<std::size_t>(index)) != selected.end());
    if (is(member, "SelectChild") && indexed)
        return finish(index >= 0 && view.select_child(target.ref, static_cast<std::size_t>(index), true));
    if (is(member, "DeselectChild") && indexed)
        return finish(index >= 0 && view.select_child(target.ref, static_cast<std::size_t>(index), false));
    if (is(member, "DeselectSelectedChild") && indexed) {
        bool known = index >= 0 && static_cast<std::size_t>(index) < selected.size();
        return finish(known && view.select_child(target.ref, selected[static_cast<std::size_t>(index)], false));
    }
    if (is(member, "ClearSelection")) {
        bool done = true;
        for (std::size_t child : selected)
            done &= view.select_child(target.ref, child, false);
        return finish(done && !selected.empty());
    }
    if (is(member, "SelectAll"))
        return boolean_reply(false);
    return nullptr;
}

GVariant* AtspiBridge::property(Target const& target, Window* window, char const* interface, char const* name)
{
    if (target.application) {
        if (is(name, "Name"))
            return g_variant_new_string(m_windows.empty() ? "" : m_windows.begin()->second.title.c_str());
        if (is(name, "Description") || is(name, "Locale") || is(name, "AccessibleId") || is(name, "HelpText"))
            return g_variant_new_string("");
        if (is(name, "Parent"))
            return m_desktop ? g_variant_new("(so)", m_desktop->first.c_str(), m_desktop->second.c_str()) : null_reference();
        if (is(name, "ChildCount"))
            return g_variant_new_int32(static_cast<std::int32_t>(m_windows.size()));
        if (is(name, "ToolkitName"))
            return g_variant_new_string("orvy");
        if (is(name, "Version"))
            return g_variant_new_string("1.0");
        if (is(name, "AtspiVersion"))
            return g_variant_new_string("2.1");
        if (is(name, "Id"))
            return g_variant_new_int32(m_application_id);
        return nullptr;
    }
    if (!window)
        return nullptr;
    AccessibleView& view = *window->view;
    if (is(interface, accessible_interface)) {
        AccessibleInfo info = info_of(target, *window);
        if (is(name, "Name"))
            return g_variant_new_string(utf8(info.name).c_str());
        if (is(name, "Description"))
            return g_variant_new_string(utf8(info.description).c_str());
        if (is(name, "Locale") || is(name, "HelpText"))
            return g_variant_new_string("");
        if (is(name, "AccessibleId"))
            return g_variant_new_string(path_of(target.window, target.ref).c_str());
        if (is(name, "ChildCount"))
            return g_variant_new_int32(static_cast<std::int32_t>(view.children(target.ref).size()));
        if (is(name, "Parent")) {
            if (target.ref == view.root())
                return application_reference();
            auto parent = view.parent(target.ref);
            return parent ? reference(target.window, *parent) : null_reference();
        }
        return nullptr;
    }
    if (is(interface, "org.a11y.atspi.Action") && is(name, "NActions"))
        return g_variant_new_int32(static_cast<std::int32_t>(info_of(target, *window).actions.size()));
    if (is(interface, "org.a11y.atspi.Value")) {
        AccessibleInfo info = info_of(target, *window);
        if (!info.value)
            return nullptr;
        if (is(name, "MinimumValue"))
            return g_variant_new_double(info.value->minimum);
        if (is(name, "MaximumValue"))
            return g_variant_new_double(info.value->maximum);
        if (is(name, "MinimumIncrement"))
            return g_variant_new_double(info.value->step);
        if (is(name, "CurrentValue"))
            return g_variant_new_double(info.value->current);
        if (is(name, "Text"))
            return g_variant_new_string(utf8(info.value_text).c_str());
        return nullptr;
    }
    if (is(interface, "org.a11y.atspi.Text")) {
        auto content = view.text(target.ref);
        if (!content)
            return nullptr;
        if (is(name, "CharacterCount"))
            return g_variant_new_int32(static_cast<std::int32_t>(detail::character_count(content->text, content->text.size())));
        if (is(name, "CaretOffset"))
            return g_variant_new_int32(static_cast<std::int32_t>(detail::character_count(content->text, content->caret)));
        return nullptr;
    }
    if (is(interface, "org.a11y.atspi.Selection") && is(name, "NSelectedChildren"))
        return g_variant_new_int32(static_cast<std::int32_t>(view.selected_children(target.ref).size()));
    return nullptr;
}

}
