#include "core/window/file_dialog.hpp"
#include "fake_window.hpp"

#include <gtest/gtest.h>

using namespace orvy;

namespace {

struct Answers {
    std::vector<std::string> paths;

    FileDialogRequest request(std::u16string title)
    {
        return { .dialog = { .title = std::move(title) },
            .on_done = [this](std::string_view path) { paths.emplace_back(path); } };
    }
};

std::vector<Text> titles(FakeWindow const& window)
{
    std::vector<Text> result;
    for (FileDialogSpec const& dialog : window.shown_dialogs)
        result.push_back(dialog.title);
    return result;
}

}

TEST(FilePatterns, a_spec_splits_at_semicolons_without_blanks_or_empty_pieces)
{
    EXPECT_EQ(split_pattern_spec(u"*.png; *.jpg ;;\t*.gif"), (std::vector<Text> { u"*.png", u"*.jpg", u"*.gif" }));
    EXPECT_EQ(split_pattern_spec(u"*"), (std::vector<Text> { u"*" }));
    EXPECT_TRUE(split_pattern_spec(u"").empty());
    EXPECT_TRUE(split_pattern_spec(u" ; ").empty());
}

TEST(FileDialogRunner, dialogs_answered_through_the_loop_open_one_at_a_time_in_request_order)
{
    FakeWindow window;
    FileDialogRunner runner;
    Answers answers;
    std::vector<FileDialogRequest> first;
    first.push_back(answers.request(u"one"));
    first.push_back(answers.request(u"two"));
    runner.run(window, std::move(first));
    EXPECT_EQ(titles(window), (std::vector<Text> { u"one" }));
    EXPECT_TRUE(runner.is_open());

    // A request made while a dialog is open waits behind the others.
    std::vector<FileDialogRequest> later;
    later.push_back(answers.request(u"three"));
    runner.run(window, std::move(later));
    EXPECT_EQ(window.shown_dialogs.size(), 1u);
    EXPECT_EQ(runner.waiting(), 2u);

    int invalidations = window.invalidations;
    FileDialogDone answer = std::move(window.open_dialogs.at(0));
    answer("/tmp/a.txt");
    EXPECT_EQ(answers.paths, (std::vector<std::string> { "/tmp/a.txt" }));
    EXPECT_GT(window.invalidations, invalidations);
    EXPECT_EQ(titles(window), (std::vector<Text> { u"one", u"two" }));

    FileDialogDone cancelled = std::move(window.open_dialogs.at(1));
    cancelled("");
    FileDialogDone last = std::move(window.open_dialogs.at(2));
    last("/home");
    EXPECT_EQ(answers.paths, (std::vector<std::string> { "/tmp/a.txt", "", "/home" }));
    EXPECT_EQ(titles(window), (std::vector<Text> { u"one", u"two", u"three" }));
    EXPECT_FALSE(runner.is_open());
}

TEST(FileDialogRunner, dialogs_answered_at_once_all_run_in_order_and_a_request_without_handler_is_fine)
{
    FakeWindow window;
    window.answer_at_once = "/picked";
    FileDialogRunner runner;
    Answers answers;
    std::vector<FileDialogRequest> requests;
    requests.push_back(answers.request(u"one"));
    requests.push_back({ .dialog = { .kind = FileDialogKind::Folder, .title = u"no handler" } });
    requests.push_back(answers.request(u"three"));
    runner.run(window, std::move(requests));
    EXPECT_EQ(titles(window), (std::vector<Text> { u"one", u"no handler", u"three" }));
    EXPECT_EQ(window.shown_dialogs[1].kind, FileDialogKind::Folder);
    EXPECT_EQ(answers.paths, (std::vector<std::string> { "/picked", "/picked" }));
    EXPECT_FALSE(runner.is_open());
    EXPECT_EQ(runner.waiting(), 0u);
}
