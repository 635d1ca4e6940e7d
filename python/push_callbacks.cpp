// Push callbacks: converting core values into each widget's callback arguments.
#include "python/push_callbacks.hpp"

#include "core/base/utf.hpp"
#include "core/operations/operations.hpp"

#include <cmath>
#include <cstdio>
#include <limits>

namespace orvy::py {

Push Push::make(WindowCall const& call, PyObject* callback, PyObject* signal)
{
    Push push;
    push.window = call.object->state;
    if (callback && callback != Py_None)
        push.callback.emplace(callback, push.window);
    if (signal && signal != Py_None)
        push.signal.emplace(signal, push.window);
    return push;
}

void Push::write_signal(PyObject* signal, PyRef value, WindowState* window)
{
    if (!value) {
        report_exception();
        return;
    }
    PyRef store = PyRef::steal(PyObject_GetAttrString(signal, "st"));
    PyRef args = store ? PyRef::steal(PyTuple_Pack(1, value.get())) : PyRef();
    if (!args) {
        report_exception();
        return;
    }
    invoke(store.get(), args.get(), window);
}

std::int64_t float_to_index(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 9.2e18f)
        return std::numeric_limits<std::int64_t>::max();
    if (value <= -9.2e18f)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

std::int64_t event_index(std::uint32_t index) { return static_cast<std::int32_t>(index); }

namespace {

// No signal value: the widget has no `sig`, or its signal takes nothing.
PyRef none() { return PyRef::borrow(Py_None); }

template<class... Values>
auto args_of(Values... values)
{
    return [=] { return make_args(values...); };
}

template<class T>
auto value_of(T value)
{
    return [=] { return PyRef::steal(to_py(value)); };
}

}

ActivateCallback activate_plain(Push push)
{
    return [push = std::move(push)](Tree&) { push.deliver(none, args_of()); };
}

ActivateCallback activate_checkbox(Push push, NodeId node)
{
    return [push = std::move(push), node](Tree& tree) {
        auto const* toggle = tree.node(node).model.as<ToggleModel>();
        bool on = toggle && toggle->on;
        push.deliver(value_of(on), args_of());
    };
}

ChangeCallback change_plain(Push push)
{
    return [push = std::move(push)](Tree&, float) { push.deliver(none, args_of()); };
}

ChangeCallback change_float(Push push)
{
    return [push = std::move(push)](Tree&, float value) { push.deliver(value_of(value), args_of(value)); };
}

ChangeCallback change_index(Push push)
{
    return [push = std::move(push)](Tree&, float value) {
        std::int64_t index = float_to_index(value);
        push.deliver(value_of(index), args_of(index));
    };
}

ChangeCallback change_bool(Push push)
{
    return [push = std::move(push)](Tree&, float value) {
        bool on = value >= 0.5f;
        push.deliver(value_of(on), args_of(on));
    };
}

ChangeCallback change_range(Push push, NodeId node)
{
    return [push = std::move(push), node](Tree& tree, float) {
        RangeModel range = *tree.node(node).model.as<RangeModel>();
        push.deliver([&] { return make_args(range.lo, range.hi); }, args_of(range.lo, range.hi));
    };
}

ChangeCallback change_time(Push push, NodeId node)
{
    return [push = std::move(push), node](Tree& tree, float) {
        TimeModel time = *tree.node(node).model.as<TimeModel>();
        int hour = time.hour, minute = time.minute;
        push.deliver([&] { return make_args(hour, minute); }, args_of(hour, minute));
    };
}

ChangeCallback change_calendar(Push push, NodeId node)
{
    return [push = std::move(push), node](Tree& tree, float) {
        CalendarModel date = *tree.node(node).model.as<CalendarModel>();
        int year = date.year, month = date.month, day = date.day;
        push.deliver([&] { return make_args(year, month, day); }, args_of(year, month, day));
    };
}

ChangeCallback change_color(Push push, NodeId node)
{
    return [push = std::move(push), node](Tree& tree, float value) {
        ColorModel color = *tree.node(node).model.as<ColorModel>();
        char text[8];
        std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(float_to_index(value)) & 0xFFFFFFu);
        std::string hex = text;
        push.deliver([&] { return make_args(color.hue, color.saturation, color.value); }, args_of(hex));
    };
}

ChangeCallback change_menubar(Push push)
{
    // One number travels for a pick: menu × 1000 + item.
    return [push = std::move(push)](Tree&, float value) {
        std::int64_t picked = float_to_index(value);
        push.deliver(none, args_of(picked / 1000, picked % 1000));
    };
}

SubmitCallback submit_text(Push push)
{
    return [push = std::move(push)](Tree&, std::string_view text) {
        std::string whole(text);
        push.deliver(value_of(whole), args_of());
    };
}

SubmitCallback submit_paths(Push push)
{
    return [push = std::move(push)](Tree&, std::string_view text) {
        std::vector<std::string> paths;
        for (std::size_t start = 0; start <= text.size();) {
            std::size_t end = text.find('\n', start);
            if (end == std::string_view::npos)
                end = text.size();
            if (end > start)
                paths.emplace_back(text.substr(start, end - start));
            start = end + 1;
        }
        push.deliver(none, [&] { return make_args(FilePaths { paths }); });
    };
}

namespace {

// A str result split at line feeds (a carriage return before one dropped, a
// final line feed giving no extra line) and appended to the terminal output.
void append_output(Tree& tree, NodeId node, PyObject* result)
{
    if (!PyUnicode_Check(result))
        return;
    Py_ssize_t size = 0;
    char const* utf8 = PyUnicode_AsUTF8AndSize(result, &size);
    if (!utf8) {
        report_exception();
        return;
    }
    std::string_view text(utf8, static_cast<std::size_t>(size));
    auto* term = tree.node(node).model.as<TermModel>();
    if (!term)
        return;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r' && end < text.size())
            line.remove_suffix(1);
        term->lines.push_back(utf8_to_utf16(line));
        start = next;
    }
    tree.layout_dirty = true;
}

}

SubmitCallback submit_command(Push push, NodeId node)
{
    return [push = std::move(push), node](Tree& tree, std::string_view command) {
        if (!push.callback)
            return;
        push.callback->call_with([&] { return make_args(command); },
            [&](PyObject* result) { append_output(tree, node, result); });
    };
}

EventCallback event_plain(Push push)
{
    return [push = std::move(push)](Tree&, std::uint32_t, float, float) { push.deliver(none, args_of()); };
}

EventCallback event_cell(Push push)
{
    return [push = std::move(push)](Tree&, std::uint32_t index, float column, float) {
        push.deliver(none, args_of(event_index(index), float_to_index(column)));
    };
}

EventCallback event_opened(Push push)
{
    return [push = std::move(push)](Tree&, std::uint32_t index, float open, float) {
        push.deliver(none, args_of(event_index(index), open >= 0.5f));
    };
}

EventCallback event_list_selection(Push push, NodeId node)
{
    return [push = std::move(push), node](Tree& tree, std::uint32_t index, float, float) {
        auto const* list = tree.node(node).model.as<ListModel>();
        if (list && list->multi) {
            std::vector<std::uint32_t> selection = list->selection;
            push.deliver(none, [&] { return make_args(selection); });
        } else {
            push.deliver(none, args_of(event_index(index)));
        }
    };
}

EventCallback event_tree_selection(Push push, NodeId node)
{
    return [push = std::move(push), node](Tree& tree, std::uint32_t, float, float) {
        auto const* rows = tree.node(node).model.as<TreeviewModel>();
        std::vector<std::uint32_t> selection = rows ? rows->selection : std::vector<std::uint32_t> {};
        push.deliver(none, [&] { return make_args(selection); });
    };
}

EventCallback event_pointer(Push push)
{
    return [push = std::move(push)](Tree&, std::uint32_t index, float x, float y) {
        push.deliver(none, args_of(event_index(index), x, y));
    };
}

EventCallback event_point(Push push)
{
    return [push = std::move(push)](Tree&, std::uint32_t, float x, float y) { push.deliver(none, args_of(x, y)); };
}

// The widths as the table or tree holds them after the user's resize.
EventCallback event_columns(Push push, NodeId node)
{
    return [push = std::move(push), node](Tree& tree, std::uint32_t, float, float) {
        std::vector<float> widths;
        if (tree.contains(node)) {
            Node const& owner = tree.node(node);
            if (auto const* table = owner.model.as<TableModel>())
                widths = table->columns.widths;
            else if (auto const* view = owner.model.as<TreeviewModel>())
                widths = view->columns.widths;
        }
        push.deliver(none, [&] { return make_args(widths); });
    };
}

WheelCallback wheel_handler(Push push)
{
    return [push = std::move(push)](Tree&, float notches, float x, float y) {
        push.deliver(none, args_of(notches, x, y));
    };
}

}
