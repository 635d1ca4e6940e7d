// GIF decoding through giflib, record by record, so that frame sizes are
// checked before anything is allocated and frames are composed as viewers
// show them (transparency and the three disposal methods).
#include "platform/linux/detail/decoders.hpp"

#include <algorithm>
#include <cstring>

#include <gif_lib.h>

namespace orvy::linux_platform::detail {

namespace {

struct MemoryReader {
    std::span<std::uint8_t const> bytes;
    std::size_t offset = 0;
};

int read_memory(GifFileType* gif, GifByteType* target, int wanted)
{
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    std::size_t left = reader->bytes.size() - reader->offset;
    std::size_t count = std::min(left, static_cast<std::size_t>(std::max(wanted, 0)));
    std::memcpy(target, reader->bytes.data() + reader->offset, count);
    reader->offset += count;
    return static_cast<int>(count);
}

class GifFile {
public:
    explicit GifFile(std::span<std::uint8_t const> bytes)
        : m_reader { bytes }
    {
        int error = 0;
        m_gif = DGifOpen(&m_reader, read_memory, &error);
    }
    ~GifFile()
    {
        if (m_gif) {
            int error = 0;
            DGifCloseFile(m_gif, &error);
        }
    }
    GifFile(GifFile const&) = delete;
    GifFile& operator=(GifFile const&) = delete;

    GifFileType* get() const { return m_gif; }

private:
    MemoryReader m_reader;
    GifFileType* m_gif = nullptr;
};

bool skip_extension(GifFileType* gif, GifByteType* block)
{
    while (block) {
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
            return false;
    }
    return true;
}

bool skip_image_data(GifFileType* gif)
{
    int code_size = 0;
    GifByteType* block = nullptr;
    if (DGifGetCode(gif, &code_size, &block) == GIF_ERROR)
        return false;
    while (block) {
        if (DGifGetCodeNext(gif, &block) == GIF_ERROR)
            return false;
    }
    return true;
}

struct FrameRect {
    int left = 0, top = 0, width = 0, height = 0;
};

// The composed picture, premultiplied BGRA, transparent where no frame drew.
class Composer {
public:
    Composer(int width, int height)
        : m_width(width)
        , m_height(height)
        , m_pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0)
    {
    }

    // Decodes one frame's rows and paints its opaque pixels.
    bool draw(GifFileType* gif, FrameRect frame, int transparent, std::vector<GifPixelType>& line)
    {
        ColorMapObject const* colors = gif->Image.ColorMap ? gif->Image.ColorMap : gif->SColorMap;
        line.resize(static_cast<std::size_t>(frame.width));
        for (int pass_row : row_order(frame.height, gif->Image.Interlace)) {
            if (DGifGetLine(gif, line.data(), frame.width) == GIF_ERROR)
                return false;
            int y = frame.top + pass_row;
            if (!colors || y < 0 || y >= m_height)
                continue;
            for (int i = 0; i < frame.width; ++i) {
                int x = frame.left + i;
                int index = line[static_cast<std::size_t>(i)];
                if (x < 0 || x >= m_width || index == transparent || index >= colors->ColorCount)
                    continue;
                GifColorType color = colors->Colors[index];
                std::uint8_t* pixel = at(x, y);
                pixel[0] = color.Blue;
                pixel[1] = color.Green;
                pixel[2] = color.Red;
                pixel[3] = 255;
            }
        }
        return true;
    }

    void clear(FrameRect frame)
    {
        int x0 = std::clamp(frame.left, 0, m_width), x1 = std::clamp(frame.left + frame.width, 0, m_width);
        int y0 = std::clamp(frame.top, 0, m_height), y1 = std::clamp(frame.top + frame.height, 0, m_height);
        for (int y = y0; y < y1 && x0 < x1; ++y)
            std::memset(at(x0, y), 0, static_cast<std::size_t>(x1 - x0) * 4);
    }

    std::vector<std::uint8_t>& pixels() { return m_pixels; }

private:
    // Interlaced frames store rows 0, 8, 16...; then 4, 12...; then 2, 6...; then 1, 3...
    static std::vector<int> row_order(int height, bool interlaced)
    {
        std::vector<int> rows;
        rows.reserve(static_cast<std::size_t>(height));
        if (!interlaced) {
            for (int y = 0; y < height; ++y)
                rows.push_back(y);
            return rows;
        }
        constexpr int starts[] = { 0, 4, 2, 1 };
        constexpr int steps[] = { 8, 8, 4, 2 };
        for (int pass = 0; pass < 4; ++pass) {
            for (int y = starts[pass]; y < height; y += steps[pass])
                rows.push_back(y);
        }
        return rows;
    }

    std::uint8_t* at(int x, int y)
    {
        return m_pixels.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + x) * 4;
    }

    int m_width;
    int m_height;
    std::vector<std::uint8_t> m_pixels;
};

}

std::optional<Bitmap> decode_gif(std::span<std::uint8_t const> bytes, std::uint32_t frame, DecodeLimits const& limits)
{
    GifFile file(bytes);
    GifFileType* gif = file.get();
    if (!gif || !limits.allows(static_cast<std::uint64_t>(std::max(gif->SWidth, 0)),
                    static_cast<std::uint64_t>(std::max(gif->SHeight, 0))))
        return std::nullopt;

    Composer composer(gif->SWidth, gif->SHeight);
    std::vector<std::uint8_t> saved;
    std::vector<GifPixelType> line;
    GraphicsControlBlock control { DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR };
    GraphicsControlBlock shown = control; // of the frame composed last
    FrameRect shown_rect;
    std::uint32_t started = 0;
    // Pass 1: walk the records up to the wanted frame. A frame that cannot be
    // read ends the walk: the picture then shows what was composed until
    // there, as a viewer shows a truncated file; a broken first frame is no picture.
    while (started <= frame) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &record) == GIF_ERROR || record == TERMINATE_RECORD_TYPE)
            break;
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                break;
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4)
                DGifExtensionToGCB(block[0], block + 1, &control);
            if (!skip_extension(gif, block))
                break;
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE)
            continue;
        if (DGifGetImageDesc(gif) == GIF_ERROR)
            break;
        FrameRect rect { gif->Image.Left, gif->Image.Top, gif->Image.Width, gif->Image.Height };
        if (!limits.allows(static_cast<std::uint64_t>(std::max(rect.width, 0)),
                static_cast<std::uint64_t>(std::max(rect.height, 0))))
            break;

        // Pass 2: the previous frame leaves the way its disposal says.
        if (started > 0) {
            if (shown.DisposalMode == DISPOSE_BACKGROUND)
                composer.clear(shown_rect);
            else if (shown.DisposalMode == DISPOSE_PREVIOUS && !saved.empty())
                composer.pixels() = saved;
        }
        if (control.DisposalMode == DISPOSE_PREVIOUS)
            saved = composer.pixels();

        // Pass 3: this frame's pixels go over what is left.
        if (!composer.draw(gif, rect, control.TransparentColor, line)) {
            if (started == 0)
                return std::nullopt;
            break;
        }
        ++started;
        shown = control;
        shown_rect = rect;
        control = { DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR };
    }
    if (started == 0)
        return std::nullopt;
    Bitmap bitmap;
    bitmap.width = gif->SWidth;
    bitmap.height = gif->SHeight;
    bitmap.pixels = std::move(composer.pixels());
    return bitmap;
}

std::uint32_t gif_frame_count(std::span<std::uint8_t const> bytes)
{
    GifFile file(bytes);
    GifFileType* gif = file.get();
    if (!gif)
        return 1;
    std::uint32_t frames = 0;
    while (true) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &record) == GIF_ERROR || record == TERMINATE_RECORD_TYPE)
            break;
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR || !skip_extension(gif, block))
                break;
        } else if (record == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif) == GIF_ERROR || !skip_image_data(gif))
                break;
            ++frames;
        }
    }
    return frames;
}

}
