// Prepared<T>: a value made once per process on a thread of its own, before
// anyone needs it, and handed whole to the first who asks for it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <utility>

#include <unistd.h>

namespace orvy::linux_platform::detail {

// Kept for the whole process (never destroyed): the making thread may still
// run while the process exits. A process forked after start() sees nothing
// prepared: it has no making thread to wait for, may have copied the lock
// held, and would share with its parent whatever the value holds open.
template<class T>
class Prepared {
public:
    // Whether this call starts the preparation, once per process; the
    // caller then makes the value, on a thread, and hands it to finish().
    bool start()
    {
        std::lock_guard lock(m_mutex);
        if (m_state != State::Open)
            return false;
        m_state = State::Making;
        m_process = ::getpid();
        return true;
    }
    void finish(T value)
    {
        {
            std::lock_guard lock(m_mutex);
            m_value = std::move(value);
            m_state = State::Ready;
        }
        m_ready.notify_all();
    }
    // The value, waiting while it is made; T's empty value when there is
    // none, and then none will be prepared any more.
    T take()
    {
        if (forked())
            return T {};
        std::unique_lock lock(m_mutex);
        m_ready.wait(lock, [this] { return m_state != State::Making; });
        m_state = State::Closed;
        return std::exchange(m_value, T {});
    }
    // Whether a value was prepared or is being made; closes the preparation
    // otherwise, so that none starts later.
    bool claim()
    {
        if (forked())
            return false;
        std::lock_guard lock(m_mutex);
        if (m_state == State::Open)
            m_state = State::Closed;
        return m_state == State::Making || m_state == State::Ready;
    }
    // Returns once the value is no longer being made.
    void wait()
    {
        if (forked())
            return;
        std::unique_lock lock(m_mutex);
        m_ready.wait(lock, [this] { return m_state != State::Making; });
    }

private:
    enum class State { Open, Making, Ready, Closed };

    bool forked() const
    {
        pid_t preparer = m_process;
        return preparer != 0 && preparer != ::getpid();
    }

    std::mutex m_mutex;
    std::condition_variable m_ready;
    State m_state = State::Open;
    T m_value {};
    std::atomic<pid_t> m_process = 0; // the process that started the preparation
};

}
