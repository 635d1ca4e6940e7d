#include "core/style/css.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

using namespace orvy;

namespace {

Color const red = Color::from_rgb8(0xFF0000);
Color const green = Color::from_rgb8(0x00FF00);

class StyleSheets : public testing::Test {
protected:
    StyleSheets()
    {
        label = tree.append(tree.root, Model(NodeKind::Label));
        path = std::filesystem::temp_directory_path()
            / ("orvy_style_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".css");
        std::filesystem::remove(path);
    }
    ~StyleSheets() override { std::filesystem::remove(path); }

    // Writes the file and moves its time by `step` seconds, so that two writes
    // within the file system's clock granularity still differ in time.
    void write(std::string_view text, int step)
    {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() + std::chrono::seconds(step));
    }
    std::optional<Color> label_color() const { return tree.node(label).styles.base().text_color; }

    Tree tree;
    StyleContext styles;
    NodeId label;
    std::filesystem::path path;
};

}

TEST_F(StyleSheets, appending_and_replacing_the_inline_sheet)
{
    styles.apply_sheet(tree, "label { color: #f00 }", false);
    EXPECT_EQ(label_color(), red);
    styles.apply_sheet(tree, "label { radius: 2 }", false);
    EXPECT_EQ(label_color(), red);
    EXPECT_EQ(tree.node(label).styles.base().radius, 2.0f);
    tree.layout_dirty = false;
    styles.apply_sheet(tree, "label { shadow: 1 }", true);
    EXPECT_FALSE(label_color()); // what the replaced sheets set is restored
    EXPECT_FALSE(tree.node(label).styles.base().radius);
    EXPECT_EQ(styles.inline_sheet(), "label { shadow: 1 }");
    EXPECT_TRUE(tree.layout_dirty);
}

TEST_F(StyleSheets, queued_sheets_apply_in_order_at_the_drain)
{
    EXPECT_FALSE(styles.drain_stylesheet_queue(tree));
    SharedCell<StylesheetRequest> queue = tree.stylesheet_queue; // as the Python side holds it
    queue.push({ "label { color: #f00 }", false });
    queue.push({ "label { color: #0f0 }", true });
    queue.push({ "label { radius: 4 }", false });
    EXPECT_FALSE(label_color()); // nothing happens before the frame
    EXPECT_TRUE(styles.drain_stylesheet_queue(tree));
    EXPECT_EQ(label_color(), green);
    EXPECT_EQ(tree.node(label).styles.base().radius, 4.0f);
    EXPECT_TRUE(tree.stylesheet_queue.empty());
    EXPECT_FALSE(styles.drain_stylesheet_queue(tree));
}

TEST_F(StyleSheets, hot_reload_follows_rewrites_deletion_and_recreation_of_a_real_file)
{
    write("label { color: #f00 }", 0);
    styles.watch_file(tree, path.string());
    EXPECT_EQ(label_color(), red);
    EXPECT_FALSE(styles.check_hot_reload(tree)); // same time: the file is not read

    write("label { color: #0f0 }", 5);
    EXPECT_TRUE(styles.check_hot_reload(tree));
    EXPECT_EQ(label_color(), green);
    EXPECT_FALSE(styles.check_hot_reload(tree));

    std::filesystem::remove(path);
    EXPECT_TRUE(styles.check_hot_reload(tree));
    EXPECT_EQ(styles.watched_sheet(), "");
    EXPECT_FALSE(label_color());
    EXPECT_FALSE(styles.check_hot_reload(tree));

    write("label { color: #f00 }", 10);
    EXPECT_TRUE(styles.check_hot_reload(tree));
    EXPECT_EQ(label_color(), red);
}

TEST_F(StyleSheets, the_watched_sheet_is_kept_apart_from_the_inline_sheet)
{
    write("label { color: #f00 }", 0);
    styles.watch_file(tree, path.string());
    styles.apply_sheet(tree, "label { radius: 1 }", true);
    EXPECT_EQ(label_color(), red);
    EXPECT_EQ(styles.sheet_text(), "label { radius: 1 }\nlabel { color: #f00 }");
}

TEST_F(StyleSheets, a_missing_or_non_utf8_file_reads_as_empty_and_a_bom_is_dropped)
{
    EXPECT_EQ(read_sheet_file(path.string()), "");
    EXPECT_EQ(sheet_file_time(path.string()), unix_epoch_file_time);
    EXPECT_EQ(read_sheet_file(std::filesystem::temp_directory_path().string()), "");
    write("label { color: #f00 } \xff", 0);
    EXPECT_EQ(read_sheet_file(path.string()), "");
    write("\xEF\xBB\xBFlabel{a:b}", 0);
    EXPECT_EQ(read_sheet_file(path.string()), "label{a:b}");
    styles.apply_file(tree, path.string(), false);
    EXPECT_EQ(styles.inline_sheet(), "\nlabel{a:b}");
}

TEST_F(StyleSheets, file_times_count_100ns_steps_from_1601)
{
    write("x", 0);
    auto const when = std::chrono::sys_days { std::chrono::year { 2020 } / 1 / 1 } + std::chrono::milliseconds(1234);
    std::filesystem::last_write_time(path, std::chrono::file_clock::from_sys(when));
    // 2020-01-01 is 1577836800 s after 1970.
    EXPECT_EQ(sheet_file_time(path.string()), unix_epoch_file_time + 15778368000000000 + 12340000);
}

TEST_F(StyleSheets, every_window_of_the_thread_follows_the_shared_sheets_with_its_own_snapshot)
{
    Tree other;
    NodeId button = other.append(other.root, Model(NodeKind::Button));
    other.node(button).styles.base_mut().shadow = 2; // same node count as `tree`, different styles

    write("label { color: #f00 } button { radius: 3 }", 0);
    styles.watch_file(tree, path.string());
    EXPECT_TRUE(styles.check_hot_reload(other)); // the other window catches up at its next frame
    EXPECT_EQ(other.node(button).styles.base().radius, 3.0f);
    EXPECT_FALSE(styles.check_hot_reload(tree));

    write("label { color: #0f0 }", 5);
    EXPECT_TRUE(styles.check_hot_reload(tree));
    EXPECT_TRUE(styles.check_hot_reload(other));
    EXPECT_EQ(label_color(), green);
    EXPECT_FALSE(other.node(button).styles.base().radius);
    EXPECT_EQ(other.node(button).styles.base().shadow, 2.0f); // restored from its own snapshot
    EXPECT_FALSE(tree.node(label).styles.base().shadow);
}
