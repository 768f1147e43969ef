// The document list: one item model shown either as a report (columns, rows) or as large
// icons, like a list-view control with a view-style switch. Items have a caption, an image
// index into the list's image list (-1 for none) and sub-items for the further columns.
#pragma once

#include <QFrame>

class ImageList;
class QListView;
class QStackedLayout;
class QStandardItemModel;
class QTreeView;

class ListView : public QFrame {
    Q_OBJECT
public:
    enum class ViewStyle { Icon, Report };

    explicit ListView(ImageList* images, QWidget* parent = nullptr);

    ViewStyle viewStyle() const { return m_style; }
    void setViewStyle(ViewStyle style);
    void setRowSelect(bool on);

    // Suppresses repainting until the matching endUpdate; nests.
    void beginUpdate();
    void endUpdate();

    void clearColumns();
    void addColumn(const QString& caption, int width);
    int columnCount() const;
    QString columnCaption(int column) const;
    int columnWidth(int column) const;

    void clearItems();
    // Adds an item; returns its row.
    int addItem(const QString& caption, int imageIndex);
    // Appends a sub-item (the next column) to row.
    void addSubItem(int row, const QString& text);
    int itemCount() const;
    QString itemText(int row, int column = 0) const;
    int itemImageIndex(int row) const;
    int subItemCount(int row) const;

    QList<int> selectedRows() const;
    void selectRow(int row);

    QStandardItemModel* model() const { return m_model; }
    QTreeView* reportView() const { return m_report; }
    QListView* iconView() const { return m_icons; }

signals:
    void doubleClicked();

private:
    ImageList* m_images;
    QStandardItemModel* m_model;
    QTreeView* m_report;
    QListView* m_icons;
    QStackedLayout* m_stack;
    ViewStyle m_style = ViewStyle::Icon;
    int m_updates = 0;
};
