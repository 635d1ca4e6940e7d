// WindowCore: what core does for one native window — the per-tick frame
// update and the frame pipeline that lays out, paints and overlays the tree.
#pragma once

#include "core/access/tree_view.hpp"
#include "core/frame/frame.hpp"
#include "core/image/image.hpp"
#include "core/input/keyboard.hpp"
#include "core/input/pointer.hpp"
#include "core/paint/overlays.hpp"
#include "core/style/css.hpp"
#include "core/style/theme.hpp"
#include "core/text/text_engine.hpp"
#include "core/window/host.hpp"

#include <memory>
#include <optional>
#include <vector>

namespace orvy {

// A base-font change requested while the window runs; what is not given
// keeps its current value.
struct FontChange {
    std::optional<Text> family;
    std::optional<float> size;
};

// What a window paints with, fixed when it is created.
struct WindowLook {
    ThemeId theme = ThemeId::Dark;
    Text font_family = u"Segoe UI";
    float font_size = 20.0f;
    bool glass = false;
    bool inspector = false;
};

// The shared cells through which the Python layer's controllers reach a
// running window; they outlive the window, so late calls find nothing to do.
struct WindowCells {
    PendingTheme theme;
    SharedSlot<FontChange> font;
    // Message dialogs and notifications in request order; the frame pipeline
    // shows the dialogs one at a time and turns the notifications into toasts.
    SharedCell<Dialog> dialogs;
    SharedCell<Toast> notifications;
    // File dialogs in request order; the window shows them one at a time.
    SharedCell<FileDialogRequest> file_dialogs;
    // Every node's rectangle as of the last layout, for `rects()`.
    std::shared_ptr<std::vector<RectF>> rects = std::make_shared<std::vector<RectF>>();
    // Tint, backdrop and drag smoothing, as the window-property signals last
    // set them; the tint is read by every paint, the backdrop by every tick.
    std::shared_ptr<WindowEffects> effects = std::make_shared<WindowEffects>();
    // Frames painted so far, for measurements.
    std::shared_ptr<std::uint64_t> frames = std::make_shared<std::uint64_t>(0);
};

class WindowCore : public WindowHandlers, public TextServices {
public:
    // `tree` and `styles` must outlive the core; `owner` is held until the
    // core is destroyed and may be what keeps them alive.
    WindowCore(Tree& tree, StyleContext& styles, WindowLook const& look, WindowCells cells,
        std::unique_ptr<TextEngine> text, std::unique_ptr<ImageDecoder> images, std::shared_ptr<void> owner);
    ~WindowCore() override;

    void attached(NativeWindow& window) override;
    bool frame_update() override;
    bool has_app_timers() const override;
    void paint(Canvas& canvas) override;
    void resize(ClientSize size) override;

    bool pointer_move(float x, float y) override;
    void left_down(float x, float y) override;
    bool left_up() override;
    bool right_down(float x, float y) override;
    bool wheel(std::int32_t delta) override;
    bool key_down(std::uint32_t key) override;
    bool character(char16_t unit) override;
    bool input_method_result(std::u16string_view text) override;
    bool input_method_preedit(std::u16string_view text) override;
    CursorKind cursor_kind() override;
    // Joins the paths with line feeds for the drop zone under the point;
    // a drop anywhere else reaches nothing.
    bool file_drop(std::vector<std::string> const& paths, PointF point) override;
    bool accepts_drop(PointF point) override { return drop_zone_at(point).has_value(); }
    void run_file_dialogs() override;
    AccessibleView* accessible() override;

    // Where the pointer handlers read the held modifier keys (key_modifier
    // bits); without a source no key counts as held.
    void set_modifier_source(Callback<std::uint8_t()> source) { m_modifiers = std::move(source); }
    // Where text fields read and write the desktop clipboard; without them
    // copying goes nowhere and pasting finds nothing.
    void set_clipboard(Callback<std::u16string()> read, Callback<bool(std::u16string_view)> write)
    {
        m_clipboard_read = std::move(read);
        m_clipboard_write = std::move(write);
    }

    Theme const& theme() const { return m_theme; }
    ClientSize client_size() const { return m_client; }
    OverlayState& overlays() { return m_overlays; }
    PointerInput& pointer() { return m_pointer; }
    KeyboardInput& keyboard() { return m_keyboard; }

private:
    // Pipeline steps before drawing: pending theme, font and text, hot
    // reload, the frame update, layout, the exported rectangles and the
    // caret scroll.
    void prepare_frame();
    // Keeps the caret of the focused text box inside its field, and tells
    // the input method where the caret is.
    void scroll_caret_into_view();
    void place_input_method();

    // TextServices: text geometry as the text fields are painted.
    CaretLine caret_at(NodeId field, std::size_t position) override;
    std::size_t position_at(NodeId field, PointF point) override;
    std::u16string clipboard_text() override;
    void set_clipboard_text(std::u16string_view text) override;
    float text_width(NodeId node, std::u16string_view text) override;
    // The format a field's text is laid out in and the text as shown (masked).
    struct FieldText {
        std::shared_ptr<TextFormat const> format;
        TextBuffer const* text = nullptr;
        bool masked = false;
        // The whole shown text: for single-line fields, whose text is laid out whole.
        std::u16string_view whole() const;
    };
    std::optional<FieldText> field_text(NodeId field);
    // Hands a changed backdrop request to the native window.
    void sync_backdrop();
    // The drop zone that is the topmost node at the point, if one is.
    std::optional<NodeId> drop_zone_at(PointF point);
    void apply_font(FontChange change);
    // Dialogs, the notification pill and toasts; returns
    // whether any overlay changed or a timed one is still on screen.
    bool take_overlay_requests();
    FrameContext frame_context() const;
    PaintContext paint_context() const;
    PointerContext pointer_context() const;
    std::uint8_t held_modifiers() const;

    // Declared first so it is released last: it may be what keeps the tree alive.
    std::shared_ptr<void> m_owner;
    Tree& m_tree;
    StyleContext& m_styles;
    WindowLook m_look;
    WindowCells m_cells;
    Theme m_theme;
    std::unique_ptr<TextEngine> m_text;
    std::unique_ptr<ImageDecoder> m_decoder;
    ImageCache m_images;
    bool m_images_wanted = true; // the tree may use sources not tried yet
    OverlayState m_overlays;
    PointerInput m_pointer { m_tree, m_overlays };
    KeyboardInput m_keyboard { m_tree, m_overlays, m_pointer };
    Callback<std::uint8_t()> m_modifiers;
    Callback<std::u16string()> m_clipboard_read;
    Callback<bool(std::u16string_view)> m_clipboard_write;
    std::optional<RectF> m_input_method_area;
    NativeWindow* m_window = nullptr;
    std::optional<Backdrop> m_applied_backdrop;
    FileDialogRunner m_file_dialogs;
    ClientSize m_client;
    // Made when assistive technology first asks; until then it costs nothing.
    std::unique_ptr<TreeAccessibleView> m_accessible;
};

}
