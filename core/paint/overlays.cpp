// Overlay state upkeep and geometry: list and menu rectangles, the tooltip
// box, the notification pill, toast placement and the dialog's panel and buttons.
#include "core/paint/overlays.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

namespace orvy {

namespace {

float seconds_between(Instant from, Instant to) { return std::chrono::duration<float>(to - from).count(); }

}

ToastCorner parse_toast_corner(std::string_view text)
{
    if (text == "tl")
        return ToastCorner::TopLeft;
    if (text == "tr")
        return ToastCorner::TopRight;
    if (text == "bl")
        return ToastCorner::BottomLeft;
    if (text == "br")
        return ToastCorner::BottomRight;
    return ToastCorner::BottomCenter;
}

std::optional<OpenList> OverlayState::close_open_list(Tree& tree)
{
    std::optional<OpenList> list = std::exchange(open_list, std::nullopt);
    if (list && tree.contains(list->owner)) {
        Node& owner = tree.node(list->owner);
        if (auto* split = owner.model.as<SplitModel>())
            split->open = false;
        if (auto* menubar = owner.model.as<MenubarModel>())
            menubar->open_menu.reset();
    }
    return list;
}

void OverlayState::close_dialog(Tree& tree, std::int32_t button)
{
    if (!dialog)
        return;
    Dialog closed = std::move(*dialog);
    dialog.reset();
    if (closed.on_close)
        closed.on_close(tree, button);
}

bool OverlayState::take_notification(Tree& tree, Instant now)
{
    if (tree.toast_text.empty())
        return false;
    float seconds = tree.toast_secs > 0 ? std::min(tree.toast_secs, 86400.0f) : 0.0f; // NaN as 0
    auto lasting = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<float>(seconds));
    notification = Notification { std::move(tree.toast_text), now + lasting };
    tree.toast_text.clear();
    return true;
}

bool OverlayState::take_dialogs(std::vector<Dialog> requested)
{
    for (Dialog& request : requested)
        waiting_dialogs.push_back(std::move(request));
    if (dialog || waiting_dialogs.empty())
        return false;
    dialog = std::move(waiting_dialogs.front());
    waiting_dialogs.pop_front();
    return true;
}

bool OverlayState::take_toasts(std::vector<Toast> posted, Instant now)
{
    for (Toast& toast : posted) {
        toast.start = now;
        toasts.push_back(std::move(toast));
    }
    return !posted.empty();
}

bool OverlayState::expire(Instant now)
{
    if (notification && notification->end <= now)
        notification.reset();
    std::erase_if(toasts, [&](Toast const& toast) {
        return toast.lifetime > 0 && seconds_between(toast.start, now) >= toast.lifetime;
    });
    return notification.has_value() || !toasts.empty();
}

RectF dropdown_list_rect(RectF dropdown, std::size_t item_count)
{
    return { dropdown.x, dropdown.bottom(), dropdown.w, dropdown.h * static_cast<float>(item_count) };
}

RectF context_menu_rect(PointF position, std::size_t item_count)
{
    return { position.x, position.y, menu_width, menu_item_height * static_cast<float>(item_count) };
}

RectF menu_list_rect(OpenList const& list)
{
    return { list.position.x, list.position.y, std::max(list.width, 0.0f),
        menu_list_row * static_cast<float>(list.items.size()) };
}

std::optional<std::uint32_t> list_row_at(RectF list, float row_height, std::size_t row_count, PointF point)
{
    if (!(row_height > 0) || !(point.x >= list.x) || !(point.x < list.right()) || !(point.y >= list.y))
        return std::nullopt;
    float row = std::floor((point.y - list.y) / row_height);
    if (!(row < static_cast<float>(row_count)))
        return std::nullopt;
    return static_cast<std::uint32_t>(row);
}

RectF tooltip_box(PointF pointer, TextSize text, float pad_x, float pad_y, float client_width, float client_height)
{
    float w = text.width + 2 * pad_x;
    float h = text.height + 2 * pad_y;
    float x = std::min(pointer.x + 14, client_width - 6 - w);
    float y = std::min(pointer.y + 22, client_height - 6 - h);
    return { std::max(x, 4.0f), std::max(y, 4.0f), w, h };
}

bool tooltip_due(Tree const& tree, Instant now)
{
    if (!tree.hovered || !tree.contains(tree.hovered->node))
        return false;
    auto const& tip = tree.node(tree.hovered->node).extras().tip;
    return tip && !tip->empty() && seconds_between(tree.hovered->since, now) > tooltip_rest_seconds;
}

float notification_alpha(Instant end, Instant now)
{
    float alpha = seconds_between(now, end) / notification_fade_seconds;
    return alpha > 0 ? std::min(alpha, 1.0f) : 0.0f;
}

RectF notification_pill(float text_width, float client_width, float client_height)
{
    float w = std::min(text_width + 48, client_width - 40);
    return { (client_width - w) / 2, client_height - 48 - 28, w, 48 };
}

std::vector<ToastPlacement> place_toasts(std::span<Toast const> toasts, float client_width, float client_height)
{
    std::vector<ToastPlacement> placements;
    placements.reserve(toasts.size());
    std::array<float, 5> counters {};
    float W = client_width, H = client_height;
    for (Toast const& toast : toasts) {
        auto code = static_cast<std::size_t>(toast.corner);
        if (toast.message_only && toast.corner == ToastCorner::BottomCenter) {
            float count = counters[4]++;
            float w = std::min(W - 40, 460.0f);
            float x = (W - w) / 2;
            float y = H - 28 - 56 - count * 66;
            placements.push_back({ { x, y, w, 56 }, { x + w - 110, y + 10, 96, 36 } });
            continue;
        }
        std::size_t corner = code > 3 ? 1 : code;
        float count = counters[corner]++;
        float h = toast.message_only ? 56.0f : 76.0f;
        float w = std::min(W - 40, 320.0f);
        float x = corner == 1 || corner == 3 ? W - w - 20 : 20;
        float y = corner <= 1 ? 20 + count * (h + 10) : H - 20 - h - count * (h + 10);
        RectF button = toast.message_only ? RectF { x + w - 110, y + 10, 96, 36 } : RectF { x + w - 100, y + 42, 86, 26 };
        placements.push_back({ { x, y, w, h }, button });
    }
    return placements;
}

std::optional<std::size_t> toast_at(std::span<ToastPlacement const> placements, PointF point)
{
    for (std::size_t i = placements.size(); i-- > 0;) {
        if (placements[i].box.contains(point.x, point.y))
            return i;
    }
    return std::nullopt;
}

RectF dialog_panel(float client_width, float client_height)
{
    return { (client_width - dialog_width) / 2, (client_height - dialog_height) / 2, dialog_width, dialog_height };
}

RectF dialog_button(RectF panel, std::size_t index, std::size_t count)
{
    float n = static_cast<float>(std::max<std::size_t>(count, 1));
    float w = (dialog_width - (n + 1) * 16) / n;
    float x = panel.x + 16 + static_cast<float>(index) * (w + 16);
    return { x, panel.bottom() - 16 - 44, w, 44 };
}

std::optional<std::uint32_t> dialog_button_at(RectF panel, std::size_t count, PointF point)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (dialog_button(panel, i, count).contains(point.x, point.y))
            return static_cast<std::uint32_t>(i);
    }
    return std::nullopt;
}

float dialog_message_height_of(TextEngine& text, TextFormat const& format, Text const& message)
{
    if (message.empty())
        return 0;
    auto layout = text.layout(message, format, dialog_message_width, 100000.0f);
    return layout ? layout->size().height : 0.0f;
}

}
