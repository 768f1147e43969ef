// A workbook (xls::Workbook or xls::XlsxWorkbook) filled with cell texts on a thread of its own, so
// that filling it (the string table; the rows' XML) runs beside the work that reads the data.
// Texts go in batches; at most two batches are under way, so memory stays bounded. The pipe owns
// its workbook and lends it out only once every text handed over is in it: nothing reaches the
// workbook while the thread may be writing to it.
#pragma once

#include "interfaces/Worker.h"
#include "xls/Workbook.h"
#include "xls/XlsxWorkbook.h"

#include <cstdint>
#include <string>
#include <string_view>
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
    // memory) is raised here and by every later call: no text after it goes in.
    void setText(uint32_t row, uint32_t column, std::u16string_view text);
    // The workbook, once every text handed over is in it; raises an earlier failure. The
    // reference is good until the next setText().
    Book& book();
    // The workbook as far as it was written: the texts before a failure, none after it. For
    // saving what was written once a text has failed; raises nothing of the texts.
    Book& bookAsWritten();
    // The failure of a text, once one has failed.
    std::exception_ptr failure() const { return m_worker.failure(); }

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

    void handOver();
    void fill(Batch& batch);

    Book m_book;
    // One batch waits for the thread and one is being written while the third fills; so the
    // one filled next is never one the thread still reads.
    Batch m_batches[3];
    size_t m_filling = 0;
    Worker m_worker{Worker::Limits{1}}; // last: its jobs use the rest
};

extern template class CellPipe<Workbook>;
extern template class CellPipe<XlsxWorkbook>;

} // namespace xls
