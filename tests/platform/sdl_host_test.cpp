// Real windows under an X server: pixels on screen, the frame timer, wake-ups,
// sub-windows, modal windows and resizing.
#include "platform/linux/sdl_host.hpp"
#include "platform/linux/pango_text_engine.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace orvy;
using namespace std::chrono_literals;
using orvy::linux_platform::SdlHost;
using orvy::linux_platform::SdlWindow;

extern char** environ;

namespace {

struct Record {
    int paints = 0;
    std::atomic<int> updates = 0;
    bool changing = false;
    std::vector<ClientSize> sizes;
    std::vector<std::pair<float, float>> presses;
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
        canvas.fill_rounded_rect({ 20, 20, 120, 60 }, 10, Color { 1, 0, 0, 1 });
        auto format = m_text.format(text_format_key(TextRole::Title, 0, 20));
        canvas.draw_text(*m_text.layout(u"Привет, orvy", *format, 200, 40), { 150, 20 }, Color { 1, 1, 1, 1 });
    }
    void resize(ClientSize size) override { m_record.sizes.push_back(size); }
    void left_down(float x, float y) override { m_record.presses.emplace_back(x, y); }

private:
    Record& m_record;
    NativeWindow* m_window = nullptr;
    linux_platform::PangoTextEngine m_text;
};

class SdlHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (host.screen_size() == ClientSize {})
            GTEST_SKIP() << "no X server to open windows on";
    }

    SdlWindow* open(Record& record, WindowOptions options, WindowHooks hooks = {})
    {
        WindowCreation made = host.create_window(options, std::move(hooks), std::make_unique<RecordingHandlers>(record));
        EXPECT_TRUE(made.window) << made.error;
        return static_cast<SdlWindow*>(made.window);
    }

    static WindowOptions at_origin(std::int32_t width = 320, std::int32_t height = 200)
    {
        WindowOptions options;
        options.position = PointI { 0, 0 };
        options.width = width;
        options.height = height;
        return options;
    }

    // Serves the loop until the condition holds or two seconds pass.
    bool serve_until(std::function<bool()> const& done)
    {
        auto deadline = std::chrono::steady_clock::now() + 2s;
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

    void push_click(WindowId id)
    {
        SDL_Event event {};
        event.type = SDL_MOUSEBUTTONDOWN;
        event.button.windowID = id;
        event.button.button = SDL_BUTTON_LEFT;
        event.button.x = 5;
        event.button.y = 6;
        SDL_PushEvent(&event);
    }

    SdlHost host;
};

// Reads one pixel of the window back from the X server as 0xRRGGBB.
std::uint32_t screen_pixel(SDL_Window* window, int x, int y)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return 0xDEADBEEF;
    XSync(info.info.x11.display, False);
    XImage* image = XGetImage(info.info.x11.display, info.info.x11.window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return 0xDEADBEEF;
    auto pixel = static_cast<std::uint32_t>(XGetPixel(image, 0, 0) & 0xFFFFFF);
    XDestroyImage(image);
    return pixel;
}

}

TEST_F(SdlHostTest, a_painted_frame_reaches_the_screen)
{
    Record record;
    SdlWindow* window = open(record, at_origin(400, 120));
    ASSERT_TRUE(window);
    ASSERT_TRUE(serve_until([&] { return record.paints > 0; }));
    EXPECT_EQ(screen_pixel(window->sdl(), 5, 5), 0x204080u);
    EXPECT_EQ(screen_pixel(window->sdl(), 60, 50), 0xFF0000u);
    EXPECT_EQ(screen_pixel(window->sdl(), 21, 21), 0x204080u); // outside the rounded corner
    int lit = 0;
    for (int x = 150; x < 350; x += 2)
        lit += screen_pixel(window->sdl(), x, 40) != 0x204080u;
    EXPECT_GT(lit, 5) << "the text left no pixels";
    EXPECT_EQ(record.sizes, (std::vector<ClientSize> { { 400, 120 } }));
}

TEST_F(SdlHostTest, frames_after_shrinking_and_growing_cover_the_whole_new_size)
{
    Record record;
    SdlWindow* window = open(record, at_origin(400, 300));
    ASSERT_TRUE(window);
    ASSERT_TRUE(serve_until([&] { return record.paints > 0; }));
    // Smaller frames reuse the memory of the first; a larger one needs more.
    for (ClientSize size : { ClientSize { 200, 100 }, ClientSize { 400, 300 }, ClientSize { 640, 480 } }) {
        int painted = record.paints;
        SDL_SetWindowSize(window->sdl(), static_cast<int>(size.width), static_cast<int>(size.height));
        ASSERT_TRUE(serve_until([&] { return !record.sizes.empty() && record.sizes.back() == size && record.paints > painted; }));
        EXPECT_EQ(screen_pixel(window->sdl(), 5, 5), 0x204080u) << size.width;
        EXPECT_EQ(screen_pixel(window->sdl(), 60, 50), 0xFF0000u) << size.width;
        EXPECT_EQ(screen_pixel(window->sdl(), static_cast<int>(size.width) - 2, static_cast<int>(size.height) - 2),
            0x204080u)
            << size.width;
    }
}

TEST_F(SdlHostTest, an_idle_window_stops_ticking_until_another_thread_wakes_it)
{
    Record record;
    SdlWindow* window = open(record, at_origin());
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

TEST_F(SdlHostTest, a_window_that_keeps_changing_keeps_its_timer_and_repaints)
{
    Record record;
    record.changing = true;
    SdlWindow* window = open(record, at_origin());
    ASSERT_TRUE(window);
    EXPECT_TRUE(serve_until([&] { return record.updates > 20 && record.paints > 10; }));
    EXPECT_TRUE(window->timer_running());
}

TEST_F(SdlHostTest, closing_a_sub_window_keeps_the_loop_and_closing_the_main_window_ends_it)
{
    Record main_record, sub_record;
    SdlWindow* main = open(main_record, at_origin());
    ASSERT_TRUE(main);
    int closes = 0;
    WindowOptions sub_options = WindowOptions::sub_window();
    sub_options.owner = main->id();
    sub_options.center = CenterMode::Parent;
    WindowHooks hooks;
    hooks.on_close = [&] { ++closes; };
    SdlWindow* sub = open(sub_record, sub_options, std::move(hooks));
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

TEST_F(SdlHostTest, a_modal_sub_window_blocks_its_owner_until_it_is_gone)
{
    Record main_record, sub_record;
    SdlWindow* main = open(main_record, at_origin());
    ASSERT_TRUE(main);
    WindowOptions sub_options = WindowOptions::sub_window();
    sub_options.owner = main->id();
    sub_options.modal = true;
    sub_options.center = CenterMode::Screen;
    SdlWindow* sub = open(sub_record, sub_options);
    ASSERT_TRUE(sub);
    EXPECT_FALSE(main->is_enabled());

    push_click(main->id());
    push_click(sub->id());
    serve_until([&] { return !sub_record.presses.empty(); });
    EXPECT_TRUE(main_record.presses.empty());
    EXPECT_EQ(sub_record.presses.size(), 1u);

    sub->request_close();
    WindowId main_id = main->id();
    serve_until([&] { return host.window(main_id)->is_enabled(); });
    push_click(main_id);
    EXPECT_TRUE(serve_until([&] { return !main_record.presses.empty(); }));
}

TEST_F(SdlHostTest, resizing_reports_the_client_size_to_the_hook_and_the_handlers)
{
    Record record;
    std::vector<std::pair<float, float>> hooked;
    WindowHooks hooks;
    hooks.on_resize = [&](float w, float h) { hooked.emplace_back(w, h); };
    SdlWindow* window = open(record, at_origin(), std::move(hooks));
    ASSERT_TRUE(window);
    serve_until([&] { return record.paints > 0; });
    SDL_SetWindowSize(window->sdl(), 500, 260);
    ASSERT_TRUE(serve_until([&] { return !hooked.empty(); }));
    EXPECT_EQ(hooked.back(), (std::pair<float, float> { 500, 260 }));
    EXPECT_EQ(record.sizes.back(), (ClientSize { 500, 260 }));
    EXPECT_EQ(window->client_size(), (ClientSize { 500, 260 }));
}

TEST_F(SdlHostTest, glass_is_transparent_only_with_a_compositor)
{
    Record record;
    WindowOptions options = at_origin();
    options.glass = true;
    SdlWindow* opaque = open(record, options);
    ASSERT_TRUE(opaque);
    EXPECT_FALSE(opaque->is_transparent());

    // With xcompmgr running the same window gets an alpha channel.
    pid_t compositor = 0;
    char const* arguments[] = { "xcompmgr", nullptr };
    if (posix_spawnp(&compositor, "xcompmgr", nullptr, nullptr, const_cast<char**>(arguments), environ) != 0)
        GTEST_SKIP() << "xcompmgr is not installed";
    Record glass_record;
    SdlWindow* glass = nullptr;
    for (int attempt = 0; attempt < 40 && !(glass && glass->is_transparent()); ++attempt) {
        std::this_thread::sleep_for(50ms);
        glass = open(glass_record, options);
    }
    EXPECT_TRUE(glass && glass->is_transparent());
    serve_until([&] { return glass_record.paints > 0; });
    kill(compositor, SIGTERM);
    waitpid(compositor, nullptr, 0);
}

TEST_F(SdlHostTest, the_screen_size_is_the_x_screen)
{
    ClientSize screen = host.screen_size();
    EXPECT_GT(screen.width, 0u);
    EXPECT_GT(screen.height, 0u);
    EXPECT_EQ(host.find(12345), nullptr);
}

TEST_F(SdlHostTest, windows_are_centred_and_decorated_from_their_options)
{
    Record record;
    WindowOptions options;
    options.width = 400;
    options.height = 300;
    options.center = CenterMode::Screen;
    options.frameless = true;
    options.topmost = true;
    SdlWindow* window = open(record, options);
    ASSERT_TRUE(window);
    SDL_Rect area {};
    ASSERT_EQ(SDL_GetDisplayUsableBounds(0, &area), 0);
    int x = 0, y = 0;
    SDL_GetWindowPosition(window->sdl(), &x, &y);
    EXPECT_EQ(x, area.x + (area.w - 400) / 2);
    EXPECT_EQ(y, area.y + (area.h - 300) / 2);
    Uint32 flags = SDL_GetWindowFlags(window->sdl());
    EXPECT_TRUE(flags & SDL_WINDOW_BORDERLESS);
    EXPECT_TRUE(flags & SDL_WINDOW_ALWAYS_ON_TOP);
    EXPECT_FALSE(flags & SDL_WINDOW_RESIZABLE);

    WindowOptions plain = at_origin();
    plain.resizable = false;
    SdlWindow* fixed = open(record, plain);
    ASSERT_TRUE(fixed);
    flags = SDL_GetWindowFlags(fixed->sdl());
    EXPECT_FALSE(flags & SDL_WINDOW_BORDERLESS);
    EXPECT_FALSE(flags & SDL_WINDOW_RESIZABLE);
}
