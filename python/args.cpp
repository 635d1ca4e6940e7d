// Argument matching and value conversion shared by every method of the module.
#include "python/args.hpp"

#include "core/base/utf.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace orvy::py {

namespace {

int find_keyword(ArgSpec const& spec, PyObject* key)
{
    for (std::size_t i = 0; i < spec.names.size(); ++i) {
        if (PyUnicode_CompareWithASCIIString(key, spec.names[i]) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

bool too_many_positional(ArgSpec const& spec, Py_ssize_t given)
{
    std::string message = std::string(spec.function) + "() takes ";
    if (spec.required == spec.positional)
        message += std::to_string(spec.positional);
    else
        message += "from " + std::to_string(spec.required) + " to " + std::to_string(spec.positional);
    bool singular = spec.required == spec.positional && spec.positional == 1;
    message += singular ? " positional argument" : " positional arguments";
    message += " but " + std::to_string(given) + (given == 1 ? " was given" : " were given");
    PyErr_SetString(PyExc_TypeError, message.c_str());
    return false;
}

bool check_required(ArgSpec const& spec, PyObject** out)
{
    std::vector<char const*> missing;
    for (int i = 0; i < spec.required; ++i) {
        if (!out[i])
            missing.push_back(spec.names[i]);
    }
    if (missing.empty())
        return true;
    std::string message = std::string(spec.function) + "() missing " + std::to_string(missing.size())
        + (missing.size() == 1 ? " required positional argument: " : " required positional arguments: ");
    for (std::size_t i = 0; i < missing.size(); ++i) {
        if (i > 0)
            message += i + 1 == missing.size() ? " and " : ", ";
        message += "'" + std::string(missing[i]) + "'";
    }
    PyErr_SetString(PyExc_TypeError, message.c_str());
    return false;
}

bool place_keyword(ArgSpec const& spec, PyObject* key, PyObject* value, PyObject** out)
{
    if (!PyUnicode_Check(key)) {
        PyErr_SetString(PyExc_TypeError, "keywords must be strings");
        return false;
    }
    int index = find_keyword(spec, key);
    if (index < 0) {
        PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%U'", spec.function, key);
        return false;
    }
    if (out[index]) {
        PyErr_Format(PyExc_TypeError, "%s() got multiple values for argument '%s'", spec.function, spec.names[index]);
        return false;
    }
    out[index] = value;
    return true;
}

std::string type_name(PyObject* value)
{
    PyRef name = PyRef::steal(PyType_GetName(Py_TYPE(value)));
    if (!name) {
        PyErr_Clear();
        return "object";
    }
    Py_ssize_t size = 0;
    char const* utf8 = PyUnicode_AsUTF8AndSize(name.get(), &size);
    if (!utf8) {
        PyErr_Clear();
        return "object";
    }
    return std::string(utf8, static_cast<std::size_t>(size));
}

bool cannot_convert(PyObject* value, char const* name, char const* target)
{
    set_argument_error(PyExc_TypeError, name, "'" + type_name(value) + "' object cannot be converted to '" + target + "'");
    return false;
}

}

bool parse_args(ArgSpec const& spec, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, PyObject** out)
{
    std::size_t count = spec.names.size();
    for (std::size_t i = 0; i < count; ++i)
        out[i] = nullptr;
    if (nargs > spec.positional)
        return too_many_positional(spec, nargs);
    for (Py_ssize_t i = 0; i < nargs; ++i)
        out[i] = args[i];
    if (kwnames) {
        Py_ssize_t keywords = PyTuple_Size(kwnames);
        for (Py_ssize_t k = 0; k < keywords; ++k) {
            if (!place_keyword(spec, PyTuple_GetItem(kwnames, k), args[nargs + k], out))
                return false;
        }
    }
    return check_required(spec, out);
}

bool parse_tuple_args(ArgSpec const& spec, PyObject* args, PyObject* kwargs, PyObject** out)
{
    std::size_t count = spec.names.size();
    for (std::size_t i = 0; i < count; ++i)
        out[i] = nullptr;
    Py_ssize_t nargs = args ? PyTuple_Size(args) : 0;
    if (nargs > spec.positional)
        return too_many_positional(spec, nargs);
    for (Py_ssize_t i = 0; i < nargs; ++i)
        out[i] = PyTuple_GetItem(args, i);
    if (kwargs) {
        PyObject* key;
        PyObject* value;
        Py_ssize_t position = 0;
        while (PyDict_Next(kwargs, &position, &key, &value)) {
            if (!place_keyword(spec, key, value, out))
                return false;
        }
    }
    return check_required(spec, out);
}

void set_argument_error(PyObject* type, char const* name, std::string_view message)
{
    std::string text = std::string("argument '") + name + "': ";
    text += message;
    PyErr_SetString(type, text.c_str());
}

void prefix_argument_error(char const* name)
{
    PyObject *type, *value, *traceback;
    PyErr_Fetch(&type, &value, &traceback);
    PyErr_NormalizeException(&type, &value, &traceback);
    // Unicode errors cannot be made from a message alone: they keep their
    // own text, which already names the codec, the character and its place.
    bool keeps_own_text = type && PyErr_GivenExceptionMatches(type, PyExc_UnicodeError);
    PyRef text = PyRef::steal(value && !keeps_own_text ? PyObject_Str(value) : nullptr);
    if (!text) {
        PyErr_Clear();
        PyErr_Restore(type, value, traceback);
        return;
    }
    PyErr_Format(type ? type : PyExc_TypeError, "argument '%s': %U", name, text.get());
    Py_XDECREF(type);
    Py_XDECREF(value);
    Py_XDECREF(traceback);
}

std::optional<float> to_f32(PyObject* value, char const* name)
{
    if (PyErr_Occurred())
        return std::nullopt; // an earlier argument failed; keep its error
    if (PyFloat_Check(value))
        return static_cast<float>(PyFloat_AsDouble(value));
    double number = PyFloat_AsDouble(value);
    if (number == -1.0 && PyErr_Occurred()) {
        if (PyErr_ExceptionMatches(PyExc_TypeError)) {
            PyErr_Clear();
            set_argument_error(PyExc_TypeError, name, "must be real number, not " + type_name(value));
        } else {
            prefix_argument_error(name);
        }
        return std::nullopt;
    }
    return static_cast<float>(number);
}

std::optional<std::uint64_t> to_index(PyObject* value, char const* name, std::uint64_t max)
{
    if (PyErr_Occurred())
        return std::nullopt; // an earlier argument failed; keep its error
    if (!PyLong_Check(value)) {
        set_argument_error(PyExc_TypeError, name, "'" + type_name(value) + "' object cannot be interpreted as an integer");
        return std::nullopt;
    }
    unsigned long long number = PyLong_AsUnsignedLongLong(value);
    if (number == static_cast<unsigned long long>(-1) && PyErr_Occurred()) {
        // Negative ints fail here with "can't convert negative int to unsigned".
        prefix_argument_error(name);
        return std::nullopt;
    }
    if (number > max) {
        set_argument_error(PyExc_OverflowError, name, "out of range integral type conversion attempted");
        return std::nullopt;
    }
    return number;
}

std::optional<std::int32_t> to_i32(PyObject* value, char const* name)
{
    if (PyErr_Occurred())
        return std::nullopt; // an earlier argument failed; keep its error
    if (!PyLong_Check(value)) {
        set_argument_error(PyExc_TypeError, name, "'" + type_name(value) + "' object cannot be interpreted as an integer");
        return std::nullopt;
    }
    int overflow = 0;
    long long number = PyLong_AsLongLongAndOverflow(value, &overflow);
    if (number == -1 && PyErr_Occurred()) {
        prefix_argument_error(name);
        return std::nullopt;
    }
    if (overflow != 0 || number < INT32_MIN || number > INT32_MAX) {
        set_argument_error(PyExc_OverflowError, name, "out of range integral type conversion attempted");
        return std::nullopt;
    }
    return static_cast<std::int32_t>(number);
}

std::optional<bool> to_bool(PyObject* value, char const* name)
{
    if (PyErr_Occurred())
        return std::nullopt; // an earlier argument failed; keep its error
    if (value == Py_True)
        return true;
    if (value == Py_False)
        return false;
    // Plain ints are accepted as flags (0 is false); anything else is a mistake.
    if (PyLong_Check(value)) {
        int truth = PyObject_IsTrue(value);
        if (truth < 0) {
            prefix_argument_error(name);
            return std::nullopt;
        }
        return truth != 0;
    }
    cannot_convert(value, name, "bool");
    return std::nullopt;
}

std::int32_t saturate_to_i32(float value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<std::int32_t>(std::clamp(value, -2147483648.0f, 2147483520.0f));
}

std::optional<std::string_view> to_utf8(PyObject* value, char const* name)
{
    if (PyErr_Occurred())
        return std::nullopt; // an earlier argument failed; keep its error
    return str_utf8(value, name);
}

std::optional<std::string_view> str_utf8(PyObject* value, char const* name)
{
    // An exact str, nearly every text, is known without asking for its type's flags.
    if (Py_TYPE(value) != &PyUnicode_Type && !PyUnicode_Check(value)) {
        cannot_convert(value, name, "str");
        return std::nullopt;
    }
    Py_ssize_t size = 0;
    char const* data = PyUnicode_AsUTF8AndSize(value, &size);
    if (!data) {
        prefix_argument_error(name);
        return std::nullopt;
    }
    return std::string_view(data, static_cast<std::size_t>(size));
}

std::optional<Text> to_text(PyObject* value, char const* name)
{
    if (PyErr_Occurred())
        return std::nullopt; // an earlier argument failed; keep its error
    auto utf8 = to_utf8(value, name);
    if (!utf8)
        return std::nullopt;
    return utf8_to_utf16(*utf8);
}

bool sequence_size(PyObject* sequence, char const* name, Py_ssize_t& size)
{
    if (PyUnicode_Check(sequence)) {
        set_argument_error(PyExc_TypeError, name, "Can't extract `str` to `Vec`");
        return false;
    }
    if (!PySequence_Check(sequence)) {
        cannot_convert(sequence, name, "Sequence");
        return false;
    }
    size = PySequence_Size(sequence);
    if (size < 0) {
        prefix_argument_error(name);
        return false;
    }
    return true;
}

SequenceKind sequence_kind(PyObject* sequence)
{
    return PyList_Check(sequence) ? SequenceKind::List
        : PyTuple_Check(sequence) ? SequenceKind::Tuple
                                  : SequenceKind::Other;
}

PyRef sequence_item(PyObject* sequence, SequenceKind kind, Py_ssize_t index)
{
    switch (kind) {
    case SequenceKind::List: return PyRef::borrow(PyList_GetItem(sequence, index));
    case SequenceKind::Tuple: return PyRef::borrow(PyTuple_GetItem(sequence, index));
    case SequenceKind::Other: break;
    }
    return PyRef::steal(PySequence_GetItem(sequence, index));
}

std::size_t size_hint(PyObject* sequence)
{
    Py_ssize_t size = PyList_Check(sequence) ? PyList_Size(sequence)
        : PyTuple_Check(sequence)            ? PyTuple_Size(sequence)
                                             : 0;
    return static_cast<std::size_t>(std::max<Py_ssize_t>(size, 0));
}

std::optional<TextList> to_text_list(PyObject* value, char const* name)
{
    if (PyErr_Occurred())
        return std::nullopt; // an earlier argument failed; keep its error
    TextList items;
    items.reserve(size_hint(value));
    bool ok = for_each_item(value, name, [&](PyObject* item) {
        auto text = to_text(item, name);
        if (!text)
            return false;
        items.push_back(std::move(*text));
        return true;
    });
    if (!ok)
        return std::nullopt;
    return items;
}

std::optional<std::vector<float>> to_f32_list(PyObject* value, char const* name)
{
    if (PyErr_Occurred())
        return std::nullopt; // an earlier argument failed; keep its error
    std::vector<float> numbers;
    bool ok = for_each_item(value, name, [&](PyObject* item) {
        auto number = to_f32(item, name);
        if (!number)
            return false;
        numbers.push_back(*number);
        return true;
    });
    if (!ok)
        return std::nullopt;
    return numbers;
}

std::optional<std::vector<std::uint32_t>> to_index_list(PyObject* value, char const* name)
{
    if (PyErr_Occurred())
        return std::nullopt; // an earlier argument failed; keep its error
    std::vector<std::uint32_t> indexes;
    bool ok = for_each_item(value, name, [&](PyObject* item) {
        auto index = to_index(item, name);
        if (!index)
            return false;
        indexes.push_back(static_cast<std::uint32_t>(*index));
        return true;
    });
    if (!ok)
        return std::nullopt;
    return indexes;
}

PyObject* text_to_py(std::u16string_view text)
{
    std::string utf8 = utf16_to_utf8(text);
    return PyUnicode_FromStringAndSize(utf8.data(), static_cast<Py_ssize_t>(utf8.size()));
}

PyObject* text_list_to_py(TextList const& items)
{
    PyRef list = PyRef::steal(PyList_New(static_cast<Py_ssize_t>(items.size())));
    if (!list)
        return nullptr;
    for (std::size_t i = 0; i < items.size(); ++i) {
        PyObject* item = text_to_py(items[i]);
        if (!item)
            return nullptr;
        PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), item);
    }
    return list.release();
}

}
