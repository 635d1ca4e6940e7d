// Win32Window: one window's messages as window-procedure calls, its frame
// timer, waker, cursor, capture, backdrop, input method and paint.
#include "platform/win32/win32_host.hpp"

#include <imm.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvy::win32 {

namespace {

// Wakes a window from any thread by posting WM_NULL to it. The handle is
// dropped when the window goes, and posting to a handle that is no longer
// a window does nothing.
class PostingWaker final : public Waker {
public:
    explicit PostingWaker(HWND window) : m_window(window) { }

    void wake() override
    {
        if (HWND window = m_window.load())
            PostMessageW(window, WM_NULL, 0, 0);
    }
    void forget() { m_window.store(nullptr); }

private:
    std::atomic<HWND> m_window;
};

LPCWSTR system_cursor(CursorKind cursor)
{
    switch (cursor) {
    case CursorKind::Hand: return reinterpret_cast<LPCWSTR>(IDC_HAND);
    case CursorKind::TextBeam: return reinterpret_cast<LPCWSTR>(IDC_IBEAM);
    case CursorKind::Arrow: break;
    }
    return reinterpret_cast<LPCWSTR>(IDC_ARROW);
}

// Saturating, NaN as 0.
LONG to_long(float value)
{
    if (!(value == value))
        return 0;
    double limit = static_cast<double>(std::numeric_limits<LONG>::max());
    return static_cast<LONG>(std::clamp(static_cast<double>(value), -limit - 1, limit));
}

void apply_accent(HWND window, Backdrop backdrop)
{
    // Undocumented, so looked up by name on every call; absent, nothing happens.
    struct CompositionData {
        DWORD attribute;
        void* data;
        SIZE_T size;
    };
    using SetAttribute = BOOL(WINAPI*)(HWND, CompositionData*);
    HMODULE user32 = LoadLibraryW(L"user32.dll");
    if (!user32)
        return;
    auto set_attribute = reinterpret_cast<SetAttribute>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetWindowCompositionAttribute")));
    if (set_attribute) {
        AccentPolicy policy = accent_policy(backdrop);
        CompositionData data { window_composition_accent_policy, &policy, sizeof policy };
        set_attribute(window, &data);
    }
    FreeLibrary(user32);
}

}

Win32Window::Win32Window(Win32Host& host, HWND window, WindowId id, WindowOptions const& options,
    std::unique_ptr<RenderDevice> device, WindowHooks hooks, std::unique_ptr<WindowHandlers> handlers)
    : m_host(host)
    , m_window(window)
    , m_id(id)
    , m_owner(options.owner)
    , m_modal(options.modal && host.window(options.owner) != nullptr)
    , m_device(std::move(device))
    , m_procedure(std::move(handlers), std::move(hooks))
    , m_waker(std::make_shared<PostingWaker>(window))
{
    Backdrop initial = WindowEffects::initial(options.tint, options.blur).backdrop;
    m_backdrop = { .requested = initial, .applied = initial, .blur = options.blur };
}

Win32Window::~Win32Window()
{
    static_cast<PostingWaker&>(*m_waker).forget();
    m_canvas.end();
}

ClientSize Win32Window::client_size() const
{
    RECT client {};
    GetClientRect(m_window, &client);
    return { static_cast<std::uint32_t>(std::max<LONG>(client.right - client.left, 0)),
        static_cast<std::uint32_t>(std::max<LONG>(client.bottom - client.top, 0)) };
}

void Win32Window::move(std::int32_t x, std::int32_t y)
{
    SetWindowPos(m_window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::raise()
{
    BringWindowToTop(m_window);
    SetForegroundWindow(m_window);
}

void Win32Window::request_close() { PostMessageW(m_window, WM_CLOSE, 0, 0); }

// A paint of the window's own asking: no pixel of the window is invalid
// for it, so a frame that changes nothing need not be presented again.
// Where the system asks (a window shown, uncovered or resized), it marks
// an update region and the frame is presented whatever it drew. A hidden
// or minimised window is painted only once it shows again, as before.
void Win32Window::invalidate()
{
    if (IsIconic(m_window) || !IsWindowVisible(m_window))
        InvalidateRect(m_window, nullptr, FALSE);
    else
        RedrawWindow(m_window, nullptr, nullptr, RDW_INTERNALPAINT);
}

void Win32Window::start_frame_timer()
{
    if (m_timer_running)
        return;
    SetTimer(m_window, frame_timer_id, static_cast<UINT>(FrameTimer::period.count()), nullptr);
    m_timer_running = true;
}

void Win32Window::stop_frame_timer()
{
    KillTimer(m_window, frame_timer_id);
    m_timer_running = false;
}

void Win32Window::set_cursor(CursorKind cursor) { SetCursor(LoadCursorW(nullptr, system_cursor(cursor))); }

void Win32Window::capture_pointer(bool captured)
{
    if (captured)
        SetCapture(m_window);
    else
        ReleaseCapture();
}

void Win32Window::set_text_input_area(RectF area) { m_text_input_area = area; }

void Win32Window::set_backdrop(Backdrop backdrop) { apply_backdrop(m_backdrop.on_request(backdrop)); }

void Win32Window::apply_backdrop(std::optional<Backdrop> backdrop)
{
    if (backdrop)
        apply_accent(m_window, *backdrop);
}

void Win32Window::place_composition_window()
{
    HIMC context = ImmGetContext(m_window);
    if (!context)
        return;
    // The composition starts at the caret, just above the field's bottom edge.
    COMPOSITIONFORM form {};
    form.dwStyle = CFS_POINT;
    form.ptCurrentPos = { to_long(m_text_input_area.x), to_long(m_text_input_area.bottom() - 10) };
    ImmSetCompositionWindow(context, &form);
    ImmReleaseContext(m_window, context);
}

void Win32Window::drop_files(HDROP drop)
{
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::string> paths;
    paths.reserve(count);
    for (UINT i = 0; i < count; ++i) {
        UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        UINT copied = DragQueryFileW(drop, i, path.data(), length + 1);
        path.resize(std::min(copied, length));
        paths.push_back(utf8_from_wide(path));
    }
    POINT point {};
    DragQueryPoint(drop, &point);
    DragFinish(drop);
    if (!paths.empty())
        m_procedure.file_drop(*this, paths, { static_cast<float>(point.x), static_cast<float>(point.y) });
}

HRESULT Win32Window::paint()
{
    LARGE_INTEGER frequency {}, before {}, after {};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    auto lap = [&] {
        QueryPerformanceCounter(&after);
        double seconds = static_cast<double>(after.QuadPart - before.QuadPart) / static_cast<double>(frequency.QuadPart);
        before = after;
        return seconds;
    };
    // A window whose device could not be made again draws nothing while it closes.
    if (!m_device)
        return S_OK;
    bool asked = GetUpdateRect(m_window, nullptr, FALSE) != 0 || std::exchange(m_resized, false);
    m_device->begin_frame();
    m_last_paint.wait = lap();
    m_canvas.begin(m_device->context(), m_device->factory(), m_device->d3d_context());
    m_procedure.paint(*this, m_canvas);
    m_last_paint.record = lap();
    m_canvas.end();
    m_last_paint.draw = lap();
    Bitmap* capture = std::exchange(m_capture, nullptr);
    // The kept frame the same as the one presented last: the screen shows
    // it already, and copying and presenting it again would only cost.
    m_last_paint.presented = asked || capture || !m_canvas.retained_frame() || !m_presented_kept
        || !m_canvas.last_frame_calls().damage.is_empty();
    HRESULT drawn = m_device->end_frame(m_last_paint.presented ? m_canvas.retained_frame() : nullptr, capture);
    m_last_paint.finish = lap();
    // A frame drawn on a lost device is not presented; it is drawn again on the new one.
    HRESULT presented = drawn;
    if (RenderDevice::is_loss(drawn))
        m_last_paint.presented = false;
    else if (m_last_paint.presented) {
        presented = m_device->present();
        m_presented_kept = m_canvas.retained_frame() != nullptr;
    }
    m_last_paint.present = lap();
    ++m_paints;
    if (!RenderDevice::is_loss(presented)) {
        m_losses_in_a_row = 0;
        return S_OK;
    }
    // What was read back was never shown: the capture waits for the next frame.
    if (capture) {
        *capture = {};
        m_capture = capture;
    }
    return presented;
}

void Win32Window::replace_device(HRESULT loss)
{
    m_canvas.forget_bitmaps();
    m_presented_kept = false; // the new swap chain shows nothing yet
    bool glass = m_device->is_transparent();
    HRESULT failure = loss;
    // A new device whose buffers are reported lost as they are sized is
    // lost as well, and counts towards the limit.
    while (RenderDevice::is_loss(failure)) {
        ++m_device_losses;
        // A window has one flip swap chain at a time: the old one goes first.
        m_device.reset();
        if (++m_losses_in_a_row >= loss_limit)
            break;
        ClientSize size = client_size();
        RenderDevice::Created created = RenderDevice::create(m_window, glass, static_cast<std::int32_t>(size.width),
            static_cast<std::int32_t>(size.height));
        if (!created.device) {
            failure = created.error;
            break;
        }
        m_device = std::move(created.device);
        failure = m_device->resize(size.width, size.height);
    }
    if (m_device) {
        invalidate();
        return;
    }
    m_procedure.fail(describe_hresult(failure));
    request_close();
}

void Win32Window::fit_device(ClientSize size)
{
    if (!m_device)
        return;
    if (HRESULT resized = m_device->resize(size.width, size.height); RenderDevice::is_loss(resized))
        replace_device(resized);
}

LRESULT Win32Window::handle(UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_NULL: m_procedure.wake(*this); return 0;
    case WM_DESTROY:
        if (m_modal) {
            if (Win32Window* owner = m_host.window(m_owner)) {
                EnableWindow(owner->hwnd(), TRUE);
                SetForegroundWindow(owner->hwnd());
            }
            m_modal = false;
        }
        m_procedure.destroy();
        return 0;
    case WM_SIZE: {
        ClientSize size = unpack_size(static_cast<std::uintptr_t>(lparam));
        fit_device(size);
        m_resized = true; // the new buffers hold no frame yet
        m_procedure.resize(*this, size);
        return 0;
    }
    case WM_PAINT: {
        HRESULT lost = paint();
        ValidateRect(m_window, nullptr);
        // Once the paint is done with, so that the new device's first frame is asked for.
        if (RenderDevice::is_loss(lost))
            replace_device(lost);
        return 0;
    }
    case WM_ERASEBKGND: return 1; // painting covers everything: no flicker between frames
    case WM_SETCURSOR:
        if (LOWORD(lparam) != HTCLIENT)
            break;
        set_cursor(m_procedure.handlers().cursor_kind());
        return 1;
    case WM_MOUSEACTIVATE: BringWindowToTop(m_window); return MA_ACTIVATE;
    case WM_KEYDOWN: m_procedure.key_down(*this, static_cast<std::uint32_t>(wparam)); return 0;
    case WM_CHAR: m_procedure.character(*this, static_cast<char16_t>(wparam)); return 0;
    case WM_IME_STARTCOMPOSITION: place_composition_window(); break;
    case WM_IME_COMPOSITION: {
        if (!(lparam & GCS_RESULTSTR))
            break;
        std::u16string result;
        if (HIMC context = ImmGetContext(m_window)) {
            LONG bytes = ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0);
            if (bytes > 0) {
                std::wstring units(static_cast<std::size_t>(bytes) / sizeof(wchar_t), L'\0');
                LONG got = ImmGetCompositionStringW(context, GCS_RESULTSTR, units.data(), static_cast<DWORD>(bytes));
                units.resize(got > 0 ? std::min(units.size(), static_cast<std::size_t>(got) / sizeof(wchar_t)) : 0);
                result = narrow_units(units);
            }
            ImmReleaseContext(m_window, context);
        }
        if (!result.empty())
            m_procedure.input_method_result(*this, result);
        return 0;
    }
    case WM_TIMER: m_procedure.tick(*this); return 0;
    case WM_MOUSEMOVE: {
        PackedPoint point = unpack_point(static_cast<std::uintptr_t>(lparam));
        m_procedure.pointer_move(*this, static_cast<float>(point.x), static_cast<float>(point.y));
        return 0;
    }
    case WM_LBUTTONDOWN: {
        PackedPoint point = unpack_point(static_cast<std::uintptr_t>(lparam));
        m_procedure.left_down(*this, static_cast<float>(point.x), static_cast<float>(point.y));
        return 0;
    }
    case WM_LBUTTONUP: m_procedure.left_up(*this); return 0;
    case WM_RBUTTONDOWN: {
        PackedPoint point = unpack_point(static_cast<std::uintptr_t>(lparam));
        m_procedure.right_down(*this, static_cast<float>(point.x), static_cast<float>(point.y));
        return 0;
    }
    // Routed by the last pointer position, not the one in the message.
    case WM_MOUSEWHEEL: m_procedure.wheel(*this, wheel_delta(static_cast<std::uintptr_t>(wparam))); return 0;
    case WM_ENTERSIZEMOVE: apply_backdrop(m_backdrop.on_enter_move()); return 0;
    case WM_EXITSIZEMOVE: apply_backdrop(m_backdrop.on_exit_move()); return 0;
    case WM_DROPFILES: drop_files(reinterpret_cast<HDROP>(wparam)); return 0;
    case WM_DPICHANGED: {
        RECT const* suggested = reinterpret_cast<RECT const*>(lparam);
        SetWindowPos(m_window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
            suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case message_run_file_dialogs: m_procedure.run_file_dialogs(*this); return 0;
    default: break;
    }
    return DefWindowProcW(m_window, message, wparam, lparam);
}

}
