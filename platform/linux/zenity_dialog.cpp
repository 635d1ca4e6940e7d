// File dialogs through zenity, for desktops without a portal.
#include "platform/linux/detail/file_dialogs.hpp"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace orvy::linux_platform::detail {

std::vector<std::string> zenity_arguments(DialogJob const& job)
{
    std::vector<std::string> arguments { "zenity", "--file-selection" };
    if (job.kind == FileDialogKind::Save)
        arguments.insert(arguments.end(), { "--save", "--confirm-overwrite" });
    if (job.kind == FileDialogKind::Folder)
        arguments.emplace_back("--directory");
    if (!job.title.empty())
        arguments.push_back("--title=" + job.title);
    if (job.kind == FileDialogKind::Save && !job.name.empty())
        arguments.push_back("--filename=" + job.name);
    if (job.kind != FileDialogKind::Folder) {
        for (DialogFilter const& filter : job.filters) {
            // zenity splits the entry at its last bar: the name keeps none.
            std::string entry;
            for (char c : filter.name)
                entry += c == '|' ? '/' : c;
            entry += " |";
            for (std::string const& glob : filter.globs)
                entry += ' ' + glob;
            arguments.push_back("--file-filter=" + entry);
        }
    }
    if (job.parent) {
        arguments.push_back("--attach=" + std::to_string(job.parent));
        arguments.emplace_back("--modal");
    }
    return arguments;
}

namespace {

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) { }
    ~Descriptor() { reset(); }
    Descriptor(Descriptor const&) = delete;
    Descriptor& operator=(Descriptor const&) = delete;
    int get() const { return m_fd; }
    void reset()
    {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

}

std::string run_zenity_dialog(DialogJob const& job, DialogCancel& cancel)
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return {};
    Descriptor read_end(ends[0]), write_end(ends[1]);

    std::vector<std::string> arguments = zenity_arguments(job);
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, write_end.get(), STDOUT_FILENO);
    // GTK's warnings are of no use to the script's user.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    int failed = posix_spawnp(&child, "zenity", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    write_end.reset();
    if (failed != 0)
        return {};

    if (!cancel.waiting_on_child(child))
        kill(child, SIGTERM);
    std::string output;
    char buffer[4096];
    for (;;) {
        ssize_t got = read(read_end.get(), buffer, sizeof buffer);
        if (got > 0)
            output.append(buffer, static_cast<std::size_t>(got));
        else if (got == 0 || errno != EINTR)
            break;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) { }
    cancel.done_waiting();

    // The path and a line feed on success; exit status 1 for cancel.
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || cancel.cancelled())
        return {};
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    return output;
}

}
