// The process-wide queue through which other threads hand calls to a
// window's UI thread, with one wake-up per batch.
#pragma once

#include "core/tree/callback.hpp"
#include "core/window/host.hpp"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace orvy {

using PostedCall = Callback<void()>;

// One window's end of the queue, shared by the window and every poster.
class PostTarget {
public:
    explicit PostTarget(std::uint64_t key) : m_key(key) { }

    std::uint64_t key() const { return m_key; }
    bool is_alive() const { return m_alive.load(std::memory_order_acquire); }
    // After this, posts are dropped (the window closed or close() was called).
    void mark_closed() { m_alive.store(false, std::memory_order_release); }

private:
    friend class PostQueue;

    std::uint64_t m_key;
    std::atomic<bool> m_alive { true };
    std::atomic<bool> m_pending { false }; // a wake-up is on its way
    std::shared_ptr<Waker> m_waker;        // guarded by the queue's lock
};

class PostQueue {
public:
    static PostQueue& process();

    // Sets the waker once the window exists; posts made before it are
    // picked up by the window's first frame.
    void attach(PostTarget& target, std::shared_ptr<Waker> waker);

    // Any thread. Queues the call unless the window is closed; the first
    // post after a drain wakes the window, later ones ride along with it.
    // Returns whether the call was queued.
    bool post(PostTarget& target, PostedCall call);

    // UI thread, at the start of each frame: the window's calls in posting
    // order; other windows' calls stay queued in theirs.
    std::vector<PostedCall> drain(PostTarget& target);

private:
    std::mutex m_lock;
    std::vector<std::pair<std::uint64_t, PostedCall>> m_calls;
};

}
