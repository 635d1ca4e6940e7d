// The input method through a real X window into the window core: the
// composition shows at the caret without entering the text, the committed
// text is one edit, and the method itself opens only once a text field has
// the focus and the first frame is out.
#include "core/frame/window_core.hpp"
#include "core/models/text_field.hpp"
#include "core/style/css.hpp"
#include "platform/linux/image_decoder.hpp"
#include "platform/linux/pango_text_engine.hpp"
#include "platform/linux/x11_host.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

// Xlib last: its macros clash with names in core.
#include "platform/linux/detail/input_method.hpp"

#include <X11/keysym.h>

using namespace orvy;
using namespace std::chrono_literals;

namespace {

class InputMethodTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (host.screen_size() == ClientSize {})
            GTEST_SKIP() << "no X server to open windows on";
        TextboxModel field;
        field.text = u"ab";
        field.caret = field.anchor = 1;
        LayoutParams layout;
        layout.h = 40.0f;
        box = tree.append(tree.root, Model(NodeKind::Textbox, Boxed<TextboxModel>(std::move(field))), layout);
        auto made_core = std::make_unique<WindowCore>(tree, styles, WindowLook {}, WindowCells {},
            std::make_unique<linux_platform::PangoTextEngine>(), std::make_unique<linux_platform::LinuxImageDecoder>(),
            nullptr);
        core = made_core.get();
        core->pointer().set_focus(box);
        WindowOptions options;
        options.position = PointI { 0, 0 };
        options.width = 320;
        options.height = 120;
        WindowCreation made = host.create_window(options, {}, std::move(made_core));
        ASSERT_TRUE(made.window) << made.error;
        window = static_cast<linux_platform::X11Window*>(made.window);
    }

    bool serve_until(std::function<bool()> const& done)
    {
        auto deadline = std::chrono::steady_clock::now() + 5s;
        while (!done() && std::chrono::steady_clock::now() < deadline)
            host.serve_once(20ms);
        return done();
    }

    TextboxModel& model() { return *tree.node(box).model.as<TextboxModel>(); }

    // The tree outlives the host, whose windows hold the core that uses it.
    Tree tree;
    StyleContext styles;
    linux_platform::X11Host host;
    NodeId box;
    WindowCore* core = nullptr;
    linux_platform::X11Window* window = nullptr;
};

}

TEST_F(InputMethodTest, a_composition_shows_at_the_caret_and_the_commit_is_one_undo_step)
{
    ASSERT_TRUE(serve_until([&] { return tree.node(box).rect.w > 0; })) << "the first frame is laid out";
    window->deliver_preedit(u"жё");
    ASSERT_TRUE(serve_until([&] { return model().preedit == u"жё"; }));
    EXPECT_EQ(model().text, u"ab") << "the composition is not text yet";
    // The composition window is placed at the caret, inside the field.
    RectF field_rect = tree.node(box).rect;
    CaretLine caret = static_cast<TextServices&>(*core).caret_at(box, model().caret);
    EXPECT_GT(caret.x, field_rect.x);
    EXPECT_LT(caret.x, field_rect.x + field_rect.w);

    window->deliver_composed_text("жёлтый");
    ASSERT_TRUE(serve_until([&] { return model().text == u"aжёлтыйb"; }));
    EXPECT_TRUE(model().preedit.empty());
    EXPECT_EQ(model().caret, 7u);
    EXPECT_TRUE(undo(model()));
    EXPECT_EQ(model().text, u"ab") << "one undo step takes the whole commit back";
}

TEST_F(InputMethodTest, the_method_opens_after_the_first_frame_and_keys_are_typed_through_it)
{
    EXPECT_EQ(window->input_context(), nullptr) << "nothing of the input method before the first frame";
    ASSERT_TRUE(serve_until([&] { return window->input_context() != nullptr; }))
        << "the built-in method opens for a focused text field";
    XEvent event {};
    Display* display = host.display();
    event.type = KeyPress;
    event.xkey.display = display;
    event.xkey.window = window->xid();
    event.xkey.keycode = XKeysymToKeycode(display, XK_z);
    event.xkey.same_screen = True;
    XSendEvent(display, window->xid(), False, KeyPressMask, &event);
    ASSERT_TRUE(serve_until([&] { return model().text == u"azb"; }));
}

TEST(Preedit, changes_splice_into_the_composition_and_stay_within_it)
{
    using orvy::linux_platform::detail::splice_preedit;
    std::u32string preedit;
    splice_preedit(preedit, 0, 0, U"ni");
    splice_preedit(preedit, 2, 0, U"hao");
    EXPECT_EQ(preedit, U"nihao");
    splice_preedit(preedit, 0, 5, U"你好");
    EXPECT_EQ(preedit, U"你好");
    // A method that counts past the end replaces only what is there.
    splice_preedit(preedit, 1, 10, U"們");
    EXPECT_EQ(preedit, U"你們");
    splice_preedit(preedit, 7, 3, U"!");
    EXPECT_EQ(preedit, U"你們!");
    splice_preedit(preedit, 0, 3, U"");
    EXPECT_TRUE(preedit.empty());
}
