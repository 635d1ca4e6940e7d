// The frame update, step by step.
#include "core/frame/frame.hpp"

#include "core/operations/operations.hpp"
#include "core/paint/overlays.hpp"
#include "core/style/css.hpp"

#include <algorithm>
#include <cmath>

namespace orvy {

namespace {

using Seconds = std::chrono::duration<float>;

bool run_frame_hook(Tree& tree)
{
    if (!tree.frame_hook)
        return false;
    FrameHook running = std::move(tree.frame_hook);
    bool changed = running(tree);
    // A hook installed while this one ran is dropped.
    tree.frame_hook = std::move(running);
    return changed;
}

bool run_build_queue(Tree& tree)
{
    auto queued = tree.build_queue.take();
    for (auto& build : queued)
        build(tree);
    if (queued.empty())
        return false;
    tree.layout_dirty = true;
    return true;
}

// Whether a queued text or item list changed what a node shows: a poller
// that writes the same text every tick costs no frame.
bool apply_text_queue(Tree& tree)
{
    auto queued = tree.text_queue.take();
    bool changed = false;
    for (TextRequest& request : queued) {
        if (!tree.contains(request.node))
            continue;
        bool textbox = tree.node(request.node).kind() == NodeKind::Textbox;
        auto first = [&] { return request.texts.empty() ? Text() : std::move(request.texts.front()); };
        switch (request.mode) {
        case TextMode::Textbox:
            if (textbox)
                changed |= set_text(tree, request.node, first());
            break;
        case TextMode::Label:
            if (!textbox)
                changed |= set_text(tree, request.node, first());
            break;
        default:
            changed |= set_items(tree, request.node, std::move(request.texts));
            break;
        }
    }
    return changed;
}

bool take_menu_request(Tree& tree, FrameContext const& context)
{
    auto request = tree.menu_request.take();
    if (!request)
        return false;
    tree.menu_items = std::move(request->items);
    if (tree.menu_items.empty()) {
        tree.menu_open = false;
        return true;
    }
    tree.menu_open = true;
    tree.keyboard_row.reset();
    tree.open_dropdown.reset();
    float count = static_cast<float>(tree.menu_items.size());
    // std::clamp needs lo <= hi; the upper bounds are never below 0 here.
    tree.menu_pos.x = std::clamp(request->x, 0.0f, std::max(context.client_width - menu_width, 0.0f));
    tree.menu_pos.y = std::clamp(request->y, 0.0f, std::max(context.client_height - menu_item_height * count, 0.0f));
    if (std::isnan(tree.menu_pos.x))
        tree.menu_pos.x = 0;
    if (std::isnan(tree.menu_pos.y))
        tree.menu_pos.y = 0;
    return true;
}

// Whether a queued request changed anything: a poller that sets a value or
// flag to what it already is costs no frame.
bool apply_node_requests(Tree& tree)
{
    bool changed = false;
    for (NodeRequest const& request : tree.request_queue.take())
        changed |= apply_request(tree, request);
    return changed;
}

void apply_list_operation(Tree& tree, ListOperation& op)
{
    auto const& values = op.values;
    switch (static_cast<ListOperationCode>(op.code)) {
    case ListOperationCode::TreeSelect:
        if (tree.node(op.node).kind() == NodeKind::Treeview)
            set_selection(tree, op.node, values);
        break;
    case ListOperationCode::TreeSee:
        if (!values.empty())
            tree_see(tree, op.node, values.front());
        break;
    case ListOperationCode::TreeOpen:
        open_tree_rows(tree, op.node, values, true);
        break;
    case ListOperationCode::TableSee:
        if (!values.empty())
            table_see(tree, op.node, values.front());
        break;
    case ListOperationCode::ListSelect:
        if (tree.node(op.node).kind() == NodeKind::List) {
            set_selection(tree, op.node, values);
            if (!values.empty())
                scroll_into_view(tree, op.node, values.front());
        }
        break;
    case ListOperationCode::ColumnWidths:
        set_column_widths(tree, op.node, std::vector<float>(values.begin(), values.end()));
        break;
    case ListOperationCode::ColumnMinimums:
        set_column_minimums(tree, op.node, std::vector<float>(values.begin(), values.end()));
        break;
    case ListOperationCode::TreeClose:
    default:
        open_tree_rows(tree, op.node, values, false);
        break;
    }
}

bool apply_list_operations(Tree& tree)
{
    auto queued = tree.list_operations.take();
    for (ListOperation& op : queued) {
        if (tree.contains(op.node))
            apply_list_operation(tree, op);
    }
    if (queued.empty())
        return false;
    tree.layout_dirty = true;
    return true;
}

// Cell rectangles of each tree view's visible rows, from its last laid-out
// rectangle, for reading back from Python.
void publish_cell_rects(Tree& tree)
{
    CellRects& rects = *tree.cell_rects;
    rects.clear();
    for (NodeId id = 0; id < tree.size(); ++id) {
        Node const& node = tree.node(id);
        auto const* model = node.model.as<TreeviewModel>();
        if (!model)
            continue;
        auto columns = column_layout(tree, id);
        if (columns.empty())
            columns.push_back({ node.rect.x, node.rect.w });
        float top = node.rect.y + header_height(tree, id) - model->scroll;
        auto visible = visible_tree_rows(*model);
        for (std::size_t position = 0; position < visible.size(); ++position) {
            float y = top + static_cast<float>(position) * tree_row_height;
            for (std::size_t column = 0; column < columns.size(); ++column) {
                rects.set(id, visible[position], static_cast<std::uint32_t>(column),
                    { columns[column].x, y, columns[column].w, tree_row_height });
            }
        }
    }
}

bool advance_tweens(Tree& tree, float dt)
{
    for (Tween& tween : tree.tween_inbox.take())
        tree.tweens.push_back(std::move(tween));
    if (tree.tweens.empty())
        return false;
    // A tween's callback may add tweens; those join after this pass.
    for (std::size_t i = 0; i < tree.tweens.size(); ++i) {
        Tween& tween = tree.tweens[i];
        tween.elapsed = std::min(tween.elapsed + dt, tween.duration);
        float p = tween.duration > 0 ? tween.elapsed / tween.duration : 1.0f;
        float value = tween.from + (tween.to - tween.from) * ease(tween.easing, p);
        auto running = std::move(tween.on_value);
        running(tree, value);
        tree.tweens[i].on_value = std::move(running);
    }
    std::erase_if(tree.tweens, [](Tween const& t) { return !(t.elapsed < t.duration); });
    return true;
}

// Whether the tree holds changes not yet shown: work queued for the next
// update, or a layout made stale. Changes made while the window runs reach
// the tree this way (bindings dirty the layout when they apply a value).
bool has_unshown_changes(Tree const& tree)
{
    return tree.layout_dirty || tree.has_queued_changes();
}

// Fires the timers that are due at `now`; a timer taken from the inbox
// counts from `now` and fires in a later update. Returns whether their
// callbacks changed anything to show: a timer that only polls (reads state,
// talks to another process, writes a text or binding value equal to the one
// shown) costs no repaint.
bool advance_timers(Tree& tree, Instant now)
{
    if (tree.timers.empty() && tree.timer_inbox.empty() && tree.cancelled_timers.empty())
        return false;
    for (TimerRequest& request : tree.timer_inbox.take()) {
        tree.timers.push_back({ .interval = timer_interval(request.milliseconds),
            .start = now,
            .on_fire = std::move(request.on_fire),
            .id = request.id,
            .once = request.once });
    }
    auto cancelled = tree.cancelled_timers.take();
    if (!cancelled.empty()) {
        std::erase_if(tree.timers, [&](Timer const& timer) {
            return std::find(cancelled.begin(), cancelled.end(), timer.id) != cancelled.end();
        });
    }
    bool fired = false;
    // Callbacks may start timers (through the inbox) or cancel them (through
    // the cancel list); both take effect in the next update.
    for (std::size_t i = 0; i < tree.timers.size() && !tree.closing; ++i) {
        Timer& timer = tree.timers[i];
        if (timer.done || now - timer.start < timer.interval)
            continue;
        timer.start = now;
        timer.done = timer.once;
        fired = true;
        auto running = std::move(timer.on_fire);
        running(tree);
        tree.timers[i].on_fire = std::move(running);
    }
    std::erase_if(tree.timers, [](Timer const& timer) { return timer.done; });
    if (!fired)
        return false;
    // Texts and node requests the callbacks queued go in now, in the order
    // the next update would take them, rather than at that update: one that
    // gives a node what it already shows then costs no frame.
    bool applied = apply_text_queue(tree);
    applied |= apply_node_requests(tree);
    return applied || has_unshown_changes(tree);
}

bool tooltip_pending(Tree const& tree, Instant now)
{
    if (!tree.hovered || !tree.contains(tree.hovered->node) || !tree.node(tree.hovered->node).extras().tip)
        return false;
    return Seconds(now - tree.hovered->since).count() < tooltip_delay_seconds;
}

}

float ease(std::uint8_t easing, float p)
{
    switch (easing) {
    case static_cast<std::uint8_t>(Easing::Linear):
        return p;
    case static_cast<std::uint8_t>(Easing::CubicIn):
        return p * p * p;
    case static_cast<std::uint8_t>(Easing::CubicInOut): {
        if (p < 0.5f)
            return 4 * p * p * p;
        float q = 2 - 2 * p;
        return 1 - q * q * q / 2;
    }
    default: {
        float q = 1 - p;
        return 1 - q * q * q;
    }
    }
}

std::uint8_t easing_from_name(std::string_view name)
{
    if (name == "lin")
        return static_cast<std::uint8_t>(Easing::Linear);
    if (name == "in")
        return static_cast<std::uint8_t>(Easing::CubicIn);
    if (name == "io")
        return static_cast<std::uint8_t>(Easing::CubicInOut);
    return 2;
}

std::chrono::nanoseconds timer_interval(float milliseconds)
{
    constexpr double one_day = 24.0 * 3600.0 * 1000.0;
    double ms = std::isnan(milliseconds) ? 1.0 : std::clamp(static_cast<double>(milliseconds), 1.0, one_day);
    return std::chrono::nanoseconds(static_cast<std::int64_t>(ms * 1e6));
}

bool frame_update(Tree& tree, FrameContext const& context)
{
    bool changed = false;
    // Step 1: the frame hook (posted calls are drained here).
    changed |= run_frame_hook(tree);
    // Step 2: functions passed to build() while running.
    changed |= run_build_queue(tree);
    // Step 3: style sheets given while running.
    if (context.styles)
        changed |= context.styles->drain_stylesheet_queue(tree);
    // Step 4: texts and item lists.
    changed |= apply_text_queue(tree);
    // Step 5: the context menu; a taken request always repaints.
    bool menu_taken = take_menu_request(tree, context);
    // Step 6: node requests, in the order they were made.
    changed |= apply_node_requests(tree);
    // Step 7: selections, scrolling, tree rows and column widths.
    changed |= apply_list_operations(tree);
    // Step 8: tree cell rectangles of the previous layout.
    publish_cell_rects(tree);
    // Step 9: the time step.
    float dt = tree.last_frame_time ? Seconds(context.now - *tree.last_frame_time).count() : 0.0f;
    tree.last_frame_time = context.now;
    dt = std::max(dt, 0.0f);
    // Step 10: tweens.
    changed |= advance_tweens(tree, dt);
    // Step 11: timers, on the time read now: the steps above (posted calls
    // above all) may have run for a while, and a timer that fell due
    // meanwhile fires in this update rather than after the next round of
    // posted calls.
    Instant timer_now = context.clock ? std::max(context.clock(), context.now) : context.now;
    changed |= advance_timers(tree, timer_now);
    // Step 12: spinners never let the window rest.
    if (tree.spinner_count > 0) {
        for (Node& node : tree.nodes) {
            if (auto* spinner = node.model.as<SpinnerModel>())
                spinner->phase = std::fmod(spinner->phase + spinner_turns_per_second * dt, 1.0f);
        }
        return true;
    }
    // Step 13: the result, keeping frames coming while a tooltip waits to show.
    if (menu_taken || changed || context.timed_overlays_visible)
        return true;
    return tooltip_pending(tree, context.now);
}

}
