// Where an export's cells go: a sheet holds the header row and the documents below it, and the ID
// column and the fields beside it, as the workbook format allows.
#pragma once

#include "interfaces/SpreadsheetAutomation.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdint>

// Documents past a sheet's last row, and fields past its last column, go on in further sheets;
// every block of documents has a sheet for each block of fields.
class SheetLayout {
public:
    // The rows and columns of a sheet of the format: the header row and the ID column aside, the
    // documents and fields a sheet holds.
    SheetLayout(WorkbookFormat format, int32_t docCount, qsizetype fields)
        : m_documentsPerSheet(static_cast<int32_t>(FormatInfo(format).maxRows - 1)),
          m_fieldsPerSheet(static_cast<int32_t>(FormatInfo(format).maxColumns - 1)), m_docCount(docCount),
          m_fields(static_cast<int32_t>(std::min<qsizetype>(fields, INT32_MAX))),
          m_rowBlocks(std::max(1, Blocks(docCount, m_documentsPerSheet))),
          m_columnBlocks(std::max(1, Blocks(m_fields, m_fieldsPerSheet))) {}

    int32_t columnBlocks() const { return m_columnBlocks; }
    // The sheet (from 1) of a document block and a field block.
    int32_t sheet(int32_t rowBlock, int32_t columnBlock) const { return rowBlock * m_columnBlocks + columnBlock + 1; }
    // The fields [first, last) of a field block.
    int32_t firstField(int32_t columnBlock) const { return columnBlock * m_fieldsPerSheet; }
    int32_t endField(int32_t columnBlock) const {
        return std::min(m_fields, firstField(columnBlock) + m_fieldsPerSheet);
    }
    int32_t rowBlock(int32_t r) const { return r / m_documentsPerSheet; }
    int32_t row(int32_t r) const { return r % m_documentsPerSheet + 2; }

    // A sheet's name when there are several: the documents and fields it holds, from 1.
    QString sheetName(int32_t rowBlock, int32_t columnBlock) const {
        if (m_rowBlocks * m_columnBlocks == 1)
            return {};
        QStringList parts;
        if (m_rowBlocks > 1)
            parts << QStringLiteral("文档%1-%2")
                         .arg(rowBlock * m_documentsPerSheet + 1)
                         .arg(std::min<int64_t>(m_docCount, int64_t{rowBlock + 1} * m_documentsPerSheet));
        if (m_columnBlocks > 1)
            parts << QStringLiteral("域%1-%2").arg(firstField(columnBlock) + 1).arg(endField(columnBlock));
        return parts.join(QLatin1Char(' '));
    }

private:
    static int32_t Blocks(int32_t count, int32_t size) {
        return static_cast<int32_t>((int64_t{count} + size - 1) / size);
    }

    int32_t m_documentsPerSheet;
    int32_t m_fieldsPerSheet;
    int32_t m_docCount;
    int32_t m_fields;
    int32_t m_rowBlocks;
    int32_t m_columnBlocks;
};
