#include "store/CopiedRows.h"

namespace store {

void CopiedRows::copy(const sql::Statement& row) {
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const int column = static_cast<int>(i);
        Cell& cell = m_cells.emplace_back();
        switch (m_columns[i]) {
        case Kind::Integer:
            cell.integer = row.int64(column);
            break;
        case Kind::Real:
            cell.real = row.real(column);
            break;
        case Kind::Bytes: {
            const std::string_view bytes = row.bytes(column);
            cell.offset = m_bytes.size();
            cell.length = bytes.size();
            m_bytes.append(bytes);
            break;
        }
        }
    }
}

} // namespace store
