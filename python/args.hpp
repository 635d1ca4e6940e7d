// Argument parsing for the module's methods: one positional/keyword matcher
// with the interpreter's own error messages, and converters from Python
// objects to core values. Converters set the Python error and return
// std::nullopt on failure.
#pragma once

#include "core/models/model.hpp"
#include "core/tree/node.hpp"
#include "python/pyref.hpp"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvy::py {

// A method's parameters in signature order. `positional` of them may be
// passed by position (the rest are keyword-only), the first `required` must
// be given.
struct ArgSpec {
    char const* function; // for messages, e.g. "bt"
    std::vector<char const*> names;
    int positional = 0;
    int required = 0;
};

// Matches fast-call arguments to `spec`. `out` receives one borrowed object
// per parameter, null where the argument was not given. Sets TypeError with
// the interpreter's usual wording and returns false on a mismatch.
bool parse_args(ArgSpec const& spec, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, PyObject** out);
// The same for the classic (tuple, dict) calling convention of constructors.
bool parse_tuple_args(ArgSpec const& spec, PyObject* args, PyObject* kwargs, PyObject** out);

// Conversion failures read "argument 'name': ...".
void set_argument_error(PyObject* type, char const* name, std::string_view message);
// Re-raises the pending error with the argument's name in front of its text.
void prefix_argument_error(char const* name);

// Any real number (int, float, or an object with __float__/__index__) as a 32-bit float.
std::optional<float> to_f32(PyObject* value, char const* name);
// Non-negative int: a float is a TypeError, a negative int an OverflowError.
std::optional<std::uint64_t> to_index(PyObject* value, char const* name, std::uint64_t max = UINT32_MAX);
// Signed int of at most 32 bits.
std::optional<std::int32_t> to_i32(PyObject* value, char const* name);
std::optional<bool> to_bool(PyObject* value, char const* name);
// A float as a 32-bit int, saturating at the ends; NaN gives 0.
std::int32_t saturate_to_i32(float value);
// str as UTF-8; the view lives as long as the object.
std::optional<std::string_view> to_utf8(PyObject* value, char const* name);
// The same without first checking for an earlier argument's error, for
// converters that read many texts in a row and stop at the first failure.
std::optional<std::string_view> str_utf8(PyObject* value, char const* name);
std::optional<Text> to_text(PyObject* value, char const* name);
// A sequence of str; a plain str is rejected.
std::optional<TextList> to_text_list(PyObject* value, char const* name);
std::optional<std::vector<float>> to_f32_list(PyObject* value, char const* name);
std::optional<std::vector<std::uint32_t>> to_index_list(PyObject* value, char const* name);

// Iterates any sequence (list and tuple without copying); `visit` returns
// false to stop with the error set. A str is not accepted as a sequence.
template<class Visit>
bool for_each_item(PyObject* sequence, char const* name, Visit&& visit);
// The item count of a list or tuple, to reserve room for the converted items; 0 for other sequences.
std::size_t size_hint(PyObject* sequence);

// Results handed back to Python.
PyObject* text_to_py(std::u16string_view text);
PyObject* text_list_to_py(TextList const& items);

// Implementation of for_each_item: a list or tuple is read through its own
// calls, known once per sequence rather than asked again for every item.
enum class SequenceKind : std::uint8_t { List, Tuple, Other };
SequenceKind sequence_kind(PyObject* sequence);
bool sequence_size(PyObject* sequence, char const* name, Py_ssize_t& size);
PyRef sequence_item(PyObject* sequence, SequenceKind kind, Py_ssize_t index);
inline PyRef sequence_item(PyObject* sequence, Py_ssize_t index)
{
    return sequence_item(sequence, sequence_kind(sequence), index);
}

template<class Visit>
bool for_each_item(PyObject* sequence, char const* name, Visit&& visit)
{
    Py_ssize_t size = 0;
    if (!sequence_size(sequence, name, size))
        return false;
    SequenceKind kind = sequence_kind(sequence);
    for (Py_ssize_t i = 0; i < size; ++i) {
        // A strong reference, since converting an item may run Python code
        // that changes the sequence.
        PyRef item = sequence_item(sequence, kind, i);
        if (!item) {
            if (PyErr_ExceptionMatches(PyExc_IndexError)) {
                PyErr_Clear(); // the sequence shrank meanwhile: keep what was there
                break;
            }
            prefix_argument_error(name);
            return false;
        }
        if (!visit(item.get()))
            return false;
    }
    return true;
}

}
