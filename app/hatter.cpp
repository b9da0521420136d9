#include "hatter.h"

#include "common/Colour.h"

#include <QGuiApplication>
#include <QScreen>

hatter::hatter() : Form(QStringLiteral("hatter")) {}

void hatter::build(FormWidget &window)
{
    window.setWindowTitle(QStringLiteral("   B I M B A L A  !"));
    auto *client = new QWidget(&window);
    Colour::setBackColor(client, 0xE0E0E0);
    window.setCentralWidget(client);
    // Without a window manager to maximise it, it still covers the screen.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window.setGeometry(screen->availableGeometry());
    window.setWindowState(Qt::WindowMaximized);
}
