// Real windows under an X server: pixels on screen, the frame timer, wake-ups,
// sub-windows, modal windows, resizing, the window manager's properties and
// input sent through the server.
#include "platform/linux/pango_text_engine.hpp"
#include "platform/linux/x11_host.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// Xlib last: its macros clash with names in core.
#include "platform/linux/detail/x11.hpp"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

using namespace orvy;
using namespace std::chrono_literals;
using orvy::linux_platform::X11Host;
using orvy::linux_platform::X11Window;

extern char** environ;

namespace {

// The X server starts over whenever its last client goes, refusing
// connections meanwhile; one connection stays open for the whole run.
class KeepServer final : public ::testing::Environment {
public:
    void SetUp() override { m_display = XOpenDisplay(nullptr); }
    void TearDown() override
    {
        if (m_display)
            XCloseDisplay(m_display);
    }

private:
    Display* m_display = nullptr;
};
[[maybe_unused]] ::testing::Environment* const keep_server = ::testing::AddGlobalTestEnvironment(new KeepServer);

struct Record {
    int paints = 0;
    std::atomic<int> updates = 0;
    bool changing = false;
    bool only_clear = false; // frames of the background colour alone
    bool green_bar = false;  // a bar down (300, 300)..(380, 400) as well
    std::vector<ClientSize> sizes;
    std::vector<std::pair<float, float>> presses;
    std::vector<std::pair<float, float>> right_presses;
    std::vector<std::int32_t> wheels;
    std::vector<std::uint32_t> keys;
    std::u16string characters;
    std::function<void(NativeWindow&)> on_update;
};

class RecordingHandlers final : public WindowHandlers {
public:
    explicit RecordingHandlers(Record& record) : m_record(record) { }
    void attached(NativeWindow& window) override { m_window = &window; }
    bool frame_update() override
    {
        ++m_record.updates;
        if (m_record.on_update)
            m_record.on_update(*m_window);
        return m_record.changing;
    }
    void paint(Canvas& canvas) override
    {
        ++m_record.paints;
        canvas.clear(m_window->is_transparent() ? Color { 0, 0, 0, 0 } : Color { 0.125f, 0.25f, 0.5f, 1 });
        if (m_record.only_clear)
            return;
        canvas.fill_rounded_rect({ 20, 20, 120, 60 }, 10, Color { 1, 0, 0, 1 });
        auto format = m_text.format(text_format_key(TextRole::Title, 0, 20));
        canvas.draw_text(*m_text.layout(u"Привет, orvy", *format, 200, 40), { 150, 20 }, Color { 1, 1, 1, 1 });
        if (m_record.green_bar)
            canvas.fill_rect({ 300, 300, 80, 100 }, Color { 0, 1, 0, 1 });
    }
    void resize(ClientSize size) override { m_record.sizes.push_back(size); }
    void left_down(float x, float y) override { m_record.presses.emplace_back(x, y); }
    bool right_down(float x, float y) override
    {
        m_record.right_presses.emplace_back(x, y);
        return false;
    }
    bool wheel(std::int32_t delta) override
    {
        m_record.wheels.push_back(delta);
        return false;
    }
    bool key_down(std::uint32_t key) override
    {
        m_record.keys.push_back(key);
        return false;
    }
    bool character(char16_t unit) override
    {
        m_record.characters.push_back(unit);
        return false;
    }

private:
    Record& m_record;
    NativeWindow* m_window = nullptr;
    linux_platform::PangoTextEngine m_text;
};

class X11HostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (host.screen_size() == ClientSize {})
            GTEST_SKIP() << "no X server to open windows on";
        display = host.display();
    }

    X11Window* open(Record& record, WindowOptions options, WindowHooks hooks = {})
    {
        WindowCreation made = host.create_window(options, std::move(hooks), std::make_unique<RecordingHandlers>(record));
        EXPECT_TRUE(made.window) << made.error;
        return static_cast<X11Window*>(made.window);
    }

    static WindowOptions at_origin(std::int32_t width = 320, std::int32_t height = 200)
    {
        WindowOptions options;
        options.position = PointI { 0, 0 };
        options.width = width;
        options.height = height;
        return options;
    }

    // Serves the loop until the condition holds or the time is up.
    bool serve_until(std::function<bool()> const& done, std::chrono::seconds limit = 5s)
    {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done() && std::chrono::steady_clock::now() < deadline)
            host.serve_once(20ms);
        return done();
    }

    void serve_for(std::chrono::milliseconds span)
    {
        auto deadline = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < deadline)
            host.serve_once(10ms);
    }

    // An event as another client would send it; the server delivers it as
    // it delivers the user's.
    void send(X11Window* window, XEvent event, long mask)
    {
        event.xany.window = window->xid();
        event.xany.display = display;
        XSendEvent(display, window->xid(), False, mask, &event);
        XFlush(display);
    }

    void send_button(X11Window* window, unsigned button, int type = ButtonPress)
    {
        XEvent event {};
        event.type = type;
        event.xbutton.button = button;
        event.xbutton.x = 5;
        event.xbutton.y = 6;
        event.xbutton.same_screen = True;
        send(window, event, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask);
    }

    void send_key(X11Window* window, KeySym symbol, unsigned state = 0)
    {
        XEvent event {};
        event.type = KeyPress;
        event.xkey.keycode = XKeysymToKeycode(display, symbol);
        event.xkey.state = state;
        event.xkey.same_screen = True;
        send(window, event, KeyPressMask);
    }

    std::vector<long> property(X11Window* window, char const* name)
    {
        Atom atom = XInternAtom(display, name, False);
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::vector<long> values;
        if (XGetWindowProperty(display, window->xid(), atom, 0, 64, False, AnyPropertyType, &type, &format, &count,
                &after, &data)
                == Success
            && data && format == 32)
            values.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
        if (data)
            XFree(data);
        return values;
    }

    std::string text_property(X11Window* window, char const* name)
    {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::string text;
        if (XGetWindowProperty(display, window->xid(), XInternAtom(display, name, False), 0, 1024, False,
                XInternAtom(display, "UTF8_STRING", False), &type, &format, &count, &after, &data)
                == Success
            && data && format == 8)
            text.assign(reinterpret_cast<char*>(data), count);
        if (data)
            XFree(data);
        return text;
    }

    // Reads one pixel of the window back from the X server as 0xRRGGBB.
    std::uint32_t screen_pixel(X11Window* window, int x, int y)
    {
        XSync(display, False);
        XImage* image = XGetImage(display, window->xid(), x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return 0xDEADBEEF;
        auto pixel = static_cast<std::uint32_t>(XGetPixel(image, 0, 0) & 0xFFFFFF);
        XDestroyImage(image);
        return pixel;
    }

    // Maps a window of another client over (40, 30, 100, 60) of the screen and
    // destroys it: the server keeps no pixels for what it covered, so that
    // part of the window under it is lost until presented again.
    void cover_and_uncover()
    {
        XSetWindowAttributes attributes {};
        attributes.override_redirect = True;
        attributes.background_pixel = 0x00FF00;
        Window cover = XCreateWindow(display, DefaultRootWindow(display), 40, 30, 100, 60, 0, CopyFromParent,
            InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
        XMapRaised(display, cover);
        XSync(display, False);
        XDestroyWindow(display, cover);
        XSync(display, False);
    }

    X11Host host;
    Display* display = nullptr;
};

}

TEST_F(X11HostTest, a_painted_frame_reaches_the_screen)
{
    Record record;
    X11Window* window = open(record, at_origin(400, 120));
    ASSERT_TRUE(window);
    ASSERT_TRUE(serve_until([&] { return record.paints > 0; }));
    EXPECT_EQ(screen_pixel(window, 5, 5), 0x204080u);
    EXPECT_EQ(screen_pixel(window, 60, 50), 0xFF0000u);
    EXPECT_EQ(screen_pixel(window, 21, 21), 0x204080u); // outside the rounded corner
    int lit = 0;
    for (int x = 150; x < 350; x += 2)
        lit += screen_pixel(window, x, 40) != 0x204080u;
    EXPECT_GT(lit, 5) << "the text left no pixels";
    EXPECT_EQ(record.sizes, (std::vector<ClientSize> { { 400, 120 } }));
}

TEST_F(X11HostTest, frames_after_shrinking_and_growing_cover_the_whole_new_size)
{
    Record record;
    X11Window* window = open(record, at_origin(400, 300));
    ASSERT_TRUE(window);
    ASSERT_TRUE(serve_until([&] { return record.paints > 0; }));
    // Smaller frames reuse the memory of the first; a larger one needs more.
    for (ClientSize size : { ClientSize { 200, 100 }, ClientSize { 400, 300 }, ClientSize { 640, 480 } }) {
        int painted = record.paints;
        XResizeWindow(display, window->xid(), size.width, size.height);
        ASSERT_TRUE(serve_until([&] { return !record.sizes.empty() && record.sizes.back() == size && record.paints > painted; }));
        EXPECT_EQ(screen_pixel(window, 5, 5), 0x204080u) << size.width;
        EXPECT_EQ(screen_pixel(window, 60, 50), 0xFF0000u) << size.width;
        EXPECT_EQ(screen_pixel(window, static_cast<int>(size.width) - 2, static_cast<int>(size.height) - 2), 0x204080u)
            << size.width;
    }
}

TEST_F(X11HostTest, an_idle_window_stops_ticking_until_another_thread_wakes_it)
{
    Record record;
    X11Window* window = open(record, at_origin());
    ASSERT_TRUE(window);
    ASSERT_TRUE(serve_until([&] { return !window->timer_running(); }));
    int quiet = record.updates;
    EXPECT_GE(quiet, 9);
    serve_for(150ms);
    EXPECT_EQ(record.updates, quiet);

    std::shared_ptr<Waker> waker = window->waker();
    std::thread([waker] { waker->wake(); }).join();
    EXPECT_TRUE(serve_until([&] { return record.updates > quiet; }));
    EXPECT_TRUE(serve_until([&] { return !window->timer_running(); }));
}

TEST_F(X11HostTest, a_wake_from_another_thread_ends_a_wait_without_a_timeout)
{
    Record record;
    X11Window* window = open(record, at_origin());
    ASSERT_TRUE(window);
    ASSERT_TRUE(serve_until([&] { return !window->timer_running(); }));
    int quiet = record.updates;
    std::shared_ptr<Waker> waker = window->waker();
    std::thread waking([waker] {
        std::this_thread::sleep_for(50ms);
        waker->wake();
    });
    // Nothing else is due: only the wake-up can end this wait.
    host.serve_once(std::chrono::milliseconds::max());
    waking.join();
    serve_until([&] { return record.updates > quiet; });
    EXPECT_GT(record.updates, quiet);
}

TEST_F(X11HostTest, a_window_that_keeps_changing_keeps_its_timer_and_repaints)
{
    Record record;
    record.changing = true;
    X11Window* window = open(record, at_origin());
    ASSERT_TRUE(window);
    EXPECT_TRUE(serve_until([&] { return record.updates > 20 && record.paints > 10; }));
    EXPECT_TRUE(window->timer_running());
}

TEST_F(X11HostTest, closing_a_sub_window_keeps_the_loop_and_closing_the_main_window_ends_it)
{
    Record main_record, sub_record;
    X11Window* main = open(main_record, at_origin());
    ASSERT_TRUE(main);
    int closes = 0;
    WindowOptions sub_options = WindowOptions::sub_window();
    sub_options.owner = main->id();
    sub_options.center = CenterMode::Parent;
    WindowHooks hooks;
    hooks.on_close = [&] { ++closes; };
    X11Window* sub = open(sub_record, sub_options, std::move(hooks));
    ASSERT_TRUE(sub);
    WindowId sub_id = sub->id();

    // The main window closes the sub-window on its third frame and itself on its thirtieth.
    main_record.changing = true;
    main_record.on_update = [&](NativeWindow& window) {
        if (main_record.updates == 3)
            host.find(sub_id)->request_close();
        if (main_record.updates == 30)
            window.request_close();
    };
    WindowId main_id = main->id();
    host.run(main_id);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(host.find(sub_id), nullptr);
    EXPECT_EQ(host.find(main_id), nullptr);
    EXPECT_GE(main_record.updates, 30);
}

TEST_F(X11HostTest, a_modal_sub_window_blocks_its_owner_and_its_close_box_until_it_is_gone)
{
    Record main_record, sub_record;
    X11Window* main = open(main_record, at_origin());
    ASSERT_TRUE(main);
    WindowOptions sub_options = WindowOptions::sub_window();
    sub_options.owner = main->id();
    sub_options.modal = true;
    sub_options.center = CenterMode::Screen;
    X11Window* sub = open(sub_record, sub_options);
    ASSERT_TRUE(sub);
    EXPECT_FALSE(main->is_enabled());
    EXPECT_EQ(property(sub, "WM_TRANSIENT_FOR"), (std::vector<long> { static_cast<long>(main->xid()) }));
    std::vector<long> state = property(sub, "_NET_WM_STATE");
    EXPECT_EQ(state, (std::vector<long> { static_cast<long>(XInternAtom(display, "_NET_WM_STATE_MODAL", False)) }));

    // The owner's close box, as the window manager sends it.
    XEvent close {};
    close.type = ClientMessage;
    close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    WindowId main_id = main->id();
    send(main, close, NoEventMask);
    send_button(main, Button1);
    send_button(sub, Button1);
    serve_until([&] { return !sub_record.presses.empty(); });
    EXPECT_TRUE(main_record.presses.empty());
    EXPECT_EQ(sub_record.presses.size(), 1u);
    ASSERT_NE(host.window(main_id), nullptr) << "a blocked window ignores its close box";

    sub->request_close();
    serve_until([&] { return host.window(main_id)->is_enabled(); });
    send_button(main, Button1);
    EXPECT_TRUE(serve_until([&] { return !main_record.presses.empty(); }));
    send(main, close, NoEventMask);
    EXPECT_TRUE(serve_until([&] { return host.window(main_id) == nullptr; }));
}

TEST_F(X11HostTest, buttons_and_wheel_notches_reach_the_handlers)
{
    Record record;
    X11Window* window = open(record, at_origin());
    ASSERT_TRUE(window);
    send_button(window, Button3);
    send_button(window, Button4);
    send_button(window, Button5);
    send_button(window, Button4, ButtonRelease); // a notch is its press only
    ASSERT_TRUE(serve_until([&] { return record.wheels.size() == 2; }));
    EXPECT_EQ(record.right_presses, (std::vector<std::pair<float, float>> { { 5.0f, 6.0f } }));
    EXPECT_EQ(record.wheels, (std::vector<std::int32_t> { 120, -120 }));
    EXPECT_TRUE(record.presses.empty());
}

TEST_F(X11HostTest, keys_arrive_as_codes_then_characters_and_modifiers_are_tracked)
{
    Record record;
    X11Window* window = open(record, at_origin());
    ASSERT_TRUE(window);
    send_key(window, XK_a);
    send_key(window, XK_a, ShiftMask);
    send_key(window, XK_BackSpace);
    send_key(window, XK_Return);
    send_key(window, XK_a, ControlMask); // a hot key: no character
    ASSERT_TRUE(serve_until([&] { return record.keys.size() == 5; }));
    EXPECT_EQ(record.keys, (std::vector<std::uint32_t> { 0x41, 0x41, 0x08, 0x0D, 0x41 }));
    EXPECT_EQ(record.characters, u"aA\b\r");
    EXPECT_EQ(host.key_modifiers(), key_modifier::control);
}

TEST_F(X11HostTest, resizing_reports_the_last_size_to_the_hook_and_the_handlers)
{
    Record record;
    std::vector<std::pair<float, float>> hooked;
    WindowHooks hooks;
    hooks.on_resize = [&](float w, float h) { hooked.emplace_back(w, h); };
    X11Window* window = open(record, at_origin(), std::move(hooks));
    ASSERT_TRUE(window);
    serve_until([&] { return record.paints > 0; });
    // Sizes the server reports in one go are laid out once, at the last.
    XResizeWindow(display, window->xid(), 450, 240);
    XResizeWindow(display, window->xid(), 500, 260);
    XSync(display, False);
    ASSERT_TRUE(serve_until([&] { return !hooked.empty(); }));
    EXPECT_EQ(hooked, (std::vector<std::pair<float, float>> { { 500, 260 } }));
    EXPECT_EQ(record.sizes.back(), (ClientSize { 500, 260 }));
    EXPECT_EQ(window->client_size(), (ClientSize { 500, 260 }));
}

TEST_F(X11HostTest, glass_is_transparent_only_with_a_compositor)
{
    Record record;
    WindowOptions options = at_origin();
    options.glass = true;
    X11Window* opaque = open(record, options);
    ASSERT_TRUE(opaque);
    EXPECT_FALSE(opaque->is_transparent());

    // With xcompmgr running the same window gets an alpha channel.
    pid_t compositor = 0;
    char const* arguments[] = { "xcompmgr", nullptr };
    if (posix_spawnp(&compositor, "xcompmgr", nullptr, nullptr, const_cast<char**>(arguments), environ) != 0)
        GTEST_SKIP() << "xcompmgr is not installed";
    Record glass_record;
    X11Window* glass = nullptr;
    for (int attempt = 0; attempt < 40 && !(glass && glass->is_transparent()); ++attempt) {
        std::this_thread::sleep_for(50ms);
        glass = open(glass_record, options);
    }
    EXPECT_TRUE(glass && glass->is_transparent());
    serve_until([&] { return glass_record.paints > 0; });
    kill(compositor, SIGTERM);
    waitpid(compositor, nullptr, 0);
}

TEST_F(X11HostTest, the_screen_size_is_the_x_screen)
{
    ClientSize screen = host.screen_size();
    EXPECT_EQ(screen.width, static_cast<std::uint32_t>(DisplayWidth(display, DefaultScreen(display))));
    EXPECT_EQ(screen.height, static_cast<std::uint32_t>(DisplayHeight(display, DefaultScreen(display))));
    EXPECT_EQ(host.find(12345), nullptr);
}

TEST_F(X11HostTest, the_work_area_is_the_desktops_within_the_screen_or_the_whole_screen)
{
    Window root = DefaultRootWindow(display);
    Atom workarea = XInternAtom(display, "_NET_WORKAREA", False);
    XDeleteProperty(display, root, workarea);
    ClientSize screen = host.screen_size();
    RectI whole { 0, 0, static_cast<std::int32_t>(screen.width), static_cast<std::int32_t>(screen.height) };
    EXPECT_EQ(host.work_area(), whole);
    // A panel of 30 pixels at the top; the area reaches past the screen's right edge.
    long area[4] = { 0, 30, static_cast<long>(screen.width) + 100, static_cast<long>(screen.height) - 30 };
    XChangeProperty(display, root, workarea, XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<unsigned char*>(area), 4);
    EXPECT_EQ(host.work_area(), (RectI { 0, 30, whole.right, whole.bottom }));
    XDeleteProperty(display, root, workarea);
    XSync(display, False);
}

TEST_F(X11HostTest, windows_are_centred_and_described_to_the_window_manager_from_their_options)
{
    Record record;
    WindowOptions options;
    options.width = 400;
    options.height = 300;
    options.center = CenterMode::Screen;
    options.frameless = true;
    options.topmost = true;
    options.title = "Окно orvy";
    X11Window* window = open(record, options);
    ASSERT_TRUE(window);
    serve_until([&] { return record.paints > 0; });
    RectI area = host.work_area();
    PointI at = window->position();
    EXPECT_EQ(at.x, area.left + (area.right - area.left - 400) / 2);
    EXPECT_EQ(at.y, area.top + (area.bottom - area.top - 300) / 2);
    EXPECT_EQ(property(window, "_MOTIF_WM_HINTS"), (std::vector<long> { 2, 0, 0, 0, 0 })) << "no frame";
    std::vector<long> state = property(window, "_NET_WM_STATE");
    EXPECT_NE(std::find(state.begin(), state.end(), static_cast<long>(XInternAtom(display, "_NET_WM_STATE_ABOVE", False))),
        state.end());
    EXPECT_EQ(property(window, "_NET_WM_PID"), (std::vector<long> { static_cast<long>(getpid()) }));
    EXPECT_EQ(text_property(window, "_NET_WM_NAME"), "Окно orvy");
    XTextProperty name {};
    ASSERT_TRUE(XGetWMName(display, window->xid(), &name));
    EXPECT_EQ(name.encoding, XInternAtom(display, "COMPOUND_TEXT", False)) << "not Latin-1: the ICCCM's encoding";
    XFree(name.value);
    XSizeHints hints {};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(display, window->xid(), &hints, &supplied));
    EXPECT_EQ(hints.flags & (PMinSize | PMaxSize), PMinSize | PMaxSize) << "frameless windows keep their size";
    EXPECT_EQ(hints.max_width, 400);

    WindowOptions plain = at_origin();
    plain.title = "Grüße";
    X11Window* resizable = open(record, plain);
    ASSERT_TRUE(resizable);
    ASSERT_TRUE(XGetWMName(display, resizable->xid(), &name)) << "written with the window, before its first frame";
    EXPECT_EQ(name.encoding, XA_STRING);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(name.value), name.nitems), "Gr\xFC\xDF" "e");
    XFree(name.value);
    XTextProperty locale_name {};
    ASSERT_TRUE(XGetTextProperty(display, resizable->xid(), &locale_name, XInternAtom(display, "WM_LOCALE_NAME", False)));
    EXPECT_STREQ(reinterpret_cast<char*>(locale_name.value), setlocale(LC_CTYPE, nullptr));
    XFree(locale_name.value);
    std::vector<long> motif = property(resizable, "_MOTIF_WM_HINTS");
    ASSERT_EQ(motif.size(), 5u);
    EXPECT_EQ(motif[0], 3) << "functions and decorations";
    EXPECT_EQ(motif[1], 2 | 4 | 8 | 16 | 32) << "resize, move, minimise, maximise, close";
    EXPECT_EQ(motif[2], 1);
    ASSERT_TRUE(XGetWMNormalHints(display, resizable->xid(), &hints, &supplied));
    EXPECT_EQ(hints.flags & (PMinSize | PMaxSize), 0);
    XClassHint hint {};
    ASSERT_TRUE(XGetClassHint(display, resizable->xid(), &hint));
    EXPECT_STREQ(hint.res_name, program_invocation_short_name);
    XFree(hint.res_name);
    XFree(hint.res_class);
}

TEST_F(X11HostTest, a_frame_the_window_manager_adds_comes_off_the_size_asked_for)
{
    Record record;
    X11Window* window = open(record, at_origin(400, 300));
    ASSERT_TRUE(window);
    serve_until([&] { return record.paints > 0; });
    // As a window manager announces the frame it put around the window.
    long extents[4] = { 2, 2, 20, 3 };
    Atom frame = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
    XChangeProperty(display, window->xid(), frame, XA_CARDINAL, 32, PropModeReplace,
        reinterpret_cast<unsigned char*>(extents), 4);
    ASSERT_TRUE(serve_until([&] { return window->client_size() == ClientSize { 396, 277 }; }));
    // Only the first frame does: later changes keep the client size.
    extents[2] = 30;
    XChangeProperty(display, window->xid(), frame, XA_CARDINAL, 32, PropModeReplace,
        reinterpret_cast<unsigned char*>(extents), 4);
    serve_for(100ms);
    EXPECT_EQ(window->client_size(), (ClientSize { 396, 277 }));
    EXPECT_EQ(window->frame_extents()[2], 30);
}

TEST(IconProperty, pixels_go_out_as_straight_alpha_argb_after_their_size)
{
    // Premultiplied BGRA: opaque red, half-transparent white, nothing.
    std::uint8_t const pixels[] = { 0, 0, 255, 255, 128, 128, 128, 128, 0, 0, 0, 0 };
    std::vector<long> items = linux_platform::detail::icon_property(pixels, 3, 1, 100);
    EXPECT_EQ(items, (std::vector<long> { 3, 1, 0xFFFF0000L, 0x80FFFFFFL, 0 }));
    EXPECT_TRUE(linux_platform::detail::icon_property(pixels, 3, 1, 4).empty()) << "larger than a request takes";
    EXPECT_TRUE(linux_platform::detail::icon_property(pixels, 2, 2, 100).empty()) << "fewer pixels than the size says";
}

namespace {

// A client that takes the window manager's part: it holds the redirection
// of the root window's children, so a map request waits until it maps the
// window itself, as a real window manager does after framing it.
class RedirectingManager {
public:
    RedirectingManager() : m_display(XOpenDisplay(nullptr))
    {
        if (!m_display)
            return;
        XSelectInput(m_display, DefaultRootWindow(m_display), SubstructureRedirectMask);
        XSync(m_display, False);
    }
    ~RedirectingManager()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    RedirectingManager(RedirectingManager const&) = delete;
    RedirectingManager& operator=(RedirectingManager const&) = delete;

    bool has_request_to_map(unsigned long xid)
    {
        XSync(m_display, False);
        XEvent event;
        while (XCheckTypedEvent(m_display, MapRequest, &event)) {
            if (event.xmaprequest.window == xid)
                return true;
        }
        return false;
    }
    void map(unsigned long xid)
    {
        XMapWindow(m_display, xid);
        XSync(m_display, False);
    }

private:
    Display* m_display;
};

bool is_viewable(Display* display, unsigned long xid)
{
    XWindowAttributes attributes {};
    return XGetWindowAttributes(display, xid, &attributes) && attributes.map_state == IsViewable;
}

}

TEST_F(X11HostTest, a_frame_drawn_before_the_window_manager_maps_the_window_is_presented_again_when_exposed)
{
    RedirectingManager manager;
    Record record;
    X11Window* window = open(record, at_origin(400, 120));
    ASSERT_TRUE(window);
    EXPECT_TRUE(property(window, "XdndAware").empty()) << "drops are announced after the first frame";
    // No Expose can come while the window is not viewable: the frame is painted and presented anyway.
    ASSERT_TRUE(serve_until([&] { return window->is_first_frame_out(); }));
    EXPECT_EQ(record.paints, 1);
    EXPECT_EQ(window->presents(), 1u);
    EXPECT_TRUE(manager.has_request_to_map(window->xid()));
    EXPECT_FALSE(is_viewable(display, window->xid()));
    EXPECT_FALSE(property(window, "XdndAware").empty());

    // What was presented before the window was viewable is lost; the Expose
    // of the map brings it back from the kept frame, without a paint.
    manager.map(window->xid());
    ASSERT_TRUE(serve_until([&] { return window->presents() >= 2; }));
    EXPECT_EQ(record.paints, 1);
    EXPECT_EQ(screen_pixel(window, 5, 5), 0x204080u);
    EXPECT_EQ(screen_pixel(window, 60, 50), 0xFF0000u);
}

TEST_F(X11HostTest, a_window_uncovered_shows_its_kept_frame_again_without_painting)
{
    Record record;
    X11Window* window = open(record, at_origin(400, 120));
    ASSERT_TRUE(window);
    ASSERT_TRUE(serve_until([&] { return record.paints > 0 && is_viewable(display, window->xid()); }));
    serve_for(50ms); // the map's own Expose
    int paints = record.paints;
    std::uint64_t presents = window->presents();

    cover_and_uncover();
    EXPECT_NE(screen_pixel(window, 60, 50), 0xFF0000u) << "the server kept none of the covered part";
    ASSERT_TRUE(serve_until([&] { return window->presents() > presents; }));
    EXPECT_EQ(record.paints, paints);
    EXPECT_EQ(screen_pixel(window, 60, 50), 0xFF0000u);
    EXPECT_EQ(screen_pixel(window, 130, 80), 0x204080u);
}

TEST(WindowTitle, latin1_titles_are_written_as_they_are_and_others_are_not)
{
    using linux_platform::detail::latin1_text;
    EXPECT_EQ(latin1_text("Grüße, orvy"), std::optional<std::string>("Gr\xFC\xDF" "e, orvy"));
    EXPECT_EQ(latin1_text("a\tb\nc"), std::optional<std::string>("a\tb\nc"));
    EXPECT_EQ(latin1_text("Привет"), std::nullopt);
    EXPECT_EQ(latin1_text("€"), std::nullopt) << "beyond U+00FF";
    EXPECT_EQ(latin1_text("bell\a"), std::nullopt) << "control characters";
    EXPECT_EQ(latin1_text("\xC2\x85"), std::nullopt) << "C1 controls";
    EXPECT_EQ(latin1_text("\xC0\xA9"), std::nullopt) << "an overlong form";
    EXPECT_EQ(latin1_text("cut \xC3"), std::nullopt) << "a sequence cut short";
    EXPECT_EQ(latin1_text("\xE9t\xE9"), std::nullopt) << "Latin-1 bytes are not UTF-8";
}

TEST_F(X11HostTest, a_frame_of_one_colour_shows_it_and_the_next_drawn_frame_covers_it)
{
    Record record;
    record.only_clear = true;
    X11Window* window = open(record, at_origin(400, 120));
    ASSERT_TRUE(window);
    ASSERT_TRUE(serve_until([&] { return record.paints > 0 && is_viewable(display, window->xid()); }));
    serve_for(50ms);
    EXPECT_EQ(screen_pixel(window, 5, 5), 0x204080u) << "the colour a clear stores";
    EXPECT_EQ(screen_pixel(window, 399, 119), 0x204080u);

    // Uncovered, the flat frame is shown again as it was.
    cover_and_uncover();
    std::uint64_t presents = window->presents();
    ASSERT_TRUE(serve_until([&] { return window->presents() > presents; }));
    EXPECT_EQ(screen_pixel(window, 60, 50), 0x204080u);

    // The next frame draws on the clear: its pixels are written after all.
    record.only_clear = false;
    int paints = record.paints;
    window->invalidate();
    ASSERT_TRUE(serve_until([&] { return record.paints > paints; }));
    EXPECT_EQ(screen_pixel(window, 5, 5), 0x204080u);
    EXPECT_EQ(screen_pixel(window, 60, 50), 0xFF0000u);
    EXPECT_EQ(screen_pixel(window, 399, 119), 0x204080u);
}

TEST(CairoCanvasClear, a_clear_waits_for_the_next_drawing_and_alone_makes_a_flat_frame)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 8, 8);
    auto pixel = [&](int x, int y) {
        cairo_surface_flush(surface);
        auto const* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
        return reinterpret_cast<std::uint32_t const*>(row)[x] & 0xFFFFFF;
    };
    Color blue { 0.125f, 0.25f, 0.5f, 1 };
    linux_platform::CairoCanvas canvas;
    canvas.set_defers_clear(true);

    int asked = 0;
    auto source = [&] {
        ++asked;
        return surface;
    };
    canvas.begin(source);
    canvas.clear(Color { 1, 1, 1, 1 });
    canvas.clear(blue);
    canvas.end();
    ASSERT_TRUE(canvas.flat_frame());
    EXPECT_EQ(*canvas.flat_frame(), blue) << "the last clear";
    EXPECT_EQ(asked, 0) << "no pixels needed";
    EXPECT_EQ(pixel(0, 0), 0u) << "no pixel written";
    canvas.fill_flat_frame(source);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(pixel(7, 7), 0x204080u);

    canvas.begin(source);
    canvas.clear(Color { 1, 1, 1, 1 });
    canvas.fill_rect({ 0, 0, 2, 2 }, Color { 1, 0, 0, 1 });
    canvas.clear(Color { 0, 1, 0, 1 }); // after drawing: at once
    canvas.fill_rect({ 6, 6, 2, 2 }, Color { 1, 0, 0, 1 });
    canvas.end();
    EXPECT_FALSE(canvas.flat_frame());
    EXPECT_EQ(asked, 2) << "once a frame";
    EXPECT_EQ(pixel(0, 0), 0x00FF00u);
    EXPECT_EQ(pixel(7, 7), 0xFF0000u);

    // Without memory for the pixels the frame draws nothing and survives.
    canvas.begin([] { return static_cast<cairo_surface_t*>(nullptr); });
    canvas.clear(blue);
    canvas.fill_rect({ 0, 0, 2, 2 }, Color { 1, 0, 0, 1 });
    canvas.push_clip({ 0, 0, 4, 4 });
    canvas.end();
    EXPECT_FALSE(canvas.flat_frame());

    canvas.set_defers_clear(false);
    canvas.begin(surface);
    canvas.clear(blue);
    canvas.end();
    EXPECT_FALSE(canvas.flat_frame());
    EXPECT_EQ(pixel(3, 3), 0x204080u);
    cairo_surface_destroy(surface);
}

TEST_F(X11HostTest, a_frame_larger_than_a_band_reaches_the_screen_whole_and_comes_back_when_uncovered)
{
    // 800 x 700 at 4 bytes a pixel is more than one band: the frame goes
    // out in two of 350 rows, the first ending inside the green bar.
    ASSERT_GT(800u * 700u * 4u, linux_platform::detail::FramePresenter::band_bytes);
    ASSERT_LT(800u * 350u * 4u, linux_platform::detail::FramePresenter::band_bytes);
    Record record;
    record.green_bar = true;
    X11Window* window = open(record, at_origin(800, 700));
    ASSERT_TRUE(window);
    ASSERT_TRUE(serve_until([&] { return record.paints > 0 && is_viewable(display, window->xid()); }));
    serve_for(50ms); // the map's own Expose
    auto check = [&](char const* when) {
        EXPECT_EQ(screen_pixel(window, 5, 5), 0x204080u) << when;
        EXPECT_EQ(screen_pixel(window, 60, 50), 0xFF0000u) << when;
        EXPECT_EQ(screen_pixel(window, 799, 699), 0x204080u) << when;
        EXPECT_EQ(screen_pixel(window, 299, 399), 0x204080u) << when;
        XSync(display, False);
        XImage* column = XGetImage(display, window->xid(), 340, 290, 1, 110, AllPlanes, ZPixmap);
        ASSERT_TRUE(column);
        for (int y = 0; y < 110; ++y) {
            unsigned long want = y < 10 ? 0x204080u : 0x00FF00u;
            EXPECT_EQ(XGetPixel(column, 0, y) & 0xFFFFFF, want) << when << ", row " << 290 + y;
        }
        XDestroyImage(column);
    };
    check("presented");
    int lit = 0;
    for (int x = 150; x < 350; x += 2)
        lit += screen_pixel(window, x, 40) != 0x204080u;
    EXPECT_GT(lit, 5) << "the text left no pixels";

    // The frame is kept on the server: uncovered, it shows without a paint.
    int paints = record.paints;
    std::uint64_t presents = window->presents();
    cover_and_uncover();
    ASSERT_TRUE(serve_until([&] { return window->presents() > presents; }));
    EXPECT_EQ(record.paints, paints);
    check("uncovered");

    // A frame of one colour is filled by the server; the next frame in
    // bands covers it again.
    record.only_clear = true;
    window->invalidate();
    ASSERT_TRUE(serve_until([&] { return record.paints > paints; }));
    EXPECT_EQ(screen_pixel(window, 60, 50), 0x204080u);
    EXPECT_EQ(screen_pixel(window, 340, 350), 0x204080u);
    record.only_clear = false;
    paints = record.paints;
    window->invalidate();
    ASSERT_TRUE(serve_until([&] { return record.paints > paints; }));
    check("after a flat frame");
}

// The connection prepared before any host exists is once per process: each
// case runs in a process of its own (gtest re-runs the test binary for it).
TEST(X11HostPreparedDisplay, the_first_host_takes_the_prepared_connection_and_a_later_one_opens_its_own)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X server to connect to";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            linux_platform::prepare_display();
            linux_platform::wait_for_prepared_display();
            // Descriptors are numbered from the lowest free one: a connection
            // opened before this one was opened before the hosts existed.
            int marker = ::dup(0);
            X11Host first;
            Display* taken = first.display();
            X11Host later;
            Display* own = later.display();
            bool ok = taken && own && ConnectionNumber(taken) < marker && ConnectionNumber(own) > marker;
            // The prepared atoms name what the host's own would.
            ok = ok && first.atoms().wm_delete_window != None
                && first.atoms().wm_delete_window == later.atoms().wm_delete_window
                && first.atoms().net_wm_window_type_notification == later.atoms().net_wm_window_type_notification;
            // The connection answers on the thread that took it.
            ok = ok && XSync(taken, False) && first.screen_size() != ClientSize {};
            std::exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(X11HostPreparedDisplay, a_connection_that_could_not_be_prepared_leaves_the_host_to_open_its_own)
{
    char const* display = std::getenv("DISPLAY");
    if (!display)
        GTEST_SKIP() << "no X server to connect to";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::string reachable = display;
    EXPECT_EXIT(
        {
            ::setenv("DISPLAY", ":65000", 1);
            linux_platform::prepare_display();
            linux_platform::wait_for_prepared_display();
            bool ok = true;
            {
                // Still unreachable: the host reports it as it would without the preparation.
                X11Host host;
                WindowCreation made = host.create_window(WindowOptions {}, {}, nullptr);
                ok = !made.window && made.error.find(":65000") != std::string::npos;
            }
            ::setenv("DISPLAY", reachable.c_str(), 1);
            X11Host host;
            ok = ok && host.display() && host.screen_size() != ClientSize {};
            std::exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(X11HostPreparedDisplay, a_process_forked_after_the_preparation_opens_a_connection_of_its_own)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X server to connect to";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            linux_platform::prepare_display();
            linux_platform::wait_for_prepared_display();
            int marker = ::dup(0);
            pid_t child = ::fork();
            if (child == 0) {
                // The inherited socket is the parent's connection: the child's
                // host opens its own, and its exit does not wait for an opening
                // thread it does not have.
                X11Host host;
                Display* display = host.display();
                bool ok = display && ConnectionNumber(display) > marker && XSync(display, False);
                std::exit(ok ? 0 : 1);
            }
            int status = 0;
            bool ok = child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)
                && WEXITSTATUS(status) == 0;
            // The parent still takes the prepared connection.
            X11Host host;
            ok = ok && host.display() && ConnectionNumber(host.display()) < marker;
            std::exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

namespace {

// An X server of the test's own, which it can kill; its display number is
// what the server announces on a pipe. Runs in the process that uses it.
struct OwnServer {
    pid_t pid = -1;
    std::string name;

    bool start()
    {
        int pipe_ends[2];
        if (::pipe(pipe_ends) != 0)
            return false;
        std::string fd = std::to_string(pipe_ends[1]);
        char const* argv[] = { "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "320x240x24", "-nolisten", "tcp",
            "-noreset", nullptr };
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        int spawned = posix_spawnp(&pid, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipe_ends[1]);
        char number[32] = {};
        ssize_t got = spawned == 0 ? ::read(pipe_ends[0], number, sizeof number - 1) : -1;
        ::close(pipe_ends[0]);
        if (got <= 0)
            return false;
        name = ":" + std::to_string(std::atoi(number));
        // The process's connections go to it.
        ::setenv("DISPLAY", name.c_str(), 1);
        return true;
    }

    void kill()
    {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
};

// Each case runs in a process of its own: the connection it breaks is the
// process's, and Xlib's default would end that process.
class X11HostLostDisplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::system("command -v Xvfb > /dev/null") != 0)
            GTEST_SKIP() << "no Xvfb to start a server of the test's own";
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
};

}

TEST_F(X11HostLostDisplay, windows_hear_why_and_close_the_loop_ends_and_no_window_can_be_made_afterwards)
{
    EXPECT_EXIT(
        {
            OwnServer server;
            if (!server.start())
                std::exit(2);
            std::vector<std::string> failures;
            int closed = 0;
            Record main_record;
            Record sub_record;
            X11Host host;
            auto hooks = [&] {
                WindowHooks made;
                made.on_failure = [&failures](std::string_view error) { failures.emplace_back(error); };
                made.on_close = [&closed] { ++closed; };
                return made;
            };
            WindowCreation main = host.create_window(WindowOptions {}, hooks(),
                std::make_unique<RecordingHandlers>(main_record));
            WindowOptions sub_options = WindowOptions::sub_window();
            sub_options.owner = main.window ? main.window->id() : 0;
            WindowCreation sub = host.create_window(sub_options, hooks(),
                std::make_unique<RecordingHandlers>(sub_record));
            if (!main.window || !sub.window)
                std::exit(3);
            auto* main_window = static_cast<X11Window*>(main.window);
            WindowId main_id = main.window->id();
            for (int round = 0; round < 500 && !main_window->is_first_frame_out(); ++round)
                host.serve_once(20ms);
            server.kill();
            // The loop finds the break, reports it and ends: the main window is gone.
            host.run(main_id);
            std::string words = "X connection to " + server.name + " broken (explicit kill or server shutdown).";
            bool ok = failures.size() == 2 && failures[0] == words && failures[1] == words && closed == 2;
            ok = ok && host.is_display_lost() && !host.find(main_id) && host.window_ids().empty();
            // What asks the server afterwards is refused in the same words, without a request.
            WindowCreation again = host.create_window(WindowOptions {}, {}, std::make_unique<RecordingHandlers>(main_record));
            ok = ok && !again.window && again.error == words && !host.display();
            ok = ok && host.clipboard_text().empty() && !host.set_clipboard_text(u"kept")
                && host.screen_size() == ClientSize {};
            // A round of the loop with nothing left neither waits on nor touches the connection.
            host.serve_once(0ms);
            std::exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(X11HostLostDisplay, a_clipboard_read_waiting_for_its_owner_ends_when_the_server_goes)
{
    EXPECT_EXIT(
        {
            OwnServer server;
            if (!server.start())
                std::exit(2);
            // An owner that never answers: the read waits until the server goes.
            Display* owner = XOpenDisplay(nullptr);
            if (!owner)
                std::exit(3);
            Window owner_window = XCreateSimpleWindow(owner, DefaultRootWindow(owner), 0, 0, 1, 1, 0, 0, 0);
            XSelectInput(owner, owner_window, NoEventMask);
            XSetSelectionOwner(owner, XInternAtom(owner, "CLIPBOARD", False), owner_window, CurrentTime);
            XSync(owner, False);
            X11Host host;
            if (!host.display())
                std::exit(4);
            // Killed once the request reached the owner (its connection reads it).
            std::thread killer([&] {
                XEvent event;
                XNextEvent(owner, &event);
                server.kill();
            });
            std::u16string text = host.clipboard_text();
            killer.join();
            bool ok = text.empty();
            host.serve_once(0ms);
            ok = ok && host.is_display_lost();
            std::_Exit(ok ? 0 : 1); // the owner's connection is broken too: no teardown
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(X11HostLostDisplay, a_window_made_after_the_server_went_is_reported_by_the_loop_and_no_later_one_is_made)
{
    EXPECT_EXIT(
        {
            OwnServer server;
            if (!server.start())
                std::exit(2);
            // The connection opened ahead on its thread is taken after the server went.
            linux_platform::prepare_display();
            linux_platform::wait_for_prepared_display();
            server.kill();
            X11Host host;
            Record record;
            std::vector<std::string> failures;
            WindowHooks hooks;
            hooks.on_failure = [&failures](std::string_view error) { failures.emplace_back(error); };
            // Its requests wait in Xlib's buffer: the break shows once they go
            // out, as a failed creation when the creation waits for an answer,
            // otherwise in the loop.
            WindowCreation made = host.create_window(WindowOptions {}, std::move(hooks),
                std::make_unique<RecordingHandlers>(record));
            std::string words = "X connection to " + server.name + " broken (explicit kill or server shutdown).";
            if (made.window)
                host.run(made.window->id());
            bool ok = made.window ? failures.size() == 1 && failures[0] == words : made.error == words;
            ok = ok && host.is_display_lost() && host.window_ids().empty();
            WindowCreation again = host.create_window(WindowOptions {}, {}, std::make_unique<RecordingHandlers>(record));
            ok = ok && !again.window && again.error == words;
            std::exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(X11HostLostDisplay, a_host_that_goes_with_a_break_not_yet_reported_runs_no_window_code_and_sends_nothing)
{
    EXPECT_EXIT(
        {
            OwnServer server;
            if (!server.start())
                std::exit(2);
            int calls = 0;
            Record record;
            auto host = std::make_unique<X11Host>();
            WindowHooks hooks;
            hooks.on_failure = [&calls](std::string_view) { ++calls; };
            hooks.on_close = [&calls] { ++calls; };
            WindowCreation made = host->create_window(WindowOptions {}, std::move(hooks),
                std::make_unique<RecordingHandlers>(record));
            if (!made.window)
                std::exit(3);
            auto* native = static_cast<X11Window*>(made.window);
            for (int round = 0; round < 500 && !native->is_first_frame_out(); ++round)
                host->serve_once(20ms);
            server.kill();
            // The read finds the break; the loop that would report it never runs again.
            bool ok = host->clipboard_text().empty() && !host->is_display_lost();
            // As at the end of a process: the window's code is not run any more.
            host.reset();
            std::exit(ok && calls == 0 ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
