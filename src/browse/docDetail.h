// The document detail window: every item of one document with its first value, as a grid of
// names and values.
#pragma once

#include <QDialog>
#include <QList>
#include <QString>

class IFormRunner;
class QFrame;
class QPushButton;
class QTableWidget;
class TNotesSession;

struct ItemText {
    QString name;
    QString value; // the item's first value as text
};

// The items of the document with universal ID id in the database at path on server (an empty
// server: the local file), in the document's order. Raises the server's error when the database
// or the document cannot be opened or a value cannot be converted.
QList<ItemText> DocumentItems(TNotesSession& session, const QString& server, const QString& path, const QString& id);

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
