// An offscreen Direct2D context for the canvas cases, and the comparison
// of the pictures they read back.
#pragma once

#include "core/image/image.hpp"
#include "platform/win32/d2d_canvas.hpp"
#include "platform/win32/detail/com.hpp"
#include "platform/win32/render_device.hpp"

#include <cstdlib>
#include <functional>

namespace orvy::win32_test {

using win32::ComPtr;

// A Direct2D context on a Direct3D device drawing into a texture, as a
// window's does into its back buffer.
struct Offscreen {
    ComPtr<ID3D11Device> device;
    ComPtr<ID3D11DeviceContext> d3d;
    ComPtr<ID2D1Factory1> factory;
    ComPtr<ID2D1Device> d2d;
    ComPtr<ID2D1DeviceContext> context;
    ComPtr<ID2D1Bitmap1> target;

    explicit Offscreen(UINT frame_width = 480, UINT frame_height = 360)
    {
        ComPtr<IDXGIDevice> dxgi;
        ComPtr<ID3D11Texture2D> texture;
        ComPtr<ID3D11RenderTargetView> view;
        ComPtr<IDXGISurface> surface;
        D2D1_FACTORY_OPTIONS options {};
        if (FAILED(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, D3D11_CREATE_DEVICE_BGRA_SUPPORT,
                nullptr, 0, D3D11_SDK_VERSION, &device, nullptr, &d3d))
            || FAILED(device.As(&dxgi))
            || FAILED(D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory1), &options,
                reinterpret_cast<void**>(factory.GetAddressOf())))
            || FAILED(factory->CreateDevice(dxgi.Get(), &d2d))
            || FAILED(d2d->CreateDeviceContext(D2D1_DEVICE_CONTEXT_OPTIONS_NONE, &context))
            || !win32::make_target_texture(d3d.Get(), frame_width, frame_height, 0, texture, view)
            || FAILED(texture.As(&surface)))
            return;
        D2D1_BITMAP_PROPERTIES1 properties {};
        properties.pixelFormat = { DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE };
        properties.dpiX = properties.dpiY = 96.0f;
        properties.bitmapOptions = D2D1_BITMAP_OPTIONS_TARGET | D2D1_BITMAP_OPTIONS_CANNOT_DRAW;
        if (FAILED(context->CreateBitmapFromDxgiSurface(surface.Get(), &properties, &target)))
            return;
        context->SetTarget(target.Get());
        context->SetDpi(96.0f, 96.0f);
        context->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_CLEARTYPE);
    }
    bool ready() const { return target != nullptr; }

    // One frame of the canvas, and its kept frame read back. Without
    // Direct3D the canvas sets every pixel through Direct2D.
    Bitmap frame(win32::D2DCanvas& canvas, std::function<void(Canvas&)> const& paint, bool direct3d = true)
    {
        context->BeginDraw();
        canvas.begin(context.Get(), factory.Get(), direct3d ? d3d.Get() : nullptr);
        paint(canvas);
        canvas.end();
        context->EndDraw();
        return read(canvas.retained_frame());
    }

    Bitmap read(ID2D1Bitmap1* bitmap)
    {
        ComPtr<IDXGISurface> surface;
        ComPtr<ID3D11Texture2D> texture;
        if (!bitmap || FAILED(bitmap->GetSurface(&surface)) || FAILED(surface.As(&texture)))
            return {};
        return win32::read_texture(device.Get(), d3d.Get(), texture.Get());
    }
};

// Pixels whose colour differs by more than one step in a channel.
inline std::size_t differing_pixels(Bitmap const& a, Bitmap const& b)
{
    if (a.pixels.size() != b.pixels.size() || a.pixels.empty())
        return static_cast<std::size_t>(-1);
    std::size_t differing = 0;
    for (std::size_t at = 0; at + 4 <= a.pixels.size(); at += 4) {
        for (std::size_t c = 0; c < 3; ++c) {
            if (std::abs(int { a.pixels[at + c] } - int { b.pixels[at + c] }) > 1) {
                ++differing;
                break;
            }
        }
    }
    return differing;
}

}
