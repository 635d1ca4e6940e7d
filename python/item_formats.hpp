// Converters for the structured arguments of the data-carrying widgets:
// table rows, tree rows, property rows, menus, canvas shapes and bytes. Like every
// converter they set the Python error and return std::nullopt on failure;
// bindings that return the same shapes reuse them.
#pragma once

#include "core/window/file_dialog.hpp"
#include "python/args.hpp"

namespace orvy::py {

// A sequence of rows, each a sequence of str.
std::optional<TextRows> to_table_rows(PyObject* value, char const* name);
// Rows as 3-tuples (depth, text, leaf) or mappings with the keys "depth",
// "text", "leaf", "open", "values", "bg", "fg", "icon", "cbg", "cfg".
std::optional<std::vector<TreeRow>> to_tree_rows(PyObject* value, char const* name);
// (key, value) pairs; values that are not str are shown as their str().
using PropertyRows = std::vector<std::pair<Text, Text>>;
std::optional<PropertyRows> to_property_rows(PyObject* value, char const* name);
// (title, [items]) pairs.
std::optional<std::vector<Menu>> to_menus(PyObject* value, char const* name);
// (kind, [numbers], colour, text) tuples; colour and text may be left out.
std::optional<std::vector<Shape>> to_shapes(PyObject* value, char const* name);
// Bytes from any object with the buffer protocol (bytes, bytearray, memoryview).
std::optional<std::vector<std::uint8_t>> to_bytes(PyObject* value, char const* name);
// (description, pattern) pairs of str for the file dialogs' filter.
std::optional<std::vector<FilePattern>> to_file_patterns(PyObject* value, char const* name);
// "#RGB", "#RRGGBB" or "#RRGGBBAA" packed as 0xRRGGBBAA; None or a text that
// does not parse gives no colour, anything else is a TypeError.
std::optional<std::optional<std::uint32_t>> to_packed_color(PyObject* value, char const* name);

}
