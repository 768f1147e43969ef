// Rows of a query copied out of its statement, each column read as its reader will read it (an
// integer, a real number or bytes), so that they can be read after the statement has moved on, on
// another thread. A copied row answers int64(), real(), bytes() and text() as the statement did.
#pragma once

#include "store/Sqlite.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace store {

class CopiedRows {
    struct Cell {
        union {
            int64_t integer;
            double real;
            size_t offset;
        };
        size_t length = 0;
    };

public:
    enum class Kind : uint8_t { Integer, Real, Bytes };

    explicit CopiedRows(std::vector<Kind> columns) : m_columns(std::move(columns)) {}

    // Copies the statement's current row, reading column i as m_columns[i].
    void copy(const sql::Statement& row);
    size_t size() const { return m_columns.empty() ? 0 : m_cells.size() / m_columns.size(); }

    class Row {
    public:
        int64_t int64(int column) const { return cell(column).integer; }
        double real(int column) const { return cell(column).real; }
        std::string_view bytes(int column) const {
            const Cell& c = cell(column);
            return std::string_view(m_rows->m_bytes).substr(c.offset, c.length);
        }
        std::string text(int column) const { return std::string(bytes(column)); }

    private:
        friend class CopiedRows;
        Row(const CopiedRows* rows, size_t first) : m_rows(rows), m_first(first) {}
        const Cell& cell(int column) const { return m_rows->m_cells[m_first + static_cast<size_t>(column)]; }
        const CopiedRows* m_rows;
        size_t m_first;
    };
    Row row(size_t index) const { return Row(this, index * m_columns.size()); }

    // Goes through the rows as a statement's steps do: next() before each row.
    class Cursor {
    public:
        explicit Cursor(const CopiedRows& rows) : m_rows(rows) {}
        bool next() { return ++m_index < m_rows.size(); }
        Row row() const { return m_rows.row(m_index); }

    private:
        const CopiedRows& m_rows;
        size_t m_index = static_cast<size_t>(-1);
    };

private:
    std::vector<Kind> m_columns;
    std::vector<Cell> m_cells;
    std::string m_bytes;
};

} // namespace store
