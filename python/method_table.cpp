// The method rows: their text signatures, and parsing and converting a call's
// arguments by the row.
#include "python/method_table.hpp"

#include "python/controllers.hpp"

#include "core/base/utf.hpp"

#include <cassert>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <new>

namespace orvy::py {

namespace {

std::deque<MethodRow>& row_storage()
{
    static std::deque<MethodRow> rows;
    return rows;
}

std::vector<MethodRow const*>& row_list()
{
    static std::vector<MethodRow const*> rows;
    return rows;
}

void append_real(std::string& out, double value)
{
    char buffer[32];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    std::string_view digits(buffer, static_cast<std::size_t>(end - buffer));
    out += digits;
    if (digits.find_first_of(".en") == std::string_view::npos)
        out += ".0";
}

// Text signatures must be ASCII: other characters are spelled as \uXXXX.
void append_quoted(std::string& out, char const* utf8)
{
    static constexpr char hex[] = "0123456789abcdef";
    out += '"';
    for (char16_t unit : utf8_to_utf16(utf8)) {
        if (unit == u'"' || unit == u'\\') {
            out += '\\';
            out += static_cast<char>(unit);
        } else if (unit >= 0x20 && unit < 0x7f) {
            out += static_cast<char>(unit);
        } else {
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += hex[(unit >> shift) & 0xf];
        }
    }
    out += '"';
}

void append_default(std::string& out, Default const& fallback)
{
    switch (fallback.kind) {
    case Default::Kind::Required:
        return;
    case Default::Kind::None:
        out += "=None";
        return;
    case Default::Kind::Ellipsis:
        out += "=...";
        return;
    case Default::Kind::Real:
        out += '=';
        append_real(out, fallback.real);
        return;
    case Default::Kind::Integer:
        out += '=' + std::to_string(fallback.integer);
        return;
    case Default::Kind::Flag:
        out += fallback.integer ? "=True" : "=False";
        return;
    case Default::Kind::Text:
        out += '=';
        append_quoted(out, fallback.text);
        return;
    }
}

// The value of an omitted argument.
ArgValue default_value(Param const& param)
{
    Default const& fallback = param.fallback;
    bool none = fallback.kind == Default::Kind::None || fallback.kind == Default::Kind::Ellipsis;
    switch (param.converter) {
    case Converter::Real:
        return none ? 0.0f : static_cast<float>(fallback.real);
    case Converter::Index:
        return static_cast<std::uint64_t>(none ? 0 : fallback.integer);
    case Converter::Integer:
        return static_cast<std::int32_t>(none ? 0 : fallback.integer);
    case Converter::Flag:
        return !none && fallback.integer != 0;
    case Converter::Text:
        return none ? Text() : utf8_to_utf16(fallback.text);
    case Converter::Utf8:
        return std::string_view(none ? "" : fallback.text);
    case Converter::Texts:
        return TextList {};
    case Converter::Reals:
        return std::vector<float> {};
    case Converter::Node:
    case Converter::Object:
    case Converter::Structured:
        return std::monostate {};
    }
    return std::monostate {};
}

template<class T>
bool store(ArgValue& out, std::optional<T> value)
{
    if (!value)
        return false;
    out.emplace<T>(std::move(*value));
    return true;
}

bool convert(Param const& param, PyObject* value, ArgValue& out, MethodCall const& call)
{
    switch (param.converter) {
    case Converter::Real:
        return store(out, to_f32(value, param.name));
    case Converter::Index:
        return store(out, to_index(value, param.name, param.limit));
    case Converter::Integer:
        return store(out, to_i32(value, param.name));
    case Converter::Flag:
        return store(out, to_bool(value, param.name));
    case Converter::Text:
        return store(out, to_text(value, param.name));
    case Converter::Utf8:
        return store(out, to_utf8(value, param.name));
    case Converter::Texts:
        return store(out, to_text_list(value, param.name));
    case Converter::Reals:
        return store(out, to_f32_list(value, param.name));
    case Converter::Node: {
        assert(call.shared && "node arguments need the receiver's window");
        auto id = node_of_window(value, param.name, *call.module, **call.shared);
        return id && store(out, std::optional(NodeArg { *id }));
    }
    case Converter::Object:
        return true;
    case Converter::Structured:
        return param.structured(value, param.name, out);
    }
    return true;
}

// Whether the argument counts as omitted: absent, or None where None is the default.
bool omitted(Param const& param, PyObject* value)
{
    if (!value)
        return true;
    switch (param.fallback.kind) {
    case Default::Kind::None:
        return value == Py_None;
    case Default::Kind::Ellipsis:
        return value == Py_None || value == Py_Ellipsis;
    default:
        return false;
    }
}

}

std::string MethodRow::text_signature() const
{
    bool receiver = options.receiver != Receiver::None;
    std::string out = receiver ? "($self" : "(";
    bool marked = false;
    for (Param const& param : params) {
        if (receiver || &param != &params.front())
            out += ", ";
        if (param.keyword_only && !marked) {
            out += "*, ";
            marked = true;
        }
        out += param.name;
        append_default(out, param.fallback);
    }
    return out + ")";
}

int MethodRow::find(char const* wanted) const
{
    for (std::size_t i = 0; i < params.size(); ++i) {
        if (params[i].name == wanted || std::strcmp(params[i].name, wanted) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

std::vector<MethodRow const*> const& declared_rows() { return row_list(); }

MethodRow& add_row(char const* owner, char const* name, char const* description,
    std::initializer_list<ParamItem> items, RowOptions options, MethodBody body)
{
    MethodRow& row = row_storage().emplace_back();
    row.name = name;
    row.qualified = *owner ? std::string(owner) + "." + name : std::string(name);
    row.options = options;
    row.body = body;
    bool after_marker = false;
    int positional = 0, required = 0;
    for (ParamItem const& item : items) {
        for (std::size_t i = 0; i < item.group.count; ++i) {
            Param param = item.group.params[i];
            if (!param.name) {
                after_marker = true;
                continue;
            }
            param.keyword_only = after_marker;
            if (!after_marker) {
                ++positional;
                if (param.fallback.kind == Default::Kind::Required)
                    ++required;
            }
            row.params.push_back(param);
        }
    }
    assert(row.params.size() <= max_params);
    row.spec.function = row.qualified.c_str();
    for (Param const& param : row.params)
        row.spec.names.push_back(param.name);
    row.spec.positional = positional;
    row.spec.required = required;
    row.docstring = row.name + row.text_signature() + "\n--\n\n" + description;
    row_list().push_back(&row);
    return row;
}

namespace {

// Enters the receiver of the parsed call, converts the arguments and runs the body.
PyObject* run_parsed(MethodCall& c)
{
    MethodRow const& row = c.row;
    switch (row.options.receiver) {
    case Receiver::Window:
        c.call = enter_window(c.self, Py_TYPE(c.self), row.options.access);
        if (!c.call)
            return nullptr;
        c.module = c.call->module;
        c.window_object = c.self;
        c.shared = &c.call->object->state;
        break;
    case Receiver::Controller: {
        ControllerObject* controller = enter_controller(c.self);
        if (!controller)
            return nullptr;
        c.module = &module_state(Py_TYPE(c.self));
        c.window_object = controller->window_object.get();
        c.shared = &state_of_window_object(c.window_object);
        break;
    }
    case Receiver::Plain:
    case Receiver::None:
        break;
    }
    for (std::size_t i = 0; i < row.params.size(); ++i) {
        Param const& param = row.params[i];
        if (omitted(param, c.raw[i]) && param.structured)
            param.structured(nullptr, param.name, c.values[i]);
        else if (omitted(param, c.raw[i]))
            c.values[i] = default_value(param);
        else if (!convert(param, c.raw[i], c.values[i], c))
            return nullptr;
    }
    return row.body(c);
}

// Memory the C++ side cannot get (a text or table too large to copy) ends
// the call with MemoryError instead of the process.
PyObject* run_guarded(MethodCall& c)
{
    try {
        return run_parsed(c);
    } catch (std::bad_alloc const&) {
        return PyErr_NoMemory();
    }
}

}

PyObject* run_method(MethodRow const& row, PyObject* self, PyObject* const* args, Py_ssize_t nargs,
    PyObject* kwnames)
{
    MethodCall c(row);
    c.self = self;
    if (!parse_args(row.spec, args, nargs, kwnames, c.raw.data()))
        return nullptr;
    return run_guarded(c);
}

PyObject* run_tuple_method(MethodRow const& row, PyObject* self, PyObject* args, PyObject* kwargs)
{
    MethodCall c(row);
    c.self = self;
    if (!parse_tuple_args(row.spec, args, kwargs, c.raw.data()))
        return nullptr;
    return run_guarded(c);
}

std::size_t MethodCall::slot(char const* name) const
{
    int at = row.find(name);
    // A body asking for a parameter its row does not declare is a mistake in
    // this module, found by the first call; stop there rather than read past
    // the arguments in a build without assertions.
    if (at < 0) {
        std::fprintf(stderr, "orvy: %s has no parameter %s\n", row.qualified.c_str(), name);
        std::abort();
    }
    return static_cast<std::size_t>(at);
}

PyObject* MethodCall::object(char const* name) const { return raw[slot(name)]; }

bool MethodCall::given(char const* name) const
{
    std::size_t at = slot(name);
    PyObject* value = raw[at];
    return value && value != Py_None && !omitted(row.params[at], value);
}

float MethodCall::f32(char const* name) const { return std::get<float>(values[slot(name)]); }

std::optional<float> MethodCall::optional_f32(char const* name) const
{
    std::size_t at = slot(name);
    if (omitted(row.params[at], raw[at]))
        return std::nullopt;
    return std::get<float>(values[at]);
}

std::uint64_t MethodCall::index(char const* name) const { return std::get<std::uint64_t>(values[slot(name)]); }
std::int32_t MethodCall::i32(char const* name) const { return std::get<std::int32_t>(values[slot(name)]); }
bool MethodCall::flag(char const* name) const { return std::get<bool>(values[slot(name)]); }
Text& MethodCall::text(char const* name) { return std::get<Text>(values[slot(name)]); }
std::string_view MethodCall::utf8(char const* name) const { return std::get<std::string_view>(values[slot(name)]); }
TextList& MethodCall::texts(char const* name) { return std::get<TextList>(values[slot(name)]); }
std::vector<float>& MethodCall::reals(char const* name) { return std::get<std::vector<float>>(values[slot(name)]); }
NodeId MethodCall::node(char const* name) const { return std::get<NodeArg>(values[slot(name)]).id; }

std::optional<NodeId> MethodCall::optional_node(char const* name) const
{
    if (auto const* id = std::get_if<NodeArg>(&values[slot(name)]))
        return id->id;
    return std::nullopt;
}

CommonArgs MethodCall::common() const
{
    CommonArgs common;
    if (has("pr"))
        common.parent = optional_node("pr");
    if (has("pd"))
        common.layout.padding = f32("pd");
    if (has("gp"))
        common.layout.gap = f32("gp");
    if (has("w"))
        common.layout.w = optional_f32("w");
    if (has("h"))
        common.layout.h = optional_f32("h");
    if (has("elev"))
        common.elevation = f32("elev");
    if (has("ax"))
        common.layout.axis = parse_axis(utf8("ax"));
    return common;
}

std::optional<NodeId> MethodCall::append(Model model)
{
    auto id = append_built(*call, common(), std::move(model));
    if (id && has("icon") && given("icon"))
        tree().node(*id).extras_mut().icon = std::move(text("icon"));
    if (id && has("tip") && given("tip"))
        tree().node(*id).extras_mut().tip = std::move(text("tip"));
    return id;
}

Push MethodCall::push(char const* callback, char const* signal) const
{
    return Push::make(*call, object(callback), signal ? object(signal) : nullptr);
}

std::optional<NodeId> MethodCall::wire(std::optional<NodeId> id)
{
    if (!id)
        return id;
    bool signal_given = has("sig") && given("sig");
    for (Param const& param : row.params) {
        if (param.wire && (given(param.name) || (param.joins_signal && signal_given)))
            param.wire(*this, *id, param.name);
        if (param.binding)
            bind(*id, object(param.name), *param.binding);
    }
    return id;
}

PyObject* MethodCall::node_handle(std::optional<NodeId> id) { return handle_for(*call, id); }

PyObject* MethodCall::context(std::optional<NodeId> id)
{
    return id ? new_context(*module, window_object, *id) : nullptr;
}

}
