// Window frames as the program's windows have them on their first system: sizes given as outer
// sizes (frame included), and dialogs with a dialog border (title and close button only).
#pragma once

#include <QDialog>
#include <QMargins>
#include <QSize>
#include <QWindow>

// The frame the window system draws around window's top-level window; empty before the window
// is shown, or where the system reports none.
inline QMargins FrameMargins(const QWidget* window) {
    const QWidget* top = window ? window->window() : nullptr;
    return top && top->windowHandle() ? top->windowHandle()->frameMargins() : QMargins();
}

// The client size that gives a window framed as like the outer size outer.
inline QSize ClientSizeFor(QSize outer, const QWidget* like) {
    const QMargins frame = FrameMargins(like);
    return outer.shrunkBy(frame);
}

// A dialog border: a title bar with the close button, no minimise or maximise button.
inline void SetDialogBorder(QDialog* dialog) {
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}
