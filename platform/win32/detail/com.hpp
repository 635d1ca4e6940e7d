// COM pointers, HRESULT errors and UTF-16 text as the Windows calls take them.
#pragma once

#include <windows.h>

#include <wrl/client.h>

#include <string>
#include <string_view>

namespace orvy::win32 {

using Microsoft::WRL::ComPtr;

// The thread's last OS error as an HRESULT (0x8007xxxx); E_FAIL when the
// failing call left no error behind.
HRESULT last_error_hresult();

// "0x887A0004: <the system's message>", the text a failed window creation
// reports; the message is left out when the system has none.
std::string describe_hresult(HRESULT result);

// Core's UTF-16 is Windows' wide text: the same code units, another type.
inline std::wstring wide(std::u16string_view text) { return { text.begin(), text.end() }; }
inline std::u16string narrow_units(std::wstring_view text) { return { text.begin(), text.end() }; }
// UTF-8 to wide text and back; invalid input becomes U+FFFD.
std::wstring wide_from_utf8(std::string_view utf8);
std::string utf8_from_wide(std::wstring_view text);

// Initialises COM once per thread in the single-threaded apartment that
// WIC, the file dialogs and drag and drop expect; the result is not needed.
void ensure_com();

}
