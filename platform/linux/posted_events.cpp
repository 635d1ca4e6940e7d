// PostedEvents: a locked queue and an eventfd that is readable while it holds anything.
#include "platform/linux/detail/posted_events.hpp"

#include <algorithm>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace orvy::linux_platform::detail {

std::shared_ptr<PostedEvents> PostedEvents::create()
{
    int descriptor = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (descriptor < 0)
        return nullptr;
    return std::shared_ptr<PostedEvents>(new PostedEvents(descriptor));
}

PostedEvents::~PostedEvents() { ::close(m_descriptor); }

bool PostedEvents::post(PostedEvent event)
{
    {
        std::lock_guard lock(m_lock);
        bool was_empty = m_wakes.empty() && m_events.empty();
        if (event.kind == PostedKind::Wake) {
            if (std::find(m_wakes.begin(), m_wakes.end(), event.window) != m_wakes.end())
                return true;
            m_wakes.push_back(event.window);
        } else {
            if (m_events.size() >= limit)
                return false;
            m_events.push_back(event);
        }
        if (!was_empty)
            return true;
    }
    // Only the first event after the loop emptied the queue signals; the
    // counter stays readable until take() reads it.
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = ::write(m_descriptor, &one, sizeof one);
    return true;
}

std::vector<PostedEvent> PostedEvents::take()
{
    std::uint64_t count = 0;
    [[maybe_unused]] ssize_t read = ::read(m_descriptor, &count, sizeof count);
    std::vector<PostedEvent> taken;
    std::lock_guard lock(m_lock);
    taken.reserve(m_wakes.size() + m_events.size());
    for (WindowId window : m_wakes)
        taken.push_back({ PostedKind::Wake, window, nullptr });
    taken.insert(taken.end(), m_events.begin(), m_events.end());
    m_wakes.clear();
    m_events.clear();
    return taken;
}

}
