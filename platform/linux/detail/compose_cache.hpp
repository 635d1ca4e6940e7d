// Where libX11 keeps the compiled compose table of the built-in input
// method, set for the moment the input method opens.
#pragma once

#include <optional>
#include <string>

namespace orvy::linux_platform::detail {

// The directory where libX11 is to keep the user's compiled compose table,
// made when missing. Nothing where libX11 keeps none (run as root or set-id)
// or where the user chose already (XCOMPOSECACHE, ~/.compose-cache).
std::optional<std::string> compose_cache_directory();

// Sets XCOMPOSECACHE to that directory while it lives, when the process has
// no such variable. The variable is added at the end of the environment and
// removed again as the last entry, which moves no other entry; the input
// method opens on the UI thread after a frame is out, when the font thread
// that reads the environment at start has finished.
class ComposeCacheEnvironment {
public:
    ComposeCacheEnvironment();
    ~ComposeCacheEnvironment();
    ComposeCacheEnvironment(ComposeCacheEnvironment const&) = delete;
    ComposeCacheEnvironment& operator=(ComposeCacheEnvironment const&) = delete;

private:
    bool m_added = false;
};

}
