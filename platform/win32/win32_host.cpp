// Win32Host: the window class, window creation in order, the message loop,
// the screen and the clipboard.
#include "platform/win32/win32_host.hpp"

#include <dwmapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>

namespace orvy::win32 {

namespace {

// The clipboard hands over at most this much text.
constexpr std::size_t clipboard_limit = 1000001;

void register_window_class(HINSTANCE instance)
{
    static bool registered = [instance] {
        WNDCLASSW window_class {};
        // No CS_DBLCLKS: the system sends no double-click messages.
        window_class.style = CS_HREDRAW | CS_VREDRAW;
        window_class.lpfnWndProc = Win32Host::window_procedure;
        window_class.hInstance = instance;
        window_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        window_class.lpszClassName = window_class_name;
        RegisterClassW(&window_class);
        return true;
    }();
    (void)registered;
}

// Per-monitor DPI awareness, so one unit is one physical pixel; the newest
// call the system has is used, looked up because older systems lack it.
void declare_dpi_awareness()
{
    static bool declared = [] {
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        using SetContext = BOOL(WINAPI*)(HANDLE);
        auto set_context = user32
            ? reinterpret_cast<SetContext>(reinterpret_cast<void*>(GetProcAddress(user32,
                  "SetProcessDpiAwarenessContext")))
            : nullptr;
        // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
        if (!set_context || !set_context(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4))))
            SetProcessDPIAware();
        return true;
    }();
    (void)declared;
}

void set_dwm_attribute(HWND window, DWORD attribute, std::optional<std::uint32_t> value)
{
    if (!value)
        return;
    DWORD data = *value;
    DwmSetWindowAttribute(window, attribute, &data, sizeof data);
}

void set_icon(HWND window, std::string const& path)
{
    std::wstring file = wide_from_utf8(path);
    struct Size { int x_metric, y_metric; WPARAM which; };
    for (Size size : { Size { SM_CXICON, SM_CYICON, ICON_BIG }, Size { SM_CXSMICON, SM_CYSMICON, ICON_SMALL } }) {
        HANDLE icon = LoadImageW(nullptr, file.c_str(), IMAGE_ICON, GetSystemMetrics(size.x_metric),
            GetSystemMetrics(size.y_metric), LR_LOADFROMFILE);
        if (icon)
            SendMessageW(window, WM_SETICON, size.which, reinterpret_cast<LPARAM>(icon));
    }
}

}

Win32Host::Win32Host() = default;

Win32Host::~Win32Host()
{
    // Destroying a window runs its close hook; the map shrinks as they go.
    while (!m_windows.empty())
        DestroyWindow(m_windows.begin()->second->hwnd());
    if (m_clipboard_owner)
        DestroyWindow(m_clipboard_owner);
}

Win32Window* Win32Host::window(WindowId id)
{
    auto found = m_windows.find(id);
    return found == m_windows.end() ? nullptr : found->second.get();
}

RECT Win32Host::reference_rect(PlacementReference reference, HWND owner)
{
    RECT rect {};
    if (reference == PlacementReference::OwnerWindow) {
        if (!owner || !GetWindowRect(owner, &rect))
            rect = {};
        return rect;
    }
    HMONITOR monitor = reference == PlacementReference::OwnerWorkArea && owner
        ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
        : MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info))
        return info.rcWork;
    return { 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) };
}

WindowCreation Win32Host::create_window(WindowOptions const& options, WindowHooks hooks,
    std::unique_ptr<WindowHandlers> handlers)
{
    WindowCreation result;
    declare_dpi_awareness();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!instance) {
        result.error = describe_hresult(last_error_hresult());
        return result;
    }
    register_window_class(instance);

    WindowStyles styles = window_styles(options);
    Win32Window* owner = window(options.owner);
    HWND owner_window = owner ? owner->hwnd() : nullptr;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
    std::optional<PlacementReference> reference = placement_reference(options);
    RECT area = reference ? reference_rect(*reference, owner_window) : RECT {};
    if (std::optional<PointI> position
        = initial_position(options, RectI { area.left, area.top, area.right, area.bottom })) {
        x = position->x;
        y = position->y;
    }

    // Only a modal window is owned at the OS level; other sub-windows stay
    // independent in Z order.
    bool modal = options.modal && owner_window;
    std::wstring title = wide_from_utf8(options.title);
    HWND hwnd = CreateWindowExW(styles.extended, window_class_name, title.c_str(), styles.style, x, y, options.width,
        options.height, modal ? owner_window : nullptr, nullptr, instance, nullptr);
    if (!hwnd) {
        result.error = describe_hresult(last_error_hresult());
        return result;
    }
    if (modal)
        EnableWindow(owner_window, FALSE);

    if (options.dark)
        set_dwm_attribute(hwnd, 20, *options.dark ? 1u : 0u); // DWMWA_USE_IMMERSIVE_DARK_MODE
    set_dwm_attribute(hwnd, 35, options.caption_color);       // DWMWA_CAPTION_COLOR
    set_dwm_attribute(hwnd, 36, options.caption_text_color);  // DWMWA_TEXT_COLOR
    set_dwm_attribute(hwnd, 34, options.border_color);        // DWMWA_BORDER_COLOR
    if (options.icon)
        set_icon(hwnd, *options.icon);
    ShowWindow(hwnd, SW_SHOW);

    RenderDevice::Created device = RenderDevice::create(hwnd, options.glass, options.width, options.height);
    if (!device.device) {
        // Without a device the window cannot paint: it goes again rather
        // than staying on screen without a state.
        result.error = describe_hresult(device.error);
        if (modal)
            EnableWindow(owner_window, TRUE);
        DestroyWindow(hwnd);
        return result;
    }

    WindowId id = m_next_id++;
    auto created = std::make_unique<Win32Window>(*this, hwnd, id, options, std::move(device.device),
        std::move(hooks), std::move(handlers));
    Win32Window& native = *created;
    m_windows.emplace(id, std::move(created));
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&native));

    native.procedure().attached(native);
    RECT client {};
    GetClientRect(hwnd, &client);
    ClientSize size { static_cast<std::uint32_t>(std::max<LONG>(client.right - client.left, 0)),
        static_cast<std::uint32_t>(std::max<LONG>(client.bottom - client.top, 0)) };
    native.fit_device(size);
    if (size.width && size.height)
        native.procedure().handlers().resize(size);

    SetTimer(hwnd, frame_timer_id, static_cast<UINT>(FrameTimer::period.count()), nullptr);
    DragAcceptFiles(hwnd, TRUE);
    // The first frame is painted at once.
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
    if (options.blur) {
        native.set_backdrop(WindowEffects::initial(options.tint, true).backdrop);
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
            SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    if (options.owner)
        native.raise();
    result.window = &native;
    return result;
}

void Win32Host::destroyed(WindowId id)
{
    if (id == m_main) {
        m_main = 0;
        PostQuitMessage(0);
    }
    m_windows.erase(id);
}

LRESULT CALLBACK Win32Host::window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto* native = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (native) {
        if (message != WM_NCDESTROY)
            return native->handle(message, wparam, lparam);
        // The state goes with everything it owns; the handle is finished
        // by the default handling.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        native->m_host.destroyed(native->id());
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
    switch (message) {
    case WM_ERASEBKGND: {
        RECT client {};
        GetClientRect(hwnd, &client);
        HBRUSH brush = CreateSolidBrush(RGB(0x10, 0x14, 0x18));
        FillRect(reinterpret_cast<HDC>(wparam), &client, brush);
        DeleteObject(brush);
        return 1;
    }
    case WM_PAINT: ValidateRect(hwnd, nullptr); return 0;
    case WM_SETCURSOR:
        if (LOWORD(lparam) != HTCLIENT)
            break;
        return 1;
    case WM_MOUSEACTIVATE: BringWindowToTop(hwnd); return MA_ACTIVATE;
    case WM_DPICHANGED: {
        RECT const* suggested = reinterpret_cast<RECT const*>(lparam);
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
            suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_NULL: case WM_SIZE: case WM_KEYDOWN: case WM_CHAR: case WM_TIMER: case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_RBUTTONDOWN: case WM_MOUSEWHEEL: case WM_ENTERSIZEMOVE:
    case WM_EXITSIZEMOVE: case WM_DROPFILES: case message_run_file_dialogs:
        return 0;
    default: break;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

void Win32Host::run(WindowId main_window)
{
    if (!window(main_window))
        return;
    m_main = main_window;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    m_main = 0;
}

void Win32Host::serve_for(std::chrono::milliseconds span)
{
    auto deadline = std::chrono::steady_clock::now() + span;
    for (;;) {
        // A window that repaints on every tick never leaves the queue
        // empty: the deadline is checked between messages too.
        MSG message;
        while (std::chrono::steady_clock::now() < deadline && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
    }
}

ClientSize Win32Host::screen_size()
{
    return { static_cast<std::uint32_t>(std::max(GetSystemMetrics(SM_CXSCREEN), 0)),
        static_cast<std::uint32_t>(std::max(GetSystemMetrics(SM_CYSCREEN), 0)) };
}

RectI Win32Host::work_area()
{
    RECT area = reference_rect(PlacementReference::PrimaryWorkArea, nullptr);
    return { area.left, area.top, area.right, area.bottom };
}

std::uint8_t Win32Host::key_modifiers()
{
    std::uint8_t mask = 0;
    if (GetKeyState(VK_CONTROL) < 0)
        mask |= key_modifier::control;
    if (GetKeyState(VK_SHIFT) < 0)
        mask |= key_modifier::shift;
    if (GetKeyState(VK_MENU) < 0)
        mask |= key_modifier::alt;
    return mask;
}

std::u16string Win32Host::clipboard_text()
{
    std::u16string text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto const* units = static_cast<char16_t const*>(GlobalLock(data))) {
            std::size_t capacity = GlobalSize(data) / sizeof(char16_t);
            std::size_t length = 0;
            // Up to the terminating zero, never past the block.
            while (length < capacity && length < clipboard_limit && units[length] != 0)
                ++length;
            text.assign(units, length);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

bool Win32Host::set_clipboard_text(std::u16string_view text)
{
    if (!m_clipboard_owner)
        m_clipboard_owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
            GetModuleHandleW(nullptr), nullptr);
    if (!OpenClipboard(m_clipboard_owner))
        return false;
    bool done = false;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
    if (EmptyClipboard() && block) {
        if (auto* units = static_cast<char16_t*>(GlobalLock(block))) {
            std::memcpy(units, text.data(), text.size() * sizeof(char16_t));
            units[text.size()] = 0;
            GlobalUnlock(block);
            done = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        }
    }
    // The system owns the block once it is set.
    if (!done && block)
        GlobalFree(block);
    CloseClipboard();
    return done;
}

}
