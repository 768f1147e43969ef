// The document list: one table model shown either as large icons (a database's views) or as a
// report (a page of documents), like a list-view control with a view-style switch. It starts as
// an empty icon view. Rows go in as one block (a model reset), never one by one.
#pragma once

#include <QFrame>
#include <QIcon>
#include <QStringList>

#include <vector>

class QListView;
class QStackedLayout;
class QTreeView;
class ListModel;

class ListView : public QFrame {
    Q_OBJECT
public:
    enum class ViewStyle { Icon, Report };

    explicit ListView(QWidget* parent = nullptr);

    ViewStyle viewStyle() const { return m_style; }
    void setViewStyle(ViewStyle style);

    // Large-icon style with one item per caption, each with icon; the columns stay.
    void showIcons(const QStringList& captions, const QIcon& icon);
    // Report style with these columns, each columnWidth wide, and rows (each row's first text
    // is its caption, the others its sub-items; a row may have fewer texts than columns).
    void showReport(const QStringList& columns, int columnWidth, std::vector<QStringList> rows);

    void clearItems();
    int itemCount() const;
    QStringList columns() const;
    QStringList row(int index) const;
    // Rows selected in report style.
    QList<int> selectedRows() const;

    QTreeView* reportView() const { return m_report; }
    QListView* iconView() const { return m_icons; }

signals:
    void doubleClicked();

private:
    ListModel* m_model;
    QTreeView* m_report;
    QListView* m_icons;
    QStackedLayout* m_stack;
    ViewStyle m_style = ViewStyle::Icon;
};
