// HRESULT descriptions, text conversions and per-thread COM start-up.
#include "platform/win32/detail/com.hpp"

#include "core/base/utf.hpp"

#include <cstdio>

namespace orvy::win32 {

HRESULT last_error_hresult()
{
    DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

std::string describe_hresult(HRESULT result)
{
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
    std::string text = code;
    wchar_t* message = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
            | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(result), 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    if (message) {
        std::wstring_view words(message, length);
        while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L' '))
            words.remove_suffix(1);
        if (!words.empty())
            text += ": " + utf8_from_wide(words);
        LocalFree(message);
    }
    return text;
}

std::wstring wide_from_utf8(std::string_view utf8) { return wide(utf8_to_utf16(utf8)); }

std::string utf8_from_wide(std::wstring_view text) { return utf16_to_utf8(narrow_units(text)); }

void ensure_com()
{
    thread_local bool started = false;
    if (started)
        return;
    // S_FALSE (already initialised) and RPC_E_CHANGED_MODE (another model
    // chosen by the host program) both leave COM usable on this thread.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    started = true;
}

}
