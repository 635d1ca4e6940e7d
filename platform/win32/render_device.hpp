// RenderDevice: a window's Direct3D 11 device, DXGI flip swap chain, optional
// DirectComposition visual (glass) and the Direct2D 1.1 context drawing into
// the back buffer.
#pragma once

#include "core/image/image.hpp"
#include "platform/win32/detail/com.hpp"
#include "platform/win32/detail/messages.hpp"

#include <d2d1_1.h>
#include <d3d11.h>
#include <dcomp.h>
#include <dxgi1_3.h>

#include <memory>
#include <optional>

namespace orvy::win32 {

class RenderDevice {
public:
    struct Created {
        std::unique_ptr<RenderDevice> device;
        HRESULT error = S_OK;
    };

    // Makes the device for the window. A glass window gets a composition
    // swap chain; where DirectComposition is missing it falls back to the
    // window path and stays opaque (is_transparent() false).
    static Created create(HWND window, bool glass, std::int32_t width, std::int32_t height);

    ~RenderDevice();
    RenderDevice(RenderDevice const&) = delete;
    RenderDevice& operator=(RenderDevice const&) = delete;

    bool is_transparent() const { return m_dcomp_device != nullptr; }
    bool waits_for_frame_latency() const { return m_latency_object != nullptr; }
    // Without a working latency object, each present waits asleep for the
    // one before it to have gone out, through an event query ended after
    // it: the runtime's own wait for that is a busy loop (Wine's spins on
    // the UI thread for as long as its command thread still draws the
    // frame before). False once such a query failed or never completed.
    bool waits_for_presents() const { return !m_latency_object && !m_present_query_failed; }
    // Presents that found the one before still going out and slept for it.
    std::uint64_t presents_slept() const { return m_presents_slept; }
    ID2D1DeviceContext* context() const { return m_context.Get(); }
    ID2D1Factory1* factory() const { return m_factory.Get(); }
    ID3D11DeviceContext* d3d_context() const { return m_d3d_context.Get(); }

    // Resizes the buffers and rebuilds the target; a zero side is ignored.
    // Failures leave the target for the next resize to repair; the result
    // is ResizeBuffers', for the caller to tell a lost device.
    HRESULT resize(std::uint32_t width, std::uint32_t height);

    // Waits on the frame-latency object (at most a second) and begins drawing.
    void begin_frame();
    // Ends drawing and copies the retained frame (when the canvas keeps
    // one) to the back buffer; when `capture` is given, the frame is then
    // copied into it as premultiplied BGRA. The result is EndDraw's.
    HRESULT end_frame(ID2D1Bitmap1* retained, Bitmap* capture);
    // Presents the back buffer with one vertical blank; Present's result.
    // A frame may end without it when the screen shows its pixels already.
    HRESULT present();

    // Whether a result says the device is gone (removed or reset by the
    // driver, or a target Direct2D wants made again): nothing made on it
    // draws any more, and only a new device brings the window back.
    static bool is_loss(HRESULT result);

    // For tests, which cannot make a driver take the device away: the next
    // `count` calls of the step, on any device of this thread, report
    // `result` instead of their own (creation stops at its first step).
    enum class Step : std::uint8_t { Create, EndDraw, Present, ResizeBuffers };
    static void inject(Step step, HRESULT result, int count = 1);

private:
    RenderDevice() = default;
    HRESULT create_target();
    // Sleeps until the event query ended after the last present is done
    // (at most a second; a query that never completes is given up).
    void wait_for_last_present();
    // Ends the event query after a present that went through.
    void mark_present();
    void read_back(Bitmap& capture);

    ComPtr<ID3D11Device> m_d3d;
    ComPtr<ID3D11DeviceContext> m_d3d_context;
    ComPtr<IDXGIDevice> m_dxgi_device;
    ComPtr<IDXGIFactory2> m_dxgi_factory;
    ComPtr<IDXGISwapChain1> m_swap_chain;
    HANDLE m_latency_object = nullptr;
    bool m_frame_waited = false; // waited for on the latency object, not presented yet
    ComPtr<ID3D11Query> m_present_query;
    bool m_present_pending = false; // the query was ended after a present and not seen done
    bool m_present_query_failed = false;
    std::uint64_t m_presents_slept = 0;
    ComPtr<IDCompositionDevice> m_dcomp_device;
    ComPtr<IDCompositionTarget> m_dcomp_target;
    ComPtr<IDCompositionVisual> m_dcomp_visual;
    ComPtr<ID2D1Factory1> m_factory;
    ComPtr<ID2D1Device> m_d2d_device;
    ComPtr<ID2D1DeviceContext> m_context;
    ComPtr<ID2D1Bitmap1> m_target;
    SwapChainPlan m_plan;
};

// The texture's pixels as the CPU sees them, through a staging copy (BGRA
// rows without padding); empty when the copy cannot be made or mapped.
Bitmap read_texture(ID3D11Device* device, ID3D11DeviceContext* context, ID3D11Texture2D* texture);

}
