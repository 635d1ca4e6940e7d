// AtspiBridge: publishes each window's accessible view on the AT-SPI 2
// accessibility bus, answers assistive technology's calls on the UI thread
// and sends the changes the views report.
#pragma once

#include "core/access/accessible.hpp"
#include "core/window/window.hpp"
#include "platform/linux/detail/posted_events.hpp"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct _XDisplay;
typedef struct _GDBusConnection GDBusConnection;
typedef struct _GDBusMessage GDBusMessage;
typedef struct _GVariant GVariant;

namespace orvy::linux_platform {

class X11Window;

class AtspiBridge {
public:
    // Connects to the accessibility bus and registers with its registry when
    // both run; otherwise null, and nothing was opened or started. Incoming
    // calls reach the loop as posted events that carry the message.
    static std::unique_ptr<AtspiBridge> connect(_XDisplay* display, std::shared_ptr<detail::PostedEvents> posted);
    ~AtspiBridge();
    AtspiBridge(AtspiBridge const&) = delete;
    AtspiBridge& operator=(AtspiBridge const&) = delete;

    // Publishes a window's frame in the role of its kind (frame, dialog,
    // notification); a notification is announced as it appears.
    void add_window(X11Window& window, std::string title, AccessibleRole role);
    void remove_window(WindowId id);
    void window_activated(WindowId id, bool active);
    // A window painted: its view may have changes to report at the next sync.
    void painted(WindowId id);
    // Sends the changes of the windows painted since the last sync.
    void sync();
    // Answers one call taken from the bus (the wake event carries it).
    void handle(GDBusMessage* message);
    // Answers a posted call, or drops it when no bridge is left to answer.
    static void handle_posted(AtspiBridge* bridge, void* message);

    // What a path names: the application, a window's frame, or an object in one.
    struct Target {
        bool application = false;
        WindowId window = 0;
        AccessibleRef ref;
    };

private:
    struct Window {
        X11Window* native = nullptr;
        AccessibleView* view = nullptr;
        std::string title;
        AccessibleRole role = AccessibleRole::Frame;
        bool active = false;
        bool dirty = false;
    };

    AtspiBridge(GDBusConnection* connection, std::string unique_name);
    bool embed();

    std::string path_of(WindowId window, AccessibleRef ref) const;
    std::optional<Target> parse_path(char const* path) const;
    Window* window_of(Target const& target);
    GVariant* reference(WindowId window, AccessibleRef ref) const;
    GVariant* application_reference() const;
    GVariant* null_reference() const;
    PointF window_origin(Window const& window) const;
    // What turns client coordinates into those of an AT-SPI coordinate type
    // (0 screen, 1 window, 2 the target's parent).
    PointF coordinate_shift(Target const& target, Window const& window, std::uint32_t type) const;

    GVariant* call(Target const& target, Window* window, char const* interface, char const* member, GVariant* args,
        std::string& error);
    GVariant* call_application(char const* interface, char const* member, GVariant* args, std::string& error);
    GVariant* call_accessible(Target const& target, Window& window, char const* member, GVariant* args);
    GVariant* call_component(Target const& target, Window& window, char const* member, GVariant* args);
    GVariant* call_action(Target const& target, Window& window, char const* member, GVariant* args);
    GVariant* call_text(Target const& target, Window& window, char const* member, GVariant* args);
    GVariant* call_editable_text(Target const& target, Window& window, char const* member, GVariant* args);
    GVariant* call_selection(Target const& target, Window& window, char const* member, GVariant* args);
    GVariant* property(Target const& target, Window* window, char const* interface, char const* name);
    std::vector<std::string> interfaces_of(Target const& target, Window& window) const;
    AccessibleInfo info_of(Target const& target, Window& window) const;
    void repaint(Window& window);

    void emit(WindowId window, AccessibleRef ref, char const* interface, char const* signal, char const* detail,
        int detail1, int detail2, GVariant* data);
    void emit_event(WindowId window, Window& entry, AccessibleEvent const& event);

    GDBusConnection* m_connection;
    std::string m_unique_name;
    std::optional<std::pair<std::string, std::string>> m_desktop; // the registry's root, our parent
    std::int32_t m_application_id = 0;
    unsigned m_filter = 0;
    std::map<WindowId, Window> m_windows;
};

}
