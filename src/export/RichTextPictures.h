// The pictures of a document's rich text: the document is rendered as DXL and the base64 payloads
// of its <gif> and <jpeg> elements are decoded, each named "RTF域图片" + number + ".gif" or ".jpg"
// for the document's folder.
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

// Takes the document's pictures out of its DXL and hands each to found, which writes it (the
// export hands them to its file queue, which writes them beside the reading). Only payloads longer than
// 2,500 characters count; the number in a picture's name counts the pictures, from 0, plain GIFs
// first, then GIFs converted from Notes bitmaps, then JPEGs, each in text order. Never raises:
// when the document's DXL cannot be read, that is told to failed (under a name pattern standing
// for all of its pictures).
void ExtractRichTextPictures(TNotesSession& session, TNotesDocument& document, const PictureFound& found,
                             const PictureFailed& failed = {});

// Whether fileName is one the pictures take ("RTF域图片" + number + ".gif" or ".jpg", in any
// letter case): other files of a document's folder keep clear of them.
bool IsPictureFileName(const QString& fileName);

// The scan itself, on a document's DXL text: calls write(fileName, bytes) for each picture.
void ScanDxlPictures(QStringView dxl, const PictureFound& write);
