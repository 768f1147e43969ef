// The About window: banner, title, developer and contact lines, and a web address that opens
// in the browser.
#pragma once

#include <QDialog>
#include <QLabel>

#include <functional>

class QPushButton;

// A label that reports the mouse entering, leaving and clicking it.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void mouseEntered();
    void mouseLeft();
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    static inline const QString kWebAddress = QStringLiteral("https://www.verdanix.com/");

    // openUrl opens a web address (the system's browser).
    explicit TfrmAbout(std::function<void(const QString&)> openUrl, QWidget* parent = nullptr);

    void Label5MouseEnter();
    void Label5MouseLeave();
    void Label5Click();
    void Button1Click();

private:
    std::function<void(const QString&)> m_openUrl;
    LinkLabel* m_label5;
};
