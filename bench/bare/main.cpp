// The yardstick for the start-up benchmark: the least a Qt Widgets program
// does to put one window on the screen.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare window"));
    window.resize(363, 227);
    window.show();
    return QApplication::exec();
}
