// A window whose device the driver takes away: made anew with everything
// drawn on it, the same frame presented after the loss as before, and a
// device that cannot be made again reported and the window closed. Wine's
// driver never loses a device, so the loss is injected at the calls that
// report one.
#include "platform/win32/dwrite_text_engine.hpp"
#include "platform/win32/wic_image_decoder.hpp"
#include "tests/win32/check.hpp"
#include "tests/win32/options.hpp"
#include "tests/win32/support.hpp"

#include <cstdlib>

using namespace orvy;
using namespace orvy::win32_test;
using namespace std::chrono_literals;
using win32::D2DCanvas;
using win32::RenderDevice;
using win32::Win32Window;

namespace {

constexpr std::int32_t window_width = 420;
constexpr std::int32_t window_height = 200;

// A picture that only draws right when every pixel arrives: a gradient in
// both directions with a checker over it, encoded and decoded by WIC as an
// application's image would be.
Bitmap decoded_picture()
{
    Bitmap picture { 64, 48, {} };
    picture.pixels.resize(64 * 48 * 4);
    for (std::int32_t y = 0; y < picture.height; ++y) {
        for (std::int32_t x = 0; x < picture.width; ++x) {
            std::uint8_t* pixel = picture.pixels.data() + (static_cast<std::size_t>(y) * 64 + x) * 4;
            bool dark = ((x / 8) + (y / 8)) % 2 == 0;
            pixel[0] = static_cast<std::uint8_t>(x * 4);
            pixel[1] = static_cast<std::uint8_t>(y * 5);
            pixel[2] = dark ? 40 : 220;
            pixel[3] = 255;
        }
    }
    std::vector<std::uint8_t> png = encode({ picture }, GUID_ContainerFormatPng);
    win32::WicImageDecoder decoder;
    std::optional<Bitmap> decoded = decoder.decode(png, 0);
    return decoded ? *decoded : Bitmap {};
}

struct Seen {
    int paints = 0;
    std::vector<std::string> failures;
    bool closed = false;
};

// A frame of shapes, a decoded image and texts: two over the cleared
// background and one over a panel, all of them over one opaque colour, so
// that they are kept across frames.
class PictureHandlers final : public WindowHandlers {
public:
    PictureHandlers(Seen& seen, Bitmap const& image) : m_seen(seen), m_image(image) { }
    void paint(Canvas& canvas) override
    {
        ++m_seen.paints;
        canvas.clear(Color { 0.1f, 0.15f, 0.3f, 1 });
        canvas.fill_rounded_rect({ 16, 16, 140, 70 }, 12, Color { 0.9f, 0.3f, 0.1f, 1 });
        canvas.stroke_ellipse({ 170, 20, 60, 60 }, Color { 1, 1, 0, 1 }, 3);
        canvas.draw_bitmap(m_image, { 250, 20, 64, 48 });
        canvas.fill_rect({ 16, 120, 250, 60 }, Color { 0.95f, 0.95f, 0.9f, 1 });
        auto title = m_text.format(text_format_key(TextRole::Title, 0, 20));
        auto body = m_text.format(text_format_key(TextRole::Body, 0, 16));
        if (auto layout = title ? m_text.layout(u"Устройство", *title, 200, 30) : nullptr)
            canvas.draw_text(*layout, { 200, 84 }, Color { 1, 1, 1, 1 });
        if (auto layout = body ? m_text.layout(u"и создано заново", *body, 200, 30) : nullptr)
            canvas.draw_text(*layout, { 24, 134 }, Color { 0.1f, 0.1f, 0.1f, 1 });
        if (auto layout = body ? m_text.layout(u"orvy 2026", *body, 120, 30) : nullptr)
            canvas.draw_text(*layout, { 290, 150 }, Color { 0.6f, 0.9f, 0.6f, 1 });
    }

private:
    Seen& m_seen;
    Bitmap const& m_image;
    win32::DWriteTextEngine m_text;
};

WindowOptions at_origin()
{
    WindowOptions options;
    options.position = PointI { 0, 0 };
    options.width = window_width;
    options.height = window_height;
    options.frameless = true;
    return options;
}

Win32Window* open(Seen& seen, Bitmap const& image)
{
    WindowHooks hooks;
    hooks.on_failure = [&seen](std::string_view error) { seen.failures.emplace_back(error); };
    hooks.on_close = [&seen] { seen.closed = true; };
    WindowCreation made
        = host().create_window(at_origin(), std::move(hooks), std::make_unique<PictureHandlers>(seen, image));
    if (!made.window)
        std::printf("  window creation failed: %s\n", made.error.c_str());
    return static_cast<Win32Window*>(made.window);
}

void close(Win32Window* window)
{
    if (!window)
        return;
    WindowId id = window->id();
    window->request_close();
    serve_until(host(), [&] { return host().find(id) == nullptr; });
}

// The next frame the window paints, as it went to the back buffer.
Bitmap capture(Win32Window& window)
{
    Bitmap frame;
    window.capture_next_frame(&frame);
    window.invalidate();
    serve_until(host(), [&] { return !frame.is_empty(); });
    return frame;
}

// Asks for a frame that is presented though its calls are the last
// frame's, as after the system invalidates the window.
void present(Win32Window& window) { InvalidateRect(window.hwnd(), nullptr, FALSE); }

// The next frame drawn whole, as it went to the back buffer.
Bitmap capture_whole(Win32Window& window)
{
    window.canvas().redraw_all();
    return capture(window);
}

// Pixels whose colour differs in any channel.
std::size_t differing_pixels(Bitmap const& a, Bitmap const& b)
{
    if (a.width != b.width || a.height != b.height || a.pixels.empty())
        return static_cast<std::size_t>(-1);
    std::size_t differing = 0;
    for (std::size_t at = 0; at + 4 <= a.pixels.size(); at += 4)
        differing += a.pixels[at] != b.pixels[at] || a.pixels[at + 1] != b.pixels[at + 1]
            || a.pixels[at + 2] != b.pixels[at + 2];
    return differing;
}

// Asks the driver about the window's area of the X screen, repainting now
// and then meanwhile: under Wine the background erased when the window was
// shown can reach the screen late, over a frame already presented. The
// system's invalidation presents the frame though nothing in it changed.
bool ask_about_screen(Win32Window& window, std::string const& what, std::string const& name)
{
    POINT corner { 0, 0 };
    ClientToScreen(window.hwnd(), &corner);
    std::function<bool()> answered = request(what + " " + name + " " + std::to_string(corner.x) + " "
        + std::to_string(corner.y) + " " + std::to_string(window_width) + " " + std::to_string(window_height));
    auto painted = std::chrono::steady_clock::now();
    return serve_until(host(),
        [&] {
            if (std::chrono::steady_clock::now() - painted > 500ms) {
                InvalidateRect(window.hwnd(), nullptr, FALSE);
                painted = std::chrono::steady_clock::now();
            }
            return answered();
        },
        60s);
}

struct Loss {
    char const* name;
    RenderDevice::Step step;
    HRESULT result;
};

}

TEST_CASE(a_lost_device_is_made_anew_and_presents_the_frame_drawn_before)
{
    Bitmap image = decoded_picture();
    CHECK(image.width == 64 && image.height == 48);
    Loss const losses[] = {
        { "EndDraw asking for a new target", RenderDevice::Step::EndDraw,
            static_cast<HRESULT>(D2DERR_RECREATE_TARGET) },
        { "Present on a removed device", RenderDevice::Step::Present, DXGI_ERROR_DEVICE_REMOVED },
        { "Present on a reset device", RenderDevice::Step::Present, DXGI_ERROR_DEVICE_RESET },
        { "ResizeBuffers on a removed device", RenderDevice::Step::ResizeBuffers, DXGI_ERROR_DEVICE_REMOVED },
    };
    bool screen_compared = false;
    for (Loss const& loss : losses) {
        std::printf("  loss: %s\n", loss.name);
        Seen seen;
        Win32Window* window = open(seen, image);
        CHECK(window);
        if (!window)
            return;
        // Drawn whole again, the frame copies every text from the kept
        // texts' pages and draws none.
        capture(*window);
        Bitmap before = capture_whole(*window);
        CHECK(before.width == window_width && before.height == window_height);
        std::printf("  before the loss: %zu texts drawn, %zu copied\n", window->last_frame_calls().texts,
            window->last_frame_calls().kept_texts);
        CHECK(window->last_frame_calls().kept_texts == 3 && window->last_frame_calls().texts == 0);
        // The paths of the two panels (their insides copied, so paths with
        // a hole) were built by the frame before and found again.
        CHECK(window->last_frame_calls().paths_built == 0 && window->canvas().geometries().size() == 2);
        if (!screen_compared)
            CHECK(ask_about_screen(*window, "screen-keep", "device"));

        // The frame that meets the loss is not the one captured: the next,
        // on the new device, is.
        Bitmap after;
        window->capture_next_frame(&after);
        RenderDevice::inject(loss.step, loss.result);
        if (loss.step == RenderDevice::Step::ResizeBuffers)
            SendMessageW(window->hwnd(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(window_width, window_height));
        else
            window->invalidate();
        CHECK(serve_until(host(), [&] { return !after.is_empty(); }));
        CHECK(window->device_losses() == 1);
        CHECK(window->device() != nullptr);
        CHECK(seen.failures.empty() && !seen.closed);
        // That frame was drawn whole, its image and texts put on the new
        // device anew, and gave the pixels of the frame before the loss.
        D2DCanvas::FrameCalls const& calls = window->last_frame_calls();
        CHECK(calls.damage.x0 <= 0 && calls.damage.y0 <= 0 && calls.damage.x1 >= window_width
            && calls.damage.y1 >= window_height);
        CHECK(calls.texts == 3 && calls.kept_texts == 3);
        // The paths of the old device's factory went with it: built anew.
        CHECK(calls.paths_built == 2 && window->canvas().geometries().size() == 2);
        std::size_t differing = differing_pixels(before, after);
        std::printf("  %zu pixels differ after the loss\n", differing);
        CHECK(differing == 0);
        CHECK(rgb_at(after, 250 + 3, 20 + 3) == rgb_at(image, 3, 3));
        // Beside the gallery's picture, for a look at the frame after a loss.
        std::string out = options().get("out");
        if (!screen_compared && out.rfind('\\') != std::string::npos)
            CHECK(write_png(out.substr(0, out.rfind('\\') + 1) + "device_lost_frame.png", after));
        // The texts are kept on the new device from then on.
        Bitmap kept_again = capture_whole(*window);
        CHECK(window->last_frame_calls().kept_texts == 3 && window->last_frame_calls().texts == 0);
        CHECK(differing_pixels(before, kept_again) == 0);
        if (!screen_compared) {
            CHECK(ask_about_screen(*window, "screen-same", "device"));
            screen_compared = true;
        }
        close(window);
        CHECK(seen.closed && seen.failures.empty());
    }
}

TEST_CASE(other_failures_of_a_frame_keep_the_device)
{
    Bitmap image = decoded_picture();
    Seen seen;
    Win32Window* window = open(seen, image);
    CHECK(window);
    if (!window)
        return;
    Bitmap before = capture(*window);
    // A failing Present or EndDraw that is not a loss is left to the next
    // frame, as before: no new device for every error.
    RenderDevice::inject(RenderDevice::Step::Present, DXGI_ERROR_WAS_STILL_DRAWING);
    capture(*window);
    RenderDevice::inject(RenderDevice::Step::EndDraw, E_INVALIDARG);
    capture(*window);
    Bitmap after = capture(*window);
    CHECK(window->device_losses() == 0);
    CHECK(differing_pixels(before, after) == 0);
    CHECK(seen.failures.empty() && !seen.closed);
    close(window);
}

TEST_CASE(a_device_that_cannot_be_made_again_is_reported_and_the_window_closes)
{
    Bitmap image = decoded_picture();
    HRESULT const refusal = DXGI_ERROR_UNSUPPORTED;
    // What creating a window says when its device cannot be made.
    RenderDevice::inject(RenderDevice::Step::Create, refusal);
    Seen unmade;
    WindowCreation refused = host().create_window(at_origin(), {}, std::make_unique<PictureHandlers>(unmade, image));
    CHECK(refused.window == nullptr);
    CHECK(refused.error == win32::describe_hresult(refusal));
    CHECK(refused.error.rfind("0x887A0004", 0) == 0);

    Seen seen;
    Win32Window* window = open(seen, image);
    CHECK(window);
    if (!window)
        return;
    WindowId id = window->id();
    capture(*window);
    RenderDevice::inject(RenderDevice::Step::Create, refusal);
    RenderDevice::inject(RenderDevice::Step::Present, DXGI_ERROR_DEVICE_REMOVED);
    present(*window);
    CHECK(serve_until(host(), [&] { return host().find(id) == nullptr; }));
    // Reported once, in the words a failed creation uses, and the window
    // went with its close hook; nothing was retried meanwhile.
    CHECK((seen.failures == std::vector<std::string> { refused.error }));
    CHECK(seen.closed);
    RenderDevice::inject(RenderDevice::Step::Create, S_OK, 0);
}

TEST_CASE(a_device_lost_again_and_again_is_given_up)
{
    Bitmap image = decoded_picture();
    Seen seen;
    Win32Window* window = open(seen, image);
    CHECK(window);
    if (!window)
        return;
    WindowId id = window->id();
    capture(*window);
    // Every new device is lost at its first frame: the window makes
    // devices up to the limit, then reports the loss and closes.
    RenderDevice::inject(RenderDevice::Step::Present, DXGI_ERROR_DEVICE_REMOVED, 100);
    present(*window);
    int paints_before = seen.paints;
    CHECK(serve_until(host(), [&] { return host().find(id) == nullptr; }, 30s));
    CHECK(seen.paints - paints_before == Win32Window::loss_limit);
    CHECK((seen.failures == std::vector<std::string> { win32::describe_hresult(DXGI_ERROR_DEVICE_REMOVED) }));
    CHECK(seen.closed);
    RenderDevice::inject(RenderDevice::Step::Present, S_OK, 0);

    // A loss now and then, with frames presented in between, is no reason
    // to give up.
    Seen later;
    window = open(later, image);
    CHECK(window);
    if (!window)
        return;
    for (int loss = 1; loss <= Win32Window::loss_limit + 1; ++loss) {
        capture(*window);
        RenderDevice::inject(RenderDevice::Step::Present, DXGI_ERROR_DEVICE_RESET);
        present(*window);
        CHECK(serve_until(host(), [&] { return window->device_losses() == static_cast<std::uint64_t>(loss); }));
    }
    capture(*window);
    CHECK(window->device() != nullptr);
    CHECK(later.failures.empty() && !later.closed);
    close(window);
}

TEST_CASE(buffers_lost_as_they_are_sized_replace_the_device_at_once)
{
    Bitmap image = decoded_picture();
    HRESULT const removed = DXGI_ERROR_DEVICE_REMOVED;
    // Lost while the new window's buffers are sized: the window opens on
    // a device made anew, not on the lost one until a present notices.
    RenderDevice::inject(RenderDevice::Step::ResizeBuffers, removed);
    Seen seen;
    Win32Window* window = open(seen, image);
    CHECK(window);
    if (!window)
        return;
    CHECK(window->device_losses() == 1 && window->device() != nullptr);
    Bitmap first = capture(*window);
    CHECK(rgb_at(first, 250 + 3, 20 + 3) == rgb_at(image, 3, 3));

    // A resize whose replacement device is lost again as it is sized: each
    // loss makes another, and the frame after them is the frame before.
    RenderDevice::inject(RenderDevice::Step::ResizeBuffers, removed, 2);
    SendMessageW(window->hwnd(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(window_width, window_height));
    CHECK(window->device_losses() == 3 && window->device() != nullptr);
    CHECK(differing_pixels(first, capture(*window)) == 0);
    CHECK(seen.failures.empty() && !seen.closed);

    // Devices lost as fast as they are made are given up at the limit,
    // reported once, and the window closes.
    WindowId id = window->id();
    RenderDevice::inject(RenderDevice::Step::ResizeBuffers, removed, 100);
    SendMessageW(window->hwnd(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(window_width, window_height));
    CHECK(serve_until(host(), [&] { return host().find(id) == nullptr; }));
    CHECK((seen.failures == std::vector<std::string> { win32::describe_hresult(removed) }));
    CHECK(seen.closed);
    RenderDevice::inject(RenderDevice::Step::ResizeBuffers, S_OK, 0);
}
