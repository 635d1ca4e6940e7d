// Window overlays: the state records of what is drawn over the tree (open
// lists and menus, notification pill, toasts, modal dialog, inspector), their
// geometry as pure functions, and the drawing of every overlay in frame order.
#pragma once

#include "core/paint/painter.hpp"
#include "core/tree/tree.hpp"

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

namespace orvy {

// ---- Constants of the overlay geometry

// The context menu: 220 px wide, 30 px per item; the frame update keeps it
// inside the client area and the pointer handlers find its rows by them.
inline constexpr float menu_width = 220.0f;
inline constexpr float menu_item_height = 30.0f;
// Lists opened from a menu bar are 220 wide, those of a split button as wide
// as the button; both have 34 px rows.
inline constexpr float menu_list_width = 220.0f;
inline constexpr float menu_list_row = 34.0f;
inline constexpr float menubar_title_width = 120.0f;
// How long the pointer rests on a node before its tooltip is drawn.
inline constexpr float tooltip_rest_seconds = 0.6f;
inline constexpr float notification_fade_seconds = 0.35f;
inline constexpr float dialog_width = 440.0f;
inline constexpr float dialog_height = 220.0f;
inline constexpr float dialog_message_width = 392.0f;
inline constexpr float dialog_message_height = 96.0f;

// ---- State records (kept by the window, changed by input and the frame pipeline)

// A list opened from a menu bar title or a split button's arrow. The list
// number is the menu index for a menu bar and 0 for a split button.
struct OpenList {
    NodeId owner = 0;
    TextList items;
    PointF position; // top-left corner of the list
    std::uint32_t list_number = 0;
    float width = menu_list_width;
};

// The in-window notification pill: live until its end time, fading out over
// its last 0.35 s.
struct Notification {
    Text message;
    Instant end;
};

enum class ToastCorner : std::uint8_t { TopLeft = 0, TopRight = 1, BottomLeft = 2, BottomRight = 3, BottomCenter = 4 };

// "tl", "tr", "bl", "br"; any other text is the bottom centre.
ToastCorner parse_toast_corner(std::string_view text);

struct Toast {
    ToastCorner corner = ToastCorner::TopRight;
    bool message_only = false; // a snack bar; otherwise a titled notification
    Text title;
    Text message;
    Text button; // the action label; empty for none
    Instant start;
    float lifetime = 4.0f; // seconds; 0 or less stays until removed
    Callback<void(Tree&)> on_action;
};

inline constexpr std::int32_t dialog_dismissed = -1;

// The modal message dialog. Buttons are pressed by the pointer or the keyboard;
// the last one is the primary button.
struct Dialog {
    Text title;
    Text message;
    TextList buttons;
    float scroll = 0; // of the message, in pixels
    std::optional<std::uint32_t> focused_button;
    // Gets the pressed button's index, or dialog_dismissed for Esc.
    Callback<void(Tree&, std::int32_t button)> on_close;
};

// Everything a window draws over its tree besides what the tree holds itself
// (the open dropdown, the context menu and the tooltip candidate are tree fields).
struct OverlayState {
    std::optional<OpenList> open_list;
    std::optional<Notification> notification;
    std::vector<Toast> toasts;
    std::optional<Dialog> dialog;
    // Dialogs requested while another one is shown, in request order.
    std::deque<Dialog> waiting_dialogs;
    bool inspector = false; // F12 in a window made with insp=True

    // Frame step for message dialogs: the requests join the waiting line and,
    // when no dialog is shown, the first waiting one is shown. Returns whether
    // one was.
    bool take_dialogs(std::vector<Dialog> requested);
    // Frame step for toasts: newly posted ones join the live list, starting
    // now. Returns whether any did.
    bool take_toasts(std::vector<Toast> posted, Instant now);

    // Frame step for the pill: a message a button's `toast=` left in the tree
    // replaces the current one for the tree's toast time. Returns whether one did.
    bool take_notification(Tree& tree, Instant now);
    // Drops a notification and the toasts whose time has run out; returns
    // whether a timed overlay is still on screen.
    bool expire(Instant now);
    // Closes the open menu-bar or split-button list, clearing its owner's
    // open state, and returns it.
    std::optional<OpenList> close_open_list(Tree& tree);
    // Closes the message box and calls its handler with `button`.
    void close_dialog(Tree& tree, std::int32_t button);
};

// ---- Geometry

// The open dropdown's list: directly below the node, as wide as it, one
// row per item as tall as the node.
RectF dropdown_list_rect(RectF dropdown, std::size_t item_count);
// The context menu at its position, 220 wide, 30 per row.
RectF context_menu_rect(PointF position, std::size_t item_count);
// A menu bar or split button list at its position and width, 34 per row.
RectF menu_list_rect(OpenList const& list);
// The row of a list of uniform rows under the point; none outside.
std::optional<std::uint32_t> list_row_at(RectF list, float row_height, std::size_t row_count, PointF point);

// The tooltip box around text of the given size, placed at the pointer +
// (14, 22), kept 6 px from the right and bottom edges but never left of or
// above 4 px.
RectF tooltip_box(PointF pointer, TextSize text, float pad_x, float pad_y, float client_width, float client_height);
bool tooltip_due(Tree const& tree, Instant now);

float notification_alpha(Instant end, Instant now);
RectF notification_pill(float text_width, float client_width, float client_height);

struct ToastPlacement {
    RectF box;
    RectF button;
};
// One placement per toast, in list order: toasts of one corner stack away
// from their edge.
std::vector<ToastPlacement> place_toasts(std::span<Toast const> toasts, float client_width, float client_height);
// The toast whose box holds the point; the last placed wins.
std::optional<std::size_t> toast_at(std::span<ToastPlacement const> placements, PointF point);

RectF dialog_panel(float client_width, float client_height);
RectF dialog_button(RectF panel, std::size_t index, std::size_t count);
std::optional<std::uint32_t> dialog_button_at(RectF panel, std::size_t count, PointF point);
// Height of the message laid out 392 px wide; 0 without a dialog or text.
float dialog_message_height_of(TextEngine& text, TextFormat const& format, Text const& message);

// ---- Drawing

// The overlays in frame order: open dropdown list, context menu, menu list,
// inspector label, hint texts, tooltip, notification pill, toasts, dialog.
void paint_overlays(Canvas& canvas, PaintContext const& context, Tree const& tree, OverlayState const& overlays);

}
