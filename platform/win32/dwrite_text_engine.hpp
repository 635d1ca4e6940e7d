// DWriteTextEngine: text formats and layouts made by DirectWrite, with the
// hit tests that editing needs.
#pragma once

#include "core/text/text_engine.hpp"
#include "platform/win32/detail/com.hpp"

#include <dwrite.h>

namespace orvy::win32 {

class DWriteTextFormat final : public TextFormat {
public:
    DWriteTextFormat(TextFormatKey const& key, std::string const& family_name, ComPtr<IDWriteTextFormat> format);

    IDWriteTextFormat* format() const { return m_format.Get(); }

private:
    ComPtr<IDWriteTextFormat> m_format;
};

class DWriteTextLayout final : public TextLayout {
public:
    DWriteTextLayout(std::u16string_view text, std::shared_ptr<TextFormat const> format, TextSize box,
        ComPtr<IDWriteTextLayout> layout);

    TextSize size() const override;
    CaretLine caret_at(std::uint32_t position) const override;
    std::uint32_t position_at(PointF point) const override;
    std::vector<RectF> range_rects(std::uint32_t start, std::uint32_t end) const override;

    IDWriteTextLayout* layout() const { return m_layout.Get(); }

private:
    // Where the system's hit tests are missing (Wine has none), the same
    // answers come from the line and cluster metrics.
    struct Line {
        std::uint32_t start = 0;
        std::uint32_t length = 0;  // without the line break
        float top = 0;
        float height = 0;
        float left = 0;
        std::vector<float> edges; // x before each unit of the line, and after the last
    };
    std::vector<Line> const& lines() const;
    Line const& line_of(std::uint32_t position) const;

    ComPtr<IDWriteTextLayout> m_layout;
    TextSize m_size;
    mutable std::vector<Line> m_lines;
};

// One shared DirectWrite factory; formats and layouts may be used by the
// thread that made them.
class DWriteTextEngine final : public TextEngine {
public:
    DWriteTextEngine();
    ~DWriteTextEngine() override;

    bool is_ready() const { return m_factory != nullptr; }

protected:
    std::unique_ptr<TextFormat> create_format(TextFormatKey const& key, std::string const& family_name) override;
    std::unique_ptr<TextLayout> create_layout(std::u16string_view text, std::shared_ptr<TextFormat const> format,
        TextSize box) override;

private:
    ComPtr<IDWriteFactory> m_factory;
};

}
