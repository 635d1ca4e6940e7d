// Images: decoded bitmaps, the decoder interface backends implement, image
// sources, fit-mode geometry and the per-window image cache.
#pragma once

#include "core/base/callback.hpp"
#include "core/base/geometry.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvy {

// Premultiplied BGRA, four bytes a pixel, rows of width * 4 bytes, top row first.
struct Bitmap {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> pixels;

    bool is_empty() const { return width <= 0 || height <= 0; }
};

// Sizes past which an image is refused before anything is allocated for it,
// so a file header claiming a huge picture costs nothing.
struct DecodeLimits {
    std::uint32_t max_side = 16384;
    std::uint64_t max_pixels = std::uint64_t { 1 } << 26; // 256 MiB of pixels
    std::size_t max_file_bytes = std::size_t { 256 } << 20;

    bool allows(std::uint64_t width, std::uint64_t height) const
    {
        return width > 0 && height > 0 && width <= max_side && height <= max_side && width * height <= max_pixels;
    }
};

// Decodes PNG, JPEG and GIF. Malformed input of any kind yields nothing;
// decoding never reads or writes outside the given bytes and never allocates
// past the limits. Safe to use from several threads at once.
class ImageDecoder {
public:
    explicit ImageDecoder(DecodeLimits limits = {}) : m_limits(limits) { }
    virtual ~ImageDecoder() = default;

    // The given frame, or the last one when the image has fewer frames.
    virtual std::optional<Bitmap> decode(std::span<std::uint8_t const> bytes, std::uint32_t frame) = 0;
    // Frames in an animation; 1 for still images and for anything unreadable.
    virtual std::uint32_t frame_count(std::span<std::uint8_t const> bytes) = 0;

    std::optional<Bitmap> decode_file(std::string_view utf8_path, std::uint32_t frame);
    std::uint32_t frame_count_file(std::string_view utf8_path);

    DecodeLimits const& limits() const { return m_limits; }

protected:
    DecodeLimits m_limits;
};

// Reads a whole file of at most max_bytes; nothing when it is missing,
// unreadable or larger.
std::optional<std::vector<std::uint8_t>> read_file(std::string_view utf8_path, std::size_t max_bytes);

// An image source text: a memory key "mem:<n>", or a file path optionally
// followed by "|" and a frame number (a leading "+" allowed). A suffix that is
// not a number belongs to the path.
struct ImageSource {
    bool in_memory = false;
    std::string_view name; // the memory key or the path
    std::uint32_t frame = 0;

    friend bool operator==(ImageSource const&, ImageSource const&) = default;
};
ImageSource parse_image_source(std::string_view source);

enum class FitMode : std::uint8_t { Contain = 0, Cover = 1, Fill = 2, None = 3 };

// "cover", "fill"/"stretch", "none"/"center"; every other text is contain.
FitMode parse_fit_mode(std::string_view text);

struct FitPlacement {
    RectF destination;
    bool needs_clip = false; // the destination spills out of the box

    friend bool operator==(FitPlacement const&, FitPlacement const&) = default;
};

// Where a bitmap of the given size is drawn in the box; nothing for an empty bitmap.
std::optional<FitPlacement> fit_image(float bitmap_width, float bitmap_height, RectF box, FitMode mode);

using MemoryImageLookup = Callback<std::span<std::uint8_t const>(std::string_view key)>;

// Bitmaps of one window by source text, each decoded once while it stays
// cached. The cache is bounded by decoded bytes: each load drops the bitmaps
// the tree no longer uses, least recently used first, until the rest fit.
// Sources in use are kept whatever their size, since every frame draws them.
// A source that failed is remembered as failed while it is in use, so a
// broken file is not read again, until forget_failures().
class ImageCache {
public:
    static constexpr std::size_t default_byte_limit = std::size_t { 64 } << 20;

    explicit ImageCache(std::size_t byte_limit = default_byte_limit) : m_byte_limit(byte_limit) { }

    // The bitmap of a loaded source; null when it is not loaded or failed.
    Bitmap const* find(std::string_view source) const;
    bool has_tried(std::string_view source) const;

    // `sources` are all the sources in use: decodes those not tried yet,
    // then trims the cache to its bound. Returns how many loaded.
    std::size_t load(std::span<std::string const> sources, ImageDecoder& decoder,
        MemoryImageLookup const& memory_images);

    void forget_failures();
    void clear()
    {
        m_entries.clear();
        m_bytes = 0;
    }
    std::size_t size() const { return m_entries.size(); }
    // Decoded bytes held.
    std::size_t bytes() const { return m_bytes; }

private:
    struct StringHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view> {}(text); }
    };
    struct Entry {
        std::unique_ptr<Bitmap const> bitmap; // null marks a failed source
        std::uint64_t used = 0;               // the last load that found it in use
    };
    void trim();

    std::size_t m_byte_limit;
    std::size_t m_bytes = 0;
    std::uint64_t m_load = 0;
    std::unordered_map<std::string, Entry, StringHash, std::equal_to<>> m_entries;
};

}
