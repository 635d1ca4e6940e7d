// FileDialogRunner and the pattern-spec splitting.
#include "core/window/file_dialog.hpp"

#include "core/window/host.hpp"

#include <memory>

namespace orvy {

std::vector<Text> split_pattern_spec(std::u16string_view spec)
{
    auto blank = [](char16_t unit) { return unit == u' ' || unit == u'\t'; };
    std::vector<Text> patterns;
    std::size_t start = 0;
    while (start <= spec.size()) {
        std::size_t end = spec.find(u';', start);
        if (end == std::u16string_view::npos)
            end = spec.size();
        std::size_t first = start, last = end;
        while (first < last && blank(spec[first]))
            ++first;
        while (last > first && blank(spec[last - 1]))
            --last;
        if (last > first)
            patterns.emplace_back(spec.substr(first, last - first));
        start = end + 1;
    }
    return patterns;
}

void FileDialogRunner::run(NativeWindow& window, std::vector<FileDialogRequest> requests)
{
    for (FileDialogRequest& request : requests)
        m_waiting.push_back(std::move(request));
    show_next(window);
}

void FileDialogRunner::show_next(NativeWindow& window)
{
    if (m_showing)
        return;
    m_showing = true;
    while (!m_open && !m_waiting.empty()) {
        FileDialogRequest request = std::move(m_waiting.front());
        m_waiting.pop_front();
        m_open = true;
        // The window holds the answer callback until the user answers; the
        // request's own callback travels inside it.
        auto on_done = std::make_shared<FileDialogDone>(std::move(request.on_done));
        window.show_file_dialog(request.dialog, [this, &window, on_done](std::string_view path) {
            finish(window, *on_done, path);
        });
    }
    m_showing = false;
}

void FileDialogRunner::finish(NativeWindow& window, FileDialogDone const& on_done, std::string_view path)
{
    m_open = false;
    if (on_done)
        on_done(path);
    window.invalidate();
    // An answer that came through the loop opens the next dialog here; one
    // given inside show_next lets its loop go on.
    show_next(window);
}

}
