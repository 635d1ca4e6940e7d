// ThreadBound: the owner-thread check and the borrow flag of the module's
// thread-bound objects.
#pragma once

#include <Python.h>

#include <utility>

namespace orvy::py {

// Objects of the thread-bound classes remember the thread that created them
// and refuse every other thread. Their methods take the object shared or
// exclusively for the duration of the call, so a method that runs Python code
// cannot be re-entered in a way that would change the state under it.
class ThreadBound {
public:
    explicit ThreadBound(char const* internal_name)
        : m_name(internal_name), m_thread(PyThread_get_thread_ident())
    {
    }

    // Sets the error and returns false when called from a foreign thread.
    bool check_thread() const
    {
        if (PyThread_get_thread_ident() == m_thread)
            return true;
        PyErr_Format(PyExc_RuntimeError, "_orvy::%s is unsendable, but sent to another thread", m_name);
        return false;
    }

    class Borrow {
    public:
        Borrow() = default;
        Borrow(Borrow&& other) noexcept : m_owner(other.m_owner), m_exclusive(other.m_exclusive) { other.m_owner = nullptr; }
        Borrow(Borrow const&) = delete;
        Borrow& operator=(Borrow const&) = delete;
        Borrow& operator=(Borrow&& other) noexcept
        {
            if (this != &other) {
                release();
                m_owner = std::exchange(other.m_owner, nullptr);
                m_exclusive = other.m_exclusive;
            }
            return *this;
        }
        ~Borrow() { release(); }
        explicit operator bool() const { return m_owner != nullptr; }
        void release()
        {
            if (!m_owner)
                return;
            if (m_exclusive)
                m_owner->m_borrows = 0;
            else
                --m_owner->m_borrows;
            m_owner = nullptr;
        }

    private:
        friend class ThreadBound;
        Borrow(ThreadBound* owner, bool exclusive) : m_owner(owner), m_exclusive(exclusive) { }
        ThreadBound* m_owner = nullptr;
        bool m_exclusive = false;
    };

    // Exclusive access: fails while any other borrow is held.
    Borrow borrow_mut()
    {
        if (!check_thread())
            return {};
        if (m_borrows != 0) {
            PyErr_SetString(PyExc_RuntimeError, "Already borrowed");
            return {};
        }
        m_borrows = -1;
        return Borrow(this, true);
    }

    // Shared access: fails only while an exclusive borrow is held.
    Borrow borrow()
    {
        if (!check_thread())
            return {};
        if (m_borrows < 0) {
            PyErr_SetString(PyExc_RuntimeError, "Already mutably borrowed");
            return {};
        }
        ++m_borrows;
        return Borrow(this, false);
    }

private:
    char const* m_name;
    unsigned long m_thread;
    int m_borrows = 0; // > 0 shared borrows, -1 exclusive
};

}
