// What an import writes into: the database being written and the report, with the rules every
// import keeps, whatever it reads (DXL, Domino database files): a universal ID that is none gets
// a new one, as does a second document of one ID (appending, it replaces the first), the items
// are counted, and a database left without a view people browse gets one of all documents.
// The writing is done on a thread of its own while the caller reads on: every call is carried out
// there in the order of the calls, so the database and the report are what one thread would make.
#pragma once

#include "import/Import.h"
#include "interfaces/Worker.h"
#include "store/Note.h"

#include <QHash>
#include <QString>

#include <functional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace store {
class DatabaseWriter;
} // namespace store

namespace importer {

using store::DatabaseWriter;
using store::NoteData;
using store::ViewDef;

class ImportTarget {
public:
    ImportTarget(DatabaseWriter& writer, ImportReport& report, bool append);
    ~ImportTarget(); // ends the writing thread; what still waits is dropped
    ImportTarget(const ImportTarget&) = delete;
    ImportTarget& operator=(const ImportTarget&) = delete;

    // A document; where names it in report lines ("file:line", "file: note 0x8F6 (UNID)").
    void addDocument(NoteData document, const QString& where);
    void addView(const ViewDef& view);
    // The same; a view whose formulas the store refuses is not added but reported at where as a
    // loss, in the text refused(the store's reason) gives.
    void addView(const ViewDef& view, const QString& where, std::function<QString(const QString&)> refused);
    // Pictures kept in the documents' rich text.
    void countPictures(int64_t count);
    // A report line: "where：text". A line of the same text as the one before it joins it: the
    // report then says from where to where, and how often.
    void report(const QString& where, const QString& text);
    // The same for something of the data that is not read or not kept.
    void reportLoss(const QString& where, const QString& text);
    // The title of a database read, which a new database takes from the first file that has one.
    void setTitle(const std::u16string& title);
    // Adds the view of all documents to a database without a view people browse, once everything
    // handed over is written. A failure of the writing (a full disk, say) is raised here, or by
    // any call after it: nothing more is written from then on.
    void finish();

private:
    // Hands a call over to the writing thread; weight is about the bytes it holds. Waits while
    // much is waiting, so that memory stays flat.
    void post(std::function<void()> call, size_t weight);

    // The calls themselves, on the writing thread.
    void writeDocument(NoteData document, const QString& where);
    void writeView(const ViewDef& view);
    void writeReport(const QString& where, const QString& text);
    void writeFinish();
    void flushRun();

    DatabaseWriter& m_writer;
    ImportReport& m_report;
    bool m_append;
    // Documents holding each item name, in the order the names were first met.
    std::vector<std::pair<QString, int64_t>> m_itemCounts;
    std::unordered_map<QString, size_t> m_itemIndex;
    std::unordered_set<std::u16string> m_imported; // universal IDs this import wrote
    int m_shownViews = 0;
    bool m_titled = false;
    // The run of lines of one text being gathered.
    QString m_runText, m_runFirst, m_runLast;
    qsizetype m_runCount = 0;

    // The writing thread: at most 256 calls or 16 MB of documents wait; it is woken for 32 calls,
    // as waking it costs more than a call.
    Worker m_worker{Worker::Limits{256, 16 << 20, 32}}; // last: its calls use the rest
};

} // namespace importer
