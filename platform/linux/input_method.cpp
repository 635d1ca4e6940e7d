// The X input method and its input contexts: the preferred style the method
// offers, compositions delivered through callbacks, committed text read as UTF-8.
#include "platform/linux/detail/input_method.hpp"

#include "platform/linux/detail/utf.hpp"

#include <X11/Xutil.h>

#include <algorithm>
#include <cwchar>
#include <vector>

namespace orvy::linux_platform::detail {

void splice_preedit(std::u32string& preedit, std::size_t first, std::size_t length, std::u32string_view text)
{
    first = std::min(first, preedit.size());
    length = std::min(length, preedit.size() - first);
    preedit.replace(first, length, text);
}

std::u32string from_locale(std::string_view text)
{
    std::u32string result;
    std::mbstate_t state {};
    std::size_t at = 0;
    while (at < text.size()) {
        wchar_t character = 0;
        std::size_t used = std::mbrtowc(&character, text.data() + at, text.size() - at, &state);
        if (used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2)) {
            result.push_back(U'\uFFFD');
            state = {};
            ++at;
            continue;
        }
        result.push_back(static_cast<char32_t>(character));
        at += used == 0 ? 1 : used;
    }
    return result;
}

namespace {

std::u16string to_utf16(std::u32string_view text)
{
    std::u16string result;
    for (char32_t c : text) {
        if (c >= 0x110000 || (c >= 0xD800 && c <= 0xDFFF))
            c = 0xFFFD;
        if (c >= 0x10000) {
            c -= 0x10000;
            result.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            result.push_back(static_cast<char16_t>(c));
        }
    }
    return result;
}

// The style to ask for: the method sends its composition to be shown at the
// caret (on the spot), or draws it itself where it is told (over the spot),
// or in a window of its own; no status area in any case.
XIMStyle preferred_style(XIM method)
{
    XIMStyles* styles = nullptr;
    if (XGetIMValues(method, XNQueryInputStyle, &styles, nullptr) != nullptr || !styles)
        return 0;
    XIMStyle chosen = 0;
    for (XIMStyle wanted : { XIMPreeditCallbacks | XIMStatusNothing, XIMPreeditPosition | XIMStatusNothing,
             XIMPreeditNothing | XIMStatusNothing, XIMPreeditNone | XIMStatusNone }) {
        for (unsigned short i = 0; i < styles->count_styles && !chosen; ++i) {
            if (styles->supported_styles[i] == wanted)
                chosen = wanted;
        }
        if (chosen)
            break;
    }
    XFree(styles);
    return chosen;
}

}

std::string locale_to_utf8(std::string_view text) { return to_utf8(to_utf16(from_locale(text))); }

std::unique_ptr<InputMethod> InputMethod::open(Display* display)
{
    // The session's choice (XMODIFIERS), then the built-in method.
    XIM method = nullptr;
    for (char const* modifiers : { "", "@im=none" }) {
        if (!XSetLocaleModifiers(modifiers))
            continue;
        method = XOpenIM(display, nullptr, nullptr, nullptr);
        if (method)
            break;
    }
    if (!method)
        return nullptr;
    XIMStyle style = preferred_style(method);
    if (!style) {
        XCloseIM(method);
        return nullptr;
    }
    std::unique_ptr<InputMethod> opened(new InputMethod(method, style));
    XIMCallback destroy { reinterpret_cast<XPointer>(opened.get()), destroyed };
    XSetIMValues(method, XNDestroyCallback, &destroy, nullptr);
    return opened;
}

InputMethod::InputMethod(XIM method, XIMStyle style) : m_method(method), m_style(style) { }

InputMethod::~InputMethod()
{
    if (m_alive)
        XCloseIM(m_method);
}

void InputMethod::destroyed(XIM, XPointer client, XPointer)
{
    reinterpret_cast<InputMethod*>(client)->m_alive = false;
}

std::unique_ptr<InputContext> InputContext::create(InputMethod& method, Window window)
{
    if (!method.is_alive())
        return nullptr;
    std::unique_ptr<InputContext> context(new InputContext(method));
    auto client = reinterpret_cast<XPointer>(context.get());
    XICCallback start { client, preedit_start };
    XICCallback done { client, preedit_done };
    XICCallback draw { client, preedit_draw };
    XICCallback caret { client, preedit_caret };
    XPoint spot { 0, 0 };
    XVaNestedList preedit = nullptr;
    if (method.style() & XIMPreeditCallbacks)
        preedit = XVaCreateNestedList(0, XNPreeditStartCallback, &start, XNPreeditDoneCallback, &done,
            XNPreeditDrawCallback, &draw, XNPreeditCaretCallback, &caret, nullptr);
    else if (method.style() & XIMPreeditPosition)
        preedit = XVaCreateNestedList(0, XNSpotLocation, &spot, nullptr);
    if (preedit)
        context->m_context = XCreateIC(method.handle(), XNInputStyle, method.style(), XNClientWindow, window,
            XNFocusWindow, window, XNPreeditAttributes, preedit, nullptr);
    else
        context->m_context = XCreateIC(method.handle(), XNInputStyle, method.style(), XNClientWindow, window,
            XNFocusWindow, window, nullptr);
    if (preedit)
        XFree(preedit);
    if (!context->m_context)
        return nullptr;
    unsigned long filter = 0;
    if (XGetICValues(context->m_context, XNFilterEvents, &filter, nullptr) == nullptr)
        context->m_filter_events = static_cast<long>(filter);
    return context;
}

InputContext::~InputContext()
{
    if (m_context && m_method.is_alive())
        XDestroyIC(m_context);
}

void InputContext::set_focus(bool focused)
{
    if (!m_method.is_alive())
        return;
    if (focused)
        XSetICFocus(m_context);
    else
        XUnsetICFocus(m_context);
}

void InputContext::place(RectF area)
{
    if (!m_method.is_alive() || !(m_method.style() & XIMPreeditPosition))
        return;
    // The spot is the baseline's start, below the caret's top.
    XPoint spot { static_cast<short>(std::clamp(area.x, -32768.0f, 32767.0f)),
        static_cast<short>(std::clamp(area.y + area.h, -32768.0f, 32767.0f)) };
    XVaNestedList preedit = XVaCreateNestedList(0, XNSpotLocation, &spot, nullptr);
    XSetICValues(m_context, XNPreeditAttributes, preedit, nullptr);
    XFree(preedit);
}

std::string InputContext::lookup(XKeyEvent& event, KeySym& keysym)
{
    keysym = NoSymbol;
    if (!m_method.is_alive())
        return {};
    std::vector<char> buffer(64);
    Status status = 0;
    int length = Xutf8LookupString(m_context, &event, buffer.data(), static_cast<int>(buffer.size()), &keysym, &status);
    if (status == XBufferOverflow) {
        buffer.resize(static_cast<std::size_t>(length) + 1);
        length = Xutf8LookupString(m_context, &event, buffer.data(), static_cast<int>(buffer.size()), &keysym, &status);
    }
    if (status != XLookupChars && status != XLookupBoth)
        length = 0;
    if (status != XLookupKeySym && status != XLookupBoth)
        keysym = NoSymbol;
    return std::string(buffer.data(), static_cast<std::size_t>(std::max(length, 0)));
}

std::optional<std::u16string> InputContext::take_preedit()
{
    if (!m_preedit_changed)
        return std::nullopt;
    m_preedit_changed = false;
    return to_utf16(m_preedit);
}

int InputContext::preedit_start(XIC, XPointer client, XPointer)
{
    auto* context = reinterpret_cast<InputContext*>(client);
    context->m_preedit.clear();
    context->m_preedit_changed = true;
    return -1; // no limit on the composition's length
}

int InputContext::preedit_done(XIC, XPointer client, XPointer)
{
    auto* context = reinterpret_cast<InputContext*>(client);
    context->m_preedit.clear();
    context->m_preedit_changed = true;
    return 0;
}

int InputContext::preedit_draw(XIC, XPointer client, XPointer data)
{
    auto* context = reinterpret_cast<InputContext*>(client);
    auto const* draw = reinterpret_cast<XIMPreeditDrawCallbackStruct const*>(data);
    if (!draw)
        return 0;
    std::u32string text;
    if (XIMText const* given = draw->text) {
        if (given->encoding_is_wchar && given->string.wide_char)
            for (unsigned short i = 0; i < given->length; ++i)
                text.push_back(static_cast<char32_t>(given->string.wide_char[i]));
        else if (!given->encoding_is_wchar && given->string.multi_byte)
            text = from_locale(given->string.multi_byte);
    }
    splice_preedit(context->m_preedit, static_cast<std::size_t>(std::max(draw->chg_first, 0)),
        static_cast<std::size_t>(std::max(draw->chg_length, 0)), text);
    context->m_preedit_changed = true;
    return 0;
}

}
