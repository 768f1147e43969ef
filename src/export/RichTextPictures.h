// The pictures of a document's rich text, saved as files: the document is rendered as DXL and
// the base64 payloads of its <gif> and <jpeg> elements are decoded and written, each as
// "RTF域图片" + number + ".gif" or ".jpg", into the document's folder.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <functional>

class TNotesDocument;
class TNotesSession;

// A picture that could not be saved: its file name (a pattern when the document's pictures could
// not be read at all) and why.
using PictureFailed = std::function<void(const QString& fileName, const QString& reason)>;
// A picture found: its file name and its bytes.
using PictureFound = std::function<void(const QString& fileName, const QByteArray& bytes)>;

// Creates folder (with its parents) when missing and writes the document's pictures into it.
// Only payloads longer than 2,500 characters are written; the number counts the pictures, from
// 0, plain GIFs first, then GIFs converted from Notes bitmaps, then JPEGs, each in text order.
// Never raises: each picture that cannot be written, or the document's DXL when it cannot be
// read, is told to failed, and the work goes on with the next picture.
void ExtractRichTextPictures(TNotesSession& session, TNotesDocument& document, const QString& folder,
                             const PictureFailed& failed = {});
// The same pictures, each given to found in number order rather than written.
void ReadRichTextPictures(TNotesSession& session, TNotesDocument& document, const PictureFound& found,
                          const PictureFailed& failed = {});

// Whether fileName is one the pictures take ("RTF域图片" + number + ".gif" or ".jpg", in any
// letter case): other files of a document's folder keep clear of them.
bool IsPictureFileName(const QString& fileName);

// The scan itself, on a document's DXL text: calls write(fileName, bytes) for each picture.
void ScanDxlPictures(QStringView dxl, const PictureFound& write);
