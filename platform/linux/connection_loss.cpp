// The handlers that keep a broken X connection from ending the process, and
// the record of which connections broke.
#include "platform/linux/detail/connection_loss.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include <X11/Xlib.h>

namespace orvy::linux_platform::detail {

namespace {

struct Watched {
    Display* display = nullptr;
    std::string name;
    bool lost = false;
    std::string words;
};

struct Registry {
    std::mutex mutex;
    std::vector<Watched> watched;
    // The process-wide handler in place before ours, for connections that
    // are not ours (another library's in the same process).
    XIOErrorHandler previous = nullptr;
};

// Never destroyed: a backend thread may still report a break at exit.
Registry& registry()
{
    static Registry* const shared = new Registry;
    return *shared;
}

Watched* find(Registry& all, Display* display)
{
    auto found = std::find_if(all.watched.begin(), all.watched.end(),
        [display](Watched const& entry) { return entry.display == display; });
    return found == all.watched.end() ? nullptr : &*found;
}

void record_loss(Display* display, int error)
{
    Registry& all = registry();
    std::lock_guard lock(all.mutex);
    Watched* entry = find(all, display);
    if (!entry || entry->lost)
        return;
    entry->lost = true;
    // A server that went away shows as a closed pipe, a reset or the end of
    // the stream. Errors of the network are named; any other value is left
    // over from an unrelated call (the connection's library does not always
    // set one) and says nothing about the break.
    bool network = error == ETIMEDOUT || error == EHOSTUNREACH || error == ENETUNREACH || error == ENETDOWN
        || error == ECONNABORTED || error == EIO;
    if (network)
        entry->words = "X connection to " + entry->name + " broken: " + std::strerror(error) + ".";
    else
        entry->words = "X connection to " + entry->name + " broken (explicit kill or server shutdown).";
}

// Runs first, with errno as the failed read or write left it. For our
// connections the report goes to the windows; Xlib's own line on standard
// error would say it a second time.
int note_io_error(Display* display)
{
    int error = errno;
    XIOErrorHandler previous = nullptr;
    {
        Registry& all = registry();
        std::lock_guard lock(all.mutex);
        if (!find(all, display))
            previous = all.previous;
    }
    if (previous)
        return previous(display);
    record_loss(display, error);
    return 0;
}

// Runs instead of Xlib's exit: returning hands control back to the call
// that found the break.
void keep_running(Display* display, void*) { record_loss(display, 0); }

}

void watch_connection(Display* display)
{
    if (!display)
        return;
    Registry& all = registry();
    {
        std::lock_guard lock(all.mutex);
        if (find(all, display))
            return;
        all.watched.push_back({ display, DisplayString(display) ? DisplayString(display) : "", false, {} });
        // The process-wide handler is set once; it passes on what is not ours.
        static bool const installed = [&all] {
            all.previous = XSetIOErrorHandler(note_io_error);
            return true;
        }();
        (void)installed;
    }
    XSetIOErrorExitHandler(display, keep_running, nullptr);
}

void mark_connection_hung_up(Display* display) { record_loss(display, 0); }

bool connection_lost(Display* display)
{
    Registry& all = registry();
    std::lock_guard lock(all.mutex);
    Watched const* entry = find(all, display);
    return entry && entry->lost;
}

std::string connection_loss_words(Display* display)
{
    Registry& all = registry();
    std::lock_guard lock(all.mutex);
    Watched const* entry = find(all, display);
    return entry && entry->lost ? entry->words : std::string {};
}

void forget_connection(Display* display)
{
    Registry& all = registry();
    std::lock_guard lock(all.mutex);
    std::erase_if(all.watched, [display](Watched const& entry) { return entry.display == display; });
}

}
