// The compose table's cache directory and the variable that names it to libX11.
#include "platform/linux/detail/compose_cache.hpp"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace orvy::linux_platform::detail {

namespace {

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

ComposeCacheEnvironment::ComposeCacheEnvironment()
{
    if (std::getenv("XCOMPOSECACHE"))
        return;
    if (std::optional<std::string> directory = compose_cache_directory())
        m_added = ::setenv("XCOMPOSECACHE", directory->c_str(), 0) == 0;
}

ComposeCacheEnvironment::~ComposeCacheEnvironment()
{
    if (m_added)
        ::unsetenv("XCOMPOSECACHE");
}

}
