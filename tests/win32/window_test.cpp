// Real windows under Wine: the class and styles, a presented frame, the
// frame timer and wake-ups, sub-windows, modal owners, glass, the clipboard
// and dropped files.
#include "platform/win32/dwrite_text_engine.hpp"
#include "tests/win32/check.hpp"
#include "tests/win32/support.hpp"

#include <shlobj.h>

#include <cstring>
#include <thread>

using namespace orvy;
using namespace orvy::win32_test;
using namespace std::chrono_literals;
using win32::Win32Host;
using win32::Win32Window;

namespace {

struct Record {
    int paints = 0;
    int updates = 0;
    bool changing = false;
    std::vector<ClientSize> sizes;
    std::vector<std::pair<float, float>> presses;
    std::vector<std::vector<std::string>> drops;
    PointF drop_point;
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
        canvas.clear(Color { 0.125f, 0.25f, 0.5f, 1 });
        canvas.fill_rounded_rect({ 20, 20, 120, 60 }, 10, Color { 1, 0, 0, 1 });
        auto format = m_text.format(text_format_key(TextRole::Title, 0, 20));
        if (auto layout = format ? m_text.layout(u"Привет, orvy", *format, 200, 40) : nullptr)
            canvas.draw_text(*layout, { 150, 20 }, Color { 1, 1, 1, 1 });
    }
    void resize(ClientSize size) override { m_record.sizes.push_back(size); }
    void left_down(float x, float y) override { m_record.presses.emplace_back(x, y); }
    bool file_drop(std::vector<std::string> const& paths, PointF point) override
    {
        m_record.drops.push_back(paths);
        m_record.drop_point = point;
        return true;
    }

private:
    Record& m_record;
    NativeWindow* m_window = nullptr;
    win32::DWriteTextEngine m_text;
};

Win32Window* open(Record& record, WindowOptions options, WindowHooks hooks = {})
{
    WindowCreation made = host().create_window(options, std::move(hooks), std::make_unique<RecordingHandlers>(record));
    if (!made.window)
        std::printf("  window creation failed: %s\n", made.error.c_str());
    return static_cast<Win32Window*>(made.window);
}

WindowOptions at_origin(std::int32_t width = 400, std::int32_t height = 120)
{
    WindowOptions options;
    options.position = PointI { 0, 0 };
    options.width = width;
    options.height = height;
    options.frameless = true;
    return options;
}

void close(Win32Window* window)
{
    if (!window)
        return;
    WindowId id = window->id();
    window->request_close();
    serve_until(host(), [&] { return host().find(id) == nullptr; });
}

std::string hex(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%06X", value);
    return text;
}

// Only the style bits the options decide; the system adds clipping bits of its own.
constexpr DWORD decided_style_bits = 0x80000000 | 0x00C00000 | 0x00080000 | 0x00040000 | 0x00020000 | 0x00010000;
constexpr DWORD decided_extended_bits = 0x00200000 | 0x00000080 | 0x00000008;

}

TEST_CASE(failures_read_as_hresults_of_the_last_os_error)
{
    SetLastError(ERROR_ACCESS_DENIED);
    CHECK(win32::last_error_hresult() == static_cast<HRESULT>(0x80070005));
    CHECK(win32::describe_hresult(static_cast<HRESULT>(0x80070005)).rfind("0x80070005", 0) == 0);
    SetLastError(ERROR_SUCCESS);
    CHECK(win32::last_error_hresult() == E_FAIL);
}

TEST_CASE(a_window_of_the_orvy_class_presents_its_first_frame)
{
    Record record;
    Win32Window* window = open(record, at_origin());
    CHECK(window);
    if (!window)
        return;
    wchar_t name[64] = {};
    GetClassNameW(window->hwnd(), name, 64);
    CHECK(std::wstring(name) == L"ORVY.Window");
    WindowStyles wanted = window_styles(at_origin());
    CHECK((static_cast<DWORD>(GetWindowLongW(window->hwnd(), GWL_STYLE)) & decided_style_bits) == wanted.style);
    CHECK((static_cast<DWORD>(GetWindowLongW(window->hwnd(), GWL_EXSTYLE)) & decided_extended_bits) == wanted.extended);
    CHECK(record.paints >= 1); // painted during creation
    CHECK((record.sizes == std::vector<ClientSize> { { 400, 120 } }));

    Bitmap frame;
    window->capture_next_frame(&frame);
    window->invalidate();
    CHECK(serve_until(host(), [&] { return !frame.is_empty(); }));
    CHECK(rgb_at(frame, 5, 5) == 0x204080);
    CHECK(rgb_at(frame, 60, 50) == 0xFF0000);
    CHECK(rgb_at(frame, 21, 21) == 0x204080); // outside the rounded corner
    int lit = 0;
    for (int x = 150; x < 350; x += 2)
        lit += rgb_at(frame, x, 40) != 0x204080;
    CHECK(lit > 5);
    // The driver reads the same pixels back from the X screen. The window
    // paints again now and then meanwhile: under Wine the background erased
    // when the window was shown can reach the screen late, over a frame
    // already presented, and stays there until the next frame. The system's
    // invalidation presents the frame even though nothing in it changed.
    POINT corner { 60, 50 };
    ClientToScreen(window->hwnd(), &corner);
    auto answered
        = request("screen-pixel " + std::to_string(corner.x) + " " + std::to_string(corner.y) + " " + hex(0xFF0000));
    auto painted = std::chrono::steady_clock::now();
    CHECK(serve_until(host(),
        [&] {
            if (std::chrono::steady_clock::now() - painted > 500ms) {
                InvalidateRect(window->hwnd(), nullptr, FALSE);
                painted = std::chrono::steady_clock::now();
            }
            return answered();
        },
        30s));
    close(window);

    WindowOptions captioned = WindowOptions::sub_window();
    captioned.title = "Подокно";
    Win32Window* sub = open(record, captioned);
    CHECK(sub);
    if (sub) {
        CHECK((static_cast<DWORD>(GetWindowLongW(sub->hwnd(), GWL_STYLE)) & decided_style_bits) == 0x00CC0000u);
        wchar_t title[64] = {};
        GetWindowTextW(sub->hwnd(), title, 64);
        CHECK(std::wstring(title) == L"Подокно");
        close(sub);
    }
}

TEST_CASE(a_frame_that_changes_nothing_is_presented_only_when_the_system_asks)
{
    Record record;
    Win32Window* window = open(record, at_origin());
    CHECK(window);
    if (!window)
        return;
    auto paint = [&](std::function<void()> const& ask) {
        int before = record.paints;
        ask();
        CHECK(serve_until(host(), [&] { return record.paints > before; }));
        return window->last_paint_times().presented;
    };
    // A frame the window asks for after its first draws the same calls:
    // the screen keeps the last one without a present. (Under Wine the
    // system may still ask for the newly shown window's pixels once or
    // twice: those frames are presented.)
    auto settles = [&] {
        host().serve_for(200ms);
        bool kept = false;
        for (int i = 0; i < 5 && !kept; ++i)
            kept = !paint([&] { window->invalidate(); });
        return kept;
    };
    CHECK(settles());
    CHECK(window->last_frame_calls().damage.is_empty());
    CHECK(!paint([&] { window->invalidate(); }));
    // Uncovered or shown again, the window is presented.
    CHECK(paint([&] { InvalidateRect(window->hwnd(), nullptr, FALSE); }));
    CHECK(!paint([&] { window->invalidate(); }));
    // A capture reads the back buffer: the kept frame is copied there.
    Bitmap frame;
    window->capture_next_frame(&frame);
    CHECK(paint([&] { window->invalidate(); }));
    CHECK(rgb_at(frame, 60, 50) == 0xFF0000);
    // After a resize the new buffers hold no frame until one is presented.
    SetWindowPos(window->hwnd(), nullptr, 0, 0, 420, 130, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CHECK(paint([&] { window->invalidate(); }));
    CHECK(settles());
    close(window);
}

TEST_CASE(presents_back_to_back_wait_for_the_one_before_without_giving_up)
{
    Record record;
    Win32Window* window = open(record, at_origin(1280, 720));
    CHECK(window && window->device());
    if (!window || !window->device())
        return;
    host().serve_for(100ms);
    // Frames the system asks for are presented, one right after another.
    auto present = [&] {
        int before = record.paints;
        InvalidateRect(window->hwnd(), nullptr, FALSE);
        CHECK(serve_until(host(), [&] { return record.paints > before; }));
        return window->last_paint_times().presented;
    };
    int presented = 0;
    for (int i = 0; i < 12; ++i)
        presented += present();
    CHECK(presented == 12);
    win32::RenderDevice const& device = *window->device();
    std::printf("  latency object %s, %llu of 12 presents slept for the one before\n",
        device.waits_for_frame_latency() ? "in use" : "gone", static_cast<unsigned long long>(device.presents_slept()));
    // Something bounds how far the frames run ahead: the latency object,
    // or (under Wine, which hands out no latency object) the query after each
    // present, which completed every time (one that did not would be given up).
    CHECK(device.waits_for_frame_latency() != device.waits_for_presents());
    // A present that fails leaves no query behind to wait for in vain.
    win32::RenderDevice::inject(win32::RenderDevice::Step::Present, DXGI_ERROR_WAS_STILL_DRAWING);
    CHECK(present());
    CHECK(present() && present());
    CHECK(device.waits_for_frame_latency() != device.waits_for_presents());
    close(window);
}

TEST_CASE(an_idle_window_stops_ticking_until_another_thread_wakes_it)
{
    Record record;
    Win32Window* window = open(record, at_origin());
    CHECK(window);
    if (!window)
        return;
    CHECK(serve_until(host(), [&] { return !window->timer_running(); }));
    int quiet = record.updates;
    CHECK(quiet >= 9);
    host().serve_for(150ms);
    CHECK(record.updates == quiet);

    std::shared_ptr<Waker> waker = window->waker();
    std::thread([waker] { waker->wake(); }).join();
    CHECK(serve_until(host(), [&] { return record.updates > quiet; }));
    CHECK(serve_until(host(), [&] { return !window->timer_running(); }));

    record.changing = true;
    window->waker()->wake();
    CHECK(serve_until(host(), [&] { return record.updates > quiet + 30 && record.paints > 10; }));
    CHECK(window->timer_running());
    close(window);
    // A waker kept past its window does nothing.
    waker->wake();
    host().serve_for(20ms);
}

TEST_CASE(closing_a_sub_window_keeps_the_loop_and_closing_the_main_window_ends_it)
{
    Record main_record, sub_record;
    Win32Window* main = open(main_record, at_origin());
    CHECK(main);
    if (!main)
        return;
    int closes = 0;
    WindowOptions sub_options = WindowOptions::sub_window();
    sub_options.owner = main->id();
    sub_options.center = CenterMode::Parent;
    WindowHooks hooks;
    hooks.on_close = [&] { ++closes; };
    Win32Window* sub = open(sub_record, sub_options, std::move(hooks));
    CHECK(sub);
    if (!sub)
        return;
    WindowId sub_id = sub->id();
    main_record.changing = true;
    main_record.on_update = [&](NativeWindow& window) {
        if (main_record.updates == 3)
            host().find(sub_id)->request_close();
        if (main_record.updates == 30)
            window.request_close();
    };
    WindowId main_id = main->id();
    host().run(main_id);
    CHECK(closes == 1);
    CHECK(host().find(sub_id) == nullptr);
    CHECK(host().find(main_id) == nullptr);
    CHECK(main_record.updates >= 30);
}

TEST_CASE(a_modal_sub_window_disables_its_owner_until_it_is_gone)
{
    Record main_record, sub_record;
    Win32Window* main = open(main_record, at_origin());
    CHECK(main);
    if (!main)
        return;
    WindowOptions sub_options = WindowOptions::sub_window();
    sub_options.owner = main->id();
    sub_options.modal = true;
    sub_options.center = CenterMode::Screen;
    Win32Window* sub = open(sub_record, sub_options);
    CHECK(sub);
    CHECK(!IsWindowEnabled(main->hwnd()));
    CHECK(sub && GetWindow(sub->hwnd(), GW_OWNER) == main->hwnd());
    // Centred on the work area of the screen.
    RECT area {}, placed {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    if (sub && GetWindowRect(sub->hwnd(), &placed))
        CHECK(placed.left == area.left + (area.right - area.left - 520) / 2);
    close(sub);
    CHECK(IsWindowEnabled(main->hwnd()));
    close(main);
}

TEST_CASE(a_glass_window_paints_with_or_without_composition)
{
    Record record;
    WindowOptions options = at_origin();
    options.glass = true;
    options.blur = true;
    Win32Window* window = open(record, options);
    CHECK(window);
    if (!window)
        return;
    CHECK((static_cast<DWORD>(GetWindowLongW(window->hwnd(), GWL_EXSTYLE)) & 0x00200000u) != 0);
    // Wine has no DirectComposition: the window falls back to an opaque swap chain.
    std::printf("  glass window transparent: %s\n", window->is_transparent() ? "yes" : "no (no composition)");
    Bitmap frame;
    window->capture_next_frame(&frame);
    window->invalidate();
    CHECK(serve_until(host(), [&] { return !frame.is_empty(); }));
    CHECK(rgb_at(frame, 60, 50) == 0xFF0000);
    close(window);
}

TEST_CASE(the_clipboard_round_trips_unicode_text)
{
    Win32Host& h = host();
    std::u16string text = u"Привет, orvy\r\nвторая строка 😀";
    CHECK(h.set_clipboard_text(text));
    CHECK(h.clipboard_text() == text);
    CHECK(h.set_clipboard_text(u""));
    CHECK(h.clipboard_text().empty());
    CHECK(h.set_clipboard_text(u"x"));
    CHECK(h.clipboard_text() == u"x");
}

TEST_CASE(dropped_files_reach_the_handlers_in_order_with_their_point)
{
    Record record;
    Win32Window* window = open(record, at_origin());
    CHECK(window);
    if (!window)
        return;
    // A drop as the shell hands it over: DROPFILES, then NUL-separated wide paths.
    std::vector<std::wstring> paths { L"C:\\один.txt", L"C:\\two.png", L"Z:\\tmp\\три" };
    std::size_t units = 1;
    for (auto const& path : paths)
        units += path.size() + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + units * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    header->pFiles = sizeof(DROPFILES);
    header->pt = { 33, 44 };
    header->fNC = FALSE;
    header->fWide = TRUE;
    auto* cursor = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(header) + sizeof(DROPFILES));
    for (auto const& path : paths) {
        std::memcpy(cursor, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
        cursor += path.size() + 1;
    }
    GlobalUnlock(block);
    PostMessageW(window->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
    CHECK(serve_until(host(), [&] { return !record.drops.empty(); }));
    CHECK(record.drops.size() == 1);
    if (!record.drops.empty())
        CHECK((record.drops[0] == std::vector<std::string> { "C:\\один.txt", "C:\\two.png", "Z:\\tmp\\три" }));
    CHECK(record.drop_point.x == 33 && record.drop_point.y == 44);
    close(window);
}

TEST_CASE(a_click_through_the_x_server_reaches_the_window)
{
    Record record;
    Win32Window* window = open(record, at_origin());
    CHECK(window);
    if (!window)
        return;
    POINT target { 200, 60 };
    ClientToScreen(window->hwnd(), &target);
    std::function<bool()> answered = request("click " + std::to_string(target.x) + " " + std::to_string(target.y));
    CHECK(serve_until(host(), [&] { return !record.presses.empty() && answered(); }, 30s));
    if (!record.presses.empty())
        CHECK((record.presses[0] == std::pair<float, float> { 200, 60 }));
    close(window);
}

namespace {

// Presses a button of the first dialog box the thread shows, from another thread.
std::thread answer_dialog(DWORD ui_thread, WORD button)
{
    return std::thread([ui_thread, button] {
        for (int attempt = 0; attempt < 400; ++attempt) {
            for (HWND found = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); found;
                 found = FindWindowExW(nullptr, found, L"#32770", nullptr)) {
                if (GetWindowThreadProcessId(found, nullptr) == ui_thread && IsWindowVisible(found)) {
                    std::this_thread::sleep_for(200ms);
                    PostMessageW(found, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
                    return;
                }
            }
            std::this_thread::sleep_for(50ms);
        }
    });
}

}

TEST_CASE(file_dialogs_answer_with_the_chosen_path_or_nothing)
{
    Record record;
    Win32Window* window = open(record, at_origin());
    CHECK(window);
    if (!window)
        return;
    FileDialogSpec save { .kind = FileDialogKind::Save, .title = u"Сохранить как", .name = u"orvy_saved.txt",
        .patterns = { { u"Текст", u"*.txt" } } };
    std::thread pressing = answer_dialog(GetCurrentThreadId(), IDOK);
    std::vector<std::string> answers;
    window->show_file_dialog(save, [&](std::string_view path) { answers.emplace_back(path); });
    pressing.join();
    CHECK(answers.size() == 1);
    if (!answers.empty()) {
        std::printf("  saved as %s\n", answers[0].c_str());
        CHECK(answers[0].size() > 14 && answers[0].ends_with("orvy_saved.txt"));
    }

    std::thread cancelling = answer_dialog(GetCurrentThreadId(), IDCANCEL);
    window->show_file_dialog({ .kind = FileDialogKind::Folder, .title = u"Папка" },
        [&](std::string_view path) { answers.emplace_back(path); });
    cancelling.join();
    CHECK(answers.size() == 2 && answers.back().empty());
    close(window);
}
