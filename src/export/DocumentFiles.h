// The files of one exported document (attachments, embedded objects, whole long texts), gathered
// while its row is written and saved together at its end, so that every file's name is known
// before any is given out; and the list of what an export could not save or read.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// A file the export could not save, or a cell whose field could not be read, and why.
struct MissingFile {
    QString documentId;
    QString fileName; // for a cell: the field's name
    QString reason;
    bool cell = false;
};

// How many files and how many cells a list of missing things holds.
struct MissingCounts {
    qsizetype files = 0;
    qsizetype cells = 0;
};
MissingCounts CountMissing(const std::vector<MissingFile>& missing);

class DocumentFiles {
public:
    // Writes a file to a full path, whole or not at all; raises an error carrying the reason when
    // it cannot. Returns false when it handed the file on to be written later (whoever writes it
    // then counts it).
    using Writer = std::function<bool(const QString& path)>;

    // parent: the folder that holds the document folders; the document's folder is named by its
    // ID there. missing: where files that cannot be saved are listed; written counts those saved.
    DocumentFiles(const QString& parent, QString documentId, std::vector<MissingFile>& missing, qsizetype& written)
        : m_parent(parent), m_documentId(std::move(documentId)), m_missing(missing), m_written(written) {}

    // The document's folder (its name is made only when a file needs it).
    const QString& folder();
    const QString& documentId() const { return m_documentId; }

    // A file named name by the data, written by write when the document is saved.
    void add(const QString& name, Writer write);
    // A file that cannot be saved at all (its source could not be read).
    void fail(const QString& name, const QString& reason);
    // A cell of field name that could not be read.
    void failCell(const QString& field, const QString& reason);

    // Creates the folder when there are files, gives each file its name there (names that need
    // no change keep them; picture names are left to the pictures) and writes them. Each file
    // that cannot be written is listed as missing; the others are written all the same. A folder
    // that cannot be made is the reason given for each of its files.
    void save();

private:
    const QString m_parent; // a copy: a temporary given as the parent would leave a reference dangling
    QString m_folder;
    QString m_documentId;
    std::vector<MissingFile>& m_missing;
    qsizetype& m_written;
    QStringList m_names;
    std::vector<Writer> m_writers;
};

// The reason given for the files of a folder that could not be made.
QString FolderFailedReason(const QString& cause);

// Writes the list of missing files and cells as UTF-8 text (with a byte-order mark, so that every
// editor reads it right): a heading line, then one line per file or cell with its document ID,
// file name (for a cell "域：" and the field's name) and reason, separated by tabs. Returns the
// error's text, empty when the list was written.
QString WriteMissingFileList(const QString& path, const std::vector<MissingFile>& missing);
