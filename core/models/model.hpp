// Model: a node's kind tag together with the per-kind payload (values,
// selections, items, texts, dates, colours, scroll offsets).
#pragma once

#include "core/base/node_kind.hpp"
#include "core/models/text_buffer.hpp"
#include "core/models/text_rows.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace orvy {

using Text = std::u16string;
using TextList = std::vector<Text>;

// A payload too large to sit inline in every node lives behind this pointer;
// it copies deeply so a Model keeps value semantics.
template<class T>
class Boxed {
public:
    Boxed() : m_value(std::make_unique<T>()) { }
    Boxed(T value) : m_value(std::make_unique<T>(std::move(value))) { }
    Boxed(Boxed const& other) : m_value(std::make_unique<T>(*other.m_value)) { }
    Boxed& operator=(Boxed const& other)
    {
        if (this != &other)
            *m_value = *other.m_value;
        return *this;
    }
    Boxed(Boxed&&) noexcept = default;
    Boxed& operator=(Boxed&&) noexcept = default;

    T& operator*() { return *m_value; }
    T const& operator*() const { return *m_value; }
    T* operator->() { return m_value.get(); }
    T const* operator->() const { return m_value.get(); }

private:
    std::unique_ptr<T> m_value;
};

// "container" carries nothing.
struct EmptyModel { };

// The container of a spin field (button, value label, button): the value
// and its bounds, which the buttons step and `val` on the field clamps to.
struct SpinModel {
    float value = 0.0f;
    float minimum = 0.0f;
    float maximum = 100.0f;
    float step = 1.0f;
};

// "frame" (also the pop-up layer and the box of `bx`): its corner radius.
struct FrameModel {
    float radius = 12.0f;
};

// "group": titled frame.
struct GroupModel {
    Text title;
    float radius = 12.0f;
};

struct SeparatorModel {
    bool vertical = false;
};

// "label", "status", "badge", "link", "drop": a text (badge: optionally a dot).
struct TextModel {
    Text text;
    bool dot = false;
};

struct ButtonModel {
    Text caption;
    float radius = 10.0f;
};

// "slider", "progress" (0..1, clamped) and "gauge", "meter", "dial" (unclamped).
struct ValueModel {
    float value = 0.0f;
    std::uint32_t segments = 10; // meter
    Text caption;                // gauge and dial label
};

// "checkbox", "switch", "toggle", "radio".
struct ToggleModel {
    Text caption;
    bool on = false;
    std::int32_t group = 0; // radio group
};

// One undoable change of a text field: at `position`, `removed` gave way to
// `inserted`. Edits rather than whole-text snapshots keep a keystroke's cost
// independent of the text's length.
struct TextEdit {
    std::size_t position = 0;
    Text removed;
    Text inserted;
    std::size_t caret_before = 0;
    std::size_t caret_after = 0;
    // Typed characters and deletions by key join the step before them while
    // they continue where it ended, so one undo takes back a run of typing.
    enum class Kind : std::uint8_t { Other, Typing, Deleting } kind = Kind::Other;
};

// Where the paragraphs of a multi-line text start and how tall they lay out
// (core/models/paragraphs.hpp): derived from the text, kept in step by the
// edits, created on first use. A copied model starts without one.
class ParagraphIndex;
void destroy_paragraph_index(ParagraphIndex* index);
class ParagraphCache {
public:
    ParagraphCache() = default;
    ParagraphCache(ParagraphCache const&) noexcept { }
    ParagraphCache& operator=(ParagraphCache const&) noexcept
    {
        m_index.reset();
        return *this;
    }
    ParagraphCache(ParagraphCache&&) noexcept = default;
    ParagraphCache& operator=(ParagraphCache&&) noexcept = default;

    ParagraphIndex* get() const { return m_index.get(); }
    void reset(ParagraphIndex* index = nullptr) { m_index.reset(index); }

private:
    struct Deleter {
        void operator()(ParagraphIndex* index) const { destroy_paragraph_index(index); }
    };
    std::unique_ptr<ParagraphIndex, Deleter> m_index;
};

// A text box, and the input line of a terminal.
struct TextboxModel {
    TextBuffer text;
    Text placeholder;
    std::size_t caret = 0;
    std::size_t anchor = 0;
    float scroll_x = 0.0f;
    float scroll_y = 0.0f; // multi-line boxes scroll vertically as well
    std::vector<TextEdit> undo;
    std::vector<TextEdit> redo;
    // What an input method is composing: shown at the caret, not yet text.
    Text preedit;
    // Grows with every change of the text, caret, selection or preedit, so
    // observers (painting caches, assistive technology) can tell what moved.
    std::uint64_t revision = 0;
    mutable ParagraphCache paragraphs;
};

// "dropdown" and "tabs" share the shape: items and one selected index.
struct ChoiceModel {
    TextList items;
    std::uint32_t selected = 0;
    bool open = false;
};

struct StackModel {
    std::uint32_t page = 0;
};

struct AccordionModel {
    Text title;
    bool open = false;
    std::int32_t group = 0;
    float radius = 10.0f;
};

struct ScrollModel {
    float offset = 0.0f;
    float content_height = 0.0f;
};

struct SplitterModel {
    bool vertical = true;
    float ratio = 0.5f;
};

struct SpinnerModel {
    float phase = 0.0f;
};

struct RangeModel {
    float lo = 0.25f;
    float hi = 0.75f;
};

struct CalendarModel {
    std::int32_t year = 2026;
    std::uint8_t month = 7;
    std::uint8_t day = 1;
};

struct ColorModel {
    float hue = 0.58f;
    float saturation = 0.75f;
    float value = 0.96f;
};

struct TimeModel {
    std::uint8_t hour = 12;
    std::uint8_t minute = 0;
};

struct PagerModel {
    std::uint32_t page = 0;
    std::uint32_t total = 0;
};

struct RatingModel {
    std::uint32_t value = 0;
    std::uint32_t maximum = 5;
};

struct ListModel {
    TextList items;
    std::optional<std::uint32_t> current;
    bool multi = false;
    std::vector<std::uint32_t> selection;
    float scroll = 0.0f;
};

// Column texts, widths and minimums shared by tables and trees.
struct Columns {
    TextList titles;
    std::vector<float> widths;
    std::vector<float> minimums;
};

struct TreeRow {
    std::uint32_t depth = 0;
    Text text;
    bool leaf = false;
    bool open = false;
    TextList values;
    std::optional<std::uint32_t> background; // 0xRRGGBBAA
    std::optional<std::uint32_t> foreground;
    Text icon;
    std::vector<std::optional<std::uint32_t>> cell_backgrounds;
    std::vector<std::optional<std::uint32_t>> cell_foregrounds;
};

struct TreeviewModel {
    std::vector<TreeRow> rows;
    bool multi = false;
    std::optional<std::uint32_t> current;
    std::vector<std::uint32_t> selection;
    float scroll = 0.0f;
    Columns columns;
};

struct TableModel {
    Columns columns;
    TextRows rows;
    std::optional<std::uint32_t> current;
    float scroll = 0.0f;
    float row_line = 0.0f;    // thickness of the separators between rows
    float column_line = 0.0f; // and between columns
};

struct PropgridModel {
    std::vector<std::pair<Text, Text>> rows;
    std::optional<std::uint32_t> current;
    float scroll = 0.0f;
};

enum class ShapeKind : std::uint8_t { Rect = 0, Circle = 1, Line = 2, Label = 3, Arrow = 4, Arc = 5, Sector = 6, Poly = 7 };

struct Shape {
    ShapeKind kind = ShapeKind::Label; // "text" shapes
    float p[6] = {};
    std::uint32_t rgba = 0xFFFFFFFFu;
    Text text;
    std::vector<float> points; // poly only: x1, y1, ..., xn, yn
};

struct CanvasModel {
    std::vector<Shape> shapes;
    float view_x = 0.0f, view_y = 0.0f;
    float region_x = 0.0f, region_y = 0.0f, region_w = 0.0f, region_h = 0.0f;
    bool scrollable = false;
};

struct Menu {
    Text title;
    TextList items;
};

struct MenubarModel {
    std::vector<Menu> menus;
    std::optional<std::uint32_t> open_menu;
};

enum class DockSide : std::uint8_t { Left = 0, Right = 1, Top = 2, Bottom = 3 };

struct DockModel {
    Text title;
    DockSide side = DockSide::Left;
    bool open = true;
    float size = 260.0f;
};

struct ChartModel {
    std::vector<float> data;
};

struct TermModel {
    TextList lines;
    Text prompt;
    TextboxModel input; // the command being typed
    float scroll = 0.0f;
};

// "crumbs"
struct ItemsModel {
    TextList items;
};

// "split": a button with a menu of options.
struct SplitModel {
    Text caption;
    TextList options;
    float radius = 10.0f;
    bool open = false;
};

enum class ImageFit : std::uint8_t { Contain = 0, Cover = 1, Fill = 2, Natural = 3 };

struct ImageModel {
    std::string source; // a file path, or a "mem:" key of bytes held by the tree
    ImageFit fit = ImageFit::Contain;
};

// Split buttons and accordions are rare and their payloads are larger than
// the inline ones, so they are boxed to keep every node's model small.
using Payload = std::variant<EmptyModel, SpinModel, FrameModel, GroupModel, SeparatorModel, TextModel, ButtonModel, ValueModel,
    ToggleModel, Boxed<TextboxModel>, ChoiceModel, StackModel, Boxed<AccordionModel>, ScrollModel, SplitterModel, SpinnerModel,
    RangeModel, CalendarModel, ColorModel, TimeModel, PagerModel, RatingModel, Boxed<ListModel>,
    Boxed<TreeviewModel>, Boxed<TableModel>, PropgridModel, Boxed<CanvasModel>, MenubarModel, DockModel, ChartModel,
    Boxed<TermModel>, ItemsModel, Boxed<SplitModel>, ImageModel>;

// The payload type each kind carries by default.
Payload default_payload(NodeKind kind);

// The tagged variant stored in every node.
struct Model {
    template<class T>
    static constexpr bool holds_alternative = []<class... Ts>(std::variant<Ts...>*) {
        return (std::is_same_v<T, Ts> || ...);
    }(static_cast<Payload*>(nullptr));

    NodeKind kind = NodeKind::Container;
    Payload payload;

    Model() = default;
    explicit Model(NodeKind k) : kind(k), payload(default_payload(k)) { }
    template<class T>
    Model(NodeKind k, T value) : kind(k), payload(std::move(value)) { }

    // The payload as T, or null when the node holds another payload type.
    // Boxed payloads are reached through their inner type.
    template<class T>
    T* as()
    {
        if constexpr (holds_alternative<T>)
            return std::get_if<T>(&payload);
        else if constexpr (holds_alternative<Boxed<T>>) {
            auto* boxed = std::get_if<Boxed<T>>(&payload);
            return boxed ? &**boxed : nullptr;
        } else {
            static_assert(holds_alternative<T>, "not a payload type");
            return nullptr;
        }
    }
    template<class T>
    T const* as() const { return const_cast<Model*>(this)->as<T>(); }
};

}
