// The declarative method table: each Python method is one row (name,
// parameters, docstring) from which the argument parser, the defaults and the
// text signature of the docstring all come.
//
// How to add a W method:
//
//     PyObject* sl(MethodCall& c)            // the body gets converted arguments
//     {
//         auto id = c.append(Model(NodeKind::Slider));   // reads pr, pd, gp, w, h, ax, elev by name
//         if (!id)
//             return nullptr;
//         set_numeric_state(c.tree(), *id, c.f32("vl"));
//         if (c.given("ch"))
//             ...c.object("ch")...
//         return c.node_handle(id);
//     }
//
//     WindowMethodsRegistrar const registrar {
//         row<sl>("sl", "Добавляет ползунок 0..1; `ch(value)` при перетаскивании.",
//             { real("vl", 0.5), keyword_only, parent, object("ch"), object("sig"), box() }),
//     };
//
// The row above publishes the text signature
// `sl($self, vl=0.5, *, pr=None, ch=None, sig=None, pd=0.0, gp=0.0, w=None, h=None)`.
// Methods of the other classes are rows too: `method_row<body>("Clip", ...)`
// with the receiver that class needs, `call_row` for a class's call slot,
// `constructor_row` for its constructor and `method_row<body>("", ...)` for a
// module function.
// Parameters before `keyword_only` may be passed by position; a parameter
// without a default is required. A parameter whose default is None treats an
// explicit None like omission: its value is the type's zero and `given` is
// false. Every argument is converted before the body runs, in signature
// order, and the first failure is reported; a body never sees a bad value.
// Converters: real (float), index (non-negative int), byte (int 0..255),
// integer (signed 32-bit), flag (bool), text (str as UTF-16), utf8 (str as
// UTF-8), texts (list of str), reals (list of float), node (an N of this
// window), object (anything), and `structured<to_x>` for any converter
// function `std::optional<T> to_x(PyObject*, char const* name)` (table and
// tree rows, menus, shapes, bytes...), read in the body as `c.get<T>(name)`;
// an omitted structured argument is an empty T.
// Callback parameters say where the callback goes once the node exists:
// `on_change<change_index>("ch")`, `on_activate<...>`, `on_submit<...>`,
// `on_event<UiEvent::RowClick, event_cell>("clk")`, or `callback(name, wire)`
// with a wiring function of the body's own; `bound(name, kind)` registers the
// argument as a pull binding, `signal(kind)` is the `sig` that also joins the
// change or activate callback's push. `c.finish(id)` (or `finish_context`)
// does all of that and returns the handle, so a builder body is mostly its model.
#pragma once

#include "python/builder.hpp"
#include "python/item_formats.hpp"
#include "python/push_callbacks.hpp"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace orvy::py {

enum class Converter : std::uint8_t { Real, Index, Integer, Flag, Text, Utf8, Texts, Reals, Node, Object, Structured };

// One converted argument.
struct NodeArg {
    NodeId id;
};
using ArgValue = std::variant<std::monostate, float, std::uint64_t, std::int32_t, bool, Text, std::string_view,
    TextList, std::vector<float>, NodeArg, TextRows, std::vector<TreeRow>,
    PropertyRows, std::vector<Menu>, std::vector<Shape>, std::vector<FilePattern>,
    std::vector<std::uint8_t>, std::vector<std::uint32_t>, std::string>;

struct MethodCall;
// Converts a structured argument into `out`; a null value gives the empty value of an omitted one.
using Convert = bool (*)(PyObject* value, char const* name, ArgValue& out);
// Hands a callback argument to the node once it exists.
using Wire = void (*)(MethodCall& call, NodeId node, char const* name);

// A default as the signature shows it.
struct Default {
    enum class Kind : std::uint8_t { Required, None, Ellipsis, Real, Integer, Flag, Text };
    Kind kind = Kind::Required;
    double real = 0.0;
    std::int64_t integer = 0;
    char const* text = ""; // UTF-8
};

struct Param {
    char const* name = nullptr; // null: the keyword-only marker
    Converter converter = Converter::Object;
    Default fallback;
    bool keyword_only = false; // set by the row from the marker
    std::uint64_t limit = UINT32_MAX; // the largest index accepted
    Convert structured = nullptr; // Converter::Structured
    Wire wire = nullptr; // a callback: wired by MethodCall::finish when given
    bool joins_signal = false; // the row's `sig` shares this callback's push
    std::optional<BindingKind> binding; // registered as a pull binding by MethodCall::finish
};

// The parameter makers used in rows. Without a default the parameter is required.
constexpr Param real(char const* name) { return { name, Converter::Real, {} }; }
constexpr Param real(char const* name, double fallback) { return { name, Converter::Real, { Default::Kind::Real, fallback } }; }
constexpr Param optional_real(char const* name) { return { name, Converter::Real, { Default::Kind::None } }; }
constexpr Param index(char const* name) { return { name, Converter::Index, {} }; }
constexpr Param index(char const* name, std::int64_t fallback)
{
    return { name, Converter::Index, { Default::Kind::Integer, 0.0, fallback } };
}
// A required index of the full 64-bit range (timer ids).
constexpr Param wide_index(char const* name) { return { name, Converter::Index, {}, false, UINT64_MAX }; }
// An index of 0..255 (grid cells and spans).
constexpr Param byte(char const* name) { return { name, Converter::Index, {}, false, 255 }; }
constexpr Param byte(char const* name, std::int64_t fallback)
{
    return { name, Converter::Index, { Default::Kind::Integer, 0.0, fallback }, false, 255 };
}
constexpr Param integer(char const* name) { return { name, Converter::Integer, {} }; }
constexpr Param integer(char const* name, std::int64_t fallback)
{
    return { name, Converter::Integer, { Default::Kind::Integer, 0.0, fallback } };
}
constexpr Param flag(char const* name) { return { name, Converter::Flag, {} }; }
constexpr Param flag(char const* name, bool fallback)
{
    return { name, Converter::Flag, { Default::Kind::Flag, 0.0, fallback ? 1 : 0 } };
}
constexpr Param optional_flag(char const* name) { return { name, Converter::Flag, { Default::Kind::None } }; }
constexpr Param text(char const* name) { return { name, Converter::Text, {} }; }
constexpr Param text(char const* name, char const* fallback)
{
    return { name, Converter::Text, { Default::Kind::Text, 0.0, 0, fallback } };
}
constexpr Param optional_text(char const* name) { return { name, Converter::Text, { Default::Kind::None } }; }
constexpr Param utf8(char const* name) { return { name, Converter::Utf8, {} }; }
constexpr Param utf8(char const* name, char const* fallback)
{
    return { name, Converter::Utf8, { Default::Kind::Text, 0.0, 0, fallback } };
}
constexpr Param optional_utf8(char const* name) { return { name, Converter::Utf8, { Default::Kind::None } }; }
constexpr Param texts(char const* name) { return { name, Converter::Texts, {} }; }
constexpr Param optional_texts(char const* name) { return { name, Converter::Texts, { Default::Kind::None } }; }
constexpr Param texts_or_ellipsis(char const* name) { return { name, Converter::Texts, { Default::Kind::Ellipsis } }; }
constexpr Param reals(char const* name) { return { name, Converter::Reals, {} }; }
constexpr Param optional_reals(char const* name) { return { name, Converter::Reals, { Default::Kind::None } }; }
constexpr Param node(char const* name) { return { name, Converter::Node, {} }; }
constexpr Param optional_node(char const* name) { return { name, Converter::Node, { Default::Kind::None } }; }
// Any object; None by default (callbacks, signals), or required.
constexpr Param object(char const* name) { return { name, Converter::Object, { Default::Kind::None } }; }
constexpr Param required_object(char const* name) { return { name, Converter::Object, {} }; }
// An object whose default the signature shows as `...`; None and `...` both mean omitted.
constexpr Param object_or_ellipsis(char const* name) { return { name, Converter::Object, { Default::Kind::Ellipsis } }; }

template<auto to>
bool convert_structured(PyObject* value, char const* name, ArgValue& out)
{
    using Value = typename decltype(to(nullptr, name))::value_type;
    if (!value) {
        out.emplace<Value>();
        return true;
    }
    auto converted = to(value, name);
    if (converted)
        out.emplace<Value>(std::move(*converted));
    return converted.has_value();
}
// A structured argument converted by `to`: required, or with a None or `...` default.
template<auto to>
constexpr Param structured(char const* name, Default::Kind fallback = Default::Kind::Required)
{
    Param param { name, Converter::Structured, { fallback } };
    param.structured = convert_structured<to>;
    return param;
}
// A callback argument (None by default, or `...`) that `wire` hands to the node.
constexpr Param callback(char const* name, Wire wire, bool joins_signal = false,
    Default::Kind fallback = Default::Kind::None)
{
    Param param = object(name);
    param.fallback.kind = fallback;
    param.wire = wire;
    param.joins_signal = joins_signal;
    return param;
}
// A pull binding (`bind`, `src_bind`...) of the given kind.
constexpr Param bound(char const* name, BindingKind kind)
{
    Param param = object(name);
    param.binding = kind;
    return param;
}
// The widget's `sig`: bound to its value, and told of changes with the change or activate callback.
constexpr Param signal(BindingKind kind) { return bound("sig", kind); }

// The parameters after this marker are keyword-only (the `*` of the signature).
inline constexpr Param keyword_only {};
// The builders' explicit parent.
inline constexpr Param parent = optional_node("pr");
inline constexpr Param elevation = real("elev", 0.0);
inline constexpr Param axis = utf8("ax", "v");

// A run of parameters written as one item of a row.
struct ParamGroup {
    std::array<Param, 4> params {};
    std::size_t count = 0;
};
// The layout tail of most builders: pd, gp, w, h.
constexpr ParamGroup box(double padding = 0.0, double gap = 0.0)
{
    return { { real("pd", padding), real("gp", gap), optional_real("w"), optional_real("h") }, 4 };
}
constexpr ParamGroup size_only() { return { { optional_real("w"), optional_real("h") }, 2 }; }

struct ParamItem {
    ParamGroup group;
    constexpr ParamItem(Param param) : group { { param }, 1 } { }
    constexpr ParamItem(ParamGroup params) : group(params) { }
};

using MethodBody = PyObject* (*)(MethodCall&);

// What a method checks about its receiver before the body runs.
enum class Receiver : std::uint8_t {
    Window,     // a W: the thread check and the borrow of `access`
    Controller, // Fx, Rct, Dlg and the like: the thread check; the window is the controller's
    Plain,      // the body checks its receiver itself (S, Ctx, Post)
    None,       // a static method, module function or constructor: no receiver in the signature
};

struct RowOptions {
    Access access = Access::Exclusive;
    Receiver receiver = Receiver::Window;
};
inline constexpr RowOptions controller_method { .receiver = Receiver::Controller };
inline constexpr RowOptions plain_method { .receiver = Receiver::Plain };
inline constexpr RowOptions no_receiver { .receiver = Receiver::None };

struct MethodRow {
    std::string name;       // as Python sees it, e.g. "sl"
    std::string qualified;  // for messages, e.g. "W.sl"
    std::vector<Param> params;
    ArgSpec spec;
    std::string docstring;  // text signature, "--", description
    RowOptions options;
    MethodBody body = nullptr;

    // The signature as the docstring publishes it, e.g. "($self, vl=0.5, *, pr=None)";
    // without `$self` for rows of Receiver::None.
    std::string text_signature() const;
    int find(char const* name) const; // -1 when the row has no such parameter
};

// The rows of every declared method, in declaration order.
std::vector<MethodRow const*> const& declared_rows();

// A row named `owner.name` ("" owner: a module function or constructor named `name`).
MethodRow& add_row(char const* owner, char const* name, char const* description,
    std::initializer_list<ParamItem> params, RowOptions options, MethodBody body);

inline constexpr std::size_t max_params = 20;

// What a method's body receives: the receiver, its window where it has one,
// and the converted arguments.
struct MethodCall {
    MethodRow const& row;
    PyObject* self = nullptr; // the module for module functions, the type for constructors
    std::optional<WindowCall> call; // W methods
    ModuleState* module = nullptr; // W and controller methods
    std::shared_ptr<WindowState> const* shared = nullptr; // the receiver's window: W and controllers
    PyObject* window_object = nullptr; // the receiver's W (a controller's W): W and controllers
    std::array<PyObject*, max_params> raw {};
    std::array<ArgValue, max_params> values {};

    explicit MethodCall(MethodRow const& r) : row(r) { }

    // Whether the row declares the parameter.
    bool has(char const* name) const { return row.find(name) >= 0; }
    // The argument as passed: null when omitted (an explicit None stays).
    PyObject* object(char const* name) const;
    // Passed and not None (nor `...` where that is the default).
    bool given(char const* name) const;
    float f32(char const* name) const;
    std::optional<float> optional_f32(char const* name) const; // empty when not given
    std::uint64_t index(char const* name) const;
    std::int32_t i32(char const* name) const;
    bool flag(char const* name) const;
    Text& text(char const* name);
    std::string_view utf8(char const* name) const;
    TextList& texts(char const* name);
    std::vector<float>& reals(char const* name);
    NodeId node(char const* name) const;
    std::optional<NodeId> optional_node(char const* name) const;
    // A structured argument.
    template<class T>
    T& get(char const* name) { return std::get<T>(values[slot(name)]); }

    WindowCall& window() { return *call; }
    WindowState& state() { return **shared; }
    std::shared_ptr<WindowState> const& shared_state() { return *shared; }
    Tree& tree() { return state().tree; }
    bool running() { return state().is_running(); }

    // The builder's common arguments found by name: pr, pd, gp, w, h, ax, elev.
    CommonArgs common() const;
    // Appends a node with the common arguments under the parent they select,
    // with its icon and tooltip where the row has them.
    std::optional<NodeId> append(Model model);
    // Registers the argument as a pull binding of the node unless it is absent or None.
    void bind(NodeId id, PyObject* callable, BindingKind kind) { bind_to(*call, id, callable, kind); }
    // The callback and signal arguments of that name (either may be absent) as one push target.
    Push push(char const* callback, char const* signal = nullptr) const;
    // A new N for the node, or null (the error is set) when none was appended.
    PyObject* node_handle(std::optional<NodeId> id);
    // A new Ctx for the container.
    PyObject* context(std::optional<NodeId> id);
    // Wires the row's callback arguments that were given and registers its
    // bindings, then returns the node's N (or Ctx); null when none was appended.
    PyObject* finish(std::optional<NodeId> id) { return node_handle(wire(id)); }
    PyObject* build(Model model) { return finish(append(std::move(model))); }
    PyObject* finish_context(std::optional<NodeId> id) { return context(wire(id)); }
    std::optional<NodeId> wire(std::optional<NodeId> id);

private:
    std::size_t slot(char const* name) const;
};

// The wiring functions of the callback makers below: the core callback that
// `make` builds from the push target (and the node, where it takes one) goes
// into the node's slot or the event registry.
namespace wiring {

template<auto make>
auto made(Push push, NodeId id)
{
    if constexpr (std::is_invocable_v<decltype(make), Push, NodeId>)
        return make(std::move(push), id);
    else
        return make(std::move(push));
}

// The push of a callback that the row's `sig` joins.
inline Push joined(MethodCall& c, char const* name) { return c.push(name, c.has("sig") ? "sig" : nullptr); }

template<auto make>
void activate(MethodCall& c, NodeId id, char const* name)
{
    c.tree().node(id).extras_mut().on_activate = made<make>(joined(c, name), id);
}
template<auto make>
void change(MethodCall& c, NodeId id, char const* name) { c.tree().node(id).extras_mut().on_change = made<make>(joined(c, name), id); }
template<auto make>
void submit(MethodCall& c, NodeId id, char const* name) { c.tree().node(id).extras_mut().on_submit = made<make>(c.push(name), id); }
template<UiEvent event, auto make>
void registered(MethodCall& c, NodeId id, char const* name)
{
    c.tree().register_event(id, event, made<make>(c.push(name), id));
}

}

template<auto make>
constexpr Param on_activate(char const* name) { return callback(name, wiring::activate<make>, true); }
template<auto make>
constexpr Param on_change(char const* name) { return callback(name, wiring::change<make>, true); }
template<auto make>
constexpr Param on_submit(char const* name) { return callback(name, wiring::submit<make>); }
template<UiEvent event, auto make>
constexpr Param on_event(char const* name, Default::Kind fallback = Default::Kind::None)
{
    return callback(name, wiring::registered<event, make>, false, fallback);
}

// Parses, enters the receiver, converts and runs the row's body: a fast call,
// and the (tuple, dict) call of call slots and constructors.
PyObject* run_method(MethodRow const& row, PyObject* self, PyObject* const* args, Py_ssize_t nargs,
    PyObject* kwnames);
PyObject* run_tuple_method(MethodRow const& row, PyObject* self, PyObject* args, PyObject* kwargs);

template<MethodBody body>
inline MethodRow const* row_of = nullptr;

template<MethodBody body>
PyObject* declared_fast_call(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    return run_method(*row_of<body>, self, args, nargs, kwnames);
}

template<MethodBody body>
PyObject* declared_tuple_call(PyObject* self, PyObject* args, PyObject* kwargs)
{
    return run_tuple_method(*row_of<body>, self, args, kwargs);
}

template<MethodBody body>
PyObject* declared_new(PyTypeObject* type, PyObject* args, PyObject* kwargs)
{
    return run_tuple_method(*row_of<body>, reinterpret_cast<PyObject*>(type), args, kwargs);
}

template<MethodBody body>
MethodRow const& declared_row(char const* owner, char const* name, char const* description,
    std::initializer_list<ParamItem> params, RowOptions options)
{
    if (!row_of<body>)
        row_of<body> = &add_row(owner, name, description, params, options, body);
    return *row_of<body>;
}

// A method of the class `owner` declared by its row; with no receiver it is
// a static method, or a module function where `owner` is "".
template<MethodBody body>
PyMethodDef method_row(char const* owner, char const* name, char const* description,
    std::initializer_list<ParamItem> params, RowOptions options)
{
    MethodRow const& declared = declared_row<body>(owner, name, description, params, options);
    int flags = METH_FASTCALL | METH_KEYWORDS;
    if (options.receiver == Receiver::None && *owner)
        flags |= METH_STATIC;
    return { name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(declared_fast_call<body>)), flags,
        declared.docstring.c_str() };
}

// A W method declared by its row.
template<MethodBody body>
PyMethodDef row(char const* name, char const* description, std::initializer_list<ParamItem> params,
    RowOptions options = {})
{
    return method_row<body>("W", name, description, params, options);
}

// The call slot of the class `owner`: `owner.__call__`.
template<MethodBody body>
PyType_Slot call_row(char const* owner, std::initializer_list<ParamItem> params, RowOptions options)
{
    declared_row<body>(owner, "__call__", "", params, options);
    return { Py_tp_call, reinterpret_cast<void*>(declared_tuple_call<body>) };
}

// The constructor of the class `owner`: its tp_new slot and the class's
// docstring (`owner(signature)` and the description). The body gets the type as `self`.
struct ConstructorSlots {
    PyType_Slot doc;
    PyType_Slot create;
};
template<MethodBody body>
ConstructorSlots constructor_row(char const* owner, char const* description, std::initializer_list<ParamItem> params)
{
    MethodRow const& declared = declared_row<body>("", owner, description, params, no_receiver);
    return { { Py_tp_doc, const_cast<char*>(declared.docstring.c_str()) },
        { Py_tp_new, reinterpret_cast<void*>(declared_new<body>) } };
}

}
