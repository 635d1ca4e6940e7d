// PostQueue: one lock around one list; wake-ups coalesced by a flag per window.
#include "core/window/post_queue.hpp"

#include <algorithm>

namespace orvy {

PostQueue& PostQueue::process()
{
    static PostQueue queue;
    return queue;
}

void PostQueue::attach(PostTarget& target, std::shared_ptr<Waker> waker)
{
    std::lock_guard guard(m_lock);
    target.m_waker = std::move(waker);
}

bool PostQueue::post(PostTarget& target, PostedCall call)
{
    if (!target.is_alive())
        return false;
    std::shared_ptr<Waker> waker;
    {
        std::lock_guard guard(m_lock);
        m_calls.emplace_back(target.key(), std::move(call));
        waker = target.m_waker;
    }
    // Waking happens outside the lock: the backend's wake may itself lock.
    if (!target.m_pending.exchange(true, std::memory_order_acq_rel) && waker)
        waker->wake();
    return true;
}

std::vector<PostedCall> PostQueue::drain(PostTarget& target)
{
    // Cleared before taking, so a post racing with the drain either lands
    // in this batch or wakes the window again.
    target.m_pending.store(false, std::memory_order_release);
    std::vector<PostedCall> taken;
    std::lock_guard guard(m_lock);
    auto keep = std::stable_partition(m_calls.begin(), m_calls.end(),
        [&](auto const& entry) { return entry.first != target.key(); });
    for (auto moved = keep; moved != m_calls.end(); ++moved)
        taken.push_back(std::move(moved->second));
    m_calls.erase(keep, m_calls.end());
    return taken;
}

}
