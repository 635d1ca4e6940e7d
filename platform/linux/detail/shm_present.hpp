// ShmPresenter: frames handed to an X11 window through one shared-memory
// segment that outlives resizes.
#pragma once

#include <cstddef>
#include <memory>

#include <SDL.h>

struct _XDisplay;
struct _XGC;
struct _XImage;

namespace orvy::linux_platform::detail {

// SDL's window surface is a shared-memory image too, but SDL makes a new
// segment for every size, so each resize faults in and zeroes a whole
// frame's pages before the first pixel is drawn. This keeps the segment of
// the largest size drawn so far and draws smaller frames into its front.
class ShmPresenter {
public:
    // Null when the window is not an X11 window on a local server with
    // shared memory, or its visual does not take Cairo's 32-bit pixels as
    // they are; the window then draws through SDL's surface.
    static std::unique_ptr<ShmPresenter> create(SDL_Window* window);
    ~ShmPresenter();
    ShmPresenter(ShmPresenter const&) = delete;
    ShmPresenter& operator=(ShmPresenter const&) = delete;

    struct Target {
        unsigned char* pixels = nullptr;
        int stride = 0;
    };
    // Pixels for a frame of this size (each side at least 1), null when no
    // segment that large can be had. The pixels stay valid until the next
    // call with a larger size.
    Target target(int width, int height);
    // Shows the frame drawn into the last target and waits until the X
    // server has copied it.
    void present();

private:
    ShmPresenter(_XDisplay* display, unsigned long window, void* visual, int depth);
    bool grow(std::size_t bytes);
    void release_segment();

    _XDisplay* m_display;
    unsigned long m_window;
    void* m_visual;
    int m_depth;
    _XGC* m_gc = nullptr;
    _XImage* m_image = nullptr;
    struct Segment;
    std::unique_ptr<Segment> m_segment;
};

}
