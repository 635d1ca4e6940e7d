// A native window without a desktop: records what the window procedure and
// the frame pipeline ask of it.
#pragma once

#include "core/window/host.hpp"

#include <optional>
#include <string>
#include <vector>

namespace orvy {

class FakeWindow final : public NativeWindow {
public:
    WindowId id() const override { return 1; }
    ClientSize client_size() const override { return size; }
    void move(std::int32_t, std::int32_t) override { }
    void raise() override { }
    void request_close() override { ++close_requests; }
    void invalidate() override { ++invalidations; }
    void start_frame_timer() override { ++starts; }
    void stop_frame_timer() override { ++stops; }
    void set_cursor(CursorKind kind) override { cursor = kind; }
    void capture_pointer(bool on) override { captured = on; }
    void set_text_input_area(RectF) override { }
    bool is_transparent() const override { return transparent; }
    void set_backdrop(Backdrop backdrop) override { backdrops.push_back(backdrop); }
    std::shared_ptr<Waker> waker() override { return nullptr; }
    void request_file_dialogs() override { ++file_dialog_requests; }
    // Answers with `answer_at_once` before returning when it is set, as a
    // modal call does; otherwise keeps the answer callback for the test.
    void show_file_dialog(FileDialogSpec const& dialog, FileDialogDone done) override
    {
        shown_dialogs.push_back(dialog);
        if (answer_at_once)
            done(*answer_at_once);
        else
            open_dialogs.push_back(std::move(done));
    }

    ClientSize size { 640, 480 };
    bool transparent = false;
    int invalidations = 0;
    int starts = 0;
    int stops = 0;
    CursorKind cursor = CursorKind::Arrow;
    bool captured = false;
    std::vector<Backdrop> backdrops;
    int close_requests = 0;
    int file_dialog_requests = 0;
    std::vector<FileDialogSpec> shown_dialogs;
    std::vector<FileDialogDone> open_dialogs;
    std::optional<std::string> answer_at_once;
};

}
