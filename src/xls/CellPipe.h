// Cell texts handed from the thread that produces them to a thread of their own that puts them
// into a workbook, so that filling the string table runs beside the work that reads the data.
// Texts go in batches; at most two batches are under way, so memory stays bounded.
#pragma once

#include "xls/Workbook.h"

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace xls {

class CellPipe {
public:
    explicit CellPipe(Workbook& book);
    ~CellPipe(); // waits for what was handed over, then ends the thread
    CellPipe(const CellPipe&) = delete;
    CellPipe& operator=(const CellPipe&) = delete;

    // Sets a cell's text in the active sheet, later, in the order of the calls. The cell must lie
    // within the worksheet. A failure of an earlier text (too many distinct texts, no memory) is
    // raised here or by flush().
    void setText(uint32_t row, uint32_t column, std::u16string_view text);
    // Waits until every text handed over is in the workbook; raises an earlier failure.
    void flush();

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
    void run();
    void raisePending();

    Workbook& m_book;
    Batch m_filling;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    Batch m_handed; // guarded by m_mutex
    bool m_full = false;
    bool m_busy = false;
    bool m_stop = false;
    std::exception_ptr m_failure;
    std::thread m_thread;
};

} // namespace xls
