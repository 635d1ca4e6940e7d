// PangoTextEngine: text formats and layouts shaped by Pango, fonts found by fontconfig.
#pragma once

#include "core/text/text_engine.hpp"

#include <cairo.h>
#include <pango/pango.h>

#include <functional>
#include <memory>

namespace orvy::linux_platform {

class PangoTextFormat final : public TextFormat {
public:
    PangoTextFormat(TextFormatKey const& key, std::string const& family_name);
    ~PangoTextFormat() override;

    PangoFontDescription const* description() const { return m_description; }

private:
    PangoFontDescription* m_description;
};

class PangoTextLayout final : public TextLayout {
public:
    PangoTextLayout(PangoContext* context, std::u16string_view text, std::shared_ptr<TextFormat const> format,
        TextSize box);
    ~PangoTextLayout() override;

    TextSize size() const override;
    CaretLine caret_at(std::uint32_t position) const override;
    std::uint32_t position_at(PointF point) const override;
    std::vector<RectF> range_rects(std::uint32_t start, std::uint32_t end) const override;

    // Shows the layout with its top-left at origin in the context's current source.
    void draw(cairo_t* cairo, PointF origin) const;
    // The same drawing as a call that holds a reference of its own to the
    // Pango layout, so it may outlive this object.
    std::function<void(cairo_t*)> drawing_at(PointF origin) const;

private:
    std::uint32_t unit_at_byte(std::uint32_t byte) const;
    // Gives words wider than `width` break opportunities where lines fill.
    void break_long_words(float width);

    PangoLayout* m_layout;
    std::vector<std::uint32_t> m_byte_of_unit; // one per UTF-16 unit and one past the end; filled with m_utf8
    std::string m_utf8;
    PangoRectangle m_logical {};
    // Where the box alignment puts Pango's own origin.
    float m_offset_x = 0;
    float m_offset_y = 0;
};

// Starts loading the fonts of a first frame into a font map of their own, on
// a thread of its own, before any engine exists; the first engine made on any
// thread then takes that font map as its thread's. Once per process; returns
// after the process-wide state the loading reads (the default language) is read.
void prepare_first_fonts();
// The same with `load` laying out what the fonts are prepared for, in a
// context on the prepared font map.
void prepare_first_fonts_with(void (*load)(PangoContext*));

// Uses the calling thread's font map, so one engine serves one thread.
class PangoTextEngine final : public TextEngine {
public:
    PangoTextEngine();
    ~PangoTextEngine() override;

protected:
    std::unique_ptr<TextFormat> create_format(TextFormatKey const& key, std::string const& family_name) override;
    std::unique_ptr<TextLayout> create_layout(std::u16string_view text, std::shared_ptr<TextFormat const> format,
        TextSize box) override;

private:
    // The engine's context, made on first use: the fonts it draws from may
    // still be loading when the engine is made.
    PangoContext* context();

    PangoContext* m_context = nullptr;
};

}
