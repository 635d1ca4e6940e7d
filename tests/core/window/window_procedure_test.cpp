#include "core/paint/recording_canvas.hpp"
#include "core/window/host.hpp"
#include "fake_window.hpp"

#include <gtest/gtest.h>

using namespace orvy;

namespace {

struct Script {
    bool changed = false;
    bool app_timers = false;
    int paints = 0;
    std::vector<ClientSize> sizes;
};

class ScriptedHandlers final : public WindowHandlers {
public:
    explicit ScriptedHandlers(Script& script) : m_script(script) { }
    bool frame_update() override { return m_script.changed; }
    bool has_app_timers() const override { return m_script.app_timers; }
    void paint(Canvas&) override { ++m_script.paints; }
    void resize(ClientSize size) override { m_script.sizes.push_back(size); }
    bool pointer_move(float x, float) override { return x > 100; }
    CursorKind cursor_kind() override { return CursorKind::Hand; }

private:
    Script& m_script;
};

class WindowProcedureTest : public ::testing::Test {
protected:
    WindowProcedure make(WindowHooks hooks = {})
    {
        return WindowProcedure(std::make_unique<ScriptedHandlers>(script), std::move(hooks));
    }

    Script script;
    FakeWindow window;
};

}

TEST_F(WindowProcedureTest, quiet_ticks_stop_the_timer_and_a_wake_restarts_it_with_a_repaint)
{
    WindowProcedure procedure = make();
    for (int i = 0; i < 9; ++i)
        procedure.tick(window);
    EXPECT_EQ(window.stops, 1);
    EXPECT_EQ(window.invalidations, 0);

    procedure.wake(window);
    EXPECT_EQ(window.starts, 1);
    EXPECT_EQ(window.invalidations, 1);
    procedure.wake(window);
    EXPECT_EQ(window.starts, 1);
}

TEST_F(WindowProcedureTest, changing_frames_and_app_timers_keep_the_timer_alive)
{
    WindowProcedure procedure = make();
    script.changed = true;
    for (int i = 0; i < 20; ++i)
        procedure.tick(window);
    EXPECT_EQ(window.invalidations, 20);
    script.changed = false;
    script.app_timers = true;
    for (int i = 0; i < 20; ++i)
        procedure.tick(window);
    EXPECT_EQ(window.stops, 0);
    script.app_timers = false;
    procedure.tick(window);
    EXPECT_EQ(window.stops, 1);
}

TEST_F(WindowProcedureTest, painting_a_sleeping_window_restarts_its_timer)
{
    WindowProcedure procedure = make();
    for (int i = 0; i < 9; ++i)
        procedure.tick(window);
    RecordingCanvas canvas;
    procedure.paint(window, canvas);
    EXPECT_EQ(script.paints, 1);
    EXPECT_EQ(window.starts, 1);
    EXPECT_TRUE(procedure.frame_timer().running());
}

TEST_F(WindowProcedureTest, pointer_events_capture_set_the_cursor_and_repaint_as_reported)
{
    WindowProcedure procedure = make();
    procedure.pointer_move(window, 10, 10);
    EXPECT_EQ(window.invalidations, 0);
    EXPECT_EQ(window.cursor, CursorKind::Hand);
    procedure.pointer_move(window, 200, 10);
    EXPECT_EQ(window.invalidations, 1);

    procedure.left_down(window, 1, 1);
    EXPECT_TRUE(window.captured);
    EXPECT_EQ(window.invalidations, 2); // a press always repaints
    procedure.left_up(window);
    EXPECT_FALSE(window.captured);
    EXPECT_EQ(window.invalidations, 2);
}

TEST_F(WindowProcedureTest, the_resize_hook_keeps_itself_over_a_replacement_installed_during_its_call)
{
    std::vector<std::pair<float, float>> calls;
    int replacement_calls = 0;
    WindowProcedure* running = nullptr;
    WindowHooks hooks;
    hooks.on_resize = [&](float w, float h) {
        calls.emplace_back(w, h);
        running->set_resize_hook([&](float, float) { ++replacement_calls; });
    };
    WindowProcedure procedure = make(std::move(hooks));
    running = &procedure;

    procedure.resize(window, { 800, 600 });
    procedure.resize(window, { 0, 0 });
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], (std::pair<float, float> { 800, 600 }));
    EXPECT_EQ(replacement_calls, 0);
    // A minimised window does not resize the render state.
    EXPECT_EQ(script.sizes, (std::vector<ClientSize> { { 800, 600 } }));
    EXPECT_EQ(window.invalidations, 2);
}

TEST_F(WindowProcedureTest, the_close_hook_runs_once)
{
    int closes = 0;
    WindowHooks hooks;
    hooks.on_close = [&] { ++closes; };
    WindowProcedure procedure = make(std::move(hooks));
    procedure.destroy();
    procedure.destroy();
    EXPECT_EQ(closes, 1);
}

TEST_F(WindowProcedureTest, a_failure_goes_to_the_failure_hook_or_to_standard_error_but_never_nowhere)
{
    std::vector<std::string> failures;
    WindowHooks hooks;
    hooks.on_failure = [&](std::string_view error) { failures.emplace_back(error); };
    WindowProcedure procedure = make(std::move(hooks));
    procedure.fail("0x887A0005: gone");
    procedure.fail("0x887A0004: again");
    EXPECT_EQ(failures, (std::vector<std::string> { "0x887A0005: gone", "0x887A0004: again" }));

    WindowProcedure silent = make({});
    testing::internal::CaptureStderr();
    silent.fail("0x887A0005: gone");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "0x887A0005: gone\n");
}
