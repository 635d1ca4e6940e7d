#include "platform/linux/detail/key_map.hpp"
#include "platform/linux/detail/posted_events.hpp"
#include "platform/linux/detail/utf.hpp"

#include <gtest/gtest.h>

#include <poll.h>
#include <thread>

#include <X11/XF86keysym.h>
#include <X11/keysym.h>

using namespace orvy::linux_platform::detail;

namespace {

// X keycodes are evdev's plus 8.
constexpr unsigned key_z = 44 + 8;
constexpr unsigned key_1 = 2 + 8;
constexpr unsigned key_minus = 12 + 8;
constexpr unsigned key_iso = 86 + 8;

}

TEST(KeyMap, keys_map_to_windows_virtual_key_codes)
{
    EXPECT_EQ(virtual_key(XK_a, 0), 0x41u);
    EXPECT_EQ(virtual_key(XK_A, 0), 0x41u);
    EXPECT_EQ(virtual_key(XK_7, 0), 0x37u);
    EXPECT_EQ(virtual_key(XK_F5, 0), 0x74u);
    EXPECT_EQ(virtual_key(XK_F24, 0), 0x87u);
    EXPECT_EQ(virtual_key(XK_Return, 0), 0x0Du);
    EXPECT_EQ(virtual_key(XK_KP_Subtract, 0), 0x6Du);
    EXPECT_EQ(virtual_key(XK_minus, 0), 0xBDu);
    EXPECT_EQ(virtual_key(XK_Control_R, 0), 0x11u);
    EXPECT_EQ(virtual_key(XK_Delete, 0), 0x2Eu);
}

TEST(KeyMap, every_key_text_editing_and_hot_keys_name_has_its_code)
{
    struct Case {
        unsigned long keysym;
        std::uint32_t code;
    };
    Case const cases[] = {
        { XK_F1, 0x70 }, { XK_F12, 0x7B }, { XK_F13, 0x7C }, { XK_0, 0x30 }, { XK_9, 0x39 }, { XK_z, 0x5A },
        { XK_equal, 0xBB }, { XK_Left, 0x25 }, { XK_Up, 0x26 }, { XK_Right, 0x27 }, { XK_Down, 0x28 },
        { XK_Home, 0x24 }, { XK_End, 0x23 }, { XK_Prior, 0x21 }, { XK_Next, 0x22 }, { XK_Insert, 0x2D },
        { XK_BackSpace, 0x08 }, { XK_Tab, 0x09 }, { XK_ISO_Left_Tab, 0x09 }, { XK_Escape, 0x1B },
        { XK_space, 0x20 }, { XK_KP_0, 0x60 }, { XK_KP_9, 0x69 }, { XK_KP_Add, 0x6B }, { XK_KP_Enter, 0x0D },
        { XK_KP_Decimal, 0x6E }, { XK_KP_Divide, 0x6F }, { XK_KP_Multiply, 0x6A },
        { XF86XK_AudioRaiseVolume, 0xAF },
        // Keypad keys without Num Lock move as their labels say.
        { XK_KP_End, 0x23 }, { XK_KP_Up, 0x26 }, { XK_KP_Delete, 0x2E },
    };
    for (Case const& c : cases)
        EXPECT_EQ(virtual_key(c.keysym, 0), c.code) << std::hex << c.keysym;
}

TEST(KeyMap, letters_of_other_alphabets_fall_back_to_the_key_position)
{
    // A Russian layout types "я" on the key where a Latin layout has Z.
    EXPECT_EQ(virtual_key(XK_Cyrillic_ya, key_z), 0x5Au);
    EXPECT_EQ(virtual_key(XK_Cyrillic_ya, 0), 0u);
    EXPECT_EQ(virtual_key(XK_exclam, key_1), 0x31u);
    EXPECT_EQ(virtual_key(XK_Greek_alpha, key_minus), 0xBDu);
    EXPECT_EQ(virtual_key(0, key_iso), 0xE2u);
    EXPECT_EQ(virtual_key(0, 255), 0u);
    EXPECT_EQ(control_character(XK_BackSpace), 0x08);
    EXPECT_EQ(control_character(XK_KP_Enter), 0x0D);
    EXPECT_EQ(control_character(XK_a), 0);
}

TEST(PostedEvents, a_post_wakes_the_descriptor_once_and_wakeups_per_window_coalesce)
{
    auto posted = PostedEvents::create();
    ASSERT_TRUE(posted);
    auto readable = [&] {
        pollfd watched { posted->descriptor(), POLLIN, 0 };
        return ::poll(&watched, 1, 0) == 1;
    };
    EXPECT_FALSE(readable());
    std::thread([&] {
        for (int i = 0; i < 100; ++i)
            posted->post({ PostedKind::Wake, 7, nullptr });
        posted->post({ PostedKind::Close, 7, nullptr });
        posted->post({ PostedKind::Wake, 8, nullptr });
    }).join();
    EXPECT_TRUE(readable());
    std::vector<PostedEvent> taken = posted->take();
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(taken[0].kind, PostedKind::Wake);
    EXPECT_EQ(taken[0].window, 7u);
    EXPECT_EQ(taken[1].window, 8u);
    EXPECT_EQ(taken[2].kind, PostedKind::Close);
    EXPECT_FALSE(readable()) << "taking quiets the descriptor";
    EXPECT_TRUE(posted->take().empty());
    posted->post({ PostedKind::Wake, 7, nullptr });
    EXPECT_TRUE(readable()) << "a window's wake-up counts again once taken";
}

TEST(PostedEvents, a_full_queue_refuses_events_but_still_takes_wakeups)
{
    auto posted = PostedEvents::create();
    ASSERT_TRUE(posted);
    for (std::size_t i = 0; i < PostedEvents::limit; ++i)
        ASSERT_TRUE(posted->post({ PostedKind::Accessibility, 0, nullptr }));
    EXPECT_FALSE(posted->post({ PostedKind::Accessibility, 0, nullptr }));
    EXPECT_TRUE(posted->post({ PostedKind::Wake, 3, nullptr }));
    EXPECT_EQ(posted->take().size(), PostedEvents::limit + 1);
    EXPECT_TRUE(posted->post({ PostedKind::Accessibility, 0, nullptr }));
}

TEST(Utf, round_trips_and_replaces_what_is_malformed)
{
    std::u16string text = u"Ок \U0001F600!";
    std::vector<std::uint32_t> offsets;
    std::string utf8 = to_utf8(text, &offsets);
    EXPECT_EQ(utf8, "Ок \xF0\x9F\x98\x80!");
    EXPECT_EQ(offsets, (std::vector<std::uint32_t> { 0, 2, 4, 5, 5, 9, 10 }));
    EXPECT_EQ(to_utf16(utf8), text);

    EXPECT_EQ(to_utf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(to_utf16("a\xC0\xAF" "b\xF5\x80"), u"a\uFFFD\uFFFDb\uFFFD\uFFFD");
    EXPECT_EQ(to_utf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(to_utf16("abcdef", 4), u"abcd");
}
