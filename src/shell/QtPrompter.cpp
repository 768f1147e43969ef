#include "shell/QtPrompter.h"

#include "browse/WindowFrame.h"

#include <QFileDialog>
#include <QMessageBox>

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
