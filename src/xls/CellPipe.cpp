#include "xls/CellPipe.h"

namespace xls {

namespace {

template <class Batch> void Empty(Batch& batch) {
    batch.cells.clear();
    batch.texts.clear();
}

} // namespace

template <class Book> CellPipe<Book>::CellPipe() {
    for (Batch& batch : m_batches)
        batch.cells.reserve(kBatchCells);
}

template <class Book> CellPipe<Book>::~CellPipe() {
    try {
        handOver();
        m_worker.finish();
    } catch (...) {
        // The workbook is being thrown away: what could not be written no longer matters.
    }
}

template <class Book> void CellPipe<Book>::setText(uint32_t row, uint32_t column, std::u16string_view text) {
    Book::checkCell(row, column);
    Batch& batch = m_batches[m_filling];
    batch.cells.push_back({row, column, batch.texts.size(), text.size()});
    batch.texts.append(text);
    if (batch.cells.size() >= kBatchCells)
        handOver();
}

template <class Book> Book& CellPipe<Book>::book() {
    handOver();
    m_worker.finish();
    return m_book;
}

template <class Book> Book& CellPipe<Book>::bookAsWritten() {
    try {
        book();
    } catch (...) {
        // A text failed: the workbook holds those before it.
    }
    return m_book;
}

template <class Book> void CellPipe<Book>::handOver() {
    Batch& batch = m_batches[m_filling];
    if (batch.cells.empty()) {
        if (const auto failure = m_worker.failure())
            std::rethrow_exception(failure);
        return;
    }
    try {
        m_worker.post([this, &batch] { fill(batch); });
    } catch (...) {
        Empty(batch); // refused: its texts go nowhere, and the batch fills afresh
        throw;
    }
    m_filling = (m_filling + 1) % 3;
}

template <class Book> void CellPipe<Book>::fill(Batch& batch) {
    // Emptied on every way out, so that the batch serves again; a failure goes on to the worker.
    const struct Emptied {
        Batch& batch;
        ~Emptied() { Empty(batch); }
    } emptied{batch};
    const std::u16string_view texts(batch.texts);
    for (const Cell& cell : batch.cells)
        m_book.setText(cell.row, cell.column, texts.substr(cell.offset, cell.length));
}

template class CellPipe<Workbook>;
template class CellPipe<XlsxWorkbook>;

} // namespace xls
