// Callback: an owned, move-only, type-erased callable that core stores in
// node slots, the event registry, timers and tweens.
#pragma once

#include <cassert>
#include <memory>
#include <type_traits>
#include <utility>

namespace orvy {

template<class Signature>
class Callback;

// Core never knows what is behind a callback: the Python layer wraps a Python
// object in one, tests wrap lambdas. Only moving is allowed, so exactly one
// slot owns the callable at a time and dropping the slot releases it.
template<class R, class... Args>
class Callback<R(Args...)> {
public:
    Callback() = default;
    Callback(std::nullptr_t) { }

    template<class F>
        requires(!std::is_same_v<std::decay_t<F>, Callback> && std::is_invocable_r_v<R, F&, Args...>)
    Callback(F&& f)
        : m_impl(std::make_unique<Model<std::decay_t<F>>>(std::forward<F>(f)))
    {
    }

    Callback(Callback&&) noexcept = default;
    Callback& operator=(Callback&&) noexcept = default;
    Callback(Callback const&) = delete;
    Callback& operator=(Callback const&) = delete;

    explicit operator bool() const { return m_impl != nullptr; }

    R operator()(Args... args) const
    {
        assert(m_impl);
        return m_impl->call(std::forward<Args>(args)...);
    }

    // Gives the concrete callable back when it has type F (used by the Python
    // layer to reach the object it stored, and by tests).
    template<class F>
    F* target() const
    {
        auto* model = dynamic_cast<Model<F>*>(m_impl.get());
        return model ? &model->f : nullptr;
    }

private:
    struct Concept {
        virtual ~Concept() = default;
        virtual R call(Args... args) = 0;
    };
    template<class F>
    struct Model final : Concept {
        explicit Model(F&& fn) : f(std::move(fn)) { }
        explicit Model(F const& fn) : f(fn) { }
        R call(Args... args) override { return f(std::forward<Args>(args)...); }
        F f;
    };

    std::unique_ptr<Concept> m_impl;
};

// The take-call-put-back rule shared by every slot that holds a callback:
// the callable leaves its slot for the duration of the call, so the call may
// install a replacement, which is dropped when the running one is put back.
// Only for slots whose address survives the call; node slots live in a vector
// that a call may grow, so the tree re-finds them by id (Tree::fire_*).
template<class R, class... Args, class... CallArgs>
bool call_in_place(Callback<R(Args...)>& slot, CallArgs&&... args)
{
    if (!slot)
        return false;
    Callback<R(Args...)> running = std::move(slot);
    running(std::forward<CallArgs>(args)...);
    slot = std::move(running);
    return true;
}

}
