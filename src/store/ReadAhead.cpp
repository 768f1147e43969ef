#include "store/ReadAhead.h"
#include "store/DbFile.h"
#include "store/ViewWindow.h"

namespace store::local {

namespace {

constexpr int64_t kRunsAhead = 2;  // runs kept read ahead at least
constexpr int64_t kRunsPerJob = 4; // runs one job reads, so that the threads seldom wait for each other

void Drop(ViewReadAhead& ahead) {
    ++ahead.generation;
    ahead.runs.clear();
    ahead.next = ahead.scheduledEnd = 0;
}

// Copies the run from position on; nothing when it fails (the caller's own reading then raises it).
std::optional<ReadAheadRun> CopyRun(ReadAheadConnection& connection, int64_t viewId, int64_t position) {
    try {
        ReadAheadRun run{position, CopiedRows(ViewEntryColumns()), 0, {}, {}};
        auto& statements = connection.statements();
        statements.begin.run();
        try {
            std::vector<int64_t> ids;
            {
                sql::ResetOnExit reset{statements.entriesFrom, statements.lastEntry};
                statements.entriesFrom.bind(1, viewId).bind(2, position).bind(3, ViewWindow::kRows);
                while (statements.entriesFrom.step()) {
                    run.entries.copy(statements.entriesFrom);
                    ids.push_back(statements.entriesFrom.int64(1));
                }
                statements.lastEntry.bind(1, viewId);
                run.count = statements.lastEntry.step() ? statements.lastEntry.int64(0) : 0;
            }
            run.bodies = CopyNoteBodies(statements.noteBody, std::move(ids));
        } catch (...) {
            connection.db.exec("ROLLBACK");
            throw;
        }
        statements.commit.run();
        run.read = std::chrono::steady_clock::now();
        return run;
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace

std::vector<CopiedRows::Kind> ViewEntryColumns() {
    using Kind = CopiedRows::Kind;
    return {Kind::Integer, Kind::Integer, Kind::Bytes, Kind::Bytes, Kind::Bytes, Kind::Real, Kind::Real};
}

ReadAheadConnection::Statements::Statements(const sql::Connection& db)
    : entriesFrom(db.prepare(kEntriesFrom)), lastEntry(db.prepare(kLastEntry)), begin(db.prepare("BEGIN")),
      commit(db.prepare("COMMIT")), noteBody(db) {}

// SQLite opens the file at once (it reads it only when asked): the connection keeps this very file.
ReadAheadConnection::ReadAheadConnection(const std::filesystem::path& path)
    : db(path, sql::Connection::Mode::ReadOnly) {}

ReadAheadConnection::~ReadAheadConnection() = default;

ReadAheadConnection::Statements& ReadAheadConnection::statements() {
    if (!m_statements)
        m_statements.emplace(db);
    return *m_statements;
}

void ReadAheadConnection::post(std::function<void()> job) {
    if (!m_worker)
        m_worker = std::make_unique<Worker>(Worker::Limits{16});
    m_worker->post(std::move(job));
}

void ReadAheadClose::operator()(ReadAheadConnection* connection) const {
    delete connection;
}

std::unique_ptr<ReadAheadConnection, ReadAheadClose> OpenReadAhead(const std::filesystem::path& path) {
    try {
        return std::unique_ptr<ReadAheadConnection, ReadAheadClose>(new ReadAheadConnection(path));
    } catch (const std::exception&) {
        return nullptr; // read on the one connection alone
    }
}

std::optional<ReadAheadRun> TakeReadAhead(ViewReadAhead& ahead, int64_t position) {
    std::unique_lock lock(ahead.mutex);
    if (ahead.next == 0 || ahead.next != position) {
        Drop(ahead);
        return std::nullopt;
    }
    ahead.changed.wait(lock, [&] { return !ahead.runs.empty() || ahead.reading == 0; });
    if (ahead.runs.empty() || ahead.runs.front().position != position || ahead.runs.front().entries.size() == 0 ||
        !ViewWindow::Fresh(ahead.runs.front().read)) {
        Drop(ahead);
        return std::nullopt;
    }
    ReadAheadRun run = std::move(ahead.runs.front());
    ahead.runs.pop_front();
    ahead.next = position + static_cast<int64_t>(run.entries.size());
    return run;
}

void DropReadAhead(ViewReadAhead& ahead) {
    std::lock_guard lock(ahead.mutex);
    Drop(ahead);
}

void KeepReadingAhead(DbFile& file, int64_t viewId, const std::shared_ptr<ViewReadAhead>& ahead, int64_t end,
                      int64_t count) {
    if (!file.ahead)
        return;
    // A job's count of reading is given back when the job ends, or when it is dropped unrun.
    struct Ticket {
        std::shared_ptr<ViewReadAhead> ahead;
        bool counted = false;
        ~Ticket() {
            if (!counted)
                return;
            {
                std::lock_guard lock(ahead->mutex);
                --ahead->reading;
            }
            ahead->changed.notify_all();
        }
    };
    std::shared_ptr<Ticket> ticket;
    int64_t from = 0;
    uint64_t generation = 0;
    {
        std::lock_guard lock(ahead->mutex);
        if (ahead->next == 0)
            ahead->next = ahead->scheduledEnd = end;
        if (ahead->next != end || ahead->scheduledEnd - ahead->next >= kRunsAhead * ViewWindow::kRows ||
            ahead->scheduledEnd > count)
            return;
        ticket = std::make_shared<Ticket>(); // before the count: no count is taken that nothing gives back
        ticket->ahead = ahead;
        from = ahead->scheduledEnd;
        ahead->scheduledEnd += kRunsPerJob * ViewWindow::kRows;
        generation = ahead->generation;
        ++ahead->reading;
        ticket->counted = true;
    }
    ReadAheadConnection& connection = *file.ahead;
    const auto job = [&connection, ticket, viewId, from, generation] {
        const std::shared_ptr<ViewReadAhead>& ahead = ticket->ahead;
        try {
            for (int64_t position = from; position < from + kRunsPerJob * ViewWindow::kRows;
                 position += ViewWindow::kRows) {
                {
                    std::lock_guard lock(ahead->mutex);
                    if (ahead->generation != generation)
                        break;
                }
                std::optional<ReadAheadRun> run = CopyRun(connection, viewId, position);
                const bool last = !run || run->entries.size() < static_cast<size_t>(ViewWindow::kRows);
                {
                    std::lock_guard lock(ahead->mutex);
                    if (ahead->generation != generation)
                        break;
                    if (run)
                        ahead->runs.push_back(std::move(*run));
                }
                ahead->changed.notify_all();
                if (last)
                    break;
            }
        } catch (...) {
            // No memory to keep a run: nothing more is read ahead; the caller reads as before.
            std::lock_guard lock(ahead->mutex);
            if (ahead->generation == generation)
                Drop(*ahead);
        }
    };
    try {
        connection.post(job);
    } catch (...) {
        // No thread, or no memory for the job: nothing is read ahead, the caller reads as before.
        std::lock_guard lock(ahead->mutex);
        Drop(*ahead);
    }
}

} // namespace store::local
