#include "xls/CellPipe.h"

#include <utility>

namespace xls {

template <class Book> CellPipe<Book>::CellPipe() {
    m_filling.cells.reserve(kBatchCells);
    m_thread = std::thread([this] { run(); });
}

template <class Book> CellPipe<Book>::~CellPipe() {
    try {
        handOver();
    } catch (...) {
        // The workbook is being thrown away: what could not be written no longer matters.
    }
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

template <class Book> void CellPipe<Book>::setText(uint32_t row, uint32_t column, std::u16string_view text) {
    Book::checkCell(row, column);
    m_filling.cells.push_back({row, column, m_filling.texts.size(), text.size()});
    m_filling.texts.append(text);
    if (m_filling.cells.size() >= kBatchCells)
        handOver();
}

template <class Book> Book& CellPipe<Book>::book() {
    flush();
    return m_book;
}

template <class Book> void CellPipe<Book>::flush() {
    handOver();
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_full && !m_busy; });
    lock.unlock();
    raisePending();
}

template <class Book> void CellPipe<Book>::handOver() {
    if (m_filling.cells.empty())
        return raisePending();
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_full; });
    std::swap(m_handed, m_filling);
    m_full = true;
    lock.unlock();
    m_changed.notify_all();
    m_filling.cells.clear();
    m_filling.texts.clear();
    raisePending();
}

template <class Book> void CellPipe<Book>::raisePending() {
    std::exception_ptr failure;
    {
        std::lock_guard lock(m_mutex);
        failure = std::exchange(m_failure, nullptr);
    }
    if (failure)
        std::rethrow_exception(failure);
}

template <class Book> void CellPipe<Book>::run() {
    Batch batch;
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_full || m_stop; });
            if (!m_full)
                return;
            std::swap(batch, m_handed);
            m_full = false;
            m_busy = true;
        }
        m_changed.notify_all();
        std::exception_ptr failure;
        // After a failure no later text goes in: the workbook holds the cells before it and no
        // others, with no gap where the failed ones were.
        if (!m_broken) {
            try {
                const std::u16string_view texts(batch.texts);
                for (const Cell& cell : batch.cells)
                    m_book.setText(cell.row, cell.column, texts.substr(cell.offset, cell.length));
            } catch (...) {
                failure = std::current_exception();
                m_broken = true;
            }
        }
        batch.cells.clear();
        batch.texts.clear();
        {
            std::lock_guard lock(m_mutex);
            m_busy = false;
            if (failure && !m_failure)
                m_failure = failure;
        }
        m_changed.notify_all();
    }
}

template class CellPipe<Workbook>;
template class CellPipe<XlsxWorkbook>;

} // namespace xls
