// Structured argument converters: table, tree and property rows, menus, shapes.
#include "python/item_formats.hpp"

#include "core/base/utf.hpp"
#include "core/operations/operations.hpp"
#include "core/style/css.hpp"

#include <algorithm>

namespace orvy::py {

namespace {

bool is_pair_like(PyObject* value) { return PyTuple_Check(value) || PyList_Check(value); }

// The items of a tuple or list of `minimum` to `maximum` entries.
bool unpack(PyObject* value, char const* name, char const* what, Py_ssize_t minimum, Py_ssize_t maximum,
    std::vector<PyRef>& items)
{
    if (!is_pair_like(value)) {
        set_argument_error(PyExc_TypeError, name, std::string(what) + " must be a tuple");
        return false;
    }
    auto wrong_size = [&] {
        set_argument_error(PyExc_TypeError, name,
            std::string(what) + " must have " + std::to_string(minimum)
                + (minimum == maximum ? "" : " to " + std::to_string(maximum)) + " items");
        return false;
    };
    Py_ssize_t size = PySequence_Size(value);
    if (size < minimum || size > maximum)
        return wrong_size();
    items.clear();
    for (Py_ssize_t i = 0; i < size; ++i) {
        items.push_back(sequence_item(value, i));
        if (!items.back()) {
            // A sequence that shrinks while it is read no longer has the items it claimed.
            if (!PyErr_ExceptionMatches(PyExc_IndexError)) {
                prefix_argument_error(name);
                return false;
            }
            PyErr_Clear();
            return wrong_size();
        }
    }
    return true;
}

// A sequence of two-item tuples, each converted by `first` and `second`
// into one `{first, second}` record.
template<class Record, class First, class Second>
std::optional<std::vector<Record>> to_pairs(PyObject* value, char const* name, char const* what, First first,
    Second second)
{
    std::vector<Record> records;
    std::vector<PyRef> parts;
    bool ok = for_each_item(value, name, [&](PyObject* item) {
        if (!unpack(item, name, what, 2, 2, parts))
            return false;
        auto a = first(parts[0].get(), name);
        if (!a)
            return false;
        auto b = second(parts[1].get(), name);
        if (!b)
            return false;
        records.push_back({ std::move(*a), std::move(*b) });
        return true;
    });
    return ok ? std::optional(std::move(records)) : std::nullopt;
}

// A mapping entry, or null without an error when the key is absent.
bool lookup(PyObject* mapping, char const* key, char const* name, PyRef& out)
{
    out = PyRef::steal(PyMapping_GetItemString(mapping, key));
    if (out)
        return true;
    if (PyErr_ExceptionMatches(PyExc_KeyError)) {
        PyErr_Clear();
        return true;
    }
    prefix_argument_error(name);
    return false;
}

std::optional<std::vector<std::optional<std::uint32_t>>> to_color_list(PyObject* value, char const* name)
{
    std::vector<std::optional<std::uint32_t>> colors;
    bool ok = for_each_item(value, name, [&](PyObject* item) {
        auto color = to_packed_color(item, name);
        if (color)
            colors.push_back(*color);
        return color.has_value();
    });
    return ok ? std::optional(std::move(colors)) : std::nullopt;
}

std::optional<TreeRow> tree_row_from_mapping(PyObject* mapping, char const* name)
{
    TreeRow row;
    PyRef entry;
    if (!lookup(mapping, "depth", name, entry))
        return std::nullopt;
    if (entry) {
        auto depth = to_index(entry.get(), name);
        if (!depth)
            return std::nullopt;
        row.depth = static_cast<std::uint32_t>(*depth);
    }
    auto read_text = [&](char const* key, Text& out) {
        if (!lookup(mapping, key, name, entry))
            return false;
        if (!entry || entry.is_none())
            return true;
        auto text = to_text(entry.get(), name);
        if (text)
            out = std::move(*text);
        return text.has_value();
    };
    auto read_flag = [&](char const* key, bool& out) {
        if (!lookup(mapping, key, name, entry))
            return false;
        if (!entry || entry.is_none())
            return true;
        auto flag = to_bool(entry.get(), name);
        if (flag)
            out = *flag;
        return flag.has_value();
    };
    auto read_color = [&](char const* key, std::optional<std::uint32_t>& out) {
        if (!lookup(mapping, key, name, entry))
            return false;
        if (!entry)
            return true;
        auto color = to_packed_color(entry.get(), name);
        if (color)
            out = *color;
        return color.has_value();
    };
    auto read_list = [&](char const* key, auto convert, auto& out) {
        if (!lookup(mapping, key, name, entry))
            return false;
        if (!entry || entry.is_none())
            return true;
        auto list = convert(entry.get(), name);
        if (list)
            out = std::move(*list);
        return list.has_value();
    };
    if (!read_text("text", row.text) || !read_flag("leaf", row.leaf) || !read_flag("open", row.open)
        || !read_list("values", to_text_list, row.values) || !read_color("bg", row.background)
        || !read_color("fg", row.foreground) || !read_text("icon", row.icon)
        || !read_list("cbg", to_color_list, row.cell_backgrounds) || !read_list("cfg", to_color_list, row.cell_foregrounds))
        return std::nullopt;
    return row;
}

}

std::optional<std::optional<std::uint32_t>> to_packed_color(PyObject* value, char const* name)
{
    if (value == Py_None)
        return std::optional<std::uint32_t>();
    auto text = to_utf8(value, name);
    if (!text)
        return std::nullopt;
    std::optional<std::uint32_t> packed;
    if (auto color = parse_color(*text))
        packed = pack_rgba(*color);
    return packed;
}

std::optional<TextRows> to_table_rows(PyObject* value, char const* name)
{
    // One pass straight into the table's buffer: no text or list is made
    // per cell or per row. Each cell is checked and reported as `to_text`
    // would report it.
    TextRows rows;
    std::size_t count = size_hint(value);
    bool ok = for_each_item(value, name, [&](PyObject* row) {
        bool cells_ok = for_each_item(row, name, [&](PyObject* cell) {
            auto utf8 = str_utf8(cell, name);
            if (!utf8)
                return false;
            append_utf8_as_utf16(rows.text(), *utf8);
            rows.end_cell();
            return true;
        });
        if (!cells_ok)
            return false;
        rows.end_row();
        // The first row stands for the others: room for all of them (and an
        // eighth more text) at once, instead of growing as they come. Only a
        // guess: a first row far longer than the rest must not ask for memory
        // the table never needs, so the guess stops where growing costs little.
        if (rows.size() == 1) {
            constexpr std::size_t most_cells = std::size_t { 1 } << 22, most_units = std::size_t { 1 } << 24;
            std::size_t units = rows.text().size() + 1;
            rows.reserve(count, std::min(count * rows[0].size(), most_cells),
                std::min(count * units + count * units / 8, most_units));
        }
        return true;
    });
    return ok ? std::optional(std::move(rows)) : std::nullopt;
}

std::optional<std::vector<TreeRow>> to_tree_rows(PyObject* value, char const* name)
{
    std::vector<TreeRow> rows;
    std::vector<PyRef> parts;
    bool ok = for_each_item(value, name, [&](PyObject* item) {
        if (is_pair_like(item)) {
            if (!unpack(item, name, "a row", 3, 3, parts))
                return false;
            auto depth = to_index(parts[0].get(), name);
            auto text = depth ? to_text(parts[1].get(), name) : std::nullopt;
            auto leaf = text ? to_bool(parts[2].get(), name) : std::nullopt;
            if (!leaf)
                return false;
            TreeRow row;
            row.depth = static_cast<std::uint32_t>(*depth);
            row.text = std::move(*text);
            row.leaf = *leaf;
            rows.push_back(std::move(row));
            return true;
        }
        if (!PyMapping_Check(item) || PyUnicode_Check(item)) {
            set_argument_error(PyExc_TypeError, name, "a row must be a tuple (depth, text, leaf) or a mapping");
            return false;
        }
        auto row = tree_row_from_mapping(item, name);
        if (row)
            rows.push_back(std::move(*row));
        return row.has_value();
    });
    return ok ? std::optional(std::move(rows)) : std::nullopt;
}

std::optional<PropertyRows> to_property_rows(PyObject* value, char const* name)
{
    PropertyRows rows;
    std::vector<PyRef> parts;
    bool ok = for_each_item(value, name, [&](PyObject* item) {
        if (!unpack(item, name, "a row", 2, 2, parts))
            return false;
        Text texts[2];
        for (int i = 0; i < 2; ++i) {
            PyRef shown = PyUnicode_Check(parts[i].get()) ? parts[i] : PyRef::steal(PyObject_Str(parts[i].get()));
            auto text = shown ? to_text(shown.get(), name) : std::nullopt;
            if (!text) {
                if (!shown)
                    prefix_argument_error(name);
                return false;
            }
            texts[i] = std::move(*text);
        }
        rows.emplace_back(std::move(texts[0]), std::move(texts[1]));
        return true;
    });
    return ok ? std::optional(std::move(rows)) : std::nullopt;
}

std::optional<std::vector<FilePattern>> to_file_patterns(PyObject* value, char const* name)
{
    return to_pairs<FilePattern>(value, name, "a pattern", to_text, to_text);
}

std::optional<std::vector<Menu>> to_menus(PyObject* value, char const* name)
{
    return to_pairs<Menu>(value, name, "a menu", to_text, to_text_list);
}

std::optional<std::vector<Shape>> to_shapes(PyObject* value, char const* name)
{
    std::vector<Shape> shapes;
    std::vector<PyRef> parts;
    bool ok = for_each_item(value, name, [&](PyObject* item) {
        if (!unpack(item, name, "a shape", 2, 4, parts))
            return false;
        auto kind = to_utf8(parts[0].get(), name);
        auto numbers = kind ? to_f32_list(parts[1].get(), name) : std::nullopt;
        if (!numbers)
            return false;
        std::optional<Color> color;
        if (parts.size() > 2 && !parts[2].is_none()) {
            auto text = to_utf8(parts[2].get(), name);
            if (!text)
                return false;
            color = parse_color(*text);
        }
        Text label;
        if (parts.size() > 3 && !parts[3].is_none()) {
            auto text = to_text(parts[3].get(), name);
            if (!text)
                return false;
            label = std::move(*text);
        }
        shapes.push_back(make_shape(*kind, *numbers, color, std::move(label)));
        return true;
    });
    return ok ? std::optional(std::move(shapes)) : std::nullopt;
}

std::optional<std::vector<std::uint8_t>> to_bytes(PyObject* value, char const* name)
{
    Py_buffer view;
    if (PyObject_GetBuffer(value, &view, PyBUF_SIMPLE) < 0) {
        prefix_argument_error(name);
        return std::nullopt;
    }
    auto const* begin = static_cast<std::uint8_t const*>(view.buf);
    std::vector<std::uint8_t> bytes(begin, begin + view.len);
    PyBuffer_Release(&view);
    return bytes;
}

}
