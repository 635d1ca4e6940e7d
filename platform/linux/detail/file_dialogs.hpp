// The system file dialogs of the Linux desktop: the desktop portal's file
// chooser over D-Bus, and zenity where no portal answers. Both run on a
// worker thread and block it until the user answers.
#pragma once

#include "core/window/file_dialog.hpp"
#include "core/window/window.hpp"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

typedef struct _GMainContext GMainContext;

namespace orvy::linux_platform::detail {

struct DialogFilter {
    std::string name;
    std::vector<std::string> globs;
    friend bool operator==(DialogFilter const&, DialogFilter const&) = default;
};

// A dialog as the worker runs it: UTF-8 values only, nothing of the UI thread.
struct DialogJob {
    FileDialogKind kind = FileDialogKind::Open;
    std::string title;
    std::string name;
    std::vector<DialogFilter> filters; // entries whose spec holds no pattern are left out
    unsigned long parent = 0;          // the owner's X11 window; 0 for none
};

DialogJob make_dialog_job(FileDialogSpec const& spec, unsigned long parent);

// Lets the UI thread end a dialog whose window has gone: the worker
// registers what it waits on, cancel() ends that wait.
class DialogCancel {
public:
    void cancel();
    bool cancelled() const { return m_cancelled; }
    // Each returns false when the dialog was cancelled before the wait began.
    bool waiting_on_child(pid_t child);
    bool waiting_on_context(GMainContext* context);
    void done_waiting();

private:
    std::mutex m_lock;
    std::atomic<bool> m_cancelled = false;
    pid_t m_child = 0;
    GMainContext* m_context = nullptr;
};

// The portal's answer: the path, "" when the user cancelled. Nothing when
// no portal answered (no session bus, no portal, no file chooser in it).
std::optional<std::string> run_portal_dialog(DialogJob const& job, DialogCancel& cancel);

// zenity's command line for the job, program name first.
std::vector<std::string> zenity_arguments(DialogJob const& job);
// Runs zenity; the path, or "" on cancel or when zenity cannot run.
std::string run_zenity_dialog(DialogJob const& job, DialogCancel& cancel);

// The open dialogs of the UI thread. Each runs on a worker thread of its
// own; its answer is handed back through a mailbox and reaches its callback
// on the UI thread, when the loop calls take_answers().
class FileDialogService {
public:
    // `notify` runs on a worker when an answer is waiting; it must be safe
    // on any thread (it wakes the loop).
    explicit FileDialogService(std::function<void()> notify);
    ~FileDialogService();
    FileDialogService(FileDialogService const&) = delete;
    FileDialogService& operator=(FileDialogService const&) = delete;

    void start(WindowId window, DialogJob job, FileDialogDone done);

    struct Answer {
        WindowId window = 0;
        FileDialogDone done;
        std::string path;
    };
    std::vector<Answer> take_answers();
    // The window is going: its dialogs close and their callbacks are dropped.
    void cancel_window(WindowId window);

private:
    struct Open {
        WindowId window = 0;
        FileDialogDone done;
        std::shared_ptr<DialogCancel> cancel;
    };
    struct Mailbox {
        std::mutex lock;
        std::vector<std::pair<std::uint64_t, std::string>> answers;
    };

    std::function<void()> m_notify;
    std::shared_ptr<Mailbox> m_mailbox = std::make_shared<Mailbox>();
    std::map<std::uint64_t, Open> m_open;
    std::uint64_t m_next_ticket = 1;
};

}
