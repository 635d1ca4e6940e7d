// Input-method events through a real SDL window into the window core: the
// composition shows at the caret without entering the text, the committed
// text is one edit.
#include "core/frame/window_core.hpp"
#include "core/models/text_field.hpp"
#include "core/style/css.hpp"
#include "platform/linux/image_decoder.hpp"
#include "platform/linux/pango_text_engine.hpp"
#include "platform/linux/sdl_host.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

using namespace orvy;
using namespace std::chrono_literals;

namespace {

void push_text_event(Uint32 type, WindowId window, char const* utf8)
{
    SDL_Event event {};
    event.type = type;
    if (type == SDL_TEXTEDITING) {
        event.edit.windowID = window;
        std::strncpy(event.edit.text, utf8, sizeof event.edit.text - 1);
        event.edit.start = 0;
    } else {
        event.text.windowID = window;
        std::strncpy(event.text.text, utf8, sizeof event.text.text - 1);
    }
    SDL_PushEvent(&event);
}

}

TEST(InputMethod, sdl_composition_shows_at_the_caret_and_the_commit_is_one_undo_step)
{
    // The tree outlives the host, whose windows hold the core that uses it.
    Tree tree;
    StyleContext styles;
    linux_platform::SdlHost host;
    if (host.screen_size() == ClientSize {})
        GTEST_SKIP() << "no X server to open windows on";
    TextboxModel field;
    field.text = u"ab";
    field.caret = field.anchor = 1;
    LayoutParams layout;
    layout.h = 40.0f;
    NodeId box = tree.append(tree.root, Model(NodeKind::Textbox, Boxed<TextboxModel>(std::move(field))), layout);
    auto core = std::make_unique<WindowCore>(tree, styles, WindowLook {}, WindowCells {},
        std::make_unique<linux_platform::PangoTextEngine>(), std::make_unique<linux_platform::LinuxImageDecoder>(),
        nullptr);
    WindowCore& window_core = *core;
    window_core.pointer().set_focus(box);
    WindowOptions options;
    options.position = PointI { 0, 0 };
    options.width = 320;
    options.height = 120;
    WindowCreation made = host.create_window(options, {}, std::move(core));
    ASSERT_TRUE(made.window) << made.error;
    WindowId id = made.window->id();
    auto& model = *tree.node(box).model.as<TextboxModel>();
    auto serve_until = [&](auto done) {
        auto deadline = std::chrono::steady_clock::now() + 3s;
        while (!done() && std::chrono::steady_clock::now() < deadline)
            host.serve_once(20ms);
        return done();
    };

    push_text_event(SDL_TEXTEDITING, id, "жё");
    ASSERT_TRUE(serve_until([&] { return model.preedit == u"жё"; }));
    EXPECT_EQ(model.text, u"ab") << "the composition is not text yet";
    // The composition window is placed at the caret, inside the field.
    RectF field_rect = tree.node(box).rect;
    CaretLine caret = static_cast<TextServices&>(window_core).caret_at(box, model.caret);
    EXPECT_GT(caret.x, field_rect.x);
    EXPECT_LT(caret.x, field_rect.x + field_rect.w);

    push_text_event(SDL_TEXTINPUT, id, "жёлтый");
    ASSERT_TRUE(serve_until([&] { return model.text == u"aжёлтыйb"; }));
    EXPECT_TRUE(model.preedit.empty());
    EXPECT_EQ(model.caret, 7u);
    EXPECT_TRUE(undo(model));
    EXPECT_EQ(model.text, u"ab") << "one undo step takes the whole commit back";
}
