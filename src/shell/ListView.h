// The document list: one item model shown either as a report or as large icons, like a
// list-view control with a view-style switch. It starts as an empty icon view.
#pragma once

#include <QFrame>

class QListView;
class QStackedLayout;
class QStandardItemModel;
class QTreeView;

class ListView : public QFrame {
    Q_OBJECT
public:
    enum class ViewStyle { Icon, Report };

    explicit ListView(QWidget* parent = nullptr);

    ViewStyle viewStyle() const { return m_style; }
    void setViewStyle(ViewStyle style);

    void clearItems();
    int itemCount() const;

    QTreeView* reportView() const { return m_report; }
    QListView* iconView() const { return m_icons; }

signals:
    void doubleClicked();

private:
    QStandardItemModel* m_model;
    QTreeView* m_report;
    QListView* m_icons;
    QStackedLayout* m_stack;
    ViewStyle m_style = ViewStyle::Icon;
};
