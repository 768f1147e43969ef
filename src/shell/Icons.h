// The program's two image lists, drawn in code as 16 x 16 pictures in one consistent style.
#pragma once

#include <QIcon>
#include <QList>
#include <QObject>

// A named list of images, like the image-list components the windows refer to by index.
class ImageList : public QObject {
    Q_OBJECT
public:
    ImageList(const QString& name, QList<QIcon> images, QObject* parent);
    QIcon image(int index) const { return index >= 0 && index < m_images.size() ? m_images[index] : QIcon(); }
    int count() const { return static_cast<int>(m_images.size()); }

private:
    QList<QIcon> m_images;
};

// Toolbar and menu images: 0 import, 1 exit, 2 export, 3 open file, 4 connect server, 5 about,
// 6 previous page, 7 next page, 8 first page, 9 last page, 10 document details.
QList<QIcon> DrawToolImages();
// List images: 0 database, 1 folder, 2 document, 3 view.
QList<QIcon> DrawListImages();
