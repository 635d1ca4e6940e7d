#include "core/window/post_queue.hpp"

#include <gtest/gtest.h>

#include "core/frame/frame.hpp"

#include <thread>

using namespace orvy;
using namespace std::chrono_literals;

namespace {

class CountingWaker final : public Waker {
public:
    void wake() override { ++wakes; }
    std::atomic<int> wakes = 0;
};

// A clock that each posted call moves on by one millisecond.
struct CallClock {
    PostQueue::Instant now = PostQueue::Instant {} + 1h;
    PostQueue::Now reader() { return [this] { return now; }; }
    PostedCall call(std::vector<int>& ran, int i)
    {
        return [this, &ran, i] {
            ran.push_back(i);
            now += 1ms;
        };
    }
};

// Polls for a condition another thread makes true.
template<class Condition>
bool eventually(Condition condition)
{
    for (int i = 0; i < 2000 && !condition(); ++i)
        std::this_thread::sleep_for(5ms);
    return condition();
}

}

TEST(PostQueue, a_hundred_posts_before_a_drain_cost_one_wake_and_run_in_order)
{
    PostQueue queue;
    PostTarget target(1);
    auto waker = std::make_shared<CountingWaker>();
    queue.attach(target, waker);
    std::vector<int> order;
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i)
            queue.post(target, [&order, i] { order.push_back(i); });
    });
    worker.join();
    EXPECT_EQ(waker->wakes, 1);

    EXPECT_EQ(queue.serve(target).ran, 100u);
    ASSERT_EQ(order.size(), 100u);
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));

    // The next post after a drain wakes the window again.
    queue.post(target, [] { });
    EXPECT_EQ(waker->wakes, 2);
}

TEST(PostQueue, windows_drain_only_their_own_calls)
{
    PostQueue queue;
    PostTarget first(1), second(2);
    std::vector<int> ran;
    queue.post(first, [&] { ran.push_back(1); });
    queue.post(second, [&] { ran.push_back(2); });
    queue.post(first, [&] { ran.push_back(3); });
    queue.serve(first);
    EXPECT_EQ(ran, (std::vector<int> { 1, 3 }));
    EXPECT_EQ(queue.serve(second).ran, 1u);
    EXPECT_EQ(queue.serve(second).ran, 0u);
}

TEST(PostQueue, posts_to_a_closed_window_are_dropped)
{
    PostQueue queue;
    PostTarget target(7);
    auto waker = std::make_shared<CountingWaker>();
    queue.attach(target, waker);
    queue.close(target);
    bool ran = false;
    EXPECT_FALSE(queue.post(target, [&] { ran = true; }));
    EXPECT_EQ(queue.serve(target).ran, 0u);
    EXPECT_FALSE(ran);
    EXPECT_EQ(waker->wakes, 0);
}

TEST(PostQueue, posts_before_the_window_exists_wait_for_its_first_frame)
{
    PostQueue queue;
    PostTarget target(3);
    queue.post(target, [] { });
    auto waker = std::make_shared<CountingWaker>();
    queue.attach(target, waker);
    EXPECT_EQ(queue.serve(target).ran, 1u);
    queue.post(target, [] { });
    EXPECT_EQ(waker->wakes, 1);
}

TEST(PostQueue, a_serve_stops_when_its_budget_is_spent_and_the_next_one_goes_on_in_order)
{
    PostQueue queue;
    PostTarget target(1);
    CallClock clock;
    std::vector<int> ran;
    for (int i = 0; i < 1000; ++i)
        queue.post(target, clock.call(ran, i));
    PostQueue::Served first = queue.serve(target, 5ms, clock.reader());
    EXPECT_EQ(first.ran, 5u);
    EXPECT_TRUE(first.more);
    EXPECT_EQ(queue.backlog(target), 995u);
    while (queue.serve(target, 5ms, clock.reader()).more) { }
    ASSERT_EQ(ran.size(), 1000u);
    EXPECT_TRUE(std::is_sorted(ran.begin(), ran.end()));
}

TEST(PostQueue, timers_get_their_turn_in_every_tick_of_a_flood)
{
    // The frame hook serves posted calls as the window does; the timer is
    // due from the second tick and must not wait for the backlog.
    PostQueue queue;
    PostTarget target(1);
    CallClock clock;
    std::vector<int> ran;
    for (int i = 0; i < 100000; ++i)
        queue.post(target, clock.call(ran, i));
    Tree tree;
    tree.frame_hook = [&](Tree&) { return queue.serve(target, PostQueue::frame_budget, clock.reader()).ran > 0; };
    std::vector<std::size_t> fired_after;
    tree.timer_inbox.push({ .on_fire = [&](Tree&) { fired_after.push_back(ran.size()); }, .id = 1, .milliseconds = 10 });
    Instant now = Instant {} + 1h;
    for (int tick = 0; tick < 3; ++tick, now += 10ms)
        EXPECT_TRUE(frame_update(tree, { .now = now, .client_width = 800, .client_height = 600 }));
    // Every tick ran its budget's worth of calls, then the due timer.
    auto per_tick = static_cast<std::size_t>(PostQueue::frame_budget / 1ms);
    EXPECT_EQ(ran.size(), 3 * per_tick);
    EXPECT_EQ(fired_after, (std::vector<std::size_t> { 2 * per_tick, 3 * per_tick }));
}

TEST(PostQueue, a_running_timer_that_falls_due_during_a_serve_fires_in_the_same_tick)
{
    // The window's ticks read the clock again after the posted calls, as
    // the window does: a running timer that falls due while they run waits
    // for them, not for the next tick's as well. A timer taken in by a tick
    // fires in a later one.
    PostQueue queue;
    PostTarget target(1);
    CallClock clock;
    std::vector<int> ran;
    Tree tree;
    tree.frame_hook = [&](Tree&) { return queue.serve(target, PostQueue::frame_budget, clock.reader()).ran > 0; };
    auto tick = [&] {
        return frame_update(tree, { .now = clock.now, .clock = clock.reader(), .client_width = 800, .client_height = 600 });
    };
    std::vector<std::size_t> repeating, once;
    tree.timer_inbox.push({ .on_fire = [&](Tree&) { repeating.push_back(ran.size()); }, .id = 1, .milliseconds = 10 });
    tick(); // nothing to serve: the timer counts from here
    for (int i = 0; i < 100000; ++i)
        queue.post(target, clock.call(ran, i));
    tree.timer_inbox.push({ .on_fire = [&](Tree&) { once.push_back(ran.size()); }, .id = 2, .milliseconds = 0, .once = true });
    clock.now += 5ms;
    auto per_tick = static_cast<std::size_t>(PostQueue::frame_budget / 1ms);
    EXPECT_TRUE(tick());
    EXPECT_EQ(repeating, std::vector<std::size_t> { per_tick }); // due 10 ms on, during the serve
    EXPECT_TRUE(once.empty());
    EXPECT_TRUE(tick());
    EXPECT_EQ(once, std::vector<std::size_t> { 2 * per_tick });
    // The repeating one counts from its firing, after the first budget.
    EXPECT_EQ(repeating.size(), 1u);
    EXPECT_TRUE(tick());
    EXPECT_EQ(repeating, (std::vector<std::size_t> { per_tick, 3 * per_tick }));
}

TEST(PostQueue, closing_drops_the_backlog_and_stops_a_serve_midway)
{
    PostQueue queue;
    PostTarget target(1);
    std::vector<int> ran;
    queue.post(target, [&] {
        ran.push_back(0);
        queue.close(target);
    });
    for (int i = 1; i < 1000; ++i)
        queue.post(target, [&ran, i] { ran.push_back(i); });
    PostQueue::Served served = queue.serve(target);
    EXPECT_EQ(served.ran, 1u);
    EXPECT_FALSE(served.more);
    EXPECT_EQ(ran, std::vector<int> { 0 });
    EXPECT_EQ(queue.backlog(target), 0u);
}

TEST(PostQueue, a_producer_past_the_backlog_limit_waits_for_room_and_loses_nothing)
{
    PostQueue queue;
    PostTarget target(1);
    queue.attach(target, std::make_shared<CountingWaker>());
    std::size_t total = PostQueue::backlog_limit + 100;
    std::atomic<std::size_t> posted = 0;
    std::vector<std::size_t> ran;
    std::thread producer([&] {
        for (std::size_t i = 0; i < total; ++i) {
            queue.post(target, [&ran, i] { ran.push_back(i); });
            ++posted;
        }
    });
    ASSERT_TRUE(eventually([&] { return posted == PostQueue::backlog_limit; }));
    std::this_thread::sleep_for(20ms); // a producer that did not wait would be done by now
    EXPECT_EQ(queue.backlog(target), PostQueue::backlog_limit);
    while (ran.size() < total)
        queue.serve(target);
    producer.join();
    ASSERT_EQ(ran.size(), total);
    EXPECT_TRUE(std::is_sorted(ran.begin(), ran.end()));
}

TEST(PostQueue, the_ui_thread_never_waits_and_closing_releases_a_waiting_producer)
{
    PostQueue queue;
    PostTarget target(1);
    queue.attach(target, std::make_shared<CountingWaker>());
    for (std::size_t i = 0; i < PostQueue::backlog_limit + 10; ++i)
        ASSERT_TRUE(queue.post(target, [] { }));
    std::atomic<int> outcome = -1;
    std::thread producer([&] { outcome = queue.post(target, [] { }) ? 1 : 0; });
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(outcome, -1);
    queue.close(target);
    producer.join();
    EXPECT_EQ(outcome, 0);
    EXPECT_EQ(queue.backlog(target), 0u);
}
