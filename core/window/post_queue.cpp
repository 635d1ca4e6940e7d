// PostQueue: one lock around the windows' call lists; wake-ups coalesced by a
// flag per window; posters wait for room; calls run within a frame budget.
#include "core/window/post_queue.hpp"

#include <algorithm>

namespace orvy {

namespace {

// Calls are moved out of the shared list in small batches, so the lock is
// held briefly and a batch cut short by the budget is cheap to put back.
constexpr std::size_t batch_size = 64;

}

PostQueue& PostQueue::process()
{
    static PostQueue queue;
    return queue;
}

void PostQueue::attach(PostTarget& target, std::shared_ptr<Waker> waker)
{
    std::lock_guard guard(m_lock);
    target.m_waker = std::move(waker);
    target.m_ui_thread = std::this_thread::get_id();
}

bool PostQueue::must_wait(PostTarget const& target) const
{
    // Calls a serve has taken out count too: those it cannot run in time go back.
    return target.is_alive() && target.m_waker && target.m_calls.size() + target.m_running >= backlog_limit
        && target.m_ui_thread != std::this_thread::get_id();
}

bool PostQueue::post(PostTarget& target, PostedCall call, PostWait* wait)
{
    if (!target.is_alive())
        return false;
    std::shared_ptr<Waker> waker;
    {
        std::unique_lock lock(m_lock);
        while (must_wait(target)) {
            // The wait lock is not held while the caller's own lock is
            // released or taken back, so the two are never held in the
            // opposite order of the UI thread's.
            lock.unlock();
            if (wait)
                wait->release();
            {
                std::unique_lock waiting(m_lock);
                m_room.wait(waiting, [&] { return !must_wait(target); });
            }
            if (wait)
                wait->reacquire();
            lock.lock();
        }
        if (!target.is_alive())
            return false;
        target.m_calls.push_back(std::move(call));
        waker = target.m_waker;
    }
    // Waking happens outside the lock: the backend's wake may itself lock.
    if (!target.m_pending.exchange(true, std::memory_order_acq_rel) && waker)
        waker->wake();
    return true;
}

PostQueue::Served PostQueue::serve(PostTarget& target, std::chrono::nanoseconds budget, Now const& now)
{
    auto clock = [&] { return now ? now() : std::chrono::steady_clock::now(); };
    // Cleared before taking, so a post racing with the serve either lands
    // in this round or wakes the window again.
    target.m_pending.store(false, std::memory_order_release);
    Served served;
    Instant deadline = clock() + budget;
    std::vector<PostedCall> batch;
    // Puts back what a batch did not run, at the front and in order, and
    // makes room for waiting posters.
    auto end_batch = [&](std::size_t ran) {
        {
            std::lock_guard guard(m_lock);
            for (std::size_t i = batch.size(); i-- > ran;)
                target.m_calls.push_front(std::move(batch[i]));
            target.m_running = 0;
            served.more = !target.m_calls.empty();
        }
        batch.clear();
        m_room.notify_all();
    };
    while (true) {
        {
            std::lock_guard guard(m_lock);
            std::size_t count = std::min(batch_size, target.m_calls.size());
            for (std::size_t i = 0; i < count; ++i) {
                batch.push_back(std::move(target.m_calls.front()));
                target.m_calls.pop_front();
            }
            target.m_running = count;
        }
        if (batch.empty())
            return served;
        std::size_t next = 0;
        bool out_of_time = false;
        while (next < batch.size() && target.is_alive() && !out_of_time) {
            batch[next++]();
            ++served.ran;
            out_of_time = clock() >= deadline;
        }
        end_batch(next);
        if (!target.is_alive()) {
            // The window closed while its calls ran: the rest are dropped.
            close(target);
            served.more = false;
            return served;
        }
        if (out_of_time)
            return served;
    }
}

void PostQueue::close(PostTarget& target)
{
    target.m_alive.store(false, std::memory_order_release);
    std::deque<PostedCall> dropped;
    {
        std::lock_guard guard(m_lock);
        dropped.swap(target.m_calls);
    }
    m_room.notify_all();
    // `dropped` releases the calls here, outside the lock.
}

std::size_t PostQueue::backlog(PostTarget& target)
{
    std::lock_guard guard(m_lock);
    return target.m_calls.size();
}

}
