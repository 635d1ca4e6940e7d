// Helpers the window cases share: serving the loop until a condition holds,
// recording handlers, and WIC encoding of pictures to files and memory.
#pragma once

#include "core/image/image.hpp"
#include "core/window/host.hpp"
#include "platform/win32/win32_host.hpp"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace orvy::win32_test {

// The one host of the program's UI thread.
win32::Win32Host& host();

// Serves the host's windows until the condition holds or the time is up.
bool serve_until(win32::Win32Host& host, std::function<bool()> const& done,
    std::chrono::milliseconds limit = std::chrono::milliseconds(5000));

// Encodes premultiplied BGRA pictures (one per frame) with the WIC encoder
// of the container (GUID_ContainerFormatPng or GUID_ContainerFormatGif);
// empty when the system cannot.
std::vector<std::uint8_t> encode(std::vector<Bitmap> const& frames, GUID const& container);
bool write_png(std::string const& path, Bitmap const& picture);

// A picture of one colour.
Bitmap solid(std::int32_t width, std::int32_t height, std::uint32_t bgra);
// 0xRRGGBB of a pixel of a BGRA picture.
std::uint32_t rgb_at(Bitmap const& picture, std::int32_t x, std::int32_t y);

// Asks the driver for real input; the program serves its loop while the
// driver acts and answers with a line on standard input. Returns a check of
// whether the answer has come.
std::function<bool()> request(std::string const& line);

}
