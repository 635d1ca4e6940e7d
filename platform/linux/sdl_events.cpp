// SDL events to window-procedure calls.
#include "platform/linux/sdl_host.hpp"

#include "platform/linux/atspi_bridge.hpp"
#include "platform/linux/detail/key_map.hpp"
#include "platform/linux/detail/utf.hpp"

#include <cmath>

namespace orvy::linux_platform {

void SdlHost::dispatch(SDL_Event const& event)
{
    if (event.type == m_user_event && m_user_event != 0) {
        if (event.user.code == static_cast<Sint32>(UserEvent::DialogAnswers)) {
            deliver_dialog_answers();
            return;
        }
        if (event.user.code == static_cast<Sint32>(UserEvent::Accessibility)) {
            if (m_accessibility)
                m_accessibility->handle(static_cast<GDBusMessage*>(event.user.data1));
            return;
        }
        SdlWindow* native = window(event.user.windowID);
        if (!native)
            return;
        switch (static_cast<UserEvent>(event.user.code)) {
        case UserEvent::Close: destroy(native->id()); break;
        case UserEvent::FileDialogs: native->procedure().run_file_dialogs(*native); break;
        default: native->procedure().wake(*native); break;
        }
        return;
    }

    switch (event.type) {
    case SDL_WINDOWEVENT:
        if (SdlWindow* native = window(event.window.windowID))
            dispatch_window_event(*native, event.window);
        break;
    case SDL_MOUSEMOTION:
        if (SdlWindow* native = input_target(event.motion.windowID, false))
            native->procedure().pointer_move(*native, static_cast<float>(event.motion.x),
                static_cast<float>(event.motion.y));
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (SdlWindow* native = input_target(event.button.windowID, true)) {
            auto x = static_cast<float>(event.button.x), y = static_cast<float>(event.button.y);
            if (event.button.button == SDL_BUTTON_LEFT)
                native->procedure().left_down(*native, x, y);
            else if (event.button.button == SDL_BUTTON_RIGHT)
                native->procedure().right_down(*native, x, y);
        }
        break;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button != SDL_BUTTON_LEFT)
            break;
        if (SdlWindow* native = input_target(event.button.windowID, false))
            native->procedure().left_up(*native);
        break;
    case SDL_MOUSEWHEEL: {
        SdlWindow* native = input_target(event.wheel.windowID, false);
        // One notch is 120, positive away from the user; touchpads give fractions.
        float notches = event.wheel.preciseY;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            notches = -notches;
        auto delta = static_cast<std::int32_t>(std::lround(notches * 120.0f));
        if (native && delta != 0)
            native->procedure().wheel(*native, delta);
        break;
    }
    case SDL_KEYDOWN:
        if (SdlWindow* native = input_target(event.key.windowID, false)) {
            SDL_Keysym const& key = event.key.keysym;
            if (std::uint32_t code = detail::virtual_key(key.sym, key.scancode))
                native->procedure().key_down(*native, code);
            // Text input carries no control characters; editing expects
            // Backspace, Tab, Enter and Escape as characters too.
            native = window(event.key.windowID);
            if (char16_t control = detail::control_character(key.sym); native && control)
                native->procedure().character(*native, control);
        }
        break;
    case SDL_TEXTINPUT:
        if (SdlWindow* native = input_target(event.text.windowID, false)) {
            std::u16string text = detail::to_utf16(event.text.text);
            // One character typed arrives unit by unit; anything longer was
            // committed by an input method as a whole.
            bool single = text.size() == 1 || (text.size() == 2 && text[0] >= 0xD800 && text[0] <= 0xDBFF);
            if (!single) {
                native->procedure().input_method_result(*native, text);
                break;
            }
            WindowId id = native->id();
            for (char16_t unit : text) {
                if (SdlWindow* current = window(id))
                    current->procedure().character(*current, unit);
            }
        }
        break;
    case SDL_TEXTEDITING:
        if (SdlWindow* native = input_target(event.edit.windowID, false))
            native->procedure().input_method_preedit(*native, detail::to_utf16(event.edit.text));
        break;
    case SDL_DROPBEGIN:
        if (SdlWindow* native = window(event.drop.windowID)) {
            // Drop events carry no position. The pointer is where the drop
            // happened: the drag source holds it until the data is handed over.
            int pointer_x = 0, pointer_y = 0, window_x = 0, window_y = 0;
            SDL_GetGlobalMouseState(&pointer_x, &pointer_y);
            SDL_GetWindowPosition(native->sdl(), &window_x, &window_y);
            PointF point { static_cast<float>(pointer_x - window_x), static_cast<float>(pointer_y - window_y) };
            native->pending_drop() = { {}, point };
        }
        break;
    case SDL_DROPFILE:
        if (SdlWindow* native = window(event.drop.windowID))
            native->pending_drop().paths.emplace_back(event.drop.file ? event.drop.file : "");
        SDL_free(event.drop.file);
        break;
    case SDL_DROPTEXT:
        SDL_free(event.drop.file);
        break;
    case SDL_DROPCOMPLETE:
        if (SdlWindow* native = input_target(event.drop.windowID, false)) {
            SdlWindow::PendingDrop drop = std::move(native->pending_drop());
            native->pending_drop() = {};
            if (!drop.paths.empty())
                native->procedure().file_drop(*native, drop.paths, drop.point);
        }
        break;
    default: break;
    }
}

void SdlHost::dispatch_window_event(SdlWindow& native, SDL_WindowEvent const& event)
{
    switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        native.procedure().resize(native,
            { static_cast<std::uint32_t>(std::max(event.data1, 0)), static_cast<std::uint32_t>(std::max(event.data2, 0)) });
        break;
    case SDL_WINDOWEVENT_EXPOSED: native.invalidate(); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        if (m_accessibility)
            m_accessibility->window_activated(native.id(), true);
        if (!native.is_enabled())
            raise_modal_child(native.id());
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        if (m_accessibility)
            m_accessibility->window_activated(native.id(), false);
        break;
    case SDL_WINDOWEVENT_CLOSE:
        // A window blocked by its modal window ignores its close box.
        if (native.is_enabled())
            destroy(native.id());
        else
            raise_modal_child(native.id());
        break;
    default: break;
    }
}

}
