// A 32-bit visual for glass windows, the Motif hints for caption buttons,
// the window name in the encodings older tools read, and the window type.
#include "platform/linux/detail/x11.hpp"

#include <cstdio>

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace orvy::linux_platform::detail {

std::optional<std::string> transparent_visual_id()
{
    char const* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::string_view(driver) != "x11")
        return std::nullopt;
    // A connection of our own: SDL's is only reachable through a window,
    // and this runs before the window exists. Visual ids are the server's,
    // so they mean the same on every connection.
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return std::nullopt;
    int screen = DefaultScreen(display);
    std::optional<std::string> result;
    XVisualInfo info {};
    char selection[32];
    std::snprintf(selection, sizeof selection, "_NET_WM_CM_S%d", screen);
    Atom compositor = XInternAtom(display, selection, False);
    if (XGetSelectionOwner(display, compositor) != None && XMatchVisualInfo(display, screen, 32, TrueColor, &info)) {
        char text[32];
        std::snprintf(text, sizeof text, "0x%lx", info.visualid);
        result = text;
    }
    XCloseDisplay(display);
    return result;
}

void set_window_functions(SDL_Window* window, WindowStyles const& styles)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    enum : unsigned long {
        hint_functions = 1,
        hint_decorations = 2,
        function_resize = 2,
        function_move = 4,
        function_minimize = 8,
        function_maximize = 16,
        function_close = 32,
    };
    unsigned long functions = function_move;
    if (styles.is_resizable())
        functions |= function_resize;
    if (styles.has_minimize_button())
        functions |= function_minimize;
    if (styles.has_maximize_button())
        functions |= function_maximize;
    if (styles.has_close_button())
        functions |= function_close;
    unsigned long hints[5] = { hint_functions | hint_decorations, functions, 1, 0, 0 };
    Display* display = info.info.x11.display;
    Atom atom = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(display, info.info.x11.window, atom, atom, 32, PropModeReplace,
        reinterpret_cast<unsigned char*>(hints), 5);
    XFlush(display);
}

unsigned long x11_window(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return 0;
    return info.info.x11.window;
}

void set_notification_type(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    Display* display = info.info.x11.display;
    Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    Atom notification = XInternAtom(display, "_NET_WM_WINDOW_TYPE_NOTIFICATION", False);
    XChangeProperty(display, info.info.x11.window, type, XA_ATOM, 32, PropModeReplace,
        reinterpret_cast<unsigned char*>(&notification), 1);
}

void set_legacy_window_name(SDL_Window* window, char const* title)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    // SDL writes WM_NAME as UTF8_STRING, which only _NET_WM_NAME may carry;
    // tools that read WM_NAME through the ICCCM conversions find nothing.
    // The standard style gives STRING (Latin-1) where the title fits it and
    // COMPOUND_TEXT otherwise.
    Display* display = info.info.x11.display;
    char* list[] = { const_cast<char*>(title) };
    XTextProperty property {};
    if (Xutf8TextListToTextProperty(display, list, 1, XStdICCTextStyle, &property) < Success)
        return;
    XSetWMName(display, info.info.x11.window, &property);
    XSetWMIconName(display, info.info.x11.window, &property);
    XFree(property.value);
    XFlush(display);
}

}

namespace orvy::linux_platform::detail {

std::optional<std::string> accessibility_bus_from_root_window(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return std::nullopt;
    Display* display = info.info.x11.display;
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
