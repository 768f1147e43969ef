// Reading a view ahead: while the caller goes through one run of a view's entries, the next runs,
// with their notes' item and file rows, are copied out of the file on a thread of its own through a
// second connection. The caller then makes the entries and notes out of the copies, which costs
// it about half of reading them. What is read ahead is taken only for the very position it was
// read for and while fresh; anything else (a jump, a failure, the view's end) drops it, and the
// caller reads as it would have.
#pragma once

#include "interfaces/Worker.h"
#include "store/DbFile.h"

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace store::local {

// The second connection to a database file, opened with the file so that both read the same one,
// and the thread that reads with it, started with the first job: jobs run one after the other.
class ReadAheadConnection {
public:
    explicit ReadAheadConnection(const std::filesystem::path& path);
    ~ReadAheadConnection(); // jobs not yet begun are dropped
    ReadAheadConnection(const ReadAheadConnection&) = delete;
    ReadAheadConnection& operator=(const ReadAheadConnection&) = delete;

    // Raises when no thread can be started or the job cannot be kept. A job dropped unrun (the
    // connection closing) is destroyed, so what it holds is given back.
    void post(std::function<void()> job);

    // For the jobs, on the thread: the statements, prepared for the first job.
    struct Statements {
        explicit Statements(const sql::Connection& db);
        sql::Statement entriesFrom, lastEntry, begin, commit;
        NoteBodyStatements noteBody;
    };
    sql::Connection db;
    Statements& statements();

private:
    std::optional<Statements> m_statements;
    std::unique_ptr<Worker> m_worker; // last: its jobs use the rest
};

// A run of a view's entries from one position on, copied ahead, with the view's size and the rows
// of the entries' notes.
struct ReadAheadRun {
    int64_t position = 0;
    CopiedRows entries; // as ViewEntryColumns() lists them
    int64_t count = 0;
    CopiedBodies bodies;
    std::chrono::steady_clock::time_point read;
};

// What a view's window has read ahead, shared with the reading thread.
struct ViewReadAhead {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<ReadAheadRun> runs; // in the order of the view
    int64_t next = 0;              // the position the first run starts at; 0: nothing is read ahead
    int64_t scheduledEnd = 0;      // the position after the last run asked for
    uint64_t generation = 0;       // counts the times it was dropped: older jobs keep nothing
    int reading = 0;               // jobs asked for and not ended
};

// The run read ahead from position on, when it is the one asked for next and fresh; waits while it
// is being read. Otherwise drops what was read ahead.
std::optional<ReadAheadRun> TakeReadAhead(ViewReadAhead& ahead, int64_t position);
void DropReadAhead(ViewReadAhead& ahead);

// The kinds of the columns of DbFile::entriesFrom, for copying its rows.
std::vector<CopiedRows::Kind> ViewEntryColumns();

} // namespace store::local
