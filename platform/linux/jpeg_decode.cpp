// JPEG decoding through libjpeg-turbo, with errors caught by a jump back to
// the decoder instead of the library's exit().
#include "platform/linux/detail/decoders.hpp"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace orvy::linux_platform::detail {

namespace {

// Progressive files can hold thousands of tiny scans that each make the
// decoder walk the whole image; real files have a dozen or so.
constexpr int max_scans = 500;

struct Session {
    jpeg_decompress_struct info {};
    jpeg_error_mgr errors {};
    jpeg_progress_mgr progress {};
    std::jmp_buf jump {};
};

[[noreturn]] void fail(j_common_ptr common)
{
    auto* session = reinterpret_cast<Session*>(common->client_data);
    std::longjmp(session->jump, 1);
}

void stay_quiet(j_common_ptr, int) { }

void limit_scans(j_common_ptr common)
{
    auto* info = reinterpret_cast<j_decompress_ptr>(common);
    if (info->input_scan_number > max_scans)
        fail(common);
}

// Decodes into the bitmap; everything with a destructor lives in the caller,
// so the jump back skips nothing that must be cleaned up.
bool run(Session& session, std::span<std::uint8_t const> bytes, DecodeLimits const& limits, Bitmap& bitmap,
    std::vector<std::uint8_t>& row)
{
    jpeg_decompress_struct& info = session.info;
    if (setjmp(session.jump))
        return false;
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    if (!limits.allows(info.image_width, info.image_height))
        return false;
    bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    bitmap.width = static_cast<std::int32_t>(info.output_width);
    bitmap.height = static_cast<std::int32_t>(info.output_height);
    if (!limits.allows(info.output_width, info.output_height))
        return false;
    std::size_t stride = static_cast<std::size_t>(bitmap.width) * 4;
    bitmap.pixels.resize(stride * static_cast<std::size_t>(bitmap.height));
    row.resize(stride);
    while (info.output_scanline < info.output_height) {
        std::uint8_t* target = bitmap.pixels.data() + stride * info.output_scanline;
        JSAMPROW rows[1] = { cmyk ? row.data() : target };
        if (jpeg_read_scanlines(&info, rows, 1) != 1)
            return false;
        if (!cmyk)
            continue;
        // Adobe writes CMYK inverted, which is what nearly every CMYK JPEG is.
        for (std::size_t x = 0; x < static_cast<std::size_t>(bitmap.width); ++x) {
            unsigned k = row[x * 4 + 3];
            target[x * 4 + 0] = static_cast<std::uint8_t>(row[x * 4 + 2] * k / 255);
            target[x * 4 + 1] = static_cast<std::uint8_t>(row[x * 4 + 1] * k / 255);
            target[x * 4 + 2] = static_cast<std::uint8_t>(row[x * 4 + 0] * k / 255);
            target[x * 4 + 3] = 255;
        }
    }
    jpeg_finish_decompress(&info);
    return true;
}

}

std::optional<Bitmap> decode_jpeg(std::span<std::uint8_t const> bytes, DecodeLimits const& limits)
{
    Session session;
    session.info.err = jpeg_std_error(&session.errors);
    session.errors.error_exit = fail;
    session.errors.emit_message = stay_quiet;
    session.progress.progress_monitor = limit_scans;
    session.info.client_data = &session;
    jpeg_create_decompress(&session.info);
    session.info.progress = &session.progress;
    session.info.mem->max_memory_to_use = static_cast<long>(limits.max_pixels * 4);

    Bitmap bitmap;
    std::vector<std::uint8_t> row;
    bool decoded = run(session, bytes, limits, bitmap, row);
    jpeg_destroy_decompress(&session.info);
    if (!decoded)
        return std::nullopt;
    return bitmap;
}

}
