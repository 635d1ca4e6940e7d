// FixedAdvanceTextEngine: a deterministic TextEngine with one advance per code
// unit, for tests of layout, painting and editing that must not depend on fonts.
#pragma once

#include "core/text/text_engine.hpp"

#include <set>
#include <string>

namespace orvy {

// Every UTF-16 code unit advances half the font size; a line is 1.25 times
// the font size high. Wrapping breaks at any code unit once a line is full;
// a line feed always breaks.
class FixedAdvanceTextEngine final : public TextEngine {
public:
    static float advance(float size) { return size * 0.5f; }
    static float line_height(float size) { return size * 1.25f; }

    // Formats of these families cannot be made (to exercise the fallback).
    std::set<std::string> missing_families;
    // When set, no layout can be made (to exercise the degraded answers).
    bool fail_layouts = false;

    std::size_t layouts_created() const { return m_layouts_created; }

protected:
    std::unique_ptr<TextFormat> create_format(TextFormatKey const& key, std::string const& family_name) override;
    std::unique_ptr<TextLayout> create_layout(std::u16string_view text, std::shared_ptr<TextFormat const> format,
        TextSize box) override;

private:
    std::size_t m_layouts_created = 0;
};

}
