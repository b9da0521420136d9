#include "Topmost.h"

#include <QWidget>

void SetTopmost(QWidget *window, bool topmost)
{
    if (IsTopmost(window) == topmost)
        return;
    // Changing a window flag re-creates the native window and hides it.
    const bool wasVisible = window->isVisible();
    const QRect geometry = window->geometry();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    window->setGeometry(geometry);
    if (wasVisible)
        window->show();
}

bool IsTopmost(const QWidget *window)
{
    return window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}
