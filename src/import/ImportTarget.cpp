#include "import/ImportTarget.h"

#include "import/ReportText.h"

#include "interfaces/DominoObjects.h"
#include "interfaces/Text.h"
#include "store/DatabaseWriter.h"
#include "store/Formula.h"
#include "store/Unid.h"

#include <algorithm>

namespace importer {

using namespace store;

namespace {

const std::u16string kAllDocumentsView = u"所有文档";

} // namespace

ImportTarget::ImportTarget(DatabaseWriter& writer, ImportReport& report, bool append)
    : m_writer(writer), m_report(report), m_append(append) {}

ImportTarget::~ImportTarget() = default;

void ImportTarget::post(std::function<void()> call, size_t weight) {
    m_worker.post(std::move(call), weight);
}

void ImportTarget::addDocument(NoteData doc, const QString& where) {
    size_t weight = sizeof(NoteData);
    for (const auto& item : doc.items)
        weight += sizeof(item) + item.richText.size() + item.values.size() * 32;
    for (const auto& file : doc.files)
        weight += sizeof(file) + file.bytes.size();
    // std::function wants a call it can copy: the document goes in a shared holder.
    auto held = std::make_shared<NoteData>(std::move(doc));
    post([this, held, where] { writeDocument(std::move(*held), where); }, weight);
}

void ImportTarget::addView(const ViewDef& view) {
    post([this, view] { writeView(view); }, sizeof(view));
}

void ImportTarget::addView(const ViewDef& view, const QString& where, std::function<QString(const QString&)> refused) {
    post(
        [this, view, where, refused = std::move(refused)] {
            try {
                writeView(view);
            } catch (const FormulaError& error) {
                ++m_report.losses;
                writeReport(where, refused(QString::fromUtf8(error.what())));
            }
        },
        sizeof(view));
}

void ImportTarget::writeView(const ViewDef& view) {
    m_writer.addView(view);
    ++m_report.views;
    if (IsShownViewName(view.name))
        ++m_shownViews;
}

void ImportTarget::countPictures(int64_t count) {
    post([this, count] { m_report.pictures += count; }, 0);
}

void ImportTarget::report(const QString& where, const QString& text) {
    post([this, where, text] { writeReport(where, text); }, 0);
}

void ImportTarget::reportLoss(const QString& where, const QString& text) {
    post(
        [this, where, text] {
            ++m_report.losses;
            writeReport(where, text);
        },
        0);
}

void ImportTarget::setTitle(const std::u16string& title) {
    post(
        [this, title] {
            if (!m_append && !m_titled)
                m_writer.setTitle(title);
            m_titled = true;
        },
        0);
}

void ImportTarget::finish() {
    post([this] { writeFinish(); }, 0);
    m_worker.finish();
}

void ImportTarget::writeDocument(NoteData doc, const QString& where) {
    if (!doc.unid.empty() && !IsValidUnid(doc.unid)) {
        writeReport(where, report_text::InvalidUnid(QString::fromStdU16String(doc.unid)));
        doc.unid.clear();
    }
    if (!doc.unid.empty() && m_writer.hasNote(doc.unid)) {
        const QString unid = QString::fromStdU16String(doc.unid).toUpper();
        if (m_append) {
            m_writer.removeNote(doc.unid);
            if (m_imported.count(AsciiUpper(doc.unid)) > 0) {
                // The one replaced came from this import: it is counted no more.
                writeReport(where, report_text::ReplacesImported(unid));
                --m_report.documents;
            } else {
                writeReport(where, report_text::ReplacesExisting(unid));
            }
        } else {
            writeReport(where, report_text::SecondUnid(unid));
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

void ImportTarget::writeReport(const QString& where, const QString& text) {
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

void ImportTarget::flushRun() {
    if (m_runCount == 1)
        m_report.notes.push_back((m_runFirst + QStringLiteral(": ") + m_runText).toStdString());
    else if (m_runCount > 1)
        m_report.notes.push_back(report_text::Repeated(m_runFirst, m_runLast, m_runCount, m_runText).toStdString());
    m_runCount = 0;
}

// A database without a view people browse gets one of all documents.
void ImportTarget::writeFinish() {
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
