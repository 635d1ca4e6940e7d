// Push callbacks: the Python callables (and signals) a widget reports its
// changes to, wrapped as the core callbacks that sit in node slots and in the
// event registry, each converting the core's value into the widget's arguments.
#pragma once

#include "python/invoke.hpp"
#include "python/window.hpp"

#include <optional>

namespace orvy::py {

// A widget's push target: its callback and, for widgets with `sig=`, the
// signal whose "st" hears the value first.
struct Push {
    std::optional<PyCallable> callback;
    std::optional<PyCallable> signal;
    std::weak_ptr<WindowState> window;

    // Either may be null or None (no callback, no signal).
    static Push make(WindowCall const& call, PyObject* callback, PyObject* signal = nullptr);
    bool empty() const { return !callback && !signal; }

    // Under the interpreter lock: `signal.st(signal_value())`, then
    // `callback(*callback_args())`. A failing step goes to the exception hook
    // and the next one still runs.
    template<class SignalValue, class CallbackArgs>
    void deliver(SignalValue&& signal_value, CallbackArgs&& callback_args) const
    {
        PyGILState_STATE gil = PyGILState_Ensure();
        {
            std::shared_ptr<WindowState> keep = window.lock();
            // A callable the window's collection dropped holds null: skipped.
            if (signal && signal->get())
                write_signal(signal->get(), signal_value(), keep.get());
            if (callback && callback->get()) {
                PyRef args = callback_args();
                if (!args)
                    report_exception();
                else
                    invoke(callback->get(), args.get(), keep.get());
            }
        }
        PyGILState_Release(gil);
    }

private:
    static void write_signal(PyObject* signal, PyRef value, WindowState* window);
};

// A float that stands for an index, with saturation (NaN gives 0).
std::int64_t float_to_index(float value);
// A 32-bit event index as a signed int: no_index is −1.
std::int64_t event_index(std::uint32_t index);

// Node slots.
ActivateCallback activate_plain(Push push);                    // clk()
ActivateCallback activate_checkbox(Push push, NodeId node);    // sig.st(on), clk()
ChangeCallback change_plain(Push push);                        // clk()            radio
ChangeCallback change_float(Push push);                        // ch(value)        slider, dial, spin
ChangeCallback change_index(Push push);                        // ch(index)        dropdown, tabs, rating, pager ...
ChangeCallback change_bool(Push push);                         // ch(on)           switch, toggle, accordion
ChangeCallback change_range(Push push, NodeId node);           // ch(lo, hi)
ChangeCallback change_time(Push push, NodeId node);            // ch(hours, minutes)
ChangeCallback change_calendar(Push push, NodeId node);        // ch(year, month, day)
ChangeCallback change_color(Push push, NodeId node);           // ch("#RRGGBB")
ChangeCallback change_menubar(Push push);                      // on_select(menu, item)
SubmitCallback submit_text(Push push);                         // sig.st(text)     text field
SubmitCallback submit_paths(Push push);                        // on(paths)
SubmitCallback submit_command(Push push, NodeId node);         // on(cmd) -> lines appended

// Event registry.
EventCallback event_plain(Push push);                          // f()              LayerClosed
EventCallback event_cell(Push push);                           // f(row, column)   RowClick, RowDoubleClick
EventCallback event_opened(Push push);                         // f(row, open)     RowOpened
EventCallback event_list_selection(Push push, NodeId node);    // ch(index) / ch([indexes])
EventCallback event_tree_selection(Push push, NodeId node);    // ch([rows])
EventCallback event_pointer(Push push);                        // f(i, x, y)       canvas
EventCallback event_point(Push push);                          // f(x, y)          RightClick
EventCallback event_columns(Push push, NodeId node);           // on_cols([widths]) ColumnsChanged

// Wheel handlers.
WheelCallback wheel_handler(Push push);                        // f(notches, x, y)

}
