// One page of a view's documents for the document list, and the arithmetic of the paging
// buttons. A page lists the documents at positions pageStart + 1 to pageStart + kPageSize of the
// view (or to its end); afterwards pageStart is the position of the last document listed.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

class IProgress;
class TNotesDatabase;

inline constexpr int32_t kPageSize = 2000;

struct DocumentPage {
    // "文档ID" and the view's column titles; empty when the view could not be opened.
    QStringList columns;
    // Per document: its universal ID, then its column values as text (fewer, or none, where
    // they could not be read or converted).
    std::vector<QStringList> rows;
    int32_t pageStart = 0; // position of the last document listed
    // Set once the page's first document was fetched: the view's count and the status text.
    bool listed = false;
    int32_t docCount = 0;
    QString status; // the view and its count, and how many rows' values could not be read
    int32_t unreadRows = 0;
    // The message of a failure after which the page stopped (rows read before it stay).
    std::optional<QString> error;
};

// Reads the page of view viewName of db that starts after pageStart, reporting to progress.
// A first document that cannot be fetched ends the page silently (not listed, no error).
DocumentPage LoadDocumentPage(TNotesDatabase& db, const QString& viewName, int32_t pageStart, IProgress& progress);

// The status panel's text for a view: "视图：" + name + "(" + name + ") 共有文档:" + count.
QString ViewStatusText(const QString& viewName, int32_t count);

// pageStart for "上一页": the page before the one that ends at pageStart (the first page from
// the first or second page). Pages start at multiples of kPageSize.
int32_t PreviousPageStart(int32_t pageStart);
// pageStart for "尾页": the last page in full.
int32_t LastPageStart(int32_t docCount);
