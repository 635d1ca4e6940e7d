// The clipboard against the command-line clipboard tools other programs
// are written against: xclip and xsel reading our text, xclip giving us its.
#include "platform/linux/x11_selection.hpp"

#include "platform/linux/detail/utf.hpp"

#include <gtest/gtest.h>

// After gtest: Xlib's macros would rename its names.
#include "x11_peer.hpp"

#include <csignal>
#include <fcntl.h>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace orvy;
using namespace orvy::x11_test;
using orvy::linux_platform::X11Clipboard;
using orvy::linux_platform::detail::to_utf8;

namespace {

bool has_tool(char const* name) { return std::system((std::string("command -v ") + name + " >/dev/null").c_str()) == 0; }

// A tool run with `input` on its standard input; its output is collected
// on a thread while the caller serves the display.
class Tool {
public:
    Tool(std::vector<std::string> arguments, std::string input)
    {
        int to_child[2], from_child[2];
        EXPECT_EQ(pipe(to_child), 0);
        EXPECT_EQ(pipe(from_child), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, to_child[0], 0);
        posix_spawn_file_actions_adddup2(&actions, from_child[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        for (int fd : { to_child[0], to_child[1], from_child[0], from_child[1] })
            posix_spawn_file_actions_addclose(&actions, fd);
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        EXPECT_EQ(posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(to_child[0]);
        close(from_child[1]);
        m_writer = std::thread([fd = to_child[1], input = std::move(input)] {
            for (std::size_t done = 0; done < input.size();) {
                ssize_t count = write(fd, input.data() + done, input.size() - done);
                if (count <= 0)
                    break;
                done += static_cast<std::size_t>(count);
            }
            close(fd);
        });
        m_reader = std::thread([this, fd = from_child[0]] {
            char buffer[65536];
            for (ssize_t count; (count = read(fd, buffer, sizeof buffer)) > 0;)
                m_output.append(buffer, static_cast<std::size_t>(count));
            close(fd);
        });
    }
    ~Tool()
    {
        if (!m_exited) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        m_writer.join();
        m_reader.join();
    }
    bool exited()
    {
        if (!m_exited)
            m_exited = waitpid(m_pid, nullptr, WNOHANG) == m_pid;
        return m_exited;
    }
    // Once it has exited.
    std::string const& output()
    {
        m_reader.join();
        m_reader = std::thread([] { });
        return m_output;
    }

private:
    pid_t m_pid = 0;
    bool m_exited = false;
    std::thread m_writer, m_reader;
    std::string m_output;
};

class ClipboardToolsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!ours.display)
            GTEST_SKIP() << "no X server";
        if (!has_tool("xclip") || !has_tool("xsel"))
            GTEST_SKIP() << "xclip or xsel is not installed (scripts/setup.sh installs them)";
        clipboard.emplace(ours.display, std::chrono::duration_cast<std::chrono::milliseconds>(patience));
    }

    // What the tool printed, our events served while it ran.
    std::string output_of(std::vector<std::string> arguments)
    {
        Tool tool(std::move(arguments), "");
        EXPECT_TRUE(pump_until(ours.display, [&](XEvent const& event) { clipboard->handle_event(event); },
            [&] { return tool.exited(); }));
        return tool.output();
    }

    Connection ours;
    std::optional<X11Clipboard> clipboard;
};

TEST_F(ClipboardToolsTest, xclip_and_xsel_read_our_text_whole_and_in_increments)
{
    std::u16string text = u"Grüße ☃\nzwei \U0001F600";
    ASSERT_TRUE(clipboard->set_text(text));
    EXPECT_EQ(output_of({ "xclip", "-o", "-selection", "clipboard" }), to_utf8(text));
    EXPECT_EQ(output_of({ "xsel", "--clipboard", "--output" }), to_utf8(text));
    EXPECT_EQ(output_of({ "xclip", "-o", "-selection", "clipboard", "-t", "STRING" }), "Gr\xFC\xDF" "e ?\nzwei ?");

    std::u16string large;
    while (large.size() < 900000)
        large += u"строка line \U0001F600\n";
    ASSERT_TRUE(clipboard->set_text(large));
    EXPECT_TRUE(output_of({ "xclip", "-o", "-selection", "clipboard" }) == to_utf8(large));
}

TEST_F(ClipboardToolsTest, text_that_xclip_puts_on_the_clipboard_is_read)
{
    for (std::string text : { std::string("от xclip: ☃ \xF0\x9F\x98\x80"), std::string(700000, 'y') }) {
        Window before = XGetSelectionOwner(ours.display, XInternAtom(ours.display, "CLIPBOARD", False));
        // In the foreground, serving one request and leaving.
        Tool tool({ "xclip", "-i", "-selection", "clipboard", "-quiet", "-loops", "1" }, text);
        ASSERT_TRUE(pump_until(
            ours.display, [](XEvent const&) { },
            [&] {
                Window owner = XGetSelectionOwner(ours.display, XInternAtom(ours.display, "CLIPBOARD", False));
                return owner != None && owner != before;
            }));
        std::u16string received = clipboard->text();
        EXPECT_TRUE(to_utf8(received) == text) << received.size() << " units";
        EXPECT_FALSE(clipboard->owns());
    }
}

}
