// File dialogs through the desktop portal's FileChooser, over GDBus.
#include "platform/linux/detail/file_dialogs.hpp"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sys/stat.h>

#include <gio/gio.h>

namespace orvy::linux_platform::detail {

namespace {

constexpr char portal_service[] = "org.freedesktop.portal.Desktop";
constexpr char portal_path[] = "/org/freedesktop/portal/desktop";
constexpr char chooser_interface[] = "org.freedesktop.portal.FileChooser";
constexpr char request_interface[] = "org.freedesktop.portal.Request";

struct Unref {
    void operator()(GError* error) const { g_error_free(error); }
    void operator()(GVariant* variant) const { g_variant_unref(variant); }
    void operator()(GMainContext* context) const { g_main_context_unref(context); }
    void operator()(GDBusConnection* connection) const { g_object_unref(connection); }
};
using ErrorPtr = std::unique_ptr<GError, Unref>;
using VariantPtr = std::unique_ptr<GVariant, Unref>;
using ContextPtr = std::unique_ptr<GMainContext, Unref>;
using ConnectionPtr = std::unique_ptr<GDBusConnection, Unref>;

// Without a session bus address GLib would start a bus of its own
// (dbus-launch); a dialog is no reason to leave a daemon behind.
bool has_session_bus()
{
    if (char const* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address)
        return true;
    char const* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    return runtime && *runtime && stat((std::string(runtime) + "/bus").c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

// The Request object's path the portal will use for `token`: the
// caller's unique name without its colon, dots turned into underscores.
std::string request_path(GDBusConnection* bus, std::string const& token)
{
    std::string sender = g_dbus_connection_get_unique_name(bus);
    if (!sender.empty() && sender.front() == ':')
        sender.erase(0, 1);
    for (char& c : sender) {
        if (c == '.')
            c = '_';
    }
    return std::string(portal_path) + "/request/" + sender + "/" + token;
}

struct Answer {
    bool arrived = false;
    std::string path;
};

void on_response(GDBusConnection*, char const*, char const*, char const*, char const*, GVariant* parameters,
    gpointer data)
{
    auto* answer = static_cast<Answer*>(data);
    answer->arrived = true;
    guint32 response = 2;
    GVariant* results = nullptr;
    g_variant_get(parameters, "(u@a{sv})", &response, &results);
    VariantPtr owned_results(results);
    // 0: chosen, 1: cancelled by the user, 2: ended some other way.
    if (response != 0)
        return;
    char const** uris = nullptr;
    if (!g_variant_lookup(results, "uris", "^a&s", &uris) || !uris)
        return;
    if (uris[0]) {
        if (char* path = g_filename_from_uri(uris[0], nullptr, nullptr)) {
            answer->path = path;
            g_free(path);
        }
    }
    g_free(uris);
}

GVariant* filter_list(std::vector<DialogFilter> const& filters)
{
    GVariantBuilder list;
    g_variant_builder_init(&list, G_VARIANT_TYPE("a(sa(us))"));
    for (DialogFilter const& filter : filters) {
        GVariantBuilder globs;
        g_variant_builder_init(&globs, G_VARIANT_TYPE("a(us)"));
        for (std::string const& glob : filter.globs)
            g_variant_builder_add(&globs, "(us)", 0u, glob.c_str()); // 0: a glob, not a MIME type
        g_variant_builder_add(&list, "(sa(us))", filter.name.c_str(), &globs);
    }
    return g_variant_builder_end(&list);
}

GVariant* call_parameters(DialogJob const& job, std::string const& token)
{
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(token.c_str()));
    g_variant_builder_add(&options, "{sv}", "modal", g_variant_new_boolean(TRUE));
    if (job.kind == FileDialogKind::Folder)
        g_variant_builder_add(&options, "{sv}", "directory", g_variant_new_boolean(TRUE));
    else if (!job.filters.empty())
        g_variant_builder_add(&options, "{sv}", "filters", filter_list(job.filters));
    if (job.kind == FileDialogKind::Save && !job.name.empty())
        g_variant_builder_add(&options, "{sv}", "current_name", g_variant_new_string(job.name.c_str()));
    char parent[32] = "";
    if (job.parent)
        std::snprintf(parent, sizeof parent, "x11:%lx", job.parent);
    return g_variant_new("(ssa{sv})", parent, job.title.c_str(), &options);
}

// Hears the Response signal of one request object while it lives. The bus
// takes the match rule before any later call of ours, so the answer cannot
// slip past between the call and the subscription.
class Subscription {
public:
    Subscription(GDBusConnection* bus, std::string const& path, Answer& answer)
        : m_bus(bus)
        , m_id(g_dbus_connection_signal_subscribe(bus, portal_service, request_interface, "Response", path.c_str(),
              nullptr, G_DBUS_SIGNAL_FLAGS_NONE, on_response, &answer, nullptr))
    {
    }
    ~Subscription() { g_dbus_connection_signal_unsubscribe(m_bus, m_id); }
    Subscription(Subscription const&) = delete;
    Subscription& operator=(Subscription const&) = delete;

private:
    GDBusConnection* m_bus;
    guint m_id;
};

void close_request(GDBusConnection* bus, std::string const& path)
{
    VariantPtr reply(g_dbus_connection_call_sync(bus, portal_service, path.c_str(), request_interface, "Close",
        nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr));
}

}

std::optional<std::string> run_portal_dialog(DialogJob const& job, DialogCancel& cancel)
{
    if (!has_session_bus())
        return std::nullopt;
    ConnectionPtr bus(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
    if (!bus)
        return std::nullopt;

    // Signals are delivered to the context that was the thread's default
    // when subscribing: this worker's own.
    ContextPtr context(g_main_context_new());
    g_main_context_push_thread_default(context.get());
    static std::atomic<unsigned> next_token = 1;
    std::string token = "orvy" + std::to_string(next_token++);
    std::string expected = request_path(bus.get(), token);
    Answer answer;
    std::optional<std::string> result;
    {
        auto subscription = std::make_unique<Subscription>(bus.get(), expected, answer);
        char const* method = job.kind == FileDialogKind::Save ? "SaveFile" : "OpenFile";
        GError* raw_error = nullptr;
        VariantPtr reply(g_dbus_connection_call_sync(bus.get(), portal_service, portal_path, chooser_interface, method,
            call_parameters(job, token), G_VARIANT_TYPE("(o)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &raw_error));
        ErrorPtr error(raw_error);
        if (reply) {
            char const* handle = nullptr;
            g_variant_get(reply.get(), "(&o)", &handle);
            std::string path = handle ? handle : "";
            // Portals older than the handle token choose their own path.
            if (path != expected)
                subscription = std::make_unique<Subscription>(bus.get(), path, answer);
            if (cancel.waiting_on_context(context.get())) {
                while (!answer.arrived && !cancel.cancelled())
                    g_main_context_iteration(context.get(), TRUE);
            }
            cancel.done_waiting();
            if (!answer.arrived)
                close_request(bus.get(), path);
            result = answer.path;
        }
    }
    g_main_context_pop_thread_default(context.get());
    return result;
}

}
