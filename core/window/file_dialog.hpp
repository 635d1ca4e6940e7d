// File dialogs: what a window queues for the system's open, save and folder
// dialogs, and the runner that shows them one at a time in request order.
#pragma once

#include "core/base/callback.hpp"
#include "core/models/model.hpp"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace orvy {

class NativeWindow;

enum class FileDialogKind : std::uint8_t { Open = 0, Save = 1, Folder = 2 };

// One entry of the file-type filter: a description and its patterns,
// several joined with semicolons ("Images", "*.png;*.jpg").
struct FilePattern {
    Text name;
    Text spec;
    friend bool operator==(FilePattern const&, FilePattern const&) = default;
};

// What the system dialog is asked to show.
struct FileDialogSpec {
    FileDialogKind kind = FileDialogKind::Open;
    Text title;                        // empty: the system's own title
    Text name;                         // save dialogs: the file name offered; empty: none
    std::vector<FilePattern> patterns; // empty: no filter
};

// The answer of a dialog: the chosen path in UTF-8, empty when the user
// cancelled or the dialog failed.
using FileDialogDone = Callback<void(std::string_view path)>;

struct FileDialogRequest {
    FileDialogSpec dialog;
    FileDialogDone on_done;
};

// The separate patterns of a filter entry's spec: split at semicolons,
// blanks around each trimmed, empty pieces skipped.
std::vector<Text> split_pattern_spec(std::u16string_view spec);

// Shows a window's queued dialogs one after another. The next dialog opens
// when the answer to the last one has been handed to its request, whether
// the window's dialogs answer at once (a modal call that runs its own loop)
// or later (an answer that arrives through the window's loop).
class FileDialogRunner {
public:
    // Appends `requests` behind those waiting and opens the next dialog
    // when none is open.
    void run(NativeWindow& window, std::vector<FileDialogRequest> requests);
    bool is_open() const { return m_open; }
    std::size_t waiting() const { return m_waiting.size(); }

private:
    void show_next(NativeWindow& window);
    void finish(NativeWindow& window, FileDialogDone const& on_done, std::string_view path);

    std::deque<FileDialogRequest> m_waiting;
    bool m_open = false;
    bool m_showing = false; // inside show_next: answers given at once continue its loop
};

}
