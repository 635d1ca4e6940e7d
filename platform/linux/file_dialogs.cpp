// FileDialogService: worker threads for the system file dialogs and the
// mailbox that brings their answers back to the UI thread.
#include "platform/linux/detail/file_dialogs.hpp"

#include "platform/linux/detail/utf.hpp"

#include <csignal>
#include <system_error>
#include <thread>

#include <glib.h>

namespace orvy::linux_platform::detail {

DialogJob make_dialog_job(FileDialogSpec const& spec, unsigned long parent)
{
    DialogJob job { .kind = spec.kind, .title = to_utf8(spec.title), .name = to_utf8(spec.name), .parent = parent };
    for (FilePattern const& pattern : spec.patterns) {
        DialogFilter filter { .name = to_utf8(pattern.name) };
        for (Text const& glob : split_pattern_spec(pattern.spec))
            filter.globs.push_back(to_utf8(glob));
        if (!filter.globs.empty())
            job.filters.push_back(std::move(filter));
    }
    return job;
}

void DialogCancel::cancel()
{
    std::lock_guard guard(m_lock);
    m_cancelled = true;
    if (m_child > 0)
        kill(m_child, SIGTERM);
    if (m_context)
        g_main_context_wakeup(m_context);
}

bool DialogCancel::waiting_on_child(pid_t child)
{
    std::lock_guard guard(m_lock);
    m_child = child;
    return !m_cancelled;
}

bool DialogCancel::waiting_on_context(GMainContext* context)
{
    std::lock_guard guard(m_lock);
    m_context = context;
    return !m_cancelled;
}

void DialogCancel::done_waiting()
{
    std::lock_guard guard(m_lock);
    m_child = 0;
    m_context = nullptr;
}

FileDialogService::FileDialogService(std::function<void()> notify) : m_notify(std::move(notify)) { }

FileDialogService::~FileDialogService()
{
    for (auto& [ticket, open] : m_open)
        open.cancel->cancel();
}

void FileDialogService::start(WindowId window, DialogJob job, FileDialogDone done)
{
    std::uint64_t ticket = m_next_ticket++;
    auto cancel = std::make_shared<DialogCancel>();
    m_open.emplace(ticket, Open { window, std::move(done), cancel });
    // The worker owns copies of everything it touches, so it may outlive
    // the window and the host; an answer nobody waits for is dropped.
    auto answer = [mailbox = m_mailbox, notify = m_notify, ticket](std::string path) {
        {
            std::lock_guard guard(mailbox->lock);
            mailbox->answers.emplace_back(ticket, std::move(path));
        }
        notify();
    };
    try {
        std::thread([job = std::move(job), cancel, answer] {
            std::optional<std::string> path = run_portal_dialog(job, *cancel);
            if (!path && !cancel->cancelled())
                path = run_zenity_dialog(job, *cancel);
            answer(path.value_or(std::string {}));
        }).detach();
    } catch (std::system_error const&) {
        answer({}); // no thread to run it: the dialog fails as cancelled
    }
}

std::vector<FileDialogService::Answer> FileDialogService::take_answers()
{
    std::vector<std::pair<std::uint64_t, std::string>> arrived;
    {
        std::lock_guard guard(m_mailbox->lock);
        arrived.swap(m_mailbox->answers);
    }
    std::vector<Answer> answers;
    for (auto& [ticket, path] : arrived) {
        auto found = m_open.find(ticket);
        if (found == m_open.end())
            continue; // its window went before the answer came
        answers.push_back({ found->second.window, std::move(found->second.done), std::move(path) });
        m_open.erase(found);
    }
    return answers;
}

void FileDialogService::cancel_window(WindowId window)
{
    std::erase_if(m_open, [window](auto const& entry) {
        if (entry.second.window != window)
            return false;
        entry.second.cancel->cancel();
        return true;
    });
}

}
