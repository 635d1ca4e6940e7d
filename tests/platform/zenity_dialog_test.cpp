// Running zenity: a stand-in script on PATH plays it, so that what the
// reader does with the child's output and exit is seen without a display.
#include "platform/linux/detail/file_dialogs.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <thread>

using namespace orvy::linux_platform::detail;
namespace fs = std::filesystem;

namespace {

// A directory holding an executable `zenity` with the given body, put first
// on PATH while the object lives.
class FakeZenity {
public:
    explicit FakeZenity(std::string const& body)
    {
        char pattern[] = "/tmp/orvy-zenity-XXXXXX";
        m_directory = mkdtemp(pattern);
        fs::path script = m_directory / "zenity";
        std::ofstream(script) << "#!/bin/sh\nhere='" << m_directory.string() << "'\n" << body;
        fs::permissions(script, fs::perms::owner_all);
        char const* path = std::getenv("PATH");
        m_path = path ? path : "";
        setenv("PATH", (m_directory.string() + ":" + m_path).c_str(), 1);
    }
    ~FakeZenity()
    {
        setenv("PATH", m_path.c_str(), 1);
        if (pid_t holder = read_pid("holder"))
            kill(holder, SIGKILL);
        fs::remove_all(m_directory);
    }
    // The process id the script wrote into `name`; 0 until it has.
    pid_t read_pid(char const* name) const
    {
        pid_t pid = 0;
        std::ifstream(m_directory / name) >> pid;
        return pid;
    }

private:
    fs::path m_directory;
    std::string m_path;
};

// Runs the dialog on a thread; a reader that hangs fails the test instead
// of the whole suite (the deadline is a guard, not a measure).
std::string run_with_guard(FakeZenity const& fake, DialogCancel& cancel)
{
    auto answer = std::async(std::launch::async, [&cancel] { return run_zenity_dialog(DialogJob {}, cancel); });
    if (answer.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
        ADD_FAILURE() << "the dialog call did not return after zenity exited";
        if (pid_t holder = fake.read_pid("holder"))
            kill(holder, SIGKILL); // ends the pipe, so the call returns
    }
    return answer.get();
}

}

TEST(ZenityDialog, the_answer_arrives_when_zenity_exits_though_a_process_it_started_keeps_its_output)
{
    // As GTK does when no session bus runs: a daemon started by zenity
    // inherits its output and outlives it.
    FakeZenity fake("sleep 600 &\necho $! > \"$here/holder\"\nprintf '/home/u/отчёт.txt\\n'\n");
    DialogCancel cancel;
    EXPECT_EQ(run_with_guard(fake, cancel), "/home/u/отчёт.txt");
    EXPECT_NE(fake.read_pid("holder"), 0);
}

TEST(ZenityDialog, a_cancel_by_the_user_or_by_the_window_gives_no_path)
{
    {
        FakeZenity fake("sleep 600 &\necho $! > \"$here/holder\"\necho /ignored\nexit 1\n");
        DialogCancel cancel;
        EXPECT_EQ(run_with_guard(fake, cancel), "");
    }
    // The window goes while the dialog is open: the dialog is ended.
    FakeZenity fake("echo $$ > \"$here/started\"\nexec sleep 600\n");
    DialogCancel cancel;
    std::thread closer([&] {
        for (int i = 0; i < 6000 && !fake.read_pid("started"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        cancel.cancel();
    });
    EXPECT_EQ(run_with_guard(fake, cancel), "");
    closer.join();
}
