#include "shell/selserver.h"

#include "access/AppText.h"
#include "browse/WindowFrame.h"
#include "interfaces/Text.h"
#include "platform/Prompter.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include <algorithm>

namespace {

// Keeps a one-line edit to one line, as the system's one-line edits do: of text pasted or typed
// into it, only what comes before the first line break is kept; the rest of the edit's text
// stays as it was.
class FirstLineValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override {
        const auto lineBreak = [](QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); };
        if (std::none_of(input.cbegin(), input.cend(), lineBreak)) {
            m_last = input;
            return Acceptable;
        }
        // The inserted text is what differs from the last accepted text.
        qsizetype prefix = 0;
        while (prefix < m_last.size() && prefix < input.size() && m_last[prefix] == input[prefix])
            ++prefix;
        qsizetype suffix = 0;
        while (suffix < m_last.size() - prefix && suffix < input.size() - prefix &&
               m_last[m_last.size() - 1 - suffix] == input[input.size() - 1 - suffix])
            ++suffix;
        QString inserted = input.mid(prefix, input.size() - prefix - suffix);
        inserted.truncate(std::find_if(inserted.cbegin(), inserted.cend(), lineBreak) - inserted.cbegin());
        input = input.left(prefix) + inserted + input.right(suffix);
        pos = static_cast<int>(prefix + inserted.size());
        m_last = input;
        return Acceptable;
    }

private:
    mutable QString m_last;
};

} // namespace

QString TrimControl(const QString& text) {
    return QString::fromStdU16String(TrimBlanks(text.toStdU16String()));
}

Tfrmselserver::Tfrmselserver(QString& serverName, QString& userName, QString& password, IPrompter& prompter,
                             QWidget* parent)
    : QDialog(parent), m_serverName(serverName), m_userName(userName), m_password(password), m_prompter(prompter) {
    setObjectName(QStringLiteral("frmselserver"));
    setWindowTitle(tr("连接服务器"));
    SetDialogBorder(this);
    // 260 x 225 is the dialog's outer size; it opens over the main window, framed alike.
    setFixedSize(ClientSizeFor(QSize(260, 225), parent));
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(11);
    setFont(font);

    gr1 = new QGroupBox(tr("选项"), this);
    gr1->setObjectName(QStringLiteral("gr1"));
    gr1->setGeometry(21, 16, 217, 121);

    auto row = [this](QLabel*& label, QLineEdit*& edit, const QString& labelName, const QString& editName,
                      const QString& caption, int top) {
        label = new QLabel(caption, gr1);
        label->setObjectName(labelName);
        label->setGeometry(16, top + 3, 76, 16);
        edit = new QLineEdit(gr1);
        edit->setObjectName(editName);
        edit->setGeometry(90, top, 113, 21);
        edit->setValidator(new FirstLineValidator(edit));
    };
    row(Label1, Edit1, QStringLiteral("Label1"), QStringLiteral("Edit1"), tr("服务器名："), 24);
    row(Label2, Edit2, QStringLiteral("Label2"), QStringLiteral("Edit2"), tr("登录名："), 56);
    row(Label3, Edit3, QStringLiteral("Label3"), QStringLiteral("Edit3"), tr("用户密码："), 88);
    Edit3->setEchoMode(QLineEdit::Normal);

    Button1 = new QPushButton(tr("确  定"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(34, 160, 81, 25);
    Button2 = new QPushButton(tr("取  消"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(145, 160, 81, 25);
    // Neither button is the default: Enter and Escape do nothing special.
    for (QPushButton* button : {Button1, Button2}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, Edit3);
    setTabOrder(Edit3, Button1);
    setTabOrder(Button1, Button2);

    connect(Button1, &QPushButton::clicked, this, &Tfrmselserver::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tfrmselserver::Button2Click);
    FormShow();
}

void Tfrmselserver::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Edit1->setFocus();
}

void Tfrmselserver::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Tfrmselserver::FormShow() {
    Edit1->setText(m_serverName);
    Edit2->setText(m_userName);
    Edit3->setText(m_password);
    cancelled = true;
}

void Tfrmselserver::Button1Click() {
    if (TrimControl(Edit1->text()).isEmpty()) {
        ShowMessage(m_prompter, tr("服务器名不能为空"));
        return;
    }
    if (TrimControl(Edit2->text()).isEmpty()) {
        ShowMessage(m_prompter, tr("登录用名不能为空"));
        return;
    }
    m_serverName = TrimControl(Edit1->text());
    m_userName = TrimControl(Edit2->text());
    m_password = TrimControl(Edit3->text());
    cancelled = false;
    accept();
}

void Tfrmselserver::Button2Click() {
    reject();
    cancelled = true;
}
