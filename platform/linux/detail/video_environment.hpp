// What the display connection reads from the environment while SDL's video
// starts, set for that start only.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvy::linux_platform::detail {

// The directory where libX11 is to keep the user's compiled compose table,
// made when missing. Nothing where libX11 keeps none (run as root or set-id)
// or where the user chose already (XCOMPOSECACHE, ~/.compose-cache).
std::optional<std::string> compose_cache_directory();

// Sets, on construction, the variables SDL's video start is to see and
// takes them away again with restore() or at the end. Only variables the
// process does not have are added, so nothing of the script's is changed.
//
// Made before any thread of ours reads the environment. The variables are
// added at the end of the environment and removed newest first, so each
// removal takes the last entry and moves no other entry under a thread that
// reads the environment meanwhile (the text engine's font thread does).
class VideoStartEnvironment {
public:
    VideoStartEnvironment();
    ~VideoStartEnvironment() { restore(); }
    VideoStartEnvironment(VideoStartEnvironment const&) = delete;
    VideoStartEnvironment& operator=(VideoStartEnvironment const&) = delete;

    void restore();

private:
    void add(char const* name, std::string const& value);

    std::vector<char const*> m_added;
};

}
