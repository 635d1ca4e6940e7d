// AtspiBridge: the bus connection, registration, object paths, the hand-over
// of calls to the UI thread and the events sent to listeners.
#include "platform/linux/atspi_bridge.hpp"

#include "platform/linux/detail/atspi.hpp"
#include "platform/linux/detail/utf.hpp"
#include "platform/linux/x11_host.hpp"
// Xlib's headers last: their macros clash with names in core.
#include "platform/linux/detail/x11.hpp"

#include <cstdlib>
#include <cstring>

#include <gio/gio.h>

namespace orvy::linux_platform {

namespace {

constexpr char object_prefix[] = "/org/a11y/atspi/accessible/";
constexpr char root_path[] = "/org/a11y/atspi/accessible/root";

// Runs on GDBus's worker thread for every incoming message. Calls on our
// objects are taken off the bus here and handed to the UI thread through
// the loop's posted events, so the tree is only ever touched there.
GDBusMessage* take_calls(GDBusConnection* connection, GDBusMessage* message, gboolean incoming, gpointer data)
{
    if (!incoming || g_dbus_message_get_message_type(message) != G_DBUS_MESSAGE_TYPE_METHOD_CALL)
        return message;
    char const* path = g_dbus_message_get_path(message);
    if (!path || std::strncmp(path, "/org/a11y/atspi/", 16) != 0)
        return message;
    auto* posted = static_cast<detail::PostedEvents*>(data);
    // The filter's reference moves with the event.
    if (!posted->post({ detail::PostedKind::Accessibility, 0, message })) {
        GDBusMessage* reply
            = g_dbus_message_new_method_error_literal(message, "org.freedesktop.DBus.Error.LimitsExceeded", "busy");
        g_dbus_connection_send_message(connection, reply, G_DBUS_SEND_MESSAGE_FLAGS_NONE, nullptr, nullptr);
        g_object_unref(reply);
        g_object_unref(message);
    }
    return nullptr;
}

std::optional<std::string> bus_address(Display* display)
{
    if (char const* address = std::getenv("AT_SPI_BUS_ADDRESS"); address && *address)
        return std::string(address);
    if (auto address = detail::accessibility_bus_from_root_window(display))
        return address;
    return detail::accessibility_bus_from_session_bus();
}

GVariant* empty_properties() { return g_variant_new_array(G_VARIANT_TYPE("{sv}"), nullptr, 0); }

}

std::unique_ptr<AtspiBridge> AtspiBridge::connect(Display* display, std::shared_ptr<detail::PostedEvents> posted)
{
    std::optional<std::string> address = bus_address(display);
    if (!address)
        return nullptr;
    GError* error = nullptr;
    GDBusConnection* connection = g_dbus_connection_new_for_address_sync(address->c_str(),
        static_cast<GDBusConnectionFlags>(
            G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    if (!connection) {
        g_clear_error(&error);
        return nullptr;
    }
    // The process must not end when assistive technology goes away.
    g_dbus_connection_set_exit_on_close(connection, FALSE);
    char const* unique_name = g_dbus_connection_get_unique_name(connection);
    std::unique_ptr<AtspiBridge> bridge(new AtspiBridge(connection, unique_name ? unique_name : ""));
    // The filter may still run on GDBus's thread after it is removed, so
    // what it posts to lives as long as the process.
    static std::shared_ptr<detail::PostedEvents> target;
    target = std::move(posted);
    bridge->m_filter = g_dbus_connection_add_filter(connection, take_calls, target.get(), nullptr);
    if (!bridge->embed())
        return nullptr;
    return bridge;
}

AtspiBridge::AtspiBridge(GDBusConnection* connection, std::string unique_name)
    : m_connection(connection), m_unique_name(std::move(unique_name))
{
}

AtspiBridge::~AtspiBridge()
{
    if (m_filter)
        g_dbus_connection_remove_filter(m_connection, m_filter);
    g_dbus_connection_close_sync(m_connection, nullptr, nullptr);
    g_object_unref(m_connection);
}

bool AtspiBridge::embed()
{
    // The registry starts on demand; it answers with the desktop that
    // becomes the application's parent.
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(m_connection, "org.a11y.atspi.Registry", root_path,
        "org.a11y.atspi.Socket", "Embed", g_variant_new("((so))", m_unique_name.c_str(), root_path),
        G_VARIANT_TYPE("((so))"), G_DBUS_CALL_FLAGS_NONE, 10000, nullptr, &error);
    if (!reply) {
        g_clear_error(&error);
        return false;
    }
    char const* name = nullptr;
    char const* path = nullptr;
    g_variant_get(reply, "((&s&o))", &name, &path);
    m_desktop = { name, path };
    g_variant_unref(reply);
    return true;
}

std::string AtspiBridge::path_of(WindowId window, AccessibleRef ref) const
{
    std::string path = object_prefix + std::to_string(window);
    auto found = m_windows.find(window);
    if (found != m_windows.end() && ref == found->second.view->root())
        return path;
    path += ref.node == AccessibleRef::overlay ? "/o" : "/" + std::to_string(ref.node);
    if (ref.item != AccessibleRef::whole)
        path += "/" + std::to_string(ref.item);
    if (ref.cell != AccessibleRef::whole)
        path += "/" + std::to_string(ref.cell);
    return path;
}

std::optional<AtspiBridge::Target> AtspiBridge::parse_path(char const* path) const
{
    if (!path)
        return std::nullopt;
    // The cache is asked of the application as a whole.
    if (std::strcmp(path, root_path) == 0 || std::strcmp(path, "/org/a11y/atspi/cache") == 0)
        return Target { .application = true };
    std::string_view rest(path);
    if (!rest.starts_with(object_prefix))
        return std::nullopt;
    rest.remove_prefix(std::strlen(object_prefix));
    std::vector<std::string_view> parts;
    while (!rest.empty()) {
        std::size_t slash = rest.find('/');
        parts.push_back(rest.substr(0, slash));
        rest = slash == std::string_view::npos ? std::string_view {} : rest.substr(slash + 1);
    }
    auto number = [](std::string_view text) -> std::optional<std::uint64_t> {
        if (text.empty() || text.size() > 19)
            return std::nullopt;
        std::uint64_t value = 0;
        for (char c : text) {
            if (c < '0' || c > '9')
                return std::nullopt;
            value = value * 10 + static_cast<std::uint64_t>(c - '0');
        }
        return value;
    };
    if (parts.empty() || parts.size() > 4)
        return std::nullopt;
    auto window = number(parts[0]);
    if (!window)
        return std::nullopt;
    Target target { .window = static_cast<WindowId>(*window) };
    auto found = m_windows.find(target.window);
    if (found == m_windows.end())
        return std::nullopt;
    if (parts.size() == 1) {
        target.ref = found->second.view->root();
        return target;
    }
    if (parts[1] == "o") {
        target.ref.node = AccessibleRef::overlay;
    } else if (auto node = number(parts[1])) {
        target.ref.node = static_cast<NodeId>(*node);
    } else {
        return std::nullopt;
    }
    for (std::size_t i = 2; i < parts.size(); ++i) {
        auto index = number(parts[i]);
        if (!index || *index >= AccessibleRef::whole)
            return std::nullopt;
        (i == 2 ? target.ref.item : target.ref.cell) = static_cast<std::uint32_t>(*index);
    }
    return target;
}

AtspiBridge::Window* AtspiBridge::window_of(Target const& target)
{
    auto found = m_windows.find(target.window);
    if (found == m_windows.end() || !found->second.view->is_valid(target.ref))
        return nullptr;
    return &found->second;
}

GVariant* AtspiBridge::reference(WindowId window, AccessibleRef ref) const
{
    return g_variant_new("(so)", m_unique_name.c_str(), path_of(window, ref).c_str());
}

GVariant* AtspiBridge::application_reference() const
{
    return g_variant_new("(so)", m_unique_name.c_str(), root_path);
}

GVariant* AtspiBridge::null_reference() const
{
    return g_variant_new("(so)", m_unique_name.c_str(), "/org/a11y/atspi/null");
}

PointF AtspiBridge::window_origin(Window const& window) const
{
    PointI at = window.native->position();
    return { static_cast<float>(at.x), static_cast<float>(at.y) };
}

PointF AtspiBridge::coordinate_shift(Target const& target, Window const& window, std::uint32_t type) const
{
    if (type == 0)
        return window_origin(window);
    if (type == 2 && target.ref != window.view->root()) {
        if (auto parent = window.view->parent(target.ref)) {
            RectF outer = window.view->describe(*parent).extents;
            return { -outer.x, -outer.y };
        }
    }
    return {};
}

void AtspiBridge::add_window(X11Window& native, std::string title, AccessibleRole role)
{
    AccessibleView* view = native.procedure().handlers().accessible();
    if (!view)
        return;
    view->take_events(); // what the listeners learn by asking is the reference
    m_windows[native.id()] = Window { .native = &native, .view = view, .title = std::move(title), .role = role };
    auto index = static_cast<int>(std::distance(m_windows.begin(), m_windows.find(native.id())));
    emit(0, {}, "org.a11y.atspi.Event.Object", "ChildrenChanged", "add", index, 0,
        g_variant_new_variant(reference(native.id(), view->root())));
    if (role == AccessibleRole::Notification)
        emit_event(native.id(), m_windows[native.id()], { .kind = AccessibleEventKind::Announcement, .target = view->root() });
}

void AtspiBridge::remove_window(WindowId id)
{
    auto found = m_windows.find(id);
    if (found == m_windows.end())
        return;
    auto index = static_cast<int>(std::distance(m_windows.begin(), found));
    GVariant* gone = reference(id, found->second.view->root());
    m_windows.erase(found);
    emit(0, {}, "org.a11y.atspi.Event.Object", "ChildrenChanged", "remove", index, 0, g_variant_new_variant(gone));
}

void AtspiBridge::window_activated(WindowId id, bool active)
{
    auto found = m_windows.find(id);
    if (found == m_windows.end() || found->second.active == active)
        return;
    Window& window = found->second;
    window.active = active;
    AccessibleRef frame = window.view->root();
    emit(id, frame, "org.a11y.atspi.Event.Window", active ? "Activate" : "Deactivate", "", 0, 0,
        g_variant_new_variant(g_variant_new_string(window.title.c_str())));
    emit(id, frame, "org.a11y.atspi.Event.Object", "StateChanged", "active", active, 0,
        g_variant_new_variant(g_variant_new_int32(0)));
    // The focus inside the window is what a screen reader reads next.
    if (active) {
        if (auto focus = window.view->focus())
            emit_event(id, window, { .kind = AccessibleEventKind::Focus, .target = *focus });
    }
}

void AtspiBridge::painted(WindowId id)
{
    if (auto found = m_windows.find(id); found != m_windows.end())
        found->second.dirty = true;
}

void AtspiBridge::sync()
{
    for (auto& [id, window] : m_windows) {
        if (!window.dirty)
            continue;
        window.dirty = false;
        for (AccessibleEvent const& event : window.view->take_events())
            emit_event(id, window, event);
    }
}

void AtspiBridge::repaint(Window& window)
{
    window.native->invalidate();
    window.dirty = true;
}

void AtspiBridge::emit(WindowId window, AccessibleRef ref, char const* interface, char const* signal,
    char const* detail, int detail1, int detail2, GVariant* data)
{
    std::string path = window == 0 ? root_path : path_of(window, ref);
    g_dbus_connection_emit_signal(m_connection, nullptr, path.c_str(), interface, signal,
        g_variant_new("(sii@v@a{sv})", detail, detail1, detail2, data, empty_properties()), nullptr);
}

void AtspiBridge::emit_event(WindowId id, Window& window, AccessibleEvent const& event)
{
    char const* object = "org.a11y.atspi.Event.Object";
    auto none = [] { return g_variant_new_variant(g_variant_new_int32(0)); };
    AccessibleRef target = event.target;
    switch (event.kind) {
    case AccessibleEventKind::Focus:
        emit(id, target, object, "StateChanged", "focused", 1, 0, none());
        emit(id, target, "org.a11y.atspi.Event.Focus", "Focus", "", 0, 0, none());
        break;
    case AccessibleEventKind::StateChanged:
        emit(id, target, object, "StateChanged", detail::atspi_state_name(event.state), event.on, 0, none());
        break;
    case AccessibleEventKind::ValueChanged: {
        AccessibleInfo info = window.view->describe(target);
        double value = info.value ? info.value->current : 0.0;
        emit(id, target, object, "PropertyChange", "accessible-value", 0, 0,
            g_variant_new_variant(g_variant_new_double(value)));
        break;
    }
    case AccessibleEventKind::NameChanged:
        emit(id, target, object, "PropertyChange", "accessible-name", 0, 0,
            g_variant_new_variant(g_variant_new_string(detail::to_utf8(event.text).c_str())));
        break;
    case AccessibleEventKind::TextInserted:
    case AccessibleEventKind::TextRemoved: {
        auto text = window.view->text(target);
        Text const& now = text ? text->text : event.text;
        // Offsets on the bus count characters, not UTF-16 units.
        int offset = static_cast<int>(detail::character_count(now, event.offset));
        int length = static_cast<int>(detail::character_count(event.text, event.text.size()));
        emit(id, target, object, "TextChanged", event.kind == AccessibleEventKind::TextInserted ? "insert" : "delete",
            offset, length, g_variant_new_variant(g_variant_new_string(detail::to_utf8(event.text).c_str())));
        break;
    }
    case AccessibleEventKind::CaretMoved: {
        auto text = window.view->text(target);
        int offset = text ? static_cast<int>(detail::character_count(text->text, event.offset)) : 0;
        emit(id, target, object, "TextCaretMoved", "", offset, 0, none());
        break;
    }
    case AccessibleEventKind::SelectionChanged:
        emit(id, target, object, "SelectionChanged", "", 0, 0, none());
        break;
    case AccessibleEventKind::ChildrenAdded:
    case AccessibleEventKind::ChildrenRemoved:
        emit(id, target, object, "ChildrenChanged", event.kind == AccessibleEventKind::ChildrenAdded ? "add" : "remove",
            static_cast<int>(event.offset), 0, g_variant_new_variant(reference(id, event.child)));
        break;
    case AccessibleEventKind::Announcement: {
        AccessibleInfo info = info_of({ .window = id, .ref = target }, window);
        Text words = info.description.empty() ? info.name : info.name + u". " + info.description;
        emit(id, target, object, "StateChanged", "showing", 1, 0, none());
        emit(id, target, object, "Announcement", "", 1, 0,
            g_variant_new_variant(g_variant_new_string(detail::to_utf8(words).c_str())));
        break;
    }
    }
}

void AtspiBridge::handle(GDBusMessage* message)
{
    char const* interface = g_dbus_message_get_interface(message);
    char const* member = g_dbus_message_get_member(message);
    GVariant* args = g_dbus_message_get_body(message);
    std::string error;
    GVariant* result = nullptr;
    std::optional<Target> target = parse_path(g_dbus_message_get_path(message));
    Window* window = target && !target->application ? window_of(*target) : nullptr;
    if (!target || (!target->application && !window)) {
        error = "org.freedesktop.DBus.Error.UnknownObject";
    } else if (interface && member) {
        result = call(*target, window, interface, member, args, error);
    } else {
        error = "org.freedesktop.DBus.Error.UnknownMethod";
    }
    if (!(g_dbus_message_get_flags(message) & G_DBUS_MESSAGE_FLAGS_NO_REPLY_EXPECTED)) {
        GDBusMessage* reply = result ? g_dbus_message_new_method_reply(message)
                                     : g_dbus_message_new_method_error_literal(message,
                                           error.empty() ? "org.freedesktop.DBus.Error.UnknownMethod" : error.c_str(),
                                           member ? member : "");
        if (result)
            g_dbus_message_set_body(reply, result);
        g_dbus_connection_send_message(m_connection, reply, G_DBUS_SEND_MESSAGE_FLAGS_NONE, nullptr, nullptr);
        g_object_unref(reply);
    } else if (result) {
        g_variant_unref(g_variant_ref_sink(result));
    }
    g_object_unref(message);
}

void AtspiBridge::handle_posted(AtspiBridge* bridge, void* message)
{
    auto* call = static_cast<GDBusMessage*>(message);
    if (bridge)
        bridge->handle(call);
    else if (call)
        g_object_unref(call);
}

}
