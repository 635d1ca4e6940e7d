#include "core/image/image.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

using namespace orvy;

TEST(ImageSource, a_frame_suffix_is_split_off_at_the_last_bar)
{
    EXPECT_EQ(parse_image_source("anim.gif|7"), (ImageSource { false, "anim.gif", 7 }));
    EXPECT_EQ(parse_image_source("a|b/anim.gif|+3"), (ImageSource { false, "a|b/anim.gif", 3 }));
    EXPECT_EQ(parse_image_source("photo.png"), (ImageSource { false, "photo.png", 0 }));
    EXPECT_EQ(parse_image_source("mem:12"), (ImageSource { true, "mem:12", 0 }));
    EXPECT_EQ(parse_image_source("x.gif|99999999999999").frame, 0xFFFFFFFFu);
}

TEST(ImageSource, a_suffix_that_is_not_a_number_stays_part_of_the_path)
{
    for (char const* text : { "odd|name.png", "x.gif|", "x.gif|+", "x.gif|-1", "x.gif|1e3" })
        EXPECT_EQ(parse_image_source(text), (ImageSource { false, text, 0 })) << text;
}

TEST(FitMode, unknown_words_contain)
{
    EXPECT_EQ(parse_fit_mode("cover"), FitMode::Cover);
    EXPECT_EQ(parse_fit_mode("stretch"), FitMode::Fill);
    EXPECT_EQ(parse_fit_mode("fill"), FitMode::Fill);
    EXPECT_EQ(parse_fit_mode("center"), FitMode::None);
    EXPECT_EQ(parse_fit_mode("none"), FitMode::None);
    EXPECT_EQ(parse_fit_mode("Cover"), FitMode::Contain);
    EXPECT_EQ(parse_fit_mode(""), FitMode::Contain);
}

TEST(FitImage, each_mode_places_a_wide_bitmap_in_a_square_box)
{
    RectF box { 10, 10, 100, 100 };
    EXPECT_EQ(fit_image(200, 100, box, FitMode::Contain), (FitPlacement { { 10, 35, 100, 50 }, false }));
    EXPECT_EQ(fit_image(200, 100, box, FitMode::Cover), (FitPlacement { { -40, 10, 200, 100 }, true }));
    EXPECT_EQ(fit_image(200, 100, box, FitMode::Fill), (FitPlacement { box, false }));
    EXPECT_EQ(fit_image(40, 20, box, FitMode::None), (FitPlacement { { 40, 50, 40, 20 }, true }));
    EXPECT_FALSE(fit_image(0, 100, box, FitMode::Contain));
    EXPECT_FALSE(fit_image(10, -1, box, FitMode::Fill));
}

namespace {

// Decodes "ok" into a 2 x 1 bitmap whose first byte is the frame asked for.
class ScriptedDecoder final : public ImageDecoder {
public:
    std::optional<Bitmap> decode(std::span<std::uint8_t const> bytes, std::uint32_t frame) override
    {
        ++decodes;
        if (bytes.size() != 2 || bytes[0] != 'o' || bytes[1] != 'k')
            return std::nullopt;
        return Bitmap { 2, 1, { static_cast<std::uint8_t>(frame), 0, 0, 0, 0, 0, 0, 0 } };
    }
    std::uint32_t frame_count(std::span<std::uint8_t const>) override { return 1; }

    int decodes = 0;
};

class TempFile {
public:
    TempFile(std::string const& name, std::string const& content)
        : m_path(std::filesystem::temp_directory_path() / name)
    {
        std::ofstream(m_path, std::ios::binary) << content;
    }
    ~TempFile() { std::filesystem::remove(m_path); }
    std::string path() const { return m_path.string(); }

private:
    std::filesystem::path m_path;
};

}

TEST(ImageCache, decodes_each_source_once_and_remembers_failures)
{
    TempFile good("orvy_image_cache_good.bin", "ok");
    TempFile bad("orvy_image_cache_bad.bin", "no");
    std::vector<std::string> sources { good.path(), good.path() + "|4", bad.path(), "/nonexistent/x.png", "mem:1",
        "mem:2" };
    std::map<std::string, std::string, std::less<>> memory { { "mem:1", "ok" } };
    MemoryImageLookup lookup = [&](std::string_view key) {
        auto found = memory.find(key);
        if (found == memory.end())
            return std::span<std::uint8_t const> {};
        return std::span(reinterpret_cast<std::uint8_t const*>(found->second.data()), found->second.size());
    };

    ScriptedDecoder decoder;
    ImageCache cache;
    EXPECT_EQ(cache.load(sources, decoder, lookup), 3u);
    EXPECT_EQ(cache.find(good.path())->pixels[0], 0);
    EXPECT_EQ(cache.find(good.path() + "|4")->pixels[0], 4);
    EXPECT_NE(cache.find("mem:1"), nullptr);
    EXPECT_EQ(cache.find(bad.path()), nullptr);
    EXPECT_EQ(cache.find("mem:2"), nullptr);
    EXPECT_TRUE(cache.has_tried("mem:2"));
    EXPECT_FALSE(cache.has_tried("other"));

    int decodes = decoder.decodes;
    EXPECT_EQ(cache.load(sources, decoder, lookup), 0u);
    EXPECT_EQ(decoder.decodes, decodes);

    memory["mem:2"] = "ok";
    cache.forget_failures();
    EXPECT_EQ(cache.load(sources, decoder, lookup), 1u);
    EXPECT_NE(cache.find("mem:2"), nullptr);
}

TEST(ReadFile, refuses_missing_files_directories_and_files_over_the_limit)
{
    TempFile file("orvy_read_file.bin", std::string(1000, 'x'));
    EXPECT_EQ(read_file(file.path(), 1000)->size(), 1000u);
    EXPECT_FALSE(read_file(file.path(), 999));
    EXPECT_FALSE(read_file("/nonexistent/file", 1000));
    EXPECT_FALSE(read_file(std::filesystem::temp_directory_path().string(), 1000));

    ScriptedDecoder decoder;
    EXPECT_EQ(decoder.frame_count_file("/nonexistent/file"), 1u);
}

TEST(DecodeLimits, refuse_empty_and_oversized_pictures)
{
    DecodeLimits limits;
    EXPECT_TRUE(limits.allows(16384, 4096));
    EXPECT_FALSE(limits.allows(16384, 16384));
    EXPECT_FALSE(limits.allows(100000, 1));
    EXPECT_FALSE(limits.allows(0, 10));
}

namespace {

// Decodes any bytes into a square bitmap of `side` pixels.
class SizedDecoder final : public ImageDecoder {
public:
    explicit SizedDecoder(std::int32_t side) : m_side(side) { }
    std::optional<Bitmap> decode(std::span<std::uint8_t const>, std::uint32_t) override
    {
        ++decodes;
        return Bitmap { m_side, m_side, std::vector<std::uint8_t>(static_cast<std::size_t>(m_side * m_side * 4)) };
    }
    std::uint32_t frame_count(std::span<std::uint8_t const>) override { return 1; }

    int decodes = 0;

private:
    std::int32_t m_side;
};

std::vector<std::string> memory_sources(std::initializer_list<int> numbers)
{
    std::vector<std::string> sources;
    for (int n : numbers)
        sources.push_back("mem:" + std::to_string(n));
    return sources;
}

MemoryImageLookup any_bytes()
{
    static std::uint8_t const byte = 0;
    return [](std::string_view) { return std::span<std::uint8_t const>(&byte, 1); };
}

}

TEST(ImageCache, images_shown_in_turn_stay_within_the_byte_bound)
{
    SizedDecoder decoder(100); // 40 000 bytes a bitmap
    ImageCache cache(100000);
    for (int i = 0; i < 60; ++i) {
        cache.load(memory_sources({ i }), decoder, any_bytes());
        EXPECT_LE(cache.bytes(), 100000u);
        ASSERT_NE(cache.find("mem:" + std::to_string(i)), nullptr);
    }
    EXPECT_EQ(cache.size(), 2u);
    EXPECT_EQ(decoder.decodes, 60);
}

TEST(ImageCache, sources_in_use_are_kept_over_the_bound_and_the_least_recently_used_go_first)
{
    SizedDecoder decoder(100);
    ImageCache cache(100000);
    cache.load(memory_sources({ 0, 1, 2, 3, 4 }), decoder, any_bytes());
    EXPECT_EQ(cache.size(), 5u);
    EXPECT_EQ(cache.bytes(), 200000u);
    cache.load(memory_sources({ 0 }), decoder, any_bytes());
    EXPECT_EQ(cache.bytes(), 80000u);
    EXPECT_NE(cache.find("mem:0"), nullptr);

    cache.clear();
    for (int i : { 1, 2, 1, 3 })
        cache.load(memory_sources({ i }), decoder, any_bytes());
    // 2 was used longer ago than 1, so 2 made room for 3; 1 was not decoded again.
    EXPECT_NE(cache.find("mem:1"), nullptr);
    EXPECT_EQ(cache.find("mem:2"), nullptr);
    EXPECT_NE(cache.find("mem:3"), nullptr);
    EXPECT_EQ(decoder.decodes, 5 + 3);
}
