// The files of one exported document (attachments, embedded objects, whole long texts), gathered
// while its row is written and saved together at its end, so that every file's name is known
// before any is given out; and the list of files an export could not save.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// A file the export could not save, and why.
struct MissingFile {
    QString documentId;
    QString fileName;
    QString reason;
};

class DocumentFiles {
public:
    // Writes a file to a full path; raises an error carrying the reason when it cannot.
    using Writer = std::function<void(const QString& path)>;

    // parent: the folder that holds the document folders; the document's folder is named by its
    // ID there. missing: where files that cannot be saved are listed.
    DocumentFiles(const QString& parent, QString documentId, std::vector<MissingFile>& missing)
        : m_parent(parent), m_documentId(std::move(documentId)), m_missing(missing) {}

    // The document's folder (its name is made only when a file needs it).
    const QString& folder();
    const QString& documentId() const { return m_documentId; }

    // A file named name by the data, written by write when the document is saved.
    void add(const QString& name, Writer write);
    // A file that cannot be saved at all (its source could not be read).
    void fail(const QString& name, const QString& reason);

    // Creates the folder when there are files, gives each file its name there (names that need
    // no change keep them; picture names are left to the pictures) and writes them. Each file
    // that cannot be written is listed as missing; the others are written all the same.
    void save();

private:
    const QString& m_parent;
    QString m_folder;
    QString m_documentId;
    std::vector<MissingFile>& m_missing;
    QStringList m_names;
    std::vector<Writer> m_writers;
};

// Writes the list of missing files as UTF-8 text (with a byte-order mark, so that every editor
// reads it right): a heading line, then one line per file with its document ID, file name and
// reason, separated by tabs. Returns the error's text, empty when the list was written.
QString WriteMissingFileList(const QString& path, const std::vector<MissingFile>& missing);
