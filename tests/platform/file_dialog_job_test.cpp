// What the Linux file dialogs are asked for: the job made from a request and
// zenity's command line for it.
#include "platform/linux/detail/file_dialogs.hpp"

#include <gtest/gtest.h>

using namespace orvy;
using namespace orvy::linux_platform::detail;

TEST(FileDialogJob, patterns_become_filters_of_separate_globs_and_empty_specs_are_left_out)
{
    FileDialogSpec spec { .kind = FileDialogKind::Open, .title = u"Открыть",
        .patterns = { { u"Текст", u"*.txt; *.md" }, { u"Пусто", u" ; " }, { u"Всё", u"*" } } };
    DialogJob job = make_dialog_job(spec, 0x2a00007);
    EXPECT_EQ(job.title, "Открыть");
    EXPECT_EQ(job.parent, 0x2a00007u);
    EXPECT_EQ(job.filters,
        (std::vector<DialogFilter> { { "Текст", { "*.txt", "*.md" } }, { "Всё", { "*" } } }));
}

TEST(FileDialogJob, zenity_gets_the_kind_title_name_filters_and_owner)
{
    DialogJob open { .kind = FileDialogKind::Open, .title = "Открыть",
        .filters = { { "Text | docs", { "*.txt", "*.md" } } }, .parent = 42 };
    EXPECT_EQ(zenity_arguments(open),
        (std::vector<std::string> { "zenity", "--file-selection", "--title=Открыть",
            "--file-filter=Text / docs | *.txt *.md", "--attach=42", "--modal" }));

    DialogJob save { .kind = FileDialogKind::Save, .name = "отчёт.txt" };
    EXPECT_EQ(zenity_arguments(save),
        (std::vector<std::string> { "zenity", "--file-selection", "--save", "--confirm-overwrite",
            "--filename=отчёт.txt" }));

    // A folder dialog shows folders only: no filter, no file name.
    DialogJob folder { .kind = FileDialogKind::Folder, .title = "Папка", .name = "x",
        .filters = { { "Текст", { "*.txt" } } } };
    EXPECT_EQ(zenity_arguments(folder),
        (std::vector<std::string> { "zenity", "--file-selection", "--directory", "--title=Папка" }));
}
