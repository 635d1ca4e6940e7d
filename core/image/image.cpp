// Image sources, fit geometry, file reading and the per-window image cache.
#include "core/image/image.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>

namespace orvy {

std::optional<std::vector<std::uint8_t>> read_file(std::string_view utf8_path, std::size_t max_bytes)
{
    std::u8string path_text(utf8_path.begin(), utf8_path.end());
    std::error_code error;
    std::filesystem::path path(path_text);
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    std::ifstream stream(path, std::ios::binary);
    if (!stream)
        return std::nullopt;
    // Read in pieces rather than trusting the size reported up front: the
    // file may change while it is read.
    std::vector<std::uint8_t> bytes;
    char chunk[65536];
    while (stream) {
        stream.read(chunk, sizeof chunk);
        auto got = static_cast<std::size_t>(stream.gcount());
        if (bytes.size() + got > max_bytes)
            return std::nullopt;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    if (stream.bad())
        return std::nullopt;
    return bytes;
}

std::optional<Bitmap> ImageDecoder::decode_file(std::string_view utf8_path, std::uint32_t frame)
{
    auto bytes = read_file(utf8_path, m_limits.max_file_bytes);
    if (!bytes)
        return std::nullopt;
    return decode(*bytes, frame);
}

std::uint32_t ImageDecoder::frame_count_file(std::string_view utf8_path)
{
    auto bytes = read_file(utf8_path, m_limits.max_file_bytes);
    return bytes ? frame_count(*bytes) : 1;
}

ImageSource parse_image_source(std::string_view source)
{
    if (source.starts_with("mem:"))
        return { true, source, 0 };
    auto bar = source.rfind('|');
    if (bar == std::string_view::npos)
        return { false, source, 0 };
    std::string_view digits = source.substr(bar + 1);
    if (digits.starts_with('+'))
        digits.remove_prefix(1);
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return { false, source, 0 };
    // Saturates: a frame past the end shows the last frame anyway.
    std::uint64_t frame = 0;
    for (char c : digits)
        frame = std::min<std::uint64_t>(frame * 10 + static_cast<std::uint64_t>(c - '0'),
            std::numeric_limits<std::uint32_t>::max());
    return { false, source.substr(0, bar), static_cast<std::uint32_t>(frame) };
}

FitMode parse_fit_mode(std::string_view text)
{
    if (text == "cover")
        return FitMode::Cover;
    if (text == "fill" || text == "stretch")
        return FitMode::Fill;
    if (text == "none" || text == "center")
        return FitMode::None;
    return FitMode::Contain;
}

std::optional<FitPlacement> fit_image(float bitmap_width, float bitmap_height, RectF box, FitMode mode)
{
    if (!(bitmap_width > 0) || !(bitmap_height > 0))
        return std::nullopt;
    auto centred = [&](float width, float height) {
        return RectF { box.x + (box.w - width) / 2, box.y + (box.h - height) / 2, width, height };
    };
    switch (mode) {
    case FitMode::Cover: {
        float scale = std::max(box.w / bitmap_width, box.h / bitmap_height);
        return FitPlacement { centred(bitmap_width * scale, bitmap_height * scale), true };
    }
    case FitMode::Fill: return FitPlacement { box, false };
    case FitMode::None: return FitPlacement { centred(bitmap_width, bitmap_height), true };
    case FitMode::Contain: break;
    }
    float scale = std::min(box.w / bitmap_width, box.h / bitmap_height);
    return FitPlacement { centred(bitmap_width * scale, bitmap_height * scale), false };
}

Bitmap const* ImageCache::find(std::string_view source) const
{
    auto found = m_entries.find(source);
    return found == m_entries.end() ? nullptr : found->second.bitmap.get();
}

bool ImageCache::has_tried(std::string_view source) const { return m_entries.find(source) != m_entries.end(); }

std::size_t ImageCache::load(std::span<std::string const> sources, ImageDecoder& decoder,
    MemoryImageLookup const& memory_images)
{
    ++m_load;
    std::size_t loaded = 0;
    for (std::string const& source : sources) {
        if (auto found = m_entries.find(source); found != m_entries.end()) {
            found->second.used = m_load;
            continue;
        }
        ImageSource parsed = parse_image_source(source);
        std::optional<Bitmap> bitmap;
        if (parsed.in_memory) {
            if (memory_images)
                bitmap = decoder.decode(memory_images(parsed.name), 0);
        } else {
            bitmap = decoder.decode_file(parsed.name, parsed.frame);
        }
        Entry entry { nullptr, m_load };
        if (bitmap && !bitmap->is_empty()) {
            m_bytes += bitmap->pixels.size();
            entry.bitmap = std::make_unique<Bitmap const>(std::move(*bitmap));
            ++loaded;
        }
        m_entries.emplace(source, std::move(entry));
    }
    trim();
    return loaded;
}

void ImageCache::trim()
{
    // Failures out of use are forgotten: a source used again is tried again.
    std::erase_if(m_entries, [&](auto const& entry) { return !entry.second.bitmap && entry.second.used != m_load; });
    if (m_bytes <= m_byte_limit)
        return;
    std::vector<decltype(m_entries)::iterator> idle;
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->second.used != m_load)
            idle.push_back(it);
    }
    std::sort(idle.begin(), idle.end(), [](auto a, auto b) { return a->second.used < b->second.used; });
    for (auto it : idle) {
        if (m_bytes <= m_byte_limit)
            break;
        m_bytes -= it->second.bitmap->pixels.size();
        m_entries.erase(it);
    }
}

void ImageCache::forget_failures()
{
    std::erase_if(m_entries, [](auto const& entry) { return entry.second.bitmap == nullptr; });
}

}
