#include "shell/about.h"

#include "access/AppText.h"
#include "browse/WindowFrame.h"

#include <QEnterEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace {

QPixmap DrawBanner() {
    QPixmap banner(289, 41);
    QPainter p(&banner);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 289, 0);
    gradient.setColorAt(0, QColor(0x1F, 0x6B, 0x3A));
    gradient.setColorAt(1, QColor(0x8F, 0xC9, 0x7A));
    p.fillRect(banner.rect(), gradient);
    // A leaf, for the green in the name.
    QPainterPath leaf;
    leaf.moveTo(10, 32);
    leaf.cubicTo(10, 10, 26, 6, 34, 6);
    leaf.cubicTo(34, 20, 26, 32, 10, 32);
    p.setBrush(QColor(0xE8, 0xF6, 0xD8));
    p.setPen(Qt::NoPen);
    p.drawPath(leaf);
    p.setPen(QPen(QColor(0x1F, 0x6B, 0x3A), 1.5));
    p.drawLine(QPointF(12, 30), QPointF(30, 10));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(22);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(44, 0, 240, 41), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Verdanix"));
    return banner;
}

QLabel* AddLabel(QWidget* parent, const QString& name, const QString& text, int pixelSize, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    label->setFont(font);
    label->move(x, y);
    label->adjustSize();
    return label;
}

} // namespace

void LinkLabel::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    emit mouseEntered();
}

void LinkLabel::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    emit mouseLeft();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    emit clicked();
}

TfrmAbout::TfrmAbout(std::function<void(const QString&)> openUrl, QWidget* parent)
    : QDialog(parent), m_openUrl(std::move(openUrl)) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(tr("关于"));
    SetDialogBorder(this);
    setFixedSize(380, 301);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    auto* banner = new QLabel(this);
    banner->setObjectName(QStringLiteral("Image1"));
    banner->setPixmap(DrawBanner());
    banner->setGeometry(0, 0, 289, 41);

    QLabel* title = AddLabel(this, QStringLiteral("Label1"), kAppTitle, 19, 24, 58);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->adjustSize();
    QPalette black = title->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    title->setPalette(black);

    AddLabel(this, QStringLiteral("Label2"), tr("Domino 数据库浏览与导出工具"), 13, 24, 100);
    AddLabel(this, QStringLiteral("Label4"), tr("开发：Verdanix 开发组"), 13, 24, 126);
    AddLabel(this, QStringLiteral("Label6"), tr("技术支持：support@verdanix.com"), 13, 24, 152);
    AddLabel(this, QStringLiteral("Label3"), tr("版权所有 © 2026 Verdanix"), 13, 24, 178);

    m_label5 = new LinkLabel(kWebAddress, this);
    m_label5->setObjectName(QStringLiteral("Label5"));
    QFont linkFont = m_label5->font();
    linkFont.setPixelSize(13);
    linkFont.setUnderline(true);
    m_label5->setFont(linkFont);
    m_label5->setCursor(Qt::PointingHandCursor);
    m_label5->move(24, 206);
    m_label5->adjustSize();
    Label5MouseLeave();
    connect(m_label5, &LinkLabel::mouseEntered, this, &TfrmAbout::Label5MouseEnter);
    connect(m_label5, &LinkLabel::mouseLeft, this, &TfrmAbout::Label5MouseLeave);
    connect(m_label5, &LinkLabel::clicked, this, &TfrmAbout::Label5Click);

    auto* button = new QPushButton(tr("确       定"), this);
    button->setObjectName(QStringLiteral("Button1"));
    button->setGeometry((380 - 137) / 2, 250, 137, 33);
    connect(button, &QPushButton::clicked, this, &TfrmAbout::Button1Click);
}

void TfrmAbout::Label5MouseEnter() {
    QPalette pal = m_label5->palette();
    pal.setColor(QPalette::WindowText, QColor(255, 0, 0));
    m_label5->setPalette(pal);
}

void TfrmAbout::Label5MouseLeave() {
    QPalette pal = m_label5->palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 0));
    m_label5->setPalette(pal);
}

void TfrmAbout::Label5Click() {
    if (m_openUrl)
        m_openUrl(kWebAddress);
}

void TfrmAbout::Button1Click() {
    accept();
}
