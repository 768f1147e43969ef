// What an import writes into: the database being written and the report, with the rules every
// import keeps, whatever it reads (DXL, Domino database files): a universal ID that is none gets
// a new one, as does a second document of one ID (appending, it replaces the first), the items
// are counted, and a database left without a view people browse gets one of all documents.
#pragma once

#include "import/Import.h"
#include "store/Note.h"

#include <QHash>
#include <QString>

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
    ImportTarget(DatabaseWriter& writer, ImportReport& report, bool append)
        : m_writer(writer), m_report(report), m_append(append) {}

    // A document; where names it in report lines ("file:line", "file: note 0x8F6 (UNID)").
    void addDocument(NoteData document, const QString& where);
    void addView(const ViewDef& view);
    // Pictures kept in the documents' rich text.
    void countPictures(int64_t count) { m_report.pictures += count; }
    // A report line: "where：text". A line of the same text as the one before it joins it: the
    // report then says from where to where, and how often.
    void report(const QString& where, const QString& text);
    // The same for something of the data that is not read or not kept.
    void reportLoss(const QString& where, const QString& text);
    // The title of a database read, which a new database takes from the first file that has one.
    void setTitle(const std::u16string& title);
    // Adds the view of all documents to a database without a view people browse.
    void finish();

private:
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
    void flushRun();
    QString m_runText, m_runFirst, m_runLast;
    qsizetype m_runCount = 0;
};

} // namespace importer
