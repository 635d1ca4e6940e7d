// PostedEvents: what other threads hand to the UI thread's loop (wake-ups,
// close requests, dialog answers, accessibility calls), with a descriptor
// the loop polls beside the display connection.
#pragma once

#include "core/window/window.hpp"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace orvy::linux_platform::detail {

enum class PostedKind : std::uint8_t { Wake, Close, FileDialogs, DialogAnswers, Accessibility };

struct PostedEvent {
    PostedKind kind = PostedKind::Wake;
    WindowId window = 0;
    void* data = nullptr; // owned by the receiver once posted
};

class PostedEvents {
public:
    // At most this many events wait; further posts are refused until the
    // loop takes them. Wake-ups do not count: one per window is ever waiting.
    static constexpr std::size_t limit = 65536;

    // Null when the process has no descriptor left for the wake-up.
    static std::shared_ptr<PostedEvents> create();
    ~PostedEvents();
    PostedEvents(PostedEvents const&) = delete;
    PostedEvents& operator=(PostedEvents const&) = delete;

    // Any thread. False when the queue is full and the event was not taken;
    // a wake-up for a window that already has one waiting is taken as done.
    bool post(PostedEvent event);
    // The UI thread: every waiting event, in the order posted (the wake-ups
    // first), and the descriptor is quiet again.
    std::vector<PostedEvent> take();
    // Readable while events wait.
    int descriptor() const { return m_descriptor; }

private:
    explicit PostedEvents(int descriptor) : m_descriptor(descriptor) { }

    int m_descriptor;
    std::mutex m_lock;
    std::vector<WindowId> m_wakes;
    std::vector<PostedEvent> m_events;
};

}
