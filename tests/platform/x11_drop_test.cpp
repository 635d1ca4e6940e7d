// Drops from another X client playing an XDND source: what the source is
// told while it drags, what reaches the host, and sources that misbehave.
#include "platform/linux/x11_drop.hpp"

#include "platform/linux/detail/uri_list.hpp"

#include <gtest/gtest.h>

// After gtest: Xlib's macros would rename its names.
#include "x11_peer.hpp"

#include <atomic>

using namespace orvy;
using namespace orvy::x11_test;
using orvy::linux_platform::XdndTarget;

namespace {

TEST(UriList, local_files_become_decoded_paths_and_other_entries_stay_as_written)
{
    std::string list = "# dragged from a file manager\r\n"
                       "file:///tmp/a%20b.txt\r\n"
                       "file://localhost/tmp/%D0%B5%D1%89%D1%91.dat\r\n"
                       "\r\n"
                       "FILE://Workstation/home/x%2Fy\r\n"
                       "file://elsewhere/share/c.txt\r\n"
                       "https://example.org/a%20b\r\n"
                       "file:///tmp/100%zz%4\r\n"
                       "file:///tmp/nul%00here\n"
                       "file:/tmp/old-style";
    std::vector<std::string> expected = { "/tmp/a b.txt", "/tmp/ещё.dat", "/home/x/y", "file://elsewhere/share/c.txt",
        "https://example.org/a%20b", "/tmp/100%zz%4", "file:///tmp/nul%00here", "/tmp/old-style" };
    EXPECT_EQ(linux_platform::detail::uri_list_entries(list, "workstation"), expected);
    // A list some sources end with a NUL, and one of comments only.
    EXPECT_EQ(linux_platform::detail::uri_list_entries(std::string("file:///a\r\n\0garbage", 20), ""),
        std::vector<std::string> { "/a" });
    EXPECT_TRUE(linux_platform::detail::uri_list_entries("# nothing\r\n", "").empty());
}

struct Delivery {
    unsigned long window = 0;
    std::vector<std::string> entries;
    PointF point;
};

// The peer's side: a source window that owns XdndSelection and hands over
// `list` when asked (unless silent), and the answers it got.
struct Source {
    Connection& peer;
    Window window = peer.window();
    Atom uri_list = peer.atom("text/uri-list");

    Atom atom(char const* name) const { return peer.atom(name); }

    void enter(Window target, std::vector<Atom> types)
    {
        long more = types.size() > 3 ? 1 : 0;
        if (more)
            XChangeProperty(peer.display, window, atom("XdndTypeList"), XA_ATOM, 32, PropModeReplace,
                reinterpret_cast<unsigned char const*>(std::vector<long>(types.begin(), types.end()).data()),
                static_cast<int>(types.size()));
        types.resize(3, None);
        send_message(peer.display, target, atom("XdndEnter"), static_cast<long>(window), (5L << 24) | more,
            static_cast<long>(types[0]), static_cast<long>(types[1]), static_cast<long>(types[2]));
    }

    // Moves to a root point and returns the status message.
    XClientMessageEvent move(Window target, int x, int y)
    {
        send_message(peer.display, target, atom("XdndPosition"), static_cast<long>(window), 0, (x << 16) | y,
            CurrentTime, static_cast<long>(atom("XdndActionCopy")));
        return answer("XdndStatus");
    }

    XClientMessageEvent answer(char const* type)
    {
        Atom wanted = atom(type);
        std::optional<XEvent> event = wait_for(peer.display,
            [&](XEvent const& e) { return e.type == ClientMessage && e.xclient.message_type == wanted; });
        return event ? event->xclient : XClientMessageEvent {};
    }

    // Drops and, unless silent, hands the list over; returns XdndFinished.
    std::optional<XClientMessageEvent> drop(Window target, std::string const& list, bool silent = false)
    {
        XSetSelectionOwner(peer.display, atom("XdndSelection"), window, CurrentTime);
        send_message(peer.display, target, atom("XdndDrop"), static_cast<long>(window), 0, CurrentTime);
        if (silent)
            return std::nullopt;
        std::optional<XEvent> request
            = wait_for(peer.display, [](XEvent const& e) { return e.type == SelectionRequest; });
        if (!request)
            return std::nullopt;
        XSelectionRequestEvent const& asked = request->xselectionrequest;
        XChangeProperty(peer.display, asked.requestor, asked.property, uri_list, 8, PropModeReplace,
            reinterpret_cast<unsigned char const*>(list.data()), static_cast<int>(list.size()));
        notify(peer.display, asked, asked.target == uri_list ? asked.property : None);
        return answer("XdndFinished");
    }
};

class XdndTargetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!ours.display || !peer.display)
            GTEST_SKIP() << "no X server";
        window = ours.window(100, 50);
        target.emplace(ours.display,
            XdndTarget::Hooks { .accepts_at = [this](unsigned long, PointF point) { return point.x < zone_right; },
                .on_drop = [this](unsigned long on, std::vector<std::string> const& entries,
                               PointF point) { deliveries.push_back({ on, entries, point }); } });
        target->make_aware(window);
        XSync(ours.display, False);
    }

    // Runs the source's part on a thread while this thread serves our
    // events, as the host's loop would.
    void with_source(std::function<void(Source&)> const& part)
    {
        Source source { peer };
        std::atomic<bool> done = false;
        std::thread thread([&] {
            part(source);
            done = true;
        });
        bool finished = pump_until(ours.display, [&](XEvent const& event) { target->handle_event(event); },
            [&] { return done.load(); });
        thread.join();
        ASSERT_TRUE(finished);
    }

    Connection ours;
    Connection peer;
    Window window = None;
    float zone_right = 60;
    std::optional<XdndTarget> target;
    std::vector<Delivery> deliveries;
};

TEST_F(XdndTargetTest, a_drop_over_a_zone_delivers_the_entries_in_order_at_the_client_point)
{
    XClientMessageEvent status {};
    std::optional<XClientMessageEvent> finished;
    with_source([&](Source& source) {
        source.enter(window, { source.atom("text/plain"), source.uri_list });
        status = source.move(window, 130, 80);
        // The user lets go a little further on than the source last told.
        XWarpPointer(peer.display, None, DefaultRootWindow(peer.display), 0, 0, 0, 0, 150, 90);
        finished = source.drop(window, "file:///tmp/a%20b.txt\r\n# c\r\nfile://localhost/tmp/%D1%91\r\nhttps://x.org/\r\n");
    });
    EXPECT_EQ(static_cast<Window>(status.data.l[0]), window);
    EXPECT_EQ(status.data.l[1] & 1, 1);
    EXPECT_EQ(static_cast<Atom>(status.data.l[4]), peer.atom("XdndActionCopy"));
    ASSERT_TRUE(finished);
    EXPECT_EQ(static_cast<Window>(finished->data.l[0]), window);
    EXPECT_EQ(finished->data.l[1] & 1, 1);
    EXPECT_EQ(static_cast<Atom>(finished->data.l[2]), peer.atom("XdndActionCopy"));
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_EQ(deliveries[0].window, window);
    EXPECT_EQ(deliveries[0].entries, (std::vector<std::string> { "/tmp/a b.txt", "/tmp/ё", "https://x.org/" }));
    EXPECT_EQ(deliveries[0].point, (PointF { 50, 40 }));
}

TEST_F(XdndTargetTest, the_source_is_told_where_a_drop_would_be_refused_and_such_a_drop_delivers_nothing)
{
    std::vector<long> accepted;
    std::optional<XClientMessageEvent> finished, unoffered;
    with_source([&](Source& source) {
        // Four types: the list is on the source's window.
        source.enter(window, { source.atom("A"), source.atom("B"), source.atom("C"), source.uri_list });
        accepted.push_back(source.move(window, 130, 80).data.l[1] & 1);
        accepted.push_back(source.move(window, 200, 80).data.l[1] & 1);
        finished = source.drop(window, "file:///tmp/x\r\n", true);
        finished = source.answer("XdndFinished");
        // A source that offers no list is refused everywhere.
        source.enter(window, { source.atom("text/plain") });
        accepted.push_back(source.move(window, 130, 80).data.l[1] & 1);
        send_message(peer.display, window, source.atom("XdndLeave"), static_cast<long>(source.window));
        // A position from a source that never entered still gets its answer.
        accepted.push_back(source.move(window, 130, 80).data.l[1] & 1);
    });
    EXPECT_EQ(accepted, (std::vector<long> { 1, 0, 0, 0 }));
    ASSERT_TRUE(finished);
    EXPECT_EQ(finished->data.l[1] & 1, 0);
    EXPECT_TRUE(deliveries.empty());
}

TEST_F(XdndTargetTest, a_source_that_never_hands_over_its_list_is_given_up_and_the_next_drag_works)
{
    with_source([&](Source& source) {
        source.enter(window, { source.uri_list });
        source.move(window, 130, 80);
        source.drop(window, "", true);
    });
    // The loop's clock reaching the deadline, without waiting for it.
    ASSERT_TRUE(pump_until(ours.display, [&](XEvent const& event) { target->handle_event(event); },
        [&] { return target->deadline().has_value(); }));
    target->expire(*target->deadline());
    EXPECT_FALSE(target->deadline());

    std::optional<XClientMessageEvent> given_up, finished;
    with_source([&](Source& source) {
        given_up = source.answer("XdndFinished");
        // Off the window, the pointer says nothing: the last position holds.
        XWarpPointer(peer.display, None, DefaultRootWindow(peer.display), 0, 0, 0, 0, 5, 5);
        source.enter(window, { source.uri_list });
        source.move(window, 110, 60);
        finished = source.drop(window, "file:///tmp/next\r\n");
    });
    EXPECT_EQ(given_up->data.l[1] & 1, 0);
    ASSERT_TRUE(finished);
    EXPECT_EQ(finished->data.l[1] & 1, 1);
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_EQ(deliveries[0].entries, std::vector<std::string> { "/tmp/next" });
    EXPECT_EQ(deliveries[0].point, (PointF { 10, 10 }));
}

TEST_F(XdndTargetTest, a_source_that_goes_away_during_the_drop_does_not_end_the_process)
{
    Window gone = None;
    with_source([&](Source& source) {
        source.enter(window, { source.uri_list });
        source.move(window, 130, 80);
        source.drop(window, "", true);
        gone = source.window;
    });
    XDestroyWindow(peer.display, gone);
    XSync(peer.display, False);
    ASSERT_TRUE(pump_until(ours.display, [&](XEvent const& event) { target->handle_event(event); },
        [&] { return target->deadline().has_value(); }));
    // The finished message goes to a window that no longer exists.
    target->expire(*target->deadline());
    XSync(ours.display, False);
    EXPECT_TRUE(deliveries.empty());
}

}
