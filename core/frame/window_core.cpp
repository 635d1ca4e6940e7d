// The frame pipeline of one window.
#include "core/frame/window_core.hpp"

#include "core/base/utf.hpp"
#include "core/layout/layout.hpp"
#include "core/models/text_field.hpp"
#include "core/paint/bounded_canvas.hpp"
#include "core/paint/flat_area_canvas.hpp"
#include "core/paint/painter.hpp"
#include "core/text/paragraph_layout.hpp"
#include "core/window/startup_marks.hpp"

#include <algorithm>
#include <cmath>

namespace orvy {

WindowCore::WindowCore(Tree& tree, StyleContext& styles, WindowLook const& look, WindowCells cells,
    std::unique_ptr<TextEngine> text, std::unique_ptr<ImageDecoder> images, std::shared_ptr<void> owner)
    : m_owner(std::move(owner))
    , m_tree(tree)
    , m_styles(styles)
    , m_look(look)
    , m_cells(std::move(cells))
    , m_theme(look.theme)
    , m_text(std::move(text))
    , m_decoder(std::move(images))
{
    m_keyboard.allow_inspector(look.inspector);
    m_pointer.set_text_services(this);
    m_keyboard.set_text_services(this);
    if (m_text) {
        m_text->set_family_lookup([&styles](std::uint16_t family) {
            return utf16_to_utf8(styles.font_families().name(family));
        });
    }
}

WindowCore::~WindowCore() = default;

void WindowCore::attached(NativeWindow& window)
{
    m_window = &window;
    m_client = window.client_size();
    sync_backdrop();
}

void WindowCore::sync_backdrop()
{
    Backdrop wanted = m_cells.effects->backdrop;
    if (!m_window || m_applied_backdrop == wanted)
        return;
    m_window->set_backdrop(wanted);
    m_applied_backdrop = wanted;
}

FrameContext WindowCore::frame_context() const
{
    return { .now = Clock::now(),
        .clock = [] { return Clock::now(); },
        .client_width = static_cast<float>(m_client.width),
        .client_height = static_cast<float>(m_client.height),
        .styles = &m_styles,
        .timed_overlays_visible = !m_overlays.toasts.empty() || m_overlays.notification.has_value() };
}

bool WindowCore::frame_update()
{
    sync_backdrop();
    bool changed = apply_pending_text(m_tree);
    changed |= m_keyboard.take_focus_requests();
    changed |= orvy::frame_update(m_tree, frame_context());
    // Callbacks run by the update may have asked for dialogs and toasts.
    return take_overlay_requests() || changed;
}

bool WindowCore::take_overlay_requests()
{
    Instant now = Clock::now();
    bool changed = m_overlays.take_dialogs(m_cells.dialogs.take());
    changed |= m_overlays.take_notification(m_tree, now);
    changed |= m_overlays.take_toasts(m_cells.notifications.take(), now);
    return m_overlays.expire(now) || changed;
}

PaintContext WindowCore::paint_context() const
{
    PaintContext context;
    context.viewport_width = static_cast<float>(m_client.width);
    context.viewport_height = static_cast<float>(m_client.height);
    context.palette = m_theme.palette();
    context.text = m_text.get();
    if (m_text)
        context.formats = make_frame_formats(*m_text, 0, m_look.font_size);
    context.images = &m_images;
    if (m_tree.hovered && m_tree.contains(m_tree.hovered->node))
        context.hover = m_tree.hovered->node;
    context.hot = m_pointer.hot();
    context.pressed = m_pointer.pressed();
    context.focus = m_pointer.focus();
    context.visible_focus = m_pointer.visible_focus();
    context.pointer = m_pointer.pointer();
    context.now = Clock::now();
    return context;
}

PointerContext WindowCore::pointer_context() const
{
    PointerContext context { .now = Clock::now(),
        .client_width = static_cast<float>(m_client.width),
        .client_height = static_cast<float>(m_client.height),
        .modifiers = held_modifiers() };
    if (m_overlays.dialog && m_text) {
        FrameFormats formats = make_frame_formats(*m_text, 0, m_look.font_size);
        if (formats.paragraph)
            context.dialog_text_height = dialog_message_height_of(*m_text, *formats.paragraph, m_overlays.dialog->message);
    }
    return context;
}

bool WindowCore::pointer_move(float x, float y) { return m_pointer.move(pointer_context(), { x, y }); }

void WindowCore::left_down(float x, float y) { m_pointer.left_down(pointer_context(), { x, y }); }

bool WindowCore::left_up() { return m_pointer.left_up(pointer_context()); }

bool WindowCore::right_down(float x, float y) { return m_pointer.right_down(pointer_context(), { x, y }); }

bool WindowCore::wheel(std::int32_t delta) { return m_pointer.wheel(pointer_context(), delta); }

std::uint8_t WindowCore::held_modifiers() const { return m_modifiers ? m_modifiers() : std::uint8_t { 0 }; }

bool WindowCore::key_down(std::uint32_t key)
{
    return m_keyboard.key_down(key, held_modifiers());
}

bool WindowCore::character(char16_t unit) { return m_keyboard.character(unit); }

bool WindowCore::input_method_result(std::u16string_view text) { return m_keyboard.input_method_result(text); }

bool WindowCore::input_method_preedit(std::u16string_view text) { return m_keyboard.input_method_preedit(text); }

CursorKind WindowCore::cursor_kind() { return m_pointer.cursor_kind(); }

std::optional<NodeId> WindowCore::drop_zone_at(PointF point)
{
    std::optional<NodeId> target = hit_test(m_tree, point);
    if (!target || m_tree.node(*target).kind() != NodeKind::Drop)
        return std::nullopt;
    return target;
}

bool WindowCore::file_drop(std::vector<std::string> const& paths, PointF point)
{
    std::optional<NodeId> target = drop_zone_at(point);
    if (paths.empty() || !target)
        return false;
    std::string joined;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (i)
            joined += '\n';
        joined += paths[i];
    }
    m_tree.fire_submit(*target, joined);
    return true;
}

void WindowCore::run_file_dialogs()
{
    // Requests stay queued until the window exists; the first run after
    // that takes them all.
    if (m_window)
        m_file_dialogs.run(*m_window, m_cells.file_dialogs.take());
}

AccessibleView* WindowCore::accessible()
{
    if (!m_accessible) {
        // Actions click through the same handlers as the pointer.
        AccessibleWindowLinks links { .click = [this](PointF point) {
                                         pointer_move(point.x, point.y);
                                         left_down(point.x, point.y);
                                         left_up();
                                     },
            .client_size = [this] { return m_client; },
            .caret_at = [this](NodeId field, std::size_t position) { return caret_at(field, position); },
            .position_at = [this](NodeId field, PointF point) { return position_at(field, point); } };
        m_accessible = std::make_unique<TreeAccessibleView>(m_tree, m_pointer, m_overlays, std::move(links));
    }
    return m_accessible.get();
}

bool WindowCore::has_app_timers() const { return !m_tree.timers.empty() || !m_tree.timer_inbox.empty(); }

void WindowCore::resize(ClientSize size)
{
    if (size.width == 0 || size.height == 0)
        return;
    // Text layouts stay cached: they are keyed by their own box, not the
    // window's, so texts whose boxes keep their size are not shaped again.
    m_client = size;
}

void WindowCore::apply_font(FontChange change)
{
    if (change.family) {
        m_look.font_family = std::move(*change.family);
        m_styles.font_families().set_default(m_look.font_family);
    }
    if (change.size)
        m_look.font_size = *change.size;
    if (m_text)
        m_text->clear_caches();
    m_tree.layout_dirty = true;
}

void WindowCore::prepare_frame()
{
    // Step 1: a pending theme first, then a pending base font.
    if (auto theme = m_cells.theme.take())
        m_theme.set(*theme);
    if (auto font = m_cells.font.take())
        apply_font(std::move(*font));
    // Step 2: texts `txt` gave text boxes while the window runs, then `focus` requests.
    apply_pending_text(m_tree);
    m_keyboard.take_focus_requests();
    // Step 3: the watched style sheet.
    m_styles.check_hot_reload(m_tree);
    // Step 4: the next dialog, the notification pill, new toasts; timed overlays expire.
    take_overlay_requests();
    // Step 5: the frame update, then layout when something moved.
    orvy::frame_update(m_tree, frame_context());
    RectF client { 0, 0, static_cast<float>(m_client.width), static_cast<float>(m_client.height) };
    if (layout(m_tree, client)) {
        auto& rects = *m_cells.rects;
        rects.resize(m_tree.size());
        for (NodeId id = 0; id < m_tree.size(); ++id)
            rects[id] = m_tree.node(id).rect;
        m_images_wanted = true;
    }
    scroll_caret_into_view();
    place_input_method();
    // New image sources appear with new nodes or bindings, which lay out again.
    if (m_images_wanted && m_decoder) {
        load_tree_images(m_images, *m_decoder, m_tree);
        m_images_wanted = false;
    }
}

void WindowCore::paint(Canvas& target)
{
    prepare_frame();
    mark_startup(StartupMark::FirstLayout);
    // No size a script can set reaches the backend as it is, and no fill
    // that would repaint an area with the colour it already has.
    float width = static_cast<float>(m_client.width), height = static_cast<float>(m_client.height);
    FlatAreaCanvas flat(target, width, height);
    BoundedCanvas canvas(flat, width, height);
    // Step 1: the clear colour; a glass window shows the backdrop through the tint.
    Color background = m_theme.palette().background();
    bool see_through = m_look.glass && m_window && m_window->is_transparent();
    background.a = see_through ? m_cells.effects->tint : 1.0f;
    canvas.clear(background);
    // Step 2: the tree in depth order, then the overlays.
    PaintContext context = paint_context();
    paint_tree(canvas, context, m_tree);
    paint_overlays(canvas, context, m_tree, m_overlays);
    mark_startup(StartupMark::FirstPaint);
    ++*m_cells.frames;
}

std::optional<WindowCore::FieldText> WindowCore::field_text(NodeId field)
{
    if (!m_text || !m_tree.contains(field))
        return std::nullopt;
    Node& node = m_tree.node(field);
    TextboxModel* box = text_field_of(m_tree, field);
    if (!box)
        return std::nullopt;
    // Laid out as the field paints its text: in the node's own font when its
    // style sets one, with one bullet per unit when the field is masked.
    Style style = effective_style(node.styles, node.kind(), { true, false, false }, m_theme.palette());
    std::optional<FrameFormats> own = styled_formats(*m_text, style);
    bool multiline = node.kind() == NodeKind::Textbox && node.multiline;
    TextRole role = multiline ? TextRole::Paragraph : TextRole::Body;
    std::shared_ptr<TextFormat const> format = own ? (multiline ? own->paragraph : own->body)
                                                   : m_text->format(text_format_key(role, 0, m_look.font_size));
    if (!format)
        return std::nullopt;
    return FieldText { format, &box->text, m_tree.password_set.contains(field) };
}

std::u16string_view WindowCore::FieldText::whole() const { return masked ? bullets(text->size()) : text->view(); }

float WindowCore::text_width(NodeId node, std::u16string_view text)
{
    if (!m_text || !m_tree.contains(node))
        return 0.0f;
    // The body format as the node paints it: its own font when its style sets one.
    Node const& target = m_tree.node(node);
    Style style = effective_style(target.styles, target.kind(), { .hovered = true }, m_theme.palette());
    std::optional<FrameFormats> own = styled_formats(*m_text, style);
    std::shared_ptr<TextFormat const> format
        = own ? own->body : m_text->format(text_format_key(TextRole::Body, 0, m_look.font_size));
    return format ? m_text->text_width(text, *format) : 0.0f;
}

namespace {

// Where a field's text starts in the window: single-line boxes 12 px in,
// scrolled sideways; multi-line boxes 10 px in and 6 px down, wrapped to the
// field less 20 px and scrolled vertically; the terminal's input line 40 px
// in, in the bar 36 px above its bottom.
struct FieldOrigin {
    PointF origin;
    float wrap = TextEngine::measure_box;
    bool multiline = false;
};

FieldOrigin field_origin(Node const& node, TextboxModel const& box)
{
    RectF r = node.rect;
    if (node.kind() == NodeKind::Term)
        return { { r.x + 40, r.bottom() - 36 } };
    if (node.multiline)
        return { { r.x + 10, r.y + 6 - box.scroll_y }, std::max(r.w - 20, 1.0f), true };
    return { { r.x + 12 - box.scroll_x, r.y } };
}

}

CaretLine WindowCore::caret_at(NodeId field, std::size_t position)
{
    std::optional<FieldText> shown = field_text(field);
    if (!shown)
        return {};
    Node const& node = m_tree.node(field);
    FieldOrigin at = field_origin(node, *text_field_of(m_tree, field));
    auto unit = static_cast<std::uint32_t>(std::min(position, shown->text->size()));
    if (at.multiline) {
        ParagraphLayout text(
            *m_text, *shown->format, at.wrap, *shown->text, shown->masked, paragraph_index(*text_field_of(m_tree, field)));
        CaretLine line = text.caret(unit);
        return { at.origin.x + line.x, at.origin.y + line.y, line.height };
    }
    std::u16string_view all = shown->whole();
    float x = all.empty() ? 0.0f : m_text->caret_x(all, *shown->format, unit);
    if (node.kind() == NodeKind::Term)
        return { at.origin.x + x, node.rect.bottom() - 30, 18 };
    return { at.origin.x + x, node.rect.y + 10, std::max(node.rect.h - 20, 2.0f) };
}

std::size_t WindowCore::position_at(NodeId field, PointF point)
{
    std::optional<FieldText> shown = field_text(field);
    if (!shown)
        return 0;
    TextboxModel const& box = *text_field_of(m_tree, field);
    if (shown->text->empty())
        return 0;
    FieldOrigin at = field_origin(m_tree.node(field), box);
    auto old = static_cast<std::uint32_t>(std::min(box.caret, shown->text->size()));
    PointF local { point.x - at.origin.x, point.y - at.origin.y };
    if (at.multiline) {
        ParagraphLayout text(*m_text, *shown->format, at.wrap, *shown->text, shown->masked, paragraph_index(box));
        return text.position_at(local);
    }
    std::u16string_view all = shown->whole();
    {
        // One line: the height of the point does not matter.
        CaretLine line = m_text->caret_line(all, *shown->format, at.wrap, 0);
        local.y = line.y + line.height / 2;
    }
    return m_text->position_at_point(all, *shown->format, at.wrap, local, old);
}

std::u16string WindowCore::clipboard_text() { return m_clipboard_read ? m_clipboard_read() : std::u16string(); }

void WindowCore::set_clipboard_text(std::u16string_view text)
{
    // A failed write leaves the clipboard as it was; the shortcut has nothing to report it to.
    if (m_clipboard_write)
        m_clipboard_write(text);
}

void WindowCore::scroll_caret_into_view()
{
    auto focus = m_pointer.focus();
    if (!focus || !m_tree.contains(*focus) || m_tree.node(*focus).kind() != NodeKind::Textbox)
        return;
    Node& node = m_tree.node(*focus);
    auto* box = node.model.as<TextboxModel>();
    std::optional<FieldText> shown = field_text(*focus);
    if (!box || !shown)
        return;
    auto caret = static_cast<std::uint32_t>(std::min(box->caret, shown->text->size()));
    if (!node.multiline) {
        std::u16string_view all = shown->whole();
        float x = all.empty() ? 0.0f : m_text->caret_x(all, *shown->format, caret);
        box->scroll_x = caret_scroll(box->scroll_x, x, std::max(node.rect.w - 24.0f, 0.0f));
        return;
    }
    float wrap = std::max(node.rect.w - 20, 1.0f);
    if (shown->text->empty()) {
        box->scroll_y = 0;
        return;
    }
    ParagraphLayout text(*m_text, *shown->format, wrap, *shown->text, shown->masked, paragraph_index(*box));
    CaretLine line = text.caret(caret);
    float visible = std::max(node.rect.h - 12.0f, 0.0f);
    // The caret's line top and bottom both inside the visible part.
    float scroll = caret_scroll(box->scroll_y, line.y + line.height, visible);
    box->scroll_y = std::min(scroll, std::max(line.y, 0.0f));
}

void WindowCore::place_input_method()
{
    auto focus = m_pointer.focus();
    TextboxModel* box = focus ? text_field_of(m_tree, *focus) : nullptr;
    if (!box || !m_window)
        return;
    CaretLine caret = caret_at(*focus, box->caret);
    RectF area { caret.x, caret.y, 2, caret.height };
    if (m_input_method_area && m_input_method_area->x == area.x && m_input_method_area->y == area.y
        && m_input_method_area->h == area.h)
        return;
    m_input_method_area = area;
    m_window->set_text_input_area(area);
}

}
