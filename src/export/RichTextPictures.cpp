#include "export/RichTextPictures.h"

#include "access/Domino_TLB.h"
#include "access/ErrorMessage.h"

#include <QByteArray>
#include <QRegularExpression>

#include <QCoreApplication>
#include <functional>

namespace {

struct PictureTag {
    QLatin1String open;
    QLatin1String close;
    QLatin1String extension;
};

// Scanned in this order; tags match only as written here.
const PictureTag kTags[] = {
    {QLatin1String("<gif>"), QLatin1String("</gif>"), QLatin1String("gif")},
    {QLatin1String("<gif originalformat='notesbitmap'>"), QLatin1String("</gif>"), QLatin1String("gif")},
    {QLatin1String("<jpeg>"), QLatin1String("</jpeg>"), QLatin1String("jpg")},
};

constexpr qsizetype kMinPayload = 2500; // payloads of at most this many characters are skipped
const QString kPrefix = QStringLiteral("RTF域图片");

// Whether text is longer than kMinPayload, counted in bytes of the program's ANSI text (two for a
// character outside ASCII; base64 payloads are ASCII throughout).
bool IsLargePayload(QStringView text) {
    if (text.size() > kMinPayload)
        return true;
    qsizetype bytes = text.size();
    for (QChar c : text)
        bytes += c.unicode() >= 0x80 ? 1 : 0;
    return bytes > kMinPayload;
}

// Which picture tags the text may hold: most documents have none, and one pass over the text's
// '<' (a fast search for one character) tells, where a search for each tag would read it all
// once per tag.
struct TagsPresent {
    bool gif = false;
    bool jpeg = false;
};

TagsPresent PictureTagsIn(QStringView dxl) {
    TagsPresent present;
    for (qsizetype at = dxl.indexOf(QLatin1Char('<')); at >= 0 && !(present.gif && present.jpeg);
         at = dxl.indexOf(QLatin1Char('<'), at + 1)) {
        const QStringView rest = dxl.sliced(at);
        present.gif = present.gif || rest.startsWith(QLatin1String("<gif"));
        present.jpeg = present.jpeg || rest.startsWith(QLatin1String("<jpeg>"));
    }
    return present;
}

} // namespace

void ScanDxlPictures(QStringView dxl, const PictureFound& write) {
    int counter = 0;
    const TagsPresent present = PictureTagsIn(dxl);
    for (const PictureTag& tag : kTags) {
        if (!(tag.open.startsWith(QLatin1String("<gif")) ? present.gif : present.jpeg))
            continue;
        // The scan keeps a start position where the text before it counts as removed. Removing
        // up to the first four characters of a closing tag leaves a rest that matches no tag.
        qsizetype base = 0;
        qsizetype open = dxl.indexOf(tag.open, base);
        while (open >= 0) {
            const qsizetype close = dxl.indexOf(tag.close, base);
            if (close < 0)
                break; // no closing tag further on: nothing more of this tag is written
            const qsizetype start = open + tag.open.size();
            if (close > start && IsLargePayload(dxl.mid(start, close - start))) {
                // Base64 as in MIME: characters outside the alphabet (the line breaks) are skipped.
                const QByteArray bytes = QByteArray::fromBase64(dxl.mid(start, close - start).toLatin1());
                write(kPrefix + QString::number(counter) + QLatin1Char('.') + tag.extension, bytes);
                ++counter;
            }
            base = close + 4;
            if (open < base)
                open = dxl.indexOf(tag.open, base);
        }
    }
}

void ExtractRichTextPictures(TNotesSession& session, TNotesDocument& document, const PictureFound& found,
                             const PictureFailed& failed) {
    std::u16string dxl;
    try {
        TNotesDXLExporter exporter;
        exporter.ConnectTo(session.CreateDXLExporter());
        exporter.SetConvertNotesBitmapsToGIF(true);
        // Pictures are in the rich text; the data of the files would only be scanned past.
        exporter.SetOmitRichtextAttachments(true);
        exporter.SetOmitMiscFileObjects(true);
        dxl = exporter.Export(Variant(Variant::Object(document.DefaultInterface())));
    } catch (const std::exception& error) {
        // Which pictures the document holds is unknown: one entry stands for all of them.
        if (failed)
            failed(kPrefix + QStringLiteral("*"),
                   QCoreApplication::translate("Export", "读取文档的图片出错:") + ExceptionMessage(error));
        return;
    }
    ScanDxlPictures(QStringView(dxl), found);
}

bool IsPictureFileName(const QString& fileName) {
    static const QRegularExpression pattern(QStringLiteral("^RTF域图片\\d+\\.(gif|jpg)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern.match(fileName).hasMatch();
}
