// The connect dialog: server name, user name and password (shown in clear). Confirming checks
// that server and user name are not blank and stores the trimmed values into the fields it was
// given; cancelled stays true unless the user confirmed valid input.
#pragma once

#include <QDialog>

class IPrompter;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Removes every character whose code is 32 or less from both ends.
QString TrimControl(const QString& text);

class Tfrmselserver : public QDialog {
    Q_OBJECT
public:
    Tfrmselserver(QString& serverName, QString& userName, QString& password, IPrompter& prompter,
                  QWidget* parent = nullptr);

    void FormShow();
    void Button1Click();
    void Button2Click();

    bool cancelled = true;

    QGroupBox* gr1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    QPushButton* Button1;
    QPushButton* Button2;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString& m_serverName;
    QString& m_userName;
    QString& m_password;
    IPrompter& m_prompter;
};
