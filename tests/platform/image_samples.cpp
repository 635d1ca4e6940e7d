// Encoders for the decoder tests' sample images.
#include "tests/platform/image_samples.hpp"

#include <cairo.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gif_lib.h>
#include <jpeglib.h>
#include <zlib.h>

namespace orvy::test {

Bytes sample_png()
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 4, 2);
    cairo_t* cairo = cairo_create(surface);
    cairo_set_operator(cairo, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cairo, 1, 0, 0, 1);
    cairo_rectangle(cairo, 0, 0, 2, 2);
    cairo_fill(cairo);
    cairo_set_source_rgba(cairo, 0, 0, 1, 128 / 255.0);
    cairo_rectangle(cairo, 2, 0, 2, 2);
    cairo_fill(cairo);
    cairo_destroy(cairo);
    Bytes bytes;
    cairo_surface_write_to_png_stream(
        surface,
        [](void* closure, unsigned char const* data, unsigned int length) {
            auto* out = static_cast<Bytes*>(closure);
            out->insert(out->end(), data, data + length);
            return CAIRO_STATUS_SUCCESS;
        },
        &bytes);
    cairo_surface_destroy(surface);
    return bytes;
}

Bytes png_header_claiming(std::uint32_t width, std::uint32_t height)
{
    Bytes bytes { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13 };
    Bytes chunk { 'I', 'H', 'D', 'R' };
    for (std::uint32_t value : { width, height })
        for (int shift = 24; shift >= 0; shift -= 8)
            chunk.push_back(static_cast<std::uint8_t>(value >> shift));
    chunk.insert(chunk.end(), { 8, 6, 0, 0, 0 }); // 8-bit RGBA, no interlace
    uLong crc = crc32(0, chunk.data(), static_cast<uInt>(chunk.size()));
    bytes.insert(bytes.end(), chunk.begin(), chunk.end());
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<std::uint8_t>(crc >> shift));
    return bytes;
}

Bytes sample_jpeg()
{
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = 8;
    info.image_height = 8;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    unsigned char row[8 * 3];
    std::memset(row, 128, sizeof row);
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = { row };
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    Bytes bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

Bytes sample_gif(std::vector<GifFrame> const& frames)
{
    Bytes bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes,
        [](GifFileType* file, GifByteType const* data, int length) {
            auto* out = static_cast<Bytes*>(file->UserData);
            out->insert(out->end(), data, data + length);
            return length;
        },
        &error);
    GifColorType colors[4] = { { 0, 0, 0 }, { 255, 0, 0 }, { 0, 255, 0 }, { 0, 0, 255 } };
    ColorMapObject* palette = GifMakeMapObject(4, colors);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, 4, 4, 2, 0, palette);
    for (GifFrame const& frame : frames) {
        GraphicsControlBlock control { frame.disposal, false, 0, frame.transparent_index };
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
        EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, false, nullptr);
        std::vector<GifPixelType> line(static_cast<std::size_t>(frame.width), frame.color_index);
        for (int y = 0; y < frame.height; ++y)
            EGifPutLine(gif, line.data(), frame.width);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(palette);
    return bytes;
}

}
