// RenderDevice: device creation in order, each failing step ending it with
// its HRESULT; resize and the frame's begin, end and present.
#include "platform/win32/render_device.hpp"

#include <cstring>
#include <utility>

namespace orvy::win32 {

namespace {

// A call that reported success but handed back no object.
constexpr HRESULT missing_object = static_cast<HRESULT>(0x8004F001);

struct Injected {
    HRESULT result = S_OK;
    int count = 0;
};
thread_local Injected injected[4];

// The injected result of the step, used up one call at a time; `own` when
// none is left.
HRESULT injected_or(RenderDevice::Step step, HRESULT own)
{
    Injected& slot = injected[static_cast<std::size_t>(step)];
    if (slot.count <= 0)
        return own;
    --slot.count;
    return slot.result;
}

DXGI_SWAP_CHAIN_DESC1 swap_chain_description(SwapChainPlan const& plan)
{
    DXGI_SWAP_CHAIN_DESC1 description {};
    description.Width = plan.width;
    description.Height = plan.height;
    description.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
    description.SampleDesc.Count = 1;
    description.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
    description.BufferCount = 2;
    description.SwapEffect = DXGI_SWAP_EFFECT_FLIP_DISCARD;
    description.Scaling = plan.stretch ? DXGI_SCALING_STRETCH : DXGI_SCALING_NONE;
    description.AlphaMode = plan.premultiplied ? DXGI_ALPHA_MODE_PREMULTIPLIED : DXGI_ALPHA_MODE_IGNORE;
    description.Flags = plan.frame_latency_waitable ? DXGI_SWAP_CHAIN_FLAG_FRAME_LATENCY_WAITABLE_OBJECT : 0;
    return description;
}

}

RenderDevice::Created RenderDevice::create(HWND window, bool glass, std::int32_t width, std::int32_t height)
{
    std::unique_ptr<RenderDevice> device(new RenderDevice());
    auto fail = [](HRESULT result) { return Created { nullptr, FAILED(result) ? result : missing_object }; };

    if (HRESULT refused = injected_or(Step::Create, S_OK); FAILED(refused))
        return fail(refused);
    D3D_FEATURE_LEVEL levels[] = { D3D_FEATURE_LEVEL_11_1, D3D_FEATURE_LEVEL_11_0 };
    HRESULT result = D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, D3D11_CREATE_DEVICE_BGRA_SUPPORT,
        levels, ARRAYSIZE(levels), D3D11_SDK_VERSION, &device->m_d3d, nullptr, &device->m_d3d_context);
    if (FAILED(result) || !device->m_d3d)
        return fail(result);

    ComPtr<IDXGIAdapter> adapter;
    if (FAILED(result = device->m_d3d.As(&device->m_dxgi_device)))
        return fail(result);
    if (FAILED(result = device->m_dxgi_device->GetAdapter(&adapter)) || !adapter)
        return fail(result);
    if (FAILED(result = adapter->GetParent(IID_PPV_ARGS(&device->m_dxgi_factory))) || !device->m_dxgi_factory)
        return fail(result);

    // Glass first, as a composition swap chain shown by a visual; where
    // DirectComposition is not available the window path takes over.
    if (glass) {
        SwapChainPlan plan = plan_swap_chain(true, width, height);
        DXGI_SWAP_CHAIN_DESC1 description = swap_chain_description(plan);
        ComPtr<IDXGISwapChain1> chain;
        if (SUCCEEDED(device->m_dxgi_factory->CreateSwapChainForComposition(device->m_d3d.Get(), &description,
                nullptr, &chain))
            && chain
            && SUCCEEDED(DCompositionCreateDevice(device->m_dxgi_device.Get(), IID_PPV_ARGS(&device->m_dcomp_device)))
            && device->m_dcomp_device
            && SUCCEEDED(device->m_dcomp_device->CreateTargetForHwnd(window, TRUE, &device->m_dcomp_target))
            && SUCCEEDED(device->m_dcomp_device->CreateVisual(&device->m_dcomp_visual))
            && SUCCEEDED(device->m_dcomp_visual->SetContent(chain.Get()))
            && SUCCEEDED(device->m_dcomp_target->SetRoot(device->m_dcomp_visual.Get()))
            && SUCCEEDED(device->m_dcomp_device->Commit())) {
            device->m_swap_chain = chain;
            device->m_plan = plan;
        } else {
            device->m_dcomp_visual.Reset();
            device->m_dcomp_target.Reset();
            device->m_dcomp_device.Reset();
        }
    }
    if (!device->m_swap_chain) {
        device->m_plan = plan_swap_chain(false, width, height);
        DXGI_SWAP_CHAIN_DESC1 description = swap_chain_description(device->m_plan);
        result = device->m_dxgi_factory->CreateSwapChainForHwnd(device->m_d3d.Get(), window, &description, nullptr,
            nullptr, &device->m_swap_chain);
        if (FAILED(result) || !device->m_swap_chain)
            return fail(result);
        ComPtr<IDXGISwapChain2> chain2;
        // Without the newer interface the frame runs without waiting.
        if (SUCCEEDED(device->m_swap_chain.As(&chain2)) && chain2) {
            chain2->SetMaximumFrameLatency(1);
            device->m_latency_object = chain2->GetFrameLatencyWaitableObject();
        }
    }
    device->m_dxgi_factory->MakeWindowAssociation(window, DXGI_MWA_NO_ALT_ENTER);

    D2D1_FACTORY_OPTIONS options {};
    result = D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory1), &options,
        reinterpret_cast<void**>(device->m_factory.GetAddressOf()));
    if (FAILED(result) || !device->m_factory)
        return fail(result);
    if (FAILED(result = device->m_factory->CreateDevice(device->m_dxgi_device.Get(), &device->m_d2d_device))
        || !device->m_d2d_device)
        return fail(result);
    if (FAILED(result = device->m_d2d_device->CreateDeviceContext(D2D1_DEVICE_CONTEXT_OPTIONS_NONE,
                   &device->m_context))
        || !device->m_context)
        return fail(result);
    // One drawing unit is one physical pixel.
    device->m_context->SetDpi(96.0f, 96.0f);
    device->m_context->SetTextAntialiasMode(device->is_transparent() ? D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE
                                                                     : D2D1_TEXT_ANTIALIAS_MODE_CLEARTYPE);
    if (FAILED(result = device->create_target()))
        return fail(result);
    return { std::move(device), S_OK };
}

RenderDevice::~RenderDevice()
{
    if (m_context)
        m_context->SetTarget(nullptr);
    if (m_latency_object)
        CloseHandle(m_latency_object);
}

HRESULT RenderDevice::create_target()
{
    ComPtr<IDXGISurface> surface;
    HRESULT result = m_swap_chain->GetBuffer(0, IID_PPV_ARGS(&surface));
    if (FAILED(result) || !surface)
        return FAILED(result) ? result : missing_object;
    D2D1_BITMAP_PROPERTIES1 properties {};
    properties.pixelFormat.format = DXGI_FORMAT_B8G8R8A8_UNORM;
    properties.pixelFormat.alphaMode = is_transparent() ? D2D1_ALPHA_MODE_PREMULTIPLIED : D2D1_ALPHA_MODE_IGNORE;
    properties.dpiX = 96.0f;
    properties.dpiY = 96.0f;
    properties.bitmapOptions = D2D1_BITMAP_OPTIONS_TARGET | D2D1_BITMAP_OPTIONS_CANNOT_DRAW;
    result = m_context->CreateBitmapFromDxgiSurface(surface.Get(), &properties, &m_target);
    if (FAILED(result) || !m_target)
        return FAILED(result) ? result : missing_object;
    m_context->SetTarget(m_target.Get());
    return S_OK;
}

bool RenderDevice::is_loss(HRESULT result)
{
    // mingw-w64 declares the Direct2D code unsigned.
    return result == static_cast<HRESULT>(D2DERR_RECREATE_TARGET) || result == DXGI_ERROR_DEVICE_REMOVED
        || result == DXGI_ERROR_DEVICE_RESET;
}

void RenderDevice::inject(Step step, HRESULT result, int count)
{
    injected[static_cast<std::size_t>(step)] = { result, count };
}

HRESULT RenderDevice::resize(std::uint32_t width, std::uint32_t height)
{
    if (width == 0 || height == 0)
        return S_OK;
    m_context->SetTarget(nullptr);
    m_target.Reset();
    UINT flags = m_plan.frame_latency_waitable ? DXGI_SWAP_CHAIN_FLAG_FRAME_LATENCY_WAITABLE_OBJECT : 0;
    HRESULT result = injected_or(Step::ResizeBuffers,
        m_swap_chain->ResizeBuffers(0, width, height, DXGI_FORMAT_UNKNOWN, flags));
    if (SUCCEEDED(result))
        create_target();
    return result;
}

void RenderDevice::begin_frame()
{
    // An object that lets a whole second pass without a signal never will:
    // the frames go on without it rather than wait a second each.
    // A frame waited for and not presented is still the swap chain's to
    // take: waiting again would wait for one more.
    if (m_latency_object && !std::exchange(m_frame_waited, true)
        && WaitForSingleObjectEx(m_latency_object, 1000, TRUE) == WAIT_TIMEOUT) {
        CloseHandle(m_latency_object);
        m_latency_object = nullptr;
    }
    m_context->BeginDraw();
}

HRESULT RenderDevice::end_frame(ID2D1Bitmap1* retained, Bitmap* capture)
{
    // Other errors of the frame are left to the next frame, which tries
    // again with the same objects; a lost device is the caller's to replace.
    HRESULT result = injected_or(Step::EndDraw, m_context->EndDraw());
    if (retained && m_target)
        m_target->CopyFromBitmap(nullptr, retained, nullptr);
    if (capture)
        read_back(*capture);
    return result;
}

HRESULT RenderDevice::present()
{
    wait_for_last_present();
    HRESULT result = injected_or(Step::Present, m_swap_chain->Present(1, 0));
    m_frame_waited = false;
    if (SUCCEEDED(result))
        mark_present();
    return result;
}

void RenderDevice::wait_for_last_present()
{
    if (!std::exchange(m_present_pending, false) || !m_present_query || !waits_for_presents())
        return;
    // The first look flushes the commands up to the query, the later ones
    // only look; a millisecond asleep between them.
    UINT flags = 0;
    for (int slept = 0; slept < 1000; ++slept) {
        HRESULT done = m_d3d_context->GetData(m_present_query.Get(), nullptr, 0, flags);
        // Done, or failed (a lost device, which the present reports).
        if (done != S_FALSE) {
            m_presents_slept += slept > 0;
            return;
        }
        flags = D3D11_ASYNC_GETDATA_DONOTFLUSH;
        Sleep(1);
    }
    // A query that lets a whole second pass is not waited for again: the
    // presents go on with the runtime's own wait.
    m_present_query.Reset();
    m_present_query_failed = true;
}

void RenderDevice::mark_present()
{
    if (!waits_for_presents())
        return;
    if (!m_present_query) {
        D3D11_QUERY_DESC description { D3D11_QUERY_EVENT, 0 };
        if (FAILED(m_d3d->CreateQuery(&description, &m_present_query)) || !m_present_query) {
            m_present_query.Reset();
            m_present_query_failed = true;
            return;
        }
    }
    m_d3d_context->End(m_present_query.Get());
    m_present_pending = true;
}

void RenderDevice::read_back(Bitmap& capture)
{
    capture = {};
    ComPtr<ID3D11Texture2D> buffer;
    if (SUCCEEDED(m_swap_chain->GetBuffer(0, IID_PPV_ARGS(&buffer))) && buffer)
        capture = read_texture(m_d3d.Get(), m_d3d_context.Get(), buffer.Get());
}

Bitmap read_texture(ID3D11Device* device, ID3D11DeviceContext* context, ID3D11Texture2D* texture)
{
    D3D11_TEXTURE2D_DESC description {};
    texture->GetDesc(&description);
    description.Usage = D3D11_USAGE_STAGING;
    description.BindFlags = 0;
    description.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    description.MiscFlags = 0;
    ComPtr<ID3D11Texture2D> staging;
    if (FAILED(device->CreateTexture2D(&description, nullptr, &staging)) || !staging)
        return {};
    context->CopyResource(staging.Get(), texture);
    D3D11_MAPPED_SUBRESOURCE mapped {};
    if (FAILED(context->Map(staging.Get(), 0, D3D11_MAP_READ, 0, &mapped)))
        return {};
    Bitmap picture;
    picture.width = static_cast<std::int32_t>(description.Width);
    picture.height = static_cast<std::int32_t>(description.Height);
    std::size_t row = std::size_t { description.Width } * 4;
    picture.pixels.resize(row * description.Height);
    for (UINT y = 0; y < description.Height; ++y)
        std::memcpy(picture.pixels.data() + row * y, static_cast<std::uint8_t const*>(mapped.pData) + mapped.RowPitch * y,
            row);
    context->Unmap(staging.Get(), 0);
    return picture;
}

}
