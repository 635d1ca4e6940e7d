// Atoms, window properties and the root window's desktop hints.
#include "platform/linux/detail/x11.hpp"

#include <X11/Xatom.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <iterator>

#include <unistd.h>

namespace orvy::linux_platform::detail {

Atoms intern_atoms(Display* display, int screen)
{
    char compositor[32];
    std::snprintf(compositor, sizeof compositor, "_NET_WM_CM_S%d", screen);
    Atoms atoms;
    struct Row {
        char const* name;
        Atom Atoms::* slot;
    };
    Row const rows[] = {
        { "WM_PROTOCOLS", &Atoms::wm_protocols },
        { "WM_LOCALE_NAME", &Atoms::wm_locale_name },
        { "WM_DELETE_WINDOW", &Atoms::wm_delete_window },
        { "_NET_WM_PING", &Atoms::net_wm_ping },
        { "UTF8_STRING", &Atoms::utf8_string },
        { "_NET_WM_NAME", &Atoms::net_wm_name },
        { "_NET_WM_ICON_NAME", &Atoms::net_wm_icon_name },
        { "_NET_WM_PID", &Atoms::net_wm_pid },
        { "_NET_WM_ICON", &Atoms::net_wm_icon },
        { "_NET_WM_STATE", &Atoms::net_wm_state },
        { "_NET_WM_STATE_ABOVE", &Atoms::net_wm_state_above },
        { "_NET_WM_STATE_SKIP_TASKBAR", &Atoms::net_wm_state_skip_taskbar },
        { "_NET_WM_STATE_MODAL", &Atoms::net_wm_state_modal },
        { "_NET_WM_WINDOW_TYPE", &Atoms::net_wm_window_type },
        { "_NET_WM_WINDOW_TYPE_NORMAL", &Atoms::net_wm_window_type_normal },
        { "_NET_WM_WINDOW_TYPE_NOTIFICATION", &Atoms::net_wm_window_type_notification },
        { "_NET_WM_USER_TIME", &Atoms::net_wm_user_time },
        { "_MOTIF_WM_HINTS", &Atoms::motif_wm_hints },
        { "_NET_FRAME_EXTENTS", &Atoms::net_frame_extents },
        { "_NET_WORKAREA", &Atoms::net_workarea },
        { "_NET_CURRENT_DESKTOP", &Atoms::net_current_desktop },
        { "_NET_ACTIVE_WINDOW", &Atoms::net_active_window },
        { "_NET_SUPPORTING_WM_CHECK", &Atoms::net_supporting_wm_check },
        { compositor, &Atoms::compositor },
    };
    constexpr std::size_t count = std::size(rows);
    char* names[count];
    Atom values[count] = {};
    for (std::size_t i = 0; i < count; ++i)
        names[i] = const_cast<char*>(rows[i].name);
    XInternAtoms(display, names, static_cast<int>(count), False, values);
    for (std::size_t i = 0; i < count; ++i)
        atoms.*(rows[i].slot) = values[i];
    return atoms;
}

std::optional<XVisualInfo> transparent_visual(Display* display, int screen, Atoms const& atoms)
{
    XVisualInfo info {};
    if (XGetSelectionOwner(display, atoms.compositor) == None || !XMatchVisualInfo(display, screen, 32, TrueColor, &info))
        return std::nullopt;
    return info;
}

void set_motif_hints(Display* display, Window window, Atoms const& atoms, WindowStyles const& styles)
{
    enum : unsigned long {
        hint_functions = 1,
        hint_decorations = 2,
        function_resize = 2,
        function_move = 4,
        function_minimize = 8,
        function_maximize = 16,
        function_close = 32,
    };
    // flags, functions, decorations, input mode, status
    long hints[5] = { hint_decorations, 0, 0, 0, 0 };
    if (styles.has_caption()) {
        unsigned long functions = function_move;
        if (styles.is_resizable())
            functions |= function_resize;
        if (styles.has_minimize_button())
            functions |= function_minimize;
        if (styles.has_maximize_button())
            functions |= function_maximize;
        if (styles.has_close_button())
            functions |= function_close;
        hints[0] |= hint_functions;
        hints[1] = static_cast<long>(functions);
        hints[2] = 1;
    }
    XChangeProperty(display, window, atoms.motif_wm_hints, atoms.motif_wm_hints, 32, PropModeReplace,
        reinterpret_cast<unsigned char*>(hints), 5);
}

std::optional<std::string> latin1_text(std::string_view utf8)
{
    std::string latin1;
    latin1.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        auto byte = static_cast<unsigned char>(utf8[i]);
        unsigned code = byte;
        if (byte >= 0x80) {
            // Only the two-byte forms of U+0080..U+00FF are Latin-1.
            if ((byte != 0xC2 && byte != 0xC3) || i + 1 >= utf8.size()
                || (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) != 0x80)
                return std::nullopt;
            code = ((byte & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3Fu);
        }
        bool control = (code < 0x20 && code != '\t' && code != '\n') || (code >= 0x7F && code < 0xA0);
        if (control)
            return std::nullopt;
        latin1.push_back(static_cast<char>(code));
    }
    return latin1;
}

bool set_window_name(Display* display, Window window, Atoms const& atoms, std::string const& title)
{
    auto const* bytes = reinterpret_cast<unsigned char const*>(title.data());
    auto length = static_cast<int>(title.size());
    for (Atom property : { atoms.net_wm_name, atoms.net_wm_icon_name })
        XChangeProperty(display, window, property, atoms.utf8_string, 8, PropModeReplace, bytes, length);
    // The standard style gives STRING (Latin-1) where the title fits it, as here, and COMPOUND_TEXT otherwise.
    std::optional<std::string> latin1 = latin1_text(title);
    if (!latin1)
        return false;
    for (Atom property : { static_cast<Atom>(XA_WM_NAME), static_cast<Atom>(XA_WM_ICON_NAME) })
        XChangeProperty(display, window, property, XA_STRING, 8, PropModeReplace,
            reinterpret_cast<unsigned char const*>(latin1->data()), static_cast<int>(latin1->size()));
    return true;
}

void set_compound_window_name(Display* display, Window window, std::string const& title)
{
    char* list[] = { const_cast<char*>(title.c_str()) };
    XTextProperty property {};
    if (Xutf8TextListToTextProperty(display, list, 1, XStdICCTextStyle, &property) < Success)
        return;
    XSetWMName(display, window, &property);
    XSetWMIconName(display, window, &property);
    XFree(property.value);
}

void set_client_properties(Display* display, Window window, Atoms const& atoms)
{
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) == 0)
        XChangeProperty(display, window, XA_WM_CLIENT_MACHINE, XA_STRING, 8, PropModeReplace,
            reinterpret_cast<unsigned char const*>(host), static_cast<int>(std::strlen(host)));
    if (char const* locale = std::setlocale(LC_CTYPE, nullptr))
        XChangeProperty(display, window, atoms.wm_locale_name, XA_STRING, 8, PropModeReplace,
            reinterpret_cast<unsigned char const*>(locale), static_cast<int>(std::strlen(locale)));
}

void set_atom_list(Display* display, Window window, Atom property, std::span<Atom const> values)
{
    XChangeProperty(display, window, property, XA_ATOM, 32, PropModeReplace,
        reinterpret_cast<unsigned char const*>(values.data()), static_cast<int>(values.size()));
}

void set_cardinals(Display* display, Window window, Atom property, Atom type, std::span<long const> values)
{
    XChangeProperty(display, window, property, type, 32, PropModeReplace,
        reinterpret_cast<unsigned char const*>(values.data()), static_cast<int>(values.size()));
}

std::vector<long> read_cardinals(Display* display, Window window, Atom property, long limit)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> values;
    if (XGetWindowProperty(display, window, property, 0, limit, False, AnyPropertyType, &type, &format, &count, &after,
            &data)
            == Success
        && format == 32 && data) {
        // Xlib hands 32-bit items over as longs.
        auto const* items = reinterpret_cast<long const*>(data);
        values.assign(items, items + count);
    }
    if (data)
        XFree(data);
    return values;
}

bool has_window_manager(Display* display, Atoms const& atoms)
{
    Window root = DefaultRootWindow(display);
    std::vector<long> check = read_cardinals(display, root, atoms.net_supporting_wm_check, 1);
    if (check.empty())
        return false;
    // A window left behind by a manager that has gone does not point at itself.
    auto manager = static_cast<Window>(check[0]);
    std::vector<long> own = read_cardinals(display, manager, atoms.net_supporting_wm_check, 1);
    return !own.empty() && static_cast<Window>(own[0]) == manager;
}

std::vector<long> icon_property(std::span<std::uint8_t const> bgra, std::uint32_t width, std::uint32_t height,
    std::size_t limit)
{
    std::size_t pixels = static_cast<std::size_t>(width) * height;
    if (pixels == 0 || pixels + 2 > limit || bgra.size() < pixels * 4)
        return {};
    std::vector<long> items;
    items.reserve(pixels + 2);
    items.push_back(static_cast<long>(width));
    items.push_back(static_cast<long>(height));
    for (std::size_t i = 0; i < pixels; ++i) {
        std::uint8_t const* p = &bgra[i * 4];
        unsigned alpha = p[3];
        auto straight = [alpha](unsigned channel) {
            if (alpha == 0 || alpha == 255)
                return alpha == 0 ? 0u : channel;
            return std::min(255u, (channel * 255u + alpha / 2) / alpha);
        };
        unsigned long argb = (static_cast<unsigned long>(alpha) << 24) | (straight(p[2]) << 16)
            | (straight(p[1]) << 8) | straight(p[0]);
        items.push_back(static_cast<long>(argb));
    }
    return items;
}

std::optional<std::string> accessibility_bus_from_root_window(Display* display)
{
    // Only an atom that exists: asking must not create it on the server.
    Atom property = XInternAtom(display, "AT_SPI_BUS", True);
    if (property == None)
        return std::nullopt;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    int status = XGetWindowProperty(display, DefaultRootWindow(display), property, 0, 1024, False, XA_STRING, &type,
        &format, &count, &after, &data);
    std::optional<std::string> address;
    if (status == Success && type == XA_STRING && format == 8 && data && count > 0)
        address = std::string(reinterpret_cast<char const*>(data), count);
    if (data)
        XFree(data);
    return address;
}

}
