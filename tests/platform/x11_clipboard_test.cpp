// The clipboard against another X client on the test's X server: as owner
// (every offered form, increments, a requestor that vanishes) and as
// requestor (increments, silence, untrusted answers, losing ownership).
#include "platform/linux/x11_selection.hpp"

#include "platform/linux/detail/utf.hpp"

#include <gtest/gtest.h>

// After gtest: Xlib's macros would rename its names.
#include "x11_peer.hpp"

#include <atomic>
#include <cstring>
#include <mutex>

using namespace orvy;
using namespace orvy::x11_test;
using orvy::linux_platform::X11Clipboard;

namespace {

std::string utf8_bytes(std::u8string_view text) { return { reinterpret_cast<char const*>(text.data()), text.size() }; }

std::vector<Atom> atoms_of(PropertyRead const& read)
{
    std::vector<Atom> atoms(read.bytes.size() / 4);
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        std::uint32_t item = 0;
        std::memcpy(&item, read.bytes.data() + i * 4, 4);
        atoms[i] = item;
    }
    return atoms;
}

// A text of about a megabyte with characters of every UTF-8 length.
std::u16string large_text(std::size_t units)
{
    std::u16string text;
    std::u16string const pattern = u"abc Ж€ \U0001F600\n";
    while (text.size() < units)
        text += pattern;
    text.resize(units - units % pattern.size());
    return text;
}

class X11ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!ours.display || !peer.display)
            GTEST_SKIP() << "no X server";
        // A loaded machine may keep the peer's thread waiting; only the
        // test of a silent owner waits for the real limit.
        clipboard.emplace(ours.display, std::chrono::duration_cast<std::chrono::milliseconds>(patience));
        host_window = ours.window();
    }

    // Runs the peer's part on a thread while this thread serves our events,
    // as the host's loop would; every event the clipboard does not take is
    // kept in `left_for_host`.
    void with_peer(std::function<void()> const& part)
    {
        std::atomic<bool> done = false;
        std::thread thread([&] {
            part();
            done = true;
        });
        bool finished = pump_until(
            ours.display,
            [&](XEvent const& event) {
                if (!clipboard->handle_event(event))
                    left_for_host.push_back(event);
            },
            [&] { return done.load(); });
        thread.join();
        ASSERT_TRUE(finished);
    }

    Connection ours;
    Connection peer;
    std::optional<X11Clipboard> clipboard;
    Window host_window = None;
    std::vector<XEvent> left_for_host;
};

TEST_F(X11ClipboardTest, other_clients_read_our_text_in_every_offered_form)
{
    std::u16string text = u"Grüße ☃ \U0001F600 end";
    ASSERT_TRUE(clipboard->set_text(text));
    EXPECT_TRUE(clipboard->owns());
    EXPECT_EQ(clipboard->text(), text);

    Atom selection = peer.atom("CLIPBOARD"), utf8 = peer.atom("UTF8_STRING"), mime = peer.atom("text/plain;charset=utf-8");
    Atom property = peer.atom("PEER_PROPERTY");
    Window window = peer.window();
    Conversion targets, as_utf8, as_mime, as_latin1, unnamed, unknown, multiple;
    PropertyRead pairs, first_of_pair;
    with_peer([&] {
        targets = convert(peer.display, window, selection, peer.atom("TARGETS"), property);
        as_utf8 = convert(peer.display, window, selection, utf8, property);
        as_mime = convert(peer.display, window, selection, mime, property);
        as_latin1 = convert(peer.display, window, selection, XA_STRING, property);
        // Obsolete requestors name no property; the answer goes to the target's name.
        unnamed = convert(peer.display, window, selection, utf8, None);
        unknown = convert(peer.display, window, selection, peer.atom("image/png"), property);
        long list[] = { static_cast<long>(utf8), static_cast<long>(peer.atom("ONE")),
            static_cast<long>(peer.atom("image/png")), static_cast<long>(peer.atom("TWO")) };
        XChangeProperty(peer.display, window, property, peer.atom("ATOM_PAIR"), 32, PropModeReplace,
            reinterpret_cast<unsigned char*>(list), 4);
        XConvertSelection(peer.display, selection, peer.atom("MULTIPLE"), property, window, CurrentTime);
        std::optional<XEvent> answered
            = wait_for(peer.display, [](XEvent const& event) { return event.type == SelectionNotify; });
        multiple.answered = answered.has_value();
        multiple.property = answered ? answered->xselection.property : None;
        pairs = read_whole(peer.display, window, property, false);
        first_of_pair = read_whole(peer.display, window, peer.atom("ONE"), false);
    });

    std::vector<Atom> offered = atoms_of(targets.value);
    for (Atom expected : { peer.atom("TARGETS"), peer.atom("MULTIPLE"), utf8, mime, XA_STRING })
        EXPECT_NE(std::find(offered.begin(), offered.end(), expected), offered.end()) << expected;
    std::string bytes = utf8_bytes(u8"Grüße ☃ \U0001F600 end");
    EXPECT_EQ(as_utf8.value.type, utf8);
    EXPECT_EQ(as_utf8.value.bytes, bytes);
    EXPECT_EQ(as_mime.value.type, mime);
    EXPECT_EQ(as_mime.value.bytes, bytes);
    // Latin-1: what it can hold as itself, one '?' per other character.
    EXPECT_EQ(as_latin1.value.type, XA_STRING);
    EXPECT_EQ(as_latin1.value.bytes, "Gr\xFC\xDF" "e ? ? end");
    EXPECT_EQ(unnamed.property, utf8);
    EXPECT_EQ(unnamed.value.bytes, bytes);
    EXPECT_TRUE(unknown.answered);
    EXPECT_EQ(unknown.property, None);
    ASSERT_TRUE(multiple.answered);
    EXPECT_EQ(multiple.property, property);
    EXPECT_EQ(atoms_of(pairs), (std::vector<Atom> { utf8, peer.atom("ONE"), peer.atom("image/png"), None }));
    EXPECT_EQ(first_of_pair.bytes, bytes);
}

TEST_F(X11ClipboardTest, a_large_text_goes_to_a_requestor_in_increments)
{
    std::u16string text = large_text(1000000);
    ASSERT_TRUE(clipboard->set_text(text));
    Window window = peer.window();
    Conversion received;
    with_peer([&] {
        received = convert(peer.display, window, peer.atom("CLIPBOARD"), peer.atom("UTF8_STRING"), peer.atom("P"));
    });
    EXPECT_TRUE(received.incremental);
    EXPECT_EQ(received.value.type, peer.atom("UTF8_STRING"));
    EXPECT_TRUE(received.value.bytes == linux_platform::detail::to_utf8(text));
}


// An owner on the peer connection whose answers each test scripts; it
// serves requests on a thread of its own while our side waits.
class ScriptedOwner {
public:
    using Answer = std::function<void(Display*, XSelectionRequestEvent const&)>;

    explicit ScriptedOwner(Connection& peer)
        : m_peer(peer)
        , m_window(peer.window())
    {
    }
    ~ScriptedOwner()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

    // Takes the clipboard (once) and answers from now on with `answer`.
    void answer_with(Answer answer)
    {
        std::lock_guard lock(m_mutex);
        m_answer = std::move(answer);
        if (m_thread.joinable())
            return;
        XSetSelectionOwner(m_peer.display, m_peer.atom("CLIPBOARD"), m_window, CurrentTime);
        XSync(m_peer.display, False);
        m_thread = std::thread([this] {
            while (!m_stop) {
                std::optional<XEvent> event = next_event(m_peer.display, Clock::now() + 20ms);
                if (!event || event->type != SelectionRequest)
                    continue;
                std::lock_guard inner(m_mutex);
                m_answer(m_peer.display, event->xselectionrequest);
            }
        });
    }

private:
    Connection& m_peer;
    Window m_window;
    std::mutex m_mutex;
    Answer m_answer;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

void answer_whole(Display* display, XSelectionRequestEvent const& request, Atom type, int format,
    std::string const& bytes)
{
    int count = static_cast<int>(bytes.size()) / (format / 8);
    std::vector<long> items;
    unsigned char const* data = reinterpret_cast<unsigned char const*>(bytes.data());
    if (format == 32) {
        items.assign(static_cast<std::size_t>(count), 0x41414141);
        data = reinterpret_cast<unsigned char const*>(items.data());
    }
    XChangeProperty(display, request.requestor, request.property, type, format, PropModeReplace, data, count);
    notify(display, request, request.property);
}

// Sends the bytes as the owner's side of an incremental transfer does,
// announcing `size_hint` as the size.
void answer_incrementally(Display* display, XSelectionRequestEvent const& request, Atom type,
    std::string const& bytes, long size_hint)
{
    XSelectInput(display, request.requestor, PropertyChangeMask);
    XChangeProperty(display, request.requestor, request.property, XInternAtom(display, "INCR", False), 32,
        PropModeReplace, reinterpret_cast<unsigned char const*>(&size_hint), 1);
    notify(display, request, request.property);
    std::size_t const chunk = 65536;
    for (std::size_t offset = 0;; offset += chunk) {
        std::optional<XEvent> deleted = wait_for(display, [&](XEvent const& event) {
            return event.type == PropertyNotify && event.xproperty.window == request.requestor
                && event.xproperty.atom == request.property && event.xproperty.state == PropertyDelete;
        });
        if (!deleted)
            return;
        std::size_t count = offset < bytes.size() ? std::min(chunk, bytes.size() - offset) : 0;
        XChangeProperty(display, request.requestor, request.property, type, 8, PropModeReplace,
            reinterpret_cast<unsigned char const*>(bytes.data() + std::min(offset, bytes.size())),
            static_cast<int>(count));
        XFlush(display);
        if (count == 0)
            break;
    }
    XSelectInput(display, request.requestor, NoEventMask);
    XFlush(display);
}

TEST_F(X11ClipboardTest, a_large_text_comes_from_an_owner_in_increments)
{
    std::u16string text = large_text(1000000);
    std::string bytes = linux_platform::detail::to_utf8(text);
    ScriptedOwner owner(peer);
    owner.answer_with([&](Display* display, XSelectionRequestEvent const& request) {
        answer_incrementally(display, request, request.target, bytes, static_cast<long>(bytes.size()));
    });
    std::u16string received = clipboard->text();
    EXPECT_TRUE(received == text) << received.size() << " units of " << text.size();
}

TEST_F(X11ClipboardTest, untrusted_answers_give_replacement_characters_or_nothing_and_never_more_than_the_limit)
{
    ScriptedOwner owner(peer);
    auto expect_text = [&](ScriptedOwner::Answer answer, std::u16string const& expected) {
        owner.answer_with(std::move(answer));
        std::u16string received = clipboard->text();
        EXPECT_TRUE(received == expected) << received.size() << " units, expected " << expected.size();
    };
    Atom utf8 = peer.atom("UTF8_STRING");
    expect_text([&](Display* d, XSelectionRequestEvent const& r) { answer_whole(d, r, utf8, 8, "ok \xFF\xC0\x80 end"); },
        u"ok \uFFFD\uFFFD\uFFFD end");
    expect_text([&](Display* d, XSelectionRequestEvent const& r) { answer_whole(d, r, utf8, 32, "abcdabcd"); }, u"");
    expect_text([&](Display* d, XSelectionRequestEvent const& r) {
        answer_whole(d, r, peer.atom("image/png"), 8, "\x89PNG");
    }, u"");
    // An owner without UTF-8 is asked again for Latin-1.
    expect_text([&](Display* d, XSelectionRequestEvent const& r) {
        if (r.target == XA_STRING)
            answer_whole(d, r, XA_STRING, 8, "caf\xE9");
        else
            notify(d, r, None);
    }, u"caf\u00E9");
    // The announced size is only the owner's word.
    expect_text([&](Display* d, XSelectionRequestEvent const& r) {
        answer_incrementally(d, r, utf8, "abcdef", 0x7FFFFFFF);
    }, u"abcdef");
    std::string oversized(1200000, 'x');
    std::u16string limit(1000001, u'x');
    expect_text([&](Display* d, XSelectionRequestEvent const& r) { answer_whole(d, r, utf8, 8, oversized); }, limit);
    expect_text([&](Display* d, XSelectionRequestEvent const& r) {
        answer_incrementally(d, r, utf8, oversized, static_cast<long>(oversized.size()));
    }, limit);
}

TEST_F(X11ClipboardTest, a_silent_owner_gives_empty_text_and_every_other_event_stays_queued_in_order)
{
    Atom marker = peer.atom("PEER_MARKER");
    ScriptedOwner owner(peer);
    // Messages for the host's window come before and while we wait.
    send_message(peer.display, host_window, marker, 1);
    send_message(peer.display, host_window, marker, 2);
    owner.answer_with([&](Display* display, XSelectionRequestEvent const&) {
        send_message(display, host_window, marker, 3);
    });
    XSync(ours.display, False);
    clipboard.emplace(ours.display);
    EXPECT_EQ(clipboard->text(), u"");

    std::vector<long> seen;
    bool all = pump_until(
        ours.display,
        [&](XEvent const& event) {
            if (!clipboard->handle_event(event) && event.type == ClientMessage)
                seen.push_back(event.xclient.data.l[0]);
        },
        [&] { return seen.size() >= 3; });
    EXPECT_TRUE(all);
    EXPECT_EQ(seen, (std::vector<long> { 1, 2, 3 }));
}

TEST_F(X11ClipboardTest, another_client_taking_the_clipboard_makes_us_read_its_text)
{
    ASSERT_TRUE(clipboard->set_text(u"ours"));
    ScriptedOwner owner(peer);
    owner.answer_with([&](Display* d, XSelectionRequestEvent const& r) {
        answer_whole(d, r, peer.atom("UTF8_STRING"), 8, "theirs");
    });
    // The loss is still queued, not yet seen by the host's loop.
    EXPECT_EQ(clipboard->text(), u"theirs");
    EXPECT_FALSE(clipboard->owns());
}

TEST_F(X11ClipboardTest, a_requestor_that_vanishes_during_increments_costs_nothing_but_its_transfer)
{
    ASSERT_TRUE(clipboard->set_text(large_text(300000)));
    Atom selection = peer.atom("CLIPBOARD"), utf8 = peer.atom("UTF8_STRING"), property = peer.atom("P");
    Window vanishing = peer.window();
    int deletions = 0;
    std::atomic<bool> done = false;
    std::thread requestor([&] {
        XConvertSelection(peer.display, selection, utf8, property, vanishing, CurrentTime);
        wait_for(peer.display, [](XEvent const& event) { return event.type == SelectionNotify; });
        read_whole(peer.display, vanishing, property, true);
        wait_for(peer.display, [&](XEvent const& event) {
            return event.type == PropertyNotify && event.xproperty.state == PropertyNewValue;
        });
        // Takes the first chunk, asking for the next, and goes away.
        XDeleteProperty(peer.display, vanishing, property);
        XDestroyWindow(peer.display, vanishing);
        XSync(peer.display, False);
        done = true;
    });
    bool served = pump_until(
        ours.display,
        [&](XEvent const& event) {
            if (clipboard->handle_event(event) && event.type == PropertyNotify)
                ++deletions;
        },
        [&] { return done && deletions >= 2; });
    requestor.join();
    EXPECT_TRUE(served);

    Window window = peer.window();
    Conversion after;
    with_peer([&] { after = convert(peer.display, window, selection, peer.atom("TARGETS"), property); });
    EXPECT_NE(after.property, None);
}

}
