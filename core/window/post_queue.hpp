// The process-wide queue through which other threads hand calls to a
// window's UI thread, with one wake-up per batch, a bounded backlog per
// window and a time budget per frame for running the calls.
#pragma once

#include "core/base/callback.hpp"
#include "core/window/host.hpp"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace orvy {

using PostedCall = Callback<void()>;

// One window's end of the queue, shared by the window and every poster.
class PostTarget {
public:
    explicit PostTarget(std::uint64_t key) : m_key(key) { }

    std::uint64_t key() const { return m_key; }
    bool is_alive() const { return m_alive.load(std::memory_order_acquire); }

private:
    friend class PostQueue;

    std::uint64_t m_key;
    std::atomic<bool> m_alive { true };
    std::atomic<bool> m_pending { false }; // a wake-up is on its way
    // Guarded by the queue's lock.
    std::shared_ptr<Waker> m_waker;
    std::thread::id m_ui_thread; // the thread serving the window, once it exists
    std::deque<PostedCall> m_calls;
    std::size_t m_running = 0; // calls taken out by the serve in progress
};

// What a poster does while it waits for room: release whatever the UI
// thread needs to make progress (the Python layer releases the interpreter
// lock), and take it back afterwards.
class PostWait {
public:
    virtual ~PostWait() = default;
    virtual void release() = 0;
    virtual void reacquire() = 0;
};

// Backlog policy: each window queues at most `backlog_limit` calls. A
// thread posting to a window whose backlog is full waits until the UI
// thread has run enough of them (or the window closes), so a producer
// that outruns the UI is slowed to its pace and nothing is lost. The UI
// thread itself never waits, and nobody waits before the window exists.
class PostQueue {
public:
    static constexpr std::size_t backlog_limit = 65536;
    // The share of each frame tick that posted calls may take.
    static constexpr std::chrono::milliseconds frame_budget { 6 };

    using Instant = std::chrono::steady_clock::time_point;
    using Now = Callback<Instant()>;

    static PostQueue& process();

    // Sets the waker once the window exists, from the thread that serves
    // it; posts made before it are picked up by the window's first frame.
    void attach(PostTarget& target, std::shared_ptr<Waker> waker);

    // Any thread. Queues the call unless the window is closed, first waiting
    // for room as the backlog policy says; the first post after a serve
    // wakes the window, later ones ride along with it. Returns whether the
    // call was queued.
    bool post(PostTarget& target, PostedCall call, PostWait* wait = nullptr);

    struct Served {
        std::size_t ran = 0;
        bool more = false; // calls are left for the next frame
    };
    // UI thread, at the start of each frame: runs the window's calls in
    // posting order until none is left, the budget is spent (measured on
    // `now`) or the window has closed.
    Served serve(PostTarget& target, std::chrono::nanoseconds budget = frame_budget, Now const& now = {});

    // The window has closed (or close() was called): later posts are
    // dropped, queued calls are released without running, waiting posters
    // return.
    void close(PostTarget& target);

    std::size_t backlog(PostTarget& target);

private:
    bool must_wait(PostTarget const& target) const;

    std::mutex m_lock;
    std::condition_variable m_room;
};

}
