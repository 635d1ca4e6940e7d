#include "core/window/post_queue.hpp"

#include <gtest/gtest.h>

#include <thread>

using namespace orvy;

namespace {

class CountingWaker final : public Waker {
public:
    void wake() override { ++wakes; }
    std::atomic<int> wakes = 0;
};

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

    for (PostedCall& call : queue.drain(target))
        call();
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
    for (PostedCall& call : queue.drain(first))
        call();
    EXPECT_EQ(ran, (std::vector<int> { 1, 3 }));
    EXPECT_EQ(queue.drain(second).size(), 1u);
    EXPECT_TRUE(queue.drain(second).empty());
}

TEST(PostQueue, posts_to_a_closed_window_are_dropped)
{
    PostQueue queue;
    PostTarget target(7);
    auto waker = std::make_shared<CountingWaker>();
    queue.attach(target, waker);
    target.mark_closed();
    bool ran = false;
    EXPECT_FALSE(queue.post(target, [&] { ran = true; }));
    EXPECT_TRUE(queue.drain(target).empty());
    EXPECT_EQ(waker->wakes, 0);
}

TEST(PostQueue, posts_before_the_window_exists_wait_for_its_first_frame)
{
    PostQueue queue;
    PostTarget target(3);
    queue.post(target, [] { });
    auto waker = std::make_shared<CountingWaker>();
    queue.attach(target, waker);
    EXPECT_EQ(queue.drain(target).size(), 1u);
    queue.post(target, [] { });
    EXPECT_EQ(waker->wakes, 1);
}
