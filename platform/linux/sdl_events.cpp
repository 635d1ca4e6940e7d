// SDL events to window-procedure calls.
#include "platform/linux/sdl_host.hpp"

#include "platform/linux/atspi_bridge.hpp"
#include "platform/linux/detail/key_map.hpp"
#include "platform/linux/detail/utf.hpp"

#include <cmath>

namespace orvy::linux_platform {

struct SdlHost::Events {
    static void user(SdlHost& host, SDL_Event const& event)
    {
        if (event.user.code == static_cast<Sint32>(UserEvent::DialogAnswers)) {
            host.deliver_dialog_answers();
            return;
        }
        if (event.user.code == static_cast<Sint32>(UserEvent::Accessibility)) {
            if (host.m_accessibility)
                host.m_accessibility->handle(static_cast<GDBusMessage*>(event.user.data1));
            return;
        }
        SdlWindow* native = host.window(event.user.windowID);
        if (!native)
            return;
        switch (static_cast<UserEvent>(event.user.code)) {
        case UserEvent::Close: host.destroy(native->id()); break;
        case UserEvent::FileDialogs: native->procedure().run_file_dialogs(*native); break;
        default: native->procedure().wake(*native); break;
        }
    }

    static void window(SdlHost& host, SDL_Event const& event)
    {
        SdlWindow* native = host.window(event.window.windowID);
        if (!native)
            return;
        switch (event.window.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            native->procedure().resize(*native, { static_cast<std::uint32_t>(std::max(event.window.data1, 0)),
                                                    static_cast<std::uint32_t>(std::max(event.window.data2, 0)) });
            break;
        case SDL_WINDOWEVENT_EXPOSED: native->invalidate(); break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            if (host.m_accessibility)
                host.m_accessibility->window_activated(native->id(), true);
            if (!native->is_enabled())
                host.raise_modal_child(native->id());
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            if (host.m_accessibility)
                host.m_accessibility->window_activated(native->id(), false);
            break;
        case SDL_WINDOWEVENT_CLOSE:
            // A window blocked by its modal window ignores its close box.
            if (native->is_enabled())
                host.destroy(native->id());
            else
                host.raise_modal_child(native->id());
            break;
        default: break;
        }
    }

    static void pointer_move(SdlHost& host, SDL_Event const& event)
    {
        if (SdlWindow* native = host.input_target(event.motion.windowID, false))
            native->procedure().pointer_move(*native, static_cast<float>(event.motion.x),
                static_cast<float>(event.motion.y));
    }

    static void button_down(SdlHost& host, SDL_Event const& event)
    {
        SdlWindow* native = host.input_target(event.button.windowID, true);
        if (!native)
            return;
        auto x = static_cast<float>(event.button.x), y = static_cast<float>(event.button.y);
        if (event.button.button == SDL_BUTTON_LEFT)
            native->procedure().left_down(*native, x, y);
        else if (event.button.button == SDL_BUTTON_RIGHT)
            native->procedure().right_down(*native, x, y);
    }

    static void button_up(SdlHost& host, SDL_Event const& event)
    {
        if (event.button.button != SDL_BUTTON_LEFT)
            return;
        if (SdlWindow* native = host.input_target(event.button.windowID, false))
            native->procedure().left_up(*native);
    }

    static void wheel(SdlHost& host, SDL_Event const& event)
    {
        SdlWindow* native = host.input_target(event.wheel.windowID, false);
        // One notch is 120, positive away from the user; touchpads give fractions.
        float notches = event.wheel.preciseY;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            notches = -notches;
        auto delta = static_cast<std::int32_t>(std::lround(notches * 120.0f));
        if (native && delta != 0)
            native->procedure().wheel(*native, delta);
    }

    static void key_down(SdlHost& host, SDL_Event const& event)
    {
        SdlWindow* native = host.input_target(event.key.windowID, false);
        if (!native)
            return;
        SDL_Keysym const& key = event.key.keysym;
        if (std::uint32_t code = detail::virtual_key(key.sym, key.scancode))
            native->procedure().key_down(*native, code);
        // Text input carries no control characters; editing expects
        // Backspace, Tab, Enter and Escape as characters too.
        native = host.window(event.key.windowID);
        if (char16_t control = detail::control_character(key.sym); native && control)
            native->procedure().character(*native, control);
    }

    static void text_input(SdlHost& host, SDL_Event const& event)
    {
        SdlWindow* native = host.input_target(event.text.windowID, false);
        if (!native)
            return;
        std::u16string text = detail::to_utf16(event.text.text);
        // One character typed arrives unit by unit; anything longer was
        // committed by an input method as a whole.
        bool single = text.size() == 1 || (text.size() == 2 && text[0] >= 0xD800 && text[0] <= 0xDBFF);
        if (!single) {
            native->procedure().input_method_result(*native, text);
            return;
        }
        WindowId id = native->id();
        for (char16_t unit : text) {
            if (SdlWindow* current = host.window(id))
                current->procedure().character(*current, unit);
        }
    }

    static void text_editing(SdlHost& host, SDL_Event const& event)
    {
        if (SdlWindow* native = host.input_target(event.edit.windowID, false))
            native->procedure().input_method_preedit(*native, detail::to_utf16(event.edit.text));
    }

    static void drop_begin(SdlHost& host, SDL_Event const& event)
    {
        SdlWindow* native = host.window(event.drop.windowID);
        if (!native)
            return;
        // Drop events carry no position. The pointer is where the drop
        // happened: the drag source holds it until the data is handed over.
        int pointer_x = 0, pointer_y = 0, window_x = 0, window_y = 0;
        SDL_GetGlobalMouseState(&pointer_x, &pointer_y);
        SDL_GetWindowPosition(native->sdl(), &window_x, &window_y);
        PointF point { static_cast<float>(pointer_x - window_x), static_cast<float>(pointer_y - window_y) };
        native->pending_drop() = { {}, point };
    }

    static void drop_file(SdlHost& host, SDL_Event const& event)
    {
        if (SdlWindow* native = host.window(event.drop.windowID))
            native->pending_drop().paths.emplace_back(event.drop.file ? event.drop.file : "");
        SDL_free(event.drop.file);
    }

    static void drop_text(SdlHost&, SDL_Event const& event) { SDL_free(event.drop.file); }

    static void drop_complete(SdlHost& host, SDL_Event const& event)
    {
        SdlWindow* native = host.input_target(event.drop.windowID, false);
        if (!native)
            return;
        SdlWindow::PendingDrop drop = std::move(native->pending_drop());
        native->pending_drop() = {};
        if (!drop.paths.empty())
            native->procedure().file_drop(*native, drop.paths, drop.point);
    }
};

void SdlHost::dispatch(SDL_Event const& event)
{
    struct Row {
        Uint32 type;
        void (*handle)(SdlHost&, SDL_Event const&);
    };
    static constexpr Row rows[] = {
        { SDL_WINDOWEVENT, Events::window },
        { SDL_MOUSEMOTION, Events::pointer_move },
        { SDL_MOUSEBUTTONDOWN, Events::button_down },
        { SDL_MOUSEBUTTONUP, Events::button_up },
        { SDL_MOUSEWHEEL, Events::wheel },
        { SDL_KEYDOWN, Events::key_down },
        { SDL_TEXTINPUT, Events::text_input },
        { SDL_TEXTEDITING, Events::text_editing },
        { SDL_DROPBEGIN, Events::drop_begin },
        { SDL_DROPFILE, Events::drop_file },
        { SDL_DROPTEXT, Events::drop_text },
        { SDL_DROPCOMPLETE, Events::drop_complete },
    };
    if (event.type == m_user_event && m_user_event != 0) {
        Events::user(*this, event);
        return;
    }
    for (Row const& row : rows) {
        if (row.type == event.type) {
            row.handle(*this, event);
            return;
        }
    }
}

}
