// File dialogs through zenity, for desktops without a portal.
#include "platform/linux/detail/file_dialogs.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
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

// The program's path on PATH; empty when it is not there.
std::string find_program(std::string_view name)
{
    char const* path = std::getenv("PATH");
    std::string_view directories = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!directories.empty()) {
        std::size_t end = std::min(directories.find(':'), directories.size());
        std::string candidate(directories.substr(0, end));
        candidate += '/';
        candidate += name;
        if (end > 0 && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        directories.remove_prefix(std::min(end + 1, directories.size()));
    }
    return {};
}

// Starts the program with its output into `output`. The child asks to be
// ended when the thread that started it goes, which the process dying
// includes, so that no dialog outlives the script. Between fork and exec
// only async-signal-safe calls are made. -1 when it cannot start.
pid_t start_child(std::string const& program, std::vector<char*>& argv, int output)
{
    Descriptor input(open("/dev/null", O_RDONLY | O_CLOEXEC)), errors(open("/dev/null", O_WRONLY | O_CLOEXEC));
    if (input.get() < 0 || errors.get() < 0)
        return -1;
    pid_t parent = getpid();
    pid_t child = fork();
    if (child == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(127);
        // GTK's warnings are of no use to the script's user.
        if (dup2(input.get(), STDIN_FILENO) < 0 || dup2(output, STDOUT_FILENO) < 0
            || dup2(errors.get(), STDERR_FILENO) < 0)
            _exit(127);
        execve(program.c_str(), argv.data(), environ);
        _exit(127);
    }
    return child;
}

// Appends what one read gives; false at the end of the output, on an error
// and, once the output does not block, when nothing more is waiting.
bool read_into(int output, std::string& read_so_far)
{
    char buffer[4096];
    for (;;) {
        ssize_t got = read(output, buffer, sizeof buffer);
        if (got > 0) {
            read_so_far.append(buffer, static_cast<std::size_t>(got));
            return true;
        }
        if (got == 0 || errno != EINTR)
            return false;
    }
}

// Reads the child's output until the child has exited, then takes what the
// pipe holds without waiting for its end: a process the child started (GTK
// launches a session bus daemon where none runs) inherits the output and
// may keep it open long after the answer. The child is left unreaped.
std::string read_until_exit(int output, pid_t child)
{
    // A descriptor that becomes readable when the child exits; without one
    // (kernels before 5.3) the exit is looked for every tenth of a second.
    Descriptor exited(static_cast<int>(syscall(SYS_pidfd_open, child, 0)));
    std::string read_so_far;
    bool open = true, running = true;
    while (open && running) {
        pollfd watched[2] = { { output, POLLIN, 0 }, { exited.get(), POLLIN, 0 } };
        int ready = poll(watched, exited.get() >= 0 ? 2 : 1, exited.get() >= 0 ? -1 : 100);
        if (ready < 0 && errno != EINTR)
            break;
        if (watched[0].revents)
            open = read_into(output, read_so_far);
        siginfo_t info {};
        running = waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
    }
    // The child is gone: what it wrote is in the pipe already.
    if (open && fcntl(output, F_SETFL, fcntl(output, F_GETFL) | O_NONBLOCK) == 0) {
        while (read_into(output, read_so_far)) { }
    }
    return read_so_far;
}

}

std::string run_zenity_dialog(DialogJob const& job, DialogCancel& cancel)
{
    std::string program = find_program("zenity");
    int ends[2];
    if (program.empty() || pipe2(ends, O_CLOEXEC) != 0)
        return {};
    Descriptor read_end(ends[0]), write_end(ends[1]);

    std::vector<std::string> arguments = zenity_arguments(job);
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = start_child(program, argv, write_end.get());
    write_end.reset();
    if (child < 0)
        return {};

    if (!cancel.waiting_on_child(child))
        kill(child, SIGTERM);
    std::string output = read_until_exit(read_end.get(), child);
    cancel.done_waiting();
    // Reaped only now, so that a cancel can never signal a reused id.
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) { }

    // The path and a line feed on success; exit status 1 for cancel.
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || cancel.cancelled())
        return {};
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    return output;
}

}
