#include "import/ImportTarget.h"

#include "import/ReportText.h"

#include "interfaces/DominoObjects.h"
#include "interfaces/Text.h"
#include "store/StoreFile.h"

#include <algorithm>

namespace importer {

using namespace store;

namespace {

const std::u16string kAllDocumentsView = u"所有文档";

} // namespace

void ImportTarget::addDocument(NoteData doc, const QString& where) {
    if (!doc.unid.empty() && !IsValidUnid(doc.unid)) {
        report(where, report_text::InvalidUnid(QString::fromStdU16String(doc.unid)));
        doc.unid.clear();
    }
    if (!doc.unid.empty() && m_writer.hasNote(doc.unid)) {
        const QString unid = QString::fromStdU16String(doc.unid).toUpper();
        if (m_append) {
            m_writer.removeNote(doc.unid);
            if (m_imported.count(AsciiUpper(doc.unid)) > 0) {
                // The one replaced came from this import: it is counted no more.
                report(where, report_text::ReplacesImported(unid));
                --m_report.documents;
            } else {
                report(where, report_text::ReplacesExisting(unid));
            }
        } else {
            report(where, report_text::SecondUnid(unid));
            doc.unid.clear();
        }
    }
    for (const auto& item : doc.items) {
        const QString name = QString::fromStdU16String(item.name);
        const auto [at, added] = m_itemIndex.try_emplace(name, m_itemCounts.size());
        if (added)
            m_itemCounts.emplace_back(name, 0);
        ++m_itemCounts[at->second].second;
    }
    m_report.items += static_cast<int64_t>(doc.items.size());
    m_report.attachments += static_cast<int64_t>(doc.files.size());
    ++m_report.documents;
    const std::u16string written = m_writer.addNote(std::move(doc));
    if (m_append)
        m_imported.insert(AsciiUpper(written));
}

void ImportTarget::addView(const ViewDef& view) {
    m_writer.addView(view);
    ++m_report.views;
    if (IsShownViewName(view.name))
        ++m_shownViews;
}

void ImportTarget::report(const QString& where, const QString& text) {
    if (m_runCount > 0 && text == m_runText) {
        ++m_runCount;
        m_runLast = where;
        return;
    }
    flushRun();
    m_runText = text;
    m_runFirst = m_runLast = where;
    m_runCount = 1;
}

void ImportTarget::reportLoss(const QString& where, const QString& text) {
    ++m_report.losses;
    report(where, text);
}

void ImportTarget::flushRun() {
    if (m_runCount == 1)
        m_report.notes.push_back((m_runFirst + QStringLiteral(": ") + m_runText).toStdString());
    else if (m_runCount > 1)
        m_report.notes.push_back(report_text::Repeated(m_runFirst, m_runLast, m_runCount, m_runText).toStdString());
    m_runCount = 0;
}

void ImportTarget::setTitle(const std::u16string& title) {
    if (!m_append && !m_titled)
        m_writer.setTitle(title);
    m_titled = true;
}

// A database without a view people browse gets one of all documents.
void ImportTarget::finish() {
    flushRun();
    if (m_shownViews > 0 || m_report.documents == 0)
        return;
    // The items most documents hold; among equals, the one met first.
    std::vector<std::pair<int64_t, QString>> common;
    for (const auto& [name, count] : m_itemCounts)
        if (count * 2 >= m_report.documents && !name.startsWith(u'$'))
            common.emplace_back(count, name);
    std::stable_sort(common.begin(), common.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    ViewDef view;
    view.name = kAllDocumentsView;
    view.selection = u"SELECT @All";
    for (size_t i = 0; i < common.size() && i < 10; ++i)
        view.columns.push_back({common[i].second.toStdU16String(), common[i].second.toStdU16String(), {}, 0});
    m_writer.addView(view);
    ++m_report.views;
    m_report.notes.push_back(
        report_text::AddedAllDocuments(QString::fromStdU16String(kAllDocumentsView)).toStdString());
}

} // namespace importer
