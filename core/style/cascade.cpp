// The cascade: restore or take the snapshot, parse, match, apply the
// declarations, inherit, and remember what was applied.
#include "core/base/utf.hpp"
#include "core/style/detail/cascade.hpp"
#include "core/style/detail/text.hpp"

namespace orvy {

namespace {

enum class Property : std::uint8_t {
    Background, TextColor, Radius, Shadow, FontSize, FontFamily, Border, BorderColor, BorderWidth,
    Gradient, Wrap, Gap, Width, Height, Padding,
};

bool is_layout(Property p)
{
    return p == Property::Gap || p == Property::Width || p == Property::Height || p == Property::Padding;
}

// A declaration with its value parsed once per cascade rather than per node.
// `color` / `length` hold the parsed value; an empty `length` clears the field
// for the properties that clear on a bad value.
struct Effect {
    Property property = Property::Background;
    std::optional<Color> color;
    std::optional<Color> second_color;
    std::optional<float> length;
    GradientDirection direction = GradientDirection::Default;
    Wrap wrap = Wrap::Unset;
    std::u16string family;
    std::optional<std::optional<std::uint16_t>> family_index; // interned on first use
};

std::optional<Property> property_of(std::string_view name)
{
    static constexpr std::pair<std::string_view, Property> names[] {
        { "background", Property::Background }, { "fill", Property::Background },
        { "color", Property::TextColor }, { "radius", Property::Radius },
        { "shadow", Property::Shadow }, { "elevation", Property::Shadow },
        { "font-size", Property::FontSize }, { "font-family", Property::FontFamily },
        { "font", Property::FontFamily }, { "border", Property::Border }, { "brdln", Property::Border },
        { "border-color", Property::BorderColor }, { "border-width", Property::BorderWidth },
        { "gradient", Property::Gradient }, { "wrap", Property::Wrap }, { "gap", Property::Gap },
        { "width", Property::Width }, { "height", Property::Height }, { "padding", Property::Padding },
    };
    for (auto const& [known, property] : names) {
        if (known == name)
            return property;
    }
    return std::nullopt;
}

// Declarations that can change nothing are dropped here, except a bad colour
// under "color", which still stops the node from inheriting its parent's.
std::optional<Effect> compile(Declaration const& declaration)
{
    auto property = property_of(declaration.name);
    if (!property)
        return std::nullopt;
    std::string_view value = declaration.value;
    Effect effect;
    effect.property = *property;
    switch (*property) {
    case Property::Background:
    case Property::BorderColor:
        effect.color = parse_color(value);
        if (!effect.color)
            return std::nullopt;
        break;
    case Property::TextColor:
        effect.color = parse_color(value);
        break;
    case Property::Radius:
    case Property::Shadow:
    case Property::FontSize:
    case Property::BorderWidth:
    case Property::Width:
    case Property::Height:
        effect.length = parse_length(value);
        break;
    case Property::Gap:
    case Property::Padding:
        effect.length = parse_length(value);
        if (!effect.length)
            return std::nullopt;
        break;
    case Property::FontFamily: {
        auto name = parse_family_name(value);
        if (!name)
            return std::nullopt;
        effect.family = utf8_to_utf16(*name);
        break;
    }
    case Property::Border: {
        auto words = detail::split_whitespace(value);
        effect.color = words.empty() ? std::nullopt : parse_color(words[0]);
        if (!effect.color)
            return std::nullopt;
        if (words.size() >= 2)
            effect.length = parse_length(words[1]);
        break;
    }
    case Property::Gradient: {
        auto words = detail::split_whitespace(value);
        if (words.size() < 2)
            return std::nullopt;
        effect.color = parse_color(words[0]);
        effect.second_color = parse_color(words[1]);
        if (!effect.color || !effect.second_color)
            return std::nullopt;
        std::string_view direction = words.size() >= 3 ? words[2] : std::string_view {};
        effect.direction = direction == "h" ? GradientDirection::Horizontal
            : direction == "d"              ? GradientDirection::Diagonal
            : direction == "du"             ? GradientDirection::DiagonalUp
                                            : GradientDirection::Default;
        break;
    }
    case Property::Wrap:
        effect.wrap = value == "1" || value == "true" || value == "wrap" ? Wrap::On : Wrap::Off;
        break;
    }
    return effect;
}

struct NodeFlags {
    bool text_color_set = false;
    bool wrap_set = false;
};

StyleState style_state(RuleState state)
{
    return state == RuleState::Hover ? StyleState::Hover : state == RuleState::Focus ? StyleState::Focus : StyleState::Base;
}

void apply(Node& node, RuleState state, Effect& effect, NodeFlags& flags, FontFamilyTable& families)
{
    bool const base = state == RuleState::None;
    if (is_layout(effect.property)) {
        if (!base)
            return;
        switch (effect.property) {
        case Property::Gap: node.layout.gap = *effect.length; break;
        case Property::Padding: node.layout.padding = *effect.length; break;
        case Property::Width: node.layout.w = effect.length; break;
        case Property::Height: node.layout.h = effect.length; break;
        default: break;
        }
        return;
    }
    if (base && effect.property == Property::TextColor)
        flags.text_color_set = true;
    if (base && effect.property == Property::Wrap)
        flags.wrap_set = true;

    StyleState const target = style_state(state);
    // Clearing a field of a node that has no styles yet changes nothing, and
    // must not allocate them.
    auto clear_or_set = [&](std::optional<float> Style::*field) {
        if (effect.length)
            node.styles.get_mut(target).*field = effect.length;
        else if (node.styles.is_allocated())
            (node.styles.get_mut(target).*field).reset();
    };
    switch (effect.property) {
    case Property::Background: node.styles.get_mut(target).background = effect.color; break;
    case Property::BorderColor: node.styles.get_mut(target).border_color = effect.color; break;
    case Property::TextColor:
        if (effect.color)
            node.styles.get_mut(target).text_color = effect.color;
        break;
    case Property::Radius: clear_or_set(&Style::radius); break;
    case Property::Shadow: clear_or_set(&Style::shadow); break;
    case Property::FontSize: clear_or_set(&Style::font_size); break;
    case Property::BorderWidth: clear_or_set(&Style::border_width); break;
    case Property::FontFamily:
        if (!effect.family_index)
            effect.family_index = families.intern(effect.family);
        if (*effect.family_index)
            node.styles.get_mut(target).font_family = **effect.family_index;
        break;
    case Property::Border: {
        Style& style = node.styles.get_mut(target);
        style.border_color = effect.color;
        style.border_width = effect.length;
        break;
    }
    case Property::Gradient: {
        Style& style = node.styles.get_mut(target);
        style.gradient = std::pair { *effect.color, *effect.second_color };
        style.gradient_direction = effect.direction;
        break;
    }
    case Property::Wrap: node.styles.get_mut(target).wrap = effect.wrap; break;
    default: break;
    }
}

CssLayout css_layout(Node const& node) { return { node.layout.w, node.layout.h, node.layout.padding, node.layout.gap }; }

void set_css_layout(Node& node, CssLayout const& layout)
{
    node.layout.w = layout.w;
    node.layout.h = layout.h;
    node.layout.padding = layout.padding;
    node.layout.gap = layout.gap;
}

// Every field the node holds that differs from what the last cascade left was
// written since by someone else; it becomes part of the baseline.
template<class T>
void keep_outside_change(T& baseline, T const& applied, T const& current)
{
    if (!(current == applied))
        baseline = current;
}

void keep_outside_changes(Style& baseline, Style const& applied, Style const& current)
{
    keep_outside_change(baseline.background, applied.background, current.background);
    keep_outside_change(baseline.text_color, applied.text_color, current.text_color);
    keep_outside_change(baseline.radius, applied.radius, current.radius);
    keep_outside_change(baseline.shadow, applied.shadow, current.shadow);
    keep_outside_change(baseline.gradient, applied.gradient, current.gradient);
    keep_outside_change(baseline.font_size, applied.font_size, current.font_size);
    keep_outside_change(baseline.border_color, applied.border_color, current.border_color);
    keep_outside_change(baseline.border_width, applied.border_width, current.border_width);
    keep_outside_change(baseline.font_family, applied.font_family, current.font_family);
    keep_outside_change(baseline.wrap, applied.wrap, current.wrap);
    keep_outside_change(baseline.gradient_direction, applied.gradient_direction, current.gradient_direction);
}

void restore(Node& node, StyleSnapshot::Entry& entry)
{
    bool const untouched = !node.styles.is_allocated() && !entry.applied.is_allocated();
    if (!untouched && !(node.styles == entry.applied)) {
        for (auto state : { StyleState::Base, StyleState::Focus, StyleState::Hover }) {
            if (!(node.styles.get(state) == entry.applied.get(state)))
                keep_outside_changes(entry.baseline.get_mut(state), entry.applied.get(state), node.styles.get(state));
        }
    }
    if (node.styles.is_allocated() || entry.baseline.is_allocated())
        node.styles = entry.baseline;

    CssLayout const current = css_layout(node);
    keep_outside_change(entry.baseline_layout.w, entry.applied_layout.w, current.w);
    keep_outside_change(entry.baseline_layout.h, entry.applied_layout.h, current.h);
    keep_outside_change(entry.baseline_layout.padding, entry.applied_layout.padding, current.padding);
    keep_outside_change(entry.baseline_layout.gap, entry.applied_layout.gap, current.gap);
    set_css_layout(node, entry.baseline_layout);
}

}

namespace detail {

void cascade_with(Tree& tree, std::string_view sheet_text, FontFamilyTable& families, MatchStrategy strategy)
{
    if (!tree.style_snapshot)
        tree.style_snapshot = std::make_shared<StyleSnapshot>();
    StyleSnapshot& snapshot = *tree.style_snapshot;
    std::size_t const count = tree.size();

    // Pass 1: restore the baseline, or take a new one when nodes were added.
    if (snapshot.entries.size() == count) {
        for (NodeId id = 0; id < count; ++id)
            restore(tree.node(id), snapshot.entries[id]);
    } else {
        snapshot.entries.assign(count, {});
        for (NodeId id = 0; id < count; ++id) {
            snapshot.entries[id].baseline = tree.node(id).styles;
            snapshot.entries[id].baseline_layout = css_layout(tree.node(id));
        }
    }

    // Pass 2: parse, and compile each declaration block once.
    ParsedSheet const sheet = parse_sheet(sheet_text);
    std::vector<std::vector<Effect>> effects(sheet.blocks.size());
    for (std::size_t b = 0; b < sheet.blocks.size(); ++b) {
        for (Declaration const& declaration : sheet.blocks[b]) {
            if (auto effect = compile(declaration))
                effects[b].push_back(std::move(*effect));
        }
    }

    // Pass 3: note which nodes set their own text colour and wrap.
    std::vector<NodeFlags> flags(count);
    for (NodeId id = 0; id < count; ++id) {
        Style const& base = tree.node(id).styles.base();
        flags[id] = { base.text_color.has_value(), base.wrap != Wrap::Unset };
    }

    // Pass 4: apply the rules in cascade order, each to its nodes in index order.
    RuleMatcher const matcher(tree, strategy);
    std::vector<NodeId> matched;
    for (Rule const& rule : sheet.rules) {
        std::vector<Effect>& block = effects[rule.block];
        if (block.empty())
            continue;
        matcher.match(rule, matched);
        for (NodeId id : matched) {
            for (Effect& effect : block)
                apply(tree.node(id), rule.state, effect, flags[id], families);
        }
    }

    // Pass 5: inheritance of the base styles. Parents come before their
    // children in the array, so what a parent inherited passes further down.
    for (NodeId id = 0; id < count; ++id) {
        Node& node = tree.node(id);
        if (!node.parent)
            continue;
        Style const& parent = tree.node(*node.parent).styles.base();
        Style const& own = node.styles.base();
        bool const take_color = !own.text_color && !flags[id].text_color_set && parent.text_color;
        bool const take_wrap = own.wrap == Wrap::Unset && !flags[id].wrap_set && parent.wrap != Wrap::Unset;
        bool const take_family = !own.font_family && parent.font_family;
        bool const take_size = !own.font_size && parent.font_size;
        if (!(take_color || take_wrap || take_family || take_size))
            continue;
        Style const& inherited = parent;
        Style& style = node.styles.base_mut(); // allocates this node's styles only
        if (take_color)
            style.text_color = inherited.text_color;
        if (take_wrap)
            style.wrap = inherited.wrap;
        if (take_family)
            style.font_family = inherited.font_family;
        if (take_size)
            style.font_size = inherited.font_size;
    }

    // Pass 6: remember what this cascade left, to tell later outside changes apart.
    for (NodeId id = 0; id < count; ++id) {
        Node const& node = tree.node(id);
        StyleSnapshot::Entry& entry = snapshot.entries[id];
        if (node.styles.is_allocated() || entry.applied.is_allocated())
            entry.applied = node.styles;
        entry.applied_layout = css_layout(node);
    }
    tree.layout_dirty = true;
}

}

void cascade(Tree& tree, std::string_view sheet_text, FontFamilyTable& families)
{
    detail::cascade_with(tree, sheet_text, families, detail::MatchStrategy::Indexed);
}

}
