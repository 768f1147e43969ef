#include "shell/QtPrompter.h"

#include "browse/WindowFrame.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QMessageBox>

namespace {

// The file dialog's size, type and date columns in Chinese whatever the system's language: Qt's
// own translations leave some of them English ("Folder", "KiB", "Dec").
class ChineseFileColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || index.column() < 1 || index.column() > 3)
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        const QFileInfo info = files->fileInfo(source);
        switch (index.column()) {
        case 1:
            return info.isDir() ? QString() : Size(info.size());
        case 2:
            return info.isDir() ? QCoreApplication::translate("FileDialog", "文件夹")
                   : info.suffix().isEmpty()
                       ? QCoreApplication::translate("FileDialog", "文件")
                       : QCoreApplication::translate("FileDialog", "%1 文件").arg(info.suffix().toUpper());
        default:
            return m_chinese.toString(info.lastModified(), QStringLiteral("yyyy/M/d H:mm"));
        }
    }

private:
    static QString Size(qint64 bytes) {
        if (bytes < 1024)
            return QCoreApplication::translate("FileDialog", "%1 字节").arg(bytes);
        static const char* const kUnits[] = {"KB", "MB", "GB", "TB"};
        double amount = static_cast<double>(bytes) / 1024;
        size_t unit = 0;
        for (; amount >= 1024 && unit + 1 < std::size(kUnits); ++unit)
            amount /= 1024;
        return QStringLiteral("%1 %2").arg(amount, 0, 'f', amount < 10 ? 1 : 0).arg(QLatin1String(kUnits[unit]));
    }

    const QLocale m_chinese{QLocale::Chinese, QLocale::China};
};

// A file dialog of the program: Chinese throughout.
void MakeChinese(QFileDialog& dialog) {
    dialog.setLocale(QLocale(QLocale::Chinese, QLocale::China));
    dialog.setProxyModel(new ChineseFileColumns(&dialog));
}

} // namespace

void QtPrompter::KeepAboveProgress(QWidget& dialog) const {
    // The progress message stays on top of the program's windows; a dialog opened while it is up
    // must come above it, or its buttons may lie under it.
    if (m_progress && m_progress->IsWaitMsgOpen())
        dialog.setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

IPrompter::Answer QtPrompter::MessageBox(const QString& caption, const QString& text, Icon icon, Buttons buttons) {
    QMessageBox box(m_parent);
    SetDialogBorder(&box);
    KeepAboveProgress(box);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    box.addButton(QMessageBox::Ok);
    if (buttons == Buttons::OkCancel)
        box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Ok);
    // A short message would make a box too narrow for its title: room for the title, its icon and
    // the frame's buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(box.fontMetrics().horizontalAdvance(caption) + 120, 0, QSizePolicy::Minimum,
                                      QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return box.exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

QString QtPrompter::QtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        entries << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')) +
                       QLatin1Char(')');
    return entries.join(QStringLiteral(";;"));
}

std::optional<QString> QtPrompter::OpenFileName(const QString& filter, const QString& folder) {
    QFileDialog dialog(m_parent, QString(), folder, QtFilter(filter));
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    MakeChinese(dialog);
    KeepAboveProgress(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}

std::optional<QString> QtPrompter::SaveFileName(const QString& filter, const QString& folder, int* chosenFilter) {
    QFileDialog dialog(m_parent, QString(), folder, QtFilter(filter));
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    MakeChinese(dialog);
    KeepAboveProgress(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    if (chosenFilter)
        *chosenFilter =
            static_cast<int>(QtFilter(filter).split(QStringLiteral(";;")).indexOf(dialog.selectedNameFilter()));
    return dialog.selectedFiles().front();
}
