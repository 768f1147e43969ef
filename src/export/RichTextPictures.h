// The pictures of a document's rich text, saved as files: the document is rendered as DXL and
// the base64 payloads of its <gif> and <jpeg> elements are decoded and written, each as
// "RTF域图片" + number + ".gif" or ".jpg", into the document's folder.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class TNotesDocument;
class TNotesSession;

// Creates folder (with its parents) when missing and writes the document's pictures into it.
// Only payloads longer than 2,500 characters are written; the number counts the files written,
// from 0, plain GIFs first, then GIFs converted from Notes bitmaps, then JPEGs, each in text
// order. Never raises: a failure ends the work silently, and files written before it stay.
void ExtractRichTextPictures(TNotesSession& session, TNotesDocument& document, const QString& folder);

// The scan itself, on a document's DXL text: calls write(fileName, bytes) for each picture.
void ScanDxlPictures(const QString& dxl, const std::function<void(const QString&, const QByteArray&)>& write);
