// TextRows: the rows of a table, each a list of cell texts, kept in one
// UTF-16 buffer.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace orvy {

// Every cell is a range of one string, so ten thousand rows cost three
// growing arrays instead of an allocation per cell and per row. Rows are
// read as light views; a table replaces its rows whole.
class TextRows {
public:
    class Row {
    public:
        std::size_t size() const { return m_last - m_first; }
        bool empty() const { return m_first == m_last; }
        std::u16string_view operator[](std::size_t cell) const { return m_rows->cell(m_first + cell); }
        std::u16string_view front() const { return (*this)[0]; }

    private:
        friend class TextRows;
        Row(TextRows const* rows, std::size_t first, std::size_t last) : m_rows(rows), m_first(first), m_last(last) { }

        TextRows const* m_rows;
        std::size_t m_first; // index of the first cell in the table
        std::size_t m_last;
    };

    TextRows() = default;
    TextRows(std::initializer_list<std::initializer_list<std::u16string_view>> rows)
    {
        for (auto const& row : rows)
            push_back(row);
    }

    std::size_t size() const { return m_row_ends.size(); }
    bool empty() const { return m_row_ends.empty(); }
    Row operator[](std::size_t row) const { return { this, row == 0 ? 0 : m_row_ends[row - 1], m_row_ends[row] }; }

    void reserve(std::size_t rows, std::size_t cells, std::size_t units)
    {
        m_row_ends.reserve(rows);
        m_cell_ends.reserve(cells);
        m_text.reserve(units);
    }
    void push_back(std::initializer_list<std::u16string_view> cells)
    {
        for (std::u16string_view cell : cells) {
            m_text.append(cell);
            end_cell();
        }
        end_row();
    }
    void assign(std::size_t count, std::initializer_list<std::u16string_view> cells)
    {
        *this = {};
        for (std::size_t i = 0; i < count; ++i)
            push_back(cells);
    }

    // Building in place: append a cell's text to `text()`, then end the cell;
    // end the row after its last cell.
    std::u16string& text() { return m_text; }
    void end_cell() { m_cell_ends.push_back(m_text.size()); }
    void end_row() { m_row_ends.push_back(m_cell_ends.size()); }

    friend bool operator==(TextRows const&, TextRows const&) = default;

private:
    std::u16string_view cell(std::size_t index) const
    {
        std::size_t start = index == 0 ? 0 : m_cell_ends[index - 1];
        return std::u16string_view(m_text).substr(start, m_cell_ends[index] - start);
    }

    std::u16string m_text;
    std::vector<std::size_t> m_cell_ends; // one past each cell's last unit in m_text
    std::vector<std::size_t> m_row_ends;  // one past each row's last cell
};

}
