// Loop serving, WIC encoding and driver requests for the window cases.
#include "tests/win32/support.hpp"

#include <wincodec.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>
#include <filesystem>
#include <fstream>

namespace orvy::win32_test {

using win32::ComPtr;

win32::Win32Host& host()
{
    static win32::Win32Host shared;
    return shared;
}

bool serve_until(win32::Win32Host& host, std::function<bool()> const& done, std::chrono::milliseconds limit)
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return done();
        host.serve_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::vector<std::uint8_t> encode(std::vector<Bitmap> const& frames, GUID const& container)
{
    win32::ensure_com();
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)))
        || FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))
        || FAILED(factory->CreateEncoder(container, nullptr, &encoder))
        || FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)))
        return {};
    for (Bitmap const& frame : frames) {
        ComPtr<IWICBitmapFrameEncode> target;
        ComPtr<IWICBitmap> source;
        UINT stride = static_cast<UINT>(frame.width) * 4;
        if (FAILED(encoder->CreateNewFrame(&target, nullptr)) || FAILED(target->Initialize(nullptr))
            || FAILED(target->SetSize(static_cast<UINT>(frame.width), static_cast<UINT>(frame.height)))
            || FAILED(factory->CreateBitmapFromMemory(static_cast<UINT>(frame.width), static_cast<UINT>(frame.height),
                GUID_WICPixelFormat32bppPBGRA, stride, static_cast<UINT>(frame.pixels.size()),
                const_cast<BYTE*>(frame.pixels.data()), &source))
            || FAILED(target->WriteSource(source.Get(), nullptr)) || FAILED(target->Commit()))
            return {};
    }
    if (FAILED(encoder->Commit()))
        return {};
    HGLOBAL memory = nullptr;
    if (FAILED(GetHGlobalFromStream(stream.Get(), &memory)))
        return {};
    STATSTG stat {};
    stream->Stat(&stat, STATFLAG_NONAME);
    auto const* bytes = static_cast<std::uint8_t const*>(GlobalLock(memory));
    std::vector<std::uint8_t> result(bytes, bytes + stat.cbSize.QuadPart);
    GlobalUnlock(memory);
    return result;
}

bool write_png(std::string const& path, Bitmap const& picture)
{
    // The window's frame has no alpha to keep: written opaque.
    Bitmap opaque = picture;
    for (std::size_t i = 3; i < opaque.pixels.size(); i += 4)
        opaque.pixels[i] = 255;
    std::vector<std::uint8_t> bytes = encode({ opaque }, GUID_ContainerFormatPng);
    if (bytes.empty())
        return false;
    std::ofstream file(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary);
    file.write(reinterpret_cast<char const*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

Bitmap solid(std::int32_t width, std::int32_t height, std::uint32_t bgra)
{
    Bitmap picture { width, height, {} };
    picture.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    for (std::size_t i = 0; i < picture.pixels.size(); i += 4) {
        picture.pixels[i] = static_cast<std::uint8_t>(bgra);
        picture.pixels[i + 1] = static_cast<std::uint8_t>(bgra >> 8);
        picture.pixels[i + 2] = static_cast<std::uint8_t>(bgra >> 16);
        picture.pixels[i + 3] = static_cast<std::uint8_t>(bgra >> 24);
    }
    return picture;
}

std::uint32_t rgb_at(Bitmap const& picture, std::int32_t x, std::int32_t y)
{
    if (x < 0 || y < 0 || x >= picture.width || y >= picture.height)
        return 0xDEADBEEF;
    auto const* pixel = picture.pixels.data() + (static_cast<std::size_t>(y) * picture.width + x) * 4;
    return (std::uint32_t { pixel[2] } << 16) | (std::uint32_t { pixel[1] } << 8) | pixel[0];
}

std::function<bool()> request(std::string const& line)
{
    // One reader for the whole run counts the driver's answers.
    static std::atomic<int> answers = 0;
    static int asked = 0;
    static std::once_flag reader;
    std::call_once(reader, [] {
        std::thread([] {
            char buffer[256];
            while (std::fgets(buffer, sizeof buffer, stdin))
                ++answers;
        }).detach();
    });
    int wanted = ++asked;
    std::printf("REQUEST %s\n", line.c_str());
    std::fflush(stdout);
    return [wanted] { return answers.load() >= wanted; };
}

}
