// The environment of SDL's video start: no session bus to launch, and a
// cache for the compose table.
#include "platform/linux/detail/video_environment.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace orvy::linux_platform::detail {

namespace {

bool is_socket(std::string const& path)
{
    struct stat found {};
    return ::stat(path.c_str(), &found) == 0 && S_ISSOCK(found.st_mode);
}

// Whether libdbus, asked for the session bus, would start one through
// dbus-launch: the session names no bus, and the user's runtime directory
// holds none.
bool session_bus_would_be_launched()
{
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS"))
        return false;
    char const* runtime = std::getenv("XDG_RUNTIME_DIR");
    return !runtime || !*runtime || !is_socket(std::string(runtime) + "/bus");
}

// Whether the session asks for an input method that SDL reaches over D-Bus.
bool asks_for_dbus_input_method()
{
    if (std::getenv("IBUS_ADDRESS"))
        return true;
    for (char const* name : { "SDL_IM_MODULE", "XMODIFIERS", "GTK_IM_MODULE", "QT_IM_MODULE" }) {
        char const* value = std::getenv(name);
        if (value && (std::strstr(value, "ibus") || std::strstr(value, "fcitx")))
            return true;
    }
    return false;
}

// A directory, made (for this user only) when missing.
bool directory(std::string const& path, struct stat& found)
{
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    return ::stat(path.c_str(), &found) == 0 && S_ISDIR(found.st_mode);
}

}

std::optional<std::string> compose_cache_directory()
{
    // libX11 reads and writes a per-user cache only for a user who is
    // neither root nor running set-id.
    if (std::getenv("XCOMPOSECACHE") || ::geteuid() == 0 || ::getuid() != ::geteuid() || ::getgid() != ::getegid())
        return std::nullopt;
    char const* home = std::getenv("HOME");
    if (!home || *home != '/')
        return std::nullopt;
    struct stat found {};
    if (::stat((std::string(home) + "/.compose-cache").c_str(), &found) == 0)
        return std::nullopt;
    char const* cache = std::getenv("XDG_CACHE_HOME");
    std::string path = cache && *cache == '/' ? cache : std::string(home) + "/.cache";
    // An equals sign would end the directory in XCOMPOSECACHE's syntax.
    if (path.find('=') != std::string::npos || !directory(path, found) || !directory(path += "/orvy", found)
        || !directory(path += "/compose", found))
        return std::nullopt;
    // libX11 uses only a cache directory of the user's that no one else may write.
    if (found.st_uid != ::geteuid() || (found.st_mode & 022) != 0)
        return std::nullopt;
    return path;
}

VideoStartEnvironment::VideoStartEnvironment()
{
    // SDL's video start connects to the session bus to look for an input
    // method there (IBus or Fcitx). Where the session names no bus, libdbus
    // forks dbus-launch for it, which costs the first frame a process start
    // and leaves a bus daemon running after the program. Unless the session
    // asks for an input method over D-Bus, SDL is shown an address that
    // libdbus refuses at once; typing then goes through the X input method,
    // as wherever no such input method runs, and SDL does not ask again.
    // Nothing else loses a bus: with no address and no bus in the runtime
    // directory, the accessibility lookup and the portal find none either.
    if (session_bus_would_be_launched() && !asks_for_dbus_input_method())
        add("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    // The X input method SDL opens parses the locale's compose table, half
    // a megabyte of text, at every start; libX11 keeps it compiled in a
    // cache directory, but makes none of its own.
    if (std::optional<std::string> directory = compose_cache_directory())
        add("XCOMPOSECACHE", *directory);
}

void VideoStartEnvironment::add(char const* name, std::string const& value)
{
    if (!std::getenv(name) && ::setenv(name, value.c_str(), 0) == 0)
        m_added.push_back(name);
}

void VideoStartEnvironment::restore()
{
    while (!m_added.empty()) {
        ::unsetenv(m_added.back());
        m_added.pop_back();
    }
}

}
