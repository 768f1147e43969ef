// The document detail window: every item of one document with its first value, as a grid of
// names and values.
#pragma once

#include "browse/DocumentItems.h"

#include <QDialog>
#include <QList>
#include <QString>

class IFormRunner;
class QFrame;
class QPushButton;
class QTableWidget;
class TNotesSession;

// Shows a new detail window for that document modally (through forms); raises as DocumentItems
// does, and then shows no window.
void ShowDocumentDetail(TNotesSession& session, const QString& server, const QString& path, const QString& id,
                        IFormRunner& forms, QWidget* parent = nullptr);

class TfrmdocDetail : public QDialog {
    Q_OBJECT
public:
    explicit TfrmdocDetail(const QList<ItemText>& items, QWidget* parent = nullptr);

    void BitBtn1Click();

    QFrame* Panel1;
    QTableWidget* StringGrid1;
    QPushButton* BitBtn1;

protected:
    void resizeEvent(QResizeEvent* event) override;
};
