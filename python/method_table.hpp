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
//     void add_methods(MethodList& methods)
//     {
//         declare(methods, {
//             row<sl>("sl", "Добавляет ползунок 0..1; `ch(value)` при перетаскивании.",
//                 { real("vl", 0.5), keyword_only, parent, object("ch"), object("sig"), box() }),
//         });
//     }
//     WindowMethodsRegistrar const registrar(add_methods);
//
// The row above publishes the text signature
// `sl($self, vl=0.5, *, pr=None, ch=None, sig=None, pd=0.0, gp=0.0, w=None, h=None)`.
// Parameters before `keyword_only` may be passed by position; a parameter
// without a default is required. A parameter whose default is None treats an
// explicit None like omission: its value is the type's zero and `given` is
// false. Every argument is converted before the body runs, in signature
// order, and the first failure is reported; a body never sees a bad value.
// Converters: real (float), index (non-negative int), byte (int 0..255),
// integer (signed 32-bit), flag (bool), text (str as UTF-16), utf8 (str as
// UTF-8), texts (list of str), reals (list of float), node (an N of this
// window), object (anything: callbacks, signals, and values the body converts
// itself).
#pragma once

#include "python/builder.hpp"
#include "python/push_callbacks.hpp"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orvy::py {

enum class Converter : std::uint8_t { Real, Index, Integer, Flag, Text, Utf8, Texts, Reals, Node, Object };

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
// An index of 0..255 (grid cells and spans).
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

struct MethodCall;
using MethodBody = PyObject* (*)(MethodCall&);

struct RowOptions {
    Access access = Access::Exclusive;
};

struct MethodRow {
    std::string name;       // as Python sees it, e.g. "sl"
    std::string qualified;  // for messages, e.g. "W.sl"
    std::vector<Param> params;
    ArgSpec spec;
    std::string docstring;  // text signature, "--", description
    RowOptions options;
    MethodBody body = nullptr;

    // The signature as the docstring publishes it, e.g. "($self, vl=0.5, *, pr=None)".
    std::string text_signature() const;
    int find(char const* name) const; // -1 when the row has no such parameter
};

// The rows of every declared method, in declaration order.
std::vector<MethodRow const*> const& declared_rows();

MethodRow& add_row(char const* owner, char const* name, char const* description,
    std::initializer_list<ParamItem> params, RowOptions options, MethodBody body);

// One converted argument.
struct NodeArg {
    NodeId id;
};
using ArgValue = std::variant<std::monostate, float, std::uint64_t, std::int32_t, bool, Text, std::string_view,
    TextList, std::vector<float>, NodeArg>;

inline constexpr std::size_t max_params = 16;

// What a method's body receives: the entered window and the converted arguments.
struct MethodCall {
    MethodRow const& row;
    std::optional<WindowCall> call;
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

    WindowCall& window() { return *call; }
    WindowState& state() { return call->state(); }
    Tree& tree() { return call->tree(); }
    bool running() { return call->state().is_running(); }

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

private:
    std::size_t slot(char const* name) const;
};

// Parses, enters the window, converts and runs the row's body.
PyObject* run_window_method(MethodRow const& row, PyObject* self, PyObject* const* args, Py_ssize_t nargs,
    PyObject* kwnames);

template<MethodBody body>
inline MethodRow const* row_of = nullptr;

template<MethodBody body>
PyObject* declared_fast_call(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    return run_window_method(*row_of<body>, self, args, nargs, kwnames);
}

// A W method declared by its row.
template<MethodBody body>
PyMethodDef row(char const* name, char const* description, std::initializer_list<ParamItem> params,
    RowOptions options = {})
{
    if (!row_of<body>)
        row_of<body> = &add_row("W", name, description, params, options, body);
    return { name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(declared_fast_call<body>)),
        METH_FASTCALL | METH_KEYWORDS, row_of<body>->docstring.c_str() };
}

inline void declare(MethodList& methods, std::initializer_list<PyMethodDef> rows)
{
    methods.insert(methods.end(), rows);
}

}
