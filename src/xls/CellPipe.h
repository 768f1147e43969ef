// A workbook (xls::Workbook or xls::XlsxWorkbook) filled with cell texts on a thread of its own, so
// that filling it (the string table; the rows' XML) runs beside the work that reads the data.
// Texts go in batches; at most two batches are under way, so memory stays bounded. The pipe owns
// its workbook and lends it out only once every text handed over is in it: nothing reaches the
// workbook while the thread may be writing to it.
#pragma once

#include "xls/Workbook.h"
#include "xls/XlsxWorkbook.h"

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace xls {

template <class Book> class CellPipe {
public:
    CellPipe();  // with a new, empty workbook
    ~CellPipe(); // waits for what was handed over, then ends the thread
    CellPipe(const CellPipe&) = delete;
    CellPipe& operator=(const CellPipe&) = delete;

    // Sets a cell's text in the active sheet, later, in the order of the calls. A cell outside the
    // worksheet is refused at once; a failure of an earlier text (too many distinct texts, no
    // memory) is raised here or by book().
    void setText(uint32_t row, uint32_t column, std::u16string_view text);
    // The workbook, once every text handed over is in it; raises an earlier failure. The
    // reference is good until the next setText().
    Book& book();

private:
    struct Cell {
        uint32_t row;
        uint32_t column;
        size_t offset; // of the text in Batch::texts
        size_t length;
    };
    struct Batch {
        std::vector<Cell> cells;
        std::u16string texts;
    };
    static constexpr size_t kBatchCells = 16384;

    void flush();
    void handOver();
    void run();
    void raisePending();

    Book m_book;
    Batch m_filling;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    Batch m_handed; // guarded by m_mutex
    bool m_full = false;
    bool m_busy = false;
    bool m_stop = false;
    std::exception_ptr m_failure;
    bool m_broken = false; // a text failed: the thread takes in no more (only it reads and writes this)
    std::thread m_thread;
};

extern template class CellPipe<Workbook>;
extern template class CellPipe<XlsxWorkbook>;

} // namespace xls
