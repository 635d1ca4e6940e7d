// Drawing primitives shared by the node painters and the overlays: shadow
// layers, the scroll bar, image fit, the border, text and number helpers.
#include "core/base/utf.hpp"
#include "core/paint/detail/node_paint.hpp"

#include <unordered_set>

namespace orvy {

std::array<ShadowLayer, shadow_layer_count> shadow_layers(RectF rect, float elevation, float radius)
{
    std::array<ShadowLayer, shadow_layer_count> layers {};
    if (!(elevation > 0))
        return layers;
    float drop = 0.4f * elevation;
    for (std::size_t i = 0; i < shadow_layer_count; ++i) {
        float k = static_cast<float>(i + 1);
        float spread = elevation * (7 - k) / 6;
        layers[i] = { { rect.x - spread, rect.y - spread + drop, rect.w + 2 * spread, rect.h + 2 * spread },
            radius + spread, k / 60 };
    }
    return layers;
}

void paint_shadow(Canvas& canvas, RectF rect, float elevation, float radius)
{
    if (!(elevation > 0))
        return;
    for (ShadowLayer const& layer : shadow_layers(rect, elevation, radius))
        canvas.fill_rounded_rect(layer.rect, layer.radius, Color { 0, 0, 0, layer.alpha });
}

std::optional<ScrollBarGeometry> scroll_bar_geometry(RectF area, float content_height, float visible_height,
    float offset)
{
    if (!(visible_height > 0) || !(content_height > visible_height))
        return std::nullopt;
    RectF track { area.x + area.w - 12, area.y + 2, 10, detail::non_negative(area.h - 4) };
    float share = std::clamp(visible_height / content_height, 0.05f, 1.0f);
    float position = offset / std::max(content_height - visible_height, 1.0f);
    position = position > 0 ? std::min(position, 1.0f) : 0.0f; // NaN as 0
    float thumb_height = std::max(share * track.h, 24.0f);
    RectF thumb { track.x, track.y + position * (track.h - thumb_height), track.w, thumb_height };
    return ScrollBarGeometry { track, thumb };
}

void paint_scroll_bar(Canvas& canvas, RectF area, float content_height, float visible_height, float offset,
    Color track, Color thumb)
{
    auto geometry = scroll_bar_geometry(area, content_height, visible_height, offset);
    if (!geometry)
        return;
    canvas.fill_rounded_rect(geometry->track, 5, track);
    canvas.fill_rounded_rect(geometry->thumb, 5, thumb);
}

void paint_image(Canvas& canvas, Bitmap const& bitmap, RectF box, FitMode mode)
{
    auto placement = fit_image(static_cast<float>(bitmap.width), static_cast<float>(bitmap.height), box, mode);
    if (!placement)
        return;
    if (placement->needs_clip)
        canvas.push_clip(box);
    canvas.draw_bitmap(bitmap, placement->destination);
    if (placement->needs_clip)
        canvas.pop_clip();
}

void paint_border(Canvas& canvas, Style const& style, RectF rect, float radius)
{
    if (!style.border_color)
        return;
    float width = style.border_width ? std::max(*style.border_width, 0.1f) : 1.0f;
    if (!(width > 0)) // NaN
        width = 1.0f;
    float half = width / 2;
    RectF inset { rect.x + half, rect.y + half, detail::non_negative(rect.w - width),
        detail::non_negative(rect.h - width) };
    if (radius <= 0.5f || !(radius > 0))
        canvas.stroke_rect(inset, *style.border_color, width);
    else
        canvas.stroke_rounded_rect(inset, radius, *style.border_color, width);
}

FrameFormats make_frame_formats(TextEngine& text, std::uint16_t family, float base_size)
{
    return { text.format(text_format_key(TextRole::Title, family, base_size)),
        text.format(text_format_key(TextRole::Body, family, base_size)),
        text.format(text_format_key(TextRole::Paragraph, family, base_size)),
        text.format(text_format_key(TextRole::Heading, family, base_size)) };
}

std::optional<FrameFormats> styled_formats(TextEngine& text, Style const& style)
{
    if (!style.font_size && !style.font_family)
        return std::nullopt;
    std::uint16_t family = style.font_family.value_or(0);
    TextFormatKey title = text_format_key(TextRole::Title, family, 1);
    TextFormatKey body = text_format_key(TextRole::Body, family, 1);
    TextFormatKey paragraph = text_format_key(TextRole::Paragraph, family, 1);
    title.size = style.font_size.value_or(24.0f);
    body.size = paragraph.size = style.font_size.value_or(20.0f);
    FrameFormats formats { text.format(title), text.format(body), text.format(paragraph), nullptr };
    title.wrap = WordWrap::NoWrap;
    formats.heading = text.format(title);
    return formats;
}

namespace detail {

void draw_text(Canvas& canvas, TextEngine* engine, std::u16string_view text, TextFormat const* format, RectF box,
    Color color)
{
    if (text.empty() || !engine || !format)
        return;
    auto layout = engine->layout(text, *format, std::max(box.w, 1.0f), std::max(box.h, 1.0f));
    if (layout)
        canvas.draw_text(*layout, { box.x, box.y }, color);
}

float text_width(TextEngine* engine, std::u16string_view text, TextFormat const* format)
{
    if (!engine || !format)
        return 0;
    return engine->text_width(text, *format);
}

NumberText decimal(std::int64_t value)
{
    NumberText out;
    char16_t reversed[24];
    std::size_t count = 0;
    bool negative = value < 0;
    // Works on the unsigned magnitude, so the most negative value does not overflow.
    std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    do {
        reversed[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    if (negative)
        out.units[out.length++] = u'-';
    while (count > 0)
        out.units[out.length++] = reversed[--count];
    return out;
}

NumberText two_digits(std::int64_t value)
{
    if (value >= 0 && value < 10) {
        NumberText out;
        out.units[0] = u'0';
        out.units[1] = static_cast<char16_t>(u'0' + value);
        out.length = 2;
        return out;
    }
    return decimal(value);
}

Bitmap const* find_image(PaintContext const& context, std::string_view source)
{
    if (!context.images || source.empty())
        return nullptr;
    return context.images->find(source);
}

Bitmap const* find_image(PaintContext const& context, std::u16string_view source)
{
    if (!context.images || source.empty())
        return nullptr;
    // The cache is keyed by UTF-8; one buffer per thread keeps lookups free of allocation.
    thread_local std::string utf8;
    utf8.clear();
    for (std::size_t i = 0; i < source.size(); ++i) {
        char32_t c = source[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < source.size() && source[i + 1] >= 0xDC00 && source[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (source[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else if (c < 0x800) {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            utf8 += static_cast<char>(0xE0 | (c >> 12));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            utf8 += static_cast<char>(0xF0 | (c >> 18));
            utf8 += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return context.images->find(utf8);
}

float NodePaint::radius() const { return style.radius.value_or(own_radius(node)); }

void NodePaint::body(RectF box, float radius, Color color) const
{
    if (style.gradient)
        canvas.fill_gradient(box, radius,
            gradient_across(box, style.gradient_direction, style.gradient->first, style.gradient->second));
    else
        canvas.fill_rounded_rect(box, radius, color);
}

float own_radius(Node const& node)
{
    Model const& model = node.model;
    if (auto const* frame = model.as<FrameModel>())
        return frame->radius;
    if (auto const* button = model.as<ButtonModel>())
        return button->radius;
    if (auto const* group = model.as<GroupModel>())
        return group->radius;
    if (auto const* accordion = model.as<AccordionModel>())
        return accordion->radius;
    if (auto const* split = model.as<SplitModel>())
        return split->radius;
    return 0;
}

}

std::vector<std::string> tree_image_sources(Tree const& tree)
{
    std::vector<std::string> sources;
    std::unordered_set<std::string> seen;
    auto add = [&](std::string source) {
        if (!source.empty() && seen.insert(source).second)
            sources.push_back(std::move(source));
    };
    for (Node const& node : tree.nodes) {
        if (auto const* image = node.model.as<ImageModel>())
            add(image->source);
        if (node.extras().icon && !node.extras().icon->empty())
            add(utf16_to_utf8(*node.extras().icon));
        if (auto const* rows = node.model.as<TreeviewModel>()) {
            for (TreeRow const& row : rows->rows) {
                if (!row.icon.empty())
                    add(utf16_to_utf8(row.icon));
            }
        }
    }
    return sources;
}

std::size_t load_tree_images(ImageCache& cache, ImageDecoder& decoder, Tree const& tree)
{
    std::vector<std::string> sources = tree_image_sources(tree);
    MemoryImageLookup memory = [&tree](std::string_view key) -> std::span<std::uint8_t const> {
        auto found = tree.memory_images.find(std::string(key));
        if (found == tree.memory_images.end() || !found->second)
            return {};
        return { found->second->data(), found->second->size() };
    };
    return cache.load(sources, decoder, memory);
}

}
