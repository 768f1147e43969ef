#include "browse/DocumentPage.h"

#include "access/Domino_TLB.h"
#include "access/ErrorMessage.h"
#include "access/VariantText.h"
#include "platform/Progress.h"

#include <QCoreApplication>
#include <algorithm>

namespace {

QString ReadingText() {
    return QCoreApplication::translate("DocumentPage", "正在读入文档数据...");
}

} // namespace

DocumentPage LoadDocumentPage(TNotesDatabase& db, const QString& viewName, int32_t pageStart, IProgress& progress) {
    DocumentPage page;
    page.pageStart = pageStart;
    WaitMsgScope closeOnExit(progress);
    try {
        TNotesView view;
        view.ConnectTo(db.GetView(ToU16(viewName)));
        const int32_t n = view.ColumnCount();
        const QStringList titles = VariantArrayToTexts(view.ColumnNames());
        page.columns << QCoreApplication::translate("DocumentPage", "文档ID");
        for (int32_t i = 0; i < n; ++i)
            page.columns << titles.value(i);

        progress.ShowWaitMsg();
        progress.SetWaitProgress(100, 1);
        const QString reading = ReadingText(); // once: the loop below tells it for every document
        progress.SetWaitMsgText(reading);

        TNotesDocument doc;
        try {
            doc.ConnectTo(view.GetNthDocument(page.pageStart + 1));
        } catch (const std::exception&) {
            return page; // headers only, nothing listed
        }
        page.listed = true;
        page.docCount = view.EntryCount();
        page.status = ViewStatusText(QString::fromStdU16String(view.Name()), page.docCount);

        page.rows.reserve(static_cast<size_t>(std::clamp(page.docCount - page.pageStart, 0, kPageSize)));
        // The count is read afresh at every test and report, so a view that changes meanwhile
        // is followed.
        for (int32_t k = 0; k < kPageSize && page.pageStart < view.EntryCount();) {
            ++k;
            ++page.pageStart;
            QStringList& row = page.rows.emplace_back(QStringList{QString::fromStdU16String(doc.UniversalID())});
            try {
                // A multi-valued entry shows its values joined, as the view shows them.
                const Variant values = doc.ColumnValues();
                QStringList texts;
                for (const Variant& value : values.asArray())
                    texts << JoinedValueText(value);
                row.append(texts.mid(0, n));
            } catch (const std::exception&) {
                // A row whose values cannot be read or converted keeps its ID alone, and is counted.
                ++page.unreadRows;
            }
            doc.ConnectTo(view.GetNextDocument(doc.DefaultInterface()));
            const int32_t count = view.EntryCount();
            progress.SetWaitMsgText(reading + QString::number(k) + QLatin1Char('/') + QString::number(count));
            progress.SetWaitProgress(count, k);
        }
    } catch (const std::exception& error) {
        page.error = ExceptionMessage(error);
    }
    if (page.unreadRows > 0)
        page.status += QCoreApplication::translate("DocumentPage", "（%1 个文档的列值未能读取）").arg(page.unreadRows);
    return page;
}

QString ViewStatusText(const QString& viewName, int32_t count) {
    return QCoreApplication::translate("DocumentPage", "视图：%1(%1) 共有文档:%2")
        .arg(viewName, QString::number(count));
}

int32_t PreviousPageStart(int32_t pageStart) {
    if (pageStart <= 0)
        return 0;
    const int32_t shownFrom = (pageStart - 1) / kPageSize * kPageSize;
    return std::max(0, shownFrom - kPageSize);
}

int32_t LastPageStart(int32_t docCount) {
    return docCount <= 0 ? 0 : (docCount - 1) / kPageSize * kPageSize;
}
